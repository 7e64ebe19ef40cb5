// World lines through the current-view transform and the pen cache into a
// 1920x1080 DIB section: solid and dashed lines per second.
//   wine64 display_bench.exe [lines]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "benchclock.h"
#include "display/view/gdi.h"
#include "display/view/view.h"
#include "benchdib.h"

namespace {

struct Line {
  double x1, y1, x2, y2;
};

double run(HDC dc, const std::vector<Line> &lines, int kind) {
  const double t0 = bench_now();
  int i = 0;
  for (const Line &l : lines) {
    gdi_setpen(dc, kind, 0, i++ % 20, R2_COPYPEN);
    int32_t x1, y1, x2, y2;
    drw_w2d(l.x1, l.y1, &x1, &y1);
    drw_w2d(l.x2, l.y2, &x2, &y2);
    gdi_line(x1, y1, x2, y2);
  }
  GdiFlush();
  return lines.size() / (bench_now() - t0);
}

} // namespace

int main(int argc, char **argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
  BenchDib dib;
  HDC dc = dib.dc;
  if (!gdi_init()) {
    std::puts("gdi_init failed");
    return 1;
  }
  ViewXform xf{};
  xf.right = 1920;
  xf.bottom = 1080;
  vxf_setwin(xf, 0, 0, 0, 0, 192.0, 108.0); // 10 pixels per world unit
  vxf_tocurrent(xf);

  // Lines between random points of the view (about 700 pixels long on average).
  std::vector<Line> lines(n);
  std::srand(1);
  auto rnd = [](double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; };
  for (Line &l : lines) {
    l.x1 = rnd(0, 192);
    l.y1 = rnd(0, 108);
    l.x2 = rnd(0, 192);
    l.y2 = rnd(0, 108);
  }
  // Short lines as drawings mostly have (5 to 50 pixels).
  std::vector<Line> shorts(n);
  for (Line &l : shorts) {
    l.x1 = rnd(0, 187);
    l.y1 = rnd(0, 103);
    l.x2 = l.x1 + rnd(-5, 5);
    l.y2 = l.y1 + rnd(-5, 5);
  }
  run(dc, lines, 0); // warm-up
  const double solid = run(dc, lines, 0), dashed = run(dc, lines, 1);
  const double ssolid = run(dc, shorts, 0), sdashed = run(dc, shorts, 1);
  std::printf("long lines (avg ~700 px):  solid %.0f lines/s, dashed %.0f lines/s (%.2fx)\n", solid, dashed,
              solid / dashed);
  std::printf("short lines (<= 70 px):    solid %.0f lines/s, dashed %.0f lines/s (%.2fx)\n", ssolid, sdashed,
              ssolid / sdashed);
  dib.release();
  gdi_term();
  return 0;
}

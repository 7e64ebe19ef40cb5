// Window and fence selection over drawings of lines, arcs, points and short texts spread
// over a 1000 x 1000 sheet: the time of one window walk that lists what lies
// inside a window, with the element index and, for reference, with the walk
// over every record.
//   select_bench           100,000 and 1,000,000 elements
//   select_bench <count>   that size only
// Goals: under 10 ms per window walk at 100,000 elements; a 1/100 window (100 x 100)
// in 1,000,000 elements under 20 ms. A fence of that size is shown beside it: it
// tests each element near it against the polygon, so it costs what it holds.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "benchclock.h"
#include "benchsheet.h"
#include "select/filter.h"
#include "select/picksys.h"
#include "select/sellist.h"
#include "select/selwin.h"

namespace {

void run(int count) {
  std::mt19937 rng(24);
  if (!bench_sheet(count, rng))
    std::exit(1);
  // The walk alone: highlighting what it takes is drawing (a keyboard-state and
  // device-context round trip per element under Windows even with no view open).
  pck_hooks().show = [](int32_t, int32_t, int32_t) {};
  pck_hooks().waitcur = [] {};
  struct Win {
    const char *name;
    uint32_t mode;
    double x0, y0, x1, y1;
    bool big;   // also at 1,000,000
    bool fence; // an octagon within the box instead of the box
  } wins[] = {
      {"window 100 x 100 (1/100 of the sheet)", 0x3, 400, 400, 500, 500, true, false},
      {"fence, octagon in 100 x 100", 0x3, 400, 400, 500, 500, true, true},
      {"window 400 x 400, partial", 0xB, 300, 300, 700, 700, false, false},
      {"window 1000 x 100 across the sheet", 0x3, 0, 450, 1000, 550, false, false},
      {"whole sheet, inside", 0x2, 0, 0, 0, 0, false, false},
  };
  const double goal = count >= 1000000 ? 20 : 10;
  const int capacity = 10000; // the largest list there is
  for (const Win &w : wins) {
    if (count >= 1000000 && !w.big)
      continue;
    double corners[16];
    for (int k = 0; k < 8; ++k) {
      const double a = 6.283185307179586 * (k + 0.5) / 8, r = (w.x1 - w.x0) / 2 / std::cos(3.141592653589793 / 8);
      corners[2 * k] = (w.x0 + w.x1) / 2 + r * std::cos(a);
      corners[2 * k + 1] = (w.y0 + w.y1) / 2 + r * std::sin(a);
    }
    const char *what = w.fence ? "sel_fence" : "sel_window";
    for (int pass = 0; pass < 2; ++pass) {
      SelWalkAll = pass;
      double best = 1e9;
      int32_t listed = 0;
      const int walks = count >= 1000000 ? 10 : 30;
      for (int i = 0; i < walks; ++i) {
        sel_alloc(capacity);
        const double t0 = bench_now();
        sel_winmode(0, w.mode, w.x0, w.y0, w.x1, w.y1);
        listed = w.fence ? sel_fence(8, corners, 0) : sel_window(0);
        const double t = bench_now() - t0;
        best = t < best ? t : best;
      }
      if (pass == 0 && w.fence) // no goal: the polygon test of each element near it costs what the fence holds
        std::printf("%s over %d elements, %s: %.3f ms per walk (%d listed)\n", what, count, w.name, best * 1000,
                    listed);
      else if (pass == 0)
        std::printf("%s over %d elements, %s: %.3f ms per walk, goal < %.0f ms %s (%d listed)\n", what, count,
                    w.name, best * 1000, goal, best * 1000 < goal ? "met" : "MISSED", listed);
      else
        std::printf("%s over %d elements, %s, every record walked (reference): %.3f ms per walk\n", what, count,
                    w.name, best * 1000);
    }
  }
  SelWalkAll = 0;
  sel_free();
  dtb_term();
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 1) {
    run(std::atoi(argv[1]));
    return 0;
  }
  run(100000);
  run(1000000);
  return 0;
}

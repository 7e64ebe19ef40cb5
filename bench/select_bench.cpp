// Window selection over a drawing of 100,000 elements (lines, arcs, points and
// short texts spread over a 1000 x 1000 sheet): the time of one window walk that
// lists what lies inside a window, for small, middle and whole-sheet windows.
// Goal: under 10 ms per walk, which needs the area cells to decide most elements
// without a geometric test.
#include <cstdio>
#include <cstring>
#include <random>

#include "benchclock.h"
#include "benchsheet.h"
#include "select/filter.h"
#include "select/picksys.h"
#include "select/sellist.h"
#include "select/selwin.h"

namespace {

constexpr int COUNT = 100000;
constexpr int WALKS = 50;

} // namespace

int main() {
  std::mt19937 rng(24);
  if (!bench_sheet(COUNT, rng))
    return 1;
  struct Win {
    const char *name;
    uint32_t mode;
    double x0, y0, x1, y1;
  } wins[] = {
      {"window 100 x 100", 0x3, 400, 400, 500, 500},
      {"window 400 x 400, partial", 0xB, 300, 300, 700, 700},
      {"window 1000 x 100 across the sheet", 0x3, 0, 450, 1000, 550},
      {"whole sheet, inside", 0x2, 0, 0, 0, 0},
  };
  for (const Win &w : wins) {
    double total = 0;
    int32_t listed = 0;
    for (int i = 0; i < WALKS; ++i) {
      sel_alloc(10000);
      const double t0 = bench_now();
      sel_winmode(0, w.mode, w.x0, w.y0, w.x1, w.y1);
      listed = sel_window(0);
      total += bench_now() - t0;
    }
    std::printf("sel_window over %d elements, %s: %.3f ms per walk (%d listed, list of %d)\n", COUNT, w.name,
                total * 1000 / WALKS, listed, SelectionList.capacity);
  }
  sel_free();
  dtb_term();
  return 0;
}

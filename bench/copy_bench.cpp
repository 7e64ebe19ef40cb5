// Copy engine: moving a selection of 10,000 elements within drawing 0 with no open
// view (each record transformed and replaced in place). Goal: under 50 ms a move.
#include <cstdio>
#include <random>

#include "benchclock.h"
#include "benchsheet.h"
#include "commands/edit/copyeng.h"
#include "commands/edit/transform.h"
#include "select/sellist.h"

namespace {

constexpr int COUNT = 10000;
constexpr int RUNS = 20;

} // namespace

int main() {
  std::mt19937 rng(30);
  if (!bench_sheet(COUNT, rng))
    return 1;
  sel_alloc(COUNT);
  for (int i = 0; i < COUNT; ++i)
    SelectionList.entries[i] = uint32_t(i + 1);
  SelectionList.count = COUNT;
  SelectionList.entries[COUNT] = SEL_END;
  SelectionList.drawing = 0;
  int16_t same[CPY_REMAP];
  for (int k = 0; k < CPY_REMAP; ++k)
    same[k] = int16_t(k);
  trn_setmove(0.5, -0.25);
  trn_setbase(0, 0, 0.5, -0.25);
  double total = 0;
  for (int i = 0; i < RUNS; ++i) {
    const double t0 = bench_now();
    const int rc = cpy_elms(0, 0, 0, same, 0, 1);
    total += bench_now() - t0;
    if (rc != 0) {
      std::printf("cpy_elms gave %d\n", rc);
      return 1;
    }
  }
  std::printf("cpy_elms moving %d elements in place: %.3f ms per move\n", COUNT, total * 1000 / RUNS);
  return 0;
}

// Element extents of a 100,000-element drawing (lines, arcs, points and short texts),
// as the view fit and the sheet fit take them. Goal: under 10 ms natively.
#include <cstdio>
#include <random>

#include "benchclock.h"
#include "benchsheet.h"
#include "commands/view/sheetcalc.h"

namespace {
constexpr int COUNT = 100000;
constexpr int RUNS = 20;
} // namespace

int main() {
  std::mt19937 rng(35);
  if (!bench_sheet(COUNT, rng))
    return 1;
  double total = 0;
  GeoPoint lo{}, hi{};
  for (int i = 0; i < RUNS; ++i) {
    const double t0 = bench_now();
    const int rc = dwg_extents(0, &lo, &hi);
    total += bench_now() - t0;
    if (rc != 0) {
      std::printf("dwg_extents gave %d\n", rc);
      return 1;
    }
  }
  std::printf("extents of %d elements: (%.1f, %.1f)-(%.1f, %.1f), %.3f ms each\n", COUNT, lo.x, lo.y, hi.x, hi.y,
              total * 1000 / RUNS);
  return 0;
}

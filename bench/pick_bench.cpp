// Nearest-element search over a drawing of 100,000 elements (lines, arcs, points
// and short texts spread over a 1000 x 1000 sheet): the time of one pick at
// random points with a pick aperture of 2 units. Goal: under 1 ms per pick, which
// needs the area cells to pass over the elements far from the point.
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "benchclock.h"
#include "benchsheet.h"
#include "select/near.h"
#include "select/picksys.h"

namespace {

constexpr int COUNT = 100000;
constexpr int PICKS = 2000;

} // namespace

int main() {
  std::mt19937 rng(21);
  if (!bench_sheet(COUNT, rng))
    return 1;
  pck_hooks().aperture = [](int32_t, int32_t, double *t) {
    *t = 2;
    return 0;
  };

  // The same picks with and without the area cells (a record whose mask is 0 is
  // measured whatever the point).
  std::uniform_real_distribution<double> at(0, 1000);
  std::vector<double> pts(2 * PICKS);
  for (double &v : pts)
    v = at(rng);
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1)
      for (int n = 1; n <= COUNT; ++n)
        dtb_ptr(0, n)->cells = 0;
    long found = 0;
    int32_t out[PCK_NEARMAX];
    const double t0 = bench_now();
    for (int i = 0; i < PICKS; ++i)
      found += pck_near(0, 0, pts[2 * i], pts[2 * i + 1], 15, 0xFFFF, 0xFFFF, 0xFF, out);
    const double ms = (bench_now() - t0) * 1000 / PICKS;
    std::printf("pck_near over %d elements, %s: %.3f ms per pick (%d picks, %.2f hits each)\n", COUNT,
                pass ? "no area cells" : "area cells", ms, PICKS, double(found) / PICKS);
  }
  dtb_term();
  return 0;
}

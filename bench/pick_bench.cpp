// Nearest-element search over a drawing of 100,000 elements (lines, arcs, points
// and short texts spread over a 1000 x 1000 sheet): the time of one pick at
// random points with a pick aperture of 2 units. Goal: under 1 ms per pick, which
// needs the area cells to pass over the elements far from the point.
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "benchclock.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "select/near.h"
#include "select/picksys.h"
#include "settings/params.h"

namespace {

constexpr int COUNT = 100000;
constexpr int PICKS = 2000;

ElementRecord make(std::mt19937 &rng, int i) {
  std::uniform_real_distribution<double> at(5, 995), d(-3, 3);
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  const double x = at(rng), y = at(rng);
  switch (i % 4) {
  case 0:
    r.kind = LIN;
    r.lin = LinBody{x, y, x + d(rng), y + d(rng), 0x11, {}};
    break;
  case 1:
    r.kind = ARC;
    r.arc = ArcBody{x, y, 2, 30, 300, 0x11, {}};
    break;
  case 2:
    r.kind = PNT;
    r.pnt.x = x;
    r.pnt.y = y;
    r.pnt.attr = 1;
    break;
  default:
    r.kind = CHR;
    r.chr.x = float(x);
    r.chr.y = float(y);
    r.chr.height = r.chr.width = 2;
    r.chr.attr = 1;
    break;
  }
  r.layer = 1;
  return r;
}

} // namespace

int main() {
  prm_init();
  ElmMax[0] = COUNT + 1000;
  WrkMax[0] = 500;
  if (dtb_init() != 0)
    return 1;
  grp_reset(0);
  dtb_ctrl('i', nullptr);
  SheetRecord s;
  sys_sheet('R', 0, &s);
  s.width = s.height = 1000;
  sys_sheet('W', 0, &s);
  pck_hooks().aperture = [](int32_t, int32_t, double *t) {
    *t = 2;
    return 0;
  };

  std::mt19937 rng(21);
  for (int i = 0; i < COUNT; ++i) {
    const ElementRecord r = make(rng, i);
    if (elm_add(0, 0, ELM_NODRAW, &r, r.kind == CHR ? "AB" : nullptr) < 1) {
      std::printf("add failed at %d\n", i);
      return 1;
    }
  }

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

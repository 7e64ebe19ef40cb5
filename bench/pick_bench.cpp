// Nearest-element search over a drawing of 100,000 elements (lines, arcs, points
// and short texts spread over a 1000 x 1000 sheet): the time of one pick at
// random points with a pick aperture of 2 units. Goal: under 1 ms per pick, which
// needs the area cells to pass over the elements far from the point.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>

#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "select/near.h"
#include "select/picksys.h"
#include "settings/params.h"

namespace {

constexpr int COUNT = 100000;
constexpr int PICKS = 2000;

double now() {
#ifndef _WIN32
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
#else
  return double(std::clock()) / CLOCKS_PER_SEC;
#endif
}

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

  std::uniform_real_distribution<double> at(0, 1000);
  long found = 0;
  int32_t out[PCK_NEARMAX];
  const double t0 = now();
  for (int i = 0; i < PICKS; ++i)
    found += pck_near(0, 0, at(rng), at(rng), 15, 0xFFFF, 0xFFFF, 0xFF, out);
  const double t1 = now();
  const double ms = (t1 - t0) * 1000 / PICKS;
  std::printf("pck_near over %d elements: %.3f ms per pick (%d picks, %.2f hits each)\n", COUNT, ms, PICKS,
              double(found) / PICKS);
  dtb_term();
  return 0;
}

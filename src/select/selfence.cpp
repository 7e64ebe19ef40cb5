#include "select/selfence.h"

#include <cstring>

#include "database/elements.h"
#include "database/record.h"
#include "geometry/geo.h"
#include "settings/params.h"

int sel_fuzcmp(double a, double b) {
  if (b - 0.0099 <= a && a <= b + 0.0099)
    return 0;
  return b > a ? -1 : 1;
}

int sel_fencex(int n, const double p[2], const double q[2], const double *v) {
  const GeoPoint a{p[0], p[1]}, b{q[0], q[1]};
  for (int i = 0; i + 1 < n; ++i) {
    const GeoPoint s{v[2 * i], v[2 * i + 1]}, e{v[2 * i + 2], v[2 * i + 3]};
    GeoPoint x;
    if (geo_lnln(&a, &b, &s, &e, &x) != 0)
      continue;
    const bool ats = sel_fuzcmp(x.x, s.x) == 0 && sel_fuzcmp(x.y, s.y) == 0;
    const bool ate = sel_fuzcmp(x.x, e.x) == 0 && sel_fuzcmp(x.y, e.y) == 0;
    if (!ats && !ate)
      return 1;
  }
  return 0;
}

int sel_fenceln(int d, double x1, double y1, double x2, double y2) {
  if (d < 0)
    return -1;
  uint16_t layer = 0, attr = 0;
  sys_layer('r', d, &layer, nullptr);
  sys_linatr('R', &attr);
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = LIN;
  r.layer = uint8_t(layer);
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = uint16_t((attr & ~0x3FF0u) | 0x10u);
  return elm_add(d, ELM_AREA3 | ELM_NOCELL, 14, &r, nullptr);
}

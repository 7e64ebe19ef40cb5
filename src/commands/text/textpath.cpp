#include "commands/text/textpath.h"

#include <cmath>

#include "commands/text/textrule.h"
#include "database/cells.h"
#include "database/record.h"
#include "database/store.h"
#include "database/undo.h"
#include "geometry/text.h"
#include "input/rubber.h"

namespace {
bool finite(const GeoPoint &p) { return std::isfinite(p.x) && std::isfinite(p.y); }
} // namespace

double tpa_angle360(double a) {
  if (!std::isfinite(a))
    return 0;
  double v = std::fmod(a, 360.0);
  if (v < 0)
    v += 360;
  return v >= 360 ? 0 : v;
}

int tpa_line(const GeoPoint &p0, const GeoPoint &p1, const GeoPoint &q, double d, TpaLine *out) {
  if (!finite(p0) || !finite(p1) || !finite(q) || !std::isfinite(d))
    return 1;
  int32_t s = 0;
  if (geo_side(&p0, &p1, &q, &s) != 0)
    return 1;
  if (s == 0)
    s = 1;
  TpaLine t;
  t.side = s;
  if (geo_parallel(&p0, &p1, d, s, &t.copy0, &t.copy1) != 0)
    return 1;
  if (geo_perpft(&t.copy0, &t.copy1, &q, &t.base, nullptr) < 0)
    return 1;
  // The perpendicular toward the side is the direction + 90 on the left, - 90 on the
  // right; the text runs 90 degrees before it.
  const double dir = deg_atan2(p1.y - p0.y, p1.x - p0.x);
  t.angle = tpa_angle360(s < 0 ? dir : dir + 180);
  *out = t;
  return 0;
}

int tpa_arcside(const GeoPoint &centre, double r, const GeoPoint &q, int32_t *side) {
  if (!finite(centre) || !finite(q) || !std::isfinite(r))
    return 1;
  int32_t where = 0;
  if (geo_ptcirc(&centre, r, &q, &where) != 0)
    return 1;
  *side = where < 0 ? -1 : 1;
  return 0;
}

int tpa_arcbase(const GeoPoint &centre, double r, int32_t side, double dist, const GeoPoint &at, GeoPoint *base,
                double *angle) {
  if (!finite(centre) || !finite(at) || !std::isfinite(r) || !std::isfinite(dist))
    return 1;
  const double g = deg_atan2(at.y - centre.y, at.x - centre.x);
  const double rad = side < 0 ? r - dist : r + dist;
  const GeoPoint b{centre.x + rad * deg_cos(g), centre.y + rad * deg_sin(g)};
  if (!finite(b))
    return 1;
  *base = b;
  *angle = tpa_angle360(side < 0 ? g - 270 : g - 90);
  return 0;
}

double tpa_extent(const ChrLayout &lay) {
  const int n = lay.count < 0 ? 0 : lay.count > CHR_SLOTS ? CHR_SLOTS : lay.count;
  if (n < 2)
    return 0;
  int last = n - 1;
  if (lay.half[last] == 1 && lay.y[last] > lay.y[last - 1])
    --last;
  const double e = std::fabs(lay.y[last] - lay.y[0]);
  return std::isfinite(e) ? e : 0;
}

int cm_txtbox(uint16_t attr, const ChrLayout &lay, int32_t, double angle, const GeoPoint &point, GuideShape *outline) {
  return txt_box(uint16_t(attr & ~0x60u), lay.width, lay.height, angle, point.x, point.y, outline) == 0 ? 0 : 1;
}

int cm_txtjournal(int32_t first, int32_t last, int db) {
  for (int32_t n = first; n <= last; ++n) {
    const ElementRecord *p = dtb_get(db, n);
    if (!p)
      return 9;
    if (p->flags & ELM_ERASED)
      continue;
    const int rc = und_writ(db, p->flags > 32767 ? UND_ADDCONT : UND_ADD, n, 1, p);
    if (rc)
      return rc;
  }
  return 0;
}

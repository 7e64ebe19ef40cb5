#include "select/endpts.h"

#include <cmath>
#include <cstring>

#include "geometry/geo.h"
#include "settings/dbgtrace.h"

int entendt(int32_t kind, const double *g, double *start, double *end) {
  switch (kind) {
  case 2:
  case 17:
  case 18:
  case 19:
    if (start) {
      start[0] = g[0];
      start[1] = g[1];
    }
    if (end) {
      end[0] = g[2];
      end[1] = g[3];
    }
    return 0;
  case 4:
  case 20:
  case 24:
  case 25: {
    uint16_t attr;
    std::memcpy(&attr, g + 5, sizeof attr);
    double s = g[3], e = g[4];
    if (attr & 0x4000) {
      s = g[4];
      e = g[3];
    }
    if (start) {
      start[0] = g[0] + g[2] * std::cos(s * 0.017453292519943295);
      start[1] = g[1] + g[2] * std::sin(s * 0.017453292519943295);
    }
    if (end) {
      end[0] = g[0] + g[2] * std::cos(e * 0.017453292519943295);
      end[1] = g[1] + g[2] * std::sin(e * 0.017453292519943295);
    }
    return 0;
  }
  default:
    dbg_trace("<entendt> Return(%d), entyp=%d\n", 1, kind);
    return 1;
  }
}

namespace {
// Grows from -1 at 0 degrees through 1 at 180 to 3 at 360.
double sortkey(double c, double s) { return s >= 0 ? -c : 2 + c; }
} // namespace

double entnear(const double *p, const double *m, double r, const double *angles, double *out, int32_t *flag) {
  const double dx = p[0] - m[0], dy = p[1] - m[1];
  const double d = std::sqrt(dx * dx + dy * dy);
  const double s = angles[0];
  double e = angles[1];
  if (!(r > 0)) {
    *flag = 2;
    return 0;
  }
  *flag = 0;
  if (e == s + 360)
    e = s;
  const double cs = deg_cos(s), ss = deg_sin(s), ce = deg_cos(e), se = deg_sin(e);
  const double ax = m[0] + r * cs, ay = m[1] + r * ss, bx = m[0] + r * ce, by = m[1] + r * se;
  const double ks = sortkey(cs, ss), ke = sortkey(ce, se);
  if (d == 0) {
    out[0] = ax;
    out[1] = ay;
    return r;
  }
  const double kp = p[1] > m[1] ? -dx / d : dx / d + 2;
  const bool within = std::fabs(kp - ks) <= 1e-8 || std::fabs(kp - ke) <= 1e-8 ||
                      (ks <= ke && kp >= ks && kp <= ke) || (ks > ke && (kp <= ke || kp >= ks)) ||
                      (ks == ke && s == e);
  if (within) {
    out[0] = m[0] + dx * r / d;
    out[1] = m[1] + dy * r / d;
    return r - d;
  }
  *flag = 1;
  const double da = (p[0] - ax) * (p[0] - ax) + (p[1] - ay) * (p[1] - ay);
  const double db = (p[0] - bx) * (p[0] - bx) + (p[1] - by) * (p[1] - by);
  if (db < da) {
    out[0] = bx;
    out[1] = by;
    return std::sqrt(db);
  }
  out[0] = ax;
  out[1] = ay;
  return std::sqrt(da);
}

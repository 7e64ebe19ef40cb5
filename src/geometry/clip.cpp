#include "geometry/angle_util.h"
#include "geometry/geo.h"

#include <cmath>
#include <initializer_list>
#include <cstring>

namespace {

constexpr double CLIP_RAD2DEG = 180.0 / 3.141592653589793;

uint32_t strict_code(double xmin, double ymin, double xmax, double ymax, double x, double y) {
  uint32_t c = 0;
  if (x < xmin)
    c |= 1;
  else if (x > xmax)
    c |= 2;
  if (y < ymin)
    c |= 4;
  else if (y > ymax)
    c |= 8;
  return c;
}

// Clamped so that rounding at an edge through a circle's extreme point cannot give NaN.
double clamp1(double v) { return v < -1 ? -1 : (v > 1 ? 1 : v); }

GeoPoint axis_point(double cx, double cy, double r, int k) {
  switch (k & 3) {
  case 0:
    return {cx + r, cy};
  case 1:
    return {cx, cy + r};
  case 2:
    return {cx - r, cy};
  default:
    return {cx, cy - r};
  }
}

void clip_end(uint32_t code, double xmin, double ymin, double xmax, double ymax, double dx, double dy, double *x,
              double *y) {
  // Dividing first keeps the fraction of the segment near 1; the product of two
  // coordinate differences overflows above 1e154.
  if (code & 1) {
    *y += (xmin - *x) / dx * dy;
    *x = xmin;
  } else if (code & 2) {
    *y += (xmax - *x) / dx * dy;
    *x = xmax;
  }
  if (ymin < *y && *y < ymax)
    code &= ~12u;
  if (code & 4) {
    *x += (ymin - *y) / dy * dx;
    *y = ymin;
  } else if (code & 8) {
    *x += (ymax - *y) / dy * dx;
    *y = ymax;
  }
}

bool finite_all(std::initializer_list<double> v) {
  for (double d : v)
    if (!std::isfinite(d))
      return false;
  return true;
}

// The outcode of the point at angle a (degrees, 0 to 720) of the circle, as the library's sine
// and cosine give it. A short series settles the code unless the point lies within 1e-8 of the
// size of the figures from an edge; only then are the library's functions needed.
uint32_t sweep_end_code(double xmin, double ymin, double xmax, double ymax, double cx, double cy, double r, double a) {
  double ax = std::fabs(cx) + r, ay = std::fabs(cy) + r;
  if (ax < 1e300 && ay < 1e300 && a >= 0 && a <= 720) {
    int m = static_cast<int>(a * (1 / 90.0) + 0.5);
    double t = (a - 90.0 * m) * DEG2RAD; // |t| <= pi / 4 within rounding
    // Taylor terms up to t^9 and t^10, in pairs to shorten the chain: under 2e-9 off.
    double u = t * t, u2 = u * u, u4 = u2 * u2;
    double st = t * ((1 - u * (1.0 / 6)) + u2 * (1.0 / 120 - u * (1.0 / 5040)) + u4 * (1.0 / 362880));
    double ct = (1 - u * 0.5) + u2 * (1.0 / 24 - u * (1.0 / 720)) + u4 * (1.0 / 40320 - u * (1.0 / 3628800));
    double c, s;
    switch (m & 3) {
    case 0:
      c = ct, s = st;
      break;
    case 1:
      c = -st, s = ct;
      break;
    case 2:
      c = -ct, s = -st;
      break;
    default:
      c = st, s = -ct;
      break;
    }
    // Bounds the series, the library's error and all roundings with room to spare.
    double mx = ax * 1e-8 + 1e-300, my = ay * 1e-8 + 1e-300;
    double x = cx + r * c, y = cy + r * s;
    uint32_t code = 0;
    bool sure = true;
    if (x + mx < xmin)
      code |= 1;
    else if (x - mx < xmin)
      sure = false;
    else if (x - mx > xmax)
      code |= 2;
    else if (x + mx > xmax)
      sure = false;
    if (y + my < ymin)
      code |= 4;
    else if (y - my < ymin)
      sure = false;
    else if (y - my > ymax)
      code |= 8;
    else if (y + my > ymax)
      sure = false;
    if (sure)
      return code;
  }
  return strict_code(xmin, ymin, xmax, ymax, cx + r * std::cos(a * DEG2RAD), cy + r * std::sin(a * DEG2RAD));
}

double read_f64(const uint8_t *p) {
  double v;
  std::memcpy(&v, p, 8);
  return v;
}

uint16_t read_u16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Adds the axis points of the circle that lie inside the sweep. A full turn by the arc
// routines' common rule is the whole circle, and so, for a box, is a zero sweep.
void add_axis_points(double cx, double cy, double r, double start, double end, GeoPoint *min, GeoPoint *max) {
  if (ang_fullturn(start, end) || start == end) {
    start = 0;
    end = 360;
  }
  start = ang_wrap360(start);
  end = ang_wrap360(end);
  if (start >= end)
    end += 360;
  for (int k = 0; k <= 8; k++) {
    double a = k * 90.0;
    if (start <= a && a <= end) {
      GeoPoint p = axis_point(cx, cy, r, k);
      geo_boxadd(min, max, &p);
    }
  }
}

} // namespace

int geo_segclip(double xmin, double ymin, double xmax, double ymax, double *x1, double *y1, double *x2, double *y2) {
  if (!finite_all({*x1, *y1, *x2, *y2}))
    return 1; // nothing sensible to draw
  double dx = *x2 - *x1, dy = *y2 - *y1;
  if (!finite_all({dx, dy, xmax - xmin, ymax - ymin}) && finite_all({xmin, ymin, xmax, ymax})) {
    // Differences beyond the largest double: clip the figure at half size, which is exact,
    // and bring the ends back (they lie within the inputs' span, so doubling stays finite).
    double h[4] = {*x1 * 0.5, *y1 * 0.5, *x2 * 0.5, *y2 * 0.5};
    int rc = geo_segclip(xmin * 0.5, ymin * 0.5, xmax * 0.5, ymax * 0.5, &h[0], &h[1], &h[2], &h[3]);
    *x1 = h[0] * 2, *y1 = h[1] * 2, *x2 = h[2] * 2, *y2 = h[3] * 2;
    return rc;
  }
  uint32_t c1 = strict_code(xmin, ymin, xmax, ymax, *x1, *y1);
  uint32_t c2 = strict_code(xmin, ymin, xmax, ymax, *x2, *y2);
  if (c1 & c2)
    return 1;
  if (c1)
    clip_end(c1, xmin, ymin, xmax, ymax, dx, dy, x1, y1);
  if (c2)
    clip_end(c2, xmin, ymin, xmax, ymax, dx, dy, x2, y2);
  c1 = strict_code(xmin, ymin, xmax, ymax, *x1, *y1);
  c2 = strict_code(xmin, ymin, xmax, ymax, *x2, *y2);
  return c1 == 0 && c2 == 0 ? 0 : 1;
}

int geo_arcclip(double xmin, double ymin, double xmax, double ymax, double cx, double cy, double r, double start,
                double end, AngleInterval *out, uint32_t *count) {
  *count = 0;
  if (!(r > 1e-100))
    return 1001;
  // v - v is 0 for a finite v and NaN otherwise: one test for all nine.
  double z = (xmin - xmin) + (ymin - ymin) + (xmax - xmax) + (ymax - ymax) + (cx - cx) + (cy - cy) + (r - r) +
             (start - start) + (end - end);
  if (z != 0)
    return 1001;
  if (ang_fullturn(start, end)) {
    start = 0;
    end = 360;
  } else if (start != end) {
    start = ang_reduce(start);
    end = ang_reduce(end);
    if (start >= end)
      end += 360;
    if (ang_fullturn(start, end)) {
      start = 0;
      end = 360;
    }
  } else {
    start = end = ang_reduce(start); // a zero sweep stays one; only its turn count goes
  }
  if (xmin >= cx + r || cx - r >= xmax || ymin >= cy + r || cy - r >= ymax)
    return 0;
  if (xmin < cx - r && cx + r < xmax && ymin < cy - r && cy + r < ymax) {
    // The whole circle is inside: the quarters would join into the sweep itself.
    out[0] = {start, end};
    ang_norm_finite(&out[0].start, &out[0].end);
    *count = 1;
    return 0;
  }

  // At most five quarters, each writing at most two intervals.
  AngleInterval iv[12];
  int n = 0;
  bool pending = false;
  double pstart = 0, pend = 0;
  int q0 = static_cast<int>(start / 90), q1 = static_cast<int>(end / 90);
  uint32_t axcode[4];
  for (int k = 0; k < 4; k++) {
    GeoPoint a = axis_point(cx, cy, r, k);
    axcode[k] = strict_code(xmin, ymin, xmax, ymax, a.x, a.y);
  }
  uint32_t startcode = sweep_end_code(xmin, ymin, xmax, ymax, cx, cy, r, start);
  uint32_t endcode = sweep_end_code(xmin, ymin, xmax, ymax, cx, cy, r, end);
  // The edge crossings in degrees before each quarter folds them, computed once per edge.
  double cross[4];
  uint32_t known = 0;
  for (int q = q0; q <= q1; q++) {
    int k = q & 3;
    double a0 = q == q0 ? start : q * 90.0;
    double a1 = q == q1 ? end : (q + 1) * 90.0;
    uint32_t cf = q == q0 ? startcode : axcode[k];
    uint32_t cl = q == q1 ? endcode : axcode[(k + 1) & 3];
    bool startcut = cf != 0, endcut = cl != 0;
    if (cf & cl) {
      a1 = a0;
      startcut = endcut = true;
    } else {
      uint32_t all = cf | cl;
      for (int e = 3; e >= 0; e--) {
        uint32_t bit = 1u << e;
        if (!(all & bit))
          continue;
        if (!(known & bit)) {
          known |= bit;
          if (bit == 8 || bit == 4)
            cross[e] = std::asin(clamp1(((bit == 8 ? ymax : ymin) - cy) / r)) * CLIP_RAD2DEG;
          else
            cross[e] = std::acos(clamp1(((bit == 2 ? xmax : xmin) - cx) / r)) * CLIP_RAD2DEG;
        }
        double ang = cross[e];
        if (bit == 8 || bit == 4) {
          if (k == 1 || k == 2) {
            ang = 180 - ang;
            if (ang < 0)
              ang += 360;
          }
        } else if (k == 2 || k == 3) {
          ang = 360 - ang;
        }
        // Into this quarter's turn: raising only up to the start would leave an edge
        // through the centre at 0 where the quarter ending at 360 needs 360.
        while (ang < q * 90.0 - 45)
          ang += 360;
        if (cf & bit) {
          if (ang > a0)
            a0 = ang;
        } else if (ang < a1) {
          a1 = ang;
        }
      }
    }
    if (endcut) {
      if (pending) {
        if (!startcut) {
          iv[n++] = {pstart, a1};
        } else {
          iv[n++] = {pstart, pend};
          if (a1 > a0)
            iv[n++] = {a0, a1};
        }
        pending = false;
      } else if (a1 > a0) {
        iv[n++] = {a0, a1};
      }
    } else {
      if (!pending) {
        pending = true;
        pstart = a0;
      }
      pend = a1;
    }
  }
  if (pending)
    iv[n++] = {pstart, pend};
  if (n >= 2 && iv[0].start + 360 == iv[n - 1].end) {
    iv[0] = {iv[n - 1].start, iv[0].end + 360};
    n--;
  }
  if (n > ARCCLIP_MAX)
    n = ARCCLIP_MAX;
  for (int i = 0; i < n; i++) {
    ang_norm_finite(&iv[i].start, &iv[i].end);
    out[i] = iv[i];
  }
  *count = n;
  return 0;
}

uint32_t geo_outcd(const double *rect, double x, double y) {
  uint32_t c = 0;
  if (y - rect[3] > 1e-8)
    c |= 8;
  if (rect[1] - y > 1e-8)
    c |= 4;
  if (x - rect[2] > 1e-8)
    c |= 2;
  if (rect[0] - x > 1e-8)
    c |= 1;
  return c;
}

int geo_outcd2(const double *rect, double x1, double y1, double x2, double y2, uint32_t *code1, uint32_t *code2) {
  *code1 = geo_outcd(rect, x1, y1);
  *code2 = geo_outcd(rect, x2, y2);
  return 0;
}

int geo_segvis(const double *rect, double x1, double y1, double x2, double y2) {
  for (double v : {x1, y1, x2, y2})
    if (!std::isfinite(v))
      return 1;
  uint32_t c1, c2;
  geo_outcd2(rect, x1, y1, x2, y2, &c1, &c2);
  if (c1 == 0 || c2 == 0)
    return 0;
  if (c1 & c2)
    return 1;
  double dx = x2 - x1, dy = y2 - y1;
  if (!finite_all({dx, dy})) {
    // Beyond the largest double apart: the same test at half size, which is exact.
    const double half[4] = {rect[0] * 0.5, rect[1] * 0.5, rect[2] * 0.5, rect[3] * 0.5};
    return geo_segvis(half, x1 * 0.5, y1 * 0.5, x2 * 0.5, y2 * 0.5);
  }
  for (uint32_t bit : {1u, 2u, 4u, 8u}) {
    if (!(c1 & bit))
      continue;
    double x, y;
    if (bit <= 2) {
      if (dx == 0)
        continue;
      x = bit == 1 ? rect[0] : rect[2];
      y = y1 + (x - x1) / dx * dy; // divided first: no overflow above 1e154
    } else {
      if (dy == 0)
        continue;
      y = bit == 4 ? rect[1] : rect[3];
      x = x1 + (y - y1) / dy * dx;
    }
    if (geo_outcd(rect, x, y) == 0)
      return 0;
  }
  return 1;
}

int geo_arcvis(double px, double py, double hx, double hy, const double *rect, double cx, double cy, double r,
               double start, double end) {
  if (!(std::fabs(std::hypot(px - cx, py - cy) - r) <= std::sqrt(hx * hx + hy * hy)))
    return 1;
  for (double a : {start, end})
    if (geo_outcd(rect, cx + r * deg_cos(a), cy + r * deg_sin(a)) == 0)
      return 0;
  for (int e = 0; e < 4; e++) {
    bool vertical = e == 0 || e == 2; // x = xmin, y = ymin, x = xmax, y = ymax
    double off = (vertical ? rect[e] - cx : rect[e] - cy);
    double w = r * r - off * off;
    if (!(w >= 0))
      continue;
    double h = std::sqrt(w);
    for (double sgn : {-1.0, 1.0}) {
      double x = vertical ? rect[e] : cx + sgn * h;
      double y = vertical ? cy + sgn * h : rect[e];
      if (geo_outcd(rect, x, y) == 0 && geo_inarc(cx, cy, start, end, x, y) == 0)
        return 0;
    }
  }
  return 1;
}

void geo_boxadd(GeoPoint *min, GeoPoint *max, const GeoPoint *p) {
  if (min->x > max->x) {
    *min = *max = *p;
    return;
  }
  min->x = std::fmin(min->x, p->x);
  min->y = std::fmin(min->y, p->y);
  max->x = std::fmax(max->x, p->x);
  max->y = std::fmax(max->y, p->y);
}

void geo_arcbox(double cx, double cy, double r, double start, double end, GeoPoint *min, GeoPoint *max) {
  double sx = cx + r * deg_cos(start), sy = cy + r * deg_sin(start);
  double ex = cx + r * deg_cos(end), ey = cy + r * deg_sin(end);
  *min = {std::fmin(sx, ex), std::fmin(sy, ey)};
  *max = {std::fmax(sx, ex), std::fmax(sy, ey)};
  add_axis_points(cx, cy, r, start, end, min, max);
}

int geo_entbox(GeoPoint *min, GeoPoint *max, const uint8_t *record) {
  const uint8_t *b = record + 20;
  switch (read_u16(record + 4)) {
  case 1: {
    GeoPoint p{read_f64(b), read_f64(b + 8)};
    geo_boxadd(min, max, &p);
    break;
  }
  case 2: {
    GeoPoint p{read_f64(b), read_f64(b + 8)}, q{read_f64(b + 16), read_f64(b + 24)};
    geo_boxadd(min, max, &p);
    geo_boxadd(min, max, &q);
    break;
  }
  case 4: {
    double cx = read_f64(b), cy = read_f64(b + 8), r = read_f64(b + 16);
    double s = read_f64(b + 24), e = read_f64(b + 32);
    uint16_t word = read_u16(b + 40);
    if (((word >> 14) & 1) != ((word >> 15) & 1)) {
      double t = s;
      s = e;
      e = t;
    }
    GeoPoint p{cx + r * deg_cos(s), cy + r * deg_sin(s)}, q{cx + r * deg_cos(e), cy + r * deg_sin(e)};
    geo_boxadd(min, max, &p);
    geo_boxadd(min, max, &q);
    add_axis_points(cx, cy, r, s, e, min, max);
    break;
  }
  default:
    break;
  }
  return 0;
}

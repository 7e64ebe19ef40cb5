#include "geometry/geo.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr double PI = 3.141592653589793;

bool isfin(double v) { return std::isfinite(v); }

double dist(const GeoPoint *a, const GeoPoint *b) { return std::hypot(b->x - a->x, b->y - a->y); }

void raise(double *a) {
  if (*a < 0)
    *a += 360.0;
}

GeoPoint on_circle(const GeoPoint *c, double r, double a) { return {c->x + r * deg_cos(a), c->y + r * deg_sin(a)}; }

// Intersections of a segment (bounded) or a line with an arc.
int line_arc(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *c, double r, const AngleRange *angles,
             GeoPoint *q1, GeoPoint *q2, uint32_t *count, bool bounded) {
  double s = angles->start, e = angles->end;
  raise(&s);
  raise(&e);
  *count = 0;
  *q1 = *q2 = {0, 0};
  if (!(r > 0) || !isfin(r))
    return 1;
  if (std::fabs(p0->x - p1->x) < 1e-6 && std::fabs(p0->y - p1->y) < 1e-6)
    return 0;
  double dx = p1->x - p0->x, dy = p1->y - p0->y, l2 = dx * dx + dy * dy;
  double t = (dx * (p0->y - c->y) - dy * (p0->x - c->x)) / l2;
  double gap = std::sqrt(l2) * std::fabs(t) - r;
  GeoPoint cand[2];
  int n = 0;
  if (std::fabs(gap) < 1e-6) {
    cand[n++] = {c->x - dy * t, c->y + dx * t};
  } else if (gap < 0) {
    double d = (p1->x - c->x) * (p0->y - c->y) - (p0->x - c->x) * (p1->y - c->y);
    double h = std::sqrt(std::fabs(r * r * l2 - d * d));
    cand[n++] = {(-d * dy + h * dx) / l2 + c->x, (d * dx + h * dy) / l2 + c->y};
    cand[n++] = {(-d * dy - h * dx) / l2 + c->x, (d * dx - h * dy) / l2 + c->y};
  }
  GeoPoint keep[2];
  int k = 0;
  for (int i = 0; i < n; i++) {
    GeoPoint q = cand[i];
    if (!isfin(q.x) || !isfin(q.y))
      continue;
    if (geo_angout(s, e, deg_atan2(q.y - c->y, q.x - c->x)))
      continue;
    if (bounded) {
      double ax = q.x - p0->x, ay = q.y - p0->y, bx = q.x - p1->x, by = q.y - p1->y;
      if (ax * bx + ay * by > 0 && ax * ax + ay * ay > 1e-6 && bx * bx + by * by > 1e-6)
        continue;
    }
    keep[k++] = q;
  }
  *count = k;
  if (k >= 1)
    *q1 = *q2 = keep[0];
  if (k == 2)
    *q2 = keep[1];
  return 0;
}

// Inside one arc's sweep with the two-arc tolerance.
bool in_sweep(double s, double e, double a) {
  if (s == e || e - s == 360.0)
    return true;
  double lo = s - 0.0001, hi = e + 0.0001;
  if (lo > hi)
    hi += 360.0;
  if (a == 360.0)
    a = 0;
  if (!(a > lo))
    a += 360.0;
  return !(a > hi);
}

} // namespace

int geo_arc3p(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *p2, GeoPoint *centre, double *radius,
              AngleRange *angles) {
  double c = (p2->x - p0->x) * (p1->y - p0->y) - (p2->y - p0->y) * (p1->x - p0->x);
  if (!(std::fabs(c) >= 1e-6))
    return 1;
  double a = p1->x - p0->x, b = p2->x - p1->x;
  double den = 2 * (a * (p2->y - p1->y) - b * (p1->y - p0->y));
  double cx = (a * (p1->x + p0->x) * (p2->y - p1->y) - b * (p2->x + p1->x) * (p1->y - p0->y) +
               (p0->y - p2->y) * (p1->y - p0->y) * (p2->y - p1->y)) /
              den;
  double cy =
      (a * b * (p2->x - p0->x) + a * (p2->y + p1->y) * (p2->y - p1->y) - b * (p1->y + p0->y) * (p1->y - p0->y)) / den;
  GeoPoint cc{cx, cy};
  double r = dist(p0, &cc);
  if (!isfin(cx) || !isfin(cy) || !isfin(r))
    return 1;
  double a0 = deg_atan2(p0->y - cy, p0->x - cx), a2 = deg_atan2(p2->y - cy, p2->x - cx);
  bool ccw = (p1->x - p0->x) * (p2->y - p1->y) - (p1->y - p0->y) * (p2->x - p1->x) > 0;
  *centre = cc;
  *radius = r;
  *angles = ccw ? AngleRange{a0, a2} : AngleRange{a2, a0};
  return 0;
}

int geo_arcbulge(int side, double ratio, const GeoPoint *a, const GeoPoint *b, GeoPoint *centre, double *radius,
                 AngleRange *angles) {
  if (!(std::fabs(ratio) >= 1e-6))
    return 1;
  double chord = dist(a, b);
  if (!(chord >= 0.003))
    return 1;
  double dir = deg_atan2(b->y - a->y, b->x - a->x);
  double perp = side == 0 ? dir + 90 : dir - 90;
  if (perp < 0)
    perp += 360;
  if (perp >= 360)
    perp -= 360;
  GeoPoint m{(a->x + b->x) / 2 + chord * ratio * deg_cos(perp), (a->y + b->y) / 2 + chord * ratio * deg_sin(perp)};
  if (dist(&m, a) < 0.0015 || dist(&m, b) < 0.0015)
    return 1;
  AngleRange ang;
  if (geo_arc3p(a, &m, b, centre, radius, &ang) != 0)
    return 1;
  geo_angnorm(1, &ang.start, &ang.end);
  *angles = ang;
  return 0;
}

int geo_semicirc(const GeoPoint *p0, const GeoPoint *p1, GeoPoint *centre, double *radius) {
  double chord = dist(p0, p1);
  if (!(chord >= 0.003))
    return 1;
  double perp = deg_atan2(p1->y - p0->y, p1->x - p0->x) + 90;
  GeoPoint m{(p0->x + p1->x) / 2 + 0.5 * chord * deg_cos(perp), (p0->y + p1->y) / 2 + 0.5 * chord * deg_sin(perp)};
  if (dist(&m, p0) < 0.0015 || dist(&m, p1) < 0.0015)
    return 1;
  AngleRange ang;
  return geo_arc3p(p0, &m, p1, centre, radius, &ang);
}

int geo_arctan(double x0, double y0, double dir, double x1, double y1, double *cx, double *cy, double *radius,
               double *start, double *end, uint32_t *clockwise) {
  double chord = std::hypot(x1 - x0, y1 - y0);
  if (!(chord > 0.001) || !isfin(chord) || !isfin(dir))
    return 2;
  double a = deg_atan2(y1 - y0, x1 - x0) - dir;
  double s = std::fabs(deg_sin(a));
  if (!(s > 0.001))
    return 1;
  double r = 0.5 * chord / s;
  double red = std::fmod(a, 360.0);
  if (red < 0)
    red += 360.0;
  double ccx, ccy;
  uint32_t cw;
  if (red >= 180) {
    ccx = x0 + r * deg_sin(dir);
    ccy = y0 - r * deg_cos(dir);
    cw = 1;
  } else {
    ccx = x0 - r * deg_sin(dir);
    ccy = y0 + r * deg_cos(dir);
    cw = 0;
  }
  double a0 = deg_atan2(y0 - ccy, x0 - ccx), a1 = deg_atan2(y1 - ccy, x1 - ccx);
  *cx = ccx;
  *cy = ccy;
  *radius = r;
  *start = cw ? a1 : a0;
  *end = cw ? a0 : a1;
  *clockwise = cw;
  return 0;
}

int geo_segarc(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *centre, double radius, const AngleRange *angles,
               GeoPoint *q1, GeoPoint *q2, uint32_t *count) {
  return line_arc(p0, p1, centre, radius, angles, q1, q2, count, true);
}

int geo_lnarc(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *centre, double radius, const AngleRange *angles,
              GeoPoint *q1, GeoPoint *q2, uint32_t *count) {
  return line_arc(p0, p1, centre, radius, angles, q1, q2, count, false);
}

int geo_arcarc(const GeoPoint *c1, const GeoPoint *c2, double r1, double r2, const AngleRange *angles1,
               const AngleRange *angles2, GeoPoint *q1, GeoPoint *q2, uint32_t *count) {
  double s1 = angles1->start, e1 = angles1->end, s2 = angles2->start, e2 = angles2->end;
  raise(&s1);
  raise(&e1);
  raise(&s2);
  raise(&e2);
  *count = 0;
  if (std::fabs(r1 - r2) < 1e-6 && std::fabs(s1 - s2) < 1e-6 && std::fabs(e1 - e2) < 1e-6 &&
      std::fabs(c1->x - c2->x) < 1e-6 && std::fabs(c1->y - c2->y) < 1e-6)
    return 1;
  if (!(r1 > 0) || !(r2 > 0))
    return 1;
  for (double v : {r1, r2, s1, e1, s2, e2, c1->x, c1->y, c2->x, c2->y})
    if (!isfin(v))
      return 1;
  if (std::fabs(c1->x - c2->x) < 1e-6 && std::fabs(c1->y - c2->y) < 1e-6) {
    if (std::fabs(r1 - r2) >= 1e-6)
      return 0;
    auto frac = [](double d) {
      double m = std::fabs(d);
      return (m < 1e-6 || std::fabs(m - 360.0) < 1e-6) ? 0.0 : d / 360.0;
    };
    double f1 = frac(s1 - e2), f2 = frac(e1 - s2);
    if (std::fabs(2 * PI * r1 * f1) < 1e-6) {
      *q1 = *q2 = on_circle(c1, r1, s1);
      *count = 1;
    }
    if (std::fabs(2 * PI * r1 * f2) < 1e-6) {
      GeoPoint p = on_circle(c1, r1, e1);
      if (*count == 1) {
        *q2 = p;
        *count = 2;
      } else {
        *q1 = *q2 = p;
        *count = 1;
      }
    }
    return 0;
  }
  double d = dist(c1, c2);
  GeoPoint cand[2];
  int two = 0;
  if (std::fabs(std::fabs(r1 - r2) - d) < 1e-6 || std::fabs(r1 + r2 - d) < 1e-6) {
    cand[0] = r1 >= r2 ? GeoPoint{c1->x + (c2->x - c1->x) * r1 / d, c1->y + (c2->y - c1->y) * r1 / d}
                       : GeoPoint{c2->x + (c1->x - c2->x) * r2 / d, c2->y + (c1->y - c2->y) * r2 / d};
    cand[1] = cand[0];
  } else {
    if (r1 + r2 - d < 0 || std::fabs(r1 - r2) > d)
      return 0;
    double u = c2->y - c1->y, v = c1->x - c2->x, d2 = d * d;
    double k = (r1 * r1 - r2 * r2 + d2) / 2;
    // Rounding near tangency can make the root's argument slightly negative.
    double h = std::sqrt(std::fmax(0.0, r1 * r1 * d2 - k * k));
    cand[0] = {(-k * v + h * u) / d2 + c1->x, (k * u + h * v) / d2 + c1->y};
    cand[1] = {(-k * v - h * u) / d2 + c1->x, (k * u - h * v) / d2 + c1->y};
    two = 1;
  }
  *q1 = cand[0];
  *q2 = cand[1];
  AngleRange a1{s1, e1}, a2{s2, e2};
  return geo_arcfilt(c1, c2, &a1, &a2, q1, q2, count, two);
}

int geo_arcfilt(const GeoPoint *c1, const GeoPoint *c2, const AngleRange *angles1, const AngleRange *angles2,
                GeoPoint *q1, GeoPoint *q2, uint32_t *count, int two) {
  double s1 = angles1->start, e1 = angles1->end, s2 = angles2->start, e2 = angles2->end;
  raise(&s1);
  raise(&e1);
  raise(&s2);
  raise(&e2);
  auto inside = [&](const GeoPoint *q) {
    if (!isfin(q->x) || !isfin(q->y))
      return false;
    return in_sweep(s1, e1, deg_atan2(q->y - c1->y, q->x - c1->x)) &&
           in_sweep(s2, e2, deg_atan2(q->y - c2->y, q->x - c2->x));
  };
  bool in1 = inside(q1), in2 = two && inside(q2);
  if (in1 && in2) {
    *count = 2;
  } else if (in1) {
    *count = 1;
    *q2 = *q1;
  } else if (in2) {
    *count = 1;
    *q1 = *q2;
  } else {
    *count = 0;
    *q1 = *q2 = {0, 0};
  }
  return 0;
}

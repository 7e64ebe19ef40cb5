#include "geometry/geo.h"

#include <cmath>

namespace {

bool finite2(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// Unit direction p0 -> p1; (0, 0) when the points coincide.
GeoPoint unit(const GeoPoint *p0, const GeoPoint *p1) {
  double dx = p1->x - p0->x, dy = p1->y - p0->y;
  double len = std::sqrt(dx * dx + dy * dy);
  if (!(len > 0) || !std::isfinite(len))
    return {0, 0};
  return {dx / len, dy / len};
}

// Crossing of the lines p0-p1 and p2-p3; false when parallel (or the crossing is not finite).
bool crossing(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *p3, GeoPoint *out) {
  double a1 = p1->y - p0->y, b1 = p0->x - p1->x, c1 = a1 * p0->x + b1 * p0->y;
  double a2 = p3->y - p2->y, b2 = p2->x - p3->x, c2 = a2 * p2->x + b2 * p2->y;
  double det = a1 * b2 - b1 * a2;
  if (!(std::fabs(det) > 1e-8))
    return false;
  double x = (c1 * b2 - b1 * c2) / det, y = (a1 * c2 - c1 * a2) / det;
  if (!finite2(x, y))
    return false;
  *out = {x, y};
  return true;
}

GeoPoint ray(const GeoPoint *p, double angle, double len) {
  return {p->x + len * deg_cos(angle), p->y + len * deg_sin(angle)};
}

} // namespace

int geo_perpft(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q, GeoPoint *foot, double *dist) {
  double dx = p1->x - p0->x, dy = p1->y - p0->y;
  double l2 = dx * dx + dy * dy;
  double t = l2 > 1e-12 ? ((q->x - p0->x) * dy - (q->y - p0->y) * dx) / l2 : NAN;
  GeoPoint f{q->x - dy * t, q->y + dx * t};
  if (!finite2(f.x, f.y)) {
    if (dist)
      *dist = 0;
    return -1;
  }
  *foot = f;
  if (dist)
    *dist = std::sqrt(l2) * std::fabs(t);
  return (f.x - p0->x) * (f.x - p1->x) + (f.y - p0->y) * (f.y - p1->y) > 1e-6 ? 1 : 0;
}

int geo_ftperp(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q, GeoPoint *foot) {
  double dx = p1->x - p0->x, dy = p1->y - p0->y;
  double l2 = dx * dx + dy * dy;
  if (!(l2 > 1e-12))
    return 1;
  double t = ((q->x - p1->x) * dx + (q->y - p1->y) * dy) / l2;
  GeoPoint f{q->x - dx * t, q->y - dy * t};
  if (!finite2(f.x, f.y))
    return 1;
  *foot = f;
  return 0;
}

int geo_midfeet(const GeoPoint *q, const GeoPoint *a0, const GeoPoint *a1, const GeoPoint *b0, const GeoPoint *b1,
                GeoPoint *out) {
  GeoPoint fa = *q, fb = *q;
  double da = 0, db = 0;
  bool ona = geo_perpft(a0, a1, q, &fa, &da) < 0 || da < 1e-6;
  bool onb = geo_perpft(b0, b1, q, &fb, &db) < 0 || db < 1e-6;
  if (ona)
    fa = *q;
  if (onb)
    fb = *q;
  if (ona && onb) {
    *out = {0, 0};
    return 1;
  }
  *out = {(fa.x + fb.x) / 2, (fa.y + fb.y) / 2};
  return 0;
}

int geo_side(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q, int32_t *side) {
  double dx = p1->x - p0->x, dy = p1->y - p0->y;
  if (std::fabs(dx) < 1e-6 && std::fabs(dy) < 1e-6)
    return 1;
  double c = dx * (q->y - p0->y) - dy * (q->x - p0->x);
  if (!std::isfinite(c))
    return 1;
  *side = std::fabs(c) < 1e-6 ? 0 : (c > 0 ? -1 : 1);
  return 0;
}

int geo_onseg(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q) {
  // Every tolerance is a part of the segment's length: rounding grows with the coordinates,
  // so fixed ones decide differently at 1e-3 and at 1e5 of the same figure. q may lie a
  // millionth of the length off the line or beyond an end; the cross product is that
  // distance times the length, the dot product the overrun times the length.
  const double len = std::hypot(p1->x - p0->x, p1->y - p0->y), eps = 1e-6 * len;
  auto clean = [eps](double v) { return std::fabs(v) < eps ? 0.0 : v; };
  double dx = clean(p1->x - p0->x), dy = clean(p1->y - p0->y);
  double vx = clean(q->x - p0->x), vy = clean(q->y - p0->y);
  double wx = clean(q->x - p1->x), wy = clean(q->y - p1->y);
  double l2 = dx * dx + dy * dy;
  if (!(l2 >= 1e-6))
    return 1;
  double tol = eps * len;
  if (!(std::fabs(dx * vy - dy * vx) < tol))
    return 1;
  return vx * wx + vy * wy <= tol ? 0 : 1;
}

int geo_lnln(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *p3, GeoPoint *cross) {
  GeoPoint x;
  if (!crossing(p0, p1, p2, p3, &x)) {
    *cross = {0, 0};
    return 2;
  }
  *cross = x;
  return geo_onseg(p0, p1, &x) == 0 && geo_onseg(p2, p3, &x) == 0 ? 0 : 1;
}

int geo_lnseg(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *p3, GeoPoint *cross) {
  GeoPoint x;
  if (!crossing(p0, p1, p2, p3, &x)) {
    *cross = {0, 0};
    return 0;
  }
  *cross = x;
  return geo_onseg(p2, p3, &x) == 0 ? 1 : 0;
}

int geo_ptalong(const GeoPoint *p0, const GeoPoint *p1, double d, GeoPoint *out) {
  double dx = p1->x - p0->x, dy = p1->y - p0->y;
  double len = std::sqrt(dx * dx + dy * dy);
  if (!(d < len) || !(len > 0))
    return 1;
  GeoPoint r{p0->x + d * dx / len, p0->y + d * dy / len};
  if (!finite2(r.x, r.y))
    return 1;
  *out = r;
  return 0;
}

int geo_overrun(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q, int mode, double d, double extra) {
  if (std::fabs(p1->x - p0->x) < 1e-6 && std::fabs(p1->y - p0->y) < 1e-6)
    return -1;
  double dist = mode == 1 ? d + extra : d;
  GeoPoint u = unit(p0, p1);
  GeoPoint m{q->x + dist * u.x, q->y + dist * u.y};
  GeoPoint r;
  if (geo_rotate(p1, p0, &r, 90) != 0)
    return -1;
  int32_t side = 0;
  if (geo_side(p1, &r, &m, &side) != 0)
    return -1;
  return side == 1 ? 0 : 1;
}

int geo_stepdir(const GeoPoint *p0, const GeoPoint *p1, double d, const GeoPoint *q, GeoPoint *moved, GeoPoint *foot,
                int32_t *side) {
  GeoPoint u = unit(p0, p1);
  *moved = {q->x + d * u.x, q->y + d * u.y};
  geo_ftperp(p0, p1, q, foot);
  int32_t s = 0;
  if (geo_side(p0, p1, q, &s) != 0 || s == 0)
    return 1;
  *side = s;
  return 0;
}

int geo_setback(const GeoPoint *p0, const GeoPoint *p1, double d, const GeoPoint *a0, const GeoPoint *a1,
                GeoPoint *point, GeoPoint *foot) {
  GeoPoint u = unit(p0, p1);
  *point = {p1->x - d * u.x, p1->y - d * u.y};
  return geo_perpft(a0, a1, point, foot, nullptr) < 0 ? 1 : 0;
}

int geo_parallel(const GeoPoint *p1, const GeoPoint *p2, double d, int32_t s, GeoPoint *out1, GeoPoint *out2) {
  if (std::fabs(p2->x - p1->x) < 1e-6 && std::fabs(p2->y - p1->y) < 1e-6)
    return 1;
  double a = deg_atan2(p2->y - p1->y, p2->x - p1->x);
  double ox = d * s * deg_sin(a), oy = -d * s * deg_cos(a);
  *out1 = {p1->x + ox, p1->y + oy};
  *out2 = {p2->x + ox, p2->y + oy};
  return 0;
}

int geo_mirror(const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *q, GeoPoint *out) {
  GeoPoint foot;
  if (geo_perpft(p1, p2, q, &foot, nullptr) < 0)
    return 1;
  GeoPoint r{2 * foot.x - q->x, 2 * foot.y - q->y};
  if (!finite2(r.x, r.y))
    return 1;
  *out = r;
  return 0;
}

int geo_rotate(const GeoPoint *centre, const GeoPoint *point, GeoPoint *out, double angle) {
  double c = deg_cos(angle), s = deg_sin(angle);
  double dx = point->x - centre->x, dy = point->y - centre->y;
  GeoPoint r{centre->x + dx * c - dy * s, centre->y + dx * s + dy * c};
  if (!finite2(r.x, r.y))
    return 1;
  *out = r;
  return 0;
}

int geo_crnbox(const GuideBox *g, const GeoPoint *corner, GeoPoint out1[2], GeoPoint out2[2]) {
  double a90 = g->angle + 90;
  if (a90 >= 360)
    a90 -= 360;
  double ab = g->angle - g->bangle;
  if (ab < 0)
    ab += 360;
  double sign = 1;
  GeoPoint k1 = ray(corner, a90, 100), x;
  GeoPoint pa = ray(&g->base, g->angle, 100);
  if (geo_lnln(corner, &k1, &g->base, &pa, &x) == 2)
    return 1;
  if (deg_atan2(x.y - g->base.y, x.x - g->base.x) >= 180)
    sign = -1;
  GeoPoint pb = ray(&g->base, ab, 100);
  if (geo_lnln(corner, &k1, &g->base, &pb, &x) == 2)
    return 1;
  double dir = deg_atan2(x.y - corner->y, x.x - corner->x);
  double half = g->width1 / 2 + g->width2 / 2;
  out2[0] = x;
  out2[1] = {corner->x - half * deg_cos(dir), corner->y - half * deg_sin(dir)};
  double ux = sign * deg_cos(ab), uy = sign * deg_sin(ab);
  out1[0] = {g->base.x + g->len1 * ux, g->base.y + g->len1 * uy};
  out1[1] = {x.x + g->len2 * ux, x.y + g->len2 * uy};
  return 0;
}

int geo_alnbox(const GuideBox *g, const GeoPoint *corner, GeoPoint box[4], GeoPoint *anchor, double *label) {
  double a90 = g->angle + 90;
  if (a90 >= 360)
    a90 -= 360;
  GeoPoint k1 = ray(corner, a90, 100), pa = ray(&g->base, g->angle, 100), x;
  if (geo_lnln(corner, &k1, &g->base, &pa, &x) == 2)
    return 1;
  double t = deg_atan2(x.y - corner->y, x.x - corner->x);
  double lab = t, sign = 1;
  if (120 <= t && t < 300) {
    lab = t - 180;
    sign = -1;
  }
  if (lab < 0)
    lab += 360;
  if (lab >= 360)
    lab -= 360;
  *label = lab;
  double rot = (120 <= t + 1e-8 && t + 1e-8 < 300) ? -90 : 90;
  GeoPoint e1 = ray(corner, t, g->dist1), e2 = ray(corner, t, g->dist1 + g->dist2), r1, r2;
  if (geo_rotate(corner, &e1, &r1, rot) != 0 || geo_rotate(corner, &e2, &r2, rot) != 0)
    return 1;
  *anchor = r1;
  double ux = deg_cos(lab) * g->width1 * sign / 2, uy = deg_sin(lab) * g->width1 * sign / 2;
  box[0] = {r1.x - ux, r1.y - uy};
  box[1] = {r2.x - ux, r2.y - uy};
  box[2] = {r2.x + ux, r2.y + uy};
  box[3] = {r1.x + ux, r1.y + uy};
  return 0;
}

int geo_inband(const GeoPoint *q, const GeoPoint *x, const GeoPoint *p, const GeoPoint *qq, double angle,
               double width) {
  GeoPoint r, o1, o2;
  if (geo_rotate(p, x, &r, angle) != 0)
    return 1;
  int32_t s1 = 0, s2 = 0;
  if (geo_side(p, &r, qq, &s1) != 0)
    return 1;
  if (geo_parallel(p, x, width / 2, s1, &o1, &o2) != 0)
    return 1;
  if (geo_side(&o1, &o2, q, &s2) != 0)
    return 1;
  return s1 != 0 && s2 != 0 && s1 == s2 ? 0 : 1;
}

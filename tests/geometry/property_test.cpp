// Random figures: intersection points lie on both figures, clipped intervals lie inside the
// rectangle and every visible part of an arc is covered.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/geo.h"

namespace {

std::mt19937 rng(20261210);
double uni(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); }

double seg_dist(const GeoPoint &a, const GeoPoint &b, const GeoPoint &q) {
  double dx = b.x - a.x, dy = b.y - a.y, l2 = dx * dx + dy * dy;
  double t = l2 > 0 ? ((q.x - a.x) * dx + (q.y - a.y) * dy) / l2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return std::hypot(q.x - a.x - t * dx, q.y - a.y - t * dy);
}

// Angular distance of a direction outside a sweep (0 inside).
double sweep_miss(double s, double e, double a) {
  double sweep = std::fmod(e - s + 720, 360);
  if (e - s >= 360 || (e != s && sweep == 0))
    return 0;
  double off = std::fmod(a - s + 720, 360);
  if (off <= sweep)
    return 0;
  return std::fmin(off - sweep, 360 - off);
}

struct RandArc {
  GeoPoint c;
  double r;
  AngleRange a;
};

RandArc rand_arc() {
  RandArc r{{uni(-10, 10), uni(-10, 10)}, uni(0.5, 8), {uni(0, 360), uni(0, 360)}};
  geo_angnorm(1, &r.a.start, &r.a.end);
  return r;
}

bool on_arc(const RandArc &a, const GeoPoint &q) {
  if (std::fabs(std::hypot(q.x - a.c.x, q.y - a.c.y) - a.r) > 1e-6)
    return false;
  return sweep_miss(a.a.start, a.a.end, deg_atan2(q.y - a.c.y, q.x - a.c.x)) < 1e-4 + 0.001 / a.r * 57.3;
}

} // namespace

TEST(Property, SegmentSegment) {
  for (int i = 0; i < 20000; i++) {
    GeoPoint p[4];
    for (auto &q : p)
      q = {uni(-10, 10), uni(-10, 10)};
    GeoPoint x;
    int rc = geo_lnln(&p[0], &p[1], &p[2], &p[3], &x);
    ASSERT_TRUE(std::isfinite(x.x) && std::isfinite(x.y));
    if (rc == 0) {
      EXPECT_LT(seg_dist(p[0], p[1], x), 1e-6);
      EXPECT_LT(seg_dist(p[2], p[3], x), 1e-6);
    }
  }
}

TEST(Property, SegmentArc) {
  int found = 0;
  for (int i = 0; i < 20000; i++) {
    RandArc a = rand_arc();
    GeoPoint p0{uni(-15, 15), uni(-15, 15)}, p1{uni(-15, 15), uni(-15, 15)}, q[2];
    uint32_t n = 9;
    ASSERT_EQ(geo_segarc(&p0, &p1, &a.c, a.r, &a.a, &q[0], &q[1], &n), 0);
    ASSERT_LE(n, 2u);
    for (uint32_t k = 0; k < n; k++) {
      found++;
      EXPECT_LT(seg_dist(p0, p1, q[k]), 0.0011) << i;
      EXPECT_TRUE(on_arc(a, q[k])) << i;
    }
  }
  EXPECT_GT(found, 1000);
}

TEST(Property, ArcArc) {
  int found = 0;
  for (int i = 0; i < 20000; i++) {
    RandArc a = rand_arc(), b = rand_arc();
    GeoPoint q[2];
    uint32_t n = 9;
    geo_arcarc(&a.c, &b.c, a.r, b.r, &a.a, &b.a, &q[0], &q[1], &n);
    ASSERT_LE(n, 2u);
    for (uint32_t k = 0; k < n; k++) {
      found++;
      EXPECT_TRUE(on_arc(a, q[k]) && on_arc(b, q[k])) << i;
    }
  }
  EXPECT_GT(found, 1000);
}

TEST(Property, ClippedIntervalsInsideAndVisiblePartsCovered) {
  for (int i = 0; i < 5000; i++) {
    double xmin = uni(-10, 5), ymin = uni(-10, 5);
    double rect[4] = {xmin, ymin, xmin + uni(0.5, 10), ymin + uni(0.5, 10)};
    RandArc a = rand_arc();
    if (i % 3 == 0)
      a.a = {0, 360};
    AngleInterval out[ARCCLIP_MAX];
    uint32_t n = 9;
    ASSERT_EQ(geo_arcclip(rect[0], rect[1], rect[2], rect[3], a.c.x, a.c.y, a.r, a.a.start, a.a.end, out, &n), 0);
    ASSERT_LE(n, static_cast<uint32_t>(ARCCLIP_MAX));
    for (uint32_t k = 0; k < n; k++) {
      ASSERT_LE(out[k].start, out[k].end);
      EXPECT_LE(sweep_miss(a.a.start, a.a.end, out[k].start), 1e-6);
      for (int s = 0; s <= 8; s++) {
        double ang = out[k].start + (out[k].end - out[k].start) * s / 8;
        double x = a.c.x + a.r * deg_cos(ang), y = a.c.y + a.r * deg_sin(ang);
        EXPECT_TRUE(x >= rect[0] - 1e-6 && x <= rect[2] + 1e-6 && y >= rect[1] - 1e-6 && y <= rect[3] + 1e-6)
            << i << " interval " << k;
      }
    }
    for (int s = 0; s < 16; s++) {
      double sweep = a.a.end - a.a.start;
      double ang = a.a.start + sweep * (s + 0.5) / 16;
      double x = a.c.x + a.r * deg_cos(ang), y = a.c.y + a.r * deg_sin(ang);
      if (!(x > rect[0] + 1e-6 && x < rect[2] - 1e-6 && y > rect[1] + 1e-6 && y < rect[3] - 1e-6))
        continue;
      bool covered = false;
      for (uint32_t k = 0; k < n && !covered; k++)
        covered = std::fmod(ang - out[k].start + 720, 360) <= out[k].end - out[k].start + 1e-9;
      EXPECT_TRUE(covered) << i << " at " << ang;
    }
  }
}

TEST(Property, SegmentClip) {
  for (int i = 0; i < 20000; i++) {
    double rect[4] = {-5, -3, 4, 6};
    GeoPoint a{uni(-15, 15), uni(-15, 15)}, b{uni(-15, 15), uni(-15, 15)};
    double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
    if (geo_segclip(rect[0], rect[1], rect[2], rect[3], &x1, &y1, &x2, &y2) != 0)
      continue;
    for (GeoPoint q : {GeoPoint{x1, y1}, GeoPoint{x2, y2}}) {
      EXPECT_EQ(geo_outcd(rect, q.x, q.y), 0u) << i;
      EXPECT_LT(seg_dist(a, b, q), 1e-9) << i;
    }
    EXPECT_EQ(geo_segvis(rect, a.x, a.y, b.x, b.y), 0) << i;
  }
}

// Degenerate figures (coincident points, collinear points, radii not positive, huge or
// non-finite values) give each routine's refusal code and never a NaN or infinity.
TEST(Property, DegenerateInputGivesCodesNotNaN) {
  auto finite = [](const GeoPoint &p) { return std::isfinite(p.x) && std::isfinite(p.y); };
  for (int i = 0; i < 2000; i++) {
    GeoPoint a{uni(-10, 10), uni(-10, 10)}, q{uni(-10, 10), uni(-10, 10)};
    GeoPoint same = a, near{a.x + uni(-4e-7, 4e-7), a.y + uni(-4e-7, 4e-7)};
    double t = uni(-3, 3);
    GeoPoint dir{uni(-1, 1), uni(-1, 1)};
    GeoPoint onl{a.x + t * dir.x, a.y + t * dir.y}, onl2{a.x + 2 * t * dir.x, a.y + 2 * t * dir.y};
    GeoPoint out{1, 2}, out2{3, 4};
    double d = 5;
    int32_t side = 7;
    for (const GeoPoint *b : {&same, &near}) {
      EXPECT_EQ(geo_mirror(&a, b, &q, &out), 1);
      EXPECT_EQ(geo_perpft(&a, b, &q, &out, &d), -1);
      EXPECT_EQ(geo_ftperp(&a, b, &q, &out), 1);
      EXPECT_EQ(geo_side(&a, b, &q, &side), 1);
      EXPECT_EQ(geo_parallel(&a, b, 2, 1, &out, &out2), 1);
      EXPECT_EQ(geo_overrun(&a, b, &q, 0, 1, 0), -1);
      EXPECT_EQ(geo_onseg(&a, b, &q), 1);
      int rc = geo_lnln(&a, b, &q, &onl, &out); // a tiny line still has a direction
      EXPECT_TRUE(b == &near || rc == 2);
      geo_ptalong(&a, b, uni(-1, 1), &out);
      geo_stepdir(&a, b, 1, &q, &out, &out2, &side);
      EXPECT_EQ(geo_setback(&q, &onl, 1, &a, b, &out, &out2), 1);
      EXPECT_TRUE(finite(out) && finite(out2));
      EXPECT_EQ(side, 7);
      EXPECT_EQ(d, 0);
      d = 5;
    }
    GeoPoint c;
    double r = 9;
    AngleRange ang{7, 7};
    EXPECT_EQ(geo_arc3p(&a, &onl, &onl2, &c, &r, &ang), 1);
    EXPECT_EQ(geo_arc3p(&a, &q, &a, &c, &r, &ang), 1);
    EXPECT_EQ(geo_semicirc(&a, &near, &c, &r), 1);
    EXPECT_EQ(r, 9);
    uint32_t n = 9;
    AngleRange full{0, 360};
    EXPECT_EQ(geo_segarc(&a, &q, &a, -uni(0, 5), &full, &out, &out2, &n), 1);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(geo_arcarc(&a, &q, 0, 1, &full, &full, &out, &out2, &n), 1);
    EXPECT_TRUE(finite(out) && finite(out2));
    double big = uni(-1e300, 1e300), s = big, e = big + uni(0, 1e290);
    EXPECT_EQ(geo_angnorm(1, &s, &e), 0);
    EXPECT_TRUE(std::isfinite(s) && std::isfinite(e) && s <= e && e <= 360 && s > -360);
  }
}

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/geo.h"

namespace {
void expect_pt(const GeoPoint &p, double x, double y, double tol = 1e-9) {
  EXPECT_NEAR(p.x, x, tol);
  EXPECT_NEAR(p.y, y, tol);
}
const double NaN = std::nan("");
// Directions compared round the circle: a hair below 0 reads 360.
double turn(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }
} // namespace

TEST(Arc3p, Table) {
  struct {
    GeoPoint p0, p1, p2;
    int want;
    double cx, cy, r, s, e;
  } cases[] = {
      {{0, 0}, {1, 1}, {2, 0}, 0, 1, 0, 1, 0, 180}, // clockwise turn: starts at p2
      {{2, 0}, {1, 1}, {0, 0}, 0, 1, 0, 1, 0, 180}, // counter-clockwise: starts at p0
      {{1, 0}, {0, 1}, {-1, 0}, 0, 0, 0, 1, 0, 180},
      {{0, -1}, {1, 0}, {0, 1}, 0, 0, 0, 1, 270, 90},           // pair left unnormalised
      {{0, 0}, {1, 1}, {2, 2}, 1, 0, 0, 0, 0, 0},               // collinear
      {{0, 0}, {1, 1}, {0, 0}, 1, 0, 0, 0, 0, 0},               // p2 equal to p0
      {{0, 0}, {0.0005, 0.0005}, {0.001, 0}, 1, 0, 0, 0, 0, 0}, // cross product below 1e-6 (absolute)
  };
  for (auto c : cases) {
    GeoPoint centre{-7, -7};
    double r = -7;
    AngleRange a{-7, -7};
    EXPECT_EQ(geo_arc3p(&c.p0, &c.p1, &c.p2, &centre, &r, &a), c.want);
    if (c.want == 0) {
      expect_pt(centre, c.cx, c.cy);
      EXPECT_NEAR(r, c.r, 1e-9);
      EXPECT_NEAR(a.start, c.s, 1e-9);
      EXPECT_NEAR(a.end, c.e, 1e-9);
    } else {
      expect_pt(centre, -7, -7);
      EXPECT_EQ(r, -7);
    }
  }
  GeoPoint bad{NaN, 0}, p1{1, 1}, p2{2, 0}, centre{-7, -7};
  double r = -7;
  AngleRange a;
  EXPECT_EQ(geo_arc3p(&bad, &p1, &p2, &centre, &r, &a), 1);
  EXPECT_EQ(r, -7);
}

TEST(ArcConstructions, BulgeSemicircleTangent) {
  GeoPoint a{0, 0}, b{2, 0}, c;
  double r;
  AngleRange ang;
  EXPECT_EQ(geo_arcbulge(0, 0.5, &a, &b, &c, &r, &ang), 0); // middle 1 to the left: a half circle
  expect_pt(c, 1, 0);
  EXPECT_NEAR(r, 1, 1e-9);
  EXPECT_NEAR(ang.start, 0, 1e-9);
  EXPECT_NEAR(ang.end, 180, 1e-9);
  EXPECT_EQ(geo_arcbulge(1, 0.5, &a, &b, &c, &r, &ang), 0);
  EXPECT_NEAR(ang.start, 180, 1e-9); // the lower half, normalised
  EXPECT_NEAR(ang.end, 360, 1e-9);
  EXPECT_EQ(geo_arcbulge(0, 5e-7, &a, &b, &c, &r, &ang), 1);
  GeoPoint close{0.002, 0};
  EXPECT_EQ(geo_arcbulge(0, 0.5, &a, &close, &c, &r, &ang), 1);

  EXPECT_EQ(geo_semicirc(&a, &b, &c, &r), 0);
  expect_pt(c, 1, 0);
  EXPECT_NEAR(r, 1, 1e-9);
  EXPECT_EQ(geo_semicirc(&a, &close, &c, &r), 1);

  double cx, cy, rr, s, e;
  uint32_t cw = 9;
  EXPECT_EQ(geo_arctan(0, 0, 0, 5, 0, &cx, &cy, &rr, &s, &e, &cw), 1); // straight ahead
  EXPECT_EQ(geo_arctan(0, 0, 0, 0.0005, 0.0005, &cx, &cy, &rr, &s, &e, &cw), 2);
  EXPECT_EQ(geo_arctan(0, 0, 0, 1, 1, &cx, &cy, &rr, &s, &e, &cw), 0); // end to the left
  EXPECT_EQ(cw, 0u);
  EXPECT_NEAR(cx, 0, 1e-9);
  EXPECT_NEAR(cy, 1, 1e-9);
  EXPECT_NEAR(rr, 1, 1e-9);
  EXPECT_NEAR(turn(s, 270), 0, 1e-9);
  EXPECT_NEAR(turn(e, 0), 0, 1e-9);
  EXPECT_EQ(geo_arctan(0, 0, 0, 1, -1, &cx, &cy, &rr, &s, &e, &cw), 0); // to the right: clockwise
  EXPECT_EQ(cw, 1u);
  EXPECT_NEAR(cy, -1, 1e-9);
  EXPECT_NEAR(turn(s, 0), 0, 1e-9);
  EXPECT_NEAR(turn(e, 90), 0, 1e-9);
}

TEST(SegArc, Table) {
  const GeoPoint c{0, 0};
  const AngleRange full{0, 360}, upper{0, 180}, wrap{-10, 10};
  struct {
    GeoPoint p0, p1;
    AngleRange a;
    uint32_t count;
    GeoPoint q1, q2;
  } cases[] = {
      {{-2, 0}, {2, 0}, full, 2, {1, 0}, {-1, 0}}, // nearer p1 first
      {{2, 0}, {-2, 0}, full, 2, {-1, 0}, {1, 0}},
      {{-2, 1}, {2, 1}, full, 1, {0, 1}, {0, 1}}, // tangent: one point in both outputs
      {{-2, 0.5}, {2, 0.5}, upper, 2, {std::sqrt(0.75), 0.5}, {-std::sqrt(0.75), 0.5}},
      {{-2, -0.5}, {2, -0.5}, upper, 0, {0, 0}, {0, 0}},
      {{0, -2}, {0, 2}, wrap, 0, {0, 0}, {0, 0}}, // crossings at 90 and 270, outside (-10, 10)
      {{-2, 0}, {2, 0}, wrap, 1, {1, 0}, {1, 0}},
      {{-2, 2}, {2, 2}, full, 0, {0, 0}, {0, 0}},     // apart
      {{0, 0}, {0.9995, 0}, full, 1, {1, 0}, {1, 0}}, // 0.0005 beyond the end: kept
      {{0, 0}, {0.998, 0}, full, 0, {0, 0}, {0, 0}},  // 0.002 beyond: dropped
  };
  for (auto &t : cases) {
    GeoPoint q1{-9, -9}, q2{-9, -9};
    uint32_t n = 99;
    EXPECT_EQ(geo_segarc(&t.p0, &t.p1, &c, 1, &t.a, &q1, &q2, &n), 0);
    EXPECT_EQ(n, t.count) << t.p0.x << "," << t.p0.y;
    expect_pt(q1, t.q1.x, t.q1.y);
    expect_pt(q2, t.q2.x, t.q2.y);
  }
  GeoPoint p0{0, 0}, p1{0.998, 0}, q1, q2;
  uint32_t n = 0;
  EXPECT_EQ(geo_lnarc(&p0, &p1, &c, 1, &full, &q1, &q2, &n), 0); // the line is unbounded
  EXPECT_EQ(n, 2u);
  expect_pt(q1, 1, 0);
  expect_pt(q2, -1, 0);
  q1 = q2 = {5, 5};
  EXPECT_EQ(geo_segarc(&p0, &p1, &c, 0, &full, &q1, &q2, &n), 1);
  EXPECT_EQ(n, 0u);
  expect_pt(q1, 0, 0);
  EXPECT_EQ(geo_segarc(&p0, &p1, &c, -1, &full, &q1, &q2, &n), 1);
  EXPECT_EQ(geo_segarc(&p0, &p0, &c, 1, &full, &q1, &q2, &n), 0);
  EXPECT_EQ(n, 0u);
  GeoPoint bad{NaN, 0};
  EXPECT_EQ(geo_segarc(&bad, &p1, &c, 1, &full, &q1, &q2, &n), 0);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(geo_segarc(&p0, &p1, &c, NaN, &full, &q1, &q2, &n), 1);
}

TEST(ArcArc, Table) {
  const AngleRange full{0, 360};
  GeoPoint c1{0, 0}, c2{1, 0}, q1, q2;
  uint32_t n = 9;
  EXPECT_EQ(geo_arcarc(&c1, &c2, 1, 1, &full, &full, &q1, &q2, &n), 0);
  EXPECT_EQ(n, 2u);
  expect_pt(q1, 0.5, -std::sqrt(0.75));
  expect_pt(q2, 0.5, std::sqrt(0.75));

  AngleRange upper{0, 180};
  EXPECT_EQ(geo_arcarc(&c1, &c2, 1, 1, &upper, &full, &q1, &q2, &n), 0);
  EXPECT_EQ(n, 1u);
  expect_pt(q1, 0.5, std::sqrt(0.75));
  expect_pt(q2, 0.5, std::sqrt(0.75));

  GeoPoint c3{2, 0};
  EXPECT_EQ(geo_arcarc(&c1, &c3, 1, 1, &full, &full, &q1, &q2, &n), 0); // external tangency
  EXPECT_EQ(n, 1u);
  expect_pt(q1, 1, 0);
  GeoPoint c4{0.5, 0};
  EXPECT_EQ(geo_arcarc(&c1, &c4, 1, 0.5, &full, &full, &q1, &q2, &n), 0); // internal tangency
  EXPECT_EQ(n, 1u);
  expect_pt(q1, 1, 0);
  // Near-tangent circles whose root argument rounds below zero still give finite points.
  GeoPoint c5{2 - 2e-6, 0};
  EXPECT_EQ(geo_arcarc(&c1, &c5, 1, 1, &full, &full, &q1, &q2, &n), 0);
  EXPECT_TRUE(std::isfinite(q1.x) && std::isfinite(q1.y) && std::isfinite(q2.x) && std::isfinite(q2.y));

  GeoPoint c6{5, 0};
  q1 = q2 = {7, 7};
  EXPECT_EQ(geo_arcarc(&c1, &c6, 1, 1, &full, &full, &q1, &q2, &n), 0); // apart: outputs untouched
  EXPECT_EQ(n, 0u);
  expect_pt(q1, 7, 7);
  EXPECT_EQ(geo_arcarc(&c1, &c1, 1, 2, &full, &full, &q1, &q2, &n), 0); // concentric radii differ
  EXPECT_EQ(n, 0u);
  expect_pt(q1, 7, 7);
  EXPECT_EQ(geo_arcarc(&c1, &c1, 1, 1, &full, &full, &q1, &q2, &n), 1); // identical
  EXPECT_EQ(geo_arcarc(&c1, &c2, 0, 1, &full, &full, &q1, &q2, &n), 1);
  EXPECT_EQ(geo_arcarc(&c1, &c2, 1, NaN, &full, &full, &q1, &q2, &n), 1);

  // One circle: end to end in one point, both ends shared in two.
  AngleRange a{0, 90}, b{90, 180}, rest{90, 360};
  EXPECT_EQ(geo_arcarc(&c1, &c1, 1, 1, &a, &b, &q1, &q2, &n), 0);
  EXPECT_EQ(n, 1u);
  expect_pt(q1, 0, 1);
  expect_pt(q2, 0, 1);
  EXPECT_EQ(geo_arcarc(&c1, &c1, 1, 1, &a, &rest, &q1, &q2, &n), 0);
  EXPECT_EQ(n, 2u);
  expect_pt(q1, 1, 0);
  expect_pt(q2, 0, 1);
}

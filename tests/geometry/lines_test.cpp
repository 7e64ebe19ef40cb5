#include <gtest/gtest.h>

#include <cmath>

#include "geometry/geo.h"

namespace {
void expect_pt(const GeoPoint &p, double x, double y, double tol = 1e-9) {
  EXPECT_NEAR(p.x, x, tol);
  EXPECT_NEAR(p.y, y, tol);
}
const GeoPoint O{0, 0}, X10{10, 0};
} // namespace

TEST(PerpFoot, Table) {
  struct {
    GeoPoint q;
    int want;
    double fx, fy, dist;
  } cases[] = {
      {{5, 3}, 0, 5, 0, 3},    {{12, 3}, 1, 12, 0, 3}, {{10.0005, 1}, 1, 10.0005, 0, 1},
      {{10, -2}, 0, 10, 0, 2}, {{0, 0}, 0, 0, 0, 0},
  };
  for (auto c : cases) {
    GeoPoint f{-1, -1};
    double d = -1;
    EXPECT_EQ(geo_perpft(&O, &X10, &c.q, &f, &d), c.want) << c.q.x;
    expect_pt(f, c.fx, c.fy);
    EXPECT_NEAR(d, c.dist, 1e-9);
  }
  GeoPoint f{7, 7}, p{1e-7, 0}, q{3, 3};
  double d = 5;
  EXPECT_EQ(geo_perpft(&O, &p, &q, &f, &d), -1);
  EXPECT_EQ(d, 0);
  expect_pt(f, 7, 7);
  EXPECT_EQ(geo_perpft(&O, &O, &q, &f, nullptr), -1);
}

TEST(Lines, SideOnSegAndFeet) {
  GeoPoint x1{1, 0}, left{0, 1}, right{0, -1}, on{5, 0};
  int32_t s = 99;
  EXPECT_EQ(geo_side(&O, &x1, &left, &s), 0);
  EXPECT_EQ(s, -1);
  EXPECT_EQ(geo_side(&O, &x1, &right, &s), 0);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(geo_side(&O, &x1, &on, &s), 0);
  EXPECT_EQ(s, 0);
  s = 99;
  GeoPoint tiny{5e-7, 5e-7};
  EXPECT_EQ(geo_side(&O, &tiny, &left, &s), 1);
  EXPECT_EQ(s, 99);

  struct {
    GeoPoint a, b, q;
    int want;
  } onseg[] = {
      {O, X10, {5, 0}, 0},    {O, X10, {10, 0}, 0},     {O, X10, {10.002, 0}, 1},
      {O, X10, {5, 1e-7}, 0}, {O, X10, {5, 0.001}, 1},  {O, {0.0009, 0}, O, 1},
      {O, O, O, 1},           {O, {3, 4}, {1.5, 2}, 0},
  };
  for (auto c : onseg)
    EXPECT_EQ(geo_onseg(&c.a, &c.b, &c.q), c.want) << c.q.x << "," << c.q.y;

  GeoPoint foot{-1, -1}, q{3, 7};
  EXPECT_EQ(geo_ftperp(&O, &X10, &q, &foot), 0);
  expect_pt(foot, 10, 7);
  foot = {-1, -1};
  EXPECT_EQ(geo_ftperp(&X10, &X10, &q, &foot), 1);
  expect_pt(foot, -1, -1);
}

TEST(Lines, Crossings) {
  struct {
    GeoPoint p0, p1, p2, p3;
    int want;
    double x, y;
  } cases[] = {
      {O, {10, 10}, {0, 10}, {10, 0}, 0, 5, 5}, {O, {10, 0}, {11, -1}, {11, 1}, 1, 11, 0}, // just past an end
      {O, {10, 0}, {0, 1}, {10, 1}, 2, 0, 0},                                              // parallel
      {O, {10, 0}, {10, 0}, {10, 5}, 0, 10, 0},                                            // meeting at an end
      {O, O, {0, 1}, {10, 1}, 2, 0, 0},                                                    // degenerate first line
  };
  for (auto c : cases) {
    GeoPoint x{-1, -1};
    EXPECT_EQ(geo_lnln(&c.p0, &c.p1, &c.p2, &c.p3, &x), c.want);
    expect_pt(x, c.x, c.y);
  }
  GeoPoint x;
  GeoPoint a{0, 1}, b{0, 2}, c{-5, 0}, d{5, 0};
  EXPECT_EQ(geo_lnseg(&a, &b, &c, &d, &x), 1); // infinite line x = 0 crosses the segment
  expect_pt(x, 0, 0);
  GeoPoint e{6, 0}, f{9, 0};
  EXPECT_EQ(geo_lnseg(&a, &b, &e, &f, &x), 0);
  GeoPoint g{1, 1}, h{1, 2};
  EXPECT_EQ(geo_lnseg(&a, &b, &g, &h, &x), 0);
  expect_pt(x, 0, 0);
}

TEST(Lines, AlongOverrunStepSetback) {
  GeoPoint out{-1, -1};
  EXPECT_EQ(geo_ptalong(&O, &X10, 4, &out), 0);
  expect_pt(out, 4, 0);
  out = {-1, -1};
  EXPECT_EQ(geo_ptalong(&O, &X10, 10, &out), 1);
  EXPECT_EQ(geo_ptalong(&O, &O, -1, &out), 1); // degenerate: no direction to step along
  expect_pt(out, -1, -1);

  GeoPoint q{5, 0}, q2{9, 0};
  EXPECT_EQ(geo_overrun(&O, &X10, &q, 0, 2, 0), 0);
  EXPECT_EQ(geo_overrun(&O, &X10, &q, 0, 5, 0), 1); // lands on the perpendicular
  EXPECT_EQ(geo_overrun(&O, &X10, &q2, 1, 0.5, 1), 1);
  EXPECT_EQ(geo_overrun(&O, &O, &q, 0, 1, 0), -1);

  GeoPoint moved, foot{-1, -1};
  int32_t side = 99;
  GeoPoint above{3, 2};
  EXPECT_EQ(geo_stepdir(&O, &X10, 2, &above, &moved, &foot, &side), 0);
  expect_pt(moved, 5, 2);
  expect_pt(foot, 10, 2);
  EXPECT_EQ(side, -1);
  side = 99;
  EXPECT_EQ(geo_stepdir(&O, &X10, 2, &q, &moved, &foot, &side), 1);
  EXPECT_EQ(side, 99);
  EXPECT_EQ(geo_stepdir(&O, &O, 2, &q, &moved, &foot, &side), 1);
  EXPECT_TRUE(std::isfinite(moved.x) && std::isfinite(moved.y));

  GeoPoint pt, ft, a0{0, 5}, a1{10, 5};
  EXPECT_EQ(geo_setback(&O, &X10, 3, &a0, &a1, &pt, &ft), 0);
  expect_pt(pt, 7, 0);
  expect_pt(ft, 7, 5);
  EXPECT_EQ(geo_setback(&O, &X10, 3, &a0, &a0, &pt, &ft), 1);
}

TEST(Lines, MidFeet) {
  GeoPoint a0{0, 0}, a1{10, 0}, b0{0, 0}, b1{0, 10}, out;
  GeoPoint q{4, 2};
  EXPECT_EQ(geo_midfeet(&q, &a0, &a1, &b0, &b1, &out), 0);
  expect_pt(out, 2, 1); // midpoint of (4, 0) and (0, 2)
  GeoPoint onfirst{4, 0};
  EXPECT_EQ(geo_midfeet(&onfirst, &a0, &a1, &b0, &b1, &out), 0);
  expect_pt(out, 2, 0); // q and its foot (0, 0) on the second line
  EXPECT_EQ(geo_midfeet(&O, &a0, &a1, &b0, &b1, &out), 1);
  expect_pt(out, 0, 0);
}

TEST(Lines, ParallelMirrorRotate) {
  GeoPoint o1, o2;
  EXPECT_EQ(geo_parallel(&O, &X10, 2, +1, &o1, &o2), 0);
  expect_pt(o1, 0, -2);
  expect_pt(o2, 10, -2);
  EXPECT_EQ(geo_parallel(&O, &X10, 2, -1, &o1, &o2), 0);
  expect_pt(o1, 0, 2);
  GeoPoint near{5e-7, -5e-7};
  EXPECT_EQ(geo_parallel(&O, &near, 2, 1, &o1, &o2), 1);

  struct {
    GeoPoint p1, p2, q;
    double x, y;
  } mirror[] = {
      {O, X10, {3, 4}, 3, -4},
      {O, {1, 1}, {1, 0}, 0, 1},
      {{0, 5}, {0, 6}, {2, 9}, -2, 9},
  };
  for (auto c : mirror) {
    GeoPoint out;
    EXPECT_EQ(geo_mirror(&c.p1, &c.p2, &c.q, &out), 0);
    expect_pt(out, c.x, c.y);
  }
  // A degenerate axis is refused and leaves the output alone (no NaN).
  GeoPoint out{42, 43}, q{3, 4};
  EXPECT_EQ(geo_mirror(&X10, &X10, &q, &out), 1);
  expect_pt(out, 42, 43);
  GeoPoint tiny{10 + 1e-7, 0};
  EXPECT_EQ(geo_mirror(&X10, &tiny, &q, &out), 1);
  expect_pt(out, 42, 43);

  GeoPoint c{1, 1}, p{2, 1};
  EXPECT_EQ(geo_rotate(&c, &p, &out, 90), 0);
  expect_pt(out, 1, 2, 1e-12);
  EXPECT_EQ(geo_rotate(&c, &p, &p, 180), 0); // output may be the input
  expect_pt(p, 0, 1, 1e-12);
  EXPECT_EQ(geo_rotate(&c, &p, &p, std::nan("")), 1);
  expect_pt(p, 0, 1, 1e-12);
}

TEST(GuideBoxes, CornerAndLabelBoxes) {
  GuideBox g{};
  g.base = {0, 0};
  g.angle = 0;
  g.bangle = 0;
  g.len1 = 2;
  g.len2 = 3;
  g.width1 = 4;
  g.width2 = 2;
  GeoPoint k{5, 5}, out1[2], out2[2];
  ASSERT_EQ(geo_crnbox(&g, &k, out1, out2), 0);
  expect_pt(out2[0], 5, 0);
  expect_pt(out2[1], 5, 8); // K less (W1 + W2) / 2 towards the crossing
  expect_pt(out1[0], 2, 0);
  expect_pt(out1[1], 8, 0);
  GeoPoint kl{-5, 5};
  ASSERT_EQ(geo_crnbox(&g, &kl, out1, out2), 0); // crossing at 180 degrees from P: direction flips
  expect_pt(out1[0], -2, 0);
  expect_pt(out1[1], -8, 0);

  g.dist1 = 1;
  g.dist2 = 4;
  g.width1 = 2;
  GeoPoint box[4], anchor;
  double label = -1;
  GeoPoint below{0, 5}; // the crossing lies straight below: t = 270, read upright as 90
  ASSERT_EQ(geo_alnbox(&g, &below, box, &anchor, &label), 0);
  EXPECT_NEAR(label, 90, 1e-9);
  g.angle = 60; // direction line at 60 degrees through the origin, met from K at the origin
  GeoPoint kk{std::sqrt(3.0) * 5, -5};
  ASSERT_EQ(geo_alnbox(&g, &kk, box, &anchor, &label), 0);
  EXPECT_NEAR(label, 330, 1e-9); // t = 150 is turned to read upright
  // Box corners: R1 - u/2, R2 - u/2, R2 + u/2, R1 + u/2 with u of length W1.
  EXPECT_NEAR(std::hypot(box[0].x - box[3].x, box[0].y - box[3].y), 2, 1e-9);
  EXPECT_NEAR(std::hypot(box[1].x - box[0].x, box[1].y - box[0].y), 4, 1e-9);
  g.angle = 0;
  GeoPoint on{3, 0};
  GeoPoint dummy[4];
  EXPECT_EQ(geo_alnbox(&g, &on, dummy, &anchor, &label), 0);
}

TEST(GuideBoxes, InBand) {
  GeoPoint x{10, 0}, p{0, 0};
  GeoPoint qq{5, 3}; // side reference: left of P -> X turned by 0
  GeoPoint inside{5, 2}, outside{5, 0.5}, other{5, -2};
  EXPECT_EQ(geo_inband(&inside, &x, &p, &qq, 0, 2), 0);
  EXPECT_EQ(geo_inband(&outside, &x, &p, &qq, 0, 2), 1);
  EXPECT_EQ(geo_inband(&other, &x, &p, &qq, 0, 2), 1);
  EXPECT_EQ(geo_inband(&inside, &p, &p, &qq, 0, 2), 1); // degenerate
}

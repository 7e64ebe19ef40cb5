#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/geo.h"

namespace {
constexpr double INF = std::numeric_limits<double>::infinity();
const double NaN = std::nan("");
} // namespace

TEST(DegTrig, FixedConstantsAndDirections) {
  EXPECT_DOUBLE_EQ(deg_sin(30), std::sin(30 * 0.017453292519943295));
  EXPECT_NEAR(deg_cos(60), 0.5, 1e-15);
  EXPECT_NEAR(deg_tan(45), 1.0, 1e-15);
  EXPECT_NEAR(deg_asin(0.5), 30, 1e-12);
  EXPECT_NEAR(deg_acos(0.5), 60, 1e-12);
  EXPECT_NEAR(deg_atan(1), 45, 1e-12);
  struct {
    double dy, dx, want;
  } cases[] = {{0, 0, 0}, {0, -1, 180}, {-1, 0, 270}, {-0.0, -1, 180}, {1, 1, 45}, {0, 1, 0}, {-1e-300, 1, 360}};
  for (auto c : cases)
    EXPECT_NEAR(deg_atan2(c.dy, c.dx), c.want, 1e-12) << c.dy << "," << c.dx;
}

TEST(AngNorm, Table) {
  struct {
    double s, e, ws, we;
  } cases[] = {
      {350, 10, -10, 10}, {0, 359.9999995, 0, 360}, {-30, -30, 330, 330}, {400, 30, 0, 360},
      {10, 10, 10, 10},   {0, 360, 0, 360},         {-90, 270, 0, 360},   {30, 90, 30, 90},
      {720, 800, 0, 80},  {-400, -350, -40, 10},    {360, 360, 360, 360}, {90, 30, -270, 30},
  };
  for (auto c : cases) {
    double s = c.s, e = c.e;
    EXPECT_EQ(geo_angnorm(1, &s, &e), 0);
    EXPECT_NEAR(s, c.ws, 1e-9) << c.s << "," << c.e;
    EXPECT_NEAR(e, c.we, 1e-9) << c.s << "," << c.e;
  }
}

TEST(AngNorm, HugeValuesEndAndNonFiniteIsAnError) {
  double s = 1e300, e = 1e300 + 0; // a zero sweep of a huge angle: reduced in one step
  EXPECT_EQ(geo_angnorm(1, &s, &e), 0);
  EXPECT_TRUE(std::isfinite(s) && std::isfinite(e));
  EXPECT_GE(e, s);
  EXPECT_LE(e, 360);
  for (double bad : {NaN, INF, -INF}) {
    double a = bad, b = 10;
    EXPECT_EQ(geo_angnorm(1, &a, &b), 1);
    EXPECT_EQ(b, 10);
    a = 10, b = bad;
    EXPECT_EQ(geo_angnorm(1, &a, &b), 1);
    EXPECT_EQ(a, 10);
  }
}

TEST(SweepTests, AngOutTable) {
  struct {
    double s, e, a;
    int want;
  } cases[] = {
      {10, 10, 200, 0},       {0, 360, 200, 0},  {350, 10, 355, 0},      {350, 10, 5, 0},
      {350, 10, 11, 1},       {-10, 10, 355, 1}, {0, 90, 90.0000009, 0}, {0, 90, 90.000002, 1},
      {0, 90, -0.0000005, 0}, {0, 90, 360, 0},   {90, 180, 45, 1},       {0, 359.9999995, 200, 0},
  };
  for (auto c : cases) {
    EXPECT_EQ(geo_angout(c.s, c.e, c.a), c.want) << c.s << "," << c.e << "," << c.a;
    EXPECT_EQ(geo_angout2(c.s, c.e, c.a), c.want);
  }
  EXPECT_EQ(geo_angout(0, 90, NaN), 1);
  EXPECT_EQ(geo_angout(0, 360, NaN), 1);
}

TEST(SweepTests, AngTolScalesWithRadius) {
  double tol1 = std::asin(0.001) * 57.29577951308232; // about 0.0573 degree at radius 1
  EXPECT_EQ(geo_angtol(0, 90, 90 + tol1 * 0.99, 1), 0);
  EXPECT_EQ(geo_angtol(0, 90, 90 + tol1 * 1.01, 1), 1);
  EXPECT_EQ(geo_angtol(0, 90, 90.0009, 0.005), 0);
  EXPECT_EQ(geo_angtol(0, 90, 90.0011, 0.005), 1);
  EXPECT_EQ(geo_angtol(10, 10, 200, 5), 0);
  EXPECT_EQ(geo_angtol(0, 360, 200, 5), 0);
  EXPECT_EQ(geo_angtol(350, 10, 5, 5), 0);
  EXPECT_EQ(geo_angtol(-10, 10, 355, 5), 0);
  EXPECT_EQ(geo_angtol(1e300, 10, 5, 5), geo_angtol(std::fmod(1e300, 360.0), 10, 5, 5));
  EXPECT_EQ(geo_angtol(0, 90, 45, NaN), 1);
}

TEST(SweepTests, InArc) {
  EXPECT_EQ(geo_inarc(0, 0, 30, 30, 1, 0), 1);
  EXPECT_EQ(geo_inarc(0, 0, 30, 30, std::cos(0.5236), std::sin(0.5236)), 1);
  EXPECT_EQ(geo_inarc(0, 0, -10, 10, std::cos(-5 * DEG2RAD), std::sin(-5 * DEG2RAD)), 0); // 355: second try
  EXPECT_EQ(geo_inarc(0, 0, 0, 90, 0, 1), 0);
  EXPECT_EQ(geo_inarc(0, 0, 0, 90, -1, 0), 1);
  EXPECT_EQ(geo_inarc(0, 0, 0, 90, 0, 0), 0); // centre counts as direction 0
  EXPECT_EQ(geo_inarc(0, 0, 10, 90, std::cos(9.996 * DEG2RAD), std::sin(9.996 * DEG2RAD)), 0);
  EXPECT_EQ(geo_inarc(0, 0, 10, 90, std::cos(9.99 * DEG2RAD), std::sin(9.99 * DEG2RAD)), 1);
  EXPECT_EQ(geo_inarc(0, 0, 0, 90, NaN, 1), 1);
}

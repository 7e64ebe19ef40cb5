#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/geo.h"
#include "select/endpts.h"

namespace {

TEST(EntNear, ArcAcrossZeroDegrees) {
  const double m[2] = {10, 20}, ang[2] = {350, 10};
  struct Case {
    double deg, dist; // the point at this direction and distance from the centre
    int32_t flag;
    double outdeg; // direction of the answer from the centre
    double result;
  } cases[] = {
      {0, 7, 0, 0, 5 - 7},                            // on the sweep: the projection
      {5, 3, 0, 5, 5 - 3},                            //
      {355, 5, 0, 355, 0},                            //
      {350, 9, 0, 350, 5 - 9},                        // at the start itself
      {10, 6, 0, 10, 5 - 6},                          // at the end itself
      {20, 5, 1, 10, 2 * 5 * std::sin(5 * DEG2RAD)},  // beyond the end: the end point
      {340, 5, 1, 350, 2 * 5 * std::sin(5 * DEG2RAD)}, // before the start: the start point
  };
  for (const Case &c : cases) {
    const double p[2] = {m[0] + c.dist * deg_cos(c.deg), m[1] + c.dist * deg_sin(c.deg)};
    double out[2];
    int32_t flag = -1;
    const double r = entnear(p, m, 5, ang, out, &flag);
    EXPECT_EQ(flag, c.flag) << c.deg;
    EXPECT_NEAR(r, c.result, 1e-9) << c.deg;
    EXPECT_NEAR(out[0], m[0] + 5 * deg_cos(c.outdeg), 1e-9) << c.deg;
    EXPECT_NEAR(out[1], m[1] + 5 * deg_sin(c.outdeg), 1e-9) << c.deg;
  }
  // Near 180 degrees: the nearer end.
  const double p[2] = {m[0] - 5, m[1] - 0.1};
  double out[2];
  int32_t flag = -1;
  entnear(p, m, 5, ang, out, &flag);
  EXPECT_EQ(flag, 1);
  EXPECT_NEAR(out[1], m[1] + 5 * deg_sin(350), 1e-9);
}

TEST(EntNear, CentreFullCircleAndBadRadius) {
  const double m[2] = {0, 0}, ang[2] = {30, 60};
  double out[2];
  int32_t flag = -1;
  EXPECT_DOUBLE_EQ(entnear(m, m, 4, ang, out, &flag), 4);
  EXPECT_EQ(flag, 0);
  EXPECT_NEAR(out[0], 4 * deg_cos(30), 1e-12);
  EXPECT_NEAR(out[1], 4 * deg_sin(30), 1e-12);
  // End = start + 360 is the whole circle: every direction projects.
  const double full[2] = {30, 390}, p[2] = {-3, -1};
  EXPECT_NEAR(entnear(p, m, 4, full, out, &flag), 4 - std::sqrt(10.0), 1e-12);
  EXPECT_EQ(flag, 0);
  for (double r : {0.0, -1.0}) {
    flag = -1;
    EXPECT_EQ(entnear(p, m, r, ang, out, &flag), 0);
    EXPECT_EQ(flag, 2);
  }
}

TEST(EntEndt, LinesArcsAndOtherKinds) {
  double g[7] = {1, 2, 3, 4, 0, 0, 0};
  double s[2], e[2];
  for (int k : {2, 17, 18, 19}) {
    ASSERT_EQ(entendt(k, g, s, e), 0);
    EXPECT_EQ(s[0], 1);
    EXPECT_EQ(s[1], 2);
    EXPECT_EQ(e[0], 3);
    EXPECT_EQ(e[1], 4);
  }
  double a[7] = {10, 10, 2, 0, 90, 0, 0};
  ASSERT_EQ(entendt(4, a, s, nullptr), 0);
  EXPECT_NEAR(s[0], 12, 1e-12);
  EXPECT_NEAR(s[1], 10, 1e-12);
  const uint16_t rev = 0x4000;
  std::memcpy(&a[5], &rev, sizeof rev);
  for (int k : {4, 20, 24, 25}) {
    ASSERT_EQ(entendt(k, a, s, e), 0);
    EXPECT_NEAR(s[0], 10, 1e-12) << k; // the end angle's point comes first
    EXPECT_NEAR(s[1], 12, 1e-12) << k;
    EXPECT_NEAR(e[0], 12, 1e-12) << k;
  }
  EXPECT_EQ(entendt(4, a, nullptr, nullptr), 0);
  EXPECT_EQ(entendt(8, a, s, e), 1);
  EXPECT_EQ(entendt(1, a, s, e), 1);
}

} // namespace

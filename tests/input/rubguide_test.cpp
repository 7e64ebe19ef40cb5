// Input guides: declaring a guide, its stored record and the constrained point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/geo.h"
#include "input/rubber.h"

namespace {

struct P {
  double x, y;
};
P apply(double x, double y) {
  P p;
  EXPECT_EQ(rub_apply(x, y, &p.x, &p.y), 0);
  return p;
}

class Guides : public ::testing::Test {
protected:
  void SetUp() override {
    std::memset(&Guide, 0, sizeof Guide);
    GuideListCount = 0;
    GuideAngle = 0;
    GuideListLimit = 32000;
  }
};

TEST_F(Guides, FifteenDegreeStepsOfKind3) {
  rub_startline(1, 3, 0, 0, 0);
  const struct {
    double x, y, ex, ey;
  } cases[] = {
      {10, 2, 10, 10 * std::tan(15 * DEG2RAD)}, // 11.3 degrees
      {10, 9, 10, 10},                          // 42: up to 45
      {9, 10, 10, 10},                          // 48: back to 45
      {-10, 1, -10, 0},                         // 174: horizontal
      {1, 10, 0, 10},                           // 84: vertical
      {-10, -2, -10, -10 * std::tan(15 * DEG2RAD)}, // 191: folded onto 11
  };
  for (const auto &c : cases) {
    const P p = apply(c.x, c.y);
    EXPECT_NEAR(p.x, c.ex, 1e-9) << c.x << "," << c.y;
    EXPECT_NEAR(p.y, c.ey, 1e-9) << c.x << "," << c.y;
  }
}

TEST_F(Guides, AxisOrthogonalAndAngleKinds) {
  rub_startline(1, 1, 5, 5, 0);
  EXPECT_EQ(apply(9, 7).y, 5);
  rub_startline(1, 2, 5, 5, 0);
  EXPECT_EQ(apply(9, 7).x, 5);
  // Kind 6: exactly 45 degrees keeps y and takes the reference x.
  rub_startline(1, 6, 1, 1, 0);
  P p = apply(4, 4);
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.y, 4);
  p = apply(4, 3.9);
  EXPECT_EQ(p.x, 4);
  EXPECT_EQ(p.y, 1);
  // Kind 1030 holds the point on the line at 30 degrees through R.
  rub_startline(1, 1030, 2, 1, 0);
  p = apply(12, 40);
  EXPECT_NEAR(p.y - 1, (p.x - 2) * std::tan(30 * DEG2RAD), 1e-9);
  EXPECT_EQ(p.x, 12);
  // Kind 4 at 90 degrees moves the point horizontally onto R's vertical.
  rub_startline(1, 4, 3, 0, 90);
  p = apply(8, 6);
  EXPECT_NEAR(p.x, 3, 1e-9);
  EXPECT_EQ(p.y, 6);
  // Kind 5 projects: the foot of the perpendicular on the line at 45 degrees.
  rub_startline(10, 5, 0, 0, 45, 2);
  p = apply(4, 0);
  EXPECT_NEAR(p.x, 2, 1e-9);
  EXPECT_NEAR(p.y, 2, 1e-9);
  // The family of the drag modes takes the guide angle.
  rub_startdrag(99, 4, 0, 0, 0, 0);
  EXPECT_NEAR(apply(3, 7).y, 0, 1e-12);
}

TEST_F(Guides, AspectRatio) {
  rub_startratio(2, 0, 0, 0, 0, 1);
  P p = apply(10, 3);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 3);
  rub_startratio(2, 2, 0, 0, 0, 1);
  p = apply(10, 3);
  EXPECT_NEAR(p.x, 10, 1e-9);
  EXPECT_NEAR(p.y, 10, 1e-9);
  p = apply(-2, -7); // steep: keeps v
  EXPECT_NEAR(p.x, -7, 1e-9);
  EXPECT_NEAR(p.y, -7, 1e-9);
  // Mode 8 doubles the ratio; mode 14 doubles it for sub-kind 4 only.
  rub_startratio(8, 2, 0, 0, 0, 1);
  EXPECT_NEAR(apply(10, 3).y, 20, 1e-9);
  rub_startratio(14, 2, 0, 0, 0, 1, 4);
  EXPECT_NEAR(apply(10, 3).y, 20, 1e-9);
  rub_startratio(14, 2, 0, 0, 0, 1, 3);
  EXPECT_NEAR(apply(10, 3).y, 10, 1e-9);
  // In a frame turned by 90 degrees the diagonal is the same pair of lines.
  rub_startratio(9, 2, 1, 1, 90, 1);
  p = apply(11, 4);
  EXPECT_NEAR(std::fabs(p.x - 1), std::fabs(p.y - 1), 1e-9);
}

// A ratio that is not positive, or the point on the reference, divided by zero: the
// point stays as it was, finite.
TEST_F(Guides, DegenerateRatioLeavesThePoint) {
  for (double ratio : {0.0, -2.0, double(NAN)}) {
    rub_startratio(2, 2, 1, 1, 30, ratio);
    const P p = apply(5, 3);
    EXPECT_EQ(p.x, 5) << ratio;
    EXPECT_EQ(p.y, 3) << ratio;
  }
  rub_startratio(7, 2, 1, 1, 30, 1);
  const P p = apply(1, 1);
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.y, 1);
  rub_startratio(2, 2, 0, 0, 0, 1);
  const P q = apply(0, 5); // on the axis of the turned frame
  EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y));
  EXPECT_NEAR(q.x, 5, 1e-9);
}

TEST_F(Guides, DistanceAndDirection) {
  // Sub-mode 2 with a minimum distance of 5.
  rub_startkd(16, 0x210, 0, 0, 0, 5);
  P p = apply(2 * std::cos(30 * DEG2RAD), 2 * std::sin(30 * DEG2RAD));
  EXPECT_NEAR(p.x, 5 * std::cos(30 * DEG2RAD), 1e-9);
  EXPECT_NEAR(p.y, 5 * std::sin(30 * DEG2RAD), 1e-9);
  const double x8 = 8 * std::cos(30 * DEG2RAD), y8 = 8 * std::sin(30 * DEG2RAD);
  p = apply(x8, y8);
  EXPECT_NEAR(p.x, x8, 1e-9);
  EXPECT_NEAR(p.y, y8, 1e-9);
  // A fixed distance of 4, 15-degree steps: at 200 degrees the step 15 on the far side.
  rub_startkd(16, 0x100, 0, 0, 0, 4);
  p = apply(-10 * std::cos(20 * DEG2RAD), -10 * std::sin(20 * DEG2RAD));
  EXPECT_NEAR(p.x, -4 * std::cos(15 * DEG2RAD), 1e-9);
  EXPECT_NEAR(p.y, -4 * std::sin(15 * DEG2RAD), 1e-9);
  // Axis 2: horizontal by the fixed distance, to the left for a cursor on the left.
  rub_startkd(16, 0x002, 1, 1, 0, 3);
  p = apply(-5, 9);
  EXPECT_EQ(p.x, -2);
  EXPECT_EQ(p.y, 1);
  // No axis, minimum 1: the larger component decides, its length kept.
  rub_startkd(16, 0x010, 0, 0, 0, 1);
  p = apply(2, 7);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 7);
}

TEST_F(Guides, ProjectionModes) {
  rub_startkd(22, 1, 0, 0, 0, 0);
  P p = apply(3, 4);
  EXPECT_NEAR(p.x, 3, 1e-9);
  EXPECT_NEAR(p.y, 0, 1e-9);
  const double v[8] = {0, 0, 0, 180, 2, 0, 0, 0};
  rub_startk8(23, 1 | 8, v); // 180 turns to 0, then the offset 2 upwards
  p = apply(3, 4);
  EXPECT_NEAR(p.x, 3, 1e-9);
  EXPECT_NEAR(p.y, 2, 1e-9);
  const double o[6] = {0, 0, 0, 0, 0, 1.5};
  rub_start3i(21, 2, 0, 0, o); // orthogonal with an offset
  p = apply(-4, 1);
  EXPECT_EQ(p.x, -5.5);
  EXPECT_EQ(p.y, 0);
  rub_start3i(21, 3, 0, 0, o); // bit 0: unchanged
  p = apply(-4, 1);
  EXPECT_EQ(p.x, -4);
}

TEST_F(Guides, MultiGuideCountClampedToItsBlock) {
  GuideMulti m = {};
  m.kind = 1;
  m.n = 1;
  m.l1[0] = 1, m.l2[0] = 1;
  EXPECT_EQ(rub_startmulti(25, m), 0);
  P p = apply(11, 2);
  EXPECT_EQ(p.y, 1);
  m.kind = 3;
  m.n = 9; // more than the five entries the block holds
  m.l4[0] = 7;
  for (int i = 0; i < 5; i++)
    m.l6[i] = 100 + i;
  EXPECT_EQ(rub_startmulti(25, m), 0);
  EXPECT_EQ(rub_i32(Guide, 4), 5);
  EXPECT_EQ(rub_i32(Guide, 224), 104);
  EXPECT_EQ(apply(3, 3).y, 7);
}

TEST_F(Guides, StoredLayoutPerMode) {
  rub_startratio(14, 2, 1.5, -2.5, 30, 0.5, 9);
  EXPECT_EQ(Guide.mode, 14);
  EXPECT_EQ(rub_i32(Guide, 0), 2);
  EXPECT_EQ(rub_f64(Guide, 4), 1.5);
  EXPECT_EQ(rub_f64(Guide, 12), -2.5);
  EXPECT_EQ(rub_f64(Guide, 20), 30);
  EXPECT_EQ(rub_f64(Guide, 28), 0.5);
  EXPECT_EQ(rub_i32(Guide, 36), 9);
  // Mode 3 puts its point straight after the mode word: bytes 4..19 of the record.
  rub_startpt(3, 1.0, 2.0);
  const double one = 1.0;
  EXPECT_EQ(std::memcmp(reinterpret_cast<const uint8_t *>(&Guide) + 4, &one, 8), 0);
  // The angle of mode 1 is stored for kinds 4 and 5 only.
  rub_startline(1, 4, 0, 0, 33);
  rub_startline(1, 3, 0, 0, 77);
  EXPECT_EQ(rub_f64(Guide, 20), 33);
  // Modes 102 and 103 store their fixed kinds and the guide angle.
  rub_startdragf(103, 12, 1, 2, 1);
  EXPECT_EQ(rub_i32(Guide, 0), 99);
  EXPECT_EQ(rub_i32(Guide, 20), 1);
  EXPECT_EQ(GuideAngle, 12);
  // Kind 99 means a line at -901 degrees, i.e. at 179.
  P p = apply(11, 3);
  EXPECT_NEAR(p.y - 2, (p.x - 1) * std::tan(179 * DEG2RAD), 1e-9);
}

TEST_F(Guides, RefusedModeKeepsTheModeWordOnly) {
  rub_startline(1, 2, 4, 4, 0);
  InputGuide before;
  rub_state('r', &before);
  for (int mode : {15, 26, 29, 31, 96, -2, 107}) {
    EXPECT_EQ(rub_start(mode), 1) << mode;
    EXPECT_EQ(Guide.mode, mode);
    EXPECT_EQ(std::memcmp(Guide.p, before.p, RUB_PARAMS), 0);
  }
  // A form that does not lay out the mode refuses it the same way.
  EXPECT_EQ(rub_startpt(1, 9, 9), 1);
  EXPECT_EQ(Guide.mode, 1);
  EXPECT_EQ(std::memcmp(Guide.p, before.p, RUB_PARAMS), 0);
  EXPECT_EQ(rub_start(0), 0);
  EXPECT_EQ(rub_start(-1), 0);
  // Suspended or off: points pass unchanged.
  P p = apply(9, 7);
  EXPECT_EQ(p.x, 9);
  EXPECT_EQ(p.y, 7);
}

TEST_F(Guides, StateRoundTripIsByteIdentical) {
  GuideMulti m = {};
  m.kind = 2, m.n = 5;
  for (int i = 0; i < 5; i++)
    m.l1[i] = i + 0.25, m.l5[i] = -i, m.l6[i] = i * 7;
  rub_startmulti(25, m);
  InputGuide a, b;
  std::memset(&a, 0xA5, sizeof a);
  rub_state('R', &a);
  rub_start(0);
  EXPECT_EQ(Guide.mode, 0);
  rub_state('W', &a);
  rub_state('r', &b);
  EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
  // Another letter touches neither side.
  std::memset(&b, 0x5A, sizeof b);
  rub_state('x', &b);
  EXPECT_EQ(Guide.mode, 25);
  EXPECT_EQ(b.mode, 0x5A5A5A5A);
  // Suspending through the record and back restores the guide.
  rub_startline(1, 1, 0, 3, 0);
  rub_state('r', &a);
  a.mode = -1;
  rub_state('w', &a);
  EXPECT_EQ(apply(5, 9).y, 9);
  a.mode = 1;
  rub_state('w', &a);
  EXPECT_EQ(apply(5, 9).y, 3);
}

TEST_F(Guides, ShapeListsKeepFifty) {
  std::vector<GuideShape> list(61);
  for (int i = 0; i < 60; i++)
    list[i] = {2, double(i), 0, double(i), 1, 0};
  list[60].kind = 0xFFFFFFFFu;
  EXPECT_EQ(rub_startlist(98, 4, 1, 1, list.data(), 25), 0);
  EXPECT_EQ(GuideListCount, 50);
  EXPECT_EQ(GuideListA[49].a, 49);
  EXPECT_EQ(GuideAngle, 25);
  // Short list; a kind other than 4 leaves the guide angle.
  list[3].kind = 0xFFFFFFFFu;
  rub_startlist(98, 0, 1, 1, list.data(), 99);
  EXPECT_EQ(GuideListCount, 3);
  EXPECT_EQ(GuideAngle, 25);
  rub_startlist(98, 0, 1, 1, nullptr, 0);
  EXPECT_EQ(GuideListCount, 0);
  // The element-list limit word bounds the copy too.
  GuideListLimit = 2;
  list[3].kind = 2;
  rub_startturnl(100, 0, 0, 0, 0, 0, list.data());
  EXPECT_EQ(GuideListCount, 2);
  GuideListLimit = 32000;
  // Mode 106: one count for both lists.
  std::vector<GuideShape> b(3, GuideShape{2, 7, 7, 8, 8, 0});
  b[2].kind = 0xFFFFFFFFu;
  list[5].kind = 0xFFFFFFFFu;
  rub_startortho(106, 0, 0, 0, 1, 1, list.data(), b.data());
  EXPECT_EQ(GuideListCount, 5);
  EXPECT_EQ(GuideListB[1].a, 7);
  EXPECT_EQ(GuideListB[4].kind, 0u);
  EXPECT_EQ(rub_i32(Guide, 0), 6);
}

} // namespace

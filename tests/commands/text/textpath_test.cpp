// Where a text beside a line or an arc goes: side, base point, angle and extent.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "commands/text/textpath.h"
#include "commands/edit/transform.h"
#include "geometry/text.h"
#include "input/rubber.h"

namespace {

TEST(TextPath, BesideALineTheTextRunsAlongItOnThePickedSide) {
  struct Case {
    GeoPoint p0, p1, q;
    double d;
    int32_t side;
    GeoPoint base;
    double angle;
  } cases[] = {
      {{0, 0}, {10, 0}, {5, 1}, 2, -1, {5, 2}, 0},    {{0, 0}, {10, 0}, {5, -1}, 2, 1, {5, -2}, 180},
      {{0, 0}, {10, 0}, {5, 0}, 2, 1, {5, -2}, 180}, // on the line counts as the right side
      {{10, 0}, {0, 0}, {5, 1}, 2, 1, {5, 2}, 0},    // reversed line, same side of the paper
      {{0, 0}, {0, 10}, {-3, 4}, 1, -1, {-1, 4}, 90}, {{0, 0}, {10, 0}, {5, 1}, 0, -1, {5, 0}, 0},
  };
  for (const Case &c : cases) {
    TpaLine t{};
    ASSERT_EQ(tpa_line(c.p0, c.p1, c.q, c.d, &t), 0);
    EXPECT_EQ(t.side, c.side) << c.q.x << "," << c.q.y;
    EXPECT_NEAR(t.base.x, c.base.x, 1e-9) << c.q.x << "," << c.q.y;
    EXPECT_NEAR(t.base.y, c.base.y, 1e-9) << c.q.x << "," << c.q.y;
    EXPECT_NEAR(t.angle, c.angle, 1e-9) << c.q.x << "," << c.q.y;
  }
  TpaLine t{};
  EXPECT_EQ(tpa_line({1, 1}, {1, 1}, {5, 1}, 2, &t), 1);
  EXPECT_EQ(tpa_line({0, 0}, {10, 0}, {NAN, 1}, 2, &t), 1);
  EXPECT_EQ(tpa_line({0, 0}, {10, 0}, {5, 1}, NAN, &t), 1);
}

TEST(TextPath, BesideAnArcTheBaseLiesAtTheRadiusPlusOrMinusTheDistance) {
  const GeoPoint c{0, 0};
  int32_t side = 0;
  ASSERT_EQ(tpa_arcside(c, 10, {0, 12}, &side), 0);
  EXPECT_EQ(side, 1);
  ASSERT_EQ(tpa_arcside(c, 10, {0, 10}, &side), 0);
  EXPECT_EQ(side, 1); // on the arc counts as outside
  ASSERT_EQ(tpa_arcside(c, 10, {0, 5}, &side), 0);
  EXPECT_EQ(side, -1);
  EXPECT_EQ(tpa_arcside(c, 0, {0, 5}, &side), 1);
  EXPECT_EQ(tpa_arcside(c, NAN, {0, 5}, &side), 1);

  const double d = 2, e = 3;
  GeoPoint b{};
  double a = -1;
  ASSERT_EQ(tpa_arcbase(c, 10, 1, d + e, {0, 12}, &b, &a), 0);
  EXPECT_NEAR(b.x, 0, 1e-9);
  EXPECT_NEAR(b.y, 10 + d + e, 1e-9);
  EXPECT_NEAR(a, 0, 1e-9);
  ASSERT_EQ(tpa_arcbase(c, 10, -1, d + e, {0, 5}, &b, &a), 0);
  EXPECT_NEAR(b.x, 0, 1e-9);
  EXPECT_NEAR(b.y, 10 - (d + e), 1e-9);
  EXPECT_NEAR(a, 180, 1e-9);
  ASSERT_EQ(tpa_arcbase({1, 1}, 10, 1, 0, {1, -5}, &b, &a), 0); // 270 degrees
  EXPECT_NEAR(b.x, 1, 1e-9);
  EXPECT_NEAR(b.y, -9, 1e-9);
  EXPECT_NEAR(a, 180, 1e-9);
  EXPECT_EQ(tpa_arcbase(c, 10, 1, INFINITY, {0, 5}, &b, &a), 1);
}

TEST(TextPath, AnglesAreBroughtIntoOneTurn) {
  const double cases[][2] = {{0, 0}, {360, 0}, {-90, 270}, {-270, 90}, {725, 5}, {-1e-20, 0}, {NAN, 0}, {INFINITY, 0}};
  for (const auto &c : cases) {
    const double v = tpa_angle360(c[0]);
    EXPECT_NEAR(v, c[1], 1e-9) << c[0];
    EXPECT_TRUE(v >= 0 && v < 360) << c[0];
  }
}

TEST(TextPath, TheExtentRunsFromTheFirstToTheLastLine) {
  ChrLayout lay;
  chr_layout(0, 0, 4, 3, 1, "AB", &lay, nullptr);
  EXPECT_EQ(tpa_extent(lay), 0);
  chr_layout(0, 0, 4, 3, 1, "A_B_C", &lay, nullptr);
  ASSERT_EQ(lay.count, 3);
  EXPECT_NEAR(tpa_extent(lay), 2 * (4 + 1), 1e-9);
  // A half-size last character above the one before it is not counted.
  std::memset(&lay, 0, sizeof lay);
  lay.count = 3;
  lay.y[0] = 0, lay.y[1] = -5, lay.y[2] = -3;
  lay.half[2] = 1;
  EXPECT_NEAR(tpa_extent(lay), 5, 1e-9);
  lay.half[2] = 0;
  EXPECT_NEAR(tpa_extent(lay), 3, 1e-9);
  lay.y[2] = -7, lay.half[2] = 1; // below it: counted
  EXPECT_NEAR(tpa_extent(lay), 7, 1e-9);
}

int ZeroMeasure(uint16_t, double, double, double, const char *, ChrLayout *lay) {
  std::memset(lay, 0, sizeof *lay);
  return 1;
}

TEST(TextPath, AWindowsMeasureOfZeroGivesAFiniteBox) {
  trn_setmeasure(ZeroMeasure);
  ChrLayout lay;
  double len = -1;
  const uint16_t attr = 3u | 1u << 9; // font kind 1: measured in its typeface
  const double r = trn_lenratio(attr, 4, 3, 1, "ABC", &lay, &len);
  trn_setmeasure(nullptr);
  EXPECT_EQ(r, 1);
  EXPECT_TRUE(std::isfinite(len) && len > 0);
  lay.width = len * r;
  GuideShape box[5];
  ASSERT_EQ(cm_txtbox(attr | 2u << 5, lay, 1, 90, {1, 2}, box), 0);
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(box[i].kind, 2u);
    EXPECT_TRUE(std::isfinite(box[i].a) && std::isfinite(box[i].b) && std::isfinite(box[i].c) &&
                std::isfinite(box[i].d));
  }
  EXPECT_EQ(box[4].kind, uint32_t(-1));
  // Vertical base 0 whatever the attribute says: the box starts at the point.
  EXPECT_NEAR(box[0].a, 1, 1e-9);
  EXPECT_NEAR(box[0].b, 2, 1e-9);
  EXPECT_NEAR(box[1].b, 2 + len, 1e-9);
}

} // namespace

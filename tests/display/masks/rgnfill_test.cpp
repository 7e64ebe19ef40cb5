#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../../database/dbfixture.h"
#include "display/masks/rgnfillpts.h"

namespace {

std::vector<GeoPoint> pts(const ElementRecord &r) {
  std::vector<GeoPoint> out(100);
  int32_t n = -1;
  if (rgn_elmpts(&r, &n, out.data(), 100) != 0)
    out.clear();
  out.resize(std::size_t(n < 0 ? 0 : n));
  return out;
}

double angle_of(const GeoPoint &p) { return deg_atan2(p.y - 40, p.x - 50); }

TEST(FillPoints, ArcSteps) {
  auto p = pts(arc(10, 30, 42));
  ASSERT_EQ(p.size(), 3u);
  EXPECT_NEAR(angle_of(p[0]), 35, 1e-9);
  EXPECT_NEAR(angle_of(p[1]), 40, 1e-9);
  EXPECT_NEAR(angle_of(p[2]), 42, 1e-9);
  // Drawn clockwise: from the end backwards to the start.
  p = pts(arc(10, 30, 42, 0x8011));
  ASSERT_EQ(p.size(), 3u);
  EXPECT_NEAR(angle_of(p[0]), 37, 1e-9);
  EXPECT_NEAR(angle_of(p[1]), 32, 1e-9);
  EXPECT_NEAR(angle_of(p[2]), 30, 1e-9);
  EXPECT_EQ(pts(arc(10, 0, 360)).size(), 73u - 1); // 72 steps, the last at the start again
  p = pts(lin(1, 2, 3, 4));
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].x, 3);
  EXPECT_TRUE(pts(proto(PNT)).empty());
  ElementRecord bad = arc(10, 0, 1e300);
  EXPECT_TRUE(pts(bad).empty());
  bad.arc.end = NAN;
  EXPECT_TRUE(pts(bad).empty());
}

struct Fill : Store {};

TEST_F(Fill, SquareChainAndChainList) {
  ElementRecord n = nod(8);
  const int32_t node = elm_add(0, 0, -1, &n, nullptr);
  grp_open(0, node);
  const double sq[5][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
  for (int i = 0; i < 4; ++i) {
    ElementRecord l = lin(sq[i][0], sq[i][1], sq[i + 1][0], sq[i + 1][1], uint16_t(0x10 | 7));
    elm_add(0, 0, -1, &l, nullptr);
  }
  grp_close(0);
  int32_t list[RGN_CHAINS];
  ElementRecord nr = rec(0, node);
  ASSERT_EQ(rgn_chains(0, &nr, list), 1);
  EXPECT_EQ(list[0], 0);
  std::vector<GeoPoint> p(100);
  int32_t count = 0, pen = 0;
  ASSERT_EQ(rgn_chain(0, &nr, &count, p.data(), 100, &pen), 0);
  ASSERT_EQ(count, 4);
  EXPECT_EQ(pen, 7);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p[std::size_t(i)].x, sq[i + 1][0]);
    EXPECT_EQ(p[std::size_t(i)].y, sq[i + 1][1]);
  }
  EXPECT_EQ(rgn_chain(0, &nr, &count, p.data(), 3, &pen), 1); // does not fit

  // A cyclic member chain ends the walk after as many steps as there are records.
  dtb_ptr(0, node + 4)->next = node + 1;
  nr = rec(0, node);
  rgn_chain(0, &nr, &count, p.data(), 100, &pen);
  EXPECT_LE(count, 6);
}

TEST_F(Fill, TooManyChainsAreRefused) {
  ElementRecord n = nod(8);
  const int32_t node = elm_add(0, 0, -1, &n, nullptr);
  grp_open(0, node);
  for (int i = 0; i < RGN_CHAINS + 1; ++i) {
    ElementRecord c = nod(5);
    ASSERT_GT(elm_add(0, 0, -1, &c, nullptr), 0);
  }
  grp_close(0);
  int32_t list[RGN_CHAINS];
  ElementRecord nr = rec(0, node);
  EXPECT_EQ(rgn_chains(0, &nr, list), -1);
  dtb_ptr(0, node + RGN_CHAINS + 1)->flags |= ELM_ERASED; // 400 live ones fit
  EXPECT_EQ(rgn_chains(0, &nr, list), RGN_CHAINS);
  EXPECT_EQ(list[RGN_CHAINS - 1], node + RGN_CHAINS);
}

} // namespace

#include "pickfix.h"

#include <cmath>

#include "geometry/geo.h"

namespace {

using Near = PickTest;

TEST_F(Near, HitExactlyAtTheTolerance) {
  const int32_t p = point(10, 10);
  const int32_t l = line(100, 100, 100, 164); // vertical: distance 1 is exact
  const int32_t a = arc(50, 150, 10, 0, 90);
  struct Case {
    double x, y, tol;
    int32_t hit; // 0 none
  } cases[] = {
      {10, 11, 1.0, p},   {10, 11, 0.999, 0}, {101, 120, 1.0, l},
      {101, 120, 0.999, 0}, {50, 161, 1.0, a},  {50, 161, 0.999, 0},
  };
  for (const Case &c : cases) {
    world().tol = c.tol;
    int32_t out[PCK_NEARMAX];
    const int n = near(c.x, c.y, out);
    if (c.hit) {
      ASSERT_EQ(n, 1) << c.x << "," << c.y << " tol " << c.tol;
      EXPECT_EQ(out[0], c.hit);
    } else {
      EXPECT_EQ(n, 0) << c.x << "," << c.y << " tol " << c.tol;
    }
  }
}

TEST_F(Near, DegenerateLineIsTestedByItsEnds) {
  pck_settol(0, 1.0);
  ElementRecord r = proto(LIN);
  r.lin = LinBody{30, 30, 30, 30, 0x11, {}};
  double d = -1;
  EXPECT_EQ(pck_dist(30.6, 30, LIN, &r, &d), 0);
  EXPECT_NEAR(d, 0.6, 1e-12);
  EXPECT_EQ(pck_dist(30, 31.5, LIN, &r, &d), 1);
  // Almost degenerate: the perpendicular through the tiny segment is not used.
  r.lin.x2 = 30 + 1e-11;
  EXPECT_EQ(pck_dist(30, 31.5, LIN, &r, &d), 1);
  EXPECT_EQ(pck_dist(30.0, 30.9, LIN, &r, &d), 0);
  EXPECT_NEAR(d, 0.9, 1e-9);
  // Beyond an end of a proper line: the end point decides.
  r.lin = LinBody{0, 0, 10, 0, 0x11, {}};
  EXPECT_EQ(pck_dist(10.6, 0.8, LIN, &r, &d), 0);
  EXPECT_NEAR(d, 1.0, 1e-12);
  EXPECT_EQ(pck_dist(10.8, 0.8, LIN, &r, &d), 1);
}

TEST_F(Near, ArcWithEndEqualToStartIsAFullCircle) {
  pck_settol(0, 1.0);
  ElementRecord r = proto(ARC);
  const double qx = 100 + 20 * std::cos(200 * DEG2RAD), qy = 100 + 20 * std::sin(200 * DEG2RAD);
  double d = -1;
  struct Case {
    double s, e;
    int rc;
  } cases[] = {{45, 45, 0}, {45, 45 + 1e-11, 0}, {45, 90, 1}, {300, 210, 0}, {-90, 10, 1}, {190, 210, 0}};
  for (const Case &c : cases) {
    r.arc = ArcBody{100, 100, 20, c.s, c.e, 0x11, {}};
    EXPECT_EQ(pck_dist(qx, qy, ARC, &r, &d), c.rc) << c.s << " " << c.e;
  }
  // A point at the centre has direction 0: on the sweep of an arc through 0 degrees.
  r.arc = ArcBody{100, 100, 0.5, 350, 10, 0x11, {}};
  EXPECT_EQ(pck_dist(100, 100, ARC, &r, &d), 0);
  EXPECT_DOUBLE_EQ(d, 0.5);
}

TEST_F(Near, TwoGroupMembersGiveOneNode) {
  const int32_t loose = line(20, 99.5, 60, 99.5);     // 0.5 away
  const int32_t g = group(1);
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t m1 = line(20, 100.8, 60, 100.8); // 0.8 away
  const int32_t m2 = line(20, 99.8, 60, 99.8);   // 0.2 away
  ASSERT_EQ(grp_close(0), 0);
  ASSERT_EQ(at(m1)->parent, g);
  ASSERT_EQ(at(m2)->parent, g);
  int32_t out[PCK_NEARMAX];
  // Climbing: one candidate for the group, in the place its first member put it.
  ASSERT_EQ(near(40, 100, out, NOD | 15), 2);
  EXPECT_EQ(out[0], loose);
  EXPECT_EQ(out[1], g);
  // Without the group bit, or with climbing forbidden, the members themselves.
  ASSERT_EQ(near(40, 100, out, 15), 3);
  EXPECT_EQ(out[0], m2);
  EXPECT_EQ(out[1], loose);
  EXPECT_EQ(out[2], m1);
  EXPECT_EQ(near(40, 100, out, NOD | FLT_NOCLIMB | 15), 3);
  // A subkind that the group does not share passes the members over.
  EXPECT_EQ(pck_near(0, 0, 40, 100, NOD | 15, 0xFFFF, 0xFFFF, 2, out), 1);
}

TEST_F(Near, SixtyHitsGiveTheFiftyNearest) {
  // Added farthest first, with two at each distance.
  std::vector<int32_t> ids(60);
  for (int i = 59; i >= 0; --i)
    ids[i] = point(100 + (i / 2) * 0.01, 100);
  int32_t out[PCK_NEARMAX];
  ASSERT_EQ(near(100, 100, out), 50);
  for (int i = 0; i < 50; ++i) {
    // Of equal distances the earlier found (the odd one, added first) comes first.
    const int expect = (i / 2) * 2 + (i % 2 == 0 ? 1 : 0);
    EXPECT_EQ(out[i], ids[expect]) << i;
  }
}

TEST_F(Near, HiddenLayerIsNeverFound) {
  ElementRecord r = proto(LIN, 5);
  r.lin = LinBody{0, 50, 100, 50, 0x11, {}};
  const int32_t hidden = add(r);
  const int32_t shown = line(0, 50.5, 100, 50.5);
  uint16_t cur, states[64];
  sys_layer('r', 0, &cur, states);
  states[5] = 1;
  sys_layer('w', 0, &cur, states);
  int32_t out[PCK_NEARMAX];
  ASSERT_EQ(near(50, 50, out), 1);
  EXPECT_EQ(out[0], shown);
  states[5] = 2;
  sys_layer('w', 0, &cur, states);
  ASSERT_EQ(near(50, 50, out), 2);
  EXPECT_EQ(out[0], hidden);
}

TEST_F(Near, CellMasksPruneAndAnOffSheetSearchTakesAll) {
  const int32_t p = point(100, 100);
  ASSERT_NE(at(p)->cells, 0);
  const int32_t off = point(-60, -60);
  int32_t out[PCK_NEARMAX];
  at(p)->cells = 1; // claims the bottom-left cell only
  EXPECT_EQ(near(100, 100, out), 0);
  at(off)->cells = 1 << 15;
  ASSERT_EQ(near(-60, -60, out), 1); // wholly off the sheet: every cell
  EXPECT_EQ(out[0], off);
}

TEST_F(Near, SkipsByFilterAndRecordState) {
  const int32_t pen2 = line(0, 10, 100, 10, 0x12);
  const int32_t lt6 = line(0, 10.1, 100, 10.1, 0x61);
  const int32_t erased = line(0, 10.2, 100, 10.2);
  at(erased)->flags = ELM_ERASED;
  int32_t out[PCK_NEARMAX];
  EXPECT_EQ(pck_near(0, 0, 50, 10, 15, 1u << 2, 0xFFFF, 0xFF, out), 1);
  EXPECT_EQ(out[0], pen2);
  EXPECT_EQ(pck_near(0, 0, 50, 10, 15, 0xFFFF, 1u << 6, 0xFF, out), 1);
  EXPECT_EQ(out[0], lt6);
  pck_hooks().inmode = [] { return 1; };
  EXPECT_EQ(pck_near(0, 0, 50, 10, 15, 0xFFFF, 1u << 6, 0xFF, out), 0);
  EXPECT_EQ(pck_near(0, 0, 50, 10, 4, 0xFFFF, 0xFFFF, 0xFF, out), 0); // arcs only
  EXPECT_EQ(pck_near(2, 0, 50, 10, 15, 0xFFFF, 0xFFFF, 0xFF, out), -1);
  EXPECT_EQ(pck_near(0, 16, 50, 10, 15, 0xFFFF, 0xFFFF, 0xFF, out), -1);
}

TEST_F(Near, TextDistanceIsSquared) {
  const int32_t l = line(0, 13.2, 100, 13.2);
  const int32_t t = text("AB", 10, 10, 4);
  pck_settol(0, 1.0);
  double d = -1;
  // The characters' middle line runs at y = 12.
  ASSERT_EQ(pck_dist(12, 12.5, CHR, at(t), &d), 0);
  EXPECT_NEAR(d, 0.25, 1e-9);
  EXPECT_EQ(pck_dist(12, 13.5, CHR, at(t), &d), 1);
  // So within a tolerance below 1 a text ranks ahead of a line at the same distance.
  int32_t out[PCK_NEARMAX];
  ASSERT_EQ(near(12, 12.6, out), 2);
  EXPECT_EQ(out[0], t);
  EXPECT_EQ(out[1], l);
}

TEST_F(Near, OwnerLoopsAreNotFollowed) {
  // A member two levels deep whose owners name each other.
  const int32_t a = group(1), b = group(1);
  const int32_t l = line(0, 30, 100, 30);
  at(l)->encsub = 1;
  at(l)->depth = 3;
  at(l)->parent = a;
  at(a)->depth = 2;
  at(a)->parent = b;
  at(b)->depth = 2;
  at(b)->parent = a;
  int32_t out[PCK_NEARMAX];
  EXPECT_EQ(near(50, 30, out, NOD | 15), 0);
  // Now a proper chain: b is a member of the top node.
  const int32_t top = group(1);
  at(b)->depth = 1;
  at(b)->encsub = 1;
  at(b)->parent = top;
  ASSERT_EQ(near(50, 30, out, NOD | 15), 1);
  EXPECT_EQ(out[0], top);
}

} // namespace

namespace {

TEST_F(Near, CompoundTextPartsAndMaskedLines) {
  const int32_t root = group(8);
  ASSERT_EQ(grp_open(0, root), 0);
  const int32_t part = line(0, 20, 100, 20);
  grp_close(0);
  ASSERT_EQ(at(part)->encsub, 8);
  int32_t out[PCK_NEARMAX];
  EXPECT_EQ(near(50, 20, out), 0); // parts of compound texts are passed over
  PickTextParts = 1;
  ASSERT_EQ(near(50, 20, out), 1);
  EXPECT_EQ(out[0], root); // found through its part
  PickTextParts = 0;

  // A line as drawn under a mask (kind 18, in a HIDELINE node) is found, except
  // while the commands that work on the pieces pick.
  ElementRecord r = proto(LIN | MSKBOX);
  r.lin = LinBody{0, 70, 100, 70, 0x11, {}};
  r.encsub = 16;
  const int32_t masked = add(r);
  ASSERT_GT(masked, 0);
  at(masked)->encsub = 16;
  ASSERT_EQ(near(50, 70, out), 1);
  EXPECT_EQ(out[0], masked);
  PickSkipMasked = 1;
  EXPECT_EQ(near(50, 70, out), 0);
  PickSkipMasked = 0;
  at(masked)->kind = LIN; // a plain line inside such a node is a piece: never found
  EXPECT_EQ(near(50, 70, out), 0);
}

} // namespace

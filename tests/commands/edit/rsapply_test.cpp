// Reshape geometry: where a target end goes against a boundary, and which end a pick means.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "commands/edit/rsapply.h"

namespace {

struct Block {
  uint8_t b[GEOM_BLOCK_SIZE] = {};
  double at(int off) const {
    double v;
    std::memcpy(&v, b + off, 8);
    return v;
  }
  uint16_t word(int off) const { return static_cast<uint16_t>(b[off] | b[off + 1] << 8); }
};

Block line(double x1, double y1, double x2, double y2) {
  Block k;
  double v[4] = {x1, y1, x2, y2};
  std::memcpy(k.b, v, sizeof v);
  return k;
}

Block arc(double cx, double cy, double r, double a, double b, uint16_t word = 0) {
  Block k;
  double v[5] = {cx, cy, r, a, b};
  std::memcpy(k.b, v, sizeof v);
  k.b[40] = static_cast<uint8_t>(word);
  k.b[41] = static_cast<uint8_t>(word >> 8);
  return k;
}

RsBoundary element(int32_t kind, const Block &k, bool self = false) {
  RsBoundary r{};
  r.kind = kind;
  std::memcpy(r.block, k.b, sizeof r.block);
  r.self = self;
  return r;
}

RsBoundary point(double x, double y) {
  RsBoundary r{};
  r.point = {x, y};
  return r;
}

struct ApplyCase {
  const char *name;
  int32_t kind;
  Block target;
  int32_t end;
  RsBoundary bnd;
  GeoPoint ref;
  int want;
  GeoPoint pos;
};

TEST(RsApply, NewPositionTable) {
  const ApplyCase cases[] = {
      {"line extended to a boundary it does not reach", 2, line(0, 0, 5, 0), 1,
       element(2, line(10, -5, 10, 5)), {10, 1}, RS_MOVE, {10, 0}},
      {"line trimmed at a crossing", 2, line(0, 0, 10, 0), 1, element(2, line(5, -5, 5, 5)), {5, 1}, RS_MOVE, {5, 0}},
      {"own boundary, reference nearer the start", 2, line(0, 0, 10, 0), 1, element(2, line(0, 0, 10, 0), true),
       {2, 0}, RS_MOVE, {0, 0}},
      {"point boundary on a line: the foot", 2, line(0, 0, 10, 0), 1, point(7, 3), {0, 0}, RS_MOVE, {7, 0}},
      {"point boundary on an arc: the direction from the centre", 4, arc(0, 0, 5, 0, 90), 1, point(10, 10), {0, 0},
       RS_MOVE, {5 * std::sqrt(0.5), 5 * std::sqrt(0.5)}},
      {"arc trimmed to a line, nearest the reference", 4, arc(0, 0, 10, 0, 180), 0, element(2, line(5, -20, 5, 20)),
       {5, 8}, RS_MOVE, {5, 10 * std::sqrt(0.75)}},
      {"no cross point", 2, line(0, 0, 10, 0), 1, element(2, line(0, 5, 10, 5)), {5, 5}, RS_SKIP_NOCROSS, {}},
      {"end already on the boundary", 2, line(0, 0, 10, 0), 1, element(2, line(10, -5, 10 + 5e-7, 5)), {10, 0},
       RS_SKIP_ONBOUNDARY, {}},
      {"degenerate line against a point", 2, line(1, 1, 1, 1), 1, point(3, 3), {0, 0}, RS_SKIP_DEGENERATE, {}},
      {"not a line or arc", 1, line(0, 0, 1, 1), 1, point(3, 3), {0, 0}, RS_SKIP_KIND, {}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    GeoPoint pos{-99, -99};
    ASSERT_EQ(c.want, rs_newpos(c.kind, c.target.b, c.end, &c.bnd, &c.ref, &pos));
    if (c.want == RS_MOVE) {
      EXPECT_NEAR(c.pos.x, pos.x, 1e-9);
      EXPECT_NEAR(c.pos.y, pos.y, 1e-9);
    } else {
      EXPECT_EQ(-99, pos.x); // nothing to move: no undo step is due
    }
  }
}

TEST(RsApply, MoveLineEnds) {
  Block k = line(0, 0, 5, 0);
  GeoPoint p{10, 0};
  ASSERT_EQ(0, rs_move(2, k.b, 1, &p));
  EXPECT_EQ(0, k.at(0));
  EXPECT_EQ(10, k.at(16));
  GeoPoint s{-3, 0};
  ASSERT_EQ(0, rs_move(2, k.b, 0, &s));
  EXPECT_EQ(-3, k.at(0));
  EXPECT_EQ(10, k.at(16));
}

TEST(RsApply, MoveArcTrimmedToLine) {
  Block k = arc(0, 0, 10, 0, 180);
  RsBoundary b = element(2, line(5, -20, 5, 20));
  GeoPoint ref{5, 8}, pos;
  ASSERT_EQ(RS_MOVE, rs_newpos(4, k.b, 0, &b, &ref, &pos));
  ASSERT_EQ(0, rs_move(4, k.b, 0, &pos));
  EXPECT_NEAR(60, k.at(24), 1e-9);
  EXPECT_NEAR(180, k.at(32), 1e-9);
}

TEST(RsApply, ArcClosedToCircleLosesEndStyles) {
  Block k = arc(0, 0, 10, 0, 90, 0x0900); // styles on both ends
  GeoPoint p{20, 0};
  RsBoundary b = point(20, 0);
  GeoPoint ref{}, pos;
  ASSERT_EQ(RS_MOVE, rs_newpos(4, k.b, 1, &b, &ref, &pos));
  ASSERT_EQ(0, rs_move(4, k.b, 1, &pos));
  EXPECT_NEAR(360, k.at(32) - k.at(24), 1e-6);
  EXPECT_EQ(0, k.word(40) & 0x3F00);
  (void)p;
}

TEST(RsApply, EndThatCannotMoveLeavesTheBlock) {
  Block k = line(0, 0, 5, 0);
  Block before = k;
  GeoPoint nan{std::numeric_limits<double>::quiet_NaN(), 0};
  EXPECT_NE(0, rs_move(2, k.b, 1, &nan));
  EXPECT_EQ(0, std::memcmp(before.b, k.b, sizeof k.b));
  Block a = arc(0, 0, 10, 0, 90);
  Block abefore = a;
  EXPECT_NE(0, rs_move(4, a.b, 1, &nan));
  EXPECT_EQ(0, std::memcmp(abefore.b, a.b, sizeof a.b));
}

struct EndCase {
  const char *name;
  double rect[4];
  int32_t kind;
  Block blk;
  GeoPoint pick;
  int want;
};

TEST(RsApply, EndChoiceTable) {
  const EndCase cases[] = {
      {"visible start strictly nearer", {-100, -100, 100, 100}, 2, line(0, 0, 10, 0), {1, 0}, 0},
      {"equal distances take the end", {-100, -100, 100, 100}, 2, line(0, 0, 10, 0), {5, 0}, 1},
      {"line clipped by the view", {-10, -10, 30, 10}, 2, line(0, 0, 100, 0), {20, 0}, 1},
      {"line wholly outside", {-10, -10, 30, 10}, 2, line(50, 50, 60, 60), {20, 0}, -2},
      {"arc across 360, pick near its end", {-100, -100, 100, 100}, 4, arc(0, 0, 10, 300, 60), {10, 8}, 1},
      {"arc across 360, pick near its start", {-100, -100, 100, 100}, 4, arc(0, 0, 10, 300, 60), {6, -9}, 0},
      {"arc wholly outside", {50, 50, 60, 60}, 4, arc(0, 0, 10, 0, 90), {55, 55}, -2},
      {"other kinds", {-100, -100, 100, 100}, 1, line(0, 0, 1, 1), {0, 0}, -1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.want, rs_endchoice(c.rect, c.kind, c.blk.b, &c.pick));
  }
}

TEST(RsApply, EndChoiceTieTakesTheFirstInterval) {
  // A circle seen through a tall narrow view shows a top and a bottom part, mirror images
  // across the x axis; a pick on the axis is equally far from both.
  double rect[4] = {-5, -100, 5, 100};
  Block c = arc(0, 0, 10, 0, 360);
  AngleInterval iv[ARCCLIP_MAX];
  uint32_t n = 0;
  ASSERT_EQ(0, geo_arcclip(rect[0], rect[1], rect[2], rect[3], 0, 0, 10, 0, 360, iv, &n));
  ASSERT_EQ(2u, n);
  GeoPoint pick{1, 0};
  // Top part (60, 120): its end lies farther from the pick, so 0; bottom part 1.
  ASSERT_LT(iv[0].start, 180);
  EXPECT_EQ(0, rs_endchoice(rect, 4, c.b, &pick));
}

} // namespace

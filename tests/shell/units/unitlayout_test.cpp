#include "shell/units/unitlayout.h"

#include <gtest/gtest.h>

namespace {

struct P {
  int x, y, cx, cy;
};

LayIn frame(int w, int h, int mesg = 20) {
  LayIn in = {};
  in.client = {0, 0, w, h};
  in.mesg_cy = mesg;
  return in;
}

void dock(LayIn &in, int u, int side, int cx, int cy) { in.unit[u] = {1, side, cx, cy}; }

void expect_at(const LayOut &out, int u, P p) {
  SCOPED_TRACE(u);
  ASSERT_TRUE(out.unit[u].placed);
  EXPECT_EQ(out.unit[u].x, p.x);
  EXPECT_EQ(out.unit[u].y, p.y);
  EXPECT_EQ(out.unit[u].cx, p.cx);
  EXPECT_EQ(out.unit[u].cy, p.cy);
}

void expect_mdi(const LayOut &out, P p) {
  EXPECT_EQ(out.mdi.x, p.x);
  EXPECT_EQ(out.mdi.y, p.y);
  EXPECT_EQ(out.mdi.cx, p.cx);
  EXPECT_EQ(out.mdi.cy, p.cy);
}

// TOOLFILE 100x30, attribute box 200x40, TOOLDISP 150x25 in frames of different widths.
TEST(UnitLayout, TopGroupRows) {
  struct Case {
    int width;
    P u6, u1, u5;
    int mdi_top;
  } cases[] = {
      {500, {0, 0, 100, 30}, {100, 0, 200, 40}, {300, 0, 200, 25}, 40},      // one row
      {400, {0, 25, 100, 30}, {100, 25, 300, 40}, {0, 0, 400, 25}, 65},      // TOOLDISP on its own row
      {300, {0, 65, 300, 30}, {0, 25, 300, 40}, {0, 0, 300, 25}, 95},        // three rows
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.width);
    LayIn in = frame(c.width, 600);
    dock(in, 6, 1, 100, 30);
    dock(in, 1, 1, 200, 40);
    dock(in, 5, 7, 150, 25);
    const LayOut out = unit_layout(in);
    expect_at(out, 6, c.u6);
    expect_at(out, 1, c.u1);
    expect_at(out, 5, c.u5);
    expect_mdi(out, {0, c.mdi_top, c.width, 580 - c.mdi_top});
    EXPECT_EQ(out.mesg.y, 580);
    EXPECT_EQ(out.mesg.cx, c.width);
  }
}

TEST(UnitLayout, OnlyToolFileByDefault) {
  LayIn in = frame(640, 480);
  dock(in, 6, 1, 120, 28);
  const LayOut out = unit_layout(in);
  expect_at(out, 6, {0, 0, 640, 28});
  for (int u : {0, 1, 2, 3, 4, 5, 7, 8, 9})
    EXPECT_FALSE(out.unit[u].placed) << u;
  expect_mdi(out, {0, 28, 640, 432});
}

// Units 3, 4 and 7 (extents a = 100, b = 80, c = 60 along the edge) on each side.
TEST(UnitLayout, SidePacking) {
  struct Case {
    int side, w, h; // frame client size; the message window is 0 high
    P u3, u4, u7, mdi;
  } cases[] = {
      // L above a + b + c: one strip, the last unit stretching
      {1, 300, 400, {0, 0, 100, 20}, {100, 0, 80, 22}, {180, 0, 120, 24}, {0, 24, 300, 376}},
      {2, 300, 400, {0, 376, 100, 20}, {100, 376, 80, 22}, {180, 376, 120, 24}, {0, 0, 300, 376}},
      {3, 400, 300, {0, 0, 20, 100}, {0, 100, 22, 80}, {0, 180, 24, 120}, {24, 0, 376, 300}},
      {4, 400, 300, {376, 0, 20, 100}, {376, 100, 22, 80}, {376, 180, 24, 120}, {0, 0, 376, 300}},
      // L at most b + c: a strip each, unit 3 innermost at the bottom and right
      {1, 140, 400, {0, 0, 140, 20}, {0, 20, 140, 22}, {0, 42, 140, 24}, {0, 66, 140, 334}},
      {2, 140, 400, {0, 334, 140, 20}, {0, 354, 140, 22}, {0, 376, 140, 24}, {0, 0, 140, 334}},
      {3, 400, 140, {0, 0, 20, 140}, {20, 0, 22, 140}, {42, 0, 24, 140}, {66, 0, 334, 140}},
      {4, 400, 140, {334, 0, 20, 140}, {354, 0, 22, 140}, {376, 0, 24, 140}, {0, 0, 334, 140}},
      // between: unit 3 alone, units 4 and 7 sharing a strip
      {1, 200, 400, {0, 0, 200, 20}, {0, 20, 80, 22}, {80, 20, 120, 24}, {0, 44, 200, 356}},
      {2, 200, 400, {0, 356, 200, 20}, {0, 376, 80, 22}, {80, 376, 120, 24}, {0, 0, 200, 356}},
      {3, 400, 200, {0, 0, 20, 200}, {20, 0, 22, 80}, {20, 80, 24, 120}, {44, 0, 356, 200}},
      {4, 400, 200, {356, 0, 20, 200}, {376, 0, 22, 80}, {376, 80, 24, 120}, {0, 0, 356, 200}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "side " << c.side << " " << c.w << "x" << c.h);
    LayIn in = frame(c.w, c.h, 0);
    const bool horiz = c.side <= 2;
    dock(in, 3, c.side, horiz ? 100 : 20, horiz ? 20 : 100);
    dock(in, 4, c.side, horiz ? 80 : 22, horiz ? 22 : 80);
    dock(in, 7, c.side, horiz ? 60 : 24, horiz ? 24 : 60);
    const LayOut out = unit_layout(in);
    expect_at(out, 3, c.u3);
    expect_at(out, 4, c.u4);
    expect_at(out, 7, c.u7);
    expect_mdi(out, c.mdi);
  }
}

TEST(UnitLayout, SideAboveFourCountsAsTop) {
  LayIn in = frame(300, 400, 0);
  dock(in, 3, 9, 100, 20);
  const LayOut out = unit_layout(in);
  expect_at(out, 3, {0, 0, 300, 20});
}

TEST(UnitLayout, FloatingAndHiddenUnitsAreNotPlaced) {
  LayIn in = frame(300, 400, 0);
  in.unit[3] = {0, 1, 100, 20}; // hidden
  in.unit[4] = {1, 0, 100, 20}; // floating
  const LayOut out = unit_layout(in);
  EXPECT_FALSE(out.unit[3].placed);
  EXPECT_FALSE(out.unit[4].placed);
  expect_mdi(out, {0, 0, 300, 400});
}

// Command-panel layout: attribute box 200x40, tool window 150x50, panel 60 wide on the right.
TEST(UnitLayout, CommandPanelLayout) {
  struct Case {
    int width;
    P u1, u2, u0, mdi;
  } cases[] = {
      {400, {0, 0, 250, 40}, {250, 0, 150, 50}, {340, 50, 60, 330}, {0, 50, 340, 330}}, // one row
      {300, {0, 50, 300, 40}, {0, 0, 300, 50}, {240, 90, 60, 290}, {0, 90, 240, 290}},  // no room
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.width);
    LayIn in = frame(c.width, 400);
    in.layout = 1;
    dock(in, 1, 1, 200, 40);
    dock(in, 2, 1, 150, 50);
    dock(in, 0, 3, 60, 90);
    const LayOut out = unit_layout(in);
    expect_at(out, 1, c.u1);
    expect_at(out, 2, c.u2);
    expect_at(out, 0, c.u0);
    expect_mdi(out, c.mdi);
  }
}

TEST(UnitLayout, CommandPanelSides) {
  struct Case {
    int side;
    P u0, mdi;
  } cases[] = {
      {0, {0, 0, 400, 90}, {0, 90, 400, 290}},
      {1, {0, 290, 400, 90}, {0, 0, 400, 290}},
      {2, {0, 0, 60, 380}, {60, 0, 340, 380}},
      {7, {340, 0, 60, 380}, {0, 0, 340, 380}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.side);
    LayIn in = frame(400, 400);
    in.layout = 1;
    dock(in, 0, c.side, 60, 90);
    const LayOut out = unit_layout(in);
    expect_at(out, 0, c.u0);
    expect_mdi(out, c.mdi);
  }
}

} // namespace

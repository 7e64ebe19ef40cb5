// Scale, size and button places of the command panel from its metrics.
#include <gtest/gtest.h>

#include "shell/units/panelcalc.h"

namespace {

const uint32_t kRat[3] = {80, 100, 120};

TEST(PanelScale, FromTheSettings) {
  const uint32_t rat150[3] = {80, 150, 120};
  const struct {
    uint32_t line, kind;
    const uint32_t *rat;
    uint32_t cmdh, cmdv;
    double sW, sH;
    int two;
  } cases[] = {
      {0, 1, kRat, 90, 100, 1.0, 1.0, 0},    // one bank: BTNSIZERAT1 / 100
      {0, 1, rat150, 90, 100, 1.5, 1.5, 0},  // whatever the widths
      {0, 0, kRat, 90, 100, 0.8, 0.8, 0},    // the kind picks the ratio
      {1, 1, kRat, 120, 60, 1.2, 0.6, 1},    // two banks
      {7, 2, kRat, 100, 100, 1.2, 1.2, 1},   // any other line choice is two banks
  };
  for (const auto &c : cases) {
    const PanelScale s = pnl_scaleof(c.line, c.kind, c.rat, c.cmdh, c.cmdv);
    EXPECT_DOUBLE_EQ(s.sW, c.sW) << c.line << "/" << c.kind;
    EXPECT_DOUBLE_EQ(s.sH, c.sH) << c.line << "/" << c.kind;
    EXPECT_EQ(s.twobanks, c.two);
  }
}

// cw 8, lh 16, borders 1: a unit of 10, button height 22 and page width 80 at scale 1.
const PanelMetrics kM = {8, 16, 1, 1};

TEST(PanelSize, HeightAndWidth) {
  const PanelScale one = pnl_scaleof(0, 1, kRat, 90, 100);
  const PanelScale two = pnl_scaleof(1, 1, kRat, 120, 60); // bh 13, wp 96
  EXPECT_EQ(pnl_heightof(kM, one), 12 + 22);
  EXPECT_EQ(pnl_widthof(kM, one), 20 + 80);
  EXPECT_EQ(pnl_heightof(kM, two), 12 + 2 * 13);
  EXPECT_EQ(pnl_widthof(kM, two), 20 + 2 * 96);
}

TEST(PanelPlace, OneBank) {
  const PanelScale one = pnl_scaleof(0, 1, kRat, 90, 100);
  PanelPlace p[PNL_BUTTONS];
  ASSERT_EQ(pnl_placeof(kM, one, 0, p), PNL_BANK);
  // Undo, Redo, Menu six units wide, a unit's gap after Redo and after Menu.
  const PanelPlace top[] = {{10, 6, 60, 22}, {70, 6, 60, 22}, {140, 6, 60, 22}, {210, 6, 80, 22}, {290, 6, 80, 22}};
  for (int i = 0; i < 5; i++)
    EXPECT_TRUE(p[i].x == top[i].x && p[i].y == top[i].y && p[i].cx == top[i].cx && p[i].cy == top[i].cy) << i;
  EXPECT_EQ(p[22].x, 210 + 19 * 80);
  pnl_placeof(kM, one, 1, p); // the bottom is laid out as the top
  EXPECT_EQ(p[3].y, 6);
  pnl_placeof(kM, one, 9, p); // an unknown side counts as the top
  EXPECT_EQ(p[3].x, 210);
  for (int side : {2, 3}) {
    ASSERT_EQ(pnl_placeof(kM, one, side, p), PNL_BANK);
    const PanelPlace left[] = {{10, 6, 80, 22}, {10, 28, 80, 22}, {10, 61, 80, 22}, {10, 94, 80, 22}, {10, 116, 80, 22}};
    for (int i = 0; i < 5; i++)
      EXPECT_TRUE(p[i].x == left[i].x && p[i].y == left[i].y && p[i].cx == left[i].cx && p[i].cy == left[i].cy)
          << side << " " << i;
  }
}

TEST(PanelPlace, TwoBanksLineUpWithTheFirst) {
  const PanelScale two = pnl_scaleof(1, 1, kRat, 120, 60); // bh 13, wp 96, height 38
  PanelPlace p[PNL_BUTTONS];
  const struct {
    int side;
    int x0, y0;   // Undo
    int x3, y3;   // first page button
    int x23, y23; // second bank button 0
  } cases[] = {
      {0, 10, 6, 210, 6, 210 - 3 * 96, 19}, // second bank below
      {1, 10, 19, 210, 19, 210 - 3 * 96, 6}, // first bank the lower row
      {2, 10, 6, 10, 57, 106, 57 - 39},      // second bank to the right
      {3, 106, 6, 106, 57, 10, 57 - 39},     // first bank the right column
  };
  for (const auto &c : cases) {
    ASSERT_EQ(pnl_placeof(kM, two, c.side, p), PNL_BUTTONS);
    EXPECT_EQ(p[0].x, c.x0) << c.side;
    EXPECT_EQ(p[0].y, c.y0) << c.side;
    EXPECT_EQ(p[3].x, c.x3) << c.side;
    EXPECT_EQ(p[3].y, c.y3) << c.side;
    EXPECT_EQ(p[23].x, c.x23) << c.side;
    EXPECT_EQ(p[23].y, c.y23) << c.side;
    // Second-bank button k + 3 stands in line with first-bank button k + 3.
    const bool horizontal = c.side <= 1;
    for (int k = 3; k < PNL_BANK; k++) {
      EXPECT_EQ(horizontal ? p[23 + k].x : p[23 + k].y, horizontal ? p[k].x : p[k].y) << c.side << " " << k;
      EXPECT_EQ(p[23 + k].cx, 96);
      EXPECT_EQ(p[23 + k].cy, 13);
    }
  }
}

} // namespace

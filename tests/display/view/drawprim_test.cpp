// World drawing primitives and the world clip rectangle, drawn into pixels.
#include "display/view/drawprim.h"

#include <cmath>
#include <vector>

#include "display/fonts/strdraw.h"
#include "../drawfix.h"

namespace {

using Prims = DrawView;

TEST_F(Prims, PointOnXmaxIsDrawnOneBeyondIsNot) {
  rec_start();
  drw_point(canvas.dc(), 100.0001, 25, 1, 0, 4);
  EXPECT_EQ(rec.calls, 0);
  drw_point(canvas.dc(), 100, 25, 1, 0, 4);
  EXPECT_GT(rec.calls, 0);
  EXPECT_EQ(canvas.at(200, 50), colour_px(4));
}

TEST_F(Prims, LineWithinOnePixelIsOnePixel) {
  rec_start();
  drw_line(canvas.dc(), 10, 10, 10.1, 10.1, 1, 0, 3);
  ASSERT_EQ(rec.pixels.size(), 1u);
  EXPECT_TRUE(rec.lines.empty());
  EXPECT_EQ(inked(), 1);
  EXPECT_EQ(canvas.at(20, 80), colour_px(3));
}

TEST_F(Prims, LineIsClippedToTheViewAndDrawnInItsColour) {
  drw_line(canvas.dc(), -50, 25, 150, 25, 1, 0, 5);
  EXPECT_EQ(canvas.at(0, 50), colour_px(5));
  EXPECT_EQ(canvas.at(199, 50), colour_px(5));
  EXPECT_EQ(inked(), inked(colour_px(5)));
  EXPECT_GE(inked(), 200);
  EXPECT_LE(inked(), 201);
}

TEST_F(Prims, XorLineTwiceRestoresThePixels) {
  canvas.fill_noise();
  const auto before = canvas.pixels();
  drw_line(canvas.dc(), 5, 5, 90, 40, 1, 0, 7 | DRW_XOR);
  EXPECT_NE(canvas.pixels(), before);
  drw_line(canvas.dc(), 5, 5, 90, 40, 1, 0, 7 | DRW_XOR);
  EXPECT_EQ(canvas.pixels(), before);
}

TEST_F(Prims, ClipRectangleReplacesTheShownWindow) {
  double a = 0, b = 0, c = 0, d = 0;
  EXPECT_EQ(dsp_clipget(&a, &b, &c, &d), 0);
  EXPECT_EQ(dsp_clipset(20, 0, 40, 50), 0);
  EXPECT_EQ(dsp_clipon(), 1u);
  EXPECT_EQ(dsp_clipget(&a, &b, &c, &d), 1);
  EXPECT_EQ(c, 40.0);
  drw_line(canvas.dc(), 0, 25, 100, 25, 1, 0, 5);
  EXPECT_FALSE(ink_at(30, 50));
  EXPECT_TRUE(ink_at(60, 50));
  EXPECT_TRUE(ink_at(70, 50));
  EXPECT_FALSE(ink_at(90, 50));
  drw_point(canvas.dc(), 60, 25, 1, 0, 4); // outside the clip rectangle
  EXPECT_FALSE(ink_near(120, 50, 3));
  dsp_clipoff();
  EXPECT_EQ(dsp_clipon(), 0u);
}

// Corners in any order mean the same rectangle to every reader: lines, points,
// texts, the fill and the grid all get it sorted.
TEST_F(Prims, ClipRectangleCornersInAnyOrder) {
  const double orders[4][4] = {{20, 0, 40, 50}, {40, 50, 20, 0}, {40, 0, 20, 50}, {20, 50, 40, 0}};
  std::vector<uint32_t> first;
  for (const auto &o : orders) {
    PatBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), WHITENESS);
    dsp_clipset(o[0], o[1], o[2], o[3]);
    double r[4];
    ASSERT_EQ(dsp_clipget(&r[0], &r[1], &r[2], &r[3]), 1);
    EXPECT_EQ(r[0], 20.0);
    EXPECT_EQ(r[1], 0.0);
    EXPECT_EQ(r[2], 40.0);
    EXPECT_EQ(r[3], 50.0);
    drw_line(canvas.dc(), 0, 25, 100, 25, 1, 0, 5);
    drw_point(canvas.dc(), 30, 10, 1, 0, 4);
    EXPECT_TRUE(ink_at(60, 50)) << o[0] << "," << o[1];
    EXPECT_FALSE(ink_at(30, 50));
    EXPECT_TRUE(ink_near(60, 80, 2));
    EXPECT_EQ(chr_boxvis(25, 10, 5, 5, 0), 1);
    EXPECT_EQ(chr_boxvis(60, 10, 5, 5, 0), 0);
    if (first.empty())
      first = canvas.pixels();
    else
      EXPECT_EQ(canvas.pixels(), first);
  }
  dsp_clipoff();
}

int count_lines(int32_t style, double len = 20) {
  rec_start();
  drw_line(nullptr, 40, 25, 40 + len, 25, style, 0, 3);
  const int n = int(rec.lines.size() + rec.pixels.size());
  rec_stop();
  return n;
}

TEST_F(Prims, EndMarkCodes) {
  struct Case {
    int start, end, lines;
  } cases[] = {
      {0, 0, 1}, {1, 0, 3}, {0, 3, 4}, {1, 3, 6}, {4, 5, 1}, {5, 4, 1}, {7, 0, 3},
  };
  for (const Case &c : cases)
    EXPECT_EQ(count_lines(1 | c.start << 4 | c.end << 7), c.lines) << c.start << "/" << c.end;
  // Circles: codes 2 (two) and 6 (one) draw arcs beside the line.
  EXPECT_EQ(count_lines(1 | 4 << 4 | 5 << 7, 1e-7), 1); // no marks for a line of 1e-7
  EXPECT_EQ(count_lines(1 | 1 << 4 | 1 << 7, 1e-7), 1);
}

TEST_F(Prims, OpenArrowWingsAre15DegreesOffTheLine) {
  rec_start();
  drw_line(nullptr, 40, 25, 60, 25, 1 | 1 << 4, 0, 3);
  ASSERT_EQ(rec.lines.size(), 3u);
  // Wing from P + A rot(15)(d) to P: A = 5, at scale 2 the wing ends 9.66 / 2.59 pixels away.
  const POINT w = rec.lines[1][0], p = rec.lines[1][1];
  EXPECT_EQ(p.x, 80);
  EXPECT_EQ(p.y, 50);
  EXPECT_NEAR(w.x - p.x, 2 * 5 * 0.965925826, 1);
  EXPECT_NEAR(p.y - w.y, 2 * 5 * 0.258819045, 1);
}

TEST_F(Prims, MarksOutsideTheViewAreSkippedTheLineIsDrawn) {
  rec_start();
  drw_line(nullptr, 50, 25, 150, 25, 1 | 1 << 4 | 1 << 7, 0, 3);
  EXPECT_EQ(rec.lines.size(), 3u); // the line and the start arrow
}

TEST_F(Prims, ArcBelow4000PixelsIsClippedAbove4000IsChords) {
  // Scale 2: radius 1999.5 gives 3999.5 pixels (arc clipping), 1999.75 gives 4000 (chords).
  rec_start();
  drw_arc(nullptr, 50, 25 - 1999.5 + 10, 1999.5, 0, 360, 1, 0, 3);
  const auto clipped = rec.lines;
  EXPECT_TRUE(ink_near(100, 30, 2)); // the top of the circle crosses the view at y = 35
  rec.clear();
  drw_arc(nullptr, 50, 25 - 1999.75 + 10, 1999.75, 0, 360, 1, 0, 3);
  ASSERT_FALSE(rec.lines.empty());
  EXPECT_LE(rec.lines.size(), 16u);
  for (const auto &l : rec.lines)
    EXPECT_EQ(l.size(), 2u);
  EXPECT_TRUE(rec.arcs.empty());
  for (auto &l : clipped)
    EXPECT_NE(l.size(), 2u);
}

TEST_F(Prims, FullCircleCutByTheLeftEdgeIsOneRunOf16Chords) {
  rec_start();
  EXPECT_EQ(drw_arcclip(nullptr, 1, 0, 15, 25, 20, 0, 360, 3), 0);
  EXPECT_EQ(rec.lines.size(), 16u);
  rec.clear();
  // A circle wholly inside: one run.
  drw_arcclip(nullptr, 1, 0, 50, 25, 20, 0, 360, 3);
  EXPECT_EQ(rec.lines.size(), 16u);
  rec.clear();
  // A circle cut by the top and the bottom: two runs.
  drw_arcclip(nullptr, 1, 0, 50, 25, 30, 0, 360, 3);
  EXPECT_EQ(rec.lines.size(), 32u);
  rec.clear();
  EXPECT_EQ(drw_arcclip(nullptr, 1, 0, 50, 25, 1e-101, 0, 360, 3), 1);
  drw_arcclip(nullptr, 1, 0, 200, 25, 100, 0, 360, 3); // touches xmax only
  EXPECT_TRUE(rec.lines.empty());
  EXPECT_EQ(PatternPhase.continuous, 0u);
}

TEST_F(Prims, SmallArcIsAPixel) {
  rec_start();
  drw_arc(nullptr, 30, 30, 0.2, 0, 360, 1, 0, 3);
  ASSERT_EQ(rec.pixels.size(), 1u);
  EXPECT_EQ(rec.pixels[0].x, 60);
}

TEST_F(Prims, RectAndFrame) {
  drw_rect(canvas.dc(), 10, 10, 30, 20, 1, 0, 2);
  EXPECT_TRUE(ink_at(20, 80));
  EXPECT_TRUE(ink_at(60, 60));
  EXPECT_TRUE(ink_at(40, 60));
  EXPECT_FALSE(ink_at(40, 70));
  rec_start();
  drw_frame(nullptr, 1, 2);
  EXPECT_EQ(rec.lines.size() + rec.pixels.size(), 4u);
}

} // namespace

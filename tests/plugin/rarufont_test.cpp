#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "canvasrec.h"
#include "display/fonts/fontfile.h"
#include "plugin/rarufont.h"
#include "sealfile.h"

namespace {

RaruSeal parse(const std::vector<uint8_t> &bytes) {
  RaruSeal s;
  raru_sealparse(bytes.data(), bytes.size(), &s);
  return s;
}

TEST(RaruArc, ThreePointsGiveTheCounterClockwiseArc) {
  double c[2], r, s, e;
  const double a[2] = {1, 0}, b[2] = {0, 1}, d[2] = {-1, 0};
  ASSERT_EQ(RaruFont_ArcBy3Points(a, b, d, c, &r, &s, &e), 0);
  EXPECT_NEAR(c[0], 0, 1e-12);
  EXPECT_NEAR(c[1], 0, 1e-12);
  EXPECT_NEAR(r, 1, 1e-12);
  EXPECT_NEAR(s, 0, 1e-9);
  EXPECT_NEAR(e, 180, 1e-9);
  // The same points in clockwise order: still the arc through (0, 1).
  ASSERT_EQ(RaruFont_ArcBy3Points(d, b, a, c, &r, &s, &e), 0);
  EXPECT_NEAR(s, 0, 1e-9);
  EXPECT_NEAR(e, 180, 1e-9);
  const double q[2] = {2, 0};
  EXPECT_EQ(RaruFont_ArcBy3Points(a, q, d, c, &r, &s, &e), 1); // collinear
}

TEST(RaruArc, AnglesAreInDegreesFromZeroTo360) {
  EXPECT_EQ(RaruFont_AngleDeg(0, 0), 0);
  EXPECT_NEAR(RaruFont_AngleDeg(-1, 0), 180, 1e-12);
  EXPECT_NEAR(RaruFont_AngleDeg(0, -1), 270, 1e-12);
  const double tiny = RaruFont_AngleDeg(1, -1e-20); // just below 360, which rounds to it
  EXPECT_GE(tiny, 0);
  EXPECT_LT(tiny, 360);
}

TEST(RaruLayout, BracketsHalveAndRaise) {
  std::vector<RaruGlyphPos> g;
  raru_layout("AB[C]D", 100, 50, 10, 8, 2, 0, g);
  ASSERT_EQ(g.size(), 4u);
  EXPECT_EQ(g[0].code, 0x8260); // full-width A
  EXPECT_DOUBLE_EQ(g[0].x, 100);
  EXPECT_DOUBLE_EQ(g[1].x, 110);
  EXPECT_DOUBLE_EQ(g[2].x, 120);
  EXPECT_DOUBLE_EQ(g[2].y, 55);
  EXPECT_TRUE(g[2].half);
  EXPECT_DOUBLE_EQ(g[3].x, 125); // half width 4 and half spacing 1
  EXPECT_DOUBLE_EQ(g[3].y, 50);
  EXPECT_FALSE(g[3].half);
}

TEST(RaruLayout, LinesBasesAndIgnoredBytes) {
  std::vector<RaruGlyphPos> g;
  raru_layout("A|B_C", 0, 0, 10, 8, 2, 0, g);
  ASSERT_EQ(g.size(), 3u);
  EXPECT_DOUBLE_EQ(g[1].x, 10);
  EXPECT_DOUBLE_EQ(g[2].x, 0);
  EXPECT_DOUBLE_EQ(g[2].y, -12);
  // Horizontal base 1 centres each line on its width, 2 right-aligns; vertical base 2
  // lowers by the height.
  raru_layout("AB_C", 0, 0, 10, 8, 2, (1u << 7) | (2u << 5), g);
  ASSERT_EQ(g.size(), 3u);
  EXPECT_DOUBLE_EQ(g[0].x, -9); // line width 18
  EXPECT_DOUBLE_EQ(g[2].x, -4);
  EXPECT_DOUBLE_EQ(g[0].y, -10);
  raru_layout("AB", 0, 0, 10, 8, 2, (2u << 7) | (1u << 5), g);
  EXPECT_DOUBLE_EQ(g[0].x, -18);
  EXPECT_DOUBLE_EQ(g[0].y, -5);
  // Inside brackets "_" lowers the bracket's base by half the height.
  raru_layout("[A_B]", 0, 0, 10, 8, 2, 0, g);
  ASSERT_EQ(g.size(), 2u);
  EXPECT_DOUBLE_EQ(g[0].y, 5);
  EXPECT_DOUBLE_EQ(g[1].y, 0);
}

TEST(RaruLayout, AtMostNineBracketLevels) {
  std::vector<RaruGlyphPos> g;
  raru_layout("[[[[[[[[[[[[A", 0, 0, 10, 8, 2, 0, g);
  ASSERT_EQ(g.size(), 1u);
  EXPECT_DOUBLE_EQ(g[0].y, 45);
  raru_layout("]]A", 0, 0, 10, 8, 2, 0, g); // unmatched closers are ignored
  ASSERT_EQ(g.size(), 1u);
  EXPECT_DOUBLE_EQ(g[0].y, 0);
}

TEST(RaruLayout, DoubleByteAndHalfWidthCharacters) {
  std::vector<RaruGlyphPos> g;
  raru_layout("\x88\xF3 \xA5", 0, 0, 10, 8, 2, 0, g); // "印", space, half-width dot
  ASSERT_EQ(g.size(), 3u);
  EXPECT_EQ(g[0].code, 0x88F3);
  EXPECT_EQ(g[1].code, 0x8140);
  EXPECT_EQ(g[2].code, 0x8145);
  raru_layout("A\x88", 0, 0, 10, 8, 2, 0, g); // a lead byte at the end ends the text
  EXPECT_EQ(g.size(), 1u);
}

TEST(RaruSealFile, RecordsAreOnlyThoseTheFileHolds) {
  SealBuilder b;
  b.line(0, 0, 1, 1).line(1, 1, 2, 2);
  EXPECT_EQ(parse(b.bytes()).count, 2);
  EXPECT_EQ(parse(b.bytes(-1)).count, 0);
  EXPECT_EQ(parse(b.bytes(20000)).count, 2); // a short file
  std::vector<uint8_t> cut = b.bytes();
  cut.resize(256 + 80 + 79);
  EXPECT_EQ(parse(cut).count, 1);
  cut.resize(200);
  RaruSeal s = parse(cut);
  EXPECT_FALSE(s.fullHeader);
  EXPECT_EQ(s.count, 0);
}

TEST(RaruSealFile, TextsJoinOverContinuationRecords) {
  const std::string text = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!?";
  SealBuilder b;
  b.text(text, 0, 0, 5, 5, 1);
  RaruSeal s = parse(b.bytes());
  char out[80];
  raru_jointext(s, 0, out);
  EXPECT_EQ(std::string(out), text);
  // A text longer than 79 bytes is cut.
  SealBuilder l;
  l.text(std::string(120, 'x'), 0, 0, 5, 5, 1);
  s = parse(l.bytes());
  raru_jointext(s, 0, out);
  EXPECT_EQ(std::strlen(out), 79u);
}

TEST(RaruSealFile, DamagedLinksEndTheText) {
  SealBuilder b;
  b.text(std::string(60, 'y'), 0, 0, 5, 5, 1); // records 1 and 2
  std::vector<uint8_t> bytes = b.bytes();
  uint8_t *cont = bytes.data() + 256 + 80;
  char out[80];
  struct Case {
    int32_t link;
    std::size_t want;
  } cases[] = {{2, 60}, {1, 60}, {3, 60}, {0, 60}};
  // The continuation's own link: back to the text, to itself, outside, none.
  for (const auto &c : cases) {
    slf_put<int32_t>(cont, 66, c.link);
    RaruSeal s = parse(bytes);
    raru_jointext(s, 0, out);
    EXPECT_EQ(std::strlen(out), c.want) << c.link;
  }
  // The text's first link outside the records or to itself: only its own 14 bytes.
  for (int32_t link : {0, 1, 3, 99999, -5}) {
    slf_put<int32_t>(bytes.data() + 256, 66, link);
    RaruSeal s = parse(bytes);
    raru_jointext(s, 0, out);
    EXPECT_EQ(std::strlen(out), 14u) << link;
  }
}

TEST(RaruFit, OutlineDecidesTheScale) {
  RaruView v;
  SealBuilder r1;
  r1.outline(1, 10, 5, 20, 10).line(0, 0, 20, 10);
  ASSERT_TRUE(raru_fit(parse(r1.bytes()), 200, 100, 101, &v));
  EXPECT_DOUBLE_EQ(v.s, 0.8 * 200 / 20);
  EXPECT_DOUBLE_EQ(v.ox, 100 - v.s * 10);
  EXPECT_DOUBLE_EQ(v.oy, 50 - v.s * 5);
  EXPECT_EQ(v.b, 101);
  SealBuilder r2;
  r2.outline(1, 0, 0, 10, 20).line(0, 0, 1, 1);
  ASSERT_TRUE(raru_fit(parse(r2.bytes()), 200, 100, 101, &v));
  EXPECT_DOUBLE_EQ(v.s, 0.8 * 100 / 20);
  SealBuilder c;
  c.outline(2, 0, 0, 10, 10).arc(0, 0, 10, 0, 360);
  ASSERT_TRUE(raru_fit(parse(c.bytes()), 200, 100, 101, &v));
  EXPECT_DOUBLE_EQ(v.s, 0.8 * 200 / 20);
}

TEST(RaruFit, NoUsableOutlineFitsTheElements) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  struct Case {
    int kind;
    double w, h;
  } cases[] = {{0, 20, 10}, {3, 20, 10}, {1, 0, 10}, {1, 20, -1}, {1, nan, 10}, {2, inf, 0}, {2, -5, 0}};
  for (const auto &c : cases) {
    SealBuilder b;
    b.outline(c.kind, 0, 0, c.w, c.h).line(10, 10, 50, 30); // box 40 x 20 about (30, 20)
    RaruView v;
    ASSERT_TRUE(raru_fit(parse(b.bytes()), 200, 100, 101, &v)) << c.kind << " " << c.w;
    EXPECT_DOUBLE_EQ(v.s, 0.8 * 200 / 40);
    EXPECT_DOUBLE_EQ(v.ox, 100 - v.s * 30);
    EXPECT_DOUBLE_EQ(v.oy, 50 - v.s * 20);
  }
  SealBuilder empty;
  empty.outline(0, 0, 0, 0, 0);
  RaruView v;
  EXPECT_FALSE(raru_fit(parse(empty.bytes()), 200, 100, 101, &v));
  SealBuilder bad;
  bad.outline(0, 0, 0, 0, 0).line(nan, 0, inf, 0);
  EXPECT_FALSE(raru_fit(parse(bad.bytes()), 200, 100, 101, &v));
}

TEST(RaruDraw, LinesAndArcsGoThroughTheTransform) {
  SealBuilder b;
  b.outline(1, 10, 5, 20, 10).line(0, 0, 20, 10).arc(10, 5, 2, 0, 90).text("A", 0, 0, 1, 1, 0);
  RaruSeal s = parse(b.bytes());
  RaruView v;
  ASSERT_TRUE(raru_fit(s, 200, 100, 101, &v)); // s = 8
  CanvasRec c;
  int texts = 0;
  static int *count;
  count = &texts;
  raru_drawseal(c, v, s, [](RaruCanvas &, const RaruView &, const char *t, double, double, double, double, double,
                            unsigned) {
    EXPECT_STREQ(t, "A");
    ++*count;
  });
  ASSERT_EQ(c.lines.size(), 1u);
  EXPECT_EQ(c.lines[0].x1, 20);
  EXPECT_EQ(c.lines[0].y1, 101 - 10);
  EXPECT_EQ(c.lines[0].x2, 180);
  EXPECT_EQ(c.lines[0].y2, 101 - 90);
  ASSERT_EQ(c.arcs.size(), 1u);
  const auto &a = c.arcs[0];
  EXPECT_EQ(a.l, 100 - 16);
  EXPECT_EQ(a.r, 100 + 16);
  EXPECT_EQ(a.t, 51 - 16);
  EXPECT_EQ(a.xs, 116); // start radial at 0 degrees
  EXPECT_EQ(a.ys, 51);
  EXPECT_EQ(a.xe, 100); // end radial at 90 degrees, upward on the screen
  EXPECT_EQ(a.ye, 51 - 16);
  EXPECT_EQ(texts, 1);
}

TEST(RaruDraw, ExtremeCoordinatesStayInsideTheDeviceRange) {
  SealBuilder b;
  b.outline(1, 0, 0, 1e-300, 1e-300).line(1e300, -1e300, 0, 0);
  RaruSeal s = parse(b.bytes());
  RaruView v;
  ASSERT_TRUE(raru_fit(s, 200, 100, 101, &v));
  CanvasRec c;
  raru_drawseal(c, v, s, nullptr);
  ASSERT_EQ(c.lines.size(), 1u);
  EXPECT_EQ(raru_trunc(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(raru_trunc(1e300), 1 << 29);
}

// Glyphs from the generated high-quality font.
class RaruGlyphs : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0); }
  void TearDown() override { fnt_close(); }
  static CanvasRec::Box draw(const char *text) {
    CanvasRec c;
    RaruView v; // identity, b = 0: device y = -world y
    RaruFont_DrawString(c, v, text, 0, 0, 1000, 1000, 0, 0);
    return c.box();
  }
};

TEST_F(RaruGlyphs, BracketedCharacterIsHalfSizeAndRaised) {
  const auto a = draw("C");
  const auto b = draw("[C]");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  const double ha = a.y1 - a.y0, hb = b.y1 - b.y0;
  EXPECT_NEAR(hb, ha / 2, 3);
  EXPECT_NEAR((b.x1 - b.x0), (a.x1 - a.x0) / 2.0, 3);
  // Raised by half the height: the bottom (largest device y) moves up by 500 and the
  // glyph shrinks toward the origin's bottom.
  EXPECT_NEAR(b.y1, (a.y1 / 2.0) - 500, 3);
}

TEST_F(RaruGlyphs, NoFontDrawsNoText) {
  fnt_close();
  EXPECT_TRUE(draw("AB").empty());
}

TEST_F(RaruGlyphs, InvalidPairsDrawNothing) {
  CanvasRec c;
  RaruView v;
  EXPECT_EQ(RaruFont_DrawGlyph(c, v, 0x8120, 0, 0, 10, 10, false), 0);
  EXPECT_EQ(RaruFont_DrawGlyph(c, v, 0x4141, 0, 0, 10, 10, false), 0);
  EXPECT_TRUE(c.lines.empty() && c.arcs.empty());
  EXPECT_EQ(RaruFont_DrawGlyph(c, v, 0x88F3, 0, 0, 10, 10, false), 0); // "印"
  EXPECT_FALSE(c.lines.empty() && c.arcs.empty());
}

} // namespace

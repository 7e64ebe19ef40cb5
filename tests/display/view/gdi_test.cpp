// GDI layer and dash emulation, drawn into DIB sections; the recorder watches the calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "../canvas.h"
#include "display/view/gdi.h"
#include "display/marks/markshape.h"
#include "display/view/scrsave.h"
#include "../gdi_recorder.h"
#include "settings/params.h"
#include "display/view/viewstate.h"

namespace {

typedef std::vector<std::pair<int, int>> Spans;

// Every segment of the recorded polylines as (x from, x to).
Spans xspans() {
  Spans s;
  for (const auto &l : rec.lines)
    for (size_t i = 1; i < l.size(); i++)
      s.emplace_back(l[i - 1].x, l[i].x);
  return s;
}

class Gdi : public ::testing::Test {
protected:
  void SetUp() override {
    prm_init();
    OutputKind = 0;
    OffscreenOutput = 0;
    PlotterMode = 0;
    PenMode = 0;
    std::memset(MarkShapeTable, 0, sizeof MarkShapeTable);
    for (int i = 0; i < 20; i++) // 3 magenta, 4 blue, 16 black
      PenCache.PaletteSnapshot[i] = i == 3 ? RGB(255, 0, 255) : i == 4 ? RGB(0, 0, 255) : i == 16 ? 0 : RGB(0, 255, 0);
    ASSERT_EQ(gdi_init(), 1);
    rec_start();
  }
  void TearDown() override {
    rec_stop();
    c.release_pen();
    gdi_term();
    OffscreenOutput = 0;
  }
  // Pitch set 0 in use with the given kind-1 dash and gap (millimetres).
  static void pitch_mode(double dash, double gap) {
    LinePitchSet ps;
    sys_ltype('r', 0, &ps);
    ps.v[0][0] = dash;
    ps.v[1][0] = gap;
    sys_ltype('w', 0, &ps);
    uint32_t on = 1;
    sys_ltsel('w', 0, &on);
  }
  Canvas c{400, 300};
};

TEST_F(Gdi, OutOfRangeArgumentsSelectSolidPenZeroAndCopyMode) {
  gdi_setpen(c.dc(), 7, 20, 25, 6);
  EXPECT_EQ(rec.rops.back(), R2_COPYPEN);
  EXPECT_EQ(rec.selected.back(), PenCache.screen[0][0][0]);
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), PenCache.screen[0][0][0]);
  EXPECT_EQ(GetROP2(c.dc()), R2_COPYPEN);
  EXPECT_EQ(PenCache.kind, 0);
  EXPECT_EQ(PenCache.width, 0);
  EXPECT_EQ(PenCache.colour, 0);
}

TEST_F(Gdi, ScreenCacheSharesSolidPens) {
  rec_stop();
  gdi_term();
  rec_start();
  ASSERT_EQ(gdi_init(), 1);
  EXPECT_EQ(rec.created.size(), 14u * 21u); // dashed kinds use the solid pens on the screen
  EXPECT_EQ(PenCache.screen[3][5][7], PenCache.screen[0][5][7]);
  gdi_setpen(c.dc(), 3, 5, 7, R2_COPYPEN); // a dashed kind on the screen: the solid pen, dashes emulated
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), PenCache.screen[0][5][7]);
  c.release_pen();
  LOGPEN lp;
  ASSERT_EQ(GetObjectA(PenCache.screen[0][0][20], sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnColor, RGB(0, 0, 0));
  // Display widths: DSPWIDTH0..11 then the next word; width index 13 is always 1.
  DisplayBlock b;
  sys_dspprm('r', &b);
  b.width[4] = 6;
  b.more[0] = 9;
  sys_dspprm('w', &b);
  const COLORREF pal[20] = {RGB(1, 2, 3)};
  gdi_palette(pal);
  GetObjectA(PenCache.screen[0][4][0], sizeof lp, &lp);
  EXPECT_EQ(lp.lopnWidth.x, 6);
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  GetObjectA(PenCache.screen[0][12][0], sizeof lp, &lp);
  EXPECT_EQ(lp.lopnWidth.x, 9);
  GetObjectA(PenCache.screen[0][13][0], sizeof lp, &lp);
  EXPECT_EQ(lp.lopnWidth.x, 1);
}

TEST_F(Gdi, OffscreenDashedKindsGetUserStylePensOfWidthOne) {
  OffscreenOutput = 1;
  ASSERT_EQ(gdi_palette(PenCache.PaletteSnapshot), 1);
  EXPECT_EQ(rec.extpens, 5 * 21);
  EXPECT_EQ(rec.extstyles[0], (std::vector<DWORD>{2, 2}));       // kind 1
  EXPECT_EQ(rec.extstyles[1], (std::vector<DWORD>{2, 1, 1, 1})); // kind 2
  EXPECT_EQ(rec.extstyles[3], (std::vector<DWORD>{1, 2}));       // kind 4
  EXPECT_EQ(PenCache.output[1][7][3], PenCache.output[1][0][3]); // one pixel wide at every width
  gdi_setpen(c.dc(), 1, 7, 3, R2_COPYPEN);
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), PenCache.output[1][0][3]);
  union {
    EXTLOGPEN ep;
    char room[sizeof(EXTLOGPEN) + 16 * sizeof(DWORD)];
  } u;
  EXTLOGPEN &ep = u.ep;
  ASSERT_GT(GetObjectA(PenCache.output[1][0][3], sizeof u, &u), 0);
  EXPECT_EQ(ep.elpPenStyle & PS_STYLE_MASK, static_cast<DWORD>(PS_USERSTYLE));
  EXPECT_EQ(ep.elpWidth, 1u);
}

TEST_F(Gdi, ColourTwentyOffscreenIsBlackNotOutOfRange) {
  OffscreenOutput = 1;
  ASSERT_EQ(gdi_palette(PenCache.PaletteSnapshot), 1);
  gdi_setpen(c.dc(), 0, 0, 20, R2_COPYPEN);
  HPEN p = PenCache.output[0][0][20];
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), p);
  LOGPEN lp;
  GetObjectA(p, sizeof lp, &lp);
  EXPECT_EQ(lp.lopnColor, RGB(0, 0, 0));
}

TEST_F(Gdi, TermReleasesEveryObjectExactlyOnce) {
  rec_stop();
  gdi_term();
  const DWORD start = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  rec_start();
  ASSERT_EQ(gdi_init(), 1);
  OffscreenOutput = 1;
  ASSERT_EQ(gdi_palette(PenCache.PaletteSnapshot), 1);
  ASSERT_EQ(gdi_palette(PenCache.PaletteSnapshot), 1); // a rebuild deletes the old ones
  OffscreenOutput = 0;
  ASSERT_EQ(gdi_palette(PenCache.PaletteSnapshot), 1);
  HBITMAP saved = CreateBitmap(4, 4, 1, 32, nullptr);
  SavedBitmaps[3].bmp = saved;
  rec.created.push_back(saved);
  gdi_setpen(c.dc(), 2, 3, 4, R2_XORPEN);
  gdi_line(1, 1, 100, 50);
  gdi_mark(10, 10);
  c.release_pen();
  ASSERT_EQ(gdi_term(), 1);
  std::set<HGDIOBJ> made(rec.created.begin(), rec.created.end());
  EXPECT_EQ(made.size(), rec.created.size()); // no handle handed out twice while alive
  for (HGDIOBJ h : rec.created) {
    EXPECT_EQ(rec.deleted[h], 1) << h;
    EXPECT_EQ(GetObjectType(h), 0u) << h;
  }
  for (const auto &d : rec.deleted)
    EXPECT_TRUE(made.count(d.first)) << "deleted an object it did not create";
  EXPECT_EQ(SavedBitmaps[3].bmp, nullptr);
  EXPECT_EQ(PenCache.screen[0][0][0], nullptr);
  EXPECT_EQ(PenCache.kind, -1);
  if (start != 0) { // Wine may not count
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), start);
  }
  ASSERT_EQ(gdi_init(), 1); // for TearDown
}

TEST_F(Gdi, XorFiguresDrawnTwiceLeaveEveryPixel) {
  c.fill_noise();
  const std::vector<uint32_t> before = c.pixels();
  auto draw = [&](int kind, int width) {
    gdi_setpen(c.dc(), kind, width, 3, R2_XORPEN);
    gdi_line(10, 10, 390, 290);
    gdi_line(390, 10, 10, 200);
    gdi_arc(200, 150, 80, 10, 300);
    gdi_arc(200, 150, 40, 0, 360);
    gdi_mark(50, 50);
  };
  for (int kind : {0, 1, 3, 5}) {
    draw(kind, kind == 0 ? 13 : 0);
    EXPECT_NE(c.pixels(), before) << kind;
    draw(kind, kind == 0 ? 13 : 0);
    EXPECT_EQ(c.pixels(), before) << kind;
  }
}

// Held strokes go out as one PolyPolyline when the pen changes or other figures
// are drawn: the picture and the recorded lines are those of single lines.
TEST_F(Gdi, HeldStrokesDrawTheSamePicture) {
  DisplayBlock b;
  sys_dspprm('r', &b);
  b.width[2] = 4;
  sys_dspprm('w', &b);
  ASSERT_EQ(gdi_palette(PenCache.PaletteSnapshot), 1);
  auto draw = [&](bool held) {
    Canvas pic(400, 300);
    rec.clear();
    gdi_strokes(held);
    for (int width : {0, 2}) {
      gdi_setpen(pic.dc(), 0, width, 3, R2_COPYPEN);
      for (int i = 0; i < 300; i++) // more than one batch, crossing and touching
        gdi_line(10 + i % 37 * 10, 10 + i % 23 * 12, 390 - i % 29 * 13, 20 + i % 31 * 9);
      gdi_pixel(5, 5);
      gdi_setpen(pic.dc(), 0, width, 4, R2_COPYPEN);
      gdi_line(10, 150, 390, 150);
      gdi_arc(200, 150, 60, 0, 360);
      gdi_line(200, 10, 200, 290);
    }
    gdi_strokes(false);
    SelectObject(pic.dc(), GetStockObject(BLACK_PEN));
    std::vector<std::pair<int, int>> ends; // every recorded point
    for (const auto &l : rec.lines)
      for (POINT q : l)
        ends.emplace_back(q.x, q.y);
    return std::make_tuple(pic.pixels(), rec.lines.size(), ends);
  };
  const auto single = draw(false), held = draw(true);
  EXPECT_NE(std::get<0>(single), Canvas(400, 300).pixels());
  EXPECT_EQ(std::get<0>(held), std::get<0>(single));
  EXPECT_EQ(std::get<1>(held), std::get<1>(single));
  EXPECT_EQ(std::get<2>(held), std::get<2>(single));
}

TEST_F(Gdi, AfterTargetMarksArePixels) {
  gdi_target(c.dc(), 1);
  gdi_mark(5, 6);
  ASSERT_EQ(rec.pixels.size(), 1u);
  EXPECT_EQ(rec.pixels[0].x, 5);
  EXPECT_EQ(rec.pixels[0].y, 6);
  gdi_setpen(nullptr, 1, 0, 4, R2_COPYPEN); // the target DC is used
  gdi_mark(20, 20);
  EXPECT_EQ(PenCache.kind, 1); // the plus is drawn solid, the kind comes back
  EXPECT_EQ(xspans(), (Spans{{17, 24}, {20, 20}}));
  EXPECT_EQ(c.at(17, 20), 0x0000FFu);
  gdi_target(nullptr, 0);
}

TEST_F(Gdi, MarkKindsHaveTheirShapes) {
  gdi_setpen(c.dc(), 0, 0, 16, R2_COPYPEN);
  gdi_mark(10, 10);
  gdi_setpen(c.dc(), 3, 0, 16, R2_COPYPEN);
  gdi_mark(30, 30);
  gdi_setpen(c.dc(), 5, 0, 16, R2_COPYPEN);
  gdi_mark(50, 50);
  EXPECT_EQ(rec.ellipses, (std::vector<std::vector<int>>{{8, 8, 12, 12}, {27, 27, 33, 33}, {46, 46, 54, 54}}));
  gdi_bigdot(100, 100);
  EXPECT_EQ(rec.ellipses.back(), (std::vector<int>{95, 95, 105, 105}));
  EXPECT_EQ(c.at(50, 50), 0u); // palette 16 is black
}

TEST_F(Gdi, ShapeTableFigures) {
  MarkShapeTable[0].type = 1;
  MarkShapeTable[0].box = {-5, 0, 6, 0};
  MarkShapeTable[1].type = 3;
  MarkShapeTable[1].box = {-2, -2, 3, 3};
  MarkShapeTable[2].type = 0; // ends the table
  MarkShapeTable[3].type = 1;
  MarkShapeTable[3].box = {0, 0, 9, 9};
  gdi_setpen(c.dc(), 2, 0, 16, R2_COPYPEN);
  gdi_shape(100, 100);
  EXPECT_EQ(xspans(), (Spans{{95, 106}}));
  EXPECT_EQ(rec.ellipses, (std::vector<std::vector<int>>{{98, 98, 103, 103}}));
}

TEST_F(Gdi, ArcRule) {
  OffscreenOutput = 1; // GDI arcs, no emulation
  ASSERT_EQ(gdi_palette(PenCache.PaletteSnapshot), 1);
  gdi_setpen(c.dc(), 0, 0, 16, R2_COPYPEN);
  gdi_arc(100, 100, 10, 0, 360);
  ASSERT_EQ(rec.arcs.size(), 2u);
  EXPECT_EQ(rec.arcs[0], (std::vector<int>{90, 90, 110, 110, 110, 90, 90, 90}));
  EXPECT_EQ(rec.arcs[1], (std::vector<int>{90, 90, 110, 110, 90, 90, 110, 90}));
  rec.arcs.clear();
  gdi_arc(100, 100, 10, 0, 5); // ends within one pixel, small sweep: one pixel
  EXPECT_TRUE(rec.arcs.empty());
  ASSERT_EQ(rec.pixels.size(), 1u);
  EXPECT_EQ(rec.pixels[0].x, 110);
  gdi_arc(100, 100, 10, 0, 359); // same ends, large sweep: the arc
  EXPECT_EQ(rec.arcs.size(), 1u);
  gdi_arc(100, 100, 10, 30, 120);
  EXPECT_EQ(rec.arcs.back(), (std::vector<int>{90, 90, 110, 110, 109, 95, 96, 91}));
}

TEST_F(Gdi, HugeRadiiAreDrawnAsFineChords) {
  for (int off : {0, 1}) {
    OffscreenOutput = off;
    gdi_palette(PenCache.PaletteSnapshot);
    for (int kind : {0, 1}) {
      gdi_setpen(c.dc(), kind, 0, 16, R2_COPYPEN);
      rec.lines.clear();
      gdi_arc(100, 100 + 2000000000, 2000000000, 80, 100); // passes through (100, 100)
      EXPECT_TRUE(rec.arcs.empty());
      EXPECT_FALSE(rec.lines.empty());
      gdi_arc(100, 100, 2147483647, 0, 360);
    }
  }
  EXPECT_EQ(c.at(100, 100), 0u);
}

TEST_F(Gdi, TextFontFromTypefaceTable) {
  TypefaceEntry faces[4] = {};
  std::strcpy(faces[0].name, "Face Zero");
  std::strcpy(faces[2].name, "Face Two");
  faces[2].style = 3;
  sys_typeface('w', faces);
  gdi_setpen(c.dc(), 2, 0, 16, R2_COPYPEN);
  EXPECT_EQ(gdi_text(10, 20, 16, -3, -30, "AB"), 1);
  ASSERT_EQ(rec.fonts.size(), 1u);
  EXPECT_EQ(rec.fonts[0].lfEscapement, 3300);
  EXPECT_EQ(rec.fonts[0].lfOrientation, 3300);
  EXPECT_EQ(rec.fonts[0].lfHeight, -16);
  EXPECT_EQ(rec.fonts[0].lfWidth, 0);
  EXPECT_EQ(rec.fonts[0].lfWeight, 700);
  EXPECT_EQ(rec.fonts[0].lfItalic, 1);
  EXPECT_EQ(rec.fonts[0].lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(rec.fonts[0].lfOutPrecision, OUT_STRING_PRECIS);
  EXPECT_EQ(rec.fonts[0].lfClipPrecision, 17);
  EXPECT_STREQ(rec.fonts[0].lfFaceName, "Face Two");
  gdi_setpen(c.dc(), 5, 0, 16, R2_COPYPEN); // kinds past the four entries use entry 0
  RECT clip = {0, 0, 50, 50};
  EXPECT_EQ(gdi_textclip(10, 20, 99999999, 4, 725, "A", &clip), 1);
  EXPECT_STREQ(rec.fonts[1].lfFaceName, "Face Zero");
  EXPECT_EQ(rec.fonts[1].lfEscapement, 50);
  EXPECT_EQ(rec.fonts[1].lfHeight, -9999999);
  EXPECT_EQ(rec.deleted[rec.created.back()], 1); // the font is deleted after drawing
}

TEST_F(Gdi, FillRegion) {
  Palette[2] = RGB(0, 0, 255);
  HRGN rgn = CreateRectRgn(10, 10, 20, 20);
  EXPECT_EQ(gdi_fillrgn(1, 2, 0, c.dc(), rgn), 0);
  EXPECT_EQ(c.at(15, 15), 0x0000FFu);
  FillBlock fb;
  sys_paint('r', 0, &fb);
  fb.colour[1] = RGB(255, 0, 0);
  sys_paint('w', 0, &fb);
  EXPECT_EQ(gdi_fillrgn(0, 2, 0, c.dc(), rgn), 0);
  EXPECT_EQ(c.at(15, 15), 0xFF0000u);
  EXPECT_EQ(gdi_fillrgn(0, 9, 0, c.dc(), rgn), 1); // fill colour numbers are 1..8
  EXPECT_EQ(gdi_fillrgn(0, 0, 0, c.dc(), rgn), 1);
  EXPECT_EQ(gdi_fillrgn(0, 1, 5, c.dc(), rgn), 1);
  EXPECT_EQ(c.at(15, 15), 0xFF0000u);
  DeleteObject(rgn);
}

// Dashes

TEST_F(Gdi, Kind1LineStretchesWholePeriods) {
  gdi_setpen(c.dc(), 1, 0, 16, R2_COPYPEN);
  gdi_line(0, 100, 100, 100);
  EXPECT_EQ(xspans(), (Spans{{0, 8}, {16, 33}, {41, 50}, {50, 58}, {66, 83}, {91, 100}}));
  std::vector<int> ink;
  for (int x = 0; x < 110; x++)
    if (c.at(x, 100) == 0)
      ink.push_back(x);
  std::vector<int> want;
  for (auto [a, b] : Spans{{0, 8}, {16, 33}, {41, 58}, {66, 83}, {91, 100}})
    for (int x = a; x < b; x++)
      want.push_back(x);
  EXPECT_EQ(ink, want);
  rec.lines.clear();
  gdi_line(0, 10, 20, 10); // shorter than one period: one stretched period
  EXPECT_EQ(xspans(), (Spans{{0, 3}, {6, 13}, {16, 20}}));
}

TEST_F(Gdi, Kind5DotsAtBothEnds) {
  gdi_setpen(c.dc(), 5, 0, 16, R2_COPYPEN);
  gdi_line(0, 50, 24, 50);
  EXPECT_EQ(xspans(), (Spans{{0, 1}, {12, 13}, {24, 25}}));
  EXPECT_EQ(c.at(12, 50), 0u);
  EXPECT_EQ(c.at(11, 50), 0xFFFFFFu);
  rec.lines.clear();
  gdi_line(30, 30, 30, 30); // length 0: two dots at the start
  EXPECT_EQ(xspans(), (Spans{{30, 31}, {30, 31}}));
}

TEST_F(Gdi, FarDashedLinesOnlyWalkWhatCanBeSeen) {
  gdi_setpen(c.dc(), 1, 0, 16, R2_COPYPEN);
  gdi_line(-100000000, 150, 100000000, 150);
  size_t segs = xspans().size();
  EXPECT_GT(segs, 10u);
  EXPECT_LT(segs, 1000u);
  EXPECT_EQ(c.at(0, 150) == 0 || c.at(5, 150) == 0, true);
}

TEST_F(Gdi, ZeroPitchSetFallsBackToTheBuiltInPattern) {
  pitch_mode(0, 0);
  EXPECT_EQ(gdi_emumode(), 2);
  gdi_setpen(c.dc(), 1, 0, 16, R2_COPYPEN);
  gdi_line(0, 100, 100, 100);
  EXPECT_EQ(xspans(), (Spans{{0, 8}, {16, 33}, {41, 50}, {50, 58}, {66, 83}, {91, 100}}));
  rec.lines.clear();
  gdi_arc(200, 150, 50, 0, 90); // arcs fall back too, and end
  EXPECT_FALSE(rec.lines.empty());
}

TEST_F(Gdi, DegenerateDeviceSizesFallBackToThreePixelUnits) {
  const Spans builtin = {{0, 8}, {16, 33}, {41, 50}, {50, 58}, {66, 83}, {91, 100}};
  OutputKind = 1; // printer: the unit comes from the device size
  gdi_palette(PenCache.PaletteSnapshot);
  struct Case {
    int size, res;
  } cases[] = {{0, 1000}, {-5, 1000}, {400, 1}, {400, 0}};
  rec.fakesize = true;
  for (const Case &k : cases) {
    rec.horzsize = k.size;
    rec.horzres = k.res;
    EXPECT_EQ(gdi_dashunit(c.dc()), 3) << k.size << " " << k.res;
    gdi_setpen(c.dc(), 1, 0, 16, R2_COPYPEN);
    rec.lines.clear();
    gdi_line(0, 100, 100, 100);
    EXPECT_EQ(xspans(), builtin) << k.size << " " << k.res;
  }
  rec.horzsize = 254; // 1000 pixels over 254 mm: 3 pixels a millimetre
  rec.horzres = 762;
  EXPECT_EQ(gdi_dashunit(c.dc()), 3);
  rec.horzres = 2540;
  EXPECT_EQ(gdi_dashunit(c.dc()), 10);
  OutputKind = 0;
  // The pitch set with a device width of 0 millimetres.
  pitch_mode(3.0, 2.0);
  rec.horzsize = 0;
  gdi_setpen(c.dc(), 1, 0, 16, R2_COPYPEN);
  rec.lines.clear();
  gdi_line(0, 100, 100, 100);
  EXPECT_EQ(xspans(), builtin);
  rec.lines.clear();
  gdi_arc(200, 150, 50, 0, 90);
  EXPECT_FALSE(rec.lines.empty());
  rec.fakesize = false;
}

TEST_F(Gdi, PitchPatternRunsOnAcrossChords) {
  pitch_mode(3.0, 2.0);
  const int res = GetDeviceCaps(c.dc(), HORZRES), size = GetDeviceCaps(c.dc(), HORZSIZE);
  ASSERT_GT(size, 0);
  const double period = 5.0 * res / size;
  ASSERT_GT(period, 4);
  gdi_setpen(c.dc(), 1, 0, 16, R2_COPYPEN);
  auto ink = [&](int y) {
    std::vector<int> v;
    for (int x = 0; x < 400; x++)
      v.push_back(c.at(x, y) == 0);
    return v;
  };
  // One line as a whole, then as three chords with the pattern running on.
  gdi_patcont(1);
  gdi_line(10, 20, 300, 20);
  gdi_patcont(0);
  gdi_patcont(1);
  gdi_line(10, 40, 77, 40);
  gdi_line(77, 40, 151, 40);
  gdi_line(151, 40, 300, 40);
  gdi_patcont(0);
  // The same chords each starting afresh.
  gdi_line(10, 60, 77, 60);
  gdi_line(77, 60, 151, 60);
  gdi_line(151, 60, 300, 60);
  const std::vector<int> whole = ink(20), chained = ink(40), fresh = ink(60);
  int diff_chained = 0, diff_fresh = 0;
  for (int x = 0; x < 400; x++) {
    diff_chained += whole[x] != chained[x];
    diff_fresh += whole[x] != fresh[x];
  }
  // Truncation may move a dash end by a pixel at each of the two joints.
  EXPECT_LE(diff_chained, 8) << "fresh " << diff_fresh;
  EXPECT_GT(diff_fresh, 2 * diff_chained) << "chained " << diff_chained;
  EXPECT_EQ(PatternPhase.continuous, 0u);
}

TEST_F(Gdi, PatternPhaseCarriesTheRemainder) {
  pitch_mode(3.0, 2.0); // 30 and 20 tenths
  gdi_patcont(1);
  PatternPhase.valid = 1;
  PatternPhase.sum = 50;
  const uint32_t pat[8] = {30, 20};
  std::memcpy(PatternPhase.work, pat, sizeof pat);
  std::memcpy(PatternPhase.saved, pat, sizeof pat);
  PatternPhase.index = 0;
  gdi_patphase(1, 0, 50, 1.2); // 60 tenths: 30 + 20 + 10 of the next dash
  EXPECT_EQ(PatternPhase.index, 0);
  EXPECT_EQ(PatternPhase.work[0], 20u);
  gdi_patphase(1, 0, 50, 0.4); // 20 more: exactly the dash's end, next the gap
  EXPECT_EQ(PatternPhase.index, 1);
  gdi_patphase(1, 1, 50, 1000000.0); // a long line takes whole periods at once
  EXPECT_EQ(PatternPhase.index, 1);
  uint32_t saved[8];
  gdi_patreset(saved);
  EXPECT_EQ(saved[0], 30u);
  gdi_patcont(0);
}

TEST_F(Gdi, DashLengthsOfThePitchSets) {
  double len = 0;
  uint32_t l[8] = {0};
  gdi_dashlen(0, 3, &len, l); // display set kind 3: 5, 1, 1
  EXPECT_DOUBLE_EQ(len, 5 + 1 + 1 + 1 + 1 + 1);
  EXPECT_EQ(std::vector<uint32_t>(l, l + 8), (std::vector<uint32_t>{50, 10, 10, 10, 10, 10, 0, 0}));
  uint32_t m[8] = {0};
  gdi_dashlen(1, 1, &len, m); // printer set kind 1: 4, 2
  EXPECT_EQ(m[0], 40u);
  EXPECT_EQ(m[1], 20u);
  EXPECT_EQ(m[2], 0u);
  uint32_t n[8] = {0};
  gdi_dashlen(0, 6, &len, n);
  EXPECT_EQ(n[0], 0u);
}

// Arcs and the polyline batch

TEST_F(Gdi, SmallArcsArePolygonsLargeOnesRasterised) {
  gdi_setpen(c.dc(), 0, 0, 16, R2_COPYPEN);
  gdi_arc(100, 100, 3, 0, 90); // n = 4: polygon of 30-degree steps
  ASSERT_EQ(rec.lines.size(), 1u);
  EXPECT_EQ(rec.lines[0].size(), 4u);
  rec.lines.clear();
  gdi_arc(100, 100, 20, 0, 90); // n = 31: rasterised, one polyline
  ASSERT_EQ(rec.lines.size(), 1u);
  for (const POINT &p : rec.lines[0]) {
    EXPECT_GE(p.x, 100);
    EXPECT_LE(p.y, 100);
    EXPECT_NEAR(std::hypot(p.x - 100.0, p.y - 100.0), 20, 1.0);
  }
  EXPECT_EQ(rec.lines[0].front().x, 120);
  EXPECT_EQ(rec.lines[0].back().y, 80);
  rec.lines.clear();
  gdi_arc(100, 100, 1001, 0, 90); // beyond the raster limit: at most 5-degree steps
  ASSERT_EQ(rec.lines.size(), 1u);
  EXPECT_GE(rec.lines[0].size(), 19u);
}

TEST_F(Gdi, RasterCircleLiesOnTheCircle) {
  gdi_setpen(c.dc(), 0, 0, 16, R2_COPYPEN);
  gdi_arc(200, 150, 100, 0, 360);
  int ink = 0;
  int quadrants[4] = {0, 0, 0, 0};
  for (int y = 0; y < 300; y++)
    for (int x = 0; x < 400; x++)
      if (c.at(x, y) == 0) {
        ink++;
        const double d = std::hypot(x - 200.0, y - 150.0);
        EXPECT_NEAR(d, 100, 1.5) << x << "," << y;
        quadrants[(x >= 200 ? 0 : 1) + (y >= 150 ? 2 : 0)]++;
      }
  EXPECT_GT(ink, 560);
  for (int q : quadrants)
    EXPECT_GT(q, 140);
}

TEST_F(Gdi, PartialRasterArcStaysWithinItsSweep) {
  gdi_setpen(c.dc(), 0, 0, 16, R2_COPYPEN);
  gdi_arc(200, 150, 100, 30, 60);
  for (int y = 0; y < 300; y++)
    for (int x = 0; x < 400; x++)
      if (c.at(x, y) == 0) {
        const double a = std::atan2(150.0 - y, x - 200.0) * 180 / 3.14159265358979;
        EXPECT_GE(a, 29.0);
        EXPECT_LE(a, 61.0);
      }
}

TEST_F(Gdi, BatchJoinsSegmentsIntoOnePolyline) {
  const POINT a = {0, 0}, b = {5, 0}, d = {5, 5};
  pln_setclip(0, 0, 0, 0, 0);
  pln_add(c.dc(), nullptr, nullptr);
  pln_add(c.dc(), &a, &b);
  pln_add(c.dc(), &b, &d);
  EXPECT_TRUE(rec.lines.empty());
  pln_add(c.dc(), nullptr, nullptr);
  ASSERT_EQ(rec.lines.size(), 1u);
  EXPECT_EQ(rec.lines[0].size(), 3u);
}

TEST_F(Gdi, IntegerClipper) {
  pln_setclip(0, 0, 0, 10, 10);
  POINT p = {-6, 5}, q = {5, 16}; // passes outside the corner (0, 10)
  EXPECT_EQ(pln_clip(&p, &q), 1);
  p = {5, 5};
  q = {15, 5};
  EXPECT_EQ(pln_clip(&p, &q), 0);
  EXPECT_EQ(q.x, 10);
  EXPECT_EQ(p.x, 5);
  p = {-10, -10};
  q = {20, 20};
  EXPECT_EQ(pln_clip(&p, &q), 0);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  EXPECT_EQ(q.x, 10);
  EXPECT_EQ(q.y, 10);
  p = {20, 0};
  q = {30, 5};
  EXPECT_EQ(pln_clip(&p, &q), 1);
}

TEST_F(Gdi, OctantCornersLieOnTheCircle) {
  const int n = pln_octant(50);
  ASSERT_GT(n, 3);
  const POINT *o = pln_octlist();
  for (int i = 0; i < n; i++) {
    EXPECT_NEAR(std::hypot(o[i].x, o[i].y), 50, 1.0);
    if (i) {
      EXPECT_GT(o[i].x, o[i - 1].x);
    }
  }
  EXPECT_NEAR(o[n - 1].x, o[n - 1].y, 1.5); // ends at 45 degrees
}

TEST_F(Gdi, RenderingArtifact) {
  gdi_setpen(c.dc(), 0, 13, 16, R2_COPYPEN);
  for (int k = 0; k < 6; k++) {
    gdi_setpen(c.dc(), k, 0, 16, R2_COPYPEN);
    gdi_line(20, 20 + k * 20, 380, 20 + k * 20);
    gdi_arc(70 + k * 55, 220, 25, 20, 340);
    gdi_mark(70 + k * 55, 280);
  }
  gdi_setpen(c.dc(), 0, 4, 4, R2_COPYPEN);
  gdi_line(20, 140, 380, 170);
  gdi_arc(200, 220, 60, 0, 360);
  EXPECT_TRUE(c.save_bmp("display_render.bmp"));
}

} // namespace

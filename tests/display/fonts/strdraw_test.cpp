// String drawing: glyph strokes placed, slanted, rotated and expanded into elements.
#include "display/fonts/strdraw.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "database/cells.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/fonts/fontfile.h"
#include "../drawfix.h"
#include "fonttest_util.h"
#include "../../database/workdir.h"
#include "../../database/dbstart.h"

namespace {

struct Bytes {
  std::vector<uint8_t> v;
  Bytes &w(int x) {
    v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8));
    return *this;
  }
  Bytes &pt(int x, int y) { return w(x).w(y); }
};

// A high-quality set of four glyphs: 亜 a full-width corner, 　 a narrow upright,
// あ a half circle, い a program cut short.
struct HqFont {
  std::vector<uint8_t> idx, kj1, kj2{0, 0};
  HqFont() {
    idx.assign(FNT_HQ_RECORDS * 6, 0xFF);
    add(1410, 35, Bytes().w(0x0003).pt(0, 0).pt(350, 0).pt(350, 350));
    add(0, 25, Bytes().w(0x0002).pt(0, 0).pt(0, 350));
    add(283, 35, Bytes().w(0x2001).pt(100, 175).w(0x6000 | 75).w(1800).w(0).pt(250, 175));
    Bytes cut;
    cut.w(4).w(0).w(0).w(0).w(0).w(0x0002).pt(0, 0); // four words declared, the second point missing
    set(285, 35, uint32_t(kj1.size() / 2));
    kj1.insert(kj1.end(), cut.v.begin(), cut.v.end());
  }
  void add(int rec, int width, const Bytes &prog) {
    set(rec, width, uint32_t(kj1.size() / 2));
    Bytes g;
    g.w(int(prog.v.size() / 2)).w(0).w(0).w(0).w(0);
    kj1.insert(kj1.end(), g.v.begin(), g.v.end());
    kj1.insert(kj1.end(), prog.v.begin(), prog.v.end());
  }
  void set(int rec, int width, uint32_t loc) {
    Bytes r;
    r.w(width).w(int(loc & 0xFFFF)).w(int(loc >> 16));
    std::copy(r.v.begin(), r.v.end(), idx.begin() + rec * 6);
  }
  void write(const std::string &dir) const {
    make_dir(dir);
    put_file(dir + "/inkfrghq.idx", idx);
    put_file(dir + "/inkfrghq.kj1", kj1);
    put_file(dir + "/inkfrghq.kj2", kj2);
  }
};

class Strings : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    db_start(20000, 500);
    HqFont().write("fx_strhq");
    ASSERT_EQ(fnt_open(2, "fx_strhq", 50), 0);
    ChrExpand = 0;
  }
  void TearDown() override {
    ChrExpand = 0;
    fnt_close();
    dtb_term();
    DrawView::TearDown();
  }
  // Expands text at (x, y) and gives the records added.
  std::vector<ElementRecord> expand(const char *text, double x = 0, double y = 0) {
    const uint32_t before = dtb_end1(0);
    ChrExpand = 1;
    chr_draw(canvas.dc(), 0, x, y, text, 0, 3);
    ChrExpand = 0;
    std::vector<ElementRecord> out;
    for (uint32_t n = before; n < dtb_end1(0); n++)
      out.push_back(*dtb_ptr(0, int32_t(n)));
    return out;
  }
};

#define EXPECT_PT(ax, ay, bx, by)                                                                                      \
  do {                                                                                                                 \
    EXPECT_NEAR(ax, bx, 1e-9);                                                                                         \
    EXPECT_NEAR(ay, by, 1e-9);                                                                                         \
  } while (0)

TEST_F(Strings, ParametersAreClamped) {
  chr_param(0, 3, -5, 4, -2, 0, 60);
  EXPECT_EQ(TextParams.height, 5.0);
  EXPECT_EQ(TextParams.spacing, 2.0);
  EXPECT_EQ(TextParams.slant, 45.0);
  EXPECT_EQ(TextParams.xpitch, 6.0);
  chr_param(0, 3, 5, 4, 2, 0, -50);
  EXPECT_EQ(TextParams.slant, -45.0);
}

TEST_F(Strings, SecondCharacterOfASlotMovesByThePitch) {
  chr_param(0, 0, 7, 10, 2, 0, 0);
  const auto r = expand("亜亜", 0, 0);
  ASSERT_EQ(r.size(), 4u);
  for (const auto &e : r) {
    EXPECT_EQ(e.kind, LIN);
    EXPECT_EQ(e.lin.attr & 0x3FFF, 0x13);
  }
  EXPECT_PT(r[0].lin.x1, r[0].lin.y1, 0.0, 0.0);
  EXPECT_PT(r[0].lin.x2, r[0].lin.y2, 10.0, 0.0);
  EXPECT_PT(r[1].lin.x2, r[1].lin.y2, 10.0, 7.0);
  EXPECT_PT(r[2].lin.x1, r[2].lin.y1, 12.0, 0.0);
}

TEST_F(Strings, RotatedAndSlantedGlyphPoints) {
  for (double angle : {0.0, 30.0}) {
    chr_param(0, 0, 7, 10, 2, angle, 60); // slant 60 is taken as 45
    const auto r = expand("亜", 5, 6);
    ASSERT_EQ(r.size(), 2u) << angle;
    const double c = std::cos(angle * 3.14159265358979323846 / 180), s = std::sin(angle * 3.14159265358979323846 / 180);
    auto at = [&](double gx, double gy) {
      const double ox = gx * 10 / 350 + gy * 7 / 350 * 1.0, oy = gy * 7 / 350;
      return std::pair<double, double>{5 + ox * c - oy * s, 6 + ox * s + oy * c};
    };
    const auto p0 = at(0, 0), p1 = at(350, 0), p2 = at(350, 350);
    EXPECT_PT(r[0].lin.x1, r[0].lin.y1, p0.first, p0.second);
    EXPECT_PT(r[0].lin.x2, r[0].lin.y2, p1.first, p1.second);
    EXPECT_PT(r[1].lin.x1, r[1].lin.y1, p1.first, p1.second);
    EXPECT_PT(r[1].lin.x2, r[1].lin.y2, p2.first, p2.second);
  }
}

TEST_F(Strings, NarrowGlyphIsCentred) {
  for (double angle : {0.0, 90.0}) {
    chr_param(0, 0, 7, 14, 0, angle, 0);
    const auto r = expand("　", 0, 0);
    ASSERT_EQ(r.size(), 1u);
    const double shift = 14 * 10.0 / 70;
    EXPECT_PT(r[0].lin.x1, r[0].lin.y1, angle == 0 ? shift : 0.0, angle == 0 ? 0.0 : shift);
  }
}

TEST_F(Strings, ArcsBecomeTwoArcsThroughTheirPoints) {
  chr_param(0, 0, 35, 35, 0, 0, 0); // one font unit = 0.1
  const auto r = expand("あ", 0, 0);
  ASSERT_EQ(r.size(), 2u);
  for (const auto &e : r) {
    EXPECT_EQ(e.kind, ARC);
    EXPECT_NEAR(e.arc.cx, 17.5, 1e-9);
    EXPECT_NEAR(e.arc.cy, 17.5, 1e-9);
    EXPECT_NEAR(e.arc.r, 7.5, 1e-9);
  }
  // Counter-clockwise from 180 to 360 degrees, split at the middle.
  EXPECT_NEAR(std::fmod(r[0].arc.start + 720, 360), 180, 1e-6);
  EXPECT_NEAR(std::fmod(r[0].arc.end + 720, 360), 270, 1e-6);
  EXPECT_NEAR(std::fmod(r[1].arc.end + 720, 360), 0, 1e-6);
  // Slanted, the fits follow the sheared points.
  chr_param(0, 0, 35, 35, 0, 0, 20);
  EXPECT_EQ(expand("あ").size(), 2u);
}

TEST_F(Strings, DamagedGlyphEndsTheString) {
  chr_param(0, 0, 7, 10, 2, 0, 0);
  EXPECT_EQ(expand("亜い亜").size(), 2u);
  EXPECT_EQ(expand("い亜").size(), 0u);
  EXPECT_EQ(expand("亜Ｚ亜").size(), 4u); // no glyph: skipped, the rest keeps its place
}

TEST_F(Strings, LongStringIsCut) {
  chr_param(0, 0, 7, 0.5, 0, 0, 0);
  std::string s;
  for (int i = 0; i < 200; i++)
    s += "亜";
  EXPECT_EQ(expand(s.c_str()).size(), 2u * CHR_DRAWMAX);
}

TEST_F(Strings, DotSizeAboveTheHeightDrawsBoxesAndAddsNothing) {
  chr_param(0, 0, 2, 2, 0, 0, 0); // dot size 2.5 world units
  rec_start();
  EXPECT_EQ(expand("亜亜").size(), 0u);
  EXPECT_EQ(rec.lines.size(), 4u);
}

TEST_F(Strings, ConversionModeAddsMarkedRecords) {
  chr_param(1, 5, 7, 10, 2, 0, 0);
  const uint32_t before = dtb_end1(0);
  chr_draw(canvas.dc(), 0, 0, 0, "亜", 0, 3);
  ASSERT_EQ(dtb_end1(0) - before, 2u);
  const ElementRecord r = *dtb_ptr(0, int32_t(before));
  EXPECT_EQ(r.lin.attr, 0x15);
  EXPECT_EQ(inked(), 0);
}

TEST_F(Strings, OneUndoRemovesTheExpandedText) {
  WorkDir wd;
  quiet_hooks(wd.folder());
  SystemBlock sb, saved;
  sys_sysprm('R', &saved);
  sb = saved;
  sb.undo = 1;
  sys_sysprm('W', &sb);
  und_lock(0);
  ASSERT_EQ(und_open(0, wd.folder().c_str(), 200), 0);
  ASSERT_EQ(und_strt(0), 0);
  const DbControl before = DbCtl[0];
  ASSERT_EQ(und_pend(0), 0);
  EXPECT_EQ(expand("亜亜").size(), 4u);
  EXPECT_EQ(DbCtl[0].count1, before.count1 + 4);
  ASSERT_EQ(und_pend(0), 0);
  EXPECT_EQ(und_exec(0), UND_RESULT);
  EXPECT_EQ(DbCtl[0].count1, before.count1);
  und_clos(0);
  dbs_reset();
  sys_sysprm('W', &saved);
}

TEST_F(Strings, GlyphsAreDrawnAsStrokes) {
  chr_param(0, 0, 20, 20, 0, 0, 0);
  chr_draw(canvas.dc(), 0, 10, 10, "亜", 0, 3);
  EXPECT_EQ(canvas.at(40, 80), colour_px(3)); // along the bottom stroke
  EXPECT_EQ(canvas.at(60, 70), colour_px(3)); // the upright
  EXPECT_FALSE(ink_at(30, 70));
  // Off the view: nothing.
  rec_start();
  chr_draw(canvas.dc(), 0, 500, 10, "亜", 0, 3);
  EXPECT_EQ(rec.calls, 0);
}

TEST_F(Strings, BoxVisibility) {
  EXPECT_EQ(chr_boxvis(10, 10, 5, 5, 0), 1);
  EXPECT_EQ(chr_boxvis(101, 10, 5, 5, 0), 0);
  EXPECT_EQ(chr_boxvis(-6, 10, 5, 5, 0), 0);
  EXPECT_EQ(chr_boxvis(-3, 10, 5, 5, 0), 1);
  EXPECT_EQ(chr_boxvis(102, 10, 5, 5, 90), 1); // turned back into the view
}

} // namespace

namespace {

TEST_F(Strings, EmptyTypefaceEntryDrawsFromTheStrokeFont) {
  TypefaceEntry faces[4];
  sys_typeface('r', faces);
  faces[2].name[0] = 0;
  sys_typeface('w', faces);
  chr_param(0, 0, 7, 10, 2, 0, 0);
  const uint32_t before = dtb_end1(0);
  ChrExpand = 1;
  chr_draw(canvas.dc(), 2, 0, 0, "亜", 0, 3);
  chr_draw(canvas.dc(), 9, 0, 0, "亜", 0, 3); // outside 0..3: index 0
  ChrExpand = 0;
  EXPECT_EQ(dtb_end1(0) - before, 4u);
}

std::string typeface_text;
BOOL WINAPI keep_text(HDC dc, int x, int y, UINT o, const RECT *r, LPCSTR s, UINT n, const INT *dx) {
  typeface_text.append(s, n).push_back('|');
  return ExtTextOutA(dc, x, y, o, r, s, n, dx);
}

// A slot of 80 double-byte characters is 160 bytes, one more than the slot buffer
// holds: it is cut before the last character, not between its two bytes.
TEST_F(Strings, LongTypefaceSlotIsCutAtACharacter) {
  TypefaceEntry faces[4], saved[4];
  sys_typeface('r', saved);
  std::memcpy(faces, saved, sizeof faces);
  std::strcpy(faces[1].name, "IPAGothic");
  sys_typeface('w', faces);
  chr_param(0, 0, 7, 0.5, 0, 0, 0);
  struct Case {
    std::string text, want;
  } cases[] = {
      {std::string(80 * 2, 'x'), ""}, // filled below
      {"A" + std::string(79 * 2, 'x'), ""},
      {"AB", "AB|"},
  };
  for (int i = 0; i < 80; i++)
    cases[0].text.replace(size_t(2 * i), 2, "亜");
  cases[0].want = cases[0].text.substr(0, 158) + "|";
  for (int i = 0; i < 79; i++)
    cases[1].text.replace(size_t(1 + 2 * i), 2, "亜");
  cases[1].want = cases[1].text.substr(0, 159) + "|"; // one single byte first: 79 whole characters fit
  for (const Case &c : cases) {
    typeface_text.clear();
    gdi_calls.ExtTextOutA = keep_text;
    chr_draw(canvas.dc(), 1, 0, 0, c.text.c_str(), 0, 3);
    gdi_realcalls();
    EXPECT_EQ(typeface_text, c.want) << c.text.size();
  }
  sys_typeface('w', saved);
}

HFONT WINAPI no_font(const LOGFONTA *) { return nullptr; }

// The area cells of a typeface text: measured in the typeface, or, when no width
// can be measured (the font cannot be made), from the stroke layout.
TEST_F(Strings, TypefaceTextCellsFallBackToTheStrokeLayout) {
  TypefaceEntry faces[4], saved[4];
  sys_typeface('r', saved);
  std::memcpy(faces, saved, sizeof faces);
  std::strcpy(faces[1].name, "IPAGothic");
  sys_typeface('w', faces);
  SheetRecord sh, kept;
  sys_sheet('r', 0, &kept);
  sh = kept;
  sh.width = 200, sh.height = 100;
  sys_sheet('w', 0, &sh);
  const char *text = "ABCDEFGHIJKLMNOPQR"; // 180 units wide from x 10: cells 0..3 of row 0
  EXPECT_EQ(cel_chr(0, 10, 20, 0, 5, 10, 0, 0, text), 0x000F);
  EXPECT_EQ(cel_chr(0, 10, 20, 1 << 9, 5, 10, 0, 0, text), 0x000F);
  gdi_calls.CreateFontIndirectA = no_font;
  EXPECT_EQ(cel_chr(0, 10, 20, 1 << 9, 5, 10, 0, 0, text), 0x000F);
  gdi_realcalls();
  sys_sheet('w', 0, &kept);
  sys_typeface('w', saved);
}

TEST_F(Strings, EmphasisedColourDrawsEachStrokeTwice) {
  chr_param(0, 0, 20, 20, 0, 0, 0);
  rec_start();
  chr_draw(canvas.dc(), 0, 10, 10, "亜", 0, 0x4003);
  EXPECT_EQ(rec.lines.size(), 4u);
  EXPECT_EQ(canvas.at(40, 80), colour_px(3));
  rec.clear();
  chr_draw(canvas.dc(), 0, 10, 10, "亜", 0, 3);
  EXPECT_EQ(rec.lines.size(), 2u);
}

} // namespace

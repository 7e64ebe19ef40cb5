// Dialog calculations without windows: the field table reads and shows values, the
// grid record from its two fields, paper matching, area lengths, template headers,
// rescaled ratio pairs and the palette sets of the system settings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "files/dlgcalc.h"
#include "files/dlgfield.h"

namespace {

TEST(DlgField, ReadsTheTextSizeRowsWithTheirRanges) {
  TextSizeRecord rec{};
  rec.height = 2, rec.width = 3, rec.spacing = 4;
  DlgField t[DLG_TXTROWS];
  dlg_txttable(&rec, t);
  const struct {
    uint32_t id;
    const char *text;
    int result;
    float stored; // the field's value after the read
  } cases[] = {
      {1451, "0", -1, 2},          {1451, "0.0009", -1, 2}, {1451, "0.001", 0, 0.001f},
      {1451, "1000", 0, 1000},     {1451, "1000.0001", -1, 1000}, {1451, "2.5*2", 0, 5},
      {1451, "abc", -2, 5},        {1451, "2.5x", -2, 5},   {1453, "0", 0, 0},
      {1452, "7", 0, 7},           {1499, "1", -3, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(dlg_fldread(c.id, c.text, t, DLG_TXTROWS), c.result);
    if (const DlgField *row = dlg_fldfind(c.id, t, DLG_TXTROWS)) {
      EXPECT_FLOAT_EQ(*static_cast<float *>(row->value), c.stored);
    }
  }
}

TEST(DlgField, TypesAreStoredAndShownByTheirFormat) {
  int32_t i32 = 0;
  int8_t i8 = 0;
  int16_t i16 = 0;
  uint32_t u32 = 0;
  int32_t trunc = 0;
  double f64 = 0;
  char text[DLG_TEXTMAX] = "";
  const DlgField t[] = {
      {1, DLG_I32, "%d", -100, 100, &i32},     {2, DLG_I8, "%d", -128, 127, &i8},
      {3, DLG_I16, "%d", -32768, 32767, &i16}, {4, DLG_U32, "%u", 0, 1e9, &u32},
      {5, DLG_I32TRUNC, "%d", -10, 10, &trunc}, {6, DLG_F64, "%.2lf", 0, 10, &f64},
      {7, DLG_TEXT, "", 0, 0, text},           {0, 0, "", 0, 0, nullptr},
  };
  const int n = int(sizeof t / sizeof t[0]);
  const struct {
    uint32_t id;
    const char *in, *shown;
  } cases[] = {{1, "-7", "-7"},     {2, "-100", "-100"}, {3, "-30000", "-30000"}, {4, "4000000", "4000000"},
               {5, "2.9", "2"},     {6, "1/3", "0.33"},  {7, "名前 12", "名前 12"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.id);
    ASSERT_EQ(dlg_fldread(c.id, c.in, t, n), 0);
    char out[64];
    ASSERT_TRUE(dlg_fldtext(*dlg_fldfind(c.id, t, n), out, sizeof out));
    EXPECT_STREQ(out, c.shown);
  }
  EXPECT_EQ(dlg_fldread(6, "0.001", t, n), -1); // shows as 0.00
  EXPECT_EQ(dlg_fldread(0, "1", t, n), -3);     // the empty row is no row
  std::string longtext(300, 'x');
  EXPECT_EQ(dlg_fldread(7, longtext.c_str(), t, n), 0);
  EXPECT_EQ(std::strlen(text), DLG_TEXTMAX - 1);
}

TEST(DlgCalc, GridFieldsMakeTheStepVectors) {
  GridRecord g{};
  g.angle = 30, g.spare = 330;
  EXPECT_EQ(dlg_gridset(&g, 1, 0.0005, 1), 1000);
  EXPECT_EQ(dlg_gridset(&g, 1, 0.001, 0), 1001);
  ASSERT_EQ(dlg_gridset(&g, 1, 2, 3), 0);
  EXPECT_EQ(+g.kind, 1u);
  EXPECT_NEAR(g.a1x, 2, 1e-12);
  EXPECT_NEAR(g.a1y, 0, 1e-12);
  EXPECT_NEAR(g.a2x, 0, 1e-12);
  EXPECT_NEAR(g.a2y, -3, 1e-12);
  EXPECT_EQ(+g.angle, 30); // the angles stay in standard mode
  EXPECT_EQ(dlg_gridset(&g, 2, 5, 90), 1001);
  EXPECT_EQ(dlg_gridset(&g, 2, 5, 0), 1001);
  ASSERT_EQ(dlg_gridset(&g, 2, 5, 30), 0);
  EXPECT_EQ(+g.kind, 2u);
  EXPECT_EQ(+g.pitchx, 5);
  EXPECT_EQ(+g.pitchy, 5);
  EXPECT_EQ(+g.spare, 330);
  EXPECT_NEAR(g.a1x, 5 * std::sqrt(3.0) / 2, 1e-9);
  EXPECT_NEAR(g.a1y, 2.5, 1e-9);
  EXPECT_NEAR(g.a2y, -2.5, 1e-9);
}

TEST(DlgCalc, PaperMatchingAndAreaLengths) {
  const struct {
    double w, h, scale;
    int row;
  } cases[] = {{297.4, 210.6, 1, 4}, {210, 297, 1, 5}, {300, 200, 1, 11}, {42, 29.7, 10, 3}, {1189, 841, 1, 0}};
  for (const auto &c : cases) {
    SheetRecord s{};
    s.width = c.w, s.height = c.h, s.scale = c.scale;
    EXPECT_EQ(dlg_nfmatch(s), c.row) << c.w << " x " << c.h;
  }
  EXPECT_EQ(dlg_nfindex(12), 3);
  EXPECT_EQ(dlg_nfindex(-1), 3);
  EXPECT_EQ(dlg_nfindex(11), 11);
  double aw, ah;
  EXPECT_EQ(dlg_nfarea(420, 297, 1, 2, &aw, &ah), 0);
  EXPECT_DOUBLE_EQ(aw, 840);
  EXPECT_DOUBLE_EQ(ah, 594);
  EXPECT_EQ(dlg_nfarea(1189, 841, 1, 100000, &aw, &ah), 1); // beyond 99999999
  EXPECT_EQ(dlg_nfarea(0.05, 0.05, 32767, 1, &aw, &ah), 1);
}

TEST(DlgCalc, TemplateHeadersNeedTheFullSizeAndByte25) {
  std::vector<uint8_t> h(sizeof(DrawingEnvRecord), 0);
  std::memcpy(h.data() + 4, "MAR TOVEN SX V4.0", 18);
  h[25] = 8;
  EXPECT_TRUE(dlg_nfhdrok(h.data(), h.size()));
  EXPECT_FALSE(dlg_nfhdrok(h.data(), h.size() - 1)); // a short file
  h[25] = 4;
  EXPECT_FALSE(dlg_nfhdrok(h.data(), h.size()));
  h[25] = 8;
  h[10] = 'X';
  EXPECT_FALSE(dlg_nfhdrok(h.data(), h.size()));
}

TEST(DlgCalc, RatioPairsAreRescaledWithoutOverflow) {
  ScalePair p[SCALE_COUNT];
  for (auto &x : p)
    x = ScalePair{1, 1};
  p[0] = ScalePair{1, 2};
  p[1] = ScalePair{3, 4};
  p[2] = ScalePair{30000, 1}; // 30000 * 300 * 2 is far beyond 16 bits
  p[3] = ScalePair{7, 5};
  dlg_nfratios(p, 300, 7);
  EXPECT_EQ(p[0].num, 300);
  EXPECT_EQ(p[0].den, 7);
  // 3 * 300 * 2 : 4 * 7 * 1 = 1800 : 28 = 450 : 7
  EXPECT_EQ(p[1].num, 450);
  EXPECT_EQ(p[1].den, 7);
  EXPECT_EQ(p[2].num, 300); // outside 1..32767: the new ratio
  EXPECT_EQ(p[2].den, 7);
  // 7 * 300 * 2 : 5 * 7 = 4200 : 35 = 120 : 1
  EXPECT_EQ(p[3].num, 120);
  EXPECT_EQ(p[3].den, 1);
}

TEST(DlgCalc, PaletteSets) {
  uint32_t pal[PALETTE_COUNT] = {};
  dlg_palette(0, 0, pal);
  EXPECT_EQ(pal[12], 0x800080u);
  EXPECT_EQ(pal[15], 0x000000u);
  EXPECT_EQ(pal[17], 0x808000u);
  EXPECT_EQ(pal[19], 0x000000u);
  EXPECT_EQ(pal[2], 0x0000FFu);
  dlg_palette(1, 1, pal);
  EXPECT_EQ(pal[16], 0x000000u);
  EXPECT_EQ(pal[17], 0xFFFFFFu);
  EXPECT_EQ(pal[19], 0x000000u);
  EXPECT_EQ(pal[2], 0xFFFFFFu);
  dlg_palette(0, 1, pal);
  EXPECT_EQ(pal[2], 0x000000u);
  EXPECT_TRUE(dlg_syslenok(1000.0));
  EXPECT_FALSE(dlg_syslenok(1000.001));
  EXPECT_FALSE(dlg_syslenok(0.0009));
}

} // namespace

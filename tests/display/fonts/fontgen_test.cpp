// The generated font files: structure, coverage and what the glyphs look like.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "display/fonts/fontfile.h"
#include "fonttest_util.h"

namespace {

const std::string Dir = INK_FONT_DIR;

int16_t i16(const std::vector<uint8_t> &v, size_t at) { return static_cast<int16_t>(v[at] | v[at + 1] << 8); }
uint32_t u32(const std::vector<uint8_t> &v, size_t at) {
  return v[at] | v[at + 1] << 8 | v[at + 2] << 16 | static_cast<uint32_t>(v[at + 3]) << 24;
}

// Shift-JIS of a JIS X 0208 code.
void jis2sjis(int jis, int *lead, int *trail) {
  int r = jis >> 8, c = jis & 0xFF;
  *lead = (r + 1) / 2 + (r <= 0x5E ? 0x70 : 0xB0);
  *trail = (r & 1) ? c + (c <= 0x5F ? 0x1F : 0x20) : c + 0x7E;
}

// Strokes of one glyph with their bounds.
struct BoundsSink : GlyphSink {
  int n = 0, xmin = 1 << 30, ymin = 1 << 30, xmax = -(1 << 30), ymax = -(1 << 30);
  void see(GlyphPt p) {
    xmin = std::min(xmin, p.x), xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y), ymax = std::max(ymax, p.y);
  }
  int line(GlyphPt a, GlyphPt b) override {
    n++, see(a), see(b);
    return 0;
  }
  int polyline(const GlyphPt *p, int k) override {
    n++;
    for (int i = 0; i < k; i++)
      see(p[i]);
    return 0;
  }
  int circles = 0, bad_angles = 0;
  int circle(int, int a, GlyphPt at) override {
    n++, circles++, see(at);
    bad_angles += a != 0; // both readers of the files agree only at angle 0
    return 0;
  }
};

struct GeneratedFonts : ::testing::Test {
  void TearDown() override { fnt_close(); }
};

bool has_hq(const std::vector<uint8_t> &idx, int jis) {
  size_t at = static_cast<size_t>(fnt_hqrecord(static_cast<uint16_t>(jis))) * 6;
  return i16(idx, at) != -1 && u32(idx, at + 2) != 0xFFFFFFFFu;
}

} // namespace

TEST_F(GeneratedFonts, EveryHighQualityRecordParses) {
  auto idx = get_file(Dir + "/inkfrghq.idx");
  std::vector<uint8_t> kj[2] = {get_file(Dir + "/inkfrghq.kj1"), get_file(Dir + "/inkfrghq.kj2")};
  ASSERT_EQ(idx.size(), static_cast<size_t>(FNT_HQ_RECORDS) * 6);
  ASSERT_EQ(fnt_open(2, Dir.c_str(), 50), 0);
  int glyphs = 0, circles = 0;
  for (int rec = 0; rec < FNT_HQ_RECORDS; rec++) {
    int width = i16(idx, rec * 6);
    uint32_t loc = u32(idx, rec * 6 + 2);
    if (width == -1 || loc == 0xFFFFFFFFu)
      continue;
    glyphs++;
    const auto &f = kj[loc >> 31];
    size_t at = (loc & 0x7FFFFFFFu) * 2;
    ASSERT_LE(at + 10, f.size()) << rec;
    int len = 2 * i16(f, at);
    ASSERT_GE(len, 0);
    ASSERT_LE(at + 10 + len, f.size()) << rec;
    BoundsSink b;
    ASSERT_EQ(fnt_hqrun(f.data() + at + 10, len, b), 0) << rec; // exactly its length
    int jis = (rec / 94 + 0x21) << 8 | (rec % 94 + 0x21), lead, trail;
    jis2sjis(jis, &lead, &trail);
    BoundsSink c;
    ASSERT_EQ(fnt_hqglyph(lead, trail, c), 0) << rec;
    EXPECT_EQ(c.n, b.n);
    EXPECT_EQ(b.bad_angles, 0) << rec;
    circles += b.circles;
    if (b.n) {
      EXPECT_GE(b.xmin, -20) << rec;
      EXPECT_LE(b.xmax, 370) << rec;
      EXPECT_GE(b.ymin, -40) << rec;
      EXPECT_LE(b.ymax, 380) << rec;
    }
  }
  EXPECT_GT(glyphs, 6700);
  EXPECT_GE(circles, 4); // ○ ◎ ◯
}

TEST_F(GeneratedFonts, EveryStandardRecordIsSound) {
  auto idx = get_file(Dir + "/ikfrgstd.idx"), knj = get_file(Dir + "/ikfrgstd.knj");
  ASSERT_EQ(idx.size(), static_cast<size_t>(FNT_STD_RECORDS) * 4);
  ASSERT_EQ(fnt_open(1, Dir.c_str(), 50), 0);
  int glyphs = 0;
  for (int rec = 0; rec < FNT_STD_RECORDS; rec++) {
    size_t offset = idx[rec * 4] | idx[rec * 4 + 1] << 8 | idx[rec * 4 + 2] << 16, len = idx[rec * 4 + 3];
    if (!len)
      continue;
    glyphs++;
    ASSERT_LE(offset + len, knj.size()) << rec;
    const uint8_t *g = knj.data() + offset;
    // 0x0F only ever separates two strokes.
    EXPECT_NE(g[0], 0x0F) << rec;
    EXPECT_NE(g[len - 1], 0x0F) << rec;
    for (size_t i = 1; i < len; i++)
      EXPECT_FALSE(g[i] == 0x0F && g[i - 1] == 0x0F) << rec;
    int lead = rec / 192 + (rec / 192 < 31 ? 0x81 : 0xC1), trail = rec % 192 + 0x40;
    BoundsSink b;
    ASSERT_EQ(fnt_stddecode(lead, trail, b), 0) << rec;
    EXPECT_LE(b.xmax, 14) << rec;
  }
  EXPECT_GT(glyphs, 6700);
}

TEST_F(GeneratedFonts, KnownKanjiAndLatinLetter) {
  auto idx = get_file(Dir + "/inkfrghq.idx");
  EXPECT_EQ(fnt_hqrecord(fnt_sjis2jis(0x889F)), 1410);
  EXPECT_TRUE(has_hq(idx, 0x3021));
  ASSERT_EQ(fnt_open(2, Dir.c_str(), 50), 0);
  BoundsSink a; // 亜: seven strokes over most of the cell
  EXPECT_EQ(fnt_hqglyph(0x88, 0x9F, a), 0);
  EXPECT_EQ(a.n, 7);
  EXPECT_LT(a.xmin, 80);
  EXPECT_GT(a.xmax, 270);
  EXPECT_LT(a.ymin, 80);
  EXPECT_GT(a.ymax, 270);
  BoundsSink l; // Ａ: three strokes, centred, standing on the baseline
  EXPECT_EQ(fnt_hqglyph(0x82, 0x60, l), 0);
  EXPECT_EQ(l.n, 3);
  EXPECT_NEAR((l.xmin + l.xmax) / 2, 175, 10);
  EXPECT_NEAR(l.ymin, 80, 3);
  EXPECT_GT(l.ymax, 300);
  ASSERT_EQ(fnt_open(1, Dir.c_str(), 50), 0);
  BoundsSink s;
  EXPECT_EQ(fnt_stddecode(0x88, 0x9F, s), 0);
  EXPECT_GE(s.n, 7);
  EXPECT_LE(s.xmin, 3);
  EXPECT_GE(s.xmax, 11);
  BoundsSink sl;
  EXPECT_EQ(fnt_stddecode(0x82, 0x60, sl), 0);
  EXPECT_GE(sl.n, 3);
}

// The cells JIS X 0208 assigns: (row, first cell, last cell), rows and cells counted from 1.
constexpr struct {
  int row, first, last;
} Assigned[] = {
    {1, 1, 94},  {2, 1, 14},  {2, 26, 33}, {2, 42, 48}, {2, 60, 74}, {2, 82, 89}, {2, 94, 94}, {3, 16, 25},
    {3, 33, 58}, {3, 65, 90}, {4, 1, 83},  {5, 1, 86},  {6, 1, 24},  {6, 33, 56}, {7, 1, 33},  {7, 49, 81},
    {8, 1, 32},
};

// Every assigned cell has a glyph in both sets; the table of rows goes to the test output and,
// beside the test results, to font_coverage.txt.
TEST_F(GeneratedFonts, Coverage) {
  auto idx = get_file(Dir + "/inkfrghq.idx"), sidx = get_file(Dir + "/ikfrgstd.idx");
  struct Row {
    int assigned = 0, hq = 0, std = 0;
  } rows[95];
  std::string missing;
  auto check = [&](int row, int cell) {
    const int jis = (row + 0x20) << 8 | (cell + 0x20);
    int lead, trail;
    jis2sjis(jis, &lead, &trail);
    const bool hq = has_hq(idx, jis), st = sidx[fnt_stdrecord(lead, trail) * 4 + 3] != 0;
    rows[row].assigned++, rows[row].hq += hq, rows[row].std += st;
    if (!hq || !st)
      missing += std::to_string(row) + "-" + std::to_string(cell) + (hq ? "" : " hq") + (st ? "" : " std") + "; ";
  };
  for (const auto &a : Assigned)
    for (int c = a.first; c <= a.last; c++)
      check(a.row, c);
  for (int row = 16; row <= 84; row++)
    for (int c = 1; c <= (row == 47 ? 51 : row == 84 ? 6 : 94); c++)
      check(row, c);
  EXPECT_EQ(missing, "");

  std::string table = "row  assigned  high-quality  standard\n";
  int total = 0;
  for (int row = 1; row <= 84; row++) {
    if (!rows[row].assigned)
      continue;
    total += rows[row].assigned;
    char line[64];
    std::snprintf(line, sizeof line, "%3d  %8d  %12d  %8d\n", row, rows[row].assigned, rows[row].hq, rows[row].std);
    table += line;
  }
  table += "all  " + std::to_string(total) + "\n";
  EXPECT_EQ(total, 6879); // every character of JIS X 0208
  std::printf("%s", table.c_str());
  std::ofstream("font_coverage.txt", std::ios::binary) << table;

  // Characters whose Unicode form differs between code page 932 and JIS: ～ ∥ － ￥ ￠ ￡ ￢.
  for (int jis : {0x2141, 0x2142, 0x215D, 0x216F, 0x2171, 0x2172, 0x224C})
    EXPECT_TRUE(has_hq(idx, jis)) << std::hex << jis;
}

// Signs seals use and shapes drawn by the generator: where the strokes lie in the cell.
TEST_F(GeneratedFonts, DrawnSignsFillTheirPlace) {
  ASSERT_EQ(fnt_open(2, Dir.c_str(), 50), 0);
  struct {
    const char *what;
    int lead, trail, min_strokes, xmin, xmax, ymin, ymax; // bounds within 20 units
  } cases[] = {
      {"〇", 0x81, 0x5A, 1, 25, 325, 25, 325},  {"★", 0x81, 0x9A, 10, 25, 325, 40, 330},
      {"●", 0x81, 0x9C, 10, 35, 315, 35, 315},  {"■", 0x81, 0xA1, 10, 50, 300, 50, 300},
      {"─", 0x84, 0x9F, 1, 0, 350, 175, 175},   {"│", 0x84, 0xA0, 1, 175, 175, 0, 350},
      {"┼", 0x84, 0xA9, 4, 0, 350, 0, 350},     {"╋", 0x84, 0xB4, 12, 0, 350, 0, 350},
      {"┌", 0x84, 0xA1, 2, 175, 350, 0, 175},
  };
  for (const auto &c : cases) {
    BoundsSink b;
    ASSERT_EQ(fnt_hqglyph(c.lead, c.trail, b), 0) << c.what;
    EXPECT_GE(b.n, c.min_strokes) << c.what;
    if (b.circles)
      continue; // a circle reports only its rightmost point
    EXPECT_NEAR(b.xmin, c.xmin, 20) << c.what;
    EXPECT_NEAR(b.xmax, c.xmax, 20) << c.what;
    EXPECT_NEAR(b.ymin, c.ymin, 20) << c.what;
    EXPECT_NEAR(b.ymax, c.ymax, 20) << c.what;
  }
}

// A standard glyph row 15 stands where the high-quality set's 328 (15/16 of 350) does, and
// diagonals and curves keep few points instead of one-unit stairs.
TEST_F(GeneratedFonts, StandardSetMatchesTheHighQualityHeight) {
  struct {
    const char *what;
    int lead, trail;
  } cases[] = {{"亜", 0x88, 0x9F}, {"山", 0x8E, 0x52}, {"Ａ", 0x82, 0x60}, {"あ", 0x82, 0xA0}};
  for (const auto &c : cases) {
    fnt_close();
    ASSERT_EQ(fnt_open(2, Dir.c_str(), 50), 0);
    BoundsSink h;
    ASSERT_EQ(fnt_hqglyph(c.lead, c.trail, h), 0);
    fnt_close();
    ASSERT_EQ(fnt_open(1, Dir.c_str(), 50), 0);
    BoundsSink s;
    ASSERT_EQ(fnt_stddecode(c.lead, c.trail, s), 0);
    // Both in sixteenths of the text height.
    EXPECT_NEAR(s.ymax, h.ymax * 16.0 / 350, 1.0) << c.what;
    EXPECT_NEAR(s.ymin, h.ymin * 16.0 / 350, 1.0) << c.what;
  }
  // あ: its curves keep long pieces. Count the points of its standard glyph.
  auto idx = get_file(Dir + "/ikfrgstd.idx");
  const int rec = fnt_stdrecord(0x82, 0xA0);
  const int len = idx[rec * 4 + 3];
  EXPECT_GT(len, 12);
  EXPECT_LT(len, 30);
}

// The generated standard font drawn through the program's own string drawing: every
// character of the symbol rows 1, 2 and 8 and a few kana and kanji, kept as a picture
// (font_std_rows.bmp) beside the test results for people to look at.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/fonts/fontfile.h"
#include "display/fonts/strdraw.h"
#include "../drawfix.h"

namespace {

// Assigned cells of rows 1, 2 and 8 (row, first, last).
constexpr struct {
  int row, first, last;
} Cells[] = {{1, 1, 94},  {2, 1, 14},  {2, 26, 33}, {2, 42, 48}, {2, 60, 74},
             {2, 82, 89}, {2, 94, 94}, {8, 1, 32}};

std::string sjis(int row, int cell) {
  const int r = row + 0x20, c = cell + 0x20;
  const int lead = (r + 1) / 2 + (r <= 0x5E ? 0x70 : 0xB0);
  const int trail = (r & 1) ? c + (c <= 0x5F ? 0x1F : 0x20) : c + 0x7E;
  return {static_cast<char>(lead), static_cast<char>(trail)};
}

class StandardFontPicture : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    ASSERT_EQ(fnt_open(1, INK_FONT_DIR, 50), 0);
  }
  void TearDown() override {
    fnt_close();
    DrawView::TearDown();
  }
};

class ReviewedPictures : public DrawView {
protected:
  void TearDown() override {
    fnt_close();
    DrawView::TearDown();
  }
};

TEST_F(StandardFontPicture, RowsOneTwoEightAndSampleText) {
  constexpr int PerLine = 16, Cell = 36, Size = 30, Margin = 8;
  std::vector<std::vector<std::string>> lines; // characters per drawn line
  auto add = [&](const std::string &ch) {
    if (lines.empty() || lines.back().size() == PerLine)
      lines.emplace_back();
    lines.back().push_back(ch);
  };
  int last_row = 0;
  for (const auto &c : Cells) {
    if (c.row != last_row)
      lines.emplace_back(), last_row = c.row; // each row starts a line
    for (int k = c.first; k <= c.last; k++)
      add(sjis(c.row, k));
  }
  lines.emplace_back();
  const std::string sample = "あいうアイウ太木鈴株";
  for (size_t i = 0; i + 1 < sample.size(); i += 2)
    add(sample.substr(i, 2));

  const int w = 2 * Margin + PerLine * Cell, h = 2 * Margin + static_cast<int>(lines.size()) * Cell;
  Canvas pic(w + 1, h + 1);
  HWND win = make_window(w, h);
  extra.push_back(win);
  open_view(0, 0, win, w, h, w, h); // one world unit per pixel, y up
  ASSERT_EQ(vew_select(0), 0);
  COLORREF pal[20];
  for (int i = 0; i < 20; i++)
    pal[i] = i == 16 ? RGB(255, 255, 255) : RGB(0, 0, 0);
  gdi_palette(pal);
  gdi_target(pic.dc(), 1);
  chr_param(0, 1, Size, Size, Cell - Size, 0, 0);

  // Each character drawn alone in its cell, so that its ink can be counted there.
  std::string blank;
  for (size_t l = 0; l < lines.size(); l++)
    for (size_t k = 0; k < lines[l].size(); k++) {
      const double x = Margin + static_cast<double>(k) * Cell, y = h - Margin - static_cast<double>(l + 1) * Cell + 4;
      chr_draw(pic.dc(), 0, x, y, lines[l][k].c_str(), 0, 3);
      int ink = 0;
      const int px = static_cast<int>(x), py = static_cast<int>(h - y - Size);
      for (int j = py - 2; j <= py + Size + 2; j++)
        for (int i = px - 2; i <= px + Size + 2; i++)
          ink += i >= 0 && j >= 0 && i <= w && j <= h && pic.at(i, j) != 0xFFFFFFu;
      if (ink < 3 && lines[l][k] != sjis(1, 1)) // the ideographic space has no strokes
        blank += "line " + std::to_string(l) + " char " + std::to_string(k) + "; ";
    }
  gdi_target(nullptr, 0);
  EXPECT_EQ(blank, "") << "characters that drew nothing";
  const std::string path = std::string(INK_PICTURE_DIR) + "/font_std_rows.bmp";
  EXPECT_TRUE(pic.save_bmp(path.c_str()));
  pic.release_pen();
}

// Short texts in both sets drawn by the program into one-bit pictures, compared with the
// reviewed ones in tests/display/fonts/fontrefs (INK_UPDATE_FONTREFS=1 rewrites them; a differing
// picture is left in the test folder).
TEST_F(ReviewedPictures, TextInBothSets) {
  struct Case {
    const char *name, *text;
  } cases[] = {{"yamada", "山田"}, {"inei", "印影"}, {"abc123", "ＡＢＣ１２３"}};
  const bool update = std::getenv("INK_UPDATE_FONTREFS") != nullptr;
  COLORREF pal[20];
  for (int i = 0; i < 20; i++)
    pal[i] = i == 16 ? RGB(255, 255, 255) : RGB(0, 0, 0);
  for (int set : {2, 1}) {
    fnt_close();
    ASSERT_EQ(fnt_open(set, INK_FONT_DIR, 50), 0);
    const int cell = set == 2 ? 32 : 16;
    for (const auto &c : cases) {
      const int n = static_cast<int>(std::string(c.text).size() / 2), w = n * cell + 4, h = cell + 4;
      Canvas pic(w, h);
      HWND win = make_window(w, h);
      extra.push_back(win);
      open_view(0, 0, win, w, h, w, h);
      ASSERT_EQ(vew_select(0), 0);
      gdi_palette(pal);
      gdi_target(pic.dc(), 1);
      chr_param(0, 1, cell, cell, 0, 0, 0);
      chr_draw(pic.dc(), 0, 2, 2, c.text, 0, 3);
      gdi_target(nullptr, 0);
      pic.release_pen();
      std::string got = "P1\n" + std::to_string(w) + " " + std::to_string(h) + "\n";
      for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++)
          got += pic.at(x, y) != 0xFFFFFFu ? '1' : '0';
        got += '\n';
      }
      const std::string file = std::string(set == 2 ? "hq_" : "std_") + c.name + ".pbm";
      const std::string ref = std::string(INK_FONT_REFS) + "/" + file;
      if (update) {
        std::ofstream(ref, std::ios::binary) << got;
        continue;
      }
      std::ifstream in(ref, std::ios::binary);
      const std::string want((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_EQ(got, want) << file << " differs; this run's picture is in the test folder";
      if (got != want)
        std::ofstream(std::string(INK_PICTURE_DIR) + "/" + file, std::ios::binary) << got;
    }
  }
}

} // namespace

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "geometry/text.h"

namespace {

struct Laid {
  ChrLayout lay;
  std::unique_ptr<char[]> codes{new char[CHR_CODEMAX]};
};

std::unique_ptr<Laid> layout(const std::string &text, uint16_t attr = 0, double h = 10, double w = 8, double s = 2) {
  auto l = std::make_unique<Laid>();
  EXPECT_EQ(chr_layout(1, attr, h, w, s, text.c_str(), &l->lay, l->codes.get()), 0);
  return l;
}

uint32_t code_at(const char *p) { return static_cast<uint8_t>(p[0]) << 8 | static_cast<uint8_t>(p[1]); }

} // namespace

TEST(SbcsToDbcs, Table) {
  struct {
    int byte;
    uint32_t code;
  } cases[] = {
      {0x21, 0x8149}, {0x30, 0x824F}, {0x41, 0x8260}, {0x61, 0x8281}, {0x7E, 0x8160}, {0x22, 0x8168}, {0x27, 0x8166},
      {0x40, 0x83D3}, {0x5C, 0x818F}, {0x5E, 0x817D}, {0xB1, 0x8341}, {0xDE, 0x814A}, {0xDF, 0x814B}, {0xA1, 0x8142},
      {0x20, 0x8140}, {0x00, 0x8140}, {0x7F, 0x8140}, {0x80, 0x8140}, {0xA0, 0x8140}, {0xE0, 0x8140}, {0xFF, 0x8140},
  };
  for (auto c : cases)
    EXPECT_EQ(SbcsToDbcs[c.byte], c.code) << std::hex << c.byte;
  // The table agrees with the compiler's own code page for the full-width forms.
  const char *ab = "ＡＢ";
  EXPECT_EQ(code_at(ab), SbcsToDbcs['A']);
  EXPECT_EQ(code_at(ab + 2), SbcsToDbcs['B']);
  const char *kana = "ア";
  EXPECT_EQ(code_at(kana), SbcsToDbcs[0xB1]);
  uint8_t lead, trail;
  EXPECT_EQ(chr_tofull('0', &lead, &trail), 0);
  EXPECT_EQ(lead, 0x82);
  EXPECT_EQ(trail, 0x4F);
}

TEST(ChrLayout, OneSlot) {
  auto l = layout("AB");
  EXPECT_EQ(l->lay.count, 1);
  EXPECT_EQ(l->lay.x[0], 0);
  EXPECT_EQ(l->lay.y[0], 0);
  EXPECT_EQ(l->lay.w[0], 18);
  EXPECT_EQ(l->lay.nchar[0], 2);
  EXPECT_EQ(l->lay.width, 18);
  EXPECT_EQ(l->lay.height, 10);
  ASSERT_EQ(l->lay.text[0], l->codes.get());
  EXPECT_EQ(code_at(l->codes.get()), 0x8260u);
  EXPECT_EQ(code_at(l->codes.get() + 2), 0x8261u);
}

TEST(ChrLayout, LineBreakAndBrackets) {
  auto l = layout("A_B");
  ASSERT_EQ(l->lay.count, 2);
  EXPECT_EQ(l->lay.y[1], -12);
  EXPECT_EQ(l->lay.x[1], 0);
  EXPECT_EQ(l->lay.height, 22);
  EXPECT_EQ(l->lay.w[0], 8);
  EXPECT_EQ(l->lay.w[1], 8);

  auto m = layout("A[BC_DE]F");
  ASSERT_EQ(m->lay.count, 4);
  struct {
    double x, y, w;
    int n, half;
  } want[] = {{0, 0, 8, 1, 0}, {8, 5, 9, 2, 1}, {8, 0, 9, 2, 1}, {17, 0, 8, 1, 0}};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(m->lay.x[i], want[i].x) << i;
    EXPECT_EQ(m->lay.y[i], want[i].y) << i;
    EXPECT_EQ(m->lay.w[i], want[i].w) << i;
    EXPECT_EQ(m->lay.nchar[i], want[i].n) << i;
    EXPECT_EQ(m->lay.half[i], want[i].half) << i;
  }
  EXPECT_EQ(m->lay.width, 25);
  EXPECT_EQ(m->lay.height, 10);
  EXPECT_EQ(code_at(m->lay.text[2]), SbcsToDbcs['D']);

  auto bars = layout("A|B");
  EXPECT_EQ(bars->lay.count, 1);
  EXPECT_EQ(bars->lay.w[0], 18);
  auto stray = layout("A]B"); // a "]" without "[" only ends the slot
  ASSERT_EQ(stray->lay.count, 2);
  EXPECT_EQ(stray->lay.x[1], 8);
  EXPECT_EQ(stray->lay.half[1], 0);
  auto dbcs = layout("漢A");
  EXPECT_EQ(dbcs->lay.nchar[0], 2);
  EXPECT_EQ(std::string(dbcs->codes.get(), 2), std::string("漢"));
}

TEST(ChrLayout, Alignment) {
  // Horizontal base (bits 7-8) by each line's own width; vertical base (bits 5-6).
  auto c = layout("AB_A", 1 << 7);
  EXPECT_EQ(c->lay.x[0], -9);
  EXPECT_EQ(c->lay.x[1], -4);
  auto r = layout("AB_A", 2 << 7);
  EXPECT_EQ(r->lay.x[0], -18);
  EXPECT_EQ(r->lay.x[1], -8);
  auto m = layout("AB", 1 << 5);
  EXPECT_EQ(m->lay.y[0], -5);
  auto t = layout("AB_A", 2 << 5);
  EXPECT_EQ(t->lay.y[0], -10); // the top of the first line on the base point
  EXPECT_EQ(t->lay.y[1], -22);
}

TEST(ChrLayout, LimitsCutTheText) {
  // 41 slots: the 41st is cut.
  std::string many;
  for (int i = 0; i < 41; i++)
    many += "[A]";
  auto l = layout(many);
  EXPECT_EQ(l->lay.count, CHR_SLOTS);

  // 81 characters making 41 lines: the 41st line is cut.
  std::string lines;
  for (int i = 0; i < 40; i++)
    lines += "A_";
  lines += "A";
  ASSERT_EQ(lines.size(), 81u);
  auto k = layout(lines);
  EXPECT_EQ(k->lay.count, CHR_SLOTS);
  EXPECT_EQ(k->lay.height, 10 + 39 * 12);

  // Brackets past the last level keep it and the text goes on.
  auto nine = layout("[[[[[[[[[AB]]]]]]]]]C");
  EXPECT_EQ(nine->lay.count, 2);
  for (const char *deep : {"[[[[[[[[[[AB]]]]]]]]]]C", "[[[[[[[[[[[[AB]]]]]]]]]]]]C"}) {
    auto d = layout(deep);
    ASSERT_EQ(d->lay.count, 2) << deep;
    EXPECT_EQ(d->lay.nchar[0], 2);
    EXPECT_EQ(d->lay.half[0], 1);
    EXPECT_EQ(d->lay.nchar[1], 1);
    EXPECT_EQ(d->lay.half[1], 0); // back at level 0 after as many "]"
  }

  // A lead byte without its trail ends the text; the terminator is never taken as a trail.
  auto cut = layout("A\x88");
  EXPECT_EQ(cut->lay.count, 1);
  EXPECT_EQ(cut->lay.nchar[0], 1);

  // At most 10000 bytes are read, and their codes fit the buffer.
  std::string longtext(20000, 'A');
  auto big = layout(longtext);
  EXPECT_EQ(big->lay.nchar[0], CHR_TEXTMAX);
  // Exactly that many bytes without a terminator, the last a lead byte: nothing
  // past the block is read (the sanitizer watches its end).
  std::unique_ptr<char[]> exact(new char[CHR_TEXTMAX]);
  std::memset(exact.get(), 'A', CHR_TEXTMAX);
  exact[CHR_TEXTMAX - 1] = '\x88';
  Laid ex;
  chr_layout(1, 0, 10, 8, 2, exact.get(), &ex.lay, ex.codes.get());
  EXPECT_EQ(ex.lay.nchar[0], CHR_TEXTMAX - 1);
  ChrLayout plain;
  EXPECT_EQ(chr_layout(0, 0, 10, 8, 2, "AB", &plain, nullptr), 0); // mode 0 writes no codes
  EXPECT_EQ(plain.text[0], nullptr);
  EXPECT_EQ(plain.w[0], 18);
}

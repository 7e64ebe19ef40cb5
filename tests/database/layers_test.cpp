#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "database/layers.h"

namespace {

struct Table {
  LayerNames t;
  Table() { lay_dflt(t); }
  void set(int i, const char *name) {
    std::memset(t[i], 0, 256);
    std::strcpy(t[i], name);
  }
};

} // namespace

TEST(Layers, Defaults) {
  auto tb = std::make_unique<Table>();
  EXPECT_STREQ(tb->t[0], "LAYER001");
  EXPECT_STREQ(tb->t[63], "LAYER064");
}

TEST(Layers, CheckRepairsNames) {
  struct Case {
    int entry;
    const char *name, *want;
  } cases[] = {
      {5, "a:b", "LAYER006"}, {6, " 0\t", "LAYER007"}, {7, "x=y", "LAYER008"}, {8, "`q", "LAYER009"},
      {9, "ok", "ok"},        {10, "表示", "表示"},    {11, "ソ", "ソ"}, // trail byte 0x5C is no backslash
      {12, "00", "00"},
  };
  auto tb = std::make_unique<Table>();
  for (const auto &c : cases)
    tb->set(c.entry, c.name);
  lay_check(tb->t);
  for (const auto &c : cases)
    EXPECT_STREQ(tb->t[c.entry], c.want) << c.name;
}

TEST(Layers, CheckRenamesTheEarlierOfTwoEqualNames) {
  auto tb = std::make_unique<Table>();
  tb->set(0, "LAYER002");
  tb->set(1, "abc");
  tb->set(2, "LAYER002");
  lay_check(tb->t);
  EXPECT_STREQ(tb->t[0], "LAYER001");
  EXPECT_STREQ(tb->t[1], "abc");
  EXPECT_STREQ(tb->t[2], "LAYER002");

  auto t2 = std::make_unique<Table>();
  t2->set(3, "Road");
  t2->set(7, "road ");
  lay_check(t2->t);
  EXPECT_STREQ(t2->t[3], "LAYER004");
  EXPECT_STREQ(t2->t[7], "road ");
}

TEST(Layers, CheckFallsBackToNumberedNames) {
  auto tb = std::make_unique<Table>();
  // Entry 0 already carries its default name and a later entry has it too.
  tb->set(4, "LAYER001");
  lay_check(tb->t);
  EXPECT_STREQ(tb->t[0], "LAYER001001");
  EXPECT_STREQ(tb->t[4], "LAYER001");
}

TEST(Layers, FindAndIsFree) {
  auto tb = std::make_unique<Table>();
  tb->set(2, "\x81\x40Kanji ");
  int found = 7;
  EXPECT_EQ(lay_find(0, 0, "kanji", tb->t, &found), 1);
  EXPECT_EQ(found, 2);
  EXPECT_EQ(lay_find(0, 2, "kanji", tb->t, &found), 0);
  EXPECT_EQ(found, -1);
  EXPECT_EQ(lay_find(1, 5, "KANJI", tb->t, &found), 1);
  EXPECT_EQ(found, 2);
  EXPECT_EQ(lay_find(1, 2, "KANJI", tb->t, &found), 0);
  EXPECT_EQ(lay_isfree(2, "kanji", tb->t), 1);
  EXPECT_EQ(lay_isfree(3, "kanji", tb->t), 0);
  EXPECT_EQ(lay_isfree(3, "layer005", tb->t), 0);
  // Full-width letters compare byte for byte.
  tb->set(9, "\x82\x60");
  EXPECT_EQ(lay_find(1, 0, "\x82\x81", tb->t, &found), 0);
}

TEST(Layers, Trim) {
  char a[] = "  \x81\x40"
             "AB\x81\x40 ";
  EXPECT_EQ(lay_trim(std::strlen(a), a), 2u);
  EXPECT_STREQ(a, "AB");
  char b[] = "\x81\x40\x81\x40";
  EXPECT_EQ(lay_trim(std::strlen(b), b), 0u);
  EXPECT_STREQ(b, "");
  char c[] = "\x83\x40 "; // "ァ": its trail byte is 0x40 but it is no blank
  EXPECT_EQ(lay_trim(std::strlen(c), c), 2u);
}

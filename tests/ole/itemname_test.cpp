// Item names of linked parts: the syntax table, range checks on what a container
// hands over, ordering of corners, the whole-sheet extent and the extent text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ole/itemname.h"

namespace {

TEST(ItemName, ValidAndInvalidNames) {
  const struct {
    const char *name;
    bool valid;
  } cases[] = {
      {"(0.000000,297.000000)-(420.000000,0.000000)!10000,7071", true},
      {"(10,20)-(30,40)!5,6", true},
      {"(1.,.5)-(3,4)!0,0", true},
      {"(-1,2)-(3,4)!5,6", false},
      {"(1,2)-(3,4)!5", false},
      {"(1,2)-(3,4)!5,6x", false},
      {"(1,2)(3,4)!5,6", false},
      {" (1,2)-(3,4)!5,6", false},
      {"(1,2)-(3,4)!-5,6", false},
      {"(1e3,2)-(3,4)!5,6", false},
      {"(1,2)-(3,4)5,6", false},
      {"(1,2)-(3,4)!,6", false},
      {"(1,2)-(3,4)!5,", false},
      {"(1,)-(3,4)!5,6", false},
      {"(1,2)-", false},
      {"", false},
      // Converted with range checks: too many digits, extents over 10^7, several points.
      {"(1,2)-(3,4)!99999999999,6", false},
      {"(1,2)-(3,4)!10000000,10000000", true},
      {"(1,2)-(3,4)!10000001,6", false},
      {"(1,2)-(3,4)!000000000000005,6", true},
      {"(1.2.3,2)-(3,4)!5,6", false},
      {"(1,2)-(3,4)!5,6,7", false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(item_validname(c.name), c.valid);
  }
  EXPECT_FALSE(item_validname(nullptr));
  const std::string huge = "(" + std::string(400, '9') + ",2)-(3,4)!5,6";
  EXPECT_FALSE(item_validname(huge.c_str())); // an infinite coordinate
}

TEST(ItemName, ParsesTheSixValues) {
  ItemNameParts p{};
  ASSERT_TRUE(item_parsename("(0.000000,297.000000)-(420.000000,0.000000)!10000,7071", p));
  EXPECT_EQ(p.x1, 0.0);
  EXPECT_EQ(p.y1, 297.0);
  EXPECT_EQ(p.x2, 420.0);
  EXPECT_EQ(p.y2, 0.0);
  EXPECT_EQ(p.cx, 10000);
  EXPECT_EQ(p.cy, 7071);
  ItemNameParts q{1, 2, 3, 4, 5, 6};
  EXPECT_FALSE(item_parsename("(1,2)-(3,4)!99999999999,6", q));
  EXPECT_EQ(q.cx, 5); // untouched
}

TEST(ItemName, FormatOrdersTheCorners) {
  EXPECT_EQ(item_fmtname(30, 20, 10, 40, 5, 6), "(10.000000,40.000000)-(30.000000,20.000000)!5,6");
  double r[4] = {10, 20, 30, 40};
  item_order(r);
  EXPECT_EQ(r[0], 10.0);
  EXPECT_EQ(r[1], 40.0);
  EXPECT_EQ(r[2], 30.0);
  EXPECT_EQ(r[3], 20.0);
  // A name of negative coordinates is not valid.
  EXPECT_FALSE(item_validname(item_fmtname(-1, 2, 3, 4, 5, 6).c_str()));
  EXPECT_TRUE(item_validname(item_fmtname(0, 297, 420, 0, 10000, 7071).c_str()));
  const std::string big = item_fmtname(1e300, 0, 0, 0, 1, 1); // not cut short
  EXPECT_EQ(big.size(), 343u);
  EXPECT_EQ(big.substr(big.size() - 4), "!1,1");
}

TEST(ItemName, WholeSheetExtentFollowsTheSheetShape) {
  const struct {
    int32_t cx;
    double w, h;
    int32_t outCx, outCy;
  } cases[] = {
      {10000, 420, 297, 10000, 7071}, {20000, 420, 297, 20000, 14142}, {10000, 297, 210, 10000, 7070},
      {10000, -420, 297, 10000, 7071}, {10000, 0, 297, 10000, 7071},  {5000, 0, 0, 10000, 7071},
      {2000000000, 1, 100, 10000, 7071}, {0, 420, 297, 0, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.cx << " " << c.w << "x" << c.h);
    int32_t cx = -1, cy = -1;
    item_sheetextent(c.cx, c.w, c.h, cx, cy);
    EXPECT_EQ(cx, c.outCx);
    EXPECT_EQ(cy, c.outCy);
  }
}

} // namespace

TEST(ItemName, ExtentTextFitsItsBlock) {
  struct Case {
    double x1, y1, x2, y2;
    const char *want; // null: longer than the block
  } cases[] = {
      {0, 297, 420, 0, "<ORVIK FX (0.000000, 297.000000)-(420.000000, 0.000000)>"},
      {-10.5, 20.25, 30, -40, "<ORVIK FX (-10.500000, 20.250000)-(30.000000, -40.000000)>"},
      {1e30, 1e30, -1e30, 1e30, nullptr},
  };
  for (const Case &c : cases) {
    char block[ITEM_EXTENTTEXT_SIZE + 8];
    std::memset(block, '#', sizeof block);
    item_extenttext(c.x1, c.y1, c.x2, c.y2, block);
    // Nothing written past the 128-byte block.
    for (size_t i = ITEM_EXTENTTEXT_SIZE; i < sizeof block; i++)
      EXPECT_EQ(block[i], '#');
    if (c.want) {
      EXPECT_STREQ(block, c.want);
      continue;
    }
    char full[512];
    std::snprintf(full, sizeof full, "<ORVIK FX (%lf, %lf)-(%lf, %lf)>", c.x1, c.y1, c.x2, c.y2);
    ASSERT_GT(std::strlen(full), 127u);
    EXPECT_EQ(std::strlen(block), 127u);
    EXPECT_EQ(std::string(block), std::string(full, 127));
  }
}

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "display/fonts/text_win.h"
#include "display/view/view.h"
#include "settings/params.h"

namespace {

class LayoutW : public ::testing::Test {
protected:
  void SetUp() override {
    prm_init();
    TypefaceEntry t[4] = {};
    std::strcpy(t[0].name, "Arial");
    std::strcpy(t[3].name, "Arial");
    t[3].style = 2;
    sys_typeface('w', t);
    saved_ = DrawXform;
    DrawXform.xscale = DrawXform.yscale = 1; // one pixel per world unit
    dc_ = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc_, nullptr);
  }
  void TearDown() override {
    DeleteDC(dc_);
    DrawXform = saved_;
    prm_init();
  }
  int lay(const char *text, int face = 0, uint16_t attr = 0, double h = 40, double w = 20, double s = 4) {
    return chr_layoutw(dc_, face, attr, h, w, s, text, &l_, codes_.get());
  }
  DrawXformRecord saved_;
  HDC dc_ = nullptr;
  ChrLayout l_;
  std::unique_ptr<char[]> codes_{new char[CHR_CODEMAX]};
};

} // namespace

TEST_F(LayoutW, MeasuresSlotsThroughTheDc) {
  ASSERT_EQ(lay("AB"), 1);
  EXPECT_EQ(l_.count, 1);
  EXPECT_EQ(l_.nchar[0], 2);
  EXPECT_STREQ(codes_.get(), "AB");
  double oh, ow;
  ASSERT_EQ(chr_extentw(dc_, 0, 40, 20, "AB", &oh, &ow), 1);
  EXPECT_GT(ow, 0);
  EXPECT_DOUBLE_EQ(l_.w[0], ow); // the slot's width is its measured text
  EXPECT_DOUBLE_EQ(l_.width, ow);

  ASSERT_EQ(lay("A_B"), 1);
  ASSERT_EQ(l_.count, 2);
  EXPECT_EQ(l_.y[1], -44); // the spacing only enters the line pitch
  EXPECT_EQ(l_.height, 84);

  ASSERT_EQ(lay("A[BC_DE]F"), 1);
  ASSERT_EQ(l_.count, 4);
  EXPECT_EQ(l_.half[1], 1);
  EXPECT_EQ(l_.y[1], 20);
  EXPECT_EQ(l_.x[2], l_.x[1]);
  EXPECT_EQ(l_.x[3], l_.x[1] + std::max(l_.w[1], l_.w[2]));
}

TEST_F(LayoutW, AtSignAndCircumflexByTypeface) {
  ASSERT_EQ(lay("@^"), 1);
  EXPECT_EQ(l_.nchar[0], 4);
  EXPECT_EQ(std::string(codes_.get()), std::string("\x83\xD3\x81\x7D"));
  ASSERT_EQ(lay("@^", 3), 1);
  EXPECT_EQ(l_.nchar[0], 2);
  EXPECT_STREQ(codes_.get(), "@^");
  ASSERT_EQ(lay("漢"), 1);
  EXPECT_EQ(l_.nchar[0], 2);
}

TEST_F(LayoutW, TinyCellsFallBackToEstimates) {
  DrawXform.xscale = DrawXform.yscale = 0.01; // a cell below one pixel
  EXPECT_EQ(lay("AB"), 0);
  EXPECT_DOUBLE_EQ(l_.w[0], 40); // two bytes at width 20
  double oh = -1, ow = -1;
  EXPECT_EQ(chr_extentw(dc_, 0, 40, 20, "ABC", &oh, &ow), 0);
  EXPECT_EQ(oh, 40);
  EXPECT_EQ(ow, 60);
  DrawXform.xscale = DrawXform.yscale = 0; // no view yet: no division by the scale
  EXPECT_EQ(chr_extentw(dc_, 0, 40, 20, "ABC", &oh, &ow), 0);
  EXPECT_EQ(ow, 60);
}

TEST_F(LayoutW, LimitsAndNoDc) {
  std::string many;
  for (int i = 0; i < 41; i++)
    many += "A_";
  EXPECT_EQ(lay(many.c_str()), 1);
  EXPECT_EQ(l_.count, CHR_SLOTS);
  EXPECT_EQ(chr_layoutw(nullptr, 0, 0, 40, 20, 4, "AB", &l_, codes_.get()), 1); // the stand-in DC
  EXPECT_GT(l_.w[0], 0);
  EXPECT_EQ(chr_layoutw(dc_, 9, 0, 40, 20, 4, "AB", &l_, codes_.get()), 1); // unknown typeface: entry 0
}

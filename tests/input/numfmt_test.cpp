// The number between the bars of a dimension's value text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "input/numfmt.h"
#include "settings/params.h"
#ifdef _WIN32
#include "input/inpkind.h"
#endif

namespace {

std::string fmt(double v, const char *text, int n, int zeromode, int *rc = nullptr) {
  char buf[NUM_BARTEXT + 1 + 8];
  std::memset(buf, 'x', sizeof buf);
  std::strcpy(buf, text);
  int r = num_barfmtd(v, buf, n, zeromode);
  if (rc)
    *rc = r;
  return buf;
}

TEST(BarNumber, RewritesBetweenTheFirstTwoBars) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::string long60(60, 'a');
  const struct {
    double v;
    std::string text;
    int n, zeromode;
    std::string want;
    int rc;
  } cases[] = {
      {3.14159, "R|0|mm", 2, 1, "R|3.14|mm", 0},
      {2.5, "R|0|mm", 2, 2, "R|2.5|mm", 0},
      {2.0, "R|0|mm", 2, 2, "R|2|mm", 0},
      {2.0, "R|0|mm", 2, 1, "R|2.00|mm", 0},
      {100.0, "|x|", 0, 2, "|100|", 0}, // no '.', so no zero is dropped
      // Halves go away from zero on both sides.
      {-1.236, "|0|", 2, 1, "|-1.24|", 0},
      {1.235, "|0|", 2, 1, "|1.24|", 0},
      {-1.235, "|0|", 2, 1, "|-1.24|", 0},
      {0.125, "|0|", 2, 1, "|0.13|", 0},
      {-0.001, "|0|", 2, 1, "|0.00|", 0}, // no "-0.00"
      {-0.004, "|0|", 2, 2, "|0|", 0},
      {2.5, "|0|", 0, 1, "|3|", 0},
      {-2.5, "|0|", 0, 1, "|-3|", 0},
      {1.23456789, "|0|", 6, 1, "|1.234568|", 0},
      // Decimals are held to 0 .. 6.
      {1.23456789, "|0|", 40, 1, "|1.234568|", 0},
      {1.75, "|0|", -3, 1, "|2|", 0},
      // The whole old number goes, whatever stood there; the third bar stays.
      {7, "A|12.5 old|B|C", 1, 1, "A|7.0|B|C", 0},
      {7, "||", 1, 1, "|7.0|", 0},
      // Fewer than two bars, a value that is no number, a result too long: unchanged.
      {7, "no bars", 2, 1, "no bars", 1},
      {7, "one|bar", 2, 1, "one|bar", 1},
      {std::nan(""), "|0|", 2, 1, "|0|", 1},
      {inf, "|0|", 2, 1, "|0|", 1},
      {1e300, "|0|", 2, 1, "|0|", 1},
      {1.5, "|0|" + long60, 2, 1, "|0|" + long60, 1},
  };
  for (const auto &c : cases) {
    int rc = -1;
    EXPECT_EQ(fmt(c.v, c.text.c_str(), c.n, c.zeromode, &rc), c.want) << c.v << " " << c.text;
    EXPECT_EQ(rc, c.rc) << c.v << " " << c.text;
  }
}

TEST(BarNumber, ResultMayFillSixtyThreeCharacters) {
  std::string text = "|0|" + std::string(56, 'm'); // 64 characters once rewritten
  EXPECT_EQ(fmt(1.2345, text.c_str(), 4, 1), text);
  text = "|0|" + std::string(55, 'm');
  EXPECT_EQ(fmt(1.2345, text.c_str(), 4, 1), "|1.2345|" + std::string(55, 'm'));
}

TEST(BarNumber, TextLongerThanSixtyThreeIsLeft) {
  char buf[80];
  std::memset(buf, 'a', sizeof buf);
  buf[0] = '|';
  buf[2] = '|';
  buf[79] = '\0';
  EXPECT_EQ(num_barfmtd(1, buf, 2, 1), 1);
  EXPECT_EQ(buf[1], 'a');
}

TEST(BarNumber, TakesTheEntryDecimalsAndTheDrawingsZeroMode) {
  DimAttrs dim, saved;
  sys_dimatr('r', &saved);
  dim = saved;
  dim.decimals = 3;
  dim.zeromode = 2;
  sys_dimatr('w', &dim);
#ifdef _WIN32
  uint32_t rec[INP_KINDWORDS], old[INP_KINDWORDS];
  inp_kind('r', 5, old);
  std::memcpy(rec, old, sizeof rec);
  rec[3] = 3;
  inp_kind('w', 5, rec);
#endif
  char text[64] = "L=|0|";
  EXPECT_EQ(num_barfmt(1.23456, text), 0);
  EXPECT_STREQ(text, "L=|1.235|");
  std::strcpy(text, "L=|0|");
  EXPECT_EQ(num_barfmt(1.5, text), 0);
  EXPECT_STREQ(text, "L=|1.5|");
#ifdef _WIN32
  inp_kind('w', 5, old);
#endif
  sys_dimatr('w', &saved);
}

} // namespace

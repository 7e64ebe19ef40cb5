#include <gtest/gtest.h>

#include <string>

#include "settings/prefs.h"

namespace {

TEST(PrefsParse, TypedValues) {
  struct Case {
    int type;
    const char *text;
    long long want;
  } ints[] = {
      {PRF_SHORT, "-12", -12},
      {PRF_SHORT, "40000", 0},
      {PRF_SHORT, "-32767", 0},
      {PRF_SHORT, "32766", 32766},
      {PRF_SHORT, "0x10", 16},
      {PRF_SHORT, "010", 8},
      {PRF_SHORT, "abc", 0},
      {PRF_LONG, "-5", 5},
      {PRF_LONG, "-2147483648", 2147483647},
      {PRF_ULONG, "0x0000FF00", 0xFF00},
      {PRF_ULONG, "0xFFFFFFFF", 2147483647},
      {PRF_ULONG, "-1", 0xFFFFFFFFll},
  };
  for (const Case &c : ints) {
    PrfValue v{};
    ASSERT_EQ(prf_parse(c.type, c.text, v), 0);
    long long got = c.type == PRF_SHORT ? v.s : c.type == PRF_LONG ? v.l : static_cast<long long>(v.ul);
    EXPECT_EQ(got, c.want) << c.text;
  }
  PrfValue v{};
  prf_parse(PRF_FLOAT, "2.5", v);
  EXPECT_EQ(+v.f, 2.5f);
  prf_parse(PRF_DOUBLE, "0.1", v);
  EXPECT_EQ(+v.d, 0.1);
  prf_parse(PRF_CHAR, "xyz", v);
  EXPECT_EQ(v.str[0], 'x');
  std::string longtext(300, 'q');
  prf_parse(PRF_STRING, longtext.c_str(), v);
  EXPECT_EQ(std::string(v.str).size(), 261u);
  EXPECT_EQ(prf_parse(3, "1", v), -1);
}

TEST(PrefsFormat, ByType) {
  PrfValue v{};
  v.s = -3;
  v.l = 70000;
  v.ul = 0xFF00;
  v.f = 2.5f;
  v.d = 0.1;
  std::snprintf(v.str, sizeof v.str, "C:\\X");
  struct Case {
    int type;
    const char *want;
  } cases[] = {{PRF_SHORT, "-3"},        {PRF_LONG, "70000"}, {PRF_ULONG, "65280"},  {PRF_FLOAT, "2.500000"},
               {PRF_DOUBLE, "0.100000"}, {PRF_CHAR, "C"},     {PRF_STRING, "C:\\X"}, {7, ""}};
  for (const Case &c : cases) {
    char out[262];
    prf_format(c.type, v, out, sizeof out);
    EXPECT_STREQ(out, c.want) << c.type;
  }
}

TEST(PrefsSections, Names) {
  EXPECT_STREQ(prf_section(1), "SYSTEMU");
  EXPECT_STREQ(prf_section(25), "SEALINFO");
  EXPECT_STREQ(prf_section(0), "");
  EXPECT_STREQ(prf_section(26), "");
}

} // namespace

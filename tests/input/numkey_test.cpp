// Typed numbers: the expression evaluator, the number-line readers, the D.M.S angle and
// the keyboard coordinate line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "input/calc.h"
#include "input/kpos.h"
#include "input/numkey.h"
#include "settings/params.h"

namespace {

struct Evaluated {
  int err;
  double value;
  size_t used;
};
Evaluated eval(const char *text) {
  const char *p = text;
  double v = -12345;
  const int err = clc_eval(0, &p, &v);
  return {err, v, static_cast<size_t>(p - text)};
}

TEST(Evaluator, ValuesOfExpressions) {
  const struct {
    const char *text;
    double value;
  } cases[] = {
      {"2+3*4", 14},         {"(2+3)*4", 20},          {"2*-3", -6},          {"-+-2", 2},
      {"10-4-3", 3},         {"12/4/3", 1},            {"1/0", 0},            {"0/5", 0},
      {"3>2 && 1", 1},       {"0 ? 5 : 7", 7},         {"2 ? 5 : 7", 5},      {"1||0", 1},
      {"0&&1", 0},           {"1 = 1.000000001", 1},   {"1 == 1.1", 0},       {"1 <> 2", 1},
      {"2 >< 2", 0},         {"1 != 1", 0},            {"1 >= 1.000000005", 1}, {"1.000000005 <= 1", 1},
      {"1 < 2", 1},          {"2 > 2", 0},             {"atan2(1, 1)", 45},   {"pai", 3.141592653589793},
      {"SIN(30)", 0.5},      {"sin(30)", 0.5},         {"cos(60)", 0.5},      {"tan(45)", 1},
      {"hypot(3,4)", 5},     {"sqrt(16)", 4},          {"abs(-2)", 2},        {"atan(1)", 45},
      {"asin(0.5)", 30},     {"acos(0.5)", 60},        {"sd12.30", 12.5},     {"0x10", 16},
      {"7x10", 16},          {"0X1f", 31},             {"1.5e2", 150},        {"\t2\t*\t3", 6},
      {"ma + mc + md + ml + ms", 0}, {"(1 ? 2 : 3) ? 4 : 5", 4},
  };
  for (const auto &c : cases) {
    const Evaluated e = eval(c.text);
    EXPECT_EQ(e.err, 0) << c.text;
    EXPECT_NEAR(e.value, c.value, 1e-9) << c.text;
  }
}

TEST(Evaluator, MemoryValuesAreReadByName) {
  ClcMemA = 2;
  ClcMemS = 5;
  EXPECT_DOUBLE_EQ(eval("ma*ms").value, 10);
  ClcMemA = ClcMemS = 0;
}

TEST(Evaluator, Errors) {
  const struct {
    const char *text;
    int err;
  } cases[] = {
      {"1?5", 1001},     {"1 ? 5", 1001},  {"foo(1)", 1003}, {"zz", 1003},  {"(1+2", 1001},
      {"sin 30", 1001},  {"sin(30", 1001}, {"atan2(1)", 1001}, {"hypot(1,2", 1001}, {"*3", 1001},
      {"", 1001},        {".", 1001},      {"sd12.60", 1001}, {"sd12345", 1001}, {"abc1", 1003},
      {"sinus(1)", 1003},
  };
  for (const auto &c : cases)
    EXPECT_EQ(eval(c.text).err, c.err) << c.text;
}

TEST(Evaluator, PointerStopsAfterExpressionAndBlanks) {
  const Evaluated e = eval("5 , 6");
  EXPECT_EQ(e.err, 0);
  EXPECT_EQ(e.value, 5);
  EXPECT_EQ(e.used, 2u);
  EXPECT_EQ(eval("1+2)").used, 3u);
  // An error leaves the pointer where evaluation stopped.
  EXPECT_EQ(eval("1?5").used, 3u);
}

TEST(Evaluator, DoubleByteTextIsRefusedUnmoved) {
  const char *texts[] = {"1+\x82\x50", "\x88\x9f", "5 \x83\x41"};
  for (const char *t : texts) {
    const Evaluated e = eval(t);
    EXPECT_EQ(e.err, 1002);
    EXPECT_EQ(e.value, 0);
    EXPECT_EQ(e.used, 0u);
  }
  // Half-width katakana is single-byte: a plain syntax error.
  EXPECT_EQ(eval("\xb1").err, 1001);
}

TEST(Evaluator, OverlongTextIsAnErrorNotAnOverflow) {
  std::string t(400, '1');
  const Evaluated e = eval(t.c_str());
  EXPECT_EQ(e.err, 1001);
  EXPECT_EQ(e.used, 0u);
  std::string fits(259, ' ');
  fits[0] = '7';
  EXPECT_EQ(eval(fits.c_str()).err, 0);
  EXPECT_EQ(eval(fits.c_str()).used, 259u);
  EXPECT_EQ(eval((fits + " ").c_str()).err, 1001);
}

TEST(Evaluator, LongHexLiteralGrowsWithoutWrapping) {
  const Evaluated e = eval(("0x" + std::string(60, 'f')).c_str());
  EXPECT_EQ(e.err, 0);
  EXPECT_NEAR(e.value / std::pow(16.0, 60), 1.0, 1e-12);
  EXPECT_EQ(eval("0xFFFFFFFFF").value, 68719476735.0);
}

TEST(Evaluator, DeepNestingStaysBounded) {
  std::string t(130, '(');
  t += "1";
  t += std::string(130, ')');
  EXPECT_EQ(eval(t.c_str()).err, 1001); // 261 characters: over the limit
  std::string ok(120, '(');
  ok += "1" + std::string(120, ')');
  EXPECT_EQ(eval(ok.c_str()).value, 1);
  EXPECT_EQ(eval(std::string(259, '-').c_str()).err, 1001);
}

TEST(NumberLine, DegreesMinutesSeconds) {
  const struct {
    const char *text;
    int result;
    double value;
  } cases[] = {
      {"12.30", 0, 12.5},        {"-12.30.36", 0, -12.51},     {"12.60", 1, 0},
      {"12345", 1, 0},           {"123.45.59", 0, 123.7663889}, {"1234.5", 0, 1234.0833333},
      {"12.5.7.", 0, 12 + 5.0 / 60 + 7.0 / 3600}, {"1.2.3.4", 1, 0}, {"12.123", 1, 0},
      {"12.30.599", 1, 0},       {"12..30", 0, 12 + 30.0 / 3600}, {"", 1, 0},
      {"-0.30", 0, -0.5},        {"12.59.60", 1, 0},
  };
  for (const auto &c : cases) {
    double v = -1;
    int len = -1;
    EXPECT_EQ(num_dms(c.text, &v, &len), c.result) << c.text;
    if (c.result == 0) {
      EXPECT_NEAR(v, c.value, 1e-6) << c.text;
    }
  }
}

TEST(NumberLine, LeadingNumberLength) {
  EXPECT_EQ(num_declen("-12.5)"), 5);
  EXPECT_EQ(num_declen("+3abc"), 2);
  EXPECT_EQ(num_declen("abc"), 3);
  EXPECT_EQ(num_declen("12.30"), 5);
  EXPECT_EQ(num_declen(""), 0);
}

TEST(NumberLine, Fields) {
  const struct {
    const char *text;
    int n;
    int count;
    double v[3];
  } cases[] = {
      {"1,,3", 3, 3, {1, -7, 3}},  {"5", 2, 1, {5, -7, -7}},   {"1 2 3", 3, 3, {1, 2, 3}},
      {",5", 2, 2, {-7, 5, -7}},   {"4,", 2, 2, {4, -7, -7}},  {"  2*3 , 1+1", 2, 2, {6, 2, -7}},
      {"1,2,3,4", 2, 2, {1, 2, -7}}, {"", 3, 0, {-7, -7, -7}}, {"\t7", 1, 1, {7, -7, -7}},
  };
  for (const auto &c : cases) {
    double v[3] = {-7, -7, -7};
    int count = -1;
    EXPECT_EQ(num_fields(c.text, c.n, v, &count), 0) << c.text;
    EXPECT_EQ(count, c.count) << c.text;
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(v[i], c.v[i]) << c.text << " " << i;
  }
  double v[2];
  int count;
  EXPECT_EQ(num_fields("1,foo", 2, v, &count), 1003);
}

TEST(NumberLine, Integers) {
  const struct {
    const char *text;
    int result;
    int32_t value;
  } cases[] = {
      {"x1F", 0, 31},     {"10001", -1, 0},  {"", 0, 0},         {"10000", 0, 10000}, {"-32768", 0, -32768},
      {"-32769", -1, 0},  {"7.9", 0, 7},     {"-2.5", 0, -2},    {"2*3", 0, 6},       {"xzz", 0, 0},
      {"x" "FFFFFFFFFFFFFFFFFFFF", -1, 0},   {"1?", 1001, 99},
  };
  for (const auto &c : cases) {
    int32_t v = 99;
    EXPECT_EQ(num_intparse(c.text, &v), c.result) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST(NumberLine, SingleByteOnlyWhateverTheLocale) {
  EXPECT_EQ(str_sbonly("abc 123"), 0);
  EXPECT_EQ(str_sbonly("a\x82\xa0"), -1);
  EXPECT_EQ(str_sbonly("\xe0\x40"), -1);
  EXPECT_EQ(str_sbonly("\xfc"), -1);
  EXPECT_EQ(str_sbonly("\xb1"), -1); // half-width katakana
  EXPECT_EQ(str_sbonly("\x80\xa0\xfd\x7f"), 0);
}

TEST(NumberLine, ScaleRatio) {
  prm_init();
  static DrawingEnvRecord env;
  ASSERT_EQ(sys_dwgenv('R', 1, &env), 0);
  env.scales[0] = {1, 2};
  env.scales[5] = {1, 4};
  env.scales[6] = {0, 4};
  ASSERT_EQ(sys_dwgenv('W', 1, &env), 0);
  double v = 10;
  EXPECT_EQ(scl_ratio(0, 1, 5, &v), 0);
  EXPECT_DOUBLE_EQ(v, 20);
  EXPECT_EQ(scl_ratio(1, 1, 5, &v), 0);
  EXPECT_DOUBLE_EQ(v, 10);
  EXPECT_EQ(scl_ratio(2, 1, 5, &v), 1);
  EXPECT_EQ(scl_ratio(0, 2, 5, &v), 2);
  EXPECT_EQ(scl_ratio(0, -1, 5, &v), 2);
  EXPECT_EQ(scl_ratio(0, 1, 64, &v), 3);
  EXPECT_EQ(scl_ratio(0, 1, 6, &v), 3); // a zero in the pair has no ratio
  EXPECT_DOUBLE_EQ(v, 10);
  prm_init();
}

// The keyboard coordinate line from (100, 100) at entry scale 2, reference point (50, 60).
struct Moved {
  int result;
  double x, y;
};
Moved kpos(const char *line, int code) {
  KposLine l;
  kpos_parse(line, code == 13 || code == 500, &l);
  double x = 100, y = 100;
  const int r = kpos_apply(l, code, 2, 50, 60, &x, &y);
  return {r, x, y};
}

TEST(KeyboardPoint, LinesMoveThePoint) {
  const double c30 = std::sqrt(3.0) / 2, s30 = 0.5;
  const struct {
    const char *line;
    int code;
    int result;
    double x, y;
  } cases[] = {
      {"10,5", 13, KPOS_MOVED, 120, 110},
      {"  10 , 5  ", 500, KPOS_MOVED, 120, 110},
      {"10 5", 13, KPOS_MOVED, 120, 110},
      {"@10,5", 13, KPOS_MOVED, 10, 5},
      {"R3,4", 13, KPOS_MOVED, 56, 68},
      {"@R3,4", 13, KPOS_MOVED, 53, 64},
      {"30D,10", 13, KPOS_MOVED, 100 + 20 * c30, 100 + 20 * s30},
      {"10,30d", 13, KPOS_MOVED, 100 + 20 * c30, 100 + 20 * s30},
      {"@30D,10", 13, KPOS_MOVED, 10 * c30, 10 * s30},
      {"0,30D", 13, KPOS_VOID, 100, 100},
      {"30D,0", 13, KPOS_VOID, 100, 100},
      {"5", 30, KPOS_MOVED, 100, 110},
      {"5", 31, KPOS_MOVED, 100, 90},
      {"5", 28, KPOS_MOVED, 110, 100},
      {"5", 29, KPOS_MOVED, 90, 100},
      {"@5", 30, KPOS_MOVED, 0, 5},
      {"5", 13, KPOS_VOID, 100, 100},
      {"5", 501, KPOS_VOID, 100, 100},
      {"10,5", 501, KPOS_STAY, 100, 100},
      {"10,5", 30, KPOS_STAY, 100, 100},
      {",5", 13, KPOS_MOVED, 100, 110},
      {"10,", 13, KPOS_MOVED, 120, 100},
      {"2*3,1+1", 13, KPOS_MOVED, 112, 104},
      {"10,foo", 13, KPOS_VOID, 100, 100},
      {"10,\x82\x50", 13, KPOS_VOID, 100, 100},
      {"10,5,7", 13, KPOS_MOVED, 120, 110},
  };
  for (const auto &c : cases) {
    const Moved m = kpos(c.line, c.code);
    EXPECT_EQ(m.result, c.result) << c.line;
    EXPECT_NEAR(m.x, c.x, 1e-9) << c.line;
    EXPECT_NEAR(m.y, c.y, 1e-9) << c.line;
  }
}

// Values that are no finite number never come out of a typed text: the evaluator
// refuses them with its syntax error, a number line and a coordinate line with them
// are void, and finite components that add up beyond a double void the line too.
TEST(KeyboardPoint, HostileValuesAreRefusedEverywhere) {
  const std::string hex = "0x" + std::string(257, 'F');
  const char *const hostile[] = {"1e999",  "1e308*10", "sqrt(-1)", "acos(2)",        hex.c_str(),
                                 "1e308+1e308", "-1e999", "asin(-3)", "1e200*1e200-1", "(1e999>0)"};
  for (const char *t : hostile) {
    EXPECT_EQ(eval(t).err, CLC_SYNTAX) << t;
    double v[2] = {7, 7};
    int n = -1;
    EXPECT_EQ(num_fields((std::string("1,") + t).c_str(), 2, v, &n), CLC_SYNTAX) << t;
    const std::string pair = std::string(t) + ",1", polar = std::string(t) + "D,10";
    for (const std::string &line : {pair, polar, std::string("@1,") + t}) {
      const Moved m = kpos(line.c_str(), 13);
      EXPECT_EQ(m.result, KPOS_VOID) << line;
      EXPECT_EQ(m.x, 100) << line;
      EXPECT_EQ(m.y, 100) << line;
    }
  }
  // Division by zero is no error and gives 0, so 0/0 is 0, not NaN.
  const Evaluated z = eval("0/0");
  EXPECT_EQ(z.err, 0);
  EXPECT_EQ(z.value, 0);
  // Large but finite values still work; scaled beyond range the line is void.
  EXPECT_EQ(eval("hypot(1e200,1e200)").err, 0);
  EXPECT_EQ(kpos("1e308,0", 13).result, KPOS_VOID); // 100 + 1e308 * 2
  EXPECT_EQ(kpos("@1e308,0", 13).result, KPOS_MOVED);
}

TEST(KeyboardPoint, TrailingSemicolonKeepsTyping) {
  KposLine l;
  kpos_parse("10,5;", 1, &l);
  EXPECT_EQ(l.count, 2);
  EXPECT_EQ(l.more, 1);
  kpos_parse("10,5; ", 1, &l);
  EXPECT_EQ(l.more, 0);
  EXPECT_EQ(l.error, 0);
  kpos_parse("5;", 0, &l);
  EXPECT_EQ(l.count, 1);
  EXPECT_EQ(l.more, 1);
  kpos_parse("30d,10", 1, &l);
  EXPECT_EQ(l.angle, 1);
  kpos_parse("30d,10d", 1, &l);
  EXPECT_EQ(l.angle, 1); // only the first marker counts
}

} // namespace

// Entries of the tool-bar file read as text: buttons, separators and the entries
// that end a bar, tooltips cut at a whole character, layout rows and columns, and
// the TOOLDISP value list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/units/tbfile.h"

namespace {

struct EntryCase {
  const char *value;
  int kind, command, level;
  const char *tip;
};

TEST(TbFile, Entries) {
  const EntryCase cases[] = {
      {"300,0,新規作成", TBF_BUTTON, 300, 0, "新規作成"},
      {"-1,0,", TBF_SEPARATOR, -1, 0, ""},
      {"-1,,", TBF_SEPARATOR, -1, 0, ""},
      {" 405 , 4 ,元に戻す, 続き", TBF_BUTTON, 405, 4, "元に戻す, 続き"},
      {"0,3,点", TBF_BUTTON, 0, 3, "点"},
      {"1099,0,", TBF_BUTTON, 1099, 0, ""},
      // Entries that end the bar.
      {" ", TBF_END, -1, 0, ""},        // a missing key reads as its default " "
      {"300", TBF_END, -1, 0, ""},      // no commas
      {"300,0", TBF_END, -1, 0, ""},    // one comma
      {"5000,0,x", TBF_END, -1, 0, ""}, // beyond the command table
      {"1100,0,x", TBF_END, -1, 0, ""},
      {"-2,0,x", TBF_END, -1, 0, ""},
      {",0,x", TBF_END, -1, 0, ""},
      {"3x0,0,x", TBF_END, -1, 0, ""},
      {"300,5,x", TBF_END, -1, 0, ""}, // no such level
      {"300,-1,x", TBF_END, -1, 0, ""},
      {"300,,x", TBF_END, -1, 0, ""},
      {"99999999999999999999,0,x", TBF_END, -1, 0, ""},
  };
  for (const EntryCase &c : cases) {
    TbfEntry e;
    EXPECT_EQ(tbf_entry(c.value, &e), c.kind) << c.value;
    if (c.kind == TBF_END)
      continue;
    EXPECT_EQ(e.command, c.command) << c.value;
    EXPECT_EQ(e.level, c.level) << c.value;
    EXPECT_STREQ(e.tip, c.tip) << c.value;
  }
}

TEST(TbFile, LongTooltipsEndAtAWholeCharacter) {
  // 18 double-byte characters (36 bytes) and a single-byte start that shifts them.
  std::string dbcs;
  for (int i = 0; i < 18; i++)
    dbcs += "\x95\x5c"; // 表
  TbfEntry e;
  ASSERT_EQ(tbf_entry(("300,0," + dbcs).c_str(), &e), TBF_BUTTON);
  EXPECT_EQ(std::strlen(e.tip), 34u);
  EXPECT_EQ(std::string(e.tip), dbcs.substr(0, 34));
  ASSERT_EQ(tbf_entry(("300,0,a" + dbcs).c_str(), &e), TBF_BUTTON);
  EXPECT_EQ(std::strlen(e.tip), 35u);
  EXPECT_EQ(std::string(e.tip), "a" + dbcs.substr(0, 34));
  ASSERT_EQ(tbf_entry("300,0,12345678901234567890123456789012345678", &e), TBF_BUTTON);
  EXPECT_STREQ(e.tip, "12345678901234567890123456789012345");
  // A lead byte whose trail byte an earlier read cut off is dropped.
  ASSERT_EQ(tbf_entry("300,0,ab\x95", &e), TBF_BUTTON);
  EXPECT_STREQ(e.tip, "ab");
  ASSERT_EQ(tbf_entry("300,0,1234567890123456789012345678901234\x95 ", &e), TBF_BUTTON);
  EXPECT_STREQ(e.tip, "1234567890123456789012345678901234");
}

TEST(TbFile, CountsRowsAndColumns) {
  EXPECT_EQ(tbf_count(150), 100);
  EXPECT_EQ(tbf_count(100), 100);
  EXPECT_EQ(tbf_count(9), 9);
  EXPECT_EQ(tbf_count(-1), 0);
  EXPECT_EQ(tbf_count(-50), 0);

  struct {
    int rows, count, cols;
  } cols[] = {{3, 9, 3}, {3, 10, 4}, {1, 20, 20}, {20, 20, 1}, {40, 3, 1}, {5, 0, 1},
              {0, 9, 0}, {-2, 9, 0}, {-2147483647 - 1, 9, 0}, {1, 2147483647, 2147483647}};
  for (const auto &c : cols)
    EXPECT_EQ(tbf_cols(c.rows, c.count), c.cols) << c.rows << " rows of " << c.count;

  struct {
    int rows, count;
    bool ok;
  } rows[] = {{3, 9, true}, {9, 9, true}, {10, 9, false}, {40, 100, true}, {41, 100, false},
              {0, 9, false}, {-2, 9, false}, {1, 0, false}};
  for (const auto &r : rows)
    EXPECT_EQ(tbf_rowok(r.rows, r.count), r.ok) << r.rows << " rows of " << r.count;
}

TEST(TbFile, ValueListEntries) {
  struct {
    const char *value;
    bool ok;
    int a, b;
    const char *text;
  } cases[] = {
      {"504,3,拡大", true, 504, 3, "拡大"},
      {",,504,,3,,拡大,more", true, 504, 3, "拡大"}, // empty tokens are skipped
      {"504,3", true, 504, 3, ""},
      {"x,3,t", true, 0, 3, "t"}, // numbers read like atoi
      {"504", false, 0, 0, ""},
      {",,,", false, 0, 0, ""},
      {"", false, 0, 0, ""},
      {"99999999999,-99999999999,t", true, 2147483647, -2147483647 - 1, "t"},
  };
  for (const auto &c : cases) {
    int32_t a = 0, b = 0;
    char text[8] = "junk";
    EXPECT_EQ(tbf_value(c.value, &a, &b, text, sizeof text), c.ok) << c.value;
    if (!c.ok)
      continue;
    EXPECT_EQ(a, c.a) << c.value;
    EXPECT_EQ(b, c.b) << c.value;
    EXPECT_STREQ(text, c.text) << c.value;
  }
  // The text is cut to its buffer at a whole character.
  int32_t a, b;
  char small[4];
  ASSERT_TRUE(tbf_value("1,2,\x8a\x67\x91\xe5", &a, &b, small, sizeof small));
  EXPECT_STREQ(small, "\x8a\x67");
}

} // namespace

// The CMDL tokenizer, word table and reply formats.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "commands/cmdl/cmdl.h"

namespace {
std::string split(const char *in, int want_words) {
  char line[600];
  std::strcpy(line, in);
  char *w[CMDL_WORDS + 1];
  EXPECT_EQ(dde_token(line, w), 21);
  std::string out;
  for (int i = 0; i < want_words; i++)
    out += std::string("[") + w[i] + "]";
  for (int i = want_words; i <= CMDL_WORDS; i++)
    EXPECT_STREQ(w[i], "") << in << " slot " << i;
  return out;
}
} // namespace

TEST(CmdlToken, Splits) {
  struct {
    const char *in;
    int n;
    const char *want;
  } cases[] = {
      {"LINE 0,0,10,10", 5, "[LINE][0][0][10][10]"},
      {"  LINE\t0 ,, 0  10,10  ", 5, "[LINE][0][0][10][10]"},
      {"CHAR 1 2 0 'A B' 0", 6, "[CHAR][1][2][0][A B][0]"},
      {"PRMPT \"a, b\"", 2, "[PRMPT][a, b]"},
      {"PRMPT \"open to the end", 2, "[PRMPT][open to the end]"},
      {"CHAUP 3 abc\r\n", 3, "[CHAUP][3][abc]"},
      {"CHAUP 3 'abc'\r\n", 3, "[CHAUP][3][abc]"},
      {"init\r\n", 1, "[init]"},
      {"", 0, ""},
      {" , \t", 0, ""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(split(c.in, c.n), c.want) << c.in;
}

TEST(CmdlToken, AtMostTwentyWords) {
  std::string line;
  for (int i = 0; i < 30; i++)
    line += std::to_string(i) + " ";
  char buf[200];
  std::strcpy(buf, line.c_str());
  char *w[CMDL_WORDS + 1];
  dde_token(buf, w);
  EXPECT_STREQ(w[19], "19");
  EXPECT_STREQ(w[20], "");
}

TEST(CmdlWords, TableOrderAndCase) {
  EXPECT_EQ(dde_wordcount(), 49);
  EXPECT_EQ(dde_word("init"), 1);
  EXPECT_EQ(dde_word("Term"), 2);
  EXPECT_EQ(dde_word("CHAR"), 8);
  EXPECT_EQ(dde_word("CHARD"), 26);
  EXPECT_EQ(dde_word("ELMRD"), 45);
  EXPECT_EQ(dde_word("dimastyl"), 49);
  EXPECT_EQ(dde_word("LIN"), 0);
  EXPECT_EQ(dde_word("LINES"), 0);
  EXPECT_EQ(dde_word(""), 0);
  // Codes 1 .. 49 each once.
  bool seen[50] = {};
  for (int i = 0, code; dde_wordat(i, &code); i++) {
    ASSERT_TRUE(code >= 1 && code <= 49);
    EXPECT_FALSE(seen[code]);
    seen[code] = true;
  }
}

TEST(CmdlWords, Numbers) {
  EXPECT_EQ(dde_int("0x10"), 16);
  EXPECT_EQ(dde_int("020"), 16);
  EXPECT_EQ(dde_int("16"), 16);
  EXPECT_EQ(dde_int("abc"), 0);
  EXPECT_EQ(dde_int("-3"), -3);
  for (const char *bad : {"nan", "inf", "-inf", "1e999", "NAN"}) {
    bool ok = true;
    dde_real(bad, &ok);
    EXPECT_FALSE(ok) << bad;
  }
  bool ok = true;
  EXPECT_EQ(dde_real("2.5", &ok), 2.5);
  EXPECT_EQ(dde_real("x", &ok), 0);
  EXPECT_TRUE(ok);
}

TEST(CmdlFormat, Kinds) {
  ElementRecord r{};
  char out[CMDL_REPLYMAX];
  r.kind = PNT;
  r.pnt.x = 3;
  r.pnt.y = 4.5;
  EXPECT_EQ(dde_fmtelm(7, &r, "", out, sizeof out), 0);
  EXPECT_STREQ(out, "7 1 3 4.5");
  r = {};
  r.kind = LIN;
  r.lin.x2 = 10;
  r.lin.y2 = 10;
  EXPECT_EQ(dde_fmtelm(2, &r, "", out, sizeof out), 0);
  EXPECT_STREQ(out, "2 2 0 0 10 10");
  r = {};
  r.kind = ARC;
  r.arc.cx = r.arc.cy = 5;
  r.arc.r = 3;
  r.arc.start = -10;
  r.arc.end = 10;
  EXPECT_EQ(dde_fmtelm(3, &r, "", out, sizeof out), 0);
  EXPECT_STREQ(out, "3 4 5 5 3 -10 10");
  r = {};
  r.kind = CHR;
  r.chr.x = 1;
  r.chr.y = 2;
  EXPECT_EQ(dde_fmtelm(4, &r, "A B", out, sizeof out), 0);
  EXPECT_STREQ(out, "4 8 1 2 \"A B\"");
  r.kind = NOD;
  EXPECT_EQ(dde_fmtelm(4, &r, "", out, sizeof out), 1001);
  EXPECT_STREQ(out, "-1");
  EXPECT_EQ(dde_fmtelm(-5, &r, "", out, sizeof out), 1002);
  EXPECT_STREQ(out, "-5");
}

TEST(CmdlFormat, LongTextCutAtCharacter) {
  ElementRecord r{};
  r.kind = CHR;
  std::string text(2000, 'a');
  text[1013] = '\x82'; // a double-byte character across the cut
  text[1014] = '\xa0';
  char out[CMDL_REPLYMAX];
  dde_fmtelm(1, &r, text.c_str(), out, sizeof out);
  const size_t n = std::strlen(out);
  EXPECT_LT(n, sizeof out);
  EXPECT_EQ(out[n - 1], '"');
  // "1 8 0 0 \"" is 9 bytes: the text may fill 1014 bytes, which ends inside the pair.
  EXPECT_EQ(n, 9u + 1013u + 1u);
}

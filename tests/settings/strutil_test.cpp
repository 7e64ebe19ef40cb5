#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/strutil.h"

namespace {

std::string trimmed(int flags, const char *in) {
  char buf[64];
  std::strcpy(buf, in);
  EXPECT_EQ(str_trim(flags, buf), 0);
  return buf;
}

} // namespace

TEST(StrTrim, Flags) {
  struct Case {
    int flags;
    const char *in, *out;
  } cases[] = {
      {7, "  AB\tCD", "AB"},
      {1, "  AB ", "AB "},
      {2, "  AB \t", "  AB"},
      {3, " \t AB CD \t", "AB CD"},
      {4, "  AB CD", "AB"},
      {3, "   ", ""},
      {3, "", ""},
      {2, "表 ", "表"},
      {4, "表示 x", "表示"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(trimmed(c.flags, c.in), c.out) << c.in << " flags " << c.flags;
}

TEST(StrCase, DoubleByteCharactersStayWhole) {
  char text[] = "ab\x82\x61"
                "cd"; // 0x82 0x61 is a full-width letter, not "a"
  str_upper(text);
  EXPECT_STREQ(text, "AB\x82\x61"
                     "CD");
  char up[] = "AB\x82\x41"
              "Z"; // trail byte 0x41 is not "A"
  str_lower(up);
  EXPECT_STREQ(up, "ab\x82\x41"
                   "z");
}

TEST(StrDblamp, DoublesAmpersandsWithinSize) {
  // A guard byte after the size + 1 bytes must stay untouched.
  char buf[6];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(str_dblamp("A&B", buf, 4), 1);
  EXPECT_STREQ(buf, "A&&B");
  EXPECT_EQ(buf[5], '#');

  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(str_dblamp("A&B", buf, 3), 0);
  EXPECT_STREQ(buf, "A&B");
  EXPECT_EQ(buf[4], '#');
}

TEST(StrDblamp, Cases) {
  struct Case {
    const char *in;
    std::size_t size;
    int ret;
    const char *out;
  } cases[] = {
      {"", 0, 1, ""},
      {"&&", 4, 1, "&&&&"},
      {"&&", 3, 0, "&&&"},
      {"ABCDE", 3, 0, "ABC"},      // source longer than size: cut, 0
      {"表&", 4, 1, "表&&"},       // 0x95 0x5C then &
      {"\x82&x", 8, 1, "\x82&&x"}, // 0x26 is no trail byte, so no pair
      {"ソ&", 2, 0, "ソ"},         // the pair is kept whole
      {"ソ", 1, 0, ""},            // never half a pair
  };
  for (const auto &c : cases) {
    char buf[32];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(str_dblamp(c.in, buf, c.size), c.ret) << c.in;
    EXPECT_STREQ(buf, c.out) << c.in;
  }
}

TEST(PathOps, Parts) {
  struct Case {
    int (*fn)(const char *, char *, std::size_t);
    const char *name, *in, *out;
  } cases[] = {
      {pth_dir, "dir", "C:\\a\\b.txt", "C:\\a\\"},
      {pth_dir, "dir", "C:\\b.txt", "C:\\"},
      {pth_dir, "dir", "b.txt", ""},
      {pth_dir, "dir", "\\\\srv\\share\\f", "\\\\srv\\share\\"},
      {pth_dir, "dir", "C:\\表\\ソ.txt", "C:\\表\\"},
      {pth_dir, "dir", "C:\\表", "C:\\"},
      {pth_dirnodrv, "dirnodrv", "C:\\a\\b.txt", "\\a\\"},
      {pth_dirnodrv, "dirnodrv", "\\a\\b.txt", "\\a\\"},
      {pth_fname, "fname", "C:\\a\\b.txt", "b.txt"},
      {pth_fname, "fname", "C:b.txt", "b.txt"},
      {pth_fname, "fname", "C:\\表", "表"},
      {pth_title, "title", "C:\\x\\name.tar.gz", "name.tar"},
      {pth_title, "title", "C:\\x.d\\name", "name"},
      {pth_ext, "ext", "C:\\a\\b.KSL", ".KSL"},
      {pth_ext, "ext", "C:\\a\\b", ""},
      {pth_ext, "ext", "C:\\a.d\\b", ""},
      {pth_noext, "noext", "C:\\a\\b.KSL", "C:\\a\\b"},
  };
  for (const auto &c : cases) {
    char buf[PATH_BUF];
    EXPECT_EQ(c.fn(c.in, buf, sizeof buf), 0) << c.name << " " << c.in;
    EXPECT_STREQ(buf, c.out) << c.name << " " << c.in;
  }
}

TEST(PathOps, TrailBackslashIsNoSeparator) {
  char buf[PATH_BUF];
  // "C:\表" ends in 0x95 0x5C: the name is 表, the folder C:\ .
  pth_dir("C:\\dir\\表", buf, sizeof buf);
  EXPECT_STREQ(buf, "C:\\dir\\");
  EXPECT_FALSE(pth_endsbs("C:\\表"));
  EXPECT_TRUE(pth_endsbs("C:\\表\\"));
  EXPECT_EQ(pth_addbs("C:\\表"), "C:\\表\\");
  EXPECT_EQ(pth_addbs("C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(pth_addbs(""), "");
}

TEST(PathOps, NothingWritesPastTheBuffer) {
  char buf[8];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(pth_dir("C:\\folder\\file.txt", buf, 6), 1);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(buf[6], '#');
  EXPECT_EQ(pth_fname("C:\\x\\abcdefgh", buf, 8), 1);
  EXPECT_STREQ(buf, "");

  char path[11] = "C:\\a\\b.txt";
  EXPECT_EQ(pth_renext(path, sizeof path, ".KSLX"), 1);
  EXPECT_STREQ(path, "C:\\a\\b.txt");
  EXPECT_EQ(pth_renext(path, sizeof path, ".KSL"), 0);
  EXPECT_STREQ(path, "C:\\a\\b.KSL");
}

TEST(PathOps, Drive) {
  char buf[PATH_BUF];
  EXPECT_EQ(pth_drive("d:\\x", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "d:");
  EXPECT_EQ(pth_drive("\\\\server\\share\\x", buf, sizeof buf), -1);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(pth_drive("1:\\x", buf, sizeof buf), -1);
}

TEST(StringHelpers, TrimJs) {
  EXPECT_EQ(str_trimjs(" \x81\x40 AB \x81\x40"), "AB");
  EXPECT_EQ(str_trimjs("\x81\x40 \x81\x40"), "");
  EXPECT_EQ(str_trimjs("表 "), "表");
  EXPECT_EQ(str_trimjs("A B"), "A B");
}

TEST(StringHelpers, Split) {
  using V = std::vector<std::string>;
  EXPECT_EQ(str_split("a;;b"), (V{"a", "", "b"}));
  EXPECT_EQ(str_split("a;b;"), (V{"a", "b"}));
  EXPECT_EQ(str_split("abc"), (V{"abc"}));
  EXPECT_EQ(str_split(""), V{});
}

TEST(StringHelpers, ChangeExtension) {
  EXPECT_EQ(pth_chgext("C:\\a\\b.txt", ".KSL"), "C:\\a\\b.KSL");
  EXPECT_EQ(pth_chgext("C:\\a.d\\b", ".KSL"), "C:\\a.KSL"); // cuts at the last '.' of the whole path
  EXPECT_EQ(pth_chgext("C:\\a\\b.txt", "KSL"), "C:\\a\\bKSL");
  EXPECT_EQ(pth_chgext("C:\\a\\b.txt", "x.KSL"), "C:\\a\\b.KSL");
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/rarustr.h"

namespace {

// "印" is 0x88 0xF3 in Shift-JIS.
const std::string IN = "\x88\xF3";

std::string repeat(const std::string &s, int n) {
  std::string r;
  for (int i = 0; i < n; i++)
    r += s;
  return r;
}

TEST(RaruStr, CopyKeepsWholeCharactersWithinTheWidth) {
  struct Case {
    std::string src;
    std::size_t width;
    std::string want;
  } cases[] = {
      {"abc", 24, "abc"},
      {repeat("x", 30), 24, repeat("x", 23)},
      {"a" + repeat(IN, 14) + "b", 24, "a" + repeat(IN, 11)},         // 23 bytes
      {repeat(IN, 15), 24, repeat(IN, 11)},                             // 22: the 12th would be cut
      {"", 24, ""},
      {"ab" + IN, 4, "ab"},
      {std::string("\x88", 1), 24, std::string("\x88", 1)}, // a lone lead byte is one byte
  };
  for (const auto &c : cases) {
    char dst[300];
    std::memset(dst, 'Z', sizeof dst);
    const std::size_t n = raru_copycut(dst, c.width, c.src.c_str());
    EXPECT_EQ(std::string(dst), c.want) << c.src;
    EXPECT_EQ(n, c.want.size());
  }
}

TEST(RaruStr, CopyStopsAtTheSourceLength) {
  char dst[24];
  const char raw[4] = {'a', 'b', 'c', 'd'}; // no terminator
  EXPECT_EQ(raru_copycut(dst, sizeof dst, raw, 3), 3u);
  EXPECT_STREQ(dst, "abc");
  // A pair cut by the source length is not taken half.
  const std::string s = "a" + IN;
  EXPECT_EQ(raru_copycut(dst, sizeof dst, s.c_str(), 2), 1u);
}

TEST(RaruStr, FieldsCompareWithinTheirWidths) {
  char field[24];
  std::memset(field, 'n', sizeof field); // 24 bytes, no terminator
  EXPECT_FALSE(raru_fieldeq(field, 24, "nnn", 24));
  std::memcpy(field, "owner\0garbage", 13);
  EXPECT_TRUE(raru_fieldeq(field, 24, "owner", 24));
  EXPECT_FALSE(raru_fieldeq(field, 24, "own", 24));
  EXPECT_FALSE(raru_fieldeq(field, 24, "", 24));
  char empty[20] = {};
  EXPECT_TRUE(raru_fieldeq(empty, 20, "", 20));
}

TEST(RaruStr, JoinIsBoundedToAPathBuffer) {
  char dst[RARU_PATH];
  EXPECT_TRUE(raru_join(dst, "C:\\seals", "a.ksl"));
  EXPECT_STREQ(dst, "C:\\seals\\a.ksl");
  const std::string folder(255, 'f');
  EXPECT_TRUE(raru_join(dst, folder.c_str(), "12345")); // 255 + 1 + 5 + NUL = 262
  EXPECT_FALSE(raru_join(dst, folder.c_str(), "123456"));
  EXPECT_STREQ(dst, "");
}

TEST(RaruStr, FolderOfAPathIsDoubleByteAware) {
  char dst[RARU_PATH];
  raru_dirof("C:\\host\\stampix.dll", dst);
  EXPECT_STREQ(dst, "C:\\host\\");
  // "ソ" (0x83 0x5C) ends in a backslash byte that is no separator.
  raru_dirof("C:\\\x83\x5C.dll", dst);
  EXPECT_STREQ(dst, "C:\\");
  raru_dirof("stampix.dll", dst);
  EXPECT_STREQ(dst, "");
}

TEST(RaruStr, NumbersAreLeadingDigits) {
  EXPECT_EQ(raru_atoi("12x"), 12);
  EXPECT_EQ(raru_atoi("x"), 0);
  EXPECT_EQ(raru_atoi(""), 0);
  EXPECT_EQ(raru_atoi("-3"), -3);
  EXPECT_EQ(raru_atoi("99999999999"), 2147483647);
}

} // namespace

TEST(RaruStr, NameMarksCountOnlyAsWholeCharacters) {
  struct Case {
    const char *name;
    bool bad;
  } cases[] = {
      {"abc", false},       {"a_b", true},          {"@x", true},           {"x^", true},
      {"[", true},          {"]", true},            {"a|b", true},          {"", false},
      {"\x81\x40", false},  // full-width space: second byte '@'
      {"\x81\x5B", false},  // long vowel mark: second byte '['
      {"\x81\x5F", false},  // full-width backslash: second byte '_'
      {"\x81\x7C", false},  // minus: second byte '|'
      {"\x81\x40_", true},
  };
  for (const auto &c : cases)
    EXPECT_EQ(raru_badname(c.name), c.bad) << c.name;
}

TEST(RaruStr, PasswordsAreLettersAndDigits) {
  EXPECT_TRUE(raru_alnum("abcXYZ09"));
  EXPECT_TRUE(raru_alnum(""));
  for (const char *bad : {"ab c", "a-b", "a_b", "\x82\x60", "pass!", "\xb1"})
    EXPECT_FALSE(raru_alnum(bad)) << bad;
}

TEST(RaruStr, NamesTheSettingsFileWouldChangeAreKnown) {
  struct Case {
    const char *name;
    bool keeps;
  } cases[] = {
      {"ab", true},         {"a b", true},         {"O'Brien", true},     {"a\"b", true},
      {"\x8E\x52\x81\x40\x93\x63", true},            // full-width space inside
      {"\x83\x5C", true},                           // a pair whose second byte is '\'
      {"\x82\xA0", true},                           // a pair whose first byte would be 0x82
      {"ab ", false},       {" ab", false},        {" ", false},          {"\"ab\"", false},
      {"'ab'", false},      {"'ab", false},        {"ab\"", false},       {"ab\t", false},
      {"a\tb", false},      {"a\x1A", false},      {"a\x7F" "b", false},
      {"\x81\x40\x8E\x52", false},                  // full-width space in front
      {"\x8E\x52\x81\x40", false},                  // and behind
      {"ab\xA0", false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(raru_keepsname(c.name), c.keeps) << c.name;
}

TEST(RaruStr, ColourIndexStaysInRange) {
  for (int32_t v : {0, 1, 2})
    EXPECT_EQ(raru_colourindex(v), v);
  for (int32_t v : {3, -1, INT32_MAX, INT32_MIN})
    EXPECT_EQ(raru_colourindex(v), 2) << v;
}

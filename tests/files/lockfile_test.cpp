#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files/lockfile.h"

namespace {
LockHolder parse(const std::string &s, int *rc = nullptr) {
  LockHolder h;
  std::memset(&h, 0x55, sizeof h);
  const int r = lck_parse(s.data(), s.size(), &h);
  if (rc)
    *rc = r;
  return h;
}
} // namespace

TEST(LockFile, FormatIsThreeCrLfLines) {
  LockHolder h{};
  std::strcpy(h.user, "DOM\\taro");
  std::strcpy(h.host, "PC01");
  h.time = {2026, 3, 0, 9, 7, 5, 4, 0};
  char out[1600];
  const std::size_t n = lck_format(h, out, sizeof out);
  EXPECT_EQ(std::string(out, n), "user: DOM\\taro\r\nhost: PC01\r\ntime: 2026/03/09 07:05:04\r\n");
  int rc = -1;
  LockHolder back = parse(std::string(out, n), &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_STREQ(back.user, "DOM\\taro");
  EXPECT_STREQ(back.host, "PC01");
  EXPECT_EQ(back.time.year, 2026);
  EXPECT_EQ(back.time.second, 4);
  EXPECT_EQ(back.time.dayofweek, 0);
  char path[LCK_PATHMAX];
  EXPECT_EQ(lck_path("C:\\s\\A.KSL", path), 0);
  EXPECT_STREQ(path, "C:\\s\\A.KSL.cslock");
  EXPECT_EQ(lck_path(std::string(300, 'a').c_str(), path), 1);
  EXPECT_STREQ(path, "");
}

TEST(LockFile, ReadingCases) {
  // LF alone never ends a line: the user field takes the rest of the file.
  LockHolder h = parse("user: a\nhost: b\ntime: 2020/01/02 03:04:05\n");
  EXPECT_STREQ(h.user, "ahost: btime: 2020/01/02 03:04:05");
  EXPECT_STREQ(h.host, "");
  EXPECT_EQ(h.time.year, 0);
  // No time line: zero time, result 0.
  int rc = -1;
  h = parse("user: u\r\nhost: h\r\n", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_STREQ(h.user, "u");
  EXPECT_STREQ(h.host, "h");
  EXPECT_EQ(h.time.year, 0);
  // LF CR ends a line too; a later line of a kind replaces an earlier; others skipped.
  h = parse("junk\n\ruser: x\n\ruser: y\r\nhost: z\r\ntime: 1999/12/31 23:59:59\r\n");
  EXPECT_STREQ(h.user, "y");
  EXPECT_EQ(h.time.month, 12);
  // A time keeps the fields before the first bad one.
  h = parse("time: 2021/13/01 00:00:00\r\n");
  EXPECT_EQ(h.time.year, 2021);
  EXPECT_EQ(h.time.month, 0);
  h = parse("time: 2021/07\r\n");
  EXPECT_EQ(h.time.month, 7);
  EXPECT_EQ(h.time.day, 0);
}

TEST(LockFile, HostileLinesStayInsideTheirFields) {
  // 600 characters: a line of 512 and a further one of 88.
  std::string s = "user: " + std::string(594, 'u') + "\r\n";
  LockHolder h = parse(s);
  EXPECT_EQ(std::strlen(h.user), 259u);
  // 512 bytes of a line, cut to the field without splitting a double-byte character.
  std::string sj = "host: ";
  while (sj.size() < 700)
    sj += "\x88\xa2"; // one character
  h = parse("host: x" + sj.substr(6) + "\r\n");
  const std::size_t n = std::strlen(h.host);
  EXPECT_LE(n, 259u);
  EXPECT_EQ(n % 2, 1u); // "x" and whole pairs
  // Numbers far too long, NULs and no line ends at all.
  h = parse("time: 99999999999999999999/1/1 1:1:1\r\n");
  EXPECT_EQ(h.time.year, 9999);
  EXPECT_EQ(h.time.month, 0);
  std::string nul("user: a\0b\r\n", 11);
  h = parse(nul);
  EXPECT_STREQ(h.user, "a");
  h = parse(std::string(100000, '\r'));
  EXPECT_STREQ(h.user, "");
}

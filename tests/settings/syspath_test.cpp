#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/syspath.h"

namespace {

// A system with TMP = C:\Temp\Long Name and removable drives A: and F:.
bool fake_env(const char *name, char *out, std::size_t size) {
  if (std::strcmp(name, "TMP") == 0) {
    std::strncpy(out, "C:\\Temp\\Long Name", size);
    return true;
  }
  if (std::strcmp(name, "HUGE") == 0) {
    std::string v(250, 'h');
    std::strncpy(out, v.c_str(), size);
    return true;
  }
  return false;
}
char fake_removable(int n) { return n == 1 ? 'A' : n == 2 ? 'F' : 0; }
const PathLookup fake = {fake_env, fake_removable};

TEST(PathExpand, Table) {
  struct Case {
    const char *stored, *want;
  } cases[] = {
      {"%TMP%", "C:\\Temp\\Long Name\\"},
      {"%tmp%LOG", "C:\\Temp\\Long NameLOG\\"},
      {"%UNSET%", ""},
      {"X%UNSET%Y", "XY\\"},
      {"%FD1%", "A:"},
      {"%FD2%DATA\\", "F:DATA\\"},
      {"%FD3%", ""},
      {"%FD0%", ""},
      {"D:\\DATA", "D:\\DATA\\"},
      {"D:", "D:"},
      {"%TMP%a%TMP%", "C:\\Temp\\Long Namea%TMP%\\"}, // only the first pair expands
      {"%TMP", "C:\\Temp\\Long Name\\"},
      {"", ""},
      {"表", "表\\"}, // 0x5C trail byte is not a backslash
  };
  for (const Case &c : cases) {
    char out[262];
    EXPECT_EQ(pth_expand(c.stored, out, sizeof out, fake), 0) << c.stored;
    EXPECT_STREQ(out, c.want) << c.stored;
  }
}

TEST(PathExpand, OverlongResultGivesOneWithoutOverrun) {
  char out[262 + 8];
  std::memset(out, 'Z', sizeof out);
  EXPECT_EQ(pth_expand("%HUGE%0123456789ABCDEF", out, 262, fake), 1);
  EXPECT_STREQ(out, "");
  for (std::size_t i = 262; i < sizeof out; i++)
    EXPECT_EQ(out[i], 'Z');
  // Exactly filling: 260 characters plus the backslash fit.
  std::string s(260, 'p');
  EXPECT_EQ(pth_expand(s.c_str(), out, 262, fake), 0);
  EXPECT_EQ(std::strlen(out), 261u);
}

TEST(PathTable, StoresUnexpandedAndBoundsEntries) {
  sys_pathset(20, "%TMP%X");
  EXPECT_STREQ(sys_pathraw(20), "%TMP%X");
  EXPECT_STREQ(sys_pathraw(31), "");
  char buf[262] = "second";
  EXPECT_EQ(sys_path2('W', 29, buf), 0);
  char back[262];
  EXPECT_EQ(sys_path2('r', 29, back), 0);
  EXPECT_STREQ(back, "second");
  EXPECT_EQ(sys_path2('R', 30, back), 1);
  EXPECT_EQ(sys_path2('x', 0, back), 1);
}

TEST(PathShort, Table) {
  struct Case {
    const char *path, *want;
  } cases[] = {
      {"C:\\a\\b\\c\\f.txt", "C:\\a\\b\\c\\f.txt"},
      {"C:\\first folder\\second folder\\third folder\\fourth folder\\file.sel",
       "C:\\first folder\\...\\fourth folder\\file.sel"},
      {"C:\\first folder\\second folder\\third folder\\fourth folder\\", "C:\\first folder\\...\\fourth folder\\"},
      {"C:\\short\\f.txt", "C:\\short\\f.txt"},
  };
  for (const Case &c : cases) {
    char out[260];
    EXPECT_EQ(pth_short(c.path, out), 0);
    EXPECT_STREQ(out, c.want);
  }
  char out[260];
  EXPECT_EQ(pth_short("", out), -1);
  EXPECT_EQ(pth_short(nullptr, out), -1);
}

TEST(PathBslash, DoubleByteAware) {
  char p[32] = "C:\\DIR";
  pth_bslash(1, p);
  EXPECT_STREQ(p, "C:\\DIR\\");
  pth_bslash(1, p);
  EXPECT_STREQ(p, "C:\\DIR\\");
  pth_bslash(0, p);
  EXPECT_STREQ(p, "C:\\DIR");
  char q[32] = "C:\\表";
  pth_bslash(0, q);
  EXPECT_STREQ(q, "C:\\表");
  pth_bslash(1, q);
  EXPECT_STREQ(q, "C:\\表\\");
  pth_bslash(1, nullptr);
}

} // namespace

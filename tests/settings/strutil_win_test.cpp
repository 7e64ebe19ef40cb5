#include <gtest/gtest.h>

#include <windows.h>

#include "settings/strutil.h"

TEST(PathExists, UsesTheFileSystem) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  EXPECT_TRUE(pth_exists(dir));
  EXPECT_FALSE(pth_exists(""));
  EXPECT_FALSE(pth_exists(std::string(dir) + "no-such-file-here.xyz"));
}

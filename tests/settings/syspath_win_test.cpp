#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/answers.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/syspath.h"
#include "testfiles.h"

namespace {

std::string long_env(const char *name) {
  char v[262], l[262];
  if (!GetEnvironmentVariableA(name, v, sizeof v) || !GetLongPathNameA(v, l, sizeof l))
    return "";
  return l;
}

// A drive letter that names no drive.
char missing_drive() {
  for (char c = 'q'; c <= 'y'; c++) {
    char root[4] = {c, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
      return c;
  }
  return 0;
}

TEST(SysPath, ReadsExpandEnvironmentAndWindowsFolder) {
  const std::string tmp = long_env("TMP");
  ASSERT_FALSE(tmp.empty());
  char buf[262] = "%TMP%";
  ASSERT_EQ(sys_path('W', 20, buf), 0);
  ASSERT_EQ(sys_path('R', 20, buf), 0);
  EXPECT_EQ(std::string(buf), tmp + "\\");
  std::strcpy(buf, "%tmp%LOG");
  sys_path('w', 20, buf);
  sys_path('r', 20, buf);
  EXPECT_EQ(std::string(buf), tmp + "LOG\\");
  std::strcpy(buf, "%INK_SURELY_UNSET%");
  sys_path('W', 20, buf);
  sys_path('R', 20, buf);
  EXPECT_STREQ(buf, "");

  char win[MAX_PATH];
  GetWindowsDirectoryA(win, sizeof win);
  EXPECT_EQ(sys_path('R', 31, buf), 0);
  EXPECT_EQ(std::string(buf), std::string(win) + "\\");
  EXPECT_EQ(sys_path('W', 31, buf), 0);
  EXPECT_EQ(sys_path('R', 32, buf), 1);
  EXPECT_EQ(sys_path('R', -1, buf), 1);
  EXPECT_EQ(sys_path('x', 1, buf), 1);

  sys_pathset(3, "");
  sys_pathset(1, "D:\\DATA");
  sys_path('R', 3, buf);
  EXPECT_STREQ(buf, "D:\\DATA\\");
}

TEST(SysPath, OverlongVariableGivesOneAndNoOverrun) {
  std::string dir = ::testing::TempDir();
  // A value that fits the variable but not the entry once the stored tail is added.
  std::string tail(200, 'T');
  sys_pathset(21, ("%TMP%" + tail).c_str());
  std::vector<char> buf(262 + 16, 'Z');
  const std::string tmp = long_env("TMP");
  int want = tmp.size() + tail.size() + 2 > 262 ? 1 : 0;
  EXPECT_EQ(sys_path('R', 21, buf.data()), want);
  for (std::size_t i = 262; i < buf.size(); i++)
    EXPECT_EQ(buf[i], 'Z');
}

TEST(PathCheck, Cases) {
  const std::string tmp = ::testing::TempDir();
  char drive = missing_drive();
  ASSERT_NE(drive, 0);
  struct Case {
    std::string path;
    int want;
  } cases[] = {
      {"", 0},
      {"1abc\\", 1},
      {std::string(1, drive) + ":\\DATA\\", 1},
      {"C:\\", 0},
      {"c:", 0},
      {"C:\\ink-no-such-folder\\", 2},
      {"C:\\ink-no-such-folder", 0}, // no trailing backslash: the drive alone counts
      {tmp, 0},
      {"C:  \\windows\\  ", 0},
      {"\\\\ink-no-server\\share\\", 2},
  };
  for (const Case &c : cases)
    EXPECT_EQ(pth_chkdir(c.path.c_str()), c.want) << c.path;
}

TEST(PathFind, FirstMatchWithItsFolder) {
  TempFile f("ink-find-me.pthf", "x");
  char buf[262];
  const std::string dir = ::testing::TempDir();
  EXPECT_EQ(pth_find((dir + "*.pthf").c_str(), buf), 1);
  EXPECT_EQ(std::string(buf), dir + "ink-find-me.pthf");
  EXPECT_EQ(pth_find((dir + "*.nomatch").c_str(), buf), 0);
  EXPECT_STREQ(buf, "");
}

TEST(PathLongDir, RebuildsFolderPartWithLongNames) {
  const std::string dir = ::testing::TempDir() + "Ink Long Folder Name";
  CreateDirectoryA(dir.c_str(), nullptr);
  char shortname[MAX_PATH] = "";
  GetShortPathNameA(dir.c_str(), shortname, sizeof shortname);
  char buf[264];
  pth_longdir((std::string(shortname) + "\\file.txt").c_str(), buf);
  char longdir[MAX_PATH];
  GetLongPathNameA(dir.c_str(), longdir, sizeof longdir);
  EXPECT_EQ(std::string(buf), std::string(longdir) + "\\");
  RemoveDirectoryA(dir.c_str());
}

struct BoardLog {
  std::vector<std::string> texts;
  BoardLog() {
    ui_setresponder([this](const UiQuestion &q) {
      if (q.kind == UI_BOARD)
        texts.push_back(std::string(q.heading) + "|" + q.text);
      return 0;
    });
  }
  ~BoardLog() { ui_setresponder(nullptr); }
};

TEST(StartUp, RunsOnDefaultsAndReportsBadDrives) {
  char progdir[264];
  pth_progdir(progdir);
  const std::string settings = std::string(progdir) + "inkforge.sys";
  char oldtmp[262] = "";
  GetEnvironmentVariableA("TMP", oldtmp, sizeof oldtmp);
  {
    BoardLog boards;
    DeleteFileA(settings.c_str());
    EXPECT_EQ(sys_stup(), 0);
    EXPECT_TRUE(boards.texts.empty());
    EXPECT_STREQ(prf_path(), settings.c_str());
    char buf[262];
    sys_path('R', 6, buf);
    EXPECT_STREQ(buf, progdir);
    EXPECT_STREQ(sys_pathraw(4), "%TMP%");
    EXPECT_STREQ(sys_pathraw(5), "PLT\\");
    EXPECT_STREQ(sys_pathraw(17), "MCN\\");
    EXPECT_EQ(Palette[19], RGB(0, 0, 0)); // seal table, white background
    PaperBlock paper;
    sys_paper('R', &paper);
    EXPECT_EQ(paper.width[3], 420);
    EXPECT_EQ(paper.height[10], 257);
  }
  {
    // A bad data drive reaches the board and start-up goes on; an empty work drive
    // becomes the program folder.
    WritePrivateProfileStringA("SYSTEMU", "DATADRV", "1:\\DATA\\", settings.c_str());
    WritePrivateProfileStringA("SYSTEMU", "UNDOSIZE", "1234", settings.c_str());
    SetEnvironmentVariableA("TMP", "Q:\\ink-no-such-tmp");
    BoardLog boards;
    EXPECT_EQ(sys_stup(), 0);
    SetEnvironmentVariableA("TMP", oldtmp);
    ASSERT_EQ(boards.texts.size(), 1u);
    EXPECT_EQ(boards.texts[0], "エラー|データドライブのドライブ名が不正です。\nシステム設定で設定してください。");
    EXPECT_STREQ(sys_pathraw(4), progdir);
    SystemBlock sb;
    sys_sysprm('R', &sb);
    EXPECT_EQ(+sb.undosize, 1234u);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings.c_str());
    DeleteFileA(settings.c_str());
  }
  {
    // A work drive too long to expand is reported and kept, not taken for an empty one.
    const std::string overlong = "%TMP%\\" + std::string(240, 'W') + "\\";
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", overlong.c_str(), settings.c_str());
    BoardLog boards;
    EXPECT_EQ(sys_stup(), 0);
    ASSERT_EQ(boards.texts.size(), 1u);
    EXPECT_EQ(boards.texts[0], "エラー|ワークドライブのディレクトリ名が不正です\nシステム設定で設定してください。");
    EXPECT_EQ(std::string(sys_pathraw(4)), overlong);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings.c_str());
    DeleteFileA(settings.c_str());
  }
  {
    sys_pathset(2, "C:\\ink-no-such-macro\\");
    // The check runs on a fresh start-up only; check the message form directly.
    BoardLog boards;
    WritePrivateProfileStringA("SYSTEMU", "DATADRV", "C:\\ink-no-such-data\\", settings.c_str());
    EXPECT_EQ(sys_stup(), 0);
    ASSERT_EQ(boards.texts.size(), 1u);
    EXPECT_EQ(boards.texts[0], "エラー|データドライブのディレクトリ名が不正です\nシステム設定で設定してください。");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings.c_str());
    DeleteFileA(settings.c_str());
  }
}

} // namespace

// The command line's effects at start-up: the record, the trace mode, the refusal.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "settings/answers.h"
#include "settings/dbgtrace.h"
#include "shell/app/appcmd.h"
#include "shell/app/appcmd_win.h"

namespace {

DWORD action() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", "Action", RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS)
    return 0xFFFFFFFF;
  return value;
}

struct Boards {
  std::vector<std::string> texts;
  Boards() {
    ui_setresponder([this](const UiQuestion &q) {
      texts.push_back(q.text);
      return 0;
    });
  }
  ~Boards() { ui_setresponder(nullptr); }
};

TEST(StartupCommandLine, OptionFAloneRefusesTheStart) {
  Boards boards;
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT");
  EXPECT_EQ(app_cmdline(GetModuleHandleA(nullptr), "a.ksl /F"), 1);
  EXPECT_EQ(action(), 100u);
  ASSERT_EQ(boards.texts.size(), 1u);
  EXPECT_EQ(boards.texts[0], "本起動オプションでは実行できません");
}

std::string here_file(const char *name) {
  char dir[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof dir, dir);
  std::string d = dir;
  if (!d.empty() && d.back() != '\\')
    d += '\\';
  return d + name;
}

TEST(StartupCommandLine, FilesAndTraceModeAreKept) {
  Boards boards;
  dbg_mode = 5;
  EXPECT_EQ(app_cmdline(GetModuleHandleA(nullptr), "/Fx \"c:\\a b.ksl\" d.ksl e.ksl"), 0);
  EXPECT_EQ(AppArgs.count, 2);
  EXPECT_STREQ(AppArgs.files[0], "c:\\a b.ksl");
  // A name without a folder is the file in the folder the editor starts in.
  EXPECT_EQ(std::string(AppArgs.files[1]), here_file("d.ksl"));
  EXPECT_EQ(dbg_mode, 0); // no /D: the trace is off
  EXPECT_EQ(app_cmdline(GetModuleHandleA(nullptr), "/D2"), 0);
  EXPECT_EQ(dbg_mode, 2);
  EXPECT_EQ(AppArgs.count, 0);
  dbg_mode = 0;
  EXPECT_TRUE(boards.texts.empty());
}

TEST(StartupCommandLine, AnOverlongNameIsLeftOutWithAWarning) {
  Boards boards;
  const std::string over(APP_NAMELEN + 10, 'x');
  EXPECT_EQ(app_cmdline(GetModuleHandleA(nullptr), (over + " b.ksl").c_str()), 0);
  EXPECT_EQ(AppArgs.count, 1);
  EXPECT_EQ(std::string(AppArgs.files[0]), here_file("b.ksl"));
  EXPECT_EQ(boards.texts.size(), 1u);
  // A relative name that becomes too long with the start folder is left out the same way.
  const std::string deep(MAX_PATH - 6, 'y');
  EXPECT_EQ(app_cmdline(GetModuleHandleA(nullptr), (deep + " b.ksl").c_str()), 0);
  EXPECT_EQ(AppArgs.count, 1);
  EXPECT_EQ(std::string(AppArgs.files[0]), here_file("b.ksl"));
  EXPECT_EQ(boards.texts.size(), 2u);
}

} // namespace

// The help command's file and the version record, without a host program.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/raruexp.h"
#include "plugin/raruput.h"
#include "plugwork.h"

namespace {

std::string &helped() {
  static std::string s;
  return s;
}
HWND WINAPI fakehelp(HWND, LPCSTR file, UINT command, DWORD_PTR data) {
  helped() = std::string(file) + "|" + std::to_string(command) + "|" + std::to_string(data);
  return reinterpret_cast<HWND>(7);
}

using Exports = PluginWork;

TEST_F(Exports, HelpUsesTheBareNameUntilTheFolderIsKnown) {
  plg_sys.htmlhelp = fakehelp;
  EXPECT_EQ(Raru_Help(), 7);
  EXPECT_EQ(helped(), "stampix.chm|0|0");
  Raru_ReadConfig();
  EXPECT_EQ(Raru_Help(), 7);
  EXPECT_EQ(helped(), folder() + "\\stampix.chm|0|0");
}

TEST_F(Exports, VersionWithoutAResourceOrRecordIsOne) {
  RaruVersionInfo info;
  EXPECT_EQ(RaruVersion(nullptr), 1);
  // The fake plug-in path names no file, so there is no version resource.
  EXPECT_EQ(RaruVersion(&info), 1);
}

TEST_F(Exports, RunProgramWaitsUnlessToldNot) {
  EXPECT_EQ(Raru_RunProgram(path("none.exe").c_str(), "\"none.exe\"", 1), 0);
  char cmd[MAX_PATH];
  GetSystemDirectoryA(cmd, MAX_PATH);
  const std::string exe = std::string(cmd) + "\\cmd.exe";
  const std::string line = "\"" + exe + "\" /c exit 3";
  EXPECT_EQ(Raru_RunProgram(exe.c_str(), line.c_str(), 0), 1);
}

} // namespace

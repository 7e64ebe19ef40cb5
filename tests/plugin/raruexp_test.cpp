// The help command's file and the version record, without a host program.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
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

// The child finishes a while after it may go on; the caller sees its file only when it
// waited for it.
TEST_F(Exports, RunProgramWaitsUnlessToldNot) {
  EXPECT_EQ(Raru_RunProgram(path("none.exe").c_str(), "\"none.exe\"", 1), 0);
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  const std::string child = (std::filesystem::path(exe).parent_path() / WAITCHILD).string();
  const std::string done = path("done.txt"), go = path("go.txt");
  auto exists = [](const std::string &f) { return GetFileAttributesA(f.c_str()) != INVALID_FILE_ATTRIBUTES; };

  // Any flag but 1 waits for the child to end.
  for (int wait : {0, 2}) {
    DeleteFileA(done.c_str());
    const std::string line = "\"" + child + "\" \"" + done + "\"";
    EXPECT_EQ(Raru_RunProgram(child.c_str(), line.c_str(), wait), 1);
    EXPECT_TRUE(exists(done)) << "returned before the child ended, flag " << wait;
  }

  // 1 does not wait: the child is still held when the call returns.
  DeleteFileA(done.c_str());
  const std::string line = "\"" + child + "\" \"" + done + "\" \"" + go + "\"";
  EXPECT_EQ(Raru_RunProgram(child.c_str(), line.c_str(), 1), 1);
  EXPECT_FALSE(exists(done));
  write("go.txt", std::string("go"));
  for (int t = 0; t < 400 && !exists(done); t++)
    Sleep(50);
  EXPECT_TRUE(exists(done)) << "the child never ended";
}

} // namespace

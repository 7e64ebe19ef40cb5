// The editor program itself, started as users start it: its main window comes up,
// closing it through the menu ends the process with exit code 0 and removes the undo
// journal, and a second start finds nothing left from the first.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string program_dir() {
  std::string d = "Z:" INK_PROGRAM_DIR "/";
  for (char &c : d)
    if (c == '/')
      c = '\\';
  return d;
}

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HWND wait_main(DWORD ms) {
  for (DWORD t = 0; t < ms; t += 10) {
    HWND w = FindWindowA("DazuVerur", nullptr);
    if (w && IsWindowVisible(w))
      return w;
    Sleep(10);
  }
  return nullptr;
}

TEST(Program, StartThenCloseThroughTheMenuTwice) {
  const std::string dir = program_dir(), exe = dir + "inkforge.exe";
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  const std::string journal = std::string(tmp) + "ikfgundo.0ud";
  ASSERT_FALSE(FindWindowA("DazuVerur", nullptr)) << "an editor is running already";
  // A journal an earlier test's ended editor left in the shared temporary folder is
  // not this test's concern: what it checks is that its own starts leave none.
  DeleteFileA(journal.c_str());
  for (int round = 0; round < 2; round++) {
    SCOPED_TRACE(round);
    EXPECT_FALSE(exists(journal));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi));
    HWND main = wait_main(30000);
    ASSERT_NE(main, nullptr);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    EXPECT_TRUE(exists(journal));
    PostMessageA(main, WM_COMMAND, 10105, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_FALSE(exists(journal));
    EXPECT_FALSE(FindWindowA("DazuVerur", nullptr));
  }
}

} // namespace

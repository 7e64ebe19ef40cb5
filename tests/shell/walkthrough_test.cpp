// A first seal, made the way a new user makes it in the laid-out program: a new
// drawing, a circle, a text, a date stamp, registered under a name, closed and opened
// again. The editor runs as its own process with its real dialogs; this test plays the
// user (menu commands, clicks, typing into the dialogs) and writes a picture of each
// main step, the pictures the README shows.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../common/pngwrite.h"
#include "../common/screencap.h"

namespace {

std::string win_path(std::string p) {
  for (char &c : p)
    if (c == '/')
      c = '\\';
  return p;
}

const std::string program_dir = win_path("Z:" INK_PROGRAM_DIR "/");
const std::string picture_dir = win_path("Z:" INK_PICTURE_OUT "/");

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Polls a state until it holds or ms pass.
bool wait_for(const std::function<bool()> &state, DWORD ms = 20000) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (state())
      return true;
    if (GetTickCount() - start > ms)
      return false;
    Sleep(20);
  }
}

// A message round trip: everything posted to the window before it has been handled.
bool settle(HWND w) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &answer) != 0;
}

struct Found {
  DWORD pid;
  const char *cls;
  HWND wnd;
};

// A visible top-level window of the editor's process with that class.
HWND window_of(DWORD pid, const char *cls) {
  Found f{pid, cls, nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto *f = reinterpret_cast<Found *>(lp);
        DWORD p = 0;
        GetWindowThreadProcessId(w, &p);
        char c[64] = "";
        GetClassNameA(w, c, sizeof c);
        if (p == f->pid && IsWindowVisible(w) && std::strcmp(c, f->cls) == 0) {
          f->wnd = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.wnd;
}

// The editor's environment: the test runner's, less the switch that answers every
// question unseen (the walk-through uses the real dialogs).
std::vector<char> editor_environment() {
  std::vector<char> env;
  char *block = GetEnvironmentStringsA();
  for (const char *p = block; *p; p += std::strlen(p) + 1)
    if (std::strncmp(p, "INK_NO_MODAL=", 13) != 0)
      env.insert(env.end(), p, p + std::strlen(p) + 1);
  FreeEnvironmentStringsA(block);
  env.push_back('\0');
  return env;
}

class Walkthrough : public ::testing::Test {
protected:
  PROCESS_INFORMATION pi = {};
  HWND main = nullptr;

  void TearDown() override {
    if (pi.hProcess) {
      if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) {
        if (main && IsWindow(main))
          PostMessageA(main, WM_COMMAND, 10105, 0);
        if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
          TerminateProcess(pi.hProcess, 1);
      }
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
  }

  void start(const std::string &args = "") {
    const std::string docs = picture_dir.substr(0, picture_dir.rfind('\\', picture_dir.size() - 2));
    CreateDirectoryA(docs.c_str(), nullptr);
    CreateDirectoryA(picture_dir.c_str(), nullptr);
    const std::string exe = program_dir + "inkforge.exe";
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    std::vector<char> env = editor_environment();
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, env.data(), program_dir.c_str(),
                               &si, &pi));
    ASSERT_TRUE(wait_for([&] { return (main = window_of(pi.dwProcessId, "DazuVerur")) != nullptr; }, 60000));
    ASSERT_TRUE(settle(main));
  }

  // The drawing window's view: the child of the active drawing frame.
  HWND view() {
    HWND mdi = FindWindowExA(main, nullptr, "MDIClient", nullptr);
    HWND frame = mdi ? GetWindow(mdi, GW_CHILD) : nullptr;
    return frame ? GetWindow(frame, GW_CHILD) : nullptr;
  }
  void command(int id) {
    PostMessageA(main, WM_COMMAND, id, 0);
    PostMessageA(main, WM_NULL, 0, 0); // TEMP nudge
    ASSERT_TRUE(settle(main));
  }
  void click(int x, int y) {
    HWND v = view();
    PostMessageA(v, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageA(v, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(v, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    settle(v);
  }
  HWND dialog() { return window_of(pi.dwProcessId, "#32770"); }

  void shot(const char *name) {
    RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    settle(main);
    RECT r;
    GetWindowRect(main, &r);
    HDC screen = GetDC(nullptr);
    auto px = dc_capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    write_png((picture_dir + name).c_str(), r.right - r.left, r.bottom - r.top, px);
  }
};

TEST_F(Walkthrough, AFirstSeal) {
  start("/D1");
  MoveWindow(main, 0, 0, 960, 720, TRUE);
  ASSERT_TRUE(settle(main));
  command(10100);
  ASSERT_TRUE(wait_for([&] { return view() != nullptr; }));
  shot("explore-1.png");
  command(15012); // circle
  shot("explore-2a.png");
  EnumChildWindows(main, [](HWND w, LPARAM) -> BOOL {
    char c[64] = "", t[256] = "";
    GetClassNameA(w, c, sizeof c);
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof t, reinterpret_cast<LPARAM>(t), SMTO_NORMAL, 2000, nullptr);
    std::printf("child %p %s [%s] vis=%d\n", (void *)w, c, t, IsWindowVisible(w));
    return TRUE;
  }, 0);
  RECT c;
  GetClientRect(view(), &c);
  const int cx = c.right / 2, cy = c.bottom / 2, r = c.bottom * 2 / 5;
  click(cx, cy);
  click(cx + r, cy);
  ASSERT_TRUE(settle(main));
  shot("explore-2.png");
  command(15018); // text
  wait_for([&] { return dialog() != nullptr; }, 5000);
  shot("explore-3.png");
}

} // namespace

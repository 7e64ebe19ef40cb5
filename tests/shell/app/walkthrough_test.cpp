// A first seal, made the way a new user makes it in the laid-out program: a new
// drawing, a circle, a text, a date stamp, registered under a name, closed and opened
// again. The editor runs as its own process with its real dialogs; this test plays the
// user (menu commands, clicks, typing into the dialogs) and writes a picture of each
// main step, the pictures the README shows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../common/watchdog.h"

namespace {

std::string win_path(std::string p) {
  for (char &c : p)
    if (c == '/')
      c = '\\';
  return p;
}

const std::string program_dir = win_path("Z:" INK_PROGRAM_DIR "/");
const std::string picture_dir = win_path("Z:" INK_PICTURE_OUT "/");

// A folder of its own for the seal the walk-through registers.
std::string work_dir() {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string d = std::string(tmp) + "ink_walk\\";
  CreateDirectoryA(d.c_str(), nullptr);
  return d;
}

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

  // The walk-through leaves the program folder's settings (window place, recent
  // files) as it found them.
  const std::string settings = program_dir + "inkforge.sys", kept = work_dir() + "inkforge.sys";
  void SetUp() override { ASSERT_TRUE(CopyFileA(settings.c_str(), kept.c_str(), FALSE)); }
  void TearDown() override {
    end_editor();
    CopyFileA(kept.c_str(), settings.c_str(), FALSE);
  }
  void end_editor() {
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
    ASSERT_TRUE(settle(main));
  }
  void click(int x, int y) {
    HWND v = view();
    PostMessageA(v, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageA(v, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(v, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    settle(v);
  }
  void move(int x, int y) {
    PostMessageA(view(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    settle(main);
  }
  void key(int vk) {
    PostMessageA(view(), WM_KEYDOWN, vk, 1);
    PostMessageA(view(), WM_KEYUP, vk, 0xC0000001);
    settle(main);
  }
  // Types text into the dialog's first edit field.
  void type_into(HWND d, const char *text) {
    HWND edit = FindWindowExA(d, nullptr, "Edit", nullptr);
    ASSERT_TRUE(edit);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(edit), EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    settle(d);
  }
  // Presses a dialog's button and waits until the dialog is gone.
  void press(HWND d, int id) {
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
    ASSERT_TRUE(wait_for([&] { return !IsWindow(d); }));
    settle(main);
  }
  // The message window's prompt line.
  HWND prompt_line() {
    HWND best = nullptr;
    int left = 1 << 30;
    for (HWND w = nullptr; (w = FindWindowExA(FindWindowExA(main, nullptr, "Mesg_Frame", nullptr), w, "Mesg_Child", nullptr));) {
      RECT r;
      GetWindowRect(w, &r);
      if (r.left < left)
        best = w, left = r.left;
    }
    return best;
  }
  std::vector<uint32_t> pixels(HWND w) {
    RECT r;
    return screen_capture(w, r);
  }
  // Does what act does and waits until the prompt line shows something else: the
  // editor has taken the input and asks for the next.
  template <class Act> void expect_prompt(Act act) {
    HWND line = prompt_line();
    ASSERT_TRUE(line);
    const std::vector<uint32_t> before = pixels(line);
    act();
    EXPECT_TRUE(wait_for([&] { return pixels(line) != before; }));
  }
  // Pixels of the drawing window that carry the seal's red.
  int red() {
    RedrawWindow(view(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    settle(main);
    int n = 0;
    for (uint32_t v : pixels(view())) {
      const int rr = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
      if (rr > 150 && g < 100 && b < 100)
        n++;
    }
    return n;
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
  testing_watchdog::Watchdog dog(120000);
  start();
  MoveWindow(main, 0, 0, 960, 720, TRUE);
  ASSERT_TRUE(settle(main));
  // ファイル > 新規作成
  command(10100);
  ASSERT_TRUE(wait_for([&] { return view() != nullptr; }));
  // The window comes before the drawing is bound to it: the picture waits for the
  // sheet's frame on the screen.
  ASSERT_TRUE(wait_for([&] {
    // The client area as the screen shows it (the window is another process's).
    RECT c;
    GetClientRect(view(), &c);
    POINT at = {0, 0};
    ClientToScreen(view(), &at);
    HDC screen = GetDC(nullptr);
    const std::vector<uint32_t> px = dc_capture(screen, at.x, at.y, c.right, c.bottom);
    ReleaseDC(nullptr, screen);
    return !px.empty() && std::any_of(px.begin(), px.end(), [&](uint32_t v) { return v != px.front(); });
  }));
  settle(main);
  shot("seal-1-new.png");
  EXPECT_EQ(red(), 0);
  // 作図 > 円・円弧 > 円: the centre, then a point on the circle.
  expect_prompt([&] { command(15012); });
  RECT c;
  GetClientRect(view(), &c);
  const int cx = c.right / 2, cy = c.bottom / 2, r = c.bottom * 2 / 5;
  expect_prompt([&] { click(cx, cy); });
  expect_prompt([&] { click(cx + r, cy); });
  shot("seal-2-circle.png");
  const int circle = red();
  EXPECT_GT(circle, 5 * r) << "a circle of radius " << r;
  // 作図 > 文字 > 文字記入: the text, then where it goes; the dialog comes back for the next.
  command(15018);
  HWND d = nullptr;
  ASSERT_TRUE(wait_for([&] { return (d = dialog()) != nullptr; }));
  type_into(d, "山田");
  expect_prompt([&] { press(d, IDOK); });
  move(cx, cy - r / 5); // the text's frame is centred on the cursor
  click(cx, cy - r / 5);
  ASSERT_TRUE(wait_for([&] { return (d = dialog()) != nullptr; }));
  press(d, IDCANCEL);
  shot("seal-3-text.png");
  const int text = red();
  EXPECT_GT(text, circle + 50);
  // 作図 > 文字 > 日付印: the first format, then where it goes.
  command(15019);
  ASSERT_TRUE(wait_for([&] { return (d = dialog()) != nullptr; }));
  expect_prompt([&] { press(d, IDOK); });
  move(cx, cy + r / 5);
  expect_prompt([&] { click(cx, cy + r / 5); });
  shot("seal-4-date.png");
  const int seal_red = red();
  EXPECT_GT(seal_red, text + 50);
  // ファイル > 登録: the seal's name, then its file.
  const std::string seal = work_dir() + "YAMADA.KSL";
  DeleteFileA(seal.c_str());
  command(10103);
  ASSERT_TRUE(wait_for([&] { return (d = dialog()) != nullptr; }));
  type_into(d, "山田");
  press(d, IDOK);
  ASSERT_TRUE(wait_for([&] { return (d = dialog()) != nullptr; }));
  HWND name = GetDlgItem(d, 0x47c); // the file name box
  if (HWND edit = name ? FindWindowExA(name, nullptr, "Edit", nullptr) : nullptr)
    name = edit;
  if (!name)
    name = GetDlgItem(d, 0x480);
  ASSERT_TRUE(name);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(seal.c_str()));
  press(d, IDOK);
  ASSERT_TRUE(wait_for([&] { return exists(seal); }));
  // ファイル > 閉じる, then the seal again from the File menu's list of recent files.
  command(10106);
  ASSERT_TRUE(wait_for([&] { return view() == nullptr; }));
  command(17000);
  ASSERT_TRUE(wait_for([&] { return view() != nullptr; }));
  shot("seal-5-reopened.png");
  char title[256] = "";
  GetWindowTextA(main, title, sizeof title);
  EXPECT_NE(std::string(title).find("YAMADA.KSL"), std::string::npos) << title;
  // The reopened seal shows what was registered.
  EXPECT_NEAR(red(), seal_red, seal_red / 50);
}

} // namespace

// The main loop and the MDI client.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "../../common/watchdog.h"
#include "commands/cmdl/cmdtable.h"
#include "shell/app/apploop.h"
#include "settings/appwin.h"

namespace {

std::vector<std::string> seen;

LRESULT CALLBACK probe_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER + 5) {
    seen.push_back("message");
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

TEST(MainLoop, APendingCommandStartsBeforeTheMessageIsDispatched) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = probe_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "InkLoopProbe";
  RegisterClassA(&wc);
  HWND w = CreateWindowA("InkLoopProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  cmd_reset();
  seen.clear();
  cmd_request(
      0, [] { return seen.push_back("command"), CMD_DONE; }, 35, nullptr);
  PostMessageA(w, WM_USER + 5, 0, 0);
  EXPECT_EQ(app_run(), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"command", "message"}));
  DestroyWindow(w);
  cmd_reset();
}

HWND Probe = nullptr;

LRESULT CALLBACK request_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_USER + 6) { // a menu choice: records its command and returns
    cmd_request(
        0,
        [] {
          seen.push_back("first");
          // A second request made while the first runs, whose wake-up the first's
          // own message loop takes away.
          cmd_request(
              0, [] { return seen.push_back("second"), PostQuitMessage(0), CMD_DONE; }, 36, nullptr);
          MSG msg;
          while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
          return CMD_DONE;
        },
        35, nullptr);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

// Nothing but the request itself comes to the loop: no mouse move, no timer.
TEST(MainLoop, ARequestStartsWithoutAnyFurtherMessage) {
  testing_watchdog::Watchdog dog(20000);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = request_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "InkLoopRequest";
  RegisterClassA(&wc);
  Probe = CreateWindowA("InkLoopRequest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  cmd_reset();
  seen.clear();
  CmdWake = [] { PostMessageA(Probe, WM_NULL, 0, 0); };
  PostMessageA(Probe, WM_USER + 6, 0, 0);
  EXPECT_EQ(app_run(), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "second"}));
  CmdWake = nullptr;
  DestroyWindow(Probe);
  cmd_reset();
}

TEST(MainLoop, MdiClientWithoutAWindowMenu) {
  app_setwindows(nullptr, nullptr);
  EXPECT_EQ(app_mdiclient(), nullptr);

  HWND frame = CreateWindowA("STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  HMENU bar = CreateMenu(); // a menu bar with fewer than six popups
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), "File");
  SetMenu(frame, bar);
  app_setwindows(frame, nullptr);
  HWND client = app_mdiclient();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(app_hmdi(), client);
  EXPECT_EQ(GetParent(client), frame);
  EXPECT_EQ(GetDlgCtrlID(client), 3244);
  EXPECT_EQ(GetWindowLongA(client, GWL_STYLE) & 0x42300000, 0x42300000);
  DestroyWindow(frame);
  app_setwindows(nullptr, nullptr);
}

} // namespace

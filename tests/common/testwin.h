// Raw Win32 windows for tests of the engine's input: a main frame with an MDI client and
// drawing windows (child frame + view) registered in the view table, a timer script that
// plays posted input into whatever modal loop runs, and a watchdog for hanging tests.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "watchdog.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "settings/appwin.h"
#include "shell/drawwin/viewwin.h"

namespace testwin {

inline HWND &client() {
  static HWND c = nullptr;
  return c;
}

inline LRESULT CALLBACK frame_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefFrameProcA(w, client(), m, wp, lp);
}
inline LRESULT CALLBACK child_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefMDIChildProcA(w, m, wp, lp); }
inline LRESULT CALLBACK view_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CONTEXTMENU)
    return 0;
  return DefWindowProcA(w, m, wp, lp);
}

// Dispatches everything waiting (a quit would stay).
inline void drain() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

struct Drawing {
  HWND child = nullptr, view = nullptr;
  ViewWinId id{};
};

// The frame, its MDI client and the drawing windows, made current for the shell services.
// One frame serves the whole program (destroying a top-level window is slow under Wine);
// each fixture starts with no drawing window and an enabled frame.
class Windows {
public:
  Windows() {
    static HWND shared = nullptr;
    if (!shared) {
      HINSTANCE hi = GetModuleHandleA(nullptr);
      WNDCLASSA wc = {};
      wc.hInstance = hi;
      wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpfnWndProc = frame_proc;
      wc.lpszClassName = "InkInputFrame";
      RegisterClassA(&wc);
      wc.lpfnWndProc = child_proc;
      wc.lpszClassName = "InkInputChild";
      RegisterClassA(&wc);
      wc.lpfnWndProc = view_proc;
      wc.lpszClassName = "InkInputView";
      RegisterClassA(&wc);
      shared = CreateWindowA("InkInputFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700, nullptr,
                             nullptr, hi, nullptr);
      CLIENTCREATESTRUCT ccs = {nullptr, 1000};
      client() = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 880, 650, shared,
                               nullptr, hi, &ccs);
    }
    frame = shared;
    EnableWindow(frame, TRUE);
    app_setwindows(frame, client());
    std::memset(vewtbl, 0, sizeof vewtbl);
    vewmask[0] = vewmask[1] = 0;
    dwg_setcur(0);
    vew_setcurrent(0);
    SetForegroundWindow(frame);
    // Keep the real pointer away from the windows: no stray mouse moves.
    SetCursorPos(1270, 1010);
    drain();
  }
  ~Windows() {
    for (auto &d : drawings)
      SendMessageA(client(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(d->child), 0);
    drawings.clear();
    std::memset(vewtbl, 0, sizeof vewtbl);
    vewmask[0] = vewmask[1] = 0;
    app_setwindows(nullptr, nullptr);
    drain();
  }

  // A 200 x 100 drawing window showing world (0, 0)-(100, 50) as (dwg, view).
  Drawing &open(int dwg, int view, int x = 0, int y = 0) {
    auto d = std::make_unique<Drawing>();
    d->child = CreateMDIWindowA("InkInputChild", "drawing", WS_VISIBLE, x, y, 260, 160, client(),
                                GetModuleHandleA(nullptr), 0);
    d->view = CreateWindowA("InkInputView", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, d->child, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    d->id = ViewWinId{dwg, view, 0};
    SetWindowLongPtrA(d->view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&d->id));
    const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
    vew_setdev(d->view, dwg, view, -bx, -by, 200 + bx, 100 + by);
    vew_setfrm(d->child, dwg, view);
    vew_setwin(dwg, view, 0, 0, 0, 100, 50);
    drawings.push_back(std::move(d));
    drain();
    return *drawings.back();
  }

  HWND frame = nullptr;
  std::vector<std::unique_ptr<Drawing>> drawings;
};

// Steps played one per timer tick inside whatever loop dispatches the thread's messages.
class Script {
public:
  explicit Script(std::vector<std::function<void()>> steps, UINT period = 60) : steps_(std::move(steps)) {
    self() = this;
    timer_ = SetTimer(nullptr, 0, period, tick);
  }
  ~Script() {
    KillTimer(nullptr, timer_);
    self() = nullptr;
  }
  bool done() const { return next_ >= steps_.size(); }

private:
  static Script *&self() {
    static Script *s = nullptr;
    return s;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    Script *s = self();
    if (s && s->next_ < s->steps_.size())
      s->steps_[s->next_++]();
  }
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
};

using Watchdog = ::testing_watchdog::Watchdog;

// The real modal windows run only while the test runner's unattended answers are off.
class RealModals {
public:
  RealModals() {
    const char *v = std::getenv("INK_NO_MODAL");
    had_ = v != nullptr;
    _putenv("INK_NO_MODAL=");
  }
  ~RealModals() {
    if (had_)
      _putenv("INK_NO_MODAL=1");
  }

private:
  bool had_ = false;
};

// The keyboard state the input wait reads for the modifier keys.
inline void hold_keys(std::initializer_list<int> vks) {
  BYTE state[256] = {};
  for (int vk : vks)
    state[vk] = 0x80;
  SetKeyboardState(state);
}

} // namespace testwin

// View 0 of drawing 0 on a 1920x1080 pop-up window showing a 192 x 108 world, with
// the pens ready: where the drawing benchmarks aim (their pictures go to a BenchDib).
#pragma once

#include <windows.h>

#include <cstdio>

#include "display/view/gdi.h"
#include "display/view/viewtbl.h"

// The window, or null (said on stdout) when it or the pens cannot be had.
inline HWND bench_view() {
  WNDCLASSA wc = {};
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "InkBenchView";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA("InkBenchView", "view", WS_POPUP, 0, 0, 1920, 1080, nullptr, nullptr, wc.hInstance, nullptr);
  if (!wnd || !gdi_init()) {
    std::puts("no window or pens");
    return nullptr;
  }
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  vew_setdev(wnd, 0, 0, -bx, -by, 1920 + bx, 1080 + by);
  vew_setwin(0, 0, 0, 0, 0, 192, 108);
  vew_select(0);
  return wnd;
}

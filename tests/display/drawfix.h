// A drawing view backed by pixels: a real (hidden) window registered as view 0 of
// drawing 0, with every drawing of the GDI layer sent into a DIB section.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "canvas.h"
#include "display/view/cliprect.h"
#include "display/view/gdi.h"
#include "display/view/viewtbl.h"
#include "gdi_recorder.h"
#include "settings/params.h"
#include "display/view/viewstate.h"

// Palette of the tests: colour i is RGB(0, 10 i + 5, 0), the erase colour 16 is white.
inline uint32_t colour_px(int i) { return i == 16 ? 0xFFFFFFu : uint32_t(10 * i + 5) << 8; }

class DrawView : public ::testing::Test {
protected:
  static constexpr int W = 200, H = 100; // device pixels; the world shows 0..100 x 0..50

  void SetUp() override {
    prm_init();
    OutputKind = 0;
    OffscreenOutput = 0;
    PlotterMode = 0;
    PenMode = 0;
    dsp_clipoff();
    for (int i = 0; i < 20; i++)
      PenCache.PaletteSnapshot[i] = i == 16 ? RGB(255, 255, 255) : RGB(0, 10 * i + 5, 0);
    ASSERT_EQ(gdi_init(), 1);
    std::memset(vewtbl, 0, sizeof vewtbl);
    vewmask[0] = vewmask[1] = 0;
    dwg_setcur(0);
    vew_setcurrent(0);
    wnd = make_window(W, H);
    open_view(0, 0, wnd, 100, 50);
    ASSERT_EQ(vew_select(0), 0);
    gdi_target(canvas.dc(), 1);
  }
  void TearDown() override {
    rec_stop();
    gdi_target(nullptr, 0);
    canvas.release_pen();
    gdi_term();
    dsp_clipoff();
    for (HWND w : extra)
      DestroyWindow(w);
    DestroyWindow(wnd);
    std::memset(vewtbl, 0, sizeof vewtbl);
    vewmask[0] = vewmask[1] = 0;
  }

  static HWND make_window(int w, int h, WNDPROC proc = nullptr) {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA wc = {};
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpfnWndProc = DefWindowProcA;
      wc.lpszClassName = "InkDrawTestView";
      RegisterClassA(&wc);
      registered = true;
    }
    HWND wn = CreateWindowA("InkDrawTestView", "view", WS_POPUP, 0, 0, w, h, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    if (proc)
      SetWindowLongPtrA(wn, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    return wn;
  }
  // The view's device rectangle is 0..W x 0..H whatever the border metrics.
  static void open_view(int dwg, int view, HWND w, double x2, double y2, int dw = W, int dh = H) {
    const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
    ASSERT_EQ(vew_setdev(w, dwg, view, -bx, -by, dw + bx, dh + by), 0);
    ASSERT_EQ(vew_setwin(dwg, view, 0, 0, 0, x2, y2), 0);
  }

  // Pixels that are not white.
  int inked() const {
    int n = 0;
    for (uint32_t p : canvas.pixels())
      n += p != 0xFFFFFFu;
    return n;
  }
  int inked(uint32_t colour) const {
    int n = 0;
    for (uint32_t p : canvas.pixels())
      n += p == colour;
    return n;
  }
  bool ink_at(int x, int y) const { return canvas.at(x, y) != 0xFFFFFFu; }
  // Any ink within d pixels of (x, y).
  bool ink_near(int x, int y, int d = 1) const {
    for (int j = y - d; j <= y + d; j++)
      for (int i = x - d; i <= x + d; i++)
        if (i >= 0 && j >= 0 && i < canvas.width() && j < canvas.height() && ink_at(i, j))
          return true;
    return false;
  }

  Canvas canvas{W + 1, H + 1};
  HWND wnd = nullptr;
  std::vector<HWND> extra;
};

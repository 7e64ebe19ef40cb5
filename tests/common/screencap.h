// The screen's pixels over a window, for tests and tools that look at what is shown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// 0x00RRGGBB from the top row, of the w x h pixels at (x, y) of a device context.
inline std::vector<uint32_t> dc_capture(HDC src, int x, int y, int w, int h) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HDC mem = CreateCompatibleDC(src);
  HBITMAP bmp = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint32_t> px;
  if (bmp) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, src, x, y, SRCCOPY);
    GdiFlush();
    const auto *p = static_cast<const uint32_t *>(bits);
    px.assign(p, p + size_t(w) * size_t(h));
    for (auto &v : px)
      v &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
  }
  DeleteDC(mem);
  return px;
}

// The screen's pixels over a window; r gets the window's screen rectangle.
inline std::vector<uint32_t> screen_capture(HWND wnd, RECT &r) {
  GetWindowRect(wnd, &r);
  HDC screen = GetDC(nullptr);
  auto px = dc_capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
  ReleaseDC(nullptr, screen);
  return px;
}

// The window's own pixels (what was drawn into it, whether or not shown on the screen yet).
inline std::vector<uint32_t> window_capture(HWND wnd, int w, int h) {
  HDC dc = GetDC(wnd);
  auto px = dc_capture(dc, 0, 0, w, h);
  ReleaseDC(wnd, dc);
  return px;
}

// 0x00RRGGBB from the top row of a white w x h image after play(dc, whole) drew on it.
template <class F> std::vector<uint32_t> dib_paint(int w, int h, F play) {
  HDC mem = CreateCompatibleDC(nullptr);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint32_t> px;
  if (bmp) {
    HGDIOBJ old = SelectObject(mem, bmp);
    const RECT all = {0, 0, w, h};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    play(mem, all);
    GdiFlush();
    const auto *p = static_cast<const uint32_t *>(bits);
    px.assign(p, p + size_t(w) * size_t(h));
    for (auto &v : px)
      v &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
  }
  DeleteDC(mem);
  return px;
}

// The screen's pixels over a window, for tests and tools that look at what is shown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// 0x00RRGGBB from the top row; r gets the window's screen rectangle.
inline std::vector<uint32_t> screen_capture(HWND wnd, RECT &r) {
  GetWindowRect(wnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<uint32_t> px;
  if (bmp) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto *p = static_cast<const uint32_t *>(bits);
    px.assign(p, p + size_t(w) * size_t(h));
    for (auto &v : px)
      v &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return px;
}

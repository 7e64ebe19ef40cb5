// A 1920x1080 32-bit DIB selected into a memory DC: the view the benchmarks draw into.
#pragma once

#include <windows.h>

struct BenchDib {
  HBITMAP bmp = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  void *bits = nullptr;
  BenchDib() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 1920;
    bi.bmiHeader.biHeight = -1080;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
  }
  // Gives the bitmap back before the caller ends the GDI layer.
  void release() {
    if (dc)
      SelectObject(dc, old);
  }
  ~BenchDib() {
    release();
    DeleteDC(dc);
    DeleteObject(bmp);
  }
};

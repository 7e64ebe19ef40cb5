// A DIB section to draw into, with its pixels at hand.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

class Canvas {
public:
  Canvas(int w, int h, uint32_t fill = 0xFFFFFF) : w_(w), h_(h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    bmp_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t *>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bmp_);
    oldpen_ = GetCurrentObject(dc_, OBJ_PEN);
    GdiFlush();
    for (int i = 0; i < w * h; i++)
      bits_[i] = fill;
  }
  ~Canvas() {
    SelectObject(dc_, oldpen_);
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bmp_);
  }
  HDC dc() const { return dc_; }
  int width() const { return w_; }
  int height() const { return h_; }
  // 0x00RRGGBB
  uint32_t at(int x, int y) const {
    GdiFlush();
    return bits_[y * w_ + x] & 0xFFFFFF;
  }
  std::vector<uint32_t> pixels() const {
    GdiFlush();
    return std::vector<uint32_t>(bits_, bits_ + w_ * h_);
  }
  void fill_noise() {
    uint32_t s = 12345;
    for (int i = 0; i < w_ * h_; i++) {
      s = s * 1103515245 + 12345;
      bits_[i] = (s >> 8) & 0xFFFFFF;
    }
  }
  void release_pen() { SelectObject(dc_, oldpen_); }
  bool save_bmp(const char *path) const {
    GdiFlush();
    FILE *f = std::fopen(path, "wb");
    if (!f)
      return false;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = w_;
    ih.biHeight = -h_;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    ih.biCompression = BI_RGB;
    const DWORD size = static_cast<DWORD>(w_) * h_ * 4;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + size;
    bool ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&ih, sizeof ih, 1, f) == 1 &&
              std::fwrite(bits_, size, 1, f) == 1;
    return std::fclose(f) == 0 && ok;
  }

private:
  int w_, h_;
  HBITMAP bmp_;
  uint32_t *bits_;
  HDC dc_;
  HGDIOBJ old_, oldpen_;
};

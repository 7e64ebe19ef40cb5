// Waits for the editor's main window, lets it settle, and writes the screen under
// it to a PNG file; with --close it then closes the editor through its menu.
//   winshot <picture.png> [--close]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "../tests/common/pngwrite.h"

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: winshot <picture.png> [--close]\n");
    return 2;
  }
  HWND main = nullptr;
  for (int i = 0; i < 3000 && !main; i++) {
    main = FindWindowA("DazuVerur", nullptr);
    if (main && !IsWindowVisible(main))
      main = nullptr;
    if (!main)
      Sleep(10);
  }
  if (!main) {
    std::fprintf(stderr, "the editor's window did not appear\n");
    return 1;
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
  Sleep(1000);
  RECT r;
  GetWindowRect(main, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void *bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto *p = static_cast<const uint32_t *>(bits);
  std::vector<uint32_t> px(p, p + size_t(w) * h);
  for (auto &v : px)
    v &= 0xFFFFFF;
  const bool ok = write_png(argv[1], w, h, px);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  if (argc > 2 && std::strcmp(argv[2], "--close") == 0)
    PostMessageA(main, WM_COMMAND, 10105, 0);
  return ok ? 0 : 1;
}

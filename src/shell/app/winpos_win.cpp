#include "shell/app/winpos.h"

#include <cstdio>

#include "settings/prefs.h"

AppWinPos WinPos = {-1, -1, -1, -1};

namespace {

constexpr const char *SECTION = "SYSTEMU";

bool pair(const char *key, int32_t &a, int32_t &b) {
  char text[260];
  GetPrivateProfileStringA(SECTION, key, "", text, sizeof text, prf_path());
  int x, y;
  if (std::sscanf(text, "%d,%d", &x, &y) != 2)
    return false;
  a = x, b = y;
  return true;
}

void write_pair(const char *key, long a, long b) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld,%ld", a, b);
  WritePrivateProfileStringA(SECTION, key, text, prf_path());
}

RECT work_area() {
  RECT r = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

} // namespace

int app_winpos(HWND window, int op) {
  if (op == 'R' || op == 'r') {
    WinPos = {-1, -1, -1, -1};
    int32_t w = -1, h = -1;
    if (pair("WINDOW_SIZE", w, h) && w > 0 && h > 0)
      WinPos.width = w, WinPos.height = h;
    pair("WINDOW_POINT", WinPos.left, WinPos.top);
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    const AppWinPos &p = WinPos;
    if (!(desk.left <= p.left + p.width && p.left <= desk.right && desk.top <= p.top + p.height &&
          p.top <= desk.bottom))
      WinPos = {-1, -1, -1, -1};
    return 1;
  }
  if (op == 'W' || op == 'w') {
    if (!window)
      return 0;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(window, &wp);
    RECT r;
    if (wp.showCmd == SW_SHOWMAXIMIZED)
      r = work_area();
    else
      GetWindowRect(window, &r);
    write_pair("WINDOW_SIZE", r.right - r.left, r.bottom - r.top);
    write_pair("WINDOW_POINT", r.left, r.top);
    return 1;
  }
  return 1;
}

void app_initrect(POINT *pos, SIZE *size) {
  app_winpos(nullptr, 'R');
  if ((WinPos.width == -1 && WinPos.height == -1) || (WinPos.left == -1 && WinPos.top == -1)) {
    const RECT r = work_area();
    WinPos = {r.right - r.left, r.bottom - r.top, r.left, r.top};
  }
  pos->x = WinPos.left, pos->y = WinPos.top;
  size->cx = WinPos.width, size->cy = WinPos.height;
}

#include "display/view/scrsave.h"

SavedBitmap SavedBitmaps[SAVED_BITMAPS];

namespace {

bool in_range(int32_t slot) { return slot >= 0 && slot < SAVED_BITMAPS; }

// Cuts a rectangle at the screen's edges; skip gets the columns and rows cut at the
// left and top. False when nothing of it is on the screen.
bool cut_to_screen(int32_t &x, int32_t &y, int32_t &w, int32_t &h, POINT &skip) {
  const int32_t cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  skip = {0, 0};
  if (x > cx || y > cy)
    return false;
  if (x < 0) {
    skip.x = -int64_t(x) > w ? w : -x;
    w -= skip.x;
    x = 0;
  }
  if (y < 0) {
    skip.y = -int64_t(y) > h ? h : -y;
    h -= skip.y;
    y = 0;
  }
  if (w > cx - x)
    w = cx - x;
  if (h > cy - y)
    h = cy - y;
  return w >= 1 && h >= 1;
}

} // namespace

int scr_save(int32_t x, int32_t y, int32_t width, int32_t height) {
  POINT skip;
  if (!cut_to_screen(x, y, width, height, skip))
    return -1;
  int slot = 0;
  while (slot < SAVED_BITMAPS && SavedBitmaps[slot].bmp)
    slot++;
  if (slot == SAVED_BITMAPS)
    return -6;
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!screen)
    return -3;
  HDC mem = CreateCompatibleDC(screen);
  if (!mem) {
    DeleteDC(screen);
    return -4;
  }
  HBITMAP bmp = CreateCompatibleBitmap(screen, width, height);
  if (!bmp) {
    DeleteDC(mem);
    DeleteDC(screen);
    return -5;
  }
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, width, height, screen, x, y, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteDC(screen);
  SavedBitmaps[slot] = {bmp, x, y, width, height};
  return slot;
}

int scr_restore(int32_t slot, int32_t x, int32_t y, uint32_t flags) {
  if (!in_range(slot))
    return -1;
  SavedBitmap &s = SavedBitmaps[slot];
  if (flags & 2) {
    if (!s.bmp)
      return -2;
    if (x == SCR_STORED)
      x = s.x;
    if (y == SCR_STORED)
      y = s.y;
    int32_t w = s.width, h = s.height;
    POINT skip;
    if (!cut_to_screen(x, y, w, h, skip))
      return -1;
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!screen)
      return -3;
    HDC mem = CreateCompatibleDC(screen);
    if (!mem) {
      DeleteDC(screen);
      return -4;
    }
    HGDIOBJ old = SelectObject(mem, s.bmp);
    BitBlt(screen, x, y, w, h, mem, skip.x, skip.y, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteDC(screen);
  }
  if (flags & 1) {
    if (s.bmp)
      DeleteObject(s.bmp);
    s = SavedBitmap{};
  }
  return 0;
}

int scr_toclip(HWND window, int32_t slot) {
  if (!window)
    return -1;
  if (!in_range(slot))
    return -2;
  SavedBitmap &s = SavedBitmaps[slot];
  if (!s.bmp)
    return -3;
  if (!OpenClipboard(window))
    return -4;
  EmptyClipboard();
  const bool taken = SetClipboardData(CF_BITMAP, s.bmp) != nullptr;
  CloseClipboard();
  if (!taken)
    return -4;
  s = SavedBitmap{};
  return 0;
}

HBITMAP scr_bitmap(int32_t slot) { return in_range(slot) ? SavedBitmaps[slot].bmp : nullptr; }

void scr_forget(int32_t slot) {
  if (in_range(slot))
    SavedBitmaps[slot] = SavedBitmap{};
}

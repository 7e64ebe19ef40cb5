// Saved screen bitmaps: rectangles of screen pixels kept for later.
#pragma once

#include <windows.h>

#include <cstdint>

struct SavedBitmap {
  HBITMAP bmp; // null = slot free
  int32_t x, y, width, height;
};
constexpr int SAVED_BITMAPS = 16;
extern SavedBitmap SavedBitmaps[SAVED_BITMAPS];

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

// Copies a screen rectangle into the first free slot: the slot, or a negative value
// when nothing was saved.
int scr_save(int32_t x, int32_t y, int32_t width, int32_t height);
// Flag 2 draws slot's bits back (x and y 32768: at the stored place), flag 1 frees it.
int scr_restore(int32_t slot, int32_t x, int32_t y, uint32_t flags);

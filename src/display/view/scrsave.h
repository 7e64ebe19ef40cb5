// Saved screen bitmaps: rectangles of screen pixels kept for later (the pop-ups put
// back what they covered).
#pragma once

#include <windows.h>

#include <cstdint>

struct SavedBitmap {
  HBITMAP bmp; // null = slot free
  int32_t x, y, width, height;
};
constexpr int SAVED_BITMAPS = 16;
extern SavedBitmap SavedBitmaps[SAVED_BITMAPS];

constexpr int32_t SCR_STORED = 32768; // restore position: where the pixels were taken

// Copies a screen rectangle (cut to the screen) into the first free slot: the slot, or
// -1 bad area, -3 no display context, -4 no memory context, -5 no bitmap, -6 every
// slot taken. Nothing is kept on failure.
int scr_save(int32_t x, int32_t y, int32_t width, int32_t height);
// Flag 2 draws the slot's pixels back (x and y SCR_STORED: at the stored place), flag 1
// then deletes the bitmap and frees the slot. 0, or -1 bad slot or area, -2 empty
// slot, -3, -4 as scr_save.
int scr_restore(int32_t slot, int32_t x, int32_t y, uint32_t flags);
// Hands the slot's bitmap to the clipboard and frees the slot: 0, or -1 null window,
// -2 slot out of range, -3 empty slot, -4 the clipboard did not take it (the slot
// keeps its bitmap).
int scr_toclip(HWND window, int32_t slot);
HBITMAP scr_bitmap(int32_t slot); // null when out of range or free
// Frees the slot without deleting its bitmap (its new owner deletes it).
void scr_forget(int32_t slot);

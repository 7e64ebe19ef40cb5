// Saved screen bitmaps: screen pixels kept in slots, put back and handed to the clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include "clipproc.h"
#include "display/view/scrsave.h"

namespace {

bool blank = false;

COLORREF stripe(int x, int y) { return RGB((x * 9) & 0xFF, (y * 21) & 0xFF, 0x80); }

LRESULT CALLBACK paint_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    for (int y = 0; y < 40; y++)
      for (int x = 0; x < 100; x++)
        SetPixel(dc, x, y, blank ? RGB(255, 255, 255) : stripe(x, y));
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

void pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&m);
}

COLORREF screen_pixel(int x, int y) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(nullptr, dc);
  return c;
}

COLORREF bitmap_pixel(HBITMAP bmp, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

struct ScreenSave : ::testing::Test {
  HWND win = nullptr;
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = paint_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "InkScrSaveTest";
    RegisterClassA(&wc);
    blank = false;
    win = CreateWindowExA(WS_EX_TOPMOST, "InkScrSaveTest", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 40, nullptr,
                          nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(win);
    UpdateWindow(win);
    pump();
    Sleep(100);
  }
  void TearDown() override {
    for (int i = 0; i < SAVED_BITMAPS; i++)
      scr_restore(i, 0, 0, 1);
    DestroyWindow(win);
  }
  void repaint(bool white) {
    blank = white;
    InvalidateRect(win, nullptr, FALSE);
    UpdateWindow(win);
    pump();
    Sleep(100);
  }
};

} // namespace

TEST_F(ScreenSave, SaveCutAtTheLeftEdgeAndRestoreInPlace) {
  ASSERT_EQ(screen_pixel(7, 9), stripe(7, 9));
  const int slot = scr_save(-10, 5, 30, 12);
  ASSERT_GE(slot, 0);
  const SavedBitmap s = SavedBitmaps[slot];
  EXPECT_EQ(s.x, 0);
  EXPECT_EQ(s.y, 5);
  EXPECT_EQ(s.width, 20);
  EXPECT_EQ(s.height, 12);
  EXPECT_EQ(scr_bitmap(slot), s.bmp);
  for (int x : {0, 7, 19})
    EXPECT_EQ(bitmap_pixel(s.bmp, x, 3), stripe(x, 8)) << x;

  repaint(true);
  ASSERT_EQ(screen_pixel(7, 9), RGB(255, 255, 255));
  ASSERT_EQ(scr_restore(slot, SCR_STORED, SCR_STORED, 3), 0);
  for (int x : {0, 7, 19})
    EXPECT_EQ(screen_pixel(x, 8), stripe(x, 8)) << x;
  EXPECT_EQ(screen_pixel(20, 8), RGB(255, 255, 255)); // only what was saved
  EXPECT_EQ(SavedBitmaps[slot].bmp, nullptr);

  // Restoring partly off the left edge skips the bitmap's first columns.
  repaint(false);
  const int again = scr_save(0, 0, 30, 12);
  repaint(true);
  ASSERT_EQ(scr_restore(again, -5, 0, 2), 0);
  EXPECT_EQ(screen_pixel(0, 1), stripe(5, 1));
  EXPECT_NE(SavedBitmaps[again].bmp, nullptr); // flag 1 not given: kept
}

TEST_F(ScreenSave, BadAreasAndSlots) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  struct {
    int x, y, w, h;
  } bad[] = {{cx + 1, 0, 10, 10}, {0, cy + 1, 10, 10}, {-10, 0, 10, 10}, {0, 0, 0, 5}, {cx, 0, 5, 5}, {0, -20, 5, 10}};
  for (auto &b : bad)
    EXPECT_EQ(scr_save(b.x, b.y, b.w, b.h), -1) << b.x << "," << b.y;
  EXPECT_EQ(scr_restore(-1, 0, 0, 3), -1);
  EXPECT_EQ(scr_restore(16, 0, 0, 3), -1);
  EXPECT_EQ(scr_restore(4, 0, 0, 2), -2);
  EXPECT_EQ(scr_bitmap(16), nullptr);
  EXPECT_EQ(scr_toclip(nullptr, 0), -1);
  EXPECT_EQ(scr_toclip(win, 16), -2);
  EXPECT_EQ(scr_toclip(win, 0), -3);
}

TEST_F(ScreenSave, SeventeenthSaveIsRefused) {
  for (int i = 0; i < SAVED_BITMAPS; i++)
    ASSERT_EQ(scr_save(0, 0, 8, 8), i);
  EXPECT_EQ(scr_save(0, 0, 8, 8), -6);
  for (const SavedBitmap &s : SavedBitmaps)
    EXPECT_NE(s.bmp, nullptr);
  HBITMAP kept = scr_bitmap(3);
  scr_forget(3); // the new owner deletes it
  EXPECT_EQ(scr_save(0, 0, 8, 8), 3);
  DeleteObject(kept);
}

TEST_F(ScreenSave, ClipboardTakesTheBitmapOrTheSlotKeepsIt) {
  const int slot = scr_save(0, 0, 16, 10);
  ASSERT_GE(slot, 0);
  HBITMAP bmp = SavedBitmaps[slot].bmp;
  {
    clipproc::Holder other;
    ASSERT_TRUE(other.holding());
    EXPECT_EQ(scr_toclip(win, slot), -4);
    EXPECT_EQ(SavedBitmaps[slot].bmp, bmp);
  }
  ASSERT_EQ(scr_toclip(win, slot), 0);
  EXPECT_EQ(SavedBitmaps[slot].bmp, nullptr);
  const std::string got = clipproc::read();
  EXPECT_NE(got.find("bitmap 16 10"), std::string::npos) << got;
}

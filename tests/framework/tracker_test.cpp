// The rectangle tracker: hit tests and mouse tracking driven by posted messages.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/tracker.h"
#include "framework/wnd.h"

namespace {

struct Hit {
  POINT pt;
  int want;
};

TEST(RectTracker, HitTestFindsCornersSidesInsideAndOutside) {
  CRectTracker t({100, 100, 200, 160}, CRectTracker::solidLine | CRectTracker::resizeInside);
  t.m_sizeMin = {8, 8};
  RECT trueRect;
  t.GetTrueRect(&trueRect);
  EXPECT_EQ(trueRect.left, 99);
  EXPECT_EQ(trueRect.bottom, 161);
  const Hit table[] = {
      {{100, 100}, CRectTracker::hitTopLeft},     {{198, 100}, CRectTracker::hitTopRight},
      {{198, 158}, CRectTracker::hitBottomRight}, {{100, 158}, CRectTracker::hitBottomLeft},
      {{150, 100}, CRectTracker::hitTop},         {{198, 129}, CRectTracker::hitRight},
      {{150, 158}, CRectTracker::hitBottom},      {{100, 129}, CRectTracker::hitLeft},
      {{150, 130}, CRectTracker::hitMiddle},      {{120, 130}, CRectTracker::hitMiddle},
      {{50, 50}, CRectTracker::hitNothing},       {{201, 130}, CRectTracker::hitNothing},
  };
  for (const Hit &h : table)
    EXPECT_EQ(t.HitTest(h.pt), h.want) << h.pt.x << "," << h.pt.y;

  // Handles outside: the corner handle lies beyond the rectangle.
  CRectTracker out({100, 100, 200, 160}, CRectTracker::resizeOutside);
  EXPECT_EQ(out.HitTest({97, 97}), CRectTracker::hitTopLeft);
  // Without a resize style everything inside is the middle.
  CRectTracker plain({100, 100, 200, 160}, CRectTracker::solidLine);
  EXPECT_EQ(plain.HitTest({100, 100}), CRectTracker::hitMiddle);
  // A small rectangle has only its corners.
  CRectTracker small({10, 10, 22, 22}, CRectTracker::resizeInside);
  EXPECT_EQ(small.HitTest({12, 10}), CRectTracker::hitTopLeft);
  EXPECT_EQ(small.HitTest({16, 10}), CRectTracker::hitMiddle);
}

class TrackTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(wnd.Create(nullptr, "track", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300}, nullptr, 0));
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&m);
  }
  void post(UINT msg, int x, int y) { PostMessageA(wnd.m_hWnd, msg, 0, MAKELPARAM(x, y)); }
  CWnd wnd;
};

TEST_F(TrackTest, MoveSizeCancelAndQuit) {
  CRectTracker t({100, 100, 200, 160}, CRectTracker::solidLine | CRectTracker::resizeInside);
  // Dragging the middle moves the rectangle.
  post(WM_MOUSEMOVE, 160, 140);
  post(WM_MOUSEMOVE, 170, 150);
  post(WM_LBUTTONUP, 170, 150);
  EXPECT_TRUE(t.Track(&wnd, {150, 130}));
  EXPECT_EQ(t.m_rect.left, 120);
  EXPECT_EQ(t.m_rect.top, 120);
  EXPECT_EQ(t.m_rect.right, 220);
  EXPECT_EQ(t.m_rect.bottom, 180);

  // The bottom-right handle sizes, down to the minimum and no further.
  post(WM_MOUSEMOVE, 0, 0);
  post(WM_LBUTTONUP, 0, 0);
  EXPECT_TRUE(t.Track(&wnd, {218, 178}));
  EXPECT_EQ(t.m_rect.right - t.m_rect.left, 8);
  EXPECT_EQ(t.m_rect.bottom - t.m_rect.top, 8);
  EXPECT_EQ(t.m_rect.left, 120);

  // Esc gives the old rectangle back.
  t.m_rect = {100, 100, 200, 160};
  post(WM_MOUSEMOVE, 180, 160);
  PostMessageA(wnd.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  post(WM_LBUTTONUP, 180, 160);
  EXPECT_FALSE(t.Track(&wnd, {150, 130}));
  EXPECT_EQ(t.m_rect.left, 100);
  EXPECT_EQ(t.m_rect.bottom, 160);
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
    ;

  // A quit during tracking cancels it and is posted again for the program's loop.
  post(WM_MOUSEMOVE, 180, 160);
  PostQuitMessage(7);
  EXPECT_FALSE(t.Track(&wnd, {150, 130}));
  EXPECT_EQ(t.m_rect.left, 100);
  bool quit = false;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
    if (m.message == WM_QUIT) {
      quit = true;
      EXPECT_EQ(m.wParam, 7u);
    }
  EXPECT_TRUE(quit);
  EXPECT_EQ(GetCapture(), nullptr);
}

} // namespace

// The message board's own window, driven by a timer script.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "../common/testwin.h"
#include "input/board.h"
#include "settings/answers.h"
#include "settings/appstate.h"

namespace {

HWND board() { return FindWindowA("Board_Frame", nullptr); }

class Board : public ::testing::Test {
protected:
  void TearDown() override {
    ui_setresponder(nullptr);
    MesgSuppress = 0;
    testwin::drain();
  }
  testwin::Windows win_;
};

TEST_F(Board, ShiftKeepsItOpenCtrlClosesIt) {
  testwin::RealModals real;
  testwin::Watchdog dog;
  bool open_after_shift = false, frame_disabled = false, captured = false;
  testwin::Script script({[] {},
                          [&] {
                            frame_disabled = !IsWindowEnabled(win_.frame);
                            captured = GetCapture() == board();
                            PostMessageA(board(), WM_KEYDOWN, VK_SHIFT, 0);
                          },
                          [&] {
                            open_after_shift = board() != nullptr;
                            PostMessageA(board(), WM_KEYDOWN, VK_CONTROL, 0);
                          }});
  EXPECT_EQ(brd_show(nullptr, "ワーニング", "body text"), 0);
  EXPECT_TRUE(script.done());
  EXPECT_TRUE(frame_disabled);
  EXPECT_TRUE(captured);
  EXPECT_TRUE(open_after_shift);
  EXPECT_EQ(board(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(win_.frame));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Board, PlacedOverTheGivenRectangleWithItsShadow) {
  testwin::RealModals real;
  testwin::Watchdog dog;
  RECT at = {100, 120, 400, 220}, got{};
  testwin::Script script({[&] {
    GetWindowRect(board(), &got);
    PostMessageA(board(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  }});
  EXPECT_EQ(brd_show(&at, "h", ""), 0);
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  EXPECT_EQ(got.left, 100);
  EXPECT_EQ(got.top, 120);
  EXPECT_EQ(got.right, 400 + 12 * bx);
  EXPECT_EQ(got.bottom, 220 + 12 * by);
}

TEST_F(Board, QuitWhileOpenClosesItAndStaysPending) {
  testwin::RealModals real;
  testwin::Watchdog dog;
  testwin::Script script({[] { PostQuitMessage(5); }});
  EXPECT_EQ(brd_show(nullptr, "h", "b"), 0);
  EXPECT_EQ(board(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(win_.frame));
  EXPECT_EQ(GetCapture(), nullptr);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 5u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(Board, ColoursHoldForOneBoardAndMissingTextsShowNothing) {
  std::vector<UiQuestion> asked;
  ui_setresponder([&](const UiQuestion &q) {
    asked.push_back(q);
    return 0;
  });
  brd_color(0x10, 1, 2, 3, 4, RGB(9, 9, 9));
  EXPECT_EQ(brd_show(nullptr, "h", "b"), 0);
  brd_show(nullptr, "h", "b");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].colours[4], RGB(9, 9, 9));
  EXPECT_EQ(asked[0].colours[0], RGB(0, 0, 255));
  EXPECT_EQ(asked[0].colours[2], RGB(255, 255, 255));
  EXPECT_EQ(asked[1].colours[4], RGB(0, 0, 0));
  EXPECT_EQ(brd_show(nullptr, "h", nullptr), -1);
  EXPECT_EQ(brd_show(nullptr, nullptr, "b"), -1);
  MesgSuppress = 1;
  EXPECT_EQ(brd_show(nullptr, "h", "b"), 0);
  EXPECT_EQ(asked.size(), 2u);
}

} // namespace

// The input wait with real windows: posted messages become input codes.
#include <gtest/gtest.h>

#include <windows.h>

#include "../common/testwin.h"
#include "commands/cmdl/cmdtable.h"
#include "input/gcr.h"
#include "settings/appstate.h"

namespace {

using testwin::Drawing;

class InputWait : public ::testing::Test {
protected:
  void SetUp() override {
    gcr_evreset();
    CmdLevel = -1;
    GcrEscSwitch = 0;
    testwin::hold_keys({});
    view_ = &win_.open(0, 2);
    testwin::drain();
  }
  void TearDown() override {
    testwin::hold_keys({});
    gcr_setsource(nullptr);
    CmdLevel = -1;
    testwin::drain();
  }
  struct Got {
    int code;
    int32_t dwg, view, x, y;
  };
  Got wait(int block = 1) {
    Got g{0, -9, -9, -9, -9};
    g.code = gcr_wait(&g.dwg, &g.view, &g.x, &g.y, block);
    return g;
  }
  testwin::Windows win_;
  testwin::Watchdog dog_;
  Drawing *view_ = nullptr;
};

TEST_F(InputWait, LeftClicksByModifier) {
  const struct {
    WPARAM keys;
    int code;
  } cases[] = {{0, 500}, {MK_SHIFT, 502}, {MK_CONTROL, 504}, {MK_SHIFT | MK_CONTROL, 502}};
  for (const auto &c : cases) {
    PostMessageA(view_->view, WM_LBUTTONDOWN, c.keys | MK_LBUTTON, MAKELPARAM(30, 40));
    Got g = wait();
    EXPECT_EQ(g.code, c.code) << c.keys;
    EXPECT_EQ(g.dwg, 0);
    EXPECT_EQ(g.view, 2);
    EXPECT_EQ(g.x, 30);
    EXPECT_EQ(g.y, 40);
  }
}

TEST_F(InputWait, CapturedPointsLeftOrAboveStayNegative) {
  const struct { int x, y; } cases[] = {{-5, -7}, {-1, 20}, {250, -32768}, {32767, 0}};
  for (const auto &c : cases) {
    PostMessageA(view_->view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    Got g = wait();
    EXPECT_EQ(g.code, 500);
    EXPECT_EQ(g.x, c.x);
    EXPECT_EQ(g.y, c.y);
  }
  PostMessageA(view_->view, WM_MOUSEMOVE, 0, MAKELPARAM(-3, -4));
  Got g = wait();
  EXPECT_EQ(g.code, -1);
  EXPECT_EQ(g.x, -3);
  EXPECT_EQ(g.y, -4);
}

TEST_F(InputWait, RightPressThenReleaseGivesEndOfChain) {
  PostMessageA(view_->view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(11, 12));
  EXPECT_EQ(wait(0).code, 0);
  PostMessageA(view_->view, WM_RBUTTONUP, 0, MAKELPARAM(11, 12));
  Got g = wait(0);
  EXPECT_EQ(g.code, 501);
  EXPECT_EQ(g.x, 11);
  EXPECT_EQ(g.view, 2);
  // With Shift, and a release without a press before it.
  PostMessageA(view_->view, WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(1, 2));
  PostMessageA(view_->view, WM_RBUTTONUP, MK_SHIFT, MAKELPARAM(1, 2));
  EXPECT_EQ(wait().code, 503);
  PostMessageA(view_->view, WM_RBUTTONUP, 0, MAKELPARAM(1, 2));
  EXPECT_EQ(wait(0).code, 0);
}

TEST_F(InputWait, ForcedRightClickGoesStraightToTheCommand) {
  CmdRclickForced = 1;
  PostMessageA(view_->view, WM_RBUTTONDOWN, MK_CONTROL, MAKELPARAM(5, 6));
  EXPECT_EQ(wait(0).code, 505);
  EXPECT_EQ(CmdRclickForced, 0u);
}

TEST_F(InputWait, NoActiveDrawingWindowEndsTheCommandAndLeavesTheMessage) {
  SendMessageA(testwin::client(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(view_->child), 0);
  win_.drawings.clear();
  std::memset(vewtbl, 0, sizeof vewtbl);
  vewmask[0] = 0;
  testwin::drain();
  PostMessageA(win_.frame, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(wait().code, 800);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, win_.frame, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
}

int pumped_at = -2;
int32_t requested() {
  pumped_at = CmdLevel;
  return CMD_DONE;
}

TEST_F(InputWait, PendingCommandRunsBeforeTheMessageIsConverted) {
  cmd_reset();
  cmd_request(1, requested, 5, nullptr);
  PostMessageA(view_->view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 3));
  EXPECT_EQ(wait().code, 500);
  EXPECT_EQ(pumped_at, 1);
  cmd_reset();
}

TEST_F(InputWait, PrivateRequests) {
  const struct {
    UINT msg;
    WPARAM wp;
    int level;
    int code;
  } cases[] = {{GCR_MSG_CANCEL, 0, 0, 800}, {GCR_MSG_CANCEL, 0, 1, 27},  {GCR_MSG_CANCEL, 0, -1, 800},
               {GCR_MSG_ESCAPE, 0, 1, 800}, {GCR_MSG_REQ820, 0, 0, 820}, {GCR_MSG_REQ821, 0, 0, 821},
               {GCR_MSG_ATTR, 0, 0, 823},   {GCR_MSG_CTRL, 1, 0, 527},   {GCR_MSG_CTRL, 0, 0, 528},
               {GCR_MSG_WAKE, 0, 0, -2}};
  for (const auto &c : cases) {
    CmdLevel = c.level;
    PostMessageA(win_.frame, c.msg, c.wp, 0);
    EXPECT_EQ(wait().code, c.code) << c.msg << " at level " << c.level;
  }
  GcrEscSwitch = 1;
  PostMessageA(win_.frame, GCR_MSG_ESCAPE, 0, 0);
  EXPECT_EQ(wait().code, 27);
}

TEST_F(InputWait, QuitEndsTheCommandAndStaysPending) {
  for (int block : {1, 0}) {
    PostQuitMessage(7 + block);
    EXPECT_EQ(wait(block).code, 800);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << block;
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(7 + block));
  }
}

TEST_F(InputWait, ClosingTheMainWindowWaitsForTheCommand) {
  PostMessageA(win_.frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(wait().code, 800);
  EXPECT_TRUE(IsWindow(win_.frame));
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, win_.frame, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
  EXPECT_EQ(m.wParam, static_cast<WPARAM>(SC_CLOSE));
  // Other system commands go through.
  PostMessageA(win_.frame, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(wait().code, 0);
}

TEST_F(InputWait, ClosingTheOnlyViewWaitsClosingOneOfTwoDoesNot) {
  vew_select(2);
  PostMessageA(view_->child, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(wait().code, 800);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, view_->child, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
  Drawing &other = win_.open(0, 3);
  vew_select(3);
  PostMessageA(other.child, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(wait().code, 0);
  EXPECT_FALSE(IsWindow(other.child));
}

TEST_F(InputWait, KeysInAViewAndModifiers) {
  SetFocus(view_->view);
  ASSERT_EQ(GetFocus(), view_->view);
  PostMessageA(view_->view, WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
  EXPECT_EQ(wait().code, -1);
  // Shift alone repeats the previous event with the key bit.
  testwin::hold_keys({VK_SHIFT});
  PostMessageA(view_->view, WM_KEYDOWN, VK_SHIFT, 0);
  Got g = wait();
  EXPECT_EQ(g.code, -1);
  EXPECT_EQ(g.x, 50);
  EXPECT_EQ(gcr_evkeys(), 0); // a move carries no keys for the caller
  int32_t keys = 0;
  gcr_event(nullptr, nullptr, nullptr, nullptr, &keys);
  EXPECT_EQ(keys, 1);
  testwin::hold_keys({});
  PostMessageA(view_->view, WM_KEYDOWN, VK_TAB, 0);
  g = wait();
  EXPECT_EQ(g.code, 9);
  EXPECT_EQ(g.dwg, dwg_cur());
  EXPECT_EQ(g.x, 50); // keys keep the last position
}

TEST_F(InputWait, SlashTakesTheCursorPosition) {
  SetFocus(view_->view);
  POINT at{40, 30};
  ClientToScreen(view_->child, &at);
  SetCursorPos(at.x, at.y);
  PostMessageA(view_->view, WM_CHAR, '/', 0);
  Got g = wait();
  EXPECT_EQ(g.code, 47);
  POINT cur;
  GetCursorPos(&cur);
  ScreenToClient(view_->child, &cur);
  EXPECT_EQ(g.x, cur.x);
  EXPECT_EQ(g.y, cur.y);
  PostMessageA(view_->view, WM_CHAR, 'a', 0);
  EXPECT_EQ(wait().code, 0);
  SetCursorPos(1270, 1010);
}

TEST_F(InputWait, MovesOutsideDrawingWindowsAndPolling) {
  PostMessageA(win_.frame, WM_MOUSEMOVE, 0, MAKELPARAM(7, 8));
  Got g = wait();
  EXPECT_EQ(g.code, -1);
  EXPECT_EQ(g.dwg, -1);
  EXPECT_EQ(g.view, -1);
  EXPECT_EQ(g.x, 7);
  // A click outside a drawing window gives the last event again.
  PostMessageA(win_.frame, WM_LBUTTONDOWN, 0, MAKELPARAM(9, 9));
  g = wait();
  EXPECT_EQ(g.code, -1);
  EXPECT_EQ(g.x, 7);
  testwin::drain();
  g = wait(0);
  EXPECT_EQ(g.code, 0);
  EXPECT_EQ(g.x, -9); // nothing written
  EXPECT_EQ(gcr_event(nullptr, nullptr, nullptr, nullptr, nullptr), -1);
}

TEST_F(InputWait, ModifierBitsFromTheKeyboardState) {
  const struct {
    std::initializer_list<int> keys;
    int bits;
  } cases[] = {{{}, 0},        {{VK_SHIFT}, 1},    {{VK_CAPITAL}, 2},
               {{VK_MENU}, 8}, {{VK_CONTROL}, 16}, {{VK_SHIFT, VK_CONTROL}, 17}};
  for (const auto &c : cases) {
    testwin::hold_keys(c.keys);
    EXPECT_EQ(gcr_keys(), c.bits);
  }
}

TEST(KeyinFilter, MaskChoosesTheKeysThatEndTheLine) {
  const struct {
    UINT msg;
    WPARAM wp;
    uint32_t bit;
    int code;
  } cases[] = {{WM_KEYDOWN, VK_ESCAPE, 0x1, 27}, {WM_KEYDOWN, VK_UP, 0x2, 30},    {WM_KEYDOWN, VK_DOWN, 0x4, 31},
               {WM_KEYDOWN, VK_SPACE, 0x8, 32},  {WM_KEYDOWN, VK_LEFT, 0x10, 29}, {WM_KEYDOWN, VK_RIGHT, 0x20, 28},
               {WM_LBUTTONDOWN, 0, 0x40, 500},   {WM_RBUTTONDOWN, 0, 0x80, 501},  {WM_CHAR, '=', 0x100, 61},
               {WM_KEYDOWN, VK_TAB, 0x200, 9},   {WM_KEYDOWN, VK_F1, 0x1000, 257}};
  for (const auto &c : cases) {
    KeyinMask = 0;
    EXPECT_EQ(keyin_filter(nullptr, c.msg, c.wp), 0) << c.code;
    KeyinMask = c.bit;
    EXPECT_EQ(keyin_filter(nullptr, c.msg, c.wp), c.code);
    KeyinMask = 0xFFFFFFFF & ~c.bit;
    EXPECT_EQ(keyin_filter(nullptr, c.msg, c.wp), 0) << c.code;
  }
  KeyinMask = 0xFFFFFFFF;
  EXPECT_EQ(keyin_filter(nullptr, WM_KEYDOWN, VK_RETURN), 0); // the edit window ends on Enter itself
  EXPECT_EQ(keyin_filter(nullptr, WM_KEYDOWN, 'A'), 0);
  EXPECT_EQ(keyin_filter(nullptr, WM_CHAR, 'a'), 0);
  KeyinMask = 0;
}

// A scripted source stands in for the message queue.
int script_left = 0;
int scripted(InputEvent *next) {
  if (script_left == 0)
    return 0;
  script_left--;
  *next = InputEvent{500, 1, 3, 10, 20, 0};
  return 1;
}

TEST_F(InputWait, ScriptedEventsThenEndOfCommand) {
  script_left = 1;
  gcr_setsource(scripted);
  Got g = wait();
  EXPECT_EQ(g.code, 500);
  EXPECT_EQ(g.dwg, 1);
  EXPECT_EQ(g.view, 3);
  EXPECT_EQ(wait().code, 800);
}

} // namespace

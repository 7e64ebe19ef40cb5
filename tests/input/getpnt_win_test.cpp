// The get-point loop fed by a scripted input source over real views.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "../common/testwin.h"
#include "display/marks/snapmark.h"
#include "input/gcr.h"
#include "settings/answers.h"
#include "settings/appstate.h"

namespace {

// Each step may change the world before its event is delivered.
struct Step {
  InputEvent ev;
  std::function<void()> before;
};
std::vector<Step> steps;
size_t delivered = 0;

int play(InputEvent *next) {
  if (delivered >= steps.size())
    return 0;
  const Step &s = steps[delivered++];
  if (s.before)
    s.before();
  *next = s.ev;
  return 1;
}

InputEvent ev(int code, int dwg = 0, int view = 0, int x = 20, int y = 30) {
  return InputEvent{code, dwg, view, x, y, 0};
}

class GetPoint : public ::testing::Test {
protected:
  void SetUp() override {
    win_.open(0, 0);
    win_.open(1, 0, 300, 0);
    dwg_setcur(0);
    vew_select(0);
    PickMode = 0;
    CmdLevel = 1;
    steps.clear();
    delivered = 0;
    gcr_setsource(play);
    ui_setresponder([this](const UiQuestion &q) {
      asked.push_back(q.text ? q.text : "");
      return IDOK;
    });
  }
  void TearDown() override {
    gcr_setsource(nullptr);
    ui_setresponder(nullptr);
    CmdLevel = -1;
    PickMode = 0;
  }
  int getpnt(const uint32_t *masks) {
    x = y = -1;
    return gcr_getpnt(0, masks, &x, &y, &dwg, &view);
  }
  testwin::Windows win_;
  testwin::Watchdog dog_;
  std::vector<std::string> asked;
  double x = -1, y = -1;
  int32_t dwg = -9, view = -9;
};

TEST_F(GetPoint, ClickInAViewNotAllowedIsIgnored) {
  const uint32_t only0[2] = {1, 0};
  steps = {{ev(500, 1, 0), nullptr}, {ev(-2), nullptr}, {ev(500, 0, 0, 20, 30), nullptr}};
  EXPECT_EQ(getpnt(only0), 500);
  EXPECT_EQ(delivered, 3u);
  double wx, wy;
  vew_dev2w(0, 0, 20, 30, &wx, &wy);
  EXPECT_DOUBLE_EQ(x, wx);
  EXPECT_DOUBLE_EQ(y, wy);
  EXPECT_EQ(dwg, 0);
  EXPECT_EQ(view, 0);
  EXPECT_EQ(gcr_pickdrw(), 0);
  EXPECT_EQ(gcr_pickvw(), 0);
}

TEST_F(GetPoint, ChangeOfPickModeFromAutomaticTurnsAttributeChangeIntoRequest821) {
  PickMode = 1;
  steps = {{ev(823), [] { PickMode = 3; }}};
  EXPECT_EQ(getpnt(nullptr), 821);
  PickMode = 1;
  steps = {{ev(823), nullptr}};
  delivered = 0;
  EXPECT_EQ(getpnt(nullptr), 823);
  PickMode = 2;
  steps = {{ev(823), [] { PickMode = 3; }}};
  delivered = 0;
  EXPECT_EQ(getpnt(nullptr), 823);
}

TEST_F(GetPoint, RightClickMakesItsViewCurrent) {
  steps = {{ev(501, 1, 0), nullptr}};
  EXPECT_EQ(getpnt(nullptr), 501);
  EXPECT_EQ(dwg_cur(), 1);
  EXPECT_EQ(x, -1); // no point for a right click
}

TEST_F(GetPoint, ShiftRightClickInTheOtherDrawingAsksAndReturns) {
  steps = {{ev(503, 1, 0), nullptr}};
  EXPECT_EQ(getpnt(nullptr), 503);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "図面番号が違う");
  EXPECT_EQ(dwg_cur(), 0);
  steps = {{ev(505, 0, 0), nullptr}};
  delivered = 0;
  EXPECT_EQ(getpnt(nullptr), 505);
  EXPECT_EQ(asked.size(), 1u);
}

TEST_F(GetPoint, EnterIsIgnoredAndOtherKeysReturn) {
  steps = {{ev(13), nullptr}, {ev(-1, 0, 0, 5, 5), nullptr}, {ev(27), nullptr}};
  EXPECT_EQ(getpnt(nullptr), 27);
  EXPECT_EQ(delivered, 3u);
  GcrEnterDone = 1;
  steps = {{ev(13), nullptr}};
  delivered = 0;
  EXPECT_EQ(getpnt(nullptr), 527);
  GcrEnterDone = 0;
}

TEST_F(GetPoint, SlashPicksWithoutChangingTheCurrentView) {
  steps = {{ev(47, 1, 0, 10, 10), nullptr}};
  EXPECT_EQ(getpnt(nullptr), 47);
  EXPECT_EQ(dwg_cur(), 0);
  EXPECT_EQ(gcr_pickdrw(), 1);
  double wx, wy;
  vew_dev2w(1, 0, 10, 10, &wx, &wy);
  EXPECT_DOUBLE_EQ(x, wx);
}

TEST_F(GetPoint, EndsWhenNothingIsOpenAllowedOrTheLevelDrops) {
  const uint32_t none[2] = {0, 0};
  EXPECT_EQ(getpnt(none), 800);
  EXPECT_EQ(delivered, 0u);
  steps = {{ev(-1, 0, 0), [] { CmdLevel = 0; }}};
  EXPECT_EQ(getpnt(nullptr), 800);
  CmdLevel = 1;
  const uint32_t saved[2] = {vewmask[0], vewmask[1]};
  vewmask[0] = vewmask[1] = 0;
  EXPECT_EQ(getpnt(nullptr), 800);
  vewmask[0] = saved[0];
  vewmask[1] = saved[1];
  // The script running out ends the command too.
  steps.clear();
  delivered = 0;
  EXPECT_EQ(getpnt(nullptr), 800);
}

TEST_F(GetPoint, WholeDrawingsAndFeedbackPosition) {
  steps = {{ev(500, 0, 0), nullptr}, {ev(502, 1, 0, 40, 20), nullptr}};
  int32_t d = -9, v = -9;
  double px = 0, py = 0;
  EXPECT_EQ(gcr_getpntm(2, 0, &d, &v, &px, &py), 502);
  EXPECT_EQ(d, 1);
  double wx, wy;
  vew_dev2w(1, 0, 40, 20, &wx, &wy);
  EXPECT_DOUBLE_EQ(px, wx);
  EXPECT_DOUBLE_EQ(py, wy);
  // The accepted point stays the feedback position until cleared.
  EXPECT_EQ(gcr_clrfb(), 0);
  EXPECT_EQ(gcr_clrfb(), -1);
  steps = {{ev(500, 0, 0), nullptr}};
  delivered = 0;
  EXPECT_EQ(getpnt(nullptr), 500);
  EXPECT_EQ(gcr_clrlast(), 0);
  EXPECT_EQ(gcr_clrfb(), -1);
}

TEST_F(GetPoint, SetCursorPutsThePointerOnTheWorldPoint) {
  gcr_setcur(0, 0, 50, 25);
  int32_t px, py;
  vew_w2dev(0, 0, 50, 25, &px, &py);
  POINT want{px, py};
  ClientToScreen(vew_hwnd(0, 0), &want);
  POINT cur;
  GetCursorPos(&cur);
  EXPECT_EQ(cur.x, want.x);
  EXPECT_EQ(cur.y, want.y);
  // Far and undefined points and views without a window leave it in range or alone.
  EXPECT_EQ(gcr_setcur(0, 0, 1e300, std::nan("")), 0);
  EXPECT_EQ(gcr_setcur(0, 7, 1, 1), 0);
  EXPECT_EQ(gcr_setcur(2, 0, 1, 1), 0);
  SetCursorPos(1270, 1010);
}

} // namespace

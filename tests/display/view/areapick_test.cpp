// Picking the two corners of an area in a real view, fed by a scripted input source.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "../../common/testwin.h"
#include "../../database/dbstart.h"
#include "commands/view/areapick_win.h"
#include "input/gcr.h"
#include "input/rubber.h"
#include "ole/areaclip_win.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/appstate.h"

namespace {

std::vector<InputEvent> events;
size_t delivered = 0;

int play(InputEvent *next) {
  if (delivered >= events.size())
    return 0;
  *next = events[delivered++];
  return 1;
}

InputEvent ev(int code, int x = 20, int y = 30) { return InputEvent{code, 0, 0, x, y, 0}; }

class AreaPickTest : public ::testing::Test {
protected:
  void SetUp() override {
    db_start(1000, 100);
    d_ = &win_.open(0, 0);
    dwg_setcur(0);
    vew_select(0);
    CmdLevel = 1;
    events.clear();
    delivered = 0;
    gcr_setsource(play);
    ui_setresponder([](const UiQuestion &) { return 27; });
    uint32_t mode = 0, off = 0;
    sys_pickmode('W', &mode, &off);
    rub_startpt(3, 12.5, 7.25); // the running command's guide
    rub_state('r', &guide_);
  }
  void TearDown() override {
    gcr_setsource(nullptr);
    ui_setresponder(nullptr);
    CmdLevel = -1;
    rub_start(0);
    dtb_term();
  }
  void expect_guide_kept() {
    InputGuide now;
    rub_state('r', &now);
    EXPECT_EQ(std::memcmp(&now, &guide_, sizeof now), 0);
  }
  testwin::Windows win_;
  testwin::Watchdog dog_;
  testwin::Drawing *d_ = nullptr;
  InputGuide guide_;
  AreaPick c_[2] = {{-1, -1, 0, 0, 0, 0, 0, 0}, {-1, -1, 0, 0, 0, 0, 0, 0}};
};

} // namespace

TEST_F(AreaPickTest, TwoCornersWithTheirDevicePointsAndScreenPoints) {
  events = {ev(500, 20, 30), ev(500, 120, 70)};
  EXPECT_EQ(clp_pickrect(1023, c_), 500);
  expect_guide_kept();
  double wx, wy;
  vew_dev2w(0, 0, 120, 70, &wx, &wy);
  EXPECT_EQ(c_[1].dwg, 0);
  EXPECT_EQ(c_[1].view, 0);
  EXPECT_DOUBLE_EQ(c_[1].wx, wx);
  EXPECT_DOUBLE_EQ(c_[1].wy, wy);
  int32_t px, py;
  vew_w2dev(0, 0, wx, wy, &px, &py);
  EXPECT_EQ(c_[1].dx, px);
  EXPECT_EQ(c_[1].dy, py);
  POINT s{px, py};
  ClientToScreen(d_->view, &s);
  EXPECT_EQ(c_[1].sx, s.x);
  EXPECT_EQ(c_[1].sy, s.y);
  EXPECT_LT(c_[0].wx, c_[1].wx);
}

TEST_F(AreaPickTest, EndOfChainAtTheSecondCornerAsksForTheFirstAgain) {
  events = {ev(500, 20, 30), ev(501), ev(500, 60, 10), ev(500, 150, 90)};
  EXPECT_EQ(clp_pickrect(1023, c_), 500);
  EXPECT_EQ(delivered, 4u);
  double wx, wy;
  vew_dev2w(0, 0, 60, 10, &wx, &wy);
  EXPECT_DOUBLE_EQ(c_[0].wx, wx);
  expect_guide_kept();
}

TEST_F(AreaPickTest, CancelAndEndKeepTheGuide) {
  events = {ev(500, 20, 30), ev(27)};
  EXPECT_EQ(clp_pickrect(1023, c_), 27);
  expect_guide_kept();
  events = {ev(500, 20, 30)}; // then no input: the wait ends the command
  delivered = 0;
  EXPECT_EQ(clp_pickrect(1023, c_), 800);
  expect_guide_kept();
  delivered = 0;
  events = {ev(27)};
  EXPECT_EQ(clp_copycmd(), -1);
}

// Point input for commands over real views, fed by a scripted input source.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "../common/testwin.h"
#include "../database/dbstart.h"
#include "database/elements.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "input/rubber.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/units/ledit.h"
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

InputEvent ev(int code, int dwg = 0, int view = 0, int x = 20, int y = 30) {
  return InputEvent{code, dwg, view, x, y, 0};
}

class Point : public ::testing::Test {
protected:
  void SetUp() override {
    win_.open(0, 0);
    win_.open(1, 0, 300, 0);
    dwg_setcur(0);
    vew_select(0);
    CmdLevel = 1;
    events.clear();
    delivered = 0;
    gcr_setsource(play);
    ui_setresponder([](const UiQuestion &) { return 27; });
    uint32_t mode = 0, off = 0;
    sys_pickmode('W', &mode, &off);
    PointRetain = {0, 0};
    rub_start(0);
    std::memset(InputPoints, 0, sizeof InputPoints);
  }
  void TearDown() override {
    gcr_setsource(nullptr);
    ui_setresponder(nullptr);
    CmdLevel = -1;
    PointRetain = {0, 0};
  }
  int point(uint32_t mask, int32_t mode = 0) {
    events_start();
    x = y = -1;
    kb = mode;
    return gcr_point(0, 0, mask, &x, &y, &dwg, &kb);
  }
  static void events_start() { delivered = 0; }
  static void world(int dwg, int px, int py, double *wx, double *wy) { vew_dev2w(dwg, 0, px, py, wx, wy); }
  testwin::Windows win_;
  testwin::Watchdog dog_;
  double x = -1, y = -1;
  int32_t dwg = -9, kb = 0;
};

TEST_F(Point, KeyboardModeTwoReturnsDigits) {
  struct Case {
    std::vector<InputEvent> in;
    int mode;
    int code;
  } cases[] = {
      {{ev(101)}, 2, 53},         // numeric-pad 5
      {{ev(190)}, 2, 110},        // the main keyboard's '.'
      {{ev(110)}, 2, 110},        // the numeric pad's
      {{ev(65), ev(55)}, 2, 55},  // other keys are passed over
      {{ev(53), ev(27)}, 0, 27},  // mouse mode: digits are no input
      {{ev(101), ev(27)}, 7, 27}, // an unknown mode counts as 0
  };
  for (const Case &c : cases) {
    events = c.in;
    EXPECT_EQ(point(0, c.mode), c.code);
    EXPECT_EQ(dwg, -1);
    EXPECT_EQ(kb, c.mode == 7 ? 0 : c.mode);
  }
}

TEST_F(Point, AClickBecomesTheReferencePoint) {
  events = {ev(500, 0, 0, 20, 30)};
  EXPECT_EQ(point(0), 500);
  double wx, wy;
  world(0, 20, 30, &wx, &wy);
  EXPECT_DOUBLE_EQ(x, wx);
  EXPECT_DOUBLE_EQ(y, wy);
  EXPECT_EQ(dwg, 0);
  double rx = 0, ry = 0, third = 9;
  gcr_refget(0, &rx, &ry, &third);
  EXPECT_DOUBLE_EQ(rx, wx);
  EXPECT_DOUBLE_EQ(ry, wy);
  EXPECT_DOUBLE_EQ(third, 0);
  double lx = 0, ly = 0;
  gcr_lastpick(&lx, &ly);
  EXPECT_DOUBLE_EQ(lx, wx);
  // The input guide acts on the delivered point, not on the last pick.
  rub_startline(1, 1, 0, 0, 0); // horizontal from (0, 0)
  events = {ev(500, 0, 0, 40, 20)};
  EXPECT_EQ(point(0), 500);
  EXPECT_DOUBLE_EQ(y, 0);
  gcr_lastpick(&lx, &ly);
  EXPECT_NE(ly, 0);
  rub_start(0);
}

TEST_F(Point, RetainedDrawingAfterAnAttributeChange) {
  events = {ev(823)};
  EXPECT_EQ(point(GCR_CURDWG), 823);
  EXPECT_EQ(PointRetain.on, 1u);
  // Another drawing became current meanwhile: input stays in the first.
  dwg_setcur(1);
  events = {ev(500, 1, 0), ev(500, 0, 0)};
  EXPECT_EQ(point(GCR_CURDWG), 500);
  EXPECT_EQ(dwg, 0);
  EXPECT_EQ(delivered, 2u);
  EXPECT_EQ(PointRetain.on, 0u);
  // Without the retained set the current drawing is taken.
  dwg_setcur(1);
  events = {ev(500, 1, 0)};
  EXPECT_EQ(point(GCR_CURDWG), 500);
  EXPECT_EQ(dwg, 1);
}

TEST_F(Point, CodesThatEndTheInput) {
  struct Case {
    std::vector<InputEvent> in;
    uint32_t mask;
    int code;
    size_t taken;
  } cases[] = {
      {{ev(500)}, 4, 700, 0}, // no drawing allowed: nothing waited
      {{ev(27)}, 0, 27, 1},         {{ev(501)}, GCR_CURONLY, 501, 1}, {{ev(505)}, 0, 501, 1},
      {{ev(527)}, 0, 527, 1},       {{ev(820), ev(800)}, 0, 800, 2}, // 820 only when asked for
      {{ev(47), ev(27)}, 0, 27, 2},
  };
  for (const Case &c : cases) {
    events = c.in;
    EXPECT_EQ(point(c.mask), c.code) << c.in[0].code;
    EXPECT_EQ(delivered, c.taken) << c.in[0].code;
  }
  events = {ev(820)};
  events_start();
  EXPECT_EQ(gcr_point(GCR_RET820, 0, 0, &x, &y, &dwg, nullptr), 820); // a null mode is mode 0
  // With the snap off '/' is passed over.
  uint32_t off = 1;
  sys_pickmode('W', nullptr, &off);
  events = {ev(47), ev(27)};
  EXPECT_EQ(point(0), 27);
  EXPECT_EQ(kb, 0);
}

TEST_F(Point, PointOnAnElementFromTwoPicks) {
  db_start(2000, 100);
  SheetRecord s;
  sys_sheet('R', 0, &s);
  s.width = 100;
  s.height = 50;
  sys_sheet('W', 0, &s);
  ElementRecord r{};
  r.kind = LIN;
  r.layer = 1;
  r.lin = LinBody{0, 0, 100, 0, 0x11, {}};
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &r, nullptr), 0);
  uint32_t mode = 2;
  sys_pickmode('W', &mode, nullptr);
  // The view shows (0, 0)-(100, 50) on 200 x 100 pixels: y 99 is just above the line.
  events = {ev(500, 0, 0, 20, 99), ev(500, 0, 0, 40, 99)};
  EXPECT_EQ(point(0), 500);
  EXPECT_NEAR(x, 0, 1e-9); // both picks nearer the start
  EXPECT_NEAR(y, 0, 1e-9);
  EXPECT_EQ(dwg, 0);
  // Esc at the second pick: no point, the round repeats until the script ends.
  events = {ev(500, 0, 0, 20, 99), ev(27)};
  EXPECT_EQ(point(0), 800);
  dtb_term();
}

TEST_F(Point, SlashSnapsTheBaseOfKeyboardEntry) {
  db_start(2000, 100);
  ElementRecord r{};
  r.kind = PNT;
  r.layer = 1;
  r.pnt.x = 12;
  r.pnt.y = 34;
  r.pnt.attr = 1;
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &r, nullptr), 0);
  // '/' near the point element, then "5,1" typed into the keyboard entry that follows.
  testwin::Script script({[] {}, [] {},
                          [] {
                            HWND e = GetWindow(ledit_window(), GW_CHILD);
                            for (const char *c = "5,1"; *c; ++c)
                              PostMessageA(e, WM_CHAR, static_cast<unsigned char>(*c), 1);
                            PostMessageA(e, WM_KEYDOWN, VK_RETURN, 1);
                          }});
  events = {ev(47, 0, 0, 23, 32)};
  EXPECT_EQ(point(0), 13);
  EXPECT_EQ(kb, 1); // stays in keyboard entry for the next point
  EXPECT_EQ(dwg, 0);
  EXPECT_DOUBLE_EQ(x, 17);
  EXPECT_DOUBLE_EQ(y, 35);
  double rx = 0, ry = 0;
  gcr_refget(0, &rx, &ry, nullptr);
  EXPECT_DOUBLE_EQ(rx, 17);
  dtb_term();
}

} // namespace

namespace {

// Keyboard entry whose line editor cannot be made (here: its owner window is gone)
// hands over to the mouse instead of trying again at once, forever.
TEST_F(Point, KeyboardEntryWithoutAnEditorFallsBackToTheMouse) {
  HWND gone = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  DestroyWindow(gone);
  app_setwindows(gone, testwin::client());
  events = {ev(500, 0, 0, 20, 30)};
  const int code = point(0, 1);
  app_setwindows(win_.frame, testwin::client());
  EXPECT_EQ(code, 500);
  EXPECT_EQ(kb, 0);
  EXPECT_EQ(delivered, 1u);
}

} // namespace

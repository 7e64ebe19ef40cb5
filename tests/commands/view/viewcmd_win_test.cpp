// View, grid and sheet commands run through the pump over the harness's windows:
// zoom by window and ratio, step zoom and scroll, the zoom history, the grid
// switches, the sheet changes, and undo while another command waits.
#include "../cmdharness.h"

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../files/dlgpilot.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "commands/cmdl/cmddlg.h"
#include "commands/view/quickset.h"
#include "commands/view/sheet.h"
#include "commands/view/sheetcalc.h"
#include "display/marks/grid.h"
#include "display/view/viewtbl.h"
#include "files/dialogs.h"
#include "settings/winutil.h"
#include "shell/units/abox.h"
#include "settings/appwin.h"
#include "shell/units/keytable.h"
#include "shell/units/ledit.h"
#include "shell/units/units.h"
#include "shell/drawwin/viewwin.h"
#include "../typist.h"
#include "display/view/viewstate.h"

using namespace cmdtest;

namespace {

struct Win {
  double x0, y0, x1, y1;
  double w() const { return x1 - x0; }
  double h() const { return y1 - y0; }
  double cx() const { return (x0 + x1) / 2; }
  double cy() const { return (y0 + y1) / 2; }
};

class ViewCmd : public CommandTest {
protected:
  void SetUp() override {
    CommandTest::SetUp();
    std::memset(ZoomHistory, 0, sizeof ZoomHistory);
    std::memset(SheetStacks, 0, sizeof SheetStacks);
    MouseView = {-1, -1};
    dwg_setstate(0, 0);
    dwg_setstate(1, 0);
    SheetRecord s;
    sys_sheet('R', 0, &s);
    s.width = 400, s.height = 200, s.num = 1, s.den = 1, s.scale = 1;
    sys_sheet('W', 0, &s);
    double steps[3] = {0.1, 2.0, 4.0}; // move, zoom in, zoom out
    sys_dspstep('W', steps);
  }
  void TearDown() override {
    ViewCmdDialog = dlg_run;
    ShtRecord = dtb_ptr;
    CommandTest::TearDown();
  }
  static Win shown(int dwg = 0, int view = 0) {
    ViewXform xf;
    vew_frame('r', dwg, view, &xf);
    return {xf.sxmin, xf.symin, xf.sxmax, xf.symax};
  }
  // Runs command n with points and typed lines; what each line editor proposed is kept.
  int type(int n, std::vector<Ev> points, std::vector<const char *> lines) {
    Typist t(std::move(lines));
    const int r = run(n, std::move(points));
    EXPECT_TRUE(t.done()) << "command " << n << " left typed lines unread";
    shown_ = t.shown;
    return r;
  }
  std::vector<std::string> shown_;
};

TEST_F(ViewCmd, RatioOneAboutTheSheetCentreShowsTheWholeSheetWidth) {
  EXPECT_EQ(type(504, {rclick(), click(200, 100)}, {"1.0"}), 700);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0], "1.0");
  const Win w = shown();
  EXPECT_NEAR(w.w(), 400, 1e-6);
  EXPECT_NEAR(w.cx(), 200, 1e-6);
  EXPECT_NEAR(w.cy(), 100, 1e-6);
  ASSERT_EQ(ZoomHistory[0].count, 1);
  EXPECT_EQ(ZoomHistory[0].win[0][0], w.x0);
  EXPECT_EQ(ZoomHistory[0].win[0][3], w.y1);
}

TEST_F(ViewCmd, RatiosOutsideTheRangeOrNotFiniteAreAskedAgain) {
  EXPECT_EQ(type(504, {rclick(), click(0, 0)}, {"0.00001", "20000", "nan", "1e400", "1e400-1e400", "2"}), 700);
  EXPECT_NEAR(shown().w(), 200, 1e-6);
  EXPECT_EQ(ZoomHistory[0].count, 1);
}

TEST_F(ViewCmd, EscAtTheRatioEndsWithoutAZoom) {
  const Win before = shown();
  EXPECT_EQ(type(504, {rclick(), click(0, 0)}, {nullptr}), 27);
  EXPECT_EQ(shown().w(), before.w());
  EXPECT_EQ(ZoomHistory[0].count, 0);
}

TEST_F(ViewCmd, ZoomInShowsTheRectangle) {
  EXPECT_EQ(run(504, {click(-20, -10), click(20, 10)}), 700);
  const Win w = shown();
  EXPECT_NEAR(w.w(), 40, 0.5);
  EXPECT_NEAR(w.cx(), 0, 1e-6);  // A rectangle without height changes nothing and is not remembered.
  EXPECT_EQ(run(504, {click(-5, 3), click(5, 3)}), 700);
  EXPECT_EQ(shown().w(), w.w());
  EXPECT_EQ(ZoomHistory[0].count, 1);
}

TEST_F(ViewCmd, ZoomOutWithAHalfWideRectangleDoublesTheWidthAboutTheSameCentre) {
  vew_setwin(0, 0, 0, -40, -25, 60, 25);
  const Win before = shown();
  EXPECT_EQ(run(505, {click(-20, -10), click(30, 15)}), 700);
  const Win w = shown();
  EXPECT_NEAR(w.w(), 2 * before.w(), 1e-6);
  EXPECT_NEAR(w.cx(), before.cx(), 1e-6);
  EXPECT_NEAR(w.cy(), before.cy(), 1e-6);
}

TEST_F(ViewCmd, SixZoomsAreRememberedAndThePreviousViewComesBack) {
  std::vector<Win> after;
  for (int i = 0; i < 7; i++) {
    const Win now = shown();
    const double q = now.w() / 8;
    EXPECT_EQ(run(504, {click(now.cx() - q, now.cy() - q / 2), click(now.cx() + q + i, now.cy() + q / 2)}), 700);
    after.push_back(shown());
  }
  ASSERT_EQ(ZoomHistory[0].count, 6);
  for (int k = 0; k < 6; k++)
    EXPECT_EQ(ZoomHistory[0].win[k][0], after[6 - k].x0) << k;
  EXPECT_EQ(cm_prevview(), 0);
  EXPECT_EQ(shown().x0, after[5].x0);
  EXPECT_EQ(shown().x1, after[5].x1);
}

TEST_F(ViewCmd, PreviousViewNeedsTwoZooms) {
  const Win before = shown();
  EXPECT_EQ(run(504, {click(-20, -10), click(20, 10)}), 700);
  const Win zoomed = shown();
  EXPECT_EQ(cm_prevview(), 0);
  EXPECT_EQ(shown().x0, zoomed.x0);
  EXPECT_NE(zoomed.x0, before.x0);
}

TEST_F(ViewCmd, StepZoomsUseTheDisplaySteps) {
  // Steps: zoom in 2, zoom out 4 (magnifications).
  Win w = shown();
  EXPECT_EQ(now(509), 0); // 段階拡大: the window shrinks, the drawing grows
  EXPECT_NEAR(shown().w(), w.w() / 2, 1e-6);
  EXPECT_NEAR(shown().cx(), w.cx(), 1e-6);
  w = shown();
  EXPECT_EQ(now(510), 0); // 段階縮小
  EXPECT_NEAR(shown().w(), w.w() * 4, 1e-6);
}

TEST_F(ViewCmd, ZoomsUnderTheCursorKeepTheWorldPointUnderIt) {
  MouseView = {0, 0};
  MouseWorldPos = {10, 5};
  int32_t px0, py0;
  vew_w2dev(0, 0, 10, 5, &px0, &py0);
  const Win w = shown();
  EXPECT_EQ(now(542), 0); // in
  EXPECT_NEAR(shown().w(), w.w() / 2, 1e-6);
  int32_t px, py;
  vew_w2dev(0, 0, 10, 5, &px, &py);
  EXPECT_NEAR(px, px0, 1);
  EXPECT_NEAR(py, py0, 1);
  EXPECT_EQ(now(541), 0); // out
  EXPECT_NEAR(shown().w(), w.w() * 2, 1e-6);
  vew_w2dev(0, 0, 10, 5, &px, &py);
  EXPECT_NEAR(px, px0, 1);
  // Outside any view nothing moves.
  MouseView = {-1, -1};
  const Win still = shown();
  EXPECT_EQ(now(542), 0);
  EXPECT_EQ(shown().w(), still.w());
}

// Left and right ends of the run of dark pixels through the view's centre (the
// horizontal line drawn there), on the rows around the middle.
std::pair<int, int> dark_span(const std::vector<uint32_t> &px, int w, int h) {
  std::pair<int, int> best{0, -1};
  auto dark = [&](int x, int y) { return (px[size_t(y) * w + x] & 0xFFFFFF) != 0xFFFFFF; };
  for (int y = h / 2 - 2; y <= h / 2 + 2; y++) {
    if (!dark(w / 2, y))
      continue;
    int lo = w / 2, hi = w / 2;
    while (lo > 0 && dark(lo - 1, y))
      lo--;
    while (hi < w - 1 && dark(hi + 1, y))
      hi++;
    if (hi - lo > best.second - best.first)
      best = {lo, hi};
  }
  return best;
}

TEST_F(ViewCmd, PictureStepEnlargeMakesTheDrawingLargerOnScreen) {
  add(lin_rec(-10, 0, 10, 0, 0x11, 1)); // 40 pixels long at two pixels a unit
  HWND view = win_.drawings[0]->view;
  RECT rc;
  GetClientRect(view, &rc);
  auto picture = [&] {
    HDC dc = GetDC(view);
    vwin_draw(dc, 0, 0, 0);
    ReleaseDC(view, dc);
    return window_capture(view, rc.right, rc.bottom);
  };
  const auto before = dark_span(picture(), rc.right, rc.bottom);
  ASSERT_GT(before.second, before.first);
  EXPECT_EQ(now(509), 0); // 段階拡大 with zoom-in step 2
  const auto px = picture();
#ifdef INK_PICTURE_DIR
  EXPECT_TRUE(write_png(INK_PICTURE_DIR "/commands-stepenlarge.png", rc.right, rc.bottom, px));
#endif
  const auto after = dark_span(px, rc.right, rc.bottom);
  const int was = before.second - before.first, now_ = after.second - after.first;
  EXPECT_NEAR(now_, 2 * was, 3) << "the line grows about the view's centre";
  EXPECT_NEAR(after.first + after.second, before.first + before.second, 3);
  EXPECT_EQ(now(510), 0); // 段階縮小 with zoom-out step 4: half as long as at first
  const auto out = dark_span(picture(), rc.right, rc.bottom);
  EXPECT_NEAR(out.second - out.first, was / 2, 3);
}

TEST_F(ViewCmd, StepScrollsMoveOneLine) {
  struct Case {
    int n;
    int axis; // 0 x, 1 y
    int sign;
  } cases[] = {{511, 0, 1}, {512, 0, -1}, {513, 1, 1}, {514, 1, -1}, {546, 0, 1}, {545, 0, -1}, {543, 1, 1}, {544, 1, -1}};
  MouseView = {0, 0};
  for (const Case &c : cases) {
    const Win before = shown();
    EXPECT_EQ(now(c.n), 0) << c.n;
    const Win after = shown();
    const double moved = c.axis == 0 ? after.cx() - before.cx() : after.cy() - before.cy();
    EXPECT_GT(moved * c.sign, 0) << c.n;
    EXPECT_EQ(c.axis == 0 ? after.cy() : after.cx(), c.axis == 0 ? before.cy() : before.cx()) << c.n;
    EXPECT_NEAR(after.w(), before.w(), 1e-9) << c.n;
  }
}

TEST_F(ViewCmd, NothingHappensWhileTheLayerListIsOpen) {
  std::memset(&UnitInfo, 0, sizeof UnitInfo);
  UnitInfo.unit[1].shown = 1;
  UnitInfo.unit[1].side = 1;
  ASSERT_TRUE(abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]));
  HWND layers = abox_field(0);
  SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID, CBN_DROPDOWN), LPARAM(layers));
  ASSERT_EQ(abox_lstopen(), 1);
  const Win before = shown();
  for (int n = 509; n <= 514; n++) {
    EXPECT_EQ(now(n), 0) << n;
    EXPECT_EQ(shown().x0, before.x0) << n;
    EXPECT_EQ(shown().w(), before.w()) << n;
  }
  SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID, CBN_CLOSEUP), LPARAM(layers));
  EXPECT_EQ(now(511), 0);
  EXPECT_NE(shown().x0, before.x0);
  abox_destroy();
  std::memset(&UnitInfo, 0, sizeof UnitInfo);
}

TEST_F(ViewCmd, CentreScrollsThePointToTheMiddle) {
  EXPECT_EQ(run(506, {rclick(), click(10, 5)}), 700);
  EXPECT_NEAR(shown().cx(), 10, 0.5);
  EXPECT_NEAR(shown().cy(), 5, 0.5);
}

TEST_F(ViewCmd, FitShowsTheElementsAndAnEmptyDrawingStays) {
  const Win before = shown();
  MouseView = {0, 0};
  EXPECT_EQ(now(540), 700);
  EXPECT_EQ(shown().x0, before.x0);
  EXPECT_EQ(shown().w(), before.w());
  add(lin_rec(100, 100, 300, 120, 0x11, 1));
  EXPECT_EQ(now(540), 700);
  const Win w = shown();
  EXPECT_NEAR(w.cx(), 200, 1e-6);
  EXPECT_GE(w.w(), 200 - 1e-6);
  EXPECT_LE(w.x0, 100 + 1e-6);
  // The chosen-view fit asks which view first while two are open.
  vew_setwin(0, 0, 0, -50, -25, 50, 25);
  EXPECT_EQ(run(549, {click(0, 0)}), 500);
  EXPECT_NEAR(shown().cx(), 200, 1e-6);
}

TEST_F(ViewCmd, ChoosingAViewCanBeEnded) {
  const Win before = shown();
  EXPECT_EQ(run(500, {esc()}), 700);
  EXPECT_EQ(run(502, {end()}), 800);
  EXPECT_EQ(run(549, {rclick()}), 501);
  EXPECT_EQ(shown().x0, before.x0);
}

TEST_F(ViewCmd, GridSwitches) {
  GridRecord g;
  grd_rec('R', 0, &g);
  g.mode = 0;
  grd_rec('W', 0, &g);
  // 710 with the grid off: no prompt.
  EXPECT_EQ(run(710, {}), 0);
  EXPECT_EQ(now(715), 0);
  grd_rec('R', 0, &g);
  EXPECT_EQ(g.mode, 1u);
  EXPECT_EQ(qs_pickmode(), 4u);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  EXPECT_EQ(now(716), 0);
  grd_rec('R', 0, &g);
  EXPECT_EQ(g.mode, 0u);
  EXPECT_EQ(qs_pickmode(), 1u);
  EXPECT_EQ(now(712), 0);
  grd_rec('R', 0, &g);
  EXPECT_EQ(g.mode, 2u);
  EXPECT_EQ(qs_pickmode(), 4u);
  EXPECT_EQ(now(708), 0);
  grd_rec('R', 0, &g);
  EXPECT_EQ(g.mode, 1u);
  EXPECT_EQ(now(709), 0);
  grd_rec('R', 0, &g);
  EXPECT_EQ(g.mode, 0u);
}

TEST_F(ViewCmd, GridBasePointIsPickedOrTheOrigin) {
  GridRecord g;
  grd_rec('R', 0, &g);
  g.mode = 1, g.ox = g.oy = 0, g.picked = 0;
  grd_rec('W', 0, &g);
  EXPECT_EQ(run(710, {click(7, 3)}), 500);
  grd_rec('R', 0, &g);
  EXPECT_EQ(g.ox, 7);
  EXPECT_EQ(g.oy, 3);
  EXPECT_EQ(g.picked, 1u);
  EXPECT_EQ(g.mode, 1u);
  EXPECT_EQ(run(710, {rclick()}), 501);
  grd_rec('R', 0, &g);
  EXPECT_EQ(g.ox, 0);
  EXPECT_EQ(run(710, {end()}), 800);
}

TEST_F(ViewCmd, CancelledGridDialogChangesNothing) {
  GridRecord g;
  grd_rec('R', 0, &g);
  g.mode = 1;
  grd_rec('W', 0, &g);
  ViewCmdDialog = [](unsigned n, void *p, unsigned) -> INT_PTR {
    EXPECT_EQ(n, 0u);
    static_cast<GridRecord *>(p)->pitchx = 77; // what a cancelled dialog leaves is not taken
    return -1;
  };
  EXPECT_EQ(run(711, {}), 700);
  GridRecord after;
  grd_rec('R', 0, &after);
  EXPECT_EQ(std::memcmp(&g, &after, sizeof g), 0);
  EXPECT_EQ(dwg_state(0), 0u);
  ViewCmdDialog = [](unsigned, void *p, unsigned) -> INT_PTR {
    auto *r = static_cast<GridRecord *>(p);
    r->pitchx = 5;
    r->mode = 0; // the mode is the commands' own
    return 0;
  };
  EXPECT_EQ(run(711, {}), 700);
  grd_rec('R', 0, &after);
  EXPECT_EQ(after.pitchx, 5);
  EXPECT_EQ(after.mode, 1u);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
}

TEST_F(ViewCmd, ReferencePointMoves) {
  EXPECT_EQ(run(732, {click(12, -4)}), 700);
  SheetRecord s;
  sys_sheet('R', 0, &s);
  EXPECT_EQ(s.refx, 12);
  EXPECT_EQ(s.refy, -4);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  EXPECT_EQ(run(732, {end()}), 0);
  EXPECT_EQ(run(732, {esc()}), 700);
}

TEST_F(ViewCmd, FiveSheetFitsAndSixTakeBacks) {
  add(lin_rec(0, 0, 100, 20, 0x11, 1));
  std::vector<std::pair<double, double>> sizes;
  SheetRecord s;
  sys_sheet('R', 0, &s);
  sizes.push_back({s.width, s.height});
  for (int i = 0; i < 5; i++) {
    add(lin_rec(0, 0, 100.0 * (i + 2), 10, 0x11, 1)); // each fit has more to hold
    EXPECT_EQ(now(730), 0) << i;
    sys_sheet('R', 0, &s);
    sizes.push_back({s.width, s.height});
  }
  EXPECT_EQ(SheetStacks[0].count, 5);
  for (int i = 4; i >= 0; i--) {
    EXPECT_EQ(now(733), 700) << i;
    sys_sheet('R', 0, &s);
    EXPECT_DOUBLE_EQ(s.width, sizes[size_t(i)].first) << i;
    EXPECT_DOUBLE_EQ(s.height, sizes[size_t(i)].second) << i;
  }
  // The elements are back where they were.
  const auto r = records(0);
  EXPECT_NEAR(r[0].lin.x1, 0, 1e-6);
  EXPECT_NEAR(r[0].lin.y2, 20, 1e-6);
  const auto before = records(0);
  EXPECT_EQ(now(733), 1);
  sys_sheet('R', 0, &s);
  EXPECT_EQ(s.width, sizes[0].first);
  EXPECT_EQ(records(0)[0].lin.x2, before[0].lin.x2);
}

TEST_F(ViewCmd, FitSheetOnAnEmptyDrawingChangesNothing) {
  EXPECT_EQ(now(730), 1);
  SheetRecord s;
  sys_sheet('R', 0, &s);
  EXPECT_EQ(s.width, 400);
  EXPECT_EQ(SheetStacks[0].count, 0);
}

TEST_F(ViewCmd, AMissingRecordLeavesElementsAndStack) {
  add(lin_rec(0, 0, 100, 20, 0x11, 1));
  add(lin_rec(0, 0, 10, 20, 0x11, 1));
  ShtRecord = [](int db, int32_t n) { return n == 2 ? nullptr : dtb_ptr(db, n); };
  const auto before = records(0);
  EXPECT_EQ(dwg_chsheet(1, 5, 5, 300, 150, 0, 1, 1, 1), 1);
  EXPECT_EQ(SheetStacks[0].count, 0);
  ShtRecord = dtb_ptr;
  const auto after = records(0);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); i++)
    EXPECT_TRUE(same_record(after[i], before[i]));
  SheetRecord s;
  sys_sheet('R', 0, &s);
  EXPECT_EQ(s.width, 400);
}

TEST_F(ViewCmd, NoUndoMovesAnElementAfterASheetChange) {
  und_pend(0);
  add(lin_rec(0, 0, 100, 20, 0x11, 1));
  und_pend(0);
  add(lin_rec(0, 5, 10, 5, 0x11, 1));
  ASSERT_EQ(dwg_chsheet(1, 50, 50, 300, 150, 0, 1, 1, 1), 700);
  const auto shifted = records(0);
  ASSERT_EQ(shifted.size(), 2u);
  EXPECT_EQ(shifted[0].lin.x1, 50);
  und_exec(0);
  und_exec(0);
  const auto after = records(0);
  ASSERT_EQ(after.size(), 2u);
  for (size_t i = 0; i < after.size(); i++)
    EXPECT_TRUE(same_record(after[i], shifted[i])) << i;
}

TEST_F(ViewCmd, TheChangeFactorDividesTheTextSizes) {
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  env.sheet.num = 1, env.sheet.den = 1;
  env.chr.height = 8, env.chr.width = 6, env.chr.spacing = 2;
  sys_dwgenv('W', 0, &env);
  ASSERT_EQ(dwg_chsheet(1, 0, 0, 800, 400, 0, 1, 2, 0.5), 700); // factor 1/2
  sys_dwgenv('R', 0, &env);
  EXPECT_FLOAT_EQ(env.chr.height, 16);
  EXPECT_FLOAT_EQ(env.chr.width, 12);
  EXPECT_FLOAT_EQ(env.chr.spacing, 4);
  EXPECT_EQ(env.sheet.num, 1);
  EXPECT_EQ(env.sheet.den, 2);
  EXPECT_DOUBLE_EQ(env.sheet.scale, 0.5);
  EXPECT_EQ(dwg_chsheet(1, 0, 0, 0, 0, 0, 1, 1, 1), 3);
}

TEST_F(ViewCmd, SheetChangeAsksAgainForRatioPartsBelowOne) {
  add(lin_rec(0, 0, 10, 0, 0x11, 1));
  static int shown_times;
  shown_times = 0;
  ViewCmdDialog = [](unsigned n, void *p, unsigned mode) -> INT_PTR {
    EXPECT_EQ(n, 16u);
    EXPECT_EQ(mode, 2u);
    auto *f = static_cast<NewFigParam *>(p);
    EXPECT_EQ(f->kind, 2u);
    EXPECT_EQ(f->env.sheet.width, 400);
    f->env.sheet.width = 600, f->env.sheet.height = 300;
    f->env.sheet.num = shown_times == 0 ? 0 : 1;
    f->env.sheet.den = 1;
    f->env.sheet.scale = 1;
    shown_times++;
    return 0;
  };
  EXPECT_EQ(run(731, {click(5, 0)}), 700);
  EXPECT_EQ(shown_times, 2);
  SheetRecord s;
  sys_sheet('R', 0, &s);
  EXPECT_EQ(s.width, 600);
  EXPECT_EQ(records(0)[0].lin.x1, -5);
  EXPECT_EQ(TempMarkList.count, 0u);
  EXPECT_EQ(SheetStacks[0].count, 1);
}

TEST_F(ViewCmd, SheetChangeCancelledAsksForTheOriginAgain) {
  ViewCmdDialog = [](unsigned, void *, unsigned) -> INT_PTR { return -1; };
  EXPECT_EQ(run(731, {click(5, 0), esc()}), 700);
  SheetRecord s;
  sys_sheet('R', 0, &s);
  EXPECT_EQ(s.width, 400);
  EXPECT_EQ(TempMarkList.count, 0u);
}

TEST_F(ViewCmd, UndoWhileTheChainWaitsGoesOn) {
  auto undo = during([] { EXPECT_EQ(cmd_button(3, 400), 1); });
  EXPECT_EQ(run(20, {click(0, 0), click(10, 0), click(10, 10), undo, click(20, 10), end()}), 800);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].lin.x2, 10);
  EXPECT_EQ(r[1].lin.x1, 10);
  EXPECT_EQ(r[1].lin.y1, 10);
  EXPECT_EQ(r[1].lin.x2, 20);
  // Redo while the chain waits brings the undone segment back.
  auto redo = during([] { EXPECT_EQ(cmd_button(3, 401), 1); });
  EXPECT_EQ(run(20, {click(30, 0), click(40, 0), during([] { EXPECT_EQ(cmd_button(3, 400), 1); }), redo, end()}),
            800);
  EXPECT_EQ(records(0).size(), 3u);
}

TEST_F(ViewCmd, InputModeCycles) {
  sys_inmode(0);
  EXPECT_EQ(now(1000), 700);
  EXPECT_EQ(sys_inmode(-1), 1);
  EXPECT_EQ(now(1000), 700);
  EXPECT_EQ(sys_inmode(-1), 2);
  EXPECT_EQ(now(1000), 700);
  EXPECT_EQ(sys_inmode(-1), 0);
  const int to2[3] = {2, 2, 0}, to1[3] = {1, 0, 2};
  for (int m = 0; m < 3; m++) {
    sys_inmode(m);
    EXPECT_EQ(cm_inmode2(), 700);
    EXPECT_EQ(sys_inmode(-1), to2[m]);
    sys_inmode(m);
    EXPECT_EQ(cm_inmode1(), 700);
    EXPECT_EQ(sys_inmode(-1), to1[m]);
  }
  sys_inmode(0);
  EXPECT_EQ(now(520), 0);
}

TEST_F(ViewCmd, PictureOfAViewAfterAZoomByWindow) {
  add(lin_rec(-40, -20, 40, 20, 0x11, 1));
  add(lin_rec(-40, 20, 40, -20, 0x11, 1));
  ElementRecord a;
  std::memset(&a, 0, sizeof a);
  a.kind = ARC;
  a.layer = 1;
  a.arc.cx = 0, a.arc.cy = 0, a.arc.r = 8, a.arc.start = 0, a.arc.end = 360, a.arc.attr = 0x11;
  add(a);
  EXPECT_EQ(run(504, {click(-15, -8), click(15, 8)}), 700);
  HWND view = win_.drawings[0]->view;
  RECT rc;
  GetClientRect(view, &rc);
  HDC dc = GetDC(view);
  vwin_draw(dc, 0, 0, 0);
  ReleaseDC(view, dc);
  const auto px = window_capture(view, rc.right, rc.bottom);
  ASSERT_EQ(px.size(), size_t(rc.right) * size_t(rc.bottom));
#ifdef INK_PICTURE_DIR
  EXPECT_TRUE(write_png(INK_PICTURE_DIR "/commands-zoomwindow.png", rc.right, rc.bottom, px));
#endif
  // The circle of radius 8 now spans about half the view's height.
  int dark = 0;
  for (uint32_t p : px)
    if ((p & 0xFFFFFF) != 0xFFFFFF)
      dark++;
  EXPECT_GT(dark, 100);
}

} // namespace

namespace {

// The layer list of the attribute box with its drop-down flag set. Under Wine a
// dropped list does not move its top line, so the list's top index is kept by a
// stand-in window procedure that answers the combo-box messages.
class LayerList : public ViewCmd {
protected:
  void SetUp() override {
    ViewCmd::SetUp();
    std::memset(&UnitInfo, 0, sizeof UnitInfo);
    UnitInfo.unit[1].shown = 1;
    UnitInfo.unit[1].side = 1;
    ASSERT_TRUE(abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]));
    layers_ = abox_field(0);
    fake_top() = 0;
    old_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(layers_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LayerList::list_proc)));
    old_proc() = old_;
    SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID, CBN_DROPDOWN), LPARAM(layers_));
    ASSERT_EQ(abox_lstopen(), 1);
  }
  void TearDown() override {
    SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID, CBN_CLOSEUP), LPARAM(layers_));
    SetWindowLongPtrA(layers_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_));
    abox_destroy();
    std::memset(&UnitInfo, 0, sizeof UnitInfo);
    ViewCmd::TearDown();
  }
  static int &fake_top() {
    static int t = 0;
    return t;
  }
  static WNDPROC &old_proc() {
    static WNDPROC p = nullptr;
    return p;
  }
  static LRESULT CALLBACK list_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == CB_GETTOPINDEX)
      return fake_top();
    if (m == CB_SETTOPINDEX) {
      fake_top() = int(wp);
      return CB_OKAY;
    }
    return CallWindowProcA(old_proc(), w, m, wp, lp);
  }
  static int top() { return fake_top(); }
  HWND layers_ = nullptr;
  WNDPROC old_ = nullptr;
};

TEST_F(LayerList, ScrollsDownToLine48AndUpToTheFirst) {
  ASSERT_EQ(SendMessageA(layers_, CB_GETCOUNT, 0, 0), 64);
  EXPECT_EQ(dlg_lstscrl(104), 0);
  EXPECT_EQ(top(), 1);
  for (int i = 0; i < 60; i++)
    dlg_lstscrl(104);
  EXPECT_EQ(top(), 48);
  EXPECT_EQ(dlg_lstscrl(103), 0);
  EXPECT_EQ(top(), 47);
  dlg_lstscrl(7); // any other entry does nothing
  EXPECT_EQ(top(), 47);
  for (int i = 0; i < 60; i++)
    dlg_lstscrl(103);
  EXPECT_EQ(top(), 0);
}

TEST_F(LayerList, KeyEntries103And104ScrollBeforeTheirCommand) {
  KeyItem *const kept_items = KeyTab.items;
  const int kept_count = KeyTab.count;
  std::vector<KeyItem> items(105);
  items[103].key = 'U', items[103].command = 520, items[103].kind = 3;
  items[104].key = 'D', items[104].command = 520, items[104].kind = 3;
  KeyTab.items = items.data();
  KeyTab.count = int(items.size());
  cmd_keyrun('D', 0);
  cmd_keyrun('D', 0);
  EXPECT_EQ(top(), 2);
  cmd_keyrun('U', 0);
  EXPECT_EQ(top(), 1);
  SendMessageA(app_habox(), WM_COMMAND, MAKEWPARAM(ABOX_ID, CBN_CLOSEUP), LPARAM(layers_));
  ASSERT_EQ(abox_lstopen(), 0);
  cmd_keyrun('D', 0); // the list is closed: no scroll
  EXPECT_EQ(top(), 1);
  KeyTab.items = kept_items;
  KeyTab.count = kept_count;
}

} // namespace

namespace {

using dlgpilot::Pilot;
using dlgpilot::press;
using dlgpilot::set;

TEST_F(ViewCmd, SheetChangeThroughTheAreaDialog) {
  SheetRecord s;
  sys_sheet('R', 0, &s);
  s.width = 297, s.height = 210;
  sys_sheet('W', 0, &s);
  add(lin_rec(10, 10, 20, 10, 0x11, 1));
  std::string title;
  Pilot p;
  p.steps = {[&](HWND d) {
               char t[64] = "";
               GetWindowTextA(d, t, sizeof t);
               title = t;
             },
             [&](HWND d) { set(d, 1134, "2"), press(d, 1135); }};
  EXPECT_EQ(p.run([&] { return run(731, {click(10, 10)}); }), 700);
  EXPECT_EQ(title, "領域長変更");
  sys_sheet('R', 0, &s);
  EXPECT_DOUBLE_EQ(s.width, 594);
  EXPECT_DOUBLE_EQ(s.height, 420);
  EXPECT_EQ(s.den, 2);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].lin.x1, 0);
  EXPECT_EQ(r[0].lin.y1, 0);
  // Taken back: the old sheet and the elements where they were.
  EXPECT_EQ(now(733), 700);
  sys_sheet('R', 0, &s);
  EXPECT_DOUBLE_EQ(s.width, 297);
  EXPECT_EQ(records(0)[0].lin.x1, 10);
}

TEST_F(ViewCmd, AboutBoxIsModal) {
  bool up = false;
  Pilot p;
  p.steps = {[&](HWND d) { up = IsWindowVisible(d) != 0, press(d, IDOK); }};
  EXPECT_EQ(p.run([&] { return now(852); }), 0);
  EXPECT_TRUE(up);
}

TEST_F(ViewCmd, HelpCommandsNameTheirFiles) {
  EXPECT_EQ(now(860), 0);
  EXPECT_EQ(now(850), 0);
  const auto &t = asked().texts;
  ASSERT_EQ(t.size(), 2u);
  EXPECT_NE(t[0].find("INKFORGE.chm"), std::string::npos) << t[0];
  EXPECT_NE(t[1].find("KIVOLANT_HLP.chm"), std::string::npos) << t[1];
}

} // namespace

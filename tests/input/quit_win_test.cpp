// Every wait and question that can be open when the program quits: each ends at once
// with 800, hands it to its caller, and leaves the quit for the main loop. A wait that
// took the quit for something else used to ask or poll again forever.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../common/testwin.h"
#include "../database/dbstart.h"
#include "database/elements.h"
#include "database/store.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "input/gcrsnap.h"
#include "input/kpos.h"
#include "input/rubber.h"
#include "select/pick.h"
#include "select/picksys.h"
#include "select/popup.h"
#include "select/selpick.h"
#include "select/sellist.h"
#include "settings/params.h"
#include "shell/units/ledit.h"
#include "settings/appstate.h"

namespace {

// The pop-ups and line editors that open on this thread.
struct Opened {
  static int &popups() {
    static int n = 0;
    return n;
  }
  Opened() {
    popups() = 0;
    hook_ = SetWindowsHookExA(WH_CBT, proc, nullptr, GetCurrentThreadId());
  }
  ~Opened() { UnhookWindowsHookEx(hook_); }
  static LRESULT CALLBACK proc(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
      char cls[64] = "";
      GetClassNameA(reinterpret_cast<HWND>(wp), cls, sizeof cls);
      if (!std::strcmp(cls, "KL-SELMENU") || !std::strcmp(cls, "KL-SelMenu_Frame"))
        ++popups();
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  HHOOK hook_ = nullptr;
};

// Posts the quit once a window of one of the classes is open (the program ends while
// that window asks).
class QuitWhenOpen {
public:
  explicit QuitWhenOpen(std::vector<const char *> classes) : classes_(std::move(classes)) {
    self() = this;
    timer_ = SetTimer(nullptr, 0, 20, tick);
  }
  ~QuitWhenOpen() {
    KillTimer(nullptr, timer_);
    self() = nullptr;
  }

private:
  static QuitWhenOpen *&self() {
    static QuitWhenOpen *q = nullptr;
    return q;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    QuitWhenOpen *q = self();
    if (!q || q->posted_)
      return;
    for (const char *c : q->classes_)
      if (FindWindowA(c, nullptr)) {
        q->posted_ = true;
        PostQuitMessage(9);
        return;
      }
  }
  std::vector<const char *> classes_;
  bool posted_ = false;
  UINT_PTR timer_ = 0;
};

// The quit is still there, once.
bool quit_left() {
  MSG m;
  if (!PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    return false;
  return !PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

int polls = 0;
int counted_poll(bool first) {
  ++polls;
  return rub_pollevery(first);
}

// The scripted click of the pick hooks: one click at the crossing, then the end.
int clicks = 0;
int click_once(uint32_t, const uint32_t *, double *x, double *y, int32_t *d, int32_t *v) {
  if (clicks++)
    return 800;
  *x = 51, *y = 25, *d = 0, *v = 0;
  return 500;
}

// The scripted input of gcr_point: a click at world (51, 25) of view 0.
int sourced = 0;
int one_click(InputEvent *next) {
  if (sourced++)
    return 0;
  int32_t px = 0, py = 0;
  vew_w2dev(0, 0, 51, 25, &px, &py);
  *next = InputEvent{500, 0, 0, px, py, 0};
  return 1;
}

class Quit : public ::testing::Test {
protected:
  void SetUp() override {
    prm_init();
    db_start(2000, 500);
    SheetRecord sheet;
    sys_sheet('R', 0, &sheet);
    sheet.width = sheet.height = 200;
    sys_sheet('W', 0, &sheet);
    win_.open(0, 0);
    dwg_setcur(0);
    vew_select(0);
    ViewXform xf{};
    vew_frame('r', 0, 0, &xf);
    xf.aperture = 5; // the pick and snap reach in world units
    vew_frame('w', 0, 0, &xf);
    CmdLevel = 1;
    // Two lines crossing at (51, 25) with ends at (50, 25) and (52, 25): two candidates
    // for a pick, an end-point snap and a crossing snap there.
    a_ = line(50, 25, 90, 45);
    b_ = line(52, 25, 10, 45);
    sel_alloc(100);
    sel_toggle(uint32_t(a_));
    sel_toggle(uint32_t(b_));
    SelectionList.drawing = 0;
    uint32_t blk[6] = {};
    sys_drag('r', blk);
    blk[1] = 1; // the selected elements follow the cursor
    sys_drag('w', blk);
    std::memset(&Guide, 0, sizeof Guide);
    Guide.mode = -1;
    RubPoll = counted_poll;
    polls = clicks = sourced = 0;
    testwin::drain();
  }
  void TearDown() override {
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    RubPoll = rub_pollslice;
    gcr_setsource(nullptr);
    pck_reset();
    gcr_snapreset();
    sel_free();
    Guide.mode = -1;
    CmdLevel = -1;
    prm_init();
    dtb_term();
  }
  static int32_t line(double x1, double y1, double x2, double y2) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = LIN;
    r.layer = 1;
    r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2, r.lin.attr = 0x11;
    return elm_add(0, 0, ELM_NODRAW, &r, nullptr);
  }
  // The cursor rests in the view, then the program quits.
  void move_then_quit() {
    PostMessageA(win_.drawings[0]->view, WM_MOUSEMOVE, 0, MAKELPARAM(100, 50));
    PostQuitMessage(9);
  }
  testwin::Windows win_;
  testwin::RealModals real_;
  testwin::Watchdog dog_{30000};
  int32_t a_ = 0, b_ = 0;
};

TEST_F(Quit, GetPointEndsWithEveryPreview) {
  const GuideShape shapes[2] = {{2, 0, 0, 10, 10, 0}, {uint32_t(-1), 0, 0, 0, 0, 0}};
  const struct {
    const char *what;
    std::function<void()> guide;
    bool walks;
  } cases[] = {
      {"no preview", [] { rub_start(0); }, false},
      {"rectangle band", [] { rub_startratio(2, 0, 10, 10, 0, 0); }, false},
      {"shape list moved", [&] { rub_startlist(98, 0, 0, 0, shapes, 0); }, false},
      {"selection moved", [] { rub_startdrag(99, 0, 0, 0, 0, 0); }, true},
      {"selection turned", [] { rub_startturn(101, 0, 0, 0, 0, 0, 0); }, true},
      {"selection scaled", [] { rub_startscale(105, 0, 0, 0, 0, 1, 0); }, true},
  };
  for (const auto &c : cases) {
    c.guide();
    polls = 0;
    move_then_quit();
    double x = 0, y = 0;
    int32_t d = -1, v = -1;
    EXPECT_EQ(gcr_getpnt(0, nullptr, &x, &y, &d, &v), 800) << c.what;
    EXPECT_TRUE(quit_left()) << c.what;
    if (c.walks) // the walk met the quit at its first poll and stopped there
      EXPECT_EQ(polls, 1) << c.what;
    else
      EXPECT_EQ(polls, 0) << c.what;
  }
}

TEST_F(Quit, EveryQuestionEndsAndHandsTheQuitOn) {
  Opened opened;
  const struct {
    const char *what;
    std::function<int()> run;
  } cases[] = {
      {"element pick",
       [] {
         pck_hooks().getpnt = click_once;
         int32_t d = -1, e = 0;
         double x = 0, y = 0;
         const int rc = pck_elem(0, 1, &d, &x, &y, &e);
         EXPECT_EQ(e, -1);
         return rc;
       }},
      {"single pick with owner choice",
       [] {
         pck_hooks().getpnt = click_once;
         int32_t d = -1, e = 0;
         double x = 0, y = 0;
         const int rc = sel_pick1(0, 1, &d, &x, &y, &e);
         EXPECT_EQ(e, -1);
         return rc;
       }},
      {"single picking into the selection",
       [] {
         pck_hooks().getpnt = click_once;
         return sel_addpick(0, 0);
       }},
      {"object snap offer in point input",
       [] {
         uint32_t mode = 1, off = 0;
         sys_pickmode('w', &mode, &off);
         gcr_setsource(one_click);
         double x = 0, y = 0;
         int32_t d = -1, kb = 0;
         const int rc = gcr_point(0, 0, 1, &x, &y, &d, &kb);
         EXPECT_EQ(sourced, 1); // ended by the question, not by running out of input
         gcr_setsource(nullptr);
         return rc;
       }},
      {"keyboard entry confirmation",
       [] {
         SystemBlock sys{};
         sys_sysprm('R', &sys);
         sys.w4 = 1;
         sys_sysprm('W', &sys);
         testwin::Script typist({[] {},
                                 [] {
                                   HWND f = ledit_window();
                                   PostMessageA(f ? GetWindow(f, GW_CHILD) : nullptr, WM_KEYDOWN, VK_RETURN, 1);
                                 }});
         double x = 0, y = 0;
         return gcr_kpos(0, 0, 10, 10, &x, &y);
       }},
      {"prompt pop-up", [] { return selm_popup(0, "prompt", 0, 0, "YyNn", nullptr); }},
      {"choice bar",
       [] {
         const char *items[2] = {"a", "b"};
         int32_t index = 0;
         return selm_bar(0, "t", items, 2, "ab", &index, 'a');
       }},
  };
  for (const auto &c : cases) {
    QuitWhenOpen quit({"KL-SELMENU", "KL-SelMenu_Frame"});
    Opened::popups() = 0;
    clicks = 0;
    EXPECT_EQ(c.run(), 800) << c.what;
    EXPECT_EQ(Opened::popups(), 1) << c.what << ": asked once, not again";
    EXPECT_TRUE(quit_left()) << c.what;
    pck_reset();
  }
}

// The program quits while the keyboard entry's line editor is open: the entry ends and
// the point input ends the command, the quit kept.
TEST_F(Quit, KeyboardEntryLineEndsPointInput) {
  QuitWhenOpen quit({"LEdit_Frame"});
  double x = 0, y = 0;
  int32_t d = -1, kb = 1;
  EXPECT_EQ(gcr_point(0, 0, 1, &x, &y, &d, &kb), 800);
  EXPECT_TRUE(quit_left());
}

} // namespace

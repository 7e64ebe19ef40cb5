// Running command handlers the way the editor does: a frame with drawing windows and
// the message window, a fresh store with its undo journal, the handler started through
// cmd_request and cmd_pump, its input taken from a script of events, its questions
// answered from a script, and a watchdog for a handler that never returns.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "../common/testwin.h"
#include "../database/dbstart.h"
#include "../database/workdir.h"
#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/view/viewcmd.h"
#include "database/elements.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/view/gdi.h"
#include "display/marks/marklist.h"
#include "display/marks/snapmark.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/rubber.h"
#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/params.h"
#include "shell/units/msgwin.h"

namespace cmdtest {

// Modifier bits of a scripted click, as gcr_keys gives them.
constexpr int SHIFT = 1, CTRL = 16;

// One scripted input. Points are world coordinates of the drawing's view.
struct Ev {
  int code = 0;                 // input code delivered
  bool world = false;           // x, y are a world point to turn into pixels
  double x = 0, y = 0;
  int dwg = 0, view = 0, keys = 0;
  std::function<void()> action; // run while the command waits (the wait gets a wake-up)
};

// A left click (Shift 502, Ctrl 504) at a world point.
inline Ev click(double x, double y, int keys = 0, int dwg = 0, int view = 0) {
  Ev e;
  e.code = keys & SHIFT ? 502 : keys & CTRL ? 504 : 500;
  e.world = true, e.x = x, e.y = y, e.dwg = dwg, e.view = view, e.keys = keys;
  return e;
}
// A right click (Shift 503, Ctrl 505) in the drawing's view.
inline Ev rclick(int keys = 0, int dwg = 0, int view = 0) {
  Ev e = click(0, 0, keys, dwg, view);
  e.code = keys & SHIFT ? 503 : keys & CTRL ? 505 : 501;
  return e;
}
// The cursor moving to a world point.
inline Ev move(double x, double y, int dwg = 0, int view = 0) {
  Ev e = click(x, y, 0, dwg, view);
  e.code = -1;
  return e;
}
// A key's input code (13 Enter, 32 space, ...), delivered in the current view.
inline Ev key(int code) {
  Ev e;
  e.code = code;
  e.dwg = -1;
  return e;
}
inline Ev esc() { return key(27); }
inline Ev end() { return key(800); } // a request at or below the command's level ended it
// Runs fn while the command waits for input, e.g. a request on a higher level.
inline Ev during(std::function<void()> fn) {
  Ev e = key(-2);
  e.action = std::move(fn);
  return e;
}

// What the scripted source has delivered.
struct Feed {
  std::vector<Ev> events;
  size_t next = 0;
  int starved = 0; // asks after the script ran out
};
inline Feed &feed() {
  static Feed f;
  return f;
}

inline int play(InputEvent *out) {
  Feed &f = feed();
  if (f.next >= f.events.size()) {
    // The wait gives 800 then; a handler that still asks ignores the end of its command.
    if (++f.starved == 50)
      ADD_FAILURE() << "the handler still waits after the end of its command";
    if (f.starved == 1000) { // it never will return: end the run rather than wait for the watchdog
      std::fprintf(stderr, "the handler ignores the end of its command\n");
      std::fflush(stderr);
      ExitProcess(3);
    }
    return 0;
  }
  const Ev &e = f.events[f.next++];
  if (e.action)
    e.action();
  InputEvent ev{e.code, e.dwg, e.view, 0, 0, e.keys};
  if (e.dwg < 0) {
    ev.dwg = dwg_cur();
    ev.view = vew_cur();
  }
  if (e.world)
    vew_w2dev(e.dwg, e.view, e.x, e.y, &ev.x, &ev.y);
  *out = ev;
  return 1;
}

// The questions asked and the answers to give, in order (unscripted ones get Esc/OK).
struct Asked {
  std::vector<std::string> texts;
  std::deque<int> answers;
};
inline Asked &asked() {
  static Asked a;
  return a;
}

// Records of area 1 that are not erased, in store order.
inline std::vector<ElementRecord> records(int db) {
  DbControl c[2];
  dtb_ctrl('r', c);
  std::vector<ElementRecord> v;
  for (uint32_t n = c[db].base1; n < c[db].base1 + c[db].count1; n++) {
    ElementRecord r;
    std::memcpy(&r, dtb_ptr(db, int32_t(n)), sizeof r);
    if (!(r.flags & ELM_SKIP))
      v.push_back(r);
  }
  return v;
}

inline ElementRecord lin_rec(double x1, double y1, double x2, double y2, uint16_t attr, uint8_t layer) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = LIN;
  r.layer = layer;
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = attr;
  return r;
}
inline ElementRecord pnt_rec(double x, double y, uint16_t attr, uint8_t layer) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = PNT;
  r.layer = layer;
  r.pnt.x = x, r.pnt.y = y;
  r.pnt.attr = attr;
  return r;
}

// Byte for byte, leaving out what the store keeps (flags, nesting, cells, links):
// +4 kind, +7 layer and the body from +20.
inline ::testing::AssertionResult same_record(const ElementRecord &got, const ElementRecord &want) {
  const auto *g = reinterpret_cast<const uint8_t *>(&got);
  const auto *w = reinterpret_cast<const uint8_t *>(&want);
  for (int i = 0; i < 80; i++) {
    const bool kept = (i >= 4 && i < 6) || i == 7 || i >= 20;
    if (kept && g[i] != w[i]) {
      char b[96];
      std::snprintf(b, sizeof b, "byte +%d is %02x, expected %02x", i, g[i], w[i]);
      return ::testing::AssertionFailure() << b;
    }
  }
  return ::testing::AssertionSuccess();
}

// Drawings 0 and 1, each with view 0 (200 x 100 pixels showing world (-50, -25)-(50, 25),
// two pixels a unit), the message lines, a store of capacity elm and drawing 0's journal.
class CommandTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (int d = 0; d < 2; d++) {
      win_.open(d, 0, d * 300, 0);
      vew_setwin(d, 0, 0, -50, -25, 50, 25);
    }
    start(2000);
  }
  void TearDown() override { stop(); }

  // Adds a copy of the record to drawing 0; the new element's number.
  static int32_t add(const ElementRecord &r) {
    ElementRecord c = r;
    return elm_add(0, 0, -1, &c, nullptr);
  }
  // Two lines inside the window (-20, -20)-(20, 20), one outside it.
  static void figures() {
    add(lin_rec(-10, 0, 10, 0, 0x11, 1));
    add(lin_rec(0, -5, 0, 5, 0x11, 1));
    add(lin_rec(30, 10, 40, 10, 0x11, 1));
  }
  // Selects by that window, then the events that follow.
  static std::vector<Ev> window_then(std::vector<Ev> more) {
    std::vector<Ev> s{click(-20, -20), click(20, 20), rclick()};
    s.insert(s.end(), more.begin(), more.end());
    return s;
  }

  void start(uint32_t elm) {
    prm_init();
    inp_init();
    cmd_reset();
    cmd_tableinit();
    cmd_shellhooks();
    // Dark pens on the white views of the test windows; 16 erases in white.
    gdi_init();
    COLORREF pens[20];
    for (int i = 0; i < 20; i++)
      pens[i] = i == 16 ? RGB(255, 255, 255) : RGB(0, 0, 10 * i);
    gdi_palette(pens);
    dwg_setcur(0);
    vew_select(0);
    if (!msgline_) {
      msgline_ = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, win_.frame, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    }
    msgwin_attach(msgline_);
    for (int i = 0; i < 3; i++)
      mesg_line('W', i, nullptr, nullptr);
    msg_load(0, msgfile().c_str());
    db_start(elm, 100);
    quiet_hooks(wd_.folder());
    SystemBlock sb;
    sys_sysprm('R', &sb);
    sb.undo = 1;
    sys_sysprm('W', &sb);
    und_lock(0);
    ASSERT_EQ(und_open(0, wd_.folder().c_str(), UND_MAXSIZE), 0);
    ASSERT_EQ(und_strt(0), 0);
    uint32_t mode = 0, off = 0; // free points: a click is the point itself
    sys_pickmode('W', &mode, &off);
    PickMode = 0;
    mrk_list(0);
    rub_start(0);
    std::memset(InputPoints, 0, sizeof InputPoints);
    PointRetain = {0, 0};
    feed() = Feed{};
    gcr_setsource(play);
    asked() = Asked{};
    ui_setresponder([](const UiQuestion &q) {
      Asked &a = asked();
      a.texts.push_back(q.text ? q.text : "");
      if (!a.answers.empty()) {
        const int v = a.answers.front();
        a.answers.pop_front();
        return v;
      }
      return q.kind == UI_MSGBOX ? IDOK : q.kind == UI_BOARD ? 0 : 27;
    });
  }
  // Opens the journal of drawing 1 as well, for commands that change both drawings.
  void journal1() {
    ASSERT_EQ(und_open(1, wd_.folder().c_str(), UND_MAXSIZE), 0);
    ASSERT_EQ(und_strt(1), 0);
  }
  void stop() {
    gcr_setsource(nullptr);
    ui_setresponder(nullptr);
    und_clos(1);
    und_clos(0);
    dbs_reset();
    dtb_term();
    cmd_reset();
    msgwin_attach(nullptr);
    rub_start(0);
    gdi_term();
  }

  // Starts command n on level through the pump with the script; its result. The whole
  // script must be taken.
  int run(int n, std::vector<Ev> script, int level = 0) {
    feed().events = std::move(script);
    feed().next = 0;
    feed().starved = 0;
    EXPECT_NE(CommandTable[n], nullptr) << n;
    cmd_request(level, CommandTable[n], n, nullptr);
    const int r = cmd_pump();
    EXPECT_EQ(feed().next, feed().events.size()) << "command " << n << " left input unread";
    return r;
  }
  // Runs a command that takes no input (a quick setting) on level 3, as a tool bar does.
  int now(int n) { return run(n, {}, 3); }

  // Text and colour of message line 0.
  static std::string prompt() {
    char text[128] = "";
    int colour = 0;
    mesg_line('r', 0, &colour, text);
    return text;
  }
  static std::string msgtext(int n) {
    const char *t = msg_text(n);
    return t ? t : "";
  }

  static std::string msgfile() {
#ifdef INK_MSG_FILE
    return std::string("Z:") + INK_MSG_FILE;
#else
    return "inkforge.msg";
#endif
  }

  testwin::Windows win_;
  testwin::Watchdog dog_{60000};
  WorkDir wd_;
  static inline HWND msgline_ = nullptr;
};

} // namespace cmdtest

// The editor as a seal designer starts it from the shipped settings: the attribute box
// and the drawing tool bars are on the screen and filled, a pen chosen in the box draws
// the next line, the built-in keys reach the unit the key table names while that unit
// is on the screen, and presses over the frame reach the open one-line editor.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../common/testwin.h"
#include "commands/cmdl/cmdtable.h"
#include "database/elements.h"
#include "database/store.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "input/inpkind.h"
#include "input/keyin.h"
#include "settings/answers.h"
#include "shell/units/abox.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/units/keytable.h"
#include "shell/units/ledit.h"
#include "shell/units/panel.h"
#include "shell/units/toolbar.h"
#include "shell/units/toolwin.h"
#include "shell/units/units.h"
#include "../../common/editorpump.h"

namespace {

std::string slurp(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Steps played inside whatever loop runs; a step returns false to be asked again on
// the next tick (it waits for the state it needs), true when done.
class Steps {
public:
  explicit Steps(std::vector<std::function<bool()>> steps) : steps_(std::move(steps)) {
    self() = this;
    timer_ = SetTimer(nullptr, 0, 30, tick);
  }
  ~Steps() {
    KillTimer(nullptr, timer_);
    self() = nullptr;
  }
  bool done() const { return next_ >= steps_.size(); }

private:
  static Steps *&self() {
    static Steps *s = nullptr;
    return s;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    Steps *s = self();
    if (s && !s->busy_ && s->next_ < s->steps_.size()) {
      s->busy_ = true; // a step that runs a nested loop is not entered again
      if (s->steps_[s->next_]())
        s->next_++;
      s->busy_ = false;
    }
  }
  std::vector<std::function<bool()>> steps_;
  size_t next_ = 0;
  bool busy_ = false;
  UINT_PTR timer_ = 0;
};

// The windows' commands, kept (and not run) while spied on.
struct Reached {
  char unit; // 'P' panel, 'T' tool window, 'A' attribute box
  WPARAM id;
};
std::vector<Reached> reached;
struct Spy {
  HWND wnd;
  WNDPROC old;
  char unit;
};
std::vector<Spy> spies;
LRESULT CALLBACK spy_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  for (const Spy &s : spies)
    if (s.wnd == w) {
      if (m == WM_COMMAND && LOWORD(wp) >= 18000) {
        reached.push_back({s.unit, wp});
        return 0;
      }
      return CallWindowProcA(s.old, w, m, wp, lp);
    }
  return DefWindowProcA(w, m, wp, lp);
}
void spy_on(HWND w, char unit) {
  if (!w)
    return;
  spies.push_back({w, nullptr, unit});
  spies.back().old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spy_proc)));
}
void unspy() {
  for (const Spy &s : spies)
    if (IsWindow(s.wnd))
      SetWindowLongPtrA(s.wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.old));
  spies.clear();
}

// A real button press and release at a screen point.
void press_at(POINT at, bool right = false) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in[3] = {};
  for (INPUT &i : in)
    i.type = INPUT_MOUSE;
  in[0].mi.dx = at.x * 65535 / (w - 1);
  in[0].mi.dy = at.y * 65535 / (h - 1);
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(3, in, sizeof(INPUT));
}

class SealUnits : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\", sys = here() + "inkforge.sys";
  VODOreVer *app = nullptr;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    // The settings file the program folder is laid out with.
    const std::string shipped = slurp(INK_BIN_DIR "/inkforge.sys.default");
    ASSERT_NE(shipped.find("[UNITINFO]"), std::string::npos);
    std::ofstream(sys, std::ios::binary | std::ios::trunc) << shipped;
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "UNDOSIZE", "500", sys.c_str());
    ui_setresponder([](const UiQuestion &q) { return q.kind == UI_MSGBOX ? IDNO : 0; });
    reached.clear();
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    SetForegroundWindow(app_hmain());
    pump(5);
  }
  void TearDown() override {
    unspy();
    testwin::hold_keys({});
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
  }
  HWND new_drawing() {
    EXPECT_EQ(fil_open(0, nullptr), 0);
    pump(3);
    HWND v = vew_hwnd(0, 0);
    if (v)
      SetFocus(v);
    return v;
  }
};

RECT screen_rect(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

std::string text_of(HWND w) {
  char t[64] = "";
  GetWindowTextA(w, t, sizeof t);
  return t;
}

TEST_F(SealUnits, TheShippedSettingsShowTheAttributeBoxAndTheDrawingBarsFilled) {
  ASSERT_TRUE(new_drawing());
  // The attribute box and the file, display and two drawing tool bars are docked and
  // shown; the command panel and the tool window belong to the other layout.
  for (int u = 0; u < UNIT_COUNT; u++)
    EXPECT_EQ(pnl_shown(u), u == 1 || (u >= 3 && u <= 6) ? 1u : 0u) << u;
  HWND box = app_habox();
  ASSERT_TRUE(box && IsWindowVisible(box));
  EXPECT_TRUE(GetWindowLongPtrA(box, GWL_STYLE) & WS_CHILD);
  for (int b = 0; b < TBAR_COUNT; b++)
    EXPECT_EQ(IsWindowVisible(app_htbar(b)) != 0, b != 4) << b;
  EXPECT_FALSE(IsWindowVisible(app_hpanel()));
  EXPECT_FALSE(IsWindowVisible(app_htool()));
  // The top row holds the file bar, the box and the display bar; the drawing bars stand
  // at the left of the drawing area.
  const RECT mdi = screen_rect(app_hmdi()), boxr = screen_rect(box), one = screen_rect(app_htbar(0));
  EXPECT_LE(boxr.bottom, mdi.top);
  EXPECT_EQ(one.right, mdi.left);
  EXPECT_GT(one.bottom - one.top, one.right - one.left);
  // Filled: the layer and pen lists show the current ones, the count and the highlight
  // switch their texts.
  EXPECT_GE(SendMessageA(abox_field(0), CB_GETCURSEL, 0, 0), 0);
  EXPECT_GE(SendMessageA(abox_field(1), CB_GETCURSEL, 0, 0), 0);
  EXPECT_GE(SendMessageA(abox_field(2), CB_GETCURSEL, 0, 0), 0);
  EXPECT_FALSE(text_of(abox_field(abox_countfield())).empty());
  EXPECT_EQ(text_of(abox_field(abox_hilitefield())), "NR");
  EXPECT_EQ(text_of(abox_field(3)), "左");
  // Closed and shown again through its system menu, it shows the values of now.
  SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindowVisible(box));
  int pen = 7;
  inp_set(0x1ffff, 1, 1);
  abox_curattr(1, &pen, nullptr, nullptr, nullptr);
  SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_EQ(SendMessageA(abox_field(1), CB_GETCURSEL, 0, 0), 6);
}

TEST_F(SealUnits, APenChosenInTheAttributeBoxDrawsTheNextLine) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  HWND pen = abox_field(1);
  ASSERT_TRUE(pen);
  RECT vr;
  GetClientRect(view, &vr);
  const POINT a = {vr.right / 4, vr.bottom / 3}, b = {vr.right * 3 / 4, vr.bottom * 2 / 3};
  auto click = [view](POINT p, bool right = false) {
    PostMessageA(view, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(p.x, p.y));
    PostMessageA(view, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  };
  LRESULT before = -1;
  bool dropped = false;
  DWORD pressed = 0;
  // The list's third item down, pressed with the mouse; false while the list is not shown.
  auto press_item = [&] {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(pen, &info) || !IsWindowVisible(info.hwndList))
      return false;
    RECT item = {};
    SendMessageA(info.hwndList, LB_GETITEMRECT, WPARAM(before + 2), reinterpret_cast<LPARAM>(&item));
    POINT at = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(info.hwndList, &at);
    press_at(at);
    pressed = GetTickCount();
    return true;
  };
  testwin::Watchdog dog(60000);
  Steps steps({
      // The polyline waits for its first point: Ctrl+Shift+2 opens the pen list.
      [&] {
        if (CmdLevels[0].runnum != 20)
          return false;
        before = SendMessageA(pen, CB_GETCURSEL, 0, 0);
        testwin::hold_keys({VK_CONTROL, VK_SHIFT});
        PostMessageA(view, WM_KEYDOWN, '2', 0);
        return true;
      },
      [&] {
        // Keys typed into the box while a command waits go back to the frame: the
        // list's third item down is chosen with the mouse.
        if (!SendMessageA(pen, CB_GETDROPPEDSTATE, 0, 0))
          return false;
        dropped = true;
        testwin::hold_keys({});
        return press_item();
      },
      [&] {
        if (SendMessageA(pen, CB_GETDROPPEDSTATE, 0, 0)) {
          // On a loaded machine the press can reach the screen before the list
          // does: press again while the list stays open.
          if (GetTickCount() - pressed > 2000)
            press_item();
          return false;
        }
        SetFocus(view);
        click(a);
        click(b);
        PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0); // the chain ends
        PostMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0); // and the command
        return true;
      },
  });
  // The polyline's button of the drawing bar.
  SendMessageA(app_htbar(0), WM_COMMAND, TBAR_ID + 20, 0);
  cmd_pump();
  EXPECT_TRUE(steps.done());
  EXPECT_TRUE(dropped);
  ASSERT_GE(before, 0);
  const int want = int(before) + 2 + 1; // list item k is pen k + 1
  int now = 0;
  abox_curattr(0, &now, nullptr, nullptr, nullptr);
  EXPECT_EQ(now, want);
  EXPECT_EQ(SendMessageA(pen, CB_GETCURSEL, 0, 0), want - 1);
  // The line is in the store with that pen.
  DbControl c[2];
  dtb_ctrl('r', c);
  int lines = 0;
  for (uint32_t n = c[0].base1; n < c[0].base1 + c[0].count1; n++) {
    ElementRecord r;
    std::memcpy(&r, dtb_ptr(0, int32_t(n)), sizeof r);
    if (r.kind != LIN || (r.flags & ELM_SKIP))
      continue;
    lines++;
    EXPECT_EQ(r.lin.attr & 0xF, want);
  }
  EXPECT_EQ(lines, 1);
  const RECT pic = screen_rect(app_hmain());
  RECT shot;
  const std::vector<uint32_t> px = screen_capture(app_hmain(), shot);
  const std::string path = std::string(INK_PICTURE_DIR) + "/seal_pen_line.png";
  EXPECT_TRUE(write_png(path.c_str(), shot.right - shot.left, shot.bottom - shot.top, px));
  std::printf("screenshot: %s (%ld x %ld)\n", path.c_str(), pic.right - pic.left, pic.bottom - pic.top);
}

// The layouts the key table is tried in.
enum Layout { BARS, PANEL, PANEL_NO_TOOL, BARS_IDLE };

void set_layout(Layout l) {
  UnitInfo.layout = l == PANEL || l == PANEL_NO_TOOL ? 1 : 0;
  UnitInfo.unit[0] = {1, 1, 0, 0, 0};
  UnitInfo.unit[2] = {l == PANEL ? 1u : 0u, 1, 0, 0, 0};
  pnl_arrange();
  // Fields enabled as while the polyline waits; none while nothing waits.
  inp_set(l == BARS_IDLE ? 0 : 0x1ffff, 1, 1);
  unspy();
  spy_on(app_hpanel(), 'P');
  spy_on(app_htool(), 'T');
  spy_on(app_habox(), 'A');
}

TEST_F(SealUnits, EachKeyOfTheKeyTableReachesTheUnitItNames) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  constexpr int CS = VK_CONTROL * 1000 + VK_SHIFT, S = VK_SHIFT, C = VK_CONTROL, NONE = 0;
  const struct {
    Layout layout;
    int held;
    WPARAM vk;
    char unit; // 0: not taken, the key goes on to the window
    WPARAM id;
  } cases[] = {
      // Tool bars: the panel is off the screen, so its page keys are not taken.
      {BARS, NONE, '1', 0, 0},
      {BARS, NONE, '0', 0, 0},
      {BARS, NONE, VK_OEM_MINUS, 0, 0},
      {BARS, NONE, VK_BACK, 'P', 18000}, // Undo and Redo stay on Backspace
      {BARS, S, VK_BACK, 'P', 18001},
      // Ctrl+Shift+digit: the tool window is off the screen, the attribute box takes it.
      {BARS, CS, '1', 'A', 20000},
      {BARS, CS, '2', 'A', 20001},
      {BARS, CS, '6', 'A', 20005},
      {BARS, CS, '9', 'A', 20008},
      {BARS, CS, '0', 'A', 20009},
      // With two processing-mode buttons the box has ten fields.
      {BARS, CS, VK_OEM_MINUS, 0, 0},
      {BARS, CS, VK_OEM_7, 0, 0},
      {BARS, C, '1', 0, 0},
      {BARS, S, '1', 0, 0},
      // Nothing waits: the layer and pen fields are greyed and take no key either.
      {BARS_IDLE, CS, '1', 0, 0},
      {BARS_IDLE, CS, '2', 0, 0},
      {BARS_IDLE, CS, '9', 'A', 20008},
      // The command panel and the tool window on the screen.
      {PANEL, NONE, '1', 'P', 18003},
      {PANEL, NONE, '9', 'P', 18011},
      {PANEL, NONE, '0', 'P', 18012},
      {PANEL, NONE, VK_OEM_MINUS, 'P', 18013},
      {PANEL, CS, '1', 'T', 19000},
      {PANEL, CS, '9', 'T', 19008},
      {PANEL, CS, '0', 'A', 20009},
      {PANEL_NO_TOOL, CS, '1', 'A', 20000},
      {PANEL_NO_TOOL, NONE, '2', 'P', 18004},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "layout " << c.layout << " held " << c.held << " key 0x" << std::hex << c.vk);
    set_layout(c.layout);
    reached.clear();
    if (c.held == CS)
      testwin::hold_keys({VK_CONTROL, VK_SHIFT});
    else if (c.held)
      testwin::hold_keys({c.held});
    else
      testwin::hold_keys({});
    MSG m = {};
    m.hwnd = view, m.message = WM_KEYDOWN, m.wParam = c.vk;
    EXPECT_EQ(key_xlate(&m), c.unit ? 1 : 0);
    if (c.unit) {
      ASSERT_EQ(reached.size(), 1u);
      EXPECT_EQ(reached[0].unit, c.unit);
      EXPECT_EQ(reached[0].id, c.id);
    } else {
      EXPECT_TRUE(reached.empty());
    }
  }
  testwin::hold_keys({});
  unspy();
  UnitInfo.layout = 0;
  UnitInfo.unit[0] = {0, 0, 0, 0, 0};
  UnitInfo.unit[2] = {0, 0, 0, 0, 0};
  pnl_arrange();
}

TEST_F(SealUnits, APressOverTheFrameReachesTheOpenLineEditor) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  const RECT mdi = screen_rect(app_hmdi());
  const POINT over = {(mdi.left + mdi.right) / 2, (mdi.top + mdi.bottom) / 2};
  for (const uint32_t mask : {0u, 0x40u}) {
    SCOPED_TRACE(mask);
    char line[64] = "12345";
    DWORD caret = 99;
    bool forwarded = false;
    testwin::Watchdog dog(30000);
    std::vector<std::function<bool()>> plan = {
        [&] {
          HWND f = ledit_window();
          HWND edit = f ? FindWindowExA(f, nullptr, "EDIT", nullptr) : nullptr;
          if (!edit || GetFocus() != edit)
            return false;
          forwarded = CaptureForward == edit;
          DWORD from = 0;
          SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), 0);
          if (from != 5)
            return false; // the caret first stands behind the text
          press_at(over);
          return true;
        },
        [&] {
          // Without the left-button key the press moves the caret to the line's start;
          // with it the press ends the line.
          HWND f = ledit_window();
          if (!f)
            return false;
          HWND edit = FindWindowExA(f, nullptr, "EDIT", nullptr);
          DWORD from = 0;
          SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), 0);
          if (from != 0)
            return false;
          caret = from;
          PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
          return true;
        },
    };
    if (mask)
      plan.pop_back(); // the press itself ends the line
    Steps steps(plan);
    const int code = keyin_line(mask, sizeof line, line);
    EXPECT_TRUE(steps.done());
    EXPECT_TRUE(forwarded);
    EXPECT_EQ(CaptureForward, nullptr);
    EXPECT_STREQ(line, "12345");
    if (mask) {
      EXPECT_EQ(code, 500);
    } else {
      EXPECT_EQ(code, 13);
      EXPECT_EQ(caret, 0u);
    }
    EXPECT_TRUE(IsWindowEnabled(app_hmain()));
  }
}

} // namespace

// The tool bars built from a tool-bar file in plain host windows: buttons,
// separators and the entries that end a bar, sizes for the layout choices, the
// hosts' system-menu items, presses with and without QUICKSTART, the check notifier,
// the grid and save buttons, tooltips, the TOOLDISP value list, the authored file
// with its images, and a picture of the five bars.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../common/testwin.h"
#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/view/viewcmd.h"
#include "display/marks/grid.h"
#include "display/view/view.h"
#include "files/filecmd.h"
#include "settings/params.h"
#include "settings/syspath.h"
#include "settings/appwin.h"
#include "shell/units/ledit.h"
#include "shell/units/tbfile.h"
#include "shell/units/toolbar.h"
#include "shell/units/units.h"
#include "settings/appstate.h"

namespace {

std::string here() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.rfind('\\') + 1);
}

std::vector<int> pressed; // ids of WM_COMMAND the hosts received

LRESULT CALLBACK host_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COMMAND && LOWORD(wp) >= TBAR_ID && LOWORD(wp) < TBAR_ID + 1100) {
    pressed.push_back(LOWORD(wp));
    cmd_exec(int(GetWindowLongPtrA(w, GWLP_USERDATA)), LOWORD(wp) - TBAR_ID);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

std::string text_of(HMENU menu, int pos) {
  char text[64] = "";
  GetMenuStringA(menu, UINT(pos), text, sizeof text, MF_BYPOSITION);
  return text;
}

// Entries "command,level,text" of one section, with the counts given.
std::string section(const char *name, const std::vector<std::string> &entries, const char *extra = "",
                    int count = -1) {
  std::string s = std::string("[") + name + "]\r\n";
  if (count != -2)
    s += "TBMAXCOUNT=" + std::to_string(count == -1 ? int(entries.size()) : count) + "\r\n";
  char key[16];
  for (size_t i = 0; i < entries.size(); i++) {
    std::snprintf(key, sizeof key, "TBVALUE%03d=", int(i));
    s += key + entries[i] + "\r\n";
  }
  return s + extra;
}

class Bars : public ::testing::Test {
protected:
  testwin::Windows win;
  std::string dir = here() + "tbwork\\", file = dir + "RODIDEVO.MNU";
  HWND hosts[TBAR_COUNT] = {};

  void SetUp() override {
    CreateDirectoryA(dir.c_str(), nullptr);
    sys_pathset(6, dir.c_str());
    std::memset(&UnitInfo, 0, sizeof UnitInfo);
    PanelSet.quickstart = 1;
    pressed.clear();
    cmd_reset();
    cmd_tableinit();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = host_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "InkTestBarHost";
    RegisterClassA(&wc);
    for (int b = 0; b < TBAR_COUNT; b++) {
      hosts[b] = CreateWindowExA(0, "InkTestBarHost", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 60 * b, 860,
                                 60, win.frame, nullptr, GetModuleHandleA(nullptr), nullptr);
      SetWindowPos(hosts[b], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      SetWindowLongPtrA(hosts[b], GWLP_USERDATA, b);
      app_settbar(b, hosts[b]);
    }
  }
  void TearDown() override {
    for (int b = 0; b < TBAR_COUNT; b++) {
      ToolBar &t = ToolBars[b];
      if (t.tips)
        DestroyWindow(t.tips);
      if (t.ctl)
        DestroyWindow(t.ctl);
      t.tips = t.ctl = nullptr;
      DestroyWindow(hosts[b]);
      app_settbar(b, nullptr);
    }
    tbar_freebmp();
    std::memset(&UnitInfo, 0, sizeof UnitInfo);
    ObjectMode = 0;
    cmd_reset();
    testwin::drain();
  }

  void write(const std::string &text) {
    FILE *f = std::fopen(file.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  // Bar b made again from the file, docked at side with layout choice line.
  int make(int b, int side = 1, int line = 0) {
    ToolBar &t = ToolBars[b];
    if (t.ctl)
      DestroyWindow(t.ctl);
    t.ctl = nullptr;
    UnitInfo.unit[b + 3].shown = 1;
    UnitInfo.unit[b + 3].side = uint16_t(side);
    UnitInfo.unit[b + 3].line = uint16_t(line);
    return tbar_make(b);
  }
  LRESULT send(int b, UINT m, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(tbar_hwnd(b), m, wp, lp); }
  bool checked(int b, int command) { return send(b, TB_ISBUTTONCHECKED, TBAR_ID + command) != 0; }
  bool enabled(int b, int command) { return send(b, TB_ISBUTTONENABLED, TBAR_ID + command) != 0; }
};

TEST_F(Bars, ASeparatorSitsBetweenButtonsAndCapsTheSize) {
  write(section("TOOLFILE", {"300,0,新規作成", "-1,0,", "301,2,既存修正"}));
  ASSERT_EQ(make(3), 1);
  ASSERT_EQ(send(3, TB_BUTTONCOUNT), 3);
  const int styles[3] = {TBSTYLE_CHECK, TBSTYLE_SEP, TBSTYLE_CHECK}, ids[3] = {1300, 0, 1301};
  int sum = 0;
  for (int i = 0; i < 3; i++) {
    TBBUTTON btn = {};
    ASSERT_TRUE(send(3, TB_GETBUTTON, WPARAM(i), reinterpret_cast<LPARAM>(&btn)));
    EXPECT_EQ(btn.fsStyle & (TBSTYLE_CHECK | TBSTYLE_SEP), styles[i]) << i;
    EXPECT_EQ(btn.idCommand, ids[i]) << i;
    RECT r;
    ASSERT_TRUE(send(3, TB_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r)));
    sum += r.right - r.left;
  }
  EXPECT_TRUE(ToolBars[3].sep);
  EXPECT_EQ(tbar_btnlevel(3, 301), 2);
  EXPECT_EQ(tbar_btnlevel(3, 302), -1);
  // One row of three items: the separator is narrower than a button, so the bar ends at its items.
  ASSERT_LT(sum, 3 * 24);
  const SIZE s = tbar_size(3, 1);
  EXPECT_EQ(s.cx, sum + 11);
  EXPECT_EQ(s.cy, 24 + 11);
}

TEST_F(Bars, EntriesThatEndTheBar) {
  ASSERT_EQ(tbar_bitmap(5, 0), -1); // command 5 has no picture
  std::vector<std::string> nine(9, "0,0,点");
  nine[4] = "5,0,絵なし";
  std::vector<std::string> many(150, "20,0,連続線");
  std::vector<std::string> beyond = {"0,0,点", "28,0,四角形", "5000,0,範囲外", "35,0,単線"};
  const struct {
    const char *what;
    std::string text;
    int made, count;
  } cases[] = {
      {"no bitmap at entry 4 of 9", section("TOOLONE", nine, "MENUVALUE000=1\r\n"), 1, 4},
      {"TBMAXCOUNT 150", section("TOOLONE", many, "MENUVALUE000=1\r\n"), 1, 100},
      {"command 5000", section("TOOLONE", beyond, "MENUVALUE000=1\r\n"), 1, 2},
      {"a missing key", section("TOOLONE", {"0,0,点", "35,0,単線"}, "MENUVALUE000=1\r\n", 5), 1, 2},
      {"one comma", section("TOOLONE", {"0,0,点", "35,0"}, "MENUVALUE000=1\r\n"), 1, 1},
      {"a negative count", section("TOOLONE", {"0,0,点"}, "MENUVALUE000=1\r\n", -3), 1, 0},
      {"no TBMAXCOUNT", section("TOOLONE", {"0,0,点"}, "MENUVALUE000=1\r\n", -2), 0, 0},
  };
  for (const auto &c : cases) {
    write(c.text);
    EXPECT_EQ(make(0), c.made) << c.what;
    EXPECT_EQ(ToolBars[0].count, c.count) << c.what;
    EXPECT_EQ(send(0, TB_BUTTONCOUNT), c.count) << c.what;
  }
}

TEST_F(Bars, LongTooltipsAreCutAtAWholeCharacter) {
  // 20 double-byte characters: 40 bytes, cut to 17 characters.
  const std::string tip = "あいうえおかきくけこさしすせそたちつてと";
  write(section("TOOLFILE", {"300,0," + tip}));
  ASSERT_EQ(make(3), 1);
  EXPECT_EQ(std::string(ToolBars[3].rec[0].tip), tip.substr(0, 34));
}

TEST_F(Bars, SizesForTheLayoutChoices) {
  const std::vector<std::string> nine(9, "0,0,点"), ten(10, "0,0,点");
  // 9 buttons in 3 rows: 3 by 3 docked; floating hosts grow by 9 instead of 11.
  write(section("TOOLONE", nine, "MENUVALUE000=3\r\nMENUVALUE001=9\r\nMENUVALUE002=10\r\n"));
  ASSERT_EQ(make(0, 1, 0), 1);
  SIZE s = tbar_size(0, 1);
  EXPECT_EQ(s.cx, 3 * 24 + 11);
  EXPECT_EQ(s.cy, 3 * 24 + 11);
  EXPECT_EQ(send(0, TB_GETROWS), 3);
  s = tbar_size(0, 0);
  EXPECT_EQ(s.cx, 3 * 24 + 9);
  // Choice 1 (9 rows) lies wide at the top and stands tall at the left.
  UnitInfo.unit[3].line = 1;
  s = tbar_size(0, 1);
  EXPECT_EQ(s.cx, 9 * 24 + 11);
  EXPECT_EQ(s.cy, 1 * 24 + 11);
  s = tbar_size(0, 3);
  EXPECT_EQ(s.cx, 1 * 24 + 11);
  EXPECT_EQ(s.cy, 9 * 24 + 11);
  // Choice 2 (10 rows for 9 buttons) is not offered but still sizes.
  UnitInfo.unit[3].line = 5;
  s = tbar_size(0, 1);
  EXPECT_EQ(s.cx, 0);
  EXPECT_EQ(s.cy, 0);

  // 10 buttons, 3 rows, docked at the left: 3 wide and 4 high.
  write(section("TOOLONE", ten, "MENUVALUE000=3\r\n"));
  ASSERT_EQ(make(0, 3, 0), 1);
  s = tbar_size(0, 3);
  EXPECT_EQ(s.cx, 3 * 24 + 11);
  EXPECT_EQ(s.cy, 4 * 24 + 11);
  EXPECT_EQ(send(0, TB_GETROWS), 4);
  s = tbar_size(0, 1);
  EXPECT_EQ(s.cx, 4 * 24 + 11);
  EXPECT_EQ(s.cy, 3 * 24 + 11);

  // A negative row count gives an empty size at once.
  write(section("TOOLONE", ten, "MENUVALUE000=-2\r\n"));
  ASSERT_EQ(make(0, 1, 0), 1);
  EXPECT_EQ(tbar_rows(0, 0), -2);
  EXPECT_EQ(tbar_cols(0, -2), 0);
  s = tbar_size(0, 1);
  EXPECT_EQ(s.cx, 0);
  EXPECT_EQ(s.cy, 0);

  // Large buttons.
  UnitInfo.bigicon = 1;
  write(section("TOOLONE", nine, "MENUVALUE000=3\r\n"));
  ASSERT_EQ(make(0, 1, 0), 1);
  s = tbar_size(0, 1);
  EXPECT_EQ(s.cx, 3 * 31 + 11);
  EXPECT_EQ(s.cy, 3 * 31 + 11);
  EXPECT_EQ(LOWORD(send(0, TB_GETBUTTONSIZE)), 31);

  // The other bars: TOOLDISP 1 or 2 rows, TOOLFILE and TOOLMES one row or one column.
  UnitInfo.bigicon = 0;
  write(section("TOOLDISP", nine, "TBNAME=表示\r\n") + section("TOOLMES", {"708,3,a", "709,3,b", "711,0,c"}));
  ASSERT_EQ(make(2, 1, 1), 1);
  s = tbar_size(2, 1);
  EXPECT_EQ(s.cx, 5 * 24 + 11);
  EXPECT_EQ(s.cy, 2 * 24 + 11);
  ASSERT_EQ(make(4, 4, 1), 1);
  EXPECT_EQ(tbar_rows(4, 1), 3);
  s = tbar_size(4, 4);
  EXPECT_EQ(s.cx, 24 + 11);
  EXPECT_EQ(s.cy, 3 * 24 + 11);
  EXPECT_EQ(tbar_rows(4, 2), 0);
}

TEST_F(Bars, SystemMenuItemsOfTheHosts) {
  // A floating host: a pop-up with a system menu.
  HWND popup = CreateWindowExA(WS_EX_TOOLWINDOW, "InkTestBarHost", "bar", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                               100, 100, win.frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(popup, nullptr);
  const std::vector<std::string> nine(9, "0,0,点");
  const struct {
    int bar;
    std::string text;
    std::vector<std::string> items; // the appended items, "-" a separator
    std::vector<UINT> ids;
  } cases[] = {
      {0, section("TOOLONE", nine, "MENUVALUE000=3\r\nMENUVALUE001=1\r\nMENUVALUE002=10\r\nMENUVALUE003=2\r\n"),
       {"縦 3 ｘ 横 3 (&1)", "縦 1 ｘ 横 9 (&2)", "-", "閉じる(&C)"},
       {1000, 1001, 0, SC_CLOSE}},
      {1, section("TOOLTWO", nine, "MENUVALUE000=-2\r\nMENUVALUE001=3\r\n"), {"閉じる(&C)"}, {SC_CLOSE}},
      {2, section("TOOLDISP", nine, "TBNAME=表示\r\n"),
       {"長く変更(&1)", "短く変更(&2)", "-", "閉じる(&C)"},
       {1000, 1001, 0, SC_CLOSE}},
      {3, section("TOOLFILE", nine), {"横表示(&1)", "縦表示(&2)", "-", "閉じる(&C)"}, {1000, 1001, 0, SC_CLOSE}},
  };
  for (const auto &c : cases) {
    write(c.text);
    ASSERT_EQ(make(c.bar, 0), 1);
    GetSystemMenu(popup, TRUE); // the standard menu again
    HMENU menu = GetSystemMenu(popup, FALSE);
    const int before = GetMenuItemCount(menu);
    app_settbar(c.bar, popup);
    tbar_sysmenu(c.bar);
    app_settbar(c.bar, hosts[c.bar]);
    ASSERT_EQ(GetMenuItemCount(menu), before + int(c.items.size())) << c.bar;
    for (size_t i = 0; i < c.items.size(); i++) {
      const int pos = before + int(i);
      if (c.items[i] == "-") {
        EXPECT_TRUE(GetMenuState(menu, UINT(pos), MF_BYPOSITION) & MF_SEPARATOR) << c.bar << " " << i;
        continue;
      }
      EXPECT_EQ(text_of(menu, pos), c.items[i]) << c.bar;
      EXPECT_EQ(GetMenuItemID(menu, pos), c.ids[i]) << c.bar;
    }
  }
  DestroyWindow(popup);
}

TEST_F(Bars, QuickStartActsOnThePressOtherwiseOnTheRelease) {
  write(section("TOOLFILE", {"300,0,新規作成", "301,0,既存修正"}));
  for (int quick : {1, 0}) {
    PanelSet.quickstart = uint32_t(quick);
    cmd_reset();
    pressed.clear();
    ASSERT_EQ(make(3), 1);
    RECT r;
    ASSERT_TRUE(send(3, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(tbar_hwnd(3), WM_LBUTTONDOWN, MK_LBUTTON, at);
    testwin::drain();
    if (quick) {
      EXPECT_EQ(pressed, std::vector<int>{1301});
      EXPECT_EQ(CmdLevels[0].reqnum, 301); // requested; the next pump starts it
      EXPECT_TRUE(cmd_isrun(301));
    } else {
      EXPECT_TRUE(pressed.empty());
      EXPECT_EQ(CmdLevels[0].reqnum, -1);
      PostMessageA(tbar_hwnd(3), WM_LBUTTONUP, 0, at);
      testwin::drain();
      EXPECT_EQ(pressed, std::vector<int>{1301});
      EXPECT_EQ(CmdLevels[0].reqnum, 301);
    }
    ReleaseCapture();
  }
}

TEST_F(Bars, PressesGoToAnOpenOneLineEditor) {
  write(section("TOOLFILE", {"300,0,新規作成", "301,0,既存修正"}));
  ASSERT_EQ(make(3), 1);
  RECT r;
  ASSERT_TRUE(send(3, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)));
  static LPARAM at;
  at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  static HWND focus;
  static std::vector<UINT> seen; // presses the edit received
  focus = nullptr;
  seen.clear();
  testwin::Watchdog dog;
  // The editor's key filter ends the line with 77 when a left press reaches its edit.
  testwin::Script script({[] {},
                          [] {
                            PostMessageA(tbar_hwnd(3), WM_RBUTTONDOWN, MK_RBUTTON, at);
                            PostMessageA(tbar_hwnd(3), WM_LBUTTONDOWN, MK_LBUTTON, at);
                          },
                          [] {}, [] {
                            if (ledit_window())
                              PostMessageA(ledit_window(), WM_CLOSE, 0, 0);
                          }});
  char buf[16] = "";
  const int code = ledit_input(nullptr, buf, sizeof buf, [](HWND edit, UINT m, WPARAM) {
    focus = GetFocus() == edit ? edit : nullptr;
    if (m != WM_KEYDOWN && m != WM_CHAR)
      seen.push_back(m);
    return m == WM_LBUTTONDOWN ? 77 : 0;
  });
  EXPECT_EQ(code, 77);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_RBUTTONDOWN, WM_LBUTTONDOWN}));
  EXPECT_NE(focus, nullptr);
  testwin::drain();
  EXPECT_TRUE(pressed.empty());
  EXPECT_EQ(CmdLevels[0].reqnum, -1);
  EXPECT_FALSE(checked(3, 300));
}

TEST_F(Bars, TheNotifierChecksTheCommandInEveryBarAndUnchecks521) {
  write(section("TOOLONE", {"300,0,a", "521,0,b"}, "MENUVALUE000=1\r\n") +
        section("TOOLFILE", {"301,0,c", "300,0,d"}));
  ASSERT_EQ(make(0), 1);
  ASSERT_EQ(make(3), 1);
  send(0, TB_CHECKBUTTON, TBAR_ID + 521, TRUE);
  tbar_check(300, 1);
  EXPECT_TRUE(checked(0, 300));
  EXPECT_TRUE(checked(3, 300));
  EXPECT_FALSE(checked(3, 301));
  EXPECT_FALSE(checked(0, 521));
  tbar_check(300, 0);
  EXPECT_FALSE(checked(0, 300));
  EXPECT_FALSE(checked(3, 300));
  tbar_check(521, 1);
  EXPECT_TRUE(checked(0, 521));
  tbar_check(301, 1);
  EXPECT_FALSE(checked(0, 521));
  EXPECT_TRUE(checked(3, 301));
  EXPECT_EQ(tbar_find(300), 0);
  EXPECT_EQ(tbar_find(301), 3);
  EXPECT_EQ(tbar_find(302), -1);
  EXPECT_TRUE(tbar_has(300, 3));
  EXPECT_FALSE(tbar_has(301, 0));
}

TEST_F(Bars, GridAndSaveButtonsFollowTheDrawing) {
  win.open(0, 0);
  ASSERT_NE(vwin_active(), nullptr);
  dwg_setcur(0);
  grd_setmode(0, 0, 1);
  uint32_t state = 0;
  sys_dwgstat('W', 0, &state);
  write(section("TOOLFILE", {"330,0,上書き登録", "300,0,新規作成"}) +
        section("TOOLMES", {"708,3,グリッド表示", "710,0,グリッド基準点"}));
  ASSERT_EQ(make(3), 1);
  ASSERT_EQ(make(4), 1);
  ASSERT_EQ(tbar_create(4), 1);
  EXPECT_FALSE(enabled(4, 710)); // grid mode 0
  EXPECT_TRUE(enabled(4, 708));
  grd_setmode(0, 1, 1);
  tbar_gridbtn();
  EXPECT_TRUE(enabled(4, 710));
  EXPECT_FALSE(checked(4, 710));
  cmd_setrun(0, 710);
  tbar_gridbtn();
  EXPECT_TRUE(checked(4, 710));
  grd_setmode(0, 0, 1);
  tbar_gridbtn();
  EXPECT_FALSE(enabled(4, 710));
  EXPECT_FALSE(checked(4, 710));

  for (uint32_t s : {1u, 0u, 1u}) {
    sys_dwgstat('W', 0, &s);
    tbar_upd330();
    EXPECT_EQ(enabled(3, 330), dwg_cansave()) << s;
    EXPECT_EQ(enabled(3, 330), s != 0) << s;
  }
  // The pump refreshes it after every command.
  state = 0;
  sys_dwgstat('W', 0, &state);
  cmd_shellhooks();
  cmd_request(0, [] { return int32_t(0); }, -1, nullptr);
  cmd_pump();
  EXPECT_FALSE(enabled(3, 330));
  grd_setmode(0, 0, 1);
}

TEST_F(Bars, TooltipsShowTheFileText) {
  write(section("TOOLFILE", {"300,0,新規作成", "-1,0,区切り", "301,0,既存修正"}));
  ASSERT_EQ(make(3), 1);
  ASSERT_EQ(tbar_create(3), 1);
  HWND tips = ToolBars[3].tips;
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(send(3, TB_GETTOOLTIPS)), tips);
  EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 2); // none for the separator
  const struct {
    int id;
    const char *text;
  } tools[] = {{1300, "新規作成"}, {1301, "既存修正"}};
  for (const auto &t : tools) {
    char text[80] = "";
    TOOLINFOA ti = {};
    ti.cbSize = sizeof ti;
    ti.hwnd = tbar_hwnd(3);
    ti.uId = UINT_PTR(t.id);
    ti.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(text, t.text);
  }
  // With no drawing window: 300 may run, 301 too; states follow cmd_enabled.
  EXPECT_TRUE(enabled(3, 300));
  EXPECT_TRUE(enabled(3, 301));
}

TEST_F(Bars, ObjectModeDisablesItsButtons) {
  // The object commands are disabled while object mode is on, the others left alone.
  win.open(0, 0);
  write(section("TOOLFILE", {"300,0,新規作成", "430,0,切り取り", "436,0,削除", "440,0,オブジェクト"}));
  ASSERT_EQ(make(3), 1);
  for (int mode : {1, 0}) {
    ObjectMode = uint32_t(mode);
    tbar_objmode();
    EXPECT_TRUE(enabled(3, 300));
    for (int command : {430, 436, 440})
      EXPECT_EQ(enabled(3, command), mode == 0) << command << " in mode " << mode;
  }
}

TEST_F(Bars, ValueListReadAndWrittenBack) {
  write(section("TOOLDISP", {"504,3,拡大", "9999,3,なし", "502,3,再表示", "505,3,縮小"},
                "TBNAME=表示\r\nTBVALUE004=506,3,残る\r\n"));
  ASSERT_EQ(tval_read(file.c_str()), 1);
  EXPECT_STREQ(ToolValues.name, "表示");
  ASSERT_EQ(ToolValues.count, 4);
  const ToolValue *v = ToolValues.first;
  EXPECT_EQ(v->a, 504);
  EXPECT_EQ(v->b, 3);
  EXPECT_STREQ(v->text, "拡大");
  EXPECT_EQ(v->next->a, 9999);

  // A shorter list: the keys beyond it up to the old count go, later ones stay.
  ToolValue *second = ToolValues.first->next;
  for (ToolValue *p = second->next; p;) {
    ToolValue *next = p->next;
    delete[] p->text;
    delete p;
    p = next;
  }
  second->next = nullptr;
  ToolValues.count = 2;
  ASSERT_EQ(tval_write(), 1);
  tval_free();
  char text[64];
  EXPECT_EQ(GetPrivateProfileIntA("TOOLDISP", "TBMAXCOUNT", 0, file.c_str()), 2u);
  GetPrivateProfileStringA("TOOLDISP", "TBVALUE001", "", text, sizeof text, file.c_str());
  EXPECT_STREQ(text, "9999,3,なし");
  for (const char *gone : {"TBVALUE002", "TBVALUE003"}) {
    GetPrivateProfileStringA("TOOLDISP", gone, "gone", text, sizeof text, file.c_str());
    EXPECT_STREQ(text, "gone") << gone;
  }
  GetPrivateProfileStringA("TOOLDISP", "TBVALUE004", "", text, sizeof text, file.c_str());
  EXPECT_STREQ(text, "506,3,残る");
  ASSERT_EQ(tval_read(file.c_str()), 1);
  EXPECT_EQ(ToolValues.count, 2);
  tval_free();

  // Failures leave the list empty.
  const struct {
    const char *what;
    std::string text;
  } bad[] = {
      {"no TBNAME", section("TOOLDISP", {"504,3,拡大"})},
      {"empty TBNAME", section("TOOLDISP", {"504,3,拡大"}, "TBNAME=\r\n")},
      {"TBMAXCOUNT 0", section("TOOLDISP", {"504,3,拡大"}, "TBNAME=表示\r\n", 0)},
      {"a missing value", section("TOOLDISP", {"504,3,拡大"}, "TBNAME=表示\r\n", 2)},
      {"one number", section("TOOLDISP", {"504,3,拡大", "502"}, "TBNAME=表示\r\n")},
      {"no section", section("TOOLONE", {"504,3,拡大"}, "TBNAME=表示\r\n")},
  };
  for (const auto &b : bad) {
    write(b.text);
    EXPECT_EQ(tval_read(file.c_str()), 0) << b.what;
    EXPECT_EQ(ToolValues.first, nullptr) << b.what;
    EXPECT_EQ(ToolValues.count, 0) << b.what;
  }
  // Writing needs a TBMAXCOUNT above 0 in the file.
  write(section("TOOLDISP", {"504,3,拡大"}, "TBNAME=表示\r\n"));
  ASSERT_EQ(tval_read(file.c_str()), 1);
  write(section("TOOLDISP", {"504,3,拡大"}, "TBNAME=表示\r\n", 0));
  EXPECT_EQ(tval_write(), 0);
  tval_free();
}

// The command numbers the command table holds handlers for.
const std::set<int> &table_commands() {
  static const std::set<int> s = [] {
    std::set<int> c = {0,   20,  28,  35,  40,  41,  55,  60,  63,  75,  76,  100, 101, 104, 114, 116, 120,
                       123, 130, 140, 180, 187, 195, 196, 197, 198, 300, 301, 302, 330, 331, 380, 400, 401,
                       405, 406, 420, 500, 502, 504, 505, 506, 520, 540, 547, 548, 549, 708, 709, 710, 711,
                       712, 715, 716, 730, 731, 732, 733, 755, 850, 852, 860, 1000, 1098};
    for (int i = 509; i <= 516; i++)
      c.insert(i);
    for (int i = 541; i <= 546; i++)
      c.insert(i);
    for (int i = 900; i <= 907; i++)
      c.insert(i);
    for (int i = 920; i <= 931; i++)
      c.insert(i);
    for (int i = 940; i <= 943; i++)
      c.insert(i);
    for (int i = 960; i <= 966; i++)
      c.insert(i);
    return c;
  }();
  return s;
}

TEST(AuthoredFile, EveryButtonHasItsImagesAndAHandlerWithinTheLimits) {
  const std::string file = std::string(INK_BIN_DIR) + "/RODIDEVO.MNU";
  ASSERT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << file;
  HINSTANCE hi = GetModuleHandleA(nullptr);
  for (int b = 0; b < TBAR_COUNT; b++) {
    const char *sec = ToolBarSections[b];
    const int count = int(GetPrivateProfileIntA(sec, "TBMAXCOUNT", -1, file.c_str()));
    ASSERT_GE(count, 1) << sec;
    ASSERT_LE(count, 100) << sec;
    int buttons = 0;
    for (int i = 0; i < count; i++) {
      char key[16], value[256] = "";
      std::snprintf(key, sizeof key, "TBVALUE%03d", i);
      GetPrivateProfileStringA(sec, key, "", value, sizeof value, file.c_str());
      EXPECT_LE(std::strlen(value), 59u) << sec << " " << key;
      TbfEntry e;
      const int kind = tbf_entry(value, &e);
      ASSERT_NE(kind, TBF_END) << sec << " " << key << " " << value;
      const char *tip = std::strchr(std::strchr(value, ',') + 1, ',') + 1;
      EXPECT_LE(std::strlen(tip), 35u) << sec << " " << key;
      EXPECT_STREQ(e.tip, tip) << sec << " " << key;
      if (kind == TBF_SEPARATOR)
        continue;
      buttons++;
      EXPECT_TRUE(table_commands().count(e.command)) << sec << " " << key << ": no handler for " << e.command;
      for (int s = 0; s < 2; s++) {
        const int id = tbar_bitmap(e.command, s);
        ASSERT_GE(id, 0) << sec << " " << e.command;
        EXPECT_NE(FindResourceA(hi, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2)), nullptr) << e.command;
      }
    }
    EXPECT_GE(buttons, 1) << sec;
    if (b == 0 || b == 1) {
      const int rows = int(GetPrivateProfileIntA(sec, "MENUVALUE000", 0, file.c_str()));
      EXPECT_TRUE(tbf_rowok(rows, count)) << sec;
    }
  }
  // TOOLDISP as the value list: the first three values are tool-window presets.
  ASSERT_EQ(tval_read(file.c_str()), 1);
  int k = 0;
  for (const ToolValue *v = ToolValues.first; v && k < 3; v = v->next, k++)
    EXPECT_TRUE(v->a >= 500 && v->a <= 508) << v->a;
  EXPECT_EQ(k, 3);
  tval_free();
}

TEST(AuthoredFile, EveryBitmapOfTheTableLoadsAtItsSize) {
  HINSTANCE hi = GetModuleHandleA(nullptr);
  const struct {
    int command, small, large;
  } fixed[] = {{0, 101, 289}, {20, 103, 260}, {300, 177, 255}, {330, 179, 257},
               {400, 208, 298}, {500, 168, 246}, {710, 712, 713}};
  for (const auto &f : fixed) {
    EXPECT_EQ(tbar_bitmap(f.command, 0), f.small);
    EXPECT_EQ(tbar_bitmap(f.command, 1), f.large);
  }
  int rows = 0;
  for (int c = 0; c < 1100; c++) {
    EXPECT_EQ(BitmapTable[c][2], -1);
    if (BitmapTable[c][0] < 0) {
      EXPECT_EQ(BitmapTable[c][1], -1) << c;
      continue;
    }
    rows++;
    for (int s = 0; s < 2; s++) {
      HBITMAP bmp = CreateMappedBitmap(hi, BitmapTable[c][s], 0, nullptr, 0);
      ASSERT_NE(bmp, nullptr) << c;
      BITMAP info = {};
      GetObjectA(bmp, sizeof info, &info);
      EXPECT_EQ(info.bmWidth, s ? 24 : 16) << c;
      EXPECT_EQ(info.bmHeight, s ? 24 : 16) << c;
      DeleteObject(bmp);
    }
  }
  EXPECT_GE(rows, 97);
  EXPECT_EQ(tbar_bitmap(-1, 0), -1);
  EXPECT_EQ(tbar_bitmap(1100, 0), -1);
}

// Dark pixels of the picture inside a window's rectangle.
int dark_pixels(const std::vector<uint32_t> &px, const RECT &pic, HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  const int w = pic.right - pic.left;
  int n = 0;
  for (int y = r.top; y < r.bottom && y < pic.bottom; y++)
    for (int x = r.left; x < r.right && x < pic.right; x++) {
      const uint32_t v = px[size_t(y - pic.top) * w + (x - pic.left)];
      if (((v >> 16) & 255) + ((v >> 8) & 255) + (v & 255) < 200)
        n++;
    }
  return n;
}

TEST_F(Bars, PictureOfTheFiveAuthoredBarsSmallAndLarge) {
  CopyFileA((std::string(INK_BIN_DIR) + "\\RODIDEVO.MNU").c_str(), file.c_str(), FALSE);
  const int expect[TBAR_COUNT] = {20, 16, 9, 9, 5};
  ShowWindow(app_hmdi(), SW_HIDE);
  for (int big : {0, 1}) {
    UnitInfo.bigicon = uint16_t(big);
    int y = 0;
    for (int b = 0; b < TBAR_COUNT; b++) {
      ASSERT_EQ(make(b, 1, 0), 1) << b;
      EXPECT_EQ(ToolBars[b].count, expect[b]) << b;
      const SIZE s = tbar_size(b, 1);
      ASSERT_GT(s.cx, 0);
      SetWindowPos(hosts[b], HWND_TOP, 0, y, s.cx, s.cy, 0);
      y += s.cy + 4;
      ASSERT_EQ(tbar_create(b), 1);
      // Most commands have no handler yet and show disabled; the picture shows the images.
      for (int i = 0; i < ToolBars[b].count; i++)
        if (const int id = ToolBars[b].rec[i].btn.idCommand)
          send(b, TB_ENABLEBUTTON, WPARAM(id), TRUE);
    }
    SetForegroundWindow(win.frame);
    RedrawWindow(win.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 10; i++) {
      testwin::drain();
      Sleep(20);
    }
    RECT pic;
    const std::vector<uint32_t> px = screen_capture(win.frame, pic);
    const std::string path = std::string(INK_PICTURE_DIR) + (big ? "/toolbars_large.png" : "/toolbars_small.png");
    EXPECT_TRUE(write_png(path.c_str(), pic.right - pic.left, pic.bottom - pic.top, px));
    std::printf("screenshot: %s\n", path.c_str());
    for (int b = 0; b < TBAR_COUNT; b++) {
      // The control sits at (3, 1) inside a host sized for its buttons.
      RECT hr, cr;
      GetWindowRect(hosts[b], &hr);
      GetWindowRect(tbar_hwnd(b), &cr);
      EXPECT_EQ(cr.left - hr.left, 3) << b;
      EXPECT_LE(cr.right, hr.right) << b;
      EXPECT_LE(cr.bottom, hr.bottom) << b;
      EXPECT_GT(dark_pixels(px, pic, tbar_hwnd(b)), 5 * expect[b]) << b; // each button's strokes
    }
  }
  ShowWindow(app_hmdi(), SW_SHOW);
}

} // namespace

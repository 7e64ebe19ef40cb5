// Keys and the right-click shortcut menu in the started editor: start-up reads the key
// file beside the program, the built-in keys press the command panel's buttons only
// while no command waits, and the menu's items reach the waiting command.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../common/testwin.h"
#include "commands/cmdl/cmdlevel.h"
#include "commands/cmdl/cmdtable.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "input/gcr.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/units/keytable.h"
#include "shell/units/scmenu.h"
#include "shell/units/units.h"
#include "../../common/editorpump.h"

namespace {

std::string slurp(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void spill(const std::string &path, const std::string &bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << bytes;
}

// What the questions asked; a menu question is answered with the item of chosen_command.
std::vector<std::string> boards;
int menus_asked = 0;
int chosen_command = 0;
std::vector<std::pair<int, bool>> offered; // (command, greyed) of the last menu's items

int menuid_of(int command) {
  for (int i = 0; i < ScmTab.count; i++)
    if (ScmTab.items[i].kind == 0 && ScmTab.items[i].command == command)
      return ScmTab.items[i].menuid;
  return 0;
}

int respond(const UiQuestion &q) {
  if (q.kind == UI_BOARD) {
    boards.push_back(q.text ? q.text : "");
    return 0;
  }
  if (q.kind == UI_MENU) {
    menus_asked++;
    offered.clear();
    for (int i = 0; i < ScmTab.count; i++)
      if (ScmTab.items[i].kind == 0)
        offered.emplace_back(ScmTab.items[i].command,
                             (GetMenuState(scm_menu(), UINT(ScmTab.items[i].menuid), MF_BYCOMMAND) & MF_GRAYED) != 0);
    return chosen_command ? menuid_of(chosen_command) : 0;
  }
  return q.kind == UI_MSGBOX ? IDNO : 0;
}

// The panel's commands, kept instead of run.
std::vector<WPARAM> panel_commands;
WNDPROC panel_proc = nullptr;
LRESULT CALLBACK panel_spy(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COMMAND) {
    panel_commands.push_back(wp);
    return 0;
  }
  return CallWindowProcA(panel_proc, w, m, wp, lp);
}

// A command that waits for input until a click, an end or a cancel.
struct Waited {
  std::vector<int> codes;
  int x = -1, y = -1;
} waited;
int32_t waiting_command() {
  for (;;) {
    int32_t dwg, view, x, y;
    const int code = gcr_wait(&dwg, &view, &x, &y, 1);
    if (code == 0 || code == -1 || code == -2)
      continue;
    waited.codes.push_back(code);
    waited.x = x, waited.y = y;
    if (code >= 500 || code == 27)
      return 0;
  }
}
constexpr int kWaitingNumber = 1095;

class ScMenu : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\", keyfile = here() + "inkforge.key";
  std::string authored;
  VODOreVer *app = nullptr;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = dir + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "UNDOSIZE", "500", sys.c_str());
    // The shipped key file, also after a run that ended before putting it back.
    authored = slurp(INK_BIN_DIR "/inkforge.key");
    ASSERT_FALSE(authored.empty());
    spill(keyfile, authored);
    boards.clear();
    menus_asked = 0;
    chosen_command = 0;
    offered.clear();
    panel_commands.clear();
    waited = Waited{};
    ui_setresponder(respond);
  }
  // Starts the editor over the authored key file, none (""), or the given text.
  void start(const char *key = nullptr) {
    if (key && !*key)
      DeleteFileA(keyfile.c_str());
    else if (key)
      spill(keyfile, key);
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    SetForegroundWindow(app_hmain());
    pump(5);
    if (HWND p = app_hpanel())
      panel_proc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(p, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(panel_spy)));
  }
  void TearDown() override {
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
    spill(keyfile, authored);
  }
  HWND new_drawing() {
    EXPECT_EQ(fil_open(0, nullptr), 0);
    pump(3);
    HWND v = vew_hwnd(0, 0);
    if (v)
      SetFocus(v);
    return v;
  }
  // Runs the waiting command on level 0 while steps are played into its wait.
  void run_waiting(std::vector<std::function<void()>> steps) {
    testwin::Watchdog dog(30000);
    testwin::Script script(std::move(steps), 150);
    ASSERT_EQ(cmd_request(0, waiting_command, kWaitingNumber, nullptr), 0);
    cmd_pump();
  }
};

// The pointer over a view's point (the menu opens there), then a right click at it.
void point_at(HWND view, int x, int y) {
  POINT at = {x, y};
  ClientToScreen(view, &at);
  SetCursorPos(at.x, at.y);
}
// A right click where the pointer is (a mouse move queued there is what the view keeps).
POINT clicked;
void right_click(HWND view) {
  GetCursorPos(&clicked);
  ScreenToClient(view, &clicked);
  PostMessageA(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(clicked.x, clicked.y));
  PostMessageA(view, WM_RBUTTONUP, 0, MAKELPARAM(clicked.x, clicked.y));
}

MSG key_down(HWND w, WPARAM vk) {
  MSG m = {};
  m.hwnd = w, m.message = WM_KEYDOWN, m.wParam = vk;
  return m;
}

int shown_menus() {
  int n = 0;
  for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr))
    if (IsWindowVisible(w))
      n++;
  return n;
}

TEST_F(ScMenu, StartUpReadsTheKeyFileAndAKeyRunsItsViewCommand) {
  start();
  EXPECT_EQ(KeyTab.count, 115);
  EXPECT_EQ(ScmTab.count, 12);
  EXPECT_EQ(cmd_rmenuon(), 1);
  EXPECT_EQ(cmd_rmenucfg(), 1);
  // A click handed on switches the menu off once; the configured setting stays.
  scm_off();
  EXPECT_EQ(cmd_rmenuon(), 0);
  EXPECT_EQ(cmd_rmenucfg(), 1);
  scm_enable(1, -1);
  EXPECT_TRUE(boards.empty()) << boards.front();
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  // The view steps' own handlers stand in here, counting their runs.
  static int zoomed_in = 0;
  const CmdHandler saved = CommandTable[509];
  CommandTable[509] = [] {
    ++zoomed_in;
    return int32_t(0);
  };
  testwin::hold_keys({});
  MSG m = key_down(view, VK_PRIOR);
  EXPECT_EQ(key_xlate(&m), 1); // Page Up
  m.wParam = VK_F7;
  EXPECT_EQ(key_xlate(&m), 1);
  EXPECT_EQ(zoomed_in, 2);
  m.wParam = VK_F1; // in the table with no command
  EXPECT_EQ(key_xlate(&m), 0);
  m.wParam = VK_F10;
  EXPECT_EQ(key_xlate(&m), 0);
  CommandTable[509] = saved;
}

TEST_F(ScMenu, ADigitPressesThePanelButtonOnlyWhileThePanelIsShownAndNoCommandWaits) {
  start();
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  testwin::hold_keys({});
  // The tool-bar layout has no panel on the screen: the digit goes on to the window.
  MSG m = key_down(view, '1');
  EXPECT_EQ(key_xlate(&m), 0);
  EXPECT_TRUE(panel_commands.empty());
  UnitInfo.layout = 1;
  UnitInfo.unit[0] = {1, 1, 0, 0, 0};
  pnl_arrange();
  ASSERT_TRUE(IsWindowVisible(app_hpanel()));
  EXPECT_EQ(key_xlate(&m), 1);
  ASSERT_EQ(panel_commands.size(), 1u);
  EXPECT_EQ(panel_commands[0], 18003u);
  // Backspace is the panel's Undo; Escape always goes on to the window.
  m.wParam = VK_BACK;
  EXPECT_EQ(key_xlate(&m), 1);
  m.wParam = VK_ESCAPE;
  EXPECT_EQ(key_xlate(&m), 0);
  ASSERT_EQ(panel_commands.size(), 2u);
  EXPECT_EQ(panel_commands[1], 18000u);
  // A waiting command gets its digits.
  panel_commands.clear();
  run_waiting({[view] { PostMessageA(view, WM_KEYDOWN, '1', 0); },
               [view] { PostMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20)); }});
  EXPECT_TRUE(panel_commands.empty());
  ASSERT_EQ(waited.codes.size(), 2u);
  EXPECT_EQ(waited.codes[0], '1');
  EXPECT_EQ(waited.codes[1], 500);
  // Nor is a key typed into an edit control taken.
  HWND edit = CreateWindowA("EDIT", "", WS_CHILD, 0, 0, 50, 20, app_hmain(), nullptr, GetModuleHandleA(nullptr), nullptr);
  m = key_down(edit, '1');
  EXPECT_EQ(key_xlate(&m), 0);
  DestroyWindow(edit);
  EXPECT_TRUE(panel_commands.empty());
  UnitInfo.layout = 0;
  UnitInfo.unit[0] = {0, 0, 0, 0, 0};
  pnl_arrange();
}

TEST_F(ScMenu, AKeyFileThatDoesNotLoadIsReportedAndStartUpGoesOn) {
  // The second key line is missing.
  start("[KEYMENU]\r\nKEYITEMCOUNT=120\r\nKEYITEM001=8021,  509,3,[ PageUp  ],\r\n"
        "[SHORTCUTMENU]\r\nMENUCOUNT=2\r\nMENUITEM000=0,0,A,9000,0\r\nMENUITEM001=0,0,B,9004,0\r\n");
  ASSERT_TRUE(IsWindow(app_hmain()));
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_EQ(boards[0], app_initerrtext(3));
  EXPECT_EQ(KeyTab.count, 0);
  EXPECT_EQ(ScmTab.count, 2); // the shortcut menu stands on its own
  EXPECT_EQ(cmd_rmenuon(), 1);
}

TEST_F(ScMenu, NoKeyFileMeansNoKeysNoMenuAndNoMessage) {
  start("");
  EXPECT_TRUE(boards.empty()) << boards.front();
  EXPECT_EQ(KeyTab.count, 0);
  EXPECT_EQ(ScmTab.count, 0);
  EXPECT_EQ(cmd_rmenuon(), 0);
}

TEST_F(ScMenu, TheMenuOpensAtARightClickAndContinueGivesTheClickToTheCommand) {
  start();
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  ui_setresponder(nullptr); // the real menu
  testwin::RealModals real;
  int open_menus = 0;
  std::vector<std::pair<UINT, UINT>> states; // (command, state) of the open menu's items
  const std::string shot = std::string(INK_PICTURE_DIR) + "/shortcut_menu.png";
  bool written = false;
  run_waiting({
      [view] { point_at(view, 50, 40); },
      [view] { right_click(view); },
      [] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_UP, 0); },    // the last item, the view sub-menu
      [] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RIGHT, 0); }, // opens it
      [&] {
        open_menus = shown_menus();
        for (int i = 0; i < ScmTab.count; i++)
          if (ScmTab.items[i].kind == 0)
            states.emplace_back(UINT(ScmTab.items[i].command),
                                GetMenuState(scm_menu(), UINT(ScmTab.items[i].menuid), MF_BYCOMMAND));
        RECT r;
        const std::vector<uint32_t> px = screen_capture(app_hmain(), r);
        written = write_png(shot.c_str(), r.right - r.left, r.bottom - r.top, px);
      },
      [] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, // back to the top menu
      [] { PostMessageA(GetFocus(), WM_CHAR, 'c', 0); },          // continue (&C)
  });
  ui_setresponder(respond);
  EXPECT_EQ(open_menus, 2);
  EXPECT_TRUE(written);
  std::printf("screenshot: %s\n", shot.c_str());
  // Continue is offered while the command waits; the Tab items by a mask it has not set.
  for (auto [command, state] : states) {
    const bool grey = (state & MF_GRAYED) != 0;
    if (command == 9001 || command == 9002 || command == 9003) {
      EXPECT_TRUE(grey) << command;
    } else if (command == 9000 || command == 9004 || command == 509) {
      EXPECT_FALSE(grey) << command;
    }
  }
  // The kept right click reached the command at its point.
  ASSERT_EQ(waited.codes.size(), 1u);
  EXPECT_EQ(waited.codes[0], 501);
  EXPECT_NEAR(waited.x, clicked.x, 1); // the pointer's own move may land a pixel off
  EXPECT_NEAR(waited.y, clicked.y, 1);
  EXPECT_EQ(shown_menus(), 0);
}

TEST_F(ScMenu, CancelEndsTheWaitingCommandAndOtherwisePressesMenu) {
  start();
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  chosen_command = 9004;
  run_waiting({[view] { point_at(view, 30, 30); }, [view] { right_click(view); }});
  EXPECT_EQ(menus_asked, 1);
  ASSERT_EQ(waited.codes.size(), 1u);
  EXPECT_EQ(waited.codes[0], 800); // the private cancel message, on level 0
  EXPECT_TRUE(panel_commands.empty());
  // With no command the item is greyed and a choice of it does nothing ...
  SendMessageA(view, WM_RBUTTONUP, 0, MAKELPARAM(30, 30));
  pump(3);
  EXPECT_EQ(menus_asked, 2);
  EXPECT_TRUE(panel_commands.empty());
  // ... while the item's command itself presses the panel's Menu button.
  SendMessageA(view, WM_COMMAND, WPARAM(menuid_of(9004)), 0);
  ASSERT_EQ(panel_commands.size(), 1u);
  EXPECT_EQ(panel_commands[0], 18002u);
}

TEST_F(ScMenu, WithNoRecordsARightClickReachesTheCommand) {
  start();
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  scm_free(&ScmTab); // the menu stays switched on
  run_waiting({[view] { point_at(view, 25, 35); }, [view] { right_click(view); }});
  EXPECT_EQ(menus_asked, 0);
  ASSERT_EQ(waited.codes.size(), 1u);
  EXPECT_EQ(waited.codes[0], 501);
  EXPECT_EQ(waited.x, clicked.x);
  EXPECT_EQ(waited.y, clicked.y);
}

TEST_F(ScMenu, SaveIsGreyedWhileTheDrawingMayNotBeSavedOver) {
  start("[KEYMENU]\r\nKEYITEMCOUNT=1\r\nKEYITEM001=8021,  509,3,[ PageUp  ],\r\n"
        "[SHORTCUTMENU]\r\nMENUCOUNT=2\r\nMENUITEM000=0,0,Save,330,0\r\nMENUITEM001=0,0,Zoom,509,3\r\n");
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  for (uint32_t state : {0u, 1u}) {
    sys_dwgstat('W', 0, &state);
    SendMessageA(view, WM_RBUTTONUP, 0, MAKELPARAM(30, 30));
    pump(2);
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[0], std::make_pair(330, state == 0)) << state;
    EXPECT_EQ(offered[1], std::make_pair(509, false));
  }
}

} // namespace

// The editor starts and closes: start-up in order, the main frame with its menu,
// file tool bar and message window, the menu commands, the start-up errors, and a
// shut-down that gives back what the start-up took.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../display/gdi_recorder.h"
#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/cmdl/menurec.h"
#include "display/fonts/fontfile.h"
#include "input/inpkind.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/app/mainframe.h"
#include "shell/units/msgwin.h"
#include "shell/units/panel.h"
#include "shell/units/toolwin.h"
#include "shell/units/toolbar.h"
#include "shell/units/units.h"
#include "settings/appstate.h"

namespace {

std::vector<std::string> boards; // texts asked on the message board

std::string here() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.rfind('\\') + 1);
}

bool exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void pump(int rounds = 1) {
  for (int i = 0; i < rounds; i++) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT)
        continue; // left by a frame destroyed outside a loop
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    if (rounds > 1)
      Sleep(20);
  }
}

class App : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\";
  VODOreVer *app = nullptr;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = dir + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "UNDOSIZE", "500", sys.c_str());
    boards.clear();
    ui_setresponder([](const UiQuestion &q) {
      boards.push_back(q.text ? q.text : "");
      return 0;
    });
    cmd_reset();
  }
  void TearDown() override {
    if (app)
      finish();
    ui_setresponder(nullptr);
    pump();
  }

  BOOL start(const char *cmdline = "") {
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>(cmdline);
    const BOOL ok = app->InitInstance();
    if (!ok && app->m_pMainWnd)
      app->m_pMainWnd->DestroyWindow(); // as the framework's WinMain does
    pump(5);
    return ok;
  }
  // Closes the editor through its menu and runs the loop until it ends.
  int finish() {
    int rc = 0;
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      rc = app->Run();
    }
    delete app;
    app = nullptr;
    pump();
    return rc;
  }
  HMENU menu() const { return GetMenu(app_hmain()); }
};

std::vector<uint32_t> capture(HWND wnd, RECT &r) { return screen_capture(wnd, r); }

// Dark pixels of the picture inside a window's rectangle.
int dark_pixels(const std::vector<uint32_t> &px, const RECT &pic, HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  const int w = pic.right - pic.left;
  int n = 0;
  for (int y = r.top; y < r.bottom; y++)
    for (int x = r.left; x < r.right; x++) {
      const uint32_t v = px[size_t(y - pic.top) * w + (x - pic.left)];
      if (((v >> 16) & 255) + ((v >> 8) & 255) + (v & 255) < 200)
        n++;
    }
  return n;
}

TEST_F(App, MainFrameWithMenuFileToolBarAndMessageWindow) {
  ASSERT_TRUE(start());
  HWND main = app_hmain();
  ASSERT_TRUE(main && IsWindowVisible(main));
  EXPECT_EQ(FindWindowA("DazuVerur", nullptr), main);
  char title[64] = "";
  GetWindowTextA(main, title, sizeof title);
  EXPECT_STREQ(title, "インク工房");

  // The menu bar: File, Edit, View, the drawing menu from the menu file, Settings, Help.
  ASSERT_EQ(GetMenuItemCount(menu()), 6);
  const char *names[6] = {"ファイル(&F)", "編集(&E)", "表示(&D)", "作図(&C)", "設定(&S)", "ヘルプ(&H)"};
  for (int i = 0; i < 6; i++) {
    char text[64] = "";
    GetMenuStringA(menu(), UINT(i), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, names[i]);
  }
  HMENU drawing = GetSubMenu(menu(), 3);
  ASSERT_NE(drawing, nullptr);
  EXPECT_EQ(GetMenuItemCount(drawing), 7); // the seven groups of the menu file
  char leaf[32] = "";
  GetMenuStringA(GetSubMenu(drawing, 0), 1, leaf, sizeof leaf, MF_BYPOSITION);
  EXPECT_STREQ(leaf, "単線(&S)");
  EXPECT_EQ(GetMenuItemID(GetSubMenu(drawing, 0), 1), UINT(MNU_ID + 8));

  // Only the file tool bar is shown, docked at the top, with its nine entries.
  for (int b = 0; b < TBAR_COUNT; b++)
    EXPECT_EQ(IsWindowVisible(app_htbar(b)) != 0, b == 3) << "bar " << b;
  EXPECT_EQ(SendMessageA(tbar_hwnd(3), TB_BUTTONCOUNT, 0, 0), 9);
  EXPECT_EQ(tbar_btnlevel(3, 400), 4);
  EXPECT_TRUE(SendMessageA(tbar_hwnd(3), TB_ISBUTTONENABLED, TBAR_ID + 300, 0));  // new needs no drawing
  EXPECT_FALSE(SendMessageA(tbar_hwnd(3), TB_ISBUTTONENABLED, TBAR_ID + 302, 0)); // close does

  // The message window along the bottom, the MDI client between.
  HWND mesg = app_hmesg();
  ASSERT_TRUE(mesg && IsWindowVisible(mesg));
  RECT fr, mr, cr, tr;
  GetClientRect(main, &fr);
  MapWindowPoints(main, nullptr, reinterpret_cast<POINT *>(&fr), 2);
  GetWindowRect(mesg, &mr);
  GetWindowRect(app_hmdi(), &cr);
  GetWindowRect(app_htbar(3), &tr);
  EXPECT_EQ(mr.bottom, fr.bottom);
  EXPECT_EQ(cr.bottom, mr.top);
  EXPECT_EQ(tr.top, fr.top);
  EXPECT_EQ(cr.top, tr.bottom);

  // A Japanese prompt on message line 0, drawn with real glyphs.
  char prompt[] = "座標を入力してください";
  int colour = 0;
  mesg_line('W', 0, &colour, prompt);
  HWND line0 = GetDlgItem(mesg, 2100);
  ASSERT_TRUE(line0 && IsWindowVisible(line0));
  HDC dc = GetDC(line0);
  HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
  WORD glyphs[4];
  ASSERT_EQ(GetGlyphIndicesW(dc, L"座標入力", 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 4u);
  for (WORD g : glyphs)
    EXPECT_NE(g, 0xFFFF);
  EXPECT_NE(glyphs[0], glyphs[1]);
  SelectObject(dc, old);
  ReleaseDC(line0, dc);

  SetForegroundWindow(main);
  pump(10);
  RECT pic;
  const std::vector<uint32_t> px = capture(main, pic);
  const std::string path = std::string(INK_PICTURE_DIR) + "/editor_main.png";
  EXPECT_TRUE(write_png(path.c_str(), pic.right - pic.left, pic.bottom - pic.top, px));
  std::printf("screenshot: %s\n", path.c_str());
  EXPECT_GT(dark_pixels(px, pic, line0), 100); // the prompt's strokes
  EXPECT_GT(dark_pixels(px, pic, tbar_hwnd(3)), 50);
  EXPECT_TRUE(boards.empty()) << boards.front();
  EXPECT_EQ(finish(), 0);
}

TEST_F(App, CloseThroughTheMenuGivesBackWhatTheStartTook) {
  const std::string journal = work + "ikfgundo.0ud";
  DeleteFileA(journal.c_str());
  for (int round = 0; round < 2; round++) { // a second start finds no stale state
    SCOPED_TRACE(round);
    rec_start();
    ASSERT_TRUE(start());
    EXPECT_TRUE(exists(journal));
    EXPECT_EQ(CmdLevel, -1);
    EXPECT_EQ(MenuCount, 60);
    EXPECT_NE(Fonts.loaded, 0);
    std::vector<HGDIOBJ> own = {app_memdc(), app_facebrush()};
    for (int b = 0; b < TBAR_COUNT; b++)
      for (int i = 0; i < ToolBars[b].count; i++)
        if (ToolBars[b].rec[i].bmp)
          own.push_back(ToolBars[b].rec[i].bmp);
    EXPECT_GT(own.size(), 9u);
    const size_t pens = rec.created.size();
    EXPECT_GT(pens, 0u);

    EXPECT_EQ(finish(), 0);
    rec_stop();
    EXPECT_EQ(app_hmain(), nullptr);
    EXPECT_FALSE(FindWindowA("DazuVerur", nullptr));
    EXPECT_FALSE(exists(journal));
    for (HGDIOBJ h : rec.created)
      EXPECT_GE(rec.deleted[h], 1) << "a pen or font of the display is left";
    for (HGDIOBJ h : own)
      EXPECT_EQ(GetObjectType(h), 0u) << "a start-up object is left";
    EXPECT_EQ(app_memdc(), nullptr);
    EXPECT_EQ(MenuArray, nullptr);
    EXPECT_EQ(Fonts.fd[FNT_HQIDX], -1);
    EXPECT_EQ(app_hmesg(), nullptr);
    EXPECT_TRUE(boards.empty()) << boards.front();
  }
}

TEST_F(App, MissingMessageOrMenuFileStopsTheStartWithItsError) {
  const struct {
    const char *file, *error;
  } cases[] = {{"inkforge.msg", "メッセージファイルの読み込みができません。"},
               {"inkforge.mnu", "メニューファイルの読み込みができません。"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.file);
    const std::string file = dir + c.file, away = file + ".away";
    ASSERT_TRUE(MoveFileA(file.c_str(), away.c_str()));
    boards.clear();
    const BOOL ok = start();
    MoveFileA(away.c_str(), file.c_str());
    EXPECT_FALSE(ok);
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0], c.error);
    EXPECT_FALSE(FindWindowA("DazuVerur", nullptr));
    EXPECT_EQ(app_hmain(), nullptr);
    EXPECT_EQ(MenuArray, nullptr);
    EXPECT_FALSE(exists(work + "ikfgundo.0ud"));
    delete app;
    app = nullptr;
  }
  ASSERT_TRUE(start()); // and the files back in place start it again
}

TEST_F(App, MenuCommandsBecomeRequests) {
  ASSERT_TRUE(start());
  HWND main = app_hmain();
  SendMessageA(main, WM_COMMAND, 10100, 0);
  EXPECT_NE(CmdLevels[0].reqfn, nullptr);
  EXPECT_EQ(CmdLevels[0].reqnum, 300);
  EXPECT_EQ(CmdLevels[0].reqnote, tbar_check);
  cmd_reset();

  // The file tool bar's new button: the same command on its button's level.
  SendMessageA(app_htbar(3), WM_COMMAND, TBAR_ID + 300, reinterpret_cast<LPARAM>(tbar_hwnd(3)));
  EXPECT_EQ(CmdLevels[0].reqnum, 300);
  EXPECT_EQ(CmdRunList[0], 300);
  cmd_reset();

  // A recent file opens through the file layer, which says it cannot read drawings yet.
  std::strcpy(RecentFiles[0], "C:\\seals\\one.ksl");
  SendMessageA(main, WM_COMMAND, 17000, 0);
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_NE(boards[0].find("C:\\seals\\one.ksl"), std::string::npos);
  boards.clear();

  // 16009 that no menu entry runs is swallowed; nothing is requested or asked.
  EXPECT_EQ(CMainFrame::DispatchCommand(main, 16009, 0), 0);
  for (const CommandLevel &l : CmdLevels)
    EXPECT_EQ(l.reqfn, nullptr);
  EXPECT_TRUE(boards.empty());

  // Any other id goes to the default frame procedure: it activates MDI child 16001.
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefMDIChildProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "InkTestChild";
  RegisterClassA(&wc);
  HWND c1 = CreateMDIWindowA("InkTestChild", "1", 0, 0, 0, 200, 150, app_hmdi(), wc.hInstance, 0);
  HWND c2 = CreateMDIWindowA("InkTestChild", "2", 0, 20, 20, 200, 150, app_hmdi(), wc.hInstance, 0);
  ASSERT_TRUE(c1 && c2);
  SendMessageA(app_hmdi(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(c2), 0);
  const HWND before = reinterpret_cast<HWND>(SendMessageA(app_hmdi(), WM_MDIGETACTIVE, 0, 0));
  const UINT other = before == c1 ? 16001 : 16000;
  SendMessageA(main, WM_COMMAND, other, 0);
  EXPECT_NE(reinterpret_cast<HWND>(SendMessageA(app_hmdi(), WM_MDIGETACTIVE, 0, 0)), before);
  SendMessageA(app_hmdi(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(c1), 0);
  SendMessageA(app_hmdi(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(c2), 0);

  // A spooler notice opens nothing; the private messages still open recent file 4.
  std::strcpy(RecentFiles[3], "C:\\seals\\four.ksl");
  SendMessageA(main, WM_SPOOLERSTATUS, 0, 0);
  EXPECT_TRUE(boards.empty());
  SendMessageA(main, 0x4001, 0, 0);
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_NE(boards[0].find("four.ksl"), std::string::npos);
  RecentFiles[0][0] = RecentFiles[3][0] = '\0';
  boards.clear();

  // Exit closes the frame: the loop ends.
  EXPECT_EQ(CMainFrame::DispatchCommand(main, 10105, 0), 1);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(app->Run(), 0);
  delete app;
  app = nullptr;
}

TEST_F(App, WithNoDrawingSaveAndCloseAreGreyed) {
  ASSERT_TRUE(start());
  SendMessageA(app_hmain(), WM_INITMENU, reinterpret_cast<WPARAM>(menu()), 0);
  const struct {
    UINT id;
    bool grey;
  } items[] = {{10100, false}, {10101, false}, {10106, true}, {10109, true},  {10103, true},
               {10105, false}, {10200, true},  {103, true},   {10407, false}, {10903, false}};
  for (const auto &i : items)
    EXPECT_EQ((GetMenuState(menu(), i.id, MF_BYCOMMAND) & MF_GRAYED) != 0, i.grey) << i.id;
  EXPECT_TRUE(GetMenuState(menu(), 143, MF_BYCOMMAND) & MF_CHECKED); // grid mode 0
}

TEST_F(App, ANestedCommandEndsAndTheInterruptedOneFindsItsPromptAgain) {
  ASSERT_TRUE(start());
  static std::vector<std::string> order;
  order.clear();
  cmd_request(
      1,
      [] {
        char text[] = "一の指示";
        int colour = 1;
        mesg_line('W', 0, &colour, text);
        uint32_t flags = 0x24;
        int32_t target = 2, kind = 3;
        inp_req('W', &flags, &target, &kind);
        cmd_request(
            2,
            [] {
              char other[] = "二の指示";
              mesg_line('W', 0, nullptr, other);
              uint32_t f = 0;
              int32_t t = 0, k = 0;
              inp_req('R', &f, &t, &k);
              EXPECT_EQ(f, 0x24u); // the nested command starts from the request it found
              f = 0x80, t = 1, k = 5;
              inp_req('W', &f, &t, &k);
              order.push_back("two");
              return CMD_DONE;
            },
            -1, nullptr);
        cmd_pump(); // the input wait pumps: level 2 runs on top of level 1
        char now[128];
        int c = 0;
        mesg_line('R', 0, &c, now);
        order.push_back(std::string("one sees ") + now + " " + std::to_string(c));
        uint32_t f = 0;
        int32_t t = 0, k = 0;
        inp_req('R', &f, &t, &k);
        order.push_back("request " + std::to_string(f) + " " + std::to_string(t) + " " + std::to_string(k));
        return CMD_DONE;
      },
      -1, nullptr);
  cmd_pump();
  EXPECT_EQ(order, (std::vector<std::string>{"two", "one sees 一の指示 1", "request 36 2 3"}));
  EXPECT_EQ(CmdLevel, -1);
}

TEST_F(App, AnUnusableToolBarCommandSaysSo) {
  ASSERT_TRUE(start());
  EXPECT_EQ(cmd_exec(3, 1017), 0); // allowed without a drawing, but no handler
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_EQ(boards[0], "コマンド番号 = 1017 は使用できません。");
  EXPECT_EQ(cmd_exec(3, 300), 1); // no drawing needed: requested with the button's level
  EXPECT_EQ(CmdLevels[0].reqnum, 300);
  EXPECT_EQ(CmdRunList[0], 300);
  EXPECT_EQ(cmd_exec(3, 302), 0); // close needs a drawing: refused silently
  EXPECT_EQ(boards.size(), 1u);
  cmd_reset();
}

TEST_F(App, DrawingMenuItemsStartThroughAToolBarOrThePanel) {
  ASSERT_TRUE(start());
  HWND main = app_hmain();
  ASSERT_NE(app_hpanel(), nullptr); // made at start-up though the layout never shows it
  EXPECT_FALSE(IsWindowVisible(app_hpanel()));
  // The start-up build: the top page on the panel, the tool-window presets from TOOLDISP.
  EXPECT_EQ(MenuPage, -1);
  char caption[32] = "";
  GetWindowTextA(PanelButtons[0][3].window, caption, sizeof caption);
  EXPECT_STREQ(caption, "線");
  EXPECT_EQ(PanelButtons[0][3 + 7].shown, 0u); // seven groups
  EXPECT_EQ(ToolCommands[0], 500);
  EXPECT_EQ(ToolCommands[1], 502);
  EXPECT_EQ(ToolCommands[2], 504);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefMDIChildProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "InkTestMenuChild";
  RegisterClassA(&wc);
  HWND child = CreateMDIWindowA("InkTestMenuChild", "d", 0, 0, 0, 200, 150, app_hmdi(), wc.hInstance, 0);
  ASSERT_NE(child, nullptr);
  int onbar = -1, panel = -1;
  for (int i = 0; i < MenuCount; i++) {
    const int c = MenuArray[i].command;
    if (MenuArray[i].child >= 0 || c < 0 || !CommandTable[c])
      continue;
    if (onbar < 0 && tbar_find(c) >= 0)
      onbar = i;
    if (panel < 0 && tbar_find(c) < 0)
      panel = i;
  }
  ASSERT_GE(onbar, 0);
  ASSERT_GE(panel, 0);
  // A command with a tool-bar button starts through that button.
  SendMessageA(main, WM_COMMAND, WPARAM(MNU_ID + onbar), 0);
  const int level = tbar_btnlevel(tbar_find(MenuArray[onbar].command), MenuArray[onbar].command);
  ASSERT_GE(level, 0);
  EXPECT_EQ(CmdLevels[level].reqnum, MenuArray[onbar].command);
  EXPECT_EQ(CmdLevels[level].reqnote, tbar_check);
  cmd_reset();
  // Any other through its button on the panel's page, on level 0.
  SendMessageA(main, WM_COMMAND, WPARAM(MNU_ID + panel), 0);
  EXPECT_EQ(MenuPage, MenuArray[panel].parent);
  EXPECT_EQ(CmdLevels[0].reqfn, CommandTable[MenuArray[panel].command]);
  EXPECT_GE(CmdLevels[0].reqnum, 3);
  EXPECT_EQ(MenuSlots[CmdLevels[0].reqnum - 3], panel);
  cmd_reset();
  // A leaf with command 1100 or -5 does nothing.
  for (int bad : {1100, -5}) {
    const int32_t keep = MenuArray[panel].command;
    MenuArray[panel].command = bad;
    SendMessageA(main, WM_COMMAND, WPARAM(MNU_ID + panel), 0);
    for (const CommandLevel &l : CmdLevels)
      EXPECT_EQ(l.reqfn, nullptr) << bad;
    MenuArray[panel].command = keep;
  }
  SendMessageA(app_hmdi(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
}

TEST_F(App, StatusLineNamesTheCommandFromTheMenuFile) {
  ASSERT_TRUE(start());
  cmd_status(1, 35);
  char line[128];
  mesg_line('R', 2, nullptr, line);
  EXPECT_STREQ(line, "    線   :   単線  ");
  EXPECT_EQ(CmdStatusShown, 1);
  cmd_status(1, -1);
  mesg_line('R', 2, nullptr, line);
  EXPECT_STREQ(line, " ");
  EXPECT_EQ(CmdStatusShown, 0);
}

} // namespace

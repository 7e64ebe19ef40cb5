// The units around the drawing area in the started editor: the UNITINFO settings,
// the default layout, the tool-bar hosts and the tool window.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/view/viewcmd.h"
#include "settings/answers.h"
#include "shell/app/app.h"
#include "shell/app/mainframe.h"
#include "settings/appwin.h"
#include "shell/units/toolbar.h"
#include "shell/units/toolwin.h"
#include "shell/units/units.h"
#include "../../common/editorpump.h"

namespace {

std::vector<std::string> boards;

RECT screen_rect(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

class Units : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\", sys = here() + "inkforge.sys";
  VODOreVer *app = nullptr;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "UNDOSIZE", "500", sys.c_str());
    boards.clear();
    ui_setresponder([](const UiQuestion &q) {
      boards.push_back(q.text ? q.text : "");
      return 0;
    });
    cmd_reset();
    PnlFailUnit = -1;
  }
  void TearDown() override {
    if (app)
      finish();
    PnlFailUnit = -1;
    ui_setresponder(nullptr);
    pump();
  }
  void unitinfo(const char *key, const char *value) {
    WritePrivateProfileStringA("UNITINFO", key, value, sys.c_str());
  }
  BOOL start() {
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    const BOOL ok = app->InitInstance();
    if (!ok && app->m_pMainWnd)
      app->m_pMainWnd->DestroyWindow();
    pump(5);
    return ok;
  }
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
  void shot(const char *name) {
    SetForegroundWindow(app_hmain());
    pump(10);
    RECT pic;
    const std::vector<uint32_t> px = screen_capture(app_hmain(), pic);
    const std::string path = std::string(INK_PICTURE_DIR) + "/" + name;
    EXPECT_TRUE(write_png(path.c_str(), pic.right - pic.left, pic.bottom - pic.top, px));
    std::printf("screenshot: %s\n", path.c_str());
  }
};

TEST_F(Units, WithNoSettingsOnlyTheFileBarShowsDockedAtTheTop) {
  ASSERT_TRUE(start());
  for (int i = 0; i < UNIT_COUNT; i++)
    EXPECT_EQ(pnl_shown(i), i == 6 ? 1u : 0u) << i;
  EXPECT_EQ(pnl_side(6), 1);
  HWND file = app_htbar(3);
  ASSERT_TRUE(file && IsWindowVisible(file));
  POINT top = {0, 0};
  ClientToScreen(app_hmain(), &top);
  EXPECT_EQ(screen_rect(file).top, top.y);
  for (int b : {0, 1, 2, 4})
    EXPECT_FALSE(IsWindowVisible(app_htbar(b))) << b;
  EXPECT_FALSE(IsWindowVisible(app_habox()));
  ASSERT_TRUE(app_htool());
  EXPECT_FALSE(IsWindowVisible(app_htool()));
  EXPECT_EQ(PanelSet.quickstart, 1u);
  EXPECT_EQ(PanelSet.cmdhwidth, 0u);
  shot("editor_start.png");
  EXPECT_TRUE(boards.empty());
}

TEST_F(Units, UnitsComeBackWhereTheLastRunLeftThem) {
  const char *keys[][2] = {{"DISPFLG01", "1"},  {"SIDEINFO01", "1"}, {"DISPFLG03", "1"},     {"SIDEINFO03", "3"},
                           {"DISPFLG07", "1"},  {"SIDEINFO07", "0"}, {"LEFTPOINT07", "200"}, {"TOPPOINT07", "150"},
                           {"DISPFLG04", "1"},  {"SIDEINFO04", "2"}, {"LINEINFO04", "9"},    {"DISPFLG05", "1"},
                           {"SIDEINFO05", "0"}, {"LEFTPOINT05", "50000"}};
  for (const auto &k : keys)
    unitinfo(k[0], k[1]);
  ASSERT_TRUE(start());
  for (int i = 0; i < UNIT_COUNT; i++)
    EXPECT_EQ(pnl_shown(i), i == 1 || (i >= 3 && i <= 7) ? 1u : 0u) << i;
  EXPECT_TRUE(IsWindowVisible(app_habox()));
  EXPECT_EQ(pnl_side(3), 3);
  EXPECT_EQ(pnl_line(4), 0); // a choice the bar does not have
  EXPECT_EQ(screen_rect(app_htbar(4)).left, 200);
  EXPECT_EQ(screen_rect(app_htbar(4)).top, 150);
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  EXPECT_LT(screen_rect(app_htbar(2)).left, desk.right); // brought back onto the screen
  // The user closes the drawing bar and stands the measuring bar up.
  SendMessageA(app_htbar(0), WM_SYSCOMMAND, SC_CLOSE, 0);
  SendMessageA(app_htbar(4), WM_SYSCOMMAND, TBAR_ID + 1, 0);
  EXPECT_EQ(finish(), 0);
  ASSERT_TRUE(start());
  EXPECT_EQ(pnl_shown(3), 0u);
  EXPECT_FALSE(IsWindowVisible(app_htbar(0)));
  EXPECT_EQ(pnl_line(7), 1);
  EXPECT_EQ(screen_rect(app_htbar(4)).left, 200);
  EXPECT_TRUE(IsWindowVisible(app_habox()));
  EXPECT_TRUE(boards.empty());
}

TEST_F(Units, SettingsOutsideTheirRangeTakeTheirFallbacks) {
  const struct {
    const char *key, *value;
    const uint32_t *field;
    uint32_t want;
  } cases[] = {
      {"CMDHWIDTH", "59", &PanelSet.cmdhwidth, 90},      {"CMDHWIDTH", "120", &PanelSet.cmdhwidth, 120},
      {"CMDHWIDTH", "121", &PanelSet.cmdhwidth, 90},     {"CMDHWIDTH", "0", &PanelSet.cmdhwidth, 90},     {"CMDVWIDTH", "-5", &PanelSet.cmdvwidth, 100},
      {"BTNSIZERAT1", "250", &PanelSet.sizerat[1], 100}, {"BTNWIDTHRAT2", "30", &PanelSet.widthrat[2], 150},
      {"BTNSIZEKIND0", "3", &PanelSet.sizekind[0], 1},   {"QUICKSTART", "7", &PanelSet.quickstart, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << "=" << c.value);
    unitinfo(c.key, c.value);
    ASSERT_TRUE(start());
    EXPECT_EQ(*c.field, c.want);
    finish();
    unitinfo(c.key, nullptr);
  }
}

TEST_F(Units, ClosingABarHidesItAndShutDownWritesItsFlag) {
  ASSERT_TRUE(start());
  HWND host = app_htbar(3);
  SendMessageA(host, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(pnl_shown(6), 0u);
  EXPECT_FALSE(IsWindowVisible(app_htbar(3)));
  EXPECT_EQ(finish(), 0);
  char v[16] = "";
  GetPrivateProfileStringA("UNITINFO", "DISPFLG06", "", v, sizeof v, sys.c_str());
  EXPECT_STREQ(v, "0");
  GetPrivateProfileStringA("UNITINFO", "SIDEINFO06", "", v, sizeof v, sys.c_str());
  EXPECT_STREQ(v, "1");
  GetPrivateProfileStringA("UNITINFO", "TOPPOINT09", "", v, sizeof v, sys.c_str());
  EXPECT_STREQ(v, "0");
}

TEST_F(Units, TheBarSurvivesItsHostsRecreation) {
  ASSERT_TRUE(start());
  HWND bar = tbar_hwnd(3), old = app_htbar(3);
  ASSERT_TRUE(bar && old);
  UnitRecord u = {};
  pnl_unitget(6, &u);
  ASSERT_TRUE(tbar_hostreset(3, &u));
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(tbar_hwnd(3), bar);
  EXPECT_EQ(GetParent(bar), app_htbar(3));
}

TEST_F(Units, ALayoutItemResizesAFloatingHost) {
  ASSERT_TRUE(start());
  UnitInfo.unit[7] = {1, 0, 0, 200, 150}; // TOOLMES floating
  pnl_arrange();
  HWND host = app_htbar(4);
  ASSERT_TRUE(host && IsWindowVisible(host));
  EXPECT_EQ(screen_rect(host).left, 200);
  const RECT before = screen_rect(host);
  SendMessageA(host, WM_SYSCOMMAND, TBAR_ID + 1, 0); // the vertical choice
  EXPECT_EQ(pnl_line(7), 1);
  host = app_htbar(4);
  const RECT after = screen_rect(host);
  EXPECT_LT(after.right - after.left, before.right - before.left);
  EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
  RECT c;
  GetClientRect(host, &c);
  const SIZE s = tbar_size(4, 0);
  EXPECT_EQ(c.right, s.cx);
  EXPECT_EQ(c.bottom, s.cy);
}

TEST_F(Units, AUnitThatCannotBeMadeStopsTheStartWithItsString) {
  const struct {
    int unit;
    const char *text;
  } cases[] = {{0, "コマンドパネルの作成ができません。"},
               {1, "属性ボックスの作成ができません。"},
               {2, "表示ボックスの作成ができません。"},
               {3, "ツールバーの作成ができません。"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.unit);
    boards.clear();
    PnlFailUnit = c.unit;
    const BOOL ok = start();
    EXPECT_FALSE(ok);
    EXPECT_NE(std::find(boards.begin(), boards.end(), std::string(c.text)), boards.end());
    delete app;
    app = nullptr;
    pump();
  }
  PnlFailUnit = -1;
}

TEST_F(Units, BarsOnAllFourSidesAFloatingHostAndTheToolWindow) {
  ASSERT_TRUE(start());
  UnitInfo.unit[3] = {1, 3, 1, 0, 0};     // TOOLONE at the left, one column
  UnitInfo.unit[4] = {1, 4, 1, 0, 0};     // TOOLTWO at the right
  UnitInfo.unit[7] = {1, 2, 0, 0, 0};     // TOOLMES at the bottom
  UnitInfo.unit[5] = {1, 0, 0, 500, 400}; // TOOLDISP floating
  pnl_arrange();
  RECT client;
  GetClientRect(app_hmain(), &client);
  POINT o = {0, 0};
  ClientToScreen(app_hmain(), &o);
  const RECT one = screen_rect(app_htbar(0)), two = screen_rect(app_htbar(1)), mes = screen_rect(app_htbar(4));
  EXPECT_EQ(one.left, o.x);
  EXPECT_EQ(two.right, o.x + client.right);
  RECT mdi = screen_rect(app_hmdi());
  EXPECT_EQ(mes.bottom, mdi.bottom + (mes.bottom - mes.top));
  EXPECT_EQ(mdi.left, one.right);
  EXPECT_EQ(mdi.right, two.left);
  EXPECT_TRUE(IsWindowVisible(app_htbar(2)));
  EXPECT_FALSE(GetWindowLongPtrA(app_htbar(2), GWL_STYLE) & WS_CHILD);
  // The tool window belongs to the other layout; shown by hand for the picture.
  UnitInfo.unit[2] = {1, 0, 0, 80, 300};
  tool_create(&UnitInfo.unit[2]);
  tool_arrange(&UnitInfo.unit[2]);
  ShowWindow(app_htool(), SW_SHOWNA);
  shot("editor_units.png");
}

class ToolWindow : public Units {
protected:
  void SetUp() override {
    Units::SetUp();
    ASSERT_TRUE(start());
    UnitInfo.layout = 1;
    UnitInfo.unit[2] = {1, 1, 0, 0, 0};
    pnl_arrange();
  }
  void TearDown() override {
    UnitInfo.layout = 0;
    Units::TearDown();
  }
  RECT button(int n) { return screen_rect(ToolSlots[n].window); }
};

TEST_F(ToolWindow, PresetsFromTheFirstThreeValues) {
  ASSERT_TRUE(IsWindowVisible(app_htool()));
  const int32_t values[3] = {504, 9999, 502};
  tool_preset(values, 3);
  EXPECT_EQ(ToolSlots[0].handler, cm_zoomin);
  EXPECT_STREQ(ToolSlots[0].title, "拡  大");
  EXPECT_EQ(ToolCommands[0], 504);
  EXPECT_EQ(ToolCommands[1], -1);
  EXPECT_EQ(ToolCommands[2], 502);
  EXPECT_STREQ(ToolSlots[2].title, "再表示");
  EXPECT_STREQ(ToolSlots[2].label, "再表");
  char text[16] = "";
  GetWindowTextA(ToolSlots[0].window, text, sizeof text);
  EXPECT_STREQ(text, "拡大");
  // Button 1 has no handler: a press starts nothing.
  SendMessageA(ToolSlots[1].window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  for (const CommandLevel &l : CmdLevels)
    EXPECT_EQ(l.reqfn, nullptr);
}

TEST_F(ToolWindow, ShortChoiceGivesTwoRowsOfFiveColumns) {
  SendMessageA(app_htool(), WM_SYSCOMMAND, 1001, 0);
  EXPECT_EQ(pnl_line(2), 1);
  const RECT b0 = button(0), b1 = button(1), b2 = button(2), b8 = button(8);
  const int bw = b0.right - b0.left;
  EXPECT_EQ(b1.left, b0.left);
  EXPECT_EQ(b1.top, b0.bottom);
  EXPECT_EQ(b2.left, b0.left + bw);
  EXPECT_EQ(b8.left, b0.left + 4 * bw);
  EXPECT_EQ(b8.top, b0.top);
  SendMessageA(app_htool(), WM_SYSCOMMAND, 1000, 0);
  // The window moves with its new width; the buttons keep their places in it.
  EXPECT_EQ(button(8).left, button(0).left + 8 * bw);
  EXPECT_EQ(button(8).top, button(0).top);
}

TEST_F(ToolWindow, ARightClickStartsNothing) {
  const int32_t values[3] = {504, 505, 502};
  tool_preset(values, 3);
  SendMessageA(ToolSlots[0].window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
  for (const CommandLevel &l : CmdLevels)
    EXPECT_EQ(l.reqfn, nullptr);
}

TEST_F(ToolWindow, AFloatingWindowBeyondTheRightEdgeIsBroughtBack) {
  UnitInfo.unit[2] = {1, 0, 0, 5000, 20};
  pnl_arrange();
  HWND tool = app_htool();
  ASSERT_TRUE(tool);
  EXPECT_FALSE(GetWindowLongPtrA(tool, GWL_STYLE) & WS_CHILD);
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  EXPECT_EQ(screen_rect(tool).right, desk.right);
  EXPECT_EQ(screen_rect(tool).top, 20);
  EXPECT_LT(UnitInfo.unit[2].left, 5000);
}

} // namespace

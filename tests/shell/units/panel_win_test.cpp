// The menu file's loading, the drawing menu built from it, and the command panel
// in a test frame: pages, group presses in one and two banks, the Menu button,
// captions, and pictures of a panel docked at the top and at the left.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../common/testwin.h"
#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/view/viewcmd.h"
#include "commands/cmdl/menurec.h"
#include "settings/appwin.h"
#include "shell/units/menufile.h"
#include "shell/units/panel.h"
#include "shell/units/toolwin.h"
#include "shell/units/units.h"
#include "settings/appstate.h"

namespace {

std::string here() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(0, p.rfind('\\') + 1);
}

// A menu file with MCOUNT count (none when count is null) and the records given.
std::string write_menu(const char *count, const std::vector<std::string> &records, int skip = -1) {
  const std::string path = here() + "paneltest.mnu";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "[CADMENU]\r\n";
  if (count)
    out << "MCOUNT=" << count << "\r\n";
  for (size_t i = 0; i < records.size(); i++)
    if (int(i) != skip)
      out << "MVALUE" << i << "=" << records[i] << "\r\n";
  return path;
}

std::vector<std::string> leaves(int n) {
  std::vector<std::string> r;
  for (int i = 0; i < n; i++)
    r.push_back("-1,-1," + std::to_string(i + 1 < n ? i + 1 : -1) + ",35,0,s" + std::to_string(i) + ",l");
  return r;
}

TEST(MenuLoad, CountsAndRecords) {
  const struct {
    const char *count;
    int records, skip, result;
  } cases[] = {
      {"129", 129, -1, 0}, {"130", 130, -1, -1}, {"0", 3, -1, -1},
      {"-1", 3, -1, -1},   {nullptr, 3, -1, -1}, {"60", 60, 57, -1}, // MVALUE57 missing
  };
  for (const auto &c : cases) {
    const std::string path = write_menu(c.count, leaves(c.records), c.skip);
    EXPECT_EQ(mnu_load(path.c_str()), c.result) << (c.count ? c.count : "none");
    if (c.result == 0) {
      EXPECT_NE(MenuArray, nullptr);
      EXPECT_EQ(MenuCount, c.records);
      EXPECT_STREQ(MenuArray[128].shortlabel, "s128");
      EXPECT_EQ(MenuGroups[19], 19); // the first twenty of 129 groups
    } else {
      EXPECT_EQ(MenuArray, nullptr);
      EXPECT_EQ(MenuCount, 0);
    }
    mnu_load(nullptr);
  }
  EXPECT_EQ(MenuArray, nullptr);
}

int items(HMENU m, int depth = 0) {
  int n = 0;
  for (int i = 0; i < GetMenuItemCount(m); i++) {
    n++;
    if (HMENU sub = GetSubMenu(m, i); sub && depth < 200)
      n += items(sub, depth + 1);
  }
  return n;
}

TEST(MenuLoad, CircularAndOutsideChainsBuildAFiniteMenu) {
  const std::vector<std::vector<std::string>> files = {
      {"-1,2,1,-1,0,a,a", "-1,3,0,-1,0,b,b", "0,0,3,35,0,c,c", "1,1,2,20,0,d,d"}, // circles everywhere
      {"-1,500,1,-1,0,a,a", "-1,2,500,-1,0,b,b", "1,-1,-7,20,0,c,c"},              // an index of 500
  };
  for (const auto &f : files) {
    ASSERT_EQ(mnu_load(write_menu(std::to_string(f.size()).c_str(), f).c_str()), 0);
    HMENU m = cmd_mkmenu(0);
    ASSERT_NE(m, nullptr);
    EXPECT_LE(items(m), int(f.size())); // every record once at most
    DestroyMenu(m);
    for (int page = -1; page < MenuCount; page++) {
      int32_t slots[MNU_SLOTS];
      EXPECT_LE(mnu_chain(page, slots), MenuCount);
    }
    mnu_load(nullptr);
  }
}

TEST(ToolPresets, FirstThreeViewValuesOfTheList) {
  const int32_t values[3] = {504, 999, 500};
  tool_preset(values, 3);
  EXPECT_EQ(ToolCommands[0], 504);
  EXPECT_EQ(ToolCommands[1], -1); // outside 500..508
  EXPECT_EQ(ToolCommands[2], 500);
  EXPECT_EQ(ToolSlots[0].handler, cm_zoomin);
  EXPECT_STREQ(ToolSlots[0].title, "拡  大");
  EXPECT_STREQ(ToolSlots[0].label, "拡大");
  EXPECT_STREQ(ToolSlots[2].label, "原図");
  EXPECT_EQ(cmd_toolslot(500), 2);
  EXPECT_EQ(cmd_toolslot(999), -1);
  tool_preset(nullptr, 0);
  EXPECT_EQ(cmd_toolslot(504), -1);
}

// The command panel in the test frame over a small menu: two groups of three.
class Panel : public ::testing::Test {
protected:
  testwin::Windows win;
  std::vector<int> clicks;

  void SetUp() override {
    std::memset(&UnitInfo, 0, sizeof UnitInfo);
    PanelSet = {};
    PanelSet.cmdhwidth = 90;
    PanelSet.cmdvwidth = 100;
    const uint32_t rat[3] = {80, 100, 120};
    for (int i = 0; i < 3; i++) {
      PanelSet.sizekind[i] = 1;
      PanelSet.sizerat[i] = rat[i];
    }
    cmd_reset();
    const std::vector<std::string> recs = {
        "-1,2,1,-1,0,線,線(&L)",      "-1,5,-1,-1,0,円,円(&C)",   "0,-1,3,35,0,単線,単線(&S)",
        "0,-1,4,20,0,連続線,連続線", "0,-1,-1,1100,0,無効,無効", "1,-1,6,41,0,円,円(&C)",
        "1,-1,7,60,0,円弧,円弧",     "1,-1,-1,-5,0,負,負"};
    ASSERT_EQ(mnu_load(write_menu("8", recs).c_str()), 0);
  }
  void TearDown() override {
    pnl_destroy();
    mnu_load(nullptr);
    MenuLastPage = -1;
    std::memset(&UnitInfo, 0, sizeof UnitInfo);
    cmd_reset();
    testwin::drain();
  }
  // The panel of line choice line docked at side, sized as the layout would.
  void make(int line, int side) {
    UnitInfo.unit[0].line = uint16_t(line);
    UnitInfo.unit[0].side = uint16_t(side);
    UnitInfo.unit[0].shown = 1;
    ASSERT_NE(pnl_create(&UnitInfo.unit[0]), nullptr);
    pnl_setclick(pnl_click);
    mnu_build(1);
    RECT r;
    GetClientRect(win.frame, &r);
    const bool horizontal = side <= 1;
    SetWindowPos(app_hpanel(), HWND_TOP, 0, 0, horizontal ? r.right : pnl_width(), horizontal ? pnl_height() : r.bottom,
                 SWP_SHOWWINDOW);
    pnl_arrbtn(&UnitInfo.unit[0]);
    testwin::drain();
  }
  bool visible(int n) { return IsWindowVisible(PanelButtons[n / PNL_BANK][n % PNL_BANK].window) != 0; }
  uint32_t pressed(int n) { return PanelButtons[n / PNL_BANK][n % PNL_BANK].pressed; }
  std::string text(int n) {
    char t[64] = "";
    GetWindowTextA(PanelButtons[n / PNL_BANK][n % PNL_BANK].window, t, sizeof t);
    return t;
  }
  void press(int n) { SendMessageA(app_hpanel(), WM_COMMAND, WPARAM(PNL_ID + n), 0); }
  void picture(const char *name) {
    ShowWindow(app_hmdi(), SW_HIDE);
    RedrawWindow(win.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int i = 0; i < 10; i++) {
      testwin::drain();
      Sleep(20);
    }
    RECT pic;
    const std::vector<uint32_t> px = screen_capture(win.frame, pic);
    const std::string path = std::string(INK_PICTURE_DIR) + "/" + name;
    EXPECT_TRUE(write_png(path.c_str(), pic.right - pic.left, pic.bottom - pic.top, px));
    std::printf("screenshot: %s\n", path.c_str());
    ShowWindow(app_hmdi(), SW_SHOW);
  }
};

TEST_F(Panel, OneBankShowsEachPageInPlace) {
  make(0, 0);
  EXPECT_TRUE(visible(0) && visible(1) && visible(2));
  EXPECT_EQ(text(3), "線");
  EXPECT_EQ(text(4), "円");
  EXPECT_TRUE(visible(3) && visible(4));
  EXPECT_FALSE(visible(5));
  picture("panel_top_onebank.png");
  win.open(0, 0);
  press(4); // the circle group: its page replaces the top page
  EXPECT_EQ(MenuPage, 1);
  EXPECT_EQ(text(3), "円");
  EXPECT_EQ(text(4), "円弧");
  EXPECT_EQ(text(5), "負");
  EXPECT_EQ(pressed(4), 0u);
  // Leaves with a command outside 0..1099 do nothing.
  press(5);
  for (const CommandLevel &l : CmdLevels)
    EXPECT_EQ(l.reqfn, nullptr);
  press(2); // Menu goes back to the top page
  EXPECT_EQ(MenuPage, -1);
  EXPECT_EQ(text(3), "線");
}

TEST_F(Panel, TwoBanksKeepTheGroupPressedAndMenuHidesTheSecondBank) {
  make(1, 2);
  win.open(0, 0);
  press(3); // first-bank group 線
  picture("panel_left_twobank.png");
  EXPECT_EQ(pressed(3), 1u);
  EXPECT_EQ(MenuPage, 0);
  EXPECT_EQ(text(26), "単線");
  EXPECT_EQ(text(27), "連続線");
  EXPECT_TRUE(visible(26) && visible(27) && visible(28));
  EXPECT_FALSE(visible(29));
  EXPECT_EQ(text(3), "線"); // the first bank keeps the top page
  press(4);                  // another group: the first one is released
  EXPECT_EQ(pressed(3), 0u);
  EXPECT_EQ(pressed(4), 1u);
  EXPECT_EQ(text(26), "円");
  press(2); // Menu
  for (int i = 23; i < PNL_BUTTONS; i++)
    EXPECT_FALSE(visible(i)) << i;
  for (int i = 3; i < PNL_BANK; i++)
    EXPECT_EQ(pressed(i), 0u) << i;
  picture("panel_left_twobank_menu.png");
}

TEST_F(Panel, MenuOnTheTopPagePressesOnlyItsOwnButtonAndEndsAllLevels) {
  make(0, 0);
  win.open(0, 0);
  // A command running on level 2.
  CmdLevels[2].runfn = [] { return int32_t(0); };
  CmdLevels[2].runnum = 35;
  CmdLevel = 2;
  cmd_setrun(2, 35);
  std::vector<std::string> before;
  for (int i = 0; i < PNL_BANK; i++)
    before.push_back(text(i) + (visible(i) ? "+" : "-"));
  press(2);
  EXPECT_EQ(CmdLevel, -1); // all levels ended
  EXPECT_EQ(CmdRunList[2], -1);
  EXPECT_EQ(MenuPage, -1);
  for (int i = 0; i < PNL_BANK; i++) {
    EXPECT_EQ(pressed(i), 0u) << i;
    EXPECT_EQ(text(i) + (visible(i) ? "+" : "-"), before[size_t(i)]) << i;
  }
}

TEST_F(Panel, ACaptionInAnotherLetterCaseIsNotSetAgain) {
  make(0, 0);
  EXPECT_EQ(pnl_settext(5, "abc"), 1);
  EXPECT_EQ(pnl_settext(5, "ABC"), 1);
  EXPECT_EQ(text(5), "abc");
  EXPECT_EQ(pnl_settext(5, "abd"), 1);
  EXPECT_EQ(text(5), "abd");
  EXPECT_EQ(pnl_settext(5, ""), 1);
  EXPECT_EQ(text(5), "");
  EXPECT_EQ(pnl_settext(46, "x"), 0);
  EXPECT_EQ(pnl_press(-1, 1), 0);
}

TEST_F(Panel, ALeafRequestsItsCommandOnLevelZeroWithThePanelAsNotifier) {
  make(0, 0);
  win.open(0, 0);
  CmdHandler saved = CommandTable[35];
  CommandTable[35] = [] { return int32_t(CMD_DONE); };
  press(3); // 線
  press(3); // 単線
  EXPECT_EQ(CmdLevels[0].reqfn, CommandTable[35]);
  EXPECT_EQ(CmdLevels[0].reqnum, 3);
  ASSERT_NE(CmdLevels[0].reqnote, nullptr);
  CmdLevels[0].reqnote(3, 1);
  EXPECT_EQ(pressed(3), 1u);
  CmdLevels[0].reqnote(3, 0);
  EXPECT_EQ(pressed(3), 0u);
  // From the drawing menu: the record's page is shown first.
  cmd_reset();
  pnl_page(-1);
  EXPECT_EQ(mnu_run(2), 1);
  EXPECT_EQ(MenuPage, 0);
  EXPECT_EQ(CmdLevels[0].reqnum, 3);
  cmd_reset();
  EXPECT_EQ(mnu_run(4), 1); // command 1100: nothing
  EXPECT_EQ(mnu_run(7), 1); // command -5: nothing
  for (const CommandLevel &l : CmdLevels)
    EXPECT_EQ(l.reqfn, nullptr);
  EXPECT_EQ(mnu_run(8), 0);
  CommandTable[35] = saved;
}

} // namespace

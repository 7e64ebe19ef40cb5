// The message window's lines and clicks, the help calls and the About box.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../common/screencap.h"
#include "../../common/testwin.h"
#include "input/inpkind.h"
#include "settings/answers.h"
#include "settings/syspath.h"
#include "shell/units/help.h"
#include "shell/units/msgwin.h"

namespace {

class MesgTest : public ::testing::Test {
protected:
  testwin::Windows win;
  HWND mesg = nullptr;
  int cw = 0;

  void SetUp() override {
    inp_init();
    mesg = mesg_create();
    ASSERT_TRUE(mesg);
    HDC dc = GetDC(mesg);
    HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(mesg, dc);
    cw = tm.tmAveCharWidth;
  }
  void TearDown() override {
    mesg_destroy();
    SetWindowPos(win.frame, nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOMOVE);
  }
  HWND line(int i) { return GetDlgItem(mesg, 2100 + i); }
  RECT place(int i) {
    RECT r;
    GetWindowRect(line(i), &r);
    MapWindowPoints(nullptr, mesg, reinterpret_cast<POINT *>(&r), 2);
    return r;
  }
};

TEST_F(MesgTest, LinePlacesByFrameWidth) {
  ShowWindow(mesg, SW_SHOW);
  const struct {
    int width; // of the frame's window
    bool shown0, shown2;
  } cases[] = {{900, true, true}, {20 * cw + 10 * cw, false, true}, {20 * cw, false, false}, {50 * cw, true, true}};
  for (const auto &c : cases) {
    SetWindowPos(win.frame, nullptr, 0, 0, c.width, 500, SWP_NOZORDER | SWP_NOMOVE);
    RECT fr;
    GetWindowRect(win.frame, &fr);
    const int W = fr.right - fr.left;
    SetWindowPos(mesg, nullptr, 0, 0, W, 30, SWP_NOZORDER | SWP_NOMOVE);
    SendMessageA(mesg, WM_SIZE, 0, MAKELPARAM(W, 30));
    const RECT r1 = place(1), r2 = place(2), r0 = place(0);
    const int left1 = W - 20 * cw > 0 ? W - 20 * cw : 0;
    EXPECT_EQ(r1.left, left1) << W;
    EXPECT_EQ(r1.right - r1.left, 18 * cw) << W;
    EXPECT_TRUE(IsWindowVisible(line(1))) << W;
    EXPECT_EQ(r2.right, left1 - cw) << W;
    EXPECT_EQ(r2.right - r2.left, 21 * cw) << W;
    EXPECT_EQ(IsWindowVisible(line(2)) != 0, c.shown2) << W;
    EXPECT_EQ(r0.left, cw) << W;
    if (c.shown0) {
      EXPECT_EQ(r0.right, r2.left - cw) << W;
    }
    EXPECT_EQ(IsWindowVisible(line(0)) != 0, c.shown0) << W;
  }
}

TEST_F(MesgTest, SameTextInAnotherCaseKeepsTheColourAndNineIsWhite) {
  int colour = 2;
  char text[] = "Abc";
  mesg_line('W', 0, &colour, text);
  colour = 4;
  char upper[] = "ABC";
  mesg_line('W', 0, &colour, upper);
  char back[128] = "";
  int now = -1;
  mesg_line('R', 0, &now, back);
  EXPECT_STREQ(back, "Abc");
  EXPECT_EQ(now, 2);

  ShowWindow(mesg, SW_SHOW);
  SetWindowPos(mesg, nullptr, 0, 600, 880, 30, SWP_NOZORDER);
  colour = 9;
  char white[] = "WWWWWWWW";
  mesg_line('W', 0, &colour, white);
  mesg_line('R', 0, &now, back);
  EXPECT_EQ(now, 7);
  EXPECT_EQ(msgwin_colour(now), RGB(255, 255, 255));
  RedrawWindow(mesg, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  testwin::drain();
  RECT r;
  const std::vector<uint32_t> px = screen_capture(line(0), r);
  int whites = 0;
  for (uint32_t p : px)
    whites += p == 0xFFFFFF;
  EXPECT_GT(whites, 20);
}

TEST_F(MesgTest, ClicksOnTheLines) {
  // Without a drawing window a click does nothing.
  SendMessageA(line(0), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  MSG m;
  EXPECT_FALSE(PeekMessageA(&m, win.frame, 0x469, 0x469, PM_REMOVE));
  win.open(0, 0);
  SendMessageA(line(0), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  ASSERT_TRUE(PeekMessageA(&m, win.frame, 0x469, 0x469, PM_REMOVE));
  EXPECT_EQ(m.wParam, 0u);
  SendMessageA(line(0), WM_RBUTTONDOWN, MK_RBUTTON, 0);
  ASSERT_TRUE(PeekMessageA(&m, win.frame, 0x469, 0x469, PM_REMOVE));
  EXPECT_EQ(m.wParam, 1u);
  // Line 2 cycles the element-count display; line 1 does nothing.
  uint32_t opt = 0;
  for (uint32_t want : {1u, 2u, 0u}) {
    SendMessageA(line(2), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    inp_opt('r', &opt);
    EXPECT_EQ(opt, want);
  }
  SendMessageA(line(1), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  inp_opt('r', &opt);
  EXPECT_EQ(opt, 0u);
  EXPECT_FALSE(PeekMessageA(&m, win.frame, 0x469, 0x469, PM_REMOVE));
}

struct HelpCall {
  HWND owner;
  std::string path;
  UINT command;
};
std::vector<HelpCall> help_calls;
HWND WINAPI record_help(HWND owner, LPCSTR path, UINT command, DWORD_PTR) {
  help_calls.push_back({owner, path ? path : "", command});
  return nullptr;
}

// One test: the help row stays current for the whole program.
TEST(Help, ModesOfTheTwoTables) {
  hlp_setviewer(record_help);
  EXPECT_EQ(hlp_open(nullptr, 4), 0);
  EXPECT_TRUE(help_calls.empty());
  EXPECT_EQ(hlp_open(nullptr, 0), 0);
  EXPECT_EQ(hlp_open(nullptr, 5), 0);
  EXPECT_TRUE(help_calls.empty());

  char prog[262] = "C:\\inkforge\\";
  sys_path('W', 6, prog);
  EXPECT_EQ(hlp_open(nullptr, 1), 1);
  ASSERT_EQ(help_calls.size(), 1u);
  EXPECT_EQ(help_calls[0].path, "C:\\inkforge\\INKFORGE.chm");
  EXPECT_EQ(help_calls[0].command, 0u);
  EXPECT_EQ(help_calls[0].owner, GetDesktopWindow());

  char windows[262] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  EXPECT_EQ(hlp_open(nullptr, 3), 1);
  EXPECT_EQ(help_calls.back().path, std::string(windows) + "\\winhelp.hlp");
  EXPECT_EQ(help_calls.back().command, 4u);
  EXPECT_EQ(hlp_opencad(nullptr, 1), 1);
  EXPECT_EQ(help_calls.back().path, "C:\\inkforge\\KIVOLANT_HLP.chm");
  EXPECT_EQ(hlp_opencad(nullptr, 2), 1);
  EXPECT_EQ(help_calls.back().path, "C:\\inkforge\\SUPPORT.chm");

  EXPECT_EQ(hlp_open(nullptr, 4), 1);
  EXPECT_EQ(help_calls.back().command, 18u);
  EXPECT_EQ(help_calls.back().owner, nullptr);
  EXPECT_EQ(help_calls.back().path, "");

  // The real viewer with no help file beside the program says so and opens nothing.
  std::vector<std::string> boards;
  ui_setresponder([&](const UiQuestion &q) {
    boards.push_back(q.text ? q.text : "");
    return 0;
  });
  hlp_setviewer(nullptr);
  char missing[262] = "C:\\no-such-folder\\";
  sys_path('W', 6, missing);
  EXPECT_EQ(hlp_open(nullptr, 1), 1);
  ASSERT_EQ(boards.size(), 1u);
  EXPECT_EQ(boards[0], "[INKFORGE.chm]ヘルプ無し");
  std::strcpy(HelpStepName, "gcr_kpos");
  EXPECT_EQ(hlp_none(), 0);
  ASSERT_EQ(boards.size(), 2u);
  EXPECT_EQ(boards[1], "[gcr_kpos]ヘルプ無し");
  ui_setresponder(nullptr);
}

std::string dlg_text(HWND dlg, int id) {
  char t[262] = "";
  GetDlgItemTextA(dlg, id, t, sizeof t);
  return t;
}

TEST(About, ShowsTheVersionAndClosesWithOk) {
  testwin::Watchdog dog;
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  WIN32_FILE_ATTRIBUTE_DATA fa;
  ASSERT_TRUE(GetFileAttributesExA(path, GetFileExInfoStandard, &fa));
  FILETIME local;
  SYSTEMTIME st;
  FileTimeToLocalFileTime(&fa.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &st);
  char want[64];
  std::snprintf(want, sizeof want, "Version 1.0.0 (%4d/%02d/%02d)", st.wYear, st.wMonth, st.wDay);

  char version[262] = "", copyright[262] = "";
  EXPECT_EQ(about_version(path, version, copyright), 0);
  EXPECT_STREQ(version, want);
  EXPECT_STREQ(copyright, "Copyright (C) Orvik");
  EXPECT_EQ(about_version("C:\\no-such-file.exe", version, copyright), 1);

  std::string seen, seen_copyright, caption;
  testwin::Script script({[] {},
                          [&] {
                            HWND dlg = FindWindowA("#32770", nullptr);
                            if (!dlg)
                              return;
                            char t[64] = "";
                            GetWindowTextA(dlg, t, sizeof t);
                            caption = t;
                            seen = dlg_text(dlg, 1061);
                            seen_copyright = dlg_text(dlg, 1062);
                            PostMessageA(GetDlgItem(dlg, IDOK), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
                            PostMessageA(GetDlgItem(dlg, IDOK), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
                          }},
                         150);
  const INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), "ABOUTBOX", nullptr, about_proc, 0);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(caption, "バージョン情報");
  EXPECT_EQ(seen, want);
  EXPECT_EQ(seen_copyright, "Copyright (C) Orvik");
}

} // namespace

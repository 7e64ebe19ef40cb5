#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "settings/answers.h"
#include "settings/heap.h"
#include "settings/params.h"
#include "settings/winutil.h"

namespace {

HWND make_window(const char *cls, DWORD style, int w, int h) {
  return CreateWindowA(cls, "", style, 0, 0, w, h, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(WinPump, LeavesAQuitForTheMainLoop) {
  PostQuitMessage(7);
  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  EXPECT_EQ(win_pump(nullptr), 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) // the rest
    ;
}

TEST(WinCenter, CentresAndKeepsTheWindowVisible) {
  HWND w = make_window("STATIC", WS_POPUP | WS_VISIBLE, 200, 100);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(win_center(w, 1), 1);
  EXPECT_TRUE(IsWindowVisible(w));
  RECT desk, r;
  GetWindowRect(GetDesktopWindow(), &desk);
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, (desk.left + desk.right) / 2 - 100);
  EXPECT_EQ(r.right - r.left, 200);
  DestroyWindow(w);

  HWND big = make_window("STATIC", WS_POPUP, desk.right + 400, 100);
  GetWindowRect(big, &r);
  EXPECT_EQ(win_center(big, 1), 0);
  RECT after;
  GetWindowRect(big, &after);
  EXPECT_EQ(after.left, r.left);
  DestroyWindow(big);
}

TEST(WinCtlColor, ReadOnlyBorderlessEditsAndStaticsOnly) {
  HWND dlg = make_window("STATIC", WS_POPUP, 100, 100);
  HWND ro = make_window("EDIT", WS_POPUP | ES_READONLY, 50, 20);
  HWND roborder = make_window("EDIT", WS_POPUP | ES_READONLY | WS_BORDER, 50, 20);
  // The edit control may trade WS_BORDER for an extended edge when created: set it as the style word.
  SetWindowLongA(roborder, GWL_STYLE, GetWindowLongA(roborder, GWL_STYLE) | WS_BORDER);
  HDC dc = GetDC(dlg);
  EXPECT_NE(win_ctlcolor(dlg, WM_CTLCOLOREDIT, dc, ro), nullptr);
  EXPECT_EQ(win_ctlcolor(dlg, WM_CTLCOLOREDIT, dc, roborder), nullptr);
  EXPECT_NE(win_ctlcolor(dlg, WM_CTLCOLORSTATIC, dc, nullptr), nullptr);
  EXPECT_EQ(win_ctlcolor(dlg, WM_CTLCOLORLISTBOX, dc, nullptr), nullptr);
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
  ReleaseDC(dlg, dc);
  DestroyWindow(ro);
  DestroyWindow(roborder);
  DestroyWindow(dlg);
}

TEST(InputMode, SwitchingToTwoReplacesHighLineKinds) {
  prm_init();
  uint16_t lin = static_cast<uint16_t>(3 | 7 << 4);
  sys_linatr('W', &lin);
  EXPECT_EQ(sys_inmode(-1), 0);
  EXPECT_EQ(sys_inmode(2), 2);
  sys_linatr('R', &lin);
  EXPECT_EQ(lin, 3 | 1 << 4);
  EXPECT_EQ(sys_inmode(3), -1);
  EXPECT_EQ(sys_inmode(-1), 2);
  EXPECT_EQ(sys_inmode(0), 0);
}

TEST(Keys, AnyKeyReadsTheKeyboardState) {
  BYTE keys[256] = {};
  keys['A'] = 0x80;
  keys[VK_F5] = 0x80;
  SetKeyboardState(keys);
  EXPECT_EQ(sys_anykey(), 'A');
  sys_clrkeys();
  EXPECT_EQ(sys_anykey(), 0);
}

TEST(Heap, ForeignBlockIsNotFreedAndTheUserIsTold) {
  std::vector<std::string> said;
  ui_setresponder([&](const UiQuestion &q) {
    said.push_back(std::string(q.heading) + "|" + q.text);
    return IDOK;
  });
  void *own = hep_alloc(64);
  ASSERT_NE(own, nullptr);
  HANDLE other = HeapCreate(0, 0, 0);
  void *foreign = HeapAlloc(other, 0, 64);
  EXPECT_EQ(hep_free(foreign), 0);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "KIVO LANT|ヒープメモリを解放できません");
  EXPECT_NE(hep_free(own), 0);
  EXPECT_EQ(hep_free(nullptr), 0);
  EXPECT_GT(hep_check(), 0);
  HeapDestroy(other);
  ui_setresponder(nullptr);
}

} // namespace

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

// The border of each edge mask, read back from a bitmap: every selected edge has its
// black band and two bevel lines, every other edge is left as it was.
TEST(WinEdge, EachMaskBitPaintsItsOwnEdgeOnly) {
  const int W = 64, H = 48;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = W;
  bi.bmiHeader.biHeight = -H;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bmp, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  const COLORREF bg = RGB(0, 128, 0), black = RGB(0, 0, 0), white = RGB(255, 255, 255);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const int left = 10, top = 8, right = 54, bottom = 40, mx = 32, my = 24;
  for (int sunken = 0; sunken <= 1; sunken++) {
    for (int mask = 0; mask < 16; mask++) {
      HBRUSH fill = CreateSolidBrush(bg);
      RECT all = {0, 0, W, H};
      FillRect(dc, &all, fill);
      DeleteObject(fill);
      win_edgesdc(dc, left, top, right, bottom, sunken, mask, 2);
      const COLORREF tl = sunken ? shadow : white, br = sunken ? white : shadow;
      // Side: mask bit, the pixel on its outer line and the step inwards.
      struct Side {
        int bit, x, y, dx, dy;
        COLORREF bevel;
      } sides[4] = {{1, mx, top, 0, by, tl},
                    {2, mx, bottom - 1, 0, -by, br},
                    {4, left, my, bx, 0, tl},
                    {8, right - 1, my, -bx, 0, br}};
      for (const Side &sd : sides) {
        const bool on = (mask & sd.bit) != 0;
        const COLORREF want[3] = {on ? black : bg, on ? sd.bevel : bg, on ? sd.bevel : bg};
        for (int k = 0; k < 3; k++)
          EXPECT_EQ(GetPixel(dc, sd.x + k * sd.dx, sd.y + k * sd.dy), want[k])
              << "mask " << mask << " sunken " << sunken << " side " << sd.bit << " line " << k;
      }
      EXPECT_EQ(GetPixel(dc, mx, my), bg);
      EXPECT_EQ(GetPixel(dc, left - 1, top - 1), bg);
    }
  }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

std::vector<int> keys_down;
bool scripted_down(int vk) {
  for (int k : keys_down)
    if (k == vk)
      return true;
  return false;
}

TEST(Keys, EscIsPolledFirstAndOtherKeysLowestFirst) {
  sys_setkeydown(scripted_down);
  struct Case {
    std::vector<int> down;
    int any, esc;
  } cases[] = {
      {{}, 0, 0},
      {{'A', VK_F5}, 'A', 0},
      {{VK_SHIFT, VK_ESCAPE}, VK_ESCAPE, 27}, // a held Shift does not hide Esc
      {{VK_CONTROL, VK_SHIFT, VK_ESCAPE, 'A'}, VK_ESCAPE, 27},
      {{VK_F5}, VK_F5, 0},
  };
  for (const Case &c : cases) {
    keys_down = c.down;
    EXPECT_EQ(sys_anykey(), c.any);
    EXPECT_EQ(sys_escpoll(), c.esc);
  }
  sys_setkeydown(nullptr);
  keys_down.clear();
}

TEST(Heap, ForeignBlockIsNotFreedAndTheUserIsTold) {
  std::vector<std::string> said;
  ui_setresponder([&](const UiQuestion &q) {
    said.push_back(std::string(q.heading) + "|" + q.text);
    return IDOK;
  });
  HANDLE other = HeapCreate(0, 0, 0);
  void *foreign = HeapAlloc(other, 0, 64);
  hep_destroy();
  EXPECT_EQ(hep_free(foreign), 0); // before the private heap exists
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "KIVO LANT|ヒープメモリを解放できません");
  void *own = hep_alloc(64);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(hep_free(foreign), 0);
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[1], said[0]);
  EXPECT_NE(HeapValidate(other, 0, foreign), 0); // still there, not freed
  EXPECT_NE(hep_free(own), 0);
  EXPECT_EQ(hep_free(nullptr), 0);
  EXPECT_GT(hep_check(), 0);
  HeapDestroy(other);
  ui_setresponder(nullptr);
}

} // namespace

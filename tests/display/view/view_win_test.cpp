// The view table with real windows: an MDI frame, child frames and drawing windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/view/viewtbl.h"
#include "settings/params.h"
#include "shell/drawwin/viewwin.h"
#include "settings/appstate.h"
#include "display/view/viewstate.h"

namespace {

std::map<HWND, int> paints;

LRESULT CALLBACK view_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    paints[w]++;
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

HWND client;
LRESULT CALLBACK frame_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefFrameProcA(w, client, m, wp, lp); }
LRESULT CALLBACK child_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefMDIChildProcA(w, m, wp, lp); }

struct Win {
  HWND frame, view;
  ViewWinId id;
};

class ViewTable : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    HINSTANCE hi = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.hInstance = hi;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpfnWndProc = frame_proc;
    wc.lpszClassName = "InkTestFrame";
    RegisterClassA(&wc);
    wc.lpfnWndProc = child_proc;
    wc.lpszClassName = "InkTestChild";
    RegisterClassA(&wc);
    wc.lpfnWndProc = view_proc;
    wc.lpszClassName = "InkTestView";
    RegisterClassA(&wc);
    mainframe = CreateWindowA("InkTestFrame", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700, nullptr,
                              nullptr, hi, nullptr);
    CLIENTCREATESTRUCT ccs = {nullptr, 1000};
    client = CreateWindowA("MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 880, 650, mainframe,
                           nullptr, hi, &ccs);
  }
  static void TearDownTestSuite() { DestroyWindow(mainframe); }

  void SetUp() override {
    prm_init();
    std::memset(vewtbl, 0, sizeof vewtbl);
    vewmask[0] = vewmask[1] = 0;
    dwg_setcur(0);
    vew_setcurrent(0);
    EmbeddedDrawing.dwg = -1;
    vew_settitle(0, "");
    bx = GetSystemMetrics(SM_CXBORDER);
    by = GetSystemMetrics(SM_CYBORDER);
  }
  void TearDown() override {
    for (auto &w : wins)
      SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(w->frame), 0);
    wins.clear();
  }

  // A drawing window in its own child frame, open as (dwg, view) on a w x h area showing the world window.
  Win &open(int dwg, int view, int w = 200, int h = 100, double x2 = 100, double y2 = 50) {
    auto win = std::make_unique<Win>();
    win->frame =
        CreateMDIWindowA("InkTestChild", "old", WS_VISIBLE, 0, 0, w + 60, h + 60, client, GetModuleHandleA(nullptr), 0);
    win->view = CreateWindowA("InkTestView", "view text", WS_CHILD | WS_VISIBLE, 0, 0, w, h, win->frame, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    win->id = ViewWinId{dwg, view, 0};
    SetWindowLongPtrA(win->view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&win->id));
    EXPECT_EQ(vew_setdev(win->view, dwg, view, -bx, -by, w + bx, h + by), 0);
    EXPECT_EQ(vew_setfrm(win->frame, dwg, view), 0);
    EXPECT_EQ(vew_setwin(dwg, view, 0, 0, 0, x2, y2), 0);
    wins.push_back(std::move(win));
    return *wins.back();
  }
  static std::string caption(HWND w) {
    char buf[300] = "";
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
  }

  static HWND mainframe;
  std::vector<std::unique_ptr<Win>> wins;
  int bx = 0, by = 0;
};
HWND ViewTable::mainframe;

TEST_F(ViewTable, ConversionsOfA200By100View) {
  Win &w = open(0, 2);
  EXPECT_EQ(vew_hwnd(0, 2), w.view);
  EXPECT_EQ(vew_mask(0), 4u);
  ViewXform xf;
  ASSERT_EQ(vew_frame('r', 0, 2, &xf), 0);
  EXPECT_EQ(xf.left, 0);
  EXPECT_EQ(xf.right, 200);
  EXPECT_EQ(xf.bottom, 100);
  EXPECT_DOUBLE_EQ(xf.xscale, 2.0);
  int32_t px, py;
  EXPECT_EQ(vew_w2dev(0, 2, 10.2, 0, &px, &py), 0);
  EXPECT_EQ(px, 21);
  EXPECT_EQ(py, 100);
  EXPECT_EQ(vew_select(2), 0); // view 0 was current
  drw_w2d(10.2, 0, &px, &py);
  EXPECT_EQ(px, 20);
  EXPECT_EQ(py, 100);
  double x, y;
  EXPECT_EQ(vew_dev2w(0, 2, 0, 0, &x, &y), 0);
  EXPECT_DOUBLE_EQ(x, 0);
  EXPECT_DOUBLE_EQ(y, 50);
  double len;
  EXPECT_EQ(vew_pix2w(0, 2, 1, 10, &len), 0);
  EXPECT_DOUBLE_EQ(len, 5);
  EXPECT_EQ(vew_w2pix(0, 2, 0, 1.2, &px), 0);
  EXPECT_EQ(px, 3);
  // Closed views answer -1 with zero outputs.
  EXPECT_EQ(vew_w2dev(0, 3, 1, 1, &px, &py), -1);
  EXPECT_EQ(px, 0);
  EXPECT_EQ(vew_dev2w(1, 2, 5, 5, &x, &y), -1);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(vew_pix2w(2, 0, 0, 5, &len), -1);
}

TEST_F(ViewTable, SelectOfAClosedViewChangesNothing) {
  open(0, 1);
  ASSERT_EQ(vew_select(1), 0);
  const DrawXformRecord before = DrawXform;
  EXPECT_EQ(vew_select(5), -1);
  EXPECT_EQ(vew_select(16), -1);
  EXPECT_EQ(vew_cur(), 1);
  EXPECT_EQ(std::memcmp(&before, &DrawXform, sizeof before), 0);
  EXPECT_EQ(dwg_setcur(5), 0);
  EXPECT_EQ(dwg_cur(), 0);
}

TEST_F(ViewTable, DeviceRectangleRules) {
  Win &w = open(0, 0);
  EXPECT_EQ(vew_setdev(nullptr, 0, 0, 50 + bx, 40 + by, 10 - bx, 0 - by), 0); // reversed corners
  ViewXform xf;
  vew_frame('r', 0, 0, &xf);
  EXPECT_EQ(xf.left, 10);
  EXPECT_EQ(xf.top, 0);
  EXPECT_EQ(xf.right, 50);
  EXPECT_EQ(xf.bottom, 40);
  EXPECT_EQ(vew_hwnd(0, 0), w.view); // a null window keeps the stored one
  EXPECT_EQ(vew_setdev(nullptr, 0, 0, 5, 5, 5, 50), -2);
  EXPECT_EQ(vew_setdev(nullptr, 0, 16, 0, 0, 5, 5), -1);
  if (bx > 0) { // one pixel wide is a device rectangle, but not one to show a window in
    EXPECT_EQ(vew_setdev(nullptr, 0, 0, 0, 0, 1, 50), 0);
    EXPECT_EQ(vew_setwin(0, 0, 0, 0, 0, 10, 10), -2);
  }
  EXPECT_EQ(vew_setwin(0, 3, 0, 0, 0, 10, 10), -1); // no window set
}

TEST_F(ViewTable, RemovingView3Of0To5RenumbersAndRetitles) {
  for (int v = 0; v < 6; v++)
    open(0, v);
  ViewRecord copy[2][VIEW_COUNT];
  std::memcpy(copy, vewtbl, sizeof copy);
  EXPECT_EQ(vew_remove(0, 16), -1);
  EXPECT_EQ(vew_remove(2, 3), -1);
  EXPECT_EQ(vew_remove(0, -1), -1);
  EXPECT_EQ(std::memcmp(copy, vewtbl, sizeof copy), 0);

  ASSERT_EQ(vew_remove(0, 3), 0);
  EXPECT_EQ(vew_mask(0), 0x1Fu);
  EXPECT_EQ(vew_hwnd(0, 3), wins[4]->view);
  EXPECT_EQ(vew_hwnd(0, 4), wins[5]->view);
  EXPECT_EQ(vew_hwnd(0, 5), nullptr);
  int32_t d = -1, v = -1;
  EXPECT_EQ(vew_ofwnd(wins[4]->view, &d, &v), 1);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(v, 3);
  EXPECT_EQ(vew_ofwnd(wins[5]->view, &d, &v), 1);
  EXPECT_EQ(v, 4);
  EXPECT_EQ(caption(wins[5]->frame), "印影図");
  EXPECT_EQ(caption(wins[0]->frame), "old");
  EXPECT_EQ(vew_byfrm(wins[5]->frame), wins[5]->view);
  EXPECT_EQ(vew_byfrm(wins[3]->frame), nullptr);
  EXPECT_EQ(vew_ofwnd(GetDesktopWindow(), &d, &v), 0); // not a drawing window
}

TEST_F(ViewTable, Titles) {
  Win &w = open(0, 1);
  char buf[300];
  EXPECT_EQ(vew_title('R', 0, 1, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "view text");
  EmbeddedDrawing.dwg = 0;
  std::strcpy(EmbeddedDrawing.object, "Obj");
  std::strcpy(EmbeddedDrawing.host, "Host");
  EXPECT_EQ(vew_title('r', 0, 1, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "Objの図 [Host] View[2]");
  EXPECT_EQ(vew_title('r', 0, 1, buf, 6), 0);
  EXPECT_STREQ(buf, "Objの");
  EXPECT_EQ(vew_title('r', 0, 1, buf, 5), 0); // no half of a double-byte character
  EXPECT_STREQ(buf, "Obj");
  EXPECT_EQ(vew_title('r', 0, 1, buf, 0), 0);
  EXPECT_EQ(vew_title('W', 0, 1, nullptr, 0), 0);
  EXPECT_EQ(EmbeddedDrawing.dwg, -1);
  EXPECT_EQ(caption(w.frame), "印影図");
  char name[262] = "seal 7";
  sys_dwgname('w', 0, 0, name);
  vew_title('w', 0, 1, nullptr, 0);
  EXPECT_EQ(caption(w.frame), "seal 7");
  vew_settitle(1, "override");
  vew_title('w', 0, 1, nullptr, 0);
  EXPECT_EQ(caption(w.frame), "override");
  vew_title('W', 0, 1, const_cast<char *>("given"), 0);
  EXPECT_EQ(caption(w.frame), "given");
  EXPECT_EQ(vew_title('W', 0, 2, nullptr, 0), -1);
  EXPECT_EQ(vew_title('x', 0, 1, nullptr, 0), 0);
}

TEST_F(ViewTable, ScrollMovesTheShownWindowAndTheContent) {
  Win &w = open(0, 0, 200, 100, 200, 100); // scale 1
  ViewXform before;
  vew_frame('r', 0, 0, &before);
  EXPECT_EQ(vew_scroll(0, 0, 0.001, -0.001), -1);
  EXPECT_EQ(vew_scroll(0, 1, 5, 5), -1);
  ViewXform same;
  vew_frame('r', 0, 0, &same);
  EXPECT_EQ(same.sxmin, before.sxmin);
  EXPECT_EQ(vew_scroll(0, 0, 0.0011, 0), 0);
  vew_frame('r', 0, 0, &same);
  EXPECT_NEAR(same.sxmin - before.sxmin, 0.0011, 1e-12);
  EXPECT_EQ(same.rxmin, before.rxmin);

  UpdateWindow(w.view);
  ValidateRect(w.view, nullptr);
  ASSERT_EQ(vew_scroll(0, 0, 10, 0), 0);
  RECT upd;
  ASSERT_TRUE(GetUpdateRect(w.view, &upd, FALSE));
  EXPECT_GE(upd.left, 180); // only the uncovered strip on the right
  EXPECT_EQ(upd.right, 200);
  EXPECT_EQ(vew_pan(0, 0, 0, 0), -1);
  vew_frame('r', 0, 0, &before);
  EXPECT_EQ(vew_pan(0, 0, 10, -4), 0);
  vew_frame('r', 0, 0, &same);
  EXPECT_NEAR(same.sxmin - before.sxmin, 10, 1e-9);
  EXPECT_NEAR(same.symin - before.symin, -4, 1e-9);
}

TEST_F(ViewTable, ZoomThereAndBack) {
  open(0, 0);
  ViewXform a, b;
  vew_frame('r', 0, 0, &a);
  const double f = 3.7;
  ASSERT_EQ(vew_zoom(0, 0, f), 0);
  vew_frame('r', 0, 0, &b);
  EXPECT_NEAR(b.sxmax - b.sxmin, (a.sxmax - a.sxmin) * f, 1e-9);
  ASSERT_EQ(vew_zoom(0, 0, 1 / f), 0);
  vew_frame('r', 0, 0, &b);
  EXPECT_NEAR(b.sxmin, a.sxmin, 1e-9);
  EXPECT_NEAR(b.sxmax, a.sxmax, 1e-9);
  EXPECT_NEAR(b.symin, a.symin, 1e-9);
  EXPECT_NEAR(b.symax, a.symax, 1e-9);
  EXPECT_EQ(b.rxmax, a.rxmax);
  EXPECT_EQ(vew_zoom(0, 0, 0.00009), -1);
  EXPECT_EQ(vew_zoom(0, 5, 2), -1);
  MouseWorldPos = WorldPos{a.sxmin, 20};
  ASSERT_EQ(vew_zoomat(0, 0, 2), 0);
  vew_frame('r', 0, 0, &b);
  EXPECT_NEAR(b.sxmin, a.sxmin, 1e-9);
}

TEST_F(ViewTable, RedrawPaintsBeforeReturning) {
  Win &a = open(0, 0);
  Win &b = open(0, 1);
  UpdateWindow(a.view);
  UpdateWindow(b.view);
  const int pa = paints[a.view], pb = paints[b.view];
  EXPECT_EQ(vew_redraw(0, 1), 0);
  EXPECT_EQ(paints[a.view], pa);
  EXPECT_EQ(paints[b.view], pb + 1);
  EXPECT_EQ(vew_redraw(0, -1), 0);
  EXPECT_EQ(paints[a.view], pa + 1);
  EXPECT_EQ(paints[b.view], pb + 2);
  EXPECT_EQ(vew_redraw(0, 16), -1);
  EXPECT_EQ(vew_redraw(2, 0), -1);
}

TEST_F(ViewTable, RefitReturnsToTheRequestedWindow) {
  Win &w = open(0, 0, 200, 100, 100, 50);
  vew_zoom(0, 0, 2);
  SetWindowPos(w.view, nullptr, 0, 0, 300, 100, SWP_NOZORDER | SWP_NOMOVE);
  ASSERT_EQ(vew_refit(0, 0), 0);
  ViewXform xf;
  vew_frame('r', 0, 0, &xf);
  RECT rc;
  GetClientRect(w.view, &rc);
  EXPECT_EQ(xf.right, rc.right - bx);
  EXPECT_NEAR(xf.symin, 0, 1e-9); // the requested 100 x 50 fitted to the new aspect
  EXPECT_NEAR(xf.symax, 50, 1e-9);
  EXPECT_NEAR((xf.sxmin + xf.sxmax) / 2, 50, 1e-9);
  EXPECT_EQ(vew_refit(0, 7), 0); // free slot: nothing
  EXPECT_EQ(vew_refit(0, 17), -1);
}

TEST_F(ViewTable, WindowUnderAScreenPoint) {
  Win &w = open(1, 4);
  POINT pt = {5, 5};
  ClientToScreen(w.view, &pt);
  int32_t d = 0, v = 0;
  EXPECT_EQ(vew_atpoint(&d, &v, pt.x, pt.y), w.view);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(v, 4);
}

TEST_F(ViewTable, CountsAndFreeSlots) {
  EXPECT_EQ(vew_shown(), -1);
  EXPECT_EQ(dwg_free(), 0);
  EXPECT_EQ(vew_free(0), 0);
  open(0, 0);
  open(1, 2);
  EXPECT_EQ(vew_count(), 2);
  EXPECT_EQ(vew_shown(), 2);
  EXPECT_EQ(dwg_count(), 2);
  EXPECT_EQ(dwg_free(), -1);
  EXPECT_EQ(vew_free(0), 1);
  EXPECT_EQ(vew_free(1), -1); // only drawing 0 offers views
  EXPECT_EQ(vew_mask(2), 0u);
  for (int v = 0; v < VIEW_COUNT; v++)
    vewtbl[0][v].view = mainframe;
  EXPECT_EQ(vew_free(0), -1);
  std::memset(vewtbl[0], 0, sizeof vewtbl[0]);
}

TEST_F(ViewTable, IconicViewsAreNotShown) {
  Win &w = open(0, 0);
  ShowWindow(w.view, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(w.view));
  EXPECT_EQ(vew_count(), -1); // the one open view is iconic
  EXPECT_EQ(vew_shown(), -1);
  open(0, 1);
  EXPECT_EQ(vew_count(), 2);
  EXPECT_EQ(vew_shown(), 2);
}

TEST_F(ViewTable, PixelSizesFollowTheSettings) {
  open(0, 0); // scale 2
  int16_t rcog = 20, dot = 8;
  sys_rcogprm('w', &rcog, &dot, nullptr);
  vew_pixsize();
  ViewXform xf;
  vew_frame('r', 0, 0, &xf);
  EXPECT_DOUBLE_EQ(xf.aperture, 10);
  EXPECT_DOUBLE_EQ(xf.dotsize, 4);
}

TEST_F(ViewTable, FrameAccessorCopiesTheWholeTransform) {
  ViewXform in{};
  in.left = 3;
  in.dotsize = 1.5;
  in.dwg = 1;
  EXPECT_EQ(vew_frame('W', 1, 15, &in), 0); // the view need not be open
  ViewXform out{};
  EXPECT_EQ(vew_frame('R', 1, 15, &out), 0);
  EXPECT_EQ(std::memcmp(&in, &out, sizeof in), 0);
  EXPECT_EQ(vew_frame('W', 1, 16, &in), -1);
  ViewXform other{};
  EXPECT_EQ(vew_frame('x', 1, 15, &other), 0);
  EXPECT_EQ(other.left, 0);
}

} // namespace

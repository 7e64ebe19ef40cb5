// Drawing windows in the running editor: a seal file opens into a maximised drawing
// window and shows its elements, zoom, scroll and resizing keep the view's transform
// as the user expects, two views of one drawing stay in step, closing asks once for a
// modified drawing, and the recent-file list of the File menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "commands/cmdl/cmdtable.h"
#include "database/elements.h"
#include "database/store.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "files/lockwin.h"
#include "input/gcr.h"
#include "files/sealsave.h"
#include "files/sealsavewin.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/units/menufile.h"
#include "shell/units/scmenu.h"
#include "shell/drawwin/viewwin.h"
#include "../../common/editorpump.h"
#include "settings/appstate.h"
#include "display/view/viewstate.h"

namespace {

// Questions asked, and the answer the next save question gets.
struct Asked {
  std::vector<std::string> saves, others;
  int answer = IDNO;
} asked;

ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  return r;
}

int add_line(double x1, double y1, double x2, double y2) {
  ElementRecord r = blank(LIN);
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = 0x11; // pen 1, solid
  return elm_add(0, 0, -1, &r, nullptr);
}

int add_circle(double cx, double cy, double radius) {
  ElementRecord r = blank(ARC);
  r.arc.cx = cx, r.arc.cy = cy, r.arc.r = radius, r.arc.start = 0, r.arc.end = 360;
  r.arc.attr = 0x12; // pen 2
  return elm_add(0, 0, -1, &r, nullptr);
}

int add_text(float x, float y, float h, const char *s) {
  ElementRecord r = blank(CHR);
  r.chr.x = x, r.chr.y = y, r.chr.height = h, r.chr.width = h, r.chr.spacing = 2, r.chr.attr = 2;
  return elm_add(0, 0, -1, &r, s);
}

ViewXform xform(int dwg, int view) {
  ViewXform xf{};
  vew_frame('R', dwg, view, &xf);
  return xf;
}

// Pixels of a window on the screen that carry colour (element pens), not grey or white.
int coloured(HWND wnd) {
  RECT r;
  const std::vector<uint32_t> px = screen_capture(wnd, r);
  int n = 0;
  for (uint32_t v : px) {
    const int a = (v >> 16) & 255, b = (v >> 8) & 255, c = v & 255;
    const int hi = std::max(a, std::max(b, c)), lo = std::min(a, std::min(b, c));
    if (hi - lo > 80)
      n++;
  }
  return n;
}

class DrawWin : public ::testing::Test {
protected:
  std::string dir = here(), work = here() + "work\\";
  VODOreVer *app = nullptr;
  uint32_t saved_count = 0;

  void SetUp() override {
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = dir + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "UNDOSIZE", "500", sys.c_str());
    asked = Asked{};
    ui_setresponder([](const UiQuestion &q) {
      const std::string text = q.text ? q.text : "";
      if (q.kind == UI_MSGBOX && text.find("は更新されています") != std::string::npos) {
        asked.saves.push_back(text);
        return asked.answer;
      }
      asked.others.push_back(text);
      return q.kind == UI_MSGBOX ? IDOK : 0;
    });
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    SetForegroundWindow(app_hmain());
    pump(5);
  }
  void TearDown() override {
    asked.answer = IDNO;
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
  }

  // A new drawing in drawing 0, view 0; its view window.
  HWND new_drawing() {
    EXPECT_EQ(fil_open(0, nullptr), 0);
    pump(3);
    return vew_hwnd(0, 0);
  }
  // A seal with a circle, a cross and a text, saved to path through a new drawing.
  void make_seal(const std::string &path) {
    ASSERT_TRUE(new_drawing());
    // The sheet is the seal area, 25 x 25 by default.
    ASSERT_GT(add_circle(12.5, 12.5, 11), 0);
    ASSERT_GT(add_line(3, 7, 22, 7), 0);
    ASSERT_GT(add_text(5.5, 9, 7, "山田"), 0);
    SlfSaveCount = int32_t(DbCtl[0].count1);
    saved_count = DbCtl[0].count1;
    DrawingEnvRecord env;
    sys_dwgenv('R', 0, &env);
    DeleteFileA(path.c_str());
    ASSERT_EQ(slf_save(0, path.c_str(), 0, &env), 0);
    asked.answer = IDNO;
    SendMessageA(vew_frm(0, 0), WM_CLOSE, 0, 0);
    pump(3);
    ASSERT_EQ(vew_hwnd(0, 0), nullptr);
    asked.saves.clear();
  }
  HWND frame_of(HWND view) { return GetParent(view); }
  int children() {
    int n = 0;
    for (HWND c = GetWindow(app_hmdi(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (!GetWindow(c, GW_OWNER))
        n++;
    return n;
  }
};

TEST_F(DrawWin, ASealFileOpensMaximisedAndShowsItsElements) {
  const std::string path = work + "SEAL.KSL";
  make_seal(path);
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  pump(5);
  HWND view = vew_hwnd(0, 0);
  ASSERT_TRUE(view);
  HWND frame = frame_of(view);
  EXPECT_EQ(vwin_active(), frame);
  EXPECT_TRUE(IsZoomed(frame));
  int32_t id[3] = {-1, -1, -1};
  ASSERT_EQ(vwin_getid(view, id), 1);
  EXPECT_EQ(id[0], 0);
  EXPECT_EQ(id[1], 0);
  EXPECT_EQ(DbCtl[0].count1, saved_count); // the records came back
  char title[64] = "";
  GetWindowTextA(frame, title, sizeof title);
  EXPECT_STREQ(title, "SEAL.KSL");
  // The document of drawing 0 holds the view.
  CMainDoc *doc = FindDocOfDrawing(0);
  ASSERT_TRUE(doc);
  ASSERT_EQ(doc->GetViews().size(), 1u);
  EXPECT_EQ(doc->GetViews().front()->m_hWnd, view);
  // The recent-file list names it first.
  EXPECT_EQ(lstrcmpiA(RecentFiles[0], path.c_str()), 0);

  SetForegroundWindow(app_hmain());
  InvalidateRect(view, nullptr, TRUE);
  pump(10);
  EXPECT_GT(coloured(view), 400); // the circle, cross and text in their pens
  RECT pic;
  const std::vector<uint32_t> px = screen_capture(app_hmain(), pic);
  const std::string shot = std::string(INK_PICTURE_DIR) + "/drawing_window.png";
  EXPECT_TRUE(write_png(shot.c_str(), pic.right - pic.left, pic.bottom - pic.top, px));
  std::printf("screenshot: %s\n", shot.c_str());
  EXPECT_TRUE(asked.others.empty()) << asked.others.front();
}

// Pixels of a view window's client area on the screen.
std::vector<uint32_t> client_pixels(HWND view) {
  RECT r;
  std::vector<uint32_t> px = screen_capture(view, r);
  return px;
}

TEST_F(DrawWin, ZoomAndScrollChangeThePictureAndComeBack) {
  const std::string path = work + "PIC.KSL";
  make_seal(path);
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  HWND view = vew_hwnd(0, 0);
  ASSERT_TRUE(view);
  double steps[3] = {0.25, 2.0, 2.0};
  sys_dspstep('W', steps);
  SetForegroundWindow(app_hmain());
  pump(10);
  const std::vector<uint32_t> start = client_pixels(view);
  const int inked = coloured(view);
  ASSERT_GT(inked, 400);
  ASSERT_EQ(vwin_pan(view, 1), 1); // in about the centre: the circle grows past the edges
  pump(5);
  EXPECT_NE(client_pixels(view), start);
  ASSERT_EQ(vwin_pan(view, 0), 1); // and out again
  pump(5);
  EXPECT_EQ(client_pixels(view), start);
  SendMessageA(view, WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  pump(5);
  EXPECT_NE(client_pixels(view), start);
  SendMessageA(view, WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
  pump(5);
  EXPECT_EQ(client_pixels(view), start);
}

TEST_F(DrawWin, DrawingCodesAndTheMetafileOfAView) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  ASSERT_GT(add_circle(12.5, 12.5, 10), 0);
  HDC dc = GetDC(view);
  EXPECT_EQ(vwin_draw(dc, 2, 0, 0), -1);
  EXPECT_EQ(vwin_draw(dc, 0, 16, 0), -1);
  EXPECT_EQ(vwin_draw(dc, 0, 0, 0), 0);
  EXPECT_EQ(vwin_drawbegin(nullptr, 0, 0), -1);
  ReleaseDC(view, dc);
  EXPECT_EQ(dwg_cur(), 0);
  EXPECT_EQ(vew_cur(), 0);
  HMETAFILE mf = vwin_metafile(0, 0, 0);
  ASSERT_TRUE(mf);
  EXPECT_GT(GetMetaFileBitsEx(mf, 0, nullptr), 100u); // the frame, the marks and the circle
  DeleteMetaFile(mf);
  EXPECT_EQ(vwin_metafile(0, 16, 0), nullptr);

  // The engine's paint of a window: nothing to paint, no drawing window.
  ValidateRect(view, nullptr);
  EXPECT_EQ(vwin_paint(view), -1);
  HWND plain = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  InvalidateRect(plain, nullptr, TRUE);
  EXPECT_EQ(vwin_paint(plain), -2);
  DestroyWindow(plain);
  InvalidateRect(view, nullptr, TRUE);
  EXPECT_EQ(vwin_paint(view), 0);
  int32_t rc[4] = {};
  ASSERT_EQ(vwin_cliprect('R', rc), 0);
  RECT c;
  GetClientRect(view, &c);
  EXPECT_EQ(rc[2], c.right);
  EXPECT_EQ(rc[3], c.bottom);
  EXPECT_EQ(vwin_cliprect('x', rc), 1);

  // Where a screen point lies: the scroll bars and the client area.
  POINT o = {0, 0};
  ClientToScreen(view, &o);
  EXPECT_EQ(vwin_hittest(view, POINT{o.x + c.right + 3, o.y + 10}), 1);
  EXPECT_EQ(vwin_hittest(view, POINT{o.x + 10, o.y + c.bottom + 3}), 2);
  EXPECT_EQ(vwin_hittest(view, POINT{o.x + 10, o.y + 10}), 0);
  EXPECT_EQ(vwin_activate(nullptr), 0);
}

TEST_F(DrawWin, DocumentsOfDrawingSlots) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  CMainDoc *doc = FindDocOfDrawing(0);
  ASSERT_TRUE(doc);
  EXPECT_EQ(FindDocOfDrawing(1), nullptr);
  EXPECT_EQ(doc->GetTopView()->m_hWnd, view);
  EXPECT_EQ(doc->GetDocumentSize().cx, 800);
  EXPECT_EQ(doc->GetDocumentSize().cy, 1050);
  EXPECT_FALSE(doc->SaveModified() == FALSE);
  doc->StampModified(TRUE, 0);
  EXPECT_TRUE(doc->GetModified(0));
  EXPECT_FALSE(doc->GetModified(2));
  doc->StampModified(FALSE, 2); // notify without bit 0: the flag stays
  EXPECT_TRUE(doc->IsModified());
  doc->StampModified(FALSE, 1);
  EXPECT_FALSE(doc->IsModified());
  {
    CMainDoc loose; // no drawing requested
    EXPECT_EQ(loose.m_dwg, -1);
    EXPECT_EQ(FindDocOfDrawing(-1), &loose);
  }
  EXPECT_EQ(FindDocOfDrawing(-1), nullptr);
  EXPECT_EQ(ResetDocOfDrawing(1), 0);
  EXPECT_EQ(ResetDocOfDrawing(0), 1);

  // A container's name names the drawing and its window.
  doc->OnSetHostNames("ワード", "doc");
  char name[262] = "";
  sys_dwgname('R', 0, 0, name);
  EXPECT_STREQ(name, "ワードの図 (1)");
  char title[300] = "";
  GetWindowTextA(GetParent(view), title, sizeof title);
  EXPECT_STREQ(title, "ワードの図 (1)");
  EXPECT_FALSE(doc->LoadObjectFile((work + "none.tmp").c_str()));
  EXPECT_FALSE(doc->IsModified());
  CString temp;
  MakeDocTempFileName(temp);
  EXPECT_NE(temp.Find("\\KlO"), -1) << temp.GetString(); // the system keeps three letters of the prefix
  EXPECT_EQ(temp.Find(work.c_str()), 0) << temp.GetString();
  DeleteFileA(temp);

  // One logical unit is 1/100 inch, y upward, the origin at the top left.
  auto *mv = dynamic_cast<CMainView *>(CWnd::FromHandlePermanent(view));
  ASSERT_TRUE(mv);
  HDC screen = GetDC(view);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(view, screen);
  const SIZE one = mv->SizeToLogical(SIZE{dpi, -dpi});
  EXPECT_EQ(one.cx, 100);
  EXPECT_EQ(one.cy, 100);
  const POINT lp = mv->PointToLogical(POINT{dpi, dpi});
  EXPECT_EQ(lp.x, 100);
  EXPECT_EQ(lp.y, -100);
  const POINT dp = mv->PointToDevice(lp);
  EXPECT_EQ(dp.x, dpi);
  EXPECT_EQ(dp.y, dpi);
  const RECT dr = mv->RectToDevice(RECT{0, 0, 100, -200});
  EXPECT_EQ(dr.left, 0);
  EXPECT_EQ(dr.top, 0);
  EXPECT_EQ(dr.right, dpi);
  EXPECT_EQ(dr.bottom, 2 * dpi);

  // The same paint rectangle twice sets the flag the second time only.
  auto *v = dynamic_cast<CMainView *>(CWnd::FromHandlePermanent(view));
  ASSERT_TRUE(v);
  PAINTSTRUCT ps = {};
  ps.rcPaint = RECT{10, 10, 60, 40};
  int same = -1;
  ResetSameDrawRect();
  EXPECT_EQ(v->SameDrawRect(view, ps, &same), 1);
  EXPECT_EQ(same, 0);
  EXPECT_EQ(v->SameDrawRect(view, ps, &same), 1);
  EXPECT_EQ(same, 1);
  ps.rcPaint = RECT{10, 10, 10, 40};
  EXPECT_EQ(v->SameDrawRect(view, ps, &same), 0);
  HWND last = nullptr;
  GetLastViewWindow(&last);
  EXPECT_EQ(last, view);
}

TEST_F(DrawWin, ZoomStepsFollowTheFactorTable) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  double steps[3] = {0.25, 2.0, 3.0}; // move, zoom in, zoom out
  sys_dspstep('W', steps);
  MouseWorldPos = WorldPos{50.0, 40.0};
  const double factors[6] = {3.0, 0.5, 1.05, 0.95, 3.0, 0.5};
  for (int step = 0; step < 6; step++) {
    SCOPED_TRACE(step);
    const ViewXform a = xform(0, 0);
    ASSERT_EQ(vwin_pan(view, step), 1);
    const ViewXform b = xform(0, 0);
    EXPECT_NEAR(a.xscale / b.xscale, factors[step], 1e-9);
    EXPECT_NEAR((b.sxmax - b.sxmin) / (a.sxmax - a.sxmin), factors[step], 1e-9);
    if (step < 4) { // about the centre
      EXPECT_NEAR((a.sxmin + a.sxmax) / 2, (b.sxmin + b.sxmax) / 2, 1e-9);
      EXPECT_NEAR((a.symin + a.symax) / 2, (b.symin + b.symax) / 2, 1e-9);
    } else { // the point under the mouse stays where it is
      EXPECT_NEAR((50.0 - a.sxmin) * a.xscale, (50.0 - b.sxmin) * b.xscale, 1e-6);
      EXPECT_NEAR((40.0 - a.symin) * a.yscale, (40.0 - b.symin) * b.yscale, 1e-6);
    }
  }
  EXPECT_EQ(vwin_pan(view, 6), 0);
  EXPECT_EQ(vwin_pan(app_hmain(), 0), 0); // not a drawing window

  // The wheel: a delta of 0 zooms in (step 5), a negative delta out (step 4).
  ViewXform a = xform(0, 0);
  SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, 0), 0);
  EXPECT_NEAR(xform(0, 0).xscale / a.xscale, 2.0, 1e-9);
  a = xform(0, 0);
  SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), 0);
  EXPECT_NEAR(a.xscale / xform(0, 0).xscale, 3.0, 1e-9);
}

TEST_F(DrawWin, ScrollBarsMoveTheViewAndAThumbAtTheStartCentresTheBox) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  double steps[3] = {0.25, 2.0, 2.0};
  sys_dspstep('W', steps);
  RECT c;
  GetClientRect(view, &c);
  ASSERT_GT(c.right, 100);
  EXPECT_EQ(GetScrollPos(view, SB_HORZ), int(std::lround(c.right / 2.0)));
  EXPECT_EQ(GetScrollPos(view, SB_VERT), int(std::lround(c.bottom / 2.0)));

  // A line left: the world moves left by a quarter of the width, the box with it.
  ViewXform a = xform(0, 0);
  const int pos = GetScrollPos(view, SB_HORZ);
  const int move = int(std::lround(c.right * 0.25));
  SendMessageA(view, WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
  ViewXform b = xform(0, 0);
  EXPECT_NEAR(b.sxmin, a.sxmin - move / a.xscale, 1e-9);
  EXPECT_NEAR(b.symin, a.symin, 1e-9);
  EXPECT_EQ(GetScrollPos(view, SB_HORZ), pos - move);

  // A page down (vertical): the world moves down by the client height.
  a = b;
  SendMessageA(view, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
  b = xform(0, 0);
  EXPECT_NEAR(b.symin, a.symin - c.bottom / a.yscale, 1e-9);
  EXPECT_EQ(GetScrollPos(view, SB_VERT), int(std::lround(c.bottom / 2.0))); // past the end: back to the middle

  // The thumb dragged to the very start: the box goes back to the middle.
  SetScrollPos(view, SB_HORZ, 40, FALSE);
  a = xform(0, 0);
  SendMessageA(view, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  b = xform(0, 0);
  EXPECT_EQ(GetScrollPos(view, SB_HORZ), int(std::lround(c.right / 2.0)));
  EXPECT_NEAR(b.sxmin, a.sxmin - 40 / a.xscale, 1e-9);
  EXPECT_EQ(vwin_scroll(view, WM_KEYDOWN, 0), 0);
}

TEST_F(DrawWin, ResizingKeepsTheWorldCentreAndScale) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  const ViewXform a = xform(0, 0);
  SetWindowPos(view, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(view, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300)); // whatever borders the view has
  const ViewXform b = xform(0, 0);
  EXPECT_NEAR(b.xscale, a.xscale, 1e-9);
  EXPECT_NEAR(b.yscale, a.yscale, 1e-9);
  EXPECT_NEAR((a.sxmin + a.sxmax) / 2, (b.sxmin + b.sxmax) / 2, 1e-9);
  EXPECT_NEAR((a.symin + a.symax) / 2, (b.symin + b.symax) / 2, 1e-9);
  EXPECT_NEAR((b.sxmax - b.sxmin) * b.xscale, 400, 1e-6);
  EXPECT_EQ(b.right - b.left, 400);
  EXPECT_EQ(b.bottom - b.top, 300);
  EXPECT_EQ(GetScrollPos(view, SB_HORZ), 200);
  EXPECT_EQ(GetScrollPos(view, SB_VERT), 150);

  // Minimised (no client area) and a view never fitted (scale 0) keep the transform.
  SendMessageA(view, WM_SIZE, SIZE_MINIMIZED, 0);
  ViewXform m = xform(0, 0);
  EXPECT_EQ(std::memcmp(&m, &b, sizeof m), 0);
  EXPECT_EQ(GetScrollPos(view, SB_HORZ), 200);
  m.xscale = m.yscale = 0;
  vew_frame('W', 0, 0, &m);
  SendMessageA(view, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
  const ViewXform z = xform(0, 0);
  for (double v : {z.sxmin, z.symin, z.sxmax, z.symax, z.xscale, z.yscale})
    EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(std::memcmp(&z, &m, sizeof z), 0);
}

TEST_F(DrawWin, TwoViewsOfOneDrawingStayInStep) {
  HWND v0 = new_drawing();
  ASSERT_TRUE(v0);
  ASSERT_EQ(fil_mkview(0, 1), 0);
  pump(3);
  HWND v1 = vew_hwnd(0, 1);
  ASSERT_TRUE(v1);
  EXPECT_EQ(vew_mask(0), 3u);
  // One document for both views.
  CMainDoc *doc = FindDocOfDrawing(0);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->GetViews().size(), 2u);
  // Side by side, both on the screen.
  uint16_t masks[2] = {3, 0};
  ASSERT_EQ(vwin_arrange('W', 0, masks), 0);
  pump(10);
  uint16_t shown[2] = {};
  ASSERT_EQ(vwin_arrange('R', 0, shown), 0);
  EXPECT_EQ(shown[0], 3);
  EXPECT_FALSE(IsZoomed(frame_of(v0)));
  const int before0 = coloured(v0), before1 = coloured(v1);
  ASSERT_GT(add_circle(12.5, 12.5, 10), 0);
  ASSERT_GT(add_line(2, 2, 23, 23), 0);
  pump(3);
  EXPECT_GT(coloured(v0), before0 + 200);
  EXPECT_GT(coloured(v1), before1 + 200);
  // And again after both repaint.
  InvalidateRect(v0, nullptr, TRUE);
  InvalidateRect(v1, nullptr, TRUE);
  pump(5);
  EXPECT_GT(coloured(v0), before0 + 200);
  EXPECT_GT(coloured(v1), before1 + 200);
  // The focus makes a view current.
  SetFocus(v1);
  EXPECT_EQ(vew_cur(), 1);
  SetFocus(v0);
  EXPECT_EQ(vew_cur(), 0);
  // Closing one of the two asks nothing and keeps the drawing.
  SendMessageA(frame_of(v1), WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_TRUE(asked.saves.empty());
  EXPECT_EQ(vew_mask(0), 1u);
  EXPECT_EQ(DbCtl[0].count1, 2u);
  EXPECT_EQ(doc->GetViews().size(), 1u);
}

TEST_F(DrawWin, ClosingTheLastViewOfAModifiedDrawingAsksOnce) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  ASSERT_GT(add_line(2, 2, 20, 20), 0);
  ASSERT_NE(dwg_state(0) & 1, 0u);

  // Cancel keeps the window and the drawing; the next close asks again.
  asked.answer = IDCANCEL;
  SendMessageA(frame_of(view), WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_EQ(asked.saves.size(), 1u);
  EXPECT_TRUE(IsWindow(view));
  EXPECT_EQ(DbCtl[0].count1, 1u);

  // Yes, then the seal name question cancelled: the drawing stays and stays modified.
  asked.answer = IDYES;
  SendMessageA(frame_of(view), WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_EQ(asked.saves.size(), 2u);
  EXPECT_TRUE(IsWindow(view));
  EXPECT_NE(dwg_state(0) & 1, 0u);

  asked.answer = IDNO;
  SendMessageA(frame_of(view), WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_EQ(asked.saves.size(), 3u);
  EXPECT_FALSE(IsWindow(view));
  EXPECT_EQ(vew_mask(0), 0u);
  EXPECT_EQ(DbCtl[0].count1, 0u);
  EXPECT_EQ(FindDocOfDrawing(0), nullptr);
  EXPECT_EQ(children(), 0);
}

TEST_F(DrawWin, AnotherFrameOfADrawingWithADocument) {
  HWND v0 = new_drawing();
  ASSERT_TRUE(v0);
  const RECT r = {30, 20, 330, 220};
  EXPECT_EQ(OpenViewFrame(&r, 1, 0), nullptr); // drawing 1 has no document
  HWND v1 = OpenViewFrame(&r, 0, 1);
  ASSERT_TRUE(v1);
  pump(3);
  EXPECT_EQ(FindDocOfDrawing(0)->GetViews().size(), 2u);
  EXPECT_EQ(VwinRequest.dwg, -1);
  EXPECT_TRUE(IsWindowVisible(GetParent(v1)));
  SendMessageA(GetParent(v1), WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_FALSE(IsWindow(v1));
  EXPECT_TRUE(IsWindow(v0));
}

TEST_F(DrawWin, TheFileMenuOpensAndClosesDrawingWindows) {
  const std::string path = work + "MENU.KSL";
  make_seal(path);
  HWND main = app_hmain();
  SendMessageA(main, WM_COMMAND, 10100, 0); // new
  cmd_pump();
  pump(3);
  HWND view = vew_hwnd(0, 0);
  ASSERT_TRUE(view);
  EXPECT_EQ(DbCtl[0].count1, 0u);
  SendMessageA(main, WM_COMMAND, 10106, 0); // close
  cmd_pump();
  pump(3);
  EXPECT_FALSE(IsWindow(view));
  EXPECT_TRUE(asked.saves.empty());

  // An unmodified seal closes without a question; the recent file opens it again.
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  view = vew_hwnd(0, 0);
  ASSERT_TRUE(view);
  SendMessageA(main, WM_COMMAND, 10106, 0);
  cmd_pump();
  pump(3);
  EXPECT_FALSE(IsWindow(view));
  EXPECT_TRUE(asked.saves.empty());
  ASSERT_EQ(lstrcmpiA(RecentFiles[0], path.c_str()), 0);
  SendMessageA(main, WM_COMMAND, 17000, 0);
  pump(3);
  view = vew_hwnd(0, 0);
  ASSERT_TRUE(view);
  EXPECT_EQ(DbCtl[0].count1, saved_count);
  char title[64] = "";
  GetWindowTextA(GetParent(view), title, sizeof title);
  EXPECT_STREQ(title, "MENU.KSL");
  // Only one drawing at a time: a second open says so and opens nothing.
  EXPECT_EQ(fil_open(0, nullptr), 1002);
  EXPECT_EQ(children(), 1);
}

TEST_F(DrawWin, ABadSealFileOpensNoWindowAndLeavesNothingBehind) {
  const std::string bad = work + "BAD.KSL";
  {
    FILE *f = std::fopen(bad.c_str(), "wb");
    ASSERT_TRUE(f);
    std::vector<char> junk(600, 'x');
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
  }
  const struct {
    std::string path;
  } cases[] = {{bad}, {work + "MISSING.KSL"}, {"relative\\seal.ksl"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.path);
    asked.others.clear();
    EXPECT_EQ(fil_open(1, c.path.c_str()), 1001);
    pump(2);
    EXPECT_EQ(children(), 0);
    EXPECT_EQ(vew_mask(0), 0u);
    EXPECT_EQ(DbCtl[0].count1, 0u);
    EXPECT_EQ(asked.others.size(), 1u); // the reason, on the message board
    EXPECT_EQ(GetFileAttributesA((c.path + ".cslock").c_str()), INVALID_FILE_ATTRIBUTES);
  }
  // The file itself is untouched.
  WIN32_FILE_ATTRIBUTE_DATA a;
  ASSERT_TRUE(GetFileAttributesExA(bad.c_str(), GetFileExInfoStandard, &a));
  EXPECT_EQ(a.nFileSizeLow, 600u);
  // And a good file opens after them.
  const std::string good = work + "GOOD.KSL";
  make_seal(good);
  EXPECT_EQ(fil_open(1, good.c_str()), 0);
  EXPECT_EQ(children(), 1);
}

TEST_F(DrawWin, AClickInTheDrawingWindowIsAPointOfTheDrawing) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  pump(3);
  CmdLevel = 1; // as while a command asks for a point
  PostMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 90));
  PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(120, 90));
  double x = -1, y = -1;
  int32_t d = -9, v = -9;
  const int code = gcr_getpnt(0, nullptr, &x, &y, &d, &v);
  CmdLevel = -1;
  EXPECT_EQ(code, 500);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(v, 0);
  double wx, wy;
  vew_dev2w(0, 0, 120, 90, &wx, &wy);
  EXPECT_NEAR(x, wx, 1e-9);
  EXPECT_NEAR(y, wy, 1e-9);
  gcr_clrfb();
}

TEST_F(DrawWin, AnEmptyDrawingClosesWithoutAQuestion) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  dwg_touch(0);
  SendMessageA(frame_of(view), WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_TRUE(asked.saves.empty());
  EXPECT_FALSE(IsWindow(view));
}

TEST_F(DrawWin, CloseAllAsksEachDrawingOnceAndStopsAtARefusal) {
  HWND v0 = new_drawing();
  ASSERT_TRUE(v0);
  ASSERT_EQ(fil_mkview(0, 1), 0);
  ASSERT_EQ(fil_mkview(0, 2), 0);
  pump(3);
  ASSERT_GT(add_line(2, 2, 20, 20), 0);
  ASSERT_EQ(children(), 3);

  asked.answer = IDCANCEL;
  EXPECT_EQ(vwin_closeall(2), 0);
  EXPECT_EQ(asked.saves.size(), 1u);
  EXPECT_GE(children(), 1);
  EXPECT_EQ(DbCtl[0].count1, 1u);

  asked.saves.clear();
  asked.answer = IDNO;
  EXPECT_EQ(vwin_closeall(2), 1);
  EXPECT_EQ(asked.saves.size(), 1u);
  EXPECT_EQ(children(), 0);
  EXPECT_EQ(vew_mask(0), 0u);

  // Mode 1 closes whatever is open without a question.
  ASSERT_TRUE(new_drawing());
  ASSERT_GT(add_line(2, 2, 20, 20), 0);
  asked.saves.clear();
  EXPECT_EQ(vwin_closeall(1), 1);
  EXPECT_TRUE(asked.saves.empty());
  EXPECT_EQ(children(), 0);
  ShowWindow(app_hmdi(), SW_SHOW);
}

TEST_F(DrawWin, ASealInSeveralWindowsKeepsItsLockUntilItsLastWindowCloses) {
  const std::string path = work + "LOCKED.KSL";
  make_seal(path);
  SystemBlock sys{};
  sys_sysprm('R', &sys);
  sys.exclusive = 1; // seals are opened with a lock
  sys_sysprm('W', &sys);
  ASSERT_EQ(fil_open(1, path.c_str()), 0);
  pump(5);
  ASSERT_EQ(fil_mkview(0, 1), 0);
  ASSERT_EQ(fil_mkview(0, 2), 0);
  pump(3);
  ASSERT_EQ(children(), 3);
  ASSERT_TRUE(DwgPath[0].lock);
  ASSERT_GT(add_line(1, 1, 5, 5), 0);
  auto held = [&] {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
      return true;
    CloseHandle(h);
    return false;
  };
  // The editor closes; the question comes at the drawing's last window and is cancelled.
  asked.answer = IDCANCEL;
  EXPECT_EQ(vwin_closeall(2), 0);
  EXPECT_EQ(asked.saves.size(), 1u);
  EXPECT_GE(children(), 1);
  EXPECT_TRUE(DwgPath[0].lock);
  EXPECT_TRUE(held()) << "another program could write the open seal";
  asked.saves.clear();
  asked.answer = IDNO;
  EXPECT_EQ(vwin_closeall(2), 1);
  EXPECT_EQ(asked.saves.size(), 1u);
  EXPECT_EQ(children(), 0);
  EXPECT_FALSE(DwgPath[0].lock);
  EXPECT_FALSE(held());
  sys.exclusive = 0;
  sys_sysprm('W', &sys);
}

TEST_F(DrawWin, TheFirstWindowOpensMaximisedAndRestoresItsPlacement) {
  const RECT want = {20, 30, 420, 330};
  HWND view = vwin_create(0, &want, 0, 0);
  ASSERT_TRUE(view);
  pump(3);
  HWND frame = frame_of(view);
  EXPECT_TRUE(IsZoomed(frame));
  // A second window (of an open view) is no first window: restoring it leaves the first's place alone.
  ASSERT_EQ(vew_setdev(view, 0, 0, 0, 0, 200, 100), 0);
  ASSERT_EQ(vew_setwin(0, 0, 0, 0, 0, 25, 25), 0);
  ASSERT_EQ(vew_count(), 1);
  HWND second = vwin_create(1, nullptr, 0, 1);
  ASSERT_TRUE(second);
  pump(3);
  SendMessageA(app_hmdi(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(frame_of(second)), 0);
  pump(3);
  SendMessageA(frame_of(second), WM_CLOSE, 0, 0);
  pump(3);
  ASSERT_FALSE(IsWindow(second));
  SendMessageA(app_hmdi(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(frame), 0);
  pump(3);
  SendMessageA(app_hmdi(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(frame), 0);
  pump(3);
  EXPECT_FALSE(IsZoomed(frame));
  RECT r;
  GetWindowRect(frame, &r);
  MapWindowPoints(nullptr, app_hmdi(), reinterpret_cast<POINT *>(&r), 2);
  EXPECT_EQ(r.left, want.left);
  EXPECT_EQ(r.top, want.top);
  EXPECT_EQ(r.right, want.right);
  EXPECT_EQ(r.bottom, want.bottom);
  SendMessageA(frame, WM_CLOSE, 0, 0);
  pump(3);
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_EQ(vew_mask(0), 0u); // the table forgets a window that goes
}

TEST_F(DrawWin, RightButtonUpTakesOnlyItsOwnMouseMove) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  pump(3);
  // With the shortcut menu off the click goes to the command (the menu first
  // dispatches what waits).
  scm_enable(0, -1);
  PostMessageA(view, WM_APP + 5, 7, 0);
  // Returns at once although no mouse move may be queued, and leaves the rest.
  SendMessageA(view, WM_RBUTTONUP, 0, MAKELPARAM(30, 40));
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, view, WM_APP + 5, WM_APP + 5, PM_REMOVE));
  EXPECT_EQ(m.wParam, 7u);
}

TEST_F(DrawWin, TheCrossHairFollowsTheMouseAndLeavesWithIt) {
  HWND view = new_drawing();
  ASSERT_TRUE(view);
  pump(3);
  const int kind = vwin_curkind(2);
  ASSERT_EQ(vwin_cursor(view, 0, 50, 60), 1);
  int x = 0, y = 0;
  EXPECT_EQ(vwin_xhairwnd(&x, &y), view);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 60);
  // The mouse over another window takes it away.
  MOUSEHOOKSTRUCT m = {};
  m.hwnd = app_hmesg();
  vwin_hookproc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&m));
  EXPECT_EQ(vwin_xhairwnd(nullptr, nullptr), nullptr);
  // Over a drawing window it stays.
  vwin_cursor(view, 0, 10, 10);
  m.hwnd = view;
  vwin_hookproc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&m));
  EXPECT_EQ(vwin_xhairwnd(nullptr, nullptr), view);
  vwin_cursor(nullptr, 2, -1, -1);
  EXPECT_EQ(vwin_xhairwnd(nullptr, nullptr), nullptr);
  vwin_curkind(kind);
  EXPECT_EQ(vwin_curkind(-1), kind); // -1 only reads
}

TEST_F(DrawWin, RecentFilesKeepFiveWithTheNewestFirst) {
  for (auto &e : RecentFiles)
    e[0] = '\0';
  HMENU file = GetSubMenu(GetMenu(app_hmain()), 0);
  ASSERT_TRUE(file);
  const char *paths[5] = {"C:\\seals\\a.ksl", "C:\\seals\\b.ksl", "C:\\seals\\c.ksl", "C:\\seals\\d&e.ksl",
                          "C:\\seals\\f.ksl"};
  for (const char *p : paths)
    mru_add(p);
  // Newest first.
  EXPECT_STREQ(RecentFiles[0], paths[4]);
  EXPECT_STREQ(RecentFiles[4], paths[0]);
  // A path already there in another case moves up; the ones after it keep their places.
  mru_add("c:\\SEALS\\C.KSL");
  EXPECT_STREQ(RecentFiles[0], "c:\\SEALS\\C.KSL");
  EXPECT_STREQ(RecentFiles[1], paths[4]);
  EXPECT_STREQ(RecentFiles[2], paths[3]);
  EXPECT_STREQ(RecentFiles[3], paths[1]);
  EXPECT_STREQ(RecentFiles[4], paths[0]);
  // A sixth distinct path drops the oldest.
  mru_add("C:\\seals\\g.ksl");
  EXPECT_STREQ(RecentFiles[0], "C:\\seals\\g.ksl");
  EXPECT_STREQ(RecentFiles[4], paths[1]);
  // An empty path changes nothing.
  mru_add("");
  EXPECT_STREQ(RecentFiles[0], "C:\\seals\\g.ksl");

  // The menu: one item per entry, "&" doubled.
  char text[300] = "";
  ASSERT_GT(GetMenuStringA(file, 17000, text, sizeof text, MF_BYCOMMAND), 0);
  EXPECT_NE(std::string(text).find("g.ksl"), std::string::npos);
  EXPECT_EQ(std::string(text).rfind("&1 ", 0), 0u);
  ASSERT_GT(GetMenuStringA(file, 17003, text, sizeof text, MF_BYCOMMAND), 0);
  EXPECT_NE(std::string(text).find("d&&e.ksl"), std::string::npos) << text;
  int items = 0;
  for (UINT id = 17000; id <= 17004; id++)
    items += GetMenuStringA(file, id, text, sizeof text, MF_BYCOMMAND) > 0;
  EXPECT_EQ(items, 5);

  // The FILES section of the settings file is written each time.
  char stored[262] = "";
  const std::string sys = dir + "inkforge.sys";
  GetPrivateProfileStringA("FILES", "FILE1", "", stored, sizeof stored, sys.c_str());
  EXPECT_STREQ(stored, "C:\\seals\\g.ksl");
  GetPrivateProfileStringA("FILES", "FILE5", "", stored, sizeof stored, sys.c_str());
  EXPECT_STREQ(stored, paths[1]);

  // Opening entry 5 or beyond opens nothing.
  EXPECT_EQ(fil_openmru(5), -1);
  EXPECT_EQ(children(), 0);
  for (auto &e : RecentFiles)
    e[0] = '\0';
}

} // namespace

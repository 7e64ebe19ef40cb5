// The framework on the screen: an MDI frame with two child frames and their views,
// captured from the display into a PNG picture in the build folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../common/pngwrite.h"
#include "../common/screencap.h"
#include "framework/doctempl.h"
#include "framework/document.h"
#include "framework/frame.h"
#include "framework/view.h"
#include "mdihost.h"

namespace {

COLORREF next_colour = RGB(250, 230, 160);

class PaintDoc : public CDocument {};
class PaintFrame : public CMDIChildWnd {};

class PaintView : public CView {
public:
  COLORREF colour = next_colour;
  void OnDraw(HDC dc) override {
    RECT r = GetClientRect();
    HBRUSH b = CreateSolidBrush(colour);
    FillRect(dc, &r, b);
    DeleteObject(b);
    SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "MS Gothic");
    HGDIOBJ old = SelectObject(dc, font);
    const char *text = "印影 インク工房";
    TextOutA(dc, 10, 10, text, int(std::strlen(text)));
    SelectObject(dc, old);
    DeleteObject(font);
    Rectangle(dc, 10, 40, 110, 90);
  }
};

std::vector<uint32_t> capture(HWND wnd, RECT &r) { return screen_capture(wnd, r); }

uint32_t rgb_of(COLORREF c) { return uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }

TEST(Screen, MdiFrameWithTwoChildrenAndTheirViews) {
  test_app();
  HostFrame *frame = HostFrame::open(800, 600);
  ASSERT_NE(frame, nullptr);
  SetWindowTextA(frame->m_hWnd, "インク工房");
  CMultiDocTemplate *tmpl = CMultiDocTemplate::Make<PaintDoc, PaintFrame, PaintView>(110);

  next_colour = RGB(250, 230, 160);
  CDocument *one = tmpl->OpenDocumentFile(nullptr);
  next_colour = RGB(170, 210, 250);
  CDocument *two = tmpl->OpenDocumentFile(nullptr);
  ASSERT_TRUE(one && two);
  CFrameWnd *f1 = one->GetViews()[0]->GetParentFrame();
  CFrameWnd *f2 = two->GetViews()[0]->GetParentFrame();
  SetWindowTextA(f1->m_hWnd, "図面 1");
  SetWindowTextA(f2->m_hWnd, "図面 2");
  MoveWindow(f1->m_hWnd, 10, 10, 360, 300, TRUE);
  MoveWindow(f2->m_hWnd, 390, 120, 360, 300, TRUE);
  SetForegroundWindow(frame->m_hWnd);
  for (int i = 0; i < 10; i++) {
    pump();
    Sleep(30);
  }

  RECT r;
  std::vector<uint32_t> px = capture(frame->m_hWnd, r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const std::string path = std::string(INK_PICTURE_DIR) + "/framework_mdi.png";
  EXPECT_TRUE(write_png(path.c_str(), w, h, px));

  // Each view shows its own colour near its bottom right corner.
  for (CDocument *doc : {one, two}) {
    auto *view = static_cast<PaintView *>(doc->GetViews()[0]);
    RECT v;
    GetWindowRect(view->m_hWnd, &v);
    const int x = v.right - 20 - r.left, y = v.bottom - 20 - r.top;
    ASSERT_TRUE(x >= 0 && x < w && y >= 0 && y < h);
    EXPECT_EQ(px[size_t(y) * w + x], rgb_of(view->colour));
  }

  HostFrame::close(frame);
  delete tmpl;
}

} // namespace

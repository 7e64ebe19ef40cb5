// Client items on the screen: the platform's insert-object dialog driven by a timer,
// and a window with two items, one with its tracker, kept as a picture.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

#include "../common/pngwrite.h"
#include "../common/screencap.h"
#include "framework/dc.h"
#include "framework/olecdlg.h"
#include "framework/olecli.h"
#include "framework/oledata.h"
#include "framework/oleinit.h"
#include "framework/tracker.h"
#include "framework/winapp.h"
#include "framework/wnd.h"
#include "fwsrv_ids.h"

namespace {

class ScreenDoc : public COleDocument {
public:
  ScreenDoc() { m_bAutoDelete = FALSE; }
};

HWND ourDialog() {
  struct Found {
    HWND wnd;
  } f{nullptr};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        DWORD pid = 0;
        char cls[32] = "";
        GetWindowThreadProcessId(w, &pid);
        GetClassNameA(w, cls, sizeof cls);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w) && std::string(cls) == "#32770") {
          reinterpret_cast<Found *>(lp)->wnd = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.wnd;
}

bool g_sawType = false;
int g_ticks = 0;

// Inside the dialog's own loop: picks fwsrv's type in the list and presses OK; gives
// up (Cancel) after a while so the test never hangs.
VOID CALLBACK driveInsert(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dlg = ourDialog();
  if (!dlg) {
    if (++g_ticks > 100)
      KillTimer(nullptr, id);
    return;
  }
  struct Pick {
    HWND dlg;
    bool found;
  } p{dlg, false};
  EnumChildWindows(
      dlg,
      [](HWND c, LPARAM lp) -> BOOL {
        auto *p = reinterpret_cast<Pick *>(lp);
        char cls[32] = "";
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "ListBox") != 0 || !IsWindowVisible(c))
          return TRUE;
        const LRESULT at = SendMessageA(c, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("fwsrv document"));
        if (at == LB_ERR)
          return TRUE;
        SendMessageA(c, LB_SETCURSEL, WPARAM(at), 0);
        SendMessageA(p->dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), LBN_SELCHANGE), LPARAM(c));
        p->found = true;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&p));
  g_sawType = p.found;
  KillTimer(nullptr, id);
  PostMessageA(dlg, WM_COMMAND, p.found ? IDOK : IDCANCEL, 0);
}

class ClientScreenTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(AfxOleInit()); }
};

TEST_F(ClientScreenTest, RealInsertDialogListsFwsrvAndOkCreatesTheItem) {
  ScreenDoc doc;
  g_sawType = false;
  g_ticks = 0;
  SetTimer(nullptr, 0, 200, driveInsert);
  COleInsertDialog dlg;
  const INT_PTR r = dlg.DoModal();
  EXPECT_TRUE(g_sawType) << "fwsrv's type name is listed";
  ASSERT_EQ(r, IDOK);
  EXPECT_TRUE(IsEqualCLSID(dlg.GetClassID(), kFwSrvClsid));
  auto *item = new COleClientItem(&doc);
  ASSERT_TRUE(dlg.CreateItem(item)) << std::hex << item->GetLastStatus();
  item->Close();
  item->Delete();
}

uint32_t rgb(COLORREF c) { return uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }

TEST_F(ClientScreenTest, TwoItemsAndATrackerOnTheScreen) {
  ScreenDoc doc;
  auto *red = new COleClientItem(&doc);
  ASSERT_TRUE(red->CreateNewItem(kFwSrvClsid));
  red->Close();
  auto *src = new COleDataSource;
  {
    HDC mf = CreateMetaFileA(nullptr);
    SetWindowExtEx(mf, 1000, 1000, nullptr);
    HBRUSH b = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(mf, b);
    Ellipse(mf, 0, 0, 1000, 1000);
    HMETAFILE wmf = CloseMetaFile(mf);
    DeleteObject(b);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    auto *pict = static_cast<METAFILEPICT *>(GlobalLock(block));
    *pict = {MM_ANISOTROPIC, 1000, 1000, wmf};
    GlobalUnlock(block);
    STGMEDIUM m{};
    m.tymed = TYMED_MFPICT;
    m.hMetaFilePict = block;
    FORMATETC fe{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    src->CacheData(CF_METAFILEPICT, &m, &fe);
  }
  COleDataObject data;
  data.Attach(src->GetDataObject(), FALSE);
  auto *blue = new COleClientItem(&doc);
  ASSERT_TRUE(blue->CreateStaticFromData(&data));
  src->InternalRelease();

  CWnd wnd;
  ASSERT_TRUE(wnd.Create(nullptr, "items", WS_POPUP | WS_VISIBLE, RECT{100, 100, 420, 300}, nullptr, 0));
  MSG msg;
  for (int i = 0; i < 10; i++) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    Sleep(20);
  }
  const RECT redRect{20, 30, 140, 102}, blueRect{180, 40, 280, 140};
  HDC wdc = GetDC(wnd.m_hWnd);
  CDC dc;
  dc.Attach(wdc);
  RECT all{0, 0, 320, 200};
  FillRect(wdc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_TRUE(red->Draw(&dc, &redRect));
  EXPECT_TRUE(blue->Draw(&dc, &blueRect));
  CRectTracker tracker(blueRect, CRectTracker::solidLine | CRectTracker::resizeInside);
  tracker.Draw(&dc);
  dc.Detach();
  ReleaseDC(wnd.m_hWnd, wdc);
  GdiFlush();
  for (int i = 0; i < 10; i++) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    Sleep(20);
  }

  RECT r;
  std::vector<uint32_t> px = screen_capture(wnd.m_hWnd, r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const std::string path = std::string(INK_PICTURE_DIR) + "/framework_items.png";
  EXPECT_TRUE(write_png(path.c_str(), w, h, px));
  ASSERT_EQ(w, 320);
  EXPECT_EQ(px[size_t(66) * w + 80], rgb(RGB(255, 0, 0)));
  EXPECT_EQ(px[size_t(90) * w + 230], rgb(RGB(0, 0, 255)));
  EXPECT_EQ(px[size_t(70) * w + 179], 0u) << "the tracker's line, one pixel outside";
  EXPECT_EQ(px[size_t(39) * w + 200], 0u) << "the tracker's line, one pixel outside";
  red->Delete();
  blue->Delete();
}

} // namespace

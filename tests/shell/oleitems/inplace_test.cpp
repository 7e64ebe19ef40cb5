// Objects active in place in a drawing window of the started editor: an fwsrv object
// shown in place gets its window over the object in the view, the editor's frame is
// offered fwsrv's menus, the selection follows the activation, and deactivation takes
// the window away and gives the editor its own menu back.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../../common/editorpump.h"
#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "../../framework/fwsrv_ids.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/rectitem.h"

namespace {

std::vector<DWORD> fwsrv_running() {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32First(snap, &e); ok; ok = Process32Next(snap, &e))
    if (lstrcmpiA(e.szExeFile, "fwsrv.exe") == 0)
      pids.push_back(e.th32ProcessID);
  CloseHandle(snap);
  return pids;
}

template <class F> bool pump_for(F done, DWORD ms) {
  const DWORD t0 = GetTickCount();
  while (!done()) {
    if (GetTickCount() - t0 > ms)
      return false;
    pump();
    Sleep(20);
  }
  return true;
}

std::vector<std::string> menu_texts(HMENU menu) {
  std::vector<std::string> out;
  for (int i = 0; menu && i < GetMenuItemCount(menu); i++) {
    char t[128] = "";
    GetMenuStringA(menu, UINT(i), t, sizeof t, MF_BYPOSITION);
    out.push_back(t);
  }
  return out;
}

class InPlace : public ::testing::Test {
protected:
  VODOreVer *app = nullptr;
  CMainDoc *doc = nullptr;
  CMainView *v = nullptr;

  void SetUp() override {
    const std::string work = here() + "work\\";
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string sys = here() + "inkforge.sys";
    DeleteFileA(sys.c_str());
    WritePrivateProfileStringA("SYSTEMU", "WORKDRV", work.c_str(), sys.c_str());
    ui_setresponder([](const UiQuestion &q) { return q.kind == UI_MSGBOX ? IDNO : 0; });
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string reg = std::string("\"") + INK_FWSRV_PATH + "\" -RegServer";
    ASSERT_TRUE(CreateProcessA(nullptr, reg.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    app = new VODOreVer;
    app->m_hInstance = GetModuleHandleA(nullptr);
    app->m_lpCmdLine = const_cast<char *>("");
    ASSERT_TRUE(app->InitInstance());
    pump(5);
    ASSERT_EQ(fil_open(0, nullptr), 0);
    pump(5);
    doc = FindDocOfDrawing(0);
    ASSERT_TRUE(doc);
    for (CView *view : doc->GetViews())
      if ((v = dynamic_cast<CMainView *>(view)))
        break;
    ASSERT_TRUE(v);
    SheetRecord s{};
    sys_sheet('R', 0, &s);
    s.num = 1, s.den = 1;
    sys_sheet('W', 0, &s);
  }
  void TearDown() override {
    if (HWND main = app_hmain(); main && IsWindow(main)) {
      PostMessageA(main, WM_COMMAND, 10105, 0);
      app->Run();
    }
    delete app;
    app = nullptr;
    ui_setresponder(nullptr);
    pump();
    pump_for([] { return fwsrv_running().empty(); }, 10000);
  }
};

TEST_F(InPlace, AnFwsrvObjectIsActiveInPlaceInTheDrawingWindowAndLeavesAgain) {
  HWND main = app_hmain();
  const HMENU own = GetMenu(main);
  const std::vector<std::string> ownTexts = menu_texts(own);
  ASSERT_FALSE(ownTexts.empty());

  auto *item = new CRectItem(doc);
  ASSERT_TRUE(item->CreateNewItem(kFwSrvClsid)) << std::hex << item->GetLastStatus();
  item->UpdateExtent();
  item->MoveTo(v->RectToLogical(RECT{60, 50, 260, 150}), v);
  pump(3);
  ASSERT_TRUE(item->DoVerb(OLEIVERB_SHOW, v)) << std::hex << item->GetLastStatus();
  ASSERT_TRUE(pump_for([&] { return item->GetItemState() == COleClientItem::activeUIState; }, 10000))
      << item->GetItemState();
  EXPECT_TRUE(item->IsInPlaceActive());
  EXPECT_EQ(doc->GetInPlaceActiveItem(v), item);
  EXPECT_EQ(v->m_pSelection, item); // the activated object is the selection

  // fwsrv's window lies over the object, inside the view.
  HWND wnd = item->GetInPlaceWindow();
  ASSERT_TRUE(wnd);
  EXPECT_EQ(GetParent(wnd), v->m_hWnd);
  EXPECT_TRUE(IsWindowVisible(wnd));
  RECT expect{}, got{};
  GetWindowRect(wnd, &got);
  MapWindowPoints(nullptr, v->m_hWnd, reinterpret_cast<POINT *>(&got), 2);
  expect = v->RectToDevice(item->GetDeviceRect(v));
  EXPECT_NEAR(got.left, expect.left, 1);
  EXPECT_NEAR(got.top, expect.top, 1);
  EXPECT_NEAR(got.right, expect.right, 1);
  EXPECT_NEAR(got.bottom, expect.bottom, 1);

  // Moving the object moves fwsrv's window with it.
  item->MoveTo(v->RectToLogical(RECT{100, 80, 300, 180}), v);
  pump_for(
      [&] {
        RECT r{};
        GetWindowRect(wnd, &r);
        MapWindowPoints(nullptr, v->m_hWnd, reinterpret_cast<POINT *>(&r), 2);
        return std::abs(r.left - v->RectToDevice(item->GetDeviceRect(v)).left) <= 1;
      },
      5000);
  GetWindowRect(wnd, &got);
  MapWindowPoints(nullptr, v->m_hWnd, reinterpret_cast<POINT *>(&got), 2);
  expect = v->RectToDevice(item->GetDeviceRect(v));
  EXPECT_NEAR(got.left, expect.left, 1);
  EXPECT_NEAR(got.top, expect.top, 1);

  // The menus: fwsrv's behind the editor's first. A menu made in another process
  // cannot be used here under Wine (SetMenu answers ERROR_INVALID_MENU_HANDLE), so
  // there the editor keeps its own menu; the call's result is kept on the item.
  const HRESULT merged = item->GetMenuMergeResult();
  if (SUCCEEDED(merged)) {
    const std::vector<std::string> texts = menu_texts(GetMenu(main));
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], ownTexts[0]);
    EXPECT_EQ(texts[1], "fwsrv &Red");
  } else {
    EXPECT_EQ(merged, HRESULT_FROM_WIN32(ERROR_INVALID_MENU_HANDLE)) << std::hex << merged;
    EXPECT_EQ(GetMenu(main), own);
  }
  // fwsrv's view paints red in the object's place (fwsrv paints when it gets to it).
  RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r{};
  std::vector<uint32_t> px;
  RECT obj{};
  GetWindowRect(wnd, &obj);
  const bool red = pump_for(
      [&] {
        px = screen_capture(main, r);
        const LONG x = (obj.left + obj.right) / 2 - r.left, y = (obj.top + obj.bottom) / 2 - r.top;
        return px[size_t(y) * size_t(r.right - r.left) + size_t(x)] == 0xFF0000u;
      },
      30000);
  write_png(INK_PICTURE_DIR "/inplace_fwsrv.png", r.right - r.left, r.bottom - r.top, px);
  EXPECT_TRUE(red) << "fwsrv's view not seen in the object's place";

  // Leaving: the window goes, the editor's menu is back, the object is loaded again.
  item->Deactivate();
  ASSERT_TRUE(pump_for([&] { return item->GetItemState() == COleClientItem::loadedState; }, 10000));
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(GetMenu(main), own);
  EXPECT_EQ(menu_texts(GetMenu(main)), ownTexts);
  EXPECT_EQ(doc->GetInPlaceActiveItem(nullptr), nullptr);

  // Shown again and closed with the drawing's view: nothing is left in place.
  ASSERT_TRUE(item->DoVerb(OLEIVERB_SHOW, v));
  ASSERT_TRUE(pump_for([&] { return item->IsInPlaceActive() != FALSE; }, 10000));
  item->Close();
  pump_for([&] { return item->GetItemState() == COleClientItem::loadedState; }, 10000);
  EXPECT_FALSE(item->IsInPlaceActive());
  EXPECT_EQ(GetMenu(main), own);
  item->Delete();
  pump(5);
}

} // namespace

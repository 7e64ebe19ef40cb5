// In-place activation with container and server in one process, where the menus of
// both can be used: the server's view moves into the container's window at the item's
// place, the frame shows the container's first menu with the server's behind it, and
// deactivation gives everything back.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../common/pngwrite.h"
#include "../common/screencap.h"
#include "framework/dc.h"
#include "framework/olecli.h"
#include "framework/oledoc.h"
#include "framework/oleinit.h"
#include "framework/view.h"

namespace {

std::vector<std::string> texts(HMENU menu) {
  std::vector<std::string> out;
  for (int i = 0; menu && i < GetMenuItemCount(menu); i++) {
    char t[64] = "";
    GetMenuStringA(menu, UINT(i), t, sizeof t, MF_BYPOSITION);
    out.push_back(t);
  }
  return out;
}

void pumpAll() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

class BlueView : public CView {
public:
  void OnDraw(HDC dc) override {
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &r, blue);
    DeleteObject(blue);
  }
};

class SrvItem : public COleServerItem {
public:
  explicit SrvItem(COleServerDoc *doc) : COleServerItem(doc, TRUE) { m_sizeExtent = {5000, 2500}; }
  BOOL OnDraw(CDC *, SIZE &size) override {
    size = m_sizeExtent;
    return TRUE;
  }
};

class SrvDoc : public COleServerDoc {
public:
  SrvDoc() {
    m_bAutoDelete = FALSE;
    menu = CreateMenu();
    HMENU red = CreatePopupMenu();
    AppendMenuA(red, MF_STRING, 300, "&Paint");
    AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(red), "Srv &Blue");
  }
  ~SrvDoc() override { DestroyMenu(menu); }
  COleServerItem *OnGetEmbeddedItem() override { return new SrvItem(this); }
  HMENU GetInPlaceMenu() override { return menu; }
  HMENU menu;
};

// An item whose object is the server document itself (no COM in between).
class DirectItem : public COleClientItem {
public:
  explicit DirectItem(COleDocument *doc) : COleClientItem(doc) {}
  ~DirectItem() override { Detach(); }
  void Attach(IOleObject *object) {
    m_lpObject = object;
    object->AddRef();
    m_nItemState = loadedState;
    object->SetClientSite(GetClientSite());
  }
  void Detach() {
    if (m_lpObject) {
      m_lpObject->SetClientSite(nullptr);
      m_lpObject->Release();
    }
    m_lpObject = nullptr;
  }
  BOOL OnGetItemPosition(RECT &r) override {
    r = place;
    return TRUE;
  }
  RECT place{30, 40, 230, 140};
};

class ItemDoc : public COleDocument {
public:
  ItemDoc() { m_bAutoDelete = FALSE; }
};

TEST(InPlaceOneProcess, TheServersMenuIsMergedAndTheFramesComesBack) {
  ASSERT_TRUE(AfxOleInit());
  // The container: a frame with its own menu and a view in it.
  HMENU own = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, 100, "&Quit");
  AppendMenuA(own, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(own, MF_STRING, 101, "&Help");
  HWND frame = CreateWindowA("STATIC", "container", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 20, 20, 400,
                             300, nullptr, own, nullptr, nullptr);
  ASSERT_TRUE(frame);
  auto *view = new CView;
  ASSERT_TRUE(view->CreateEx(0, nullptr, "view", WS_CHILD | WS_VISIBLE, 0, 0, 380, 240, frame, nullptr));
  // The server: its document with a view in a hidden window of its own.
  HWND hidden = CreateWindowA("STATIC", "server", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
  auto *srvView = new BlueView;
  ASSERT_TRUE(srvView->CreateEx(0, nullptr, "srv", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, hidden, nullptr));
  SrvDoc srv;
  srv.AddView(srvView);
  srv.SetEmbedded(TRUE);

  ItemDoc container;
  auto *item = new DirectItem(&container);
  item->Attach(static_cast<IOleObject *>(srv.GetInterface()));
  ASSERT_TRUE(item->DoVerb(OLEIVERB_SHOW, view)) << std::hex << item->GetLastStatus();
  EXPECT_EQ(item->GetItemState(), UINT(COleClientItem::activeUIState));
  EXPECT_TRUE(srv.IsInPlaceActive());
  EXPECT_TRUE(srv.IsInPlaceUIActive());
  EXPECT_EQ(container.GetInPlaceActiveItem(view), item);

  HWND wnd = item->GetInPlaceWindow();
  ASSERT_TRUE(wnd);
  EXPECT_EQ(GetParent(wnd), view->m_hWnd);
  EXPECT_EQ(GetParent(srvView->m_hWnd), wnd);
  RECT r{};
  GetWindowRect(wnd, &r);
  MapWindowPoints(nullptr, view->m_hWnd, reinterpret_cast<POINT *>(&r), 2);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right, 230);
  EXPECT_EQ(r.bottom, 140);

  // The frame's first menu, then the server's.
  EXPECT_EQ(item->GetMenuMergeResult(), S_OK);
  EXPECT_EQ(srv.GetMenuMergeResult(), S_OK);
  EXPECT_NE(GetMenu(frame), own);
  EXPECT_EQ(texts(GetMenu(frame)), (std::vector<std::string>{"&File", "Srv &Blue"}));
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  pumpAll();
  RECT sr{};
  const std::vector<uint32_t> px = screen_capture(frame, sr);
  write_png(INK_PICTURE_DIR "/inplace_merged.png", sr.right - sr.left, sr.bottom - sr.top, px);

  // The item moves: the server's window follows.
  item->place = RECT{50, 60, 250, 160};
  EXPECT_TRUE(item->SetItemRects());
  GetWindowRect(wnd, &r);
  MapWindowPoints(nullptr, view->m_hWnd, reinterpret_cast<POINT *>(&r), 2);
  EXPECT_EQ(r.left, 50);
  EXPECT_EQ(r.top, 60);

  // UI deactivation: the frame's own menu is back, the object stays in place.
  item->DeactivateUI();
  EXPECT_EQ(item->GetItemState(), UINT(COleClientItem::activeState));
  EXPECT_EQ(GetMenu(frame), own);
  EXPECT_EQ(texts(own), (std::vector<std::string>{"&File", "&Help"}));
  EXPECT_EQ(texts(srv.menu), (std::vector<std::string>{"Srv &Blue"}));
  EXPECT_TRUE(IsWindow(wnd));

  // Deactivation: the window goes, the server's view returns to its own window.
  item->Deactivate();
  EXPECT_EQ(item->GetItemState(), UINT(COleClientItem::loadedState));
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_FALSE(srv.IsInPlaceActive());
  EXPECT_EQ(GetParent(srvView->m_hWnd), hidden);
  EXPECT_EQ(container.GetInPlaceActiveItem(nullptr), nullptr);
  // A popup menu of either side is still whole.
  EXPECT_EQ(GetMenuItemCount(file), 1);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(srv.menu, 0)), 1);

  item->Detach();
  container.RemoveItem(item);
  delete item;
  srv.RemoveView(srvView);
  DestroyWindow(hidden);
  DestroyWindow(frame);
}

} // namespace

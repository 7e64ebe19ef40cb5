// In-place activation, the server's side: the document's first view moves into an
// in-place window inside the container's window; while UI-active, the server's menus
// are merged with the container's first menu and shown in the container's frame.
#include <vector>

#include "framework/except.h"
#include "framework/oledoc.h"
#include "framework/view.h"
#include "framework/winapp.h"
#include "framework/wnd.h"

namespace {

const char kInPlaceClass[] = "AfxInPlaceWnd";

// The in-place window: the view it holds fills it.
LRESULT CALLBACK InPlaceProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZE)
    if (HWND child = GetWindow(wnd, GW_CHILD))
      MoveWindow(child, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
  if (msg == WM_SETFOCUS)
    if (HWND child = GetWindow(wnd, GW_CHILD)) {
      SetFocus(child);
      return 0;
    }
  return DefWindowProcA(wnd, msg, wp, lp);
}

bool RegisterInPlaceClass() {
  static bool done = false;
  if (done)
    return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = InPlaceProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kInPlaceClass;
  done = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return done;
}

} // namespace

HMENU COleServerDoc::GetInPlaceMenu() {
  CWnd *main = AfxGetMainWnd();
  return main && main->m_hWnd ? GetMenu(main->m_hWnd) : nullptr;
}

BOOL COleServerDoc::ActivateInPlace() {
  if (m_hWndInPlace)
    return m_bUIActive || ActivateUI();
  if (!m_bEmbedded || !m_lpClientSite)
    return FALSE;
  const std::vector<CView *> views = GetViews();
  if (views.empty() || !views.front()->m_hWnd || !RegisterInPlaceClass())
    return FALSE;
  IOleInPlaceSite *site = nullptr;
  if (FAILED(m_lpClientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void **>(&site))) || !site)
    return FALSE;
  if (site->CanInPlaceActivate() != S_OK || FAILED(site->OnInPlaceActivate())) {
    site->Release();
    return FALSE;
  }
  HWND parent = nullptr;
  RECT pos{}, clip{};
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof info;
  IOleInPlaceFrame *frame = nullptr;
  IOleInPlaceUIWindow *uiDoc = nullptr;
  HWND wnd = nullptr;
  if (SUCCEEDED(site->GetWindow(&parent)) && parent &&
      SUCCEEDED(site->GetWindowContext(&frame, &uiDoc, &pos, &clip, &info)))
    wnd = CreateWindowExA(0, kInPlaceClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, pos.left, pos.top,
                          pos.right - pos.left, pos.bottom - pos.top, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!wnd) {
    if (frame)
      frame->Release();
    if (uiDoc)
      uiDoc->Release();
    site->OnInPlaceDeactivate();
    site->Release();
    return FALSE;
  }
  m_lpInPlaceSite = site;
  m_lpInPlaceFrame = frame;
  m_lpInPlaceDoc = uiDoc;
  m_hWndInPlace = wnd;
  // The view leaves its own (hidden) frame for the in-place window.
  HWND view = views.front()->m_hWnd;
  m_hWndViewParent = GetParent(view);
  GetWindowRect(view, &m_rectViewInFrame);
  MapWindowPoints(nullptr, m_hWndViewParent, reinterpret_cast<POINT *>(&m_rectViewInFrame), 2);
  SetParent(view, wnd);
  MoveWindow(view, 0, 0, pos.right - pos.left, pos.bottom - pos.top, TRUE);
  ShowWindow(view, SW_SHOW);
  ShowWindow(wnd, SW_SHOW);
  RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  if (m_lpClientSite)
    m_lpClientSite->ShowObject();
  return ActivateUI();
}

BOOL COleServerDoc::ActivateUI() {
  if (!m_lpInPlaceSite || !m_hWndInPlace)
    return FALSE;
  if (m_bUIActive)
    return TRUE;
  m_lpInPlaceSite->OnUIActivate();
  m_bUIActive = TRUE;
  m_hrMenu = S_OK;
  if (m_lpInPlaceFrame) {
    m_hSharedMenu = CreateMenu();
    OLEMENUGROUPWIDTHS widths{};
    const HRESULT inserted = m_lpInPlaceFrame->InsertMenus(m_hSharedMenu, &widths);
    if (FAILED(inserted)) {
      m_hrMenu = inserted;
      for (LONG &w : widths.width)
        w = 0;
    }
    // The server's menus form the edit group, behind the container's file group.
    if (HMENU own = GetInPlaceMenu()) {
      UINT at = UINT(widths.width[0]);
      for (int i = 0; i < GetMenuItemCount(own); i++)
        if (HMENU popup = GetSubMenu(own, i)) {
          char text[128] = "";
          GetMenuStringA(own, UINT(i), text, sizeof text, MF_BYPOSITION);
          if (InsertMenuA(m_hSharedMenu, at, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                          text))
            at++, widths.width[1]++;
        }
    }
    m_hOleMenu = OleCreateMenuDescriptor(m_hSharedMenu, &widths);
    const HRESULT shown = m_lpInPlaceFrame->SetMenu(m_hSharedMenu, m_hOleMenu, m_hWndInPlace);
    if (SUCCEEDED(m_hrMenu))
      m_hrMenu = shown;
    m_lpInPlaceFrame->SetActiveObject(&m_xInPlace, nullptr);
  }
  if (m_lpInPlaceDoc)
    m_lpInPlaceDoc->SetActiveObject(&m_xInPlace, nullptr);
  if (HWND view = GetWindow(m_hWndInPlace, GW_CHILD))
    SetFocus(view);
  return TRUE;
}

void COleServerDoc::OnDeactivateUI(BOOL undoable) {
  if (!m_bUIActive)
    return;
  m_bUIActive = FALSE;
  if (m_lpInPlaceFrame) {
    m_lpInPlaceFrame->SetStatusText(nullptr); // the frame's message text is cleared
    m_lpInPlaceFrame->SetActiveObject(nullptr, nullptr);
    m_lpInPlaceFrame->SetMenu(nullptr, nullptr, nullptr);
  }
  if (m_lpInPlaceDoc)
    m_lpInPlaceDoc->SetActiveObject(nullptr, nullptr);
  if (m_hSharedMenu) {
    // The popups belong to their menus: only the shared bar goes.
    if (HMENU own = GetInPlaceMenu())
      for (int i = GetMenuItemCount(m_hSharedMenu) - 1; i >= 0; i--)
        for (int k = 0; k < GetMenuItemCount(own); k++)
          if (GetSubMenu(m_hSharedMenu, i) && GetSubMenu(m_hSharedMenu, i) == GetSubMenu(own, k)) {
            RemoveMenu(m_hSharedMenu, UINT(i), MF_BYPOSITION);
            break;
          }
    if (m_lpInPlaceFrame)
      m_lpInPlaceFrame->RemoveMenus(m_hSharedMenu);
    while (GetMenuItemCount(m_hSharedMenu) > 0)
      RemoveMenu(m_hSharedMenu, 0, MF_BYPOSITION);
    DestroyMenu(m_hSharedMenu);
    m_hSharedMenu = nullptr;
  }
  if (m_hOleMenu)
    OleDestroyMenuDescriptor(m_hOleMenu);
  m_hOleMenu = nullptr;
  if (m_lpInPlaceSite)
    m_lpInPlaceSite->OnUIDeactivate(undoable);
}

void COleServerDoc::OnDeactivate() {
  if (!m_hWndInPlace)
    return;
  ExternalAddRef(); // the container may let go of the object meanwhile
  OnDeactivateUI(FALSE);
  HWND wnd = m_hWndInPlace;
  if (HWND view = GetWindow(wnd, GW_CHILD)) {
    ShowWindow(view, SW_HIDE);
    SetParent(view, m_hWndViewParent);
    MoveWindow(view, m_rectViewInFrame.left, m_rectViewInFrame.top, m_rectViewInFrame.right - m_rectViewInFrame.left,
               m_rectViewInFrame.bottom - m_rectViewInFrame.top, FALSE);
    ShowWindow(view, SW_SHOW);
  }
  m_hWndInPlace = nullptr;
  DestroyWindow(wnd);
  if (m_lpInPlaceFrame)
    m_lpInPlaceFrame->Release();
  m_lpInPlaceFrame = nullptr;
  if (m_lpInPlaceDoc)
    m_lpInPlaceDoc->Release();
  m_lpInPlaceDoc = nullptr;
  if (IOleInPlaceSite *site = m_lpInPlaceSite) {
    m_lpInPlaceSite = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
  }
  ExternalRelease();
}

void COleServerDoc::OnSetItemRects(const RECT *pos, const RECT *) {
  if (m_hWndInPlace && pos)
    MoveWindow(m_hWndInPlace, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
}

// ---------------------------------------------------- COleServerDoc::XInPlace

HRESULT COleServerDoc::XInPlace::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject)) {
    *out = static_cast<IOleInPlaceObject *>(this);
  } else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) {
    *out = static_cast<IOleInPlaceActiveObject *>(this);
  } else {
    return doc->ExternalQueryInterface(iid, out);
  }
  doc->ExternalAddRef();
  return S_OK;
}

HRESULT COleServerDoc::XInPlace::GetWindow(HWND *wnd) {
  if (!wnd)
    return E_POINTER;
  *wnd = doc->m_hWndInPlace;
  return *wnd ? S_OK : E_FAIL;
}

HRESULT COleServerDoc::XInPlace::InPlaceDeactivate() {
  try {
    doc->OnDeactivate();
  } catch (const CException &e) {
    return HRESULT(COleException::Process(e));
  }
  return S_OK;
}

HRESULT COleServerDoc::XInPlace::UIDeactivate() {
  try {
    doc->OnDeactivateUI(FALSE);
  } catch (const CException &e) {
    return HRESULT(COleException::Process(e));
  }
  return S_OK;
}

HRESULT COleServerDoc::XInPlace::SetObjectRects(LPCRECT pos, LPCRECT clip) {
  if (!pos)
    return E_INVALIDARG;
  try {
    doc->OnSetItemRects(pos, clip);
  } catch (const CException &e) {
    return HRESULT(COleException::Process(e));
  }
  return S_OK;
}

HRESULT COleServerDoc::XInPlace::OnFrameWindowActivate(BOOL activate) {
  doc->OnFrameWindowActivate(activate);
  return S_OK;
}

HRESULT COleServerDoc::XInPlace::OnDocWindowActivate(BOOL activate) {
  doc->OnDocWindowActivate(activate);
  return S_OK;
}

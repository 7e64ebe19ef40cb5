// In-place activation, the container's side: the item's in-place site (the view the
// object sits in and its place there) and the frame the server merges its menus into.
//
// Positions: OnGetItemPosition and OnChangeItemPosition speak in logical units of the
// view (as its OnPrepareDC sets them up); the server is told device pixels of the view.
#include "framework/olecli.h"

#include "framework/frame.h"
#include "framework/view.h"
#include "framework/winapp.h"

namespace {

// Converts between the view's logical units and its device pixels.
void ViewConvert(CView *view, RECT &r, bool toDevice) {
  HDC dc = GetDC(view->m_hWnd);
  view->OnPrepareDC(dc);
  POINT p[2] = {{r.left, r.top}, {r.right, r.bottom}};
  if (toDevice)
    LPtoDP(dc, p, 2);
  else
    DPtoLP(dc, p, 2);
  ReleaseDC(view->m_hWnd, dc);
  r = RECT{p[0].x < p[1].x ? p[0].x : p[1].x, p[0].y < p[1].y ? p[0].y : p[1].y, p[0].x < p[1].x ? p[1].x : p[0].x,
           p[0].y < p[1].y ? p[1].y : p[0].y};
}

} // namespace

COleClientItem *COleDocument::GetInPlaceActiveItem(CView *view) const {
  for (CDocItem *i : m_items)
    if (auto *item = dynamic_cast<COleClientItem *>(i))
      if (item->IsInPlaceActive() && (!view || item->GetActiveView() == view))
        return item;
  return nullptr;
}

HWND COleClientItem::FrameWindow() const {
  if (CWnd *main = AfxGetMainWnd(); main && main->m_hWnd)
    return main->m_hWnd;
  if (m_pView && m_pView->m_hWnd)
    return GetAncestor(m_pView->m_hWnd, GA_ROOT);
  return nullptr;
}

BOOL COleClientItem::ItemDeviceRect(RECT &rect) {
  if (!m_pView || !m_pView->m_hWnd)
    return FALSE;
  RECT r{};
  if (!OnGetItemPosition(r))
    return FALSE;
  ViewConvert(m_pView, r, true);
  rect = r;
  return TRUE;
}

BOOL COleClientItem::SetItemRects(const RECT *pos, const RECT *clip) {
  if (!m_lpInPlaceObject || !m_pView)
    return FALSE;
  RECT p{}, c{};
  if (pos)
    p = *pos;
  else if (!ItemDeviceRect(p))
    return FALSE;
  if (clip)
    c = *clip;
  else
    GetClientRect(m_pView->m_hWnd, &c);
  m_scLast = m_lpInPlaceObject->SetObjectRects(&p, &c);
  return SUCCEEDED(m_scLast);
}

void COleClientItem::DeactivateUI() {
  if (m_lpInPlaceObject && m_nItemState == activeUIState)
    m_scLast = m_lpInPlaceObject->UIDeactivate();
}

void COleClientItem::Deactivate() {
  if (!m_lpInPlaceObject) {
    if (IsInPlaceActive())
      m_xInPlaceSite.OnInPlaceDeactivate();
    return;
  }
  IOleInPlaceObject *object = m_lpInPlaceObject;
  object->AddRef();
  m_scLast = object->InPlaceDeactivate();
  object->Release();
  // A server that went away without telling: the item leaves the view all the same.
  if (m_lpInPlaceObject)
    m_xInPlaceSite.OnInPlaceDeactivate();
}

HWND COleClientItem::GetInPlaceWindow() {
  HWND wnd = nullptr;
  if (!m_lpInPlaceObject || FAILED(m_lpInPlaceObject->GetWindow(&wnd)))
    return nullptr;
  return wnd;
}

// ------------------------------------------------------------ in-place site

HRESULT COleClientItem::XInPlaceSite::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IOleInPlaceSite) || IsEqualIID(iid, IID_IOleWindow)) {
    *out = static_cast<IOleInPlaceSite *>(this);
    return S_OK;
  }
  return item->GetClientSite()->QueryInterface(iid, out);
}

HRESULT COleClientItem::XInPlaceSite::GetWindow(HWND *wnd) {
  if (!wnd)
    return E_POINTER;
  *wnd = item->m_pView ? item->m_pView->m_hWnd : nullptr;
  return *wnd ? S_OK : E_FAIL;
}

HRESULT COleClientItem::XInPlaceSite::CanInPlaceActivate() {
  // Only the content is shown in place; an icon opens in the server's window.
  return item->m_pView && item->m_pView->m_hWnd && item->m_nDrawAspect == DVASPECT_CONTENT ? S_OK : S_FALSE;
}

HRESULT COleClientItem::XInPlaceSite::OnInPlaceActivate() {
  if (!item->m_lpObject)
    return E_UNEXPECTED;
  // Wine's default handler does not hand out the interfaces of a server in another
  // process that it does not know itself: then the in-place object comes with the
  // active object the server gives the frame (SetActiveObject).
  if (!item->m_lpInPlaceObject &&
      FAILED(item->m_lpObject->QueryInterface(IID_IOleInPlaceObject,
                                               reinterpret_cast<void **>(&item->m_lpInPlaceObject))))
    item->m_lpInPlaceObject = nullptr;
  // The view's own painting leaves the object's window alone.
  if (item->m_pView && item->m_pView->m_hWnd) {
    HWND view = item->m_pView->m_hWnd;
    SetWindowLongPtrA(view, GWL_STYLE, GetWindowLongPtrA(view, GWL_STYLE) | WS_CLIPCHILDREN);
  }
  item->OnActivate();
  item->OnChange(OLE_CHANGED_STATE, item->m_nItemState);
  return S_OK;
}

HRESULT COleClientItem::XInPlaceSite::OnUIActivate() {
  // One object UI-active in the document at a time.
  if (COleDocument *doc = static_cast<COleDocument *>(item->m_pDocument))
    for (CDocItem *i : doc->GetItems())
      if (auto *other = dynamic_cast<COleClientItem *>(i); other && other != item && other->m_nItemState == activeUIState)
        other->DeactivateUI();
  item->OnActivateUI();
  item->OnChange(OLE_CHANGED_STATE, item->m_nItemState);
  return S_OK;
}

HRESULT COleClientItem::XInPlaceSite::GetWindowContext(IOleInPlaceFrame **frame, IOleInPlaceUIWindow **doc, RECT *pos,
                                                       RECT *clip, OLEINPLACEFRAMEINFO *info) {
  if (!frame || !doc || !pos || !clip || !info)
    return E_POINTER;
  *frame = nullptr;
  *doc = nullptr;
  if (!item->m_pView || !item->m_pView->m_hWnd)
    return E_FAIL;
  if (!item->ItemDeviceRect(*pos))
    GetClientRect(item->m_pView->m_hWnd, pos);
  GetClientRect(item->m_pView->m_hWnd, clip);
  *frame = &item->m_xFrame;
  info->cb = sizeof *info;
  info->fMDIApp = FALSE;
  info->hwndFrame = item->FrameWindow();
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

HRESULT COleClientItem::XInPlaceSite::OnUIDeactivate(BOOL undoable) {
  item->OnDeactivateUI(undoable);
  item->OnChange(OLE_CHANGED_STATE, item->m_nItemState);
  // The view takes the keyboard back from the object's window.
  if (item->m_pView && item->m_pView->m_hWnd && IsWindow(item->m_pView->m_hWnd))
    SetFocus(item->m_pView->m_hWnd);
  return S_OK;
}

HRESULT COleClientItem::XInPlaceSite::OnInPlaceDeactivate() {
  if (item->m_lpActiveObject) {
    item->m_lpActiveObject->Release();
    item->m_lpActiveObject = nullptr;
  }
  if (item->m_lpInPlaceObject) {
    item->m_lpInPlaceObject->Release();
    item->m_lpInPlaceObject = nullptr;
  }
  if (item->IsInPlaceActive()) {
    item->OnDeactivate();
    item->OnChange(OLE_CHANGED_STATE, item->m_nItemState);
  }
  return S_OK;
}

HRESULT COleClientItem::XInPlaceSite::DeactivateAndUndo() {
  if (item->m_lpInPlaceObject)
    item->m_lpInPlaceObject->UIDeactivate();
  return S_OK;
}

HRESULT COleClientItem::XInPlaceSite::OnPosRectChange(LPCRECT pos) {
  if (!pos || !item->m_pView)
    return E_INVALIDARG;
  RECT logical = *pos;
  ViewConvert(item->m_pView, logical, false);
  if (!item->OnChangeItemPosition(logical))
    return E_FAIL;
  item->SetItemRects();
  return S_OK;
}

// ----------------------------------------------------------------- frame

HRESULT COleClientItem::XFrame::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceUIWindow) ||
      IsEqualIID(iid, IID_IOleInPlaceFrame)) {
    *out = static_cast<IOleInPlaceFrame *>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT COleClientItem::XFrame::GetWindow(HWND *wnd) {
  if (!wnd)
    return E_POINTER;
  *wnd = item->FrameWindow();
  return *wnd ? S_OK : E_FAIL;
}

HRESULT COleClientItem::XFrame::GetBorder(RECT *border) {
  if (!border)
    return E_POINTER;
  HWND wnd = item->FrameWindow();
  if (!wnd)
    return E_FAIL;
  GetClientRect(wnd, border);
  return S_OK;
}

HRESULT COleClientItem::XFrame::SetBorderSpace(LPCBORDERWIDTHS widths) {
  // No tool space is given: only a request for none is met.
  if (!widths || (widths->left == 0 && widths->top == 0 && widths->right == 0 && widths->bottom == 0))
    return S_OK;
  return OLE_E_INVALIDRECT;
}

HRESULT COleClientItem::XFrame::SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR) {
  if (object && !item->m_lpInPlaceObject && item->IsInPlaceActive())
    object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void **>(&item->m_lpInPlaceObject));
  if (object)
    object->AddRef();
  if (item->m_lpActiveObject)
    item->m_lpActiveObject->Release();
  item->m_lpActiveObject = object;
  return S_OK;
}

// The frame's first menu (its file menu) makes the container's group; the server
// adds its own menus behind it.
HRESULT COleClientItem::XFrame::InsertMenus(HMENU shared, OLEMENUGROUPWIDTHS *widths) {
  if (!widths)
    return E_POINTER;
  for (LONG &w : widths->width)
    w = 0;
  HWND wnd = item->FrameWindow();
  HMENU own = item->m_hMenuFrame ? item->m_hMenuFrame : wnd ? GetMenu(wnd) : nullptr;
  if (!own || GetMenuItemCount(own) < 1)
    return S_OK;
  char text[128] = "";
  GetMenuStringA(own, 0, text, sizeof text, MF_BYPOSITION);
  HMENU popup = GetSubMenu(own, 0);
  if (!popup)
    return S_OK;
  SetLastError(0);
  if (!InsertMenuA(shared, 0, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), text))
    return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_MENU_HANDLE);
  widths->width[0] = 1;
  return S_OK;
}

HRESULT COleClientItem::XFrame::SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) {
  HWND wnd = item->FrameWindow();
  if (!wnd)
    return E_FAIL;
  HRESULT hr = S_OK;
  if (shared) {
    if (!item->m_hMenuFrame)
      item->m_hMenuFrame = GetMenu(wnd);
    SetLastError(0);
    if (!::SetMenu(wnd, shared))
      hr = HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_MENU_HANDLE);
  } else if (item->m_hMenuFrame) {
    ::SetMenu(wnd, item->m_hMenuFrame);
    item->m_hMenuFrame = nullptr;
  }
  item->m_hrMenu = hr;
  if (SUCCEEDED(hr))
    OleSetMenuDescriptor(shared ? descriptor : nullptr, wnd, activeObject, this, item->m_lpActiveObject);
  DrawMenuBar(wnd);
  return hr;
}

HRESULT COleClientItem::XFrame::RemoveMenus(HMENU shared) {
  HWND wnd = item->FrameWindow();
  HMENU own = item->m_hMenuFrame ? item->m_hMenuFrame : wnd ? GetMenu(wnd) : nullptr;
  HMENU popup = own ? GetSubMenu(own, 0) : nullptr;
  // Only the container's own menu leaves the shared one (RemoveMenu keeps it alive).
  for (int i = GetMenuItemCount(shared) - 1; popup && i >= 0; i--)
    if (GetSubMenu(shared, i) == popup)
      RemoveMenu(shared, UINT(i), MF_BYPOSITION);
  return S_OK;
}

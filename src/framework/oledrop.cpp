#include "framework/oledrop.h"

#include "framework/view.h"

COleDropTarget::COleDropTarget() { m_xDropTarget.owner = this; }

COleDropTarget::~COleDropTarget() { Revoke(); }

BOOL COleDropTarget::Register(CView *view) {
  if (!view || !view->m_hWnd)
    return FALSE;
  Revoke();
  if (FAILED(RegisterDragDrop(view->m_hWnd, &m_xDropTarget)))
    return FALSE;
  m_pView = view;
  m_hWnd = view->m_hWnd;
  view->m_pDropTarget = this;
  return TRUE;
}

void COleDropTarget::Revoke() {
  if (m_hWnd)
    RevokeDragDrop(m_hWnd);
  if (m_pView && m_pView->m_pDropTarget == this)
    m_pView->m_pDropTarget = nullptr;
  m_dataObject.Release();
  m_pView = nullptr;
  m_hWnd = nullptr;
}

POINT COleDropTarget::ClientPoint(POINTL pt) const {
  POINT p{pt.x, pt.y};
  if (m_hWnd)
    ScreenToClient(m_hWnd, &p);
  return p;
}

HRESULT COleDropTarget::XDropTarget::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    *out = static_cast<IDropTarget *>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT COleDropTarget::XDropTarget::DragEnter(IDataObject *data, DWORD keyState, POINTL pt, DWORD *effect) {
  if (!effect)
    return E_INVALIDARG;
  *effect = DROPEFFECT_NONE;
  COleDropTarget *o = owner;
  if (!o->m_pView || !data)
    return S_OK;
  data->AddRef();
  o->m_dataObject.Attach(data, TRUE);
  *effect = o->m_pView->OnDragEnter(&o->m_dataObject, keyState, o->ClientPoint(pt));
  return S_OK;
}

HRESULT COleDropTarget::XDropTarget::DragOver(DWORD keyState, POINTL pt, DWORD *effect) {
  if (!effect)
    return E_INVALIDARG;
  *effect = DROPEFFECT_NONE;
  COleDropTarget *o = owner;
  if (o->m_pView && o->m_dataObject.m_lpDataObject)
    *effect = o->m_pView->OnDragOver(&o->m_dataObject, keyState, o->ClientPoint(pt));
  return S_OK;
}

HRESULT COleDropTarget::XDropTarget::DragLeave() {
  COleDropTarget *o = owner;
  if (o->m_pView)
    o->m_pView->OnDragLeave();
  o->m_dataObject.Release();
  return S_OK;
}

HRESULT COleDropTarget::XDropTarget::Drop(IDataObject *data, DWORD keyState, POINTL pt, DWORD *effect) {
  if (!effect)
    return E_INVALIDARG;
  COleDropTarget *o = owner;
  const DROPEFFECT offered = *effect;
  *effect = DROPEFFECT_NONE;
  if (!o->m_pView || !data) {
    o->m_dataObject.Release();
    return S_OK;
  }
  if (!o->m_dataObject.m_lpDataObject) {
    data->AddRef();
    o->m_dataObject.Attach(data, TRUE);
  }
  const POINT p = o->ClientPoint(pt);
  // The drop takes the effect the view last chose for this point, within what the source allows.
  DROPEFFECT chosen = o->m_pView->OnDragOver(&o->m_dataObject, keyState, p) & offered;
  if (chosen & DROPEFFECT_MOVE)
    chosen = DROPEFFECT_MOVE;
  else if (chosen & DROPEFFECT_COPY)
    chosen = DROPEFFECT_COPY;
  else if (chosen & DROPEFFECT_LINK)
    chosen = DROPEFFECT_LINK;
  if (chosen != DROPEFFECT_NONE && o->m_pView->OnDrop(&o->m_dataObject, chosen, p))
    *effect = chosen;
  else
    o->m_pView->OnDragLeave();
  o->m_dataObject.Release();
  return S_OK;
}

COleDropSource::COleDropSource() { m_xDropSource.owner = this; }

SCODE COleDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed)
    return DRAGDROP_S_CANCEL;
  if (!(keyState & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
    return DRAGDROP_S_DROP;
  return S_OK;
}

HRESULT COleDropSource::XDropSource::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
    *out = static_cast<IDropSource *>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

// The server document: the object a container embeds (IOleObject, IPersistStorage,
// IDataObject), with its embedded item rendering the data.
#include <algorithm>
#include <vector>

#include "framework/except.h"
#include "framework/frame.h"
#include "framework/oledata.h"
#include "framework/oledoc.h"
#include "framework/oledoc_internal.h"
#include "framework/olesrv.h"
#include "framework/view.h"
#include "framework/winapp.h"

IMPLEMENT_DYNAMIC(COleServerDoc, COleLinkingDoc)

using namespace oledoc_internal;

COleServerDoc::COleServerDoc() {
  m_xOle.doc = this;
  m_xInPlace.doc = this;
}

COleServerDoc::~COleServerDoc() {
  // The items go before the holders they report to.
  while (!m_items.empty())
    delete m_items.back();
  if (m_lpClientSite)
    m_lpClientSite->Release();
  if (m_lpOleAdviseHolder)
    m_lpOleAdviseHolder->Release();
}

BOOL COleServerDoc::GetStorageClass(CLSID &clsid, CString &userType) const {
  if (IsEqualCLSID(m_clsid, CLSID_NULL))
    return FALSE;
  clsid = m_clsid;
  LPOLESTR type = nullptr;
  userType.Empty();
  if (SUCCEEDED(OleRegGetUserType(m_clsid, USERCLASSTYPE_FULL, &type)) && type) {
    userType = Narrow(type);
    CoTaskMemFree(type);
  }
  return TRUE;
}

COleServerItem *COleServerDoc::GetEmbeddedItem() {
  if (!m_pEmbeddedItem) {
    m_pEmbeddedItem = OnGetEmbeddedItem();
    if (m_pEmbeddedItem)
      AddItem(m_pEmbeddedItem);
  }
  return m_pEmbeddedItem;
}

ULONG COleServerDoc::ExternalAddRef() { return ++m_dwRef; }

ULONG COleServerDoc::ExternalRelease() {
  if (m_dwRef == 0)
    return 0;
  const ULONG left = --m_dwRef;
  if (left == 0) {
    if (m_bInClose) {
      if (m_bDeleteOnRelease)
        delete this;
    } else if (m_bCloseOnRelease && (m_bEmbedded || GetPathName().IsEmpty() || !AfxOleGetUserCtrl())) {
      // A file a link opened stays while the user has the program: its window may
      // hold the user's changes.
      OnCloseDocument();
    }
  }
  return left;
}

IMoniker *COleServerDoc::GetMoniker(OLEGETMONIKER assign) {
  if (m_lpClientSite) {
    IMoniker *moniker = nullptr;
    if (FAILED(m_lpClientSite->GetMoniker(assign, OLEWHICHMK_OBJFULL, &moniker)))
      return nullptr;
    return moniker;
  }
  return COleLinkingDoc::GetMoniker(assign);
}

BOOL COleServerDoc::OnNewDocument() {
  if (!COleLinkingDoc::OnNewDocument())
    return FALSE;
  return TRUE;
}

void COleServerDoc::NotifyChanged() {
  if (COleServerItem *item = m_pEmbeddedItem)
    item->NotifyChanged(DVASPECT_CONTENT);
}

void COleServerDoc::NotifySaved() {
  if (m_lpOleAdviseHolder)
    m_lpOleAdviseHolder->SendOnSave();
}

void COleServerDoc::NotifyClosed() {
  if (m_lpOleAdviseHolder)
    m_lpOleAdviseHolder->SendOnClose();
}

void COleServerDoc::UpdateAllItems(COleServerItem *sender, LPARAM hint, CObject *hintObject, DVASPECT aspect) {
  size_t pos = 0;
  while (COleServerItem *item = GetNextServerItem(pos))
    if (item != sender)
      item->OnUpdate(sender, hint, hintObject, aspect);
}

BOOL COleServerDoc::OnUpdateDocument() {
  if (m_bEmbedded && m_lpClientSite) {
    const HRESULT hr = m_lpClientSite->SaveObject();
    if (FAILED(hr))
      return FALSE;
  }
  return TRUE;
}

void COleServerDoc::OnClose(OLECLOSE saveOption) {
  OnDeactivate();
  if (m_bEmbedded && IsModified() && saveOption != OLECLOSE_NOSAVE)
    OnUpdateDocument();
  m_bClosing = TRUE;
  OnCloseDocument();
}

void COleServerDoc::OnCloseDocument() {
  if (m_bInClose)
    return;
  // The view goes back to its own frame before the frames go.
  OnDeactivate();
  m_bInClose = TRUE;
  m_bClosing = TRUE;
  ++m_dwRef; // the object outlives its close
  NotifyClosed();
  if (m_lpClientSite) {
    IOleClientSite *site = m_lpClientSite;
    m_lpClientSite = nullptr;
    site->OnShowWindow(FALSE);
    site->Release();
  }
  if (m_lpOleAdviseHolder) {
    m_lpOleAdviseHolder->Release();
    m_lpOleAdviseHolder = nullptr;
  }
  // A data advise holder keeps our data interface: let go of it, or the document
  // would keep itself.
  size_t pos = 0;
  while (COleServerItem *item = GetNextServerItem(pos)) {
    if (IDataAdviseHolder *holder = item->m_lpDataAdviseHolder) {
      item->m_lpDataAdviseHolder = nullptr;
      holder->Release();
    }
    if (IOleAdviseHolder *holder = item->m_lpOleAdviseHolder) {
      item->m_lpOleAdviseHolder = nullptr;
      holder->SendOnClose();
      holder->Release();
    }
  }
  // No new link finds the document.
  Revoke();
  // Containers and links lose their connections; their later calls fail instead of
  // reaching us. The items stay with the document until it goes.
  CoDisconnectObject(GetInterface(), 0);
  const std::vector<CDocItem *> items = m_items;
  for (CDocItem *i : items)
    if (auto *item = dynamic_cast<COleServerItem *>(i))
      if (std::find(m_items.begin(), m_items.end(), i) != m_items.end())
        CoDisconnectObject(item->GetInterface(), 0);
  const BOOL autoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;
  COleLinkingDoc::OnCloseDocument(); // frames and views go
  m_bAutoDelete = autoDelete;
  if (--m_dwRef == 0) {
    if (autoDelete)
      delete this;
  } else {
    m_bDeleteOnRelease = autoDelete;
  }
}

void COleServerDoc::OnNewEmbedding(IStorage *storage) {
  const BOOL userCtrl = AfxOleGetUserCtrl();
  if (m_lpRootStg)
    m_lpRootStg->Release();
  m_lpRootStg = storage;
  storage->AddRef();
  m_bSameAsLoad = TRUE;
  m_bEmbedded = TRUE;
  if (!OnNewDocument())
    AfxThrowMemoryException();
  SetModifiedFlag(TRUE); // a new embedding is not stored yet
  AfxOleSetUserCtrl(userCtrl);
}

void COleServerDoc::OnOpenEmbedding(IStorage *storage) {
  const BOOL userCtrl = AfxOleGetUserCtrl();
  if (m_lpRootStg)
    m_lpRootStg->Release();
  m_lpRootStg = storage;
  storage->AddRef();
  m_bSameAsLoad = TRUE;
  m_bEmbedded = TRUE;
  // The document reads its storage (no path): OnOpenDocument throws what went wrong.
  if (!OnOpenDocument(nullptr))
    AfxThrowOleException(E_FAIL);
  AfxOleSetUserCtrl(userCtrl);
}

void COleServerDoc::OnSaveEmbedding(IStorage *storage) {
  IStorage *old = m_lpRootStg;
  const BOOL sameAsLoad = m_bSameAsLoad;
  const BOOL remember = m_bRemember;
  if (storage && storage != old)
    m_lpRootStg = storage;
  m_bRemember = FALSE;
  try {
    if (!OnSaveDocument(nullptr))
      AfxThrowOleException(E_FAIL);
  } catch (...) {
    m_lpRootStg = old;
    m_bSameAsLoad = sameAsLoad;
    m_bRemember = remember;
    throw;
  }
  m_lpRootStg = old;
  m_bRemember = remember;
}

void COleServerDoc::OnShowDocument(BOOL show) {
  CWinApp *app = AfxGetApp();
  CWnd *mainWnd = app ? app->m_pMainWnd : nullptr;
  const std::vector<CView *> views = GetViews();
  if (show) {
    if (!views.empty())
      if (CFrameWnd *frame = views.front()->GetParentFrame()) {
        if (mainWnd && mainWnd->m_hWnd && frame != mainWnd) {
          ::ShowWindow(mainWnd->m_hWnd, IsIconic(mainWnd->m_hWnd) ? SW_RESTORE : SW_SHOW);
          SetForegroundWindow(mainWnd->m_hWnd);
        }
        frame->ActivateFrame(SW_SHOW);
        frame->InitialUpdateFrame(this, TRUE);
      }
    if (mainWnd && mainWnd->m_hWnd && !IsWindowVisible(mainWnd->m_hWnd))
      ::ShowWindow(mainWnd->m_hWnd, SW_SHOW);
    if (!m_bEmbedded)
      AfxOleSetUserCtrl(TRUE);
  } else {
    for (CView *v : views)
      if (CFrameWnd *frame = v->GetParentFrame())
        ::ShowWindow(frame->m_hWnd, SW_HIDE);
    if (!AfxOleGetUserCtrl() && mainWnd && mainWnd->m_hWnd)
      ::ShowWindow(mainWnd->m_hWnd, SW_HIDE);
  }
}

// ---------------------------------------------------- COleServerDoc::XOle

HRESULT COleServerDoc::XOle::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject))
    *out = static_cast<IOleObject *>(this);
  else if (IsEqualIID(iid, IID_IPersistStorage) || IsEqualIID(iid, IID_IPersist))
    *out = static_cast<IPersistStorage *>(this);
  else if (IsEqualIID(iid, IID_IDataObject))
    *out = static_cast<IDataObject *>(this);
  else if (IsEqualIID(iid, IID_IPersistFile))
    *out = doc->GetPersistFile();
  else if (IsEqualIID(iid, IID_IOleInPlaceObject) || IsEqualIID(iid, IID_IOleWindow))
    *out = static_cast<IOleInPlaceObject *>(&doc->m_xInPlace);
  else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
    *out = static_cast<IOleInPlaceActiveObject *>(&doc->m_xInPlace);
  else if (IsEqualIID(iid, IID_IOleItemContainer) || IsEqualIID(iid, IID_IOleContainer) ||
           IsEqualIID(iid, IID_IParseDisplayName))
    return doc->GetContainer()->QueryInterface(iid, out); // a moniker beyond the object names an item
  else
    return E_NOINTERFACE;
  doc->ExternalAddRef();
  return S_OK;
}

HRESULT COleServerDoc::XOle::SetClientSite(IOleClientSite *site) {
  if (site)
    site->AddRef();
  if (doc->m_lpClientSite)
    doc->m_lpClientSite->Release();
  doc->m_lpClientSite = site;
  return S_OK;
}

HRESULT COleServerDoc::XOle::GetClientSite(IOleClientSite **site) {
  if (!site)
    return E_POINTER;
  *site = doc->m_lpClientSite;
  if (*site)
    (*site)->AddRef();
  return S_OK;
}

HRESULT COleServerDoc::XOle::SetHostNames(LPCOLESTR app, LPCOLESTR obj) {
  try {
    doc->OnSetHostNames(Narrow(app), Narrow(obj));
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  return S_OK;
}

HRESULT COleServerDoc::XOle::Close(DWORD saveOption) { return CloseHeld(doc, saveOption); }

HRESULT COleServerDoc::XOle::GetMoniker(DWORD assign, DWORD which, IMoniker **out) {
  if (!out)
    return E_POINTER;
  // The document's own moniker names the whole object; there is none relative to it.
  *out = which == OLEWHICHMK_OBJREL ? nullptr : doc->GetMoniker(OLEGETMONIKER(assign));
  return *out ? S_OK : E_FAIL;
}

HRESULT COleServerDoc::XOle::GetClipboardData(DWORD, IDataObject **out) {
  if (out)
    *out = nullptr;
  return E_NOTIMPL;
}

HRESULT COleServerDoc::XOle::DoVerb(LONG verb, LPMSG, IOleClientSite *, LONG, HWND, LPCRECT) {
  doc->ExternalAddRef();
  HRESULT hr = S_OK;
  try {
    COleServerItem *item = doc->GetEmbeddedItem();
    if (!item)
      AfxThrowOleException(E_UNEXPECTED);
    item->OnDoVerb(verb);
  } catch (const CException &e) {
    hr = ScodeOf(e);
  }
  doc->ExternalRelease();
  return hr;
}

HRESULT COleServerDoc::XOle::EnumVerbs(IEnumOLEVERB **out) { return OleRegEnumVerbs(doc->m_clsid, out); }

HRESULT COleServerDoc::XOle::GetUserClassID(CLSID *clsid) {
  if (!clsid)
    return E_POINTER;
  *clsid = doc->m_clsid;
  return S_OK;
}

HRESULT COleServerDoc::XOle::GetUserType(DWORD form, LPOLESTR *type) {
  return OleRegGetUserType(doc->m_clsid, form, type);
}

HRESULT COleServerDoc::XOle::SetExtent(DWORD aspect, SIZEL *size) {
  if (!size)
    return E_INVALIDARG;
  try {
    COleServerItem *item = doc->GetEmbeddedItem();
    const SIZE s = {size->cx, size->cy};
    if (item && item->OnSetExtent(DVASPECT(aspect), s))
      return S_OK;
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  return E_FAIL;
}

HRESULT COleServerDoc::XOle::GetExtent(DWORD aspect, SIZEL *size) {
  try {
    return ExtentOf(doc->GetEmbeddedItem(), aspect, size);
  } catch (const CException &e) {
    return ScodeOf(e);
  }
}

HRESULT COleServerDoc::XOle::Advise(IAdviseSink *sink, DWORD *connection) {
  return AdviseOn(doc->m_lpOleAdviseHolder, sink, connection);
}

HRESULT COleServerDoc::XOle::Unadvise(DWORD connection) {
  return doc->m_lpOleAdviseHolder ? doc->m_lpOleAdviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT COleServerDoc::XOle::EnumAdvise(IEnumSTATDATA **out) { return EnumAdviseOf(doc->m_lpOleAdviseHolder, out); }

HRESULT COleServerDoc::XOle::GetMiscStatus(DWORD aspect, DWORD *status) {
  return OleRegGetMiscStatus(doc->m_clsid, aspect, status);
}

HRESULT COleServerDoc::XOle::IsDirty() { return doc->IsModified() ? S_OK : S_FALSE; }

HRESULT COleServerDoc::XOle::InitNew(IStorage *storage) {
  if (!storage)
    return E_INVALIDARG;
  try {
    doc->OnNewEmbedding(storage);
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  return S_OK;
}

HRESULT COleServerDoc::XOle::Load(IStorage *storage) {
  if (!storage)
    return E_INVALIDARG;
  try {
    doc->OnOpenEmbedding(storage);
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  return S_OK;
}

HRESULT COleServerDoc::XOle::Save(IStorage *storage, BOOL sameAsLoad) {
  if (!storage && !sameAsLoad)
    return E_INVALIDARG;
  try {
    doc->m_bSameAsLoad = sameAsLoad;
    doc->OnSaveEmbedding(sameAsLoad ? nullptr : storage);
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  return S_OK;
}

HRESULT COleServerDoc::XOle::SaveCompleted(IStorage *storage) {
  if (storage) {
    storage->AddRef();
    if (doc->m_lpRootStg)
      doc->m_lpRootStg->Release();
    doc->m_lpRootStg = storage;
  }
  if (doc->m_bSameAsLoad || storage)
    doc->SetModifiedFlag(FALSE);
  doc->m_bSameAsLoad = TRUE;
  doc->NotifySaved();
  return S_OK;
}

HRESULT COleServerDoc::XOle::HandsOffStorage() {
  if (doc->m_lpRootStg)
    doc->m_lpRootStg->Release();
  doc->m_lpRootStg = nullptr;
  return S_OK;
}

IDataObject *COleServerDoc::XOle::ItemData() {
  COleServerItem *item = doc->GetEmbeddedItem();
  return item && item->GetDataSource() ? item->GetDataSource()->GetDataObject() : nullptr;
}

HRESULT COleServerDoc::XOle::GetData(FORMATETC *formatEtc, STGMEDIUM *medium) {
  IDataObject *data = ItemData();
  return data ? data->GetData(formatEtc, medium) : E_UNEXPECTED;
}

HRESULT COleServerDoc::XOle::GetDataHere(FORMATETC *formatEtc, STGMEDIUM *medium) {
  IDataObject *data = ItemData();
  return data ? data->GetDataHere(formatEtc, medium) : E_UNEXPECTED;
}

HRESULT COleServerDoc::XOle::QueryGetData(FORMATETC *formatEtc) {
  IDataObject *data = ItemData();
  return data ? data->QueryGetData(formatEtc) : E_UNEXPECTED;
}

HRESULT COleServerDoc::XOle::GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) {
  IDataObject *data = ItemData();
  return data ? data->GetCanonicalFormatEtc(in, out) : E_UNEXPECTED;
}

HRESULT COleServerDoc::XOle::EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) {
  IDataObject *data = ItemData();
  return data ? data->EnumFormatEtc(direction, out) : E_UNEXPECTED;
}

HRESULT COleServerDoc::XOle::DAdvise(FORMATETC *formatEtc, DWORD flags, IAdviseSink *sink, DWORD *connection) {
  COleServerItem *item = doc->GetEmbeddedItem();
  if (!item)
    return E_UNEXPECTED;
  if (!item->m_lpDataAdviseHolder && FAILED(CreateDataAdviseHolder(&item->m_lpDataAdviseHolder)))
    return E_OUTOFMEMORY;
  return item->m_lpDataAdviseHolder->Advise(static_cast<IDataObject *>(this), formatEtc, flags, sink, connection);
}

HRESULT COleServerDoc::XOle::DUnadvise(DWORD connection) {
  COleServerItem *item = doc->m_pEmbeddedItem;
  return item && item->m_lpDataAdviseHolder ? item->m_lpDataAdviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT COleServerDoc::XOle::EnumDAdvise(IEnumSTATDATA **out) {
  if (out)
    *out = nullptr;
  COleServerItem *item = doc->m_pEmbeddedItem;
  return item && item->m_lpDataAdviseHolder ? item->m_lpDataAdviseHolder->EnumAdvise(out) : E_FAIL;
}

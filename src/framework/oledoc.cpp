#include "framework/oledoc.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/archive.h"
#include "framework/dc.h"
#include "framework/doctempl.h"
#include "framework/except.h"
#include "framework/frame.h"
#include "framework/metadc.h"
#include "framework/olecli.h"
#include "framework/oledata.h"
#include "framework/olefile.h"
#include "framework/oleinit.h"
#include "framework/olesrv.h"
#include "framework/view.h"
#include "framework/winapp.h"

IMPLEMENT_DYNAMIC(CDocItem, CObject)
IMPLEMENT_DYNAMIC(COleDocument, CObject)
IMPLEMENT_DYNAMIC(COleLinkingDoc, COleDocument)
IMPLEMENT_DYNAMIC(COleServerDoc, COleLinkingDoc)
IMPLEMENT_DYNAMIC(COleServerItem, CDocItem)

namespace {

std::wstring Wide(const char *s) {
  if (!s || !*s)
    return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  w.resize(wcslen(w.c_str()));
  return w;
}

CString Narrow(const wchar_t *w) {
  if (!w || !*w)
    return CString();
  int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, -1, &s[0], n, nullptr, nullptr);
  return CString(s.c_str());
}

// An exception as the result of an OLE call.
HRESULT ScodeOf(const CException &e) {
  if (auto *f = dynamic_cast<const CFileException *>(&e))
    if (f->m_lOsError != -1 && FAILED(HRESULT(f->m_lOsError)))
      return HRESULT(f->m_lOsError);
  if (dynamic_cast<const CArchiveException *>(&e) || dynamic_cast<const CFileException *>(&e))
    return STG_E_READFAULT;
  return HRESULT(COleException::Process(e));
}

// Closes a server document for a container's Close, holding it alive meanwhile.
HRESULT CloseHeld(COleServerDoc *doc, DWORD saveOption) {
  doc->ExternalAddRef();
  HRESULT hr = S_OK;
  try {
    doc->OnClose(OLECLOSE(saveOption));
  } catch (const CException &e) {
    hr = ScodeOf(e);
  }
  doc->ExternalRelease();
  return hr;
}

// An item's extent for a container's GetExtent (the document's embedded item or a linked one).
HRESULT ExtentOf(COleServerItem *item, DWORD aspect, SIZEL *size) {
  if (!size)
    return E_INVALIDARG;
  try {
    SIZE s = {0, 0};
    if (item && item->OnGetExtent(DVASPECT(aspect), s)) {
      size->cx = s.cx;
      size->cy = s.cy;
      return S_OK;
    }
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  return E_INVALIDARG;
}

// Advise connections of a document or an item, with the holder made on first use.
HRESULT AdviseOn(LPOLEADVISEHOLDER &holder, IAdviseSink *sink, DWORD *connection) {
  if (!holder && FAILED(CreateOleAdviseHolder(&holder)))
    return E_OUTOFMEMORY;
  return holder->Advise(sink, connection);
}

HRESULT EnumAdviseOf(LPOLEADVISEHOLDER holder, IEnumSTATDATA **out) {
  if (out)
    *out = nullptr;
  return holder ? holder->EnumAdvise(out) : E_FAIL;
}

} // namespace

// ---------------------------------------------------------------- CDocItem

CDocItem::~CDocItem() {
  if (m_pDocument)
    m_pDocument->RemoveItem(this);
}

// ------------------------------------------------------------ COleDocument

COleDocument::COleDocument() { AfxOleLockApp(); }

COleDocument::~COleDocument() {
  while (!m_items.empty())
    delete m_items.back(); // removes itself
  if (m_lpRootStg)
    m_lpRootStg->Release();
  m_lpRootStg = nullptr;
  AfxOleUnlockApp();
}

void COleDocument::AddItem(CDocItem *item) {
  if (!item || std::find(m_items.begin(), m_items.end(), item) != m_items.end())
    return;
  if (item->m_pDocument && item->m_pDocument != this)
    item->m_pDocument->RemoveItem(item);
  m_items.push_back(item);
  item->m_pDocument = this;
}

void COleDocument::RemoveItem(CDocItem *item) {
  auto it = std::find(m_items.begin(), m_items.end(), item);
  const bool held = it != m_items.end();
  if (held)
    m_items.erase(it);
  if (item && item->m_pDocument == this)
    item->m_pDocument = nullptr;
  if (held)
    OnItemRemoved(item);
}

CDocItem *COleDocument::GetNextItem(size_t &pos) const { return pos < m_items.size() ? m_items[pos++] : nullptr; }

COleServerItem *COleDocument::GetNextServerItem(size_t &pos) const {
  while (pos < m_items.size())
    if (auto *s = dynamic_cast<COleServerItem *>(m_items[pos++]))
      return s;
  return nullptr;
}

BOOL COleDocument::GetStorageClass(CLSID &, CString &) const { return FALSE; }

void COleDocument::SaveToStorage(CObject *object) {
  IStorage *storage = m_lpRootStg;
  if (!storage)
    AfxThrowOleException(E_UNEXPECTED);
  CLSID clsid;
  CString userType;
  if (GetStorageClass(clsid, userType)) {
    HRESULT hr = WriteClassStg(storage, clsid);
    if (FAILED(hr))
      AfxThrowOleException(hr);
    std::wstring w = Wide(userType);
    hr = WriteFmtUserTypeStg(storage, 0, const_cast<LPOLESTR>(w.c_str()));
    if (FAILED(hr))
      AfxThrowOleException(hr);
  }
  COleStreamFile file;
  CFileException fe;
  if (!file.CreateStream(storage, "Contents", CFile::modeReadWrite | CFile::shareExclusive | CFile::modeCreate, &fe))
    throw fe;
  {
    CArchive ar(&file, CArchive::store);
    ar.m_pDocument = this;
    try {
      if (object)
        object->Serialize(ar);
      else
        Serialize(ar);
      ar.Close();
    } catch (...) {
      ar.Abort();
      file.Abort();
      throw;
    }
  }
  file.Close();
  // A reused root still holds the objects of items deleted since.
  COleClientItem::RemoveStaleEmbeddings(this, storage);
  const HRESULT hr = storage->Commit(STGC_ONLYIFCURRENT);
  if (FAILED(hr))
    AfxThrowOleException(hr);
}

void COleDocument::LoadFromStorage() {
  if (!m_lpRootStg)
    AfxThrowOleException(E_UNEXPECTED);
  COleStreamFile file;
  CFileException fe;
  if (!file.OpenStream(m_lpRootStg, "Contents", CFile::modeRead | CFile::shareExclusive, &fe))
    throw fe;
  CArchive ar(&file, CArchive::load);
  ar.m_pDocument = this;
  try {
    Serialize(ar);
    ar.Close();
  } catch (...) {
    ar.Abort();
    file.Abort();
    throw;
  }
  file.Close();
}

void COleDocument::CommitItems(BOOL) {}

void COleDocument::Serialize(CArchive &ar) {
  if (ar.IsStoring()) {
    uint32_t count = 0;
    for (CDocItem *item : m_items)
      if (!item->IsBlank())
        count++;
    ar << count;
    for (CDocItem *item : m_items)
      if (!item->IsBlank())
        ar << static_cast<const CObject *>(item);
  } else {
    uint32_t count = 0;
    ar >> count;
    while (count--) {
      CDocItem *item = nullptr;
      ar >> item;
      if (item && !item->m_pDocument)
        AddItem(item);
    }
  }
}

BOOL COleDocument::OnOpenDocument(const char *path) {
  if (path && !m_bCompoundFile)
    return CDocument::OnOpenDocument(path);
  IStorage *opened = nullptr;
  IStorage *old = m_lpRootStg;
  try {
    if (path) {
      std::wstring w = Wide(path);
      HRESULT hr = StgOpenStorage(w.c_str(), nullptr, STGM_READWRITE | STGM_TRANSACTED | STGM_SHARE_DENY_WRITE, nullptr,
                                  0, &opened);
      if (FAILED(hr))
        hr = StgOpenStorage(w.c_str(), nullptr, STGM_READ | STGM_TRANSACTED | STGM_SHARE_DENY_WRITE, nullptr, 0,
                            &opened);
      if (FAILED(hr))
        throw COleStreamFile::ExceptionOf(hr, path);
      m_lpRootStg = opened;
    }
    DeleteContents();
    LoadFromStorage();
    if (opened && old)
      old->Release();
    m_bSameAsLoad = TRUE;
    SetModifiedFlag(FALSE);
    return TRUE;
  } catch (const CException &e) {
    if (opened) {
      opened->Release();
      m_lpRootStg = old;
    }
    DeleteContents();
    if (!path)
      throw;
    ReportSaveLoadException(path, &e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return FALSE;
  }
}

BOOL COleDocument::OnSaveDocument(const char *path) {
  if (path && !m_bCompoundFile)
    return CDocument::OnSaveDocument(path);
  IStorage *old = m_lpRootStg;
  IStorage *created = nullptr;
  const BOOL sameAsLoad = m_bSameAsLoad;
  try {
    if (path && (!sameAsLoad || !m_lpRootStg || GetPathName().CompareNoCase(path) != 0)) {
      std::wstring w = Wide(path);
      const HRESULT hr = StgCreateDocfile(
          w.c_str(), STGM_READWRITE | STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, &created);
      if (FAILED(hr))
        throw COleStreamFile::ExceptionOf(hr, path);
      m_lpRootStg = created;
      m_bSameAsLoad = FALSE;
    }
    SaveToStorage();
    if (path) {
      CommitItems(m_bRemember && !m_bSameAsLoad);
      if (m_bRemember)
        SetModifiedFlag(FALSE);
      if (created) {
        if (m_bRemember) {
          if (old)
            old->Release();
        } else {
          created->Release();
          m_lpRootStg = old;
        }
      }
      m_bSameAsLoad = TRUE;
    }
    return TRUE;
  } catch (const CException &e) {
    if (created) {
      created->Release();
      m_lpRootStg = old;
    }
    m_bSameAsLoad = sameAsLoad;
    if (!path)
      throw;
    ReportSaveLoadException(path, &e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
}

void COleDocument::ReportSaveLoadException(const char *path, const CException *e, BOOL saving, UINT defaultPrompt) {
  if (auto *ole = dynamic_cast<const COleException *>(e)) {
    const CFileException fe = COleStreamFile::ExceptionOf(HRESULT(ole->m_sc), path);
    CDocument::ReportSaveLoadException(path, &fe, saving, defaultPrompt);
    return;
  }
  CDocument::ReportSaveLoadException(path, e, saving, defaultPrompt);
}

// ---------------------------------------------------------- COleLinkingDoc

COleLinkingDoc::COleLinkingDoc() {
  m_xContainer.doc = this;
  m_xPersistFile.doc = this;
}

COleLinkingDoc::~COleLinkingDoc() { Revoke(); }

BOOL COleLinkingDoc::Register(const COleObjectFactory *factory, const char *path) {
  Revoke();
  if (factory) {
    m_pFactory = factory;
    m_clsid = factory->GetClassID();
  }
  if (!path || !*path)
    return TRUE;
  const std::wstring w = Wide(path);
  IMoniker *moniker = nullptr;
  if (FAILED(CreateFileMoniker(w.c_str(), &moniker)) || !moniker)
    return FALSE;
  IRunningObjectTable *rot = nullptr;
  if (FAILED(GetRunningObjectTable(0, &rot)) || !rot) {
    moniker->Release();
    return FALSE;
  }
  // One running object per file: the first keeps it.
  IUnknown *running = nullptr;
  if (rot->GetObject(moniker, &running) == S_OK) {
    if (running)
      running->Release();
    rot->Release();
    moniker->Release();
    return FALSE;
  }
  // A strong registration: a weak one lasts only until the first program that found
  // it lets go. The table holds the container, which does not keep the document.
  DWORD key = 0;
  const HRESULT hr =
      rot->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, static_cast<IOleItemContainer *>(&m_xContainer), moniker, &key);
  rot->Release();
  if (FAILED(hr) || !key) {
    moniker->Release();
    return FALSE;
  }
  m_dwRegister = key;
  m_lpMonikerROT = moniker;
  m_strMoniker = path;
  return TRUE;
}

void COleLinkingDoc::Revoke() {
  if (m_dwRegister) {
    IRunningObjectTable *rot = nullptr;
    if (SUCCEEDED(GetRunningObjectTable(0, &rot)) && rot) {
      rot->Revoke(m_dwRegister);
      rot->Release();
    }
    m_dwRegister = 0;
    // Other programs that found the container through the table lose it.
    CoDisconnectObject(static_cast<IOleItemContainer *>(&m_xContainer), 0);
  }
  if (m_lpMonikerROT)
    m_lpMonikerROT->Release();
  m_lpMonikerROT = nullptr;
  m_strMoniker.Empty();
}

BOOL COleLinkingDoc::RegisterIfServerAttached(const char *path, BOOL message) {
  CMultiDocTemplate *tmpl = GetDocTemplate();
  const COleObjectFactory *factory = tmpl ? tmpl->m_pAttachedFactory : nullptr;
  if (!factory)
    return TRUE;
  if (Register(factory, path))
    return TRUE;
  if (message)
    AfxMessageBox(AFX_TEXT_FAILED_TO_NOTIFY, MB_OK | MB_ICONEXCLAMATION);
  return FALSE;
}

IMoniker *COleLinkingDoc::GetMoniker(OLEGETMONIKER) {
  if (m_lpMonikerROT)
    m_lpMonikerROT->AddRef();
  return m_lpMonikerROT;
}

COleServerItem *COleLinkingDoc::OnGetLinkedItem(const char *name) {
  if (!name)
    return nullptr;
  size_t pos = 0;
  while (COleServerItem *item = GetNextServerItem(pos))
    if (item->GetItemName() == name)
      return item;
  return nullptr;
}

HRESULT COleLinkingDoc::ExternalQueryInterface(REFIID, void **out) {
  if (out)
    *out = nullptr;
  return E_NOINTERFACE;
}

BOOL COleLinkingDoc::OnNewDocument() {
  Revoke();
  if (!COleDocument::OnNewDocument())
    return FALSE;
  RegisterIfServerAttached(nullptr, TRUE);
  return TRUE;
}

BOOL COleLinkingDoc::OnOpenDocument(const char *path) {
  Revoke();
  if (!COleDocument::OnOpenDocument(path))
    return FALSE;
  RegisterIfServerAttached(path, TRUE);
  return TRUE;
}

BOOL COleLinkingDoc::OnSaveDocument(const char *path) {
  const BOOL remember = m_bRemember;
  if (!COleDocument::OnSaveDocument(path))
    return FALSE;
  if (remember && path && m_strMoniker.CompareNoCase(path) != 0) {
    // Saved under a new name: links find it there from now on.
    Revoke();
    RegisterIfServerAttached(path, TRUE);
  }
  return TRUE;
}

void COleLinkingDoc::OnCloseDocument() {
  Revoke();
  COleDocument::OnCloseDocument();
}

HRESULT COleLinkingDoc::XContainer::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IParseDisplayName) || IsEqualIID(iid, IID_IOleContainer) ||
      IsEqualIID(iid, IID_IOleItemContainer)) {
    *out = static_cast<IOleItemContainer *>(this);
    AddRef();
    return S_OK;
  }
  return doc->ExternalQueryInterface(iid, out);
}

HRESULT COleLinkingDoc::XContainer::ParseDisplayName(IBindCtx *, LPOLESTR name, ULONG *eaten, IMoniker **out) {
  if (!out || !eaten)
    return E_POINTER;
  *out = nullptr;
  *eaten = 0;
  if (!name)
    return E_INVALIDARG;
  const wchar_t *p = name;
  if (*p && std::wcschr(L"!/\\:?", *p))
    p++;
  // Item names may hold delimiters of their own: the name runs to the end.
  if (!*p)
    return MK_E_SYNTAX;
  try {
    if (!doc->OnGetLinkedItem(Narrow(p)))
      return MK_E_NOOBJECT;
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  const HRESULT hr = CreateItemMoniker(L"!", p, out);
  if (SUCCEEDED(hr))
    *eaten = ULONG(std::wcslen(name));
  return hr;
}

HRESULT COleLinkingDoc::XContainer::EnumObjects(DWORD, IEnumUnknown **out) {
  if (out)
    *out = nullptr;
  return E_NOTIMPL;
}

HRESULT COleLinkingDoc::XContainer::GetObject(LPOLESTR item, DWORD, IBindCtx *, REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (!item)
    return E_INVALIDARG;
  COleServerItem *found = nullptr;
  try {
    found = doc->OnGetLinkedItem(Narrow(item));
  } catch (const CException &e) {
    return ScodeOf(e);
  }
  if (!found)
    return MK_E_NOOBJECT;
  return found->GetInterface()->QueryInterface(iid, out);
}

HRESULT COleLinkingDoc::XContainer::GetObjectStorage(LPOLESTR, IBindCtx *, REFIID, void **out) {
  if (out)
    *out = nullptr;
  return MK_E_NOSTORAGE;
}

HRESULT COleLinkingDoc::XContainer::IsRunning(LPOLESTR item) {
  if (!item)
    return E_INVALIDARG;
  try {
    return doc->OnGetLinkedItem(Narrow(item)) ? S_OK : MK_E_NOOBJECT;
  } catch (const CException &e) {
    return ScodeOf(e);
  }
}

// ----------------------------------------------------------- COleServerDoc

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

// ---------------------------------------------------------- COleServerItem

namespace {

// The item's data source: renders through the item while it lives.
class CItemDataSource : public COleDataSource {
public:
  COleServerItem *m_pItem = nullptr;
  BOOL RenderAsBase(FORMATETC *formatEtc, STGMEDIUM *medium) { return COleDataSource::OnRenderData(formatEtc, medium); }
  BOOL OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium) override {
    return m_pItem ? m_pItem->OnRenderData(formatEtc, medium) : FALSE;
  }
  BOOL OnRenderGlobalData(FORMATETC *formatEtc, HGLOBAL *block) override {
    return m_pItem ? m_pItem->OnRenderGlobalData(formatEtc, block) : FALSE;
  }
  BOOL OnRenderFileData(FORMATETC *formatEtc, CFile *file) override {
    return m_pItem ? m_pItem->OnRenderFileData(formatEtc, file) : FALSE;
  }
};

} // namespace

CLIPFORMAT COleServerItem::cfEmbedSource = 0;
CLIPFORMAT COleServerItem::cfObjectDescriptor = 0;
CLIPFORMAT COleServerItem::cfLinkSource = 0;
CLIPFORMAT COleServerItem::cfLinkSourceDescriptor = 0;

COleServerItem::COleServerItem(COleServerDoc *doc, BOOL autoDelete) : m_bAutoDelete(autoDelete) {
  m_xOle.item = this;
  AfxOleRegisterFormat(cfEmbedSource, "Embed Source");
  AfxOleRegisterFormat(cfObjectDescriptor, "Object Descriptor");
  auto *source = new CItemDataSource;
  source->m_pItem = this;
  m_pDataSource = source;
  FORMATETC fe = {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
  m_pDataSource->DelayRenderData(CF_METAFILEPICT, &fe);
  m_pDataSource->DelayRenderData(cfObjectDescriptor);
  if (doc)
    doc->AddItem(this);
}

COleServerItem::~COleServerItem() {
  if (auto *doc = GetDocument())
    if (doc->m_pEmbeddedItem == this)
      doc->m_pEmbeddedItem = nullptr;
  if (m_lpDataAdviseHolder)
    m_lpDataAdviseHolder->Release();
  if (m_lpOleAdviseHolder)
    m_lpOleAdviseHolder->Release();
  // A consumer may still hold the data source: it renders nothing from now on.
  static_cast<CItemDataSource *>(m_pDataSource)->m_pItem = nullptr;
  m_pDataSource->InternalRelease();
}

BOOL COleServerItem::IsLinkedItem() const {
  const COleServerDoc *doc = GetDocument();
  return doc && doc->m_pEmbeddedItem != this;
}

void COleServerItem::Serialize(CArchive &ar) {
  if (!IsLinkedItem())
    if (COleServerDoc *doc = GetDocument())
      doc->Serialize(ar);
}

BOOL COleServerItem::OnDrawEx(CDC *dc, DVASPECT aspect, SIZE &size) {
  if (aspect != DVASPECT_CONTENT)
    return FALSE;
  return OnDraw(dc, size);
}

BOOL COleServerItem::OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium) {
  if (formatEtc->cfFormat == CF_METAFILEPICT && (formatEtc->tymed & TYMED_MFPICT)) {
    if (medium->tymed != TYMED_NULL)
      return FALSE; // a picture is not rendered into the caller's medium
    CMetaFileDC dc;
    if (!dc.Create())
      return FALSE;
    HDC attrib = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    dc.SetAttribDC(attrib);
    SIZE size = {0, 0};
    BOOL ok = FALSE;
    try {
      ok = OnDrawEx(&dc, DVASPECT(formatEtc->dwAspect), size);
    } catch (...) {
      dc.ReleaseAttribDC();
      DeleteDC(attrib);
      DeleteMetaFile(dc.Close());
      throw;
    }
    dc.ReleaseAttribDC();
    DeleteDC(attrib);
    HMETAFILE mf = dc.Close();
    if (!ok || !mf) {
      if (mf)
        DeleteMetaFile(mf);
      return FALSE;
    }
    if (size.cx == 0 && size.cy == 0)
      OnGetExtent(DVASPECT(formatEtc->dwAspect), size);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, sizeof(METAFILEPICT));
    if (!block) {
      DeleteMetaFile(mf);
      return FALSE;
    }
    auto *pict = static_cast<METAFILEPICT *>(GlobalLock(block));
    pict->mm = MM_ANISOTROPIC;
    pict->xExt = size.cx;
    pict->yExt = size.cy;
    pict->hMF = mf;
    GlobalUnlock(block);
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = block;
    medium->pUnkForRelease = nullptr;
    return TRUE;
  }
  return static_cast<CItemDataSource *>(m_pDataSource)->RenderAsBase(formatEtc, medium);
}

BOOL COleServerItem::OnRenderGlobalData(FORMATETC *formatEtc, HGLOBAL *block) {
  if (formatEtc->cfFormat == cfObjectDescriptor && !*block) {
    STGMEDIUM medium = {};
    GetObjectDescriptorData(nullptr, nullptr, &medium);
    *block = medium.hGlobal;
    return *block != nullptr;
  }
  return FALSE;
}

BOOL COleServerItem::OnRenderFileData(FORMATETC *, CFile *) { return FALSE; }

BOOL COleServerItem::OnGetExtent(DVASPECT aspect, SIZE &size) {
  if (aspect != DVASPECT_CONTENT || (m_sizeExtent.cx == 0 && m_sizeExtent.cy == 0))
    return FALSE;
  size = m_sizeExtent;
  return TRUE;
}

BOOL COleServerItem::OnSetExtent(DVASPECT aspect, const SIZE &size) {
  if (aspect != DVASPECT_CONTENT)
    return FALSE;
  m_sizeExtent = size;
  return TRUE;
}

void COleServerItem::OnDoVerb(LONG verb) {
  switch (verb) {
  case OLEIVERB_PRIMARY:
  case OLEIVERB_SHOW:
    OnShow();
    break;
  case OLEIVERB_OPEN:
  case 1:
    OnOpen();
    break;
  case OLEIVERB_HIDE:
    OnHide();
    break;
  case OLEIVERB_INPLACEACTIVATE:
  case OLEIVERB_UIACTIVATE:
    if (!GetDocument() || IsLinkedItem() || !GetDocument()->ActivateInPlace())
      AfxThrowOleException(OLEOBJ_E_INVALIDVERB);
    break;
  default:
    AfxThrowOleException(OLEOBJ_S_INVALIDVERB);
  }
}

// In place when the container's site allows it, else in the server's own window.
void COleServerItem::OnShow() {
  COleServerDoc *doc = GetDocument();
  if (doc && !IsLinkedItem() && doc->ActivateInPlace())
    return;
  OnOpen();
}

void COleServerItem::OnOpen() {
  COleServerDoc *doc = GetDocument();
  if (!doc)
    return;
  doc->OnDeactivate(); // open in its own window: it leaves the container's
  if (doc->m_lpClientSite && !IsLinkedItem()) {
    doc->m_lpClientSite->ShowObject();
    doc->m_lpClientSite->OnShowWindow(TRUE);
  }
  doc->OnShowDocument(TRUE);
}

void COleServerItem::OnHide() {
  if (COleServerDoc *doc = GetDocument(); doc && doc->IsInPlaceActive()) {
    doc->OnDeactivate();
    return;
  }
  if (COleServerDoc *doc = GetDocument()) {
    doc->OnShowDocument(FALSE);
    if (doc->m_lpClientSite && !IsLinkedItem())
      doc->m_lpClientSite->OnShowWindow(FALSE);
  }
}

void COleServerItem::OnUpdate(COleServerItem *, LPARAM, CObject *, DVASPECT aspect) { NotifyChanged(aspect); }

void COleServerItem::NotifyChanged(DVASPECT) {
  COleServerDoc *doc = GetDocument();
  if (!m_lpDataAdviseHolder || !doc)
    return;
  // The sinks hear from the object they advised: the document's for the embedding.
  IDataObject *data = IsLinkedItem() ? static_cast<IDataObject *>(&m_xOle) : static_cast<IDataObject *>(&doc->m_xOle);
  m_lpDataAdviseHolder->SendOnDataChange(data, 0, 0);
}

IMoniker *COleServerItem::GetMoniker(OLEGETMONIKER assign, DWORD which) {
  COleServerDoc *doc = GetDocument();
  if (!doc)
    return nullptr;
  switch (which) {
  case OLEWHICHMK_CONTAINER:
    return doc->GetMoniker(assign);
  case OLEWHICHMK_OBJREL: {
    if (m_strItemName.IsEmpty())
      return nullptr;
    IMoniker *outer = doc->GetMoniker(assign);
    if (!outer)
      return nullptr; // nothing to be relative to
    outer->Release();
    IMoniker *moniker = nullptr;
    const std::wstring name = Wide(m_strItemName);
    if (FAILED(CreateItemMoniker(L"!", name.c_str(), &moniker)))
      return nullptr;
    return moniker;
  }
  case OLEWHICHMK_OBJFULL: {
    IMoniker *outer = doc->GetMoniker(assign);
    if (!outer)
      return nullptr;
    IMoniker *inner = GetMoniker(assign, OLEWHICHMK_OBJREL);
    if (!inner)
      return outer;
    IMoniker *full = nullptr;
    const HRESULT hr = CreateGenericComposite(outer, inner, &full);
    outer->Release();
    inner->Release();
    return SUCCEEDED(hr) ? full : nullptr;
  }
  default:
    return nullptr;
  }
}

BOOL COleServerItem::GetLinkSourceData(STGMEDIUM *medium) {
  IMoniker *moniker = GetMoniker(OLEGETMONIKER_TEMPFORUSER, OLEWHICHMK_OBJFULL);
  if (!moniker)
    return FALSE;
  IStream *stream = nullptr;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  if (FAILED(hr)) {
    moniker->Release();
    AfxThrowOleException(hr);
  }
  hr = OleSaveToStream(moniker, stream);
  moniker->Release();
  if (SUCCEEDED(hr))
    hr = WriteClassStm(stream, GetDocument()->GetClassID());
  if (SUCCEEDED(hr)) {
    const LARGE_INTEGER zero = {};
    hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  }
  if (FAILED(hr)) {
    stream->Release();
    AfxThrowOleException(hr);
  }
  medium->tymed = TYMED_ISTREAM;
  medium->pstm = stream;
  medium->pUnkForRelease = nullptr;
  return TRUE;
}

ULONG COleServerItem::ExternalAddRef() {
  if (m_dwRef++ == 0)
    if (COleServerDoc *doc = GetDocument()) {
      doc->ExternalAddRef();
      m_bLocksDoc = TRUE;
    }
  return m_dwRef;
}

ULONG COleServerItem::ExternalRelease() {
  if (m_dwRef == 0)
    return 0;
  const ULONG left = --m_dwRef;
  if (left == 0) {
    COleServerDoc *doc = GetDocument();
    const BOOL locked = m_bLocksDoc;
    m_bLocksDoc = FALSE;
    // A linked item lives as long as its links; a closing document deletes its items itself.
    if (m_bAutoDelete && doc && IsLinkedItem() && !doc->m_bInClose)
      delete this;
    if (locked && doc)
      doc->ExternalRelease();
  }
  return left;
}

HRESULT COleServerItem::XItemOle::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject))
    *out = static_cast<IOleObject *>(this);
  else if (IsEqualIID(iid, IID_IDataObject))
    *out = static_cast<IDataObject *>(this);
  else
    return E_NOINTERFACE;
  item->ExternalAddRef();
  return S_OK;
}

HRESULT COleServerItem::XItemOle::GetClientSite(IOleClientSite **site) {
  if (!site)
    return E_POINTER;
  *site = nullptr;
  return E_NOTIMPL;
}

HRESULT COleServerItem::XItemOle::Close(DWORD saveOption) {
  COleServerDoc *doc = item->GetDocument();
  // A document the user opened stays open when a link lets go of it.
  if (!doc || !doc->m_bCloseOnRelease)
    return S_OK;
  return CloseHeld(doc, saveOption);
}

HRESULT COleServerItem::XItemOle::GetMoniker(DWORD assign, DWORD which, IMoniker **out) {
  if (!out)
    return E_POINTER;
  *out = item->GetMoniker(OLEGETMONIKER(assign), which);
  return *out ? S_OK : E_FAIL;
}

HRESULT COleServerItem::XItemOle::GetClipboardData(DWORD, IDataObject **out) {
  if (out)
    *out = nullptr;
  return E_NOTIMPL;
}

HRESULT COleServerItem::XItemOle::DoVerb(LONG verb, LPMSG, IOleClientSite *, LONG, HWND, LPCRECT) {
  item->ExternalAddRef();
  HRESULT hr = S_OK;
  try {
    item->OnDoVerb(verb);
  } catch (const CException &e) {
    hr = ScodeOf(e);
  }
  item->ExternalRelease();
  return hr;
}

HRESULT COleServerItem::XItemOle::EnumVerbs(IEnumOLEVERB **out) {
  COleServerDoc *doc = item->GetDocument();
  return doc ? OleRegEnumVerbs(doc->GetClassID(), out) : E_UNEXPECTED;
}

HRESULT COleServerItem::XItemOle::GetUserClassID(CLSID *clsid) {
  if (!clsid)
    return E_POINTER;
  COleServerDoc *doc = item->GetDocument();
  *clsid = doc ? doc->GetClassID() : CLSID_NULL;
  return S_OK;
}

HRESULT COleServerItem::XItemOle::GetUserType(DWORD form, LPOLESTR *type) {
  COleServerDoc *doc = item->GetDocument();
  return doc ? OleRegGetUserType(doc->GetClassID(), form, type) : E_UNEXPECTED;
}

HRESULT COleServerItem::XItemOle::GetExtent(DWORD aspect, SIZEL *size) { return ExtentOf(item, aspect, size); }

HRESULT COleServerItem::XItemOle::Advise(IAdviseSink *sink, DWORD *connection) {
  return AdviseOn(item->m_lpOleAdviseHolder, sink, connection);
}

HRESULT COleServerItem::XItemOle::Unadvise(DWORD connection) {
  return item->m_lpOleAdviseHolder ? item->m_lpOleAdviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT COleServerItem::XItemOle::EnumAdvise(IEnumSTATDATA **out) { return EnumAdviseOf(item->m_lpOleAdviseHolder, out); }

HRESULT COleServerItem::XItemOle::GetMiscStatus(DWORD aspect, DWORD *status) {
  COleServerDoc *doc = item->GetDocument();
  return doc ? OleRegGetMiscStatus(doc->GetClassID(), aspect, status) : E_UNEXPECTED;
}

HRESULT COleServerItem::XItemOle::GetData(FORMATETC *formatEtc, STGMEDIUM *medium) {
  return item->m_pDataSource->GetDataObject()->GetData(formatEtc, medium);
}

HRESULT COleServerItem::XItemOle::GetDataHere(FORMATETC *formatEtc, STGMEDIUM *medium) {
  return item->m_pDataSource->GetDataObject()->GetDataHere(formatEtc, medium);
}

HRESULT COleServerItem::XItemOle::QueryGetData(FORMATETC *formatEtc) {
  return item->m_pDataSource->GetDataObject()->QueryGetData(formatEtc);
}

HRESULT COleServerItem::XItemOle::GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) {
  return item->m_pDataSource->GetDataObject()->GetCanonicalFormatEtc(in, out);
}

HRESULT COleServerItem::XItemOle::EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) {
  return item->m_pDataSource->GetDataObject()->EnumFormatEtc(direction, out);
}

HRESULT COleServerItem::XItemOle::DAdvise(FORMATETC *formatEtc, DWORD flags, IAdviseSink *sink, DWORD *connection) {
  if (!item->m_lpDataAdviseHolder && FAILED(CreateDataAdviseHolder(&item->m_lpDataAdviseHolder)))
    return E_OUTOFMEMORY;
  return item->m_lpDataAdviseHolder->Advise(static_cast<IDataObject *>(this), formatEtc, flags, sink, connection);
}

HRESULT COleServerItem::XItemOle::DUnadvise(DWORD connection) {
  return item->m_lpDataAdviseHolder ? item->m_lpDataAdviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT COleServerItem::XItemOle::EnumDAdvise(IEnumSTATDATA **out) {
  if (out)
    *out = nullptr;
  return item->m_lpDataAdviseHolder ? item->m_lpDataAdviseHolder->EnumAdvise(out) : E_FAIL;
}

void COleServerItem::GetObjectDescriptorData(const POINT *offset, const SIZE *size, STGMEDIUM *medium) {
  COleServerDoc *doc = GetDocument();
  CLSID clsid = CLSID_NULL;
  CString userType;
  if (doc)
    doc->GetStorageClass(clsid, userType);
  std::wstring type = Wide(userType);
  const std::wstring source = Wide(doc ? doc->GetTitle().GetString() : "");
  const size_t typeBytes = (type.size() + 1) * sizeof(wchar_t);
  const size_t sourceBytes = (source.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, sizeof(OBJECTDESCRIPTOR) + typeBytes + sourceBytes);
  if (!block)
    AfxThrowMemoryException();
  auto *od = static_cast<OBJECTDESCRIPTOR *>(GlobalLock(block));
  od->cbSize = DWORD(sizeof(OBJECTDESCRIPTOR) + typeBytes + sourceBytes);
  od->clsid = clsid;
  od->dwDrawAspect = DVASPECT_CONTENT;
  SIZE extent = {0, 0};
  if (size)
    extent = *size;
  else
    OnGetExtent(DVASPECT_CONTENT, extent);
  od->sizel.cx = extent.cx;
  od->sizel.cy = extent.cy;
  od->pointl.x = offset ? offset->x : 0;
  od->pointl.y = offset ? offset->y : 0;
  DWORD status = 0;
  OleRegGetMiscStatus(clsid, DVASPECT_CONTENT, &status);
  od->dwStatus = status;
  od->dwFullUserTypeName = DWORD(sizeof(OBJECTDESCRIPTOR));
  od->dwSrcOfCopy = DWORD(sizeof(OBJECTDESCRIPTOR) + typeBytes);
  auto *base = reinterpret_cast<unsigned char *>(od);
  std::memcpy(base + od->dwFullUserTypeName, type.c_str(), typeBytes);
  std::memcpy(base + od->dwSrcOfCopy, source.c_str(), sourceBytes);
  GlobalUnlock(block);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  medium->pUnkForRelease = nullptr;
}

void COleServerItem::GetEmbedSourceData(STGMEDIUM *medium) {
  COleServerDoc *doc = GetDocument();
  if (!doc)
    AfxThrowOleException(E_UNEXPECTED);
  ILockBytes *bytes = nullptr;
  HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  if (FAILED(hr))
    AfxThrowOleException(hr);
  IStorage *storage = nullptr;
  hr = StgCreateDocfileOnILockBytes(bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, &storage);
  bytes->Release();
  if (FAILED(hr))
    AfxThrowOleException(hr);
  IStorage *old = doc->m_lpRootStg;
  doc->m_lpRootStg = storage;
  try {
    doc->SaveToStorage(this);
  } catch (...) {
    doc->m_lpRootStg = old;
    storage->Release();
    throw;
  }
  doc->m_lpRootStg = old;
  medium->tymed = TYMED_ISTORAGE;
  medium->pstg = storage;
  medium->pUnkForRelease = nullptr;
}

COleDataSource *COleServerItem::OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size) {
  auto *source = new COleDataSource;
  try {
    STGMEDIUM medium = {};
    GetEmbedSourceData(&medium);
    FORMATETC fe = {cfEmbedSource, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTORAGE};
    source->CacheData(cfEmbedSource, &medium, &fe);
    STGMEDIUM od = {};
    GetObjectDescriptorData(offset, size, &od);
    source->CacheGlobalData(cfObjectDescriptor, od.hGlobal);
    STGMEDIUM link = {};
    if (includeLink && GetLinkSourceData(&link)) {
      AfxOleRegisterFormat(cfLinkSource, "Link Source");
      AfxOleRegisterFormat(cfLinkSourceDescriptor, "Link Source Descriptor");
      source->CacheData(cfLinkSource, &link);
      STGMEDIUM ld = {};
      GetObjectDescriptorData(offset, size, &ld);
      source->CacheGlobalData(cfLinkSourceDescriptor, ld.hGlobal);
    }
    // The presentation formats as the item offers them, rendered now.
    IEnumFORMATETC *e = nullptr;
    if (SUCCEEDED(m_pDataSource->GetDataObject()->EnumFormatEtc(DATADIR_GET, &e)) && e) {
      FORMATETC f;
      while (e->Next(1, &f, nullptr) == S_OK) {
        STGMEDIUM m = {};
        if (m_pDataSource->GetDataObject()->GetData(&f, &m) == S_OK)
          source->CacheData(f.cfFormat, &m, &f);
      }
      e->Release();
    }
  } catch (...) {
    source->InternalRelease();
    throw;
  }
  return source;
}

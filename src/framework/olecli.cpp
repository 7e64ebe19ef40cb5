#include "framework/olecli.h"

#include <string>
#include <vector>

#include "framework/archive.h"
#include "framework/dc.h"
#include "framework/except.h"
#include "framework/oledata.h"
#include "framework/oledrop.h"
#include "framework/oleinit.h"
#include "framework/view.h"
#include "framework/winapp.h"

IMPLEMENT_SERIAL(COleClientItem, CDocItem, 1)

namespace {

std::wstring WideOf(const char *s) {
  if (!s || !*s)
    return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
  std::wstring w(size_t(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s, -1, &w[0], n);
  w.resize(wcslen(w.c_str()));
  return w;
}

const wchar_t kEmbeddingPrefix[] = L"Embedding ";
std::wstring EmbeddingName(DWORD number) { return kEmbeddingPrefix + std::to_wstring(number); }

// An inline object image is never larger than this (a corrupt count must not allocate
// gigabytes).
constexpr uint32_t kMaxInlineBytes = 256u << 20;

} // namespace

COleClientItem::COleClientItem(COleDocument *doc) {
  m_xSite.item = this;
  m_xInPlaceSite.item = this;
  m_xFrame.item = this;
  if (doc)
    doc->AddItem(this);
}

COleClientItem::~COleClientItem() {
  Release();
  if (m_pDocument)
    m_pDocument->RemoveItem(this);
}

DWORD COleClientItem::GetNewItemNumber() {
  DWORD highest = 0;
  if (m_pDocument)
    for (CDocItem *item : m_pDocument->GetItems())
      if (auto *c = dynamic_cast<COleClientItem *>(item))
        if (c != this && c->m_dwItemNumber > highest)
          highest = c->m_dwItemNumber;
  return highest + 1;
}

void COleClientItem::GetItemStorage() {
  if (m_lpStorage)
    m_lpStorage->Release();
  m_lpStorage = nullptr;
  if (m_lpLockBytes)
    m_lpLockBytes->Release();
  m_lpLockBytes = nullptr;
  HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &m_lpLockBytes);
  if (FAILED(hr))
    AfxThrowOleException(hr);
  hr =
      StgCreateDocfileOnILockBytes(m_lpLockBytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, &m_lpStorage);
  if (FAILED(hr)) {
    m_lpLockBytes->Release();
    m_lpLockBytes = nullptr;
    AfxThrowOleException(hr);
  }
}

BOOL COleClientItem::FinishCreate(SCODE hr) {
  m_scLast = hr;
  if (FAILED(hr) || !m_lpObject) {
    if (m_lpObject)
      m_lpObject->Release();
    m_lpObject = nullptr;
    m_nItemState = emptyState;
    return FALSE;
  }
  if (SUCCEEDED(m_lpObject->QueryInterface(IID_IViewObject2, reinterpret_cast<void **>(&m_lpViewObject))))
    m_lpViewObject->SetAdvise(m_nDrawAspect, 0, static_cast<IAdviseSink *>(&m_xSite));
  m_lpObject->Advise(static_cast<IAdviseSink *>(&m_xSite), &m_dwConnection);
  CWinApp *app = AfxGetApp();
  std::wstring appName = WideOf(app ? app->m_strAppName.GetString() : "");
  std::wstring docName = WideOf(m_pDocument ? m_pDocument->GetTitle().GetString() : "");
  m_lpObject->SetHostNames(appName.c_str(), docName.c_str());
  OleSetContainedObject(m_lpObject, TRUE);
  CLSID clsid = CLSID_NULL;
  IOleLink *link = nullptr;
  if (SUCCEEDED(m_lpObject->QueryInterface(IID_IOleLink, reinterpret_cast<void **>(&link)))) {
    link->Release();
    m_nItemType = OT_LINK;
  } else if (SUCCEEDED(m_lpObject->GetUserClassID(&clsid)) &&
             (IsEqualCLSID(clsid, CLSID_StaticMetafile) || IsEqualCLSID(clsid, CLSID_StaticDib))) {
    m_nItemType = OT_STATIC;
  } else {
    m_nItemType = OT_EMBEDDED;
  }
  m_nItemState = loadedState;
  return TRUE;
}

namespace {

// Wine 8 leaves a new object's cache empty (OleCreate, OleCreateFromData), so it would
// draw blank: run it and fill the cache from its own data.
void RunAndUpdateCache(IOleObject *object) {
  OleRun(object);
  IOleCache2 *cache = nullptr;
  IDataObject *data = nullptr;
  if (SUCCEEDED(object->QueryInterface(IID_IOleCache2, reinterpret_cast<void **>(&cache))) &&
      SUCCEEDED(object->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&data))))
    cache->UpdateCache(data, UPDFCACHE_ALL, nullptr);
  if (data)
    data->Release();
  if (cache)
    cache->Release();
}

// Wine 8 answers success for a static object from its clipboard data object that has
// no picture at all (class CLSID_NULL): such an object is dropped, and OLE_E_BLANK is
// the result.
HRESULT DropIfBlank(HRESULT hr, void **object) {
  if (FAILED(hr) || !*object)
    return hr;
  auto *unknown = static_cast<IUnknown *>(*object);
  IViewObject2 *view = nullptr;
  SIZEL size{};
  const bool drawn = SUCCEEDED(unknown->QueryInterface(IID_IViewObject2, reinterpret_cast<void **>(&view))) &&
                     SUCCEEDED(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &size));
  if (view)
    view->Release();
  if (drawn)
    return hr;
  unknown->Release();
  *object = nullptr;
  return OLE_E_BLANK;
}

// A metafile picture (the caller's) drawing the enhanced metafile; the extent is its
// frame, already HIMETRIC.
HGLOBAL MetaFilePictOfEnh(HENHMETAFILE emf) {
  ENHMETAHEADER header{};
  if (!GetEnhMetaFileHeader(emf, sizeof header, &header))
    return nullptr;
  HDC screen = GetDC(nullptr);
  const UINT n = GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, screen);
  std::vector<BYTE> bits(n);
  const bool ok = n && GetWinMetaFileBits(emf, n, bits.data(), MM_ANISOTROPIC, screen) == n;
  ReleaseDC(nullptr, screen);
  HMETAFILE wmf = ok ? SetMetaFileBitsEx(n, bits.data()) : nullptr;
  if (!wmf)
    return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
  auto *pict = block ? static_cast<METAFILEPICT *>(GlobalLock(block)) : nullptr;
  if (!pict) {
    DeleteMetaFile(wmf);
    if (block)
      GlobalFree(block);
    return nullptr;
  }
  pict->mm = MM_ANISOTROPIC;
  pict->xExt = header.rclFrame.right - header.rclFrame.left;
  pict->yExt = header.rclFrame.bottom - header.rclFrame.top;
  pict->hMF = wmf;
  GlobalUnlock(block);
  return block;
}

// A copy of the data's picture as a metafile picture (the caller's): the metafile
// picture itself, else an enhanced metafile converted. Null when it has neither.
HGLOBAL MetaFilePictOf(COleDataObject *data) {
  if (HGLOBAL pict = data->GetGlobalData(CF_METAFILEPICT))
    return pict;
  FORMATETC fe{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  STGMEDIUM m{};
  if (!data->GetData(CF_ENHMETAFILE, &m, &fe))
    return nullptr;
  HGLOBAL block = m.tymed == TYMED_ENHMF ? MetaFilePictOfEnh(m.hEnhMetaFile) : nullptr;
  ReleaseStgMedium(&m);
  return block;
}

} // namespace

template <class Call>
BOOL COleClientItem::CreateWith(OLERENDER render, CLIPFORMAT format, FORMATETC *formatEtc, CacheFill fill, Call call) {
  FORMATETC fe{format, nullptr, DVASPECT_CONTENT, -1, TYMED_NULL};
  if (format && !formatEtc)
    formatEtc = &fe;
  m_dwItemNumber = GetNewItemNumber();
  GetItemStorage();
  HRESULT hr = call(formatEtc, reinterpret_cast<void **>(&m_lpObject));
  if (SUCCEEDED(hr) && (fill == FILL_ALWAYS || (fill == FILL_IF_RENDERED && render != OLERENDER_NONE)))
    RunAndUpdateCache(m_lpObject);
  return FinishCreate(hr);
}

BOOL COleClientItem::CreateNewItem(REFCLSID clsid, OLERENDER render, CLIPFORMAT format, FORMATETC *formatEtc) {
  return CreateWith(render, format, formatEtc, FILL_IF_RENDERED, [&](FORMATETC *fe, void **out) {
    return OleCreate(clsid, IID_IOleObject, render, fe, GetClientSite(), m_lpStorage, out);
  });
}

BOOL COleClientItem::CreateFromData(COleDataObject *data, OLERENDER render, CLIPFORMAT format, FORMATETC *formatEtc) {
  return CreateWith(render, format, formatEtc, FILL_ALWAYS, [&](FORMATETC *fe, void **out) {
    HRESULT hr =
        OleCreateFromData(data->m_lpDataObject, IID_IOleObject, render, fe, GetClientSite(), m_lpStorage, out);
    // A picture another program left on the plain clipboard reaches Wine's OLE side
    // as an object of no class without a picture: refused, so the caller can try the
    // static form, which reads the clipboard itself.
    CLSID clsid = CLSID_NULL;
    if (SUCCEEDED(hr) && *out &&
        (FAILED(static_cast<IOleObject *>(*out)->GetUserClassID(&clsid)) || IsEqualCLSID(clsid, CLSID_NULL)))
      hr = DropIfBlank(hr, out);
    return hr;
  });
}

BOOL COleClientItem::CreateStaticFromData(COleDataObject *data, OLERENDER render, CLIPFORMAT format,
                                          FORMATETC *formatEtc) {
  return CreateWith(render, format, formatEtc, FILL_NEVER, [&](FORMATETC *fe, void **out) {
    HRESULT hr =
        OleCreateStaticFromData(data->m_lpDataObject, IID_IOleObject, render, fe, GetClientSite(), m_lpStorage, out);
    hr = DropIfBlank(hr, out);
    if (FAILED(hr) && render == OLERENDER_DRAW) {
      // Wine 8 refuses the draw render for static objects; the metafile picture asked
      // for by name gives the same object.
      FORMATETC mf{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
      GetItemStorage();
      hr = OleCreateStaticFromData(data->m_lpDataObject, IID_IOleObject, OLERENDER_FORMAT, &mf, GetClientSite(),
                                   m_lpStorage, out);
      hr = DropIfBlank(hr, out);
      if (FAILED(hr)) {
        // Wine's clipboard data object cannot hand over a picture put on the plain
        // clipboard: the copy read from there (an enhanced metafile made a metafile
        // picture) goes through a data object of our own.
        if (HGLOBAL pict = MetaFilePictOf(data)) {
          auto *own = new COleDataSource;
          STGMEDIUM m{};
          m.tymed = TYMED_MFPICT;
          m.hMetaFilePict = pict;
          try {
            own->CacheData(CF_METAFILEPICT, &m, &mf);
            GetItemStorage();
          } catch (...) {
            own->InternalRelease();
            throw;
          }
          hr = OleCreateStaticFromData(own->GetDataObject(), IID_IOleObject, OLERENDER_FORMAT, &mf, GetClientSite(),
                                       m_lpStorage, out);
          own->InternalRelease();
          hr = DropIfBlank(hr, out);
        }
      }
    }
    return hr;
  });
}

BOOL COleClientItem::CreateFromFile(const char *path, OLERENDER render, CLIPFORMAT format, FORMATETC *formatEtc) {
  const std::wstring w = WideOf(path);
  return CreateWith(render, format, formatEtc, FILL_IF_RENDERED, [&](FORMATETC *fe, void **out) {
    return OleCreateFromFile(CLSID_NULL, w.c_str(), IID_IOleObject, render, fe, GetClientSite(), m_lpStorage, out);
  });
}

BOOL COleClientItem::CreateLinkFromFile(const char *path, OLERENDER render, CLIPFORMAT format, FORMATETC *formatEtc) {
  const std::wstring w = WideOf(path);
  return CreateWith(render, format, formatEtc, FILL_IF_RENDERED, [&](FORMATETC *fe, void **out) {
    return OleCreateLinkToFile(w.c_str(), IID_IOleObject, render, fe, GetClientSite(), m_lpStorage, out);
  });
}

BOOL COleClientItem::CreateLinkFromData(COleDataObject *data, OLERENDER render, CLIPFORMAT format,
                                        FORMATETC *formatEtc) {
  // Wine 8 embeds instead of linking; the item is then an embedding.
  return CreateWith(render, format, formatEtc, FILL_ALWAYS, [&](FORMATETC *fe, void **out) {
    return OleCreateLinkFromData(data->m_lpDataObject, IID_IOleObject, render, fe, GetClientSite(), m_lpStorage, out);
  });
}

BOOL COleClientItem::Draw(CDC *dc, const RECT *rect, DVASPECT aspect) {
  if (!m_lpObject || !dc || !rect)
    return FALSE;
  if (aspect == DVASPECT(-1))
    aspect = m_nDrawAspect;
  RECTL r{rect->left, rect->top, rect->right, rect->bottom};
  HRESULT hr = E_FAIL;
  if (m_lpViewObject)
    hr = m_lpViewObject->Draw(aspect, -1, nullptr, nullptr, dc->m_hAttribDC, dc->m_hDC, &r, nullptr, nullptr, 0);
  m_scLast = hr;
  return SUCCEEDED(hr);
}

BOOL COleClientItem::DoVerb(LONG verb, CView *view, MSG *msg) {
  if (!m_lpObject)
    return FALSE;
  if (view)
    m_pView = view;
  HWND wnd = view ? view->GetSafeHwnd() : nullptr;
  RECT rect{};
  // An object activated in place takes the item's place in the view.
  if (wnd && !ItemDeviceRect(rect))
    GetClientRect(wnd, &rect);
  HRESULT hr = m_lpObject->DoVerb(verb, msg, GetClientSite(), -1, wnd, wnd ? &rect : nullptr);
  m_scLast = hr;
  return SUCCEEDED(hr);
}

void COleClientItem::Close(OLECLOSE saveOption) {
  if (!m_lpObject)
    return;
  if (IsInPlaceActive())
    Deactivate();
  m_scLast = m_lpObject->Close(saveOption);
  if (m_nItemState != emptyState)
    m_nItemState = loadedState;
}

void COleClientItem::Release(OLECLOSE saveOption) {
  if (m_lpObject && IsInPlaceActive())
    Deactivate();
  if (m_lpObject) {
    m_lpObject->Close(saveOption);
    if (m_lpViewObject)
      m_lpViewObject->SetAdvise(m_nDrawAspect, 0, nullptr);
    if (m_dwConnection)
      m_lpObject->Unadvise(m_dwConnection);
    m_dwConnection = 0;
    m_lpObject->SetClientSite(nullptr);
  }
  if (m_lpViewObject)
    m_lpViewObject->Release();
  m_lpViewObject = nullptr;
  if (m_lpObject)
    m_lpObject->Release();
  m_lpObject = nullptr;
  if (m_lpStorage)
    m_lpStorage->Release();
  m_lpStorage = nullptr;
  if (m_lpLockBytes)
    m_lpLockBytes->Release();
  m_lpLockBytes = nullptr;
  m_nItemState = emptyState;
}

void COleClientItem::Delete(BOOL autoDelete) {
  Release(OLECLOSE_NOSAVE);
  if (m_pDocument)
    m_pDocument->RemoveItem(this);
  if (autoDelete)
    delete this;
}

BOOL COleClientItem::GetExtent(SIZE *size, DVASPECT aspect) {
  if (!m_lpObject || !size)
    return FALSE;
  if (aspect == DVASPECT(-1))
    aspect = m_nDrawAspect;
  SIZEL s{};
  m_scLast = m_lpObject->GetExtent(aspect, &s);
  if (FAILED(m_scLast))
    return FALSE;
  size->cx = s.cx;
  size->cy = s.cy;
  return TRUE;
}

BOOL COleClientItem::GetCachedExtent(SIZE *size, DVASPECT aspect) {
  if (!m_lpViewObject || !size)
    return FALSE;
  if (aspect == DVASPECT(-1))
    aspect = m_nDrawAspect;
  SIZEL s{};
  m_scLast = m_lpViewObject->GetExtent(aspect, -1, nullptr, &s);
  if (FAILED(m_scLast))
    return FALSE;
  size->cx = s.cx;
  size->cy = s.cy;
  return TRUE;
}

DWORD COleClientItem::GetMiscStatus(DVASPECT aspect) const {
  DWORD status = 0;
  if (m_lpObject)
    m_lpObject->GetMiscStatus(aspect == DVASPECT(-1) ? m_nDrawAspect : aspect, &status);
  return status;
}

BOOL COleClientItem::UpdateLink() {
  if (!m_lpObject)
    return FALSE;
  m_scLast = m_lpObject->Update();
  return SUCCEEDED(m_scLast);
}

void COleClientItem::OnChange(OLE_NOTIFICATION, DWORD) {}

void COleClientItem::SetDrawAspect(DVASPECT aspect) {
  if (aspect == m_nDrawAspect)
    return;
  m_nDrawAspect = aspect;
  // View changes are wanted for the aspect that is drawn.
  if (m_lpViewObject)
    m_lpViewObject->SetAdvise(aspect, 0, static_cast<IAdviseSink *>(&m_xSite));
  OnChange(OLE_CHANGED_ASPECT, aspect);
}

void COleClientItem::SaveObjectToOwnStorage() {
  if (!m_lpObject || !m_lpStorage)
    return;
  IPersistStorage *persist = nullptr;
  HRESULT hr = m_lpObject->QueryInterface(IID_IPersistStorage, reinterpret_cast<void **>(&persist));
  if (FAILED(hr))
    AfxThrowOleException(hr);
  // An unchanged object's storage already holds it: saving it again is not free (a
  // picture's size can be rounded anew each time), so a document saved unchanged
  // keeps its bytes.
  if (persist->IsDirty() == S_FALSE) {
    persist->Release();
    return;
  }
  hr = OleSave(persist, m_lpStorage, TRUE);
  persist->SaveCompleted(nullptr);
  persist->Release();
  if (FAILED(hr))
    AfxThrowOleException(hr);
  hr = m_lpStorage->Commit(STGC_DEFAULT);
  if (FAILED(hr))
    AfxThrowOleException(hr);
}

// Stored form of a client item (all little-endian):
//   u32 item number, u32 draw aspect, u32 kind (OLE_OBJTYPE),
//   u8 place: 1 = the object is the sub-storage "Embedding <number>" of the
//                 document's root storage;
//             0 = no root storage: u32 byte count, then the compound-file image of
//                 the item's own storage.
void COleClientItem::Serialize(CArchive &ar) {
  auto *doc = dynamic_cast<COleDocument *>(ar.m_pDocument);
  IStorage *root = doc ? doc->m_lpRootStg : nullptr;
  if (ar.IsStoring()) {
    SaveObjectToOwnStorage();
    ar << uint32_t(m_dwItemNumber) << uint32_t(m_nDrawAspect) << uint32_t(m_nItemType);
    ar << uint8_t(root ? 1 : 0);
    if (root) {
      std::wstring name = EmbeddingName(m_dwItemNumber);
      IStorage *sub = nullptr;
      HRESULT hr = root->CreateStorage(name.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &sub);
      if (FAILED(hr))
        AfxThrowOleException(hr);
      hr = m_lpStorage->CopyTo(0, nullptr, nullptr, sub);
      if (SUCCEEDED(hr))
        hr = sub->Commit(STGC_DEFAULT);
      sub->Release();
      if (FAILED(hr))
        AfxThrowOleException(hr);
    } else {
      HGLOBAL block = nullptr;
      HRESULT hr = GetHGlobalFromILockBytes(m_lpLockBytes, &block);
      STATSTG st{};
      if (SUCCEEDED(hr))
        hr = m_lpLockBytes->Stat(&st, STATFLAG_NONAME);
      if (FAILED(hr))
        AfxThrowOleException(hr);
      const uint32_t n = uint32_t(st.cbSize.QuadPart);
      ar << n;
      const void *p = GlobalLock(block);
      ar.Write(p, n);
      GlobalUnlock(block);
    }
    return;
  }
  Release();
  uint32_t number = 0, aspect = 0, kind = 0;
  uint8_t place = 0;
  ar >> number >> aspect >> kind >> place;
  m_dwItemNumber = number;
  m_nDrawAspect = DVASPECT(aspect);
  if (place == 1) {
    if (!root)
      AfxThrowArchiveException(CArchiveException::genericException);
    std::wstring name = EmbeddingName(number);
    IStorage *sub = nullptr;
    HRESULT hr = root->OpenStorage(name.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &sub);
    if (FAILED(hr))
      AfxThrowOleException(hr);
    GetItemStorage();
    hr = sub->CopyTo(0, nullptr, nullptr, m_lpStorage);
    sub->Release();
    if (SUCCEEDED(hr))
      hr = m_lpStorage->Commit(STGC_DEFAULT);
    if (FAILED(hr))
      AfxThrowOleException(hr);
  } else if (place == 0) {
    uint32_t n = 0;
    ar >> n;
    if (n > kMaxInlineBytes)
      AfxThrowArchiveException(CArchiveException::genericException);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n ? n : 1);
    if (!block)
      AfxThrowOleException(E_OUTOFMEMORY);
    void *p = GlobalLock(block);
    const unsigned got = ar.Read(p, n);
    GlobalUnlock(block);
    if (got != n) {
      GlobalFree(block);
      AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    HRESULT hr = CreateILockBytesOnHGlobal(block, TRUE, &m_lpLockBytes);
    if (FAILED(hr)) {
      GlobalFree(block);
      AfxThrowOleException(hr);
    }
    hr = StgOpenStorageOnILockBytes(m_lpLockBytes, nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                    &m_lpStorage);
    if (FAILED(hr))
      AfxThrowOleException(hr);
  } else {
    AfxThrowArchiveException(CArchiveException::genericException);
  }
  HRESULT hr = OleLoad(m_lpStorage, IID_IOleObject, GetClientSite(), reinterpret_cast<void **>(&m_lpObject));
  if (!FinishCreate(hr))
    AfxThrowOleException(hr);
  (void)kind; // the object itself tells its kind again
}

void COleClientItem::RemoveStaleEmbeddings(COleDocument *doc, IStorage *root) {
  if (!doc || !root)
    return;
  IEnumSTATSTG *e = nullptr;
  HRESULT hr = root->EnumElements(0, nullptr, 0, &e);
  if (FAILED(hr))
    AfxThrowOleException(hr);
  std::vector<std::wstring> stale;
  STATSTG st{};
  while (e->Next(1, &st, nullptr) == S_OK) {
    const std::wstring name = st.pwcsName ? st.pwcsName : L"";
    CoTaskMemFree(st.pwcsName);
    if (st.type != STGTY_STORAGE || name.rfind(kEmbeddingPrefix, 0) != 0)
      continue;
    bool kept = false;
    for (CDocItem *item : doc->GetItems())
      if (auto *c = dynamic_cast<COleClientItem *>(item))
        kept = kept || name == EmbeddingName(c->m_dwItemNumber);
    if (!kept)
      stale.push_back(name);
  }
  e->Release();
  for (const std::wstring &name : stale) {
    hr = root->DestroyElement(name.c_str());
    if (FAILED(hr))
      AfxThrowOleException(hr);
  }
}

void COleClientItem::CopyToClipboard(BOOL includeLink) {
  COleDataSource *source = OnGetClipboardData(includeLink, nullptr, nullptr);
  source->SetClipboard();
}

COleDataSource *COleClientItem::OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size) {
  auto *source = new COleDataSource;
  try {
    GetClipboardData(source, includeLink, offset, size);
  } catch (...) {
    source->InternalRelease();
    throw;
  }
  return source;
}

void COleClientItem::GetClipboardData(COleDataSource *source, BOOL, const POINT *offset, const SIZE *size) {
  if (!m_lpObject)
    AfxThrowOleException(OLE_E_BLANK);
  static CLIPFORMAT cfEmbedded = 0, cfDescriptor = 0;
  AfxOleRegisterFormat(cfEmbedded, "Embedded Object");
  AfxOleRegisterFormat(cfDescriptor, "Object Descriptor");

  // The object as it is now, in a storage of its own.
  SaveObjectToOwnStorage();
  ILockBytes *bytes = nullptr;
  IStorage *copy = nullptr;
  HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  if (SUCCEEDED(hr)) {
    hr = StgCreateDocfileOnILockBytes(bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0, &copy);
    bytes->Release();
  }
  if (SUCCEEDED(hr))
    hr = m_lpStorage->CopyTo(0, nullptr, nullptr, copy);
  if (SUCCEEDED(hr))
    hr = copy->Commit(STGC_DEFAULT);
  if (FAILED(hr)) {
    if (copy)
      copy->Release();
    AfxThrowOleException(hr);
  }
  STGMEDIUM m{};
  m.tymed = TYMED_ISTORAGE;
  m.pstg = copy;
  FORMATETC fe{cfEmbedded, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTORAGE};
  source->CacheData(cfEmbedded, &m, &fe);

  // Object descriptor: class, aspect, size, offset, status and the full type name.
  CLSID clsid = CLSID_NULL;
  m_lpObject->GetUserClassID(&clsid);
  LPOLESTR typeName = nullptr;
  m_lpObject->GetUserType(USERCLASSTYPE_FULL, &typeName);
  const size_t typeChars = typeName ? wcslen(typeName) + 1 : 0;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(OBJECTDESCRIPTOR) + typeChars * sizeof(WCHAR));
  if (block) {
    auto *od = static_cast<OBJECTDESCRIPTOR *>(GlobalLock(block));
    od->cbSize = DWORD(sizeof(OBJECTDESCRIPTOR) + typeChars * sizeof(WCHAR));
    od->clsid = clsid;
    od->dwDrawAspect = m_nDrawAspect;
    SIZE ext{};
    if (size)
      ext = *size;
    else
      GetCachedExtent(&ext);
    od->sizel = {ext.cx, ext.cy};
    od->pointl = {offset ? offset->x : 0, offset ? offset->y : 0};
    od->dwStatus = GetMiscStatus();
    if (typeName) {
      od->dwFullUserTypeName = sizeof(OBJECTDESCRIPTOR);
      memcpy(reinterpret_cast<BYTE *>(od) + sizeof(OBJECTDESCRIPTOR), typeName, typeChars * sizeof(WCHAR));
    }
    GlobalUnlock(block);
    FORMATETC dfe{cfDescriptor, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    source->CacheGlobalData(cfDescriptor, block, &dfe);
  }
  if (typeName)
    CoTaskMemFree(typeName);

  // The picture the cache holds for the draw aspect.
  IDataObject *data = nullptr;
  if (SUCCEEDED(m_lpObject->QueryInterface(IID_IDataObject, reinterpret_cast<void **>(&data)))) {
    FORMATETC pfe{CF_METAFILEPICT, nullptr, m_nDrawAspect, -1, TYMED_MFPICT};
    STGMEDIUM pm{};
    if (SUCCEEDED(data->GetData(&pfe, &pm))) {
      if (pm.pUnkForRelease) {
        // Ours to keep: a copy when the medium still belongs to the object.
        STGMEDIUM own{};
        if (AfxCopyStgMedium(CF_METAFILEPICT, &own, &pm))
          source->CacheData(CF_METAFILEPICT, &own, &pfe);
        ReleaseStgMedium(&pm);
      } else {
        source->CacheData(CF_METAFILEPICT, &pm, &pfe);
      }
    }
    data->Release();
  }
}

namespace {

// After a press on an object: true once the mouse left the drag rectangle around the
// press point or the drag delay passed with the button down; false when the button
// came up (a plain click) or Esc was pressed first.
bool drag_starts() {
  POINT start{};
  GetCursorPos(&start);
  const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
  const RECT still{start.x - cx, start.y - cy, start.x + cx + 1, start.y + cy + 1};
  const DWORD t0 = GetTickCount();
  const HWND owner = GetActiveWindow();
  HWND capture = GetFocus();
  if (!capture)
    capture = owner;
  SetCapture(capture);
  bool start_drag = false;
  for (;;) {
    MSG m;
    if (PeekMessageA(&m, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE) ||
        PeekMessageA(&m, nullptr, WM_RBUTTONUP, WM_RBUTTONUP, PM_REMOVE))
      break;
    if (PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && m.wParam == VK_ESCAPE) {
      PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
      break;
    }
    if (PeekMessageA(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
      POINT p{};
      GetCursorPos(&p);
      if (!PtInRect(&still, p)) {
        start_drag = true;
        break;
      }
      continue;
    }
    if (GetTickCount() - t0 >= UINT(GetDoubleClickTime())) {
      start_drag = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
      break;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_INPUT);
  }
  if (GetCapture() == capture)
    ReleaseCapture();
  return start_drag;
}

} // namespace

DWORD COleClientItem::DoDragDrop(const RECT &itemRect, POINT offset, BOOL includeLink, DWORD effects) {
  if (!drag_starts())
    return DROPEFFECT_NONE;
  // The descriptor wants HIMETRIC; the rectangle and offset are screen pixels.
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  SIZE size{MulDiv(itemRect.right - itemRect.left, 2540, dpiX), MulDiv(itemRect.bottom - itemRect.top, 2540, dpiY)};
  POINT at{MulDiv(offset.x, 2540, dpiX), MulDiv(offset.y, 2540, dpiY)};
  COleDataSource *source = OnGetClipboardData(includeLink, &at, &size);
  COleDropSource dropSource;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = ::DoDragDrop(source->GetDataObject(), dropSource.GetInterface(), effects, &effect);
  source->InternalRelease();
  return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

// Client site and advise sink.

HRESULT COleClientItem::XSite::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
    *out = static_cast<IOleClientSite *>(this);
  else if (IsEqualIID(iid, IID_IAdviseSink))
    *out = static_cast<IAdviseSink *>(this);
  else if (IsEqualIID(iid, IID_IOleInPlaceSite) || IsEqualIID(iid, IID_IOleWindow))
    *out = static_cast<IOleInPlaceSite *>(&item->m_xInPlaceSite);
  else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT COleClientItem::XSite::SaveObject() {
  try {
    item->SaveObjectToOwnStorage();
  } catch (COleException &e) {
    return e.m_sc;
  } catch (CException &) {
    return E_FAIL;
  }
  if (item->m_pDocument)
    item->m_pDocument->SetModifiedFlag();
  return S_OK;
}

HRESULT COleClientItem::XSite::GetMoniker(DWORD, DWORD, IMoniker **out) {
  if (out)
    *out = nullptr;
  return E_NOTIMPL;
}

HRESULT COleClientItem::XSite::GetContainer(IOleContainer **out) {
  if (out)
    *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT COleClientItem::XSite::OnShowWindow(BOOL show) {
  item->m_nItemState = show ? openState : loadedState;
  item->OnChange(OLE_CHANGED_STATE, item->m_nItemState);
  return S_OK;
}

void COleClientItem::XSite::OnViewChange(DWORD aspect, LONG) { item->OnChange(OLE_CHANGED, aspect); }

void COleClientItem::XSite::OnSave() { item->OnChange(OLE_SAVED, 0); }

void COleClientItem::XSite::OnClose() {
  if (item->m_nItemState == openState) {
    item->m_nItemState = loadedState;
    item->OnChange(OLE_CHANGED_STATE, loadedState);
  }
  item->OnChange(OLE_CLOSED, 0);
}

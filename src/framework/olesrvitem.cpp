// The server item: the part of a server document a container shows, for the
// embedding and for links to it, with its data source and clipboard data.
#include <cstring>
#include <string>

#include "framework/except.h"
#include "framework/metadc.h"
#include "framework/oledata.h"
#include "framework/oledoc.h"
#include "framework/oledoc_internal.h"
#include "framework/oleinit.h"
#include "framework/olesrv.h"

IMPLEMENT_DYNAMIC(COleServerItem, CDocItem)

using namespace oledoc_internal;

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

#include "framework/oledata.h"

#include <ole2.h>

#include <cstring>

#include "framework/except.h"
#include "framework/olefile.h"

namespace {

COleDataSource *g_clipboardSource = nullptr;

DVTARGETDEVICE *copyTargetDevice(const DVTARGETDEVICE *td) {
  if (!td)
    return nullptr;
  auto *copy = static_cast<DVTARGETDEVICE *>(CoTaskMemAlloc(td->tdSize));
  if (!copy)
    AfxThrowMemoryException();
  std::memcpy(copy, td, td->tdSize);
  return copy;
}

bool sameTargetDevice(const DVTARGETDEVICE *a, const DVTARGETDEVICE *b) {
  if (!a || !b)
    return a == b;
  return a->tdSize == b->tdSize && std::memcmp(a, b, a->tdSize) == 0;
}

FORMATETC defaultFormat(CLIPFORMAT format, DWORD tymed) {
  return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, tymed};
}

// The formats of a data source, copied when the enumeration starts.
class FormatEnum final : public IEnumFORMATETC {
public:
  explicit FormatEnum(std::vector<FORMATETC> formats) : m_formats(std::move(formats)) {}
  virtual ~FormatEnum() {
    for (FORMATETC &f : m_formats)
      CoTaskMemFree(f.ptd);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (!out)
      return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumFORMATETC)) {
      *out = static_cast<IEnumFORMATETC *>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_ref; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --m_ref;
    if (n == 0)
      delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC *out, ULONG *fetched) override {
    if (!out || (count > 1 && !fetched))
      return E_INVALIDARG;
    ULONG n = 0;
    try {
      for (; n < count && m_pos < m_formats.size(); ++n, ++m_pos) {
        out[n] = m_formats[m_pos];
        out[n].ptd = copyTargetDevice(m_formats[m_pos].ptd);
      }
    } catch (const CException &) {
      return E_OUTOFMEMORY;
    }
    if (fetched)
      *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    size_t left = m_formats.size() - m_pos;
    m_pos += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    m_pos = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC **out) override {
    if (!out)
      return E_POINTER;
    try {
      std::vector<FORMATETC> copy = m_formats;
      for (FORMATETC &f : copy)
        f.ptd = copyTargetDevice(f.ptd);
      auto *e = new FormatEnum(std::move(copy));
      e->m_pos = m_pos;
      *out = e;
    } catch (const CException &) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

private:
  ULONG m_ref = 1;
  std::vector<FORMATETC> m_formats;
  size_t m_pos = 0;
};

HMETAFILEPICT copyMetaFilePict(HMETAFILEPICT src) {
  auto *pict = static_cast<METAFILEPICT *>(GlobalLock(src));
  if (!pict)
    return nullptr;
  METAFILEPICT copy = *pict;
  GlobalUnlock(src);
  copy.hMF = CopyMetaFileA(copy.hMF, nullptr);
  if (!copy.hMF)
    return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof copy);
  auto *p = block ? static_cast<METAFILEPICT *>(GlobalLock(block)) : nullptr;
  if (!p) {
    DeleteMetaFile(copy.hMF);
    if (block)
      GlobalFree(block);
    return nullptr;
  }
  *p = copy;
  GlobalUnlock(block);
  return block;
}

// The whole stream from its start into dest, leaving the source where it was.
bool copyStream(IStream *src, IStream *dest) {
  LARGE_INTEGER zero{};
  ULARGE_INTEGER keep{}, all;
  all.QuadPart = ~0ULL;
  if (FAILED(src->Seek(zero, STREAM_SEEK_CUR, &keep)) || FAILED(src->Seek(zero, STREAM_SEEK_SET, nullptr)))
    return false;
  bool ok = SUCCEEDED(src->CopyTo(dest, all, nullptr, nullptr));
  LARGE_INTEGER back;
  back.QuadPart = LONGLONG(keep.QuadPart);
  src->Seek(back, STREAM_SEEK_SET, nullptr);
  return ok;
}

} // namespace

BOOL AfxCopyStgMedium(CLIPFORMAT format, STGMEDIUM *dest, const STGMEDIUM *src) {
  if (!dest || !src)
    return FALSE;
  if (dest->tymed != TYMED_NULL) {
    // Into the caller's own medium.
    if (dest->tymed != src->tymed)
      return FALSE;
    switch (src->tymed) {
    case TYMED_HGLOBAL: {
      SIZE_T n = GlobalSize(src->hGlobal);
      if (GlobalSize(dest->hGlobal) < n) {
        HGLOBAL grown = GlobalReAlloc(dest->hGlobal, n, GMEM_MOVEABLE);
        if (!grown)
          return FALSE;
        dest->hGlobal = grown;
      }
      void *from = GlobalLock(src->hGlobal);
      void *to = GlobalLock(dest->hGlobal);
      if (from && to)
        std::memcpy(to, from, n);
      if (from)
        GlobalUnlock(src->hGlobal);
      if (to)
        GlobalUnlock(dest->hGlobal);
      return (from && to) || n == 0;
    }
    case TYMED_ISTREAM:
      return copyStream(src->pstm, dest->pstm);
    case TYMED_ISTORAGE:
      return SUCCEEDED(src->pstg->CopyTo(0, nullptr, nullptr, dest->pstg));
    default:
      return FALSE;
    }
  }

  STGMEDIUM out{};
  out.tymed = src->tymed;
  switch (src->tymed) {
  case TYMED_HGLOBAL: {
    SIZE_T n = GlobalSize(src->hGlobal);
    out.hGlobal = GlobalAlloc(GMEM_MOVEABLE, n);
    if (!out.hGlobal)
      return FALSE;
    if (n) {
      void *from = GlobalLock(src->hGlobal);
      void *to = GlobalLock(out.hGlobal);
      if (from && to)
        std::memcpy(to, from, n);
      if (from)
        GlobalUnlock(src->hGlobal);
      if (to)
        GlobalUnlock(out.hGlobal);
      if (!from || !to) {
        GlobalFree(out.hGlobal);
        return FALSE;
      }
    }
    break;
  }
  case TYMED_FILE: {
    size_t n = (wcslen(src->lpszFileName) + 1) * sizeof(wchar_t);
    out.lpszFileName = static_cast<LPOLESTR>(CoTaskMemAlloc(n));
    if (!out.lpszFileName)
      return FALSE;
    std::memcpy(out.lpszFileName, src->lpszFileName, n);
    break;
  }
  case TYMED_ISTREAM:
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &out.pstm)))
      return FALSE;
    if (!copyStream(src->pstm, out.pstm)) {
      out.pstm->Release();
      return FALSE;
    }
    {
      LARGE_INTEGER zero{};
      out.pstm->Seek(zero, STREAM_SEEK_SET, nullptr);
    }
    break;
  case TYMED_ISTORAGE: {
    ILockBytes *bytes = nullptr;
    if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes)))
      return FALSE;
    HRESULT sc =
        StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &out.pstg);
    bytes->Release();
    if (FAILED(sc))
      return FALSE;
    if (FAILED(src->pstg->CopyTo(0, nullptr, nullptr, out.pstg))) {
      out.pstg->Release();
      return FALSE;
    }
    break;
  }
  case TYMED_GDI:
    out.hBitmap = format == CF_BITMAP || format == 0
                      ? static_cast<HBITMAP>(CopyImage(src->hBitmap, IMAGE_BITMAP, 0, 0, 0))
                      : static_cast<HBITMAP>(OleDuplicateData(src->hBitmap, format, 0));
    if (!out.hBitmap)
      return FALSE;
    break;
  case TYMED_MFPICT:
    out.hMetaFilePict = copyMetaFilePict(src->hMetaFilePict);
    if (!out.hMetaFilePict)
      return FALSE;
    break;
  case TYMED_ENHMF:
    out.hEnhMetaFile = CopyEnhMetaFileA(src->hEnhMetaFile, nullptr);
    if (!out.hEnhMetaFile)
      return FALSE;
    break;
  default:
    return FALSE;
  }
  *dest = out;
  return TRUE;
}

// --- COleDataSource ---

COleDataSource::COleDataSource() { m_xDataObject.owner = this; }

COleDataSource::~COleDataSource() {
  if (g_clipboardSource == this)
    g_clipboardSource = nullptr;
  Empty();
}

ULONG COleDataSource::InternalRelease() {
  ULONG n = --m_dwRef;
  if (n == 0)
    delete this;
  return n;
}

void COleDataSource::Empty() {
  for (Entry &e : m_cache) {
    CoTaskMemFree(e.format.ptd);
    if (e.medium.tymed != TYMED_NULL)
      ReleaseStgMedium(&e.medium);
  }
  m_cache.clear();
}

COleDataSource::Entry *COleDataSource::Lookup(const FORMATETC *f) {
  Entry *found = nullptr;
  for (Entry &e : m_cache) {
    if (e.format.cfFormat != f->cfFormat || e.format.dwAspect != f->dwAspect || e.format.lindex != f->lindex ||
        (e.format.tymed & f->tymed) == 0)
      continue;
    // A data source answers for any target device, best for its own.
    if (sameTargetDevice(e.format.ptd, f->ptd))
      return &e;
    if (!found)
      found = &e;
  }
  return found;
}

COleDataSource::Entry &COleDataSource::EntryFor(const FORMATETC &f) {
  DVTARGETDEVICE *td = copyTargetDevice(f.ptd);
  Entry *e = Lookup(&f);
  if (e) {
    CoTaskMemFree(e->format.ptd);
    if (e->medium.tymed != TYMED_NULL)
      ReleaseStgMedium(&e->medium);
  } else {
    m_cache.push_back(Entry{});
    e = &m_cache.back();
  }
  e->format = f;
  e->format.ptd = td;
  e->medium = STGMEDIUM{};
  return *e;
}

void COleDataSource::CacheData(CLIPFORMAT format, STGMEDIUM *medium, const FORMATETC *formatEtc) {
  FORMATETC f = formatEtc ? *formatEtc : defaultFormat(format, medium->tymed);
  f.cfFormat = format;
  EntryFor(f).medium = *medium;
}

void COleDataSource::CacheGlobalData(CLIPFORMAT format, HGLOBAL block, const FORMATETC *formatEtc) {
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = block;
  CacheData(format, &medium, formatEtc);
}

void COleDataSource::DelayRenderData(CLIPFORMAT format, const FORMATETC *formatEtc) {
  FORMATETC f = formatEtc ? *formatEtc : defaultFormat(format, TYMED_HGLOBAL);
  f.cfFormat = format;
  EntryFor(f);
}

void COleDataSource::DelayRenderFileData(CLIPFORMAT format, const FORMATETC *formatEtc) {
  FORMATETC f = formatEtc ? *formatEtc : defaultFormat(format, TYMED_ISTREAM | TYMED_HGLOBAL);
  f.cfFormat = format;
  EntryFor(f);
}

void COleDataSource::SetClipboard() {
  HRESULT sc = OleSetClipboard(&m_xDataObject);
  if (sc != S_OK)
    AfxThrowOleException(sc);
  g_clipboardSource = this;
  InternalRelease();
}

COleDataSource *COleDataSource::GetClipboardOwner() {
  if (!g_clipboardSource)
    return nullptr;
  if (OleIsCurrentClipboard(&g_clipboardSource->m_xDataObject) != S_OK) {
    g_clipboardSource = nullptr;
    return nullptr;
  }
  return g_clipboardSource;
}

void COleDataSource::FlushClipboard() {
  if (GetClipboardOwner())
    OleFlushClipboard();
}

BOOL COleDataSource::OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium) {
  if (formatEtc->tymed & TYMED_HGLOBAL) {
    HGLOBAL block = medium->tymed == TYMED_HGLOBAL ? medium->hGlobal : nullptr;
    if (OnRenderGlobalData(formatEtc, &block) && block) {
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = block;
      return TRUE;
    }
    CSharedFile file;
    if (medium->tymed == TYMED_HGLOBAL)
      file.SetHandle(medium->hGlobal, FALSE);
    if (OnRenderFileData(formatEtc, &file)) {
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = file.Detach();
      return TRUE;
    }
  }
  if (formatEtc->tymed & TYMED_ISTREAM) {
    COleStreamFile file;
    if (medium->tymed == TYMED_ISTREAM) {
      file.Attach(medium->pstm);
    } else if (!file.CreateMemoryStream()) {
      AfxThrowMemoryException();
    }
    if (OnRenderFileData(formatEtc, &file)) {
      medium->tymed = TYMED_ISTREAM;
      medium->pstm = file.Detach();
      return TRUE;
    }
    if (medium->tymed == TYMED_ISTREAM)
      file.Detach(); // the caller's
  }
  return FALSE;
}

BOOL COleDataSource::OnRenderGlobalData(FORMATETC *, HGLOBAL *) { return FALSE; }

BOOL COleDataSource::OnRenderFileData(FORMATETC *, CFile *) { return FALSE; }

// --- its IDataObject ---

HRESULT COleDataSource::XDataObject::QueryInterface(REFIID iid, void **out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
    *out = static_cast<IDataObject *>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG COleDataSource::XDataObject::AddRef() { return owner->InternalAddRef(); }

ULONG COleDataSource::XDataObject::Release() { return owner->InternalRelease(); }

namespace {

// Renders without letting an exception out of a COM call.
template <class F> HRESULT guarded(F render) {
  try {
    return render() ? S_OK : DV_E_FORMATETC;
  } catch (const CException &e) {
    return HRESULT(COleException::Process(e));
  } catch (...) {
    return E_UNEXPECTED;
  }
}

} // namespace

HRESULT COleDataSource::XDataObject::GetData(FORMATETC *formatEtc, STGMEDIUM *medium) {
  if (!formatEtc || !medium)
    return E_INVALIDARG;
  Entry *e = owner->Lookup(formatEtc);
  if (!e)
    return DV_E_FORMATETC;
  *medium = STGMEDIUM{};
  if (e->medium.tymed != TYMED_NULL)
    return AfxCopyStgMedium(formatEtc->cfFormat, medium, &e->medium) ? S_OK : DV_E_FORMATETC;
  FORMATETC request = *formatEtc;
  request.tymed &= e->format.tymed; // only the media offered
  owner->InternalAddRef(); // the renderer may drop the clipboard's reference
  HRESULT sc = guarded([&] { return owner->OnRenderData(&request, medium) && medium->tymed != TYMED_NULL; });
  if (FAILED(sc) && medium->tymed != TYMED_NULL) {
    ReleaseStgMedium(medium);
    *medium = STGMEDIUM{};
  }
  owner->InternalRelease();
  return sc;
}

HRESULT COleDataSource::XDataObject::GetDataHere(FORMATETC *formatEtc, STGMEDIUM *medium) {
  if (!formatEtc || !medium)
    return E_INVALIDARG;
  FORMATETC request = *formatEtc;
  request.tymed = medium->tymed;
  Entry *e = owner->Lookup(&request);
  if (!e)
    return DV_E_FORMATETC;
  if (e->medium.tymed != TYMED_NULL)
    return AfxCopyStgMedium(formatEtc->cfFormat, medium, &e->medium) ? S_OK : DV_E_FORMATETC;
  owner->InternalAddRef();
  HRESULT sc = guarded([&] { return owner->OnRenderData(&request, medium); });
  owner->InternalRelease();
  return sc;
}

HRESULT COleDataSource::XDataObject::QueryGetData(FORMATETC *formatEtc) {
  if (!formatEtc)
    return E_INVALIDARG;
  return owner->Lookup(formatEtc) ? S_OK : DV_E_FORMATETC;
}

HRESULT COleDataSource::XDataObject::GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) {
  if (!out)
    return E_INVALIDARG;
  if (in)
    *out = *in;
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT COleDataSource::XDataObject::SetData(FORMATETC *, STGMEDIUM *, BOOL) { return E_NOTIMPL; }

HRESULT COleDataSource::XDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  try {
    std::vector<FORMATETC> formats;
    // Nothing can be set, so the set direction lists nothing.
    if (direction == DATADIR_GET) {
      for (const Entry &e : owner->m_cache) {
        FORMATETC f = e.format;
        f.ptd = copyTargetDevice(e.format.ptd);
        formats.push_back(f);
      }
    }
    *out = new FormatEnum(std::move(formats));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT COleDataSource::XDataObject::DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) {
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT COleDataSource::XDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT COleDataSource::XDataObject::EnumDAdvise(IEnumSTATDATA **) { return OLE_E_ADVISENOTSUPPORTED; }

// --- COleDataObject ---

void COleDataObject::Attach(IDataObject *dataObject, BOOL autoRelease) {
  Release();
  m_lpDataObject = dataObject;
  m_bAutoRelease = autoRelease;
}

IDataObject *COleDataObject::Detach() {
  if (m_lpEnumerator)
    m_lpEnumerator->Release();
  m_lpEnumerator = nullptr;
  IDataObject *p = m_lpDataObject;
  m_lpDataObject = nullptr;
  m_bClipboard = FALSE;
  return p;
}

void COleDataObject::Release() {
  if (m_lpEnumerator)
    m_lpEnumerator->Release();
  m_lpEnumerator = nullptr;
  if (m_lpDataObject && m_bAutoRelease)
    m_lpDataObject->Release();
  m_lpDataObject = nullptr;
  m_bClipboard = FALSE;
}

BOOL COleDataObject::AttachClipboard() {
  Release();
  IDataObject *p = nullptr;
  if (OleGetClipboard(&p) != S_OK || !p)
    return FALSE;
  Attach(p, TRUE);
  m_bClipboard = TRUE;
  return TRUE;
}

HGLOBAL COleDataObject::ClipboardMetaFilePict() const {
  if (!m_bClipboard)
    return nullptr;
  HGLOBAL copy = nullptr;
  for (int i = 0; i < 10 && !OpenClipboard(nullptr); ++i)
    Sleep(10);
  if (HANDLE h = GetClipboardData(CF_METAFILEPICT))
    copy = copyMetaFilePict(h);
  CloseClipboard();
  return copy;
}

HENHMETAFILE COleDataObject::ClipboardEnhMetaFile() const {
  if (!m_bClipboard)
    return nullptr;
  HENHMETAFILE copy = nullptr;
  for (int i = 0; i < 10 && !OpenClipboard(nullptr); ++i)
    Sleep(10);
  if (HANDLE h = GetClipboardData(CF_ENHMETAFILE))
    copy = CopyEnhMetaFileA(static_cast<HENHMETAFILE>(h), nullptr);
  CloseClipboard();
  return copy;
}

void COleDataObject::BeginEnumFormats() {
  if (m_lpEnumerator)
    m_lpEnumerator->Release();
  m_lpEnumerator = nullptr;
  if (m_lpDataObject)
    m_lpDataObject->EnumFormatEtc(DATADIR_GET, &m_lpEnumerator);
}

BOOL COleDataObject::GetNextFormat(FORMATETC *formatEtc) {
  ULONG n = 0;
  return m_lpEnumerator && m_lpEnumerator->Next(1, formatEtc, &n) == S_OK && n == 1;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format, FORMATETC *formatEtc) {
  FORMATETC f = defaultFormat(format, DWORD(-1));
  return m_lpDataObject && m_lpDataObject->QueryGetData(formatEtc ? formatEtc : &f) == S_OK;
}

BOOL COleDataObject::GetData(CLIPFORMAT format, STGMEDIUM *medium, FORMATETC *formatEtc) {
  FORMATETC f = defaultFormat(format, DWORD(-1));
  FORMATETC *req = formatEtc ? formatEtc : &f;
  if (!m_lpDataObject)
    return FALSE;
  if (m_lpDataObject->GetData(req, medium) == S_OK)
    return TRUE;
  if (format == CF_METAFILEPICT && (req->tymed & TYMED_MFPICT)) {
    if (HGLOBAL pict = ClipboardMetaFilePict()) {
      *medium = STGMEDIUM{};
      medium->tymed = TYMED_MFPICT;
      medium->hMetaFilePict = pict;
      return TRUE;
    }
  }
  if (format == CF_ENHMETAFILE && (req->tymed & TYMED_ENHMF)) {
    if (HENHMETAFILE emf = ClipboardEnhMetaFile()) {
      *medium = STGMEDIUM{};
      medium->tymed = TYMED_ENHMF;
      medium->hEnhMetaFile = emf;
      return TRUE;
    }
  }
  return FALSE;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT format, FORMATETC *formatEtc) {
  FORMATETC f = defaultFormat(format, TYMED_HGLOBAL | TYMED_MFPICT);
  STGMEDIUM medium{};
  if (!m_lpDataObject)
    return nullptr;
  if (m_lpDataObject->GetData(formatEtc ? formatEtc : &f, &medium) != S_OK)
    return format == CF_METAFILEPICT ? ClipboardMetaFilePict() : nullptr;
  if (medium.tymed != TYMED_HGLOBAL && medium.tymed != TYMED_MFPICT) {
    ReleaseStgMedium(&medium);
    return nullptr;
  }
  if (!medium.pUnkForRelease)
    return medium.hGlobal;
  // The data object keeps the block: hand out a copy.
  STGMEDIUM copy{};
  BOOL ok = medium.tymed == TYMED_HGLOBAL ? AfxCopyStgMedium(format, &copy, &medium) : FALSE;
  if (medium.tymed == TYMED_MFPICT) {
    copy.hMetaFilePict = copyMetaFilePict(medium.hMetaFilePict);
    ok = copy.hMetaFilePict != nullptr;
  }
  ReleaseStgMedium(&medium);
  return ok ? copy.hGlobal : nullptr;
}

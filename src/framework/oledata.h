// Data for the OLE clipboard and drag and drop.
//
// COleDataSource offers formats through its IDataObject: cached data (handed out as
// independent copies) or data rendered on each request (delayed rendering) through
// OnRenderData, whose default renders into a global block or a stream through
// OnRenderGlobalData and OnRenderFileData. It is reference counted: new gives one
// reference, SetClipboard hands that reference to the clipboard, and the last
// Release deletes it. SetData and advise sinks are not supported.
//
// COleDataObject is the consumer's side over any IDataObject, or the clipboard's.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <vector>

#include "framework/except.h"
#include "framework/file.h"
#include "framework/object.h"

class COleDataSource : public CObject {
public:
  COleDataSource();
  ~COleDataSource() override;
  COleDataSource(const COleDataSource &) = delete;
  COleDataSource &operator=(const COleDataSource &) = delete;

  // The data takes over the medium (or the block); the same format given again replaces
  // what was there. Without a description: aspect content, index -1, no target device,
  // the medium's own type.
  void CacheData(CLIPFORMAT format, STGMEDIUM *medium, const FORMATETC *formatEtc = nullptr);
  void CacheGlobalData(CLIPFORMAT format, HGLOBAL block, const FORMATETC *formatEtc = nullptr);
  // Offers the format; OnRenderData makes it for each request. Without a description:
  // aspect content, index -1, no target device, TYMED_HGLOBAL.
  void DelayRenderData(CLIPFORMAT format, const FORMATETC *formatEtc = nullptr);
  // As DelayRenderData, by default as TYMED_ISTREAM | TYMED_HGLOBAL.
  void DelayRenderFileData(CLIPFORMAT format, const FORMATETC *formatEtc = nullptr);
  // Drops every format.
  void Empty();

  // Puts the data source on the OLE clipboard (the clipboard holds it from now on;
  // the caller's reference goes to it). A failure throws COleException.
  void SetClipboard();
  // When our data source owns the clipboard, renders every format onto the clipboard
  // and lets the data source go.
  static void FlushClipboard();
  // The data source that owns the clipboard, or null.
  static COleDataSource *GetClipboardOwner();

  // The data interface (no reference added).
  IDataObject *GetDataObject() { return &m_xDataObject; }
  ULONG InternalAddRef() { return ++m_dwRef; }
  // Deletes the data source at the last reference.
  ULONG InternalRelease();

  // A requested format that was offered for delayed rendering: fill the medium (its
  // handle is already set for GetDataHere). The default tries a global block, then a
  // stream, as the request allows.
  virtual BOOL OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium);
  // *block is null, or the caller's block to write into.
  virtual BOOL OnRenderGlobalData(FORMATETC *formatEtc, HGLOBAL *block);
  virtual BOOL OnRenderFileData(FORMATETC *formatEtc, CFile *file);

private:
  struct Entry {
    FORMATETC format;
    STGMEDIUM medium; // TYMED_NULL: delayed
  };
  struct XDataObject : IDataObject {
    COleDataSource *owner;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC *formatEtc, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *formatEtc, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *formatEtc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **) override;
  };

  Entry *Lookup(const FORMATETC *formatEtc);
  // The entry for the format, emptied, or a new one.
  Entry &EntryFor(const FORMATETC &formatEtc);

  XDataObject m_xDataObject;
  ULONG m_dwRef = 1;
  std::vector<Entry> m_cache;
};

class COleDataObject {
public:
  COleDataObject() = default;
  ~COleDataObject() { Release(); }
  COleDataObject(const COleDataObject &) = delete;
  COleDataObject &operator=(const COleDataObject &) = delete;

  // Works on the data object; with autoRelease its reference is released by Release.
  void Attach(IDataObject *dataObject, BOOL autoRelease = TRUE);
  IDataObject *Detach();
  void Release();
  // The clipboard's data object (OleGetClipboard); FALSE when there is none. Wine's
  // clipboard object cannot hand out a metafile picture that another program put on
  // the clipboard: GetData and GetGlobalData then take it (and GetData an enhanced
  // metafile too) from the clipboard itself.
  BOOL AttachClipboard();

  void BeginEnumFormats();
  BOOL GetNextFormat(FORMATETC *formatEtc); // the caller frees formatEtc->ptd
  // Without a description: aspect content, index -1, no target device, any medium.
  BOOL IsDataAvailable(CLIPFORMAT format, FORMATETC *formatEtc = nullptr);
  // The caller releases the medium (ReleaseStgMedium).
  BOOL GetData(CLIPFORMAT format, STGMEDIUM *medium, FORMATETC *formatEtc = nullptr);
  // A global block of the caller's (a copy when the data object keeps its own); null
  // when the data is not available as a global block.
  HGLOBAL GetGlobalData(CLIPFORMAT format, FORMATETC *formatEtc = nullptr);

  IDataObject *m_lpDataObject = nullptr;

private:
  // The metafile picture straight from the clipboard (a copy of the caller's).
  HGLOBAL ClipboardMetaFilePict() const;
  // The enhanced metafile straight from the clipboard (a copy of the caller's).
  HENHMETAFILE ClipboardEnhMetaFile() const;

  IEnumFORMATETC *m_lpEnumerator = nullptr;
  BOOL m_bAutoRelease = TRUE;
  BOOL m_bClipboard = FALSE;
};

// A copy of the medium's data that the caller owns, of the same type (for a
// destination that already holds a block, stream or storage, the data goes into it).
// FALSE when the medium cannot be copied.
BOOL AfxCopyStgMedium(CLIPFORMAT format, STGMEDIUM *dest, const STGMEDIUM *src);

// OLE documents: COleDocument keeps the document's items and its root storage and
// reads and writes the document as the stream "Contents" of a storage;
// COleServerDoc is the object a container embeds (IOleObject, IPersistStorage,
// IDataObject), with COleServerItem as the part of it the container shows.
// No in-place activation: an embedding is edited in the server's own window.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <vector>

#include "framework/cstring.h"
#include "framework/document.h"
#include "framework/object.h"

class CArchive;
class CDC;
class CFile;
class COleDataSource;
class COleDocument;
class COleObjectFactory;
class COleServerDoc;
class COleServerItem;

// An item of an OLE document (server items here; client items join later).
class CDocItem : public CObject {
  DECLARE_DYNAMIC(CDocItem)
public:
  CDocItem() = default;
  ~CDocItem() override;
  CDocItem(const CDocItem &) = delete;
  CDocItem &operator=(const CDocItem &) = delete;
  COleDocument *GetDocument() const { return m_pDocument; }
  // A blank item is not stored with the document's item list.
  virtual BOOL IsBlank() const { return FALSE; }

protected:
  friend class COleDocument;
  COleDocument *m_pDocument = nullptr;
};

class COleDocument : public CDocument {
  DECLARE_DYNAMIC(COleDocument)
public:
  COleDocument();           // takes an OLE lock of the application
  ~COleDocument() override; // deletes the items, releases the storage, unlocks

  void AddItem(CDocItem *item);
  // Takes the item out of the list; OnItemRemoved tells the document.
  void RemoveItem(CDocItem *item);
  // An item left the document (it may be about to be deleted).
  virtual void OnItemRemoved(CDocItem *) {}
  const std::vector<CDocItem *> &GetItems() const { return m_items; }
  // The next item (of any kind / server items only) from position pos on; pos moves
  // behind it. Null at the end.
  CDocItem *GetNextItem(size_t &pos) const;
  COleServerItem *GetNextServerItem(size_t &pos) const;

  void EnableCompoundFile(BOOL enable = TRUE) { m_bCompoundFile = enable; }
  BOOL IsCompoundFile() const { return m_bCompoundFile; }

  // Writes the stream "Contents" of the root storage through an archive into
  // Serialize of the document, or of object (an item serialised in the document's
  // place); writes the class and user type when the document knows them; commits.
  // Throws on failure.
  virtual void SaveToStorage(CObject *object = nullptr);
  // Reads "Contents" of the root storage into Serialize. Throws on failure.
  virtual void LoadFromStorage();
  // After a save: the items' storages follow (client items; nothing for server items).
  virtual void CommitItems(BOOL success);
  // The item list: a 32-bit count of the items that are not blank, then each item
  // as an object; loaded items join the document.
  void Serialize(CArchive &ar) override;

  // A compound file (path given, compound files enabled) or, with no path, the root
  // storage; otherwise the plain document behaviour.
  BOOL OnOpenDocument(const char *path) override;
  BOOL OnSaveDocument(const char *path) override;
  void DeleteContents() override {}
  // Storage errors (COleException) are told as the file errors they stand for;
  // silent for user exceptions.
  void ReportSaveLoadException(const char *path, const CException *e, BOOL saving, UINT defaultPrompt) override;

  // The class written with the storage, and its user type; FALSE when none.
  virtual BOOL GetStorageClass(CLSID &clsid, CString &userType) const;

  IStorage *m_lpRootStg = nullptr; // the document's root storage (one reference)
  BOOL m_bSameAsLoad = TRUE;       // saving into the storage it was loaded from
  BOOL m_bRemember = TRUE;         // the storage saved into becomes the document's

protected:
  BOOL m_bCompoundFile = FALSE;
  std::vector<CDocItem *> m_items;
};

// Linking by item name comes later; the class keeps the document hierarchy.
class COleLinkingDoc : public COleDocument {
  DECLARE_DYNAMIC(COleLinkingDoc)
};

class COleServerDoc : public COleLinkingDoc {
  DECLARE_DYNAMIC(COleServerDoc)
public:
  COleServerDoc();
  ~COleServerDoc() override;

  // The embedded item, made by OnGetEmbeddedItem on first use (null when none).
  COleServerItem *GetEmbeddedItem();
  BOOL IsEmbedded() const { return m_bEmbedded; }
  void SetEmbedded(BOOL embedded) { m_bEmbedded = embedded; }
  // The factory that made the document (gives class and entries); set by the factory.
  void SetFactory(const COleObjectFactory *factory, const CLSID &clsid) {
    m_pFactory = factory;
    m_clsid = clsid;
  }
  BOOL GetStorageClass(CLSID &clsid, CString &userType) const override;

  // The object's interfaces (IOleObject; the others through QueryInterface); no
  // reference is added.
  IUnknown *GetInterface() { return static_cast<IOleObject *>(&m_xOle); }
  ULONG ExternalAddRef();
  // At the last reference a document made for a container closes.
  ULONG ExternalRelease();
  // A document made by a container closes when the container lets go of it.
  BOOL m_bCloseOnRelease = FALSE;

  void NotifyChanged(); // the embedded data changed: the containers' views follow
  void NotifySaved();   // OnSave to the advise sinks
  void NotifyClosed();  // OnClose to the advise sinks
  void UpdateAllItems(COleServerItem *sender, LPARAM hint = 0, CObject *hintObject = nullptr,
                      DVASPECT aspect = DVASPECT_CONTENT);

  // Embedded: asks the container to save it (the client site's SaveObject).
  virtual BOOL OnUpdateDocument();
  void OnCloseDocument() override;
  BOOL OnNewDocument() override;

  virtual COleServerItem *OnGetEmbeddedItem() = 0;
  virtual void OnSetHostNames(const char *, const char *) {}
  // Saves when asked and modified, then closes the document.
  virtual void OnClose(OLECLOSE saveOption);
  virtual void OnNewEmbedding(IStorage *storage);
  virtual void OnOpenEmbedding(IStorage *storage);
  virtual void OnSaveEmbedding(IStorage *storage);
  // Shows (frame and main window) or hides the document's frames.
  virtual void OnShowDocument(BOOL show);
  virtual void OnShowViews(BOOL) {}
  // No in-place activation: these do nothing.
  virtual void OnDeactivateUI(BOOL) {}
  virtual void OnDocWindowActivate(BOOL) {}
  virtual void OnSetItemRects(const RECT *, const RECT *) {}
  virtual void OnFrameWindowActivate(BOOL) {}

  IOleClientSite *m_lpClientSite = nullptr;
  BOOL m_bClosing = FALSE; // the document is on its way out

protected:
  BOOL m_bEmbedded = FALSE;
  COleServerItem *m_pEmbeddedItem = nullptr;
  IOleAdviseHolder *m_lpOleAdviseHolder = nullptr;
  const COleObjectFactory *m_pFactory = nullptr;
  CLSID m_clsid = CLSID_NULL;

private:
  friend class COleServerItem;
  struct XOle : IOleObject, IPersistStorage, IDataObject {
    COleServerDoc *doc;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return doc->ExternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return doc->ExternalRelease(); }
    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite *site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite **site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker **out) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject *, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject **out) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite *, LONG, HWND, LPCRECT) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB **out) override;
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID *clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR *type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL *size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL *size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink *sink, DWORD *connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA **out) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD *status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE *) override { return E_NOTIMPL; }
    // IPersistStorage
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *clsid) override { return GetUserClassID(clsid); }
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE InitNew(IStorage *storage) override;
    HRESULT STDMETHODCALLTYPE Load(IStorage *storage) override;
    HRESULT STDMETHODCALLTYPE Save(IStorage *storage, BOOL sameAsLoad) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage *storage) override;
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override;
    // IDataObject: the embedded item's data source; advises to the item's holder
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC *formatEtc, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *formatEtc, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *formatEtc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *formatEtc, DWORD flags, IAdviseSink *sink, DWORD *connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **out) override;
    IDataObject *ItemData();
  };
  XOle m_xOle;
  ULONG m_dwRef = 0;
  BOOL m_bInClose = FALSE;
  BOOL m_bDeleteOnRelease = FALSE;
};

class COleServerItem : public CDocItem {
  DECLARE_DYNAMIC(COleServerItem)
public:
  // The item joins the document; the embedded item of a server document is the one
  // OnGetEmbeddedItem makes.
  COleServerItem(COleServerDoc *doc, BOOL autoDelete);
  ~COleServerItem() override;

  COleServerDoc *GetDocument() const { return static_cast<COleServerDoc *>(m_pDocument); }
  BOOL IsBlank() const override { return TRUE; }
  const CString &GetItemName() const { return m_strItemName; }
  void SetItemName(const char *name) { m_strItemName = name; }
  BOOL IsLinkedItem() const;
  // The data source the container reads: it offers CF_METAFILEPICT, and whatever the
  // item adds, and renders through OnRenderData.
  COleDataSource *GetDataSource() { return m_pDataSource; }
  // The embedded item stores the whole document (Serialize of the document).
  void Serialize(CArchive &ar) override;

  // Draws the item; size gets the item's size (HIMETRIC) when the drawing knows it.
  virtual BOOL OnDraw(CDC *dc, SIZE &size) = 0;
  virtual BOOL OnDrawEx(CDC *dc, DVASPECT aspect, SIZE &size);
  // CF_METAFILEPICT through OnDrawEx into a metafile DC; other formats through a
  // global block (OnRenderGlobalData) or a file (OnRenderFileData).
  virtual BOOL OnRenderData(FORMATETC *formatEtc, STGMEDIUM *medium);
  virtual BOOL OnRenderGlobalData(FORMATETC *formatEtc, HGLOBAL *block);
  virtual BOOL OnRenderFileData(FORMATETC *formatEtc, CFile *file);
  // Content: the extent member (FALSE while 0 x 0); other aspects FALSE.
  virtual BOOL OnGetExtent(DVASPECT aspect, SIZE &size);
  virtual BOOL OnSetExtent(DVASPECT aspect, const SIZE &size);
  // Primary and show: OnShow; open and verb 1: OnOpen; hide: OnHide; others throw
  // COleException(OLEOBJ_S_INVALIDVERB).
  virtual void OnDoVerb(LONG verb);
  virtual void OnShow();
  virtual void OnOpen(); // shows the document in its own window
  virtual void OnHide();
  virtual void OnUpdate(COleServerItem *sender, LPARAM hint, CObject *hintObject, DVASPECT aspect);
  // A new data source (the caller's reference) with "Embed Source", "Object
  // Descriptor" and the item's presentation formats.
  virtual COleDataSource *OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size);

  // "Object Descriptor" in a global block.
  void GetObjectDescriptorData(const POINT *offset, const SIZE *size, STGMEDIUM *medium);
  // "Embed Source": a storage in memory holding the item serialised in the document's place.
  void GetEmbedSourceData(STGMEDIUM *medium);
  // The data of the item changed: data advise sinks hear of it.
  void NotifyChanged(DVASPECT aspect = DVASPECT_CONTENT);

  BOOL m_bAutoDelete;
  SIZE m_sizeExtent = {0, 0};

  static CLIPFORMAT cfEmbedSource;
  static CLIPFORMAT cfObjectDescriptor;

protected:
  friend class COleServerDoc;
  IDataAdviseHolder *m_lpDataAdviseHolder = nullptr;
  CString m_strItemName;

private:
  COleDataSource *m_pDataSource = nullptr;
};

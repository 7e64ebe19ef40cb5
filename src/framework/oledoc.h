// OLE documents: COleDocument keeps the document's items and its root storage and
// reads and writes the document as the stream "Contents" of a storage;
// COleServerDoc is the object a container embeds (IOleObject, IPersistStorage,
// IDataObject), with COleServerItem as the part of it the container shows.
// A server document is activated in place when its container's site allows it
// (oleipsrv.cpp): its first view moves into a window of its own inside the
// container's window, and its main frame's menus are merged into the container's.
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
class COleClientItem;
class COleDataSource;
class COleDocument;
class CView;
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
  // The client item active in place in the view (any view when null), or null.
  COleClientItem *GetInPlaceActiveItem(CView *view) const;

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

// A document other programs link to. While it has a path name it is registered in
// the running object table under the path's file moniker, so that a link (the file
// moniker, joined with an item moniker for a part) finds the running document; the
// document answers the item name through OnGetLinkedItem.
//
// The running object table holds the document's item container, not the document's
// own object: the table's reference neither keeps a document alive that a container
// let go of, nor closes one while its registration changes.
class COleLinkingDoc : public COleDocument {
  DECLARE_DYNAMIC(COleLinkingDoc)
public:
  COleLinkingDoc();
  ~COleLinkingDoc() override; // revokes

  // The document serves the factory's class; with a path it is registered under the
  // path's file moniker. FALSE when the moniker cannot be made, another object runs
  // under it already, or the table refuses it.
  BOOL Register(const COleObjectFactory *factory, const char *path);
  // Leaves the running object table; the links bound through it are cut.
  void Revoke();
  // Register with the factory attached to the document's template (nothing to do
  // without one); a failure is told to the user when message is set.
  BOOL RegisterIfServerAttached(const char *path, BOOL message);
  // The path the document is registered under; empty when none.
  const CString &GetMonikerName() const { return m_strMoniker; }
  BOOL IsRegistered() const { return m_dwRegister != 0; }
  // The document's moniker (the caller's reference), or null when it has none.
  virtual IMoniker *GetMoniker(OLEGETMONIKER assign);
  // The server item of that name, or null.
  virtual COleServerItem *OnGetLinkedItem(const char *name);

  // The factory that made the document (gives class and entries).
  void SetFactory(const COleObjectFactory *factory, const CLSID &clsid) {
    m_pFactory = factory;
    m_clsid = clsid;
  }
  const CLSID &GetClassID() const { return m_clsid; }

  // The item container (IOleItemContainer); no reference is added.
  IOleItemContainer *GetContainer() { return &m_xContainer; }
  // The document as a file (IPersistFile): a link to a file that no program has
  // open makes a document and loads it from the file; no reference is added.
  IPersistFile *GetPersistFile() { return &m_xPersistFile; }
  // The references of the document's own interfaces (a server document counts them).
  virtual ULONG InterfaceAddRef() { return 1; }
  virtual ULONG InterfaceRelease() { return 1; }
  // The document's other interfaces, asked through the item container; none here.
  virtual HRESULT ExternalQueryInterface(REFIID iid, void **out);

  // New and opened documents register (opened ones under their path); a save that
  // remembers a new path registers under it.
  BOOL OnNewDocument() override;
  BOOL OnOpenDocument(const char *path) override;
  BOOL OnSaveDocument(const char *path) override;
  void OnCloseDocument() override;

protected:
  const COleObjectFactory *m_pFactory = nullptr;
  CLSID m_clsid = CLSID_NULL;
  IMoniker *m_lpMonikerROT = nullptr; // the registered file moniker
  DWORD m_dwRegister = 0;             // its key in the running object table
  CString m_strMoniker;               // the path it was made from

private:
  struct XContainer : IOleItemContainer {
    COleLinkingDoc *doc;
    ULONG refs = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return refs ? --refs : 0; }
    // "!name" (or another delimiter before the name): an item moniker of the rest.
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx *, LPOLESTR name, ULONG *eaten, IMoniker **out) override;
    HRESULT STDMETHODCALLTYPE EnumObjects(DWORD, IEnumUnknown **out) override;
    HRESULT STDMETHODCALLTYPE LockContainer(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetObject(LPOLESTR item, DWORD speed, IBindCtx *, REFIID iid, void **out) override;
    HRESULT STDMETHODCALLTYPE GetObjectStorage(LPOLESTR, IBindCtx *, REFIID, void **out) override;
    HRESULT STDMETHODCALLTYPE IsRunning(LPOLESTR item) override;
  };
  XContainer m_xContainer;
  struct XPersistFile : IPersistFile {
    COleLinkingDoc *doc;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return doc->InterfaceAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return doc->InterfaceRelease(); }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    // Opens the document from the file (OnOpenDocument) and takes its path.
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR name, DWORD mode) override;
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR name, BOOL remember) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR *name) override;
  };
  XPersistFile m_xPersistFile;
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
  BOOL GetStorageClass(CLSID &clsid, CString &userType) const override;

  // The object's interfaces (IOleObject; the others through QueryInterface); no
  // reference is added.
  IUnknown *GetInterface() { return static_cast<IOleObject *>(&m_xOle); }
  HRESULT ExternalQueryInterface(REFIID iid, void **out) override { return m_xOle.QueryInterface(iid, out); }
  ULONG ExternalAddRef();
  // At the last reference a document made for a container closes.
  ULONG ExternalRelease();
  ULONG InterfaceAddRef() override { return ExternalAddRef(); }
  ULONG InterfaceRelease() override { return ExternalRelease(); }
  // Embedded: the container's moniker of the object; else the registered one.
  IMoniker *GetMoniker(OLEGETMONIKER assign) override;
  // A document made by a container closes when the container lets go of it (one a
  // link loaded from a file stays while the user has the program).
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
  // In place. ActivateInPlace: TRUE when the container's site took the object in
  // place (then with its user interface and merged menus); FALSE when it cannot, and
  // the caller opens the document in its own window instead.
  BOOL ActivateInPlace();
  // The in-place window that holds the view while the document is in place, or null.
  HWND GetInPlaceWindow() const { return m_hWndInPlace; }
  BOOL IsInPlaceActive() const { return m_hWndInPlace != nullptr; }
  BOOL IsInPlaceUIActive() const { return m_bUIActive; }
  // The result of the container's menu change (its frame's SetMenu) at the last UI
  // activation.
  HRESULT GetMenuMergeResult() const { return m_hrMenu; }
  // The menu whose popups the document offers a container in place; the main
  // window's menu unless a document has its own.
  virtual HMENU GetInPlaceMenu();
  // The server's user interface leaves the container (menus, active object).
  virtual void OnDeactivateUI(BOOL undoable);
  // Ends the in-place activation: the view returns to its own frame.
  virtual void OnDeactivate();
  virtual void OnDocWindowActivate(BOOL) {}
  // The container moved the object: the in-place window follows.
  virtual void OnSetItemRects(const RECT *pos, const RECT *clip);
  virtual void OnFrameWindowActivate(BOOL) {}

  IOleClientSite *m_lpClientSite = nullptr;
  BOOL m_bClosing = FALSE; // the document is on its way out

protected:
  BOOL m_bEmbedded = FALSE;
  COleServerItem *m_pEmbeddedItem = nullptr;
  IOleAdviseHolder *m_lpOleAdviseHolder = nullptr;

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

  struct XInPlace : IOleInPlaceObject, IOleInPlaceActiveObject {
    COleServerDoc *doc;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return doc->ExternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return doc->ExternalRelease(); }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND *wnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) override;
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  };
  friend struct XInPlace;
  XInPlace m_xInPlace;
  IOleInPlaceSite *m_lpInPlaceSite = nullptr;
  IOleInPlaceFrame *m_lpInPlaceFrame = nullptr;
  IOleInPlaceUIWindow *m_lpInPlaceDoc = nullptr;
  HWND m_hWndInPlace = nullptr;      // the in-place window in the container's window
  HWND m_hWndViewParent = nullptr;   // the view's own frame, to return to
  RECT m_rectViewInFrame = {};       // the view's place in it
  HMENU m_hSharedMenu = nullptr;
  HOLEMENU m_hOleMenu = nullptr;
  BOOL m_bUIActive = FALSE;
  HRESULT m_hrMenu = S_OK;
  BOOL ActivateUI();
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
  // Descriptor" and the item's presentation formats; with includeLink, "Link Source"
  // and "Link Source Descriptor" when the item has a moniker.
  virtual COleDataSource *OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size);

  // "Object Descriptor" in a global block.
  void GetObjectDescriptorData(const POINT *offset, const SIZE *size, STGMEDIUM *medium);
  // "Embed Source": a storage in memory holding the item serialised in the document's place.
  void GetEmbedSourceData(STGMEDIUM *medium);
  // The data of the item changed: data advise sinks hear of it.
  void NotifyChanged(DVASPECT aspect = DVASPECT_CONTENT);

  // The item's moniker as IOleObject::GetMoniker gives it (the caller's reference):
  // the document's (OLEWHICHMK_CONTAINER), an item moniker of the item's name
  // (OLEWHICHMK_OBJREL, only for a named item of a document with a moniker), or
  // both joined (OLEWHICHMK_OBJFULL). Null when there is none.
  IMoniker *GetMoniker(OLEGETMONIKER assign, DWORD which);
  // "Link Source": a stream holding the full moniker and the document's class.
  // FALSE when the document has no moniker. Throws COleException.
  BOOL GetLinkSourceData(STGMEDIUM *medium);

  // The item's own object (IOleObject, IDataObject) that links bind to; no
  // reference is added.
  IUnknown *GetInterface() { return static_cast<IOleObject *>(&m_xOle); }
  // While links hold the item, the item holds its document.
  ULONG ExternalAddRef();
  // At the last reference a linked item made for links goes (auto-delete).
  ULONG ExternalRelease();

  BOOL m_bAutoDelete;
  SIZE m_sizeExtent = {0, 0};

  static CLIPFORMAT cfEmbedSource;
  static CLIPFORMAT cfObjectDescriptor;
  static CLIPFORMAT cfLinkSource;
  static CLIPFORMAT cfLinkSourceDescriptor;

protected:
  friend class COleServerDoc;
  IDataAdviseHolder *m_lpDataAdviseHolder = nullptr;
  CString m_strItemName;

private:
  COleDataSource *m_pDataSource = nullptr;
  struct XItemOle : IOleObject, IDataObject {
    COleServerItem *item;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return item->ExternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return item->ExternalRelease(); }
    // IOleObject: a linked item has no client site or host names of its own.
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite **site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker **out) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject *, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject **out) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite *, LONG, HWND, LPCRECT) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB **out) override;
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID *clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR *type) override;
    // The part a link shows is named by its link: its extent is not the container's to set.
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL *) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL *size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink *sink, DWORD *connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA **out) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD *status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE *) override { return E_NOTIMPL; }
    // IDataObject: the item's data source; advises to the item's holder
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC *formatEtc, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC *formatEtc, STGMEDIUM *medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC *formatEtc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC *in, FORMATETC *out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC **out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC *formatEtc, DWORD flags, IAdviseSink *sink, DWORD *connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA **out) override;
  };
  XItemOle m_xOle;
  ULONG m_dwRef = 0;
  BOOL m_bLocksDoc = FALSE;
  IOleAdviseHolder *m_lpOleAdviseHolder = nullptr;
};

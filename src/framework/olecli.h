// OLE client items: an object of another program embedded in a document.
//
// Each item keeps its object in a storage of its own on a memory block (lock bytes),
// so the document's root storage can be swapped under it: storing the item list into
// a root copies the object into the sub-storage "Embedding n", loading copies it back.
// An object whose server supports it is activated in place: its window sits over the
// item in the view, and its menus are merged into the main frame's menu while it is
// UI-active (oleipcli.cpp).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "framework/oledoc.h"

class CDC;
class COleDataObject;
class COleDataSource;
class CView;

enum OLE_NOTIFICATION {
  OLE_CHANGED = 0,
  OLE_SAVED = 1,
  OLE_CLOSED = 2,
  OLE_RENAMED = 3,
  OLE_CHANGED_STATE = 4,
  OLE_CHANGED_ASPECT = 5
};
enum OLE_OBJTYPE { OT_UNKNOWN = 0, OT_LINK = 1, OT_EMBEDDED = 2, OT_STATIC = 3 };

class COleClientItem : public CDocItem {
  DECLARE_SERIAL(COleClientItem)
public:
  enum ItemState { emptyState = 0, loadedState = 1, openState = 2, activeState = 3, activeUIState = 4 };

  explicit COleClientItem(COleDocument *doc = nullptr); // joins the document when given
  ~COleClientItem() override;                           // releases the object and its storage

  // Creation; FALSE on failure (the last result code in m_scLast).
  BOOL CreateNewItem(REFCLSID clsid, OLERENDER render = OLERENDER_DRAW, CLIPFORMAT format = 0,
                     FORMATETC *formatEtc = nullptr);
  BOOL CreateFromData(COleDataObject *data, OLERENDER render = OLERENDER_DRAW, CLIPFORMAT format = 0,
                      FORMATETC *formatEtc = nullptr);
  BOOL CreateStaticFromData(COleDataObject *data, OLERENDER render = OLERENDER_DRAW, CLIPFORMAT format = 0,
                            FORMATETC *formatEtc = nullptr);
  // An embedding of the file's contents / a link to the file.
  BOOL CreateFromFile(const char *path, OLERENDER render = OLERENDER_DRAW, CLIPFORMAT format = 0,
                      FORMATETC *formatEtc = nullptr);
  BOOL CreateLinkFromFile(const char *path, OLERENDER render = OLERENDER_DRAW, CLIPFORMAT format = 0,
                          FORMATETC *formatEtc = nullptr);
  BOOL CreateLinkFromData(COleDataObject *data, OLERENDER render = OLERENDER_DRAW, CLIPFORMAT format = 0,
                          FORMATETC *formatEtc = nullptr);

  // Draws the object into rect (logical units of dc); aspect -1: the draw aspect.
  BOOL Draw(CDC *dc, const RECT *rect, DVASPECT aspect = DVASPECT(-1));
  BOOL DoVerb(LONG verb, CView *view, MSG *msg = nullptr);
  void Close(OLECLOSE saveOption = OLECLOSE_SAVEIFDIRTY);
  // Closes, releases, leaves the document and frees the item (autoDelete).
  void Delete(BOOL autoDelete = TRUE);
  void Release(OLECLOSE saveOption = OLECLOSE_NOSAVE);

  // The object's extent (HIMETRIC); aspect -1: the draw aspect.
  BOOL GetExtent(SIZE *size, DVASPECT aspect = DVASPECT(-1));
  // The extent of the cached presentation.
  BOOL GetCachedExtent(SIZE *size, DVASPECT aspect = DVASPECT(-1));
  DVASPECT GetDrawAspect() const { return m_nDrawAspect; }
  // A new aspect is drawn from now on and reported as OLE_CHANGED_ASPECT.
  virtual void SetDrawAspect(DVASPECT aspect);
  UINT GetItemState() const { return m_nItemState; }
  OLE_OBJTYPE GetType() const { return m_nItemType; }
  DWORD GetMiscStatus(DVASPECT aspect = DVASPECT(-1)) const;
  BOOL UpdateLink();
  CView *GetActiveView() const { return m_pView; }
  // Active in place (activeState or activeUIState).
  BOOL IsInPlaceActive() const { return m_nItemState == activeState || m_nItemState == activeUIState; }
  // Tells the in-place object its position and clip rectangles (device pixels of the
  // view); null: from OnGetItemPosition (logical units of the view) and the view's
  // client area. FALSE when the object is not in place or refused.
  BOOL SetItemRects(const RECT *pos = nullptr, const RECT *clip = nullptr);
  // Ends the UI activation (the server's menus leave the frame) / the in-place
  // activation as a whole.
  void DeactivateUI();
  void Deactivate();
  // The in-place object's window, or null.
  HWND GetInPlaceWindow();
  DWORD GetItemNumber() const { return m_dwItemNumber; }
  IOleObject *GetOleObject() const { return m_lpObject; }
  SCODE GetLastStatus() const { return m_scLast; }

  // Puts the item on the clipboard (OnGetClipboardData). Throws COleException.
  void CopyToClipboard(BOOL includeLink = FALSE);
  // A new data source (the caller's reference): "Embedded Object" (a copy of the
  // item's storage), "Object Descriptor" and the cached picture.
  virtual COleDataSource *OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size);
  // Fills the data source with the item's formats.
  void GetClipboardData(COleDataSource *source, BOOL includeLink = FALSE, const POINT *offset = nullptr,
                        const SIZE *size = nullptr);
  // Drags the item once the mouse moves away from the press or the button stays down
  // (Esc cancels, releasing the button drops); the effect done, or DROPEFFECT_NONE
  // (also for a button released before the drag began).
  DWORD DoDragDrop(const RECT &itemRect, POINT offset, BOOL includeLink = FALSE,
                   DWORD effects = DROPEFFECT_COPY | DROPEFFECT_MOVE);

  // Item number, aspect, kind, then the object through its storage.
  void Serialize(CArchive &ar) override;

  virtual void OnChange(OLE_NOTIFICATION code, DWORD param);
  virtual BOOL OnGetItemPosition(RECT &) { return FALSE; }
  virtual BOOL OnChangeItemPosition(const RECT &) { return TRUE; }
  // In-place activation (the item's state is activeState when they run): OnActivate
  // when it starts, OnActivateUI when the server's user interface comes up,
  // OnDeactivateUI when it goes (undoable: the server can undo its last change),
  // OnDeactivate when the object leaves the view.
  virtual void OnActivate() { m_nItemState = activeState; }
  virtual void OnActivateUI() { m_nItemState = activeUIState; }
  virtual void OnDeactivateUI(BOOL) { m_nItemState = activeState; }
  virtual void OnDeactivate() { m_nItemState = loadedState; }
  // The result of the last menu change the server asked for (SetMenu of the frame).
  HRESULT GetMenuMergeResult() const { return m_hrMenu; }

  IOleClientSite *GetClientSite() { return &m_xSite; }

  // Destroys the "Embedding n" sub-storages of root that no client item of doc has
  // (left by items deleted since root was last saved). Throws COleException.
  static void RemoveStaleEmbeddings(COleDocument *doc, IStorage *root);

protected:
  // One more than the highest item number of the document's client items.
  DWORD GetNewItemNumber();
  // A fresh own storage on a memory block (replaces any earlier one).
  void GetItemStorage();
  // Advises, host names, contained object, kind; FALSE (object released) for a failed hr.
  BOOL FinishCreate(SCODE hr);
  // Saves the object into its own storage.
  void SaveObjectToOwnStorage();

  IOleObject *m_lpObject = nullptr;
  IViewObject2 *m_lpViewObject = nullptr;
  IStorage *m_lpStorage = nullptr;
  ILockBytes *m_lpLockBytes = nullptr;
  DWORD m_dwItemNumber = 0;
  DVASPECT m_nDrawAspect = DVASPECT_CONTENT;
  OLE_OBJTYPE m_nItemType = OT_UNKNOWN;
  UINT m_nItemState = emptyState;
  CView *m_pView = nullptr;
  DWORD m_dwConnection = 0;
  SCODE m_scLast = S_OK;

private:
  // The common steps of the Create functions: item number, fresh storage, the ole32
  // call (given the format wanted, the site and the storage), the cache filled when
  // the object is to be drawn, then FinishCreate.
  enum CacheFill { FILL_IF_RENDERED, FILL_ALWAYS, FILL_NEVER };
  template <class Call>
  BOOL CreateWith(OLERENDER render, CLIPFORMAT format, FORMATETC *formatEtc, CacheFill fill, Call call);

  struct XSite : IOleClientSite, IAdviseSink {
    COleClientItem *item;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SaveObject() override;
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker **out) override;
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer **out) override;
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE OnDataChange(FORMATETC *, STGMEDIUM *) override {}
    void STDMETHODCALLTYPE OnViewChange(DWORD aspect, LONG) override;
    void STDMETHODCALLTYPE OnRename(IMoniker *) override {}
    void STDMETHODCALLTYPE OnSave() override;
    void STDMETHODCALLTYPE OnClose() override;
  };
  XSite m_xSite;

  // In place: the site the server activates through, and the frame it merges its
  // menus into (the main window of the view's application).
  struct XInPlaceSite : IOleInPlaceSite {
    COleClientItem *item;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND *wnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
    HRESULT STDMETHODCALLTYPE OnUIActivate() override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame **frame, IOleInPlaceUIWindow **doc, RECT *pos,
                                               RECT *clip, OLEINPLACEFRAMEINFO *info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT pos) override;
  };
  struct XFrame : IOleInPlaceFrame {
    COleClientItem *item;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND *wnd) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(RECT *border) override;
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override;
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject *object, LPCOLESTR) override;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU shared, OLEMENUGROUPWIDTHS *widths) override;
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) override;
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU shared) override;
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  };
  friend struct XInPlaceSite;
  friend struct XFrame;
  XInPlaceSite m_xInPlaceSite;
  XFrame m_xFrame;
  HWND FrameWindow() const;
  // The item's position in device pixels of the view (OnGetItemPosition converted).
  BOOL ItemDeviceRect(RECT &rect);
  IOleInPlaceObject *m_lpInPlaceObject = nullptr;
  IOleInPlaceActiveObject *m_lpActiveObject = nullptr;
  HMENU m_hMenuFrame = nullptr; // the frame's own menu while the server's is shown
  HRESULT m_hrMenu = S_OK;
};

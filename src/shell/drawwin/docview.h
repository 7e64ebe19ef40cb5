// The document, child frame and view classes of drawing windows. The drawing lives
// in one of the engine's two drawing slots; a document binds that slot to its views,
// and each view is one entry of the engine's view table.
#pragma once

#include "framework/cstring.h"
#include "framework/document.h"
#include "framework/frame.h"
#include "framework/oledoc.h"
#include "framework/oledrop.h"
#include "framework/tracker.h"
#include "framework/view.h"
#include "shell/oleitems/srvritem.h"

class CMainView;
class CRectItem;
class COleDataObject;

class CKLSrvrItem;
class COleClientItem;
class CRectItem;

class CMainDoc : public COleServerDoc {
  DECLARE_DYNAMIC(CMainDoc)
public:
  CMainDoc();
  ~CMainDoc() override;

  void DeleteContents() override;
  BOOL OnNewDocument() override;
  // No path: the document reads its storage (an older object's native stream
  // first); a path: the engine opens it as a seal file.
  BOOL OnOpenDocument(const char *path) override;
  // Only storages are written (no flat file); the modified flag goes through
  // StampModified.
  BOOL OnSaveDocument(const char *path) override;
  // The OLE native data; layouts in ole/nativedata.h.
  void Serialize(CArchive &ar) override;
  // For the document's own storage, the embedded item's extent and rectangle are
  // kept in the document first.
  void SaveToStorage(CObject *object = nullptr) override;
  COleServerItem *OnGetEmbeddedItem() override;
  // The item of that name, else a new one presenting the named part.
  CKLSrvrItem *OnGetLinkedItem(const char *name) override;
  void OnClose(OLECLOSE saveOption) override;
  // The container names the drawing "<host>の図 (<slot + 1>)" and its first view's title.
  void OnSetHostNames(const char *host, const char *hostObject) override;
  void OnNewEmbedding(IStorage *storage) override;
  using COleServerDoc::OnSaveEmbedding; // the item saves into a consumer's storage
  void OnOpenEmbedding(IStorage *storage) override;
  // The engine asks its own questions before a frame closes.
  BOOL SaveModified() override { return TRUE; }
  BOOL CanCloseFrame(CFrameWnd *) override {
    m_bClosing = TRUE;
    return TRUE;
  }

  // With notify 0 sets the modified flag; else sets it only when bit 0 of notify is
  // set and tells the main window (WM_USER + 9).
  void StampModified(BOOL modified, int notify);
  BOOL GetModified(int flags);
  SIZE GetDocumentSize() const { return m_docSize; }
  // The view whose frame is highest among the MDI client's children.
  CMainView *GetTopView() const;
  // A new object item of this document, or null when none can be had.
  CRectItem *CreateRectItem();
  // Marks the document modified, tells the views (hint 1, the item) and deletes the item.
  void DeleteItem(COleClientItem *item);
  // Moves the item by (+10, -10) while another item of the document has the same
  // drawing rectangle; always ends (bounded by the number of items).
  void AvoidItemOverlap(CRectItem *item);
  // The objects placed in the drawing, written into / read from a compound file of
  // their own (a seal file's object block).
  BOOL SaveObjectFile(const char *path);
  BOOL LoadObjectFile(const char *path);
  // In place: whether its user interface is up in the container (else 0).
  int InPlaceFrameState() const { return IsInPlaceActive() && IsInPlaceUIActive() ? 1 : 0; }
  // Leaving UI activation puts the embedded item back on the sheet's rectangle.
  void OnDeactivateUI(BOOL undoable) override;
  void ResetItemToSheet();
  // false only for an embedding with its item and no view.
  bool NeedsExtentReset();
  // Mode 1: the items' delayed data are rendered; else pictures on the clipboard kept.
  void ReleaseItemData(int mode);
  // No view keeps a removed object as its selection.
  void OnItemRemoved(CDocItem *item) override;

  int m_dwg;                // drawing slot shown, -1 none
  SIZE m_itemExtent{};      // embedded item's extent (HIMETRIC), (0, 0) not known
  double m_itemRect[4]{};   // its rectangle in drawing units: x0, y0, x1, y1
  CString m_hostName;       // container application's name
  int m_containerMode = 0;  // the item list of a seal file's object block
  int m_ole1Import = 0;     // loading an older object's native stream
  int m_convertPending = 0; // the storage carries the convert mark
  SIZE m_docSize{800, 1050};
  uint32_t m_objBlockLen = 0;
  HDC m_renderTarget = nullptr;

private:
  void LoadDrawing(CArchive &ar);
  bool HasContents() const;
};

// The program's private clipboard format "KIVOLANT" (0 until the first document).
extern UINT cfKivolant;
// The temporary file of the drawing being read from a storage (empty when none).
extern CString DocTempFileName;

// The document showing a drawing slot, or null.
CMainDoc *FindDocOfDrawing(int dwg);
// DeleteContents of the drawing's document: 1, or 0 when it has none.
int ResetDocOfDrawing(int dwg);
// The first document holding an open or active embedded object, or null.
CMainDoc *FindDocWithOpenItem();
// A drawing saved by the user while its document serves a container's embedding: the
// server items are updated and the container is asked to save the object (its client
// site's SaveObject), then the embedded state becomes embeddedState. 1 when the
// drawing belongs to a container (-1 when the container did not save it), 0 when it
// has no document or the document is no embedding.
int OnDrawingSaved(int dwg, int embeddedState);
// A new temporary file name in the work folder (the current folder when none is set),
// prefix "KlOLE"; "KlOLE.tmp" when none can be made.
void MakeDocTempFileName(CString &name);

class CSplitFrame : public CMDIChildWnd {
public:
  CSplitFrame();
  ~CSplitFrame() override;
  BOOL PreCreateWindow(CREATESTRUCTA &cs) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  static CSplitFrame *FindByHandle(HWND wnd);

private:
  // The close of a drawing's window: the question for the drawing's last view and
  // the drawing emptied. true to go on closing, false to keep the frame.
  bool CloseDrawing();
  int m_slot = -1;
};

class CMainView : public CView {
public:
  CMainView();
  ~CMainView() override;

  BOOL PreCreateWindow(CREATESTRUCTA &cs) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnPrepareDC(HDC dc) override;
  void OnInitialUpdate() override { CView::OnInitialUpdate(); }
  void OnUpdate(CView *sender, LPARAM hint, CObject *hintObject) override;
  void OnDraw(HDC dc) override;
  CMainDoc *GetDocument() const { return static_cast<CMainDoc *>(CView::GetDocument()); }

  // Device and logical units of the view (1/100 inch, y up, origin at the top left).
  RECT RectToLogical(RECT r) const;
  RECT RectToDevice(RECT r) const; // normalised
  POINT PointToLogical(POINT p) const;
  POINT PointToDevice(POINT p) const;
  SIZE SizeToLogical(SIZE s) const; // made non-negative
  SIZE SizeToDevice(SIZE s) const;

  // 0 drawn, -1 empty paint rectangle, -2 not a drawing window, -3 numbers out of
  // range, or the begin-paint failure.
  virtual int PaintRect(HWND wnd, const PAINTSTRUCT &ps, HDC dc, HDC frameworkDC);
  // 1 when the paint rectangle is valid; *same 1 when it equals the last one.
  virtual int SameDrawRect(HWND wnd, const PAINTSTRUCT &ps, int *same);

  int m_dwg;
  int m_view;

  // Objects embedded in the drawing: selection, tracker, drawing and the object
  // commands (viewitems_win.cpp).
  void SetSelection(CRectItem *item, BOOL safe = FALSE);
  // Missing tracker or item: the invalid-argument exception.
  void SetupTracker(CRectTracker *tracker, CRectItem *item, RECT *trueRect = nullptr);
  // The item's tracker rectangle joined with *rect (unless empty), stored there and invalidated.
  void InvalidateItem(CRectItem *item, RECT *rect);
  // Nothing without in-place activation.
  // The object UI-active in place in this view gets its rectangles again.
  void UpdateActiveItemRects();
  // The document's items of the layer (0 behind, 1 in front), white behind each.
  virtual void DrawItems(HDC dc, int layer);
  // As DrawItems on any context, the rectangle from the world position.
  void DrawItemsTo(HDC dc, int layer);
  // The last item of the document whose tracker the point hits, or null.
  CRectItem *HitTestItems(POINT pt);
  // A new item from the data (the clipboard's without one), placed at pt (logical)
  // when given and selected; null when it could not be made.
  CRectItem *PasteItem(BOOL link, COleDataObject *data, const POINT *pt, CLIPFORMAT format);
  // Throws the memory exception when no object can be made from the data.
  void CreateItemFromData(BOOL link, COleDataObject *data, const POINT *pt, CRectItem *item, CLIPFORMAT format);
  // The descriptor's size (HIMETRIC) and point; FALSE and 0 x 0 without one.
  BOOL GetDescriptorSize(COleDataObject *data, SIZE *size, POINT *offset = nullptr);
  void SetItemLayer(int layer);
  void BringItemToFront();
  void SendItemToBack();
  void ItemProperties();
  void ToggleObjectMode();
  void CopyItem();
  void CutItem();
  void DeleteSelectedItem();
  void ClearAllItems();
  BOOL HasItems() const;
  void InsertObject();
  void PasteAtPoint();
  void PasteLinkAtPoint();
  void CopyViewToClipboard();
  void CopyAreaToClipboard();

  // Commands 60000 and 60012-60014 and their menu states.
  BOOL OnCmdMsg(UINT id, int code) override;
  BOOL OnUpdateCmdUI(CCmdUI *ui) override;
  void OnObjectOpen();
  void OnDisplayContent();
  void OnDisplayIcon();
  void OnResetItemSize();

  // Drops of an object dragged out of this view.
  DROPEFFECT OnDragEnter(COleDataObject *data, DWORD keyState, POINT pt) override;
  DROPEFFECT OnDragOver(COleDataObject *data, DWORD keyState, POINT pt) override;
  void OnDragLeave() override;
  BOOL OnDrop(COleDataObject *data, DROPEFFECT effect, POINT pt) override;

  CRectItem *m_pSelection = nullptr;
  BOOL m_bInDrag = FALSE; // a drag of the selection out of this view runs
  COleDropTarget m_dropTarget;
  SIZE m_dragSize{};  // of the dragged object, pixels
  SIZE m_dragOffset{};
  POINT m_dragPoint{}; // where its focus rectangle is shown
  DROPEFFECT m_prevDropEffect = DROPEFFECT_NONE;

protected:
  // The object side of the mouse, cursor and update handlers below.
  void ObjectLButtonDown(POINT pt);
  void ObjectRButtonDown(POINT pt);
  BOOL ObjectSetCursor(HWND wnd, UINT hitTest); // TRUE when a tracker set the cursor
  void ObjectUpdate(LPARAM hint, CObject *hintObject);

  int OnCreate(LPCREATESTRUCTA cs) override;
  void OnDestroy() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnSetFocus(HWND oldWnd) override;
  BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message) override;
  BOOL OnEraseBkgnd(HDC dc) override;
  void OnHScroll(UINT code, UINT pos, HWND bar) override;
  void OnVScroll(UINT code, UINT pos, HWND bar) override;
  BOOL OnMouseWheel(UINT flags, short delta, POINT pt) override;
  void OnMouseMove(UINT flags, POINT pt) override;
  void OnLButtonDown(UINT flags, POINT pt) override;
  void OnLButtonDblClk(UINT flags, POINT pt) override;
  void OnRButtonDown(UINT flags, POINT pt) override;
  void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
  void OnRButtonUp(UINT flags, POINT pt) override;
  BOOL OnCommand(WPARAM wp, LPARAM lp) override;
};


// The "Object Descriptor" clipboard format (0 until the first view).
extern CLIPFORMAT cfObjectDescriptor;
// The last OBJECTDESCRIPTOR read (52 bytes): from the data object, or the clipboard
// without one; null when there is none or it is shorter than a descriptor.
const OBJECTDESCRIPTOR *GetObjectDescriptor(COleDataObject *data);
// TRUE when the class registered as "Paint.Picture" exists and is clsid.
BOOL IsPaintPictureClass(REFCLSID clsid);
// The window of the view an area copy was started from.
extern HWND CopyViewWindow;

// Renders (dwg, view) into any device context through the drawing's top view; 1 when
// there is no view object, else the begin-paint result (0 success).
int PaintViewToDC(HDC dc, int dwg, int view, uint16_t mask);
void GetLastViewWindow(HWND *wnd);
void ResetSameDrawRect();
// One more drawing window for a drawing that has a document; its view window or null.
HWND OpenViewFrame(const RECT *rect, int dwg, int view);
// The new document, frame and view of the application's new-file path (for
// vwin_create): a drawing that already has a document gets a new frame of it.
bool app_newview();
// Enters the calls above into the engine's table of view calls.
void docview_register();
// Enters the view's object operations into the engine's entry points.
void viewitems_register();

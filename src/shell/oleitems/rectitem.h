// An object of another program placed in a drawing: an OLE client item of the
// drawing's document that keeps its place and size in drawing units, so it follows
// the engine's zoom and scroll. Geometry and stored bytes are in ole/rectgeom.h.
#pragma once

#include "framework/olecli.h"
#include "ole/klgeom.h"
#include "ole/rectgeom.h"

class CMainDoc;
class CMainView;
class COleDataSource;

class CRectItem : public COleClientItem {
  DECLARE_SERIAL(CRectItem)
public:
  explicit CRectItem(CMainDoc *doc = nullptr);

  CMainDoc *GetDocument() const;

  // Of the current draw aspect (the icon fields for DVASPECT_ICON).
  CKLDSize GetDrawingSize() const;
  void SetDrawingSize(const CKLDSize &size);
  SIZE GetKnownExtent() const;
  void SetKnownExtent(SIZE extent);
  CKLDRect GetDrawingRect() const;
  // Position from (left, top) as given; size from the ordered corners.
  void SetDrawingRect(const CKLDRect &r);

  // Device pixels of the view; nothing (or the empty rectangle) without a view.
  SIZE GetDeviceSize(const CMainView *view) const;
  void SetDeviceSize(int cx, int cy, const CMainView *view);
  RECT GetDeviceRect(const CMainView *view) const;
  void SetDeviceRect(const RECT &r, const CMainView *view);
  // Places the item on the view's rectangle and marks the drawing modified.
  void MoveTo(const RECT &r, CMainView *view);

  void Invalidate();
  void ResetSize();
  // Takes over the server's extent; TRUE when the size changed.
  BOOL UpdateExtent();

  // The platform's object-properties dialog; a new draw aspect sizes the item from
  // its extent again (as UpdateExtent does) without marking anything modified.
  void ShowProperties(CMainView *view);
  // The object of storage (a copy of it kept in the item's own storage) at (x, y)
  // with content size (cx, cy), drawn in aspect: the result code; E_INVALIDARG
  // without a storage.
  HRESULT CreateFromStorage(IStorage *storage, double x, double y, double cx, double cy, DVASPECT aspect);
  // The object of storage, which lives on medium's global block: the result code;
  // E_INVALIDARG without a storage or for a medium that is no global block.
  HRESULT CreateFromGlobal(IStorage *storage, STGMEDIUM *medium);
  // The item's archived bytes on the data source under the program's own format.
  void AddNativeData(COleDataSource *source);

  // Marker, position, sizes and extents behind the base's bytes.
  void Serialize(CArchive &ar) override;
  void OnChange(OLE_NOTIFICATION code, DWORD param) override;
  // The device rectangle on the active view (sized first when the size is still 0).
  BOOL OnGetItemPosition(RECT &r) override;
  // r in logical units of the active view; FALSE without one.
  BOOL OnChangeItemPosition(const RECT &r) override;
  void OnActivate() override;
  // An inside-out object hides again when its user interface goes.
  void OnDeactivateUI(BOOL undoable) override;
  // The program's own bytes first, then the base's formats.
  COleDataSource *OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size) override;

  RectItemGeom m_geom;

private:
  int Aspect() const { return int(GetDrawAspect()); }
  int Drawing() const;
  // The drawing's sheet ratio (1:1 when unknown).
  void SheetRatio(int *num, int *den) const;
};

// A new item of doc for the object of storage shown on the rectangle (left, top,
// right, bottom; y up): position (r0, r1), size (r2 - r0, r3 - r1); TRUE when the
// object loaded.
BOOL AddItemFromStorage(CMainDoc *doc, IStorage *storage, const double rect[4], DVASPECT aspect);

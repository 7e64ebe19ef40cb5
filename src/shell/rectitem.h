// An object of another program placed in a drawing: an OLE client item of the
// drawing's document that keeps its place and size in drawing units, so it follows
// the engine's zoom and scroll. Geometry and stored bytes are in ole/rectgeom.h.
#pragma once

#include "framework/olecli.h"
#include "ole/klgeom.h"
#include "ole/rectgeom.h"

class CMainDoc;
class CMainView;

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

  // Marker, position, sizes and extents behind the base's bytes.
  void Serialize(CArchive &ar) override;
  void OnChange(OLE_NOTIFICATION code, DWORD param) override;
  // The device rectangle on the active view (sized first when the size is still 0).
  BOOL OnGetItemPosition(RECT &r) override;
  // r in logical units of the active view; FALSE without one.
  BOOL OnChangeItemPosition(const RECT &r) override;

  RectItemGeom m_geom;

private:
  int Aspect() const { return int(GetDrawAspect()); }
  int Drawing() const;
};

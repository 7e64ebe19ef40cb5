#include "shell/rectitem.h"

#include "display/view.h"
#include "display/viewtbl.h"
#include "framework/archive.h"
#include "framework/except.h"
#include "settings/params.h"
#include "shell/appsvc_pending.h"
#include "shell/docview.h"

IMPLEMENT_SERIAL(CRectItem, COleClientItem, 0)

CRectItem::CRectItem(CMainDoc *doc) : COleClientItem(doc) {}

CMainDoc *CRectItem::GetDocument() const { return dynamic_cast<CMainDoc *>(COleClientItem::GetDocument()); }

int CRectItem::Drawing() const {
  CMainDoc *doc = GetDocument();
  return doc ? doc->m_dwg : -1;
}

CKLDSize CRectItem::GetDrawingSize() const {
  CKLDSize s;
  rit_size(m_geom, Aspect(), &s.cx, &s.cy);
  return s;
}

void CRectItem::SetDrawingSize(const CKLDSize &size) { rit_setsize(&m_geom, Aspect(), size.cx, size.cy); }

SIZE CRectItem::GetKnownExtent() const {
  int32_t cx, cy;
  rit_extent(m_geom, Aspect(), &cx, &cy);
  return SIZE{cx, cy};
}

void CRectItem::SetKnownExtent(SIZE extent) { rit_setextent(&m_geom, Aspect(), extent.cx, extent.cy); }

CKLDRect CRectItem::GetDrawingRect() const {
  double r[4];
  rit_rect(m_geom, Aspect(), r);
  return CKLDRect(r[0], r[1], r[2], r[3]);
}

void CRectItem::SetDrawingRect(const CKLDRect &r) {
  const double v[4] = {r.left, r.top, r.right, r.bottom};
  rit_setrect(&m_geom, Aspect(), v);
}

namespace {
// The view's transform, or null when it is not a view of the table.
const ViewXform *xformOf(const CMainView *view) {
  if (!view || view->m_dwg < 0 || view->m_dwg > 1 || view->m_view < 0 || view->m_view >= VIEW_COUNT)
    return nullptr;
  return &vewtbl[view->m_dwg][view->m_view].xf;
}
} // namespace

SIZE CRectItem::GetDeviceSize(const CMainView *view) const {
  const ViewXform *xf = xformOf(view);
  if (!xf)
    return SIZE{0, 0};
  const CKLDSize s = GetDrawingSize();
  return SIZE{LONG(s.cx * xf->xscale), LONG(s.cy * xf->yscale)}; // truncated toward zero
}

void CRectItem::SetDeviceSize(int cx, int cy, const CMainView *view) {
  const ViewXform *xf = xformOf(view);
  if (!xf || xf->xscale == 0.0 || xf->yscale == 0.0)
    return;
  SetDrawingSize(CKLDSize(cx / xf->xscale, cy / xf->yscale));
}

RECT CRectItem::GetDeviceRect(const CMainView *view) const {
  RECT r{0, 0, 0, 0};
  if (!xformOf(view))
    return r;
  int32_t px = 0, py = 0;
  vew_w2dev(view->m_dwg, view->m_view, m_geom.x, m_geom.y, &px, &py);
  const POINT p = view->PointToLogical(POINT{px, py});
  const SIZE s = GetDeviceSize(view);
  return RECT{p.x, p.y, p.x + s.cx, p.y + s.cy};
}

void CRectItem::SetDeviceRect(const RECT &r, const CMainView *view) {
  if (!xformOf(view))
    return;
  double x = 0, y = 0;
  if (vew_dev2w(view->m_dwg, view->m_view, r.left, r.top, &x, &y) != 0)
    return;
  m_geom.x = x;
  m_geom.y = y;
  const LONG w = r.right > r.left ? r.right - r.left : r.left - r.right;
  const LONG h = r.bottom > r.top ? r.bottom - r.top : r.top - r.bottom;
  SetDeviceSize(w, -h, view);
}

void CRectItem::MoveTo(const RECT &r, CMainView *view) {
  Invalidate();
  SetDeviceRect(r, view);
  Invalidate();
  const int dwg = Drawing();
  if (dwg == 0 || dwg == 1)
    DwgModFlags[dwg] |= 1;
  if (IsInPlaceActive())
    SetItemRects();
}

void CRectItem::Invalidate() {
  if (CMainDoc *doc = GetDocument())
    doc->UpdateAllViews(nullptr, 0, this);
}

void CRectItem::ResetSize() {
  Invalidate();
  SetKnownExtent(SIZE{0, 0});
  UpdateExtent();
}

BOOL CRectItem::UpdateExtent() {
  SIZE ext{};
  if (!GetCachedExtent(&ext))
    return FALSE;
  Invalidate();
  const int dwg = Drawing();
  SheetRecord s{};
  int num = 1, den = 1;
  if (dwg >= 0 && sys_sheet('R', dwg, &s) == 0) {
    num = s.num;
    den = s.den;
  }
  // Step 3 (an equal extent only sets the known flag) and steps 4-5 are taken there.
  if (!rit_takeextent(&m_geom, Aspect(), ext.cx, ext.cy, num, den, IsInPlaceActive() != FALSE))
    return FALSE;
  Invalidate();
  if (dwg == 0 || dwg == 1)
    DwgModFlags[dwg] |= 1;
  return TRUE;
}

void CRectItem::Serialize(CArchive &ar) {
  COleClientItem::Serialize(ar);
  uint8_t bytes[RIT_STORED];
  if (ar.IsStoring()) {
    rit_put(m_geom, bytes);
    ar.Write(bytes, RIT_STORED);
    return;
  }
  if (ar.Read(bytes, RIT_STORED) != RIT_STORED)
    AfxThrowArchiveException(CArchiveException::endOfFile);
  if (!rit_get(bytes, &m_geom))
    AfxThrowArchiveException(CArchiveException::genericException);
}

void CRectItem::OnChange(OLE_NOTIFICATION code, DWORD param) {
  COleClientItem::OnChange(code, param);
  if (code == OLE_CHANGED) {
    UpdateExtent();
    Invalidate();
  } else if (code == OLE_CHANGED_STATE || code == OLE_CHANGED_ASPECT) {
    Invalidate();
  }
}

BOOL CRectItem::OnGetItemPosition(RECT &r) {
  const CKLDSize s = GetDrawingSize();
  if (kl_near(s.cx, 0.0) && kl_near(s.cy, 0.0))
    UpdateExtent();
  r = GetDeviceRect(dynamic_cast<CMainView *>(GetActiveView()));
  return TRUE;
}

BOOL CRectItem::OnChangeItemPosition(const RECT &r) {
  auto *view = dynamic_cast<CMainView *>(GetActiveView());
  if (!view)
    return FALSE;
  const RECT dev = view->RectToDevice(r);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  vew_dev2w(view->m_dwg, view->m_view, dev.left, dev.top, &x0, &y0);
  vew_dev2w(view->m_dwg, view->m_view, dev.right, dev.bottom, &x1, &y1);
  if (GetDrawingRect() != CKLDRect(x0, y0, x1, y1)) {
    Invalidate();
    SetDeviceRect(dev, view);
    if (CMainDoc *doc = GetDocument())
      doc->SetModifiedFlag(TRUE);
    SIZE ext{};
    if (GetCachedExtent(&ext))
      SetKnownExtent(ext);
    Invalidate();
  }
  return COleClientItem::OnChangeItemPosition(r);
}

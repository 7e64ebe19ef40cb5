#include "shell/oleitems/rectitem.h"

#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "framework/archive.h"
#include "framework/except.h"
#include "framework/file.h"
#include "framework/olecdlg.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "settings/params.h"
#include "shell/drawwin/docview.h"

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
  // Truncated toward zero, but a size set from whole pixels gives those pixels back:
  // w / scale * scale may land a hair below w.
  auto pixels = [](double v) { return LONG(v + (v < 0 ? -1e-6 : 1e-6)); };
  return SIZE{pixels(s.cx * xf->xscale), pixels(s.cy * xf->yscale)};
}

void CRectItem::SetDeviceSize(int cx, int cy, const CMainView *view) {
  const ViewXform *xf = xformOf(view);
  if (!xf || xf->xscale == 0.0 || xf->yscale == 0.0)
    return;
  SetDrawingSize(CKLDSize(cx / xf->xscale, cy / xf->yscale));
}

// Logical units of the view, as the framework and the tracker code pass them: the
// item's corner and its far corner both go through the view's mapping, so the size
// is the same on screen, in the tracker and in pictures and print.
RECT CRectItem::GetDeviceRect(const CMainView *view) const {
  RECT r{0, 0, 0, 0};
  if (!xformOf(view))
    return r;
  int32_t px = 0, py = 0;
  vew_w2dev(view->m_dwg, view->m_view, m_geom.x, m_geom.y, &px, &py);
  const SIZE s = GetDeviceSize(view);
  // A negative height runs down the screen from the corner.
  const POINT a = view->PointToLogical(POINT{px, py});
  const POINT b = view->PointToLogical(POINT{px + s.cx, py - s.cy});
  return RECT{a.x, a.y, b.x, b.y};
}

void CRectItem::SetDeviceRect(const RECT &r, const CMainView *view) {
  if (!xformOf(view))
    return;
  const POINT a = view->PointToDevice(POINT{r.left, r.top});
  const POINT b = view->PointToDevice(POINT{r.right, r.bottom});
  double x = 0, y = 0;
  if (vew_dev2w(view->m_dwg, view->m_view, a.x, a.y, &x, &y) != 0)
    return;
  m_geom.x = x;
  m_geom.y = y;
  const LONG w = b.x > a.x ? b.x - a.x : a.x - b.x;
  const LONG h = b.y > a.y ? b.y - a.y : a.y - b.y;
  SetDeviceSize(w, -h, view);
}

void CRectItem::MoveTo(const RECT &r, CMainView *view) {
  Invalidate();
  SetDeviceRect(r, view);
  Invalidate();
  const int dwg = Drawing();
  if (dwg == 0 || dwg == 1)
    dwg_touch(dwg);
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

void CRectItem::SheetRatio(int *num, int *den) const {
  const int dwg = Drawing();
  SheetRecord s{};
  *num = *den = 1;
  if (dwg >= 0 && sys_sheet('R', dwg, &s) == 0) {
    *num = s.num;
    *den = s.den;
  }
}

BOOL CRectItem::UpdateExtent() {
  SIZE ext{};
  if (!GetCachedExtent(&ext))
    return FALSE;
  Invalidate();
  const int dwg = Drawing();
  int num = 1, den = 1;
  SheetRatio(&num, &den);
  // Step 3 (an equal extent only sets the known flag) and steps 4-5 are taken there.
  if (!rit_takeextent(&m_geom, Aspect(), ext.cx, ext.cy, num, den, IsInPlaceActive() != FALSE))
    return FALSE;
  Invalidate();
  if (dwg == 0 || dwg == 1)
    dwg_touch(dwg);
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
    SetDeviceRect(view->RectToLogical(dev), view);
    if (CMainDoc *doc = GetDocument())
      doc->SetModifiedFlag(TRUE);
    SIZE ext{};
    if (GetCachedExtent(&ext))
      SetKnownExtent(ext);
    Invalidate();
  }
  return COleClientItem::OnChangeItemPosition(r);
}

void CRectItem::ShowProperties(CMainView *) {
  const DVASPECT before = GetDrawAspect();
  COleObjectPropertiesDialog dlg(this, 10, 500, AfxGetMainWnd());
  dlg.m_op.dwFlags &= ~DWORD(0x200);
  dlg.m_gp.dwFlags &= ~DWORD(0x200);
  dlg.m_vp.dwFlags &= ~DWORD(0x200);
  dlg.m_lp.dwFlags &= ~DWORD(0x200);
  if (dlg.DoModal() != IDOK || GetDrawAspect() == before)
    return;
  SIZE ext{};
  if (GetCachedExtent(&ext)) {
    // The same conversion as a first extent: a new aspect never flips the item.
    int num = 1, den = 1;
    SheetRatio(&num, &den);
    double w = 0, h = 0;
    rit_extentsize(ext.cx, ext.cy, num, den, &w, &h);
    SetDrawingSize(CKLDSize(w, h));
  }
  if (CMainDoc *doc = GetDocument())
    doc->UpdateAllViews(nullptr, 1, this);
}

HRESULT CRectItem::CreateFromStorage(IStorage *storage, double x, double y, double cx, double cy, DVASPECT aspect) {
  if (!storage)
    return E_INVALIDARG;
  Release();
  m_dwItemNumber = GetNewItemNumber();
  try {
    GetItemStorage();
  } catch (const COleException &e) {
    return HRESULT(e.m_sc);
  }
  // The object lives on in the item's own storage, whatever becomes of the given one.
  HRESULT hr = storage->CopyTo(0, nullptr, nullptr, m_lpStorage);
  if (SUCCEEDED(hr))
    hr = m_lpStorage->Commit(STGC_DEFAULT);
  m_nDrawAspect = aspect;
  if (SUCCEEDED(hr))
    hr = OleLoad(m_lpStorage, IID_IOleObject, GetClientSite(), reinterpret_cast<void **>(&m_lpObject));
  if (!FinishCreate(hr))
    return FAILED(hr) ? hr : E_FAIL;
  m_geom.contentCx = cx;
  m_geom.contentCy = cy;
  m_geom.x = x;
  m_geom.y = y;
  SIZEL ext{};
  if (SUCCEEDED(m_lpObject->GetExtent(m_nDrawAspect, &ext))) {
    m_geom.contentExtCx = ext.cx;
    m_geom.contentExtCy = ext.cy;
  }
  return hr;
}

HRESULT CRectItem::CreateFromGlobal(IStorage *storage, STGMEDIUM *medium) {
  if (!storage || !medium || medium->tymed != TYMED_HGLOBAL || !medium->hGlobal)
    return E_INVALIDARG;
  Release();
  m_dwItemNumber = GetNewItemNumber();
  // The block stays the medium's: its owner frees it.
  HRESULT hr = CreateILockBytesOnHGlobal(medium->hGlobal, FALSE, &m_lpLockBytes);
  if (FAILED(hr))
    return hr;
  storage->AddRef();
  m_lpStorage = storage;
  hr = OleLoad(m_lpStorage, IID_IOleObject, GetClientSite(), reinterpret_cast<void **>(&m_lpObject));
  FinishCreate(hr);
  return hr;
}

void CRectItem::AddNativeData(COleDataSource *source) {
  if (!source)
    return;
  CMemFile file(4096);
  {
    CArchive ar(&file, CArchive::store);
    ar.m_pDocument = GetDocument();
    Serialize(ar);
    ar.Close();
  }
  const uint64_t n = file.GetLength();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, SIZE_T(n ? n : 1));
  if (!block)
    AfxThrowMemoryException();
  file.SeekToBegin();
  file.Read(GlobalLock(block), unsigned(n));
  GlobalUnlock(block);
  source->CacheGlobalData(CLIPFORMAT(cfKivolant), block);
}

void CRectItem::OnActivate() {
  // Only one object of a view is active in place: an other one is closed first.
  if (CMainDoc *doc = GetDocument())
    for (CDocItem *d : doc->GetItems())
      if (auto *other = dynamic_cast<COleClientItem *>(d);
          other && other != this && other->IsInPlaceActive() && other->GetActiveView() == GetActiveView())
        other->Close(OLECLOSE_SAVEIFDIRTY);
  COleClientItem::OnActivate();
  if (auto *view = dynamic_cast<CMainView *>(GetActiveView()))
    view->SetSelection(this);
}

void CRectItem::OnDeactivateUI(BOOL undoable) {
  COleClientItem::OnDeactivateUI(undoable);
  if (GetMiscStatus(GetDrawAspect()) & OLEMISC_INSIDEOUT)
    DoVerb(OLEIVERB_HIDE, nullptr);
}

COleDataSource *CRectItem::OnGetClipboardData(BOOL includeLink, const POINT *offset, const SIZE *size) {
  auto *source = new COleDataSource;
  try {
    AddNativeData(source);
    GetClipboardData(source, includeLink, offset, size);
  } catch (...) {
    source->InternalRelease();
    throw;
  }
  return source;
}

// Objects of other programs in a drawing window: the view's selection and tracker,
// drawing behind and in front of the elements, the object commands, pasting,
// inserting, drag and drop inside the view, and the engine's entry points that run
// these on the current view.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "framework/appole.h"
#include "framework/dc.h"
#include "framework/except.h"
#include "framework/olecdlg.h"
#include "framework/oledata.h"
#include "framework/winapp.h"
#include "input/gcrpoint.h"
#include "ole/olecopy.h"
#include "settings/answers.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/winutil.h"
#include "shell/drawwin/docview.h"
#include "shell/oleitems/rectitem.h"
#include "shell/units/scmenu.h"
#include "shell/oleitems/srvritem.h"
#include "shell/units/toolbar.h"
#include "shell/drawwin/viewwin.h"
#include "settings/appstate.h"
#include "display/view/viewstate.h"

CLIPFORMAT cfObjectDescriptor;
HWND CopyViewWindow;

namespace {

static_assert(sizeof(OBJECTDESCRIPTOR) == 52, "the descriptor kept is 52 bytes");
OBJECTDESCRIPTOR last_descriptor;

void register_descriptor() {
  if (cfObjectDescriptor == 0)
    cfObjectDescriptor = CLIPFORMAT(RegisterClipboardFormatA("Object Descriptor"));
}

// Another program's block is trusted only as far as its size goes.
bool read_descriptor(COleDataObject *data, OBJECTDESCRIPTOR *out) {
  register_descriptor();
  HGLOBAL block = data->GetGlobalData(cfObjectDescriptor);
  if (!block)
    return false;
  bool ok = false;
  if (GlobalSize(block) >= sizeof(OBJECTDESCRIPTOR))
    if (const void *p = GlobalLock(block)) {
      std::memcpy(out, p, sizeof(OBJECTDESCRIPTOR));
      GlobalUnlock(block);
      ok = true;
    }
  GlobalFree(block);
  return ok;
}

SIZE himetric_to_pixels(SIZE s) {
  HDC screen = GetDC(nullptr);
  const int dx = GetDeviceCaps(screen, LOGPIXELSX), dy = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return SIZE{MulDiv(s.cx, dx, 2540), MulDiv(s.cy, dy, 2540)};
}

// The drawing holds embedded objects that changed: its modified flag.
void mark_change(const CMainView *view) {
  int dwg = view->m_dwg;
  if (CMainDoc *doc = view->GetDocument(); doc && (doc->m_dwg == 0 || doc->m_dwg == 1))
    dwg = doc->m_dwg;
  if (dwg == 0 || dwg == 1)
    dwg_touch(dwg);
}

CRectItem *new_item(CMainDoc *doc) { return doc->CreateRectItem(); }
void drop_item(CMainDoc *doc, CRectItem *item) { doc->DeleteItem(item); }

struct WaitCursor {
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  ~WaitCursor() { SetCursor(old); }
};

RECT normal(RECT r) {
  if (r.left > r.right)
    std::swap(r.left, r.right);
  if (r.top > r.bottom)
    std::swap(r.top, r.bottom);
  return r;
}

int ask_box(const UiQuestion &q) {
  return MessageBoxA(static_cast<HWND>(q.owner), q.text, q.heading, UINT(q.flags));
}

} // namespace

// Selection, tracker and drawing ---------------------------------------------------------

void CMainDoc::OnItemRemoved(CDocItem *item) {
  for (CView *v : GetViews())
    if (auto *view = dynamic_cast<CMainView *>(v); view && view->m_pSelection == item) {
      RECT none{};
      view->InvalidateItem(view->m_pSelection, &none);
      view->m_pSelection = nullptr;
    }
}

void CMainView::SetSelection(CRectItem *item, BOOL safe) {
  if (item == m_pSelection)
    return;
  // Another object active in place here is closed first, unless that is not safe now.
  if (CMainDoc *doc = GetDocument())
    if (COleClientItem *active = doc->GetInPlaceActiveItem(this); active && active != item) {
      if (safe)
        return;
      active->Close(OLECLOSE_SAVEIFDIRTY);
    }
  RECT none{};
  if (m_pSelection)
    InvalidateItem(m_pSelection, &none);
  none = RECT{};
  if (item)
    InvalidateItem(item, &none);
  m_pSelection = item;
}

void CMainView::SetupTracker(CRectTracker *tracker, CRectItem *item, RECT *trueRect) {
  if (!tracker || !item)
    AfxThrowInvalidArgException();
  tracker->m_rect = RectToDevice(item->GetDeviceRect(this));
  tracker->m_sizeMin = SIZE{8, 8};
  tracker->m_nStyle = 0;
  if (item == m_pSelection)
    tracker->m_nStyle |= CRectTracker::resizeInside;
  const UINT state = item->GetItemState();
  if (state == COleClientItem::openState || state == COleClientItem::activeUIState)
    tracker->m_nStyle |= CRectTracker::hatchInside;
  if (trueRect)
    tracker->GetTrueRect(trueRect);
}

void CMainView::InvalidateItem(CRectItem *item, RECT *rect) {
  CRectTracker tracker;
  RECT r{};
  SetupTracker(&tracker, item, &r);
  if (rect && !IsRectEmpty(rect))
    UnionRect(&r, &r, rect);
  if (rect)
    *rect = r;
  InvalidateRect(m_hWnd, &r, TRUE);
}

void CMainView::DrawItems(HDC dc, int layer) {
  CMainDoc *doc = GetDocument();
  if (!doc)
    return;
  CDC cdc;
  cdc.Attach(dc);
  const bool printing = GetDeviceCaps(dc, TECHNOLOGY) == DT_RASPRINTER;
  for (CDocItem *it : doc->GetItems()) {
    auto *item = dynamic_cast<CRectItem *>(it);
    if (!item || int(item->m_geom.layer) != layer)
      continue;
    const SIZE s = item->GetDeviceSize(this);
    if (std::abs(s.cx) < 5 || std::abs(s.cy) < 5)
      continue;
    try {
      // Objects draw upright in device pixels; the view's logical units run upward.
      RECT r = item->GetDeviceRect(this);
      LPtoDP(dc, reinterpret_cast<POINT *>(&r), 2);
      r = normal(r);
      const int saved = SaveDC(dc);
      SetMapMode(dc, MM_TEXT);
      SetWindowOrgEx(dc, 0, 0, nullptr);
      SetViewportOrgEx(dc, 0, 0, nullptr);
      FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      item->Draw(&cdc, &r);
      RestoreDC(dc, saved);
    } catch (const CException &) {
      continue; // one broken object does not keep the others from showing
    }
    if (printing)
      continue;
    CRectTracker tracker;
    RECT tr{};
    SetupTracker(&tracker, item, &tr);
    RECT lr = normal(RectToLogical(tr));
    if (RectVisible(dc, &lr))
      tracker.Draw(&cdc);
    else
      UpdateActiveItemRects();
  }
  cdc.Detach();
}

void CMainView::DrawItemsTo(HDC dc, int layer) {
  CMainDoc *doc = GetDocument();
  if (!doc || m_dwg < 0 || m_dwg > 1 || m_view < 0 || m_view >= VIEW_COUNT)
    return;
  CDC cdc;
  cdc.Attach(dc);
  RECT clip{};
  const bool clipped = OutputKind == 4 && GetClipBox(dc, &clip) != ERROR;
  for (CDocItem *it : doc->GetItems()) {
    auto *item = dynamic_cast<CRectItem *>(it);
    if (!item || int(item->m_geom.layer) != layer)
      continue;
    SIZE s = item->GetDeviceSize(this);
    s.cx = std::abs(s.cx), s.cy = std::abs(s.cy);
    if (s.cx < 5 || s.cy < 5)
      continue;
    try {
      int32_t px = 0, py = 0;
      vew_w2dev(m_dwg, m_view, item->m_geom.x, item->m_geom.y, &px, &py);
      const RECT r{px, py, px + s.cx, py + s.cy};
      if (clipped && (r.left < clip.left || r.top < clip.top || r.right > clip.right || r.bottom > clip.bottom))
        continue;
      FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      item->Draw(&cdc, &r);
    } catch (const CException &) {
      continue;
    }
  }
  cdc.Detach();
}

CRectItem *CMainView::HitTestItems(POINT pt) {
  CMainDoc *doc = GetDocument();
  if (!doc)
    return nullptr;
  CRectItem *hit = nullptr;
  for (CDocItem *it : doc->GetItems())
    if (auto *item = dynamic_cast<CRectItem *>(it)) {
      CRectTracker tracker;
      SetupTracker(&tracker, item);
      if (tracker.HitTest(pt) >= 0)
        hit = item; // the later item in the document lies on top
    }
  return hit;
}

// Creating items ------------------------------------------------------------------------------

const OBJECTDESCRIPTOR *GetObjectDescriptor(COleDataObject *data) {
  COleDataObject clipboard;
  if (!data) {
    if (!clipboard.AttachClipboard())
      return nullptr;
    data = &clipboard;
  }
  return read_descriptor(data, &last_descriptor) ? &last_descriptor : nullptr;
}

BOOL CMainView::GetDescriptorSize(COleDataObject *data, SIZE *size, POINT *offset) {
  if (!size)
    AfxThrowInvalidArgException();
  *size = SIZE{0, 0};
  if (offset)
    *offset = POINT{0, 0};
  OBJECTDESCRIPTOR d{};
  if (!data || !read_descriptor(data, &d))
    return FALSE;
  *size = SIZE{d.sizel.cx, d.sizel.cy};
  if (offset)
    *offset = POINT{d.pointl.x, d.pointl.y};
  return TRUE;
}

void CMainView::CreateItemFromData(BOOL link, COleDataObject *data, const POINT *pt, CRectItem *item,
                                   CLIPFORMAT format) {
  BOOL made;
  if (link)
    made = item->CreateLinkFromData(data, OLERENDER_DRAW);
  else
    made = item->CreateFromData(data, OLERENDER_DRAW) || item->CreateStaticFromData(data, OLERENDER_DRAW, format);
  if (!made)
    AfxThrowMemoryException();
  OBJECTDESCRIPTOR d{};
  if (read_descriptor(data, &d))
    item->SetDrawAspect(DVASPECT(d.dwDrawAspect));
  if (pt) {
    const POINT origin = PointToLogical(POINT{0, 0});
    POINT p = *pt;
    p.y += origin.y;
    p = PointToDevice(p);
    double x = 0, y = 0;
    if (vew_dev2w(m_dwg, m_view, p.x, p.y, &x, &y) == 0) {
      item->m_geom.x = x;
      item->m_geom.y = y;
    }
  }
  SIZE size{};
  if (GetDescriptorSize(data, &size) && size.cx != 0 && size.cy != 0) {
    // The same conversion as an extent taken over from the server.
    SheetRecord s{};
    int num = 1, den = 1;
    if (CMainDoc *doc = GetDocument(); doc && doc->m_dwg >= 0 && sys_sheet('R', doc->m_dwg, &s) == 0)
      num = s.num, den = s.den;
    double w = 0, h = 0;
    rit_extentsize(size.cx, size.cy, num, den, &w, &h);
    item->SetDrawingSize(CKLDSize(w, h));
    SIZE cached{};
    if (item->GetCachedExtent(&cached))
      item->SetKnownExtent(cached);
  } else {
    item->UpdateExtent();
  }
}

CRectItem *CMainView::PasteItem(BOOL link, COleDataObject *data, const POINT *pt, CLIPFORMAT format) {
  CMainDoc *doc = GetDocument();
  WaitCursor wait;
  CRectItem *item = doc ? new_item(doc) : nullptr;
  if (!item)
    AfxThrowMemoryException();
  COleDataObject clipboard;
  try {
    if (!data) {
      if (!clipboard.AttachClipboard())
        AfxThrowMemoryException();
      data = &clipboard;
    }
    CreateItemFromData(link, data, pt, item, format);
  } catch (const CException &) {
    item->Delete(); // half made: nothing of it was ever shown or kept
    return nullptr;
  }
  mark_change(this);
  doc->SetModifiedFlag(TRUE);
  // Views are told first: hint 1 makes a view drop that item as its selection, and the
  // new item is to stay selected here.
  doc->UpdateAllViews(nullptr, 1, item);
  SetSelection(item);
  return item;
}

BOOL IsPaintPictureClass(REFCLSID clsid) {
  CLSID paint;
  return CLSIDFromProgID(L"Paint.Picture", &paint) == S_OK && IsEqualCLSID(paint, clsid);
}

namespace {

// The point the user picks for a paste, as a logical point of the view; false when
// the pick ended.
bool pick_paste_point(CMainView *view, POINT *out) {
  double x = 0, y = 0;
  int32_t dwg = -1;
  for (;;) {
    msg_disp(1, 0, 0, 0, 30800);
    int32_t kb = 0;
    const int code = gcr_point(0, 0, 0, &x, &y, &dwg, &kb);
    msg_disp(1, 128, 0, 0, 30800);
    if (code == 500 || code == 13)
      break;
    // 700: no drawing can take a point, so asking again would never end.
    if (code == 27 || code == 800 || code == 700)
      return false;
  }
  int32_t px = 0, py = 0;
  if (dwg < 0 || dwg > 1 || vew_w2dev(dwg, view->m_view, x, y, &px, &py) != 0)
    return false;
  POINT p = view->PointToLogical(POINT{px, py});
  const POINT origin = view->PointToLogical(POINT{0, 0});
  p.y -= origin.y;
  *out = p;
  return true;
}

} // namespace

void CMainView::PasteAtPoint() {
  if (ObjectMode)
    return;
  POINT p{};
  if (!pick_paste_point(this, &p))
    return;
  if (const OBJECTDESCRIPTOR *d = GetObjectDescriptor(nullptr); d && IsEqualCLSID(d->clsid, *GetAppClsid()))
    return; // a part of a drawing of this program is not placed in a drawing
  PasteItem(FALSE, nullptr, &p, 0);
}

void CMainView::PasteLinkAtPoint() {
  if (ObjectMode)
    return;
  POINT p{};
  if (pick_paste_point(this, &p))
    PasteItem(TRUE, nullptr, &p, 0);
}

void CMainView::InsertObject() {
  COleInsertDialog dlg;
  if (dlg.DoModal() != IDOK)
    return;
  WaitCursor wait;
  CMainDoc *doc = GetDocument();
  CRectItem *item = nullptr;
  try {
    if (!doc)
      AfxThrowMemoryException();
    item = new_item(doc);
    if (!dlg.CreateItem(item))
      AfxThrowMemoryException();
    item->UpdateLink();
    item->UpdateExtent();
    if (dlg.GetSelectionType() == COleInsertDialog::createNewItem)
      item->DoVerb(OLEIVERB_SHOW, this);
    SetSelection(item);
    mark_change(this);
  } catch (const CException &) {
    if (item) {
      if (m_pSelection == item)
        SetSelection(nullptr);
      item->Delete();
    }
    AfxMessageBox("オブジェクトを作成できませんでした。", MB_OK);
  }
}

// Object commands -----------------------------------------------------------------------------

void CMainView::SetItemLayer(int layer) {
  if (!m_pSelection)
    return;
  m_pSelection->m_geom.layer = uint32_t(layer);
  if (CMainDoc *doc = m_pSelection->GetDocument()) {
    doc->SetModifiedFlag(TRUE);
    doc->UpdateAllViews(nullptr, 1, m_pSelection);
  }
  mark_change(this);
}

void CMainView::BringItemToFront() {
  if (m_pSelection)
    SetItemLayer(1);
}

void CMainView::SendItemToBack() {
  if (m_pSelection)
    SetItemLayer(0);
}

void CMainView::ItemProperties() {
  if (m_pSelection)
    m_pSelection->ShowProperties(this);
}

void CMainView::ToggleObjectMode() {
  if (!ObjectMode) {
    ObjectMode = 1;
    if (m_pSelection)
      if (CMainDoc *doc = m_pSelection->GetDocument()) {
        doc->SetModifiedFlag(TRUE);
        doc->UpdateAllViews(nullptr, 1, m_pSelection);
      }
  } else {
    ObjectMode = 0;
  }
  tbar_objmode();
}

void CMainView::CopyItem() {
  if (m_pSelection)
    m_pSelection->CopyToClipboard(TRUE);
}

void CMainView::CutItem() {
  if (!m_pSelection)
    return;
  m_pSelection->CopyToClipboard(TRUE);
  mark_change(this);
  DeleteSelectedItem();
}

void CMainView::DeleteSelectedItem() {
  if (!m_pSelection || ObjectMode)
    return;
  CRectItem *item = m_pSelection;
  RECT none{};
  InvalidateItem(item, &none);
  m_pSelection = nullptr;
  if (CMainDoc *doc = GetDocument())
    drop_item(doc, item);
  mark_change(this);
}

void CMainView::ClearAllItems() {
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.heading = "インク工房";
  q.text = "すべてのオブジェクトをクリアします。よろしいですか？";
  q.flags = MB_YESNO | MB_ICONQUESTION;
  q.owner = m_hWnd;
  if (ui_ask(q, ask_box) != IDYES)
    return;
  CMainDoc *doc = GetDocument();
  if (!doc)
    return;
  // A copy: deleting an item takes it out of the document's list.
  const std::vector<CDocItem *> items(doc->GetItems().begin(), doc->GetItems().end());
  for (CDocItem *it : items)
    if (auto *r = dynamic_cast<CRectItem *>(it))
      drop_item(doc, r);
    else if (auto *item = dynamic_cast<COleClientItem *>(it))
      item->Delete();
  Invalidate(TRUE);
  mark_change(this);
}

BOOL CMainView::HasItems() const {
  CMainDoc *doc = GetDocument();
  return doc && !doc->GetItems().empty();
}

namespace {
// The drawing's server item copies the area with all three pictures; this window
// selects the part.
void copy_area(CMainView *view, int mode) {
  CopyViewWindow = view->m_hWnd;
  const int d = dwg_cur();
  CMainDoc *doc = view->GetDocument();
  if ((d != 0 && d != 1) || !doc || !IsWindow(view->m_hWnd))
    return;
  if (auto *item = dynamic_cast<CKLSrvrItem *>(doc->GetEmbeddedItem()))
    item->CopyAreaToClipboard(PICT_ENHMETAFILE | PICT_METAFILE | PICT_BITMAP, view->m_hWnd, mode);
}
} // namespace

void CMainView::CopyViewToClipboard() { copy_area(this, 0); }

void CMainView::CopyAreaToClipboard() { copy_area(this, 1); }

void CMainView::OnObjectOpen() {
  if (!m_pSelection || ObjectMode)
    return;
  WaitCursor wait;
  m_pSelection->DoVerb(OLEIVERB_OPEN, this);
  mark_change(this);
}

namespace {
void show_as(CMainView *view, CRectItem *item, DVASPECT aspect) {
  RECT none{};
  view->InvalidateItem(item, &none);
  item->SetDrawAspect(aspect);
  item->UpdateExtent();
  none = RECT{};
  view->InvalidateItem(item, &none);
}
} // namespace

void CMainView::OnDisplayContent() {
  if (m_pSelection)
    show_as(this, m_pSelection, DVASPECT_CONTENT);
}

void CMainView::OnDisplayIcon() {
  if (m_pSelection)
    show_as(this, m_pSelection, DVASPECT_ICON);
}

void CMainView::OnResetItemSize() {
  if (!m_pSelection)
    AfxThrowInvalidArgException();
  m_pSelection->ResetSize();
}

BOOL CMainView::OnCmdMsg(UINT id, int code) {
  switch (id) {
  case 60000:
    OnObjectOpen();
    return TRUE;
  case 60012:
    OnDisplayContent();
    return TRUE;
  case 60013:
    OnDisplayIcon();
    return TRUE;
  case 60014:
    OnResetItemSize();
    return TRUE;
  default:
    return CView::OnCmdMsg(id, code);
  }
}

BOOL CMainView::OnUpdateCmdUI(CCmdUI *ui) {
  if (ui->m_nID != 60012 && ui->m_nID != 60013)
    return CView::OnUpdateCmdUI(ui);
  const DVASPECT aspect = ui->m_nID == 60012 ? DVASPECT_CONTENT : DVASPECT_ICON;
  ui->Enable(m_pSelection != nullptr);
  ui->SetCheck(m_pSelection && m_pSelection->GetDrawAspect() == aspect);
  return TRUE;
}

// Drag and drop inside the view ---------------------------------------------------------------

DROPEFFECT CMainView::OnDragEnter(COleDataObject *data, DWORD keyState, POINT pt) {
  if (m_bInDrag) {
    SIZE size{};
    POINT offset{};
    if (GetDescriptorSize(data, &size, &offset)) {
      m_dragSize = himetric_to_pixels(size);
      const SIZE o = himetric_to_pixels(SIZE{offset.x, offset.y});
      m_dragOffset = o;
    } else {
      m_prevDropEffect = DROPEFFECT_NONE;
      m_bInDrag = FALSE;
    }
  } else {
    m_prevDropEffect = DROPEFFECT_NONE;
  }
  m_dragPoint = POINT{INT_MIN / 2, INT_MIN / 2}; // nothing shown yet
  return OnDragOver(data, keyState, pt);
}

namespace {
void focus_rect(HWND wnd, POINT at, SIZE size) {
  HDC dc = GetDC(wnd);
  RECT r{at.x, at.y, at.x + size.cx, at.y + size.cy};
  DrawFocusRect(dc, &r);
  ReleaseDC(wnd, dc);
}
} // namespace

DROPEFFECT CMainView::OnDragOver(COleDataObject *, DWORD keyState, POINT pt) {
  if (!m_bInDrag)
    return DROPEFFECT_NONE;
  pt.x -= m_dragOffset.cx;
  pt.y -= m_dragOffset.cy;
  RECT item{pt.x, pt.y, pt.x + m_dragSize.cx, pt.y + m_dragSize.cy};
  if (IsRectEmpty(&item))
    InflateRect(&item, 1, 1);
  const RECT client = GetClientRect();
  RECT meet{};
  DROPEFFECT effect = DROPEFFECT_NONE;
  if (IntersectRect(&meet, &item, &client)) {
    if ((keyState & MK_CONTROL) && (keyState & MK_SHIFT))
      effect = DROPEFFECT_LINK;
    else if (keyState & MK_CONTROL)
      effect = DROPEFFECT_COPY;
    else
      effect = DROPEFFECT_MOVE;
  }
  if (pt.x != m_dragPoint.x || pt.y != m_dragPoint.y) {
    if (m_prevDropEffect != DROPEFFECT_NONE)
      focus_rect(m_hWnd, m_dragPoint, m_dragSize);
    m_prevDropEffect = effect;
    if (effect != DROPEFFECT_NONE) {
      m_dragPoint = pt;
      focus_rect(m_hWnd, m_dragPoint, m_dragSize);
    }
  }
  return effect;
}

void CMainView::OnDragLeave() {
  if (m_bInDrag && m_prevDropEffect != DROPEFFECT_NONE)
    focus_rect(m_hWnd, m_dragPoint, m_dragSize);
  m_prevDropEffect = DROPEFFECT_NONE;
}

BOOL CMainView::OnDrop(COleDataObject *data, DROPEFFECT effect, POINT pt) {
  if (!m_bInDrag)
    return FALSE;
  OnDragLeave();
  SIZE size{};
  POINT offset{};
  GetDescriptorSize(data, &size, &offset);
  const SIZE o = himetric_to_pixels(SIZE{offset.x, offset.y});
  m_dragSize = himetric_to_pixels(size);
  m_dragOffset = o;
  pt.x -= o.cx;
  pt.y -= o.cy;
  if (effect == DROPEFFECT_MOVE) {
    m_bInDrag = FALSE; // the left-button handler keeps the item
    if (!m_pSelection)
      return FALSE;
    const RECT now = RectToDevice(m_pSelection->GetDeviceRect(this));
    if (pt.x != now.left || pt.y != now.top) {
      SIZE s = m_pSelection->GetDeviceSize(this);
      s.cx = std::abs(s.cx), s.cy = std::abs(s.cy);
      m_pSelection->MoveTo(RectToLogical(RECT{pt.x, pt.y, pt.x + s.cx, pt.y + s.cy}), this);
      if (CMainDoc *doc = m_pSelection->GetDocument())
        doc->SetModifiedFlag(TRUE);
    }
    return FALSE;
  }
  const POINT at = PointToLogical(pt);
  CRectItem *made = nullptr;
  if (effect == DROPEFFECT_LINK)
    made = PasteItem(TRUE, data, &at, 0);
  if (!made)
    made = PasteItem(FALSE, data, &at, 0);
  return made != nullptr;
}

// Mouse and keys on objects ---------------------------------------------------------------

void CMainView::ObjectLButtonDown(POINT pt) {
  if (ObjectMode || lvl_anybusy())
    return;
  CRectItem *item = HitTestItems(pt);
  SetSelection(item);
  if (!item)
    return;
  CRectTracker tracker;
  SetupTracker(&tracker, item);
  const int hit = tracker.HitTest(pt);
  if (hit == CRectTracker::hitMiddle) {
    const RECT r = RectToDevice(item->GetDeviceRect(this));
    RECT screen = r;
    ClientToScreen(m_hWnd, reinterpret_cast<POINT *>(&screen.left));
    ClientToScreen(m_hWnd, reinterpret_cast<POINT *>(&screen.right));
    m_bInDrag = TRUE;
    const DROPEFFECT done = item->DoDragDrop(screen, POINT{pt.x - r.left, pt.y - r.top});
    // A move that this view did not take itself went elsewhere: the item goes here.
    if (done == DROPEFFECT_MOVE && m_bInDrag) {
      if (m_pSelection == item)
        SetSelection(nullptr);
      if (CMainDoc *doc = GetDocument())
        drop_item(doc, item);
      mark_change(this);
    }
    m_bInDrag = FALSE;
  } else if (hit >= 0 && tracker.Track(this, pt)) {
    item->MoveTo(RectToLogical(normal(tracker.m_rect)), this);
    if (CMainDoc *doc = GetDocument())
      doc->StampModified(TRUE, 0);
  }
}

void CMainView::OnLButtonDblClk(UINT flags, POINT pt) {
  if (!lvl_anybusy() && m_pSelection && !ObjectMode) {
    WaitCursor wait;
    m_pSelection->DoVerb(OLEIVERB_OPEN, this);
    mark_change(this);
  }
  CView::OnLButtonDblClk(flags, pt);
}

void CMainView::ObjectRButtonDown(POINT pt) {
  SetSelection(HitTestItems(pt));
}

void CMainView::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  if (key == VK_DELETE)
    DeleteSelectedItem();
  CView::OnKeyDown(key, repeat, flags);
}

BOOL CMainView::ObjectSetCursor(HWND wnd, UINT hit) {
  if (wnd != m_hWnd || !m_pSelection)
    return FALSE;
  CRectTracker tracker;
  SetupTracker(&tracker, m_pSelection);
  if (!tracker.SetCursor(this, hit))
    return FALSE;
  vwin_cursor(nullptr, 2, -1, -1);
  return TRUE;
}

void CMainView::ObjectUpdate(LPARAM hint, CObject *hintObject) {
  if (auto *item = dynamic_cast<CRectItem *>(hintObject)) {
    RECT none{};
    InvalidateItem(item, &none);
    if (hint == 1 && item == m_pSelection)
      m_pSelection = nullptr;
  }
}

// Engine entry points -------------------------------------------------------------------------

namespace {

CMainView *current_view() {
  const int d = dwg_cur(), v = vew_cur();
  if (d < 0 || d > 1 || v < 0 || v >= VIEW_COUNT)
    return nullptr;
  return dynamic_cast<CMainView *>(CWnd::FromHandlePermanent(vew_hwnd(d, v)));
}

int run_on_view(int op) {
  CMainView *view = current_view();
  if (!view)
    return 0;
  switch (op) {
  case OLEV_COPYVIEW: view->CopyViewToClipboard(); break;
  case OLEV_COPYPICK: view->CopyAreaToClipboard(); break;
  case OLEV_OBJMODE: view->ToggleObjectMode(); break;
  case OLEV_CUT: view->CutItem(); break;
  case OLEV_COPY: view->CopyItem(); break;
  case OLEV_PASTE: view->PasteAtPoint(); break;
  case OLEV_PASTELINK: view->PasteLinkAtPoint(); break;
  case OLEV_DELETE: view->DeleteSelectedItem(); break;
  case OLEV_CLEAR: view->ClearAllItems(); break;
  case OLEV_FRONT: view->BringItemToFront(); break;
  case OLEV_BACK: view->SendItemToBack(); break;
  case OLEV_PROPS: view->ItemProperties(); break;
  case OLEV_HASITEMS: return view->HasItems() ? 1 : 0;
  case OLEV_UPDATESEL:
    if (CRectItem *sel = view->m_pSelection) {
      if (CMainDoc *doc = sel->GetDocument())
        doc->SetModifiedFlag(TRUE);
      if (CMainDoc *cur = FindDocOfDrawing(dwg_cur()))
        cur->UpdateAllViews(nullptr, 1, sel);
    }
    break;
  default: break;
  }
  return 0;
}

} // namespace

void viewitems_register() {
  register_descriptor();
  OleViewCall = run_on_view;
}

void CMainView::UpdateActiveItemRects() {
  CMainDoc *doc = GetDocument();
  COleClientItem *active = doc ? doc->GetInPlaceActiveItem(this) : nullptr;
  if (active && active->GetItemState() == COleClientItem::activeUIState && active->GetActiveView() == this)
    active->SetItemRects();
}

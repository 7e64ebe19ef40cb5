#include "shell/drawwin/docview.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstring>
#include <utility>

#include "commands/cmdl/cmdtable.h"
#include "commands/view/sheetcalc.h"
#include "database/cells.h"
#include "database/pack.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/view/viewtbl.h"
#include "files/filecmd.h"
#include "files/lockwin.h"
#include "framework/appole.h"
#include "framework/doctempl.h"
#include "framework/except.h"
#include "framework/olecli.h"
#include "framework/winapp.h"
#include "input/gcr.h"
#include "input/inpkind.h"
#include "ole/ole1view.h"
#include "ole/olecopy.h"
#include "settings/params.h"
#include "settings/syspath.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "shell/units/scmenu.h"
#include "shell/units/toolbar.h"
#include "shell/drawwin/viewwin.h"
#include "settings/appstate.h"
#include "display/view/viewstate.h"


namespace {

CMainDoc *doc_table[2];
CSplitFrame *frame_slots[96];
HWND last_view;
int saved_kind; // the cursor kind last seen as 0 or 2

// The last rectangle SameDrawRect saw.
struct {
  int dwg, view;
  double x0, y0, x1, y1;
} same_rect = {-1, -1, 0, 0, 0, 0};

// The first window shown maximised by the program, and its placement before.
struct {
  HWND frame; // null once restored
  WINDOWPLACEMENT placement;
} first_window;

bool valid(int dwg, int view) { return (dwg == 0 || dwg == 1) && view >= 0 && view < VIEW_COUNT; }

bool view_id(HWND wnd, int32_t id[3]) { return vwin_getid(wnd, id) && valid(id[0], id[1]); }

void bind(int dwg, int view) {
  if (auto *v = dynamic_cast<CMainView *>(CWnd::FromHandlePermanent(vew_hwnd(dwg, view)))) {
    v->m_dwg = dwg;
    v->m_view = view;
  }
}

} // namespace

// Document ---------------------------------------------------------------------------

CMainDoc::CMainDoc() : m_dwg(VwinRequest.dwg) {
  if (cfKivolant == 0)
    cfKivolant = RegisterClipboardFormatA("KIVOLANT");
  m_itemRect[0] = 0.0, m_itemRect[1] = 428.0, m_itemRect[2] = 297.0, m_itemRect[3] = 0.0;
  // Every drawing is of the program's class, also one the engine opened: its copies
  // carry the class, so a container can make an object of them.
  SetFactory(nullptr, *GetAppClsid());
  for (CMainDoc *&slot : doc_table)
    if (!slot) {
      slot = this;
      break;
    }
}

CMainDoc::~CMainDoc() {
  for (CMainDoc *&slot : doc_table)
    if (slot == this) {
      slot = nullptr;
      break;
    }
}

void CMainDoc::StampModified(BOOL modified, int notify) {
  if (notify == 0) {
    SetModifiedFlag(modified);
    return;
  }
  if (notify & 1)
    SetModifiedFlag(modified);
  if (HWND main = app_hmain())
    PostMessageA(main, WM_USER + 9, 0, -1);
}

BOOL CMainDoc::GetModified(int flags) { return flags == 0 || (flags & 1) ? IsModified() : FALSE; }

CMainView *CMainDoc::GetTopView() const {
  const auto &views = GetViews();
  if (views.empty())
    return nullptr;
  if (views.size() == 1)
    return dynamic_cast<CMainView *>(views.front());
  CFrameWnd *first = views.front()->GetParentFrame();
  HWND parent = first ? ::GetParent(first->m_hWnd) : nullptr;
  for (HWND w = parent ? GetTopWindow(parent) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
    for (CView *v : views)
      if (CFrameWnd *f = v->GetParentFrame(); f && f->m_hWnd == w)
        return dynamic_cast<CMainView *>(v);
  return nullptr;
}

void MakeDocTempFileName(CString &name) {
  char folder[262] = "";
  sys_path('R', 4, folder);
  if (!folder[0])
    GetCurrentDirectoryA(sizeof folder, folder);
  const size_t n = std::strlen(folder);
  if (n && folder[n - 1] != '\\' && folder[n - 1] != '/' && n + 1 < sizeof folder)
    std::strcat(folder, "\\");
  char file[MAX_PATH + 16] = "";
  if (!GetTempFileNameA(folder, "KlOLE", 0, file) || !file[0])
    std::strcpy(file, "KlOLE.tmp");
  name = file;
}

CMainDoc *FindDocOfDrawing(int dwg) {
  for (CMainDoc *d : doc_table)
    if (d && d->m_dwg == dwg)
      return d;
  return nullptr;
}

CMainDoc *FindDocWithOpenItem() {
  for (CMainDoc *d : doc_table)
    if (d)
      for (CDocItem *item : d->GetItems())
        if (auto *c = dynamic_cast<COleClientItem *>(item))
          if (const UINT st = c->GetItemState(); st == COleClientItem::openState ||
                                                 st == COleClientItem::activeState ||
                                                 st == COleClientItem::activeUIState)
            return d;
  return nullptr;
}

int ResetDocOfDrawing(int dwg) {
  CMainDoc *d = FindDocOfDrawing(dwg);
  if (!d)
    return 0;
  d->DeleteContents();
  return 1;
}

// Child frame ---------------------------------------------------------------------------

CSplitFrame::CSplitFrame() {
  for (int i = 0; i < 96; i++)
    if (!frame_slots[i]) {
      frame_slots[i] = this;
      m_slot = i;
      break;
    }
}

CSplitFrame::~CSplitFrame() {
  if (m_slot >= 0)
    frame_slots[m_slot] = nullptr;
}

CSplitFrame *CSplitFrame::FindByHandle(HWND wnd) {
  for (CSplitFrame *f : frame_slots)
    if (f && f->m_hWnd == wnd && wnd)
      return f;
  return nullptr;
}

BOOL CSplitFrame::PreCreateWindow(CREATESTRUCTA &cs) {
  if (!CMDIChildWnd::PreCreateWindow(cs))
    return FALSE;
  if (VwinRequest.hasrect) {
    const RECT &r = VwinRequest.rect;
    cs.x = r.left, cs.y = r.top, cs.cx = r.right - r.left, cs.cy = r.bottom - r.top;
  }
  cs.style &= ~LONG(FWS_ADDTOTITLE | FWS_PREFIXTITLE);
  // The first drawing window opens maximised; its own placement comes back on restore.
  if (vew_count() == 0)
    cs.style |= WS_MAXIMIZE;
  return TRUE;
}

bool CSplitFrame::CloseDrawing() {
  auto *view = dynamic_cast<CMainView *>(GetActiveView());
  int32_t id[3];
  if (!view || !view_id(view->m_hWnd, id))
    return true;
  const int d = id[0];
  dwg_setcur(d);
  if (std::bitset<32>(vew_mask(d)).count() > 1)
    return true; // other views of the drawing stay open
  uint32_t state = 0;
  sys_dwgstat('R', d, &state);
  uint32_t kept_state = state;
  state &= 0xF;
  sys_dwgstat('W', d, &state);
  int answer = -3;
  if (dtb_pack(d) == 0) {
    und_rset(d);
    if (dtb_used(d) == 0)
      answer = 1; // nothing in it: nothing to keep
  }
  if (answer == -3)
    answer = fil_askclose(view->m_hWnd);
  if (answer < 0 || answer > 2 || answer == 2)
    return false;
  if (answer == 0 && fil_closesave(d) != 0) {
    sys_dwgstat('W', d, &kept_state); // still unsaved: the next close asks again
    return false;
  }
  // A copy of the drawing on the clipboard keeps its pictures before the drawing goes.
  if (CMainDoc *doc = FindDocOfDrawing(d)) {
    try {
      doc->ReleaseItemData(0);
    } catch (CException &) {
    }
  }
  DbControl c[2];
  dtb_ctrl('R', c);
  c[d].count1 = c[d].count2 = c[d].count3 = 0;
  dtb_ctrl('W', c);
  char empty[262] = "";
  sys_dwgname('W', d, 0, empty);
  sys_dwgmemclr(d);
  uint32_t zero = 0;
  sys_dwgstat('W', d, &zero);
  vew_prvclr(d);
  if (DwgPath[d].lock)
    lck_release(d);
  DwgPath[d].path[0] = '\0';
  dtb_free(d);
  return true;
}

LRESULT CSplitFrame::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_CREATE: {
    if (HICON icon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(146)))
      SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    if (vew_count() == 0 && (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_MAXIMIZE)) {
      first_window.placement.length = sizeof(WINDOWPLACEMENT);
      GetWindowPlacement(m_hWnd, &first_window.placement);
      first_window.placement.showCmd = SW_SHOWNORMAL;
      first_window.frame = m_hWnd;
    }
    if (HMENU sys = GetSystemMenu(m_hWnd, FALSE))
      RemoveMenu(sys, 7, MF_BYPOSITION);
    break;
  }
  case WM_SIZE: {
    ResetSameDrawRect();
    WINDOWPLACEMENT now = {};
    now.length = sizeof now;
    if (first_window.frame == m_hWnd && wp == SIZE_RESTORED && GetWindowPlacement(m_hWnd, &now) &&
        now.showCmd == SW_SHOWNORMAL) {
      first_window.frame = nullptr;
      SetWindowPlacement(m_hWnd, &first_window.placement);
    }
    break;
  }
  case WM_CLOSE:
    cmd_cancel(0);
    if (!CloseDrawing())
      return 0;
    break;
  case WM_DESTROY:
    if (first_window.frame == m_hWnd)
      first_window.frame = nullptr;
    break;
  case WM_QUERYENDSESSION:
    // 0 to go on, non-zero to keep the drawing (vwin_closeall destroys the window).
    return CloseDrawing() ? 0 : 1;
  default:
    break;
  }
  return CMDIChildWnd::WindowProc(msg, wp, lp);
}

// View ---------------------------------------------------------------------------------

CMainView::CMainView() : m_dwg(VwinRequest.dwg), m_view(VwinRequest.view) {
  if (cfObjectDescriptor == 0)
    cfObjectDescriptor = CLIPFORMAT(RegisterClipboardFormatA("Object Descriptor"));
}
CMainView::~CMainView() = default;

BOOL CMainView::PreCreateWindow(CREATESTRUCTA &cs) {
  if (!CView::PreCreateWindow(cs))
    return FALSE;
  cs.style |= WS_HSCROLL | WS_VSCROLL;
  return TRUE;
}

LRESULT CMainView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_MDIACTIVATE:
  case WM_CHILDACTIVATE:
  case WM_QUERYENDSESSION:
  case WM_CLOSE:
    return Default();
  case OLE1_MSG_CLOSED:
  case OLE1_MSG_CHANGED:
  case OLE1_MSG_RENAMED:
    if (int32_t id[3]; view_id(m_hWnd, id))
      Ole1ViewNotice(id[0], msg);
    return 0;
  default:
    return CView::WindowProc(msg, wp, lp);
  }
}

int CMainView::OnCreate(LPCREATESTRUCTA cs) {
  if (CView::OnCreate(cs) == -1)
    return -1;
  m_dropTarget.Register(this);
  last_view = m_hWnd;
  VwinLastView = m_hWnd;
  if (!vwin_attach(m_hWnd))
    return -1;
  if (VwinRequest.dwg < 0 && fil_newslot() != 0) {
    vwin_detach(m_hWnd);
    return -1;
  }
  if (!GetDocument())
    if (CMainDoc *doc = FindDocOfDrawing(VwinRequest.dwg))
      doc->AddView(this);
  return 0;
}

void CMainView::OnDestroy() {
  CView::OnDestroy();
  // An object active in place in this view leaves with it.
  if (CMainDoc *doc = GetDocument())
    if (COleClientItem *active = doc->GetInPlaceActiveItem(this))
      active->Deactivate();
  if (vwin_xhairwnd(nullptr, nullptr) == m_hWnd)
    vwin_cursor(nullptr, 2, -1, -1);
  int32_t id[3];
  if (view_id(m_hWnd, id) && vew_hwnd(id[0], id[1]) == m_hWnd) {
    vew_remove(id[0], id[1]);
  } else {
    // Entered in the table but never given its numbers: no entry may outlive the window.
    for (int d = 0; d < 2; d++)
      for (int v = 0; v < VIEW_COUNT; v++)
        if (vew_hwnd(d, v) == m_hWnd)
          vew_remove(d, v);
  }
  ResetSameDrawRect();
  vwin_detach(m_hWnd);
  for (int b = 0; b < 5; b++)
    tbar_create(b);
}

namespace {
// A client device context of the view prepared with its coordinate system.
struct ViewDC {
  const CMainView &view;
  HDC dc;
  explicit ViewDC(const CMainView &v) : view(v), dc(GetDC(v.m_hWnd)) {
    const_cast<CMainView &>(v).OnPrepareDC(dc);
  }
  ~ViewDC() { ReleaseDC(view.m_hWnd, dc); }
};
} // namespace

RECT CMainView::RectToLogical(RECT r) const {
  ViewDC d(*this);
  DPtoLP(d.dc, reinterpret_cast<POINT *>(&r), 2);
  return r;
}

RECT CMainView::RectToDevice(RECT r) const {
  ViewDC d(*this);
  LPtoDP(d.dc, reinterpret_cast<POINT *>(&r), 2);
  if (r.left > r.right)
    std::swap(r.left, r.right);
  if (r.top > r.bottom)
    std::swap(r.top, r.bottom);
  return r;
}

POINT CMainView::PointToLogical(POINT p) const {
  ViewDC d(*this);
  DPtoLP(d.dc, &p, 1);
  return p;
}

POINT CMainView::PointToDevice(POINT p) const {
  ViewDC d(*this);
  LPtoDP(d.dc, &p, 1);
  return p;
}

namespace {
SIZE size_map(HDC dc, SIZE s, bool toLogical) {
  POINT p[2] = {{0, 0}, {s.cx, s.cy}};
  if (toLogical)
    DPtoLP(dc, p, 2);
  else
    LPtoDP(dc, p, 2);
  return SIZE{std::abs(p[1].x - p[0].x), std::abs(p[1].y - p[0].y)};
}
} // namespace

SIZE CMainView::SizeToLogical(SIZE s) const {
  ViewDC d(*this);
  return size_map(d.dc, s, true);
}

SIZE CMainView::SizeToDevice(SIZE s) const {
  ViewDC d(*this);
  return size_map(d.dc, s, false);
}

void CMainView::OnPrepareDC(HDC dc) {
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 100, -100, nullptr);
  SetViewportExtEx(dc, GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY), nullptr);
}

void CMainView::OnUpdate(CView *sender, LPARAM hint, CObject *hintObject) {
  if (!hint && !hintObject)
    m_pSelection = nullptr;
  if (hintObject) {
    ObjectUpdate(hint, hintObject);
    return;
  }
  if (hint) {
    InvalidateRect(m_hWnd, reinterpret_cast<const RECT *>(hint), TRUE);
    return;
  }
  CView::OnUpdate(sender, hint, hintObject);
}

void CMainView::OnDraw(HDC dc) {
  const PAINTSTRUCT *ps = GetPaintStruct();
  if (!ps || ps->rcPaint.right <= ps->rcPaint.left || ps->rcPaint.bottom <= ps->rcPaint.top)
    return;
  // The cross-hair goes before the background is filled, so its XOR leaves nothing.
  if (vwin_xhairwnd(nullptr, nullptr) == m_hWnd)
    vwin_cursor(nullptr, 0, -1, -1);
  HDC wdc = GetDC(m_hWnd);
  const RECT &r = ps->rcPaint;
  IntersectClipRect(wdc, r.left, r.top, r.right, r.bottom);
  uint16_t map[20] = {};
  sys_colmap('R', map);
  HBRUSH brush = CreateSolidBrush(COLORREF(Palette[map[16] < PALETTE_COUNT ? map[16] : 0] & 0xFFFFFF));
  FillRect(wdc, &r, brush);
  DeleteObject(brush);
  PaintRect(m_hWnd, *ps, wdc, dc);
  inp_updall();
  ReleaseDC(m_hWnd, wdc);
}

int CMainView::PaintRect(HWND wnd, const PAINTSTRUCT &ps, HDC dc, HDC frameworkDC) {
  if (OutputKind == 1)
    return 0;
  const RECT &u = ps.rcPaint;
  if (u.right <= u.left || u.bottom <= u.top)
    return -1;
  int32_t id[3];
  if (!vwin_getid(wnd, id))
    return -2;
  if (!valid(id[0], id[1]))
    return -3;
  double x1, y1, x2, y2;
  vwin_worldrect(id[0], id[1], u, &x1, &y1, &x2, &y2);
  const uint16_t mask = cel_rect(id[0], x1, y1, x2, y2);
  int32_t rect[4] = {u.left, u.top, u.right, u.bottom};
  vwin_cliprect('W', rect);
  win_waitcur();
  const int r = vwin_drawbegin(dc, id[0], id[1]);
  if (r == 0) {
    DrawItems(frameworkDC, 0);
    vwin_drawbody(dc, id[0], id[1], mask);
    DrawItems(frameworkDC, 1);
    vwin_drawend(dc);
    Ole1DrawObjects(id[0], id[1], dc);
  }
  win_waitcur();
  vwin_xhairpaint(wnd, dc);
  return r;
}

int CMainView::SameDrawRect(HWND wnd, const PAINTSTRUCT &ps, int *same) {
  *same = 0;
  const RECT &u = ps.rcPaint;
  int32_t id[3];
  if (u.right <= u.left || u.bottom <= u.top || !view_id(wnd, id))
    return 0;
  double x0, y0, x1, y1;
  vwin_worldrect(id[0], id[1], u, &x0, &y0, &x1, &y1);
  const auto close_to = [](double a, double b) { return std::fabs(a - b) < 1e-5; };
  if (same_rect.dwg == id[0] && same_rect.view == id[1] && close_to(x0, same_rect.x0) && close_to(y0, same_rect.y0) &&
      close_to(x1, same_rect.x1) && close_to(y1, same_rect.y1))
    *same = 1;
  same_rect = {id[0], id[1], x0, y0, x1, y1};
  return 1;
}

void CMainView::OnSize(UINT type, int cx, int cy) {
  CView::OnSize(type, cx, cy);
  int32_t id[3];
  if (view_id(m_hWnd, id) && vew_hwnd(id[0], id[1]) == m_hWnd) {
    ViewXform xf;
    vew_frame('R', id[0], id[1], &xf);
    // Minimised (no client area) or not fitted yet (no scale): nothing to keep.
    if (cx > 0 && cy > 0 && xf.xscale > 0 && xf.yscale > 0 && std::isfinite(xf.xscale) && std::isfinite(xf.yscale)) {
      const double mx = (xf.sxmin + xf.sxmax) / 2, my = (xf.symin + xf.symax) / 2;
      const double w = cx / xf.xscale, h = cy / xf.yscale;
      const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
      vew_setdev(m_hWnd, id[0], id[1], -bx, -by, cx + bx, cy + by);
      vew_setwin(id[0], id[1], 1, mx - w / 2, my - h / 2, mx + w / 2, my + h / 2);
    }
  }
  if (cx <= 0 || cy <= 0)
    return; // an empty range would take the scroll bars away and size the view again
  SetScrollRange(m_hWnd, SB_HORZ, 0, cx, FALSE);
  SetScrollRange(m_hWnd, SB_VERT, 0, cy, FALSE);
  SetScrollPos(m_hWnd, SB_HORZ, int(std::lround(cx / 2.0)), TRUE);
  SetScrollPos(m_hWnd, SB_VERT, int(std::lround(cy / 2.0)), TRUE);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMainView::OnSetFocus(HWND old) {
  // The keyboard belongs to an object UI-active in place.
  if (CMainDoc *doc = GetDocument())
    if (COleClientItem *active = doc->GetInPlaceActiveItem(nullptr);
        active && active->GetItemState() == COleClientItem::activeUIState)
      if (HWND wnd = active->GetInPlaceWindow()) {
        ::SetFocus(wnd);
        return;
      }
  int32_t id[3];
  if (!view_id(m_hWnd, id))
    return;
  const bool other = dwg_cur() != id[0];
  if ((dwg_cur() == 0 || dwg_cur() == 1) && (other || vew_cur() != id[1]))
    UpdateSelectedItem();
  dwg_setcur(id[0]);
  vew_select(id[1]);
  if (other)
    inp_updall();
  CView::OnSetFocus(old);
}

BOOL CMainView::OnSetCursor(HWND wnd, UINT hit, UINT message) {
  const int kind = vwin_curkind(-1);
  if (kind == 0 || kind == 2)
    saved_kind = kind;
  if (hit != HTCLIENT) {
    MouseView = {-1, -1};
    vwin_cursor(nullptr, 2, -1, -1);
    SetCursor(LoadCursor(nullptr, IDC_ARROW)); // scroll bars and borders keep a visible pointer
    return TRUE;
  }
  if (!GetUpdateRect(m_hWnd, nullptr, FALSE)) {
    if (message == WM_LBUTTONDOWN) {
      vwin_cursor(nullptr, 2, -1, -1);
    } else {
      vwin_curkind(saved_kind);
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(m_hWnd, &p);
      vwin_cursor(m_hWnd, 0, p.x, p.y);
    }
  }
  ObjectSetCursor(wnd, hit); // over a selected object's handles: its sizing cursor
  return TRUE;
}

BOOL CMainView::OnEraseBkgnd(HDC) {
  gcr_clrfb();
  return TRUE;
}

void CMainView::OnHScroll(UINT code, UINT pos, HWND bar) {
  if (bar)
    return;
  vwin_curkind(saved_kind);
  vwin_cursor(nullptr, 2, -1, -1);
  vwin_scroll(m_hWnd, WM_HSCROLL, MAKEWPARAM(code, pos));
}

void CMainView::OnVScroll(UINT code, UINT pos, HWND bar) {
  if (bar)
    return; // a scroll-bar control, not the view's own bar
  vwin_curkind(saved_kind);
  vwin_cursor(nullptr, 2, -1, -1);
  vwin_scroll(m_hWnd, WM_VSCROLL, MAKEWPARAM(code, pos));
}

BOOL CMainView::OnMouseWheel(UINT, short delta, POINT) {
  vwin_pan(m_hWnd, delta >= 0 ? 5 : 4);
  // Not passed on: the MDI client would scroll the frames as well.
  return TRUE;
}

void CMainView::OnMouseMove(UINT flags, POINT pt) {
  int32_t id[3];
  if (view_id(m_hWnd, id)) {
    double x, y;
    vew_dev2w(id[0], id[1], pt.x, pt.y, &x, &y);
    MouseWorldPos = WorldPos{x, y};
    MouseView = {id[0], id[1]};
    SheetRecord sheet{};
    sys_sheet('R', id[0], &sheet);
    uint16_t layer = 0;
    sys_layer('R', id[0], &layer, nullptr);
    double ratio = 1.0;
    if (sys_scale(id[0], layer, &ratio) != 0 || !(ratio != 0) || !std::isfinite(ratio))
      ratio = 1.0;
    double cx = (x - sheet.originx) / ratio, cy = (y - sheet.originy) / ratio;
    inp_curpos('W', 2, &cx, &cy);
  }
  CView::OnMouseMove(flags, pt);
}

void CMainView::OnLButtonDown(UINT flags, POINT pt) {
  if (CMainDoc *doc = GetDocument(); doc && (doc->m_dwg == 0 || doc->m_dwg == 1))
    dwg_setcur(doc->m_dwg);
  // Older OLE objects are picked, moved and resized only while no command waits for a point.
  if (int32_t id[3]; CmdLevel < 0 && view_id(m_hWnd, id) && Ole1ViewMouse(id[0], id[1], pt))
    return;
  ObjectLButtonDown(pt);
  CView::OnLButtonDown(flags, pt);
}

void CMainView::OnRButtonDown(UINT flags, POINT pt) {
  if (HWND frame = GetParent())
    vwin_activate(frame);
  ObjectRButtonDown(pt);
  if (CMainDoc *doc = GetDocument(); doc && (doc->m_dwg == 0 || doc->m_dwg == 1))
    dwg_setcur(doc->m_dwg);
  UpdateSelectedItem();
  CView::OnRButtonDown(flags, pt);
}

void CMainView::OnRButtonUp(UINT flags, POINT pt) {
  if (pt.x < 0 || pt.y < 0)
    return;
  int32_t id[3];
  if (view_id(m_hWnd, id)) {
    double x, y;
    vew_dev2w(id[0], id[1], pt.x + 1, pt.y + 1, &x, &y);
    gcr_setcur(id[0], id[1], x, y);
    vew_dev2w(id[0], id[1], pt.x, pt.y, &x, &y);
    gcr_setcur(id[0], id[1], x, y);
  }
  // The mouse move just queued, when there is one; nothing else is taken from the queue.
  WPARAM wp = flags;
  LPARAM lp = MAKELPARAM(pt.x, pt.y);
  MSG m;
  if (PeekMessageA(&m, m_hWnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
    wp = m.wParam;
    lp = m.lParam;
  }
  scm_rbutton(m_hWnd, wp, lp);
}

BOOL CMainView::OnCommand(WPARAM wp, LPARAM lp) {
  const int id = LOWORD(wp);
  if (id >= 20000 && id < 20000 + scm_count())
    return BOOL(scm_command(m_hWnd, wp, lp));
  return TRUE; // every other command sent to the view is swallowed
}

// Engine calls -----------------------------------------------------------------------------

int PaintViewToDC(HDC dc, int dwg, int view, uint16_t mask) {
  CMainView *v = nullptr;
  if (CMainDoc *doc = FindDocOfDrawing(dwg))
    v = doc->GetTopView();
  else
    v = dynamic_cast<CMainView *>(CWnd::FromHandlePermanent(vew_hwnd(dwg, view)));
  if (!v)
    return 1;
  const int kd = v->m_dwg, kv = v->m_view;
  v->m_dwg = dwg;
  v->m_view = view;
  const int r = vwin_drawbegin(dc, dwg, view);
  if (r == 0) {
    v->DrawItemsTo(dc, 0);
    vwin_drawbody(dc, dwg, view, mask);
    v->DrawItemsTo(dc, 1);
    vwin_drawend(dc);
  }
  v->m_dwg = kd;
  v->m_view = kv;
  return r;
}

void GetLastViewWindow(HWND *wnd) {
  if (wnd)
    *wnd = last_view;
}

void ResetSameDrawRect() { same_rect = {-1, -1, 0, 0, 0, 0}; }

namespace {
CMultiDocTemplate *main_template() {
  CWinApp *app = AfxGetApp();
  return app && !app->GetDocTemplates().empty() ? app->GetDocTemplates().front() : nullptr;
}
} // namespace

HWND OpenViewFrame(const RECT *rect, int dwg, int view) {
  CMainDoc *doc = FindDocOfDrawing(dwg);
  CMultiDocTemplate *t = main_template();
  if (!doc || !t)
    return nullptr;
  VwinRequest.dwg = dwg;
  VwinRequest.view = view;
  VwinRequest.hasrect = rect != nullptr;
  if (rect)
    VwinRequest.rect = *rect;
  ResetSameDrawRect();
  VwinLastView = nullptr;
  CFrameWnd *frame = t->CreateNewFrame(doc, nullptr);
  if (frame)
    t->InitialUpdateFrame(frame, doc, TRUE);
  VwinRequest.dwg = VwinRequest.view = -1;
  VwinRequest.hasrect = false;
  if (!frame)
    return nullptr;
  frame->ShowWindow(SW_SHOW);
  BringWindowToTop(frame->m_hWnd);
  return VwinLastView;
}

bool app_newview() {
  CMultiDocTemplate *t = main_template();
  if (!t)
    return false;
  // Views of one drawing share its document.
  if (CMainDoc *doc = FindDocOfDrawing(VwinRequest.dwg)) {
    CFrameWnd *frame = t->CreateNewFrame(doc, nullptr);
    if (!frame)
      return false;
    t->InitialUpdateFrame(frame, doc, TRUE);
    return true;
  }
  return t->OpenDocumentFile(nullptr) != nullptr;
}

void docview_register() {
  VwinCalls.paint = PaintViewToDC;
  VwinCalls.newview = app_newview;
  VwinCalls.bind = bind;
  viewitems_register();
}

#include "shell/drawwin/viewwin.h"

#include <bitset>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "database/cells.h"
#include "database/store.h"
#include "display/elements/elmdisp.h"
#include "display/elements/elmdisp_win.h"
#include "display/view/gdi.h"
#include "display/marks/grid.h"
#include "display/marks/grid_win.h"
#include "display/marks/marklist.h"
#include "display/view/viewtbl.h"
#include "files/lockwin.h"
#include "settings/params.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "display/view/viewstate.h"

ViewRequest VwinRequest = {-1, -1, false, {}};
HWND VwinLastView;
VwinViewCalls VwinCalls;

namespace {

// The cross-hair: its window (null: none shows), position, pick-box half size and arms.
struct Crosshair {
  HWND wnd;
  int x, y, half;
  RECT extent;
} xhair;

HCURSOR cursors[21];
int16_t cursor_kind;
HHOOK mouse_hook;
int32_t paint_rect[4];

bool is_mdiclient(HWND wnd) {
  char cls[32] = "";
  return wnd && GetClassNameA(wnd, cls, sizeof cls) && lstrcmpiA(cls, "MDIClient") == 0;
}

ViewWinId *record_of(HWND wnd) {
  if (!wnd || !IsWindow(wnd))
    return nullptr;
  HWND frame = GetParent(wnd);
  if (!frame || !is_mdiclient(GetParent(frame)))
    return nullptr;
  return reinterpret_cast<ViewWinId *>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
}

bool valid(int dwg, int view) { return (dwg == 0 || dwg == 1) && view >= 0 && view < VIEW_COUNT; }

// The MDI children that are frames (icon titles are owned windows).
HWND first_child(HWND mdi) {
  for (HWND c = GetWindow(mdi, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (!GetWindow(c, GW_OWNER))
      return c;
  return nullptr;
}

// The record of a child frame's view window.
bool child_id(HWND child, int32_t id[3]) {
  HWND view = vew_byfrm(child);
  if (!view)
    view = GetWindow(child, GW_CHILD);
  return view && vwin_getid(view, id);
}

// What drawing a view needs saved for print-like output.
struct SavedColours {
  bool held = false;
  uint32_t palette[PALETTE_COUNT];
  uint32_t fill[8];
};
SavedColours saved_colours;
int saved_dwg = -1, saved_view = -1;

bool printlike() { return OutputKind == 1 || OutputKind == 4 || OffscreenOutput; }

void blacken(uint32_t *c, int n, bool all) {
  for (int i = 0; i < n; i++)
    if (all || (c[i] & 0xFFFFFF) == 0xFFFFFF)
      c[i] = 0;
}

} // namespace

// Records ------------------------------------------------------------------------

int vwin_attach(HWND wnd) {
  if (!wnd)
    return 0;
  // Fixed memory, so that the user data is the record's address.
  auto *r = static_cast<ViewWinId *>(LocalAlloc(LPTR, sizeof(ViewWinId)));
  if (!r)
    return 0;
  r->dwg = -1;
  r->view = -1;
  r->third = 0;
  SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(r));
  return 1;
}

int vwin_detach(HWND wnd) {
  if (!wnd)
    return 0;
  auto *r = reinterpret_cast<ViewWinId *>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!r)
    return 0;
  SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
  LocalFree(r);
  return 1;
}

int vwin_getid(HWND wnd, int32_t id[3]) {
  ViewWinId *r = record_of(wnd);
  if (!r)
    return 0;
  id[0] = r->dwg;
  id[1] = r->view;
  id[2] = r->third;
  return 1;
}

int vwin_setid(HWND wnd, const int32_t id[3]) {
  ViewWinId *r = record_of(wnd);
  if (!r)
    return 0;
  r->dwg = id[0];
  r->view = id[1];
  r->third = id[2];
  return 1;
}

void BindViewToDrawing(int dwg, int view) {
  if (VwinCalls.bind)
    VwinCalls.bind(dwg, view);
}

// Child frames ----------------------------------------------------------------------

HWND vwin_active() {
  HWND mdi = app_hmdi();
  if (!app_hmain() || !mdi || !IsWindow(mdi))
    return nullptr;
  return reinterpret_cast<HWND>(SendMessageA(mdi, WM_MDIGETACTIVE, 0, 0));
}

int vwin_activate(HWND child) {
  HWND mdi = app_hmdi();
  if (!app_hmain() || !mdi || !IsWindow(mdi) || !child)
    return 0;
  SendMessageA(mdi, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
  return 1;
}

int vwin_closeall(int mode) {
  HWND mdi = app_hmdi();
  if (!mdi || !IsWindow(mdi))
    return 1;
  const auto keep_low = [] {
    for (int d = 0; d < DWG_COUNT; d++) {
      uint32_t w = 0;
      sys_dwgstat('R', d, &w);
      w &= 0xF;
      sys_dwgstat('W', d, &w);
    }
  };
  if (mode == 1) {
    ShowWindow(mdi, SW_HIDE);
    for (HWND c; (c = first_child(mdi));)
      SendMessageA(mdi, WM_MDIDESTROY, reinterpret_cast<WPARAM>(c), 0);
    return 1;
  }
  keep_low();
  if (mode == 0) {
    for (HWND c; (c = first_child(mdi));) {
      if (SendMessageA(c, WM_QUERYENDSESSION, 0, 0))
        return 0;
      if (IsWindow(c))
        SendMessageA(mdi, WM_MDIDESTROY, reinterpret_cast<WPARAM>(c), 0);
    }
    return 1;
  }
  // Drawing by drawing until none is left or one refuses; each child is asked once.
  for (HWND c; (c = first_child(mdi));) {
    int32_t id[3];
    if (!child_id(c, id) || !valid(id[0], 0)) {
      // A frame without a drawing: nothing to ask.
      SendMessageA(mdi, WM_MDIDESTROY, reinterpret_cast<WPARAM>(c), 0);
      if (IsWindow(c))
        return 0;
      continue;
    }
    const int target = id[0];
    for (HWND k = c; k;) {
      int32_t kid[3];
      if (!child_id(k, kid) || kid[0] != target) {
        k = GetWindow(k, GW_HWNDNEXT);
        continue;
      }
      if (GetWindow(k, GW_OWNER)) {
        k = GetWindow(k, GW_HWNDNEXT);
        continue;
      }
      // Only the drawing's last window closes the drawing: until then a cancel at a
      // later window must find it still locked and in its state.
      const bool last = std::bitset<32>(vew_mask(target)).count() <= 1;
      if (SendMessageA(k, WM_QUERYENDSESSION, 0, 0))
        return 0;
      if (last) {
        uint32_t zero = 0;
        sys_dwgstat('W', target, &zero);
        lck_release(target);
      }
      if (IsWindow(k))
        SendMessageA(mdi, WM_MDIDESTROY, reinterpret_cast<WPARAM>(k), 0);
      if (IsWindow(k))
        return 0;
      k = first_child(mdi);
    }
  }
  return 1;
}

int vwin_arrange(int op, int flag, uint16_t masks[2]) {
  if (op == 'R' || op == 'r') {
    masks[0] = masks[1] = 0;
    for (int d = 0; d < 2; d++)
      for (int v = 0; v < VIEW_COUNT; v++) {
        HWND f = vew_frm(d, v);
        if (!vew_hwnd(d, v) || !f || !IsWindow(f))
          continue;
        if (!IsIconic(f) || GetWindow(f, GW_OWNER))
          masks[d] = uint16_t(masks[d] | (1u << v));
      }
    return 0;
  }
  if (op != 'W' && op != 'w')
    return 1;
  for (int d = 0; d < 2; d++)
    for (int v = 0; v < VIEW_COUNT; v++) {
      HWND f = vew_frm(d, v);
      if (!vew_hwnd(d, v) || !f || !IsWindow(f))
        continue;
      if (!(masks[d] & (1u << v)))
        ShowWindow(f, SW_MINIMIZE);
      else if (IsIconic(f) && !GetWindow(f, GW_OWNER))
        ShowWindow(f, SW_RESTORE);
    }
  if (HWND mdi = app_hmdi()) {
    SendMessageA(mdi, WM_MDIICONARRANGE, 0, 0);
    SendMessageA(mdi, flag ? WM_MDICASCADE : WM_MDITILE, flag ? 0 : MDITILE_VERTICAL, 0);
  }
  return 0;
}

int vwin_cliprect(int op, int32_t rect[4]) {
  if (op == 'R' || op == 'r')
    std::memcpy(rect, paint_rect, sizeof paint_rect);
  else if (op == 'W' || op == 'w')
    std::memcpy(paint_rect, rect, sizeof paint_rect);
  else
    return 1;
  return 0;
}

int vwin_hittest(HWND wnd, POINT screen) {
  RECT w, c;
  if (!wnd || !GetWindowRect(wnd, &w) || !GetClientRect(wnd, &c))
    return 0;
  POINT o = {0, 0};
  ClientToScreen(wnd, &o);
  const LONG style = GetWindowLongA(wnd, GWL_STYLE);
  const int sx = GetSystemMetrics(SM_CXVSCROLL), sy = GetSystemMetrics(SM_CYHSCROLL);
  if ((style & WS_VSCROLL) && screen.x >= o.x + c.right && screen.x < o.x + c.right + sx && screen.y >= o.y &&
      screen.y < o.y + c.bottom)
    return 1;
  if ((style & WS_HSCROLL) && screen.y >= o.y + c.bottom && screen.y < o.y + c.bottom + sy && screen.x >= o.x &&
      screen.x < o.x + c.right)
    return 2;
  return 0;
}

HWND vwin_create(int viewreq, const RECT *frame, int dwg, int view) {
  (void)viewreq;
  VwinRequest.dwg = dwg;
  VwinRequest.view = view;
  VwinRequest.hasrect = frame != nullptr;
  if (frame)
    VwinRequest.rect = *frame;
  HWND made = nullptr;
  VwinLastView = nullptr;
  if (VwinCalls.newview && VwinCalls.newview()) {
    made = VwinLastView;
    if (made && IsWindow(made)) {
      HWND frame = GetParent(made);
      ShowWindow(frame, SW_SHOW);
      // A maximised child fills the client: the client's own scroll bars would only
      // be left over from a layout before it (seen with a file named at start-up).
      if (IsZoomed(frame))
        ShowScrollBar(GetParent(frame), SB_BOTH, FALSE);
    } else {
      made = nullptr;
    }
  }
  VwinRequest.dwg = VwinRequest.view = -1;
  VwinRequest.hasrect = false;
  return made;
}

// Drawing -----------------------------------------------------------------------------

int vwin_drawbegin(HDC dc, int dwg, int view) {
  if (DrawSuppress == 1 || !valid(dwg, view) || !dc)
    return -1;
  gdi_target(dc, 1);
  saved_dwg = dwg_cur();
  saved_view = vew_cur();
  dwg_setcur(dwg);
  vew_select(view);
  const uint32_t vbit = 1u << view;
  if (printlike()) {
    saved_colours.held = true;
    std::memcpy(saved_colours.palette, Palette, sizeof Palette);
    std::memcpy(saved_colours.fill, FillColour, sizeof FillColour);
    // Nothing white on paper.
    blacken(Palette, PALETTE_COUNT, OffscreenMono != 0);
    blacken(FillColour, 8, OffscreenMono != 0);
    PenMode = OffscreenOutput && OutputKind != 1 && OutputKind != 4 ? 1 : 0x8000;
    gdi_palette(reinterpret_cast<const COLORREF *>(Palette));
  } else {
    if (OutputKind != 4) {
      dsp_frame(vbit, DspColours.frame);
      dsp_point(vbit, 1, 1, 0.0, 0.0, DspColours.mark);
      GridRecord g{};
      if (grd_rec('R', uint32_t(dwg), &g) == 0) {
        dsp_point(vbit, 2, 1, g.ox, g.oy, DspColours.base);
        if (OutputKind != 3 && g.mode == 1)
          grd_draw(uint32_t(view));
      }
    }
  }
  return 0;
}

void vwin_drawbody(HDC, int dwg, int view, uint16_t mask) {
  if (!valid(dwg, view))
    return;
  const uint32_t vbit = 1u << view;
  const uint16_t cells = mask ? mask : 0xFFFF;
  const DbControl &c = DbCtl[dwg];
  if (c.count1 > 0)
    dsp_elms(vbit, cells, -1, c.base1, int32_t(c.count1));
  if (c.count3 > 0)
    dsp_elms(vbit, cells, DspColours.temp, c.base3, int32_t(c.count3));
  if (c.count2 > 0)
    dsp_elms(vbit, cells, DspColours.temp, c.base1 + c.count1, int32_t(c.count2));
  hil_redrawvw(view, DspColours.temp);
  paintsub_run(dwg, view);
  mrk_list(6, int32_t(dwg), int32_t(view));
}

void vwin_drawend(HDC) {
  if (saved_colours.held) {
    std::memcpy(Palette, saved_colours.palette, sizeof Palette);
    std::memcpy(FillColour, saved_colours.fill, sizeof FillColour);
    saved_colours.held = false;
  }
  if (PenMode != 0) {
    PenMode = 0;
    gdi_palette(reinterpret_cast<const COLORREF *>(Palette));
  }
  if (saved_dwg == 0 || saved_dwg == 1) {
    dwg_setcur(saved_dwg);
    vew_select(saved_view);
  }
  gdi_target(nullptr, 0);
}

int vwin_draw(HDC dc, int dwg, int view, uint16_t mask) {
  if (DrawSuppress != 1 && OutputKind != 3 && VwinCalls.paint) {
    const int r = VwinCalls.paint(dc, dwg, view, mask);
    if (r <= 0)
      return r;
  }
  const int r = vwin_drawbegin(dc, dwg, view);
  if (r != 0)
    return r;
  vwin_drawbody(dc, dwg, view, mask);
  vwin_drawend(dc);
  return 0;
}

HMETAFILE vwin_metafile(int dwg, int view, uint16_t mask) {
  HDC dc = CreateMetaFileA(nullptr);
  if (!dc)
    return nullptr;
  const int r = vwin_draw(dc, dwg, view, mask);
  HMETAFILE mf = CloseMetaFile(dc);
  if (r < 0 && mf) {
    DeleteMetaFile(mf);
    return nullptr;
  }
  return mf;
}

int vwin_paint(HWND wnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  int result = 0;
  if (OutputKind == 1) {
    EndPaint(wnd, &ps);
    return 0;
  }
  const RECT &u = ps.rcPaint;
  int32_t id[3];
  if (u.right <= u.left || u.bottom <= u.top) {
    result = -1;
  } else if (!vwin_getid(wnd, id)) {
    result = -2;
  } else if (!valid(id[0], id[1])) {
    result = -3;
  } else {
    double x1, y1, x2, y2;
    vwin_worldrect(id[0], id[1], u, &x1, &y1, &x2, &y2);
    const uint16_t mask = cel_rect(id[0], x1, y1, x2, y2);
    int32_t rect[4] = {u.left, u.top, u.right, u.bottom};
    vwin_cliprect('W', rect);
    const uint16_t mode = OutputKind;
    const uint32_t suppress = DrawSuppress;
    OutputKind = 2;
    DrawSuppress = 0;
    win_waitcur();
    vwin_draw(dc, id[0], id[1], mask);
    win_waitcur();
    OutputKind = mode;
    DrawSuppress = suppress;
    vwin_xhairpaint(wnd, dc);
  }
  EndPaint(wnd, &ps);
  return result;
}

// Scrolling -------------------------------------------------------------------------

int vwin_scroll(HWND wnd, UINT msg, WPARAM wp) {
  if (msg != WM_HSCROLL && msg != WM_VSCROLL)
    return 0;
  RECT c;
  int32_t id[3];
  if (!GetClientRect(wnd, &c) || c.right <= 0 || c.bottom <= 0 || !vwin_getid(wnd, id) || !valid(id[0], id[1]))
    return 0;
  const bool horz = msg == WM_HSCROLL;
  const int bar = horz ? SB_HORZ : SB_VERT;
  const int range = horz ? c.right : c.bottom;
  double steps[3] = {0.1, 2.0, 2.0};
  sys_dspstep('R', steps);
  const int pos = GetScrollPos(wnd, bar);
  int move = 0;
  switch (LOWORD(wp)) {
  case SB_LINEUP:
    move = int(std::lround(range * steps[0]));
    break;
  case SB_LINEDOWN:
    move = -int(std::lround(range * steps[0]));
    break;
  case SB_PAGEUP:
    move = range;
    break;
  case SB_PAGEDOWN:
    move = -range;
    break;
  case SB_THUMBPOSITION:
    move = pos - int(short(HIWORD(wp)));
    break;
  default:
    break;
  }
  if (move == 0)
    return 1;
  int next = pos - move;
  if (next < 1 || next >= range)
    next = int(std::lround(range / 2.0));
  SetScrollPos(wnd, bar, next, TRUE);
  if (horz)
    vew_pan(id[0], id[1], -move, 0);
  else
    vew_pan(id[0], id[1], 0, move);
  return 1;
}

int vwin_pan(HWND wnd, int step) {
  RECT c;
  int32_t id[3];
  if (!GetClientRect(wnd, &c) || c.right <= 0 || c.bottom <= 0 || !vwin_getid(wnd, id) || !valid(id[0], id[1]))
    return 0;
  double steps[3] = {0.1, 2.0, 2.0};
  sys_dspstep('R', steps);
  const double in = steps[1] != 0 ? 1.0 / steps[1] : 1.0;
  switch (step) {
  case 0:
    vew_zoom(id[0], id[1], steps[2]);
    break;
  case 1:
    vew_zoom(id[0], id[1], in);
    break;
  case 2:
    vew_zoom(id[0], id[1], 1.05);
    break;
  case 3:
    vew_zoom(id[0], id[1], 0.95);
    break;
  case 4:
    vew_zoomat(id[0], id[1], steps[2]);
    break;
  case 5:
    vew_zoomat(id[0], id[1], in);
    break;
  default:
    return 0;
  }
  return 1;
}

// Cursor and cross-hair -------------------------------------------------------------------

int vwin_curkind(int kind) {
  const int previous = cursor_kind;
  if (kind >= 0 && kind <= 20)
    cursor_kind = int16_t(kind);
  return previous;
}

HCURSOR vwin_cursorof(int kind) { return kind >= 0 && kind <= 20 ? cursors[kind] : nullptr; }

HWND vwin_xhairwnd(int *x, int *y) {
  if (x)
    *x = xhair.x;
  if (y)
    *y = xhair.y;
  return xhair.wnd;
}

void vwin_xhair(HDC dc, const RECT &e, int half, int x, int y) {
  if (!dc || x < 0 || y < 0)
    return;
  const uint16_t mode = OutputKind;
  const uint32_t offscreen = OffscreenOutput;
  OutputKind = 0;
  OffscreenOutput = 0;
  const int rop = SetROP2(dc, R2_XORPEN);
  HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  const int r = half > 1 ? half : 1;
  for (int32_t c : {DspColours.xhair1, DspColours.xhair2}) {
    const COLORREF col = c >= 0 && c < PALETTE_COUNT ? COLORREF(Palette[c] & 0xFFFFFF) : 0;
    HPEN pen = CreatePen(PS_SOLID, 1, col);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x, e.top, nullptr);
    LineTo(dc, x, e.bottom);
    MoveToEx(dc, e.left, y, nullptr);
    LineTo(dc, e.right, y);
    Ellipse(dc, x - r, y - r, x + r + 1, y + r + 1);
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  SelectObject(dc, brush);
  SetROP2(dc, rop);
  OutputKind = mode;
  OffscreenOutput = offscreen;
}

namespace {
void xhair_draw() {
  if (!xhair.wnd || !IsWindow(xhair.wnd))
    return;
  HDC dc = GetDC(xhair.wnd);
  vwin_xhair(dc, xhair.extent, xhair.half, xhair.x, xhair.y);
  ReleaseDC(xhair.wnd, dc);
}
} // namespace

void vwin_xhairpaint(HWND wnd, HDC dc) {
  if (wnd && xhair.wnd == wnd)
    vwin_xhair(dc, xhair.extent, xhair.half, xhair.x, xhair.y);
}

int vwin_cursor(HWND wnd, int mode, int x, int y) {
  const int kind = cursor_kind;
  if (kind < 0 || kind > 20)
    return 1;
  if (kind != 2 && kind != 3) {
    // A cross-hair left from before the kind changed goes with the window.
    if (!wnd && xhair.wnd) {
      xhair_draw();
      xhair.wnd = nullptr;
    }
    if (mode == 0 || mode == 1)
      SetCursor(cursors[kind]);
    return 1;
  }
  if (mode == 0 || mode == 1)
    SetCursor(nullptr);
  if (wnd && xhair.wnd == wnd && xhair.x == x && xhair.y == y)
    return 1;
  if (xhair.wnd) {
    xhair_draw();
    xhair.wnd = nullptr;
  }
  if (mode == 1 || !wnd)
    return 1;
  xhair.wnd = wnd;
  xhair.half = 0;
  int32_t id[3];
  if (vwin_getid(wnd, id) && valid(id[0], id[1])) {
    ViewXform xf;
    if (vew_frame('R', id[0], id[1], &xf) == 0 && xf.xscale > 0 && std::isfinite(xf.aperture * xf.xscale))
      xhair.half = int(xf.aperture * xf.xscale + 0.5);
  }
  xhair.x = x;
  xhair.y = y;
  if (kind == 2) {
    GetClientRect(wnd, &xhair.extent);
  } else {
    const int a = xhair.half + 10;
    xhair.extent = RECT{x - a, y - a, x + a, y + a};
  }
  xhair_draw();
  return 1;
}

LRESULT CALLBACK vwin_hookproc(int code, WPARAM wp, LPARAM lp) {
  if ((code == HC_ACTION || code == HC_NOREMOVE) && lp) {
    const auto *m = reinterpret_cast<const MOUSEHOOKSTRUCT *>(lp);
    int32_t id[3];
    if (xhair.wnd && !vwin_getid(m->hwnd, id))
      vwin_cursor(nullptr, 2, -1, -1);
  }
  return CallNextHookEx(mouse_hook, code, wp, lp);
}

int vwin_hook(int op) {
  if (op == 0) {
    HINSTANCE inst = app_hinst();
    cursors[0] = LoadCursor(nullptr, IDC_ARROW);
    cursors[1] = LoadCursorA(inst, MAKEINTRESOURCEA(102));
    cursors[4] = LoadCursor(nullptr, IDC_SIZEALL);
    cursors[5] = LoadCursor(nullptr, IDC_SIZENESW);
    cursors[6] = LoadCursor(nullptr, IDC_SIZENWSE);
    cursors[7] = LoadCursor(nullptr, IDC_SIZENS);
    cursors[8] = LoadCursor(nullptr, IDC_SIZEWE);
    cursors[9] = LoadCursorA(inst, MAKEINTRESOURCEA(351));
    cursors[10] = LoadCursorA(inst, MAKEINTRESOURCEA(353));
    cursors[11] = LoadCursorA(inst, MAKEINTRESOURCEA(354));
    cursors[12] = LoadCursorA(inst, MAKEINTRESOURCEA(352));
    if (!mouse_hook)
      mouse_hook = SetWindowsHookExA(WH_MOUSE, vwin_hookproc, nullptr, GetCurrentThreadId());
    return mouse_hook != nullptr;
  }
  if (op == 1) {
    if (mouse_hook)
      UnhookWindowsHookEx(mouse_hook);
    mouse_hook = nullptr;
    xhair.wnd = nullptr;
    for (HCURSOR &c : cursors)
      c = nullptr; // resource cursors are shared and never destroyed
    return 1;
  }
  return 0;
}

void vwin_worldrect(int dwg, int view, const RECT &u, double *x1, double *y1, double *x2, double *y2) {
  vew_dev2w(dwg, view, u.left, u.bottom, x1, y1);
  vew_dev2w(dwg, view, u.right, u.top, x2, y2);
  if (*x1 > *x2)
    std::swap(*x1, *x2);
  if (*y1 > *y2)
    std::swap(*y1, *y2);
}

// The drawing windows do not track a right-button drag: a right click is a click.
int vwin_rdrag(HWND) { return 0; }

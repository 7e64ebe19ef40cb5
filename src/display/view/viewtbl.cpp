#include "display/view/viewtbl.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "display/view/inputcalls.h"
#include "settings/params.h"
#include "settings/strutil.h"
#include "settings/appstate.h"
#include "display/view/viewstate.h"
#include "settings/shellcalls.h"

ViewRecord vewtbl[2][VIEW_COUNT];
uint32_t vewmask[2];
ViewTitleOverrideRecord ViewTitleOverride;
InputCalls InputCall = {};

namespace {
bool index_ok(int dwg, int view) { return (dwg == 0 || dwg == 1) && view >= 0 && view < VIEW_COUNT; }
bool is_open(int dwg, int view) { return index_ok(dwg, view) && vewtbl[dwg][view].view != nullptr; }
bool is_read(int op) { return op == 'R' || op == 'r'; }
bool is_write(int op) { return op == 'W' || op == 'w'; }

// Shifts the shown window and sets it again, keeping the requested window.
int shift_shown(int dwg, int view, double dx, double dy) {
  const ViewXform &xf = vewtbl[dwg][view].xf;
  return vew_setwin(dwg, view, 1, xf.sxmin + dx, xf.symin + dy, xf.sxmax + dx, xf.symax + dy);
}

int zoom_about(int dwg, int view, double factor, double mx, double my) {
  if (!is_open(dwg, view))
    return -1;
  double w[4];
  if (vxf_zoom(vewtbl[dwg][view].xf, factor, mx, my, w) != 0)
    return -1;
  if (vew_setwin(dwg, view, 1, w[0], w[1], w[2], w[3]) != 0)
    return -1;
  vew_redraw(dwg, view);
  return 0;
}
} // namespace

HWND vew_hwnd(int dwg, int view) { return index_ok(dwg, view) ? vewtbl[dwg][view].view : nullptr; }
HWND vew_frm(int dwg, int view) { return index_ok(dwg, view) ? vewtbl[dwg][view].frame : nullptr; }

int vew_setfrm(HWND frame, int dwg, int view) {
  if (!index_ok(dwg, view))
    return -1;
  if (frame)
    vewtbl[dwg][view].frame = frame;
  return 0;
}

HWND vew_byfrm(HWND frame) {
  for (auto &d : vewtbl)
    for (auto &r : d)
      if (r.frame == frame)
        return r.view;
  return nullptr;
}

int vew_ofwnd(HWND wnd, int32_t *dwg, int32_t *view) {
  int32_t id[3];
  if (!ui_getid(wnd, id) || id[0] < 0 || id[1] < 0)
    return 0;
  if (dwg)
    *dwg = id[0];
  if (view)
    *view = id[1];
  return 1;
}

int vew_setdev(HWND wnd, int dwg, int view, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (!index_ok(dwg, view))
    return -1;
  if (x1 > x2)
    std::swap(x1, x2);
  if (y1 > y2)
    std::swap(y1, y2);
  if (static_cast<int64_t>(x2) - x1 < 1 || static_cast<int64_t>(y2) - y1 < 1)
    return -2;
  ViewRecord &r = vewtbl[dwg][view];
  if (wnd)
    r.view = wnd;
  r.xf.dwg = dwg;
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  r.xf.left = x1 + bx;
  r.xf.top = y1 + by;
  r.xf.right = x2 - bx;
  r.xf.bottom = y2 - by;
  return 0;
}

int vew_setwin(int dwg, int view, uint32_t flags, double x1, double y1, double x2, double y2) {
  if (!is_open(dwg, view))
    return -1;
  if (vxf_setwin(vewtbl[dwg][view].xf, dwg, flags, x1, y1, x2, y2) != 0)
    return -2;
  vewmask[dwg] |= 1u << view;
  return 0;
}

int vew_frame(int op, int dwg, int view, ViewXform *buf) {
  if (!index_ok(dwg, view))
    return -1;
  if (is_read(op))
    std::memcpy(buf, &vewtbl[dwg][view].xf, sizeof(ViewXform));
  else if (is_write(op))
    std::memcpy(&vewtbl[dwg][view].xf, buf, sizeof(ViewXform));
  return 0;
}

int vew_select(int view) {
  const int dwg = dwg_cur();
  if (!is_open(dwg, view))
    return -1;
  vxf_tocurrent(vewtbl[dwg][view].xf);
  const int old = vew_cur();
  vew_setcurrent(view);
  return old;
}

uint32_t vew_mask(int dwg) { return dwg == 0 || dwg == 1 ? vewmask[dwg] : 0; }

int vew_free(int dwg) {
  if (dwg != 0)
    return -1;
  for (int v = 0; v < VIEW_COUNT; v++)
    if (!vewtbl[0][v].view)
      return v;
  return -1;
}

int dwg_free() { return vewmask[0] == 0 ? 0 : -1; }

int vew_remove(int dwg, int n) {
  if (!index_ok(dwg, n))
    return -1;
  for (int k = n; k < VIEW_COUNT - 1; k++) {
    vewtbl[dwg][k] = vewtbl[dwg][k + 1];
    HWND wnd = vewtbl[dwg][k].view;
    if (wnd) {
      int32_t id[3];
      if (ui_getid(wnd, id)) {
        id[1] = k;
        ui_setid(wnd, id);
      }
      ui_bind(dwg, k);
    }
  }
  vewtbl[dwg][VIEW_COUNT - 1] = ViewRecord{};
  uint32_t mask = 0;
  int last = -1;
  for (int k = 0; k < VIEW_COUNT; k++)
    if (vewtbl[dwg][k].view) {
      mask |= 1u << k;
      last = k;
    }
  vewmask[dwg] = mask;
  if (last >= 0)
    vew_title('w', dwg, last, nullptr, 0);
  return 0;
}

namespace {
void count_views(int *open, int *iconic) {
  *open = *iconic = 0;
  for (int d = 0; d < 2; d++)
    for (int v = 0; v < VIEW_COUNT; v++)
      if (vewmask[d] & (1u << v)) {
        (*open)++;
        if (vewtbl[d][v].view && IsIconic(vewtbl[d][v].view))
          (*iconic)++;
      }
}
} // namespace

int vew_count() {
  int open, iconic;
  count_views(&open, &iconic);
  return open == 1 && iconic == 1 ? -1 : open;
}

int vew_shown() {
  int open, iconic;
  count_views(&open, &iconic);
  return open == 0 || iconic == open ? -1 : open;
}

int dwg_count() { return (vewmask[0] != 0) + (vewmask[1] != 0); }

int vew_title(int op, int dwg, int view, char *text, int size) {
  if (!index_ok(dwg, view) || !vewtbl[dwg][view].view)
    return -1;
  const ViewRecord &r = vewtbl[dwg][view];
  if (is_read(op)) {
    if (!text || size < 1)
      return 0;
    if (dwg == EmbeddedDrawing.dwg) {
      char full[600];
      std::snprintf(full, sizeof full, "%sの図 [%s] View[%d]", EmbeddedDrawing.object, EmbeddedDrawing.host, view + 1);
      // Whole characters only: a cut double-byte pair would garble the caption.
      std::size_t n = 0;
      for (std::size_t k; (k = sjis_charlen(full + n)) != 0 && n + k < static_cast<std::size_t>(size);)
        n += k;
      std::memcpy(text, full, n);
      text[n] = '\0';
    } else {
      GetWindowTextA(r.view, text, size);
    }
  } else if (is_write(op)) {
    if (text) {
      SetWindowTextA(r.frame, text);
      return 0;
    }
    EmbeddedDrawing.dwg = -1;
    char buf[262];
    if (ViewTitleOverride.on) {
      std::snprintf(buf, sizeof buf, "%s", ViewTitleOverride.text);
    } else {
      char name[262];
      sys_dwgname('r', dwg, 1, name);
      std::snprintf(buf, sizeof buf, "%s", name);
    }
    SetWindowTextA(r.frame, buf);
  }
  return 0;
}

int vew_settitle(uint32_t on, const char *text) {
  std::snprintf(ViewTitleOverride.text, sizeof ViewTitleOverride.text, "%s", text ? text : "");
  ViewTitleOverride.on = on != 0;
  return 0;
}

void vew_pixsize() {
  int16_t rcog = 0, dot = 0;
  sys_rcogprm('r', &rcog, &dot, nullptr);
  for (int d = 0; d < 2; d++)
    for (int v = 0; v < VIEW_COUNT; v++) {
      if (!vewtbl[d][v].view)
        continue;
      ViewXform xf;
      vew_frame('r', d, v, &xf);
      if (!(xf.xscale > 0)) // never fitted: nothing to express in world units
        continue;
      xf.aperture = rcog / xf.xscale;
      xf.dotsize = dot / xf.xscale;
      vew_frame('w', d, v, &xf);
    }
}

int vew_dev2w(int dwg, int view, int32_t px, int32_t py, double *x, double *y) {
  if (!is_open(dwg, view)) {
    *x = *y = 0.0;
    return -1;
  }
  vxf_dev2w(vewtbl[dwg][view].xf, px, py, x, y);
  return 0;
}

int vew_w2dev(int dwg, int view, double x, double y, int32_t *px, int32_t *py) {
  if (!is_open(dwg, view)) {
    *px = *py = 0;
    return -1;
  }
  vxf_w2dev(vewtbl[dwg][view].xf, x, y, px, py);
  return 0;
}

int vew_pix2w(int dwg, int view, uint32_t axis, int32_t pixels, double *length) {
  if (!is_open(dwg, view)) {
    *length = 0.0;
    return -1;
  }
  const ViewXform &xf = vewtbl[dwg][view].xf;
  *length = pixels / (axis == 0 ? xf.xscale : xf.yscale);
  return 0;
}

int vew_w2pix(int dwg, int view, uint32_t axis, double length, int32_t *pixels) {
  if (!is_open(dwg, view)) {
    *pixels = 0;
    return -1;
  }
  const ViewXform &xf = vewtbl[dwg][view].xf;
  *pixels = dev_ceil(length * (axis == 0 ? xf.xscale : xf.yscale));
  return 0;
}

int vew_scroll(int dwg, int view, double dx, double dy) {
  if (!is_open(dwg, view))
    return -1;
  if (!(std::fabs(dx) > 0.001) && !(std::fabs(dy) > 0.001))
    return -1;
  const double xs = vewtbl[dwg][view].xf.xscale, ys = vewtbl[dwg][view].xf.yscale;
  if (shift_shown(dwg, view, dx, dy) != 0)
    return -1;
  ScrollWindow(vewtbl[dwg][view].view, -dev_ceil(dx * xs), dev_ceil(dy * ys), nullptr, nullptr);
  vew_clrfb();
  return 0;
}

int vew_pan(int dwg, int view, int32_t px, int32_t py) {
  if (!is_open(dwg, view) || (px == 0 && py == 0))
    return -1;
  const ViewXform &xf = vewtbl[dwg][view].xf;
  if (shift_shown(dwg, view, px / xf.xscale, py / xf.yscale) != 0)
    return -1;
  vew_redraw(dwg, view);
  return 0;
}

int vew_zoom(int dwg, int view, double factor) {
  if (!is_open(dwg, view))
    return -1;
  const ViewXform &xf = vewtbl[dwg][view].xf;
  return zoom_about(dwg, view, factor, (xf.sxmin + xf.sxmax) / 2, (xf.symin + xf.symax) / 2);
}

int vew_zoomat(int dwg, int view, double factor) {
  return zoom_about(dwg, view, factor, MouseWorldPos.x, MouseWorldPos.y);
}

int vew_redraw(int dwg, int view) {
  if (!(dwg == 0 || dwg == 1) || view < -1 || view >= VIEW_COUNT)
    return -1;
  ui_cursor(nullptr, 2, -1, -1);
  for (int v = 0; v < VIEW_COUNT; v++) {
    if (view != -1 && v != view)
      continue;
    if (HWND w = vewtbl[dwg][v].view) {
      InvalidateRect(w, nullptr, TRUE);
      UpdateWindow(w);
    }
  }
  return 0;
}

int vew_refit(int dwg, int view) {
  if (!(dwg == 0 || dwg == 1) || view < -1 || view >= VIEW_COUNT)
    return -1;
  for (int v = 0; v < VIEW_COUNT; v++) {
    if (view != -1 && v != view)
      continue;
    HWND w = vewtbl[dwg][v].view;
    if (!w || (view == -1 && IsIconic(w)))
      continue;
    RECT rc;
    GetClientRect(w, &rc);
    ViewXform xf;
    vew_frame('r', dwg, v, &xf);
    vew_setdev(w, dwg, v, rc.left, rc.top, rc.right, rc.bottom);
    vew_setwin(dwg, v, 0, xf.rxmin, xf.rymin, xf.rxmax, xf.rymax);
    SetScrollPos(w, SB_HORZ, (rc.right - rc.left) / 2, TRUE);
    SetScrollPos(w, SB_VERT, (rc.bottom - rc.top) / 2, TRUE);
    vew_redraw(dwg, v);
  }
  return 0;
}

HWND vew_atpoint(int32_t *dwg, int32_t *view, int32_t sx, int32_t sy) {
  *dwg = *view = -1;
  POINT pt = {sx, sy};
  HWND w = WindowFromPoint(pt);
  if (!w)
    return nullptr;
  for (int d = 0; d < 2; d++)
    for (int v = 0; v < VIEW_COUNT; v++)
      if (vewtbl[d][v].view == w) {
        *dwg = d;
        *view = v;
      }
  return w;
}

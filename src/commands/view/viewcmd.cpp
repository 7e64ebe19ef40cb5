// View, grid and general commands: zoom, scroll, fit, centre and redraw of the
// drawing windows, the grid switches, undo and redo while another command waits,
// the input-mode cycles and exit. Help and About are the shell's (shell/units/helpcmd_win.cpp).
#include "commands/view/viewcmd.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "commands/cmdl/cmddlg.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/view/quickset.h"
#include "commands/view/sheet.h"
#include "commands/view/sheetcalc.h"
#include "commands/cmdl/unitcalls.h"
#include "database/undo.h"
#include "display/marks/grid.h"
#include "display/marks/grid_win.h"
#include "display/marks/snapmark.h"
#include "display/view/viewtbl.h"
#include "files/dialogs.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/rubber.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "display/view/viewstate.h"
#include "settings/shellcalls.h"

ZoomHistoryRecord ZoomHistory[2];
INT_PTR (*ViewCmdDialog)(unsigned number, void *param, unsigned unused) = dlg_run;

namespace {

constexpr uint32_t ANY_DRAWING = 0;
constexpr int MSG_REPAINT = 501;

// The snap mark of the command's level is saved on entry and put back on exit.
struct SnapLevel {
  SnapLevel() { snp_level(1); }
  ~SnapLevel() { snp_level(0); }
};

bool is_pick(int code) { return code == 500 || code == 502 || code == 13; }

bool open_view(int32_t dwg, int32_t view) {
  return (dwg == 0 || dwg == 1) && view >= 0 && view < VIEW_COUNT && vew_hwnd(dwg, view) != nullptr;
}

// Shows prompt n while a point is asked; the view of the pick through gcr_pickvw.
int ask(int prompt, uint32_t mask, double *x, double *y, int32_t *dwg) {
  msg_disp(1, 0, 0, 0, prompt);
  int32_t state = 0;
  const int code = gcr_point(0, 0, mask, x, y, dwg, &state);
  msg_disp(1, 128, 0, 0, prompt);
  return code;
}

void repaint(int dwg, int view) {
  msg_disp(1, 0, 0, 0, MSG_REPAINT);
  vew_redraw(dwg, view);
  msg_disp(1, 128, 0, 0, MSG_REPAINT);
}

void declare_point() { inp_set(0x1ffff, 1, 0); }

// The view a command works on: the current one when it is the only view or its frame
// is maximised, else the one picked. 0 (no pick needed) or the pick's code with a
// view; 700 for Esc, or the code that ended the prompt, without one.
int choose_view(int32_t *dwg, int32_t *view) {
  *dwg = dwg_cur();
  *view = vew_cur();
  HWND frame = vew_frm(*dwg, *view);
  if (open_view(*dwg, *view) && (vew_count() == 1 || (frame && IsZoomed(frame))))
    return 0;
  declare_point();
  for (;;) {
    double x = 0, y = 0;
    int32_t d = -1;
    const int code = ask(1000, ANY_DRAWING, &x, &y, &d);
    if (code == 27)
      return CMD_DONE;
    if (code == 501 || code == 503 || code == 800)
      return code;
    if (!is_pick(code))
      continue;
    const int32_t v = gcr_pickvw();
    if (open_view(d, v)) {
      *dwg = d, *view = v;
      return code;
    }
  }
}
bool chose(int code) { return code == 0 || is_pick(code); }

void history_push(int dwg, int view) {
  ViewXform xf;
  if (vew_frame('r', dwg, view, &xf) != 0)
    return;
  ZoomHistoryRecord &h = ZoomHistory[dwg];
  std::memmove(&h.win[1], &h.win[0], sizeof h.win[0] * (ZOOM_HISTORY - 1));
  h.win[0][0] = xf.sxmin, h.win[0][1] = xf.symin, h.win[0][2] = xf.sxmax, h.win[0][3] = xf.symax;
  if (h.count < ZOOM_HISTORY)
    h.count++;
}

void apply_window(int dwg, int view, double x1, double y1, double x2, double y2) {
  // A window the view refuses (no width or height) is not remembered either.
  if (vew_setwin(dwg, view, 1, std::fmin(x1, x2), std::fmin(y1, y2), std::fmax(x1, x2), std::fmax(y1, y2)) != 0)
    return;
  repaint(dwg, view);
  history_push(dwg, view);
}

// The ratio step of a zoom: 1 back to the first corner, or the code that ends the command.
int zoom_ratio() {
  for (;;) {
    double cx = 0, cy = 0;
    int32_t dwg = -1;
    const int code = ask(1013, ANY_DRAWING, &cx, &cy, &dwg);
    if (code == 501)
      return 1;
    if (code == 27 || code == 800)
      return code;
    if (!is_pick(code))
      continue;
    const int32_t view = gcr_pickvw();
    if (!open_view(dwg, view))
      continue;
    double ratio = 0;
    int typed;
    for (;;) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.1lf", 1.0);
      msg_disp(1, 5, 0, 0, 1040);
      typed = num_keyval(6, 0, 193, 61, buf, &ratio);
      msg_disp(1, 128, 0, 0, 1040);
      if (typed == 501 || typed == 27 || typed == 800 || typed < 0 || typed >= 1000)
        break;
      // A value that is not a number passes no range test: asked again.
      if (std::isfinite(ratio) && ratio >= 0.0001 && ratio <= 10000)
        break;
    }
    if (typed == 501)
      continue;
    if (typed == 27 || typed == 800)
      return typed;
    if (typed < 0 || typed >= 1000)
      return 27;
    DrawingEnvRecord env;
    sys_dwgenv('R', dwg, &env);
    const SheetRecord &sh = env.sheet;
    ViewXform xf;
    vew_frame('r', dwg, view, &xf);
    const double pw = xf.right - xf.left, ph = xf.bottom - xf.top;
    const double w = sh.width / ratio;
    const double h = pw > ph && pw > 0 ? w * ph / pw : sh.height / ratio;
    apply_window(dwg, view, cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2);
    return CMD_DONE;
  }
}

int32_t zoom(bool in) {
  SnapLevel keep;
  declare_point();
  for (;;) {
    double x1 = 0, y1 = 0;
    int32_t dwg = -1;
    const int first = ask(1309, ANY_DRAWING, &x1, &y1, &dwg);
    if (first == 27 || first == 800)
      return first;
    if (first == 501) {
      const int r = zoom_ratio();
      if (r == 1)
        continue;
      return r;
    }
    if (!is_pick(first) || !open_view(dwg, gcr_pickvw()))
      continue;
    const int32_t view = gcr_pickvw();
    rub_startratio(2, 0, x1, y1, 0, 0);
    double x2 = 0, y2 = 0;
    int32_t dwg2 = -1;
    int code;
    do
      code = ask(1002, 1u << dwg, &x2, &y2, &dwg2);
    while (!is_pick(code) && code != 501 && code != 503 && code != 27 && code != 800);
    rub_start(0);
    if (code == 501 || code == 503)
      continue;
    if (code == 27 || code == 800)
      return code;
    const double w = std::fabs(x2 - x1), h = std::fabs(y2 - y1);
    if (in) {
      apply_window(dwg, view, x1, y1, x2, y2);
      return CMD_DONE;
    }
    if (w < 1e-16 || h < 1e-16)
      return CMD_DONE;
    ViewXform xf;
    vew_frame('r', dwg, view, &xf);
    const double W = xf.sxmax - xf.sxmin, H = xf.symax - xf.symin;
    const double cx = (xf.sxmin + xf.sxmax) / 2, cy = (xf.symin + xf.symax) / 2;
    const double nw = W * W / w, nh = H * H / h;
    apply_window(dwg, view, cx - nw / 2, cy - nh / 2, cx + nw / 2, cy + nh / 2);
    return CMD_DONE;
  }
}

double step(int which) {
  double s[3] = {0.1, 2.0, 2.0};
  sys_dspstep('R', s);
  return s[which];
}
constexpr int STEP_ZOOMIN = 1, STEP_ZOOMOUT = 2;

// The steps are magnifications (2.0: twice as large on screen); a view's zoom factor
// scales its world window, so zooming in by DSPZOOMIN shrinks the window by it.
double window_factor(bool in) {
  const double s = step(in ? STEP_ZOOMIN : STEP_ZOOMOUT);
  if (!(s > 0))
    return 1.0;
  return in ? 1.0 / s : s;
}

// Scroll of a view window by one line (horizontal or vertical, down or up).
void line_scroll(int dwg, int view, bool horz, bool down) {
  HWND w = vew_hwnd(dwg, view);
  if (!w)
    return;
  ui_cursor(nullptr, 0, 0, 0);
  ui_scroll(w, horz ? WM_HSCROLL : WM_VSCROLL, down ? SB_LINEDOWN : SB_LINEUP);
}

bool under_mouse(int32_t *dwg, int32_t *view) {
  *dwg = MouseView.dwg, *view = MouseView.view;
  return open_view(*dwg, *view);
}

int32_t fit_view(int dwg, int view) {
  GeoPoint lo, hi;
  if (dwg_extents(dwg, &lo, &hi) != 0)
    return CMD_DONE;
  vew_fit(dwg, view, lo, hi);
  return CMD_DONE;
}

// Grid commands work on a copy of the drawing's record.
GridRecord grid_get(int d) {
  GridRecord g{};
  grd_rec('R', uint32_t(d), &g);
  return g;
}
void grid_done(int d) {
  dwg_touch(d);
  unit_gridbtn();
}
int32_t grid_mode(uint32_t mode, int pick) {
  const int d = dwg_cur();
  GridRecord g = grid_get(d);
  if (mode == 1) {
    g.mode = 1;
    grd_rec('W', uint32_t(d), &g);
    grd_onoff(uint32_t(d), 1);
  } else {
    if (g.mode == 1) {
      grd_onoff(uint32_t(d), 0);
      g = grid_get(d);
    }
    g.mode = mode;
    grd_rec('W', uint32_t(d), &g);
  }
  if (pick >= 0)
    qs_setpick(uint32_t(pick));
  grid_done(d);
  return 0;
}

int32_t input_mode(const int next[3]) {
  const int m = sys_inmode(-1);
  sys_inmode(next[m >= 0 && m <= 2 ? m : 0]);
  ui_aboxrefresh();
  return CMD_DONE;
}

} // namespace

void vew_zoomclr(int dwg) {
  if (dwg == 0 || dwg == 1)
    ZoomHistory[dwg] = ZoomHistoryRecord{};
}

int vew_fit(int dwg, int view, const GeoPoint &min, const GeoPoint &max) {
  HWND w = vew_hwnd(dwg, view);
  if (!w)
    return -1;
  RECT rc;
  GetClientRect(w, &rc);
  vew_setdev(w, dwg, view, rc.left, rc.top, rc.right, rc.bottom);
  vew_setwin(dwg, view, 1, min.x, min.y, max.x, max.y);
  SetScrollPos(w, SB_HORZ, (rc.right - rc.left) / 2, TRUE);
  SetScrollPos(w, SB_VERT, (rc.bottom - rc.top) / 2, TRUE);
  repaint(dwg, view);
  return 0;
}

int32_t cm_exit() {
  if (HWND w = app_hmain())
    PostMessageA(w, WM_CLOSE, 0, 0);
  return 0;
}

// Runs act on the view the user chooses, with the snap marks off meanwhile.
template <class Act> int32_t on_chosen_view(Act act) {
  SnapLevel keep;
  int32_t dwg, view;
  const int code = choose_view(&dwg, &view);
  if (chose(code))
    act(dwg, view);
  return code;
}

int32_t cm_wholesheet() {
  return on_chosen_view([](int32_t dwg, int32_t view) {
    msg_disp(1, 0, 0, 0, MSG_REPAINT);
    vew_refit(dwg, view);
    msg_disp(1, 128, 0, 0, MSG_REPAINT);
  });
}

int32_t cm_redrawpick() { return on_chosen_view(repaint); }
int32_t cm_fitpick() {
  return on_chosen_view([](int32_t dwg, int32_t view) { fit_view(dwg, view); });
}

int32_t cm_zoomin() { return zoom(true); }
int32_t cm_zoomout() { return zoom(false); }

int32_t cm_centre() {
  SnapLevel keep;
  declare_point();
  for (;;) {
    double x = 0, y = 0;
    int32_t dwg = -1;
    const int code = ask(1005, ANY_DRAWING, &x, &y, &dwg);
    if (code == 27 || code == 800)
      return code;
    if (!is_pick(code))
      continue;
    const int32_t view = gcr_pickvw();
    if (!open_view(dwg, view))
      continue;
    ViewXform xf;
    vew_frame('r', dwg, view, &xf);
    vew_scroll(dwg, view, x - (xf.sxmin + xf.sxmax) / 2, y - (xf.symin + xf.symax) / 2);
    return CMD_DONE;
  }
}

int32_t cm_stepzoom(bool in) {
  if (ui_aboxlstopen())
    return 0;
  SnapLevel keep;
  vew_zoom(dwg_cur(), vew_cur(), window_factor(in));
  return 0;
}

int32_t cm_stepscroll(int dir) {
  if (ui_aboxlstopen())
    return 0;
  SnapLevel keep;
  // 0 right, 1 left, 2 up, 3 down
  line_scroll(dwg_cur(), vew_cur(), dir < 2, dir == 0 || dir == 3);
  return 0;
}

int32_t cm_redraw() {
  SnapLevel keep;
  repaint(dwg_cur(), vew_cur());
  return 0;
}

int32_t cm_origview() {
  SnapLevel keep;
  msg_disp(1, 0, 0, 0, MSG_REPAINT);
  vew_refit(dwg_cur(), vew_cur());
  msg_disp(1, 128, 0, 0, MSG_REPAINT);
  return 0;
}

int32_t cm_prevview() {
  // Entry 1 of the history is the window before the last zoom; it is shown, not stored.
  const int d = dwg_cur(), v = vew_cur();
  const ZoomHistoryRecord &h = ZoomHistory[d];
  if (h.count < 2 || !open_view(d, v))
    return 0;
  SnapLevel keep;
  vew_setwin(d, v, 1, h.win[1][0], h.win[1][1], h.win[1][2], h.win[1][3]);
  repaint(d, v);
  return 0;
}

int32_t cm_mousefit() {
  SnapLevel keep;
  int32_t d, v;
  if (under_mouse(&d, &v))
    fit_view(d, v);
  return CMD_DONE;
}

int32_t cm_mousezoom(bool in) {
  SnapLevel keep;
  int32_t d, v;
  if (under_mouse(&d, &v))
    vew_zoomat(d, v, window_factor(in));
  return 0;
}

int32_t cm_mousescroll(int dir) {
  SnapLevel keep;
  int32_t d, v;
  // 0 up, 1 down, 2 left, 3 right
  if (under_mouse(&d, &v))
    line_scroll(d, v, dir >= 2, dir == 1 || dir == 3);
  return 0;
}

int32_t cm_mouseredraw() {
  SnapLevel keep;
  int32_t d, v;
  if (under_mouse(&d, &v))
    repaint(d, v);
  return CMD_DONE;
}

int32_t cm_mousesheet() {
  SnapLevel keep;
  int32_t d, v;
  if (under_mouse(&d, &v)) {
    msg_disp(1, 0, 0, 0, MSG_REPAINT);
    vew_refit(d, v);
    msg_disp(1, 128, 0, 0, MSG_REPAINT);
  }
  return CMD_DONE;
}

int32_t cm_waitundo(bool redo) {
  HWND w = ui_active();
  if (!w)
    return CMD_DONE;
  ui_cursor(nullptr, 2, 0, 0);
  SetFocus(w);
  gcr_clrfb();
  if (redo)
    rdo_exec(dwg_cur());
  else
    und_exec(dwg_cur());
  ui_aboxrefresh();
  SetFocus(w);
  gcr_clrfb();
  return CMD_DONE;
}

int32_t cm_gridena() { return grid_mode(1, -1); }
int32_t cm_griddis() { return grid_mode(0, -1); }
int32_t cm_gridsnap() { return grid_mode(2, 4); }
int32_t cm_gridpick() { return grid_mode(1, 4); }
int32_t cm_gridauto() { return grid_mode(0, 1); }

int32_t cm_griddlg() {
  const int d = dwg_cur();
  GridRecord g = grid_get(d);
  const GridRecord before = g;
  if (ViewCmdDialog(DLG_GRID, &g, 0) == -1)
    return CMD_DONE;
  msg_disp(1, 0, 0, 0, MSG_REPAINT);
  if (before.mode == 1 && before.kind != 0)
    grd_onoff(uint32_t(d), 0);
  g.mode = before.mode;
  grd_rec('W', uint32_t(d), &g);
  if (g.mode == 1 && g.kind != 0)
    grd_onoff(uint32_t(d), 1);
  msg_disp(1, 128, 0, 0, MSG_REPAINT);
  grid_done(d);
  return CMD_DONE;
}

int32_t cm_gridorg() {
  const int d = dwg_cur();
  if (grid_get(d).mode == 0)
    return 0;
  SnapLevel keep;
  declare_point();
  double x = 0, y = 0;
  int code;
  for (;;) {
    int32_t dwg = -1;
    code = ask(3804, GCR_CURDWG, &x, &y, &dwg);
    if (code == 500 || code == 13)
      break;
    if (code == 501) {
      x = y = 0;
      break;
    }
    if (code == 800)
      return code;
  }
  GridRecord g = grid_get(d);
  const bool shown = g.mode == 1;
  if (shown)
    grd_onoff(uint32_t(d), 0);
  g = grid_get(d);
  g.ox = x, g.oy = y, g.picked = 1;
  if (shown)
    g.mode = 1;
  grd_rec('W', uint32_t(d), &g);
  if (shown)
    grd_onoff(uint32_t(d), 1);
  grid_done(d);
  return code;
}

int32_t cm_inmode() {
  static const int next[3] = {1, 2, 0};
  return input_mode(next);
}
int32_t cm_inmode2() {
  static const int next[3] = {2, 2, 0};
  return input_mode(next);
}
int32_t cm_inmode1() {
  static const int next[3] = {1, 0, 2};
  return input_mode(next);
}

void cm_viewtable() {
  CommandTable[380] = cm_exit;
  CommandTable[400] = [] { return cm_waitundo(false); };
  CommandTable[401] = [] { return cm_waitundo(true); };
  CommandTable[500] = cm_wholesheet;
  CommandTable[502] = cm_redrawpick;
  CommandTable[504] = cm_zoomin;
  CommandTable[505] = cm_zoomout;
  CommandTable[506] = cm_centre;
  CommandTable[509] = [] { return cm_stepzoom(true); };
  CommandTable[510] = [] { return cm_stepzoom(false); };
  CommandTable[511] = [] { return cm_stepscroll(0); };
  CommandTable[512] = [] { return cm_stepscroll(1); };
  CommandTable[513] = [] { return cm_stepscroll(2); };
  CommandTable[514] = [] { return cm_stepscroll(3); };
  CommandTable[515] = cm_redraw;
  CommandTable[516] = cm_origview;
  CommandTable[520] = [] { return int32_t(0); };
  CommandTable[540] = cm_mousefit;
  CommandTable[541] = [] { return cm_mousezoom(false); };
  CommandTable[542] = [] { return cm_mousezoom(true); };
  CommandTable[543] = [] { return cm_mousescroll(0); };
  CommandTable[544] = [] { return cm_mousescroll(1); };
  CommandTable[545] = [] { return cm_mousescroll(2); };
  CommandTable[546] = [] { return cm_mousescroll(3); };
  CommandTable[547] = cm_mouseredraw;
  CommandTable[548] = cm_mousesheet;
  CommandTable[549] = cm_fitpick;
  CommandTable[708] = cm_gridena;
  CommandTable[709] = cm_griddis;
  CommandTable[710] = cm_gridorg;
  CommandTable[711] = cm_griddlg;
  CommandTable[712] = cm_gridsnap;
  CommandTable[715] = cm_gridpick;
  CommandTable[716] = cm_gridauto;
  CommandTable[730] = cm_sheetfit;
  CommandTable[731] = cm_sheetset;
  CommandTable[732] = cm_sheetref;
  CommandTable[733] = cm_sheetrst;
  CommandTable[1000] = cm_inmode;
}

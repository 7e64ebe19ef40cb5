// The get-point loop: waits for a point in the allowed views with the XOR feedback
// (snap mark, rubber band, hover highlights) following the cursor.
#include <windows.h>

#include "display/marks/snapmark.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/inputcalls.h"
#include "input/rubber.h"
#include "select/near.h"
#include "select/picklist.h"
#include "settings/answers.h"
#include "settings/appwin.h"
#include "settings/appstate.h"

namespace {

int32_t fb_dwg = -1, fb_view = -1; // where the feedback is drawn; -1 nothing shown
double fb_x = 0, fb_y = 0;
int32_t pick_dwg = -1, pick_view = -1;

// Draws the snap mark and the rubber band at the feedback point in the open views of
// its drawing; XOR, so the same call again removes them. With end set, the hover
// highlights are ended between the two. Gives the first input code the preview
// received while it drew, 0 when none.
int feedback(bool fresh, bool end) {
  const int previous = dwg_setcur(fb_dwg);
  if (fresh)
    rub_shown(0);
  const uint32_t mask = vew_mask(fb_dwg);
  for (int v = 0; v < VIEW_COUNT; v++)
    if (mask & (1u << v))
      snp_showmrk(mask, v, fb_x, fb_y);
  if (end) {
    pck_hvend(fb_dwg, mask, fb_view);
    inc_seghvend(fb_dwg, mask, fb_view);
  }
  int polled = 0;
  for (int v = 0; v < VIEW_COUNT; v++) {
    if (!(mask & (1u << v)))
      continue;
    int32_t code = 0;
    rub_draw(mask, v, fb_x, fb_y, &code);
    if (code && !polled)
      polled = code;
  }
  dwg_setcur(previous);
  return polled;
}

void forget() { fb_dwg = fb_view = -1; }

void follow(const InputEvent &ev) {
  fb_dwg = ev.dwg;
  fb_view = ev.view;
  vew_dev2w(ev.dwg, ev.view, ev.x, ev.y, &fb_x, &fb_y);
}

void make_current(int32_t dwg, int32_t view) {
  if (dwg < 0 || dwg > 1 || view < 0 || view >= VIEW_COUNT)
    return;
  dwg_setcur(dwg);
  vew_select(view);
}

int show_box(const UiQuestion &q) { return MessageBoxA(static_cast<HWND>(q.owner), q.text, q.heading, q.flags); }

void other_drawing_box() {
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.owner = app_hmain();
  q.heading = "調査";
  q.text = "図面番号が違う";
  q.flags = MB_OK;
  ui_ask(q, show_box);
}

} // namespace

int gcr_getpnt(int, const uint32_t *masks, double *x, double *y, int32_t *dwg, int32_t *view) {
  if (dwg)
    *dwg = -1;
  if (view)
    *view = -1;
  forget();
  fb_x = fb_y = 0;
  const int32_t level = CmdLevel;
  if (vew_mask(0) == 0 && vew_mask(1) == 0)
    return 800;
  auto allowed = [masks](int d) { return masks ? masks[d] : vew_mask(d); };
  if (allowed(0) == 0 && allowed(1) == 0)
    return 800;
  gcr_evreset();
  for (;;) {
    const uint32_t mode = PickMode;
    int code = 0;
    if (fb_dwg >= 0 && feedback(true, false) != 0)
      code = gcr_event(nullptr, nullptr, nullptr, nullptr, nullptr);
    while (code == 0) {
      code = gcr_wait(nullptr, nullptr, nullptr, nullptr, 1);
      if (CmdLevel < level)
        code = 800; // the command was ended from outside
    }
    if (fb_dwg >= 0) {
      feedback(false, false);
      forget();
    }
    const InputEvent ev = InputEvt;
    if (dwg)
      *dwg = ev.dwg;
    if (view)
      *view = ev.view;
    const bool valid =
        ev.dwg >= 0 && ev.dwg <= 1 && ev.view >= 0 && ev.view < VIEW_COUNT && (allowed(ev.dwg) & (1u << ev.view));
    switch (code) {
    case -2:
      continue;
    case -1:
      if (valid) {
        follow(ev);
        snp_point(ev.dwg, ev.view, ev.x, ev.y, fb_x, fb_y);
        if (PickHoverOff == 0)
          pck_hover(ev.dwg, ev.view, ev.x, ev.y, fb_x, fb_y);
        if (SegHoverOff == 0)
          inc_seghover(ev.dwg, ev.view, ev.x, ev.y, fb_x, fb_y);
      }
      continue;
    case 500:
    case 502:
    case 504:
    case 47:
      if (!valid)
        continue;
      follow(ev);
      pick_dwg = ev.dwg;
      pick_view = ev.view;
      if (x)
        *x = fb_x;
      if (y)
        *y = fb_y;
      if (code != 47)
        make_current(ev.dwg, ev.view);
      return code;
    case 501:
      make_current(ev.dwg, ev.view);
      if (valid)
        return code;
      continue;
    case 503:
    case 505:
    case 9:
      if (!valid)
        continue;
      if (ev.dwg != dwg_cur())
        other_drawing_box();
      return code;
    case 13:
      if (GcrEnterDone == 1)
        return 527;
      continue;
    case 823:
      return mode == 1 && PickMode != 1 ? 821 : 823;
    default:
      return code;
    }
  }
}

int gcr_clrfb() {
  if (fb_dwg < 0)
    return -1;
  const int code = feedback(false, true);
  forget();
  return code;
}

int gcr_clrlast() {
  forget();
  return 0;
}

int gcr_pickdrw() { return pick_dwg; }
int gcr_pickvw() { return pick_view; }

int gcr_setcur(int dwg, int view, double x, double y) {
  if (dwg < 0)
    dwg = dwg_cur();
  if (view < 0)
    view = vew_cur();
  if (dwg < 0 || dwg > 1 || view < 0 || view >= VIEW_COUNT)
    return 0;
  HWND wnd = vew_hwnd(dwg, view);
  if (!wnd)
    return 0;
  int32_t px = 0, py = 0;
  vew_w2dev(dwg, view, x, y, &px, &py); // clamped to device range, NaN to 0
  POINT pt{px, py};
  ClientToScreen(wnd, &pt);
  SetCursorPos(pt.x, pt.y);
  return 0;
}

int gcr_getpntm(uint32_t drawings, int, int32_t *dwg, int32_t *view, double *x, double *y) {
  const uint32_t masks[2] = {drawings & 1 ? vew_mask(0) : 0u, drawings & 2 ? vew_mask(1) : 0u};
  double px = 0, py = 0;
  const int code = gcr_getpnt(0, masks, &px, &py, dwg, view);
  if (code == 500 || code == 502)
    rub_apply(px, py, &px, &py);
  if (code == 500 || code == 502 || code == 504 || code == 47) {
    if (x)
      *x = px;
    if (y)
      *y = py;
  }
  return code;
}

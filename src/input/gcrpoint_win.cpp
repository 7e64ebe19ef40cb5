#include "display/marks/snapmark.h"
#include "display/view/view.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "input/gcrsnap.h"
#include "input/inpkind.h"
#include "input/inputcalls.h"
#include "input/kpos.h"
#include "input/rubber.h"
#include "select/filter.h"
#include "settings/msgout.h"
#include "settings/params.h"

namespace {

InputPointsRecord *points_of(int32_t dwg) {
  if (dwg < 0)
    dwg = gcr_pickdrw();
  return dwg == 0 || dwg == 1 ? &InputPoints[dwg] : nullptr;
}

void deliver(int32_t dwg, double x, double y) { gcr_refset(dwg, x, y, 0); }

int snap_step(int32_t dwg, int32_t views, int flags, double *x, double *y, int code, bool el, int32_t *arcflag,
              double *radius) {
  uint32_t mode = 0, off = 0;
  sys_pickmode('r', &mode, &off);
  int kind = gcr_snapkind(code, mode, off);
  if (kind < 0)
    return 1;
  if (code == 500 && kind == 1) {
    const uint32_t saved = ElmFilter.kind;
    double p1[2] = {*x, *y}, p2[2] = {*x, *y}, res[2] = {0, 0};
    int32_t e1 = -1, e2 = -1;
    const int rc = PRSPNT(dwg, 8193, 1, p1, p2, &e1, &e2, res);
    ElmFilter.kind = saved;
    if (rc == 0) {
      *x = res[0];
      *y = res[1];
    }
    return rc;
  }
  if (flags & GCR_SNAP4000)
    kind += 0x4000;
  // The snap measures in one view: the one clicked when the caller names none.
  if (views < 0)
    views = gcr_pickvw();
  if (views < 0)
    views = vew_cur();
  const int rc = el ? gcr_osnapel(dwg, views, kind, 0, x, y, radius, arcflag) : gcr_osnap(dwg, views, kind, 0, x, y);
  // A choice closed under it (700) ends the command as a quit does; the point-on-element
  // pick above keeps its own 700 for Esc.
  return rc == 700 ? 800 : rc;
}

int point(int flags, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *kbmode, bool el, int32_t *arcflag,
          double *radius) {
  int32_t scratchd;
  if (!dwg)
    dwg = &scratchd;
  *dwg = -1;
  snp_level(int32_t(SnapMark.off));
  int32_t mode = kbmode ? *kbmode : 0;
  if (mode < 0 || mode > 2)
    mode = 0;
  const int32_t start = dwg_cur();
  const uint32_t set = gcr_dwgset(mask, start);
  const uint32_t masks[2] = {set & 1 ? 0xFFFFu : 0u, set & 2 ? 0xFFFFu : 0u};
  auto retain = [set] { PointRetain = {1, set}; };
  int rc = 0;
  if (set == 0)
    rc = 700;
  while (rc == 0) {
    if (mode == 1) {
      const int32_t cd = dwg_cur();
      if (cd < 0 || cd > 1 || !(set & (1u << cd))) {
        mode = 0;
        retain();
        continue;
      }
      double sx = 0, sy = 0, px = 0, py = 0;
      gcr_refget(cd, &sx, &sy, nullptr);
      msg_line(0, 0);
      const int code = gcr_kpos(0, cd, sx, sy, &px, &py);
      msg_line(0, 1);
      if (code == 13 || code == 500) {
        *dwg = cd;
        rub_apply(px, py, &px, &py);
        deliver(cd, px, py);
        *x = px;
        *y = py;
        rc = code;
        break;
      }
      if (code == 700 || code == 800) {
        rc = code;
        break;
      }
      // Without a line editor the entry cannot run: back to the mouse rather than
      // asking again at once.
      if (code == 9 || code == 27 || code == 501 || code < 0 || code >= 1000)
        mode = 0;
      retain();
      continue;
    }
    inc_smset(1);
    double px = *x, py = *y;
    int32_t ed = -1, ev = -1;
    const int code = gcr_getpnt(flags, masks, &px, &py, &ed, &ev);
    inc_smclear();
    PointRetain.on = 0;
    switch (code) {
    case 500:
    case 502:
    case 504: {
      if (ed == 0 || ed == 1) {
        InputPoints[ed].pickx = px;
        InputPoints[ed].picky = py;
      }
      const int r = snap_step(ed, ev, flags, &px, &py, code, el, arcflag, radius);
      if (r == 0) {
        rub_apply(px, py, &px, &py);
        deliver(ed, px, py);
        *dwg = ed;
        *x = px;
        *y = py;
        rc = 500;
      } else if (r == 800) {
        rc = 800;
      }
      break;
    }
    case 9:
      mode = 1;
      break;
    case 27:
      rc = 27;
      break;
    case 47: {
      uint32_t off = 0;
      sys_pickmode('r', nullptr, &off);
      if (off == 1)
        break;
      // The snapped point becomes the base the user goes on typing from.
      if (snap_step(ed, ev, flags, &px, &py, 47, false, nullptr, nullptr) == 0) {
        deliver(ed, px, py);
        mode = 1;
      }
      break;
    }
    case 501:
    case 503:
    case 505:
      if (mask != GCR_CURONLY || ed == start)
        rc = 501;
      break;
    case 527:
    case 528:
    case 823:
      PointRetain = {1, set};
      rc = code;
      break;
    case 700:
    case 800:
      rc = code;
      break;
    case 820:
      if (flags & GCR_RET820)
        rc = 820;
      break;
    default:
      if (mode == 2 && gcr_keydigit(code))
        rc = gcr_keydigit(code);
      break;
    }
    if (rc == 0)
      retain();
  }
  if (kbmode)
    *kbmode = mode;
  snp_level(0);
  return rc;
}

} // namespace

int gcr_point(int flags, int, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *kbmode) {
  return point(flags, mask, x, y, dwg, kbmode, false, nullptr, nullptr);
}

int gcr_pointel(int flags, int, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *kbmode, int32_t *arcflag,
                double *radius) {
  return point(flags, mask, x, y, dwg, kbmode, true, arcflag, radius);
}

int gcr_snapin(int32_t dwg, int32_t views, int flags, double *x, double *y, int code) {
  return snap_step(dwg, views, flags, x, y, code, false, nullptr, nullptr);
}

int gcr_snapinel(int32_t dwg, int32_t views, int flags, double *x, double *y, int code, int32_t *arcflag,
                 double *radius) {
  return snap_step(dwg, views, flags, x, y, code, true, arcflag, radius);
}

int gcr_refget(int32_t dwg, double *x, double *y, double *third) {
  const InputPointsRecord *p = points_of(dwg);
  if (!p)
    return 0;
  if (x)
    *x = p->refx;
  if (y)
    *y = p->refy;
  if (third)
    *third = p->third;
  return 0;
}

int gcr_refset(int32_t dwg, double x, double y, double third) {
  InputPointsRecord *p = points_of(dwg);
  if (p) {
    if (x < 1e20)
      p->refx = x;
    if (y < 1e20)
      p->refy = y;
    if (third < 1e20)
      p->third = third;
  }
  inp_update(0xFFFF);
  return 0;
}

int gcr_refclr(int32_t dwg) {
  if (InputPointsRecord *p = points_of(dwg)) {
    p->refx = p->refy = p->third = 0;
  }
  return 0;
}

int gcr_lastpick(double *x, double *y) {
  const InputPointsRecord *p = points_of(-1);
  if (p) {
    if (x)
      *x = p->pickx;
    if (y)
      *y = p->picky;
  }
  return 0;
}

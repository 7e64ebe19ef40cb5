#include "commands/draw/circcmd.h"

#include <cmath>
#include <cstring>

#include "commands/cmdl/cmdtable.h"
#include "commands/draw/drawcmd.h"
#include "commands/view/quickset.h"
#include "commands/cmdl/yesno.h"
#include "database/elements.h"
#include "database/undo.h"
#include "display/marks/marklist.h"
#include "display/elements/elmdisp_win.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "geometry/geo.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/numkey.h"
#include "input/rubber.h"
#include "settings/msgout.h"
#include "select/filter.h"
#include "select/pick.h"
#include "settings/params.h"

namespace {

constexpr uint32_t ANY_DRAWING = 1023;
constexpr uint32_t KEY_MASK = 193;
constexpr int LINE_LEN = 61; // at most 60 characters
constexpr int MAX_RADII = 10;
constexpr double MAX_RADIUS = 1e16;
constexpr int ELM_AREA1 = 0;
constexpr int OWN_COLOURS = -1;
constexpr uint16_t STYLES = 0x3F00; // start style bits 8-10, end style bits 11-13

bool accepted(int code) { return code == 500 || code == 13; }
// The one-line editor could not be shown: asking again would fail again.
bool keyin_failed(int code) { return code < 0 || code >= 1000; }

int ask(int prompt, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *state) {
  msg_disp(1, 0, 0, 0, prompt);
  const int code = gcr_point(0, 0, mask, x, y, dwg, state);
  msg_disp(1, 128, 0, 0, prompt);
  return code;
}

int32_t pick_dwg(int32_t dwg) { return dwg == 0 || dwg == 1 ? dwg : dwg_cur(); }

// Current layer of the drawing (0 in the twins) and its default line word, read just
// before writing.
struct Attrs {
  uint16_t layer;
  uint16_t lin;
};
Attrs attrs_of(int32_t dwg, bool twin) {
  const int previous = dwg_setcur(pick_dwg(dwg));
  Attrs a{};
  if (!twin)
    sys_layer('r', dwg_cur(), &a.layer, nullptr);
  sys_linatr('r', &a.lin);
  dwg_setcur(previous);
  if (twin)
    a.lin = uint16_t((a.lin & ~0x3FFFu) | 0x13u); // pen 3, line kind 1, no styles
  return a;
}

bool add_arc(int32_t dwg, double cx, double cy, double r, double start, double end, const Attrs &a) {
  ElementRecord rec;
  std::memset(&rec, 0, sizeof rec);
  rec.kind = ARC;
  rec.layer = uint8_t(a.layer & 0xFF);
  rec.arc.cx = cx, rec.arc.cy = cy, rec.arc.r = r;
  rec.arc.start = start, rec.arc.end = end;
  rec.arc.attr = a.lin;
  if (std::fabs(end - start - 360.0) < 1e-6)
    rec.arc.attr = uint16_t(rec.arc.attr & ~STYLES);
  return elm_add(pick_dwg(dwg), ELM_AREA1, OWN_COLOURS, &rec, nullptr) >= 1;
}

// Up to ten radii keyed in one line, each 0 < r < 1e16, scaled from the layer's ratio
// to drawing units. The code that ended the line; 13 only with an accepted line.
int key_radii(int prompt, int32_t dwg, bool twin, double *radii, int *count) {
  for (;;) {
    uint16_t layer = 0;
    if (!twin)
      sys_layer('r', pick_dwg(dwg), &layer, nullptr);
    // Empty fields keep what the slot held: start from zero so that they refuse the line.
    double v[MAX_RADII] = {};
    char line[LINE_LEN + 1] = "";
    int n = 0;
    msg_disp(2, 0, 0, 0, prompt);
    const int code = num_keyin(0, 0, KEY_MASK, LINE_LEN, line, MAX_RADII, v, &n);
    msg_disp(2, 128, 0, 0, prompt);
    if (code == 501 || code == 27 || code == 800 || keyin_failed(code))
      return code;
    if (!accepted(code) || n <= 0)
      continue;
    if (n > MAX_RADII)
      n = MAX_RADII;
    bool ok = true;
    for (int i = 0; i < n && ok; i++) {
      if (!(v[i] > 0 && v[i] < MAX_RADIUS)) // NaN fails too
        ok = false;
      else
        scl_ratio(1, pick_dwg(dwg), twin ? 0 : layer, &v[i]);
    }
    if (!ok)
      continue;
    std::memcpy(radii, v, sizeof v);
    *count = n;
    return 13;
  }
}

// One angle; 13 with a finite value, or the code that ended the line.
int key_angle(int prompt, double *value) {
  char line[LINE_LEN + 1] = "";
  msg_disp(2, 0, 0, 0, prompt);
  const int code = num_keyval(0, 0, KEY_MASK, LINE_LEN, line, value);
  msg_disp(2, 128, 0, 0, prompt);
  if (code == 501 || code == 27 || code == 800 || keyin_failed(code))
    return code;
  if (!accepted(code) || !std::isfinite(*value))
    return 0; // ask again
  return 13;
}

int32_t ended(int32_t code) {
  mrk_list(5);
  return code;
}
int32_t keyin_end(int code) { return ended(code == 800 ? 800 : 700); }

int32_t circles(bool twin) {
  if (!twin)
    inp_set(233, 1, 0);
  int32_t state = 0;
  mrk_list(5);
  for (;;) {
    double cx = 0, cy = 0;
    int32_t dwg = -1;
    const int first = ask(5610, ANY_DRAWING, &cx, &cy, &dwg, &state);
    if (first == 800)
      return ended(800);
    if (!accepted(first))
      continue;
    mrk_list(2, pick_dwg(dwg), cx, cy);
    double r[MAX_RADII];
    int n = 0;
    const int code = key_radii(5612, dwg, twin, r, &n);
    if (code == 501) {
      mrk_list(3);
      continue;
    }
    if (code != 13)
      return keyin_end(code);
    const Attrs a = attrs_of(dwg, twin);
    und_pend(pick_dwg(dwg));
    for (int i = 0; i < n; i++) {
      mrk_list(5);
      if (!add_arc(dwg, cx, cy, r[i], 0.0, 360.0, a))
        return ended(CMD_DBFAIL); // the circles before it stay in the step
    }
    inp_updall();
  }
}

int32_t arcs(bool twin) {
  if (!twin)
    inp_set(65535, 1, 0);
  int32_t state = 0;
  mrk_list(5);
  for (;;) {
    double cx = 0, cy = 0;
    int32_t dwg = -1;
    const int first = ask(5904, ANY_DRAWING, &cx, &cy, &dwg, &state);
    if (first == 800)
      return ended(800);
    if (!accepted(first))
      continue;
    mrk_list(2, pick_dwg(dwg), cx, cy);
    int step = 2;
    double r[MAX_RADII];
    int n = 0;
    double start = 0, end = 0;
    while (step > 1 && step < 5) {
      int code;
      if (step == 2) {
        code = key_radii(5950, dwg, twin, r, &n);
        if (code == 501) {
          inp_updall();
          mrk_list(3);
          step = 1;
          break;
        }
        if (code != 13)
          return keyin_end(code);
        step = 3;
      } else if (step == 3) {
        code = key_angle(5951, &start);
        if (code == 501) {
          step = 2;
          continue;
        }
        if (code == 13 && start >= -360.0 && start <= 360.0)
          step = 4;
        else if (code != 0 && code != 13)
          return keyin_end(code);
      } else {
        code = key_angle(5952, &end);
        if (code == 501) {
          step = 3;
          continue;
        }
        if (code == 13 && end > start && end <= start + 360.0)
          step = 5;
        else if (code != 0 && code != 13)
          return keyin_end(code);
      }
    }
    if (step != 5)
      continue;
    geo_angnorm(0, &start, &end);
    const Attrs a = attrs_of(dwg, twin);
    und_pend(pick_dwg(dwg));
    for (int i = 0; i < n; i++)
      if (!add_arc(dwg, cx, cy, r[i], start, end, a))
        return ended(CMD_DBFAIL);
    inp_updall();
    mrk_list(5);
  }
}

int32_t arc3p(bool twin) {
  if (!twin)
    inp_set(65535, 1, 0);
  int32_t state = 0;
  mrk_list(5);
  for (;;) {
    GeoPoint p[3];
    int32_t dwg = -1, dwg2 = -1;
    const int first = ask(5901, ANY_DRAWING, &p[0].x, &p[0].y, &dwg, &state);
    if (first == 800)
      return ended(800);
    if (!accepted(first))
      continue;
    mrk_list(2, pick_dwg(dwg), p[0].x, p[0].y);
    int step = 2;
    while (step == 2 || step == 3) {
      if (step == 2) {
        const int code = ask(5903, GCR_CURDWG, &p[1].x, &p[1].y, &dwg2, &state);
        if (code == 800)
          return ended(800);
        if (code == 501) {
          mrk_list(3);
          step = 1;
        } else if (accepted(code)) {
          mrk_list(2, pick_dwg(dwg), p[1].x, p[1].y);
          step = 3;
        }
      } else {
        rub_start2pt(6, p[0].x, p[0].y, p[1].x, p[1].y);
        const int code = ask(5902, GCR_CURDWG, &p[2].x, &p[2].y, &dwg2, &state);
        rub_start(0);
        if (code == 800)
          return ended(800);
        if (code == 501) {
          mrk_list(3);
          step = 2;
        } else if (accepted(code)) {
          step = 4;
        }
      }
    }
    if (step != 4)
      continue;
    GeoPoint c;
    double r = 0;
    AngleRange ang{};
    if (geo_arc3p(&p[0], &p[1], &p[2], &c, &r, &ang) == 0 && std::isfinite(r)) {
      geo_angnorm(0, &ang.start, &ang.end);
      const Attrs a = attrs_of(dwg, twin);
      und_pend(pick_dwg(dwg));
      mrk_list(5);
      if (!add_arc(dwg, c.x, c.y, r, ang.start, ang.end, a))
        return ended(CMD_DBFAIL);
    }
    mrk_list(5);
    inp_updall();
  }
}

// The candidate circle shown in every view of the drawing, or erased.
void preview(int32_t dwg, double cx, double cy, double r, int32_t colour) {
  uint16_t lin = 0;
  const int previous = dwg_setcur(pick_dwg(dwg));
  sys_linatr('r', &lin);
  dwg_setcur(previous);
  uint32_t pens[20] = {};
  sys_pencol('r', pens);
  dsp_arc(vew_mask(pick_dwg(dwg)), lin, int32_t(pens[lin & 0xF]), cx, cy, r, 0.0, 360.0, colour);
}

enum { TAN_TAKEN, TAN_REPICK, TAN_END };

// Offers r1 and then r2 in turn until one is taken.
int tangent_choice(int32_t dwg, double cx, double cy, double r1, double r2, const uint16_t *cmap, double *r) {
  double cand = r1;
  for (;;) {
    preview(dwg, cx, cy, cand, cmap[14]);
    const int k = msg_prompt(0, 0, "Y y N n");
    preview(dwg, cx, cy, cand, cmap[16]);
    switch (cmd_yesno(k)) {
    case CYN_YES:
      *r = cand;
      return TAN_TAKEN;
    case CYN_NO:
      if (k < 0)
        return TAN_REPICK; // the question cannot be shown: offering the other one would loop
      cand = cand == r1 ? r2 : r1;
      break;
    case CYN_CANCEL:
      return TAN_REPICK;
    case CYN_END:
      return TAN_END;
    case CYN_OTHER:
      break;
    }
  }
}

// The radius of a circle about (cx, cy) tangent to a picked line or circle. 13 with
// *r, 501 back to the centre, 800 the end.
int tangent_radius(double cx, double cy, const uint16_t *cmap, double *r) {
  for (;;) {
    pck_filter(0x8006, 0, 0, 0);
    int32_t dwg = -1, elem = -1;
    double px = cx, py = cy;
    const int code = pck_elem(5609, PCK_CURDWG, &dwg, &px, &py, &elem);
    if (code == 800 || code == 501)
      return code;
    if (!accepted(code) || elem < 0)
      continue;
    ElementRecord rec;
    if (elm_read(pick_dwg(dwg), elem, &rec, nullptr, 0) != 0)
      continue;
    const GeoPoint c{cx, cy};
    const uint16_t kind = uint16_t(rec.kind & 0x7FFF);
    if (kind == LIN) {
      const GeoPoint p0{rec.lin.x1, rec.lin.y1}, p1{rec.lin.x2, rec.lin.y2};
      GeoPoint foot;
      double d = 0;
      if (geo_perpft(&p0, &p1, &c, &foot, &d) < 0 || !(d >= ELM_TINY))
        continue; // no line, or the centre lies on it
      *r = d;
      return 13;
    }
    if (kind != ARC)
      continue;
    const double d = std::hypot(rec.arc.cx - cx, rec.arc.cy - cy);
    if (!(d >= ELM_TINY))
      continue; // concentric
    const double r1 = std::fabs(rec.arc.r - d), r2 = rec.arc.r + d;
    if (r1 < ELM_TINY) {
      *r = r2;
      return 13;
    }
    const int t = tangent_choice(dwg, cx, cy, r1, r2, cmap, r);
    if (t == TAN_END)
      return 800;
    if (t == TAN_TAKEN)
      return 13;
  }
}

} // namespace

int32_t cm_circpt() {
  inp_set(233, 1, 0);
  uint16_t cmap[20];
  if (sys_colmap('r', cmap) != 0)
    return 700;
  int32_t state = 0;
  mrk_list(5);
  for (;;) {
    double cx = 0, cy = 0;
    int32_t dwg = -1;
    const int first = ask(5610, ANY_DRAWING, &cx, &cy, &dwg, &state);
    if (first == 800)
      return ended(800);
    if (!accepted(first))
      continue;
    mrk_list(2, pick_dwg(dwg), cx, cy);
    double r = 0;
    int code;
    for (;;) {
      rub_startpt(4, cx, cy);
      double x = 0, y = 0;
      int32_t dwg2 = -1;
      code = ask(5611, GCR_CURDWG, &x, &y, &dwg2, &state);
      rub_start(0);
      if (code == 800)
        return ended(800);
      if (accepted(code)) {
        if (std::fabs(x - cx) < ELM_TINY && std::fabs(y - cy) < ELM_TINY)
          continue;
        r = std::hypot(x - cx, y - cy);
        break;
      }
      if (code == 501) {
        code = tangent_radius(cx, cy, cmap, &r);
        break;
      }
    }
    if (code == 800)
      return ended(800);
    if (code == 501) {
      mrk_list(3);
      continue;
    }
    const Attrs a = attrs_of(dwg, false);
    und_pend(pick_dwg(dwg));
    mrk_list(5);
    if (!add_arc(dwg, cx, cy, r, 0.0, 360.0, a))
      return ended(CMD_DBFAIL);
    inp_updall();
  }
}

namespace {} // namespace

int32_t cm_circrad() { return circles(false); }
int32_t cm_circrad2() { return circles(true); }
int32_t cm_arccr() { return arcs(false); }
int32_t cm_arccr2() { return arcs(true); }
int32_t cm_arc3p() { return arc3p(false); }
int32_t cm_arc3p2() { return arc3p(true); }

void cm_circtable() {
  CommandTable[40] = cm_circrad;
  CommandTable[41] = cm_circpt;
  CommandTable[55] = cm_circrad2;
  CommandTable[60] = cm_arccr;
  CommandTable[63] = cm_arc3p;
  CommandTable[75] = cm_arccr2;
  CommandTable[76] = cm_arc3p2;
}

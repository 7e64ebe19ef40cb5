#include "commands/edit/movecmd.h"

#include <cmath>

#include "commands/cmdl/cmdtable.h"
#include "commands/edit/copyeng.h"
#include "commands/edit/transform.h"
#include "commands/cmdl/yesno.h"
#include "database/elements.h"
#include "database/undo.h"
#include "display/elements/elmdisp.h"
#include "display/elements/elmdisp_win.h"
#include "display/marks/marklist.h"
#include "display/view/view.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/numkey.h"
#include "input/rubber.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/pick.h"
#include "select/sellist.h"
#include "select/selpick.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/winutil.h"

namespace {

constexpr uint32_t ANY_DRAWING = 1023;
constexpr int32_t ERASE_COLOUR = 16;

bool accepted(int code) { return code == 500 || code == 13; }
bool selected(int code) { return code == 500 || code == 501 || code == 13; }

int32_t finish(int32_t dwg, int32_t code) {
  rub_start(0);
  if (dwg == 0 || dwg == 1)
    hil_redraw(dwg, -1);
  mrk_list(5);
  sel_free();
  return code;
}

int ask(int prompt, uint32_t mask, double *x, double *y, int32_t *dwg) {
  int32_t state = 0;
  msg_disp(1, 0, 0, 0, prompt);
  const int code = gcr_point(0, 0, mask, x, y, dwg, &state);
  msg_disp(1, 128, 0, 0, prompt);
  return code;
}

// Identity, or every entry the drawing's current layer when the input kind says so.
void remap_of(int kind, int32_t dwg, int16_t *map) {
  uint32_t rec[7] = {};
  inp_kind('r', kind, rec);
  uint16_t cur = 0;
  sys_layer('r', dwg, &cur, nullptr);
  for (int k = 0; k < CPY_REMAP; ++k)
    map[k] = int16_t(kind > 0 && rec[2] == 1 ? cur : k);
}

int cpy_ask() { return msg_prompt(0, 0, "YNyn"); }
void cpy_draw(int drawing, int32_t node) {
  const int previous = dwg_setcur(drawing);
  dsp_elms(0xFFFF, 0, -1, uint32_t(node), 0);
  dwg_setcur(previous);
}
void cpy_paint(int drawing, int32_t first, int32_t count, int32_t colour) {
  const int previous = dwg_setcur(drawing);
  dsp_elms(0xFFFF, 0, colour, uint32_t(first), count);
  dwg_setcur(previous);
}
void cpy_cursor(int) { win_waitcur(); }

// The selection step of 120, 123, 130 and 140: 0 with a selection in *dwg, or the
// code that ends the handler.
int selecting(uint32_t selmode, bool parts, int32_t *dwg) {
  for (;;) {
    int32_t count = 0;
    double corners[4] = {};
    *dwg = -1;
    PickTextParts = parts ? 1 : 0;
    const int code = sel_pick(ANY_DRAWING, selmode, dwg, &count, corners);
    PickTextParts = 0;
    msg_disp(2, 128, 0, 0, 0);
    if (code == 800 || code == 700 || code == 27)
      return code;
    if (!selected(code)) {
      if (*dwg == 0 || *dwg == 1)
        hil_redraw(*dwg, -1);
      continue;
    }
    if (count > 0 && (*dwg == 0 || *dwg == 1))
      return 0;
  }
}

int32_t moving(uint32_t selmode, bool parts, bool keeplayers) {
  inp_set(0x1F0C1, 1, 3);
  cpy_winhooks();
  if (!sel_alloc(SEL_MAXCAP))
    return 700;
  for (;;) {
    int32_t dwg = -1;
    const int code = selecting(selmode, parts, &dwg);
    if (code != 0)
      return finish(dwg, code);
    for (bool again = true; again;) {
      again = false;
      double bx = 0, by = 0;
      int32_t bd = -1;
      const int b = ask(7400, 1u << dwg, &bx, &by, &bd);
      if (b == 800)
        return finish(dwg, 800);
      if (!accepted(b)) {
        mrk_list(5);
        hil_redraw(dwg, -1);
        break; // back to the selection
      }
      mrk_list(2, dwg, bx, by);
      for (;;) {
        double tx = bx, ty = by;
        int32_t td = -1;
        rub_startdrag(99, 0, bx, by, dwg, 0);
        const int t = ask(7401, ANY_DRAWING, &tx, &ty, &td);
        rub_start(0);
        if (t == 800)
          return finish(dwg, 800);
        if (t == 501) {
          mrk_list(3);
          again = true;
          break;
        }
        if (t == 27) {
          mrk_list(5);
          hil_redraw(dwg, -1);
          break;
        }
        if (!accepted(t))
          continue;
        const int32_t to = td == 0 || td == 1 ? td : dwg;
        int16_t map[CPY_REMAP];
        remap_of(keeplayers ? 0 : 3, to, map);
        // Both steps close: a move into the other drawing changes both.
        und_pend(dwg);
        if (to != dwg)
          und_pend(to);
        mrk_list(5);
        trn_setmove(tx - bx, ty - by);
        trn_setbase(bx, by, tx, ty);
        cpy_elms(0, dwg, to, map, 0, 1);
        hil_redraw(dwg, -1);
        inp_updall();
        break;
      }
    }
  }
}

bool coincide(double x1, double y1, double x2, double y2) {
  return std::fabs(x2 - x1) < 1e-6 && std::fabs(y2 - y1) < 1e-6;
}

// The axis as a picked line: 0 with the line, 1 for the two-point input, or the code
// that returns to the selection (27) or ends the handler (800).
int axis_line(int32_t dwg, double *axis) {
  for (;;) {
    pck_filter(0x8002, 0, 0, 0);
    int32_t pd = dwg, elem = -1;
    double px = 0, py = 0;
    const int code = pck_elem(7406, 1u << dwg, &pd, &px, &py, &elem);
    if (code == 800 || code == 27)
      return code;
    if (code == 501)
      return 1;
    if (!(code == 500 || code == 502 || code == 13) || elem < 1)
      continue;
    ElementRecord r;
    const int rc = elm_read(dwg, elem, &r, nullptr, 0);
    if ((rc != 0 && rc != 3) || (r.kind & 0x7FFF) != LIN)
      continue; // a failed read picks again
    axis[0] = r.lin.x1, axis[1] = r.lin.y1, axis[2] = r.lin.x2, axis[3] = r.lin.y2;
    return 0;
  }
}

// The number of copies: 0 with *count, 501 back to the target, or 27/800 to end.
int copy_count(int32_t *count) {
  for (;;) {
    char buf[17] = "";
    int32_t v = 0;
    msg_disp(5, 0, 0, 0, 7800);
    const int code = num_intkey(0, 0, 16, buf, &v);
    msg_disp(5, 128, 0, 0, 7800);
    if (code == 501 || code == 27 || code == 800)
      return code;
    if (code >= 1000)
      return 27; // no editor to ask in: asking again would never end
    if (!accepted(code))
      continue; // a value out of range or a key that does not answer
    if (v == 0 || v == -128) {
      *count = 1;
      return 0;
    }
    if (v > 0) {
      *count = v;
      return 0;
    }
  }
}

} // namespace

void cpy_winhooks() {
  CpyHooks h{};
  h.ask = cpy_ask;
  h.draw = cpy_draw;
  h.waitcur = cpy_cursor;
  h.paint = cpy_paint;
  cpy_sethooks(&h);
}

int32_t cm_erase2() {
  inp_set(193, 1, 0);
  uint16_t cm[20] = {};
  sys_colmap('r', cm);
  const int32_t colour = cm[ERASE_COLOUR];
  sel_alloc(SEL_MAXCAP);
  for (;;) {
    int32_t dwg = -1, count = 0;
    double corners[4] = {};
    const int code = sel_pick(ANY_DRAWING, 6, &dwg, &count, corners);
    ElmFilter.kind = 32767;
    if (code == 800)
      return finish(dwg, 800);
    if (code == 823) {
      if (dwg == 0 || dwg == 1)
        hil_redraw(dwg, -1);
      continue;
    }
    if (code == 27 || !selected(code))
      return finish(dwg, 700);
    if (count <= 0 || (dwg != 0 && dwg != 1))
      continue;
    CmdYesNo answer;
    do
      answer = cmd_yesno(msg_prompt(0, 0, "YyNn"));
    while (answer == CYN_OTHER);
    if (answer == CYN_END)
      return finish(dwg, 800);
    if (answer != CYN_YES) { // no, Esc, a closed or failed question keep everything
      hil_redraw(dwg, -1);
      continue;
    }
    und_pend(dwg);
    win_waitcur();
    for (int32_t i = 0; i < SelectionList.count; i++) {
      const uint32_t e = SelectionList.entries[i];
      if (e == SEL_HOLE || e == SEL_END)
        continue;
      const int32_t k = int32_t(sel_key(e));
      elm_delete(dwg, k < 0 ? -k : k, colour);
    }
    win_waitcur();
    inp_updall();
  }
}

int32_t cm_move() { return moving(0x4116, true, false); }

int32_t cm_axis2pt(double *line, int32_t *drawing) {
  inp_set(0x1F0C1, 1, 3);
  int rc = 0;
  for (bool first = true; first;) {
    double x1 = 0, y1 = 0;
    int32_t d1 = -1;
    const int c1 = ask(5301, 1u << dwg_cur(), &x1, &y1, &d1);
    if (c1 == 800 || c1 == 27 || c1 == 501) {
      rc = c1;
      break;
    }
    if (!accepted(c1) || (d1 != 0 && d1 != 1))
      continue;
    mrk_list(2, d1, x1, y1);
    for (;;) {
      double x2 = x1, y2 = y1;
      int32_t d2 = -1;
      rub_startline(1, 0, x1, y1, 0);
      const int c2 = ask(5302, 1u << d1, &x2, &y2, &d2);
      rub_start(0);
      if (c2 == 800 || c2 == 27) {
        rc = c2;
        first = false;
        break;
      }
      if (c2 == 501) {
        mrk_list(3);
        break; // point 1 again
      }
      if (!accepted(c2))
        continue;
      if (coincide(x1, y1, x2, y2)) {
        mrk_list(5);
        mrk_list(2, d1, x1, y1);
        continue;
      }
      mrk_list(2, d1, x2, y2);
      line[0] = x1, line[1] = y1, line[2] = x2, line[3] = y2;
      *drawing = d1;
      rc = 0;
      first = false;
      break;
    }
  }
  inp_set(0x20C1, 1, 3);
  return rc;
}

namespace {
int32_t mirroring() {
  inp_set(0x20C1, 1, 3);
  cpy_winhooks();
  if (!sel_alloc(SEL_MAXCAP))
    return 700;
  for (;;) {
    sel_filter(0, 0, 0, 0);
    int32_t dwg = -1;
    const int code = selecting(0x116, true, &dwg);
    if (code != 0)
      return finish(dwg, code);
    dwg_setcur(dwg);
    double axis[4] = {};
    int a = axis_line(dwg, axis);
    if (a == 800)
      return finish(dwg, 800);
    if (a == 1) {
      int32_t ad = dwg;
      a = cm_axis2pt(axis, &ad);
      if (a == 800 || a == 27)
        return finish(dwg, a);
    }
    if (a != 0) { // back to the selection
      mrk_list(5);
      hil_redraw(dwg, -1);
      continue;
    }
    int16_t map[CPY_REMAP];
    remap_of(3, dwg, map);
    und_pend(dwg);
    mrk_list(5);
    trn_setmirror(axis[0], axis[1], axis[2], axis[3]);
    cpy_elms(2, dwg, dwg, map, 0, 1);
    hil_redraw(dwg, -1);
    inp_updall();
  }
}
} // namespace

int32_t cm_mirror() {
  const int32_t rc = mirroring();
  // The axis pick narrowed the filter to lines; the next command's selection must not
  // inherit that.
  sel_filter(0, 0, 0, 0);
  return rc;
}

int32_t cm_copy() {
  inp_set(0x1F0C1, 1, 4);
  cpy_winhooks();
  if (!sel_alloc(SEL_MAXCAP))
    return 700;
  for (;;) {
    int32_t dwg = -1;
    const int code = selecting(0x4116, true, &dwg);
    if (code != 0)
      return finish(dwg, code);
    for (;;) {
      double bx = 0, by = 0;
      int32_t bd = -1;
      const int b = ask(7700, 1u << dwg, &bx, &by, &bd);
      if (b == 800 || b == 27)
        return finish(dwg, b);
      if (b == 501 || b == 9) {
        mrk_list(5);
        hil_redraw(dwg, -1);
        break; // back to the selection
      }
      if (!accepted(b))
        continue;
      mrk_list(2, dwg, bx, by);
      for (;;) {
        double tx = bx, ty = by;
        int32_t td = -1;
        rub_startdrag(99, 0, bx, by, dwg, 0);
        const int t = ask(7701, ANY_DRAWING, &tx, &ty, &td);
        rub_start(0);
        if (t == 800 || t == 27)
          return finish(dwg, t);
        if (t == 501) {
          mrk_list(3);
          break; // the base point again
        }
        if (!accepted(t))
          continue;
        const int32_t to = td == 0 || td == 1 ? td : dwg;
        dwg_setcur(to);
        mrk_list(2, to, tx, ty);
        int32_t count = 1;
        if (to == dwg) {
          const int c = copy_count(&count);
          if (c == 800 || c == 27)
            return finish(dwg, c);
          if (c == 501) {
            mrk_list(3);
            continue; // the target again
          }
        }
        int16_t map[CPY_REMAP];
        remap_of(4, to, map);
        und_pend(to);
        mrk_list(5);
        trn_setmove(tx - bx, ty - by);
        trn_setbase(bx, by, tx, ty);
        cpy_elms(0, dwg, to, map, 1, count);
        inp_updall();
        // Further copies of the same selection from the same base.
        mrk_list(2, dwg, bx, by);
      }
    }
  }
}

int32_t cm_move2() { return moving(0x4006, false, true); }

void cm_movetable() {
  CommandTable[116] = cm_erase2;
  CommandTable[120] = cm_move;
  CommandTable[123] = cm_mirror;
  CommandTable[130] = cm_move2;
  CommandTable[140] = cm_copy;
}

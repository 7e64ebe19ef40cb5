#include "commands/movecmd.h"

#include "commands/cmdtable.h"
#include "commands/copyeng.h"
#include "commands/transform.h"
#include "commands/yesno.h"
#include "database/elements.h"
#include "database/undo.h"
#include "display/elmdisp.h"
#include "display/elmdisp_win.h"
#include "display/marklist.h"
#include "display/view.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
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
void cpy_cursor(int) { win_waitcur(); }

int32_t moving(uint32_t selmode, bool parts, bool keeplayers) {
  inp_set(0x1F0C1, 1, 3);
  cpy_winhooks();
  sel_alloc(SEL_MAXCAP);
  for (;;) {
    int32_t dwg = -1, count = 0;
    double corners[4] = {};
    PickTextParts = parts ? 1 : 0;
    const int code = sel_pick(ANY_DRAWING, selmode, &dwg, &count, corners);
    PickTextParts = 0;
    if (code == 800 || code == 700)
      return finish(dwg, code);
    if (code == 27)
      return finish(dwg, 27);
    if (!selected(code)) {
      if (dwg == 0 || dwg == 1)
        hil_redraw(dwg, -1);
      continue;
    }
    if (count <= 0 || (dwg != 0 && dwg != 1))
      continue;
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

} // namespace

void cpy_winhooks() {
  CpyHooks h{};
  h.ask = cpy_ask;
  h.draw = cpy_draw;
  h.waitcur = cpy_cursor;
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
int32_t cm_move2() { return moving(0x4006, false, true); }

void cm_movetable() {
  CommandTable[116] = cm_erase2;
  CommandTable[120] = cm_move;
  CommandTable[130] = cm_move2;
}

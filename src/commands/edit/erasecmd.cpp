#include "commands/edit/erasecmd.h"

#include <cmath>

#include "commands/cmdl/cmdtable.h"
#include "commands/cmdl/yesno.h"
#include "database/elements.h"
#include "database/undo.h"
#include "display/elements/elmdisp_win.h"
#include "display/masks/hidmask.h"
#include "display/view/view.h"
#include "input/gcr.h"
#include "input/inpkind.h"
#include "input/rubber.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/pick.h"
#include "select/picklist.h"
#include "select/sellist.h"
#include "select/selpick.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/winutil.h"

namespace {

constexpr uint32_t ANY_DRAWING = 1023;
constexpr int32_t ERASE_COLOUR = 16; // ColorMap entry the erased elements are drawn in

int32_t erase_colour() {
  uint16_t cm[20] = {};
  sys_colmap('r', cm);
  return cm[ERASE_COLOUR];
}

// The selection's highlight goes and its list is freed on every way out.
int32_t sel_done(int32_t dwg, int32_t code) {
  if (dwg == 0 || dwg == 1)
    hil_redraw(dwg, -1);
  sel_free();
  return code;
}

} // namespace

int32_t cm_erase() {
  inp_set(193, 1, 0);
  const int32_t colour = erase_colour();
  sel_alloc(SEL_MAXCAP);
  for (;;) {
    int32_t dwg = -1, count = 0;
    double corners[4] = {};
    PickTextParts = 1; // parts of compound texts can be chosen
    const int code = sel_pick(ANY_DRAWING, 790, &dwg, &count, corners);
    PickTextParts = 0;
    ElmFilter.kind = 32767;
    if (code == 800)
      return sel_done(dwg, 800);
    if (code == 823) {
      if (dwg == 0 || dwg == 1)
        hil_redraw(dwg, -1);
      continue;
    }
    if (code != 500 && code != 501 && code != 13)
      return sel_done(dwg, 700);
    if (count <= 0 || (dwg != 0 && dwg != 1))
      continue;
    CmdYesNo answer;
    do
      answer = cmd_yesno(msg_prompt(0, 0, "YyNn"));
    while (answer == CYN_OTHER);
    if (answer == CYN_END)
      return sel_done(dwg, 800);
    if (answer != CYN_YES) { // no, Esc, a closed or failed question keep everything
      hil_redraw(dwg, -1);
      continue;
    }
    und_pend(dwg);
    win_waitcur();
    hid_remask(dwg);
    for (int32_t i = 0; i < SelectionList.count; i++) {
      const uint32_t e = SelectionList.entries[i];
      if (e == SEL_HOLE)
        continue;
      // A whole group is listed as its negated node; the node takes its members along.
      const int32_t k = int32_t(sel_key(e));
      elm_delete(dwg, k < 0 ? -k : k, colour);
    }
    win_waitcur();
    inp_updall();
  }
}

int cm_erasepl(int32_t dwg) {
  const int32_t colour = erase_colour();
  for (int32_t i = 0; i < PickList.count; i++) {
    const int32_t e = PickList.entries[i];
    hid_remask1(dwg, e);
    const int r = elm_delete(dwg, e, colour);
    if (r != 0)
      return r;
  }
  return 0;
}

namespace {

// What command 101 sets, put back on every return.
int32_t pick_done(int32_t dwg, int32_t code) {
  if (dwg == 0 || dwg == 1)
    pck_unhilite(dwg);
  PickHoverOff = 1;
  PickList.variant = 0;
  PickTextParts = 0;
  pck_free();
  return code;
}

} // namespace

int32_t cm_erasepk() {
  inp_set(193, 1, 8);
  const int32_t colour = erase_colour();
  PickTextParts = 1;
  PickHoverOff = 0;
  pck_setmode(-1, 3);
  if (pck_alloc(400) != 0)
    return pick_done(-1, 700);
  int32_t dwg = dwg_cur();
  for (;;) {
    // Single picks.
    if (dwg == 0 || dwg == 1)
      pck_unhilite(dwg);
    pck_clear();
    PickList.variant = 0;
    pck_filter(4111, 0, 0, 7);
    double x = 0, y = 0;
    int32_t elem = -1;
    const int code = sel_pick1(7000, ANY_DRAWING, &dwg, &x, &y, &elem);
    if (code == 800 || code == 27)
      return pick_done(dwg, code);
    if (code != 500 || (dwg != 0 && dwg != 1))
      continue;
    if (elem >= 0) {
      und_pend(dwg);
      hid_remask1(dwg, elem);
      elm_delete(dwg, elem, colour);
      inp_updall();
      continue;
    }
    // Nothing at the point: the elements a line from it crosses.
    const double ref[2] = {x, y};
    pck_setpt(ref);
    uint32_t masks[2] = {0, 0};
    masks[dwg] = 0xFFFFFFFFu;
    for (;;) {
      PickList.variant = 1;
      msg_disp(1, 0, 0, 0, 7001);
      rub_startline(1, 0, x, y, 0);
      double x2 = 0, y2 = 0;
      int32_t d2 = -1, v2 = -1;
      const int c2 = gcr_getpnt(0, masks, &x2, &y2, &d2, &v2);
      rub_start(0);
      msg_disp(1, 128, 0, 0, 7001);
      if (c2 == 800 || c2 == 27)
        return pick_done(dwg, c2);
      if (c2 == 501)
        break;
      if (c2 != 500 || PickList.count < 1 || (std::fabs(x2 - x) < 1e-6 && std::fabs(y2 - y) < 1e-6))
        continue;
      const int ok = pck_confirm(1, dwg);
      if (ok == 27 || ok == 800)
        return pick_done(dwg, ok);
      if (ok != 0)
        continue;
      und_pend(dwg);
      cm_erasepl(dwg);
      inp_updall();
      break;
    }
  }
}

void cm_erasetable() {
  CommandTable[100] = cm_erase;
  CommandTable[101] = cm_erasepk;
}

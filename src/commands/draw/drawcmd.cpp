#include "commands/draw/drawcmd.h"

#include <cmath>
#include <cstring>

#include "commands/draw/circcmd.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/edit/erasecmd.h"
#include "commands/edit/parterase.h"
#include "commands/edit/movecmd.h"
#include "commands/edit/reshapecmd.h"
#include "commands/text/textcmd.h"
#include "commands/text/textpath.h"
#include "database/elements.h"
#include "database/undo.h"
#include "display/marks/marklist.h"
#include "display/view/view.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "input/rubber.h"
#include "settings/msgout.h"
#include "settings/params.h"

namespace {

constexpr uint32_t ANY_DRAWING = 1023;
constexpr int ELM_AREA1 = 0; // area 1, journalled
constexpr int OWN_COLOURS = -1;

// What a figure is drawn with, read from the drawing the point was given in.
struct Attrs {
  uint8_t layer;
  uint16_t pnt, lin;
};

Attrs attrs_of(int32_t dwg) {
  const int previous = dwg_setcur(dwg == 0 || dwg == 1 ? dwg : dwg_cur());
  Attrs a{};
  uint16_t layer = 0;
  sys_layer('r', dwg_cur(), &layer, nullptr);
  a.layer = uint8_t(layer & 0xFF);
  sys_pntatr('r', &a.pnt);
  sys_linatr('r', &a.lin);
  dwg_setcur(previous);
  return a;
}

bool same_point(double x0, double y0, double x1, double y1) {
  return std::fabs(x1 - x0) < ELM_TINY && std::fabs(y1 - y0) < ELM_TINY;
}

bool accepted(int code) { return code == 500 || code == 13; }

// Shows prompt n while the point input waits, and clears it afterwards.
int ask(int prompt, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *state) {
  msg_disp(1, 0, 0, 0, prompt);
  const int code = gcr_point(0, 0, mask, x, y, dwg, state);
  msg_disp(1, 128, 0, 0, prompt);
  return code;
}

bool add_line(int32_t dwg, double x1, double y1, double x2, double y2, uint8_t layer, uint16_t attr) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = LIN;
  r.layer = layer;
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
  r.lin.attr = attr;
  return elm_add(dwg, ELM_AREA1, OWN_COLOURS, &r, nullptr) >= 1;
}

// Word 1 of input kind 1 is the sub-mode of the chain's rubber band.
uint32_t chain_word() {
  uint32_t rec[INP_KINDWORDS] = {};
  inp_kind('r', 1, rec);
  return rec[1];
}
void set_chain_word(uint32_t v) {
  uint32_t rec[INP_KINDWORDS] = {};
  inp_kind('r', 1, rec);
  rec[1] = v;
  inp_kind('w', 1, rec);
}

} // namespace

int32_t cm_point() {
  inp_set(225, 4, 0);
  int32_t state = 0;
  for (;;) {
    double x = 0, y = 0;
    int32_t dwg = -1;
    const int code = ask(5004, ANY_DRAWING, &x, &y, &dwg, &state);
    if (code == 501 || code == 800 || code == 27)
      return code;
    if (!accepted(code))
      continue;
    const Attrs a = attrs_of(dwg);
    und_pend(dwg);
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = PNT;
    r.layer = a.layer;
    r.pnt.x = x, r.pnt.y = y;
    r.pnt.attr = a.pnt;
    if (elm_add(dwg, ELM_AREA1, OWN_COLOURS, &r, nullptr) < 1)
      return CMD_DBFAIL;
    inp_updall();
  }
}

int32_t cm_polyline() {
  inp_set(0x1ffff, 1, 1);
  int32_t state = 0;
  auto finish = [](int32_t code) {
    mrk_list(5);
    set_chain_word(0);
    inp_updall();
    return code;
  };
  for (;;) {
    mrk_list(5);
    double x0 = 0, y0 = 0;
    int32_t dwg = -1;
    const int first = ask(5301, ANY_DRAWING, &x0, &y0, &dwg, &state);
    if (first == 800 || first == 27)
      return finish(first);
    if (!accepted(first))
      continue;
    for (;;) {
      uint32_t sub = chain_word();
      if (sub > 3)
        sub -= 3;
      rub_startline(1, int32_t(sub), x0, y0, 0);
      mrk_list(2, dwg, x0, y0);
      double x1 = 0, y1 = 0;
      int32_t dwg1 = -1;
      const int code = ask(5302, GCR_CURDWG, &x1, &y1, &dwg1, &state);
      rub_start(0);
      if (code == 501 || code == 27) {
        mrk_list(5);
        break; // the chain ends; the next one starts anew
      }
      if (code == 800)
        return finish(code);
      if (!accepted(code))
        continue;
      mrk_list(5);
      if (same_point(x0, y0, x1, y1))
        continue;
      if (dwg1 == 0 || dwg1 == 1)
        dwg = dwg1;
      const Attrs a = attrs_of(dwg);
      und_pend(dwg);
      if (!add_line(dwg, x0, y0, x1, y1, a.layer, a.lin))
        return finish(CMD_DBFAIL);
      x0 = x1, y0 = y1;
      const uint32_t w = chain_word();
      set_chain_word(w == 1 ? 2 : w == 2 ? 1 : w);
      inp_updall();
    }
  }
}

int32_t cm_rect() {
  inp_set(0x1efff, 1, 0);
  int32_t dwg = dwg_cur();
  Attrs a = attrs_of(dwg);
  int32_t state = 0;
  int centred = 0; // 0 two opposite corners, 1 centre and a corner; kept between figures
  for (;;) {
    double x1 = 0, y1 = 0;
    const int first = ask(centred ? 5307 : 5324, ANY_DRAWING, &x1, &y1, &dwg, &state);
    if (first == 501) {
      centred ^= 1;
      continue;
    }
    if (first == 800 || first == 27) {
      inp_updall();
      return first;
    }
    if (!accepted(first))
      continue;
    double x2 = 0, y2 = 0;
    int code;
    for (;;) {
      if (centred)
        rub_startpt(3, x1, y1);
      else
        rub_startratio(2, 0, x1, y1, 0, 0);
      int32_t dwg2 = -1;
      code = ask(centred ? 5306 : 5305, GCR_CURDWG, &x2, &y2, &dwg2, &state);
      rub_start(0);
      if (code == 501 || code == 800 || code == 27)
        break;
      if (!accepted(code))
        continue;
      // A rectangle of no width or no height is never drawn.
      if (std::fabs(x1 - x2) < ELM_TINY || std::fabs(y1 - y2) < ELM_TINY)
        continue;
      if (dwg2 == 0 || dwg2 == 1)
        dwg = dwg2;
      break;
    }
    if (code == 800) {
      inp_updall();
      return code;
    }
    if (code == 27)
      centred = 0;
    if (code == 27 || code == 501)
      continue;
    a = attrs_of(dwg);
    if (centred)
      x1 = 2 * x1 - x2, y1 = 2 * y1 - y2;
    und_pend(dwg);
    const double side[4][4] = {{x1, y1, x2, y1}, {x2, y1, x2, y2}, {x2, y2, x1, y2}, {x1, y2, x1, y1}};
    for (const auto &s : side)
      if (!add_line(dwg, s[0], s[1], s[2], s[3], a.layer, a.lin))
        return CMD_DBFAIL;
    inp_updall();
  }
}

int32_t cm_line() {
  // Declares no input: the request of the previous command stays.
  int32_t state = 0;
  for (;;) {
    mrk_list(5);
    double x1 = 0, y1 = 0;
    int32_t dwg = -1;
    const int first = ask(5301, ANY_DRAWING, &x1, &y1, &dwg, &state);
    if (first == 800 || first == 27) {
      mrk_list(5);
      return first;
    }
    if (!accepted(first))
      continue;
    for (;;) {
      rub_startline(1, 0, x1, y1, 0);
      mrk_list(2, dwg, x1, y1);
      double x2 = 0, y2 = 0;
      int32_t dwg2 = -1;
      const int code = ask(5302, GCR_CURDWG, &x2, &y2, &dwg2, &state);
      rub_start(0);
      if (code == 501 || code == 27) {
        mrk_list(5);
        break;
      }
      if (code == 800) {
        mrk_list(5);
        return code;
      }
      if (!accepted(code))
        continue;
      mrk_list(5);
      if (same_point(x1, y1, x2, y2))
        continue;
      if (dwg2 == 0 || dwg2 == 1)
        dwg = dwg2;
      // The construction pen: pen 3, line kind 1, no end styles, layer 0.
      const uint16_t attr = uint16_t((attrs_of(dwg).lin & ~0x3FFFu) | 0x13u);
      und_pend(dwg);
      if (!add_line(dwg, x1, y1, x2, y2, 0, attr))
        return CMD_DBFAIL;
      inp_updall();
      break;
    }
  }
}

void cm_drawtable() {
  CommandTable[0] = cm_point;
  CommandTable[20] = cm_polyline;
  CommandTable[28] = cm_rect;
  CommandTable[35] = cm_line;
  cm_circtable();
  cm_erasetable();
  cm_partable();
  cm_movetable();
  cm_reshapetable();
  cm_texttable();
  CommandTable[180] = cm_textpath;
}

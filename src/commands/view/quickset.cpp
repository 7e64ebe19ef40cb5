#include "commands/view/quickset.h"

#include <windows.h>

#include <cstring>

#include "commands/cmdl/cmdtable.h"
#include "commands/cmdl/unitcalls.h"
#include "display/marks/grid.h"
#include "display/marks/snapmark.h"
#include "display/view/view.h"
#include "input/calc.h"
#include "input/gcr.h"
#include "input/inpkind.h"
#include "input/keyin.h"
#include "settings/params.h"
#include "settings/appwin.h"

namespace {

// Input-request flags that let a quick setting act.
constexpr uint32_t REQ_LTYPE = 0x08, REQ_STYLE = 0x10, REQ_PEN = 0x20, REQ_LAYER = 0x80;
constexpr int32_t POINT_KIND = 4;
constexpr int PICK_FIELD = 5;

uint32_t req_flags() {
  uint32_t f = 0;
  inp_req('r', &f, nullptr, nullptr);
  return f;
}
int32_t req_kind() {
  int32_t k = 0;
  inp_req('r', nullptr, &k, nullptr);
  return k;
}

bool grid_on() {
  GridRecord g{};
  return grd_rec('R', uint32_t(dwg_cur()), &g) == 0 && g.mode != 0;
}

int32_t set_pen(int pen) {
  if (!(req_flags() & REQ_PEN))
    return 0;
  int32_t p = pen;
  unit_curattr(1, &p, nullptr, nullptr, nullptr);
  inp_updall();
  return 0;
}

bool kind_allowed() { return (req_flags() & REQ_LTYPE) || req_kind() == POINT_KIND; }

int32_t set_ltype(int32_t v) {
  unit_curattr(1, nullptr, &v, nullptr, nullptr);
  inp_updall();
  return 0;
}

// 902..907: line kind 1..6; the point types know only 1, 2 and 5 (902 gives 5, 904 gives 1).
int32_t ltype_fixed(int v) {
  if (!kind_allowed())
    return 0;
  if (req_kind() == POINT_KIND) {
    if (v == 1)
      v = 5;
    else if (v == 3)
      v = 1;
    else if (v != 2)
      return 0;
  }
  return set_ltype(v);
}

int32_t ltype_step(bool next) {
  if (!kind_allowed())
    return 0;
  const bool points = req_kind() == POINT_KIND;
  int32_t v = 0;
  unit_curattr(0, nullptr, &v, nullptr, nullptr);
  return set_ltype(next ? qs_kindnext(v, points) : qs_kindprev(v, points));
}

int32_t style_step(bool finish, bool next) {
  if (!(req_flags() & REQ_STYLE))
    return 0;
  int32_t s = 0, e = 0;
  unit_curattr(0, nullptr, nullptr, &s, &e);
  int32_t &v = finish ? e : s;
  v = next ? qs_stylenext(v) : qs_styleprev(v);
  unit_curattr(1, nullptr, nullptr, finish ? nullptr : &s, finish ? &e : nullptr);
  inp_updall();
  return 0;
}

int32_t pick_step(bool next) {
  const bool grid = grid_on();
  qs_setpick(uint32_t(next ? qs_picknext(int(qs_pickmode()), grid) : qs_pickprev(int(qs_pickmode()), grid)));
  return 0;
}

template <int N> int32_t pen_cmd() { return set_pen(N); }
template <int N> int32_t ltype_cmd() { return ltype_fixed(N); }
template <int N> int32_t pick_cmd() {
  if (N == 4 && !grid_on())
    return 0;
  qs_setpick(N);
  return 0;
}

} // namespace

uint32_t qs_pickmode() {
  uint32_t m = 0;
  sys_pickmode('r', &m, nullptr);
  return m;
}

int qs_setpick(uint32_t mode) {
  if (mode > 4)
    return 0;
  sys_pickmode('w', &mode, nullptr);
  PickMode = mode; // the get-point loop compares it across a wait
  unit_settext(PICK_FIELD, PickModeNames[mode]);
  if (HWND w = app_hmain())
    PostMessageA(w, GCR_MSG_ATTR, 0, 0);
  return 0;
}

int32_t cm_layer(int n) {
  if (n < 0 || n > 63 || !(req_flags() & REQ_LAYER))
    return 0;
  const int dwg = dwg_cur();
  uint16_t cur = 0, states[64] = {};
  if (sys_layer('r', dwg, &cur, states) != 0)
    return 0;
  if (cur < 64)
    states[cur] = 2;
  states[n] = 3;
  cur = uint16_t(n);
  sys_layer('w', dwg, &cur, states);
  inp_updall();
  return 0;
}

int num_keyval(int, int, uint32_t mask, int length, char *buffer, double *value) {
  for (;;) {
    const int code = keyin_line(mask, length, buffer);
    // 27 and 501 end at once; so does an editor that could not be made.
    if (code == 27 || code == 501 || code < 0 || code >= 1000)
      return code;
    if (length >= 0 && std::strlen(buffer) > size_t(length))
      buffer[length] = '\0';
    if (buffer[0] == '\0') {
      *value = 0.0;
      return code;
    }
    const char *p = buffer;
    double v = 0;
    if (clc_eval(0, &p, &v) == 0) {
      *value = v;
      return code;
    }
  }
}

void cm_quicktable() {
  CommandTable[900] = [] { return ltype_step(true); };
  CommandTable[901] = [] { return ltype_step(false); };
  CommandTable[902] = ltype_cmd<1>;
  CommandTable[903] = ltype_cmd<2>;
  CommandTable[904] = ltype_cmd<3>;
  CommandTable[905] = ltype_cmd<4>;
  CommandTable[906] = ltype_cmd<5>;
  CommandTable[907] = ltype_cmd<6>;
  CommandTable[920] = pen_cmd<1>;
  CommandTable[921] = pen_cmd<2>;
  CommandTable[922] = pen_cmd<3>;
  CommandTable[923] = pen_cmd<4>;
  CommandTable[924] = pen_cmd<5>;
  CommandTable[925] = pen_cmd<6>;
  CommandTable[926] = pen_cmd<7>;
  CommandTable[927] = pen_cmd<8>;
  CommandTable[928] = pen_cmd<9>;
  CommandTable[929] = pen_cmd<10>;
  CommandTable[930] = pen_cmd<11>;
  CommandTable[931] = pen_cmd<12>;
  CommandTable[940] = [] { return style_step(false, true); };
  CommandTable[941] = [] { return style_step(false, false); };
  CommandTable[942] = [] { return style_step(true, true); };
  CommandTable[943] = [] { return style_step(true, false); };
  CommandTable[960] = [] { return pick_step(true); };
  CommandTable[961] = [] { return pick_step(false); };
  CommandTable[962] = pick_cmd<1>;
  CommandTable[963] = pick_cmd<0>;
  CommandTable[964] = pick_cmd<4>;
  CommandTable[965] = pick_cmd<2>;
  CommandTable[966] = pick_cmd<3>;
}

#include "input/inpkind.h"

#include <windows.h>

#include <cstring>

#include "display/view/view.h"
#include "settings/appstate.h"
#include "settings/params.h"
#include "settings/shellcalls.h"

InputRequest InpRequest;
// Record 5 word 3: the decimals of the number entry; record 6 word 1: its first selector.
uint32_t InpKinds[INP_KINDS][INP_KINDWORDS] = {{}, {}, {}, {}, {0, 0, 0, 2}, {0, 1}};
double InpPos[2][2];
uint32_t InpPosUnit;

void inp_init() {
  InpRequest = InputRequest{};
  std::memset(InpKinds, 0, sizeof InpKinds);
  InpKinds[4][3] = 2;
  InpKinds[5][1] = 1;
  std::memset(InpPos, 0, sizeof InpPos);
  InpPosUnit = 0;
}

int inp_set(uint32_t flags, int32_t target, int32_t kind) {
  if (AboxPenRule == 0 && target == 1 && (flags & 0x20) && (kind == 0 || kind == 1 || kind == 22)) {
    uint16_t attr = 0;
    uint16_t pens[12] = {};
    sys_linatr('r', &attr);
    sys_penlkind('r', pens);
    const int pen = attr & 0xF;
    const bool forced = pen >= 1 && pen <= 12 && pens[pen - 1] != 0;
    flags = forced ? flags & ~0x08u : flags | 0x08u;
  }
  InpRequest.flags = flags;
  InpRequest.target = target;
  InpRequest.kind = kind;
  ui_aboxrefresh();
  return 0;
}

int inp_req(int op, uint32_t *flags, int32_t *target, int32_t *kind) {
  if (op == 'R' || op == 'r') {
    if (flags)
      *flags = InpRequest.flags;
    if (target)
      *target = InpRequest.target;
    if (kind)
      *kind = InpRequest.kind;
  } else if ((op == 'W' || op == 'w') && flags && target && kind) {
    inp_set(*flags, *target, *kind);
  }
  return 0;
}

int inp_opt(int op, uint32_t *word) {
  if (!word)
    return 0;
  if (op == 'R' || op == 'r')
    *word = InpRequest.option;
  else if (op == 'W' || op == 'w')
    InpRequest.option = *word;
  return 0;
}

int inp_kind(int op, int kind, uint32_t *record) {
  if (kind < 1 || kind > INP_KINDS)
    return 9;
  if (!record)
    return 0;
  if (op == 'R' || op == 'r')
    std::memcpy(record, InpKinds[kind - 1], sizeof InpKinds[0]);
  else if (op == 'W' || op == 'w')
    std::memcpy(InpKinds[kind - 1], record, sizeof InpKinds[0]);
  return 0;
}

void inp_update(uint32_t) { ui_aboxrefresh(); }
void inp_updall() { inp_update(0xFFFF); }

int inp_curpos(int op, uint32_t which, double *x, double *y) {
  if (op == 'R' || op == 'r') {
    const int pair = which & 1 ? 0 : which & 2 ? 1 : -1;
    if (pair < 0)
      return 0;
    if (x)
      *x = InpPos[pair][0];
    if (y)
      *y = InpPos[pair][1];
  } else if (op == 'W' || op == 'w') {
    for (int pair = 0; pair < 2; pair++) {
      if (!(which & (1u << pair)))
        continue;
      if (x)
        InpPos[pair][0] = *x;
      if (y)
        InpPos[pair][1] = *y;
    }
    if (which & 2) {
      char text[40];
      inp_posfmt(InpPos[1][0], InpPos[1][1], text, sizeof text, &InpPosUnit);
      int colour = static_cast<int>(InpPosUnit);
      ui_mesgline('W', 1, &colour, text);
    }
  }
  return 0;
}

int inp_kindattr(int kind) {
  if (kind < 1 || kind == 5)
    return 0;
  if (kind != 6)
    return -1;
  const uint32_t *rec = InpKinds[5];
  CharAttrs attrs{};
  sys_chratr('r', &attrs);
  attrs.attr = static_cast<uint16_t>((attrs.attr & ~0x180u) | ((rec[1] & 3u) << 7));
  sys_chratr('w', &attrs);
  const int previous = dwg_cur();
  for (int d = 0; d < 2; d++) {
    dwg_setcur(d);
    sys_chratr('r', &attrs);
    attrs.attr = static_cast<uint16_t>((attrs.attr & ~0xE00u) | ((rec[2] & 7u) << 9));
    sys_chratr('w', &attrs);
  }
  dwg_setcur(previous);
  return 0;
}

// Shell services the engine calls before the shell's own windows exist.
#include "shell/abox.h"
#include "input/inpkind.h"
#include "settings/params.h"
#include "shell/appsvc.h"
#include "shell/scmenu.h"
#include "shell/msgwin.h"
#include "shell/viewwin.h"

// The drawing windows do not track right-button drags yet.
int vwin_rdrag(HWND) { return 0; }

namespace {
int cursor_kind = 0;
}
int vwin_curkind(int kind) {
  int previous = cursor_kind;
  if (kind >= 0 && kind <= 20)
    cursor_kind = kind;
  return previous;
}

uint32_t MesgSuppress = 0;

void scm_off() {} // the drawing windows have no shortcut menu yet

uint32_t AboxPenRule = 0;
void abox_refresh() {} // the attribute box does not exist yet

// ---- abox_curattr: the attribute-word rule, until the attribute box lands --------
namespace {
// Where the current input kind keeps its attribute word.
struct AttrSlot {
  int kind;
  uint16_t word;
};

AttrSlot read_slot() {
  int32_t kind = 0;
  inp_req('r', nullptr, &kind, nullptr);
  AttrSlot s{kind, 0};
  switch (kind) {
  case 1:
    sys_linatr('r', &s.word);
    break;
  case 2: {
    CharAttrs c{};
    sys_chratr('r', &c);
    s.word = c.attr & 0xF; // only a pen
    break;
  }
  case 3: {
    DimAttrs d{};
    sys_dimatr('r', &d);
    s.word = d.linattr;
    break;
  }
  case 4:
    sys_pntatr('r', &s.word);
    break;
  case 5: {
    AttrBlock5 b{};
    sys_atrblk5('r', &b);
    s.word = b.linattr;
    break;
  }
  case 6: {
    AttrBlock6 b{};
    sys_atrblk6('r', &b);
    s.word = b.linattr;
    break;
  }
  case 7: {
    AttrBlock7 b{};
    sys_atrblk7('r', &b);
    s.word = b.linattr;
    break;
  }
  case 8:
    sys_atrblk8('r', &s.word);
    break;
  case 10: {
    AttrBlock10 b{};
    sys_atrblk10('r', &b);
    s.word = b.w0;
    break;
  }
  default:
    break;
  }
  return s;
}

void write_slot(AttrSlot s) {
  switch (s.kind) {
  case 1: {
    sys_linatr('w', &s.word);
    uint16_t p = 0;
    sys_pntatr('r', &p);
    p = uint16_t((p & ~0xFu) | (s.word & 0xFu));
    sys_pntatr('w', &p);
    break;
  }
  case 2: {
    CharAttrs c{};
    sys_chratr('r', &c);
    c.attr = uint16_t((c.attr & ~0xFu) | (s.word & 0xFu));
    sys_chratr('w', &c);
    break;
  }
  case 3: {
    DimAttrs d{};
    sys_dimatr('r', &d);
    d.linattr = s.word;
    sys_dimatr('w', &d);
    break;
  }
  case 4: {
    sys_pntatr('w', &s.word);
    uint16_t l = 0;
    sys_linatr('r', &l);
    l = uint16_t((l & ~0xFu) | (s.word & 0xFu));
    sys_linatr('w', &l);
    break;
  }
  case 5: {
    AttrBlock5 b{};
    sys_atrblk5('r', &b);
    b.linattr = s.word;
    sys_atrblk5('w', &b);
    break;
  }
  case 6: {
    AttrBlock6 b{};
    sys_atrblk6('r', &b);
    b.linattr = s.word;
    sys_atrblk6('w', &b);
    break;
  }
  case 7: {
    AttrBlock7 b{};
    sys_atrblk7('r', &b);
    b.linattr = s.word;
    sys_atrblk7('w', &b);
    break;
  }
  case 8:
    sys_atrblk8('w', &s.word);
    break;
  case 10: {
    AttrBlock10 b{};
    sys_atrblk10('r', &b);
    b.w0 = s.word;
    sys_atrblk10('w', &b);
    break;
  }
  default:
    break;
  }
}

// The line kind bound to a pen, 0 when none.
int bound_kind(int pen) {
  uint16_t table[12] = {};
  sys_penlkind('r', table);
  return pen >= 1 && pen <= 12 ? table[pen - 1] & 0xF : 0;
}
} // namespace

int abox_curattr(int set, int32_t *pen, int32_t *ltype, int32_t *start, int32_t *end) {
  AttrSlot s = read_slot();
  const bool pen_only = s.kind == 2;
  const bool point = s.kind == 4;
  const uint32_t type_mask = point ? 0xFF0u : 0xF0u;
  if (set == 0) {
    uint16_t w = s.word;
    if (s.kind == 1 && bound_kind(w & 0xF))
      w = uint16_t((w & ~0xF0u) | uint16_t(bound_kind(w & 0xF) << 4));
    if (pen)
      *pen = w & 0xF;
    if (ltype)
      *ltype = pen_only ? 0 : int32_t((w & type_mask) >> 4);
    if (start)
      *start = pen_only || point ? 0 : (w >> 8) & 7;
    if (end)
      *end = pen_only || point ? 0 : (w >> 11) & 7;
    return 0;
  }
  if (set != 1)
    return 0;
  uint32_t w = s.word;
  if (pen)
    w = (w & ~0xFu) | (uint32_t(*pen) & 0xFu);
  if (ltype && !pen_only)
    w = (w & ~type_mask) | ((uint32_t(*ltype) << 4) & type_mask);
  if (start && !pen_only && !point)
    w = (w & ~0x700u) | ((uint32_t(*start) & 7u) << 8);
  if (end && !pen_only && !point)
    w = (w & ~0x3800u) | ((uint32_t(*end) & 7u) << 11);
  if (s.kind == 1 && bound_kind(int(w & 0xF)))
    w = (w & ~0xF0u) | uint32_t(bound_kind(int(w & 0xF)) << 4);
  s.word = uint16_t(w);
  write_slot(s);
  return 0;
}
// ---- end abox_curattr --------------------------------------------------------------

// ---- abox_settext: there is no attribute box yet, so no field to set ----------------
int abox_settext(int, const char *) { return 0; }
// ---- end abox_settext ---------------------------------------------------------------

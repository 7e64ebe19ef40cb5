#include "select/filter.h"

ElementFilter ElmFilter = {PNT | LIN | ARC | CHR, 0xFFFF, 0xFFFF, 0xFF};

namespace {
// A mask whose low 16 bits are all set asks for everything, the part-1 exclusion
// included in those bits, so that flag cannot be meant.
uint32_t all_low(uint32_t kind) { return (kind & 0xFFFF) == 0xFFFF ? kind & ~FLT_NOPART1 : kind; }
} // namespace

int pck_filter(uint32_t kind, uint32_t pen, uint32_t ltype, uint32_t subkind) {
  ElmFilter.kind = all_low(kind ? kind : FLT_ALLKINDS);
  ElmFilter.pen = (pen == 0 || (ElmFilter.kind & 32)) ? 0xFFFF : pen;
  ElmFilter.ltype = (ltype == 0 || (ElmFilter.kind & MSKBOX)) ? 0xFFFF : ltype;
  ElmFilter.subkind = subkind ? uint8_t(subkind) : 0xFF;
  return 0;
}

int sel_filter(uint32_t kind, uint32_t pen, uint32_t ltype, uint32_t subkind) {
  if (!kind && !pen && !ltype && !subkind) {
    ElmFilter = {FLT_ALLKINDS, 0xFFFF, 0xFFFF, 0xFF};
    return 0;
  }
  // Everything is checked before anything is stored.
  const bool groups_only = kind == NOD;
  ElementFilter f{};
  if (!kind)
    f.kind = FLT_ALLKINDS;
  else if (groups_only && !(subkind & 1))
    return -1;
  else
    f.kind = kind;
  if (pen)
    f.pen = pen;
  else if (groups_only && (subkind & 1))
    f.pen = 0xFFFF;
  else
    return -1;
  if (ltype)
    f.ltype = ltype;
  else if (!(kind & ~uint32_t(PNT | CHR | NOD)))
    f.ltype = 0xFFFF;
  else
    return -1;
  if (f.kind & NOD) {
    if (!subkind)
      return -1;
    f.subkind = uint8_t(subkind);
  } else {
    f.subkind = 0;
  }
  f.kind = all_low(f.kind);
  ElmFilter = f;
  return 0;
}

int sel_filtchk(const ElementRecord *rec) {
  if (!(rec->kind & ElmFilter.kind))
    return 1;
  uint32_t pen = 0, lt = 0;
  bool anylt = false;
  switch (rec->kind) {
  case PNT:
    pen = rec->pnt.attr & 15;
    anylt = true;
    break;
  case LIN:
    pen = rec->lin.attr & 15;
    lt = rec->lin.attr >> 4 & 15;
    break;
  case ARC:
    pen = rec->arc.attr & 15;
    lt = rec->arc.attr >> 4 & 15;
    break;
  case CHR:
    pen = rec->chr.attr & 15;
    anylt = true;
    break;
  case MSKBOX:
  case LIN | MSKBOX:
  case ARC | MSKBOX:
    return 0;
  default:
    return 1;
  }
  const uint32_t ltbit = anylt ? 0xFFFF : lt ? 1u << lt : 0;
  if (!(ltbit & ElmFilter.ltype))
    return 1;
  const uint32_t penbit = pen ? 1u << pen : 0;
  return penbit & ElmFilter.pen ? 0 : 1;
}

int sel_filtget(uint32_t *kind, uint32_t *pen, uint32_t *ltype, uint8_t *subkind) {
  if (kind)
    *kind = ElmFilter.kind;
  if (pen)
    *pen = ElmFilter.pen;
  if (ltype)
    *ltype = ElmFilter.ltype;
  if (subkind)
    *subkind = ElmFilter.subkind;
  return 0;
}

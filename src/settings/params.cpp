#include "settings/params.h"

#include <cstring>

#include "settings/laynames.h"
#include "settings/appstate.h"

uint32_t Palette[PALETTE_COUNT];
char RecentFiles[RECENT_COUNT][262];
uint32_t ElmMax[DWG_COUNT];
uint32_t WrkMax[DWG_COUNT];
int32_t FillMode;
uint32_t FillColour[8];

namespace {

struct DrawingBlocks {
  SheetRecord sheet;
  uint16_t pntatr;
  uint16_t linatr;
  CharAttrs chr;
  DimAttrs dim;
  uint16_t curlayer;
  uint16_t laystate[LAYER_COUNT];
  char laynames[LAYER_COUNT][LAYER_NAME_LEN];
  ScalePair scales[SCALE_COUNT];
  uint32_t state;
  uint32_t count; // count word of sys_dwgmax
  char name[262];
  MemBlockRecord mem;
  FillBlock paint;
};

DrawingBlocks dwgs[DWG_COUNT];
uint16_t envcnt[2];
uint16_t colmap[20];
SystemBlock sysblk;
int32_t rcog_aperture, rcog_dotsize; // stored as 32-bit words
int16_t rcog_third;
double dblprm;
uint32_t pickmode[2]; // pick mode, snap-off switch
double alngprm;
DisplayBlock dspblk;
TypefaceEntry typefaces[4];
uint16_t cursorblk[3];
char strtbl[5][22];
LinePitchSet ltype[3];
uint32_t ltsel[3];
double dspstep[3];
RaruInfo sealinf;
uint8_t sealhdr[256];
AttrBlock5 atr5;
AttrBlock6 atr6;
AttrBlock7 atr7;
uint16_t atr8;
AttrBlock10 atr10;
uint8_t chrsize[28];
uint32_t dragblk[6];
uint16_t penlkind[12];
uint8_t wrkblk[WRKBLK_SIZE];
uint8_t optblk[OPTBLK_SIZE];
uint8_t blk1632[1632];
uint8_t blk564[564];
uint8_t blk20[20];

const uint32_t builtin_fill[8] = {
    0xBEDCBE, 0xDCBEDC, 0xDCDCBE, 0xDCBEBE, // COLORREF 0x00bbggrr of (190,220,190) ...
    0x96C896, 0xC896C8, 0xC8C896, 0xC89696,
};

bool is_read(int op) { return op == 'R' || op == 'r'; }
bool is_write(int op) { return op == 'W' || op == 'w'; }
bool dwg_ok(int dwg) { return dwg == 0 || dwg == 1; }

// Whole-block copy in the direction the operation gives.
int copy(int op, void *block, void *buf, std::size_t n) {
  if (is_read(op))
    std::memcpy(buf, block, n);
  else if (is_write(op))
    std::memcpy(block, buf, n);
  else
    return 1;
  return 0;
}

template <class T> int copy(int op, T &block, T *buf) { return copy(op, &block, buf, sizeof block); }

uint16_t line_word(int pen, int kind, int start = 0, int end = 0) {
  return static_cast<uint16_t>(pen | kind << 4 | start << 8 | end << 11);
}

void dim_defaults(DimAttrs &d) {
  std::memset(&d, 0, sizeof d);
  d.f00 = 8.0f;
  d.f04 = 5.0f;
  d.txtattr = 3;
  d.linattr = line_word(3, 1, 1, 1);
  d.decimals = 3;
  d.zeromode = 1;
  const float f30[8] = {10.0f, 5.0f, 2.0f, 2.0f, 2.0f, 1.0f, 2.0f, 10.0f};
  std::memcpy(d.f30, f30, sizeof f30);
  d.u62 = 1;
  d.f64v = 10.0f;
  d.u68 = 2;
  d.f70 = 1.0f;
}

} // namespace

void prm_init() {
  for (int i = 0; i < DWG_COUNT; i++) {
    DrawingBlocks &d = dwgs[i];
    std::memset(&d.sheet, 0, sizeof d.sheet);
    d.pntatr = static_cast<uint16_t>(3 | 5 << 4);
    d.linatr = line_word(3, 1);
    d.chr = CharAttrs{5.0f, 4.0f, 0.0f, 0.0f, 0.0f, static_cast<uint16_t>(3 | 1 << 5 | 1 << 7)};
    dim_defaults(d.dim);
    d.curlayer = 0;
    for (auto &s : d.laystate)
      s = 2;
    d.laystate[0] = 3;
    lay_dflt(d.laynames);
    for (auto &p : d.scales)
      p = ScalePair{1, 1};
    d.state = 0;
    d.count = 0;
    d.name[0] = '\0';
    d.mem = MemBlockRecord{};
    d.mem.sx = d.mem.sy = 1.0;
    d.paint.mode = 5;
    std::memcpy(d.paint.colour, builtin_fill, sizeof builtin_fill);
    ElmMax[i] = 10000;
    WrkMax[i] = 256;
  }
  SheetRecord &s0 = dwgs[0].sheet;
  s0.width = 210.0;
  s0.height = 146.0;
  s0.originx = -210.0;
  s0.originy = -146.0;
  s0.num = 1;
  s0.den = 1;
  s0.scale = 1.0;

  envcnt[0] = envcnt[1] = 0;
  for (int i = 0; i < 20; i++)
    colmap[i] = static_cast<uint16_t>(i);
  sysblk = SystemBlock{};
  sysblk.undo = 1;
  sysblk.w5 = 1;
  sysblk.undosize = 10000;
  sysblk.w13 = 50;
  sysblk.w15 = 7;
  sysblk.w18 = 1;
  rcog_aperture = 10;
  rcog_dotsize = 5;
  rcog_third = 5; // MSRUNDER
  dblprm = 0.0;
  pickmode[0] = 1;
  pickmode[1] = 0;
  alngprm = 0.0;
  for (int i = 0; i < 20; i++)
    dspblk.pencol[i] = static_cast<uint32_t>(i);
  for (auto &w : dspblk.width)
    w = 1;
  for (int i = 0; i < 14; i++)
    dspblk.more[i] = i == 0 ? 3 : (i == 13 ? 5 : 1);
  std::memset(typefaces, 0, sizeof typefaces);
  std::strcpy(typefaces[0].name, "KIVO LANTﾌｫﾝﾄ");
  std::memset(cursorblk, 0, sizeof cursorblk);
  std::memset(strtbl, 0, sizeof strtbl);
  for (int set = 0; set < 3; set++) {
    sys_ltdflt(set, &ltype[set]);
    ltsel[set] = 0;
  }
  dspstep[0] = 0.1;
  dspstep[1] = 2.0;
  dspstep[2] = 2.0;
  sealinf = RaruInfo{};
  sealinf.areax = sealinf.areay = 25.0;
  sealinf.gridx = sealinf.gridy = 1.0;
  std::memset(sealhdr, 0, sizeof sealhdr);
  atr5 = AttrBlock5{{0, 0, 0, 0}, line_word(3, 3), 5.0, 0.2};
  atr6 = AttrBlock6{{1, 0, 3, 5}, 0.3, line_word(4, 1)};
  atr7 = AttrBlock7{{0, 0, 0, 0}, line_word(3, 3)};
  atr8 = line_word(3, 3);
  atr10 = AttrBlock10{3, 1, 1.0, 1.0};
  std::memset(chrsize, 0, sizeof chrsize);
  const uint32_t drag[6] = {5, 2, 0, 1, 1, 1};
  std::memcpy(dragblk, drag, sizeof drag);
  std::memset(penlkind, 0, sizeof penlkind);
  std::memset(wrkblk, 0, sizeof wrkblk);
  std::memset(optblk, 0, sizeof optblk);
  const uint32_t one = 1;
  std::memcpy(optblk, &one, 4);
  std::memcpy(optblk + 4, &one, 4);
  std::memset(blk1632, 0, sizeof blk1632);
  std::memset(blk564, 0, sizeof blk564);
  std::memset(blk20, 0, sizeof blk20);
  FillMode = 5;
  std::memcpy(FillColour, builtin_fill, sizeof builtin_fill);
}

namespace {
// The blocks hold their start values from program load on.
struct LoadInit {
  LoadInit() { prm_init(); }
} load_init;
} // namespace

int sys_dwgenv(int op, int dwg, DrawingEnvRecord *rec) {
  if (!dwg_ok(dwg) || !(is_read(op) || is_write(op)))
    return 1;
  DrawingBlocks &d = dwgs[dwg];
  if (is_read(op)) {
    rec->zero0 = 0;
    std::memset(rec->version, 0, sizeof rec->version);
    std::strcpy(rec->version, "MAR TOVEN SX V4.0");
    rec->v2048 = 2048;
    rec->zero28 = 0;
    rec->sheet = d.sheet;
    rec->count1 = envcnt[0];
    rec->count2 = envcnt[1];
    rec->pntatr = d.pntatr;
    rec->linatr = d.linatr;
    rec->chr = d.chr;
    rec->dim = d.dim;
    rec->curlayer = d.curlayer;
    std::memcpy(rec->laystate, d.laystate, sizeof d.laystate);
    std::memcpy(rec->scales, d.scales, sizeof d.scales);
    std::memcpy(rec->laynames, d.laynames, sizeof d.laynames);
    return 0;
  }
  d.sheet = rec->sheet;
  d.curlayer = rec->curlayer;
  std::memcpy(d.laystate, rec->laystate, sizeof d.laystate);
  std::memcpy(d.scales, rec->scales, sizeof d.scales);
  d.pntatr = rec->pntatr;
  d.linatr = rec->linatr;
  d.chr = rec->chr;
  d.dim = rec->dim;
  std::memcpy(d.laynames, rec->laynames, sizeof d.laynames);
  return 0;
}

int sys_sheet(int op, int dwg, SheetRecord *rec) { return dwg_ok(dwg) ? copy(op, dwgs[dwg].sheet, rec) : 1; }
int sys_pntatr(int op, uint16_t *word) { return copy(op, dwgs[dwg_cur()].pntatr, word); }
int sys_linatr(int op, uint16_t *word) { return copy(op, dwgs[dwg_cur()].linatr, word); }
int sys_chratr(int op, CharAttrs *rec) { return copy(op, dwgs[dwg_cur()].chr, rec); }
int sys_dimatr(int op, DimAttrs *rec) { return copy(op, dwgs[dwg_cur()].dim, rec); }

int sys_layer(int op, int dwg, uint16_t *curlayer, uint16_t *states) {
  if (!dwg_ok(dwg) || !(is_read(op) || is_write(op)))
    return 1;
  if (curlayer)
    copy(op, dwgs[dwg].curlayer, curlayer);
  if (states)
    copy(op, dwgs[dwg].laystate, states, sizeof dwgs[dwg].laystate);
  return 0;
}

int sys_colmap(int op, uint16_t *table) { return copy(op, colmap, table, sizeof colmap); }
int sys_sysprm(int op, SystemBlock *rec) { return copy(op, sysblk, rec); }

int sys_rcogprm(int op, int16_t *aperture, int16_t *dotsize, int16_t *third) {
  if (is_read(op)) {
    if (aperture)
      *aperture = static_cast<int16_t>(rcog_aperture);
    if (dotsize)
      *dotsize = static_cast<int16_t>(rcog_dotsize);
    if (third)
      *third = rcog_third;
  } else if (is_write(op)) {
    if (aperture)
      rcog_aperture = *aperture; // sign-extended
    if (dotsize)
      rcog_dotsize = *dotsize;
    if (third)
      rcog_third = *third;
  } else {
    return 1;
  }
  return 0;
}

int sys_dblprm(int op, double *value) { return copy(op, dblprm, value); }

int sys_envcnt(int op, uint16_t *count1, uint16_t *count2) {
  if (!(is_read(op) || is_write(op)))
    return 1;
  if (count1)
    copy(op, envcnt[0], count1);
  if (count2)
    copy(op, envcnt[1], count2);
  return 0;
}

int sys_pickmode(int op, uint32_t *mode, uint32_t *snapoff) {
  if (!(is_read(op) || is_write(op)))
    return 1;
  if (mode)
    copy(op, pickmode[0], mode);
  if (snapoff)
    copy(op, pickmode[1], snapoff);
  return 0;
}

int sys_dwgstat(int op, int dwg, uint32_t *word) { return dwg_ok(dwg) ? copy(op, dwgs[dwg].state, word) : 1; }

uint32_t dwg_state(int dwg) { return dwg_ok(dwg) ? dwgs[dwg].state : 0; }

void dwg_setstate(int dwg, uint32_t word) {
  if (dwg_ok(dwg))
    dwgs[dwg].state = word;
}

void dwg_touch(int dwg) {
  if (dwg_ok(dwg))
    dwgs[dwg].state |= DWG_MODIFIED;
}

int sys_scale(int dwg, int n, double *result) {
  if (!dwg_ok(dwg))
    return 1;
  if (n < 0 || n >= SCALE_COUNT)
    return 2;
  const ScalePair &p = dwgs[dwg].scales[n];
  const ScalePair &p0 = dwgs[dwg].scales[0];
  // Pairs come from settings and files: a zero divisor is refused.
  if (p.den == 0 || p0.num == 0 || p0.den == 0)
    return 2;
  *result = (static_cast<double>(p.num) / p.den) / (static_cast<double>(p0.num) / p0.den);
  return 0;
}

int sys_alngprm(int op, double *value) { return copy(op, alngprm, value); }
int sys_pencol(int op, uint32_t *table) { return copy(op, dspblk.pencol, table, sizeof dspblk.pencol); }
int sys_dspprm(int op, DisplayBlock *rec) { return copy(op, dspblk, rec); }
int sys_typeface(int op, TypefaceEntry *table) { return copy(op, typefaces, table, sizeof typefaces); }
int sys_cursor(int op, uint16_t *block) { return copy(op, cursorblk, block, sizeof cursorblk); }

int sys_dwgname(int op, int dwg, int flag, char *name) {
  if (!dwg_ok(dwg))
    return 1;
  char *own = dwgs[dwg].name;
  if (is_read(op)) {
    std::strcpy(name, flag == 1 && own[0] == '\0' ? "印影図" : own);
  } else if (is_write(op)) {
    std::strncpy(own, name, sizeof dwgs[dwg].name - 1);
    own[sizeof dwgs[dwg].name - 1] = '\0';
  } else {
    return 1;
  }
  return 0;
}

int sys_dwgmem(int op, int dwg, MemBlockRecord *rec) { return dwg_ok(dwg) ? copy(op, dwgs[dwg].mem, rec) : 1; }

MemBlockRecord &prm_dwgmem(int dwg) { return dwgs[dwg].mem; }

int sys_paint(int op, int dwg, FillBlock *rec) {
  if (!dwg_ok(dwg))
    return 1;
  if (is_write(op)) {
    dwgs[0].paint = dwgs[1].paint = *rec;
    FillMode = rec->mode;
    std::memcpy(FillColour, rec->colour, sizeof FillColour);
    return 0;
  }
  return copy(op, dwgs[dwg].paint, rec);
}

int sys_scltbl(int op, int dwg, int16_t *nums, int16_t *dens) {
  if (!dwg_ok(dwg))
    return 1;
  ScalePair *t = dwgs[dwg].scales;
  if (is_read(op)) {
    for (int i = 0; i < SCALE_COUNT; i++) {
      nums[i] = t[i].num;
      dens[i] = t[i].den;
    }
  } else if (is_write(op)) {
    for (int i = 1; i < SCALE_COUNT; i++) // pair 0 is the drawing's own scale
      t[i] = ScalePair{nums[i], dens[i]};
  } else {
    return 1;
  }
  return 0;
}

int sys_strtbl(int op, char *strings) { return copy(op, strtbl, strings, sizeof strtbl); }
int sys_ltype(int op, int set, LinePitchSet *rec) { return set >= 0 && set < 3 ? copy(op, ltype[set], rec) : 1; }
int sys_ltsel(int op, int set, uint32_t *word) { return set >= 0 && set < 3 ? copy(op, ltsel[set], word) : 1; }
int sys_dspstep(int op, double *steps) { return copy(op, dspstep, steps, sizeof dspstep); }
int sys_sealinf(int op, RaruInfo *rec) { return copy(op, sealinf, rec); }
int sys_sealhdr(int op, uint8_t *hdr) { return copy(op, sealhdr, hdr, sizeof sealhdr); }
int sys_atrblk5(int op, AttrBlock5 *rec) { return copy(op, atr5, rec); }
int sys_atrblk6(int op, AttrBlock6 *rec) { return copy(op, atr6, rec); }
int sys_atrblk7(int op, AttrBlock7 *rec) { return copy(op, atr7, rec); }
int sys_atrblk8(int op, uint16_t *word) { return copy(op, atr8, word); }
int sys_atrblk10(int op, AttrBlock10 *rec) { return copy(op, atr10, rec); }
int sys_chrsize(int op, uint8_t *block) { return copy(op, chrsize, block, sizeof chrsize); }
int sys_drag(int op, uint32_t *block) { return copy(op, dragblk, block, sizeof dragblk); }
int sys_penlkind(int op, uint16_t *table) { return copy(op, penlkind, table, sizeof penlkind); }
int sys_wrkblk(int op, uint8_t *block) { return copy(op, wrkblk, block, sizeof wrkblk); }
int sys_optblk(int op, uint8_t *block) { return copy(op, optblk, block, sizeof optblk); }
int sys_blk1632(int op, uint8_t *block) { return copy(op, blk1632, block, sizeof blk1632); }
int sys_blk564(int op, uint8_t *block) { return copy(op, blk564, block, sizeof blk564); }
int sys_blk20(int op, uint8_t *block) { return copy(op, blk20, block, sizeof blk20); }

uint32_t sys_optflag() {
  uint32_t v;
  std::memcpy(&v, optblk, 4);
  return v;
}

double sys_dragf64() { return static_cast<double>(dragblk[0]); }

uint32_t sys_dwgmax(int dwg) {
  if (dwg_ok(dwg))
    return dwgs[dwg].count;
  return dwgs[0].count > dwgs[1].count ? dwgs[0].count : dwgs[1].count;
}

int sys_ltdflt(int set, LinePitchSet *rec) {
  static const LinePitchSet display = {
      {{3.0, 7.0, 5.0, 2.0, 0.4}, {2.0, 1.0, 1.0, 0.5, 2.6}, {0.0, 1.0, 1.0, 0.0, 0.0}}};
  static const LinePitchSet printer = {
      {{4.0, 4.0, 4.0, 2.0, 1.0}, {2.0, 1.0, 1.0, 2.0, 3.0}, {0.0, 1.0, 1.0, 0.0, 0.0}}};
  if (set < 0 || set > 2)
    return 1;
  *rec = set == 1 ? printer : display;
  return 0;
}

uint32_t sys_paintcol(int i) { return i >= 0 && i < 8 ? builtin_fill[i] : 0; }
const uint32_t *sys_paintref() { return builtin_fill; }

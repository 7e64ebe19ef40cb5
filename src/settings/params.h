// Global parameter blocks of the engine and their accessors.
//
// Every block is reached through one accessor: the first argument is the
// operation ('R'/'r' copies the block out to the caller, 'W'/'w' copies the
// caller's data in), then the drawing or entry index where the block has one.
// 0 means done; 1 a bad operation or index, and then nothing is copied.
//
// Blocks that files carry (DrawingEnvRecord and what it holds) are packed
// little-endian layouts with fixed offsets; they hold no pointers or handles.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int DWG_COUNT = 2;
constexpr int LAYER_COUNT = 64;
constexpr int LAYER_NAME_LEN = 256;
constexpr int SCALE_COUNT = 64;
constexpr int PALETTE_COUNT = 20;
constexpr int RECENT_COUNT = 5;

#pragma pack(push, 1)

struct SheetRecord {
  double width; // sheet size in drawing units
  double height;
  double originx; // coordinate origin
  double originy;
  double refx; // sheet reference point
  double refy;
  int16_t num; // drawing scale ratio
  int16_t den;
  double scale; // num / den
  uint8_t rest[420];
};
static_assert(sizeof(SheetRecord) == 480);
static_assert(offsetof(SheetRecord, num) == 48 && offsetof(SheetRecord, scale) == 52);

struct CharAttrs {
  float height;
  float width;
  float spacing;
  float unused;
  float slant;
  uint16_t attr; // bits 0-3 pen, 5-6 vertical base, 7-8 horizontal base, 9-11 font
};
static_assert(sizeof(CharAttrs) == 22 && offsetof(CharAttrs, attr) == 20);

struct DimAttrs {
  float f00;
  float f04;
  uint32_t u08;
  uint32_t u12;
  float f16;
  uint16_t txtattr;
  uint16_t linattr;
  uint16_t u24;
  uint16_t decimals; // copied into input kind 5 at start-up
  uint16_t zeromode; // zero suppression of the number formatter
  float f30[8];
  uint16_t u62;
  float f64v;
  uint16_t u68;
  float f70;
  uint16_t u74;
  uint8_t r76[2];
  char text[3][22];
  uint8_t r144[20];
};
static_assert(sizeof(DimAttrs) == 164);
static_assert(offsetof(DimAttrs, txtattr) == 20 && offsetof(DimAttrs, decimals) == 26);
static_assert(offsetof(DimAttrs, f30) == 30 && offsetof(DimAttrs, f64v) == 64 && offsetof(DimAttrs, f70) == 70);
static_assert(offsetof(DimAttrs, u74) == 74 && offsetof(DimAttrs, text) == 78);

struct ScalePair {
  int16_t num;
  int16_t den;
};

struct DrawingEnvRecord {
  uint32_t zero0;
  char version[20]; // "MAR TOVEN SX V4.0"
  uint32_t v2048;
  uint32_t zero28;
  SheetRecord sheet;
  uint8_t r512[4];
  uint16_t count1;
  uint16_t count2;
  uint16_t pntatr;
  uint16_t linatr;
  CharAttrs chr;
  DimAttrs dim;
  uint8_t grid[92];    // copy of the drawing's grid record
  uint8_t outline[34]; // seal outline record
  uint8_t r836[60];
  uint16_t curlayer;
  uint8_t r898[14];
  uint16_t laystate[LAYER_COUNT];
  ScalePair scales[SCALE_COUNT];
  char laynames[LAYER_COUNT][LAYER_NAME_LEN];
};
static_assert(sizeof(DrawingEnvRecord) == 17680);
static_assert(offsetof(DrawingEnvRecord, sheet) == 32 && offsetof(DrawingEnvRecord, count1) == 516);
static_assert(offsetof(DrawingEnvRecord, pntatr) == 520 && offsetof(DrawingEnvRecord, chr) == 524);
static_assert(offsetof(DrawingEnvRecord, dim) == 546 && offsetof(DrawingEnvRecord, grid) == 710);
static_assert(offsetof(DrawingEnvRecord, outline) == 802 && offsetof(DrawingEnvRecord, curlayer) == 896);
static_assert(offsetof(DrawingEnvRecord, laystate) == 912 && offsetof(DrawingEnvRecord, scales) == 1040);
static_assert(offsetof(DrawingEnvRecord, laynames) == 1296);

struct SystemBlock {
  uint16_t w0;
  uint16_t w1;
  uint16_t w2; // 1: seal files use path entry 11
  uint16_t undo;
  uint16_t w4;
  uint16_t w5;
  uint16_t inch; // inch units
  uint32_t undosize;
  uint16_t w9;
  uint16_t w10;
  uint16_t w11;
  uint16_t w12;
  uint16_t w13;
  uint16_t w14;
  uint16_t w15;
  uint16_t w16;
  uint16_t w17;
  uint16_t w18;
  uint16_t exclusive;
  uint16_t w20;
};
static_assert(sizeof(SystemBlock) == 42 && offsetof(SystemBlock, undosize) == 14);
static_assert(offsetof(SystemBlock, exclusive) == 38);

struct DisplayBlock {
  uint32_t pencol[20]; // colour number by pen (pen n at n - 1)
  uint32_t width[12];  // DSPWIDTH0..11
  uint32_t more[14];
};
static_assert(sizeof(DisplayBlock) == 184);

struct TypefaceEntry {
  char name[32];
  uint8_t style; // bit 0 italic, bit 1 bold
  uint8_t r33[3];
};
static_assert(sizeof(TypefaceEntry) == 36);

struct RaruInfo {
  uint16_t backcolor; // 0 white background, else black
  uint16_t sealcolor; // 0 red seal, else monochrome
  double areax;
  double areay;
  double gridx;
  double gridy;
  char folder[262]; // seal folder
};
static_assert(sizeof(RaruInfo) == 298);

struct LinePitchSet {
  double v[3][5]; // rows dash, gap, dot; one column per dashed line kind 1..5
};
static_assert(sizeof(LinePitchSet) == 120);

struct FillBlock {
  int16_t mode;
  uint32_t colour[8];
};
static_assert(sizeof(FillBlock) == 34);

struct AttrBlock5 {
  uint32_t u[4];
  uint16_t linattr;
  double d0;
  double d1;
};
static_assert(sizeof(AttrBlock5) == 34);

struct AttrBlock6 {
  uint32_t u[4];
  double d0;
  uint16_t linattr;
};
static_assert(sizeof(AttrBlock6) == 26);

struct AttrBlock7 {
  uint32_t u[4];
  uint16_t linattr;
};
static_assert(sizeof(AttrBlock7) == 18);

struct AttrBlock10 {
  uint16_t w0;
  uint16_t w1;
  double d0;
  double d1;
};
static_assert(sizeof(AttrBlock10) == 20);

#pragma pack(pop)

// In memory only (holds handles); never stored.
struct MemBlockRecord {
  uint32_t u0;
  uint32_t u1;
  double d[4];
  double sx; // scale factors
  double sy;
  double d2;
  void *mem1; // global memory handles
  uint32_t u2;
  void *mem2;
};

constexpr std::size_t WRKBLK_SIZE = 120284;
constexpr std::size_t OPTBLK_SIZE = 1324;

// Blocks without accessors, filled by the settings file.
extern uint32_t Palette[PALETTE_COUNT];
extern char RecentFiles[RECENT_COUNT][262];
// Capacities of each drawing's database (element records, work records).
extern uint32_t ElmMax[DWG_COUNT];
extern uint32_t WrkMax[DWG_COUNT];
// Fill settings that the region fill uses; sys_paint writes them.
extern int32_t FillMode;
extern uint32_t FillColour[8];

// Gives every block its start values.
void prm_init();

int sys_dwgenv(int op, int dwg, DrawingEnvRecord *rec);
int sys_sheet(int op, int dwg, SheetRecord *rec);
int sys_pntatr(int op, uint16_t *word); // current drawing
int sys_linatr(int op, uint16_t *word); // current drawing
int sys_chratr(int op, CharAttrs *rec); // current drawing
int sys_dimatr(int op, DimAttrs *rec);  // current drawing
int sys_layer(int op, int dwg, uint16_t *curlayer, uint16_t *states /*[64], optional*/);
int sys_colmap(int op, uint16_t *table /*[20]*/);
int sys_sysprm(int op, SystemBlock *rec);
int sys_rcogprm(int op, int16_t *aperture, int16_t *dotsize, int16_t *third);
int sys_dblprm(int op, double *value);
int sys_envcnt(int op, uint16_t *count1, uint16_t *count2);
// The point-pick pair: the pick mode (0..4, POINTMODE, 1 after start-up) and the
// snap-off switch (1 no snapping, 0 after start-up); either may be null.
int sys_pickmode(int op, uint32_t *mode, uint32_t *snapoff);
int sys_dwgstat(int op, int dwg, uint32_t *word);
// The drawing's state word is its one modified state: bit 0 changed since it was
// opened or saved, bit 15 the close question answered. Everything that edits, saves,
// closes or greys a save item goes through these. 0 for a drawing out of range.
constexpr uint32_t DWG_MODIFIED = 0x0001, DWG_ASKED = 0x8000;
uint32_t dwg_state(int dwg);
void dwg_setstate(int dwg, uint32_t word);
// Marks the drawing changed (bit 0).
void dwg_touch(int dwg);
// Ratio of scale n to scale 0 of a drawing: 1 bad drawing, 2 bad scale number or
// a zero numerator or denominator (result untouched), else 0.
int sys_scale(int dwg, int n, double *result);
int sys_alngprm(int op, double *value);
int sys_pencol(int op, uint32_t *table /*[20]*/);
int sys_dspprm(int op, DisplayBlock *rec);
int sys_typeface(int op, TypefaceEntry *table /*[4]*/);
int sys_cursor(int op, uint16_t *block /*[3]*/);
// Read with flag 1 gives "印影図" for an empty name; a write keeps at most 261 characters.
int sys_dwgname(int op, int dwg, int flag, char *name /*[262]*/);
int sys_dwgmem(int op, int dwg, MemBlockRecord *rec);
int sys_paint(int op, int dwg, FillBlock *rec);
int sys_scltbl(int op, int dwg, int16_t *nums /*[64]*/, int16_t *dens /*[64]*/);
int sys_strtbl(int op, char *strings /*[5][22]*/);
int sys_ltype(int op, int set, LinePitchSet *rec);
int sys_ltsel(int op, int set, uint32_t *word);
int sys_dspstep(int op, double *steps /*[3]: move, zoom in, zoom out*/);
int sys_sealinf(int op, RaruInfo *rec);
int sys_sealhdr(int op, uint8_t *hdr /*[256]*/);
int sys_atrblk5(int op, AttrBlock5 *rec);
int sys_atrblk6(int op, AttrBlock6 *rec);
int sys_atrblk7(int op, AttrBlock7 *rec);
int sys_atrblk8(int op, uint16_t *word);
int sys_atrblk10(int op, AttrBlock10 *rec);
int sys_chrsize(int op, uint8_t *block /*[28]*/);
int sys_drag(int op, uint32_t *block /*[6]*/);
int sys_penlkind(int op, uint16_t *table /*[12]*/);
int sys_wrkblk(int op, uint8_t *block /*[WRKBLK_SIZE]*/);
int sys_optblk(int op, uint8_t *block /*[OPTBLK_SIZE]*/);
int sys_blk1632(int op, uint8_t *block);
int sys_blk564(int op, uint8_t *block);
int sys_blk20(int op, uint8_t *block);

// Outside the protocol.
void sys_dwgmemclr(int dwg); // frees the record's memory handles
uint32_t sys_optflag();
double sys_dragf64();
uint32_t sys_dwgmax(int dwg); // count word of a drawing, or the larger of both
int sys_ltdflt(int set, LinePitchSet *rec);
uint32_t sys_paintcol(int i); // built-in fill colours 0..7
const uint32_t *sys_paintref();

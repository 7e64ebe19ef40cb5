// The 80-byte element record: kept in the store, copied whole into the undo
// journal and into seal files, so every offset below is a stored format
// (little-endian, no padding).
#pragma once

#include <cstddef>
#include <cstdint>

// Element kinds (the kind word).
constexpr uint16_t PNT = 1;
constexpr uint16_t LIN = 2;
constexpr uint16_t ARC = 4;
constexpr uint16_t CHR = 8;
constexpr uint16_t MSKBOX = 16; // box of a masking text; also the "masked variant" bit
constexpr uint16_t ATR = 256;
constexpr uint16_t NOD = 4096;

// Flags word.
constexpr uint16_t ELM_CONT = 0x8000;   // continuation record of a string
constexpr uint16_t ELM_ERASED = 0x4000; // deleted, or too small to exist
constexpr uint16_t ELM_SKIP = ELM_CONT | ELM_ERASED;

constexpr int32_t ELM_NONE = -1; // link to nothing

// String pieces per record.
constexpr int CHR_PIECE0 = 14;
constexpr int ATR_PIECE0 = 44;
constexpr int CONT_PIECE = 46;
constexpr int ELM_STRMAX = 32767; // count and length words are i16

#pragma pack(push, 1)

struct PntBody {
  double x, y;
  uint16_t attr; // bits 0-3 pen, 4-11 point type
  uint8_t unused[42];
};

struct LinBody {
  double x1, y1, x2, y2;
  uint16_t attr; // bits 0-3 pen, 4-7 line kind, 8-10 start style, 11-13 end style
  uint8_t rest[26];
};

struct ArcBody {
  double cx, cy, r;
  double start, end; // degrees, counter-clockwise; full circle 0 .. 360
  uint16_t attr;
  uint8_t rest[18];
};

struct ChrBody {
  float x, y;
  float height, width, spacing, angle, slant;
  uint16_t attr; // bits 0-3 pen, 5-6 vertical, 7-8 horizontal alignment, 9-11 font
  int16_t count; // bytes of the string
  char text[CHR_PIECE0];
  int32_t cont; // first continuation record
  uint8_t rest[10];
};

struct AtrBody {
  int16_t len;
  char text[ATR_PIECE0];
  int32_t cont;
  uint8_t rest[10];
};

struct ContBody {
  char text[CONT_PIECE];
  int32_t next; // next continuation record
  uint8_t rest[10];
};

struct NodBody {
  int32_t child;    // first member
  int32_t attr;     // first attribute
  uint8_t data[52]; // "HIDELINE", or for subkind 1 a u16 class and its geometry
};

struct ElementRecord {
  uint16_t flags;
  uint8_t subkind; // of a NOD: kind of group; 0 for other kinds
  uint8_t encsub;  // subkind of the enclosing node; 0 at top level
  uint16_t kind;
  uint8_t depth; // 0 at top level
  uint8_t layer;
  uint16_t cells;   // area-cell mask
  uint16_t members; // of a NOD; byte 11 is the hide state of lines and arcs
  int32_t parent;
  int32_t next;
  union {
    uint8_t body[60];
    PntBody pnt;
    LinBody lin;
    ArcBody arc;
    ChrBody chr;
    AtrBody atr;
    ContBody cont;
    NodBody nod;
  };
};

#pragma pack(pop)

static_assert(sizeof(ElementRecord) == 80);
static_assert(offsetof(ElementRecord, kind) == 4 && offsetof(ElementRecord, depth) == 6);
static_assert(offsetof(ElementRecord, cells) == 8 && offsetof(ElementRecord, members) == 10);
static_assert(offsetof(ElementRecord, parent) == 12 && offsetof(ElementRecord, next) == 16);
static_assert(offsetof(ElementRecord, body) == 20);
static_assert(offsetof(ElementRecord, pnt.attr) == 36);
static_assert(offsetof(ElementRecord, lin.x2) == 36 && offsetof(ElementRecord, lin.attr) == 52);
static_assert(offsetof(ElementRecord, arc.start) == 44 && offsetof(ElementRecord, arc.attr) == 60);
static_assert(offsetof(ElementRecord, chr.height) == 28 && offsetof(ElementRecord, chr.attr) == 48);
static_assert(offsetof(ElementRecord, chr.count) == 50 && offsetof(ElementRecord, chr.text) == 52);
static_assert(offsetof(ElementRecord, chr.cont) == 66);
static_assert(offsetof(ElementRecord, atr.text) == 22 && offsetof(ElementRecord, atr.cont) == 66);
static_assert(offsetof(ElementRecord, cont.next) == 66);
static_assert(offsetof(ElementRecord, nod.child) == 20 && offsetof(ElementRecord, nod.attr) == 24);
static_assert(offsetof(ElementRecord, nod.data) == 28);

// A link field names a record only when it is 1 or more.
inline bool elm_islink(int32_t link) { return link >= 1; }

// Kinds that carry a string over continuation records.
inline bool elm_isstr(uint16_t kind) { return kind == CHR || kind == ATR; }

// Records an element of this kind needs for a string of len bytes.
inline int elm_nrec(uint16_t kind, int len) {
  int first = kind == CHR ? CHR_PIECE0 : kind == ATR ? ATR_PIECE0 : -1;
  if (first < 0 || len <= first)
    return 1;
  return 1 + (len - first + CONT_PIECE - 1) / CONT_PIECE;
}

// The string length a stored first record declares (negative counts as 0).
inline int elm_strlen(const ElementRecord &r) {
  int n = r.kind == CHR ? r.chr.count : r.kind == ATR ? r.atr.len : 0;
  return n < 0 ? 0 : n;
}

// First continuation link of a CHR or ATR.
inline int32_t elm_cont(const ElementRecord &r) { return r.kind == CHR ? r.chr.cont : r.atr.cont; }
inline void elm_setcont(ElementRecord &r, int32_t link) {
  if (r.kind == CHR)
    r.chr.cont = link;
  else
    r.atr.cont = link;
}

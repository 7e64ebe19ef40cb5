// Seal files (*.KSL): a 256-byte header, then the drawing's 80-byte element records
// byte for byte, then an optional OLE block. The host plug-in reads and rewrites the
// same files, so every offset here is binding for both sides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "database/record.h"

constexpr int SLF_HEADSIZE = 256;
constexpr int SLF_RECSIZE = 80;
constexpr int32_t SLF_MAXELM = 10000; // readers refuse more records
constexpr char SLF_MAGIC[] = "KIVO LANT RARU";
constexpr int SLF_MAGICLEN = 14; // compared without the NUL

// Field offsets of the stored header.
enum : int {
  SLF_OFF_MAGIC = 4,
  SLF_OFF_VERSION = 24,
  SLF_OFF_PERMIT = 32,
  SLF_OFF_AUX = 34,
  SLF_OFF_GROUP = 36,
  SLF_OFF_NAME = 56,
  SLF_OFF_PASSWORD = 80,
  SLF_OFF_OWNER = 100,
  SLF_OFF_COUNT = 128,
  SLF_OFF_OUTLINE = 132,
  SLF_OFF_ORIGINX = 136,
  SLF_OFF_ORIGINY = 144,
  SLF_OFF_WIDTH = 152,
  SLF_OFF_HEIGHT = 160,
  SLF_OFF_SHEETW = 168,
  SLF_OFF_SHEETH = 176,
  SLF_OFF_RESERVED = 184,
};
constexpr int SLF_NAMEMAX = 20; // characters of a seal name

// The header as values. The reserved and copied areas are kept as bytes, so a header
// read and written back is the same 256 bytes.
struct RaruFileHeader {
  uint8_t reserved0[4];
  char magic[20];
  int16_t version;
  uint8_t reserved26[6];
  int16_t permitLevel; // > 0: protected, the editor neither opens nor overwrites it
  int16_t auxLevel;
  uint8_t groupCode[20];
  char raruName[24];
  uint8_t ownerPassword[20];
  char ownerName[24];
  uint8_t reserved124[4];
  int32_t elementCount;
  uint16_t outlineKind; // 0 none, 1 box, 2 circle
  uint8_t reserved134[2];
  double originX, originY;
  double width, height; // a circle's radius in both
  double sheetWidth, sheetHeight;
  uint8_t reserved184[72];
};

// Little-endian fields at byte offsets.
template <typename T> inline T slf_get(const uint8_t *p, std::size_t off) {
  T v;
  std::memcpy(&v, p + off, sizeof v);
  return v;
}
template <typename T> inline void slf_put(uint8_t *p, std::size_t off, T v) { std::memcpy(p + off, &v, sizeof v); }

void slf_hdrget(const uint8_t *bytes /*[256]*/, RaruFileHeader *h);
void slf_hdrput(const RaruFileHeader &h, uint8_t *bytes /*[256]*/);

// Magic and protection of a header as read: 0 valid; 2 bad magic (out untouched);
// 3 protected (out filled). out may equal hdr.
int slf_chkhead(const uint8_t *hdr /*[256]*/, uint8_t *out /*[256]*/);

// Everything a reader checks before it changes anything: 1 valid; -2 not a seal file
// (version, magic, an element count below 0 or above SLF_MAXELM); -3 protected.
// *count gets the element count when not null.
int slf_hdrcheck(const uint8_t *hdr /*[256]*/, int32_t *count);

// Sheet size a header gives a drawing: a width or height that is not a positive
// finite number falls back to the seal-area length.
void slf_sheetsize(const RaruFileHeader &h, double areax, double areay, double *w, double *h_);

// Link fields of a stored record: parent, next, and by kind the first child and
// first attribute (NOD), the continuation link (CHR, ATR, continuation records).
// Gives how many byte offsets it wrote into offs (at most 4).
int slf_links(const ElementRecord *rec, int offs[4]);
inline int32_t slf_link(const ElementRecord *rec, int off) {
  return slf_get<int32_t>(reinterpret_cast<const uint8_t *>(rec), std::size_t(off));
}
inline void slf_setlink(ElementRecord *rec, int off, int32_t v) {
  slf_put<int32_t>(reinterpret_cast<uint8_t *>(rec), std::size_t(off), v);
}

// Moves a record by (dx, dy) (when either exceeds 1e-10) and adds base to its links
// (when base is not 0). A link below 1 means none and stays as it is. A link that
// would pass INT32_MAX becomes INT32_MAX, outside every file, so the load's range
// check refuses it. 0; 1 null record; 2 a link was out of range.
int slf_reloc(ElementRecord *rec, int32_t base, double dx, double dy);

// Repairs attribute words of live records first .. count1: pens, line kinds, end
// styles, font kinds a drawing cannot use. 0.
int slf_fixattr(int db, int32_t first);
// The same repair on one record.
void slf_fixrec(ElementRecord *rec);

struct DrawingEnvRecord;
// Repairs a drawing environment read from a file: the attribute words as above, the
// dimension line word and its neighbours, the dimension texts emptied. 0.
int slf_fixenv(DrawingEnvRecord *env);

// Dialog field tables: for each edit control of a dialog where its value lives, of
// which type, with which format and range. The same table shows and reads the fields.
#pragma once

#include <cstddef>
#include <cstdint>

// Value types of a row.
enum : uint32_t {
  DLG_I32 = 0x800,
  DLG_I8 = 0x900,
  DLG_I16 = 0xA00,
  DLG_U32 = 0xB00,
  DLG_I32TRUNC = 0xC00, // a 32-bit integer cut towards zero
  DLG_F64 = 0x1000,
  DLG_F32 = 0x1100,
  DLG_TEXT = 0x2000, // a text of at most DLG_TEXTMAX bytes with its NUL
};
constexpr std::size_t DLG_TEXTMAX = 128;

// One row; id 0 with type 0 is an empty row. In memory only (holds a pointer).
struct DlgField {
  uint32_t id;
  uint32_t type;
  char format[16]; // printf form
  double minimum;
  double maximum;
  void *value;
};

// Stores text in the row of id: 0 stored; -1 out of range, or so small the format
// would show it as zero; -2 not a valid expression; -3 no row with that id.
int dlg_fldread(uint32_t id, const char *text, const DlgField *table, int rows);
// The value of a row as the row's format shows it (a text as it is). false for an
// unknown type or a row without value.
bool dlg_fldtext(const DlgField &row, char *out, std::size_t size);
// The row of id, or null.
const DlgField *dlg_fldfind(uint32_t id, const DlgField *table, int rows);

// The text-size record the text-size dialog edits (the caller's, 30 bytes).
#pragma pack(push, 1)
struct TextSizeRecord {
  uint32_t kind;
  float unused;
  float height;
  float width;
  float spacing;
  uint8_t rest[10];
};
#pragma pack(pop)
static_assert(sizeof(TextSizeRecord) == 30);

// The three rows of the text-size dialog over rec (height, width, spacing).
constexpr int DLG_TXTROWS = 3;
void dlg_txttable(TextSizeRecord *rec, DlgField table[DLG_TXTROWS]);

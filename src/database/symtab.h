// Symbol shape tables: the user-defined end marks (end style 3) as small figures of
// lines and circles on a 0..100 grid centred at 50, one for start ends and one for
// end ends, and the iterator that places a table's shapes at an end of an element,
// sized by the current view's end marks (database/drawcalls.h).
#pragma once

#include <cstdint>

constexpr int SYM_RECORDS = 10;

struct SymShape {
  int16_t v[4]; // line: x1, y1, x2, y2; circle: -1, cx, cy, r (grid units)
};
struct SymShapeTable {
  uint16_t count;
  SymShape rec[SYM_RECORDS];
};
static_assert(sizeof(SymShapeTable) == 82);

// Table 0 (start ends) and table 1 (end ends), one block; null while not loaded.
extern SymShapeTable *SymTables[2];

struct SymIter {
  int32_t op;    // 0 start, 1 next
  int32_t table; // 0 start-end table, 1 end-end table
  double x, y;   // base point
  double sn, cs; // direction sine and cosine
  int32_t kind;  // out: 0 line, 1 circle
  double v[4];   // out: line x1, y1, x2, y2; circle centre x, centre y, radius
};

// 0; 1 the block cannot be allocated; 2 a file cannot be opened (reading stops there).
int sym_load(const char *startfile, const char *endfile);
int sym_free(); // 0
// 1 when a shape was produced (op 1) or the table has shapes (op 0), else 0.
int sym_next(SymIter *it);
// Reads the records of a symbol file's text into t (count first set to 0).
void sym_parse(const char *text, SymShapeTable *t);

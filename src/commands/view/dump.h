// The lines of the data dump (command 1098): the list of a drawing's records and the
// field-by-field dump of one record, formatted from the labels of RERUVEVA.MSG.
#pragma once

#include <cstdint>
#include <functional>

#include "database/record.h"

constexpr int DMP_LINES = 18;     // lines of the element dump; line 4 is the body caption
constexpr int DMP_LINESIZE = 80;  // bytes of one line with its NUL
constexpr int DMP_LISTMAX = 1000; // lines of one list fill
constexpr uint32_t DMP_ALLKINDS = 63;

// Kind mask bits of the list: PNT, LIN (and 18), ARC (and 20), CHR, ATR, NOD.
enum : uint32_t { DMP_PNT = 1, DMP_LIN = 2, DMP_ARC = 4, DMP_CHR = 8, DMP_ATR = 16, DMP_NOD = 32 };

struct DumpLines {
  char text[DMP_LINES][DMP_LINESIZE];
};

// Links of the shown record the element dialog's buttons follow (0: none).
struct DumpLinks {
  int32_t parent, child, next;
};

// Formats dump label n with its registered values into dst (80 bytes); a conversion the
// register does not back is shown as text.
void dmp_label(char *dst, int n, ...);

// The list line of record n: 1 when listed, 0 when the kind mask hides it.
int dmp_listline(int32_t n, const ElementRecord &r, uint32_t mask, char *dst);
// Lines of drawing db from element start up to count1, at most DMP_LISTMAX, handed to
// add in order; the number of lines.
int dmp_listlines(int db, int32_t start, uint32_t mask, const std::function<void(const char *)> &add);

// The element dump of r: 1 written; 0 for a record of a kind the dump does not show
// (every line cleared and line 0 says so). links gets the record's links; the child
// only for a group node.
int dmp_elemlines(const ElementRecord &r, DumpLines &out, DumpLinks &links);

// A typed element number: the expression's value must lie in 1..10000 and 1..count1
// (checked before truncation). 1 with *value set when accepted.
int dmp_number(const char *text, uint32_t count1, int32_t *value);

// Group levels: nodes opened as the current group of a database, so that added
// elements become their members (or attributes).
#pragma once

#include <cstdint>

#include "database/record.h"

constexpr int GRP_LEVELS = 10;
constexpr uint32_t GRP_NOCHILD = 1; // the open node has no member yet
constexpr uint32_t GRP_NOATTR = 2;  // nor an attribute

struct GroupSlot {
  uint32_t depth;   // depth members of this level get (node depth + 1)
  uint32_t subkind; // the open node's subkind
  int32_t node;     // -1 in slot 0
  int32_t mtail;    // last member, -1 while none is known
  int32_t atail;    // last attribute, -1 while none is known
  uint32_t pending; // GRP_NOCHILD, GRP_NOATTR
};

struct GroupStack {
  uint32_t level; // 0 .. 10; 0 = no group open
  GroupSlot slot[GRP_LEVELS + 1];
};

extern GroupStack GrpStack[2];

int grp_reset(int db); // 0; 1 bad database
// Opens a node as the innermost level. 0; 1 bad database; 9 no record; 3 not a
// live NOD; 2 ten levels open or the node's depth is 10 or more; 6 the node is
// open already; 4 / 5 the member / attribute chain cannot be followed (the level
// is not opened).
int grp_open(int db, int32_t node);
int grp_close(int db); // 0; 2 no level open; 1 bad database
// Last element of the chain from first along the next links; -9 when a record on
// the way does not exist, -8 when the chain is longer than the database (a cycle).
int32_t grp_tail(int db, int32_t first);

// The top node of the text a record belongs to: climbs the parent links and stops
// at the first node of subkind 8 whose enclosing subkind is not 8. node gets the
// last node reached, 0 when the record has no parent. 0; 1 when the climb met a
// missing record or went deeper than the group-level limit.
int elm_txtroot(int db, const ElementRecord *rec, int32_t *node);

// Undo and redo journal of database 0.
#pragma once

#include <cstdint>

#include "database/record.h"

// Journal operations.
constexpr int UND_STEP = 9;
constexpr int UND_ADD = 10;
constexpr int UND_ADDCONT = 11;
constexpr int UND_CHANGE = 20;
constexpr int UND_LINK = 21;
constexpr int UND_DELETE = 30;

// Journals one record; always marks the drawing modified first. 0 written;
// 1 when the journal is not enabled, not recording or not open (no journal is
// opened yet, so nothing is journalled); 2 ring full; 9 seek or write failure.
int und_writ(int db, int op, int32_t elm, int piece, const ElementRecord *image);

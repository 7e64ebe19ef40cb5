// Reading drawing files of the older 64-byte element layout into a drawing's store:
// the records, converted to the 80-byte layout, go behind the records of area 1 as
// the seal reader puts its own, renumbered and displaced, as one undo step.
#pragma once

#include <cstdint>

#include "files/rec64.h"
#include "files/sealread.h"

// Reads up to *remaining records of an open file into database dbfmt & 0xF; format
// (dbfmt >> 8) & 0xFF: 20 and 21 keep a 4-byte word 64 bytes before the first record,
// 21 stores its records in compressed blocks. The records start after the file's
// header (sys_envcnt's counters); embed 1 reads a drawing held inside another file
// through rec (its mode word and byte budget, which shrinks by each read). Moved by
// (dx, dy) when either is at least 1e-6; links renumbered by the records already
// present (embed 1 with rec->mode not 1: by the base of the read before).
// 0 done (a short file ends it), *remaining counted down. 1 failure, with the store,
// *remaining and the budget as they were, and a message: 30016 the start or a block
// cannot be read, 30045 the store is full while the file holds more, 30150 a link
// names no record of the read; 1 without a message for a database above 1.
int slf_rd64(int dbfmt, const SlfSource &src, double dx, double dy, int embed, Rd64Embed *rec, int32_t *remaining);

// The renumbering base of the last slf_rd64 into each database.
extern int32_t Rd64Base[2];

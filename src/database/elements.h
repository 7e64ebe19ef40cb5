// Adding, reading, replacing and deleting elements of a database.
#pragma once

#include <cstddef>
#include <cstdint>

#include "database/record.h"

// Mode word of add and replace.
constexpr int ELM_AREA2 = 1; // bit 0 set: area 2 (bit 1 clear) or 3, no journalling
constexpr int ELM_AREA3 = 3;
constexpr int ELM_NOCELL = 4;     // do not compute the cell mask
constexpr int ELM_ZEROERASE = 16; // add: a zero-sweep arc is erased, not made a full circle
// Colour argument: -1 own colours, 0 .. 19 palette colour, ELM_NODRAW nothing drawn.
constexpr int ELM_NODRAW = 99;

constexpr double ELM_TINY = 1e-6;

// Adds an element from a prototype; str only for CHR and ATR (its length becomes
// the stored count). The new element number, or 0 no room in the area (warned),
// -1 bad kind or a string longer than 32767 bytes, -2 ATR with no group open,
// -3 a record cannot be reached (nothing written), -9 bad database, or a result
// of 0 or below of the end-mark step.
int elm_add(int db, int mode, int colour, const ElementRecord *proto, const char *str);

// Copies record n and, for a CHR or ATR, gathers its string into str (size bytes,
// always terminated; str may be null). 0; 1 no record or a broken chain; 2 n is a
// continuation record (copied all the same); 3 the string was cut to size - 1
// bytes; 9 bad database.
int elm_read(int db, int32_t n, ElementRecord *rec, char *str, std::size_t size);

// Replaces element n by a prototype of the same kind. 0; 1 kinds differ; 2 n at
// or beyond the end of the mode's area, or no such element; 3 bad database; 4 no
// room for more continuation records (checked before anything changes) or the
// end-mark step gave 0; 5 the stored string chain is broken (nothing changed);
// a negative result of the end-mark step.
int elm_update(int db, int32_t n, int mode, int colour, const ElementRecord *proto, const char *str);

// Flags element n erased (a NOD with all its members and attributes). 0; 1 bad
// database; 2 n lies in none of the areas; 9 no record; for a node whose chains
// cannot be followed 15 | member code << 4 | attribute code << 8 (1 a link outside
// the areas, a cycle or too deep a nesting, 9 a missing record).
int elm_delete(int db, int32_t n, int colour);

int elm_valid(int db, int32_t n); // 0 when n lies in a used area, else 1

// One string piece: kind 0 the first of a CHR (14 bytes), 1 a continuation (46),
// 2 the first of an ATR (44). Moves the position and the remaining length on;
// writing zero-pads the piece. Gives the bytes copied.
int elm_rdpiece(int kind, const ElementRecord *rec, char **dst, int *remain);
int elm_wrpiece(int kind, ElementRecord *rec, const char **src, int *remain);

// Recomputes the cell mask of every record of the areas. 0; 9 a missing record;
// 1 a broken string chain or a bad database.
int dtb_recell(int db);

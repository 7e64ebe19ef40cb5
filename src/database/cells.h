// Area cells and end marks of elements as they are stored.
#pragma once

#include <cstdint>

#include "database/record.h"

constexpr uint16_t CELL_ALL = 0xFFFF;

// Sets the record's area-cell mask by kind; 0. Until the sheet geometry is
// computed here an element is taken to touch every cell, so a pick never skips it.
int elm_cell(int db, ElementRecord *rec, const char *str);

// Adds the end marks of a LIN or ARC whose attribute word has style 3 at an end.
// 1 when done, or the first result of 0 or below of an add. Ends without an
// end-mark symbol get no marks; no symbol table exists yet, so none are added.
int elm_marks(int db, int mode, int colour, const ElementRecord *rec);

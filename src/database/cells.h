// Area cells and end marks of elements as they are stored.
//
// The sheet of a drawing (its width and height from the sheet record, origin at
// (0, 0)) is cut into 4 x 4 cells; cell (ix, iy) has bit ix + 4 iy of the 16-bit
// mask. A sheet of no size gives every element mask 0.
#pragma once

#include <cstdint>

#include "database/record.h"
#include "geometry/geo.h"
#include "geometry/text.h"

constexpr uint16_t CELL_ALL = 0xFFFF;

// Sets the record's area-cell mask by kind (str: the text of a CHR); 0.
int elm_cell(int db, ElementRecord *rec, const char *str);

uint16_t cel_pnt(int db, double x, double y);
uint16_t cel_seg(int db, double x1, double y1, double x2, double y2);
uint16_t cel_arc(int db, double cx, double cy, double r, double start, double end);
uint16_t cel_chr(int db, double x, double y, uint16_t attr, double height, double width, double spacing, double angle,
                 const char *str);
uint16_t cel_rect(int db, double x1, double y1, double x2, double y2);

// 1 when the radius is not positive; else 0 with result 0 on the circle (within
// 1e-6), -1 inside, 1 outside.
int geo_ptcirc(const GeoPoint *centre, double radius, const GeoPoint *point, int32_t *result);

// Adds the end marks of a LIN or ARC whose attribute word has style 3 at an end,
// from the end-mark symbols. 1 when done (also for other kinds), or the first
// result of 0 or below of an add.
int elm_marks(int db, int mode, int colour, const ElementRecord *rec);

// The text laid out in its Windows typeface on the current view's window; 1 when
// laid out, 0 when there is no such layout (then the stroke layout stands).
int cel_wlayout(uint16_t attr, double height, double width, double spacing, const char *str, ChrLayout *lay);

// Sheet arithmetic of the sheet commands: the per-drawing stack of sheet changes,
// the sheet that fits a box of elements, the change factor of the text sizes, the
// shift of an element record, and the extents of a drawing's elements.
#pragma once

#include <cstdint>

#include "database/record.h"
#include "geometry/geo.h"

// One sheet change: the shift applied to all elements and the sheet size after it.
struct SheetChange {
  double dx, dy, width, height;
};
// Per drawing: count 0..5 of changes that can be taken back, the top of a ring of six
// entries; the entry count places below the top is the sheet before the first change.
struct SheetStack {
  int32_t count;
  int32_t top;
  SheetChange e[6];
};
extern SheetStack SheetStacks[2];

// Empties the stack with the base entry (0, 0, width, height).
void shs_reset(SheetStack &s, double width, double height);
// Records a change: count up to 5, the top advances round the ring.
void shs_push(SheetStack &s, const SheetChange &c);
// The take-back of the top change without popping it: the shift that undoes it and
// the size before it. 1 when the stack holds no change.
int shs_peek(const SheetStack &s, SheetChange *back);
// Pops the top change (the entry cleared). 1 when the stack holds no change.
int shs_pop(SheetStack &s, SheetChange *back);
// Empties the sheet-change stack of drawing 0 or 1 (count 0).
void vew_prvclr(int dwg);

// The sheet of a fit: the box widened to the sheet's aspect (height / width), then
// made 1/0.8 times as large (99999991 wide at 80000001 and more); the shift moves the
// box centre to the new sheet's centre. 0, or 1 (nothing) for a widened width under
// 1 or above 99999991, or a sheet of no width.
int sht_fitbox(const GeoPoint &min, const GeoPoint &max, double sheetw, double sheeth, SheetChange *out);
// Factor the text sizes are divided by when the ratio num0/den0 becomes num/den;
// 1 when a part is below 1.
double sht_factor(int num0, int den0, int num, int den);
// Moves one element record by (dx, dy): the point, line ends, arc centre, text
// position, a mask box's corner, the points of a dimension node (subkind 1). Other
// records stay. 1 moved.
int sht_shiftrec(ElementRecord *r, double dx, double dy);

// The record lookup the shift and the extents use; tests put one that misses in place.
using ShtRecordFn = ElementRecord *(*)(int db, int32_t n);
extern ShtRecordFn ShtRecord;
// 0 when every record of area 1 can be reached, else 1.
int sht_check(int db);
// Moves every live element of area 1 (checked first: 1 and nothing moved when a
// record is missing). 0.
int sht_shiftall(int db, double dx, double dy);

// Grows the box (min and max points) by (x, y). 0.
int box_addpt(double x, double y, double *min /*[2]*/, double *max /*[2]*/);
// The bounding box of the live elements of area 1: points, line ends, arcs (ends and
// the quadrant points in their sweep) and the rotated character boxes of texts.
// 0, or 1 when there is no element (min and max then at +-99999999 reversed).
int dwg_extents(int db, GeoPoint *min, GeoPoint *max);

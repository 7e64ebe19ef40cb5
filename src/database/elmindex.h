// Element numbers by where the elements lie, so that a pick or a window visits
// the elements near it instead of the whole drawing.
//
// The index is derived from the records and rebuilt when the store has handed
// out a writable record since (DbGen), so it never answers from stale records.
// It only narrows: the caller still tests every element it is given exactly as
// a walk of every record would, and in the same (ascending) order.
#pragma once

#include <cstdint>
#include <vector>

// What the caller goes on to test.
constexpr int EIX_PICK = 0;   // distance to the elements (groups are found through their members)
constexpr int EIX_WINDOW = 1; // inside a window: group nodes and members are always handed over

// Appends to out, ascending and without repeats, every element number of the
// drawing's three areas that may lie within the box (x0, y0) - (x1, y1), or
// that the box cannot rule out: elements whose extent is unknown here come
// when their area-cell mask is 0 or shares a bit with cells. False (out left
// alone) when the caller is to walk every record itself this time: right after
// the drawing changed, until such walks have cost about what a rebuild does.
bool eix_near(int db, int use, double x0, double y0, double x1, double y1, uint16_t cells,
              std::vector<int32_t> *out);

// What the element store asks of the display above it: redrawing an element that an
// edit or an undo step changed, and the size of end marks in the current view. The
// display fills the table when the program loads, each slot beside what it calls
// (display/elements/elmdisp.cpp, display/view/view.cpp); each call below does nothing, or answers 0,
// while its slot is empty.
#pragma once

#include <cstdint>

// Bit 31 of an element number handed to db_redraw, passed on as the display has it.
constexpr uint32_t DB_ONE = 0x80000000u;

struct DrawCalls {
  // Draws element first (and, for a group node, its members) in colour (-1 each
  // element's pen colour) into every open view of the current drawing.
  void (*redraw)(int32_t colour, uint32_t first);
  // The current view's end-mark arrow length and circle radius, in drawing units.
  void (*marksizes)(double *arrowlen, double *circler);
};
extern DrawCalls DbDraw;

inline void db_redraw(int32_t colour, uint32_t first) {
  if (DbDraw.redraw)
    DbDraw.redraw(colour, first);
}
inline void db_marksizes(double *arrowlen, double *circler) {
  *arrowlen = *circler = 0;
  if (DbDraw.marksizes)
    DbDraw.marksizes(arrowlen, circler);
}

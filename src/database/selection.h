// The selection list record: element numbers of one drawing chosen for the next
// operation. The selection layer fills it (select/sellist.h); the element display, the
// hidden-line masks and the undo journal read it.
#pragma once

#include <cstdint>

struct SelectionListRec {
  uint32_t *entries; // capacity + 1 words: room for the end mark behind a full list
  int32_t capacity;
  int32_t count;   // slots in use, holes included
  int32_t drawing; // whose numbers it holds; -1 none
};

// Bit 31 of an entry flags an element only partly inside the selection window.
constexpr uint32_t SEL_PARTIAL = 0x80000000u;
constexpr uint32_t SEL_HOLE = 0xFFFFFFFFu; // struck entry, reused by sel_toggle
constexpr uint32_t SEL_END = 0xFFFFFFFEu;  // end mark behind the last entry
constexpr int32_t SEL_MAXCAP = 10000;
constexpr int32_t SEL_STATICCAP = 100;

// Starts as the empty static list (capacity 100, count 0, slot 0 the end mark -2).
extern SelectionListRec SelectionList;

// Back to the empty static list; the drawing is kept.
void sel_static();

// The element an entry names: a number with its partial flag cleared, or a negated
// group node kept as it is.
inline uint32_t sel_key(uint32_t e) {
  const int32_t s = int32_t(e);
  return s < -1 && s > -0x40000000 ? e : e & ~SEL_PARTIAL;
}

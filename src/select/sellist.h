// The selection list: element numbers chosen for the next operation.
#pragma once

#include <cstdint>

struct SelectionListRec {
  uint32_t *entries; // capacity + 1 words, or the static block of 100
  int32_t capacity;
  int32_t count;   // slots in use, holes included
  int32_t drawing; // whose numbers it holds; -1 none
};

// Bit 31 of an entry flags an element only partly inside the selection window.
constexpr uint32_t SEL_PARTIAL = 0x80000000u;

// Starts as the empty static list (capacity 100, count 0, slot 0 the end mark -2).
extern SelectionListRec SelectionList;

// The reshape target table: the lines and arcs command 104 moves, one end each.
#pragma once

#include <cstddef>
#include <cstdint>

struct ReshapeTarget {
  uint32_t element;   // 0xFFFFFFFF: free entry
  int32_t end;        // 0 start, 1 end, -1 not reshaped
  uint32_t crossings; // cross points found with the boundary
  double x, y;        // new position of the moved end
};

struct ReshapeTable {
  ReshapeTarget *entries;
  uint32_t capacity; // entries, the end marker included
  uint32_t count;
};

constexpr uint32_t RS_FREE = 0xFFFFFFFFu;
constexpr uint32_t RS_STATIC_ENTRIES = 100;

extern ReshapeTable g_rstable;
// Allocation used for the table; tests replace it to force the static table.
extern void *(*rs_tablemem)(size_t bytes);

// Table for `elements` targets plus the end marker, halving on failure; below 3 the
// static table.
void rs_tablealloc(uint32_t elements);
void rs_tablefree();
// Empties the table (count 0, end marker at the first entry).
void rs_tableclear();
int32_t rs_find(uint32_t element);
// Frees the element's entry (1); else adds it with the end in the first free entry or at
// the end (0); -1 when the table is full.
int rs_tabletoggle(uint32_t element, int32_t end);
// Puts the element at index at (a window round's running position), swapping in an entry
// already present; needs_end is called for a new one. 0 placed; -1 the table is full.
int rs_tableplace(uint32_t at, uint32_t element, int32_t (*needs_end)(uint32_t element, void *ctx), void *ctx);
// Drops free entries and puts the end marker after the last one.
void rs_tablecompact();

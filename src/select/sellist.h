// The selection list: element numbers chosen for the next operation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "database/selection.h"

// A list for up to n entries (no more than a drawing holds, at most 10000), shrinking
// by halves when memory is short; the static list of 100 when none can be had.
// Resets the element filter. Never null.
uint32_t *sel_alloc(uint32_t n);
int sel_free(); // back to the empty static list; 0
// 1 removed, 0 stored, -1 full (nothing stored). An entry naming the same element
// (partial flag or not) counts as the one to remove, so no element is listed twice.
int sel_toggle(uint32_t id);
int sel_notin(int32_t id); // 1 not listed, 0 listed (partial flag ignored)
// Records the listed elements cover in drawing d: texts with their continuation
// records unless skipcont, groups with their direct members. 0.
int sel_count(uint32_t skipcont, int32_t d, uint32_t *out);
// For a member of a class-1100 group of subkind 1: strikes the group's members from
// ids[0 .. n-1] and, when the element was selected, from the list, entering the negated
// node instead. The node's number, or 0.
int32_t sel_grpmem(int32_t d, uint32_t elm, uint32_t *ids, int32_t n);
// Moves every kept entry down in order and puts the end mark behind them; the count.
int32_t sel_squeeze();

// Where a list of either kind comes from (tests stand in for a short heap).
extern void *(*sel_blockalloc)(std::size_t bytes);

// Command 114: erasing the pieces of lines and arcs between their nearest crossings,
// the piece under a click or those of every element a dragged line crosses.
#pragma once

#include <cstddef>
#include <cstdint>

// 800 or 27; 700 when the record table could not be had; 1010 when an element could
// not be rewritten or a part added (what was erased before stays in the undo step).
int32_t cm_parterase();

// Shows the pieces and asks by the mode of the stage (0 pick, 1 crossing line):
// 0 yes, 1 no, 27 Esc, 800 the command was ended. After anything but yes the pieces
// are taken away again.
int seg_confirm(int32_t stage, int32_t dwg);

// Where the record table comes from (calloc; freed with free); tests put a failing one in.
extern void *(*SegTableAlloc)(std::size_t count, std::size_t size);

// Enters command 114 into the command table.
void cm_partable();

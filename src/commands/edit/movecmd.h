// Commands on a selection: erase it after a question, move or copy it by a base and a
// target point, within its drawing or into the other one, or mirror it in place. Each operation is one undo
// step in every drawing it changes.
#pragma once

#include <cstdint>

int32_t cm_erase2(); // 116
int32_t cm_move();   // 120: parts of compound texts can be chosen
int32_t cm_move2();  // 130: whole compound texts only, scale numbers kept
int32_t cm_mirror(); // 123: in place, across a picked line or two points
int32_t cm_copy();   // 140: count copies per target, more targets from one base

// A mirror axis by two points of the current drawing: line gets x1, y1, x2, y2 and
// drawing their drawing. 0 with an axis; 800 or 27 end the command; another code
// returns to the selection.
int32_t cm_axis2pt(double *line, int32_t *drawing);

// What the copy engine shows and asks through on the screen.
void cpy_winhooks();

// Enters the selection commands into the command table.
void cm_movetable();

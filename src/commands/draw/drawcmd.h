// The first drawing commands: points, chains of lines, rectangles and construction
// lines. Each asks the point input for its points, marks one undo step per figure
// and adds the elements to the drawing the point was given in.
#pragma once

#include <cstdint>

// Returned when the database refused an element (it has reported why).
constexpr int32_t CMD_DBFAIL = 1010;

int32_t cm_point();    // 0: one PNT per point; a right click ends it (501)
int32_t cm_polyline(); // 20: a chain of LIN, each from the previous point
int32_t cm_rect();     // 28: four LIN round an axis-parallel rectangle
int32_t cm_line();     // 35: single LIN in the construction pen, layer 0

// Enters the drawing commands into the command table.
void cm_drawtable();

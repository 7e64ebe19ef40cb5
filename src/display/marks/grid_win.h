// Grid drawing into views.
#pragma once

#include <windows.h>

#include "display/marks/grid.h"

// Draws the grid of the view's drawing into the view of the current drawing.
// 1 when it cannot be drawn, 0 when drawn or stopped by Esc.
int grd_draw(uint32_t view);
// Switches the display (0 or 1, else 1) and draws the grid again in every open
// view of drawing d; 0.
int grd_onoff(uint32_t d, uint32_t mode);
// The drawing itself, on a given DC with a view's transform and the world clip
// rectangle (x1, y1, x2, y2) or null: grd_draw's work.
int grd_drawdc(HDC dc, const GridRecord &g, const ViewXform &xf, const double *clip);

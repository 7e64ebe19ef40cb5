// Region fill: a filled node drawn as one GDI region, every further chain XORed in
// so that inner chains cut holes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "display/masks/rgnfillpts.h"

// Fills the node (a NOD of subkind 8) on dc. colour: the display colour; the
// highlight, picked and erase colours of the colour map fill in that colour, any
// other in the drawing's fill colour of the last chain's pen (pens past 8 as 8).
// 0 filled, 1 failed (nothing filled).
int rgn_fill(HDC dc, int d, const ElementRecord *node, int32_t colour);
int rgn_todev(int32_t count, const GeoPoint *world, POINT *dev); // current view; 0
// op 0 creates the region from the polygon, 1 XORs a polygon into it, 2 ANDs one.
// 0, or 1 when a region call fails or op is unknown.
int rgn_op(int op, HRGN *rgn, int32_t count, const POINT *pts);

// Trimming and cross points of geometry blocks: the body of an element record from its
// byte 20 on (line: x1 y1 x2 y2 f64, u16 word at 32; arc: centre, radius, angles A and B
// f64, u16 attribute word at 40).
#pragma once

#include <cstdint>

#include "geometry/geo.h"

constexpr int GEOM_BLOCK_SIZE = 60;

// Moves one end of a line or arc block to the point (mode bit 0: 0 first end, 1 second;
// bit 1: a short stub instead of a reversal). 0 done; 1 degenerate line or non-finite
// point (block unchanged); 2 degenerate result; -1 reversal.
int offsub3(uint32_t mode, int32_t kind, uint8_t *block, const GeoPoint *point, double ext);

// Cross points of two line or arc blocks, unbounded, ordered by the mode word
// (1 by distance from ref, 2 conditions, 4 along the first element, 8 overlaps give one
// point, 16 keep two outside points unordered). 0, or 1 when a kind is neither line nor arc.
int PRSPNT3(int32_t mode, int32_t kind1, const uint8_t *block1, int32_t kind2, const uint8_t *block2,
            const GeoPoint *ref, uint32_t *count, GeoPoint points[2], uint32_t cond[2]);

// Writes a geometry block to the debug trace by kind; 0, or -1 for an unknown kind.
int cadentdump(int32_t kind, const uint8_t *block);

// Reshape: moving one end of a line or arc geometry block onto a boundary, and choosing
// which end a pick means. Pure geometry over the blocks of geometry/trim.h.
#pragma once

#include <cstdint>

#include "geometry/geo.h"
#include "geometry/trim.h"

// What the boundary is: an element block, or a given point.
struct RsBoundary {
  int32_t kind; // 2 line, 4 arc, 0 a point
  uint8_t block[GEOM_BLOCK_SIZE];
  GeoPoint point; // kind 0
  bool self;      // the boundary is the target element itself
};

enum RsResult {
  RS_MOVE = 0,       // new position found; the caller marks the undo step and calls rs_move
  RS_SKIP_KIND,      // neither a line nor an arc
  RS_SKIP_DEGENERATE, // a degenerate line against a point boundary
  RS_SKIP_NOCROSS,   // no cross point with the boundary
  RS_SKIP_ONBOUNDARY, // the end already lies there (within 1e-6)
};

// New position of the target's chosen end (0 start, 1 end) against the boundary; ref is
// the boundary's pick point (or a two-point line's second point).
int rs_newpos(int32_t kind, const uint8_t *block, int32_t end, const RsBoundary *bnd, const GeoPoint *ref,
              GeoPoint *pos);

// Moves the chosen end to pos in place. 0 done; otherwise the offsub3 result that could
// not move the end (the block is then as it came in).
int rs_move(int32_t kind, uint8_t *block, int32_t end, const GeoPoint *pos);

// The end of a line or arc nearest the pick, looking only at the part visible in the
// rectangle (xmin, ymin, xmax, ymax): 0 or 1; -1 other kinds; -2 nothing visible.
int rs_endchoice(const double rect[4], int32_t kind, const uint8_t *block, const GeoPoint *pick);

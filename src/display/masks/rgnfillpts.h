// Region fill, the pure half: the outline points of the chains of a filled node.
#pragma once

#include <cstdint>

#include "database/record.h"
#include "geometry/geo.h"

extern int32_t ArcStep; // degrees between the points of a flattened arc; 5, never 0

constexpr int RGN_CHAINS = 400;
// Points one chain may have: 400 x (360 / step + 1), 29200 at step 5; 0 for a bad step.
int32_t rgn_capacity();

// The points an element adds after its start: the end of a LIN; the steps of an ARC
// (from its end backwards when bit 15 of its attribute word is set). At most room
// points are written. 0; 1 with count 0 for other kinds, a bad step, non-finite
// angles or more points than room.
int rgn_elmpts(const ElementRecord *rec, int32_t *count, GeoPoint *pts, int32_t room);

// The points of the chain formed by the node's children (room points at most); pen
// from its first child when that is a LIN or ARC. 0; 1 when the first child cannot
// be found or the points do not fit.
int rgn_chain(int d, const ElementRecord *node, int32_t *count, GeoPoint *pts, int32_t room, int32_t *pen);

// The nodes whose children form the chains of a filled node: its child nodes, or
// (as number 0 in the first place) the node itself when its children are lines and
// arcs. The count; -1 when a child cannot be found or there are more than
// RGN_CHAINS chains.
int32_t rgn_chains(int d, const ElementRecord *node, int32_t list[RGN_CHAINS]);

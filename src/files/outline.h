// What encloses a drawing: the extents of its lines and arcs, and the seal outline
// (a box or a circle) a seal file's header carries.
#pragma once

#include <cstdint>

#include "geometry/geo.h"
#include "settings/params.h"

// The outline record kept in the drawing environment (34 bytes, stored layout).
struct RaruOutlineRecord {
  uint16_t kind; // 1 set, 0 none
  double x, y;   // minimum corner
  double width, height;
};
constexpr int RARU_OUTLINE_SIZE = 34;
void slf_outget(const uint8_t *bytes /*[34]*/, RaruOutlineRecord *r);
void slf_output(const RaruOutlineRecord &r, uint8_t *bytes /*[34]*/);

// Box of the live lines and arcs of area 1: 0 and the corners; 1 when there is none
// or it is narrower than 1e-6 either way.
int slf_extents(int db, GeoPoint *min, GeoPoint *max);
// 0 and {1, min x, min y, width, height}; 1 and r untouched when there are no extents.
int slf_outrec(int db, RaruOutlineRecord *r);
// Stores the extents (or zeros) as the environment's outline record. 0.
int slf_envout(int db, DrawingEnvRecord *env);

// The seal's outline over records 1 .. n of area 1: kind 0 none, 1 a box (origin its
// centre, width and height), 2 a circle (origin its centre, width = height = radius).
// Live lines, arcs and texts count; a text by the corners of its laid-out, turned box.
struct SlfOutline {
  uint16_t kind;
  double width, height, x, y;
};
int slf_outline(int db, int32_t n, SlfOutline *out);

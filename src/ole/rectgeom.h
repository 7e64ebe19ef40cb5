// Place, size and server extent of an object placed in a drawing, per draw aspect,
// and the bytes the item adds behind its base class when it is archived.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int RIT_ASPECT_ICON = 4; // every other aspect uses the content fields
constexpr uint16_t RIT_MARKER = 0x5500;
constexpr std::size_t RIT_STORED = 2 + 6 * 8 + 4 * 4; // marker, six f64, four i32

struct RectItemGeom {
  double iconCx = 0, iconCy = 0;       // drawing units
  double contentCx = 0, contentCy = 0;
  int32_t iconExtCx = 0, iconExtCy = 0; // last server extent, HIMETRIC
  int32_t contentExtCx = 0, contentExtCy = 0;
  double x = 10.0, y = -10.0; // reference corner
  uint32_t layer = 0;         // 0 behind the elements, 1 in front
  uint32_t extentKnown = 0;
};

void rit_size(const RectItemGeom &g, int aspect, double *cx, double *cy);
void rit_setsize(RectItemGeom *g, int aspect, double cx, double cy);
void rit_extent(const RectItemGeom &g, int aspect, int32_t *cx, int32_t *cy);
void rit_setextent(RectItemGeom *g, int aspect, int32_t cx, int32_t cy);

// (x, y, x + cx, y - cy) of the aspect's size.
void rit_rect(const RectItemGeom &g, int aspect, double r[4]);
// Position from (left, top) as given; size from the corners ordered.
void rit_setrect(RectItemGeom *g, int aspect, const double r[4]);

// value x num / den; a ratio part below 1 counts as 1:1 (answer -3), else 0.
int rit_ratio(int num, int den, double value, double *result);
// The same with the drawing's own sheet ratio: 0; -2 no such drawing; -3 ratio unset
// (result is then the value itself).
int ScaleByDrawingRatio(int dwg, double value, double *result);

// The size a server extent gives on a sheet of ratio num:den: (cx / 100, -cy / 100)
// divided by the ratio, which counts as 1:1 when a part is below 1. Every path that
// sizes an item from an extent uses this one conversion.
void rit_extentsize(int32_t cx, int32_t cy, int num, int den, double *w, double *h);

// Takes over a new server extent for the aspect (the item's extent update): true when
// the size changed. The first extent sizes the item; a later one rescales it by
// new / old per axis when the extent was known before and the item is not active in
// place.
bool rit_takeextent(RectItemGeom *g, int aspect, int32_t cx, int32_t cy, int num, int den, bool inPlace);

// The stored bytes behind the base class: marker, position, icon size, content size,
// icon extent, content extent, little-endian.
void rit_put(const RectItemGeom &g, uint8_t *out /*[RIT_STORED]*/);
// Reads all eleven values; 1, or 0 when the marker is wrong (the values are read and
// set all the same, as an archive reads them before it complains). Layer and
// extent-known start at 0.
int rit_get(const uint8_t *in /*[RIT_STORED]*/, RectItemGeom *g);

// Moves the item's rectangle r by (+10, -10) while one of the other n rectangles
// equals it (within 1e-6), looking again from the first after each move. Stops after
// n + 1 moves, or when a move no longer changes the coordinates (huge values), so
// it always ends. Gives the number of moves; r holds the final rectangle.
int rit_avoidoverlap(const double (*others)[4], std::size_t n, double r[4]);

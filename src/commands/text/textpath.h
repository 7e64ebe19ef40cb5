// Placing a text beside a line or an arc, or at a point with a keyed angle: the
// placement rules (no window needed) and the command.
#pragma once

#include <cstdint>

#include "geometry/geo.h"

struct ChrLayout;
struct GuideShape;

// An angle brought into [0, 360); a non-finite one gives 0.
double tpa_angle360(double a);

// Beside a line p0-p1 picked at q: the side (geo_side's sign, on the line counts as +1),
// the line copied parallel at distance d on that side, the first text position (the foot
// of q on the copy) and the angle along the line. 0, or 1 for a degenerate line or
// non-finite input (outputs untouched).
struct TpaLine {
  int32_t side;
  GeoPoint copy0, copy1;
  GeoPoint base;
  double angle;
};
int tpa_line(const GeoPoint &p0, const GeoPoint &p1, const GeoPoint &q, double d, TpaLine *out);

// The side of q against the circle: 1 outside or on it, -1 inside. 0, or 1 for a radius
// that is not positive or non-finite input.
int tpa_arcside(const GeoPoint &centre, double r, const GeoPoint &q, int32_t *side);
// Beside an arc: with g the direction from the centre to at, the base at
// centre + (r + dist)(cos g, sin g) and angle g - 90 outside (side 1), or at
// centre + (r - dist)(cos g, sin g) and angle g - 270 inside; the angle in [0, 360).
// 0, or 1 for non-finite input (outputs untouched).
int tpa_arcbase(const GeoPoint &centre, double r, int32_t side, double dist, const GeoPoint &at, GeoPoint *base,
                double *angle);

// The vertical extent of a laid-out text: from the first character's y to the last's,
// or to the one before the last when the last is a half-size one lying above it.
double tpa_extent(const ChrLayout &lay);

// The rubber-band outline of a text beside an element: the box of the layout's width
// and height from the point (horizontal base of attr, vertical base 0), rotated by
// angle about it; four lines and the end entry. side is carried by the angle already.
// 1 when a rotation fails, else 0.
int cm_txtbox(uint16_t attr, const ChrLayout &lay, int32_t side, double angle, const GeoPoint &point,
              GuideShape *outline);

// Journals records first..last of drawing db as added: continuation records as 11,
// others as 10, erased ones skipped. The first failure of und_writ, 9 a missing record,
// else 0.
int cm_txtjournal(int32_t first, int32_t last, int db);

// Command 180.
int32_t cm_textpath();

// The keyboard line reader of the command's prompts (keyin_line's arguments and codes);
// tests stand in for it. Null restores keyin_line.
using TpaReader = int (*)(uint32_t mask, int maxlen, char *buffer);
void tpa_setreader(TpaReader fn);

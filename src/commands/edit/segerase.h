// Pieces of lines and arcs between their nearest crossings, for the partial erase.
#pragma once

#include <cstdint>

#include "database/record.h"
#include "geometry/geo.h"

constexpr int SEG_MAX = 400;
// ColorMap entries the pieces are shown and taken away in.
constexpr int SEG_SHOW = 13, SEG_ERASE = 16;

// One piece of one element. Memory only.
struct SegRecord {
  uint32_t elem;
  uint32_t flags; // bit 0: starts at a cut point, bit 1: ends at one
  double rx, ry;  // reference point on the element
  double sx, sy;  // piece start (bit 0)
  double ex, ey;  // piece end (bit 1)
  ElementRecord image;
};
static_assert(sizeof(SegRecord) == 136);

extern SegRecord *SegRecords; // SEG_MAX records while the partial erase runs, else null
extern int32_t SegCount;
extern int32_t SegStage;   // 0 pick, 1 crossing line
extern int32_t SegDrawing; // drawing whose pieces are shown, -1 none
extern int32_t SegHit;     // element under the cursor at the last pick-stage hover
extern int32_t SegModePick, SegModeCross, SegKeepStyle;

void seg_reset();
SegRecord *seg_rec(int32_t i);
int seg_put(int32_t i, const SegRecord *rec);
// mode 0: cut points of record i; mode 1: crossing records of the dragged line. 0 or 1.
int seg_bounds(int mode, int32_t dwg, int32_t i);
int seg_cross(int32_t dwg);
// 0 found, 2 none, 1 a kind other than LIN or ARC.
int seg_isect(int full, const ElementRecord *target, const ElementRecord *other, uint32_t *count, GeoPoint pts[2]);
int seg_circle(ElementRecord *target, const GeoPoint *ref, const GeoPoint *p1, const GeoPoint *p2, SegRecord *rec);
int seg_side(const ElementRecord *target, const GeoPoint *ref, const GeoPoint *cp);
int seg_nearer(int side, const ElementRecord *target, const GeoPoint *ref, const GeoPoint *cand, const GeoPoint *cur);
int seg_onelm(const ElementRecord *target, const GeoPoint *pt, GeoPoint *out);
int seg_image(int32_t dwg, const ElementRecord *elm, int32_t i);
// Draws the piece image of record i in every open view of the drawing, in the
// ColorMap colour given (the colour itself, not the entry). 0, or 1 for no such record.
int seg_draw(int32_t dwg, int32_t i, int32_t colour);
// In the stage's modes 3 and 4 (live highlight): the pieces drawn in the erase colour,
// then their elements whole. 0, or 1 without a table or for a bad drawing.
int seg_unhilite(int32_t dwg);
int seg_redraw(int32_t dwg); // the elements of all records whole, in their own colours
// The hover of each stage (seg_hover and seg_hvend, in commands/cmdl/cmdlevel.h, pick the
// stage): 0 when a piece was found, 1 when nothing was done.
int seg_hvpick(int32_t dwg, int32_t view, int32_t px, int32_t py, double x, double y);
int seg_hvcross(int32_t dwg, int32_t view, int32_t px, int32_t py, double x, double y);
int32_t seg_hit();
void seg_setpt1(const GeoPoint *p);
void seg_setpt2(const GeoPoint *p);
void seg_getpts(GeoPoint *first, GeoPoint *second);
int seg_stub();
// 1 when the arc's sweep is within 1e-6 of a whole turn.
bool seg_isfull(const ElementRecord *r);

// Erases every piece in the table: each element keeps what lies outside all of its
// pieces (first part in its place, the others added; deleted when nothing is left).
// 0, or 1010 when an element could not be rewritten or a part added.
int seg_erase(int32_t dwg);
// One piece: mode 3 split, 2 keep the part before it, 1 the part after it, 0 delete. 0 or 1010.
int seg_apply(int mode, int32_t dwg, int full, const ElementRecord *img, const SegRecord *rec);

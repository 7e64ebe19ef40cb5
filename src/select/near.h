// The nearest-element search behind every pick, and its distance measures.
#pragma once

#include <cstdint>

#include "database/record.h"

constexpr int PCK_NEARMAX = 50;
// Flags of the view argument of pck_near beside the view number (bits 0-13).
constexpr int32_t PCK_AREA2 = 0x8000; // search record area 2 as well
constexpr int32_t PCK_AREA3 = 0x4000; // and area 3, the work area

// Switches of the commands that pick (32-bit words).
extern uint32_t SegHoverOff;     // partial-erase hover: 0 while that command runs, 1 otherwise (get-point loop too)
extern uint32_t PickTextParts;   // 1: parts of compound texts are found too
extern uint32_t PickSkipMasked;  // 1: HIDELINE nodes and masked elements are passed over (erasing between crossings)
// 1: the search measures every record instead of the elements near the point
// (the reference the element index is checked against).
extern uint32_t PickWalkAll;

// The elements of drawing dwg within the view's pick aperture of (x, y), nearest
// first: the count (0..50) written to out, or -1 for a bad drawing or view.
int pck_near(int32_t dwg, int32_t view, double x, double y, uint32_t kind, uint32_t pen, uint32_t ltype,
             uint8_t subkind, int32_t out[PCK_NEARMAX]);
// The same with the tolerance given in world units instead of read from the view.
int pck_nearat(int32_t dwg, int32_t areas, double x, double y, double tol, uint32_t kind, uint32_t pen,
               uint32_t ltype, uint8_t subkind, int32_t out[PCK_NEARMAX]);

// Sets the drawing and tolerance the distance routines measure with (pck_near does).
void pck_settol(int32_t dwg, double tol);
// 0 with the distance when the element of this kind lies within the tolerance of
// (x, y), else 1. A text's continuation records are read from the set drawing;
// its distance is handed back squared.
int pck_dist(double x, double y, int32_t kind, const ElementRecord *rec, double *dist);
// 0 with the distance of the first character in layout order within the
// tolerance of (x, y), else 1.
int pck_txtdist(double x, double y, const ChrBody *body, const char *str, double *dist);

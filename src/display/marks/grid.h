// The grid of each drawing: a lattice spanned by two step vectors from an origin,
// shown as dots in the views and used to snap input points.
#pragma once

#include <cstddef>
#include <cstdint>

#include "display/view/view.h"

#pragma pack(push, 1)
struct GridRecord {
  uint32_t mode;   // 0 off, 1 shown and snapping, 2 snapping without dots
  uint32_t kind;   // 1 standard, 2 isometric
  uint32_t picked; // 1 once the user picked the origin
  double ox, oy;
  double a1x, a1y; // first step vector
  double a2x, a2y; // second step vector
  double angle;    // degrees
  double spare;    // kept for the dialog
  double pitchx, pitchy;
};
#pragma pack(pop)
static_assert(sizeof(GridRecord) == 92);
static_assert(offsetof(GridRecord, ox) == 12 && offsetof(GridRecord, a1x) == 28);
static_assert(offsetof(GridRecord, a2x) == 44 && offsetof(GridRecord, angle) == 60);
static_assert(offsetof(GridRecord, pitchx) == 76 && offsetof(GridRecord, pitchy) == 84);

extern GridRecord GridTable[2];

int grd_rec(char op, uint32_t d, GridRecord *rec); // 'r'/'R' out, 'w'/'W' in; 0, 1 bad op or drawing
int grd_reset(uint32_t d);
int grd_resetp(uint32_t d, double pitchx, double pitchy);
int grd_setmode(uint32_t d, uint32_t mode, uint32_t kind);
// Nearest grid point of the current drawing. 1 (point unchanged) when the grid is
// off or unusable (pitch not above 0, parallel or zero steps), else 0.
int grd_snap(uint32_t view, double *x, double *y);
// The same on a given record.
int grd_snaprec(const GridRecord &g, double *x, double *y);

// What drawing a grid into a device rectangle takes, in whole pixels and 1/10000
// pixel steps.
struct GridPlan {
  int64_t bx0, by0;           // device position of the first base point
  int64_t d1x, d1y, d2x, d2y; // device steps in 1/10000 pixel
  int32_t start, last;        // column numbers; multiples of 5 are emphasised
  int32_t sparse;             // only emphasised dots
  int32_t left, top, right, bottom;
};
// clip: world rectangle x1, y1, x2, y2 used instead of the view's window, or null.
// 0, or 1 when the grid cannot be drawn (bad record, a quotient beyond 1e9 lattice
// steps, a step beyond 2.5e8, steps parallel or a pitch not above 0).
int grd_plan(const GridRecord &g, const ViewXform &xf, const double *clip, GridPlan *plan);

// Dot callback: emph 1 for an emphasised dot. Column callback: called at every
// emphasis column; non-zero stops the walk.
typedef void (*GridDotFn)(void *ctx, int32_t x, int32_t y, int emph);
typedef int (*GridStopFn)(void *ctx);
// Walks the dots of a plan, setting those inside bounds (left, top, right, bottom).
// 0 when done, 1 when stopped.
int grd_walk(const GridPlan &p, const int32_t bounds[4], GridDotFn dot, GridStopFn stop, void *ctx);

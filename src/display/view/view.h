// View table: the two drawings' views and their world/device transforms. The window
// side of the table is in viewtbl.h; the current drawing and view are program state
// (settings/appstate.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/appstate.h"

constexpr int VIEW_COUNT = 16;

// The transform part of a view: 37 32-bit words that vew_frame copies whole and
// that callers keep in local copies.
#pragma pack(push, 4)
struct ViewXform {
  int32_t left, top, right, bottom;  // device rectangle, inset by the window border
  double sxmin, symin, sxmax, symax; // shown world window (after the aspect fit)
  double rxmin, rymin, rxmax, rymax; // requested world window
  double xscale;                     // pixels per world unit along x
  double yscale;                     // and along y
  double aperture;                   // pick aperture in world units
  double arrowlen;                   // end-mark arrow length
  double circler;                    // end-mark circle radius
  double arrowcos;                   // arrowlen * cos 15 degrees
  double arrowsin;                   // arrowlen * sin 15 degrees
  double dotsize;                    // display dot size in world units
  int32_t dwg;                       // drawing the view belongs to
};
#pragma pack(pop)
static_assert(sizeof(ViewXform) == 37 * 4);
static_assert(offsetof(ViewXform, sxmin) == 16 && offsetof(ViewXform, rxmin) == 48);
static_assert(offsetof(ViewXform, xscale) == 80 && offsetof(ViewXform, dotsize) == 136);
static_assert(offsetof(ViewXform, dwg) == 144);

// The current view's transform as the world drawing primitives read it; filled by vew_select.
struct DrawXformRecord {
  int32_t left, top, right, bottom;
  double sxmin, symin, sxmax, symax;
  double xscale, yscale;
  double aperture;
  double rxmin, rymin, rxmax, rymax;
  double arrowlen, circler, arrowcos, arrowsin;
  double dotsize;
};
extern DrawXformRecord DrawXform;

// Current-view conversions (DrawXform): world to device rounds half up, so they
// may differ by one pixel from vew_w2dev. Always 0.
int drw_w2d(double x, double y, int32_t *px, int32_t *py);
int drw_d2w(int32_t px, int32_t py, double *x, double *y);

// Device coordinates a double may safely become: far points and huge radii are
// clamped here before the conversion (also keeps them inside what GDI accepts).
constexpr double DEV_LIMIT = 134217727.0; // 2^27 - 1
int32_t dev_trunc(double v);              // toward zero
int32_t dev_ceil(double v);

// Transform arithmetic shared with the window side (no window handles involved).
// Fits the world window to the device rectangle about its centre and recomputes
// the scales, aperture, end-mark sizes and dot size for drawing dwg; flags bit 0
// set keeps the requested window. 0, or -2 degenerate (xf unchanged).
int vxf_setwin(ViewXform &xf, int dwg, uint32_t flags, double x1, double y1, double x2, double y2);
void vxf_w2dev(const ViewXform &xf, double x, double y, int32_t *px, int32_t *py);
void vxf_dev2w(const ViewXform &xf, int32_t px, int32_t py, double *x, double *y);
// New shown window for a zoom by factor about (mx, my); 0, or -1 refused (limits).
int vxf_zoom(const ViewXform &xf, double factor, double mx, double my, double out[4]);
// Copies a view's transform part into DrawXform.
void vxf_tocurrent(const ViewXform &xf);

// Paint callbacks: the view painter calls them after drawing a view.
typedef int (*PaintCallback)(int op, int dwg, uint32_t viewmask);
constexpr int PAINT_STACK_MAX = 30;
// op 0 pushes (1001 when full); otherwise pops back to cb (-1 not held), or clears for a null cb.
int paintsub(uint32_t op, PaintCallback cb);
// Calls the held callbacks in push order with (0, dwg, 1 << view); stops at and
// returns the first non-zero result; 0 when all returned 0.
int paintsub_run(int dwg, int view);
int paintsub_count();

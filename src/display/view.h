// View table: the two drawings' views, their world/device transforms, and the
// current drawing and view.
#pragma once

#include <cstdint>

constexpr int VIEW_COUNT = 16;

// The transform part of a view: 37 32-bit words that vew_frame copies whole and
// that callers keep in local copies.
#pragma pack(push, 4)
struct ViewXform {
  int32_t left, top, right, bottom; // device rectangle, inset by the window border
  double sxmin, symin, sxmax, symax; // shown world window (after the aspect fit)
  double rxmin, rymin, rxmax, rymax; // requested world window
  double xscale;   // pixels per world unit along x
  double yscale;   // and along y
  double aperture; // pick aperture in world units
  double arrowlen; // end-mark arrow length
  double circler;  // end-mark circle radius
  double arrowcos; // arrowlen * cos 15 degrees
  double arrowsin; // arrowlen * sin 15 degrees
  double dotsize;  // display dot size in world units
  int32_t dwg;     // drawing the view belongs to
};
#pragma pack(pop)
static_assert(sizeof(ViewXform) == 37 * 4);

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

int dwg_cur();           // current drawing, 0 or 1
int dwg_setcur(int dwg); // makes dwg current (0 or 1); gives the previous one
int vew_cur();           // current view of the current drawing

// Area copy: an area of a view put on the clipboard as a picture. The corner record
// and the picture sizes; the Windows side is in areacopy_win.h.
#pragma once

#include <cstddef>
#include <cstdint>

// One picked corner: where it lies in the drawing, the view window and the screen.
struct AreaPick {
  int32_t dwg;  // -1: the current drawing
  int32_t view; // -1: the current view
  int32_t dx, dy; // pixels in the view window
  int32_t sx, sy; // screen pixels
  double wx, wy;  // world
};
static_assert(sizeof(AreaPick) == 40);
static_assert(offsetof(AreaPick, wx) == 24);

// Formats the copy puts on the clipboard.
enum : uint32_t { CLP_BITMAP = 1, CLP_METAFILE = 2, CLP_NATIVE = 4, CLP_OWNERLINK = 16 };
extern uint32_t ClipFormatMask; // CLP_BITMAP | CLP_METAFILE at start-up

uint32_t clp_setfmt(uint32_t mask); // the mask set
uint32_t clp_getfmt();

// Picture extent in 0.01 mm of a world area w x h (mm): each at most 32767, the larger
// side capped first and the other scaled with it. Sizes not above 0 give 0 x 0.
void clp_mfext(double w, double h, int32_t *x, int32_t *y);
// The same in 0.1 mm with the cap 2147483647 (bitmap dimension).
void clp_bmdim(double w, double h, int32_t *x, int32_t *y);

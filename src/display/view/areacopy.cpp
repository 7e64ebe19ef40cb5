#include "display/view/areacopy.h"

#include <cmath>

uint32_t ClipFormatMask = CLP_BITMAP | CLP_METAFILE;

uint32_t clp_setfmt(uint32_t mask) { return ClipFormatMask = mask; }
uint32_t clp_getfmt() { return ClipFormatMask; }

namespace {

// The larger side gets cap units at most; unit is the size of one unit in mm.
void extent(double w, double h, double unit, double cap, int32_t *x, int32_t *y) {
  if (!(w > 0 && h > 0 && std::isfinite(w) && std::isfinite(h))) {
    *x = *y = 0;
    return;
  }
  const double limit = cap * unit;
  const bool wide = w >= h;
  const double big = wide ? w : h, small = wide ? h : w;
  double a, b;
  if (big > limit) {
    a = cap;
    b = std::trunc(cap * small / big);
  } else {
    a = std::trunc(big / unit);
    b = std::trunc(small / unit);
  }
  *x = int32_t(wide ? a : b);
  *y = int32_t(wide ? b : a);
}

} // namespace

void clp_mfext(double w, double h, int32_t *x, int32_t *y) { extent(w, h, 0.01, 32767, x, y); }
void clp_bmdim(double w, double h, int32_t *x, int32_t *y) { extent(w, h, 0.1, 2147483647.0, x, y); }

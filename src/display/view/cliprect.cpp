#include "display/view/cliprect.h"

#include <algorithm>

#include "display/view/view.h"

ClipRectRecord ClipRect;

int dsp_clipset(double x1, double y1, double x2, double y2) {
  ClipRect = {x1, y1, x2, y2, 1};
  return 0;
}

// The rectangle is kept as given; every reader gets it with its corners sorted.
int dsp_clipget(double *x1, double *y1, double *x2, double *y2) {
  if (!ClipRect.valid)
    return 0;
  *x1 = std::min(ClipRect.x1, ClipRect.x2);
  *y1 = std::min(ClipRect.y1, ClipRect.y2);
  *x2 = std::max(ClipRect.x1, ClipRect.x2);
  *y2 = std::max(ClipRect.y1, ClipRect.y2);
  return 1;
}

int dsp_clipoff() {
  ClipRect.valid = 0;
  return 0;
}

uint32_t dsp_clipon() { return ClipRect.valid; }

void dsp_visible(double rect[4]) {
  if (!dsp_clipget(&rect[0], &rect[1], &rect[2], &rect[3])) {
    rect[0] = DrawXform.sxmin, rect[1] = DrawXform.symin, rect[2] = DrawXform.sxmax, rect[3] = DrawXform.symax;
  }
}

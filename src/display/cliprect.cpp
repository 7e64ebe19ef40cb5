#include "display/cliprect.h"

#include "display/view.h"

ClipRectRecord ClipRect;

int dsp_clipset(double x1, double y1, double x2, double y2) {
  ClipRect = {x1, y1, x2, y2, 1};
  return 0;
}

int dsp_clipget(double *x1, double *y1, double *x2, double *y2) {
  if (!ClipRect.valid)
    return 0;
  *x1 = ClipRect.x1;
  *y1 = ClipRect.y1;
  *x2 = ClipRect.x2;
  *y2 = ClipRect.y2;
  return 1;
}

int dsp_clipoff() {
  ClipRect.valid = 0;
  return 0;
}

uint32_t dsp_clipon() { return ClipRect.valid; }

void dsp_visible(double rect[4]) {
  if (ClipRect.valid) {
    rect[0] = ClipRect.x1, rect[1] = ClipRect.y1, rect[2] = ClipRect.x2, rect[3] = ClipRect.y2;
  } else {
    rect[0] = DrawXform.sxmin, rect[1] = DrawXform.symin, rect[2] = DrawXform.sxmax, rect[3] = DrawXform.symax;
  }
}

// The world clip rectangle: while set, world drawing culls against it instead of
// the current view's shown window (off-screen renderings of part of a drawing).
#pragma once

#include <cstdint>

struct ClipRectRecord {
  double x1, y1, x2, y2; // world, kept in the order given
  uint32_t valid;
};
extern ClipRectRecord ClipRect;

int dsp_clipset(double x1, double y1, double x2, double y2); // 0
// 0 when none is set (outputs untouched), else 1 with the rectangle, corners
// sorted (x1 <= x2, y1 <= y2).
int dsp_clipget(double *x1, double *y1, double *x2, double *y2);
int dsp_clipoff(); // 0
uint32_t dsp_clipon();

// The visible area of world drawing: the clip rectangle when set, else the current
// view's shown window; xmin, ymin, xmax, ymax.
void dsp_visible(double rect[4]);

// Angle reductions shared inside the geometry kernel.
#pragma once

#include <cmath>

double ang_wrap360_far(double v); // ang_wrap360 for v <= -360 or v >= 720
double ang_reduce_far(double v);  // ang_reduce for v <= -360 or v >= 360
double ang_reduce0(double v);     // as ang_reduce, but 0 gives 360 and 360 gives 0

// Into [0, 360], 360 stays (as repeated +-360 would). Within one turn of the range a single
// exact step gives what fmod would, without its cost.
inline double ang_wrap360(double v) {
  if (v < 0)
    return v > -360 ? v + 360.0 : ang_wrap360_far(v);
  if (v > 360)
    return v < 720 ? v - 360.0 : ang_wrap360_far(v);
  return v;
}

// Into [0, 360): -360 still gives 360.
inline double ang_reduce(double v) {
  if (v >= 0 && v < 360)
    return v;
  if (v > -360 && v < 0)
    return v + 360.0;
  return ang_reduce_far(v);
}

// The one full-circle rule of the arc routines (normalising, clipping, boxes): a pair a
// turn or more apart is a full circle, whatever its turn count, so a stored (-360, 0) is a
// circle and not a zero sweep. Only start == end exactly is a zero sweep.
inline bool ang_fullturn(double s, double e) { return std::fabs(e - s) > 359.999999; }

// geo_angnorm for finite angles.
inline void ang_norm_finite(double *start, double *end) {
  double s = *start, e = *end;
  if (ang_fullturn(s, e)) {
    *start = 0.0;
    *end = 360.0;
    return;
  }
  s = ang_wrap360(s);
  e = ang_wrap360(e);
  if (s > e)
    e += 360.0;
  if (e > 360.0) {
    s -= 360.0;
    e -= 360.0;
  }
  if (ang_fullturn(s, e)) {
    s = 0.0;
    e = 360.0;
  }
  *start = s;
  *end = e;
}

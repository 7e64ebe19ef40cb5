#include "geometry/angle_util.h"
#include "geometry/geo.h"

#include <cmath>
#include <initializer_list>

double deg_sin(double a) { return std::sin(a * DEG2RAD); }
double deg_cos(double a) { return std::cos(a * DEG2RAD); }
double deg_tan(double a) {
  double x = a * DEG2RAD;
  return std::sin(x) / std::cos(x);
}
double deg_asin(double v) { return std::asin(v) * RAD2DEG; }
double deg_acos(double v) { return std::acos(v) * RAD2DEG; }
double deg_atan(double v) { return std::atan(v) * RAD2DEG; }

double deg_atan2(double dy, double dx) {
  if (dx == 0.0 && dy == 0.0)
    return 0.0;
  double r = std::atan2(dy, dx) * RAD2DEG;
  if (r < 0)
    r += 360.0;
  return r;
}

// Into [0, 360] as repeated +-360 would (360 itself stays, positive multiples become 360),
// in one step so that huge values cannot stall.
double ang_wrap360_far(double v) {
  if (v < 0) {
    double r = std::fmod(v, 360.0);
    return r < 0 ? r + 360.0 : 0.0;
  }
  if (v > 360) {
    double r = std::fmod(v, 360.0);
    return r == 0 ? 360.0 : r;
  }
  return v;
}

// v - k * 360 with k the truncation of v / 360, one less for a negative v.
double ang_reduce_far(double v) {
  double r = std::fmod(v, 360.0);
  return v < 0 ? r + 360.0 : r;
}

// As ang_reduce, but one less for 0 too: 0 becomes 360 while 360 becomes 0.
double ang_reduce0(double v) {
  if (v > 0 && v < 360)
    return v;
  double r = std::fmod(v, 360.0);
  return v <= 0 ? r + 360.0 : r;
}

int geo_angnorm(int, double *start, double *end) {
  if (!std::isfinite(*start) || !std::isfinite(*end))
    return 1;
  ang_norm_finite(start, end);
  return 0;
}

int geo_angout(double start, double end, double angle) {
  if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(angle))
    return 1;
  if (angle < 0)
    angle += 360.0;
  double d = end - start;
  if (std::fabs(d) < 1e-6 || std::fabs(d - 360.0) < 1e-6)
    return 0;
  double lo = start - 1e-6, hi = end + 1e-6;
  if (lo >= hi)
    hi += 360.0;
  if (std::fabs(angle - 360.0) < 1e-6)
    angle = 0;
  if (lo > angle)
    angle += 360.0;
  return angle > hi ? 1 : 0;
}

int geo_angout2(double start, double end, double angle) { return geo_angout(start, end, angle); }

int geo_angtol(double start, double end, double angle, double radius) {
  if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(angle) || !std::isfinite(radius))
    return 1;
  double tol = radius > 0.01 ? std::asin(0.001 / radius) * RAD2DEG : 0.001;
  angle = ang_reduce(angle);
  start = ang_reduce(start);
  end = ang_reduce(end);
  if (start >= end)
    end += 360.0;
  if (std::fabs(end - start) <= tol || std::fabs(end - start - 360.0) <= tol)
    return 0;
  start -= tol;
  end += tol;
  if (std::fabs(angle - 360.0) <= tol)
    angle = 0;
  if (start > angle)
    angle += 360.0;
  return angle > end ? 1 : 0;
}

int geo_inarc(double cx, double cy, double start, double end, double px, double py) {
  if (start == end)
    return 1;
  double a = (px == cx && py == cy) ? 0.0 : deg_atan2(py - cy, px - cx);
  if (!std::isfinite(a) || !std::isfinite(start) || !std::isfinite(end))
    return 1;
  for (double t : {a, a - 360.0})
    if ((start <= t && t <= end) || std::fabs(start - t) < 0.005 || std::fabs(end - t) < 0.005)
      return 0;
  return 1;
}

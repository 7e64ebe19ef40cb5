// Where one element lies against a fence: a closed polygon of n vertices given as
// (x, y) pairs, the last joined back to the first. Tolerance 1e-6 in drawing units,
// 1e-8 degrees for equal angles.
#pragma once

#include <cstdint>

#include "database/record.h"
#include "geometry/geo.h"

// Results of fnc_seg, fnc_arc and fnc_elm: 0 wholly inside, 1 both ends inside but
// leaving in between, 2 first end in / second out, 3 first out / second in,
// 4 crossing, 5 wholly outside, 6 along the boundary (segment only), -1 failure.

// mode 1: on the fence counts as inside; mode 2: strict. -1 for other kinds.
int fnc_elm(int mode, int n, const double *points, const ElementRecord *rec, const char *str);
int fnc_pt(const double *points, int n, double x, double y); // 1 in, 2 out, 4 on, -1
int fnc_seg(const double *points, int n, double x1, double y1, double x2, double y2);
int fnc_circ(const double *points, int n, double cx, double cy, double r); // 0, 4, 5, -1
// attr bit 14 swaps which end is first.
int fnc_arc(const double *points, int n, double cx, double cy, double r, double start, double end, uint16_t attr);
int fnc_mapres(int mode, int cls, int raw); // cls 0 point, 1 line-like, 2 circle
int fnc_onseg(const GeoPoint &a, const GeoPoint &b, const GeoPoint &p); // 0 on, 1 off, -1 degenerate
int fnc_segseg(const GeoPoint &a0, const GeoPoint &a1, const GeoPoint &b0, const GeoPoint &b1, GeoPoint *out);
int fnc_lineseg(const GeoPoint &p0, const GeoPoint &p1, const GeoPoint &p2, const GeoPoint &p3);
// Accepted points on the segment and within the sweep into out1, out2; count of them.
// The number of candidates (1 or 2) when one is accepted, else 0; -1 bad input.
int fnc_segcirc(const GeoPoint &p0, const GeoPoint &p1, const GeoPoint &c, double start, double end, double r,
                GeoPoint *out1, GeoPoint *out2, uint16_t *count);
int fnc_angin(double start, double end, double angle); // 0 within the sweep, 1 outside
int fnc_tanseg(const GeoPoint &c, const GeoPoint &p, const GeoPoint &p2, const GeoPoint &p3);
// Brings an arc's angle pair into 0 .. 360 (end above start); -1 (untouched) when an
// angle is not finite or too far out to mean a direction.
int fnc_arcnorm(double *start, double *end);
// 0 when |a - b| <= 0.0099, -1 a smaller, 1 larger.
int sel_angcmp(double a, double b);
// Parity of ray crossings: 0 inside, 4 outside, -1 unsupported or meeting an edge badly.
int fnc_polyray(int n, const double *points, const ElementRecord *rec, const char *str);

// Angles this far from zero no longer name a direction to a useful precision.
constexpr double SEL_ANGMAX = 1e9;
inline bool sel_angok(double a) { return a >= -SEL_ANGMAX && a <= SEL_ANGMAX; }

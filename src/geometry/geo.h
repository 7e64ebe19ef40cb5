// Geometry kernel: degree trigonometry, sweep tests, lines, arcs, intersections,
// clipping and boxes. Angles are f64 degrees, counter-clockwise from +x.
// Pure functions over caller-owned values; degenerate or non-finite input gives the
// routine's refusal code and never NaN or infinity in an output.
#pragma once

#include <cstdint>

struct GeoPoint {
  double x, y;
};

// An arc's sweep, counter-clockwise from start to end.
struct AngleRange {
  double start, end;
};

// One visible part of an arc, as the arc clipper returns it.
struct AngleInterval {
  double start, end;
};

constexpr double DEG2RAD = 0.017453292519943295;
constexpr double RAD2DEG = 57.29577951308232;
constexpr int ARCCLIP_MAX = 5; // most visible parts a sweep can give against a rectangle

// Trigonometry in degrees.
double deg_sin(double a);
double deg_cos(double a);
double deg_tan(double a); // no guard at 90 degrees
double deg_asin(double v);
double deg_acos(double v);
double deg_atan(double v);
// Direction of (dx, dy) in [0, 360); 0 for (0, 0).
double deg_atan2(double dy, double dx);

// Normalises an arc's angle pair in place: end >= start, end in [0, 360], start may be
// negative, a full circle is (0, 360). 0; 1 (pair untouched) when either is not finite.
int geo_angnorm(int mode, double *start, double *end);

// Sweep tests: 1 when the angle lies outside the arc, 0 inside. Non-finite input is outside.
int geo_angout(double start, double end, double angle);
int geo_angout2(double start, double end, double angle);
int geo_angtol(double start, double end, double angle, double radius);
int geo_inarc(double cx, double cy, double start, double end, double px, double py);

// Lines. Results as each comment says; outputs stay untouched unless stated.
// -1 degenerate line, 1 foot beyond an end, 0 on the segment; distance may be null.
int geo_perpft(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q, GeoPoint *foot, double *dist);
// Foot of q on the line through p1 perpendicular to p0-p1; 1 when p0 and p1 coincide.
int geo_ftperp(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q, GeoPoint *foot);
// Midpoint of q's feet on two lines; 1 (out (0, 0)) when q lies on both.
int geo_midfeet(const GeoPoint *q, const GeoPoint *a0, const GeoPoint *a1, const GeoPoint *b0, const GeoPoint *b1,
                GeoPoint *out);
// side: -1 left, 0 on the line, +1 right; returns 1 (side untouched) for a degenerate line.
int geo_side(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q, int32_t *side);
// 0 when q lies on the segment, else 1.
int geo_onseg(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q);
// Crossing of two lines: 0 on both segments, 1 outside one, 2 parallel (crossing (0, 0)).
int geo_lnln(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *p3, GeoPoint *cross);
// Infinite line p0-p1 against segment p2-p3: 1 on the segment, 0 not (or parallel, crossing (0, 0)).
int geo_lnseg(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *p3, GeoPoint *cross);
// Point at distance d from p0 towards p1; 1 when d reaches the length (or p0 = p1).
int geo_ptalong(const GeoPoint *p0, const GeoPoint *p1, double d, GeoPoint *out);
// 1 when q moved along p0->p1 by d (d + extra in mode 1) lies on or beyond the
// perpendicular through p1, 0 before it, -1 when p0 and p1 coincide.
int geo_overrun(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *q, int mode, double d, double extra);
int geo_stepdir(const GeoPoint *p0, const GeoPoint *p1, double d, const GeoPoint *q, GeoPoint *moved, GeoPoint *foot,
                int32_t *side);
int geo_setback(const GeoPoint *p0, const GeoPoint *p1, double d, const GeoPoint *a0, const GeoPoint *a1,
                GeoPoint *point, GeoPoint *foot);
// Segment moved by d to the right (s = +1) or left (s = -1); 1 for a degenerate segment.
int geo_parallel(const GeoPoint *p1, const GeoPoint *p2, double d, int32_t s, GeoPoint *out1, GeoPoint *out2);
// Mirror image of q across the line p1-p2; 1 (out untouched) when the line is degenerate.
int geo_mirror(const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *q, GeoPoint *out);
// Counter-clockwise rotation about a centre; 0, or 1 (out untouched) for non-finite input.
int geo_rotate(const GeoPoint *centre, const GeoPoint *point, GeoPoint *out, double angle);

// The input-guide values these box constructions read.
struct GuideBox {
  GeoPoint base; // P
  double angle;  // A
  double bangle; // B
  double len1, len2;
  double width1, width2;
  double dist1, dist2;
};
int geo_crnbox(const GuideBox *g, const GeoPoint *corner, GeoPoint out1[2], GeoPoint out2[2]);
int geo_alnbox(const GuideBox *g, const GeoPoint *corner, GeoPoint box[4], GeoPoint *anchor, double *label);
int geo_inband(const GeoPoint *q, const GeoPoint *x, const GeoPoint *p, const GeoPoint *qq, double angle, double width);

// Arcs and their intersections.
// Counter-clockwise arc through three points (angles not normalised); 1 when collinear.
int geo_arc3p(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *p2, GeoPoint *centre, double *radius,
              AngleRange *angles);
// Arc a -> b whose middle lies ratio x chord to the left (side 0) or right; 1 degenerate.
int geo_arcbulge(int side, double ratio, const GeoPoint *a, const GeoPoint *b, GeoPoint *centre, double *radius,
                 AngleRange *angles);
// Half circle to the left of p0 -> p1; 1 when the chord is below 0.003.
int geo_semicirc(const GeoPoint *p0, const GeoPoint *p1, GeoPoint *centre, double *radius);
// Arc leaving (x0, y0) in direction dir through (x1, y1); 1 end on the tangent, 2 coincide.
int geo_arctan(double x0, double y0, double dir, double x1, double y1, double *cx, double *cy, double *radius,
               double *start, double *end, uint32_t *clockwise);
// Crossings on the segment and inside the sweep, further along p0 -> p1 first; count 1
// writes both outputs, count 0 zeroes them. 0; 1 when the radius is not positive.
int geo_segarc(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *centre, double radius, const AngleRange *angles,
               GeoPoint *q1, GeoPoint *q2, uint32_t *count);
// As geo_segarc with p0-p1 an unbounded line.
int geo_lnarc(const GeoPoint *p0, const GeoPoint *p1, const GeoPoint *centre, double radius, const AngleRange *angles,
              GeoPoint *q1, GeoPoint *q2, uint32_t *count);
// Crossings inside both sweeps. 0; 1 for identical arcs or a radius not positive.
int geo_arcarc(const GeoPoint *c1, const GeoPoint *c2, double r1, double r2, const AngleRange *angles1,
               const AngleRange *angles2, GeoPoint *q1, GeoPoint *q2, uint32_t *count);
// Keeps the candidates (two when two is set) that lie in both sweeps; 0.
int geo_arcfilt(const GeoPoint *c1, const GeoPoint *c2, const AngleRange *angles1, const AngleRange *angles2,
                GeoPoint *q1, GeoPoint *q2, uint32_t *count, int two);

// Clipping, visibility and boxes. A rectangle is xmin, ymin, xmax, ymax.
// 0 when a part remains (ends moved onto the rectangle), 1 when none does.
int geo_segclip(double xmin, double ymin, double xmax, double ymax, double *x1, double *y1, double *x2, double *y2);
// 0; 1001 (count 0) for a radius at most 1e-100 or non-finite input.
int geo_arcclip(double xmin, double ymin, double xmax, double ymax, double cx, double cy, double r, double start,
                double end, AngleInterval *out /*[ARCCLIP_MAX]*/, uint32_t *count);
uint32_t geo_outcd(const double *rect, double x, double y);
int geo_outcd2(const double *rect, double x1, double y1, double x2, double y2, uint32_t *code1, uint32_t *code2);
int geo_segvis(const double *rect, double x1, double y1, double x2, double y2);
int geo_arcvis(double px, double py, double hx, double hy, const double *rect, double cx, double cy, double r,
               double start, double end);
void geo_arcbox(double cx, double cy, double r, double start, double end, GeoPoint *min, GeoPoint *max);
void geo_boxadd(GeoPoint *min, GeoPoint *max, const GeoPoint *p);
// Adds a point, line or arc element (an 80-byte element record) to the box; 0.
int geo_entbox(GeoPoint *min, GeoPoint *max, const uint8_t *record);

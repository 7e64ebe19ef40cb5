// Element transforms: move, rotate, mirror, scale and stretch one 80-byte element
// record in place, before the copy engine writes it back or adds it. The fields are
// read and written at their stored offsets; a kind a mode does not handle is left as
// it is. A transform whose result would not be finite leaves the record unchanged.
#pragma once

#include <cstdint>

#include "database/record.h"
#include "geometry/geo.h"
#include "geometry/text.h"

// What the copy engine tells the mirror about a dimension's value text.
struct TrnDimText {
  uint32_t dimtext;     // 1: the record being mirrored is a dimension text
  uint32_t online;      // 1: it sits on its dimension line
  GeoPoint start, end;  // the dimension line
  GeoPoint foot;        // foot of the text on that line
  double dist;          // distance of the text's reference point from the line
};

// The parameter store, one per process for both drawings; written by the setters
// (and the dimension-text record by the copy engine).
struct TrnParams {
  GeoPoint axis1, axis2;   // mirror axis A -> B
  double dx, dy;           // move
  double cx, cy, theta;    // rotation
  double bx, by, tx, ty;   // base (centre of the layer-scale conversion) and target
  double x0, y0, x1, y1;   // scale base and target
  double sx, sy;           // scale factors
  double ox, oy;           // x1 - x0, y1 - y0
  int32_t textsw;          // 0..3: 1 and 3 re-value dimension texts, 2 and 3 scale their sizes
  double sdx, sdy;         // stretch displacement
  double xmin, ymin, xmax, ymax; // stretch window, sorted
  int32_t revalue;         // stretch re-values dimension texts
  GeoPoint work[2];        // the class-400 rule's parallel segment
  TrnDimText dimtext;
};

const TrnParams &trn_params();
TrnDimText &trn_dimtext(); // the copy engine fills it before each dimension text

// Setters; all give 0.
int trn_setmove(double dx, double dy);
int trn_setrotate(double cx, double cy, double theta);
int trn_setbase(double bx, double by, double tx, double ty);
// Rotation about (cx, cy), then the move; base (cx, cy) and target (cx + dx, cy + dy).
int trn_setrotmove(double dx, double dy, double cx, double cy, double theta);
int trn_setmirror(double x1, double y1, double x2, double y2);
int trn_setscale(double x0, double y0, double x1, double y1, double sx, double sy, int32_t textsw);
// The window corners may be given in any order.
int trn_setstretch(double dx, double dy, double xa, double ya, double xb, double yb, int32_t revalue);

// Appliers; n is the copy index (1 for a single move; 1, 2, 3 ... for multiple copies).
// All give 0.
int trn_move(ElementRecord *rec, int n);
// A rotation angle that is not finite, or too large to hold a whole degree, changes nothing.
int trn_rotate(ElementRecord *rec, int n);
// text: the string of a CHR (null for other kinds); dim: the dimension-text record (may be null).
int trn_mirror(ElementRecord *rec, int n, const char *text, const TrnDimText *dim);
int trn_scale(ElementRecord *rec, int n);
// partial: the selection found the element crossing the window; in400: a member of a
// class-400 dimension. A class-400 node's members are looked up in the current drawing.
int trn_stretch(ElementRecord *rec, int n, int partial, int in400);
int trn_rotmove(ElementRecord *rec, int n);
int trn_scalerot(ElementRecord *rec, int n); // scale, then rotate
// Mode 0..6 (move, rotate, mirror, scale, stretch, rotate-move, scale-rotate) with the
// store's dimension-text record for the mirror; -7 for another mode.
int trn_apply(int mode, ElementRecord *rec, int n, const char *text, int partial, int in400);

// Uniform scale by f about the base point (sizes of a dimension value text kept). 0.
int trn_layscale(ElementRecord *rec, double f);

// Re-value the number between the bars of a dimension's value text (num_barfmt): 0, or
// 1 when the text was left as it is for want of a usable value.
int trn_dimscale(const ElementRecord *node, ElementRecord *textrec, char *text, double f);
int trn_dimstretch(const ElementRecord *node, ElementRecord *textrec, char *text, int drawing);

// Class-400 rule for the stretch of a class-400 node (members read from drawing): the
// partial and parallel results; the parallel segment goes to the store's work result. 0.
int trn_dim400(const ElementRecord *node, int drawing, int32_t *partial, int32_t *parallel);
// Reference line a-b of the rule: 1 the node's first live line crossing p1-p2, 2 such a line
// parallel to it, 0 none; for 0 and 2 a-b is the perpendicular to p1-p2 through p2.
int trn_dimline(const ElementRecord *node, int drawing, GeoPoint *a, GeoPoint *b);
// The segment p1 -> foot of q on p1-p2, carried to q's distance on side s (geo_side's
// sign). 0, or 1 (outputs untouched) when either step fails.
int trn_dimpar(const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *q, int32_t s, GeoPoint *out1,
               GeoPoint *out2);

// The Windows-typeface layout of a text (1 when laid out; 0 leaves the stroke layout).
// By default the current view's window (cel_wlayout); tests stand in for it.
using TrnMeasure = int (*)(uint16_t attr, double h, double w, double s, const char *text, ChrLayout *lay);
void trn_setmeasure(TrnMeasure fn); // null restores the default
// Lays a text out in its stroke cells (lay) and, for a font kind other than 0, measures
// it in its typeface: gives the length ratio r of the stroke layout to the typeface one,
// and in *len the laid-out length L (the typeface one when measured). A typeface measure
// that is not above 0 or not finite counts as none: r = 1 and L the stroke length.
double trn_lenratio(uint16_t attr, double h, double w, double s, const char *text, ChrLayout *lay, double *len);

// Object snap: the candidate list of characteristic points near the cursor, the
// interactive choice among them, and the silent search the snap mark uses.
#pragma once

#include <cstdint>

// Point types of a candidate, in the order the choice offers them.
enum : int32_t {
  SNP_FREE = 0,   // the cursor point, or a grid point
  SNP_MARKER = 1, // a point element
  SNP_CROSS = 2,
  SNP_END = 3,
  SNP_QUAD = 4, // an arc's point at a multiple of 90 degrees
  SNP_PERP = 5,
  SNP_MID = 6,
  SNP_CENTRE = 7,
  SNP_ORIGIN = 8,
};

struct SnapCandidate {
  int32_t type;
  double x, y;
  double dist;    // from the cursor point
  int32_t scaled; // 1: the element's layer scale differs from the current layer's
};
constexpr int SNP_CANDMAX = 50;

// Request-word flags beside the snap kind (0..8).
constexpr int32_t SNP_FALLBACK = 0x8000; // every candidate refused: the cursor point
constexpr int32_t SNP_WORKAREA = 0x4000; // handed on to the element search

// The label of a point type as the choice shows it.
const char *gcr_snaplabel(int32_t type);

// What the builders measure against: the drawing whose records they read, the
// squared snap tolerance and the scale ratio of the current layer. The snap entry
// points set it; tests set it directly.
void gcr_snapctx(int32_t dwg, double tol2, double ratio);

// Adds one candidate (type 6 and 7 at any distance, others within the tolerance)
// into the list sorted by distance; of coinciding points the higher type stays. 0.
int gcr_addcand(double cx, double cy, int32_t type, int32_t scaled, double px, double py, int32_t *count,
                SnapCandidate *list);
// Builders over the found elements; each returns the new count.
int gcr_endpnt(double cx, double cy, int32_t n, const int32_t *elems, int32_t count, SnapCandidate *list);
int gcr_crspnt(double cx, double cy, int32_t n, const int32_t *elems, int32_t count, SnapCandidate *list);
int gcr_perpnt(double cx, double cy, int32_t n, const int32_t *elems, int32_t count, SnapCandidate *list);
int gcr_midpnt(double cx, double cy, int32_t n, const int32_t *elems, int32_t count, SnapCandidate *list);
// 0 when p lies in the closed bounding boxes of both segments (a coordinate in
// which a segment's ends are equal is not tested for it), else 1.
int gcr_inbox(const double *a0, const double *a1, const double *b0, const double *b1, const double *p);
// Orders the list by point type (the choice's exchange sort).
void gcr_snapsort(int32_t count, SnapCandidate *list);

// The interactive snap: the candidates of the request's kind near (x, y) in the view
// (low 14 bits; 0x8000 and 0x4000 widen the search), offered one at a time unless
// noask is 1 or the request is 0. 0 with (x, y) replaced; 1 nothing chosen; 9 bad
// kind; -1 bad drawing or view; 800 (700) when the command ended (the question was
// closed) while a candidate was offered.
int gcr_osnap(int32_t dwg, int32_t view, int32_t request, int32_t noask, double *x, double *y);
// The same; for kind 5 with no end point or crossing near, an arc under the cursor
// gives its centre with arcflag 1 and its radius (outputs untouched otherwise).
int gcr_osnapel(int32_t dwg, int32_t view, int32_t request, int32_t noask, double *x, double *y, double *radius,
                int32_t *arcflag);
// The silent search of the snap mark: the first candidate of kind 1..8 by type and
// its type. 0 found; 1 nothing (or the mode flag is set); 9 bad kind; -1 bad drawing or view.
int gcr_snappnt(int32_t dwg, int32_t view, int32_t kind, uint32_t *ptkind, double *x, double *y);

// What the choice needs of the display, the message output and the attribute box;
// tests replace entries, gcr_snapreset puts the platform's calls back.
struct GcrSnapHooks {
  // The point mark (XOR: drawn twice it is gone) in every open view of dwg.
  void (*mark)(int32_t dwg, double x, double y, int32_t attr);
  // The question with the allowed keys: the key or the input code that answered.
  int (*ask)(const char *text, const char *keys);
  void (*error)(int n); // message n on the board
  void (*delay)(uint32_t ms);
  void (*clrlast)(); // the input feedback is drawn afresh
  void (*update)();  // refreshes the attribute box
  // Element n of dwg in the views of viewmask in ColorMap colour (-1: its own).
  void (*showelm)(int32_t dwg, uint32_t viewmask, int32_t n, int32_t colour);
  // The prompt line of the running command ('R' read, 'W' write; text 128 bytes),
  // kept around the picks of a point on an element.
  void (*line)(int op, int32_t *colour, char *text);
  // The input request of the running command ('R' read, 'W' declare again): flags,
  // target, kind, then the 7 words of its kind record; kept around the same picks.
  void (*request)(int op, uint32_t words[10]);
};
GcrSnapHooks &gcr_snaphooks();
void gcr_snapreset();
GcrSnapHooks gcr_snapplatform(); // gcrsnap_win.cpp, or the quiet native one

// Point on element: a point (or length, angle) from one or two picked elements.
// See prspnt.cpp for the words; returns 0, a pick's ending code, 700, 1002 or 1100.
int PRSPNT(int32_t mode, int32_t picks, int32_t op, double *p1, double *p2, int32_t *e1, int32_t *e2, double *result);

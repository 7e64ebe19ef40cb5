// Point input for commands: the next point of a drawing or editing command from a
// click (through object snap or a point on an element, then the input guide) or
// from typed coordinates, and the reference point kept per drawing.
#pragma once

#include <cstdint>

// Per drawing: the last point delivered (base of keyboard entry), a third value,
// and the raw world point of the last click.
struct InputPointsRecord {
  double refx, refy, third;
  double pickx, picky;
};
static_assert(sizeof(InputPointsRecord) == 40);
extern InputPointsRecord InputPoints[2];

// The drawing set a command re-asking for its point keeps (see gcr_dwgset).
struct PointRetainRecord {
  uint32_t on;
  uint32_t drawings;
};
extern PointRetainRecord PointRetain;

// Drawing masks of gcr_point beside a bit set of drawings.
constexpr uint32_t GCR_CURONLY = 0x40000000u; // the current drawing, strictly
constexpr uint32_t GCR_CURDWG = 0x80000000u;  // the current drawing

// Flags of gcr_point, also handed to the get-point loop.
constexpr int GCR_RET820 = 0x100;   // return 820 instead of ignoring it
constexpr int GCR_SNAP4000 = 0x200; // the snap request gets 0x4000

// The drawings a point may be given in: 0 any; GCR_CURONLY and GCR_CURDWG the
// current one, or the retained set while the retain flag is on; else bit d = drawing d.
uint32_t gcr_dwgset(uint32_t mask, int32_t cur);
// The snap kind for an input code in a point-pick mode (0..4), or -1 for a code that
// asks for no snap; with the snap-off switch every click asks for kind 0.
int gcr_snapkind(int code, uint32_t pickmode, uint32_t snapoff);
// In keyboard mode 2 the code returned for a key: digits 48..57 (numeric pad 96..105
// as 48..57), 110 for either decimal point; 0 for other keys.
int gcr_keydigit(int code);

// Waits for the next point. x, y in/out; drawing out (-1 until a point is given);
// kbmode in/out: 0 mouse, 1 keyboard entry, 2 mouse with digits returned (null: 0).
// Returns 500 (or 13 from keyboard entry) with a point, 501, 27, 527, 528, 823, 700
// (no drawing allowed), 800, 820 (with GCR_RET820), or a digit code in mode 2.
int gcr_point(int flags, int spare, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *kbmode);
// The same; a snapped point that stands for an arc sets arcflag to 1 and radius.
int gcr_pointel(int flags, int spare, uint32_t mask, double *x, double *y, int32_t *dwg, int32_t *kbmode,
                int32_t *arcflag, double *radius);
// The snap step of one input code: 0 a point in x, y; 800 the command ended inside;
// 1 a code that asks for no snap; other values no point. views below 0: the view of
// the last pick.
int gcr_snapin(int32_t dwg, int32_t views, int flags, double *x, double *y, int code);
int gcr_snapinel(int32_t dwg, int32_t views, int flags, double *x, double *y, int code, int32_t *arcflag,
                 double *radius);

// A negative drawing means the drawing of the last pick. Each output is optional. 0.
int gcr_refget(int32_t dwg, double *x, double *y, double *third);
// A value of 1e20 or more leaves its field; refreshes the attribute box. 0.
int gcr_refset(int32_t dwg, double x, double y, double third);
int gcr_refclr(int32_t dwg);
int gcr_lastpick(double *x, double *y);

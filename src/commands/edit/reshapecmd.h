// Command 104: moving one end of lines and arcs onto a boundary (a picked element, a
// line through two points, or a point). Targets are one pick or the ends inside a
// window, corrected by picking; each changed element is one undo step.
#pragma once

#include <cstdint>

int32_t cm_reshape(); // 104

// The target table for the larger drawing (g_rstable of rstable.h), and its release.
void cm_rsalloc();
void cm_rsfree();
// The end of a line or arc (geometry block of the record body) nearest the pick,
// looking only at what the view shows: 0 or 1; -1 other kinds; -2 nothing visible.
int cm_rsend(int32_t dwg, int32_t view, int32_t kind, const uint8_t *block, double x, double y);
// Frees the element's target entry (1) or adds it with its end (0); -1 the table is full.
// The element's high bit is ignored.
int cm_rstoggle(int32_t dwg, uint32_t elem, double x, double y);
// Targets by window rounds with pick correction (flags 0x100: the selection filter in
// force, kind bit 0x8000 added). *dwg in/out. The input code that ended it.
int cm_rswindow(uint32_t flags, int32_t *dwg);
// Adds and removes targets by picking in drawing dwg (mode 8: partial flag in the
// selection list). 500 finished, or 9, 27, 32, 527, 800.
int cm_rspick(int32_t dwg, uint32_t mode);

// Enters command 104 into the command table.
void cm_reshapetable();

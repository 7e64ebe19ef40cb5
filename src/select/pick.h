// Interactive picking of one element: the element pick with confirmation, the
// pick of a line or arc for its geometry, and the single pick with owner choice.
#pragma once

#include <cstdint>

// Drawing mask of pck_elem beside the drawing bits 0 and 1.
constexpr uint32_t PCK_NOINPUT = 0x08000000; // the caller's point, current drawing and view
constexpr uint32_t PCK_KEEPHIL = 0x10000000; // the answered candidate stays highlighted
constexpr uint32_t PCK_NEAREST = 0x20000000; // offer only the nearest candidate
constexpr uint32_t PCK_WORK = 0x40000000;    // search the work area too
constexpr uint32_t PCK_CURDWG = 0x80000000;  // alone: the current (or pinned) drawing; else area 2 too

// Prompt values beside message numbers.
constexpr int32_t PCK_LITERAL = -999; // the first variable argument is the text
constexpr int32_t PCK_NOWAIT = -2;    // no input and no prompt

// Picks one element: the event's code (500 or 502) with element out the accepted
// candidate, 0 when the question was cancelled, -1 when none was taken; 0 in the
// no-input mode; 700 when no drawing is allowed or the point lies in no view; or
// the input code that ended the wait or the question (800, 700) with element out -1. A mask of 0 means both drawings, no flags.
int pck_elem(int32_t prompt, uint32_t mask, int32_t *dwg, double *x, double *y, int32_t *elem, ...);
int pck_unpin(); // forgets the pinned drawing mask; 0

// Picks a line or arc of kind mask kind (flags: bits 0-3 the drawing, 0x800 clear
// element and kind on failure, 0x1000 no input, 0x4000 keep the highlight, 0x8000
// offer every candidate) and hands out its kind, layer and 52-byte body. 0, 700
// when nothing could be read without input, or the code that ended the pick.
int getendt(uint32_t flags, int32_t prompt, uint32_t kind, double *point, int32_t *elem, int32_t *kindout,
            int32_t *layer, uint8_t *geom);

// One element or one of the figures that own it: 500 with element out the accepted
// one (-1 when nothing lies at the point), 501 when every proposal was refused,
// 700 when no drawing is allowed or the point lies in no view, or the code that
// ended the input.
int sel_pick1(int32_t prompt, uint32_t mask, int32_t *dwg, double *x, double *y, int32_t *elem, ...);
constexpr int SEL_VISITED = 50;
// Proposes the owners over *elem (starting at parent), topmost first, then *elem:
// 0 with the accepted one in *elem, -1 refused, 27 cancelled, 800 (700) when the
// command ended (the question was closed) while it asked.
int sel_ownwalk(int32_t dwg, int32_t *elem, int32_t parent, int32_t visited[SEL_VISITED]);
// Proposes *elem: taken after a pause when count is below 2, else asked. 0 accepted, 27 cancelled, -1 refused,
// 800 or 700 as sel_ownwalk.
int sel_pkone(int32_t dwg, int32_t *elem, int32_t count);
int sel_unhil(int32_t dwg, int32_t elem, int32_t level); // back in its own colours; 0

// World drawing primitives: points, lines, arcs, rectangles and marks given in
// world coordinates, drawn into a device context through the current view.
//
// style word: bits 0-3 line kind + 1 (point-mark kind + 1 for points), bits 4-6
// the start mark code, 7-9 the end mark code. colour word: bits 0-4 the colour
// index, bit 15 an XOR toggle (drawing the same figure again restores the pixels).
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int32_t DRW_XOR = 0x8000;
constexpr double DRW_CHORD_PIXELS = 4000; // arcs this large on the screen are drawn as chords

extern int16_t DrwArrowPixels; // size of the fixed-size arrow (code 7)

// On while one walk owns the device context: a pen still selected is not selected again.
void drw_penmemo(bool on);

int drw_point(HDC dc, double x, double y, int32_t style, int32_t width, int32_t colour);
int drw_shape(HDC dc, double x, double y, int32_t style, int32_t width, int32_t colour);
int drw_bigdot(HDC dc, double x, double y, int32_t style, int32_t width, int32_t colour);
int drw_line(HDC dc, double x1, double y1, double x2, double y2, int32_t style, int32_t width, int32_t colour);
int drw_arc(HDC dc, double cx, double cy, double r, double start, double end, int32_t style, int32_t width,
            int32_t colour);
int drw_rect(HDC dc, double x1, double y1, double x2, double y2, int32_t style, int32_t width, int32_t colour);
// The current view's requested window with width index 13.
int drw_frame(HDC dc, int32_t style, int32_t colour);
int drw_endmark(HDC dc, int32_t style, double x1, double y1, double x2, double y2, int32_t width, int32_t colour);
int drw_arcmark(HDC dc, int32_t style, double cx, double cy, double r, double start, double end, int32_t width,
                int32_t colour);
// A very large arc as 16 chords per visible run; 1 for a radius of 1e-100 or less, else 0.
int drw_arcclip(HDC dc, int32_t style, int32_t width, double cx, double cy, double r, double start, double end,
                int32_t colour);

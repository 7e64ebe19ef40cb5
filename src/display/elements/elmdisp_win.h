// Element display operations that take windows and device contexts.
#pragma once

#include <windows.h>

#include "database/record.h"
#include "display/elements/elmdisp.h"

constexpr int HIL_MAX = 400;
struct HighlightListRecord {
  uint32_t ids[HIL_MAX];
  int32_t count;
};
struct PieceSkipRangeRecord {
  uint32_t first, last; // (0, 0) empty
};
extern HighlightListRecord HighlightList;
extern PieceSkipRangeRecord PieceSkipRange;
extern uint32_t TextPartHilite;
extern uint32_t LayerHiliteMode;

int hil_add(uint32_t n);
int dsp_escclr();
int dsp_setplot(uint32_t flag);
int dsp_metadel(int dwg, int view);
int dsp_chrparam(uint16_t attr, double height, double width, double spacing, double angle, double slant);

extern HMETAFILE ViewMetafiles[2][16];

int dsp_point(uint32_t mask, int32_t kind, int32_t width, double x, double y, int32_t colour);
int dsp_line(uint32_t mask, int32_t style, int32_t width, double x1, double y1, double x2, double y2, int32_t colour);
int dsp_arc(uint32_t mask, int32_t style, int32_t width, double cx, double cy, double r, double start, double end,
            int32_t colour);
int dsp_rect(uint32_t mask, int32_t style, int32_t width, double x1, double y1, double x2, double y2, int32_t colour);
int dsp_text(uint32_t mask, int32_t face, double x, double y, const char *text, int32_t width, int32_t colour);
int dsp_frame(uint32_t mask, int32_t colour);
int dsp_fill(uint32_t mask, const ElementRecord *node, int32_t colour);
int dsp_mark(uint32_t mask, int32_t kind, int32_t width, double x, double y, int32_t colour);
int dsp_markdc(HDC dc, int32_t kind, int32_t width, double x, double y, int32_t colour);
// kind 2 a line block (x1, y1, x2, y2, attribute word), 4 an arc block (cx, cy, r,
// start, end, attribute word).
int dsp_geom(uint32_t mask, int32_t colour, int32_t kind, const void *block);
// Draws the visible pieces of a hidden-line group (mode 0 the group node, mode 1
// its masked original). 0.
int dsp_hidline(int mode, HDC dc, int32_t colour, const ElementRecord *rec);
int hil_redraw(int dwg, int32_t colour);
int hil_redrawvw(int view, int32_t colour);
int hil_flush(uint32_t mask, int32_t colour);
int dsp_escpoll(HWND wnd);
// -1 bad drawing, view or closed view; -2 the metafile cannot be made; else 0.
int dsp_metarec(int dwg, int view, uint16_t cellfilter, int32_t colour);

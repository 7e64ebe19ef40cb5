// GDI layer: the pen caches and every device primitive of the engine, and the
// dash emulation that draws dashed kinds and arcs on the screen.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr int PEN_KINDS = 6;
constexpr int PEN_WIDTHS = 14;
constexpr int PEN_COLOURS = 21; // colour 20 is black

struct PenCacheRecord {
  HPEN screen[PEN_KINDS][PEN_WIDTHS][PEN_COLOURS];
  HPEN output[PEN_KINDS][PEN_WIDTHS][PEN_COLOURS]; // off-screen and printed output
  COLORREF PaletteSnapshot[20];
  HDC dc;                           // target DC of the current pen
  int32_t colour, kind, width, rop; // the current pen; -1 after gdi_target
  uint32_t target;                  // 1 while a caller has fixed the target DC
  int32_t platform;                 // 1 NT, 2 Win32s, 3 9x family, 0 other
};
extern PenCacheRecord PenCache;

// Switch of the element display: on, output goes to the plotter's pitch set and pen cache.
extern uint32_t PlotterMode;

// The GDI calls the layer makes, replaceable so tests can watch call sequences;
// they start as the real functions.
struct GdiCalls {
  BOOL(WINAPI *MoveToEx)(HDC, int, int, LPPOINT);
  BOOL(WINAPI *LineTo)(HDC, int, int);
  BOOL(WINAPI *Polyline)(HDC, const POINT *, int);
  BOOL(WINAPI *PolyPolyline)(HDC, const POINT *, const DWORD *, DWORD);
  BOOL(WINAPI *Arc)(HDC, int, int, int, int, int, int, int, int);
  BOOL(WINAPI *Ellipse)(HDC, int, int, int, int);
  COLORREF(WINAPI *SetPixel)(HDC, int, int, COLORREF);
  HPEN(WINAPI *CreatePen)(int, int, COLORREF);
  HPEN(WINAPI *CreatePenIndirect)(const LOGPEN *);
  HPEN(WINAPI *ExtCreatePen)(DWORD, DWORD, const LOGBRUSH *, DWORD, const DWORD *);
  HBRUSH(WINAPI *CreateSolidBrush)(COLORREF);
  HFONT(WINAPI *CreateFontIndirectA)(const LOGFONTA *);
  BOOL(WINAPI *DeleteObject)(HGDIOBJ);
  HGDIOBJ(WINAPI *SelectObject)(HDC, HGDIOBJ);
  int(WINAPI *SetROP2)(HDC, int);
  BOOL(WINAPI *TextOutA)(HDC, int, int, LPCSTR, int);
  BOOL(WINAPI *ExtTextOutA)(HDC, int, int, UINT, const RECT *, LPCSTR, UINT, const INT *);
  BOOL(WINAPI *FillRgn)(HDC, HRGN, HBRUSH);
  int(WINAPI *GetDeviceCaps)(HDC, int);
};
extern GdiCalls gdi_calls;
void gdi_realcalls(); // puts the real functions back

// Built-in dash patterns by line kind, in units, ended by 0.
extern const uint32_t DashTable[6][8];

int gdi_init();
int gdi_term();
int gdi_palette(const COLORREF colours[20]);
void gdi_freepen2();
int gdi_target(HDC dc, int mode);
int gdi_setpen(HDC dc, int kind, int width, int colour, int rop);
// As gdi_setpen; without `modes` the DC's background mode and ROP are taken as the
// last gdi_setpen on it left them (a caller that knows nothing changed them since).
int gdi_pen(HDC dc, int kind, int width, int colour, int rop, bool modes);
int gdi_isscreen();
int gdi_emumode();
COLORREF gdi_colour(int colour); // colour of an index of the cache's palette; 20 and others black
int gdi_pixel(int32_t x, int32_t y);
int gdi_mark(int32_t x, int32_t y);
int gdi_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int gdi_arc(int32_t cx, int32_t cy, int32_t r, double start, double end);
int gdi_shape(int32_t x, int32_t y);
int gdi_bigdot(int32_t x, int32_t y);
int gdi_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int gdi_noop();
int gdi_text(int32_t x, int32_t y, int32_t height, int32_t width, double angle, const char *text);
int gdi_textclip(int32_t x, int32_t y, int32_t height, int32_t width, double angle, const char *text, const RECT *clip);
int gdi_fillrgn(int mode, int colour, int dwg, HDC dc, HRGN rgn);
// While on, solid copy-pen lines are held and sent together as one PolyPolyline (the
// same pixels as their single calls); any other drawing or pen change sends what is
// held first. Texts draw many short strokes this way, and a walk over elements many
// lines of one pen. Gives the state before.
bool gdi_strokes(bool on);
void gdi_strokeflush();
// n polylines of counts[i] points each, as one PolyPolyline; on a 16-bit metafile
// device context, which cannot record that call, one Polyline each.
void gdi_polys(HDC dc, const POINT *pts, const DWORD *counts, DWORD n);
// Polylines drawn with the current pen: two-point ones held while strokes are held
// and the pen copies, others drawn at once after what is held (gdi_polys).
void gdi_polysout(HDC dc, const POINT *pts, const DWORD *counts, DWORD n);
void gdi_polyout(HDC dc, const POINT *pts, int n);

// Dash emulation, raster arcs and the polyline batch.
struct PatternPhaseRecord {
  uint32_t continuous; // on while chord-drawn arcs run the pattern on from chord to chord
  uint32_t valid;
  uint32_t work[8];
  uint32_t saved[8];
  int32_t index;
  int32_t sum;   // tenths
  double length; // in the set's units
};
extern PatternPhaseRecord PatternPhase;
void gdi_patcont(uint32_t on); // sets the continuous switch; the phase starts afresh

// Radii beyond this many pixels are drawn as fine chords: GDI's own ellipse
// code cannot take them (and chords need no dash walk of millions of steps).
constexpr int32_t ARC_LIMIT = 32767;
void gdi_hugearc(HDC dc, int32_t cx, int32_t cy, int32_t r, double start, double end);
int gdi_dashunit(HDC dc); // pixels of one built-in dash unit
int gdi_dashlen(int set, int kind, double *length, uint32_t lengths[8]);
int gdi_dashline(HDC dc, int kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int gdi_pitchline(HDC dc, int kind, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int gdi_polyarc(HDC dc, int kind, int32_t cx, int32_t cy, int32_t r, double start, double end);
int gdi_pitcharc(HDC dc, int kind, int32_t cx, int32_t cy, int32_t r, double start, double end);
int pln_arc(HDC dc, int kind, int32_t cx, int32_t cy, int32_t r, double start, double end);
int gdi_patreset(uint32_t out[8]);
int gdi_patphase(int kind, int index, int sum, double periods);
int pln_alloc();
void pln_free();
void pln_add(HDC dc, const POINT *p, const POINT *q); // null points flush
int pln_clip(POINT *p, POINT *q);
void pln_setclip(uint32_t on, int32_t xmin, int32_t ymin, int32_t xmax, int32_t ymax);
int pln_octant(int32_t r);
int pln_octcount();
const POINT *pln_octlist();
void pln_quadrant(HDC dc, int32_t cx, int32_t cy, int32_t r, POINT s, POINT e, int quadrant);
void pln_octfwd(HDC dc, int32_t cx, int32_t cy, POINT o, int quadrant);
void pln_octback(HDC dc, int32_t cx, int32_t cy, POINT o, int quadrant);

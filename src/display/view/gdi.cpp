#include "display/view/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "display/marks/markshape.h"
#include "display/view/scrsave.h"
#include "display/view/view.h"
#include "settings/params.h"
#include "display/view/viewstate.h"
#include "settings/winutil.h"

PenCacheRecord PenCache;
uint32_t PlotterMode;
GdiCalls gdi_calls;

const uint32_t DashTable[6][8] = {
    {0}, {2, 2, 4, 2, 2, 0}, {2, 1, 1, 1, 2, 0}, {2, 1, 1, 1, 1, 1, 2, 0}, {1, 2, 1, 0}, {1, 3, 1, 0},
};

namespace {

const int PenStyles[6] = {PS_SOLID, PS_DASH, PS_DASHDOT, PS_DASHDOTDOT, PS_DOT, PS_DOT};
const uint32_t DashStyleCounts[6][8] = {
    {0}, {4, 2}, {5, 1, 1, 1}, {5, 1, 1, 1, 1, 1}, {2, 2}, {1, 3},
};

const COLORREF DefaultPalette[20] = {
    RGB(0, 255, 0),     RGB(0, 255, 255),   RGB(255, 255, 255), RGB(255, 0, 255),  RGB(0, 0, 255),
    RGB(128, 0, 128),   RGB(128, 128, 0),   RGB(128, 128, 128), RGB(154, 205, 50), RGB(255, 165, 0),
    RGB(184, 136, 59),  RGB(255, 105, 180), RGB(255, 0, 255),   RGB(255, 0, 0),    RGB(255, 255, 0),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(255, 255, 255), RGB(0, 255, 255),  RGB(0, 0, 128),
};

struct LoadInit {
  LoadInit() {
    gdi_realcalls();
    std::memcpy(PenCache.PaletteSnapshot, DefaultPalette, sizeof DefaultPalette);
    PenCache.colour = PenCache.kind = PenCache.width = PenCache.rop = -1;
  }
} load_init;

// Strokes held by gdi_strokes.
struct StrokeBatch {
  static constexpr int POINTS = 512, POLYS = 256;
  // A pen wider than a pixel is drawn as a region built over the whole call, at a
  // cost that grows faster than the figures: few of them go together.
  static constexpr int WIDE_POLYS = 16;
  // Only single strokes (lines, dashes, glyph strokes) are held: the longer polylines
  // of arcs drew about twice as slowly sent many to a call (Wine's bitmap engine),
  // so they go out one to a call, after what is held.
  static constexpr int HOLD_POINTS = 2;
  bool on;
  int npts, npoly;
  int limit = POLYS; // polylines held at most with the current pen
  HDC dc;
  POINT pts[POINTS];
  DWORD counts[POLYS];
} Strokes;

// Room for one more polyline of n points on dc: what is held for another DC, or
// what leaves too little room, goes out first. False when n can never fit.
bool batch_room(HDC dc, int n) {
  if (n > StrokeBatch::POINTS)
    return false;
  if (Strokes.npoly >= Strokes.limit || Strokes.npts + n > StrokeBatch::POINTS || Strokes.dc != dc)
    gdi_strokeflush();
  Strokes.dc = dc;
  return true;
}

typedef HPEN PenTable[PEN_KINDS][PEN_WIDTHS][PEN_COLOURS];

// Pixel widths of the pens of each cache (0 screen, 1 output), as made.
int PenPixels[2][PEN_KINDS][PEN_WIDTHS];

// Entries share pens: each distinct one is deleted once.
void delete_pens(PenTable &t) {
  std::vector<HPEN> pens;
  for (auto &k : t)
    for (auto &w : k)
      for (HPEN p : w)
        if (p)
          pens.push_back(p);
  std::sort(pens.begin(), pens.end());
  pens.erase(std::unique(pens.begin(), pens.end()), pens.end());
  for (HPEN p : pens)
    gdi_calls.DeleteObject(p);
  std::memset(&t, 0, sizeof t);
}

int pen_width(int kind, int w, bool output) {
  if (PenStyles[kind] != PS_SOLID || w == 13)
    return 1;
  DisplayBlock b;
  sys_dspprm('r', &b);
  uint32_t words[46];
  std::memcpy(words, &b, sizeof words);
  const uint32_t v = words[output && (PenMode & 0x8000) ? 33 + w : 20 + w];
  return static_cast<int>(std::min<uint32_t>(v, 1000));
}

HPEN solid_pen(bool user, int width, COLORREF c) {
  if (user)
    return gdi_calls.CreatePen(PS_SOLID, width, c);
  LOGPEN lp = {PS_SOLID, {width, 0}, c};
  return gdi_calls.CreatePenIndirect(&lp);
}

// Builds one cache; 0 when a creation fails (the rest stays empty).
int make_pens(PenTable &t, bool output) {
  const int emu = gdi_emumode();
  const bool user = PenCache.platform == 1 && (PenMode & ~0x8000u) == 0;
  for (int k = 0; k < PEN_KINDS; k++)
    for (int w = 0; w < PEN_WIDTHS; w++)
      PenPixels[output][k][w] = emu != 0 || k == 0 ? pen_width(0, w, output) : 1;
  for (int c = 0; c < PEN_COLOURS; c++) {
    const COLORREF col = c < 20 ? PenCache.PaletteSnapshot[c] : RGB(0, 0, 0);
    for (int w = 0; w < PEN_WIDTHS; w++)
      if (!(t[0][w][c] = solid_pen(user, pen_width(0, w, output), col)))
        return 0;
    for (int k = 1; k < PEN_KINDS; k++) {
      if (emu != 0) {
        for (int w = 0; w < PEN_WIDTHS; w++)
          t[k][w][c] = t[0][w][c];
        continue;
      }
      HPEN p;
      if (user) {
        LOGBRUSH lb = {BS_SOLID, col, 0};
        DWORD style[8];
        int n = 0;
        while (n < 8 && DashStyleCounts[k][n] != 0) {
          style[n] = DashTable[k][n];
          n++;
        }
        p = gdi_calls.ExtCreatePen(PS_USERSTYLE | PS_COSMETIC, 1, &lb, n, style);
      } else {
        LOGPEN lp = {static_cast<UINT>(PenStyles[k]), {1, 0}, col};
        p = gdi_calls.CreatePenIndirect(&lp);
      }
      if (!p)
        return 0;
      for (int w = 0; w < PEN_WIDTHS; w++)
        t[k][w][c] = p;
    }
  }
  return 1;
}

void forget_pen() { PenCache.colour = PenCache.kind = PenCache.width = PenCache.rop = -1; }

// A figure drawn solid: the pen re-selected with kind 0, the old kind after.
struct SolidPen {
  int kind;
  SolidPen() : kind(PenCache.kind) {
    if (kind != 0)
      gdi_setpen(PenCache.dc, 0, PenCache.width, PenCache.colour, PenCache.rop);
  }
  ~SolidPen() {
    if (kind != 0)
      gdi_setpen(PenCache.dc, kind, PenCache.width, PenCache.colour, PenCache.rop);
  }
};

void filled_ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  HBRUSH b = gdi_calls.CreateSolidBrush(gdi_colour(PenCache.colour));
  if (!b)
    return;
  HGDIOBJ old = gdi_calls.SelectObject(PenCache.dc, b);
  gdi_calls.Ellipse(PenCache.dc, x1, y1, x2, y2);
  gdi_calls.SelectObject(PenCache.dc, old);
  gdi_calls.DeleteObject(b);
}

int32_t clamp32(int64_t v) {
  const int64_t lim = static_cast<int64_t>(DEV_LIMIT);
  return static_cast<int32_t>(v < -lim ? -lim : (v > lim ? lim : v));
}

int text(int32_t x, int32_t y, int32_t height, int32_t width, double angle, const char *s, const RECT *clip) {
  gdi_strokeflush();
  if (!std::isfinite(angle))
    angle = 0;
  angle = std::fmod(angle, 360.0);
  if (angle < 0)
    angle += 360.0;
  TypefaceEntry faces[4];
  sys_typeface('r', faces);
  // Callers pass the font number as the line kind; kinds past the table use entry 0.
  const int k = PenCache.kind >= 0 && PenCache.kind < 4 ? PenCache.kind : 0;
  LOGFONTA lf;
  std::memset(&lf, 0, sizeof lf);
  lf.lfHeight = -std::clamp(height, 0, 9999999);
  lf.lfWidth = width < 0 ? 0 : width;
  lf.lfEscapement = lf.lfOrientation = static_cast<LONG>(angle * 10);
  lf.lfWeight = faces[k].style & 2 ? 700 : 400;
  lf.lfItalic = faces[k].style & 1;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_STRING_PRECIS;
  lf.lfClipPrecision = CLIP_CHARACTER_PRECIS | CLIP_LH_ANGLES;
  std::memcpy(lf.lfFaceName, faces[k].name, sizeof faces[k].name);
  lf.lfFaceName[sizeof lf.lfFaceName - 1] = '\0';
  HFONT f = gdi_calls.CreateFontIndirectA(&lf);
  if (!f)
    return 0;
  HDC dc = PenCache.dc;
  HGDIOBJ old = gdi_calls.SelectObject(dc, f);
  SetTextColor(dc, gdi_colour(PenCache.colour));
  const int n = static_cast<int>(std::strlen(s));
  if (clip)
    gdi_calls.ExtTextOutA(dc, x, y, ETO_CLIPPED, clip, s, n, nullptr);
  else
    gdi_calls.TextOutA(dc, x, y, s, n);
  gdi_calls.SelectObject(dc, old);
  gdi_calls.DeleteObject(f);
  return 1;
}

} // namespace

bool gdi_strokes(bool on) {
  const bool was = Strokes.on;
  if (!on)
    gdi_strokeflush();
  Strokes.on = on;
  return was;
}

void gdi_strokeflush() {
  if (Strokes.npoly > 0)
    gdi_polys(Strokes.dc, Strokes.pts, Strokes.counts, static_cast<DWORD>(Strokes.npoly));
  Strokes.npts = Strokes.npoly = 0;
}

void gdi_polysout(HDC dc, const POINT *pts, const DWORD *counts, DWORD n) {
  if (!Strokes.on || PenCache.rop != R2_COPYPEN || dc != PenCache.dc) {
    gdi_strokeflush();
    gdi_polys(dc, pts, counts, n);
    return;
  }
  for (DWORD i = 0; i < n; pts += counts[i], i++) {
    const int c = static_cast<int>(counts[i]);
    if (c > StrokeBatch::HOLD_POINTS || !batch_room(dc, c)) {
      gdi_strokeflush();
      gdi_calls.Polyline(dc, pts, c);
      continue;
    }
    std::memcpy(Strokes.pts + Strokes.npts, pts, sizeof(POINT) * size_t(c));
    Strokes.npts += c;
    Strokes.counts[Strokes.npoly++] = counts[i];
  }
}

void gdi_polyout(HDC dc, const POINT *pts, int n) {
  if (n < 1)
    return;
  const DWORD c = static_cast<DWORD>(n);
  gdi_polysout(dc, pts, &c, 1);
}

void gdi_polys(HDC dc, const POINT *pts, const DWORD *counts, DWORD n) {
  if (GetObjectType(dc) != OBJ_METADC) {
    gdi_calls.PolyPolyline(dc, pts, counts, n);
    return;
  }
  for (DWORD i = 0; i < n; pts += counts[i], i++)
    gdi_calls.Polyline(dc, pts, static_cast<int>(counts[i]));
}

void gdi_realcalls() {
  gdi_calls = GdiCalls{::MoveToEx,
                       ::LineTo,
                       ::Polyline,
                       ::PolyPolyline,
                       ::Arc,
                       ::Ellipse,
                       ::SetPixel,
                       ::CreatePen,
                       ::CreatePenIndirect,
                       ::ExtCreatePen,
                       ::CreateSolidBrush,
                       ::CreateFontIndirectA,
                       ::DeleteObject,
                       ::SelectObject,
                       ::SetROP2,
                       ::TextOutA,
                       ::ExtTextOutA,
                       ::FillRgn,
                       ::GetDeviceCaps};
}

COLORREF gdi_colour(int colour) { return colour >= 0 && colour < 20 ? PenCache.PaletteSnapshot[colour] : RGB(0, 0, 0); }

int gdi_init() {
  delete_pens(PenCache.screen);
  delete_pens(PenCache.output);
  PenCache.dc = nullptr;
  PenCache.target = 0;
  forget_pen();
  PenCache.platform = os_isnt() ? 1 : os_iswin32s() ? 2 : os_is9x() ? 3 : 0;
  if (!make_pens(PenCache.screen, false))
    return 0;
  return pln_alloc();
}

int gdi_term() {
  delete_pens(PenCache.screen);
  delete_pens(PenCache.output);
  for (SavedBitmap &s : SavedBitmaps) {
    if (s.bmp)
      gdi_calls.DeleteObject(s.bmp);
    s = SavedBitmap{};
  }
  PenCache.dc = nullptr;
  PenCache.target = 0;
  forget_pen();
  pln_free();
  return 1;
}

int gdi_palette(const COLORREF colours[20]) {
  const bool screen = gdi_isscreen();
  PenTable &t = screen ? PenCache.screen : PenCache.output;
  delete_pens(t);
  std::memcpy(PenCache.PaletteSnapshot, colours, sizeof PenCache.PaletteSnapshot);
  return make_pens(t, !screen);
}

void gdi_freepen2() { delete_pens(PenCache.output); }

int gdi_target(HDC dc, int mode) {
  gdi_strokeflush();
  if (mode == 1) {
    PenCache.dc = dc;
    PenCache.target = 1;
  } else {
    PenCache.target = 0;
  }
  forget_pen();
  return 1;
}

int gdi_setpen(HDC dc, int kind, int width, int colour, int rop) { return gdi_pen(dc, kind, width, colour, rop, true); }

int gdi_pen(HDC dc, int kind, int width, int colour, int rop, bool modes) {
  gdi_strokeflush();
  if (kind < 0 || kind >= PEN_KINDS)
    kind = 0;
  if (width < 0 || width >= PEN_WIDTHS)
    width = 0;
  if (colour < 0 || colour >= PEN_COLOURS)
    colour = 0;
  if (rop != R2_XORPEN && rop != R2_COPYPEN)
    rop = R2_COPYPEN;
  if (PenCache.target)
    dc = PenCache.dc;
  if (modes) {
    SetBkMode(dc, TRANSPARENT);
    gdi_calls.SetROP2(dc, rop);
  }
  const int sel = gdi_emumode() != 0 && kind != 0 ? 0 : kind;
  const bool screen = gdi_isscreen();
  HPEN pen = screen ? PenCache.screen[sel][width][colour] : PenCache.output[sel][width][colour];
  Strokes.limit = PenPixels[!screen][sel][width] > 1 ? StrokeBatch::WIDE_POLYS : StrokeBatch::POLYS;
  if (pen)
    gdi_calls.SelectObject(dc, pen);
  PenCache.dc = dc;
  PenCache.kind = kind;
  PenCache.width = width;
  PenCache.colour = colour;
  PenCache.rop = rop;
  return 1;
}

int gdi_isscreen() {
  if (OutputKind == 1 || OutputKind == 3 || OutputKind == 4 || OffscreenOutput == 1 || PlotterMode)
    return 0;
  return 1;
}

int gdi_emumode() {
  if (OffscreenOutput == 1)
    return 0;
  int set = 0;
  if (OutputKind == 1)
    set = 1;
  else if (PlotterMode)
    set = 2;
  else if (OutputKind == 4)
    set = 1;
  uint32_t sel = 0;
  sys_ltsel('r', set, &sel);
  return sel == 1 ? 2 : 1;
}

int gdi_pixel(int32_t x, int32_t y) {
  gdi_strokeflush();
  gdi_calls.SetPixel(PenCache.dc, x, y, gdi_colour(PenCache.colour));
  return 1;
}

int gdi_mark(int32_t x, int32_t y) {
  gdi_strokeflush();
  switch (PenCache.kind) {
  case 0:
    filled_ellipse(x - 2, y - 2, x + 2, y + 2);
    break;
  case 1: {
    SolidPen solid;
    gdi_line(x - 3, y, x + 4, y);
    gdi_line(x, y - 3, x, y + 4);
    break;
  }
  case 2: {
    SolidPen solid;
    gdi_arc(x, y, 2, 0, 360);
    break;
  }
  case 3: {
    SolidPen solid;
    filled_ellipse(x - 3, y - 3, x + 3, y + 3);
    break;
  }
  case 4: {
    SolidPen solid;
    gdi_line(x - 2, y - 2, x + 3, y + 3);
    gdi_line(x - 2, y + 2, x + 3, y - 3);
    break;
  }
  case 5: {
    SolidPen solid;
    filled_ellipse(x - 4, y - 4, x + 4, y + 4);
    break;
  }
  default:
    gdi_pixel(x, y);
  }
  return 1;
}

int gdi_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (Strokes.on && PenCache.kind == 0 && PenCache.rop == R2_COPYPEN) {
    batch_room(PenCache.dc, 2);
    Strokes.pts[Strokes.npts++] = POINT{x1, y1};
    Strokes.pts[Strokes.npts++] = POINT{x2, y2};
    Strokes.counts[Strokes.npoly++] = 2;
    return 1;
  }
  if (PenCache.kind > 0 && gdi_emumode() != 0) // the dash walk holds its polylines itself
    return gdi_dashline(PenCache.dc, PenCache.kind, x1, y1, x2, y2), 1;
  gdi_strokeflush();
  gdi_calls.MoveToEx(PenCache.dc, x1, y1, nullptr);
  gdi_calls.LineTo(PenCache.dc, x2, y2);
  return 1;
}

// Arcs drawn by the emulation and huge arcs go out as polylines (gdi_polyout), held
// with the strokes; only GDI's own Arc sends what is held first.
int gdi_arc(int32_t cx, int32_t cy, int32_t r, double start, double end) {
  HDC dc = PenCache.dc;
  if (r > ARC_LIMIT) {
    gdi_hugearc(dc, cx, cy, r, start, end);
    return 1;
  }
  const int64_t r64 = r;
  const int32_t left = clamp32(cx - r64), top = clamp32(cy - r64), right = clamp32(cx + r64),
                bottom = clamp32(cy + r64);
  const bool full = std::fabs(end - start - 360) <= 0.001;
  if (!full) {
    const double rs = start * std::numbers::pi / 180, re = end * std::numbers::pi / 180;
    const int32_t sx = clamp32(cx + static_cast<int64_t>(dev_trunc(r * std::cos(rs) + 0.5)));
    const int32_t sy = clamp32(cy - static_cast<int64_t>(dev_trunc(r * std::sin(rs) + 0.5)));
    const int32_t ex = clamp32(cx + static_cast<int64_t>(dev_trunc(r * std::cos(re) + 0.5)));
    const int32_t ey = clamp32(cy - static_cast<int64_t>(dev_trunc(r * std::sin(re) + 0.5)));
    if (std::abs(static_cast<int64_t>(sx) - ex) < 2 && std::abs(static_cast<int64_t>(sy) - ey) < 2 &&
        std::fabs(end - start) < 270) {
      gdi_pixel(sx, sy);
      return 1;
    }
    if (gdi_emumode() != 0)
      return pln_arc(dc, PenCache.kind, cx, cy, r, start, end), 1;
    gdi_strokeflush();
    gdi_calls.Arc(dc, left, top, right, bottom, sx, sy, ex, ey);
    return 1;
  }
  if (gdi_emumode() != 0)
    return pln_arc(dc, PenCache.kind, cx, cy, r, start, end), 1;
  gdi_strokeflush();
  gdi_calls.Arc(dc, left, top, right, bottom, right, top, left, top);
  gdi_calls.Arc(dc, left, top, right, bottom, left, top, right, top);
  return 1;
}

int gdi_shape(int32_t x, int32_t y) {
  gdi_strokeflush();
  for (const MarkShapePart &p : MarkShapeTable) {
    if (static_cast<int32_t>(p.type) <= 0)
      break;
    if (p.type == 1) {
      SolidPen solid;
      gdi_line(x + p.box.a, y + p.box.b, x + p.box.c, y + p.box.d);
    } else if (p.type == 2) {
      SolidPen solid;
      gdi_arc(x, y, p.arc.r, p.arc.start, p.arc.end);
    } else if (p.type == 3) {
      filled_ellipse(x + p.box.a, y + p.box.b, x + p.box.c, y + p.box.d);
    }
  }
  return 1;
}

int gdi_bigdot(int32_t x, int32_t y) {
  gdi_strokeflush();
  filled_ellipse(x - 5, y - 5, x + 5, y + 5);
  return 1;
}

int gdi_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  gdi_strokeflush();
  const POINT p[5] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
  gdi_calls.Polyline(PenCache.dc, p, 5);
  return 1;
}

int gdi_noop() { return 1; }

int gdi_text(int32_t x, int32_t y, int32_t height, int32_t width, double angle, const char *s) {
  return text(x, y, height, width, angle, s, nullptr);
}

int gdi_textclip(int32_t x, int32_t y, int32_t height, int32_t width, double angle, const char *s, const RECT *clip) {
  return text(x, y, height, width, angle, s, clip);
}

int gdi_fillrgn(int mode, int colour, int dwg, HDC dc, HRGN rgn) {
  gdi_strokeflush();
  if (PenCache.target)
    dc = PenCache.dc;
  COLORREF c;
  if (mode != 0) {
    c = colour >= 0 && colour < PALETTE_COUNT ? Palette[colour] : RGB(0, 0, 0);
  } else {
    FillBlock fb;
    if (colour < 1 || colour > 8 || sys_paint('r', dwg, &fb) != 0)
      return 1;
    c = fb.colour[colour - 1];
  }
  HBRUSH b = gdi_calls.CreateSolidBrush(c);
  if (!b)
    return 1;
  const BOOL ok = gdi_calls.FillRgn(dc, rgn, b);
  gdi_calls.DeleteObject(b);
  return ok ? 0 : 1;
}

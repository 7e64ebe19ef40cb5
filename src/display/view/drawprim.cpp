#include "display/view/drawprim.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "display/view/cliprect.h"
#include "display/view/gdi.h"
#include "display/view/view.h"
#include "geometry/geo.h"
#include "settings/params.h"
#include "display/view/viewstate.h"

int16_t DrwArrowPixels = 7;

namespace {

constexpr double COS15 = 0.965925826;
constexpr double SIN15 = 0.258819045;

struct PenMemo {
  bool on;
  HDC dc;
  int kind, width, colour, rop;
};
PenMemo Memo;

// Within a walk the pen of the last figure is often the pen of the next: the
// selection is skipped when nothing has selected another pen since.
void setpen(HDC dc, int kind, int width, int colour, int rop) {
  const HDC eff = PenCache.target ? PenCache.dc : dc;
  if (Memo.on && Memo.dc == eff && Memo.kind == kind && Memo.width == width && Memo.colour == colour &&
      Memo.rop == rop && PenCache.dc == eff && PenCache.kind == kind && PenCache.width == width &&
      PenCache.colour == colour && PenCache.rop == rop)
    return;
  // Within a walk nothing else sets the mode or ROP of its DC: a pen change with the
  // same ROP on the same DC selects the pen alone (two device calls fewer).
  const bool same = Memo.on && Memo.dc == eff && Memo.rop == rop && PenCache.dc == eff && PenCache.rop == rop;
  gdi_pen(dc, kind, width, colour, rop, !same);
  Memo = {Memo.on, eff, kind, width, colour, rop};
}

int pen_kind(int32_t style) {
  const int k = (style & 15) - 1;
  return k < 0 || k > 5 ? 0 : k;
}

// Draws once with a copy pen, or for an XOR colour first in the erase colour and
// then in the colour, both XOR.
template <class F> void with_pen(HDC dc, int kind, int32_t width, int32_t colour, F draw) {
  if (colour & DRW_XOR) {
    uint16_t cm[20];
    sys_colmap('r', cm);
    setpen(dc, kind, width, cm[16], R2_XORPEN);
    draw();
    setpen(dc, kind, width, colour & 31, R2_XORPEN);
    draw();
  } else {
    setpen(dc, kind, width, colour & 31, R2_COPYPEN);
    draw();
  }
}

bool inside(const double *r, double x, double y) { return x >= r[0] && x <= r[2] && y >= r[1] && y <= r[3]; }

bool in_shown(double x, double y) {
  return x >= DrawXform.sxmin && x <= DrawXform.sxmax && y >= DrawXform.symin && y <= DrawXform.symax;
}

template <class G> int point_figure(HDC dc, double x, double y, int32_t style, int32_t width, int32_t colour, G fig) {
  double vis[4];
  dsp_visible(vis);
  if (!inside(vis, x, y))
    return 0;
  int32_t px, py;
  drw_w2d(x, y, &px, &py);
  with_pen(dc, pen_kind(style), width, colour, [&] { fig(px, py); });
  return 0;
}

struct EndSizes {
  double arrow, circle;
};

EndSizes end_sizes() {
  DimAttrs d;
  sys_dimatr('r', &d);
  float a, c;
  std::memcpy(&a, reinterpret_cast<const char *>(&d) + 34, 4);
  std::memcpy(&c, reinterpret_cast<const char *>(&d) + 38, 4);
  return {a, c};
}

// One end mark at p, d the unit direction into the element.
void end_mark(HDC dc, int code, double px, double py, double dx, double dy, const EndSizes &sz, int32_t width,
              int32_t colour) {
  auto arrow = [&](double len, bool closed) {
    const double ax = px + len * (COS15 * dx - SIN15 * dy), ay = py + len * (SIN15 * dx + COS15 * dy);
    const double bx = px + len * (COS15 * dx + SIN15 * dy), by = py + len * (-SIN15 * dx + COS15 * dy);
    drw_line(dc, ax, ay, px, py, 1, width, colour);
    drw_line(dc, px, py, bx, by, 1, width, colour);
    if (closed)
      drw_line(dc, ax, ay, bx, by, 1, width, colour);
  };
  switch (code) {
  case 1:
    arrow(sz.arrow, false);
    break;
  case 2:
    drw_arc(dc, px, py, sz.circle, 0, 360, 1, width, colour);
    drw_arc(dc, px, py, sz.circle / 2, 0, 360, 1, width, colour);
    break;
  case 3:
    arrow(sz.arrow, true);
    break;
  case 6:
    drw_arc(dc, px, py, sz.circle, 0, 360, 1, width, colour);
    break;
  case 7:
    if (DrawXform.xscale > 0)
      arrow(DrwArrowPixels / DrawXform.xscale, false);
    break;
  default: // 0, 4, 5: none
    break;
  }
}

uint32_t outcode(double x, double y) {
  uint32_t c = 0;
  if (y > DrawXform.symax)
    c |= 8;
  else if (y < DrawXform.symin)
    c |= 4;
  if (x > DrawXform.sxmax)
    c |= 2;
  else if (x < DrawXform.sxmin)
    c |= 1;
  return c;
}

double clamp1(double v) { return v < -1 ? -1 : v > 1 ? 1 : v; }

// Angle in quadrant i where the circle meets the boundary bit, not below start.
double crossing(uint32_t bit, int i, double cx, double cy, double r, double start) {
  double a;
  if (bit & 12) {
    const double y = bit == 8 ? DrawXform.symax : DrawXform.symin;
    a = deg_asin(clamp1((y - cy) / r));
    if (((i + 1) % 4) & 2)
      a = 180 - a;
  } else {
    const double x = bit == 2 ? DrawXform.sxmax : DrawXform.sxmin;
    a = deg_acos(clamp1((x - cx) / r));
    if (i & 2)
      a = 360 - a;
  }
  if (a < 0)
    a += 360;
  while (start - a > 1e-6)
    a += 360;
  return a;
}

} // namespace

void drw_penmemo(bool on) { Memo = PenMemo{on, nullptr, -1, -1, -1, -1}; }

int drw_point(HDC dc, double x, double y, int32_t style, int32_t width, int32_t colour) {
  return point_figure(dc, x, y, style, width, colour, [](int32_t px, int32_t py) { gdi_mark(px, py); });
}

int drw_shape(HDC dc, double x, double y, int32_t style, int32_t width, int32_t colour) {
  return point_figure(dc, x, y, style, width, colour, [](int32_t px, int32_t py) { gdi_shape(px, py); });
}

int drw_bigdot(HDC dc, double x, double y, int32_t style, int32_t width, int32_t colour) {
  return point_figure(dc, x, y, style, width, colour, [](int32_t px, int32_t py) { gdi_bigdot(px, py); });
}

int drw_line(HDC dc, double x1, double y1, double x2, double y2, int32_t style, int32_t width, int32_t colour) {
  double vis[4];
  dsp_visible(vis);
  double a = x1, b = y1, c = x2, d = y2;
  if (geo_segclip(vis[0], vis[1], vis[2], vis[3], &a, &b, &c, &d) != 0)
    return 0;
  int32_t p1x, p1y, p2x, p2y;
  drw_w2d(a, b, &p1x, &p1y);
  drw_w2d(c, d, &p2x, &p2y);
  with_pen(dc, pen_kind(style), width, colour, [&] {
    if (p1x == p2x && p1y == p2y)
      gdi_pixel(p1x, p1y);
    else
      gdi_line(p1x, p1y, p2x, p2y);
  });
  if (style & 0x3F0)
    drw_endmark(dc, style, x1, y1, x2, y2, width, colour);
  return 0;
}

int drw_arc(HDC dc, double cx, double cy, double r, double start, double end, int32_t style, int32_t width,
            int32_t colour) {
  const double rpx = r * DrawXform.xscale + 0.5;
  if (rpx < DRW_CHORD_PIXELS || OffscreenOutput) {
    double vis[4];
    dsp_visible(vis);
    AngleInterval parts[ARCCLIP_MAX];
    uint32_t n = 0;
    if (geo_arcclip(vis[0], vis[1], vis[2], vis[3], cx, cy, r, start, end, parts, &n) != 0)
      return 0;
    if (n == 0)
      return style & 0x3F0 ? drw_arcmark(dc, style, cx, cy, r, start, end, width, colour) : 0;
    int32_t px, py;
    drw_w2d(cx, cy, &px, &py);
    const int32_t ir = dev_trunc(rpx);
    with_pen(dc, pen_kind(style), width, colour, [&] {
      for (uint32_t i = 0; i < n && i < ARCCLIP_MAX; i++) {
        if (ir > 1)
          gdi_arc(px, py, ir, parts[i].start, parts[i].end);
        else
          gdi_pixel(px, py);
      }
    });
  } else {
    drw_arcclip(dc, style, width, cx, cy, r, start, end, colour);
  }
  if (style & 0x3F0)
    drw_arcmark(dc, style, cx, cy, r, start, end, width, colour);
  return 0;
}

int drw_rect(HDC dc, double x1, double y1, double x2, double y2, int32_t style, int32_t width, int32_t colour) {
  drw_line(dc, x1, y1, x1, y2, style, width, colour);
  drw_line(dc, x1, y2, x2, y2, style, width, colour);
  drw_line(dc, x1, y1, x2, y1, style, width, colour);
  drw_line(dc, x2, y2, x2, y1, style, width, colour);
  return 0;
}

int drw_frame(HDC dc, int32_t style, int32_t colour) {
  return drw_rect(dc, DrawXform.rxmin, DrawXform.rymin, DrawXform.rxmax, DrawXform.rymax, style, 13, colour);
}

int drw_endmark(HDC dc, int32_t style, double x1, double y1, double x2, double y2, int32_t width, int32_t colour) {
  const int cs = (style >> 4) & 7, ce = (style >> 7) & 7;
  const double len = std::hypot(x2 - x1, y2 - y1);
  if (len <= 1e-6 || (cs == 0 && ce == 0))
    return 0;
  const double ux = (x2 - x1) / len, uy = (y2 - y1) / len;
  const EndSizes sz = end_sizes();
  if (cs && in_shown(x1, y1))
    end_mark(dc, cs, x1, y1, ux, uy, sz, width, colour);
  if (ce && in_shown(x2, y2))
    end_mark(dc, ce, x2, y2, -ux, -uy, sz, width, colour);
  return 0;
}

int drw_arcmark(HDC dc, int32_t style, double cx, double cy, double r, double start, double end, int32_t width,
                int32_t colour) {
  const int cs = (style >> 4) & 7, ce = (style >> 7) & 7;
  if (cs == 0 && ce == 0)
    return 0;
  const EndSizes sz = end_sizes();
  const double k = sz.arrow != 0 ? r * DrawXform.xscale / sz.arrow : 1e300;
  const double c = k < 1 ? 14 : k < 8 ? (8 - k) * 2 : 0;
  auto at = [&](int code, double a, double dir) {
    const double px = cx + r * deg_cos(a), py = cy + r * deg_sin(a);
    if (code && in_shown(px, py))
      end_mark(dc, code, px, py, deg_cos(dir), deg_sin(dir), sz, width, colour);
  };
  at(cs, start, start + 90 + c);
  at(ce, end, end - 90 - c);
  return 0;
}

int drw_arcclip(HDC dc, int32_t style, int32_t width, double cx, double cy, double r, double start, double end,
                int32_t colour) {
  if (!(r > 1e-100))
    return 1;
  const DrawXformRecord &v = DrawXform;
  if (cx + r <= v.sxmin || cx - r >= v.sxmax || cy + r <= v.symin || cy - r >= v.symax)
    return 0;
  if (!std::isfinite(start) || !std::isfinite(end))
    return 0;
  start -= std::floor(start / 360) * 360;
  end -= std::floor(end / 360) * 360;
  if (start >= end)
    end += 360;

  struct Run {
    double s, e;
  };
  std::vector<Run> runs;
  bool open = false;
  Run cur{0, 0};
  const int q0 = int(std::trunc(start / 90)), q1 = int(std::trunc((end - 1e-6) / 90));
  for (int q = q0; q <= q1; q++) {
    const int i = q % 4;
    double s = q == q0 ? start : q * 90.0;
    double e = q == q1 ? end : (q + 1) * 90.0;
    const double sx = cx + r * deg_cos(s), sy = cy + r * deg_sin(s);
    const double ex = cx + r * deg_cos(e), ey = cy + r * deg_sin(e);
    const uint32_t c1 = outcode(sx, sy), c2 = outcode(ex, ey);
    if (c1 & c2) { // this quadrant's piece is not visible: an open run ends before it
      if (open)
        runs.push_back(cur), open = false;
      continue;
    }
    bool scut = false, ecut = false;
    const double s0 = s;
    for (uint32_t bit = 1; bit <= 8; bit <<= 1) {
      if (c1 & bit) {
        const double a = crossing(bit, i, cx, cy, r, s0);
        if (a > s)
          s = a, scut = true;
      } else if (c2 & bit) {
        const double a = crossing(bit, i, cx, cy, r, s0);
        if (a < e)
          e = a, ecut = true;
      }
    }
    if (!ecut) {
      if (scut && open)
        runs.push_back(cur), open = false;
      if (open)
        cur.e = e;
      else
        cur = {s, e}, open = true;
    } else if (scut || !open) {
      if (open)
        runs.push_back(cur), open = false;
      runs.push_back({s, e});
    } else {
      cur.e = e;
      runs.push_back(cur);
      open = false;
    }
  }
  if (open)
    runs.push_back(cur);
  if (runs.size() > 1 && std::fabs(runs.front().s + 360 - runs.back().e) < 1e-9) {
    runs.front() = {runs.back().s, runs.front().e + 360};
    runs.pop_back();
  }

  gdi_patcont(1);
  for (const Run &run : runs) {
    if (!(run.s < run.e))
      continue;
    const double step = (run.e - run.s) / 16, cs = deg_cos(step), sn = deg_sin(step);
    double vx = r * deg_cos(run.s), vy = r * deg_sin(run.s);
    for (int k = 0; k < 16; k++) {
      const double nx = vx * cs - vy * sn, ny = vx * sn + vy * cs;
      drw_line(dc, cx + vx, cy + vy, cx + nx, cy + ny, style & 15, width, colour);
      vx = nx, vy = ny;
    }
  }
  gdi_patcont(0);
  return 0;
}

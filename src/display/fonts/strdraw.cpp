#include "display/fonts/strdraw.h"

#include <cmath>
#include <cstring>

#include "database/elements.h"
#include "display/view/cliprect.h"
#include "display/view/drawprim.h"
#include "display/fonts/fontfile.h"
#include "display/view/gdi.h"
#include "display/view/view.h"
#include "geometry/geo.h"
#include "geometry/text.h"
#include "display/fonts/text_win.h"
#include "settings/params.h"
#include "settings/strutil.h"
#include "display/view/viewstate.h"

TextParamsRecord TextParams;
uint32_t ChrExpand;

namespace {

// State of one chr_draw call.
struct DrawCtx {
  HDC dc;
  int32_t width, colour;
  double ux, uy;
  double cotslant; // tan(90 - slant); 0 when there is no slant
};
DrawCtx Ctx;

GeoPoint offset(double gx, double gy) {
  double ox = gx * Ctx.ux, oy = gy * Ctx.uy;
  if (TextParams.slant != 0)
    ox += oy / Ctx.cotslant;
  if (TextParams.angle != 0) {
    const double rx = ox * TextParams.cosa - oy * TextParams.sina;
    oy = ox * TextParams.sina + oy * TextParams.cosa;
    ox = rx;
  }
  return {ox, oy};
}

int add_elem(int db, int colour, ElementRecord &r) {
  const int n = elm_add(db, 0, colour, &r, nullptr);
  return n >= 1 ? 0 : 1;
}

ElementRecord stroke_rec(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  return r;
}

// Line attribute word of an expanded stroke: the drawing's default with pen 3,
// line kind 1 and no end styles.
uint16_t expand_attr() {
  uint16_t la = 0;
  sys_linatr('r', &la);
  return uint16_t((la & 0xC000) | 1 << 4 | 3);
}

// Adds a stroke in mode 1 or while expanding; -1 when neither applies.
int convert_line(GeoPoint a, GeoPoint b, bool expandable) {
  const bool cv = TextParams.mode == 1;
  if (!cv && !(expandable && ChrExpand))
    return -1;
  ElementRecord r = stroke_rec(LIN);
  r.lin.x1 = a.x, r.lin.y1 = a.y, r.lin.x2 = b.x, r.lin.y2 = b.y;
  if (cv) {
    r.encsub = 0x80;
    r.lin.attr = uint16_t((TextParams.attr & 15) | 1 << 4);
    return add_elem(0, ELM_NODRAW, r) ? CHR_ADDFAIL : 0;
  }
  r.lin.attr = expand_attr();
  return add_elem(dwg_cur(), -1, r) ? 2 : 0;
}

int convert_arc(GeoPoint c, double rad, double s, double e, bool expandable) {
  const bool cv = TextParams.mode == 1;
  if (!cv && !(expandable && ChrExpand))
    return -1;
  ElementRecord r = stroke_rec(ARC);
  geo_angnorm(0, &s, &e);
  r.arc.cx = c.x, r.arc.cy = c.y, r.arc.r = rad, r.arc.start = s, r.arc.end = e;
  if (cv) {
    r.encsub = 0x80;
    r.arc.attr = uint16_t((TextParams.attr & 15) | 1 << 4);
    return add_elem(0, ELM_NODRAW, r) ? CHR_ADDFAIL : 0;
  }
  r.arc.attr = expand_attr();
  return add_elem(dwg_cur(), -1, r) ? 2 : 0;
}

bool emphasised(int32_t colour) { return ((colour >> 12) & 15) == 4; }

uint16_t erase_colour() {
  uint16_t cm[20];
  sys_colmap('r', cm);
  return cm[16];
}

int stk_line(GeoPoint a, GeoPoint b, bool expandable) {
  const int rc = convert_line(a, b, expandable);
  if (rc >= 0)
    return rc;
  if (emphasised(Ctx.colour)) {
    drw_line(Ctx.dc, a.x, a.y, b.x, b.y, 1, Ctx.width, erase_colour());
    drw_line(Ctx.dc, a.x, a.y, b.x, b.y, 10, Ctx.width, Ctx.colour & 0x801F);
  } else {
    drw_line(Ctx.dc, a.x, a.y, b.x, b.y, 1, Ctx.width, Ctx.colour);
  }
  return 0;
}

int stk_arc(GeoPoint c, double rad, double s, double e, bool expandable) {
  const int rc = convert_arc(c, rad, s, e, expandable);
  if (rc >= 0)
    return rc;
  if (emphasised(Ctx.colour)) {
    drw_arc(Ctx.dc, c.x, c.y, rad, s, e, 1, Ctx.width, erase_colour());
    drw_arc(Ctx.dc, c.x, c.y, rad, s, e, 10, Ctx.width, Ctx.colour & 0x801F);
  } else {
    drw_arc(Ctx.dc, c.x, c.y, rad, s, e, 1, Ctx.width, Ctx.colour);
  }
  return 0;
}

struct StrokeSink : GlyphSink {
  GeoPoint origin;
  GeoPoint wvec; // character width vector of this character
  GeoPoint pen{0, 0};
  int failed = 0; // result that ended the string (2, or 1010 in mode 1)

  GeoPoint at(double gx, double gy) const {
    const GeoPoint o = offset(gx, gy);
    return {origin.x + o.x, origin.y + o.y};
  }
  GeoPoint at(GlyphPt p) const { return at(p.x, p.y); }
  int stop(int rc) {
    if (rc != 0) {
      failed = rc;
      return 2;
    }
    return 0;
  }

  // Standard set.
  int move(GlyphPt p) override {
    pen = at(p);
    return 0;
  }
  int line(GlyphPt a, GlyphPt b) override { return stop(stk_line(at(a), at(b), false)); }

  // High-quality set.
  int width(int g) override {
    if (g < FNT_HQ_FULLWIDTH) {
      const double f = (FNT_HQ_FULLWIDTH - g) / 2.0 / FNT_HQ_FULLWIDTH;
      origin.x += f * wvec.x;
      origin.y += f * wvec.y;
    }
    return 0;
  }
  int polyline(const GlyphPt *pts, int n) override {
    if (n < 1)
      return 0;
    pen = at(pts[0]);
    for (int i = 1; i < n; i++) {
      const GeoPoint q = at(pts[i]);
      if (stop(stk_line(pen, q, true)))
        return 2;
      pen = q;
    }
    return 0;
  }
  int hqmove(GlyphPt p) override {
    pen = at(p);
    return 0;
  }
  int arc(int op, int r, int s10, int e10, GlyphPt from, GlyphPt to) override {
    double s = s10 / 10.0, e = e10 / 10.0;
    if (op == 2 && s < e)
      e -= 360;
    if (op == 3 && e < s)
      s -= 360;
    const double mx = from.x - r * deg_cos(s), my = from.y - r * deg_sin(s);
    auto onarc = [&](double a) { return at(mx + r * deg_cos(a), my + r * deg_sin(a)); };
    const GeoPoint ps = at(from), pe = at(to);
    GeoPoint pm, qs, qe; // middle, quarter near the start, quarter near the end
    if (op == 2) {
      pm = onarc(e + (s - e) / 2);
      qe = onarc(e + 0.25 * (s - e));
      qs = onarc(e + 0.75 * (s - e));
    } else {
      pm = onarc(s + (e - s) / 2);
      qs = onarc(s + 0.25 * (e - s));
      qe = onarc(s + 0.75 * (e - s));
    }
    // Slant and unequal units deform the circle: two arcs through three points each.
    const GeoPoint a0 = op == 2 ? pe : ps, a1 = op == 2 ? qe : qs, b1 = op == 2 ? qs : qe, b2 = op == 2 ? ps : pe;
    GeoPoint c1, c2;
    double r1, r2;
    AngleRange g1, g2;
    int rc;
    if (geo_arc3p(&a0, &a1, &pm, &c1, &r1, &g1) != 0 || geo_arc3p(&pm, &b1, &b2, &c2, &r2, &g2) != 0) {
      rc = stk_line(a0, pm, true);
      if (!rc)
        rc = stk_line(pm, b2, true);
    } else {
      rc = stk_arc(c1, r1, g1.start, g1.end, true);
      if (!rc)
        rc = stk_arc(c2, r2, g2.start, g2.end, true);
    }
    pen = pe;
    return stop(rc);
  }
  int circle(int r, int a10, GlyphPt p) override {
    const double a = a10 / 10.0;
    const GeoPoint c = at(p.x - r * deg_cos(a), p.y - r * deg_sin(a));
    return stop(stk_arc(c, r * Ctx.uy, 0, 360, false));
  }
};

uint32_t outcode(const double *v, double x, double y) {
  return (x < v[0] ? 1u : 0u) | (x > v[2] ? 2u : 0u) | (y < v[1] ? 4u : 0u) | (y > v[3] ? 8u : 0u);
}

void box_corners(double x, double y, double w, double h, double angle, GeoPoint p[4]) {
  const double c = deg_cos(angle), s = deg_sin(angle);
  p[0] = {x, y};
  p[1] = {x - h * s, y + h * c};
  p[2] = {p[1].x + w * c, p[1].y + w * s};
  p[3] = {x + w * c, y + w * s};
}

void chr_box(double x, double y, double w, double h, double angle, int32_t colour) {
  GeoPoint p[4];
  box_corners(x, y, w, h, angle, p);
  for (int i = 0; i < 4; i++)
    drw_line(Ctx.dc, p[i].x, p[i].y, p[(i + 1) % 4].x, p[(i + 1) % 4].y, 8, Ctx.width, colour & 0x801F);
}

bool is_lead(uint8_t c) { return sjis_islead(c); }

// Copies text, cut after CHR_DRAWMAX characters (markup does not count), into out.
void cut_text(const char *text, char *out, size_t size) {
  size_t o = 0;
  int chars = 0;
  for (size_t i = 0; text[i] && o + 3 < size;) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    const bool markup = c == '_' || c == '[' || c == ']' || c == '|';
    if (!markup && chars++ >= CHR_DRAWMAX)
      break;
    if (!markup && is_lead(c) && text[i + 1]) {
      out[o++] = text[i++];
      out[o++] = text[i++];
    } else {
      out[o++] = text[i++];
    }
  }
  out[o] = 0;
}

char Codes[CHR_CODEMAX];
ChrLayout Lay;

} // namespace

int chr_param(int mode, uint16_t attr, double height, double width, double spacing, double angle, double slant) {
  TextParamsRecord &t = TextParams;
  t.mode = mode;
  t.attr = attr;
  t.height = std::fabs(height);
  t.width = std::fabs(width);
  t.spacing = std::fabs(spacing);
  t.angle = angle;
  t.slant = slant < -45 ? -45 : slant > 45 ? 45 : slant;
  t.xpitch = t.width + t.spacing;
  t.ypitch = t.height + t.spacing;
  t.tanslant = deg_tan(t.slant);
  t.sina = deg_sin(angle);
  t.cosa = deg_cos(angle);
  return 0;
}

int chr_boxvis(double x, double y, double width, double height, double angle) {
  double v[4];
  dsp_visible(v);
  GeoPoint p[4];
  box_corners(x, y, width, height, angle, p);
  uint32_t all = 15;
  for (const GeoPoint &q : p)
    all &= outcode(v, q.x, q.y);
  return all ? 0 : 1;
}

int chr_draw(HDC dc, int face, double x, double y, const char *text, int32_t width, int32_t colour) {
  if (!text)
    return 0;
  const TextParamsRecord &t = TextParams;
  Ctx = DrawCtx{dc, width, colour, 0, 0, 0};
  if (face < 0 || face > 3)
    face = 0;
  TypefaceEntry faces[4];
  sys_typeface('r', faces);
  const bool stroke = face == 0 || faces[face].name[0] == 0;
  // A stroke text is many short solid lines: sent together, unless strokes
  // become elements (adding one may draw in between).
  struct Batch {
    bool was;
    explicit Batch(bool on) : was(gdi_strokes(on)) {}
    ~Batch() { gdi_strokes(was); }
  } batch(stroke && t.mode != 1 && !ChrExpand);

  char buf[4 * CHR_DRAWMAX + 64];
  cut_text(text, buf, sizeof buf);
  chr_layout(1, t.attr, t.height, t.width, t.spacing, buf, &Lay, Codes);
  double k = 1;
  RECT devclip = {0, 0, 0, 0};
  if (!stroke) {
    double v[4];
    dsp_visible(v);
    int32_t x1, y1, x2, y2;
    drw_w2d(v[0], v[3], &x1, &y1);
    drw_w2d(v[2], v[1], &x2, &y2);
    devclip = {x1, y1, x2, y2};
    const double extent = Lay.width;
    if (chr_layoutw(dc, face, t.attr, t.height, t.width, t.spacing, buf, &Lay, Codes) == 0)
      return 0;
    k = Lay.width > 0 ? extent / Lay.width : 1;
  }
  const double cot = t.slant != 0 ? deg_tan(90 - t.slant) : 0;
  Ctx.cotslant = cot;
  const double h0 = face == 0 && t.slant != 0 && Lay.count > 0 ? Lay.y[0] / cot : 0;
  const bool hq = Fonts.loaded == 2;

  for (int j = 0; j < Lay.count && j < CHR_SLOTS; j++) {
    const bool half = Lay.half[j] != 0;
    const double sx = Lay.x[j] * k + h0, sy = Lay.y[j];
    const double ox = x + sx * t.cosa - sy * t.sina, oy = y + sx * t.sina + sy * t.cosa;
    const double hh = half ? t.height / 2 : t.height;
    if (!chr_boxvis(ox, oy, Lay.w[j] * k, hh, t.angle))
      continue;
    if (t.mode != 1 && !OffscreenOutput && DrawXform.dotsize > t.height) {
      chr_box(ox, oy, Lay.w[j] * k, hh, t.angle, colour);
      continue;
    }
    if (stroke) {
      const double f = half ? 0.5 : 1;
      Ctx.ux = (hq ? t.width / FNT_HQ_CELL : t.width / 14) * f;
      Ctx.uy = (hq ? t.height / FNT_HQ_CELL : t.height / 16) * f;
      const GeoPoint pitch = {t.xpitch * f * t.cosa, t.xpitch * f * t.sina};
      const GeoPoint wvec = {t.width * f * t.cosa, t.width * f * t.sina};
      GeoPoint cell = {ox, oy};
      const uint8_t *codes = reinterpret_cast<const uint8_t *>(Lay.text[j]);
      for (int c = 0; c < Lay.nchar[j]; c++) {
        if (c > 0)
          cell.x += pitch.x, cell.y += pitch.y;
        StrokeSink sink;
        sink.origin = cell;
        sink.wvec = wvec;
        const int lead = codes[2 * c], trail = codes[2 * c + 1];
        const int rc = hq ? fnt_hqglyph(lead, trail, sink) : fnt_stddecode(lead, trail, sink);
        if (rc == 2 || sink.failed)
          return ChrExpand && sink.failed ? sink.failed : 0; // an expansion must not pass for done
      }
    } else {
      const double sxs = DrawXform.xscale, sys = DrawXform.yscale;
      const int32_t ch = dev_trunc(hh * sys);
      const int32_t cw = dev_trunc((half ? t.width / 2 : t.width) * k * sxs);
      gdi_setpen(dc, face, 13, colour, R2_COPYPEN);
      char slot[160];
      // A slot longer than the buffer is cut before the character that does not
      // fit, never between a lead byte and its trail byte.
      const char *src = Lay.text[j];
      int n = 0;
      while (n < Lay.nchar[j]) {
        const int step = is_lead(uint8_t(src[n])) && n + 1 < Lay.nchar[j] ? 2 : 1;
        if (n + step > int(sizeof slot) - 1)
          break;
        n += step;
      }
      std::memcpy(slot, src, size_t(n));
      slot[n] = 0;
      int32_t px, py;
      drw_w2d(ox, oy, &px, &py);
      px -= dev_trunc(ch * t.sina);
      py -= dev_trunc(ch * t.cosa);
      gdi_textclip(px, py, ch, cw, t.angle, slot, &devclip);
    }
  }
  return 0;
}

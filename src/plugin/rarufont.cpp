#include "plugin/rarufont.h"

#include <cmath>
#include <cstring>

#include "database/record.h"
#include "display/fonts/fontfile.h"
#include "files/sealfmt.h"
#include "plugin/rarustr.h"

RaruView RaruPreview;

namespace {

constexpr double PI = 3.14159265358979323846;
double dcos(double a) { return std::cos(a * PI / 180.0); }
double dsin(double a) { return std::sin(a * PI / 180.0); }

// Full-width forms of the printable ASCII bytes 0x20..0x7E.
const uint16_t ASCII_WIDE[95] = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C,
    0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256, 0x8257, 0x8258, 0x8146, 0x8147,
    0x8183, 0x8181, 0x8184, 0x8148, 0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268,
    0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E, 0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,
    0x8277, 0x8278, 0x8279, 0x816D, 0x818F, 0x816E, 0x814F, 0x8151, 0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285,
    0x8286, 0x8287, 0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293,
    0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160};
// Full-width forms of the half-width katakana 0xA1..0xDF.
const uint16_t KANA_WIDE[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387,
    0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356,
    0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E,
    0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};

bool isfin(double v) { return std::isfinite(v); }

template <typename T> T rd(const uint8_t *p, int off) { return slf_get<T>(p, static_cast<std::size_t>(off)); }

// Draws the strokes of one glyph: font units times (fx, fy) from the character origin.
class GlyphDraw : public GlyphSink {
public:
  GlyphDraw(RaruCanvas &c, const RaruView &v, double x, double y, double cw, double ch)
      : c_(c), v_(v), ox_(x), oy_(y), cw_(cw), fx_(cw / FNT_HQ_CELL), fy_(ch / FNT_HQ_CELL) {}

  int width(int w) override {
    if (w < FNT_HQ_FULLWIDTH)
      ox_ += (FNT_HQ_FULLWIDTH - w) * 0.5 / FNT_HQ_FULLWIDTH * cw_;
    return 0;
  }
  int polyline(const GlyphPt *p, int n) override {
    if (n < 1)
      return 0;
    double px = p[0].x, py = p[0].y;
    for (int i = 1; i < n; i++) {
      seg(px, py, p[i].x, p[i].y);
      px = p[i].x;
      py = p[i].y;
    }
    penx_ = px;
    peny_ = py;
    return 0;
  }
  int hqmove(GlyphPt p) override {
    penx_ = p.x;
    peny_ = p.y;
    return 0;
  }
  int arc(int op, int r, int s10, int e10, GlyphPt, GlyphPt to) override {
    double s = s10 / 10.0, e = e10 / 10.0;
    if (op == 2) {
      if (s - e < 0)
        e -= 360;
    } else if (e - s < 0) {
      s -= 360;
    }
    const double mx = penx_ - r * dcos(s), my = peny_ - r * dsin(s);
    double pts[5][2];
    for (int k = 0; k < 5; k++) {
      const double a = s + (e - s) * k / 4.0;
      pts[k][0] = ox_ + (mx + r * dcos(a)) * fx_;
      pts[k][1] = oy_ + (my + r * dsin(a)) * fy_;
    }
    arc3(pts[0], pts[1], pts[2]);
    arc3(pts[2], pts[3], pts[4]);
    penx_ = to.x;
    peny_ = to.y;
    return 0;
  }
  int circle(int r, int a10, GlyphPt) override {
    const double a = a10 / 10.0;
    const double cx = penx_ - r * dcos(a), cy = peny_ - r * dsin(a);
    raru_worldarc(c_, v_, ox_ + cx * fx_, oy_ + cy * fy_, r * fy_, 0, 360);
    return 0;
  }

private:
  void seg(double x1, double y1, double x2, double y2) {
    int a, b, c, d;
    raru_devpt(v_, ox_ + x1 * fx_, oy_ + y1 * fy_, &a, &b);
    raru_devpt(v_, ox_ + x2 * fx_, oy_ + y2 * fy_, &c, &d);
    c_.line(a, b, c, d);
  }
  void wline(const double *p, const double *q) {
    int a, b, c, d;
    raru_devpt(v_, p[0], p[1], &a, &b);
    raru_devpt(v_, q[0], q[1], &c, &d);
    c_.line(a, b, c, d);
  }
  void arc3(const double *p1, const double *p2, const double *p3) {
    double centre[2], r, s, e;
    if (RaruFont_ArcBy3Points(p1, p2, p3, centre, &r, &s, &e) != 0) {
      wline(p1, p2);
      wline(p2, p3);
      return;
    }
    raru_worldarc(c_, v_, centre[0], centre[1], r, s, e);
  }

  RaruCanvas &c_;
  const RaruView &v_;
  double ox_, oy_, cw_, fx_, fy_;
  double penx_ = 0, peny_ = 0;
};

} // namespace

int raru_trunc(double v) {
  if (!(v == v))
    return 0;
  constexpr double LIM = 1 << 29; // sums of two stay inside int
  if (v > LIM)
    return 1 << 29;
  if (v < -LIM)
    return -(1 << 29);
  return static_cast<int>(v);
}

void raru_devpt(const RaruView &v, double x, double y, int *dx, int *dy) {
  *dx = raru_trunc(v.s * x + v.ox);
  *dy = v.b - raru_trunc(v.s * y + v.oy);
}

void raru_worldarc(RaruCanvas &c, const RaruView &v, double cx, double cy, double r, double start, double end) {
  int x, y, xs, ys, xe, ye;
  raru_devpt(v, cx, cy, &x, &y);
  const int rr = raru_trunc(v.s * r);
  raru_devpt(v, cx + r * dcos(start), cy + r * dsin(start), &xs, &ys);
  raru_devpt(v, cx + r * dcos(end), cy + r * dsin(end), &xe, &ye);
  c.arc(x - rr, y - rr, x + rr, y + rr, xs, ys, xe, ye);
}

double RaruFont_AngleDeg(double dx, double dy) {
  if (dx == 0 && dy == 0)
    return 0;
  double a = std::atan2(dy, dx) * 180.0 / PI;
  if (a < 0)
    a += 360;
  if (a >= 360)
    a -= 360;
  return a;
}

int RaruFont_ArcBy3Points(const double p1[2], const double p2[2], const double p3[2], double centre[2], double *r,
                          double *start, double *end) {
  const double x1 = p1[0], y1 = p1[1], x2 = p2[0], y2 = p2[1], x3 = p3[0], y3 = p3[1];
  const double cross = (x3 - x1) * (y2 - y1) - (y3 - y1) * (x2 - x1);
  if (!(std::fabs(cross) >= 1e-6))
    return 1; // collinear (or not a number)
  const double d = 2 * ((x2 - x1) * (y3 - y1) - (y2 - y1) * (x3 - x1));
  const double a2 = (x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1);
  const double a3 = (x3 - x1) * (x3 - x1) + (y3 - y1) * (y3 - y1);
  const double ux = ((y3 - y1) * a2 - (y2 - y1) * a3) / d;
  const double uy = ((x2 - x1) * a3 - (x3 - x1) * a2) / d;
  centre[0] = x1 + ux;
  centre[1] = y1 + uy;
  *r = std::sqrt(ux * ux + uy * uy);
  double s = RaruFont_AngleDeg(x1 - centre[0], y1 - centre[1]);
  double e = RaruFont_AngleDeg(x3 - centre[0], y3 - centre[1]);
  if (cross > 0) { // p1, p2, p3 turn clockwise: the counter-clockwise arc runs p3 to p1
    const double t = s;
    s = e;
    e = t;
  }
  *start = s;
  *end = e;
  return 0;
}

uint16_t raru_widechar(uint8_t c) {
  if (c >= 0x20 && c <= 0x7E)
    return ASCII_WIDE[c - 0x20];
  if (c >= 0xA1 && c <= 0xDF)
    return KANA_WIDE[c - 0xA1];
  return 0;
}

void raru_layout(const char *text, double x, double y, double h, double w, double p, unsigned attr,
                 std::vector<RaruGlyphPos> &out) {
  out.clear();
  const int vbase = attr >> 5 & 3, hbase = attr >> 7 & 3;
  const auto *t = reinterpret_cast<const uint8_t *>(text);
  const std::size_t n = strnlen(text, RARU_TEXTMAX);
  double base[RARU_BRACKETS + 1] = {};
  int level = 0;
  double penx = x, liney = y, right = x;
  std::size_t first = 0; // first glyph of the line
  auto endline = [&] {
    const double width = right - x;
    const double shift = hbase == 1 ? width / 2 : hbase == 2 ? width : 0;
    for (std::size_t k = first; k < out.size(); k++)
      out[k].x -= shift;
    first = out.size();
  };
  for (std::size_t i = 0; i < n;) {
    const uint8_t c = t[i];
    uint16_t code;
    if (fnt_islead(c)) {
      if (i + 1 >= n)
        break;
      code = static_cast<uint16_t>(c << 8 | t[i + 1]);
      i += 2;
    } else {
      i++;
      if (c == '[') {
        if (level < RARU_BRACKETS) {
          level++;
          base[level] = base[level - 1] + h / 2;
        }
        continue;
      }
      if (c == ']') {
        if (level > 0)
          level--;
        continue;
      }
      if (c == '_') {
        if (level > 0) {
          base[level] -= h / 2;
        } else {
          endline();
          liney -= h + p;
          penx = right = x;
        }
        continue;
      }
      if (c == '|')
        continue;
      code = raru_widechar(c);
      if (!code)
        continue;
    }
    const double cw = level ? w / 2 : w, sp = level ? p / 2 : p;
    out.push_back({code, penx, liney + base[level], level > 0});
    right = penx + cw;
    penx += cw + sp;
  }
  endline();
  const double drop = vbase == 1 ? h / 2 : vbase == 2 ? h : 0;
  for (auto &g : out)
    g.y -= drop;
}

int RaruFont_DrawGlyph(RaruCanvas &c, const RaruView &v, uint16_t code, double x, double y, double cw, double ch,
                       bool half) {
  const int lead = code >> 8, trail = code & 0xFF;
  if (!fnt_islead(lead) || !fnt_istrail(trail))
    return 0;
  if (half) {
    cw /= 2;
    ch /= 2;
  }
  GlyphDraw sink(c, v, x, y, cw, ch);
  return fnt_hqglyph(lead, trail, sink) == 2 ? 2 : 0;
}

void RaruFont_DrawString(RaruCanvas &c, const RaruView &v, const char *text, double x, double y, double h, double w,
                         double p, unsigned attr) {
  if (Fonts.requested != 2 || Fonts.fd[FNT_HQIDX] == -1)
    return;
  std::vector<RaruGlyphPos> glyphs;
  raru_layout(text, x, y, h, w, p, attr, glyphs);
  for (const auto &g : glyphs)
    if (RaruFont_DrawGlyph(c, v, g.code, g.x, g.y, w, h, g.half) == 2)
      return;
}

void raru_sealparse(const uint8_t *bytes, std::size_t size, RaruSeal *seal) {
  *seal = RaruSeal{};
  if (size < SLF_HEADSIZE) {
    std::memcpy(seal->header, bytes, size);
    return;
  }
  std::memcpy(seal->header, bytes, SLF_HEADSIZE);
  seal->fullHeader = true;
  int32_t count = rd<int32_t>(seal->header, SLF_OFF_COUNT);
  if (count < 0)
    count = 0;
  if (count > SLF_MAXELM)
    count = SLF_MAXELM;
  const std::size_t have = (size - SLF_HEADSIZE) / SLF_RECSIZE;
  if (static_cast<std::size_t>(count) > have)
    count = static_cast<int32_t>(have);
  seal->count = count;
  seal->records.assign(bytes + SLF_HEADSIZE, bytes + SLF_HEADSIZE + std::size_t(count) * SLF_RECSIZE);
}

void raru_jointext(const RaruSeal &seal, int i, char *out) {
  out[0] = '\0';
  if (i < 0 || i >= seal.count)
    return;
  constexpr int MAXTEXT = 79;
  char buf[MAXTEXT + CONT_PIECE] = {};
  const uint8_t *rec = seal.records.data() + std::size_t(i) * SLF_RECSIZE;
  int16_t total = rd<int16_t>(rec, 50);
  const int want = total < 0 ? 0 : total > MAXTEXT ? MAXTEXT : total;
  std::memcpy(buf, rec + 52, CHR_PIECE0);
  int have = CHR_PIECE0;
  std::vector<bool> seen(std::size_t(seal.count), false);
  seen[std::size_t(i)] = true;
  int32_t link = rd<int32_t>(rec, 66);
  while (have < want && link >= 1 && link <= seal.count && !seen[std::size_t(link - 1)]) {
    seen[std::size_t(link - 1)] = true;
    const uint8_t *cont = seal.records.data() + std::size_t(link - 1) * SLF_RECSIZE;
    std::memcpy(buf + have, cont + 20, CONT_PIECE);
    have += CONT_PIECE;
    link = rd<int32_t>(cont, 66);
  }
  const int len = want < have ? want : have;
  std::memcpy(out, buf, std::size_t(len));
  out[len] = '\0';
}

bool raru_fit(const RaruSeal &seal, int W, int H, int b, RaruView *v) {
  if (!seal.fullHeader || W <= 0 || H <= 0)
    return false;
  const uint8_t *hd = seal.header;
  const unsigned kind = rd<uint16_t>(hd, SLF_OFF_OUTLINE);
  double ox = rd<double>(hd, SLF_OFF_ORIGINX), oy = rd<double>(hd, SLF_OFF_ORIGINY);
  const double w = rd<double>(hd, SLF_OFF_WIDTH), h = rd<double>(hd, SLF_OFF_HEIGHT);
  auto good = [](double d) { return isfin(d) && d > 0; };
  double t = 0;
  if (isfin(ox) && isfin(oy)) {
    if (kind == 2 && good(w))
      t = W / (2 * w);
    else if (kind == 1 && good(w) && good(h))
      t = h < w ? W / w : H / h;
  }
  if (!good(t)) {
    // No usable outline: fit what the seal holds.
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool any = false;
    auto add = [&](double x, double y) {
      if (!isfin(x) || !isfin(y))
        return;
      if (!any) {
        x0 = x1 = x;
        y0 = y1 = y;
        any = true;
      }
      x0 = x < x0 ? x : x0;
      x1 = x > x1 ? x : x1;
      y0 = y < y0 ? y : y0;
      y1 = y > y1 ? y : y1;
    };
    for (int i = 0; i < seal.count; i++) {
      const uint8_t *r = seal.records.data() + std::size_t(i) * SLF_RECSIZE;
      const int k = rd<int16_t>(r, 4);
      if (k == LIN) {
        add(rd<double>(r, 20), rd<double>(r, 28));
        add(rd<double>(r, 36), rd<double>(r, 44));
      } else if (k == ARC) {
        const double cx = rd<double>(r, 20), cy = rd<double>(r, 28), rr = std::fabs(rd<double>(r, 36));
        if (isfin(rr)) {
          add(cx - rr, cy - rr);
          add(cx + rr, cy + rr);
        }
      } else if (k == CHR) {
        const double x = rd<float>(r, 20), y = rd<float>(r, 24);
        add(x, y);
        add(x + rd<float>(r, 32), y + rd<float>(r, 28));
      }
    }
    if (!any)
      return false;
    const double bw = x1 - x0, bh = y1 - y0;
    ox = (x0 + x1) / 2;
    oy = (y0 + y1) / 2;
    t = bw <= 0 && bh <= 0 ? 1 : bh < bw ? W / bw : H / bh;
    if (!good(t))
      return false;
  }
  v->s = 0.8 * t;
  v->ox = W / 2 - v->s * ox;
  v->oy = H / 2 - v->s * oy;
  v->b = b;
  return true;
}

void raru_drawseal(RaruCanvas &c, const RaruView &v, const RaruSeal &seal, RaruTextFn draw_text) {
  for (int i = 0; i < seal.count; i++) {
    const uint8_t *r = seal.records.data() + std::size_t(i) * SLF_RECSIZE;
    const int k = rd<int16_t>(r, 4);
    if (k == LIN) {
      int a, bb, cc, d;
      raru_devpt(v, rd<double>(r, 20), rd<double>(r, 28), &a, &bb);
      raru_devpt(v, rd<double>(r, 36), rd<double>(r, 44), &cc, &d);
      c.line(a, bb, cc, d);
    } else if (k == ARC) {
      raru_worldarc(c, v, rd<double>(r, 20), rd<double>(r, 28), rd<double>(r, 36), rd<double>(r, 44),
                    rd<double>(r, 52));
    } else if (k == CHR && draw_text) {
      char text[80];
      raru_jointext(seal, i, text);
      draw_text(c, v, text, rd<float>(r, 20), rd<float>(r, 24), rd<float>(r, 28), rd<float>(r, 32), rd<float>(r, 36),
                rd<uint16_t>(r, 48));
    }
  }
}

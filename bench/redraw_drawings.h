// The drawings the redraw benchmark times, shared with the pixel-identity test that
// checks every speed-up leaves their pictures byte for byte as they were. The world
// is 192 x 108; sizes are parameters so the test can use small ones.
#pragma once

#include <cstdint>
#include <cstring>

#include "database/elements.h"
#include "database/store.h"

namespace redraw_drawings {

// Own generator: the same drawing on every C library.
struct Rand {
  uint32_t s = 1;
  double operator()(double lo, double hi) {
    s = s * 1103515245u + 12345u;
    return lo + (hi - lo) * double((s >> 8) & 0xFFFFFF) / double(0xFFFFFF);
  }
};

inline ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.layer = 1;
  return r;
}

inline void add_line(double x1, double y1, double x2, double y2, int pen, int style = 1) {
  ElementRecord r = blank(LIN);
  r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2, r.lin.attr = uint16_t(style << 4 | pen);
  elm_add(0, 0, ELM_NODRAW, &r, nullptr);
}
inline void add_arc(double cx, double cy, double rad, double s, double e, int pen) {
  ElementRecord r = blank(ARC);
  r.arc.cx = cx, r.arc.cy = cy, r.arc.r = rad, r.arc.start = s, r.arc.end = e, r.arc.attr = uint16_t(0x10 | pen);
  elm_add(0, 0, ELM_NODRAW, &r, nullptr);
}
inline void add_text(double x, double y, double h, const char *s) {
  ElementRecord r = blank(CHR);
  r.chr.x = float(x), r.chr.y = float(y), r.chr.height = float(h), r.chr.width = float(h), r.chr.spacing = 0.5f;
  r.chr.attr = 1;
  elm_add(0, 0, ELM_NODRAW, &r, s);
}

// Short lines and arcs over the whole world, every tenth element a text.
inline void mixed(int n, double x0 = 0, double y0 = 0, double w = 192, double h = 108) {
  Rand rnd;
  for (int i = 0; i < n; i++) {
    const double x = x0 + rnd(2, w - 2), y = y0 + rnd(2, h - 2);
    if (i % 10 == 9)
      add_text(x, y, rnd(1, 3), i % 20 == 9 ? "山田" : "ABC");
    else if (i % 2)
      add_line(x, y, x + rnd(-5, 5), y + rnd(-5, 5), 1 + i % 15);
    else
      add_arc(x, y, rnd(0.2, 5), rnd(0, 360), rnd(0, 360), 1 + i % 15);
  }
}

// One kind alone: 0 lines, 1 arcs, 2 texts, 3 long dashed lines, 4 the same solid.
inline void one_kind(int kind, int n) {
  Rand rnd;
  for (int i = 0; i < n; i++) {
    const double x = rnd(2, 190), y = rnd(2, 106);
    const int pen = 1 + (i / 500) % 15;
    if (kind == 2)
      add_text(x, y, rnd(1, 3), i % 2 ? "山田" : "ABC");
    else if (kind == 0)
      add_line(x, y, x + rnd(-5, 5), y + rnd(-5, 5), pen);
    else if (kind == 1)
      add_arc(x, y, rnd(0.2, 5), rnd(0, 360), rnd(0, 360), pen);
    else
      add_line(rnd(2, 40), y, rnd(150, 190), rnd(2, 106), pen, kind == 3 ? 2 : 1);
  }
}

// A large seal: rings of arcs, ruled lines, then `texts` two-character texts.
inline void seal(int strokes, int texts) {
  Rand rnd;
  for (int i = 0; i < strokes; i++) {
    const double a = i * 0.04;
    if (i % 2)
      add_arc(96, 54, 20 + (i % 300) * 0.1, a, a + 3, 1 + i % 3);
    else
      add_line(96 + rnd(-15, 15), 54 - 20 + (i % 40), 96 + rnd(-15, 15), 54 - 20 + (i % 40), 2);
  }
  for (int i = 0; i < texts; i++)
    add_text(80 + (i % 10) * 3, 40 + (i / 10) % 30, 2.5, i % 2 ? "印" : "田");
}

// A seal of stroke-font characters only: `chars` characters, ten to a text.
inline void text_seal(int chars) {
  for (int i = 0; i < chars / 10; i++)
    add_text(10 + (i % 6) * 29, 3 + (i / 6) % 34 * 3, 2, "山田印章山田印章山田");
}

} // namespace redraw_drawings

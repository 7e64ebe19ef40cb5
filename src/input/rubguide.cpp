// Input guides: declaring a guide and constraining the entered point by it.
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "geometry/geo.h"
#include "input/rubber.h"

InputGuide Guide = {};
GuideShape GuideListA[GUIDE_LISTMAX];
GuideShape GuideListB[GUIDE_LISTMAX];
int32_t GuideListCount = 0;
double GuideAngle = 0;
int32_t GuideListLimit = 32000;

namespace {

void put32(int off, uint32_t v) {
  for (int i = 0; i < 4; i++)
    Guide.p[off + i] = uint8_t(v >> (8 * i));
}
void puti(int off, int32_t v) { put32(off, uint32_t(v)); }
void putf(int off, double v) {
  uint64_t b;
  std::memcpy(&b, &v, 8);
  for (int i = 0; i < 8; i++)
    Guide.p[off + i] = uint8_t(b >> (8 * i));
}

bool one_of(int32_t mode, std::initializer_list<int32_t> modes) {
  for (int32_t m : modes)
    if (m == mode)
      return true;
  return false;
}

// Stores the mode word; true when the form lays out this mode.
bool begin(int32_t mode, std::initializer_list<int32_t> modes) {
  Guide.mode = mode;
  return one_of(mode, modes);
}

// Entries up to the end mark, bounded by the list size and the limit word.
int list_len(const GuideShape *list) {
  int n = 0;
  const int max = GuideListLimit < GUIDE_LISTMAX ? (GuideListLimit > 0 ? GuideListLimit : 0) : GUIDE_LISTMAX;
  if (list)
    while (n < max && list[n].kind != 0xFFFFFFFFu)
      n++;
  return n;
}

void take_list(const GuideShape *list) {
  GuideListCount = list_len(list);
  for (int i = 0; i < GuideListCount; i++)
    GuideListA[i] = list[i];
}

struct Pt {
  double x, y;
};

// Foot of p on the line through r at angle th.
Pt project(Pt r, double th, Pt p) {
  const double s = deg_sin(th + 90), c = deg_cos(th + 90);
  const double d = (r.x - p.x) * s - (r.y - p.y) * c;
  return {r.x - s * d, r.y + c * d};
}

Pt slide(Pt r, double th, Pt p) {
  const double s = deg_sin(th), c = deg_cos(th);
  if (std::fabs(s) <= 0.707106781)
    p.y = r.y + (p.x - r.x) * s / c;
  else
    p.x = r.x + (p.y - r.y) * c / s;
  return p;
}

double fold(double a) { return a >= 180 ? a - 180 : a; }

// The 15-degree step of a direction, in [0, 180).
double step15(double a) {
  const double f = fold(a);
  if (f < 7.5 || f >= 172.5)
    return 0;
  if (f >= 37.5 && f < 52.5)
    return 45;
  if (f >= 127.5 && f < 142.5)
    return 135;
  return 15 * std::floor((f + 7.5) / 15);
}

Pt kind3(Pt r, Pt p) {
  const double a = deg_atan2(p.y - r.y, p.x - r.x), f = fold(a);
  if (f < 7.5 || f >= 172.5)
    return {p.x, r.y};
  if (f >= 82.5 && f < 97.5)
    return {r.x, p.y};
  const double t = step15(a);
  if (f < 45 || f >= 135)
    return {p.x, r.y + deg_tan(t) * (p.x - r.x)};
  return {r.x + (p.y - r.y) / deg_tan(t), p.y};
}

// A guide kind about reference r; th the angle of kinds 4 and 5.
Pt by_kind(int32_t kind, Pt r, double th, Pt p) {
  switch (kind) {
  case 0:
    return p;
  case 1:
    return {p.x, r.y};
  case 2:
    return {r.x, p.y};
  case 3:
    return kind3(r, p);
  case 4:
    return slide(r, th, p);
  case 5:
    return project(r, th, p);
  case 6: {
    const double f = fold(deg_atan2(p.y - r.y, p.x - r.x));
    if (f < 45 || f >= 135)
      return {p.x, r.y};
    return {r.x, p.y};
  }
  default:
    return slide(r, double(kind) - 1000, p);
  }
}

// Aspect ratio: the point onto a line of slope +-m through r in the frame turned by th.
Pt ratio(Pt r, double th, double m, Pt p) {
  const double dx = p.x - r.x, dy = p.y - r.y;
  const double len = std::hypot(dx, dy);
  if (!(m > 0) || !std::isfinite(m) || len == 0)
    return p;
  const double a = deg_atan2(dy, dx);
  double u = len * deg_cos(a - th), v = len * deg_sin(a - th);
  if (u != 0 && m > std::fabs(v / u))
    v = std::copysign(std::fabs(u * m), v);
  else
    u = std::copysign(std::fabs(v / m), u);
  const double b = deg_atan2(v, u) + th, n = std::hypot(u, v);
  return {r.x + n * deg_cos(b), r.y + n * deg_sin(b)};
}

Pt distance(int32_t kind, Pt r, double d2, Pt p) {
  const int axis = kind & 15, sub = (kind >> 8) & 15;
  const bool minimum = ((kind >> 4) & 15) != 0;
  const double dx = p.x - r.x, dy = p.y - r.y, a = deg_atan2(dy, dx);
  double dist = d2;
  bool fixed = true;
  if (minimum) {
    dist = std::hypot(dx, dy);
    fixed = false;
    if (d2 > dist) {
      dist = d2;
      fixed = true;
    }
  }
  if (sub == 1) {
    const double t = step15(a);
    const double s = (a >= 172.5 && a < 352.5) ? -1 : 1;
    const bool keepx = a < 45 || (a >= 135 && a < 225) || a >= 315;
    if (fixed)
      return {r.x + s * dist * deg_cos(t), r.y + s * dist * deg_sin(t)};
    if (keepx)
      return {p.x, std::fabs(t) < 1e-6 ? r.y : deg_tan(t) * dx + r.y};
    return {std::fabs(t - 90) < 1e-6 ? r.x : dy / deg_tan(t) + r.x, p.y};
  }
  if (sub == 2)
    return {r.x + dist * deg_cos(a), r.y + dist * deg_sin(a)};
  bool horizontal;
  double s;
  if (axis == 1) {
    horizontal = false;
    s = a >= 180 ? -1 : 1;
  } else if (axis == 2) {
    horizontal = true;
    s = (a >= 90 && a < 270) ? -1 : 1;
  } else if (!fixed) {
    horizontal = a >= 315 || a < 45 || (a >= 135 && a < 225);
    s = (a >= 135 && a < 315) ? -1 : 1;
  } else {
    horizontal = false;
    s = a >= 180 ? -1 : 1;
  }
  if (!fixed)
    dist = std::fmax(horizontal ? std::fabs(dx) : std::fabs(dy), d2);
  if (horizontal)
    return {r.x + s * dist, r.y};
  return {r.x, r.y + s * dist};
}

Pt offset_guide(const InputGuide &g, Pt p) {
  const int32_t kind = rub_i32(g, 0), sub = rub_i32(g, 4);
  if (kind & 1)
    return p;
  const bool on = (kind & 2) != 0;
  const Pt r = {rub_f64(g, 12), rub_f64(g, 20)};
  const double off = rub_f64(g, 52);
  const double dx = p.x - r.x, dy = p.y - r.y, a = deg_atan2(dy, dx);
  if (sub == 0) {
    const double f = fold(a);
    if (f < 45 || f >= 135) {
      p.y = r.y;
      if (on)
        p.x += off * ((a > 90 && a < 270) ? -1 : 1);
    } else {
      p.x = r.x;
      if (on)
        p.y += off * (a > 180 ? -1 : 1);
    }
    return p;
  }
  if (sub == 1) {
    const double t = step15(a), s = (a >= 172.5 && a < 352.5) ? -1 : 1;
    const double rad = std::hypot(dx, dy) + (on ? off : 0);
    return {r.x + s * rad * deg_cos(t), r.y + s * rad * deg_sin(t)};
  }
  if (sub == 2 && on)
    return {p.x + off * deg_cos(a), p.y + off * deg_sin(a)};
  return p;
}

} // namespace

int32_t rub_i32(const InputGuide &g, int off) {
  uint32_t v = 0;
  for (int i = 0; i < 4; i++)
    v |= uint32_t(g.p[off + i]) << (8 * i);
  return int32_t(v);
}

double rub_f64(const InputGuide &g, int off) {
  uint64_t b = 0;
  for (int i = 0; i < 8; i++)
    b |= uint64_t(g.p[off + i]) << (8 * i);
  double v;
  std::memcpy(&v, &b, 8);
  return v;
}

int rub_start(int32_t mode) { return begin(mode, {-1, 0}) ? 0 : 1; }

int rub_startline(int32_t mode, int32_t kind, double rx, double ry, double angle, double width) {
  if (!begin(mode, {1, 10, 11}))
    return 1;
  puti(0, kind), putf(4, rx), putf(12, ry);
  if (kind == 4 || kind == 5)
    putf(20, angle);
  if (mode != 1)
    putf(28, width);
  return 0;
}

int rub_startratio(int32_t mode, int32_t kind, double rx, double ry, double angle, double ratio, int32_t sub) {
  if (!begin(mode, {2, 7, 8, 9, 14}))
    return 1;
  puti(0, kind), putf(4, rx), putf(12, ry), putf(20, angle), putf(28, ratio);
  if (mode == 14)
    puti(36, sub);
  return 0;
}

int rub_startpt(int32_t mode, double x, double y) {
  if (!begin(mode, {3, 4, 18}))
    return 1;
  putf(0, x), putf(8, y);
  return 0;
}

int rub_start2pt(int32_t mode, double x1, double y1, double x2, double y2) {
  if (!begin(mode, {5, 6, 20}))
    return 1;
  putf(0, x1), putf(8, y1), putf(16, x2), putf(24, y2);
  return 0;
}

int rub_startkd(int32_t mode, int32_t kind, double rx, double ry, double d1, double d2) {
  if (!begin(mode, {12, 16, 22}))
    return 1;
  puti(0, kind), putf(4, rx), putf(12, ry), putf(20, d1), putf(28, d2);
  return 0;
}

int rub_startf(int32_t mode, const double *v, int n) {
  const int want = mode == 13 ? 3 : mode == 19 ? 9 : mode == 24 ? 14 : 0;
  if (!begin(mode, {13, 19, 24}) || n != want || !v)
    return 1;
  for (int i = 0; i < n; i++)
    putf(8 * i, v[i]);
  return 0;
}

int rub_start3i(int32_t mode, int32_t k1, int32_t k2, int32_t k3, const double v[6]) {
  if (!begin(mode, {17, 21}))
    return 1;
  puti(0, k1), puti(4, k2), puti(8, k3);
  for (int i = 0; i < 6; i++)
    putf(12 + 8 * i, v[i]);
  return 0;
}

int rub_startk8(int32_t mode, int32_t kind, const double v[8]) {
  if (!begin(mode, {23}))
    return 1;
  puti(0, kind);
  for (int i = 0; i < 8; i++)
    putf(4 + 8 * i, v[i]);
  return 0;
}

int rub_startmulti(int32_t mode, const GuideMulti &m) {
  if (!begin(mode, {25}))
    return 1;
  // The block holds five entries; a larger count would read past it.
  const int32_t n = m.n < 0 ? 0 : m.n > 5 ? 5 : m.n;
  puti(0, m.kind), puti(4, n);
  const double *arrays[5] = {m.l1, m.l2, m.l3, m.l4, m.l5};
  for (int a = 0; a < 5; a++)
    for (int i = 0; i < n; i++)
      putf(8 + 40 * a + 8 * i, arrays[a][i]);
  for (int i = 0; i < n; i++)
    puti(208 + 4 * i, m.l6[i]);
  return 0;
}

int rub_startword(int32_t mode, int32_t k) {
  if (!begin(mode, {30}))
    return 1;
  puti(0, k);
  return 0;
}

int rub_startdrag(int32_t mode, int32_t kind, double rx, double ry, int32_t word, double angle) {
  if (!begin(mode, {97, 99}))
    return 1;
  puti(0, kind), putf(4, rx), putf(12, ry), puti(20, word);
  if (kind == 4)
    GuideAngle = angle;
  return 0;
}

int rub_startlist(int32_t mode, int32_t kind, double rx, double ry, const GuideShape *list, double angle) {
  if (!begin(mode, {98}))
    return 1;
  puti(0, kind), putf(4, rx), putf(12, ry);
  take_list(list);
  if (kind == 4)
    GuideAngle = angle;
  return 0;
}

int rub_startturnl(int32_t mode, double px, double py, double tx, double ty, double base, const GuideShape *list) {
  if (!begin(mode, {100}))
    return 1;
  putf(0, px), putf(8, py), putf(16, tx), putf(24, ty), putf(32, base);
  take_list(list);
  return 0;
}

int rub_startturn(int32_t mode, double px, double py, int32_t db, double tx, double ty, double base) {
  if (!begin(mode, {101}))
    return 1;
  putf(0, px), putf(8, py), puti(16, db), putf(20, tx), putf(28, ty), putf(36, base);
  return 0;
}

int rub_startlistf(int32_t mode, double angle, double rx, double ry, const GuideShape *list) {
  if (!begin(mode, {102}))
    return 1;
  puti(0, 4), putf(4, rx), putf(12, ry);
  GuideAngle = angle;
  take_list(list);
  return 0;
}

int rub_startdragf(int32_t mode, double angle, double rx, double ry, int32_t db) {
  if (!begin(mode, {103}))
    return 1;
  puti(0, 99), putf(4, rx), putf(12, ry), puti(20, db);
  GuideAngle = angle;
  return 0;
}

int rub_startrotl(int32_t mode, int32_t kind, const double v[4], const GuideShape *list) {
  if (!begin(mode, {104}))
    return 1;
  puti(0, kind);
  for (int i = 0; i < 4; i++)
    putf(4 + 8 * i, v[i]);
  take_list(list);
  return 0;
}

int rub_startscale(int32_t mode, double px, double py, int32_t db, double angle, double scale, int32_t word) {
  if (!begin(mode, {105}))
    return 1;
  putf(0, px), putf(8, py), puti(16, db), putf(20, angle), putf(28, scale), puti(36, word);
  return 0;
}

int rub_startortho(int32_t mode, double angle, double x1, double y1, double x2, double y2, const GuideShape *a,
                   const GuideShape *b) {
  if (!begin(mode, {106}))
    return 1;
  puti(0, 6), putf(8, x1), putf(16, y1), putf(24, x2), putf(32, y2);
  GuideAngle = angle;
  take_list(a);
  // One count for both lists: B gives as many entries as A, blank where it ends early.
  const int nb = list_len(b);
  for (int i = 0; i < GuideListCount; i++)
    GuideListB[i] = i < nb ? b[i] : GuideShape{0, 0, 0, 0, 0, 0};
  return 0;
}

int rub_apply(double x, double y, double *outx, double *outy) {
  Pt p = {x, y};
  const InputGuide &g = Guide;
  const int32_t mode = g.mode;
  const Pt r = {rub_f64(g, 4), rub_f64(g, 12)};
  switch (mode) {
  case 1:
  case 10:
  case 11:
    p = by_kind(rub_i32(g, 0), r, rub_f64(g, 20), p);
    break;
  case 97:
  case 98:
  case 99:
  case 102:
  case 103:
  case 104:
    p = by_kind(rub_i32(g, 0), r, GuideAngle, p);
    break;
  case 106:
    p = by_kind(rub_i32(g, 0), Pt{rub_f64(g, 8), rub_f64(g, 16)}, GuideAngle, p);
    break;
  case 2:
  case 7:
  case 8:
  case 9:
  case 14:
    if (rub_i32(g, 0) == 2) {
      double m = rub_f64(g, 28);
      if (mode == 7 || mode == 8)
        m *= 2;
      if (mode == 14) {
        const int32_t sub = rub_i32(g, 36);
        if (sub == 1 || sub == 4 || sub == 6 || sub == 9)
          m *= 2;
      }
      p = ratio(r, rub_f64(g, 20), m, p);
    }
    break;
  case 16:
    p = distance(rub_i32(g, 0), r, rub_f64(g, 28), p);
    break;
  case 21:
    p = offset_guide(g, p);
    break;
  case 22:
    if (rub_i32(g, 0) & 1)
      p = project(r, rub_f64(g, 20), p);
    break;
  case 23: {
    const int32_t kind = rub_i32(g, 0);
    if (kind & 1) {
      double th = rub_f64(g, 28);
      if ((kind & 8) && th > 90 && th <= 270)
        th -= 180;
      p = project(r, th, p);
      if (kind & 8) {
        const double off = rub_f64(g, 36);
        p.x += off * deg_cos(th + 90);
        p.y += off * deg_sin(th + 90);
      }
    }
    break;
  }
  case 25: {
    const int32_t kind = rub_i32(g, 0), n = rub_i32(g, 4);
    if (kind == 1 && n == 1)
      p = kind3(Pt{rub_f64(g, 8), rub_f64(g, 48)}, p);
    else if (kind & 1)
      p.y = rub_f64(g, 128);
    break;
  }
  default:
    break;
  }
  *outx = p.x;
  *outy = p.y;
  return 0;
}

int rub_state(char op, InputGuide *buf) {
  if (op == 'r' || op == 'R')
    std::memcpy(buf, &Guide, sizeof Guide);
  else if (op == 'w' || op == 'W')
    std::memcpy(&Guide, buf, sizeof Guide);
  return 0;
}

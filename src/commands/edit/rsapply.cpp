#include "commands/edit/rsapply.h"

#include <cmath>
#include <cstring>

namespace {

double rd(const uint8_t *b, int off) {
  double v;
  std::memcpy(&v, b + off, 8);
  return v;
}
void wr(uint8_t *b, int off, double v) { std::memcpy(b + off, &v, 8); }
uint16_t rdw(const uint8_t *b, int off) { return static_cast<uint16_t>(b[off] | b[off + 1] << 8); }
void wrw(uint8_t *b, int off, uint16_t v) {
  b[off] = static_cast<uint8_t>(v);
  b[off + 1] = static_cast<uint8_t>(v >> 8);
}

enum { ARC_WORD = 40, BLOCK_BYTES = 42 };

bool is_line(int32_t kind) { return (kind & ~16) == 2; }
bool is_arc(int32_t kind) { return (kind & ~16) == 4; }

bool bit(uint16_t w, int n) { return (w >> n) & 1; }

// (start, end) as stored: A and B, swapped when bits 14 and 15 differ.
void arc_sweep(const uint8_t *b, double *start, double *end) {
  uint16_t w = rdw(b, ARC_WORD);
  bool swapped = bit(w, 14) != bit(w, 15);
  *start = rd(b, swapped ? 32 : 24);
  *end = rd(b, swapped ? 24 : 32);
}

// The angle offsub3 moves for the end selector: the start when it equals bit 15.
double arc_moved_angle(const uint8_t *b, int32_t end) {
  double s, e;
  arc_sweep(b, &s, &e);
  return (end & 1) == static_cast<int32_t>(bit(rdw(b, ARC_WORD), 15)) ? s : e;
}

GeoPoint current_end(int32_t kind, const uint8_t *b, int32_t end) {
  if (is_line(kind))
    return end ? GeoPoint{rd(b, 16), rd(b, 24)} : GeoPoint{rd(b, 0), rd(b, 8)};
  double a = arc_moved_angle(b, end), r = rd(b, 16);
  return {rd(b, 0) + r * deg_cos(a), rd(b, 8) + r * deg_sin(a)};
}

double sq(double v) { return v * v; }

} // namespace

int rs_newpos(int32_t kind, const uint8_t *block, int32_t end, const RsBoundary *bnd, const GeoPoint *ref,
              GeoPoint *pos) {
  if (!is_line(kind) && !is_arc(kind))
    return RS_SKIP_KIND;
  GeoPoint p{};
  if (bnd->kind == 0) {
    if (is_line(kind)) {
      GeoPoint a{rd(block, 0), rd(block, 8)}, b{rd(block, 16), rd(block, 24)};
      if (geo_perpft(&a, &b, &bnd->point, &p, nullptr) < 0)
        return RS_SKIP_DEGENERATE;
    } else {
      double cx = rd(block, 0), cy = rd(block, 8), r = rd(block, 16);
      double a = deg_atan2(bnd->point.y - cy, bnd->point.x - cx);
      p = {cx + r * deg_cos(a), cy + r * deg_sin(a)};
    }
  } else {
    uint32_t count = 0, cond[2];
    GeoPoint cp[2];
    if (PRSPNT3(9, kind, block, bnd->kind, bnd->block, ref, &count, cp, cond) != 0 || count == 0)
      return RS_SKIP_NOCROSS;
    p = cp[0];
    if (bnd->self && is_line(kind)) {
      GeoPoint a{rd(block, 0), rd(block, 8)}, b{rd(block, 16), rd(block, 24)};
      if (sq(ref->x - a.x) + sq(ref->y - a.y) < sq(ref->x - b.x) + sq(ref->y - b.y))
        p = a;
    }
  }
  GeoPoint now = current_end(kind, block, end);
  if (std::fabs(now.x - p.x) < 1e-6 && std::fabs(now.y - p.y) < 1e-6)
    return RS_SKIP_ONBOUNDARY;
  *pos = p;
  return RS_MOVE;
}

int rs_move(int32_t kind, uint8_t *block, int32_t end, const GeoPoint *pos) {
  uint8_t orig[BLOCK_BYTES];
  std::memcpy(orig, block, BLOCK_BYTES);
  int rc = offsub3(static_cast<uint32_t>(end & 1), kind, block, pos, 0);
  if (is_line(kind)) {
    if (rc == 2) {
      wr(block, end ? 16 : 0, pos->x);
      wr(block, end ? 24 : 8, pos->y);
    } else if (rc != 0 && rc != -1) {
      std::memcpy(block, orig, BLOCK_BYTES);
      return rc;
    }
    return 0;
  }
  if (rc != 0 && rc != -1 && rc != 2) {
    std::memcpy(block, orig, BLOCK_BYTES);
    return rc;
  }
  double a = rd(block, 24), b = rd(block, 32);
  geo_angnorm(0, &a, &b);
  wr(block, 24, a);
  wr(block, 32, b);
  if (std::fabs(b - a - 360) <= 1e-6) // a full circle has no end styles
    wrw(block, ARC_WORD, static_cast<uint16_t>(rdw(block, ARC_WORD) & ~0x3F00u));
  return 0;
}

int rs_endchoice(const double rect[4], int32_t kind, const uint8_t *block, const GeoPoint *pick) {
  if (is_line(kind)) {
    double x1 = rd(block, 0), y1 = rd(block, 8), x2 = rd(block, 16), y2 = rd(block, 24);
    if (geo_segclip(rect[0], rect[1], rect[2], rect[3], &x1, &y1, &x2, &y2) != 0)
      return -2;
    return sq(x1 - pick->x) + sq(y1 - pick->y) < sq(x2 - pick->x) + sq(y2 - pick->y) ? 0 : 1;
  }
  if (!is_arc(kind))
    return -1;
  double cx = rd(block, 0), cy = rd(block, 8), r = rd(block, 16), s0, e0;
  arc_sweep(block, &s0, &e0);
  AngleInterval iv[ARCCLIP_MAX];
  uint32_t n = 0;
  if (geo_arcclip(rect[0], rect[1], rect[2], rect[3], cx, cy, r, s0, e0, iv, &n) != 0 || n == 0 ||
      n > ARCCLIP_MAX)
    return -2;
  auto at = [&](double ang) { return GeoPoint{cx + r * deg_cos(ang), cy + r * deg_sin(ang)}; };
  auto d2 = [&](const GeoPoint &q) { return sq(q.x - pick->x) + sq(q.y - pick->y); };
  uint32_t best = 0;
  double bestsum = 0;
  for (uint32_t i = 0; i < n; i++) {
    double sum = d2(at(iv[i].start)) + d2(at(iv[i].end));
    if (i == 0 || sum < bestsum) {
      best = i;
      bestsum = sum;
    }
  }
  double s = iv[best].start, e = iv[best].end;
  if (s > e || e - s <= 0.0001)
    e += 360;
  if (s < 0) {
    s += 360;
    e += 360;
  }
  double a = deg_atan2(pick->y - cy, pick->x - cx);
  if (a < s)
    a += 360;
  if (a <= e)
    return std::fabs(e - a) >= std::fabs(s - a) ? 0 : 1;
  return d2(at(e)) > d2(at(s)) ? 0 : 1;
}

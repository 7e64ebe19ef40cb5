#include "geometry/trim.h"

#include <cmath>
#include <cstring>

#include "geometry/angle_util.h"
#include "settings/dbgtrace.h"

namespace {

double rd(const uint8_t *b, int off) {
  double v;
  std::memcpy(&v, b + off, 8);
  return v;
}
void wr(uint8_t *b, int off, double v) { std::memcpy(b + off, &v, 8); }
float rdf(const uint8_t *b, int off) {
  float v;
  std::memcpy(&v, b + off, 4);
  return v;
}
uint16_t rdw(const uint8_t *b, int off) { return static_cast<uint16_t>(b[off] | b[off + 1] << 8); }
void wrw(uint8_t *b, int off, uint16_t v) {
  b[off] = static_cast<uint8_t>(v);
  b[off + 1] = static_cast<uint8_t>(v >> 8);
}

enum { LINE_WORD = 32, ARC_WORD = 40, LINE_BYTES = 34, ARC_BYTES = 42 };

bool bit(uint32_t word, int n) { return (word >> n) & 1; }

// An arc's sweep as (start, end): A and B, swapped when bits 14 and 15 differ.
void arc_sweep(const uint8_t *b, double *start, double *end) {
  uint16_t w = rdw(b, ARC_WORD);
  bool swapped = bit(w, 14) != bit(w, 15);
  *start = rd(b, swapped ? 32 : 24);
  *end = rd(b, swapped ? 24 : 32);
}

struct Line {
  GeoPoint a, b;
};
struct Arc {
  GeoPoint c;
  double r, start, end;
  bool cw; // bit 15
};

Line read_line(const uint8_t *b) { return {{rd(b, 0), rd(b, 8)}, {rd(b, 16), rd(b, 24)}}; }
Arc read_arc(const uint8_t *b) {
  Arc a{{rd(b, 0), rd(b, 8)}, rd(b, 16), 0, 0, bit(rdw(b, ARC_WORD), 15)};
  arc_sweep(b, &a.start, &a.end);
  return a;
}

double sq(double v) { return v * v; }
double dist2(const GeoPoint &p, const GeoPoint &q) { return sq(p.x - q.x) + sq(p.y - q.y); }

int line_arc(const Line &l, const Arc &a, GeoPoint out[2]) {
  double dx = l.b.x - l.a.x, dy = l.b.y - l.a.y, l2 = dx * dx + dy * dy;
  double t = (dx * (l.a.y - a.c.y) - dy * (l.a.x - a.c.x)) / l2;
  double e = std::sqrt(l2) * std::fabs(t) - a.r;
  if (std::fabs(e) <= 0.0001) {
    out[0] = {a.c.x - dy * t, a.c.y + dx * t};
    return 1;
  }
  if (!(e < 0))
    return 0;
  double d = (l.b.x - a.c.x) * (l.a.y - a.c.y) - (l.a.x - a.c.x) * (l.b.y - a.c.y);
  double w = a.r * a.r * l2 - d * d;
  double h = w > 0 ? std::sqrt(w) : 0;
  out[0] = {(-d * dy + h * dx) / l2 + a.c.x, (d * dx + h * dy) / l2 + a.c.y};
  out[1] = {(-d * dy - h * dx) / l2 + a.c.x, (d * dx - h * dy) / l2 + a.c.y};
  return 2;
}

int arc_arc(const Arc &a1, const Arc &a2, int mode, GeoPoint out[2]) {
  double d = std::sqrt(dist2(a1.c, a2.c));
  int n = 0;
  if (d > 1e-6) {
    double r1 = a1.r, r2 = a2.r;
    if (std::fabs(std::fabs(r1 - r2) - d) <= 0.0001 || std::fabs(r1 + r2 - d) <= 0.0001) {
      out[0] = r1 >= r2 ? GeoPoint{a1.c.x + (a2.c.x - a1.c.x) * r1 / d, a1.c.y + (a2.c.y - a1.c.y) * r1 / d}
                        : GeoPoint{a2.c.x + (a1.c.x - a2.c.x) * r2 / d, a2.c.y + (a1.c.y - a2.c.y) * r2 / d};
      n = 1;
    } else if (!(r1 + r2 - d <= -0.0001) && !(std::fabs(r1 - r2) > d + 0.0001)) {
      double u = a2.c.y - a1.c.y, v = a1.c.x - a2.c.x, d2 = d * d;
      double k = (r1 * r1 - r2 * r2 + d2) / 2;
      double w = r1 * r1 * d2 - k * k;
      double h = w > 0 ? std::sqrt(w) : 0;
      out[0] = {(-k * v + h * u) / d2 + a1.c.x, (k * u + h * v) / d2 + a1.c.y};
      out[1] = {(-k * v - h * u) / d2 + a1.c.x, (k * u - h * v) / d2 + a1.c.y};
      n = h > 0 ? 2 : 1;
    }
  }
  if (n == 0 && (mode & 8) && std::sqrt(dist2(a1.c, a2.c)) <= 0.0001 && std::fabs(a1.r - a2.r) <= 0.0001) {
    double ang = a1.cw ? a1.start : a1.end;
    out[0] = {a1.c.x + a1.r * deg_cos(ang), a1.c.y + a1.r * deg_sin(ang)};
    n = 1;
  }
  return n;
}

bool outside_line(const Line &l, const GeoPoint &p) {
  double ax = p.x - l.a.x, ay = p.y - l.a.y, bx = p.x - l.b.x, by = p.y - l.b.y;
  return ax * bx + ay * by > 0 && ax * ax + ay * ay > 1e-6 && bx * bx + by * by > 1e-6;
}

bool outside_arc(const Arc &a, const GeoPoint &p) {
  return geo_angtol(a.start, a.end, deg_atan2(p.y - a.c.y, p.x - a.c.x), a.r) == 1;
}

void trace_block_line(const uint8_t *b) {
  dbg_trace("(%.6g,%.6g)-(%.6g,%.6g),X'%04X'\n", rd(b, 0), rd(b, 8), rd(b, 16), rd(b, 24), rdw(b, LINE_WORD));
}

void trace_block_arc(const uint8_t *b) {
  double cx = rd(b, 0), cy = rd(b, 8), r = rd(b, 16), a = rd(b, 24), e = rd(b, 32);
  uint16_t w = rdw(b, ARC_WORD);
  dbg_trace("(%.6g,%.6g),R %.6g,S %.6g,E %.6g,X'%04X'\n", cx, cy, r, a, e, w);
  if (dbg_mode >= 2) {
    double s0 = bit(w, 14) ? e : a, s1 = bit(w, 14) ? a : e;
    dbg_trace("\t\tSpnt(%.6g,%.6g),Epnt(%.6g,%.6g)\n", cx + r * deg_cos(s0), cy + r * deg_sin(s0), cx + r * deg_cos(s1),
              cy + r * deg_sin(s1));
  }
}

int offsub_line(uint32_t mode, uint8_t *block, const GeoPoint *pt, double ext) {
  Line l = read_line(block);
  double dx = l.b.x - l.a.x, dy = l.b.y - l.a.y, old2 = dx * dx + dy * dy;
  if (!(old2 > 1e-20) || !std::isfinite(old2))
    return 1;
  bool second = mode & 1;
  Line n = l;
  (second ? n.b : n.a) = *pt;
  double new2 = dist2(n.a, n.b);
  int result = 0;
  if ((mode & 2) && new2 <= 1e-20) {
    double len = std::sqrt(old2), ux = dx / len, uy = dy / len;
    double e = ext < 0.1 ? 0.1 : ext;
    if (second)
      n.a = {pt->x - e * ux, pt->y - e * uy};
    else
      n.b = {pt->x + e * ux, pt->y + e * uy};
    result = -1;
  } else if (new2 <= 1e-20) {
    return 2;
  }
  wr(block, 0, n.a.x);
  wr(block, 8, n.a.y);
  wr(block, 16, n.b.x);
  wr(block, 24, n.b.y);
  return result;
}

int offsub_arc(uint32_t mode, uint8_t *block, const GeoPoint *pt) {
  uint16_t word = rdw(block, ARC_WORD);
  bool b15 = bit(word, 15);
  double a = deg_atan2(pt->y - rd(block, 8), pt->x - rd(block, 0));
  double start, end;
  arc_sweep(block, &start, &end);
  if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(a))
    return 1;
  start = ang_reduce0(start);
  end = ang_reduce0(end);
  if (start >= end)
    end += 360;
  double s0 = start, e0 = std::fabs(start - end) < 1e-8 ? end + 360 : end;
  if (bit(mode, 0) == b15) {
    if (a > end)
      end += 360;
    start = a;
  } else {
    if (start > a)
      a += 360;
    end = a;
  }
  int result = 0;
  if ((start + end) / 2 > e0 && std::fabs(std::fabs(end - start) - std::fabs(e0 - s0)) > 180) {
    result = -1;
    if (mode & 2) {
      if (!(mode & 1)) {
        end = start + 1;
        if (end > 360)
          end -= 360;
      } else {
        start = end - 1;
        if (start < 0)
          start += 360;
      }
    } else {
      word ^= 0x8000;
      dbg_trace("<offsub3> ARC HANTEN\n");
    }
  }
  start = ang_reduce0(start);
  end = ang_reduce0(end);
  // The sweep modulo 360: ends meeting across 0/360 (359.9995 and 0) are as degenerate
  // as ends meeting elsewhere.
  double sweep = std::fmod(end - start, 360.0);
  if (sweep < 0)
    sweep += 360.0;
  if (sweep <= 0.001 || sweep >= 360 - 0.001) {
    result = 2;
    end = start + 360;
  }
  uint16_t in = rdw(block, ARC_WORD);
  if (bit(word, 14) != bit(word, 15))
    word = static_cast<uint16_t>((word & ~0x4000) | ((word >> 1) & 0x4000));
  if (bit(in, 14) != bit(in, 15)) {
    uint16_t s1 = (in >> 8) & 7, s2 = (in >> 11) & 7;
    word = static_cast<uint16_t>((word & ~0x3F00) | s2 << 8 | s1 << 11);
  }
  wr(block, 24, start);
  wr(block, 32, end);
  wrw(block, ARC_WORD, word);
  return result;
}

bool is_line_kind(int32_t kind) { return kind == 2 || kind == 17 || kind == 19 || kind == 20; }

} // namespace

int cadentdump(int32_t kind, const uint8_t *b) {
  switch (kind) {
  case 1:
    dbg_trace("POINT mode=%d, (%.6g,%.6g)\n", (rdw(b, 16) >> 4) & 0xFF, rd(b, 0), rd(b, 8));
    return 0;
  case 2:
  case 17:
  case 19:
  case 20:
  case 21:
  case 22: {
    const char *label = kind == 2    ? " TPYNLINE"
                        : kind == 17 ? " TPYNTDLN"
                        : kind == 19 ? " TPYNTLN0"
                        : kind == 20 ? " TPYNTLN1"
                        : kind == 21 ? " TPYNTDON"
                                     : " TPYNTDOF";
    dbg_trace("%s", label);
    trace_block_line(b);
    return 0;
  }
  case 4:
  case 24:
  case 25:
    dbg_trace("%s", kind == 4 ? " TPYNARC " : kind == 24 ? " TPYNTARC" : " TPYNTDAR");
    trace_block_arc(b);
    return 0;
  case 8: {
    int16_t n;
    std::memcpy(&n, b + 30, 2);
    // The block holds the first 14 bytes of the string only, unterminated.
    int shown = n < 0 ? 0 : (n > 14 ? 14 : n);
    dbg_trace(" TEXT     base=(%g,%g),width=%g,height=%g,nchar=%d\n", rdf(b, 0), rdf(b, 4), rdf(b, 12), rdf(b, 8), n);
    dbg_trace("           text=[%.*s]\n", shown, reinterpret_cast<const char *>(b + 32));
    return 0;
  }
  case 26:
    dbg_trace(" TPYNTZ0  z=%.6g ==> %.6g\n", rd(b, 8), rd(b, 0));
    return 0;
  case 27:
    dbg_trace(" TPYNTZ1  z=%.6g ==> %.6g\n", rd(b, 8), rd(b, 0));
    return 0;
  default:
    dbg_trace("<cadentdump> invalid data X'%04X'\n", static_cast<unsigned>(kind) & 0xFFFFu);
    return -1;
  }
}

int offsub3(uint32_t mode, int32_t kind, uint8_t *block, const GeoPoint *point, double ext) {
  if (!std::isfinite(point->x) || !std::isfinite(point->y))
    return 1;
  bool line = is_line_kind(kind);
  uint8_t orig[GEOM_BLOCK_SIZE] = {};
  std::memcpy(orig, block, line ? LINE_BYTES : ARC_BYTES);
  if (dbg_mode >= 2) {
    dbg_trace("mode=%d, pnt=[%.6g,%.6g]\n", static_cast<int>(mode), point->x, point->y);
    dbg_trace("Original: ");
    cadentdump(kind, orig);
  }
  int result = line ? offsub_line(mode, block, point, ext) : offsub_arc(mode, block, point);
  if (dbg_mode >= 2) {
    uint8_t now[GEOM_BLOCK_SIZE] = {};
    std::memcpy(now, block, line ? LINE_BYTES : ARC_BYTES);
    dbg_trace("Result  : ");
    cadentdump(kind, now);
  }
  return result;
}

int PRSPNT3(int32_t mode, int32_t kind1, const uint8_t *block1, int32_t kind2, const uint8_t *block2,
            const GeoPoint *ref, uint32_t *count, GeoPoint points[2], uint32_t cond[2]) {
  points[0] = points[1] = {0, 0};
  cond[0] = cond[1] = 0;
  *count = 0;
  int k1 = kind1 & ~16, k2 = kind2 & ~16;
  if ((k1 != 2 && k1 != 4) || (k2 != 2 && k2 != 4))
    return 1;
  Line l1{}, l2{};
  Arc a1{}, a2{};
  bool degenerate = false;
  if (k1 == 2) {
    l1 = read_line(block1);
    degenerate |= !(std::sqrt(dist2(l1.a, l1.b)) > 1e-9);
  } else {
    a1 = read_arc(block1);
  }
  if (k2 == 2) {
    l2 = read_line(block2);
    degenerate |= !(std::sqrt(dist2(l2.a, l2.b)) > 1e-9);
  } else {
    a2 = read_arc(block2);
  }
  GeoPoint p[2] = {{0, 0}, {0, 0}};
  int n = 0;
  if (!degenerate) {
    if (k1 == 2 && k2 == 2) {
      double ea = l1.b.y - l1.a.y, eb = l1.a.x - l1.b.x, ec = ea * l1.a.x + eb * l1.a.y;
      double fa = l2.b.y - l2.a.y, fb = l2.a.x - l2.b.x, fc = fa * l2.a.x + fb * l2.a.y;
      double det = ea * fb - eb * fa;
      if (std::fabs(det) > 1e-11) {
        p[0] = {(ec * fb - eb * fc) / det, (ea * fc - ec * fa) / det};
        n = 1;
      } else if (mode & 8) {
        double dx = l1.b.x - l1.a.x, dy = l1.b.y - l1.a.y;
        auto off = [&](const GeoPoint &q) { return std::fabs(dx * (q.y - l1.a.y) - dy * (q.x - l1.a.x)); };
        if (off(l2.a) <= 1e-6 && off(l2.b) <= 1e-6) {
          p[0] = l1.b;
          n = 1;
        }
      }
    } else if (k1 == 2) {
      n = line_arc(l1, a2, p);
    } else if (k2 == 2) {
      n = line_arc(l2, a1, p);
    } else {
      n = arc_arc(a1, a2, mode, p);
    }
  }
  for (int i = n; i < 2; i++)
    p[i] = {0, 0};
  uint32_t c[2] = {0xFFFF, 0xFFFF};
  for (int i = 0; i < n; i++) {
    c[i] = 0;
    if (mode & 2) {
      if (k1 == 2 ? outside_line(l1, p[i]) : outside_arc(a1, p[i]))
        c[i] |= 1;
      if (k2 == 2 ? outside_line(l2, p[i]) : outside_arc(a2, p[i]))
        c[i] |= 2;
    }
  }
  if (n == 2) {
    int first = 0; // index of the point to put first
    bool along = false;
    if ((mode & 16) && c[0] != 0 && c[1] != 0) {
      first = 0;
    } else if ((c[0] == 0) != (c[1] == 0)) {
      first = c[0] == 0 ? 0 : 1;
    } else if (mode & 1) {
      double d0 = dist2(p[0], *ref), d1 = dist2(p[1], *ref);
      if (std::fabs(d0 - d1) > 0.0001)
        first = d0 <= d1 ? 0 : 1;
      else
        along = true;
    } else if (mode & 4) {
      along = true;
    }
    if (along) {
      bool agree = (c[0] & 1) == (c[1] & 1);
      if (!agree) {
        first = (c[0] & 1) == 0 ? 0 : 1;
      } else if (k1 == 2) {
        double dx = l1.b.x - l1.a.x, dy = l1.b.y - l1.a.y;
        double ux = p[0].x - l1.a.x, uy = p[0].y - l1.a.y, vx = p[1].x - l1.a.x, vy = p[1].y - l1.a.y;
        if (ux * vx + uy * vy <= 0)
          first = ux * dx + uy * dy > 0 ? 0 : 1;
        else
          first = dist2(p[0], l1.a) <= dist2(p[1], l1.a) ? 0 : 1;
      } else {
        double refang = a1.cw ? a1.end : a1.start;
        double t[2];
        for (int i = 0; i < 2; i++) {
          t[i] = deg_atan2(p[i].y - a1.c.y, p[i].x - a1.c.x);
          if (t[i] < refang)
            t[i] += 360;
        }
        first = t[0] <= t[1] ? 0 : 1;
        if (a1.cw)
          first = 1 - first;
      }
    }
    if (first == 1) {
      GeoPoint tp = p[0];
      p[0] = p[1];
      p[1] = tp;
      uint32_t tc = c[0];
      c[0] = c[1];
      c[1] = tc;
    }
  }
  points[0] = p[0];
  points[1] = p[1];
  cond[0] = c[0];
  cond[1] = c[1];
  *count = n;
  if (dbg_mode >= 1 && n > 0 && std::isnan(p[0].x)) {
    cadentdump(kind1, block1);
    cadentdump(kind2, block2);
  }
  if (dbg_mode >= 9)
    dbg_trace("<PRSPNT3> ierr=%d, mode='%04x', ncr=%d, cp[0]=(%g,%g), cp[1]=(%g,%g), cnd=(%d,%d)\n", 0,
              static_cast<unsigned>(mode), n, p[0].x, p[0].y, p[1].x, p[1].y, static_cast<int>(c[0]),
              static_cast<int>(c[1]));
  return 0;
}

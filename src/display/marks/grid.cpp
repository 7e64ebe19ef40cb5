#include "display/marks/grid.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "geometry/geo.h"

GridRecord GridTable[2];

namespace {

constexpr double TINY = 1e-6;
constexpr double MAXQ = 1e9;   // lattice steps
constexpr double MAXD = 2.5e8; // 1/10000 pixel
constexpr int64_t I32MAX = 2147483647;

bool usable(const GridRecord &g) {
  if (!(g.pitchx > 0) || !(g.pitchy > 0))
    return false;
  const double c = g.a1x * g.a2y - g.a1y * g.a2x;
  const double l1 = std::hypot(g.a1x, g.a1y), l2 = std::hypot(g.a2x, g.a2y);
  if (!std::isfinite(c) || !(l1 >= TINY) || !(l2 >= TINY))
    return false;
  return std::fabs(c) >= TINY * l1 * l2; // not parallel
}

// Truncates q when |q| <= lim (checked first: truncating an out-of-range double is undefined).
bool trunc_in(double q, double lim, int64_t *out) {
  if (!(std::fabs(q) <= lim))
    return false;
  *out = int64_t(q);
  return true;
}

// Lattice index along one axis: quotient (v - o) / a; 0 when a is tiny and zero_ok.
bool index_of(double v, double o, double a, bool zero_ok, int64_t *out) {
  if (std::fabs(a) < TINY && zero_ok) {
    *out = 0;
    return true;
  }
  return trunc_in((v - o) / a, MAXQ, out);
}

} // namespace

int grd_rec(char op, uint32_t d, GridRecord *rec) {
  if (d > 1)
    return 1;
  if (op == 'r' || op == 'R')
    std::memcpy(rec, &GridTable[d], sizeof *rec);
  else if (op == 'w' || op == 'W')
    std::memcpy(&GridTable[d], rec, sizeof *rec);
  else
    return 1;
  return 0;
}

int grd_resetp(uint32_t d, double px, double py) {
  if (d > 1)
    return 1;
  GridRecord &g = GridTable[d];
  std::memset(&g, 0, sizeof g);
  g.kind = 1;
  g.pitchx = px;
  g.pitchy = py;
  g.a1x = deg_cos(0) * px;
  g.a1y = deg_sin(0) * py;
  g.a2x = deg_cos(270) * px;
  g.a2y = deg_sin(270) * py;
  g.angle = 45.0;
  return 0;
}

int grd_reset(uint32_t d) { return grd_resetp(d, 10.0, 10.0); }

int grd_setmode(uint32_t d, uint32_t mode, uint32_t kind) {
  if (d > 1)
    return 1;
  if (mode <= 2)
    GridTable[d].mode = mode;
  if (kind <= 1)
    GridTable[d].kind = kind;
  return 0;
}

int grd_snaprec(const GridRecord &g, double *x, double *y) {
  if (g.mode == 0 || !usable(g))
    return 1;
  const GeoPoint o{g.ox, g.oy}, a1{g.a1x, g.a1y}, a2{g.a2x, g.a2y}, p{*x, *y};
  const GeoPoint o1{o.x + a1.x, o.y + a1.y}, p2{p.x + a2.x, p.y + a2.y};
  GeoPoint X;
  if (geo_lnln(&o, &o1, &p, &p2, &X) == 2)
    return 1;
  int64_t i, j;
  if (!trunc_in(std::hypot(X.x - o.x, X.y - o.y) / g.pitchx + 0.5, MAXQ, &i) ||
      !trunc_in(std::hypot(p.x - X.x, p.y - X.y) / g.pitchy + 0.5, MAXQ, &j))
    return 1;
  int32_t s1 = 0, s2 = 0;
  const GeoPoint up{o.x + a2.x, o.y + a2.y}, down{o.x - a2.x, o.y - a2.y}, back{o.x - a1.x, o.y - a1.y};
  geo_side(&up, &down, &p, &s1);
  geo_side(&back, &o1, &p, &s2);
  const double f1 = double(i) * s1, f2 = double(j) * s2;
  *x = o.x + f1 * a1.x + f2 * a2.x;
  *y = o.y + f1 * a1.y + f2 * a2.y;
  return 0;
}

int grd_snap(uint32_t, double *x, double *y) { return grd_snaprec(GridTable[dwg_cur()], x, y); }

int grd_plan(const GridRecord &g, const ViewXform &xf, const double *clip, GridPlan *pl) {
  if (g.mode > 1 || g.kind < 1 || g.kind > 2 || !usable(g))
    return 1;
  GeoPoint c1{xf.sxmin, xf.symin}, c2{xf.sxmax, xf.symax};
  if (clip) {
    c1 = {clip[0], clip[1]};
    c2 = {clip[2], clip[3]};
  }
  const GeoPoint o{g.ox, g.oy};
  const GeoPoint ob{o.x - g.a1x, o.y - g.a1y}, of{o.x + g.a1x, o.y + g.a1y};
  auto cross = [&](const GeoPoint &c, GeoPoint *x) {
    const GeoPoint b{c.x - g.a2x, c.y - g.a2y}, f{c.x + g.a2x, c.y + g.a2y};
    return geo_lnln(&ob, &of, &b, &f, x) != 2;
  };
  GeoPoint x1, x2;
  if (!cross(c1, &x1) || !cross(c2, &x2))
    return 1;
  int64_t i0, j0, i1, j1;
  if (!index_of(x1.x, o.x, g.a1x, false, &i0) || !index_of(x1.y, o.y, g.a1y, true, &j0) ||
      !index_of(x2.x, o.x, g.a1x, false, &i1) || !index_of(x2.y, o.y, g.a1y, true, &j1))
    return 1;
  if (o.x > x2.x)
    --i1;
  if (o.y > x2.y)
    --j1;
  const int64_t r = std::llabs(i0 % 5);
  const int64_t start = x1.x > o.x ? r - 5 : 5 - r;
  const int64_t last = std::llabs(i1 - i0) + start;
  int64_t bx0, by0;
  if (!trunc_in(xf.left + (double(i0) * g.a1x + o.x - xf.sxmin) * xf.xscale, double(I32MAX), &bx0) ||
      !trunc_in(xf.bottom - (double(j0) * g.a1y + o.y - xf.symin) * xf.yscale, double(I32MAX), &by0))
    return 1;
  int64_t d[4];
  const double v[4] = {g.a1x * xf.xscale * 10000, g.a1y * xf.yscale * 10000, g.a2x * xf.xscale * 10000,
                       g.a2y * xf.yscale * 10000};
  for (int k = 0; k < 4; ++k)
    if (!trunc_in(v[k], MAXD, &d[k]))
      return 1;
  int64_t sx, sy;
  if (!trunc_in(g.pitchx * xf.xscale, MAXQ, &sx) || !trunc_in(g.pitchy * xf.yscale, MAXQ, &sy))
    return 1;
  pl->bx0 = bx0;
  pl->by0 = by0;
  pl->d1x = d[0];
  pl->d1y = d[1];
  pl->d2x = d[2];
  pl->d2y = d[3];
  pl->start = int32_t(start);
  pl->last = int32_t(last);
  pl->sparse = sx < 5 && sy <= 4;
  pl->left = xf.left;
  pl->top = xf.top;
  pl->right = xf.right;
  pl->bottom = xf.bottom;
  return 0;
}

int grd_walk(const GridPlan &p, const int32_t bounds[4], GridDotFn dot, GridStopFn stop, void *ctx) {
  auto inside = [&](int64_t x, int64_t y) {
    return x >= bounds[0] && x <= bounds[2] && y >= bounds[1] && y <= bounds[3];
  };
  auto put = [&](int64_t x, int64_t y, bool emph) {
    if ((emph || !p.sparse) && inside(x, y))
      dot(ctx, int32_t(x), int32_t(y), emph ? 1 : 0);
  };
  for (int64_t t = 0; p.start + t <= p.last; ++t) {
    const int64_t k = p.start + t;
    const bool col = k % 5 == 0;
    const int64_t bx = p.d1x * t / 10000 + p.bx0, by = p.by0 - p.d1y * t / 10000;
    put(bx, by, col);
    if (col && stop && stop(ctx))
      return 1;
    if (p.d2x == 0 && p.d2y == 0)
      continue;
    if (!col && p.sparse)
      continue; // no dot of this column would be set
    const int64_t lx = I32MAX - std::llabs(p.d2x), ly = I32MAX - std::llabs(p.d2y);
    for (int64_t s = 1;; ++s) {
      const int64_t qx = p.d2x * s, qy = p.d2y * s;
      if (std::llabs(qx) >= lx || std::llabs(qy) >= ly)
        break;
      const int64_t px = qx / 10000 + bx, py = by - qy / 10000;
      if (px > p.right || py > p.bottom)
        break;
      put(px, py, col && s % 5 == 0);
    }
    for (int64_t s = 1;; ++s) {
      const int64_t qx = p.d2x * s, qy = p.d2y * s;
      if (std::llabs(qx) >= lx || std::llabs(qy) >= ly)
        break;
      const int64_t px = bx - qx / 10000, py = qy / 10000 + by;
      if (px < p.left || py < p.top)
        break;
      put(px, py, col && s % 5 == 0);
    }
  }
  return 0;
}

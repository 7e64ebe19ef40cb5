#include "select/selpoly.h"

#include <algorithm>
#include <cstring>
#include <cmath>
#include <vector>

#include "geometry/text.h"

namespace {

constexpr double EPS = 1e-6;
constexpr double AEPS = 1e-8;
constexpr int HALVINGS = 200; // midpoint searches converge long before this

bool nearpt(const GeoPoint &a, const GeoPoint &b) { return std::fabs(a.x - b.x) < EPS && std::fabs(a.y - b.y) < EPS; }
GeoPoint mid(const GeoPoint &a, const GeoPoint &b) { return GeoPoint{(a.x + b.x) / 2, (a.y + b.y) / 2}; }
bool fin(double v) { return std::isfinite(v); }

struct Poly {
  const double *p;
  int n;
  GeoPoint v(int i) const {
    i = ((i % n) + n) % n;
    return GeoPoint{p[2 * i], p[2 * i + 1]};
  }
};

bool polyok(const double *points, int n) {
  if (!points || n < 2)
    return false;
  for (int i = 0; i < 2 * n; ++i)
    if (!fin(points[i]))
      return false;
  return true;
}

// Into 0 .. 360 as repeated steps of 360 would bring it, without the steps.
double wrap(double a) {
  double r = std::fmod(a, 360.0);
  if (r > 359.99999999)
    r -= 360;
  if (r < -359.99999999)
    r += 360;
  if (r < 0)
    r += 360;
  return r;
}

// Into from .. from + 360.
double into(double t, double from) {
  double r = from + std::fmod(t - from, 360.0);
  if (r < from)
    r += 360;
  return r;
}

GeoPoint onarc(double cx, double cy, double r, double a) { return GeoPoint{cx + r * deg_cos(a), cy + r * deg_sin(a)}; }

} // namespace

int sel_angcmp(double a, double b) {
  if (b - 0.0099 <= a && a <= b + 0.0099)
    return 0;
  return a < b - 0.0099 ? -1 : 1;
}

int fnc_onseg(const GeoPoint &a, const GeoPoint &b, const GeoPoint &p) {
  if (std::hypot(p.x - a.x, p.y - a.y) < EPS || std::hypot(p.x - b.x, p.y - b.y) < EPS)
    return 0;
  const double len = std::hypot(b.x - a.x, b.y - a.y);
  if (!(len >= EPS))
    return -1;
  const double d = std::fabs((p.x - a.x) * (b.y - a.y) - (p.y - a.y) * (b.x - a.x)) / len;
  if (!(d < EPS))
    return 1;
  const double d1 = (p.x - a.x) * (b.x - a.x) + (p.y - a.y) * (b.y - a.y);
  const double d2 = (p.x - b.x) * (a.x - b.x) + (p.y - b.y) * (a.y - b.y);
  return d1 >= 0 && d2 >= 0 ? 0 : 1;
}

namespace {
// a x + b y = c through p0, p1.
struct Line {
  double a, b, c;
  Line(const GeoPoint &p0, const GeoPoint &p1) : a(p1.y - p0.y), b(p0.x - p1.x), c(a * p0.x + b * p0.y) {}
};
GeoPoint cross(const Line &l1, const Line &l2, double det) {
  return GeoPoint{(l1.c * l2.b - l1.b * l2.c) / det, (l1.a * l2.c - l1.c * l2.a) / det};
}
} // namespace

int fnc_lineseg(const GeoPoint &p0, const GeoPoint &p1, const GeoPoint &p2, const GeoPoint &p3) {
  const Line l1(p0, p1), l2(p2, p3);
  const double det = l1.a * l2.b - l1.b * l2.a;
  if (!(std::fabs(det) >= EPS))
    return 2;
  return fnc_onseg(p2, p3, cross(l1, l2, det)) == 0 ? 0 : -1;
}

int fnc_segseg(const GeoPoint &a0, const GeoPoint &a1, const GeoPoint &b0, const GeoPoint &b1, GeoPoint *out) {
  const Line l1(a0, a1), l2(b0, b1);
  const double det = l1.a * l2.b - l1.b * l2.a;
  const double la = std::hypot(l1.a, l1.b), lb = std::hypot(l2.a, l2.b);
  if (!(la >= EPS && lb >= EPS) || (std::fabs(det / la) < EPS && std::fabs(det / lb) < EPS)) {
    *out = GeoPoint{0, 0};
    return 2;
  }
  *out = cross(l1, l2, det);
  return fnc_onseg(a0, a1, *out) != 0 || fnc_onseg(b0, b1, *out) != 0 ? 1 : 0;
}

int fnc_pt(const double *points, int n, double x, double y) {
  if (!polyok(points, n) || !fin(x) || !fin(y))
    return -1;
  const Poly P{points, n};
  const GeoPoint p{x, y};
  for (int i = 0; i < n; ++i)
    if (fnc_onseg(P.v(i), P.v(i + 1), p) == 0)
      return 4;
  std::vector<GeoPoint> r;
  r.reserve(std::size_t(n));
  for (int i = 0; i < n; ++i) {
    const GeoPoint a = P.v(i), b = P.v(i + 1);
    if (n >= 4 && std::fabs(a.y - b.y) < EPS && std::fabs(a.y - y) < EPS)
      continue;
    r.push_back(a);
  }
  if (r.size() < 2)
    return 2;
  double x0 = r[0].x, x1 = r[0].x, y0 = r[0].y, y1 = r[0].y;
  for (const GeoPoint &v : r) {
    x0 = std::min(x0, v.x), x1 = std::max(x1, v.x);
    y0 = std::min(y0, v.y), y1 = std::max(y1, v.y);
  }
  auto beyond = [](double c, double lo, double hi) {
    return std::fabs(c - lo) >= EPS && std::fabs(c - hi) >= EPS && (c < lo || c > hi);
  };
  if (beyond(x, x0, x1) || beyond(y, y0, y1))
    return 2;
  const GeoPoint ray0{x0, y}, ray1{x1, y};
  struct Hit {
    GeoPoint c;
    std::size_t edge;
  };
  std::vector<Hit> hits;
  const std::size_t m = r.size();
  for (std::size_t i = 0; i < m; ++i) {
    GeoPoint c;
    const int rc = fnc_segseg(r[i], r[(i + 1) % m], ray0, ray1, &c);
    if (rc == 0) {
      if (nearpt(c, p))
        return 4;
      if (x > c.x)
        hits.push_back(Hit{c, i});
    } else if (rc != 1 && rc != 2) {
      return -1;
    }
  }
  if (hits.empty())
    return 2;
  if (hits.size() == 1)
    return 1;
  std::stable_sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) { return a.c.x < b.c.x; });
  int state = 2;
  for (const Hit &h : hits) {
    const GeoPoint end = r[(h.edge + 1) % m];
    bool flip = true;
    if (nearpt(h.c, end)) {
      const double ys = r[h.edge].y, yn = r[(h.edge + 2) % m].y;
      flip = (ys < y && yn < y) || (ys > y && yn > y);
    }
    if (flip)
      state = state == 2 ? 1 : 2;
  }
  return state;
}

namespace {

// Settles a point test of 4 (on the fence) by walking from the end towards q.
int settle(const double *points, int n, const GeoPoint &end, GeoPoint q) {
  for (int k = 0; k < HALVINGS; ++k) {
    q = mid(end, q);
    if (nearpt(q, end))
      return 1;
    const int a = fnc_pt(points, n, q.x, q.y);
    if (a != 4)
      return a;
  }
  return 1;
}

} // namespace

int fnc_seg(const double *points, int n, double x1, double y1, double x2, double y2) {
  if (!polyok(points, n) || !fin(x1) || !fin(y1) || !fin(x2) || !fin(y2))
    return -1;
  const Poly P{points, n};
  const GeoPoint S{x1, y1}, E{x2, y2};
  std::vector<GeoPoint> hits;
  for (int i = 0; i < n; ++i) {
    const GeoPoint vi = P.v(i), vj = P.v(i + 1);
    GeoPoint c;
    const int r = fnc_segseg(S, E, vi, vj, &c);
    if (r == 0) {
      if (nearpt(c, S) || nearpt(c, E))
        continue;
      bool counts = true;
      if (nearpt(c, vi)) {
        const GeoPoint prev = P.v(i - 1);
        GeoPoint t;
        counts = fnc_lineseg(S, E, prev, vj) == 0 && fnc_segseg(S, E, prev, vi, &t) != 2;
      } else if (nearpt(c, vj)) {
        const GeoPoint next = P.v(i + 2);
        GeoPoint t;
        counts = fnc_lineseg(S, E, vi, next) == 0 && fnc_segseg(S, E, vj, next, &t) != 2;
      }
      if (counts)
        hits.push_back(c);
    } else if (r == 2) {
      if (fnc_onseg(vi, vj, S) == 0 && fnc_onseg(vi, vj, E) == 0)
        return 6;
    } else if (r != 1) {
      return -1;
    }
  }
  // Crossings in order along the segment: a concave fence meets it out of edge order.
  const double dx = E.x - S.x, dy = E.y - S.y;
  std::stable_sort(hits.begin(), hits.end(), [&](const GeoPoint &a, const GeoPoint &b) {
    return (a.x - S.x) * dx + (a.y - S.y) * dy < (b.x - S.x) * dx + (b.y - S.y) * dy;
  });
  int a = fnc_pt(points, n, S.x, S.y);
  if (a == 4 && !hits.empty()) {
    const GeoPoint Q = hits.front();
    int on = -1;
    for (int i = 0; i < n && on < 0; ++i)
      if (fnc_onseg(P.v(i), P.v(i + 1), S) == 0)
        on = i;
    a = on >= 0 && fnc_onseg(P.v(on), P.v(on + 1), Q) == 0 ? 1 : settle(points, n, S, Q);
  }
  int b = fnc_pt(points, n, E.x, E.y);
  if (b == 4 && !hits.empty()) {
    const GeoPoint Q = hits.back();
    int on = -1;
    for (int i = 0; i < n && on < 0; ++i)
      if (fnc_onseg(P.v(i), P.v(i + 1), E) == 0)
        on = i;
    b = on >= 0 && fnc_onseg(P.v(on), P.v(on + 1), Q) == 0 ? 1 : settle(points, n, E, Q);
  }
  if (a < 0 || b < 0)
    return -1;
  if (a == 1 && b == 1) {
    if (hits.empty())
      return 0;
    if (hits.size() == 1)
      return 1;
    for (std::size_t i = 0; i + 1 < hits.size(); ++i) {
      const GeoPoint m = mid(hits[i], hits[i + 1]);
      const int r = fnc_pt(points, n, m.x, m.y);
      if (r < 0)
        return -1;
      if (r == 2)
        return 1;
    }
    return 0;
  }
  if (a == 2 && b == 2)
    return hits.empty() ? 5 : 4;
  if (a == 1 && b == 2)
    return 2;
  if (a == 2 && b == 1)
    return 3;
  if ((a == 1 && b == 4) || (a == 4 && b == 1))
    return 0;
  if ((a == 2 && b == 4) || (a == 4 && b == 2))
    return 5;
  GeoPoint Q = E;
  for (int k = 0; k < HALVINGS; ++k) {
    Q = mid(S, Q);
    if (nearpt(Q, S))
      return 6;
    const int r = fnc_pt(points, n, Q.x, Q.y);
    if (r < 0)
      return -1;
    if (r == 1)
      return 0;
    if (r == 2)
      return 5;
  }
  return 6;
}

int fnc_angin(double start, double end, double angle) {
  if (!sel_angok(start) || !sel_angok(end) || !sel_angok(angle))
    return 1;
  auto bring = [](double a) {
    double r = std::fmod(a, 360.0);
    if (r < -AEPS)
      r += 360;
    return r;
  };
  start = bring(start), end = bring(end), angle = bring(angle);
  if (std::fabs(end - start) < AEPS)
    return 0;
  if (start >= end) {
    end += 360;
    if (start > angle)
      angle += 360;
  }
  if ((start < angle && angle < end) || std::fabs(angle - start) < AEPS || std::fabs(angle - end) < AEPS)
    return 0;
  return 1;
}

int fnc_segcirc(const GeoPoint &p0, const GeoPoint &p1, const GeoPoint &c, double start, double end, double r,
                GeoPoint *out1, GeoPoint *out2, uint16_t *count) {
  *out1 = *out2 = GeoPoint{0, 0};
  *count = 0;
  if (!(r > 0) || !fin(r) || nearpt(p0, p1) || !fin(c.x) || !fin(c.y))
    return -1;
  const double dx = p1.x - p0.x, dy = p1.y - p0.y, L2 = dx * dx + dy * dy;
  const double t = (dx * (p0.y - c.y) - dy * (p0.x - c.x)) / L2;
  const double dist = std::sqrt(L2) * std::fabs(t);
  GeoPoint cand[2];
  int nc;
  if (std::fabs(dist - r) < EPS) {
    cand[0] = GeoPoint{c.x - dy * t, c.y + dx * t};
    nc = 1;
  } else if (dist > r) {
    return 0;
  } else {
    const double D = (p1.x - c.x) * (p0.y - c.y) - (p0.x - c.x) * (p1.y - c.y);
    const double s = std::sqrt(std::max(0.0, r * r * L2 - D * D));
    cand[0] = GeoPoint{c.x + (-D * dy + s * dx) / L2, c.y + (D * dx + s * dy) / L2};
    cand[1] = GeoPoint{c.x + (-D * dy - s * dx) / L2, c.y + (D * dx - s * dy) / L2};
    nc = 2;
  }
  for (int i = 0; i < nc; ++i) {
    const GeoPoint &q = cand[i];
    if (fnc_angin(start, end, deg_atan2(q.y - c.y, q.x - c.x)) != 0 || fnc_onseg(p0, p1, q) != 0)
      continue;
    (*count == 0 ? *out1 : *out2) = q;
    ++*count;
  }
  return *count > 0 ? nc : 0;
}

int fnc_tanseg(const GeoPoint &c, const GeoPoint &p, const GeoPoint &p2, const GeoPoint &p3) {
  const double a = deg_atan2(p.y - c.y, p.x - c.x);
  return fnc_lineseg(p, GeoPoint{p.x - deg_sin(a), p.y + deg_cos(a)}, p2, p3);
}

int fnc_arcnorm(double *start, double *end) {
  if (!sel_angok(*start) || !sel_angok(*end))
    return -1;
  double s = wrap(*start), e = wrap(*end);
  if (std::fabs(s - e) < AEPS)
    e = s + 360;
  else if (s > e)
    e += 360;
  if (e > 360)
    s -= 360, e -= 360;
  *start = s, *end = e;
  return 0;
}

int fnc_circ(const double *points, int n, double cx, double cy, double r) {
  if (!polyok(points, n) || !fin(cx) || !fin(cy) || !(r > 0) || !fin(r))
    return -1;
  const Poly P{points, n};
  const GeoPoint c{cx, cy};
  for (int i = 0; i < n; ++i) {
    const GeoPoint a = P.v(i), b = P.v(i + 1);
    GeoPoint q[2];
    uint16_t cnt = 0;
    const int rc = fnc_segcirc(a, b, c, 0, 360, r, &q[0], &q[1], &cnt);
    if (rc < 0)
      return -1;
    if (rc == 2)
      for (int k = 0; k < cnt; ++k)
        if (!nearpt(q[k], a) && !nearpt(q[k], b))
          return 4;
  }
  const int a = fnc_pt(points, n, cx, cy);
  if (a < 0)
    return -1;
  if (a != 1)
    return 5;
  for (int i = 0; i < n; ++i) {
    const GeoPoint v = P.v(i);
    GeoPoint q[2];
    uint16_t cnt = 0;
    const int rc = fnc_segcirc(c, v, c, 0, 360, r, &q[0], &q[1], &cnt);
    if (rc < 0)
      return -1;
    if (rc == 2)
      for (int k = 0; k < cnt; ++k)
        if (!nearpt(q[k], v))
          return 0;
  }
  return 5;
}

int fnc_arc(const double *points, int n, double cx, double cy, double r, double start, double end, uint16_t attr) {
  if (!polyok(points, n) || !fin(cx) || !fin(cy) || !(r > 0) || !fin(r) || !sel_angok(start) ||
      !sel_angok(end))
    return -1;
  const Poly P{points, n};
  const GeoPoint c{cx, cy};
  start = wrap(start), end = wrap(end);
  if (start > end)
    start -= 360;
  GeoPoint first = onarc(cx, cy, r, start), second = onarc(cx, cy, r, end);
  if (attr & 0x4000)
    std::swap(first, second);
  std::vector<double> dirs;
  for (int i = 0; i < n; ++i) {
    const GeoPoint vi = P.v(i), vj = P.v(i + 1);
    GeoPoint q[2];
    uint16_t cnt = 0;
    const int rc = fnc_segcirc(vi, vj, c, start, end, r, &q[0], &q[1], &cnt);
    if (rc < 0)
      return -1;
    if (rc != 2)
      continue;
    for (int k = 0; k < cnt && k < 2; ++k) {
      const GeoPoint &p = q[k];
      if (nearpt(p, first) || nearpt(p, second))
        continue;
      if (nearpt(p, vi) && fnc_tanseg(c, p, P.v(i - 1), vj) != 0)
        continue;
      if (!nearpt(p, vi) && nearpt(p, vj) && fnc_tanseg(c, p, vi, P.v(i + 2)) != 0)
        continue;
      dirs.push_back(into(deg_atan2(p.y - c.y, p.x - c.x), start));
    }
  }
  // Walks from an end that lies on the fence towards the nearest crossing.
  auto walk = [&](double from, double t) {
    for (int k = 0; k < HALVINGS; ++k) {
      t = into((from + t) / 2, start);
      if (std::fabs(t - from) < EPS)
        return -1;
      const GeoPoint q = onarc(cx, cy, r, t);
      const int a = fnc_pt(points, n, q.x, q.y);
      if (a != 4)
        return a;
    }
    return -1;
  };
  int a = fnc_pt(points, n, first.x, first.y);
  if (a == 4 && !dirs.empty())
    a = walk(start, *std::min_element(dirs.begin(), dirs.end()));
  int b = fnc_pt(points, n, second.x, second.y);
  if (b == 4 && !dirs.empty())
    b = walk(end, *std::max_element(dirs.begin(), dirs.end()));
  if (a < 0 || b < 0)
    return -1;
  if (a == 4 && b == 4) {
    double t = end;
    for (int k = 0; k < HALVINGS; ++k) {
      t = into((start + t) / 2, start);
      if (std::fabs(t - start) < EPS)
        return -1;
      const GeoPoint q = onarc(cx, cy, r, t);
      const int m = fnc_pt(points, n, q.x, q.y);
      if (m == 1)
        return 0;
      if (m == 2)
        return 5;
      if (m != 4)
        return -1;
    }
    return -1;
  }
  if ((a == 1 && b == 4) || (a == 4 && b == 1))
    return 0;
  if ((a == 2 && b == 4) || (a == 4 && b == 2))
    return 5;
  if (a == 1 && b == 1)
    return dirs.empty() ? 0 : 1;
  if (a == 1 && b == 2)
    return 2;
  if (a == 2 && b == 1)
    return 3;
  return dirs.empty() ? 5 : 4;
}

int fnc_mapres(int mode, int cls, int raw) {
  if (raw < 0)
    return raw;
  switch (cls) {
  case 0:
    if (mode == 1)
      return raw == 1 || raw == 4 ? 0 : 5;
    if (mode == 2)
      return raw == 1 ? 0 : 5;
    return raw;
  case 1:
    if (raw == 6 && mode == 1)
      return 0;
    if (raw == 6 && mode == 2)
      return 5;
    return raw;
  case 2:
    return raw;
  default:
    return -1;
  }
}

int fnc_elm(int mode, int n, const double *points, const ElementRecord *rec, const char *str) {
  if (!rec)
    return -1;
  switch (rec->kind) {
  case PNT:
    return fnc_mapres(mode, 0, fnc_pt(points, n, rec->pnt.x, rec->pnt.y));
  case LIN:
    return fnc_mapres(mode, 1, fnc_seg(points, n, rec->lin.x1, rec->lin.y1, rec->lin.x2, rec->lin.y2));
  case ARC: {
    const ArcBody &a = rec->arc;
    double s = a.start, e = a.end;
    if (fnc_arcnorm(&s, &e))
      return -1;
    const double sweep = e - s;
    if (std::fabs(sweep) < AEPS || std::fabs(sweep - 360) < AEPS)
      return fnc_mapres(mode, 2, fnc_circ(points, n, a.cx, a.cy, a.r));
    return fnc_mapres(mode, 1, fnc_arc(points, n, a.cx, a.cy, a.r, a.start, a.end, a.attr));
  }
  case CHR: {
    const ChrBody &b = rec->chr;
    static ChrLayout lay;
    chr_layout(0, b.attr, b.height, b.width, b.spacing, str ? str : "", &lay, nullptr);
    const double ox = b.x, oy = b.y, ca = deg_cos(b.angle), sa = deg_sin(b.angle);
    auto place = [&](double x, double y) { return GeoPoint{x * ca - y * sa + ox, x * sa + y * ca + oy}; };
    static const int edges[4][4] = {{0, 0, 0, 1}, {0, 0, 1, 0}, {0, 1, 1, 1}, {1, 0, 1, 1}};
    bool in = false, out = false;
    for (int i = 0; i < lay.count && i < CHR_SLOTS; ++i) {
      const double w = lay.w[i], h = lay.half[i] ? b.height / 2 : b.height;
      for (const auto &e : edges) {
        const GeoPoint p = place(lay.x[i] + e[0] * w, lay.y[i] + e[1] * h);
        const GeoPoint q = place(lay.x[i] + e[2] * w, lay.y[i] + e[3] * h);
        const int r = fnc_seg(points, n, p.x, p.y, q.x, q.y);
        if (r == 6)
          continue;
        const int m = fnc_mapres(mode, 1, r);
        in = in || m == 0;
        out = out || m == 5;
      }
    }
    if (in && !out)
      return 0;
    if (!in && out)
      return 5;
    return 4;
  }
  case MSKBOX:
    return 0;
  default:
    return -1;
  }
}

namespace {

double nodval(const ElementRecord &r, int i) {
  double v;
  std::memcpy(&v, r.nod.data + 2 + 8 * i, sizeof v);
  return v;
}

double raydir(const GeoPoint &r, const GeoPoint &q) {
  const double a = deg_atan2(q.y - r.y, q.x - r.x);
  return sel_angcmp(a, 360) == 0 ? 0 : a;
}

} // namespace

int fnc_polyray(int n, const double *points, const ElementRecord *rec, const char *str) {
  if (!rec || !polyok(points, n))
    return -1;
  enum { PT, SEG, ARCK, BOX } shape;
  GeoPoint R{}, R2{};
  double cx = 0, cy = 0, rad = 0, s = 0, e = 0;
  bool arcfails = false;
  uint16_t kind = rec->kind;
  int cls = 0;
  if (kind == NOD && rec->subkind == 1) {
    uint16_t c;
    std::memcpy(&c, rec->nod.data, sizeof c);
    cls = c;
  }
  if (kind == PNT || cls == 400) {
    shape = PT;
    R = kind == PNT ? GeoPoint{rec->pnt.x, rec->pnt.y} : GeoPoint{nodval(*rec, 0), nodval(*rec, 1)};
    R2 = GeoPoint{R.x + 0.1, R.y};
  } else if (kind == LIN || cls == 100 || cls == 200 || cls == 300) {
    shape = SEG;
    if (kind == LIN)
      R = {rec->lin.x1, rec->lin.y1}, R2 = {rec->lin.x2, rec->lin.y2};
    else
      R = {nodval(*rec, 0), nodval(*rec, 1)}, R2 = {nodval(*rec, 2), nodval(*rec, 3)};
  } else if (kind == ARC || cls == 500 || cls == 600 || cls == 700) {
    shape = ARCK;
    arcfails = kind != ARC;
    if (kind == ARC)
      cx = rec->arc.cx, cy = rec->arc.cy, rad = rec->arc.r, s = rec->arc.start, e = rec->arc.end;
    else
      cx = nodval(*rec, 0), cy = nodval(*rec, 1), rad = nodval(*rec, 2), s = nodval(*rec, 3), e = nodval(*rec, 4);
    if (fnc_arcnorm(&s, &e) || !(rad > 0) || !fin(cx) || !fin(cy) || !fin(rad))
      return -1;
    R = onarc(cx, cy, rad, s);
    R2 = GeoPoint{R.x + 0.1, R.y};
  } else if (kind == CHR) {
    shape = BOX;
    static ChrLayout lay;
    const ChrBody &b = rec->chr;
    chr_layout(0, b.attr, b.height, b.width, b.spacing, str ? str : "", &lay, nullptr);
    if (lay.count < 1)
      return -1;
    const int i = std::min(lay.count, CHR_SLOTS) - 1;
    const double h = lay.half[i] ? b.height / 2 : b.height;
    const double ca = deg_cos(b.angle), sa = deg_sin(b.angle);
    auto place = [&](double x, double y) { return GeoPoint{x * ca - y * sa + b.x, x * sa + y * ca + b.y}; };
    R = place(lay.x[i], lay.y[i]);
    R2 = place(lay.x[i] + lay.w[i], lay.y[i] + h);
  } else {
    return -1;
  }
  if (!fin(R.x) || !fin(R.y) || !fin(R2.x) || !fin(R2.y) || nearpt(R, R2))
    return -1;
  const double dir = raydir(R, R2);
  const Poly P{points, n};
  int count = 0;
  for (int i = 0; i < n; ++i) {
    const GeoPoint a = P.v(i), b = P.v(i + 1);
    GeoPoint x;
    bool meets = false;
    if (shape == SEG) {
      meets = geo_lnln(&R, &R2, &a, &b, &x) == 0;
    } else if (shape == ARCK) {
      const AngleRange ar{s, e};
      GeoPoint q1, q2;
      uint32_t cnt = 0;
      const GeoPoint cc{cx, cy};
      if (geo_segarc(&a, &b, &cc, rad, &ar, &q1, &q2, &cnt) == 0)
        meets = cnt > 0 && (geo_onseg(&a, &b, &q1) == 0 || (cnt > 1 && geo_onseg(&a, &b, &q2) == 0));
      if (meets && arcfails)
        return -1;
    } else if (shape == BOX) {
      const double x0 = std::min(R.x, R2.x), x1 = std::max(R.x, R2.x), y0 = std::min(R.y, R2.y),
                   y1 = std::max(R.y, R2.y);
      auto in = [&](const GeoPoint &p) { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; };
      const GeoPoint side[4][2] = {{{x0, y0}, {x1, y0}}, {{x1, y0}, {x1, y1}}, {{x0, y1}, {x1, y1}}, {{x0, y0}, {x0, y1}}};
      meets = in(a) || in(b);
      for (const auto &sd : side)
        meets = meets || geo_lnln(&a, &b, &sd[0], &sd[1], &x) == 0;
    }
    if (meets) {
      count = 0;
      break;
    }
    if (geo_lnseg(&R, &R2, &a, &b, &x) == 1 && !nearpt(x, R) && sel_angcmp(raydir(R, x), dir) == 0)
      ++count;
  }
  return count % 2 ? 0 : 4;
}

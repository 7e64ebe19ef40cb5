// Box geometry of the masks and the split of lines and arcs at box edges.
#include <cmath>
#include <cstring>
#include <utility>

#include "display/masks/hidmask.h"

MaskQuad HidCurBox;

namespace {

constexpr double TINY = 1e-6;

double dist(const GeoPoint &a, const GeoPoint &b) { return std::hypot(a.x - b.x, a.y - b.y); }

int32_t side(const GeoPoint &p0, const GeoPoint &p1, const GeoPoint &q) {
  int32_t s = 0; // a degenerate edge leaves it 0
  geo_side(&p0, &p1, &q, &s);
  return s;
}

GeoPoint arcpt(const ElementRecord &a, double t) {
  return GeoPoint{a.arc.cx + a.arc.r * deg_cos(t), a.arc.cy + a.arc.r * deg_sin(t)};
}

bool isfull(const AngleRange &ar) { return std::fabs(ar.end - ar.start - 360) < TINY; }

bool inside_all(const MaskQuad &q, const GeoPoint &p) {
  for (int i = 0; i < 4; ++i)
    if (side(q.c[i], q.c[(i + 1) % 4], p) != -1)
      return false;
  return true;
}

} // namespace

int hid_corners(const MaskBoxBody *b, MaskQuad *q) {
  const double x = b->x, y = b->y, w = b->w, h = b->h;
  q->c[0] = {x, y};
  q->c[1] = {x + w, y};
  q->c[2] = {x + w, y + h};
  q->c[3] = {x, y + h};
  if (std::fabs(b->angle) >= TINY)
    for (int i = 1; i < 4; ++i) {
      GeoPoint r = q->c[i];
      geo_rotate(&q->c[0], &q->c[i], &r, b->angle);
      q->c[i] = r;
    }
  return 0;
}

static bool centre_in(const MaskQuad &a, const MaskQuad &b) {
  const GeoPoint m{(b.c[2].x - b.c[0].x) / 2 + b.c[0].x, (b.c[3].y - b.c[1].y) / 2 + b.c[1].y};
  return inside_all(a, m);
}

int hid_centrein(const MaskQuad *a, const MaskQuad *b) { return centre_in(*a, *b) || centre_in(*b, *a) ? 1 : 0; }

int hid_edgecross(const MaskQuad *a, const MaskQuad *b) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      GeoPoint x;
      if (geo_lnln(&a->c[i], &a->c[(i + 1) % 4], &b->c[j], &b->c[(j + 1) % 4], &x) == 0)
        return 1;
    }
  return 0;
}

int hid_quadoverlap(const MaskQuad *a, const MaskQuad *b) { return hid_centrein(a, b) || hid_edgecross(a, b); }

int hid_boxoverlap(const MaskBoxBody *a, const MaskBoxBody *b) {
  MaskQuad qa, qb;
  hid_corners(a, &qa);
  hid_corners(b, &qb);
  return hid_quadoverlap(&qa, &qb);
}

int hid_boxconflict(const MaskBoxBody *a, const MaskBoxBody *b) {
  if (a->mode == 0 || a->mode == 3)
    return 0;
  return hid_boxoverlap(a, b);
}

int hid_tangent(const GeoPoint *p, const GeoPoint *q, const ElementRecord *arc, const GeoPoint *pt) {
  const GeoPoint c{arc->arc.cx, arc->arc.cy};
  const AngleRange whole{0, 360};
  GeoPoint q1, q2;
  uint32_t n = 0;
  if (geo_lnarc(p, q, &c, arc->arc.r, &whole, &q1, &q2, &n) != 0 || n == 0)
    return -1;
  return n == 1 && dist(q1, *pt) < TINY ? 1 : 0;
}

int hid_cornerarc(const GeoPoint *p, const GeoPoint *q, const ElementRecord *arc, const GeoPoint *pt) {
  const double b = deg_atan2(pt->y - arc->arc.cy, pt->x - arc->arc.cx);
  GeoPoint r;
  if (dist(*pt, *p) < TINY) {
    if (geo_rotate(p, q, &r, 90))
      return 0;
    return side(*p, *q, arcpt(*arc, b + 0.5)) == 1 && side(r, *p, arcpt(*arc, b - 0.5)) == 1 ? 1 : 0;
  }
  if (dist(*pt, *q) < TINY) {
    if (geo_rotate(q, p, &r, -90))
      return 0;
    return side(*p, *q, arcpt(*arc, b - 0.5)) == 1 && side(*q, r, arcpt(*arc, b + 0.5)) == 1 ? 1 : 0;
  }
  return 0;
}

int hid_edgehit(const GeoPoint *p, const GeoPoint *q, const ElementRecord *rec, GeoPoint pts[2], uint32_t *count) {
  *count = 0;
  const uint16_t kind = rec->kind & 0xFFFF;
  if (kind == LIN) {
    const GeoPoint a{rec->lin.x1, rec->lin.y1}, b{rec->lin.x2, rec->lin.y2};
    GeoPoint x;
    if (geo_lnln(p, q, &a, &b, &x) == 0 && dist(x, a) >= TINY && dist(x, b) >= TINY) {
      pts[0] = x;
      *count = 1;
    }
    return 0;
  }
  if (kind != ARC)
    return 0;
  AngleRange ar{rec->arc.start, rec->arc.end};
  if (geo_angnorm(0, &ar.start, &ar.end))
    return 0;
  const bool full = isfull(ar);
  const GeoPoint c{rec->arc.cx, rec->arc.cy};
  GeoPoint p1, p2;
  uint32_t n = 0;
  if (geo_segarc(p, q, &c, rec->arc.r, &ar, &p1, &p2, &n) != 0 || n == 0)
    return 0;
  const GeoPoint s = arcpt(*rec, ar.start), e = arcpt(*rec, ar.end);
  auto atend = [&](const GeoPoint &x) { return !full && (dist(x, s) < TINY || dist(x, e) < TINY); };
  if (n == 1) {
    if (hid_tangent(p, q, rec, &p1) == 1 || atend(p1) || hid_cornerarc(p, q, rec, &p1) == 1)
      return 0;
    pts[0] = p1;
    *count = 1;
    return 0;
  }
  const bool keep1 = !atend(p1) && hid_cornerarc(p, q, rec, &p1) != 1;
  const bool keep2 = !atend(p2) && hid_cornerarc(p, q, rec, &p2) != 1;
  if (keep1)
    pts[(*count)++] = p1;
  if (keep2)
    pts[(*count)++] = p2;
  return 0;
}

int hid_dedupe(CutRecord *cut) {
  uint32_t n = cut->count > HID_MAXCROSS ? HID_MAXCROSS : cut->count;
  for (uint32_t i = 0; i < n; ++i) {
    const GeoPoint a{cut->cross[i].x, cut->cross[i].y};
    for (uint32_t j = i + 1; j < n; ++j)
      if (dist(a, GeoPoint{cut->cross[j].x, cut->cross[j].y}) < TINY) {
        for (uint32_t k = j; k + 1 < n; ++k)
          cut->cross[k] = cut->cross[k + 1];
        --n;
        break;
      }
  }
  cut->count = n;
  return 0;
}

void hid_crossings(CutRecord *cut) {
  cut->count = 0;
  for (uint32_t i = 0; i < 4; ++i) {
    GeoPoint pts[2];
    uint32_t n = 0;
    hid_edgehit(&HidCurBox.c[i], &HidCurBox.c[(i + 1) % 4], &cut->rec, pts, &n);
    for (uint32_t k = 0; k < n && cut->count < HID_MAXCROSS; ++k)
      cut->cross[cut->count++] = MaskCross{i, pts[k].x, pts[k].y};
  }
  hid_dedupe(cut);
}

void hid_cutinit(CutResult *res, uint32_t state) {
  std::memset(res, 0, sizeof *res);
  res->state = state;
  res->hiddenkind = 2;
  res->count = 1;
}

int hid_splitkind(const CutRecord *cut, CutResult *res) {
  switch (cut->rec.kind) {
  case LIN:
    return hid_splitline(cut, res);
  case ARC:
    return hid_splitarc(cut, res);
  default:
    return 1;
  }
}

int hid_onedge(const ElementRecord *line) {
  const GeoPoint a{line->lin.x1, line->lin.y1}, b{line->lin.x2, line->lin.y2};
  for (int i = 0; i < 4; ++i) {
    const GeoPoint &p = HidCurBox.c[i], &q = HidCurBox.c[(i + 1) % 4];
    if (side(p, q, a) == 0 && side(p, q, b) == 0)
      return 1;
  }
  return 0;
}

int hid_arcout(const ElementRecord *arc) {
  const GeoPoint s = arcpt(*arc, arc->arc.start);
  for (int i = 0; i < 4; ++i)
    if (side(HidCurBox.c[i], HidCurBox.c[(i + 1) % 4], s) == 1)
      return 1;
  return 0;
}

static ElementRecord linepiece(const ElementRecord &r, GeoPoint a, GeoPoint b) {
  ElementRecord p = r;
  p.lin.x1 = a.x;
  p.lin.y1 = a.y;
  p.lin.x2 = b.x;
  p.lin.y2 = b.y;
  return p;
}

int hid_splitline(const CutRecord *cut, CutResult *res) {
  const ElementRecord &r = cut->rec;
  const GeoPoint a{r.lin.x1, r.lin.y1}, b{r.lin.x2, r.lin.y2};
  switch (cut->count) {
  case 0:
    if (hid_onedge(&r))
      return 1;
    res->count = 1;
    res->hidden[0] = 1;
    res->piece[0] = r;
    return 0;
  case 1: {
    const MaskCross &x = cut->cross[0];
    const uint32_t e = x.edge & 3;
    const int32_t s = side(HidCurBox.c[e], HidCurBox.c[(e + 1) % 4], a);
    if (s == 0)
      return 1; // the start lies on the crossed edge: nothing to cut off
    const GeoPoint m{x.x, x.y};
    res->count = 2;
    res->piece[0] = linepiece(r, a, m);
    res->piece[1] = linepiece(r, m, b);
    res->hidden[0] = s == -1;
    res->hidden[1] = s != -1;
    return 0;
  }
  case 2: {
    GeoPoint x1{cut->cross[0].x, cut->cross[0].y}, x2{cut->cross[1].x, cut->cross[1].y};
    if (dist(a, x2) < dist(a, x1))
      std::swap(x1, x2);
    res->count = 3;
    res->piece[0] = linepiece(r, a, x1);
    res->piece[1] = linepiece(r, x1, x2);
    res->piece[2] = linepiece(r, x2, b);
    res->hidden[0] = 0;
    res->hidden[1] = 1;
    res->hidden[2] = 0;
    return 0;
  }
  default:
    return 1; // a straight line meets a convex box at most twice
  }
}

int hid_splitarc(const CutRecord *cut, CutResult *res) {
  const ElementRecord &r = cut->rec;
  const uint32_t n = cut->count > HID_MAXCROSS ? HID_MAXCROSS : cut->count;
  if (n == 0) {
    if (hid_arcout(&r))
      return 1;
    res->count = 1;
    res->hidden[0] = 1;
    res->piece[0] = r;
    return 0;
  }
  AngleRange ar{r.arc.start, r.arc.end};
  if (geo_angnorm(0, &ar.start, &ar.end))
    return 1;
  const bool full = isfull(ar);
  double ang[HID_MAXCROSS];
  for (uint32_t i = 0; i < n; ++i) {
    double a = deg_atan2(cut->cross[i].y - r.arc.cy, cut->cross[i].x - r.arc.cx);
    if (a <= ar.start && a != ar.start)
      a += 360;
    if (a > ar.end)
      a -= 360;
    ang[i] = a;
  }
  for (uint32_t i = 0; i < n; ++i)
    for (uint32_t j = i + 1; j < n; ++j)
      if (ang[j] < ang[i])
        std::swap(ang[i], ang[j]);
  const uint32_t first = inside_all(HidCurBox, arcpt(r, ar.start)) ? 1 : 0;
  const uint32_t count = full ? n : n + 1;
  for (uint32_t k = 0; k < count; ++k) {
    double s, e;
    if (k == 0) {
      s = full ? ang[n - 1] - 360 : ar.start;
      e = ang[0];
    } else {
      s = ang[k - 1];
      e = k == n ? ar.end : ang[k];
    }
    ElementRecord p = r;
    p.arc.start = s;
    p.arc.end = e;
    res->piece[k] = p;
    res->hidden[k] = (first + k) % 2;
  }
  res->count = count;
  return 0;
}

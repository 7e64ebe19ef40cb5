// The piece finder of the partial erase: records, cut points, crossings, images.
#include "commands/edit/segerase.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <vector>

#include "database/elements.h"
#include "database/store.h"
#include "display/masks/hidmask.h"
#include "select/filter.h"
#include "select/picksys.h"
#include "settings/params.h"

SegRecord *SegRecords = nullptr;
int32_t SegCount = 0;
int32_t SegStage = 0;
int32_t SegDrawing = -1;
int32_t SegHit = 0;
int32_t SegModePick = 0, SegModeCross = 0, SegKeepStyle = 0;

namespace {

constexpr double EPS = 1e-6;
GeoPoint Pt1{0, 0}, Pt2{0, 0};

uint16_t basekind(const ElementRecord *r) { return uint16_t(r->kind & ~MSKBOX); }

bool same(const GeoPoint &a, const GeoPoint &b) { return std::fabs(a.x - b.x) < EPS && std::fabs(a.y - b.y) < EPS; }

GeoPoint at(const ElementRecord *r, double a) {
  return GeoPoint{r->arc.cx + r->arc.r * deg_cos(a), r->arc.cy + r->arc.r * deg_sin(a)};
}

// The angle of p on the arc, lifted by 360 below the start.
double lifted(const ElementRecord *r, const GeoPoint *p) {
  double a = deg_atan2(p->y - r->arc.cy, p->x - r->arc.cx);
  while (a < r->arc.start)
    a += 360;
  return a;
}

bool onend(const ElementRecord *t, const GeoPoint &p) {
  GeoPoint e0, e1;
  if (basekind(t) == LIN) {
    e0 = {t->lin.x1, t->lin.y1};
    e1 = {t->lin.x2, t->lin.y2};
  } else {
    e0 = at(t, t->arc.start);
    e1 = at(t, t->arc.end);
  }
  return std::hypot(p.x - e0.x, p.y - e0.y) < EPS || std::hypot(p.x - e1.x, p.y - e1.y) < EPS;
}

struct Box {
  double x0, y0, x1, y1;
};

// Bounds of a line, or of the whole circle of an arc.
Box box(const ElementRecord *r) {
  if (basekind(r) == LIN)
    return {std::fmin(r->lin.x1, r->lin.x2), std::fmin(r->lin.y1, r->lin.y2), std::fmax(r->lin.x1, r->lin.x2),
            std::fmax(r->lin.y1, r->lin.y2)};
  return {r->arc.cx - r->arc.r, r->arc.cy - r->arc.r, r->arc.cx + r->arc.r, r->arc.cy + r->arc.r};
}

bool apart(const Box &a, const Box &b) {
  return a.x1 < b.x0 - EPS || b.x1 < a.x0 - EPS || a.y1 < b.y0 - EPS || b.y1 < a.y0 - EPS;
}

uint32_t linekind(const ElementRecord *r) {
  return (basekind(r) == LIN ? r->lin.attr : r->arc.attr) >> 4 & 15;
}

} // namespace

bool seg_isfull(const ElementRecord *r) {
  return basekind(r) == ARC && std::fabs(r->arc.end - r->arc.start - 360) < EPS;
}

void seg_reset() {
  SegCount = 0;
  if (SegRecords)
    std::memset(SegRecords, 0, sizeof(SegRecord) * SEG_MAX);
}

SegRecord *seg_rec(int32_t i) {
  if (!SegRecords || i < 0 || i > SegCount || i >= SEG_MAX)
    return nullptr;
  return &SegRecords[i];
}

int seg_put(int32_t i, const SegRecord *rec) {
  SegRecord *r = seg_rec(i);
  if (!r || !rec)
    return 1;
  if (r != rec)
    *r = *rec;
  return 0;
}

int seg_isect(int full, const ElementRecord *target, const ElementRecord *other, uint32_t *count, GeoPoint pts[2]) {
  *count = 0;
  const uint16_t tk = basekind(target), ok = basekind(other);
  if ((tk != LIN && tk != ARC) || (ok != LIN && ok != ARC))
    return 1;
  AngleRange ta{target->arc.start, target->arc.end};
  if (full)
    ta = {0, 360};
  if (tk == LIN && ok == LIN) {
    const GeoPoint a0{target->lin.x1, target->lin.y1}, a1{target->lin.x2, target->lin.y2};
    const GeoPoint b0{other->lin.x1, other->lin.y1}, b1{other->lin.x2, other->lin.y2};
    if (geo_lnln(&a0, &a1, &b0, &b1, &pts[0]) == 0)
      *count = 1;
  } else if (tk == LIN || ok == LIN) {
    const ElementRecord *l = tk == LIN ? target : other;
    const ElementRecord *a = tk == LIN ? other : target;
    const AngleRange ar = tk == LIN ? AngleRange{a->arc.start, a->arc.end} : ta;
    const GeoPoint p0{l->lin.x1, l->lin.y1}, p1{l->lin.x2, l->lin.y2}, c{a->arc.cx, a->arc.cy};
    if (geo_segarc(&p0, &p1, &c, a->arc.r, &ar, &pts[0], &pts[1], count) != 0)
      *count = 0;
  } else {
    const GeoPoint c1{target->arc.cx, target->arc.cy}, c2{other->arc.cx, other->arc.cy};
    const AngleRange oa{other->arc.start, other->arc.end};
    if (geo_arcarc(&c1, &c2, target->arc.r, other->arc.r, &ta, &oa, &pts[0], &pts[1], count) != 0)
      *count = 0;
  }
  return *count ? 0 : 2;
}

int seg_side(const ElementRecord *t, const GeoPoint *ref, const GeoPoint *cp) {
  if (basekind(t) == LIN) {
    // Which side of the perpendicular through the reference point.
    const double dx = t->lin.x2 - t->lin.x1, dy = t->lin.y2 - t->lin.y1;
    return (cp->x - ref->x) * dx + (cp->y - ref->y) * dy < 0 ? 0 : 1;
  }
  if (basekind(t) == ARC)
    return lifted(t, cp) < lifted(t, ref) ? 0 : 1;
  return -1;
}

int seg_nearer(int side, const ElementRecord *t, const GeoPoint *ref, const GeoPoint *cand, const GeoPoint *cur) {
  (void)side;
  if (basekind(t) == LIN)
    return std::hypot(cand->x - ref->x, cand->y - ref->y) < std::hypot(cur->x - ref->x, cur->y - ref->y) ? 1 : 0;
  if (basekind(t) == ARC) {
    const double a = lifted(t, ref);
    return std::fabs(lifted(t, cand) - a) < std::fabs(lifted(t, cur) - a) ? 1 : 0;
  }
  return -1;
}

int seg_onelm(const ElementRecord *t, const GeoPoint *pt, GeoPoint *out) {
  if (basekind(t) == LIN) {
    const GeoPoint p0{t->lin.x1, t->lin.y1}, p1{t->lin.x2, t->lin.y2};
    if (geo_perpft(&p0, &p1, pt, out, nullptr) < 0)
      *out = *pt;
    return 0;
  }
  if (basekind(t) == ARC) {
    const double dx = pt->x - t->arc.cx, dy = pt->y - t->arc.cy;
    *out = at(t, deg_atan2(dy, dx));
    return 0;
  }
  return 1;
}

int seg_circle(ElementRecord *t, const GeoPoint *ref, const GeoPoint *p1, const GeoPoint *p2, SegRecord *rec) {
  if (basekind(t) != ARC)
    return 1;
  const double a = deg_atan2(ref->y - t->arc.cy, ref->x - t->arc.cx);
  double b1 = deg_atan2(p1->y - t->arc.cy, p1->x - t->arc.cx);
  double b2 = deg_atan2(p2->y - t->arc.cy, p2->x - t->arc.cx);
  if (b1 > b2) {
    const double s = b1;
    b1 = b2;
    b2 = s;
  }
  // The orders of a, b1, b2 (six cases) reduce to: a between them, or not.
  double start, end;
  if (a >= b1 && a <= b2) {
    start = b1;
    end = b2;
  } else {
    start = b2;
    end = b1;
  }
  if (start > end)
    start -= 360;
  t->arc.start = start;
  t->arc.end = end;
  rec->flags = 3;
  const GeoPoint s = at(t, start), e = at(t, end);
  rec->sx = s.x;
  rec->sy = s.y;
  rec->ex = e.x;
  rec->ey = e.y;
  return 0;
}

namespace {

// Whether r may cut another element (the walk of mode 0).
bool cutter(const ElementRecord *r, const uint16_t *states, int inmode) {
  if (r->flags & ELM_SKIP)
    return false;
  if (r->encsub == 8 || r->subkind == 8 || r->encsub == 1 || r->subkind == 1)
    return false;
  if (!(r->kind & (LIN | ARC)) || r->layer >= 64 || states[r->layer] < 2)
    return false;
  const uint16_t k = basekind(r);
  if (k != LIN && k != ARC)
    return false;
  return !(inmode != 0 && linekind(r) == 6);
}

int bounds_elem(int32_t dwg, int32_t i) {
  SegRecord *rec = seg_rec(i);
  if (!rec || rec->elem < 1)
    return 1;
  ElementRecord t;
  if (elm_read(dwg, int32_t(rec->elem), &t, nullptr, 0) != 0)
    return 1;
  const uint16_t tk = basekind(&t);
  if (tk != LIN && tk != ARC)
    return 1;
  const bool full = seg_isfull(&t);
  uint16_t cur, states[64];
  if (sys_layer('r', dwg, &cur, states) != 0)
    return 1;
  const int inmode = pck_hooks().inmode ? pck_hooks().inmode() : 0;
  const GeoPoint ref{rec->rx, rec->ry};
  const double aref = full ? deg_atan2(ref.y - t.arc.cy, ref.x - t.arc.cx) : 0;
  uint32_t flags = 0;
  GeoPoint sp{0, 0}, ep{0, 0};
  double before = 0, after = 0; // full circle: angular distances to the nearest cuts
  bool any = false;
  GeoPoint first{0, 0};
  bool two = false;
  const Box tb = box(&t);
  const DbControl &c = DbCtl[dwg];
  for (uint32_t k = 0; k < c.count1; ++k) {
    const int32_t n = int32_t(c.base1 + k);
    if (n == int32_t(rec->elem))
      continue;
    const ElementRecord *r = dtb_get(dwg, n);
    if (!r || !cutter(r, states, inmode) || apart(tb, box(r)))
      continue;
    GeoPoint pts[2];
    uint32_t cnt = 0;
    if (seg_isect(full, &t, r, &cnt, pts) != 0)
      continue;
    for (uint32_t j = 0; j < cnt && j < 2; ++j) {
      const GeoPoint &p = pts[j];
      if (full) {
        // Nearest cut on each side of the pick, by angle; all of them count, not just the first two.
        double d = deg_atan2(p.y - t.arc.cy, p.x - t.arc.cx) - aref;
        while (d < 0)
          d += 360;
        while (d >= 360)
          d -= 360;
        if (!any) {
          first = p;
          any = true;
        } else if (!same(first, p)) {
          two = true;
        }
        if (!(flags & 2) || d < after) {
          after = d;
          ep = p;
          flags |= 2;
        }
        if (!(flags & 1) || 360 - d < before) {
          before = 360 - d;
          sp = p;
          flags |= 1;
        }
        continue;
      }
      if (onend(&t, p))
        continue;
      const int side = seg_side(&t, &ref, &p);
      GeoPoint &slot = side == 0 ? sp : ep;
      const uint32_t bit = side == 0 ? 1u : 2u;
      if (!(flags & bit) || seg_nearer(side, &t, &ref, &p, &slot) == 1) {
        slot = p;
        flags |= bit;
      }
    }
  }
  if (full) {
    rec->flags = 0;
    if (!two)
      return 0; // fewer than two cut points: no piece
    seg_circle(&t, &ref, &sp, &ep, rec);
    // seg_circle orders the points by angle; keep the piece that holds the pick.
    return 0;
  }
  rec->flags = flags;
  rec->sx = sp.x;
  rec->sy = sp.y;
  rec->ex = ep.x;
  rec->ey = ep.y;
  return 0;
}

int bounds_cross(int32_t dwg) {
  ElementRecord line;
  std::memset(&line, 0, sizeof line);
  line.kind = LIN;
  uint16_t cur, states[64];
  if (sys_layer('r', dwg, &cur, states) != 0)
    return 1;
  line.layer = uint8_t(cur);
  line.lin.x1 = Pt1.x;
  line.lin.y1 = Pt1.y;
  line.lin.x2 = Pt2.x;
  line.lin.y2 = Pt2.y;
  line.lin.attr = 0x10;
  uint32_t kind = ElmFilter.kind;
  if ((kind & 0x7FFF) == 0x7FFF)
    kind &= ~uint32_t(0x4000);
  SegCount = 0;
  int32_t count = 0;
  const DbControl &c = DbCtl[dwg];
  for (uint32_t k = 0; k < c.count1; ++k) {
    const int32_t n = int32_t(c.base1 + k);
    const ElementRecord *r = dtb_get(dwg, n);
    if (!r || (r->flags & ELM_SKIP))
      continue;
    const uint16_t bk = basekind(r);
    if (bk != LIN && bk != ARC)
      continue;
    if (r->layer >= 64 || states[r->layer] < 2)
      continue;
    if (!(r->kind & kind))
      continue;
    const uint16_t attr = bk == LIN ? r->lin.attr : r->arc.attr;
    if (ElmFilter.pen && !(ElmFilter.pen & 1u << (attr & 15)))
      continue;
    if (ElmFilter.ltype && !(ElmFilter.ltype & 1u << (attr >> 4 & 15)))
      continue;
    if (r->encsub == 16 || r->subkind == 16 || hid_ismask(dwg, r))
      continue;
    if (ElmFilter.subkind == 0 && (r->encsub == 2 || r->encsub == 4))
      continue;
    if (r->encsub == 8 || r->subkind == 8 || r->encsub == 1 || r->subkind == 1)
      continue;
    GeoPoint pts[2];
    uint32_t cnt = 0;
    if (seg_isect(0, &line, r, &cnt, pts) != 0)
      continue;
    if (cnt == 2 && std::hypot(pts[1].x - Pt1.x, pts[1].y - Pt1.y) < std::hypot(pts[0].x - Pt1.x, pts[0].y - Pt1.y)) {
      const GeoPoint s = pts[0];
      pts[0] = pts[1];
      pts[1] = s;
    }
    for (uint32_t j = 0; j < cnt && j < 2; ++j) {
      if (count >= SEG_MAX) {
        SegCount = 0;
        return 1;
      }
      SegRecord &sr = SegRecords[count];
      std::memset(&sr, 0, sizeof sr);
      sr.elem = uint32_t(n);
      sr.rx = pts[j].x;
      sr.ry = pts[j].y;
      ++count;
    }
  }
  SegCount = count;
  return 0;
}

} // namespace

int seg_bounds(int mode, int32_t dwg, int32_t i) {
  if (!SegRecords || dwg < 0 || dwg > 1)
    return 1;
  if (mode == 0)
    return bounds_elem(dwg, i);
  if (mode == 1)
    return bounds_cross(dwg);
  return 1;
}

int seg_cross(int32_t dwg) {
  if (seg_bounds(1, dwg, 0) != 0)
    return 1;
  for (int32_t i = 0; i < SegCount; ++i)
    if (seg_bounds(0, dwg, i) != 0)
      return 1;
  return 0;
}

int seg_image(int32_t dwg, const ElementRecord *elm, int32_t i) {
  (void)dwg;
  SegRecord *rec = seg_rec(i);
  if (!rec || !elm)
    return 1;
  ElementRecord img = *elm;
  const uint16_t k = basekind(&img);
  if (k == LIN) {
    img.lin.attr = uint16_t((img.lin.attr & ~0xF0) | 0x10);
    if (rec->flags & 1) {
      img.lin.x1 = rec->sx;
      img.lin.y1 = rec->sy;
      img.lin.attr &= uint16_t(~0x0700);
    }
    if (rec->flags & 2) {
      img.lin.x2 = rec->ex;
      img.lin.y2 = rec->ey;
      img.lin.attr &= uint16_t(~0x3800);
    }
  } else if (k == ARC) {
    img.arc.attr = uint16_t((img.arc.attr & ~0xF0) | 0x10);
    if (rec->flags & 1) {
      img.arc.start = deg_atan2(rec->sy - img.arc.cy, rec->sx - img.arc.cx);
      img.arc.attr &= uint16_t(~0x0700);
    }
    if (rec->flags & 2) {
      img.arc.end = deg_atan2(rec->ey - img.arc.cy, rec->ex - img.arc.cx);
      img.arc.attr &= uint16_t(~0x3800);
    }
    double s = img.arc.start, e = img.arc.end; // the record is packed
    geo_angnorm(0, &s, &e);
    img.arc.start = s;
    img.arc.end = e;
  } else {
    return 1;
  }
  rec->image = img;
  return 0;
}

int32_t seg_hit() { return SegHit; }
void seg_setpt1(const GeoPoint *p) { Pt1 = *p; }
void seg_setpt2(const GeoPoint *p) { Pt2 = *p; }
void seg_getpts(GeoPoint *first, GeoPoint *second) {
  if (first)
    *first = Pt1;
  if (second)
    *second = Pt2;
}
int seg_stub() { return 1; }

// Applying the pieces. All records of one element are taken together, so two
// pieces of one element never act on each other's remains.
namespace {

struct Span {
  double lo, hi;
};

// Position along the element: a line by length from its start, an arc by angle from its start.
double along(const ElementRecord *e, double x, double y) {
  if (basekind(e) == LIN) {
    const double dx = e->lin.x2 - e->lin.x1, dy = e->lin.y2 - e->lin.y1;
    const double len = std::hypot(dx, dy);
    return len > 0 ? ((x - e->lin.x1) * dx + (y - e->lin.y1) * dy) / len : 0;
  }
  double a = deg_atan2(y - e->arc.cy, x - e->arc.cx);
  while (a < e->arc.start)
    a += 360;
  while (a - 360 >= e->arc.start)
    a -= 360;
  return a - e->arc.start;
}

int32_t erase_colour() {
  uint16_t cm[20] = {};
  sys_colmap('r', cm);
  return cm[SEG_ERASE];
}

double length(const ElementRecord *e) {
  if (basekind(e) == LIN)
    return std::hypot(e->lin.x2 - e->lin.x1, e->lin.y2 - e->lin.y1);
  return e->arc.end - e->arc.start;
}

// The element cut down to [lo, hi] along it; cut ends take or lose their styles.
ElementRecord part(const ElementRecord &e, double lo, double hi, bool startcut, bool endcut, bool keepstart,
                   bool keepend) {
  ElementRecord p = e;
  uint16_t &attr = basekind(&e) == LIN ? p.lin.attr : p.arc.attr;
  if (basekind(&e) == LIN) {
    const double len = length(&e);
    const double x1 = e.lin.x1, y1 = e.lin.y1, dx = e.lin.x2 - x1, dy = e.lin.y2 - y1;
    if (startcut) {
      p.lin.x1 = x1 + dx * lo / len;
      p.lin.y1 = y1 + dy * lo / len;
    }
    if (endcut) {
      p.lin.x2 = x1 + dx * hi / len;
      p.lin.y2 = y1 + dy * hi / len;
    }
  } else {
    double s = e.arc.start + lo, t = e.arc.start + hi;
    geo_angnorm(0, &s, &t);
    p.arc.start = s;
    p.arc.end = t;
  }
  if (startcut && !keepstart)
    attr &= uint16_t(~0x0700);
  if (endcut && !keepend)
    attr &= uint16_t(~0x3800);
  return p;
}

} // namespace

static int seg_apply_elem(int32_t dwg, int32_t n, const std::vector<const SegRecord *> &recs) {
  ElementRecord e;
  if (elm_read(dwg, n, &e, nullptr, 0) != 0)
    return 0; // skipped
  const uint16_t k = basekind(&e);
  if (k != LIN && k != ARC)
    return 0;
  if (recs.empty())
    return 0;
  for (const SegRecord *r : recs)
    if (r->flags == 0) // the piece is the whole element
      return elm_delete(dwg, n, erase_colour()) == 0 ? 0 : 1010;
  const bool full = seg_isfull(&e);
  if (full) {
    // Parameterised from the end of the first piece, so that piece lies at the top of the turn.
    if (recs[0]->flags != 3)
      return 0;
    e.arc.start = deg_atan2(recs[0]->ey - e.arc.cy, recs[0]->ex - e.arc.cx);
    e.arc.end = e.arc.start + 360;
  }
  const double len = length(&e);
  std::vector<Span> pieces;
  for (const SegRecord *r : recs) {
    double lo = (r->flags & 1) ? along(&e, r->sx, r->sy) : 0;
    double hi = (r->flags & 2) ? along(&e, r->ex, r->ey) : len;
    if (full && r->flags != 3)
      continue;
    if (full && hi <= lo + EPS) {
      // Wraps past the parameter origin.
      pieces.push_back({lo, len});
      if (hi > EPS)
        pieces.push_back({0, hi});
      continue;
    }
    pieces.push_back({lo, hi});
  }
  // The parts left: the complement of the union of the pieces.
  std::sort(pieces.begin(), pieces.end(), [](const Span &a, const Span &b) { return a.lo < b.lo; });
  std::vector<Span> keep;
  double pos = 0;
  for (const Span &s : pieces) {
    if (s.lo > pos + EPS)
      keep.push_back({pos, s.lo});
    pos = std::max(pos, s.hi);
  }
  if (len > pos + EPS)
    keep.push_back({pos, len});
  if (keep.empty())
    return elm_delete(dwg, n, erase_colour()) == 0 ? 0 : 1010;
  const bool split = keep.size() > 1 || (keep[0].lo > EPS && keep[0].hi < len - EPS);
  std::vector<ElementRecord> parts;
  for (const Span &s : keep) {
    const bool sc = full || s.lo > EPS, ec = full || s.hi < len - EPS;
    const bool ks = SegKeepStyle == 2 || (SegKeepStyle == 1 && !split);
    parts.push_back(part(e, s.lo, s.hi, sc, ec, ks, ks));
  }
  if (elm_update(dwg, n, 0, -1, &parts[0], nullptr) != 0)
    return 1010;
  for (size_t i = 1; i < parts.size(); ++i)
    if (elm_add(dwg, 0, -1, &parts[i], nullptr) < 1)
      return 1010;
  return 0;
}

int seg_erase(int32_t dwg) {
  if (!SegRecords)
    return 0;
  std::vector<uint32_t> done;
  for (int32_t i = 0; i < SegCount; ++i) {
    const uint32_t n = SegRecords[i].elem;
    if (n < 1 || std::find(done.begin(), done.end(), n) != done.end())
      continue;
    done.push_back(n);
    std::vector<const SegRecord *> recs;
    for (int32_t j = i; j < SegCount; ++j)
      if (SegRecords[j].elem == n) {
        recs.push_back(&SegRecords[j]);
        seg_draw(dwg, j, erase_colour());
      }
    const int r = seg_apply_elem(dwg, int32_t(n), recs);
    if (r != 0)
      return r;
  }
  return 0;
}

int seg_apply(int mode, int32_t dwg, int full, const ElementRecord *img, const SegRecord *rec) {
  (void)full;
  (void)img;
  if (!rec || rec->elem < 1 || mode < 0 || mode > 3)
    return 0;
  // The mode names the flags the record carries: 3 split, 2 keep before, 1 keep after, 0 delete.
  SegRecord r = *rec;
  r.flags = uint32_t(mode == 3 ? 3 : mode == 2 ? 1 : mode == 1 ? 2 : 0);
  return seg_apply_elem(dwg, int32_t(rec->elem), {&r});
}

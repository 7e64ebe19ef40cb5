#include "input/gcrsnap.h"
#include "input/ynanswer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "database/store.h"
#include "display/marks/grid.h"
#include "display/marks/marklist.h"
#include "geometry/geo.h"
#include "input/rubber.h"
#include "select/near.h"
#include "select/picksys.h"
#include "settings/params.h"
#include "settings/appstate.h"

namespace {

struct Ctx {
  int32_t dwg = 0;
  double tol2 = 0;
  double ratio = 1;
} ctx;

GcrSnapHooks hooks = gcr_snapplatform();

const char *const Labels[9] = {"自由", "マーカ点", "交点", "端点", "極点", "垂点", "中点", "中心", "原点"};

int32_t base_kind(uint16_t kind) { return kind & ~MSKBOX; }

bool scale_differs(const ElementRecord *r) {
  double q = ctx.ratio;
  sys_scale(ctx.dwg, r->layer, &q);
  return q != ctx.ratio;
}

GeoPoint on_circle(double cx, double cy, double r, double a) { return {cx + r * deg_cos(a), cy + r * deg_sin(a)}; }

void add(double cx, double cy, int32_t type, int32_t f, GeoPoint p, int32_t *count, SnapCandidate *list) {
  gcr_addcand(cx, cy, type, f, p.x, p.y, count, list);
}

// Reads the view's aperture and the current layer's scale ratio for the builders.
void setup(int32_t dwg, int32_t view) {
  double tol = 0;
  pck_hooks().aperture(dwg, view & 0x3FFF, &tol);
  uint16_t cur = 0;
  double ratio = 1;
  if (sys_layer('r', dwg, &cur, nullptr) == 0)
    sys_scale(dwg, cur, &ratio);
  gcr_snapctx(dwg, tol * tol, ratio);
}

bool bad_place(int32_t dwg, int32_t view) { return dwg < 0 || dwg > 1 || (view & 0x3FFF) > 15 || view < 0; }

void only(SnapCandidate *list, int32_t *count, int32_t type, double x, double y) {
  list[0] = SnapCandidate{type, x, y, 0, 0};
  *count = 1;
}

struct Found {
  int32_t n = 0;
  int32_t e[PCK_NEARMAX];
};

// The candidates of a kind (0..8) around (x, y); el asks for the arc case of kind 5.
struct Collected {
  int32_t count = 0;
  SnapCandidate list[SNP_CANDMAX];
  bool arc = false;
  int32_t arcelem = -1;
  double radius = 0;
};

void collect(int32_t dwg, int32_t view, int32_t request, double x, double y, bool el, bool silent, Collected *c) {
  const int32_t kind = request & 0xFF;
  setup(dwg, view);
  Found f;
  if (kind == 2 || (kind >= 4 && kind <= 8)) {
    const uint32_t mask = (kind == 7 ? 0x8006u : 0x8007u) | uint32_t(request & SNP_WORKAREA);
    const int n = pck_near(dwg, view, x, y, mask, 65535, 65535, 255, f.e);
    f.n = n < 0 ? 0 : n;
  }
  int32_t &cnt = c->count;
  SnapCandidate *l = c->list;
  switch (kind) {
  case 0:
    only(l, &cnt, SNP_FREE, x, y);
    break;
  case 2:
    cnt = gcr_perpnt(x, y, f.n, f.e, cnt, l);
    break;
  case 3: {
    double gx = x, gy = y;
    grd_snaprec(GridTable[dwg], &gx, &gy);
    only(l, &cnt, silent ? SNP_MID : SNP_FREE, gx, gy);
    break;
  }
  case 4:
    cnt = gcr_endpnt(x, y, f.n, f.e, cnt, l);
    break;
  case 5:
    cnt = gcr_endpnt(x, y, f.n, f.e, cnt, l);
    cnt = gcr_crspnt(x, y, f.n, f.e, cnt, l);
    if (cnt == 0 && el && f.n > 0) {
      // The element's own centre, not a midpoint of some other element found with it.
      const ElementRecord *r = dtb_get(dwg, f.e[0]);
      if (r && base_kind(r->kind) == ARC) {
        cnt = gcr_midpnt(x, y, 1, f.e, cnt, l);
        c->arc = cnt > 0;
        c->arcelem = f.e[0];
        c->radius = r->arc.r;
      }
    }
    if (cnt == 0)
      only(l, &cnt, SNP_FREE, x, y);
    break;
  case 6:
    cnt = gcr_endpnt(x, y, f.n, f.e, cnt, l);
    cnt = gcr_crspnt(x, y, f.n, f.e, cnt, l);
    gcr_addcand(x, y, SNP_ORIGIN, 0, 0, 0, &cnt, l);
    break;
  case 7:
    cnt = gcr_midpnt(x, y, f.n, f.e, cnt, l);
    break;
  case 8:
    cnt = gcr_endpnt(x, y, f.n, f.e, cnt, l);
    cnt = gcr_crspnt(x, y, f.n, f.e, cnt, l);
    cnt = gcr_midpnt(x, y, f.n, f.e, cnt, l);
    gcr_addcand(x, y, SNP_ORIGIN, 0, 0, 0, &cnt, l);
    break;
  default: // kind 1: a point on an element is PRSPNT's
    break;
  }
}

YnAnswer ask_one(const SnapCandidate &c, int32_t pos, int32_t count, int *key) {
  char text[128];
  std::snprintf(text, sizeof text, "%s(%d/%d) OK? (y/n) = ", gcr_snaplabel(c.type), int(pos), int(count));
  InputGuide saved;
  rub_state('r', &saved);
  rub_start(0);
  hooks.clrlast();
  YnAnswer a;
  do
    a = yn_answer(*key = hooks.ask(text, "YyNn"));
  while (a == YN_OTHER);
  rub_state('w', &saved);
  return a;
}

// Offers the sorted candidates; the chosen index, -1 when none was taken, -2 on Esc,
// -3 when the command ended at the question (*end gets 800 or 700).
int offer(int32_t dwg, const SnapCandidate *l, int32_t count, int *end) {
  uint16_t cm[20] = {};
  sys_colmap('r', cm);
  int prev = -1;
  for (int i = 0; i < count; ++i) {
    const SnapCandidate &c = l[i];
    if (prev >= 0 && std::fabs(c.x - l[prev].x) <= 1e-6 && std::fabs(c.y - l[prev].y) <= 1e-6)
      continue;
    prev = i;
    int32_t attr = cm[13] | 0x8000;
    if (mrk_list(8, dwg, c.x, c.y) >= 0)
      attr ^= 4; // keep the mark visible over a temporary mark standing there
    hooks.mark(dwg, c.x, c.y, attr);
    if (c.scaled)
      hooks.error(30228);
    YnAnswer a = YN_YES;
    if (count == 1)
      hooks.delay(10);
    else
      a = ask_one(c, i + 1, count, end);
    hooks.mark(dwg, c.x, c.y, attr);
    if (a == YN_YES)
      return i;
    if (a == YN_CANCEL)
      return -2;
    if (a == YN_END)
      return -3;
  }
  return -1;
}

int interactive(int32_t dwg, int32_t view, int32_t request, int32_t noask, double *x, double *y, bool el,
                double *radius, int32_t *arcflag) {
  if (app_modeflag() == 1)
    request = 0;
  const int32_t kind = request & 0x3FFF;
  if (kind > 8)
    return 9;
  if (bad_place(dwg, view))
    return -1;
  Collected c;
  collect(dwg, view, kind | (request & SNP_WORKAREA), *x, *y, el, false, &c);
  gcr_snapsort(c.count, c.list);
  int rc = 1;
  if (c.count > 0) {
    int chosen = 0, end = 0;
    if (noask != 1 && request != 0)
      chosen = offer(dwg, c.list, c.count, &end);
    if (chosen == -3) {
      rc = end; // the command ended while the choice was asked: no point, no fall-back
    } else if (chosen >= 0) {
      *x = c.list[chosen].x;
      *y = c.list[chosen].y;
      rc = 0;
    } else if (chosen == -1 && (request & SNP_FALLBACK)) {
      rc = 0; // the cursor point stays
    }
  }
  if (rc == 0 && c.arc) {
    *arcflag = 1;
    *radius = c.radius;
    hooks.showelm(dwg, 1, c.arcelem, [] {
      uint16_t cm[20] = {};
      sys_colmap('r', cm);
      return int32_t(cm[13]);
    }());
    hooks.delay(150);
    hooks.showelm(dwg, 1, c.arcelem, -1);
  }
  if (rc != 0)
    hooks.update();
  return rc;
}

} // namespace

const char *gcr_snaplabel(int32_t type) { return Labels[type >= 1 && type <= 8 ? type : 0]; }

void gcr_snapctx(int32_t dwg, double tol2, double ratio) {
  ctx.dwg = dwg;
  ctx.tol2 = tol2;
  ctx.ratio = ratio;
}

int gcr_addcand(double cx, double cy, int32_t type, int32_t scaled, double px, double py, int32_t *count,
                SnapCandidate *list) {
  const double d2 = (px - cx) * (px - cx) + (py - cy) * (py - cy);
  if (type != SNP_MID && type != SNP_CENTRE && !(d2 <= ctx.tol2))
    return 0;
  const double d = std::sqrt(d2);
  int32_t n = *count;
  if (n < 0)
    n = 0;
  if (n > SNP_CANDMAX)
    n = SNP_CANDMAX;
  for (int32_t i = 0; i < n; ++i) {
    SnapCandidate &c = list[i];
    if (std::fabs(c.x - px) <= 1e-10 && std::fabs(c.y - py) <= 1e-10) {
      if (c.type < type)
        c = SnapCandidate{type, px, py, d, scaled};
      *count = n;
      return 0;
    }
  }
  const SnapCandidate nc{type, px, py, d, scaled};
  if (type == SNP_CENTRE) {
    if (n < SNP_CANDMAX)
      list[n++] = nc;
    *count = n;
    return 0;
  }
  int32_t pos = 0;
  while (pos < n && !(list[pos].dist > d))
    ++pos;
  if (n == SNP_CANDMAX) {
    if (pos == n) {
      *count = n;
      return 0; // farther than every kept point
    }
    --n;
  }
  std::memmove(list + pos + 1, list + pos, sizeof(SnapCandidate) * size_t(n - pos));
  list[pos] = nc;
  *count = n + 1;
  return 0;
}

int gcr_endpnt(double cx, double cy, int32_t n, const int32_t *elems, int32_t count, SnapCandidate *list) {
  for (int32_t i = 0; i < n; ++i) {
    const ElementRecord *r = dtb_get(ctx.dwg, elems[i]);
    if (!r)
      continue;
    const int32_t f = scale_differs(r) ? 1 : 0;
    switch (r->kind) {
    case PNT:
      add(cx, cy, SNP_MARKER, f, {r->pnt.x, r->pnt.y}, &count, list);
      break;
    case LIN:
    case LIN | MSKBOX:
      add(cx, cy, SNP_END, f, {r->lin.x1, r->lin.y1}, &count, list);
      add(cx, cy, SNP_END, f, {r->lin.x2, r->lin.y2}, &count, list);
      break;
    case ARC:
    case ARC | MSKBOX: {
      const ArcBody &a = r->arc;
      add(cx, cy, SNP_END, f, on_circle(a.cx, a.cy, a.r, a.start), &count, list);
      add(cx, cy, SNP_END, f, on_circle(a.cx, a.cy, a.r, a.end), &count, list);
      for (int k = -4; k <= 4; ++k) {
        const double q = 90.0 * k;
        if (a.start <= q && q <= a.end)
          add(cx, cy, SNP_QUAD, f, on_circle(a.cx, a.cy, a.r, q), &count, list);
      }
      break;
    }
    default:
      break;
    }
  }
  return count;
}

int gcr_inbox(const double *a0, const double *a1, const double *b0, const double *b1, const double *p) {
  auto in = [p](const double *s, const double *e) {
    for (int k = 0; k < 2; ++k) {
      if (s[k] == e[k])
        continue;
      const double lo = s[k] < e[k] ? s[k] : e[k], hi = s[k] < e[k] ? e[k] : s[k];
      if (!(p[k] >= lo && p[k] <= hi))
        return false;
    }
    return true;
  };
  return in(a0, a1) && in(b0, b1) ? 0 : 1;
}

int gcr_crspnt(double cx, double cy, int32_t n, const int32_t *elems, int32_t count, SnapCandidate *list) {
  for (int32_t i = 0; i < n; ++i) {
    const ElementRecord *ri = dtb_get(ctx.dwg, elems[i]);
    if (!ri)
      continue;
    // One flag per first element: it stays set for the later pairs once one differs.
    int32_t f = scale_differs(ri) ? 1 : 0;
    const int32_t ki = base_kind(ri->kind);
    for (int32_t j = i + 1; j < n; ++j) {
      const ElementRecord *rj = dtb_get(ctx.dwg, elems[j]);
      if (!rj)
        continue;
      if (scale_differs(rj))
        f = 1;
      const int32_t kj = base_kind(rj->kind);
      if (ki == LIN && kj == LIN) {
        const GeoPoint a0{ri->lin.x1, ri->lin.y1}, a1{ri->lin.x2, ri->lin.y2};
        const GeoPoint b0{rj->lin.x1, rj->lin.y1}, b1{rj->lin.x2, rj->lin.y2};
        GeoPoint q{};
        const int rc = geo_lnln(&a0, &a1, &b0, &b1, &q);
        const double pa0[2] = {a0.x, a0.y}, pa1[2] = {a1.x, a1.y}, pb0[2] = {b0.x, b0.y}, pb1[2] = {b1.x, b1.y},
                     pq[2] = {q.x, q.y};
        if (rc == 0 || (rc == 1 && gcr_inbox(pa0, pa1, pb0, pb1, pq) == 0))
          add(cx, cy, SNP_CROSS, f, q, &count, list);
      } else if ((ki == LIN && kj == ARC) || (ki == ARC && kj == LIN)) {
        const ElementRecord *ln = ki == LIN ? ri : rj, *ar = ki == LIN ? rj : ri;
        const GeoPoint p0{ln->lin.x1, ln->lin.y1}, p1{ln->lin.x2, ln->lin.y2}, c{ar->arc.cx, ar->arc.cy};
        const AngleRange ang{ar->arc.start, ar->arc.end};
        GeoPoint q1{}, q2{};
        uint32_t k = 0;
        if (geo_segarc(&p0, &p1, &c, ar->arc.r, &ang, &q1, &q2, &k) == 0) {
          if (k >= 1)
            add(cx, cy, SNP_CROSS, f, q1, &count, list);
          if (k >= 2)
            add(cx, cy, SNP_CROSS, f, q2, &count, list);
        }
      } else if (ki == ARC && kj == ARC) {
        const GeoPoint c1{ri->arc.cx, ri->arc.cy}, c2{rj->arc.cx, rj->arc.cy};
        const AngleRange a1{ri->arc.start, ri->arc.end}, a2{rj->arc.start, rj->arc.end};
        GeoPoint q1{}, q2{};
        uint32_t k = 0;
        if (geo_arcarc(&c1, &c2, ri->arc.r, rj->arc.r, &a1, &a2, &q1, &q2, &k) == 0) {
          if (k >= 1)
            add(cx, cy, SNP_CROSS, f, q1, &count, list);
          if (k >= 2)
            add(cx, cy, SNP_CROSS, f, q2, &count, list);
        }
      }
    }
  }
  return count;
}

int gcr_perpnt(double cx, double cy, int32_t n, const int32_t *elems, int32_t count, SnapCandidate *list) {
  const GeoPoint q{cx, cy};
  for (int32_t i = 0; i < n; ++i) {
    const ElementRecord *r = dtb_get(ctx.dwg, elems[i]);
    if (!r)
      continue;
    const int32_t f = scale_differs(r) ? 1 : 0;
    const int32_t k = base_kind(r->kind);
    if (k == LIN) {
      const GeoPoint p0{r->lin.x1, r->lin.y1}, p1{r->lin.x2, r->lin.y2};
      GeoPoint foot{};
      if (geo_perpft(&p0, &p1, &q, &foot, nullptr) == 0)
        add(cx, cy, SNP_PERP, f, foot, &count, list);
    } else if (k == ARC) {
      const ArcBody &a = r->arc;
      double ang = deg_atan2(cy - a.cy, cx - a.cx);
      double s = a.start, e = a.end;
      if (s > e)
        e += 360;
      if (e - s <= 1e-10)
        e = s + 360; // equal angles: a full circle
      if (s < 0) {
        s += 360;
        e += 360;
      }
      if (s > ang)
        ang += 360;
      if (ang <= e)
        add(cx, cy, SNP_PERP, f, on_circle(a.cx, a.cy, a.r, ang), &count, list);
    }
  }
  return count;
}

int gcr_midpnt(double cx, double cy, int32_t n, const int32_t *elems, int32_t count, SnapCandidate *list) {
  for (int32_t i = 0; i < n; ++i) {
    const ElementRecord *r = dtb_get(ctx.dwg, elems[i]);
    if (!r)
      continue;
    const int32_t f = scale_differs(r) ? 1 : 0;
    const int32_t k = base_kind(r->kind);
    if (k == LIN)
      add(cx, cy, SNP_MID, f, {(r->lin.x1 + r->lin.x2) / 2, (r->lin.y1 + r->lin.y2) / 2}, &count, list);
    else if (k == ARC)
      add(cx, cy, SNP_CENTRE, f, {r->arc.cx, r->arc.cy}, &count, list);
  }
  return count;
}

void gcr_snapsort(int32_t count, SnapCandidate *list) {
  for (int32_t i = 0; i + 1 < count; ++i)
    for (int32_t j = i + 1; j < count; ++j)
      if (list[i].type > list[j].type) {
        const SnapCandidate t = list[i];
        list[i] = list[j];
        list[j] = t;
      }
}

int gcr_osnap(int32_t dwg, int32_t view, int32_t request, int32_t noask, double *x, double *y) {
  double r = 0;
  int32_t f = 0;
  return interactive(dwg, view, request, noask, x, y, false, &r, &f);
}

int gcr_osnapel(int32_t dwg, int32_t view, int32_t request, int32_t noask, double *x, double *y, double *radius,
                int32_t *arcflag) {
  return interactive(dwg, view, request, noask, x, y, true, radius, arcflag);
}

int gcr_snappnt(int32_t dwg, int32_t view, int32_t kind, uint32_t *ptkind, double *x, double *y) {
  if (app_modeflag() == 1)
    return 1;
  const int32_t k = kind & 0x3FFF;
  if (k < 1 || k > 8)
    return 9;
  if (bad_place(dwg, view))
    return -1;
  Collected c;
  collect(dwg, view, k | (kind & SNP_WORKAREA), *x, *y, false, true, &c);
  if (c.count == 0)
    return 1;
  gcr_snapsort(c.count, c.list);
  if (k == 7)
    c.list[0].type = SNP_CENTRE;
  *ptkind = uint32_t(c.list[0].type);
  *x = c.list[0].x;
  *y = c.list[0].y;
  return 0;
}

GcrSnapHooks &gcr_snaphooks() { return hooks; }
void gcr_snapreset() { hooks = gcr_snapplatform(); }

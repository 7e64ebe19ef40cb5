#include "files/outline.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "database/elements.h"
#include "database/store.h"
#include "files/sealfmt.h"
#include "geometry/text.h"

void slf_outget(const uint8_t *b, RaruOutlineRecord *r) {
  r->kind = slf_get<uint16_t>(b, 0);
  r->x = slf_get<double>(b, 2);
  r->y = slf_get<double>(b, 10);
  r->width = slf_get<double>(b, 18);
  r->height = slf_get<double>(b, 26);
}

void slf_output(const RaruOutlineRecord &r, uint8_t *b) {
  slf_put<uint16_t>(b, 0, r.kind);
  slf_put<double>(b, 2, r.x);
  slf_put<double>(b, 10, r.y);
  slf_put<double>(b, 18, r.width);
  slf_put<double>(b, 26, r.height);
}

int slf_extents(int db, GeoPoint *min, GeoPoint *max) {
  if (db < 0 || db >= DB_COUNT || DbCtl[db].count1 == 0)
    return 1;
  GeoPoint lo{99999999, 99999999}, hi{-99999999, -99999999};
  bool seen = false;
  const uint32_t end = dtb_end1(db);
  for (uint32_t n = DbCtl[db].base1; n < end; ++n) {
    ElementRecord r;
    if (elm_read(db, int32_t(n), &r, nullptr, 0) != 0 || (r.flags & ELM_SKIP))
      continue;
    if (r.kind == LIN) {
      const GeoPoint a{r.lin.x1, r.lin.y1}, b{r.lin.x2, r.lin.y2};
      geo_boxadd(&lo, &hi, &a);
      geo_boxadd(&lo, &hi, &b);
      seen = true;
    } else if (r.kind == ARC) {
      const GeoPoint c{r.arc.cx, r.arc.cy}, p{r.arc.cx + r.arc.r, r.arc.cy};
      GeoPoint s, e;
      if (geo_rotate(&c, &p, &s, r.arc.start) || geo_rotate(&c, &p, &e, r.arc.end))
        return 1;
      geo_boxadd(&lo, &hi, &s);
      geo_boxadd(&lo, &hi, &e);
      for (int a = -360; a <= 360; a += 90) {
        if (a < r.arc.start || a > r.arc.end)
          continue;
        GeoPoint q;
        if (geo_rotate(&c, &p, &q, a))
          return 1;
        geo_boxadd(&lo, &hi, &q);
      }
      seen = true;
    }
  }
  if (!seen || hi.x - lo.x < 1e-6 || hi.y - lo.y < 1e-6)
    return 1;
  *min = lo;
  *max = hi;
  return 0;
}

int slf_outrec(int db, RaruOutlineRecord *r) {
  GeoPoint lo, hi;
  if (slf_extents(db, &lo, &hi) != 0)
    return 1;
  *r = {1, lo.x, lo.y, hi.x - lo.x, hi.y - lo.y};
  return 0;
}

int slf_envout(int db, DrawingEnvRecord *env) {
  RaruOutlineRecord r{0, 0, 0, 0, 0};
  slf_outrec(db, &r);
  slf_output(r, env->outline);
  return 0;
}

namespace {

// The four extremes of everything seen so far.
struct Extremes {
  GeoPoint R, T, L, B;
  void add(const GeoPoint &p) {
    if (p.x > R.x)
      R = p;
    if (p.y > T.y)
      T = p;
    if (L.x > p.x)
      L = p;
    if (B.y > p.y)
      B = p;
  }
};

struct Circle {
  double cx, cy, r;
  void into(Extremes &e) const {
    e.add({cx + r, cy});
    e.add({cx, cy + r});
    e.add({cx - r, cy});
    e.add({cx, cy - r});
  }
  bool outside(const GeoPoint &p) const { return std::hypot(p.x - cx, p.y - cy) > r + 1e-6; }
};

bool insweep(double start, double end, double a1, double a2) {
  return (a1 >= start && a1 <= end) || (a2 >= start && a2 <= end);
}

void add_arc(Extremes &e, const ElementRecord &r) {
  const double cx = r.arc.cx, cy = r.arc.cy, rad = r.arc.r, s = r.arc.start, t = r.arc.end;
  const GeoPoint c{cx, cy}, p{cx + rad, cy};
  GeoPoint S, E;
  if (geo_rotate(&c, &p, &S, s) || geo_rotate(&c, &p, &E, t))
    return;
  e.add(S);
  e.add(E);
  if (insweep(s, t, 0, 360))
    e.add({cx + rad, cy});
  if (insweep(s, t, 90, -270))
    e.add({cx, cy + rad});
  if (insweep(s, t, 180, -180))
    e.add({cx - rad, cy});
  if (insweep(s, t, 270, -90))
    e.add({cx, cy - rad});
}

// The corners of the text's laid-out box, turned by its angle about its position.
void add_text(Extremes &e, int db, int32_t n, const ElementRecord &r) {
  static char str[CHR_TEXTMAX + 1]; // one text at a time, on the one thread
  ElementRecord full;
  if (elm_read(db, n, &full, str, sizeof str) == 1)
    return;
  ChrLayout lay{};
  const double h = r.chr.height;
  chr_layout(0, r.chr.attr, h, r.chr.width, r.chr.spacing, str, &lay, nullptr);
  const GeoPoint at{r.chr.x, r.chr.y};
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (int i = 0; i < lay.count; ++i) {
    const double a = lay.x[i], b = lay.y[i], c = a + lay.w[i], d = b + h;
    x0 = i ? std::fmin(x0, std::fmin(a, c)) : std::fmin(a, c);
    x1 = i ? std::fmax(x1, std::fmax(a, c)) : std::fmax(a, c);
    y0 = i ? std::fmin(y0, std::fmin(b, d)) : std::fmin(b, d);
    y1 = i ? std::fmax(y1, std::fmax(b, d)) : std::fmax(b, d);
  }
  const GeoPoint corners[4] = {{at.x + x0, at.y + y0}, {at.x + x1, at.y + y0}, {at.x + x1, at.y + y1},
                               {at.x + x0, at.y + y1}};
  for (const GeoPoint &q : corners) {
    GeoPoint turned = q;
    if (r.chr.angle != 0)
      geo_rotate(&at, &q, &turned, r.chr.angle);
    e.add(turned);
  }
}

} // namespace

int slf_outline(int db, int32_t n, SlfOutline *out) {
  *out = {0, 0, 0, 0, 0};
  if (db < 0 || db >= DB_COUNT)
    return 0;
  RaruInfo ri;
  sys_sealinf('R', &ri);
  const double ax = ri.areax, ay = ri.areay;
  Extremes e{{-10 * ax, -10 * ay}, {-10 * ax, -10 * ay}, {10 * ax, 10 * ay}, {10 * ax, 10 * ay}};
  bool shapes = false, havecircle = false;
  Circle circle{0, 0, 0};
  const int32_t last = n < int32_t(DbCtl[db].count1) ? n : int32_t(DbCtl[db].count1);
  for (int32_t k = 1; k <= last; ++k) {
    const ElementRecord *p = dtb_get(db, k);
    if (!p || (p->flags & ELM_SKIP))
      continue;
    const ElementRecord &r = *p;
    switch (r.kind) {
    case LIN:
      e.add({r.lin.x1, r.lin.y1});
      e.add({r.lin.x2, r.lin.y2});
      shapes = true;
      break;
    case ARC:
      if (std::fabs(r.arc.end - r.arc.start) >= 360 && r.arc.r > circle.r) {
        // A smaller circle met before counts as a shape, as it does when met after.
        if (havecircle) {
          circle.into(e);
          shapes = true;
        }
        circle = {r.arc.cx, r.arc.cy, r.arc.r};
        havecircle = true;
      } else {
        add_arc(e, r);
        shapes = true;
      }
      break;
    case CHR:
      add_text(e, db, k, r);
      shapes = true;
      break;
    default:
      break;
    }
  }
  uint16_t kind = 0;
  if (shapes && havecircle) {
    kind = 2;
    for (const GeoPoint &q : {e.R, e.T, e.L, e.B})
      if (circle.outside(q))
        kind = 1;
    if (kind == 1)
      circle.into(e);
  } else if (shapes) {
    kind = 1;
  } else if (havecircle) {
    kind = 2;
  }
  if (kind == 1) {
    const double w = e.R.x - e.L.x, h = e.T.y - e.B.y;
    *out = {1, w, h, e.L.x + w / 2, e.B.y + h / 2};
  } else if (kind == 2) {
    *out = {2, circle.r, circle.r, circle.cx, circle.cy};
  }
  return 0;
}

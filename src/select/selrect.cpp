#include "select/selrect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "database/cells.h"
#include "geometry/geo.h"
#include "geometry/text.h"
#include "select/selpoly.h"
#include "select/selwin.h"

SelWindowRec SelWindow = {0, 0, 0, 0, 0, 0, 0, 0, 0, -1};

namespace {

struct Rect {
  double x0, y0, x1, y1;
  Rect(double a, double b, double c, double d)
      : x0(std::min(a, c)), y0(std::min(b, d)), x1(std::max(a, c)), y1(std::max(b, d)) {}
  bool in(double x, double y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

const double AxisT[4] = {0, 1, 0, -1};
GeoPoint axispt(double cx, double cy, double r, int64_t i) {
  const int k = int(((i % 4) + 4) % 4);
  return GeoPoint{cx + AxisT[(k + 1) % 4] * r, cy + AxisT[k] * r};
}
GeoPoint arcpt(double cx, double cy, double r, double a) { return GeoPoint{cx + r * deg_cos(a), cy + r * deg_sin(a)}; }

bool arcok(double cx, double cy, double r, double s, double e) {
  return std::isfinite(cx) && std::isfinite(cy) && std::isfinite(r) && sel_angok(s) && sel_angok(e);
}

// Shifts start into 0 .. 360 and end with it.
void shift(double *s, double *e) {
  double w = std::fmod(*s, 360.0);
  if (w < 0)
    w += 360;
  *e += w - *s;
  *s = w;
}

double nodval(const ElementRecord &r, int i) {
  double v;
  std::memcpy(&v, r.nod.data + 2 + 8 * i, sizeof v);
  return v;
}
uint16_t nodclass(const ElementRecord &r) {
  uint16_t c;
  std::memcpy(&c, r.nod.data, sizeof c);
  return c;
}

// Corners of every character box, four per character.
void textcorners(const ChrBody &b, const char *str, bool absolute, std::vector<GeoPoint> *out) {
  out->clear();
  double h = b.height, w = b.width, sp = b.spacing;
  if (absolute)
    h = std::fabs(h), w = std::fabs(w), sp = std::fabs(sp);
  static ChrLayout lay, wlay;
  chr_layout(0, b.attr, h, w, sp, str ? str : "", &lay, nullptr);
  const ChrLayout *use = &lay;
  double s = 1;
  if ((b.attr >> 9) & 7) {
    if (cel_wlayout(b.attr, h, w, sp, str ? str : "", &wlay) == 1) {
      use = &wlay;
      s = wlay.width != 0 ? lay.width / wlay.width : 1;
    }
  }
  const double ca = deg_cos(b.angle), sa = deg_sin(b.angle);
  for (int i = 0; i < use->count && i < CHR_SLOTS; ++i) {
    const double x0 = use->x[i] * s, x1 = x0 + use->w[i] * s, y0 = use->y[i];
    const double y1 = y0 + (use->half[i] ? h / 2 : h);
    const double xs[4] = {x0, x1, x0, x1}, ys[4] = {y0, y0, y1, y1};
    for (int k = 0; k < 4; ++k)
      out->push_back(GeoPoint{xs[k] * ca - ys[k] * sa + b.x, xs[k] * sa + ys[k] * ca + b.y});
  }
}

// Counts the corners inside; *all the total.
int cornersin(const Rect &r, const std::vector<GeoPoint> &c) {
  int k = 0;
  for (const GeoPoint &p : c)
    k += r.in(p.x, p.y);
  return k;
}

// Shared arc classification of sel_rectcode and sel_rectelm.
struct ArcEnds {
  bool full, startout, endout, axisout;
};
int arcends(const Rect &r, double cx, double cy, double rad, double s, double e, ArcEnds *a) {
  if (!arcok(cx, cy, rad, s, e))
    return -1;
  if (s > e)
    s -= 360;
  shift(&s, &e);
  a->full = e - s >= 360;
  a->axisout = false;
  if (a->full) {
    for (int i = 0; i < 4 && !a->axisout; ++i) {
      const GeoPoint p = axispt(cx, cy, rad, i);
      a->axisout = !r.in(p.x, p.y);
    }
    return 0;
  }
  const GeoPoint ps = arcpt(cx, cy, rad, s), pe = arcpt(cx, cy, rad, e);
  a->startout = !r.in(ps.x, ps.y);
  a->endout = !r.in(pe.x, pe.y);
  for (int64_t k = int64_t(std::floor(s / 90)) + 1; double(k) * 90 < e && !a->axisout; ++k) {
    const GeoPoint p = axispt(cx, cy, rad, k);
    a->axisout = !r.in(p.x, p.y);
  }
  return 0;
}

} // namespace

int sel_ptout(double x1, double y1, double x2, double y2, double px, double py) {
  return Rect(x1, y1, x2, y2).in(px, py) ? 0 : 1;
}

int sel_segsides(double x1, double y1, double x2, double y2, double ax, double ay, double bx, double by) {
  const Rect r(x1, y1, x2, y2);
  const GeoPoint a{ax, ay}, b{bx, by};
  const GeoPoint side[4][2] = {{{r.x0, r.y0}, {r.x1, r.y0}},
                               {{r.x1, r.y0}, {r.x1, r.y1}},
                               {{r.x0, r.y1}, {r.x1, r.y1}},
                               {{r.x0, r.y0}, {r.x0, r.y1}}};
  int n = 0;
  for (const auto &sd : side) {
    GeoPoint x;
    n += geo_lnln(&a, &b, &sd[0], &sd[1], &x) == 0;
  }
  return n;
}

int sel_arcsides(double x1, double y1, double x2, double y2, double cx, double cy, double rad, double start,
                 double end) {
  if (!arcok(cx, cy, rad, start, end) || !(rad > 0))
    return 0;
  const Rect r(x1, y1, x2, y2);
  AngleRange ar{start, end};
  if (ar.start > ar.end)
    ar.start -= 360;
  shift(&ar.start, &ar.end);
  if (ar.end - ar.start >= 360)
    ar = AngleRange{0, 360};
  else if (geo_angnorm(0, &ar.start, &ar.end))
    return 0;
  const GeoPoint c{cx, cy};
  const GeoPoint side[4][2] = {{{r.x0, r.y0}, {r.x1, r.y0}},
                               {{r.x1, r.y0}, {r.x1, r.y1}},
                               {{r.x0, r.y1}, {r.x1, r.y1}},
                               {{r.x0, r.y0}, {r.x0, r.y1}}};
  int n = 0;
  for (const auto &sd : side) {
    GeoPoint q1, q2;
    uint32_t cnt = 0;
    if (geo_segarc(&sd[0], &sd[1], &c, rad, &ar, &q1, &q2, &cnt) == 0)
      n += int(cnt);
  }
  return n;
}

int sel_sidecut(double x1, double y1, double x2, double y2, const ElementRecord *rec) {
  if (!rec)
    return 0;
  if (rec->kind == LIN)
    return sel_segsides(x1, y1, x2, y2, rec->lin.x1, rec->lin.y1, rec->lin.x2, rec->lin.y2);
  if (rec->kind == ARC)
    return sel_arcsides(x1, y1, x2, y2, rec->arc.cx, rec->arc.cy, rec->arc.r, rec->arc.start, rec->arc.end);
  return 0;
}

int sel_rectcode(double x1, double y1, double x2, double y2, uint32_t kind, const ElementRecord *rec,
                 const char *str) {
  if (!rec)
    return -1;
  const Rect r(x1, y1, x2, y2);
  switch (kind) {
  case PNT:
    return r.in(rec->pnt.x, rec->pnt.y) ? 0 : 4;
  case LIN: {
    const LinBody &l = rec->lin;
    const int out = !r.in(l.x1, l.y1) + !r.in(l.x2, l.y2);
    if (out < 2)
      return out == 0 ? 0 : 2;
    return sel_segsides(x1, y1, x2, y2, l.x1, l.y1, l.x2, l.y2) > 0 ? 3 : 4;
  }
  case ARC: {
    const ArcBody &a = rec->arc;
    ArcEnds e;
    if (arcends(r, a.cx, a.cy, a.r, a.start, a.end, &e))
      return -1;
    const bool cut = [&] { return sel_arcsides(x1, y1, x2, y2, a.cx, a.cy, a.r, a.start, a.end) > 0; }();
    if (e.full)
      return !e.axisout ? 0 : cut ? 3 : 4;
    if (!e.startout && !e.endout)
      return e.axisout ? 1 : 0;
    if (e.startout != e.endout)
      return 2;
    return cut ? 3 : 4;
  }
  case CHR: {
    std::vector<GeoPoint> c;
    textcorners(rec->chr, str, false, &c);
    const int in = cornersin(r, c);
    return in == int(c.size()) ? 0 : in > 0 ? 3 : 4;
  }
  default:
    return -1;
  }
}

int sel_rectelm(double x1, double y1, double x2, double y2, uint32_t kind, const ElementRecord *rec,
                const char *str) {
  if (!rec)
    return -1;
  const Rect r(x1, y1, x2, y2);
  switch (kind) {
  case PNT:
    return r.in(rec->pnt.x, rec->pnt.y) ? 0 : 4;
  case LIN: {
    const LinBody &l = rec->lin;
    const bool so = !r.in(l.x1, l.y1), eo = !r.in(l.x2, l.y2);
    if (!so && !eo)
      return 0;
    if (so != eo)
      return so ? 3 : 2;
    return sel_segsides(x1, y1, x2, y2, l.x1, l.y1, l.x2, l.y2) > 0 ? 4 : 5;
  }
  case ARC: {
    const ArcBody &a = rec->arc;
    ArcEnds e;
    if (arcends(r, a.cx, a.cy, a.r, a.start, a.end, &e))
      return -1;
    const bool cut = sel_arcsides(x1, y1, x2, y2, a.cx, a.cy, a.r, a.start, a.end) > 0;
    if (e.full)
      return !e.axisout ? 0 : cut ? 4 : 5;
    if (!e.startout && !e.endout)
      return e.axisout ? 1 : 0;
    if (e.startout != e.endout)
      return e.startout ? 3 : 2;
    return cut ? 4 : 5;
  }
  case CHR: {
    std::vector<GeoPoint> c;
    textcorners(rec->chr, str, false, &c);
    const int in = cornersin(r, c);
    return in == int(c.size()) ? 0 : in == 0 ? 5 : 4;
  }
  default:
    return -1;
  }
}

int sel_winpt(double x, double y) {
  const SelWindowRec &w = SelWindow;
  const double g = w.relation == 1 ? 1e-6 : w.relation == 2 ? -1e-6 : 0;
  return x >= w.xmin - g && x <= w.xmax + g && y >= w.ymin - g && y <= w.ymax + g ? 0 : 1;
}

namespace {

// An arc against the selection window outside relation 2; boxcheck off for group arcs.
int winarc(double cx, double cy, double r, double s, double e, bool swap, bool boxcheck) {
  if (!arcok(cx, cy, r, s, e))
    return -1;
  if (s > e) {
    if (swap)
      std::swap(s, e);
    else
      s -= 360;
  }
  if (e - s >= 360) {
    for (int i = 0; i < 4; ++i) {
      const GeoPoint p = axispt(cx, cy, r, i);
      if (sel_winpt(p.x, p.y))
        return 2;
    }
    return 0;
  }
  const SelWindowRec &w = SelWindow;
  if (boxcheck && (cx + r < w.xmin || cx - r > w.xmax || cy + r < w.ymin || cy - r > w.ymax))
    return 2;
  const GeoPoint ps = arcpt(cx, cy, r, s), pe = arcpt(cx, cy, r, e);
  const int code = sel_winpt(ps.x, ps.y) + sel_winpt(pe.x, pe.y);
  shift(&s, &e);
  bool out = false;
  for (int64_t i = int64_t(std::floor(s / 90)) + 1; i <= int64_t(std::floor(e / 90)) && !out; ++i) {
    const GeoPoint p = axispt(cx, cy, r, i);
    out = sel_winpt(p.x, p.y) != 0;
  }
  return code == 0 && out ? 3 : code;
}

} // namespace

int sel_winelm(uint32_t kind, const ElementRecord *rec, const char *str) {
  if (!rec)
    return -1;
  const SelWindowRec &w = SelWindow;
  switch (kind) {
  case PNT:
    return sel_winpt(rec->pnt.x, rec->pnt.y) ? 2 : 0;
  case LIN:
    if (w.relation == 2)
      return sel_rectcode(w.xmin, w.ymin, w.xmax, w.ymax, kind, rec, str);
    return sel_winpt(rec->lin.x1, rec->lin.y1) + sel_winpt(rec->lin.x2, rec->lin.y2);
  case ARC:
    if (w.relation == 2)
      return sel_rectcode(w.xmin, w.ymin, w.xmax, w.ymax, kind, rec, str);
    return winarc(rec->arc.cx, rec->arc.cy, rec->arc.r, rec->arc.start, rec->arc.end, false, true);
  case CHR: {
    std::vector<GeoPoint> c;
    textcorners(rec->chr, str, true, &c);
    for (const GeoPoint &p : c)
      if (sel_winpt(p.x, p.y))
        return 2;
    return 0;
  }
  case NOD: {
    const int cls = nodclass(*rec);
    if (cls == 100 || cls == 200 || cls == 300 || cls == 400) {
      if (w.relation == 2)
        return -1;
      return sel_winpt(nodval(*rec, 0), nodval(*rec, 1)) + sel_winpt(nodval(*rec, 2), nodval(*rec, 3));
    }
    if (cls == 500 || cls == 600 || cls == 700) {
      if (w.relation == 2)
        return -1;
      return winarc(nodval(*rec, 0), nodval(*rec, 1), nodval(*rec, 2), nodval(*rec, 3), nodval(*rec, 4), true, false);
    }
    return -1;
  }
  default:
    return -1;
  }
}

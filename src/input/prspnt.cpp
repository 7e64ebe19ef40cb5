// Point on element: the crossing of two picked elements, or the end, midpoint,
// centre or quadrant point of one element picked twice, or its length or direction.
//
// mode: drawing in bits 0-3 plus pick flags for getendt (0x4000, 0x8000, 0x800;
// 0x1000 is dropped on entry). picks: bits 0 and 1 name element 1 and 2 (number and
// point from the caller), 0x8000 no prompt. op: 1 point, 3 length, 4 direction, 8
// double length; others pick and compute nothing.
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "database/elements.h"
#include "database/store.h"
#include "display/view/view.h"
#include "geometry/geo.h"
#include "input/gcrsnap.h"
#include "input/rubber.h"
#include "select/endpts.h"
#include "select/filter.h"
#include "select/pick.h"
#include "select/picksys.h"
#include "select/sellist.h"
#include "settings/dbgtrace.h"
#include "settings/params.h"

namespace {

struct PickState {
  int32_t picked;
  int32_t kind; // without the masked bit
  int32_t third;
};

// What the paint callback reads while a call runs.
int32_t Elem[2] = {-1, -1};
PickState State[2];
ElementRecord Geom[2];
int32_t PaintDwg = 0;

int32_t colour(int role) {
  uint16_t cm[20] = {};
  sys_colmap('r', cm);
  return cm[role];
}

bool listed(int32_t dwg, int32_t n) { return SelectionList.drawing == dwg && sel_notin(n) == 0; }

// Draws the picked elements highlighted, or in their own colours when erasing.
int paint(int op, int, uint32_t) {
  for (int i = 0; i < 2; ++i) {
    if (!State[i].picked || Elem[i] < 1)
      continue;
    const int32_t c = op == 1 ? -1 : listed(PaintDwg, Elem[i]) ? colour(14) : colour(13);
    pck_hooks().show(PaintDwg, Elem[i], c);
  }
  return 0;
}

void prompt(int n, ...) {
  va_list ap;
  va_start(ap, n);
  pck_hooks().prompt(n, ap);
  va_end(ap);
}

GeoPoint pt(const double *p) { return {p[0], p[1]}; }

// Start and end point of an arc record (the body copied to aligned storage).
void arc_ends(const ElementRecord &r, double *s, double *e) {
  double g[7] = {};
  std::memcpy(g, r.body, 52);
  entendt(ARC, g, s, e);
}
double dist2(GeoPoint a, GeoPoint b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

int quadrant(double x, double y, double cx, double cy) {
  if (x > cx)
    return y > cy ? 1 : 4;
  return y > cy ? 2 : 3;
}

// Of two crossings the one nearer to q (the second on a tie).
GeoPoint nearer(GeoPoint a, GeoPoint b, uint32_t count, GeoPoint q) {
  if (count < 2)
    return a;
  return dist2(a, q) < dist2(b, q) ? a : b;
}

// Operation 1 on one element picked twice.
bool same_element(const ElementRecord &r, int32_t kind, const double *p1, const double *p2, double *out) {
  if (kind == LIN) {
    const GeoPoint a{r.lin.x1, r.lin.y1}, b{r.lin.x2, r.lin.y2};
    const bool first1 = dist2(pt(p1), a) < dist2(pt(p1), b); // a tie goes to the second end
    const bool first2 = dist2(pt(p2), a) < dist2(pt(p2), b);
    GeoPoint q;
    if (first1 == first2)
      q = first1 ? a : b;
    else
      q = {(a.x + b.x) / 2, (a.y + b.y) / 2};
    out[0] = q.x;
    out[1] = q.y;
    return true;
  }
  if (kind != ARC)
    return false;
  const ArcBody &a = r.arc;
  const int q1 = quadrant(p1[0], p1[1], a.cx, a.cy), q2 = quadrant(p2[0], p2[1], a.cx, a.cy);
  if (q1 == q2) {
    double s[2], e[2];
    arc_ends(r, s, e);
    const bool start = dist2(pt(p1), pt(s)) < dist2(pt(p1), pt(e));
    out[0] = start ? s[0] : e[0];
    out[1] = start ? s[1] : e[1];
    return true;
  }
  const int d = q1 > q2 ? q1 - q2 : q2 - q1;
  if (d == 2) {
    out[0] = a.cx;
    out[1] = a.cy;
    return true;
  }
  double ang;
  if ((q1 == 4 && q2 == 1) || (q1 == 1 && q2 == 4))
    ang = 0;
  else if (q1 == 4 || q2 == 4)
    ang = 270;
  else
    ang = 90.0 * (q1 < q2 ? q1 : q2);
  out[0] = a.cx + a.r * deg_cos(ang);
  out[1] = a.cy + a.r * deg_sin(ang);
  return true;
}

// Operation 1 on two elements; arcs count as full circles.
bool crossing(const ElementRecord &r1, int32_t k1, const ElementRecord &r2, int32_t k2, const double *p2, double *out) {
  const AngleRange full{0, 360};
  GeoPoint q1{}, q2{};
  uint32_t n = 0;
  if (k1 == LIN && k2 == LIN) {
    const GeoPoint a0{r1.lin.x1, r1.lin.y1}, a1{r1.lin.x2, r1.lin.y2};
    const GeoPoint b0{r2.lin.x1, r2.lin.y1}, b1{r2.lin.x2, r2.lin.y2};
    if (geo_lnln(&a0, &a1, &b0, &b1, &q1) == 2)
      return false;
    n = 1;
  } else if ((k1 == LIN && k2 == ARC) || (k1 == ARC && k2 == LIN)) {
    const ElementRecord &l = k1 == LIN ? r1 : r2, &c = k1 == LIN ? r2 : r1;
    const GeoPoint p0{l.lin.x1, l.lin.y1}, p1{l.lin.x2, l.lin.y2}, cc{c.arc.cx, c.arc.cy};
    if (geo_segarc(&p0, &p1, &cc, c.arc.r, &full, &q1, &q2, &n) != 0)
      return false;
  } else if (k1 == ARC && k2 == ARC) {
    const GeoPoint c1{r1.arc.cx, r1.arc.cy}, c2{r2.arc.cx, r2.arc.cy};
    if (geo_arcarc(&c1, &c2, r1.arc.r, r2.arc.r, &full, &full, &q1, &q2, &n) != 0)
      return false;
  } else {
    return false;
  }
  if (n == 0)
    return false;
  const GeoPoint q = nearer(q1, q2, n, pt(p2));
  out[0] = q.x;
  out[1] = q.y;
  return true;
}

bool measure(int op, const ElementRecord &r, int32_t kind, const double *p, double *out) {
  if (kind != LIN && kind != ARC)
    return false;
  if (op == 3 || op == 8) {
    const double v = kind == LIN ? std::hypot(r.lin.x2 - r.lin.x1, r.lin.y2 - r.lin.y1) : r.arc.r;
    out[0] = op == 8 ? 2 * v : v;
    return true;
  }
  if (kind == LIN) {
    const GeoPoint a{r.lin.x1, r.lin.y1}, b{r.lin.x2, r.lin.y2};
    const bool from_a = dist2(pt(p), a) <= dist2(pt(p), b);
    const GeoPoint f = from_a ? a : b, t = from_a ? b : a;
    out[0] = deg_atan2(t.y - f.y, t.x - f.x);
    return true;
  }
  double s[2], e[2];
  arc_ends(r, s, e);
  const bool at_start = dist2(pt(p), pt(s)) <= dist2(pt(p), pt(e));
  double sa = r.arc.start, ea = r.arc.end;
  uint16_t attr;
  std::memcpy(&attr, &r.arc.attr, sizeof attr);
  if (attr & 0x4000) {
    const double t = sa;
    sa = ea;
    ea = t;
  }
  double a = at_start ? sa : ea;
  a = std::fmod(a, 360.0);
  if (a < 0)
    a += 360;
  if (!(a < 360))
    a = 0;
  out[0] = a;
  return true;
}

} // namespace

int PRSPNT(int32_t mode, int32_t picks, int32_t op, double *p1, double *p2, int32_t *e1, int32_t *e2, double *result) {
  GcrSnapHooks &h = gcr_snaphooks();
  PickSysHooks &ph = pck_hooks();
  mode &= ~0x1000;
  // The running command's prompt line, input request, input guide and element filter
  // survive the picks (a command started during a pick may declare its own request).
  int32_t linecol = 0;
  char line[129] = {};
  h.line('R', &linecol, line);
  uint32_t request[10] = {};
  h.request('R', request);
  const ElementFilter filter = ElmFilter;
  InputGuide guide;
  rub_state('r', &guide);
  {
    InputGuide off = guide;
    off.mode = -1;
    rub_state('w', &off);
  }
  std::memset(State, 0, sizeof State);
  std::memset(Geom, 0, sizeof Geom);
  int32_t *const elems[2] = {e1, e2};
  double *const points[2] = {p1, p2};
  Elem[0] = (picks & 1) ? *e1 : -1;
  Elem[1] = (picks & 2) ? *e2 : -1;
  result[0] = result[1] = 0;
  PaintDwg = mode & 15;
  const bool pushed = paintsub(0, paint) == 0;

  int rc = 0;
  bool done = false;
  for (int i = 0; i < 2 && !done; ++i) {
    if (i == 1 && op > 1)
      break;
    const bool named = picks & (1 << i);
    ElementRecord r{};
    bool have = false;
    if (named && Elem[i] >= 1 && elm_read(mode & 15, Elem[i], &r, nullptr, 0) == 0)
      have = true;
    double at[2] = {points[i][0], points[i][1]};
    bool atpoint = named;
    while (!have) {
      uint32_t flags = uint32_t(mode) | (i == 0 ? 0x4800u : 0x800u);
      if (atpoint) {
        flags |= 0x1000;
      } else {
        if (!(picks & 0x8000))
          prompt(1101, i + 1);
        if (i == 0)
          mode &= 15; // an interactive first pick keeps the caller's drawing
        flags = uint32_t(mode) | (i == 0 ? 0x4800u : 0x800u);
        PaintDwg = mode & 15;
      }
      int32_t n = -1, kind = 0, layer = 0;
      uint8_t geom[52] = {};
      const int code = getendt(flags, -1, 0x8006, at, &n, &kind, &layer, geom);
      if (!atpoint)
        ph.clear();
      mode &= ~0x5000;
      if (code == 0 && n >= 1 && elm_read(mode & 15, n, &r, nullptr, 0) == 0) {
        Elem[i] = n;
        have = true;
        break;
      }
      if (atpoint) {
        atpoint = false; // nothing at the given point: ask
        Elem[i] = -1;
        continue;
      }
      if (code == 501 || code == 502 || code == 503 || code == 700 || code == 800 || code == 821) {
        rc = code;
        done = true;
        break;
      }
      if (code == 27) {
        rc = 700;
        done = true;
        break;
      }
      // any other code: pick again
    }
    if (done)
      break;
    const int32_t k = r.kind & ~MSKBOX;
    if (i == 0 && k == PNT) {
      result[0] = r.pnt.x;
      result[1] = r.pnt.y;
      rc = 0;
      done = true;
      break;
    }
    if (k == LIN || k == ARC) {
      State[i] = PickState{1, k, 0};
      Geom[i] = r;
      *elems[i] = Elem[i];
      points[i][0] = at[0];
      points[i][1] = at[1];
    } else if (i == 0 && (picks & 3)) {
      rc = 1100;
      done = true;
    }
  }

  if (!done) {
    bool ok = true;
    if (op == 1) {
      if (!State[0].picked || !State[1].picked)
        ok = false;
      else if (Elem[0] == Elem[1])
        ok = same_element(Geom[0], State[0].kind, p1, p2, result);
      else
        ok = crossing(Geom[0], State[0].kind, Geom[1], State[1].kind, p2, result);
    } else if (op == 3 || op == 4 || op == 8) {
      ok = State[0].picked && measure(op, Geom[0], State[0].kind, p1, result);
    }
    if (!ok) {
      result[0] = result[1] = 0;
      rc = 1002;
    }
  }

  ElmFilter = filter;
  paint(1, PaintDwg, 0xFFFF);
  if (pushed)
    paintsub(1, paint);
  rub_state('w', &guide);
  h.request('W', request);
  h.line('W', &linecol, line);
  if (rc == 0)
    dbg_trace("<PRSPNT> result=[%.6g,%.6g]\n", result[0], result[1]);
  dbg_trace("<PRSPNT> entno=(%d,%d), return(%d)\n", int(Elem[0]), int(Elem[1]), rc);
  std::memset(State, 0, sizeof State);
  return rc;
}

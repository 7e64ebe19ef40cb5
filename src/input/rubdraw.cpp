// Rubber-band previews: the figure of the current input guide drawn in exclusive-or
// mode at the cursor, and the element walks that drag the selection along.
#include <windows.h>

#include <cmath>
#include <vector>

#include "database/record.h"
#include "database/store.h"
#include "display/view/drawprim.h"
#include "display/elements/elmdisp_win.h"
#include "display/marks/snapmark.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "geometry/geo.h"
#include "input/gcr.h"
#include "input/rubber.h"
#include "select/sellist.h"
#include "settings/params.h"

PreviewState Preview = {};
int32_t RubDragMode = 0, RubDragTotal = 500, RubDrawnCount = 0;
int32_t RubElemLimit = 32000;

namespace {

constexpr int32_t WIDTH = 13;
constexpr int32_t XOR = 0x8000;

// Device context of the one view a preview call draws into: taken once per call, not
// once per line, since a drag preview draws thousands of them.
HDC ViewDc = nullptr;

struct OpenView {
  HWND wnd = nullptr;
  int old;
  explicit OpenView(int32_t view) : old(vew_cur()) {
    const int dwg = dwg_cur();
    if (!(vew_mask(dwg) & (1u << view)))
      return;
    wnd = vew_hwnd(dwg, view);
    if (!wnd)
      return;
    vew_select(view);
    ViewDc = GetDC(wnd);
    if (ViewDc)
      drw_penmemo(true); // every line of a preview has the same pen
  }
  ~OpenView() {
    if (ViewDc) {
      drw_penmemo(false);
      ReleaseDC(wnd, ViewDc);
    }
    ViewDc = nullptr;
    vew_select(old);
  }
};

// Outside a preview call (a drawer called on its own) the view drawers are used.
void out_line(uint32_t bit, int32_t attr, double x1, double y1, double x2, double y2, int32_t colour) {
  if (ViewDc)
    drw_line(ViewDc, x1, y1, x2, y2, attr, WIDTH, colour);
  else
    dsp_line(bit, attr, WIDTH, x1, y1, x2, y2, colour);
}
void out_arc(uint32_t bit, int32_t attr, double cx, double cy, double r, double s, double e, int32_t colour) {
  if (ViewDc)
    drw_arc(ViewDc, cx, cy, r, s, e, attr & 0x3FF, WIDTH, colour);
  else
    dsp_arc(bit, attr, WIDTH, cx, cy, r, s, e, colour);
}
void out_rect(uint32_t bit, double x1, double y1, double x2, double y2, int32_t colour) {
  if (ViewDc)
    drw_rect(ViewDc, x1, y1, x2, y2, 0, WIDTH, colour);
  else
    dsp_rect(bit, 0, WIDTH, x1, y1, x2, y2, colour);
}

int32_t colour_of(int role) {
  uint16_t map[20] = {};
  sys_colmap('r', map);
  return int32_t(map[role]) | XOR;
}

GeoPoint pt(int off) { return {rub_f64(Guide, off), rub_f64(Guide, off + 8)}; }
GeoPoint unit(double t) { return {deg_cos(t), deg_sin(t)}; }
GeoPoint add(GeoPoint a, GeoPoint b) { return {a.x + b.x, a.y + b.y}; }
GeoPoint sub(GeoPoint a, GeoPoint b) { return {a.x - b.x, a.y - b.y}; }
GeoPoint mul(GeoPoint a, double k) { return {a.x * k, a.y * k}; }
double dist(GeoPoint a, GeoPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }
double dir(GeoPoint from, GeoPoint to) { return deg_atan2(to.y - from.y, to.x - from.x); }
bool same(GeoPoint a, GeoPoint b) { return a.x == b.x && a.y == b.y; }

struct Pen {
  uint32_t bit;
  int32_t colour;
  void line(GeoPoint a, GeoPoint b, int32_t attr = 0) const {
    out_line(bit, attr, a.x, a.y, b.x, b.y, colour);
  }
  void arc(GeoPoint c, double r, double s, double e, int32_t attr = 0) const {
    out_arc(bit, attr, c.x, c.y, r, s, e, colour);
  }
  void circle(GeoPoint c, double r, int32_t attr = 0) const { arc(c, r, 0, 360, attr); }
  void box(const GeoPoint (&c)[4]) const {
    for (int i = 0; i < 4; i++)
      line(c[i], c[(i + 1) % 4]);
  }
};

GeoPoint rotated(GeoPoint centre, GeoPoint p, double angle) {
  GeoPoint out = p;
  geo_rotate(&centre, &p, &out, angle);
  return out;
}

// Shapes of a guide list moved by d.
void shapes(const Pen &pen, const GuideShape &s, GeoPoint d) {
  switch (s.kind) {
  case 2:
    pen.line({s.a + d.x, s.b + d.y}, {s.c + d.x, s.d + d.y});
    break;
  case 18:
    pen.line({s.a, s.b}, {s.c + d.x, s.d + d.y});
    break;
  case 34:
    pen.line({s.a + d.x, s.b + d.y}, {s.c, s.d});
    break;
  case 4:
    pen.arc({s.a + d.x, s.b + d.y}, s.c, s.d, s.e);
    break;
  default:
    break;
  }
}

int poll_input(bool first = false) { return RubPoll ? RubPoll(first) : 0; }

// What an element walk does with one line or arc.
struct Xform {
  virtual void line(uint32_t bit, const ElementRecord &r) const = 0;
  virtual void arc(uint32_t bit, const ElementRecord &r) const = 0;
  virtual ~Xform() = default;
  bool limited = true; // the turning walker does not stop at the element limit
};

struct Move : Xform {
  GeoPoint d;
  int32_t attr, colour;
  void line(uint32_t bit, const ElementRecord &r) const override {
    out_line(bit, attr, r.lin.x1 + d.x, r.lin.y1 + d.y, r.lin.x2 + d.x, r.lin.y2 + d.y, colour);
  }
  void arc(uint32_t bit, const ElementRecord &r) const override {
    out_arc(bit, attr, r.arc.cx + d.x, r.arc.cy + d.y, r.arc.r, r.arc.start, r.arc.end, colour);
  }
};

struct Turn : Xform {
  GeoPoint t;
  double angle;
  void line(uint32_t bit, const ElementRecord &r) const override {
    rub_rotline(bit, r.lin.x1 + t.x, r.lin.y1 + t.y, r.lin.x2 + t.x, r.lin.y2 + t.y);
  }
  void arc(uint32_t bit, const ElementRecord &r) const override {
    rub_rotarc(bit, angle, r.arc.cx + t.x, r.arc.cy + t.y, r.arc.r, r.arc.start, r.arc.end);
  }
};

struct Scale : Xform {
  GeoPoint c, d;
  double angle, scale;
  int32_t attr, colour;
  void line(uint32_t bit, const ElementRecord &r) const override {
    rub_xfline(bit, r, c.x, c.y, angle, scale, d.x, d.y, attr, colour);
  }
  void arc(uint32_t bit, const ElementRecord &r) const override {
    rub_xfarc(bit, r, c.x, c.y, angle, scale, d.x, d.y, attr, colour);
  }
};

// Walks the members of a group and of its nested groups in order, drawing (or, with
// 0x8000 in dbf, removing) them. Member chains come from files, so the walk takes at
// most as many steps as the database has records, whatever the links say.
int walk_group(const Xform &xf, int32_t dbf, uint32_t bit, int32_t group) {
  const int db = dbf & 15;
  const bool removing = (dbf & 0x8000) != 0;
  if (db > 1)
    return 0;
  const ElementRecord *g = dtb_get(db, group);
  if (!g)
    return 0;
  int64_t budget = int64_t(ElmMax[db]) + 1;
  std::vector<int32_t> above; // group members whose member chains are being walked
  int32_t cur = g->nod.child;
  bool resume = false; // back from a nested group: count that member
  for (;;) {
    const ElementRecord *m = nullptr;
    bool counted = false, end = false;
    if (resume) {
      m = dtb_get(db, cur);
      counted = true;
      resume = false;
    } else {
      if (--budget < 0)
        return 0;
      if (elm_islink(cur))
        m = dtb_get(db, cur);
      if (!m) {
        end = true;
      } else if (!(m->flags & ELM_SKIP)) {
        if (m->kind == NOD) {
          above.push_back(cur);
          cur = m->nod.child;
          continue;
        }
        if (m->kind == LIN || m->kind == ARC) {
          if (m->kind == LIN)
            xf.line(bit, *m);
          else
            xf.arc(bit, *m);
          if (RubDragMode == 2)
            RubDrawnCount++;
        }
        counted = true;
      }
    }
    if (counted) {
      if (removing) {
        if (++Preview.erased >= Preview.drawn)
          end = true;
      } else {
        Preview.drawn++;
        if (xf.limited && Preview.shown + Preview.drawn >= RubElemLimit)
          return -1;
        if (const int code = poll_input()) {
          Preview.poll = code;
          return -1;
        }
      }
    }
    if (RubDragMode == 2 && RubDrawnCount >= RubDragTotal)
      end = true;
    if (end) {
      // This level ends with 0; the group that held it goes on as its parent's member.
      if (above.empty())
        return 0;
      cur = above.back();
      above.pop_back();
      resume = true;
      continue;
    }
    cur = m->next;
  }
}

// One entry of the selection list through the walk's transform; the group walker's
// result, else 0.
int entry(const Xform &xf, int db, uint32_t bit, int32_t i, bool removing) {
  const uint32_t word = SelectionList.entries[i];
  if (word == 0xFFFFFFFFu)
    return 0;
  const int32_t n = int32_t(word & ~SEL_PARTIAL);
  const ElementRecord *r = dtb_get(db, n);
  if (!r || (r->flags & ELM_SKIP))
    return 0;
  if (r->kind == LIN || r->kind == ARC) {
    if (r->kind == LIN)
      xf.line(bit, *r);
    else
      xf.arc(bit, *r);
    if (RubDragMode == 2)
      RubDrawnCount++;
    return 0;
  }
  if (r->kind == NOD)
    return walk_group(xf, db | (removing ? 0x8000 : 0), bit, n);
  return 0;
}

// What a walk showed is counted per view: the get-point loop draws the preview in every
// open view of the drawing and then removes it view by view, so each removing pass
// must undo its own view's drawing pass, not the last view's. Once one view's walk
// met input in a drawing pass, the walks of the other views draw nothing and take no
// more messages: the loop acts on that input at once.
struct ViewWalk {
  int32_t shown, drawn, erased, poll, count;
};
ViewWalk Walks[32];
int32_t PassPoll = 0;

int view_of(uint32_t bit) {
  int v = 0;
  while (v < 31 && !(bit & (1u << v)))
    ++v;
  return v;
}

void walk_pass(const Xform &xf, int db, uint32_t bit, int32_t *pollout);

void walk(const Xform &xf, int db, uint32_t bit, int32_t *pollout) {
  if (!SelectionList.entries || (RubDragMode != 1 && RubDragMode != 2))
    return;
  ViewWalk &w = Walks[view_of(bit)];
  Preview.shown = w.shown, Preview.drawn = w.drawn, Preview.erased = w.erased, Preview.poll = w.poll;
  RubDrawnCount = w.count;
  if (Preview.shown == 0 && PassPoll) {
    Preview.shown = -1; // a drawing pass that drew nothing: its removing pass removes nothing
    RubDrawnCount = 0;
    *pollout = PassPoll;
  } else {
    walk_pass(xf, db, bit, pollout);
    if (*pollout && !PassPoll)
      PassPoll = *pollout;
  }
  w = ViewWalk{Preview.shown, Preview.drawn, Preview.erased, Preview.poll, RubDrawnCount};
}

void walk_pass(const Xform &xf, int db, uint32_t bit, int32_t *pollout) {
  const int32_t count = SelectionList.count;
  if (RubDragMode == 1)
    RubDrawnCount = 0;
  if (Preview.shown == 0) {
    Preview.drawn = Preview.erased = 0;
    Preview.poll = 0;
    if (RubDragMode == 2)
      RubDrawnCount = 0;
    bool stopped = false;
    for (int32_t i = 0; i < count; i++) {
      if (RubDragMode == 2 && RubDrawnCount >= RubDragTotal)
        break;
      const int32_t used = RubDragMode == 1 ? Preview.shown + Preview.drawn : RubDrawnCount;
      if (used >= RubElemLimit) {
        stopped = true;
        break;
      }
      const int code = poll_input(i == 0);
      if (code) {
        Preview.poll = code;
        *pollout = code;
        stopped = true;
        break;
      }
      if (entry(xf, db, bit, i, false)) {
        Preview.shown++;
        if (!*pollout)
          *pollout = Preview.poll;
        return;
      }
      Preview.shown++;
    }
    if (stopped && Preview.shown == 0)
      Preview.shown = -1;
    return;
  }
  // Removing: the same entries again, in the same order.
  const int32_t shown = Preview.shown < 0 ? 0 : Preview.shown;
  Preview.erased = 0;
  if (RubDragMode == 1) {
    for (int32_t i = 0; i < shown && i < count; i++)
      entry(xf, db, bit, i, true);
  } else {
    const int32_t n = RubDrawnCount;
    RubDrawnCount = 0;
    for (int32_t i = 0; i < count && RubDrawnCount < n; i++)
      entry(xf, db, bit, i, true);
  }
  Preview.shown = Preview.drawn = Preview.erased = 0;
}

// Mode 24: two leading values the constructions do not read, then P, Q, A, B, L1, L2,
// D1, W1, W2, D2. The corner segments and the label box at the cursor corner.
int figure24(const Pen &pen, GeoPoint g) {
  GuideBox b;
  b.base = pt(16);
  const GeoPoint q = pt(32);
  b.angle = rub_f64(Guide, 48);
  b.bangle = rub_f64(Guide, 56);
  b.len1 = rub_f64(Guide, 64);
  b.len2 = rub_f64(Guide, 72);
  b.dist1 = rub_f64(Guide, 80);
  b.width1 = rub_f64(Guide, 88);
  b.width2 = rub_f64(Guide, 96);
  b.dist2 = rub_f64(Guide, 104);
  GeoPoint s1[2], s2[2];
  if (const int rc = geo_crnbox(&b, &g, s1, s2))
    return rc;
  if (const int rc = geo_inband(&g, &s2[0], &b.base, &q, b.bangle, b.width1))
    return rc;
  GeoPoint corners[4], anchor;
  double label = 0;
  if (const int rc = geo_alnbox(&b, &g, corners, &anchor, &label))
    return rc;
  pen.line(s1[0], s1[1]);
  pen.line(s2[0], s2[1]);
  pen.box(corners);
  return 0;
}

int figure22(const Pen &pen, GeoPoint g) {
  const int32_t k = rub_i32(Guide, 0);
  const GeoPoint m = pt(4);
  double t = rub_f64(Guide, 20);
  const double rho = rub_f64(Guide, 28);
  const double r = dist(g, m);
  GeoPoint s = m, e = g;
  if (!(k & 2)) {
    if (!(r > rho))
      return 0;
  } else {
    if (r > rho + 1e-6)
      return 0;
    if (!((k & 1) && (k & 4)) && r < 1e-6)
      return 0;
    if (!(k & 1))
      t = dir(m, g);
    else if (!(k & 4))
      s = add(m, mul(unit(t + 180), rho + 100));
    e = add(m, mul(unit(t), rho + 100));
  }
  const AngleRange full = {0, 360};
  GeoPoint q1, q2;
  uint32_t n = 0;
  if (geo_segarc(&s, &e, &m, rho, &full, &q1, &q2, &n))
    return 1;
  GeoPoint q = q1;
  if ((k & 1) && (k & 2) && !(k & 4)) {
    if (n != 2)
      return 0;
    if (dist(q2, g) < dist(q1, g))
      q = q2;
  } else if (n != 1) {
    return 0;
  }
  if ((k & 1) && (k & 4)) {
    const GeoPoint c = add(m, mul(unit(t), rho));
    const GeoPoint nn = rotated(c, m, 90);
    int32_t side = 0;
    if (geo_side(&q, &nn, &g, &side))
      return 0;
    if ((k & 2) ? side <= 0 : side >= 0)
      return 0;
  }
  pen.line(q, g);
  return 0;
}

int figure25(const Pen &pen, GeoPoint g) {
  const int32_t k = rub_i32(Guide, 0);
  int32_t n = rub_i32(Guide, 4);
  n = n < 0 ? 0 : n > 5 ? 5 : n;
  for (int i = 0; i < n; i++) {
    const GeoPoint a = {rub_f64(Guide, 8 + 8 * i), rub_f64(Guide, 48 + 8 * i)};
    const GeoPoint c = {rub_f64(Guide, 88 + 8 * i), rub_f64(Guide, 128 + 8 * i)};
    const double e = rub_f64(Guide, 168 + 8 * i);
    if (rub_i32(Guide, 208 + 4 * i) == 0) {
      pen.line(a, k == 2 ? GeoPoint{a.x, g.y} : k == 4 ? GeoPoint{g.x, a.y} : g);
      continue;
    }
    if (!(dist(g, c) > e))
      return 0;
    const AngleRange full = {0, 360};
    GeoPoint q1, q2;
    uint32_t cnt = 0;
    if (geo_segarc(&c, &g, &c, e, &full, &q1, &q2, &cnt) || cnt != 1)
      return 0;
    pen.line(q1, g);
  }
  return 0;
}

int figure21(const Pen &pen, GeoPoint g) {
  const int32_t f = rub_i32(Guide, 0), k = rub_i32(Guide, 8);
  const GeoPoint p0 = pt(12), p1 = pt(28);
  const double d = rub_f64(Guide, 44), e = rub_f64(Guide, 52);
  if (!(f & 1)) {
    GeoPoint q;
    const int rc = geo_ptalong(&p0, &g, d, &q);
    if (rc)
      return rc;
    pen.line(q, g);
    return 0;
  }
  if (geo_overrun(&p0, &p1, &g, k, d, e) != 0)
    return 0;
  GeoPoint moved, foot;
  int32_t side = 0;
  int rc = geo_stepdir(&p0, &p1, d, &g, &moved, &foot, &side);
  if (rc)
    return rc;
  pen.line(moved, foot);
  if (k == 1) {
    GeoPoint a, b;
    rc = geo_setback(&p0, &p1, e, &g, &foot, &a, &b);
    if (rc)
      return rc;
    pen.line(a, b);
  }
  return 0;
}

} // namespace

int rub_pollevery(bool) {
  // Whatever the input wait dispatches may draw or change the palette: the pen is
  // selected afresh after it.
  if (ViewDc)
    drw_penmemo(false);
  const int code = gcr_wait(nullptr, nullptr, nullptr, nullptr, 0);
  if (ViewDc)
    drw_penmemo(true);
  return code;
}

int rub_pollslice(bool first) {
  static LARGE_INTEGER last = {}, freq = {};
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (!freq.QuadPart)
    QueryPerformanceFrequency(&freq);
  if (!first && now.QuadPart - last.QuadPart < freq.QuadPart / 1000)
    return 0;
  last = now;
  return rub_pollevery(first);
}

RubPollFn RubPoll = rub_pollslice;

int rub_shown(int32_t n) {
  for (ViewWalk &w : Walks)
    w.shown = n;
  if (n == 0)
    PassPoll = 0;
  return Preview.shown = n;
}
int rub_lastpen() { return Preview.lastpen; }

int rub_rotline(uint32_t bit, double x1, double y1, double x2, double y2) {
  const GeoPoint p = pt(0);
  const double s = Preview.sine, c = Preview.cosine;
  const double ax = (x1 - p.x) * c - (y1 - p.y) * s + p.x, ay = (x1 - p.x) * s + (y1 - p.y) * c + p.y;
  const double bx = (x2 - p.x) * c - (y2 - p.y) * s + p.x, by = (x2 - p.x) * s + (y2 - p.y) * c + p.y;
  out_line(bit, 0, ax, ay, bx, by, colour_of(14));
  return 0;
}

int rub_rotarc(uint32_t bit, double angle, double cx, double cy, double r, double start, double end) {
  const GeoPoint p = pt(0);
  const double s = Preview.sine, c = Preview.cosine;
  const double x = (cx - p.x) * c - (cy - p.y) * s + p.x, y = (cx - p.x) * s + (cy - p.y) * c + p.y;
  start += angle, end += angle;
  geo_angnorm(0, &start, &end);
  out_arc(bit, 0, x, y, r, start, end, colour_of(14));
  return 0;
}

int rub_xfline(uint32_t bit, const ElementRecord &l, double cx, double cy, double angle, double scale, double dx,
               double dy, int32_t attr, int32_t colour) {
  const GeoPoint c = {cx, cy};
  GeoPoint e[2] = {{l.lin.x1, l.lin.y1}, {l.lin.x2, l.lin.y2}};
  for (GeoPoint &p : e)
    p = add(rotated(c, add(mul(sub(p, c), scale), c), angle), {dx, dy});
  out_line(bit, attr, e[0].x, e[0].y, e[1].x, e[1].y, colour);
  return 0;
}

int rub_xfarc(uint32_t bit, const ElementRecord &a, double cx, double cy, double angle, double scale, double dx,
              double dy, int32_t attr, int32_t colour) {
  const GeoPoint c = {cx, cy};
  const GeoPoint m = add(rotated(c, add(mul(sub({a.arc.cx, a.arc.cy}, c), scale), c), angle), {dx, dy});
  out_arc(bit, attr, m.x, m.y, a.arc.r * scale, a.arc.start + angle, a.arc.end + angle, colour);
  return 0;
}

int rub_dragmove(int32_t db, uint32_t bit, int32_t group, double dx, double dy, int32_t attr, int32_t colour) {
  Move m;
  m.d = {dx, dy}, m.attr = attr, m.colour = colour;
  return walk_group(m, db, bit, group);
}

int rub_dragrot(int32_t db, uint32_t bit, int32_t group, double tx, double ty, double angle) {
  Turn t;
  t.t = {tx, ty}, t.angle = angle;
  t.limited = false;
  return walk_group(t, db, bit, group);
}

int rub_dragxf(int32_t db, uint32_t bit, int32_t group, double cx, double cy, double angle, double scale, double dx,
               double dy, int32_t attr, int32_t colour) {
  Scale s;
  s.c = {cx, cy}, s.d = {dx, dy}, s.angle = angle, s.scale = scale, s.attr = attr, s.colour = colour;
  return walk_group(s, db, bit, group);
}

int rub_bulgearc(int32_t kind, uint32_t bit, double x, double y) {
  const int32_t side = rub_i32(Guide, 4), second = rub_i32(Guide, 8);
  const GeoPoint q = pt(12), a = pt(28), g = {x, y};
  const double k = rub_f64(Guide, 44), step = rub_f64(Guide, 52);
  const Pen pen = {bit, colour_of(13)};
  const Pen pen2 = {bit, colour_of(14)};
  auto arc = [&](const Pen &p, GeoPoint from, GeoPoint to, int32_t attr) {
    GeoPoint c;
    double r;
    AngleRange ang;
    const int rc = geo_arcbulge(side, k, &from, &to, &c, &r, &ang);
    if (!rc)
      p.arc(c, r, ang.start, ang.end, attr);
    return rc;
  };
  // A chain of arcs of chord step from A towards the target, then the rest to it.
  auto chain = [&](const Pen &p, GeoPoint to, int32_t attr) {
    const double len = dist(a, to);
    const GeoPoint u = len > 0 ? mul(sub(to, a), 1 / len) : GeoPoint{0, 0};
    const long n = long(len / step);
    GeoPoint from = a;
    for (long i = 0; i < n; i++) {
      const GeoPoint next = add(a, mul(u, step * double(i + 1)));
      if (const int rc = arc(p, from, next, attr))
        return rc;
      from = next;
    }
    if (dist(from, to) >= 1e-6)
      return arc(p, from, to, attr);
    return 0;
  };
  if (kind == 0) {
    if (const int rc = arc(pen, a, g, 0))
      return rc;
    return second ? arc(pen2, a, q, 5) : 0;
  }
  if (kind != 1)
    return 1;
  if (std::fabs(step) < 1e-6)
    return arc(pen, a, g, 0);
  if (!(step > 0))
    return 0; // a backward step makes no chain
  if (const int rc = chain(pen, g, 0))
    return rc;
  return second ? chain(pen, q, 5) : 0;
}

int rub_draw(uint32_t viewmask, int32_t view, double x, double y, int32_t *pollout) {
  int32_t dummy = 0;
  if (!pollout)
    pollout = &dummy;
  *pollout = 0;
  uint32_t blk[6] = {};
  sys_drag('r', blk);
  RubDragMode = int32_t(blk[1]);
  static const int32_t totals[4] = {500, 1000, 2000, 5000};
  if (blk[2] <= 3)
    RubDragTotal = totals[blk[2]];
  if (view < 0 || view >= 32 || !(viewmask & (1u << view)))
    return 0;
  double sx, sy;
  if (snp_last(&sx, &sy))
    x = sx, y = sy;
  GeoPoint g;
  rub_apply(x, y, &g.x, &g.y);
  const uint32_t bit = 1u << view;
  const OpenView open(view);
  Pen pen = {bit, colour_of(13)};
  Preview.lastpen = pen.colour;
  const int32_t mode = Guide.mode;
  if (mode < 1 || mode > 106)
    return 0;
  const int32_t k = rub_i32(Guide, 0);
  const GeoPoint r = pt(4);
  if (mode >= 98) {
    if ((mode == 99 || mode == 101 || mode == 103 || mode == 105) && !SelectionList.entries)
      return 0;
    pen.colour = colour_of(14);
    Preview.lastpen = pen.colour;
  }
  switch (mode) {
  case 1:
    pen.line(r, g);
    break;
  case 2:
  case 9: {
    const double t = rub_f64(Guide, 20);
    if (k == 0) {
      out_rect(bit, r.x, r.y, g.x, g.y, pen.colour);
    } else if ((k == 1 || k == 2) && !same(g, r)) {
      const double p = dist(g, r) * deg_cos(dir(r, g) - t);
      const GeoPoint q = add(r, mul(unit(t), p)), s = sub(add(r, g), q);
      const GeoPoint c[4] = {r, q, g, s};
      pen.box(c);
    }
    break;
  }
  case 3: {
    const GeoPoint p = pt(0);
    if (same(g, p))
      break;
    double a = dir(p, g) + 180;
    if (a > 360)
      a -= 360;
    const GeoPoint o = add(p, mul(unit(a), dist(g, p)));
    out_rect(bit, g.x, g.y, o.x, o.y, pen.colour);
    break;
  }
  case 4: {
    const GeoPoint p = pt(0);
    if (!same(g, p))
      pen.circle(p, dist(g, p));
    break;
  }
  case 5:
  case 6: {
    const GeoPoint p1 = pt(0), p2 = pt(16);
    GeoPoint c;
    double rad;
    AngleRange ang;
    if (geo_arc3p(&p1, &p2, &g, &c, &rad, &ang))
      break;
    if (mode == 5) {
      pen.circle(c, rad);
    } else if (!geo_angnorm(0, &ang.start, &ang.end)) {
      pen.arc(c, rad, ang.start, ang.end);
    }
    break;
  }
  case 7: {
    const double t = rub_f64(Guide, 20), kk = rub_f64(Guide, 28);
    if (k != 2 || same(g, r))
      break;
    const double d = dist(g, r);
    const double l = std::sqrt(d * d / (kk * kk + 0.25)), h = kk * l;
    const GeoPoint a = sub(r, mul(unit(t), l / 2)), b = add(r, mul(unit(t), l / 2));
    const GeoPoint e = add(a, mul(unit(t + 90), h)), dd = add(e, mul(unit(t), l));
    const GeoPoint c[4] = {a, b, dd, e};
    pen.box(c);
    break;
  }
  case 8: {
    const double t = rub_f64(Guide, 20);
    if (same(g, r))
      break;
    const GeoPoint u = mul(unit(t), dist(g, r) * deg_cos(dir(r, g) - t));
    if (k == 0) {
      const GeoPoint a = sub(r, u);
      out_rect(bit, a.x, a.y, g.x, g.y, pen.colour);
    } else if (k == 1 || k == 2) {
      const GeoPoint a = sub(r, u), b = add(r, u), s = sub(g, mul(u, 2));
      const GeoPoint c[4] = {b, g, s, a};
      pen.box(c);
    }
    break;
  }
  case 10:
  case 11: {
    const double w = rub_f64(Guide, 28);
    pen.line(r, g, 3);
    const double len = dist(g, r);
    // On the reference point the offset direction is undefined: no offset lines.
    if (mode == 11 && len > 0) {
      const GeoPoint s = mul(GeoPoint{g.y - r.y, -(g.x - r.x)}, w / len);
      pen.line(add(r, s), add(g, s), 2);
      pen.line(sub(r, s), sub(g, s), 2);
    }
    pen.circle(g, w, 2);
    break;
  }
  case 12: {
    const double rho = rub_f64(Guide, 20), w = rub_f64(Guide, 28), phi = dir(r, g);
    double s, e;
    if (k == 0)
      s = w, e = phi;
    else if (k == 1)
      s = phi, e = w;
    else if (k == 2)
      s = w >= 0 ? phi : phi + w, e = w >= 0 ? phi + w : phi;
    else
      break;
    if (!geo_angnorm(0, &s, &e))
      pen.arc(r, rho, s, e);
    break;
  }
  case 13: {
    const GeoPoint p = pt(0);
    const double t = rub_f64(Guide, 16);
    double cx, cy, rad, s, e;
    uint32_t cw = 0;
    ViewXform xf = {};
    vew_frame('r', dwg_cur(), view, &xf);
    if (!geo_arctan(p.x, p.y, t, g.x, g.y, &cx, &cy, &rad, &s, &e, &cw) && 4 * (xf.sxmax - xf.sxmin) > rad)
      pen.arc({cx, cy}, rad, s, e);
    else
      pen.line(p, g);
    break;
  }
  case 14: {
    if (same(g, r))
      break;
    const double t = rub_f64(Guide, 20);
    const int32_t f = rub_i32(Guide, 36);
    const GeoPoint uv = rotated({0, 0}, sub(g, r), -t);
    const int h = f & 3, q = (f >> 2) & 3;
    const double x3 = h == 1 ? -uv.x : 0, y1 = q == 1 ? -uv.y : 0;
    const GeoPoint local[4] = {uv, {uv.x, y1}, {x3, y1}, {x3, uv.y}};
    GeoPoint c[4];
    for (int i = 0; i < 4; i++)
      c[i] = add(rotated({0, 0}, local[i], t), r);
    pen.box(c);
    break;
  }
  case 16:
    pen.line(g, rotated(r, g, 180));
    if ((k & 15) == 0)
      pen.line(rotated(r, g, 90), rotated(r, g, 270));
    break;
  case 17:
    return rub_bulgearc(k, bit, g.x, g.y);
  case 18: {
    const GeoPoint p = pt(0);
    GeoPoint c;
    double rad;
    if (!geo_semicirc(&p, &g, &c, &rad))
      pen.circle(c, rad);
    break;
  }
  case 19: {
    const GeoPoint l1 = pt(0), l2 = pt(16), l3 = pt(32), l4 = pt(48);
    GeoPoint c;
    if (geo_midfeet(&g, &l1, &l2, &l3, &l4, &c))
      return 1;
    pen.circle(c, rub_f64(Guide, 64));
    break;
  }
  case 20:
    pen.line(pt(0), g);
    pen.line(pt(16), g);
    break;
  case 21:
    return figure21(pen, g);
  case 22:
    return figure22(pen, g);
  case 24:
    return figure24(pen, g);
  case 25:
    return figure25(pen, g);
  case 30: {
    ViewXform xf = {};
    vew_frame('r', dwg_cur(), view, &xf);
    if (k == 1)
      pen.line({xf.sxmin, g.y}, {xf.sxmax, g.y});
    else if (k == 2)
      pen.line({g.x, xf.symin}, {g.x, xf.symax});
    break;
  }
  case 98:
  case 102:
    for (int i = 0; i < GuideListCount; i++)
      shapes(pen, GuideListA[i], sub(g, r));
    break;
  case 100: {
    const GeoPoint p = pt(0), t = pt(16);
    const double a = dir(p, g) - rub_f64(Guide, 32);
    Preview.sine = deg_sin(a), Preview.cosine = deg_cos(a);
    for (int i = 0; i < GuideListCount; i++) {
      const GuideShape &s = GuideListA[i];
      if (s.kind == 2)
        rub_rotline(bit, s.a + t.x, s.b + t.y, s.c + t.x, s.d + t.y);
      else
        rub_rotarc(bit, a, s.a + t.x, s.b + t.y, s.c, s.d, s.e);
    }
    break;
  }
  case 99:
  case 103: {
    Move m;
    m.d = sub(g, r), m.attr = 0, m.colour = pen.colour;
    walk(m, rub_i32(Guide, 20), bit, pollout);
    break;
  }
  case 101: {
    const GeoPoint p = pt(0);
    Turn t;
    t.t = pt(20);
    t.angle = dir(p, g) - rub_f64(Guide, 36);
    Preview.sine = deg_sin(t.angle), Preview.cosine = deg_cos(t.angle);
    walk(t, rub_i32(Guide, 16), bit, pollout);
    break;
  }
  case 105: {
    const GeoPoint p = pt(0);
    Scale s;
    s.c = p, s.d = sub(g, p), s.angle = rub_f64(Guide, 20), s.scale = rub_f64(Guide, 28);
    s.attr = 0, s.colour = pen.colour;
    walk(s, rub_i32(Guide, 16), bit, pollout);
    break;
  }
  case 106: {
    const GeoPoint p1 = pt(8), p2 = pt(24);
    const double a = dir(p1, g);
    const bool vertical = std::fabs(a - 90) < 1e-6 || std::fabs(a - 270) < 1e-6;
    const GeoPoint d = vertical ? sub(g, p2) : sub(g, p1);
    for (int i = 0; i < GuideListCount; i++) {
      const GuideShape &s = GuideListA[i];
      if (s.kind == 2)
        shapes(pen, vertical ? GuideListB[i] : s, d);
      else if (s.kind == 18 || s.kind == 34 || s.kind == 4)
        shapes(pen, s, d);
    }
    break;
  }
  default:
    break; // 15, 23, 26..29, 31..97, 104
  }
  return 0;
}

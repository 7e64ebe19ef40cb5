#include "commands/edit/transform.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "commands/edit/copygrp.h"
#include "database/cells.h"
#include "database/elements.h"
#include "display/view/view.h"
#include "input/numfmt.h"
#include "settings/params.h"

namespace {

TrnParams P = [] {
  TrnParams p{};
  p.sx = p.sy = 1;
  return p;
}();

TrnMeasure Measure = cel_wlayout;

// Beyond this a double holds no whole degree: such an angle has no direction.
constexpr double ANGLE_MAX = 9007199254740992.0; // 2^53

// Field offsets of the kinds the transforms change.
constexpr int OFF_PNT = 20;                                           // PNT point
constexpr int OFF_LIN1 = 20, OFF_LIN2 = 36;                           // LIN ends
constexpr int OFF_ARCC = 20, OFF_ARCR = 36, OFF_ARCS = 44, OFF_ARCE = 52, OFF_ARCW = 60;
constexpr int OFF_CHRX = 20, OFF_CHRY = 24, OFF_CHRH = 28, OFF_CHRW = 32, OFF_CHRS = 36, OFF_CHRA = 40,
              OFF_CHRW16 = 48;
constexpr int OFF_BOXP = 24, OFF_BOXSX = 40, OFF_BOXSY = 48, OFF_BOXA = 56; // kind 16
constexpr int OFF_DIMCLS = 28, OFF_DIM1 = 30, OFF_DIM2 = 46;                // two-point classes
constexpr int OFF_DIMC = 30, OFF_DIMR = 46, OFF_DIMS = 54, OFF_DIME = 62;    // arc classes

enum Shape { OTHER, POINT, LINE, ARCS, TEXT, BOX, DIMSEG, DIMARC };

// The record's bytes, changed on a copy and written back only when every value written
// is finite.
struct Rec {
  uint8_t b[80];
  bool bad = false;

  explicit Rec(const ElementRecord *r) { std::memcpy(b, r, sizeof b); }
  void commit(ElementRecord *r) const {
    if (!bad)
      std::memcpy(r, b, sizeof b);
  }

  uint16_t w(int o) const { return static_cast<uint16_t>(b[o] | b[o + 1] << 8); }
  void w(int o, uint16_t v) {
    b[o] = static_cast<uint8_t>(v);
    b[o + 1] = static_cast<uint8_t>(v >> 8);
  }
  uint32_t u32(int o) const {
    return uint32_t(b[o]) | uint32_t(b[o + 1]) << 8 | uint32_t(b[o + 2]) << 16 | uint32_t(b[o + 3]) << 24;
  }
  void u32(int o, uint32_t v) {
    for (int i = 0; i < 4; ++i)
      b[o + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  uint64_t u64(int o) const { return uint64_t(u32(o)) | uint64_t(u32(o + 4)) << 32; }
  void u64(int o, uint64_t v) {
    u32(o, static_cast<uint32_t>(v));
    u32(o + 4, static_cast<uint32_t>(v >> 32));
  }
  double d(int o) const {
    uint64_t u = u64(o);
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
  }
  void d(int o, double v) {
    if (!std::isfinite(v))
      bad = true;
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    u64(o, u);
  }
  float f(int o) const {
    uint32_t u = u32(o);
    float v;
    std::memcpy(&v, &u, sizeof v);
    return v;
  }
  void f(int o, float v) {
    if (!std::isfinite(v))
      bad = true;
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    u32(o, u);
  }
  GeoPoint pt(int o) const { return {d(o), d(o + 8)}; }
  void pt(int o, GeoPoint p) {
    d(o, p.x);
    d(o + 8, p.y);
  }
  GeoPoint tpt() const { return {f(OFF_CHRX), f(OFF_CHRY)}; }
  void tpt(GeoPoint p) {
    f(OFF_CHRX, static_cast<float>(p.x));
    f(OFF_CHRY, static_cast<float>(p.y));
  }

  uint16_t kind() const { return w(4); }
  uint8_t info() const { return b[3]; }
  Shape shape() const {
    switch (kind()) {
    case PNT:
      return POINT;
    case LIN:
    case LIN + MSKBOX:
      return LINE;
    case ARC:
    case ARC + MSKBOX:
      return ARCS;
    case CHR:
      return TEXT;
    case MSKBOX:
      return BOX;
    case NOD:
      if (b[2] != 1)
        return OTHER;
      switch (w(OFF_DIMCLS)) {
      case 100:
      case 200:
      case 300:
      case 400:
        return DIMSEG;
      case 500:
      case 600:
      case 700:
        return DIMARC;
      }
      return OTHER;
    }
    return OTHER;
  }
  // Offsets of the double points of the record (0 ends the list).
  void points(int out[3]) const {
    out[0] = out[1] = out[2] = 0;
    switch (shape()) {
    case POINT:
      out[0] = OFF_PNT;
      break;
    case LINE:
      out[0] = OFF_LIN1;
      out[1] = OFF_LIN2;
      break;
    case ARCS:
      out[0] = OFF_ARCC;
      break;
    case BOX:
      out[0] = OFF_BOXP;
      break;
    case DIMSEG:
      out[0] = OFF_DIM1;
      out[1] = OFF_DIM2;
      break;
    case DIMARC:
      out[0] = OFF_DIMC;
      break;
    default:
      break;
    }
  }
  int off_r() const { return shape() == ARCS ? OFF_ARCR : OFF_DIMR; }
  int off_s() const { return shape() == ARCS ? OFF_ARCS : OFF_DIMS; }
  int off_e() const { return shape() == ARCS ? OFF_ARCE : OFF_DIME; }
};

GeoPoint add(GeoPoint p, double dx, double dy) { return {p.x + dx, p.y + dy}; }

GeoPoint rotated(GeoPoint c, GeoPoint p, double a) {
  double cs = deg_cos(a), sn = deg_sin(a), x = p.x - c.x, y = p.y - c.y;
  return {c.x + x * cs - y * sn, c.y + x * sn + y * cs};
}

// Into [-360, 360] as repeated steps of 360 would bring it (a whole turn stays a whole turn).
double wrap360(double v) {
  if (v >= -360 && v <= 360)
    return v;
  double r = std::fmod(v, 360.0);
  return r == 0 ? std::copysign(360.0, v) : r;
}

// Text angle corrected once: above 360 less 360, below 0 plus 360.
float once360(double a) {
  if (a > 360)
    a -= 360;
  else if (a < 0)
    a += 360;
  return static_cast<float>(a);
}

void move_by(Rec &r, double dx, double dy) {
  int pts[3];
  r.points(pts);
  for (int i = 0; i < 3 && pts[i]; ++i)
    r.pt(pts[i], add(r.pt(pts[i]), dx, dy));
  if (r.shape() == TEXT) {
    GeoPoint t = r.tpt();
    float fx = static_cast<float>(dx), fy = static_cast<float>(dy);
    r.f(OFF_CHRX, static_cast<float>(t.x) + fx);
    r.f(OFF_CHRY, static_cast<float>(t.y) + fy);
  }
}

bool inside(GeoPoint p) { return P.xmin <= p.x && p.x <= P.xmax && P.ymin <= p.y && p.y <= P.ymax; }

// Stretch of a partially selected arc (or arc dimension): one end moves, the sagitta stays.
void stretch_arc(Rec &r) {
  GeoPoint c = r.pt(r.shape() == ARCS ? OFF_ARCC : OFF_DIMC);
  double rad = r.d(r.off_r()), s = r.d(r.off_s()), e = r.d(r.off_e());
  GeoPoint ps{c.x + rad * deg_cos(s), c.y + rad * deg_sin(s)}, pe{c.x + rad * deg_cos(e), c.y + rad * deg_sin(e)};
  if (inside(ps))
    ps = add(ps, P.sdx, P.sdy);
  else
    pe = add(pe, P.sdx, P.sdy);
  double sag = (1 - deg_cos((e - s) / 2)) * rad;
  double dir = deg_atan2(ps.y - pe.y, ps.x - pe.x) + 90;
  GeoPoint mid{(ps.x + pe.x) / 2 + sag * deg_cos(dir), (ps.y + pe.y) / 2 + sag * deg_sin(dir)};
  GeoPoint nc;
  double nr;
  AngleRange ang;
  if (geo_arc3p(&ps, &mid, &pe, &nc, &nr, &ang) != 0 || geo_angnorm(0, &ang.start, &ang.end) != 0)
    return;
  r.pt(r.shape() == ARCS ? OFF_ARCC : OFF_DIMC, nc);
  r.d(r.off_r(), nr);
  r.d(r.off_s(), ang.start);
  r.d(r.off_e(), ang.end);
}

// Mirror of an arc's centre and sweep; false when a point could not be mirrored (the
// record then keeps what was written).
bool mirror_arc(Rec &r, bool marks) {
  const int oc = r.shape() == ARCS ? OFF_ARCC : OFF_DIMC;
  GeoPoint c = r.pt(oc), nc;
  if (geo_mirror(&P.axis1, &P.axis2, &c, &nc) != 0)
    return false;
  r.pt(oc, nc);
  double rad = r.d(r.off_r()), s = r.d(r.off_s()), e = r.d(r.off_e());
  if (e - s >= 360)
    return true;
  GeoPoint ps{c.x + rad * deg_cos(s), c.y + rad * deg_sin(s)}, pe{c.x + rad * deg_cos(e), c.y + rad * deg_sin(e)};
  GeoPoint ms, me;
  if (geo_mirror(&P.axis1, &P.axis2, &ps, &ms) != 0 || geo_mirror(&P.axis1, &P.axis2, &pe, &me) != 0)
    return false;
  double ns = deg_atan2(me.y - nc.y, me.x - nc.x), ne = deg_atan2(ms.y - nc.y, ms.x - nc.x);
  geo_angnorm(0, &ns, &ne);
  r.d(r.off_s(), ns);
  r.d(r.off_e(), ne);
  if (!marks)
    return true;
  uint16_t word = r.w(OFF_ARCW);
  uint16_t first = (word >> 8) & 7, second = (word >> 11) & 7;
  if (first != second)
    word = static_cast<uint16_t>((word & ~0x3f00) | second << 8 | first << 11);
  // Arcs of a compound text: the two direction bits are flipped together, as one.
  if (r.info() == 8)
    word = (word & 0x8000) ? static_cast<uint16_t>(word & ~0xc000) : static_cast<uint16_t>(word | 0xc000);
  r.w(OFF_ARCW, word);
  return true;
}

// Step 3 of the text mirror: the text keeps its place in the mirror image and reads forward.
bool mirror_text(Rec &r, const char *text) {
  double len = 0;
  ChrLayout lay;
  double ratio = trn_lenratio(r.w(OFF_CHRW16), r.f(OFF_CHRH), r.f(OFF_CHRW), r.f(OFF_CHRS), text ? text : "", &lay,
                              &len);
  int hb = (r.w(OFF_CHRW16) >> 7) & 3;
  double off = hb == 1 ? 0 : hb == 2 ? -len * ratio : len * ratio;
  double a = r.f(OFF_CHRA);
  GeoPoint base = r.tpt(), far{base.x + off * deg_cos(a), base.y + off * deg_sin(a)}, nb;
  if (geo_mirror(&P.axis1, &P.axis2, &far, &nb) != 0)
    return false;
  double beta = deg_atan2(P.axis2.y - P.axis1.y, P.axis2.x - P.axis1.x);
  r.tpt(nb);
  r.f(OFF_CHRA, once360(2 * beta - a + 180));
  return true;
}

// A dimension text on its dimension line is placed from the line.
bool mirror_online(Rec &r, const TrnDimText &dt) {
  GeoPoint s, e, ft;
  if (geo_mirror(&P.axis1, &P.axis2, &dt.start, &s) != 0 || geo_mirror(&P.axis1, &P.axis2, &dt.end, &e) != 0 ||
      geo_mirror(&P.axis1, &P.axis2, &dt.foot, &ft) != 0)
    return false;
  double g = deg_atan2(e.y - s.y, e.x - s.x);
  if (g < 0)
    g += 360;
  GeoPoint q{ft.x + dt.dist * deg_cos(g), ft.y + dt.dist * deg_sin(g)};
  if ((g >= 0 && g <= 90) || (g > 270 && g <= 360)) {
    q = rotated(ft, q, 90);
  } else {
    q = rotated(ft, q, -90);
    g -= 180;
  }
  r.tpt(q);
  r.f(OFF_CHRA, static_cast<float>(g));
  return true;
}

void scale_about(Rec &r, double x0, double y0, double sx, double sy, double ox, double oy) {
  auto map = [&](GeoPoint p) { return GeoPoint{(p.x - x0) * sx + x0 + ox, (p.y - y0) * sy + y0 + oy}; };
  int pts[3];
  r.points(pts);
  for (int i = 0; i < 3 && pts[i]; ++i)
    r.pt(pts[i], map(r.pt(pts[i])));
  if (r.shape() == TEXT)
    r.tpt(map(r.tpt()));
}

double seglen(const Rec &node) {
  GeoPoint p1 = node.pt(OFF_DIM1), p2 = node.pt(OFF_DIM2);
  return std::hypot(p2.x - p1.x, p2.y - p1.y);
}

} // namespace

const TrnParams &trn_params() { return P; }
TrnDimText &trn_dimtext() { return P.dimtext; }

int trn_setmove(double dx, double dy) {
  P.dx = dx;
  P.dy = dy;
  return 0;
}

int trn_setrotate(double cx, double cy, double theta) {
  P.cx = cx;
  P.cy = cy;
  P.theta = theta;
  return 0;
}

int trn_setbase(double bx, double by, double tx, double ty) {
  P.bx = bx;
  P.by = by;
  P.tx = tx;
  P.ty = ty;
  return 0;
}

int trn_setrotmove(double dx, double dy, double cx, double cy, double theta) {
  trn_setrotate(cx, cy, theta);
  trn_setmove(dx, dy);
  return trn_setbase(cx, cy, cx + dx, cy + dy);
}

int trn_setmirror(double x1, double y1, double x2, double y2) {
  P.axis1 = {x1, y1};
  P.axis2 = {x2, y2};
  return 0;
}

int trn_setscale(double x0, double y0, double x1, double y1, double sx, double sy, int32_t textsw) {
  P.x0 = x0;
  P.y0 = y0;
  P.x1 = x1;
  P.y1 = y1;
  P.sx = sx;
  P.sy = sy;
  P.ox = x1 - x0;
  P.oy = y1 - y0;
  P.textsw = textsw;
  return 0;
}

int trn_setstretch(double dx, double dy, double xa, double ya, double xb, double yb, int32_t revalue) {
  P.sdx = dx;
  P.sdy = dy;
  P.xmin = std::fmin(xa, xb);
  P.xmax = std::fmax(xa, xb);
  P.ymin = std::fmin(ya, yb);
  P.ymax = std::fmax(ya, yb);
  P.revalue = revalue;
  return 0;
}

int trn_move(ElementRecord *rec, int n) {
  Rec r(rec);
  move_by(r, n * P.dx, n * P.dy);
  r.commit(rec);
  return 0;
}

int trn_rotate(ElementRecord *rec, int n) {
  const double turn = n * P.theta;
  if (!(std::fabs(turn) < ANGLE_MAX))
    return 0;
  const double phi = wrap360(turn);
  const GeoPoint c{P.cx, P.cy};
  Rec r(rec);
  int pts[3];
  r.points(pts);
  for (int i = 0; i < 3 && pts[i]; ++i)
    r.pt(pts[i], rotated(c, r.pt(pts[i]), phi));
  switch (r.shape()) {
  case ARCS:
  case DIMARC: {
    double s = r.d(r.off_s()) + turn, e = r.d(r.off_e()) + turn;
    if (geo_angnorm(0, &s, &e) != 0)
      return 0;
    r.d(r.off_s(), s);
    r.d(r.off_e(), e);
    break;
  }
  case TEXT:
    r.tpt(rotated(c, r.tpt(), phi));
    r.f(OFF_CHRA, once360(r.f(OFF_CHRA) + static_cast<float>(phi)));
    break;
  case BOX:
    r.d(OFF_BOXA, wrap360(r.d(OFF_BOXA) + phi));
    break;
  default:
    break;
  }
  r.commit(rec);
  return 0;
}

int trn_mirror(ElementRecord *rec, int, const char *text, const TrnDimText *dim) {
  Rec r(rec);
  switch (r.shape()) {
  case POINT:
  case DIMSEG: {
    int pts[3];
    r.points(pts);
    for (int i = 0; i < 3 && pts[i]; ++i) {
      GeoPoint p = r.pt(pts[i]), m;
      if (geo_mirror(&P.axis1, &P.axis2, &p, &m) != 0)
        break;
      r.pt(pts[i], m);
    }
    break;
  }
  case LINE:
    if (r.kind() != LIN)
      return 0;
    for (int o : {OFF_LIN1, OFF_LIN2}) {
      GeoPoint p = r.pt(o), m;
      if (geo_mirror(&P.axis1, &P.axis2, &p, &m) != 0)
        break;
      r.pt(o, m);
    }
    break;
  case ARCS:
    if (r.kind() != ARC)
      return 0;
    mirror_arc(r, true);
    break;
  case DIMARC:
    mirror_arc(r, false);
    break;
  case TEXT:
    if (dim && dim->dimtext == 1 && dim->online == 1) {
      mirror_online(r, *dim);
    } else if (mirror_text(r, text) && dim && dim->dimtext == 1) {
      float a = r.f(OFF_CHRA);
      if (!((a >= 0 && a <= 90) || (a > 270 && a <= 360)))
        r.f(OFF_CHRA, a - 180);
    }
    break;
  default:
    break;
  }
  r.commit(rec);
  return 0;
}

int trn_scale(ElementRecord *rec, int n) {
  Rec r(rec);
  scale_about(r, P.x0, P.y0, P.sx, P.sy, n * P.ox, n * P.oy);
  switch (r.shape()) {
  case ARCS:
  case DIMARC:
    r.d(r.off_r(), r.d(r.off_r()) * P.sx);
    break;
  case BOX:
    r.d(OFF_BOXSX, r.d(OFF_BOXSX) * P.sx);
    r.d(OFF_BOXSY, r.d(OFF_BOXSY) * P.sy);
    break;
  case TEXT:
    if (r.info() != 1 || P.textsw == 2 || P.textsw == 3) {
      r.f(OFF_CHRW, static_cast<float>(r.f(OFF_CHRW) * P.sx));
      r.f(OFF_CHRS, static_cast<float>(r.f(OFF_CHRS) * P.sx));
      r.f(OFF_CHRH, static_cast<float>(r.f(OFF_CHRH) * P.sy));
    }
    break;
  default:
    break;
  }
  r.commit(rec);
  return 0;
}

int trn_stretch(ElementRecord *rec, int, int partial, int in400) {
  Rec r(rec);
  const Shape sh = r.shape();
  if (sh == OTHER || sh == BOX || r.kind() == LIN + MSKBOX || r.kind() == ARC + MSKBOX)
    return 0;
  int32_t parallel = 0;
  if (sh == DIMSEG && r.w(OFF_DIMCLS) == 400)
    trn_dim400(rec, dwg_cur(), &partial, &parallel);
  if (!partial) {
    move_by(r, P.sdx, P.sdy);
    r.commit(rec);
    return 0;
  }
  switch (sh) {
  case POINT:
    move_by(r, P.sdx, P.sdy);
    break;
  case LINE: {
    GeoPoint a = r.pt(OFF_LIN1), b = r.pt(OFF_LIN2);
    if (inside(a)) {
      r.pt(OFF_LIN1, add(a, P.sdx, P.sdy));
      if (inside(b))
        r.pt(OFF_LIN2, add(b, P.sdx, P.sdy));
    } else if (inside(b)) {
      r.pt(OFF_LIN2, add(b, P.sdx, P.sdy));
    }
    break;
  }
  case ARCS:
  case DIMARC:
    stretch_arc(r);
    break;
  case TEXT:
    if (in400)
      move_by(r, P.sdx, P.sdy);
    else
      move_by(r, P.sdx / 2, P.sdy / 2);
    break;
  case DIMSEG: {
    GeoPoint p1 = r.pt(OFF_DIM1), p2 = r.pt(OFF_DIM2);
    bool in1 = inside(p1), in2 = inside(p2);
    if (in1) {
      r.pt(OFF_DIM1, add(p1, P.sdx, P.sdy));
      if (in2)
        r.pt(OFF_DIM2, add(p2, P.sdx, P.sdy));
    } else if (in2) {
      if (parallel) {
        r.pt(OFF_DIM1, P.work[0]);
        r.pt(OFF_DIM2, P.work[1]);
      } else {
        r.pt(OFF_DIM2, add(p2, P.sdx, P.sdy));
      }
    }
    break;
  }
  default:
    break;
  }
  r.commit(rec);
  return 0;
}

int trn_rotmove(ElementRecord *rec, int n) {
  trn_rotate(rec, 1);
  return trn_move(rec, n);
}

int trn_scalerot(ElementRecord *rec, int n) {
  if (trn_scale(rec, n) == 0)
    trn_rotate(rec, n);
  return 0;
}

int trn_apply(int mode, ElementRecord *rec, int n, const char *text, int partial, int in400) {
  switch (mode) {
  case 0:
    return trn_move(rec, n);
  case 1:
    return trn_rotate(rec, n);
  case 2:
    return trn_mirror(rec, n, text, &P.dimtext);
  case 3:
    return trn_scale(rec, n);
  case 4:
    return trn_stretch(rec, n, partial, in400);
  case 5:
    return trn_rotmove(rec, n);
  case 6:
    return trn_scalerot(rec, n);
  }
  return -7;
}

int trn_layscale(ElementRecord *rec, double f) {
  Rec r(rec);
  scale_about(r, P.bx, P.by, f, f, 0, 0);
  switch (r.shape()) {
  case ARCS:
  case DIMARC:
    r.d(r.off_r(), r.d(r.off_r()) * f);
    break;
  case BOX:
    for (int o : {OFF_BOXP, OFF_BOXP + 8})
      if (std::fabs(r.d(o)) < 1e-6)
        r.d(o, 0);
    r.d(OFF_BOXSX, r.d(OFF_BOXSX) * f);
    r.d(OFF_BOXSY, r.d(OFF_BOXSY) * f);
    break;
  case TEXT:
    if (r.info() != 1)
      for (int o : {OFF_CHRH, OFF_CHRW, OFF_CHRS})
        r.f(o, static_cast<float>(r.f(o) * f));
    break;
  default:
    break;
  }
  r.commit(rec);
  return 0;
}

int trn_dimscale(const ElementRecord *node, ElementRecord *, char *text, double f) {
  if (P.textsw != 1 && P.textsw != 3)
    return 0;
  // A zero or unusable factor gives no value: the text stays as it is.
  if (!std::isfinite(f) || f == 0)
    return 1;
  Rec n(node);
  double v;
  if (n.shape() == DIMSEG)
    v = seglen(n) / f;
  else if (n.shape() == DIMARC && n.w(OFF_DIMCLS) == 500)
    v = n.d(OFF_DIMR) / f;
  else if (n.shape() == DIMARC && n.w(OFF_DIMCLS) == 600)
    v = 2 * n.d(OFF_DIMR) / f;
  else
    return 0;
  return num_barfmt(v, text);
}

int trn_dimstretch(const ElementRecord *node, ElementRecord *, char *text, int drawing) {
  if (!P.revalue)
    return 0;
  Rec n(node);
  if (n.shape() != DIMSEG)
    return 0;
  int k = cpy_grplayer(drawing, node);
  if (k < 0)
    return 0;
  double ratio = 0;
  if (sys_scale(drawing, k, &ratio) != 0 || !std::isfinite(ratio) || ratio == 0)
    return 1;
  return num_barfmt(seglen(n) / ratio, text);
}

int trn_dimline(const ElementRecord *node, int drawing, GeoPoint *a, GeoPoint *b) {
  Rec n(node);
  GeoPoint p1 = n.pt(OFF_DIM1), p2 = n.pt(OFF_DIM2);
  int k = 0;
  if (drawing >= 0 && drawing <= 1) {
    uint32_t budget = ElmMax[drawing];
    for (int32_t m = static_cast<int32_t>(n.u32(20)); elm_islink(m) && budget > 0; --budget) {
      ElementRecord mem;
      if (elm_read(drawing, m, &mem, nullptr, 0) != 0)
        break;
      Rec r(&mem);
      if (r.kind() == LIN && (r.w(0) & ELM_SKIP) == 0) {
        GeoPoint s = r.pt(OFF_LIN1), e = r.pt(OFF_LIN2), x;
        if (geo_lnln(&s, &e, &p1, &p2, &x) == 2) {
          k = 2;
        } else {
          *a = s;
          *b = e;
          return 1;
        }
        break;
      }
      m = static_cast<int32_t>(r.u32(16));
    }
  }
  *a = rotated(p2, p1, 90);
  *b = p2;
  return k;
}

int trn_dimpar(const GeoPoint *p1, const GeoPoint *p2, const GeoPoint *q, int32_t s, GeoPoint *out1,
               GeoPoint *out2) {
  GeoPoint foot;
  double dist = 0;
  if (geo_perpft(p1, p2, q, &foot, &dist) < 0)
    return 1;
  GeoPoint o1, o2;
  if (geo_parallel(p1, &foot, std::fabs(dist), s, &o1, &o2) != 0)
    return 1;
  *out1 = o1;
  *out2 = o2;
  return 0;
}

int trn_dim400(const ElementRecord *node, int drawing, int32_t *partial, int32_t *parallel) {
  *partial = 0;
  *parallel = 0;
  Rec n(node);
  GeoPoint p1 = n.pt(OFF_DIM1), p2 = n.pt(OFF_DIM2);
  if (std::hypot(P.sdx, P.sdy) < 1e-6 || !(std::hypot(p2.x - p1.x, p2.y - p1.y) >= 1e-6))
    return 0;
  const GeoPoint q = add(p2, P.sdx, P.sdy);
  int32_t s1 = 0;
  if (geo_side(&p1, &p2, &q, &s1) != 0)
    return 0;
  GeoPoint a, b;
  const int k = trn_dimline(node, drawing, &a, &b);
  if (s1 != 0) {
    GeoPoint bd = add(b, P.sdx, P.sdy);
    int32_t on = 1;
    if (geo_side(&a, &b, &bd, &on) != 0 || on == 0)
      return 0;
  }
  *partial = (k == 0 || k == 2 || inside(a)) ? 1 : 0;
  if (s1 != 0) {
    if (trn_dimpar(&p1, &p2, &q, s1, &P.work[0], &P.work[1]) != 0)
      *partial = 0;
    else
      *parallel = 1;
  }
  return 0;
}

void trn_setmeasure(TrnMeasure fn) { Measure = fn ? fn : cel_wlayout; }

double trn_lenratio(uint16_t attr, double h, double w, double s, const char *text, ChrLayout *lay, double *len) {
  chr_layout(0, attr, h, w, s, text, lay, nullptr);
  *len = lay->width;
  if (((attr >> 9) & 7) == 0)
    return 1;
  ChrLayout face;
  if (Measure(attr, h, w, s, text, &face) != 1)
    return 1;
  // A typeface that could not be laid out measures 0: the stroke length stands.
  if (!(face.width > 0) || !std::isfinite(face.width) || !std::isfinite(lay->width))
    return 1;
  *len = face.width;
  return lay->width / face.width;
}

#include "select/near.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "database/cells.h"
#include "database/elmindex.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/masks/hidmask.h"
#include "geometry/geo.h"
#include "geometry/text.h"
#include "select/picksys.h"
#include "settings/params.h"

uint32_t SegHoverOff = 1;
uint32_t PickTextParts = 0;
uint32_t PickSkipMasked = 0;
uint32_t PickWalkAll = 0;

namespace {

int32_t TolDwg = 0;
double Tol = 0;
double Tol2 = 1e-30;

struct Cand {
  int32_t n;
  double d;
};

int endtest(double x, double y, double x1, double y1, double x2, double y2, double *dist) {
  const double a = (x - x1) * (x - x1) + (y - y1) * (y - y1);
  const double b = (x - x2) * (x - x2) + (y - y2) * (y - y2);
  const double d2 = a < b ? a : b;
  if (!(d2 <= Tol2))
    return 1;
  *dist = std::sqrt(d2);
  return 0;
}

// Cell index of a coordinate, or false when it is no cell at all.
bool cell_of(double v, double size, int *i) {
  const double c = std::trunc(v / size);
  if (!(c >= -1e6 && c <= 1e6))
    return false;
  *i = int(c);
  return true;
}

uint16_t search_cells(int32_t dwg, double x, double y) {
  SheetRecord s;
  if (sys_sheet('R', dwg, &s) != 0)
    return 0xFFFF;
  const double cw = s.width / 4, ch = s.height / 4;
  if (!(cw > 0) || !(ch > 0))
    return 0xFFFF;
  int x0, y0, x1, y1;
  if (!cell_of(x - Tol, cw, &x0) || !cell_of(y - Tol, ch, &y0) || !cell_of(x + Tol, cw, &x1) ||
      !cell_of(y + Tol, ch, &y1))
    return 0xFFFF;
  auto in = [](int a) { return a >= 0 && a <= 3; };
  if (!((in(x0) && in(y0)) || (in(x1) && in(y1))))
    return 0xFFFF;
  uint16_t m = 0;
  for (int iy = y0 < 0 ? 0 : y0; iy <= (y1 > 3 ? 3 : y1); ++iy)
    for (int ix = x0 < 0 ? 0 : x0; ix <= (x1 > 3 ? 3 : x1); ++ix)
      m = uint16_t(m | 1u << (ix + 4 * iy));
  return m ? m : 0xFFFF;
}

// The top group node of a member, or 0 when its owners cannot be followed. Every
// step must go up a level, so a loop of parent links ends.
int32_t climb(int32_t dwg, const ElementRecord &r, uint8_t *info) {
  uint8_t inf = r.encsub;
  int lvl = r.depth;
  int32_t par = r.parent;
  while (lvl > 1) {
    const ElementRecord *p = elm_islink(par) ? dtb_get(dwg, par) : nullptr;
    if (!p || p->depth >= lvl)
      return 0;
    inf = p->encsub;
    lvl = p->depth;
    par = p->parent;
  }
  *info = inf;
  return elm_islink(par) ? par : 0;
}

void insert(Cand *t, int *count, int32_t n, double d, bool group) {
  if (group)
    for (int i = 0; i < *count; ++i)
      if (t[i].n == n) {
        if (d < t[i].d)
          t[i].d = d;
        return;
      }
  int at = 0;
  while (at < *count && !(t[at].d > d))
    ++at;
  if (at >= PCK_NEARMAX)
    return;
  const int last = *count < PCK_NEARMAX ? *count : PCK_NEARMAX - 1;
  for (int i = last; i > at; --i)
    t[i] = t[i - 1];
  t[at] = Cand{n, d};
  if (*count < PCK_NEARMAX)
    ++*count;
}

} // namespace

void pck_settol(int32_t dwg, double tol) {
  TolDwg = dwg;
  Tol = tol;
  Tol2 = tol * tol;
  if (!(Tol2 >= 1e-30))
    Tol2 = 1e-30;
}

int pck_txtdist(double x, double y, const ChrBody *b, const char *str, double *dist) {
  const double h = std::fabs(double(b->height)), w = std::fabs(double(b->width)), sp = std::fabs(double(b->spacing));
  static ChrLayout lay, wlay;
  chr_layout(0, b->attr, h, w, sp, str, &lay, nullptr);
  const ChrLayout *use = &lay;
  double f = 1;
  if ((b->attr >> 9) & 7) {
    const double first = lay.width;
    if (cel_wlayout(b->attr, h, w, sp, str, &wlay) == 1) {
      use = &wlay;
      f = wlay.width != 0 ? first / wlay.width : 1;
    }
  }
  const GeoPoint o{0, 0};
  const double bx = b->x, by = b->y, ang = b->angle;
  for (int i = 0; i < use->count && i < CHR_SLOTS; ++i) {
    const double x0 = use->x[i] * f, x1 = x0 + use->w[i] * f;
    const double ym = use->y[i] + (use->half[i] ? h / 4 : h / 2);
    GeoPoint p0{x0, ym}, p1{x1, ym}, r0{x0, ym}, r1{x1, ym};
    geo_rotate(&o, &p0, &r0, ang);
    geo_rotate(&o, &p1, &r1, ang);
    const double ax = r0.x + bx, ay = r0.y + by, cx = r1.x + bx, cy = r1.y + by;
    const double dx = cx - ax, dy = cy - ay, l2 = dx * dx + dy * dy;
    if (l2 >= 1e-20) {
      const double t = ((x - ax) * dy - (y - ay) * dx) / l2;
      const double d = std::sqrt(l2) * std::fabs(t);
      if (!(d <= Tol))
        continue;
      const double fx = x - dy * t, fy = y + dx * t;
      if ((fx - ax) * (fx - cx) + (fy - ay) * (fy - cy) <= 0) {
        *dist = d;
        return 0;
      }
    }
    if (endtest(x, y, ax, ay, cx, cy, dist) == 0)
      return 0;
  }
  return 1;
}

int pck_dist(double x, double y, int32_t kind, const ElementRecord *r, double *dist) {
  switch (kind) {
  case PNT: {
    const double d2 = (x - r->pnt.x) * (x - r->pnt.x) + (y - r->pnt.y) * (y - r->pnt.y);
    if (!(d2 <= Tol2))
      return 1;
    *dist = std::sqrt(d2);
    return 0;
  }
  case LIN:
  case LIN | MSKBOX: {
    const LinBody &l = r->lin;
    const double dx = l.x2 - l.x1, dy = l.y2 - l.y1, l2 = dx * dx + dy * dy;
    if (l2 >= 1e-20) {
      const double t = ((x - l.x1) * dy - (y - l.y1) * dx) / l2;
      const double d = std::sqrt(l2 * t * t);
      if (!(d <= Tol))
        return 1;
      const double fx = x - dy * t, fy = y + dx * t;
      if ((fx - l.x1) * (fx - l.x2) + (fy - l.y1) * (fy - l.y2) <= 0) {
        *dist = d;
        return 0;
      }
    }
    return endtest(x, y, l.x1, l.y1, l.x2, l.y2, dist);
  }
  case ARC:
  case ARC | MSKBOX: {
    const ArcBody &a = r->arc;
    const double d = std::fabs(std::hypot(x - a.cx, y - a.cy) - a.r);
    if (!(d <= Tol))
      return 1;
    double dir = deg_atan2(y - a.cy, x - a.cx);
    double a1 = a.start, a2 = a.end;
    if (a1 > a2)
      a2 += 360;
    if (a2 - a1 <= 1e-10)
      a2 = a1 + 360;
    if (a1 < 0) {
      a1 += 360;
      a2 += 360;
    }
    if (a1 > dir)
      dir += 360;
    if (a2 >= dir) {
      *dist = d;
      return 0;
    }
    return endtest(x, y, a.cx + a.r * deg_cos(a1), a.cy + a.r * deg_sin(a1), a.cx + a.r * deg_cos(a2),
                   a.cy + a.r * deg_sin(a2), dist);
  }
  case CHR: {
    // At most 127 bytes of the string take part.
    char s[128];
    int n = r->chr.count;
    if (n < 0)
      n = 0;
    if (n > 127)
      n = 127;
    int got = n < CHR_PIECE0 ? n : CHR_PIECE0;
    std::memcpy(s, r->chr.text, std::size_t(got));
    int32_t link = r->chr.cont;
    while (got < n && elm_islink(link)) {
      const ElementRecord *c = dtb_get(TolDwg, link);
      if (!c)
        break;
      const int take = n - got < CONT_PIECE ? n - got : CONT_PIECE;
      std::memcpy(s + got, c->cont.text, std::size_t(take));
      got += take;
      link = c->cont.next;
    }
    s[got] = 0;
    double d;
    if (pck_txtdist(x, y, &r->chr, s, &d) != 0)
      return 1;
    *dist = d * d;
    return 0;
  }
  default:
    return 1;
  }
}

int pck_near(int32_t dwg, int32_t view, double x, double y, uint32_t kind, uint32_t pen, uint32_t ltype,
             uint8_t subkind, int32_t out[PCK_NEARMAX]) {
  const int32_t v = view & 0x3FFF;
  if (dwg < 0 || dwg > 1 || v > 15)
    return -1;
  double tol = 0;
  pck_hooks().aperture(dwg, v, &tol);
  return pck_nearat(dwg, view & (PCK_AREA2 | PCK_AREA3), x, y, tol, kind, pen, ltype, subkind, out);
}

int pck_nearat(int32_t dwg, int32_t areas, double x, double y, double tol, uint32_t kind, uint32_t pen,
               uint32_t ltype, uint8_t subkind, int32_t out[PCK_NEARMAX]) {
  if (dwg < 0 || dwg > 1)
    return -1;
  if ((kind & 0x7FFF) == 0x7FFF)
    kind &= ~uint32_t(0x4000);
  pck_settol(dwg, tol);
  const uint16_t cells = search_cells(dwg, x, y);
  const bool climbing = (kind & NOD) && !(kind & 0x8000) && SegHoverOff != 0;
  const int inmode = pck_hooks().inmode();
  uint16_t states[64];
  uint16_t cur;
  if (sys_layer('r', dwg, &cur, states) != 0)
    return -1;

  Cand t[PCK_NEARMAX];
  int count = 0;
  const DbControl &c = DbCtl[dwg];
  struct Range {
    uint32_t first, n;
  } ranges[3] = {{c.base1, c.count1},
                 {(areas & PCK_AREA2) ? c.base1 + c.count1 : 0, (areas & PCK_AREA2) ? c.count2 : 0},
                 {(areas & PCK_AREA3) ? c.base3 : 0, (areas & PCK_AREA3) ? c.count3 : 0}};
  // Only the elements the pick box may reach are measured, in the order of a
  // walk over every record.
  static std::vector<int32_t> nearby;
  nearby.clear();
  const bool all = PickWalkAll || !eix_near(dwg, EIX_PICK, x - tol, y - tol, x + tol, y + tol, cells, &nearby);
  for (const Range &rg : ranges) {
    const int32_t lo = int32_t(rg.first), hi = int32_t(rg.first + rg.n);
    auto it = std::lower_bound(nearby.begin(), nearby.end(), lo);
    for (uint32_t k = 0; k < rg.n; ++k) {
      int32_t n = int32_t(rg.first + k);
      if (!all) {
        if (it == nearby.end() || *it >= hi)
          break;
        n = *it++;
      }
      const ElementRecord *r = dtb_get(dwg, n);
      if (!r || (r->flags & ELM_SKIP))
        continue;
      if (r->cells && !(r->cells & cells))
        continue;
      const uint8_t sub = r->subkind, info = r->encsub;
      if (!PickTextParts && (info == 8 || sub == 8))
        continue;
      if (PickSkipMasked && (info == 16 || sub == 16 || hid_ismask(dwg, r)))
        continue;
      if (sub == 16 || (info == 16 && r->kind != (LIN | MSKBOX) && r->kind != (ARC | MSKBOX)))
        continue;
      if (!(r->kind & (PNT | LIN | ARC | CHR)) || states[r->layer & 63] < 2 || r->layer >= 64)
        continue;
      if (!SegHoverOff && (info == 1 || (info && !subkind)))
        continue;
      if ((kind & 0x4000) && (info == 1 || sub == 1))
        continue;
      int32_t cand = n;
      const bool member = info != 0 && climbing;
      if (member) {
        uint8_t topinfo = 0;
        cand = climb(dwg, *r, &topinfo);
        if (!cand || !(topinfo & subkind))
          continue;
      } else {
        if (!(r->kind & kind))
          continue;
        uint32_t p, lt = 0;
        bool haslt = false;
        switch (r->kind) {
        case PNT:
          p = r->pnt.attr & 15;
          break;
        case LIN:
        case LIN | MSKBOX:
          p = r->lin.attr & 15;
          lt = r->lin.attr >> 4 & 15;
          haslt = true;
          break;
        case ARC:
        case ARC | MSKBOX:
          p = r->arc.attr & 15;
          lt = r->arc.attr >> 4 & 15;
          haslt = true;
          break;
        case CHR:
          p = r->chr.attr & 15;
          break;
        default:
          continue;
        }
        if (haslt && inmode != 0 && lt == 6)
          continue;
        if (!(pen & 1u << p) || (haslt && !(ltype & 1u << lt)))
          continue;
      }
      double d;
      if (pck_dist(x, y, r->kind, r, &d) != 0)
        continue;
      insert(t, &count, cand, d, member);
    }
  }
  for (int i = 0; i < count; ++i) {
    const ElementRecord *r = dtb_get(dwg, t[i].n);
    int32_t root = 0;
    if (r && r->encsub == 8 && elm_txtroot(dwg, r, &root) == 0 && root > 0)
      t[i].n = root;
  }
  int m = 0;
  for (int i = 0; i < count; ++i) {
    bool seen = false;
    for (int j = 0; j < m && !seen; ++j)
      seen = out[j] == t[i].n;
    if (!seen)
      out[m++] = t[i].n;
  }
  return m;
}

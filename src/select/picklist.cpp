#include "select/picklist.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "database/cells.h"
#include "database/elements.h"
#include "database/store.h"
#include "display/masks/hidmask.h"
#include "geometry/geo.h"
#include "geometry/text.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/picksys.h"
#include "settings/params.h"
#include "settings/appstate.h"

PickListRec PickList = {0, 0, nullptr, 0, -1, 0, 0, 0, {{0, 0}, {0, 0}}};
uint32_t PickHoverOff = 1;

namespace {
int32_t colour(int role) {
  uint16_t cm[20];
  sys_colmap('r', cm);
  return cm[role];
}

// Removes the old highlight; false when the running command is not on level 0.
bool hover_reset() {
  if (PickList.hvdwg >= 0 && PickList.count >= 1) {
    pck_unhilite(PickList.hvdwg);
    pck_clear();
  }
  return CmdLevel == 0;
}

int hvnear(int32_t dwg, int32_t view, double x, double y) {
  PickList.hvelem = 0;
  if (PickHoverOff == 1)
    return 1;
  if (!hover_reset() || !PickList.entries || PickList.capacity < 1)
    return 1;
  int32_t c[PCK_NEARMAX];
  const int n = pck_near(dwg, view, x, y, ElmFilter.kind, ElmFilter.pen, ElmFilter.ltype, ElmFilter.subkind, c);
  if (n < 1 || c[0] < 1)
    return 1;
  PickList.entries[0] = PickList.hvelem = c[0];
  PickList.count = 1;
  PickList.hvdwg = dwg;
  int32_t top = 0;
  if (pck_topnode(dwg, c[0], &top) == 0 && top >= 1)
    PickList.entries[0] = PickList.hvelem = top;
  if (PickList.hvmode == 3 || PickList.hvmode == 4)
    pck_hilite1(dwg, 0, colour(13));
  return 0;
}

int hvline(int32_t dwg, double x, double y) {
  if (PickHoverOff == 1)
    return 1;
  if (!hover_reset())
    return 1;
  PickList.probe[1][0] = x;
  PickList.probe[1][1] = y;
  pck_crosscol(dwg);
  pck_topnorm(dwg);
  PickList.hvdwg = dwg;
  for (int32_t i = 0; i < PickList.count; ++i)
    pck_hilite1(dwg, i, colour(13));
  return 1;
}

bool near_end(const GeoPoint &q, const double *e) {
  return std::fabs(q.x - e[0]) <= 1e-6 && std::fabs(q.y - e[1]) <= 1e-6;
}
} // namespace

int pck_alloc(int32_t n) {
  pck_free();
  if (n == 0)
    n = 400;
  if (n < 0)
    return 1;
  auto *p = static_cast<int32_t *>(std::calloc(std::size_t(n), sizeof(int32_t)));
  if (!p)
    return 1;
  PickList.entries = p;
  PickList.capacity = n;
  return 0;
}

int pck_free() {
  std::free(PickList.entries);
  PickList.entries = nullptr;
  PickList.capacity = PickList.count = 0;
  return 0;
}

int pck_clear() {
  PickList.count = 0;
  if (PickList.entries)
    std::memset(PickList.entries, 0, std::size_t(PickList.capacity) * sizeof(int32_t));
  return 0;
}

int pck_count(int32_t *out) {
  *out = PickList.count;
  return 0;
}

int pck_get(int32_t i, int32_t *out) {
  if (i < 0 || i >= PickList.count || !PickList.entries)
    return 1;
  *out = PickList.entries[i];
  return 0;
}

int32_t pck_hvelem() { return PickList.hvelem; }

int pck_hvkind(int32_t v) {
  PickList.variant = v;
  return 0;
}

int pck_setmode(int32_t hover, int32_t confirm) {
  PickList.hvmode = hover;
  PickList.cfmode = confirm;
  return 0;
}

int pck_setpt(const double *p) {
  PickList.probe[0][0] = p[0];
  PickList.probe[0][1] = p[1];
  PickList.probe[1][0] = PickList.probe[1][1] = 0;
  return 0;
}

int pck_setend(const double *p) {
  PickList.probe[1][0] = p[0];
  PickList.probe[1][1] = p[1];
  return 0;
}

int pck_hover(int32_t dwg, int32_t view, int32_t, int32_t, double x, double y) {
  if (PickHoverOff == 1)
    return 0;
  if (PickList.variant == 0)
    return PickList.hvmode < 0 ? 0 : hvnear(dwg, view, x, y);
  if (PickList.variant == 1)
    return hvline(dwg, x, y);
  return 0;
}

int pck_hvend(int32_t, uint32_t mask, int32_t view) {
  if (PickHoverOff == 1)
    return 1;
  if (view < 0)
    return 2;
  if (view > 31 || !(mask & 1u << view))
    return 3;
  pck_unhilite(PickList.hvdwg);
  pck_clear();
  return 0;
}

int pck_confirm(int32_t which, int32_t dwg) {
  const int32_t mode = which == 0 ? PickList.hvmode : PickList.cfmode;
  if (mode == 1 || mode == 2) {
    for (int32_t i = 0; i < PickList.count; ++i)
      pck_hilite1(dwg, i, colour(13));
    if (mode == 1)
      pck_hooks().delay(150);
  }
  if (mode != 2 && mode != 4)
    return 0;
  int rc = 0;
  switch (pck_hooks().ask(0, "YyNn")) {
  case 'y':
  case 'Y':
  case 13:
  case 500:
    return 0;
  case 'n':
  case 'N':
  case 501:
    rc = 1;
    break;
  case 27:
    rc = 27;
    break;
  case 800: // the command ends: handed on, not asked again
    rc = 800;
    break;
  default: // a closed or failed question is never a yes
    rc = 1;
  }
  pck_redraw(dwg);
  return rc;
}

int pck_unhilite(int32_t dwg) {
  pck_redraw(dwg);
  return 0;
}

int pck_hilite1(int32_t dwg, int32_t i, int32_t c) {
  if (dwg < 0 || dwg > 1 || i < 0 || i >= PickList.count || !PickList.entries)
    return 1;
  pck_hooks().show(dwg, PickList.entries[i], c);
  return 0;
}

int pck_redraw(int32_t dwg) {
  if (PickList.count < 1 || !PickList.entries)
    return 1;
  for (int32_t i = 0; i < PickList.count; ++i)
    pck_hooks().show(dwg, PickList.entries[i], -1);
  return 0;
}

int pck_topnode(int32_t dwg, int32_t n, int32_t *top) {
  *top = 0;
  const ElementRecord *r = dtb_get(dwg, n);
  if (!r || !elm_islink(r->parent))
    return 1;
  // Parent links come from the store or a file: a node naming itself is the top,
  // and no chain climbs further than the records there are.
  int32_t p = r->parent;
  uint32_t budget = dtb_used(dwg) + 1;
  while (budget--) {
    const ElementRecord *q = dtb_get(dwg, p);
    if (!q)
      return 2;
    if (!elm_islink(q->parent) || q->parent == p) {
      *top = p;
      return 0;
    }
    p = q->parent;
  }
  return 2;
}

int pck_boxedges(double x, double y, double h, double a, uint16_t attr, double w, double hh, double e[4][4]) {
  const int va = attr >> 5 & 3, ha = attr >> 7 & 3;
  if (va == 3 || ha == 3)
    return 1;
  const double o = va == 0 ? hh - h : va == 1 ? hh - h / 2 : hh;
  const double s = ha == 0 ? 0 : ha == 1 ? w / 2 : w;
  const GeoPoint p0{x - o * deg_cos(a + 90) - s * deg_cos(a), y - o * deg_sin(a + 90) - s * deg_sin(a)};
  GeoPoint c[4] = {p0, {p0.x, p0.y + hh}, {p0.x + w, p0.y + hh}, {p0.x + w, p0.y}};
  for (int i = 1; i < 4; ++i) {
    GeoPoint r = c[i];
    if (geo_rotate(&p0, &c[i], &r, a) != 0)
      return 1;
    c[i] = r;
  }
  for (int i = 0; i < 4; ++i) {
    e[i][0] = c[i].x;
    e[i][1] = c[i].y;
    e[i][2] = c[(i + 1) % 4].x;
    e[i][3] = c[(i + 1) % 4].y;
  }
  return 0;
}

int pck_txtbox(int32_t dwg, int32_t n, double edges[4][4]) {
  static char str[CHR_TEXTMAX + 1];
  ElementRecord r;
  const int rc = elm_read(dwg, n, &r, str, sizeof str);
  if ((rc != 0 && rc != 3) || r.kind != CHR)
    return 1;
  const double h = std::fabs(double(r.chr.height)), w = std::fabs(double(r.chr.width));
  const double sp = std::fabs(double(r.chr.spacing));
  static ChrLayout lay, wlay;
  if (chr_layout(0, r.chr.attr, h, w, sp, str, &lay, nullptr) != 0)
    return 1;
  double ew = lay.width, eh = lay.height;
  if ((r.chr.attr >> 9 & 7) && cel_wlayout(r.chr.attr, h, w, sp, str, &wlay) == 1)
    eh = wlay.height;
  return pck_boxedges(r.chr.x, r.chr.y, h, r.chr.angle, r.chr.attr, ew, eh, edges);
}

int pck_crosstest(const ElementRecord *r, int32_t *count) {
  const GeoPoint a{PickList.probe[0][0], PickList.probe[0][1]}, b{PickList.probe[1][0], PickList.probe[1][1]};
  const uint16_t k = r->kind & ~MSKBOX;
  if (k == LIN) {
    const GeoPoint p{r->lin.x1, r->lin.y1}, q{r->lin.x2, r->lin.y2};
    GeoPoint x;
    if (geo_lnln(&p, &q, &a, &b, &x) != 0)
      return 1;
    if (near_end(x, PickList.probe[0]) || near_end(x, PickList.probe[1]))
      return 2;
    *count = 1;
    return 0;
  }
  if (k == ARC) {
    const GeoPoint c{r->arc.cx, r->arc.cy};
    AngleRange ar{r->arc.start, r->arc.end};
    GeoPoint q[2];
    uint32_t cnt = 0;
    if (geo_segarc(&a, &b, &c, r->arc.r, &ar, &q[0], &q[1], &cnt) != 0 || cnt == 0)
      return 1;
    int32_t inner = 0;
    for (uint32_t i = 0; i < cnt && i < 2; ++i)
      if (!near_end(q[i], PickList.probe[0]) && !near_end(q[i], PickList.probe[1]))
        ++inner;
    if (!inner)
      return 2;
    *count = inner;
    return 0;
  }
  return 1;
}

int pck_crosscol(int32_t dwg) {
  PickList.count = 0;
  if (dwg < 0 || dwg > 1 || !PickList.entries)
    return 0;
  uint16_t states[64], cur;
  if (sys_layer('r', dwg, &cur, states) != 0)
    return 0;
  const int inmode = pck_hooks().inmode();
  for (uint32_t k = 0; k < DbCtl[dwg].count1 && PickList.count < PickList.capacity; ++k) {
    const int32_t n = int32_t(DbCtl[dwg].base1 + k);
    const ElementRecord *r = dtb_get(dwg, n);
    if (!r || (r->flags & ELM_SKIP))
      continue;
    if (!PickTextParts && (r->encsub == 8 || r->subkind == 8))
      continue;
    if ((r->kind & (NOD | ATR)) || !(r->kind & ElmFilter.kind) || r->layer >= 64 || states[r->layer] < 2)
      continue;
    const uint16_t k2 = r->kind & ~MSKBOX;
    uint32_t pen, lt;
    if (k2 == LIN || k2 == ARC) {
      const uint16_t attr = k2 == LIN ? r->lin.attr : r->arc.attr;
      pen = attr & 15;
      lt = attr >> 4 & 15;
      if (inmode != 0 && lt == 6)
        continue;
    } else if (k2 == CHR) {
      pen = lt = 1;
    } else {
      continue;
    }
    if (!(ElmFilter.pen & 1u << pen) || !(ElmFilter.ltype & 1u << lt))
      continue;
    bool hit = false;
    int32_t cnt = 0;
    if (k2 == CHR) {
      double e[4][4];
      if (pck_txtbox(dwg, n, e) != 0)
        continue;
      for (int i = 0; i < 4 && !hit; ++i) {
        ElementRecord edge{};
        edge.kind = LIN;
        edge.lin.x1 = e[i][0];
        edge.lin.y1 = e[i][1];
        edge.lin.x2 = e[i][2];
        edge.lin.y2 = e[i][3];
        hit = pck_crosstest(&edge, &cnt) == 0;
      }
    } else {
      hit = pck_crosstest(r, &cnt) == 0;
    }
    if (hit)
      PickList.entries[PickList.count++] = n;
  }
  return PickList.count;
}

int pck_topnorm(int32_t dwg) {
  if (!PickList.entries)
    return 0;
  for (int32_t i = 0; i < PickList.count; ++i) {
    int32_t top = 0;
    if (pck_topnode(dwg, PickList.entries[i], &top) == 0 && top > 0)
      PickList.entries[i] = top;
  }
  int32_t m = 0;
  for (int32_t i = 0; i < PickList.count; ++i) {
    bool seen = false;
    for (int32_t j = 0; j < m && !seen; ++j)
      seen = PickList.entries[j] == PickList.entries[i];
    if (!seen)
      PickList.entries[m++] = PickList.entries[i];
  }
  for (int32_t i = m; i < PickList.count; ++i)
    PickList.entries[i] = 0;
  PickList.count = m;
  int32_t front = 0;
  for (int32_t j = 0; j < m; ++j)
    if (hid_isnode(dwg, PickList.entries[j]) == 0) {
      if (j > front) {
        const int32_t t = PickList.entries[front];
        PickList.entries[front] = PickList.entries[j];
        PickList.entries[j] = t;
      }
      ++front;
    }
  return 0;
}

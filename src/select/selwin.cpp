#include "select/selwin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "database/cells.h"
#include "database/elements.h"
#include "database/elmindex.h"
#include "database/store.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/picksys.h"
#include "select/selpoly.h"
#include "select/selrect.h"
#include "select/sellist.h"
#include "geometry/text.h"
#include "settings/params.h"

uint32_t SelWalkAll = 0;

namespace {

constexpr int32_t SEL_COLOUR = 14;
int G = 2;                   // group mode of the running walk
uint16_t Layers[64];         // layer states of the walk's drawing
std::vector<char> Str(CHR_TEXTMAX + 1);

uint16_t nodclass(const ElementRecord &r) { return uint16_t(r.nod.data[0] | r.nod.data[1] << 8); }
bool figclass(uint16_t c) {
  return c == 800 || c == 900 || c == 1000 || c == 1100 || c == 1200 || c == 1300 || c == 1500;
}

// Steps left to the member walks of one element's test: a ring made by hand ends.
// The nested nodes being walked, outermost first: a node that is a member of itself
// (or of a node inside it), or nesting deeper than the group levels ever make, fails
// the group instead of recursing until the stack is gone.
uint32_t Budget = 0;
int Depth = 0;
constexpr int GRP_DEPTHMAX = 16; // group levels stop at 10
int32_t Path[GRP_DEPTHMAX + 1];
int PathLen = 0;

struct BudgetScope {
  explicit BudgetScope(int32_t d) {
    if (Depth++ == 0) {
      Budget = dtb_used(d) + 1;
      PathLen = 0;
    }
  }
  ~BudgetScope() { --Depth; }
};

bool on_path(int32_t m) {
  for (int i = 0; i < PathLen; ++i)
    if (Path[i] == m)
      return true;
  return false;
}

// The cell pre-check: 0 take, 1 reject, 2 test the geometry.
int cellcheck(uint16_t c, int given, int rel, int partial) {
  const bool share = (c & uint16_t(SelWindow.cells)) != 0;
  if (given == 0) {
    if (rel == 0)
      return 0;
    if (rel == 1)
      return c == 0 ? 1 : !share ? 0 : partial ? 0 : 2;
    if (rel == 2)
      return c == 0 ? 0 : !share ? 1 : partial ? 2 : 1;
    return 2;
  }
  if (c == 0)
    return 2;
  if (rel == 2)
    return share ? 2 : 0;
  return share ? 2 : 1;
}

bool decide(int code) {
  const SelWindowRec &w = SelWindow;
  if (w.given == 1 && w.relation == 1)
    return w.partial ? code == 0 || code == 1 : code == 0;
  if (w.given == 1 && w.relation == 2)
    return w.partial ? code != 0 : code == 4;
  if (w.given == 0 && w.relation == 1 && !w.partial)
    return code == 0;
  if (w.given == 0 && w.relation == 2 && w.partial)
    return code != 0;
  return false;
}

// Filter and layer part shared by the window and fence tests: 0 go on, 1 reject,
// 2 take without a geometric test.
int pretest(const ElementRecord *r) {
  if (r->kind & NOD) {
    if (!(r->subkind & ElmFilter.subkind))
      return 1;
    if (r->subkind != 1 || figclass(nodclass(*r)))
      return 2;
    return 0;
  }
  if (Layers[r->layer & 63] < 2)
    return 1;
  if ((ElmFilter.kind & ~0x8000u) == NOD) {
    const uint8_t L = r->encsub;
    if (L != 1 && L != 2 && L != 4 && sel_filtchk(r))
      return 1;
  } else if (sel_filtchk(r)) {
    return 1;
  }
  return 0;
}

int finalstep(const ElementRecord *r, int result) {
  const uint8_t fs = ElmFilter.subkind;
  if (result == 0 && SelWindow.partial == 1 && (fs == 1 || (fs & 6) == 6))
    return sel_grpok(r);
  return result;
}

// The record's string for a text; false when it cannot be read.
bool textof(uint32_t e, const ElementRecord **r) {
  if ((*r)->kind != CHR)
    return true;
  static ElementRecord copy;
  const int rc = elm_read(SelWindow.drawing, int32_t(e), &copy, Str.data(), Str.size());
  if (rc != 0 && rc != 3)
    return false;
  *r = dtb_get(SelWindow.drawing, int32_t(e));
  return *r != nullptr;
}

bool linetype69(const ElementRecord *r) {
  if (r->encsub != 0 || (r->kind != LIN && r->kind != ARC))
    return false;
  const int lt = ((r->kind == LIN ? r->lin.attr : r->arc.attr) >> 4) & 15;
  return lt == 6 || lt == 9;
}

enum Walk { WINDOW, WINDOW2, FENCE };

// Takes e into the list: toggles it out when listed, else appends it. False when
// the list is full with no hole to squeeze out.
bool take(int32_t d, int32_t e, uint32_t mark, bool node) {
  SelectionListRec &s = SelectionList;
  if (SelWindow.toggle >= 1) {
    // The list need not be sorted (single picks land anywhere): search it whole.
    for (int32_t i = 0; i < s.count; ++i)
      if (s.entries[i] != SEL_HOLE && sel_key(s.entries[i]) == uint32_t(e)) {
        s.entries[i] = SEL_HOLE;
        pck_hooks().show(d, e, -1);
        return true;
      }
  }
  if (!(node && G == 1))
    pck_hooks().show(d, e, SEL_COLOUR);
  s.entries[s.count++] = uint32_t(e) | mark;
  if (s.count >= s.capacity) {
    const int32_t before = s.count;
    if (sel_squeeze() == before) {
      s.count = before;
      return false;
    }
  }
  return true;
}

int32_t walk(Walk kind, int32_t n, const double *pts, int32_t d) {
  SelectionListRec &s = SelectionList;
  if (d < 0 || d >= DB_COUNT || !s.entries)
    return s.count;
  SelWindow.drawing = d;
  s.drawing = d;
  if ((ElmFilter.kind & 0x7FFF) == 0x7FFF)
    ElmFilter.kind &= ~0x4000u;
  const uint32_t km = ElmFilter.kind;
  G = !(km & NOD) ? 2 : (km & 0x8000) ? 1 : 0;
  uint16_t cur = 0;
  if (sys_layer('r', d, &cur, Layers) != 0)
    std::memset(Layers, 0, sizeof Layers);
  const int inmode = pck_hooks().inmode();
  const int32_t kept = SelWindow.partial;
  const uint32_t base = DbCtl[d].base1, cnt = DbCtl[d].count1;
  // A window that takes what lies in it needs only the elements near it; they
  // come in the order of a walk over every record.
  static std::vector<int32_t> nearby;
  nearby.clear();
  // A fence lies within the box of its corners, so only elements near that box
  // can be inside it.
  double bx0 = SelWindow.xmin, by0 = SelWindow.ymin, bx1 = SelWindow.xmax, by1 = SelWindow.ymax;
  if (kind == FENCE) {
    bx0 = bx1 = pts[0], by0 = by1 = pts[1];
    for (int32_t i = 1; i < n; ++i) {
      bx0 = std::fmin(bx0, pts[2 * i]), bx1 = std::fmax(bx1, pts[2 * i]);
      by0 = std::fmin(by0, pts[2 * i + 1]), by1 = std::fmax(by1, pts[2 * i + 1]);
    }
  }
  const bool narrow = SelWindow.given == 1 && SelWindow.relation == 1 && !SelWalkAll &&
                      eix_near(d, EIX_WINDOW, bx0, by0, bx1, by1, uint16_t(SelWindow.cells), &nearby);
  std::size_t at = 0, end = 0;
  if (narrow) {
    at = std::size_t(std::lower_bound(nearby.begin(), nearby.end(), int32_t(base)) - nearby.begin());
    end = std::size_t(std::lower_bound(nearby.begin(), nearby.end(), int32_t(base + cnt)) - nearby.begin());
  }
  for (uint32_t k = 0; k < cnt; ++k) {
    SelWindow.partial = kept;
    if (narrow && at >= end)
      break;
    const int32_t e = narrow ? nearby[at++] : int32_t(base + k);
    const ElementRecord *r = dtb_get(d, e);
    if (!r || (r->flags & ELM_SKIP) || (r->kind & ATR))
      continue;
    const bool node = (r->kind & NOD) != 0;
    const uint8_t L = r->encsub;
    const int partial = SelWindow.partial;
    if (node && G != 0) {
      if (kind == WINDOW ? (r->subkind == 1 || partial == 0) : (r->subkind != 1 && partial == 0))
        continue;
    }
    if (PickTextParts == 0 && (L == 8 || r->subkind == 8))
      continue;
    if (L != 0 && (G == 2 || (G == 0 && (L != 1 || partial == 0))))
      continue;
    const ElementRecord *parent = r->parent > 0 ? dtb_get(d, r->parent) : nullptr;
    if (kind == WINDOW) {
      if ((km & 0x4000) && (r->subkind == 1 || (L == 1 && (!parent || parent->encsub != 2))))
        continue;
      if (!(ElmFilter.subkind & 6) && (L == 4 || L == 2 || (parent && (parent->encsub == 4 || parent->encsub == 2))))
        continue;
    } else if ((km & 0x4000) && (L == 1 || r->subkind == 1)) {
      continue;
    }
    uint32_t mark = 0;
    if (kind != FENCE) {
      if (L != 1 || kind == WINDOW2) {
        if (sel_wintest(uint32_t(e), r, &mark)) {
          if (!(kind == WINDOW2 && SelWindow.partial == 1 &&
                sel_sidecut(SelWindow.xmin, SelWindow.ymin, SelWindow.xmax, SelWindow.ymax, r) > 0))
            continue;
          mark = 0;
        }
      } else {
        if (!parent)
          continue;
        if (nodclass(*parent) != 1100) {
          if (sel_wintest(uint32_t(e), r, &mark))
            continue;
        } else {
          SelWindow.partial = 0;
          if (sel_wingrp(parent))
            continue;
          mark = 0;
        }
        if (!(r = dtb_get(d, e)))
          continue;
      }
    }
    if (inmode && linetype69(r))
      continue;
    if (kind == FENCE) {
      if (node) {
        const bool fig = r->subkind == 1 && SelWindow.partial == 1 && figclass(nodclass(*r));
        const bool whole = r->subkind != 1 || SelWindow.partial == 0;
        if (!(r->subkind & ElmFilter.subkind) || ((fig || whole) && sel_fencegrp(n, pts, r)))
          continue;
      } else if (sel_fencetest(n, pts, uint32_t(e), r, &mark)) {
        continue;
      }
      mark = 0;
    } else if (node) {
      const bool fig = r->subkind == 1 && SelWindow.partial == 1 && figclass(nodclass(*r));
      const bool whole = r->subkind != 1 || SelWindow.partial == 0;
      if ((fig || whole) && sel_wingrp(r))
        continue;
    }
    if (!take(d, e, mark, node))
      break;
  }
  SelWindow.partial = kept;
  return s.count;
}

} // namespace

int sel_winmode(int32_t d, uint32_t mode, double x1, double y1, double x2, double y2) {
  SelWindowRec &w = SelWindow;
  w.toggle = int32_t(mode >> 12);
  w.given = mode & 1;
  const uint32_t rel = mode & 6;
  w.relation = rel == 2 ? 1 : rel == 4 ? 2 : 0;
  w.partial = (mode & 8) ? 1 : 0;
  if (w.relation == 0 && w.given == 1)
    w.relation = 1;
  if (!w.given) {
    SheetRecord s{};
    sys_sheet('R', d >= 0 && d < DB_COUNT ? d : 0, &s);
    x1 = 0, y1 = 0, x2 = s.width, y2 = s.height;
  }
  w.xmin = std::fmin(x1, x2), w.xmax = std::fmax(x1, x2);
  w.ymin = std::fmin(y1, y2), w.ymax = std::fmax(y1, y2);
  const double g = rel == 2 ? 1e-6 : rel == 4 ? -1e-6 : 0;
  w.xmin -= g, w.ymin -= g, w.xmax += g, w.ymax += g;
  return 0;
}

int32_t sel_window(int32_t d) {
  pck_hooks().waitcur();
  if (d >= 0 && d < DB_COUNT) {
    const SelWindowRec &w = SelWindow;
    if (w.given == 1)
      SelWindow.cells = cel_rect(d, w.xmin, w.ymin, w.xmax, w.ymax);
    else if ((w.relation == 1 && w.partial == 0) || (w.relation == 2 && w.partial == 1))
      SelWindow.cells = 0xF99F;
  }
  const int32_t n = walk(WINDOW, 0, nullptr, d);
  pck_hooks().waitcur();
  return n;
}

int32_t sel_window2(int32_t d) {
  if (d >= 0 && d < DB_COUNT) {
    const SelWindowRec &w = SelWindow;
    if (w.given == 1)
      SelWindow.cells = cel_rect(d, w.xmin, w.ymin, w.xmax, w.ymax);
    else if ((w.relation == 1 && w.partial == 0) || (w.relation == 2 && w.partial == 1))
      SelWindow.cells = 0xF99F;
  }
  return walk(WINDOW2, 0, nullptr, d);
}

int32_t sel_fence(int32_t n, const double *points, int32_t d) {
  SelWindow.given = 1;
  if (n < 3 || n > 0x7FFF || !points)
    return SelectionList.count;
  pck_hooks().waitcur();
  double x0 = 9999.9, y0 = 9999.9, x1 = 0.0, y1 = 0.0;
  for (int32_t i = 0; i < n; ++i) {
    x0 = std::fmin(x0, points[2 * i]), x1 = std::fmax(x1, points[2 * i]);
    y0 = std::fmin(y0, points[2 * i + 1]), y1 = std::fmax(y1, points[2 * i + 1]);
  }
  if (d >= 0 && d < DB_COUNT)
    SelWindow.cells = cel_rect(d, x0, y0, x1, y1);
  const int32_t c = walk(FENCE, n, points, d);
  pck_hooks().waitcur();
  return c;
}

int sel_wintest(uint32_t e, const ElementRecord *r, uint32_t *mark) {
  *mark = 0;
  if (!r)
    return 1;
  const SelWindowRec &w = SelWindow;
  int rc = pretest(r);
  if (rc == 1)
    return 1;
  if (rc == 0) {
    const int pc = cellcheck(r->cells, w.given, w.relation, w.partial);
    if (pc != 2) {
      rc = pc;
    } else {
      if (!textof(e, &r))
        return 1;
      const int code = sel_winelm(r->kind, r, r->kind == CHR ? Str.data() : nullptr);
      if (code < 0)
        return 1;
      *mark = code == 1 ? SEL_PARTIAL : 0;
      rc = decide(code) ? 0 : 1;
    }
  } else {
    rc = 0;
  }
  return finalstep(r, rc);
}

int sel_fencetest(int n, const double *points, uint32_t e, const ElementRecord *r, uint32_t *mark) {
  *mark = 0;
  if (!r)
    return 1;
  int rc = pretest(r);
  if (rc == 1)
    return 1;
  if (rc == 0) {
    const int pc = cellcheck(r->cells, 1, SelWindow.relation == 2 ? 2 : 1, SelWindow.partial);
    if (pc != 2) {
      rc = pc;
    } else {
      if (!textof(e, &r))
        return 1;
      rc = fnc_elm(1, n, points, r, r->kind == CHR ? Str.data() : nullptr) == 0 ? 0 : 1;
    }
  } else {
    rc = 0;
  }
  return finalstep(r, rc);
}

namespace {
template <class Test> int grpwalk(const ElementRecord *g, Test test) {
  if (!g)
    return 1;
  const int32_t d = SelWindow.drawing;
  BudgetScope scope(d);
  if (Depth > GRP_DEPTHMAX)
    return 1;
  int32_t m = g->nod.child;
  while (elm_islink(m)) {
    if (Budget-- == 0)
      return 1;
    const ElementRecord *p = dtb_get(d, m);
    if (!p)
      return 1;
    if (p->flags & ELM_SKIP) {
      m = p->next;
      continue;
    }
    if (p->kind & NOD) {
      if (on_path(m) || PathLen >= GRP_DEPTHMAX)
        return 1;
      Path[PathLen++] = m;
      const int rc = test(uint32_t(m), p);
      --PathLen;
      if (rc)
        return 1;
    } else if (test(uint32_t(m), p)) {
      return 1;
    }
    m = p->next;
  }
  return 0;
}
} // namespace

int sel_wingrp(const ElementRecord *g) {
  return grpwalk(g, [](uint32_t m, const ElementRecord *p) {
    uint32_t mark;
    return p->kind & NOD ? sel_wingrp(p) : sel_wintest(m, p, &mark);
  });
}

int sel_fencegrp(int n, const double *points, const ElementRecord *g) {
  return grpwalk(g, [n, points](uint32_t m, const ElementRecord *p) {
    uint32_t mark;
    return p->kind & NOD ? sel_fencegrp(n, points, p) : sel_fencetest(n, points, m, p, &mark);
  });
}

int sel_grpok(const ElementRecord *r) {
  if (!r || (r->kind & NOD) || r->depth == 0)
    return r ? 0 : 1;
  const int32_t d = SelWindow.drawing;
  const uint8_t fs = ElmFilter.subkind;
  const ElementRecord *p = r->parent > 0 ? dtb_get(d, r->parent) : nullptr;
  if (!p)
    return 1;
  if (p->subkind & fs)
    return 0;
  if (r->depth == 1 || (fs & 6) != 6)
    return 1;
  const ElementRecord *gp = p->parent > 0 ? dtb_get(d, p->parent) : nullptr;
  return gp && (gp->subkind & fs) ? 0 : 1;
}

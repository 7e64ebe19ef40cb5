#include "select/selmask.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <unordered_set>
#include <vector>

#include "database/record.h"
#include "database/store.h"
#include "database/cells.h"
#include "geometry/geo.h"
#include "select/selpoly.h"
#include "settings/params.h"
#include "select/picksys.h"

namespace {

uint32_t FenceStatic[SEL_STATICCAP + 1] = {SEL_END};
uint32_t *FenceHeap = nullptr;
int32_t FenceWalk = 0;   // crossing and touching elements taken too
int32_t FenceStrict = 0; // only wholly inside, and lines and arcs of larger figures
uint16_t FenceCells = 0;
uint16_t LayerStates[64];

struct Fence {
  const double *p;
  int32_t n;
  int32_t d;
};

// Whether a line or arc meets the fence line anywhere.
bool touches(const Fence &f, const ElementRecord &r) {
  for (int32_t i = 0; i < f.n; ++i) {
    const int32_t j = (i + 1) % f.n;
    const GeoPoint a{f.p[2 * i], f.p[2 * i + 1]}, b{f.p[2 * j], f.p[2 * j + 1]};
    if (r.kind == LIN) {
      GeoPoint x;
      const GeoPoint s{r.lin.x1, r.lin.y1}, e{r.lin.x2, r.lin.y2};
      const int rc = fnc_segseg(s, e, a, b, &x);
      if (rc == 0 || (rc == 2 && (fnc_onseg(a, b, s) == 0 || fnc_onseg(a, b, e) == 0)))
        return true;
    } else {
      GeoPoint q1, q2;
      uint16_t cnt = 0;
      if (fnc_segcirc(a, b, GeoPoint{r.arc.cx, r.arc.cy}, r.arc.start, r.arc.end, r.arc.r, &q1, &q2, &cnt) > 0)
        return true;
    }
  }
  return false;
}

// 0 take, 1 reject.
int elmtest(const Fence &f, const ElementRecord &r) {
  if (r.layer < 64 && LayerStates[r.layer] < 2)
    return 1;
  if (r.cells && !(r.cells & FenceCells))
    return 1;
  const int rc = fnc_elm(2, f.n, f.p, &r, nullptr);
  if (rc < 0)
    return 1;
  if (FenceStrict)
    return rc == 0 ? 0 : 1;
  if (rc != 5)
    return 0;
  return FenceWalk && (r.kind == LIN || r.kind == ARC) && touches(f, r) ? 0 : 1;
}

// met: the nodes and members of this test so far. A chain from a file that loops
// back into itself or into an enclosing node ends where it meets one again, as
// element display ends it.
int grptest(int32_t d, const Fence &f, const ElementRecord &g, int depth, std::unordered_set<int32_t> &met) {
  if (depth > 10)
    return 1;
  int32_t m = g.nod.child;
  bool any = false;
  while (elm_islink(m)) {
    const ElementRecord *p = dtb_get(d, m);
    if (!p)
      return 1;
    if (!met.insert(m).second)
      break;
    if (!(p->flags & ELM_SKIP)) {
      int rc = p->kind & NOD ? grptest(d, f, *p, depth + 1, met) : elmtest(f, *p);
      if (rc)
        return 1;
      any = true;
    }
    m = p->next;
  }
  return any ? 0 : 1;
}

int grptest(int32_t d, const Fence &f, int32_t n, const ElementRecord &g) {
  std::unordered_set<int32_t> met{n};
  return grptest(d, f, g, 0, met);
}

bool skipped_sub(uint8_t s) { return s == 1 || s == 2 || s == 4 || s == 8; }

} // namespace

SelectionListRec FenceIdList = {FenceStatic, SEL_STATICCAP, 0, -1};

uint32_t *sel_block(uint32_t n, int32_t *capacity); // sizing shared with the selection list

uint32_t *fnc_alloc(uint32_t n) {
  fnc_free();
  int32_t cap = 0;
  if (uint32_t *b = sel_block(n, &cap)) {
    FenceHeap = b;
    FenceIdList.entries = b;
    FenceIdList.capacity = cap;
  }
  FenceIdList.entries[0] = SEL_END;
  return FenceIdList.entries;
}

int fnc_free() {
  std::free(FenceHeap);
  FenceHeap = nullptr;
  FenceIdList.entries = FenceStatic;
  FenceIdList.capacity = SEL_STATICCAP;
  FenceIdList.count = 0;
  FenceStatic[0] = SEL_END;
  return 0;
}

void fnc_modeon() { FenceWalk = 1; }
void fnc_modeoff() { FenceWalk = 0; }
void fnc_strict(int32_t on) { FenceStrict = on ? 1 : 0; }

int32_t fnc_collect(int32_t n, const double *points, int32_t d, int32_t start, uint32_t beforestart) {
  FenceIdList.count = 0;
  if (d < 0 || d >= DB_COUNT || n < 3 || n > 0x7FFF || !points)
    return 0;
  SelectionList.drawing = d;
  double x0 = 99999999.9, y0 = 99999999.9, x1 = -99999999.9, y1 = -99999999.9;
  for (int32_t i = 0; i < n; ++i) {
    x0 = std::min(x0, points[2 * i]), x1 = std::max(x1, points[2 * i]);
    y0 = std::min(y0, points[2 * i + 1]), y1 = std::max(y1, points[2 * i + 1]);
  }
  FenceCells = cel_rect(d, x0, y0, x1, y1);
  uint16_t cur = 0;
  if (sys_layer('r', d, &cur, LayerStates) != 0)
    std::fill(std::begin(LayerStates), std::end(LayerStates), uint16_t(2));
  const Fence f{points, n, d};

  int32_t first = 0, last = 0;
  if (start > 0) {
    if (const ElementRecord *s = dtb_get(d, start)) {
      first = last = start;
      int32_t c = s->kind == NOD ? s->nod.child : ELM_NONE;
      uint32_t budget = dtb_used(d) + 1;
      while (elm_islink(c) && budget--) {
        const ElementRecord *p = dtb_get(d, c);
        if (!p)
          break;
        last = std::max(last, c);
        c = p->next;
      }
    }
  }
  const int inmode = pck_hooks().inmode();
  const uint32_t base = DbCtl[d].base1;
  uint32_t walk = DbCtl[d].count1;
  if (beforestart)
    walk = start > 1 ? uint32_t(start - 1) : 0;
  for (uint32_t k = 0; k < walk && FenceIdList.count < FenceIdList.capacity; ++k) {
    const int32_t e = int32_t(base + k);
    if (e >= first && e <= last && first > 0)
      continue;
    const ElementRecord *p = dtb_get(d, e);
    if (!p || (p->flags & ELM_SKIP))
      continue;
    if ((p->kind & (ATR | MSKBOX)) || p->kind == PNT || p->kind == CHR)
      continue;
    if (skipped_sub(p->subkind) || skipped_sub(p->encsub))
      continue;
    const bool linarc = p->kind == LIN || p->kind == ARC;
    if (FenceStrict && linarc && p->members < 256)
      continue;
    if (inmode && linarc && p->encsub == 0) {
      const int lt = ((p->kind == LIN ? p->lin.attr : p->arc.attr) >> 4) & 15;
      if (lt == 6 || lt == 9)
        continue;
    }
    const int rc = p->kind & NOD ? grptest(d, f, e, *p) : elmtest(f, *p);
    if (rc == 0)
      FenceIdList.entries[FenceIdList.count++] = uint32_t(e);
  }
  return FenceIdList.count;
}

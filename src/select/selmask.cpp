#include "select/selmask.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_set>
#include <vector>

#include "database/record.h"
#include "database/store.h"
#include "geometry/geo.h"

namespace {

uint32_t FenceStatic[100] = {0xFFFFFFFEu};
uint32_t *FenceHeap = nullptr;
int32_t FenceWalk = 0;

constexpr int32_t FNC_MAX = 10000;
constexpr double TINY = 1e-6;

struct Fence {
  std::vector<GeoPoint> v;
  int32_t inside; // side value of an inner point
};

// Side of q for every edge: -1 / 1 consistently strictly inside, 0 otherwise.
bool strictly_in(const Fence &f, const GeoPoint &q) {
  const std::size_t n = f.v.size();
  for (std::size_t i = 0; i < n; ++i) {
    int32_t s = 0;
    geo_side(&f.v[i], &f.v[(i + 1) % n], &q, &s);
    if (s != f.inside)
      return false;
  }
  return true;
}

bool in_or_on(const Fence &f, const GeoPoint &q) {
  const std::size_t n = f.v.size();
  for (std::size_t i = 0; i < n; ++i) {
    int32_t s = 0;
    geo_side(&f.v[i], &f.v[(i + 1) % n], &q, &s);
    if (s == -f.inside)
      return false;
  }
  return true;
}

// 0 take, 1 reject.
int elmtest(const Fence &f, const ElementRecord &r) {
  const std::size_t n = f.v.size();
  const uint16_t kind = r.kind & 7;
  bool part_in = false, touch = false;
  if (kind == LIN) {
    GeoPoint a{r.lin.x1, r.lin.y1}, b{r.lin.x2, r.lin.y2};
    std::vector<double> ts{0.0, 1.0};
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    for (std::size_t i = 0; i < n; ++i) {
      GeoPoint x;
      if (geo_lnln(&f.v[i], &f.v[(i + 1) % n], &a, &b, &x) == 0) {
        touch = true;
        if (len2 > 0)
          ts.push_back(std::clamp(((x.x - a.x) * dx + (x.y - a.y) * dy) / len2, 0.0, 1.0));
      }
    }
    std::sort(ts.begin(), ts.end());
    for (std::size_t i = 0; i + 1 < ts.size() && !part_in; ++i) {
      const double t = (ts[i] + ts[i + 1]) / 2;
      part_in = strictly_in(f, GeoPoint{a.x + dx * t, a.y + dy * t});
    }
    touch = touch || in_or_on(f, a) || in_or_on(f, b);
  } else if (kind == ARC) {
    AngleRange ar{r.arc.start, r.arc.end};
    if (geo_angnorm(0, &ar.start, &ar.end) || !(r.arc.r > 0))
      return 1;
    const GeoPoint c{r.arc.cx, r.arc.cy};
    std::vector<double> as{ar.start, ar.end};
    for (std::size_t i = 0; i < n; ++i) {
      GeoPoint q[2];
      uint32_t cnt = 0;
      if (geo_segarc(&f.v[i], &f.v[(i + 1) % n], &c, r.arc.r, &ar, &q[0], &q[1], &cnt) || !cnt)
        continue;
      touch = true;
      for (uint32_t k = 0; k < cnt && k < 2; ++k) {
        double a = deg_atan2(q[k].y - c.y, q[k].x - c.x);
        while (a < ar.start)
          a += 360;
        while (a > ar.end)
          a -= 360;
        as.push_back(std::clamp(a, ar.start, ar.end));
      }
    }
    std::sort(as.begin(), as.end());
    auto at = [&](double a) { return GeoPoint{c.x + r.arc.r * deg_cos(a), c.y + r.arc.r * deg_sin(a)}; };
    for (std::size_t i = 0; i + 1 < as.size() && !part_in; ++i)
      part_in = strictly_in(f, at((as[i] + as[i + 1]) / 2));
    touch = touch || in_or_on(f, at(ar.start));
  } else {
    return 1;
  }
  return part_in || (FenceWalk && touch) ? 0 : 1;
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
    const ElementRecord *p = dtb_ptr(d, m);
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

SelectionListRec FenceIdList = {FenceStatic, 100, 0, -1};

uint32_t *fnc_alloc(uint32_t n) {
  fnc_free();
  if (n >= 1 && n <= uint32_t(FNC_MAX)) {
    FenceHeap = static_cast<uint32_t *>(std::calloc(n + 1, sizeof(uint32_t)));
    if (FenceHeap) {
      FenceIdList.entries = FenceHeap;
      FenceIdList.capacity = int32_t(n);
    }
  }
  FenceIdList.entries[0] = 0xFFFFFFFEu;
  return FenceIdList.entries;
}

int fnc_free() {
  std::free(FenceHeap);
  FenceHeap = nullptr;
  FenceIdList.entries = FenceStatic;
  FenceIdList.capacity = 100;
  FenceIdList.count = 0;
  FenceStatic[0] = 0xFFFFFFFEu;
  return 0;
}

void fnc_modeon() { FenceWalk = 1; }
void fnc_modeoff() { FenceWalk = 0; }

int32_t fnc_collect(int32_t n, const double *points, int32_t d, int32_t start, uint32_t beforestart) {
  FenceIdList.count = 0;
  if (d < 0 || d >= DB_COUNT || n < 3 || !points)
    return 0;
  SelectionList.drawing = d;
  Fence f;
  for (int32_t i = 0; i < n; ++i)
    f.v.push_back(GeoPoint{points[2 * i], points[2 * i + 1]});
  double area = 0;
  for (int32_t i = 0; i < n; ++i) {
    const GeoPoint &a = f.v[std::size_t(i)], &b = f.v[std::size_t((i + 1) % n)];
    area += a.x * b.y - b.x * a.y;
  }
  if (std::fabs(area) < TINY)
    return 0;
  f.inside = area > 0 ? -1 : 1;

  int32_t first = 0, last = 0;
  if (start > 0) {
    if (const ElementRecord *s = dtb_ptr(d, start)) {
      first = last = start;
      int32_t c = s->kind == NOD ? s->nod.child : ELM_NONE;
      uint32_t budget = dtb_used(d) + 1;
      while (elm_islink(c) && budget--) {
        const ElementRecord *p = dtb_ptr(d, c);
        if (!p)
          break;
        last = std::max(last, c);
        c = p->next;
      }
    }
  }
  const uint32_t base = DbCtl[d].base1;
  uint32_t walk = DbCtl[d].count1;
  if (beforestart)
    walk = start > 1 ? uint32_t(start - 1) : 0;
  for (uint32_t k = 0; k < walk && FenceIdList.count < FenceIdList.capacity; ++k) {
    const int32_t e = int32_t(base + k);
    if (e >= first && e <= last && first > 0)
      continue;
    const ElementRecord *p = dtb_ptr(d, e);
    if (!p || (p->flags & ELM_SKIP))
      continue;
    if ((p->kind & (ATR | MSKBOX)) || p->kind == PNT || p->kind == CHR)
      continue;
    if (skipped_sub(p->subkind) || skipped_sub(p->encsub))
      continue;
    const int rc = p->kind & NOD ? grptest(d, f, e, *p) : elmtest(f, *p);
    if (rc == 0)
      FenceIdList.entries[FenceIdList.count++] = uint32_t(e);
  }
  return FenceIdList.count;
}

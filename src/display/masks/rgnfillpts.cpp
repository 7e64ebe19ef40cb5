#include "display/masks/rgnfillpts.h"

#include <cmath>

#include "database/store.h"

int32_t ArcStep = 5;

int32_t rgn_capacity() { return ArcStep > 0 && ArcStep <= 360 ? RGN_CHAINS * (360 / ArcStep + 1) : 0; }

int rgn_elmpts(const ElementRecord *rec, int32_t *count, GeoPoint *pts, int32_t room) {
  *count = 0;
  if (rec->kind == LIN) {
    if (room < 1)
      return 1;
    pts[0] = GeoPoint{rec->lin.x2, rec->lin.y2};
    *count = 1;
    return 0;
  }
  if (rec->kind != ARC || ArcStep <= 0)
    return 1;
  const ArcBody &a = rec->arc;
  const double sweep = a.end - a.start;
  if (!std::isfinite(sweep) || !std::isfinite(a.r))
    return 1;
  if (std::fabs(sweep) > double(room) * ArcStep + ArcStep)
    return 1;
  const int32_t n = int32_t(std::trunc(sweep)) / ArcStep;
  const bool back = (a.attr & 0x8000) != 0;
  const double from = back ? a.end : a.start, to = back ? a.start : a.end, dir = back ? -1 : 1;
  const bool tail = sweep - double(n) * ArcStep > 0;
  if (n + (tail ? 1 : 0) > room)
    return 1;
  int32_t k = 0;
  for (int32_t i = 1; i <= n; ++i) {
    const double t = from + dir * i * ArcStep;
    pts[k++] = GeoPoint{a.cx + a.r * deg_cos(t), a.cy + a.r * deg_sin(t)};
  }
  if (tail)
    pts[k++] = GeoPoint{a.cx + a.r * deg_cos(to), a.cy + a.r * deg_sin(to)};
  *count = k;
  return 0;
}

int rgn_chain(int d, const ElementRecord *node, int32_t *count, GeoPoint *pts, int32_t room, int32_t *pen) {
  *count = 0;
  int32_t c = node->nod.child;
  const ElementRecord *first = dtb_get(d, c);
  if (!first)
    return 1;
  if (first->kind == LIN)
    *pen = first->lin.attr & 0xF;
  else if (first->kind == ARC)
    *pen = first->arc.attr & 0xF;
  uint32_t budget = dtb_used(d) + 1; // a cyclic chain from a file ends here
  while (elm_islink(c) && budget--) {
    const ElementRecord *p = dtb_get(d, c);
    if (!p)
      break;
    if (p->flags < ELM_ERASED && (p->kind == LIN || p->kind == ARC)) {
      int32_t n = 0;
      if (rgn_elmpts(p, &n, pts + *count, room - *count) != 0)
        return 1;
      *count += n;
    }
    c = p->next;
  }
  return 0;
}

int32_t rgn_chains(int d, const ElementRecord *node, int32_t list[RGN_CHAINS]) {
  int32_t n = 0;
  int32_t c = node->nod.child;
  uint32_t budget = dtb_used(d) + 1;
  while (elm_islink(c) && budget--) {
    const ElementRecord *p = dtb_get(d, c);
    if (!p)
      return -1;
    if (!(p->flags & ELM_SKIP)) {
      if (!(p->kind & NOD)) {
        list[0] = 0; // lines and arcs: the node is a chain itself
        return n ? n : 1;
      }
      if (n >= RGN_CHAINS)
        return -1;
      list[n++] = c;
    }
    c = p->next;
  }
  return n;
}

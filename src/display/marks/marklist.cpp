#include "display/marks/marklist.h"

#include <cmath>
#include <cstdarg>
#include <cstring>

#include "display/view/view.h"

TempMarkListRecord TempMarkList = {MARK_MAX, 0, {}};
MarkDrawFn MarkDraw = mrk_draw;
MarkViewsFn MarkViews = mrk_views;

namespace {

// Draws one mark with its drawing made current for the while.
void draw(const TempMark &m, uint32_t views) {
  const int was = dwg_setcur(m.dwg);
  if (MarkDraw)
    MarkDraw(m.dwg, views, m.x, m.y);
  dwg_setcur(was);
}

int32_t find(int32_t d, double x, double y, bool strict) {
  for (uint32_t i = 0; i < TempMarkList.count && i < MARK_MAX; ++i) {
    const TempMark &m = TempMarkList.mark[i];
    const double dx = std::fabs(m.x - x), dy = std::fabs(m.y - y);
    if (m.dwg == d && (strict ? dx < 1e-8 && dy < 1e-8 : dx <= 1e-8 && dy <= 1e-8))
      return int32_t(i);
  }
  return -1;
}

} // namespace

int mrk_list(uint32_t op, ...) {
  TempMarkListRecord &L = TempMarkList;
  if (L.count > MARK_MAX)
    L.count = MARK_MAX;
  va_list ap;
  va_start(ap, op);
  int rc = 0;
  switch (op) {
  case 0:
    L.count = 0;
    L.capacity = MARK_MAX;
    break;
  case 1:
    for (uint32_t i = 0; i < L.count; ++i)
      draw(L.mark[i], L.mark[i].views);
    break;
  case 2: {
    const int32_t d = va_arg(ap, int32_t);
    const double x = va_arg(ap, double), y = va_arg(ap, double);
    if (L.count + 1 > L.capacity || L.count + 1 > MARK_MAX) {
      rc = 1;
    } else if (d == 0 || d == 1) {
      const TempMark m{d, MarkViews ? MarkViews(d) : 0, x, y};
      draw(m, m.views);
      L.mark[L.count++] = m;
    }
    break;
  }
  case 3:
    if (L.count == 0) {
      rc = 2;
    } else {
      --L.count;
      draw(L.mark[L.count], L.mark[L.count].views);
    }
    break;
  case 4: {
    const int32_t d = va_arg(ap, int32_t);
    const double x = va_arg(ap, double), y = va_arg(ap, double);
    if (L.count == 0) {
      rc = 2;
      break;
    }
    const int32_t i = find(d, x, y, true);
    if (i < 0) {
      rc = 3;
      break;
    }
    draw(L.mark[i], L.mark[i].views);
    std::memmove(&L.mark[i], &L.mark[i + 1], sizeof(TempMark) * (L.count - uint32_t(i) - 1));
    --L.count;
    break;
  }
  case 5:
    for (uint32_t i = 0; i < L.count; ++i)
      draw(L.mark[i], L.mark[i].views);
    L.count = 0;
    break;
  case 6: {
    const int32_t d = va_arg(ap, int32_t), view = va_arg(ap, int32_t);
    if (view >= 0 && view < 32 && MarkDraw)
      for (uint32_t i = 0; i < L.count; ++i)
        if (L.mark[i].dwg == d)
          MarkDraw(d, 1u << view, L.mark[i].x, L.mark[i].y);
    break;
  }
  case 7:
    break;
  case 8: {
    const int32_t d = va_arg(ap, int32_t);
    const double x = va_arg(ap, double), y = va_arg(ap, double);
    rc = find(d, x, y, false);
    break;
  }
  case 9:
    L.count = 0;
    L.capacity = 0;
    break;
  default:
    rc = 5;
  }
  va_end(ap);
  return rc;
}

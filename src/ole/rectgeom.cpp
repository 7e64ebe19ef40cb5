#include "ole/rectgeom.h"

#include <cmath>
#include <cstring>

#include "settings/params.h"

namespace {

template <typename T> T get(const uint8_t *p, std::size_t off) {
  T v;
  std::memcpy(&v, p + off, sizeof v);
  return v;
}
template <typename T> void put(uint8_t *p, std::size_t off, T v) { std::memcpy(p + off, &v, sizeof v); }

bool ratioSet(int num, int den) { return num >= 1 && den >= 1; }

} // namespace

static_assert(RIT_STORED == 66, "stored item trailer is 66 bytes");
static_assert(sizeof(double) == 8 && sizeof(int32_t) == 4, "stored widths");

void rit_size(const RectItemGeom &g, int aspect, double *cx, double *cy) {
  *cx = aspect == RIT_ASPECT_ICON ? g.iconCx : g.contentCx;
  *cy = aspect == RIT_ASPECT_ICON ? g.iconCy : g.contentCy;
}

void rit_setsize(RectItemGeom *g, int aspect, double cx, double cy) {
  (aspect == RIT_ASPECT_ICON ? g->iconCx : g->contentCx) = cx;
  (aspect == RIT_ASPECT_ICON ? g->iconCy : g->contentCy) = cy;
}

void rit_extent(const RectItemGeom &g, int aspect, int32_t *cx, int32_t *cy) {
  *cx = aspect == RIT_ASPECT_ICON ? g.iconExtCx : g.contentExtCx;
  *cy = aspect == RIT_ASPECT_ICON ? g.iconExtCy : g.contentExtCy;
}

void rit_setextent(RectItemGeom *g, int aspect, int32_t cx, int32_t cy) {
  (aspect == RIT_ASPECT_ICON ? g->iconExtCx : g->contentExtCx) = cx;
  (aspect == RIT_ASPECT_ICON ? g->iconExtCy : g->contentExtCy) = cy;
}

void rit_rect(const RectItemGeom &g, int aspect, double r[4]) {
  double cx, cy;
  rit_size(g, aspect, &cx, &cy);
  r[0] = g.x;
  r[1] = g.y;
  r[2] = g.x + cx;
  r[3] = g.y - cy;
}

void rit_setrect(RectItemGeom *g, int aspect, const double r[4]) {
  g->x = r[0];
  g->y = r[1];
  rit_setsize(g, aspect, std::fabs(r[2] - r[0]), std::fabs(r[1] - r[3]));
}

int rit_ratio(int num, int den, double value, double *result) {
  if (!ratioSet(num, den)) {
    *result = value;
    return -3;
  }
  *result = value * num / den;
  return 0;
}

int ScaleByDrawingRatio(int dwg, double value, double *result) {
  SheetRecord s;
  if (dwg < 0 || sys_sheet('R', dwg, &s) != 0) {
    *result = value;
    return -2;
  }
  return rit_ratio(s.num, s.den, value, result);
}

void rit_extentsize(int32_t cx, int32_t cy, int num, int den, double *w, double *h) {
  if (!ratioSet(num, den))
    num = den = 1;
  const double ratio = double(num) / double(den);
  *w = (cx / 100.0) / ratio;
  *h = (-cy / 100.0) / ratio;
}

bool rit_takeextent(RectItemGeom *g, int aspect, int32_t cx, int32_t cy, int num, int den, bool inPlace) {
  int32_t ocx, ocy;
  rit_extent(*g, aspect, &ocx, &ocy);
  if (cx == ocx && cy == ocy) {
    g->extentKnown = 1;
    return false;
  }
  if (ocx == 0 && ocy == 0) {
    double w, h;
    rit_extentsize(cx, cy, num, den, &w, &h);
    rit_setsize(g, aspect, w, h);
  } else if (g->extentKnown && !inPlace) {
    double w, h;
    rit_size(*g, aspect, &w, &h);
    // An axis whose old extent is 0 has nothing to scale from.
    if (ocx != 0)
      w = w * cx / ocx;
    if (ocy != 0)
      h = h * cy / ocy;
    rit_setsize(g, aspect, w, h);
  }
  rit_setextent(g, aspect, cx, cy);
  g->extentKnown = 1;
  return true;
}

void rit_put(const RectItemGeom &g, uint8_t *out) {
  put<uint16_t>(out, 0, RIT_MARKER);
  const double d[6] = {g.x, g.y, g.iconCx, g.iconCy, g.contentCx, g.contentCy};
  for (int i = 0; i < 6; ++i)
    put<double>(out, 2 + 8 * std::size_t(i), d[i]);
  const int32_t e[4] = {g.iconExtCx, g.iconExtCy, g.contentExtCx, g.contentExtCy};
  for (int i = 0; i < 4; ++i)
    put<int32_t>(out, 50 + 4 * std::size_t(i), e[i]);
}

int rit_get(const uint8_t *in, RectItemGeom *g) {
  const uint16_t marker = get<uint16_t>(in, 0);
  double *d[6] = {&g->x, &g->y, &g->iconCx, &g->iconCy, &g->contentCx, &g->contentCy};
  for (int i = 0; i < 6; ++i)
    *d[i] = get<double>(in, 2 + 8 * std::size_t(i));
  int32_t *e[4] = {&g->iconExtCx, &g->iconExtCy, &g->contentExtCx, &g->contentExtCy};
  for (int i = 0; i < 4; ++i)
    *e[i] = get<int32_t>(in, 50 + 4 * std::size_t(i));
  g->layer = 0;
  g->extentKnown = 0;
  return marker == RIT_MARKER ? 1 : 0;
}

int rit_avoidoverlap(const double (*others)[4], std::size_t n, double r[4]) {
  auto same = [&](const double *o) {
    for (int k = 0; k < 4; ++k)
      if (!(std::fabs(o[k] - r[k]) < 1e-6))
        return false;
    return true;
  };
  int moves = 0;
  for (std::size_t i = 0; i < n;) {
    if (!same(others[i])) {
      ++i;
      continue;
    }
    if (std::size_t(moves) > n)
      break;
    const double was[4] = {r[0], r[1], r[2], r[3]};
    r[0] += 10.0;
    r[2] += 10.0;
    r[1] -= 10.0;
    r[3] -= 10.0;
    ++moves;
    if (r[0] == was[0] && r[1] == was[1] && r[2] == was[2] && r[3] == was[3])
      break;
    i = 0;
  }
  return moves;
}

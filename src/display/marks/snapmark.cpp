#include "display/marks/snapmark.h"

#include <cstring>
#include <initializer_list>

#include "display/marks/markshape.h"
#include "settings/appstate.h"

SnapMarkRecord SnapMark = {1, 0, 0, 0, {}, {}, -1};
uint32_t PickMode = 0;
const char *const PickModeNames[5] = {"自由点", "自動点", "参照点", "線上点", "ｸﾞﾘｯﾄﾞ"};
SnapSearchFn SnapSearch = nullptr; // the input layer fills it at load

namespace {

const uint32_t DefaultMap[][2] = {{1, 1}, {2, 2}, {3, 1}, {4, 3}, {5, 4}, {6, 1}};

struct Seg {
  int32_t a, b, c, d;
};

MarkShapePart line(Seg s) {
  MarkShapePart p{};
  p.type = 1;
  p.box = {s.a, s.b, s.c, s.d};
  return p;
}
MarkShapePart circle(int32_t r) {
  MarkShapePart p{};
  p.type = 2;
  p.arc.r = r;
  p.arc.start = 0;
  p.arc.end = 360;
  return p;
}
MarkShapePart blob(Seg s) {
  MarkShapePart p = line(s);
  p.type = 3;
  return p;
}

} // namespace

void snp_init() {
  std::memset(SnapMark.map, 0, sizeof SnapMark.map);
  int i = 0;
  for (const auto &m : DefaultMap) {
    SnapMark.map[i].kind = m[0];
    SnapMark.map[i].shape = m[1];
    ++i;
  }
  SnapMark.off = 1;
}

int snp_shape(int32_t shape, double x, double y) {
  SnapMark.x = x;
  SnapMark.y = y;
  if (shape < 1 || shape > SNAP_SHAPES)
    return 1;
  MarkShapePart p[MARK_SHAPE_PARTS] = {};
  int n = 0;
  auto add = [&](MarkShapePart part) { p[n++] = part; };
  switch (shape) {
  case 1:
    add(circle(5));
    break;
  case 2:
    add(circle(5));
    add(circle(3));
    break;
  case 3:
    for (Seg s : {Seg{-6, 0, 0, 6}, Seg{0, 6, 6, 0}, Seg{6, 0, 0, -6}, Seg{0, -6, -6, 0}})
      add(line(s));
    break;
  case 4:
    add(line({-5, 0, 6, 0}));
    add(line({0, -5, 0, 6}));
    break;
  case 5:
    for (Seg s : {Seg{-4, -4, -4, 4}, Seg{-4, 4, 4, 4}, Seg{4, 4, 4, -4}, Seg{4, -4, -4, -4}})
      add(line(s));
    break;
  case 6:
    for (Seg s : {Seg{5, 4, 0, -5}, Seg{0, -5, -5, 4}, Seg{-5, 4, 5, 4}})
      add(line(s));
    break;
  case 7:
    add(line({-4, -4, 6, 6}));
    add(line({-5, 5, 6, -5}));
    break;
  case 8:
    add(circle(5));
    add(line({-3, -3, 4, 4}));
    add(line({-3, 3, 4, -4}));
    break;
  case 9:
    add(circle(5));
    add(line({-4, 0, 5, 0}));
    add(line({0, -4, 0, 5}));
    break;
  case 10:
    add(circle(5));
    add(blob({-2, -2, 3, 3}));
    break;
  case 11:
    add(blob({-5, -5, 6, 6}));
    break;
  }
  std::memcpy(MarkShapeTable, p, sizeof p); // the parts after the last have type 0
  return 0;
}

int snp_point(int32_t dwg, int32_t view, int32_t, int32_t, double x, double y) {
  SnapMark.shape = 0;
  if (SnapMark.off)
    return 1;
  int32_t kind;
  switch (PickMode) {
  case 1:
    kind = 5;
    break;
  case 3:
    kind = 2;
    break;
  case 4:
    kind = 3;
    break;
  case 0:
  case 2:
  default:
    return 2;
  }
  uint32_t ptkind = 0;
  if (!SnapSearch || SnapSearch(dwg, view, kind, &ptkind, &x, &y) != 0)
    return 4;
  uint32_t shape = 0;
  for (int i = 0; i < SNAP_PAIRS && SnapMark.map[i].kind != 0; ++i)
    if (SnapMark.map[i].kind == ptkind)
      shape = SnapMark.map[i].shape; // the last match wins
  if (ptkind == 0 || shape == 0)
    return 5;
  SnapMark.shape = shape;
  return snp_shape(int32_t(shape), x, y) ? 6 : 0;
}

int snp_last(double *x, double *y) {
  if (SnapMark.off)
    return 0;
  *x = SnapMark.x;
  *y = SnapMark.y;
  return int(SnapMark.shape);
}

int snp_level(int32_t off) {
  const int32_t L = CmdLevel;
  if (L >= SNAP_LEVELS)
    return 1;
  if (L < 0) {
    std::memset(SnapMark.level, 0, sizeof SnapMark.level);
    SnapMark.off = 1;
    SnapMark.lastlevel = -1;
    return 0;
  }
  int32_t slot = L;
  const int32_t last = SnapMark.lastlevel;
  if (last > L && last < SNAP_LEVELS && SnapMark.level[last].saved)
    slot = last;
  if (off != 0 && off != 1)
    return 1;
  auto &s = SnapMark.level[slot];
  if (!s.saved) {
    s.off = SnapMark.off;
    s.saved = 1;
    SnapMark.lastlevel = slot;
    SnapMark.off = uint32_t(off);
  } else {
    SnapMark.off = s.off;
    for (int32_t i = slot; i < SNAP_LEVELS; ++i)
      SnapMark.level[i].saved = 0;
    SnapMark.lastlevel = -1;
  }
  return 0;
}

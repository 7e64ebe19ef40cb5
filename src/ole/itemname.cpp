#include "ole/itemname.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

bool digits(const char *b, const char *e, bool points) {
  if (b >= e)
    return false;
  for (; b < e; ++b)
    if (!((*b >= '0' && *b <= '9') || (points && *b == '.')))
      return false;
  return true;
}

// "(a,b)" at s followed by the character after; the two numbers' ranges.
bool pair(const char *s, char after, const char *&a, const char *&comma, const char *&close) {
  if (*s != '(')
    return false;
  close = std::strchr(s, ')');
  comma = std::strchr(s, ',');
  if (!close || !comma || comma > close || close[1] != after)
    return false;
  a = s + 1;
  return digits(a, comma, true) && digits(comma + 1, close, true);
}

// The whole text from b to e as a finite double.
bool to_double(const char *b, const char *e, double &v) {
  std::string t(b, e);
  char *end = nullptr;
  v = std::strtod(t.c_str(), &end);
  return end == t.c_str() + t.size() && std::isfinite(v);
}

bool to_extent(const char *b, const char *e, int32_t &v) {
  if (e - b > 9) {
    // Leading zeros aside, ten digits or more exceed the limit.
    while (b < e - 1 && *b == '0')
      ++b;
    if (e - b > 9)
      return false;
  }
  long n = 0;
  for (; b < e; ++b)
    n = n * 10 + (*b - '0');
  if (n > ITEM_MAX_EXTENT)
    return false;
  v = int32_t(n);
  return true;
}

} // namespace

void item_order(double r[4]) {
  if (r[0] > r[2])
    std::swap(r[0], r[2]);
  if (r[3] > r[1])
    std::swap(r[1], r[3]);
}

std::string item_fmtname(double x1, double y1, double x2, double y2, int32_t cx, int32_t cy) {
  double r[4] = {x1, y1, x2, y2};
  item_order(r);
  const char *fmt = "(%lf,%lf)-(%lf,%lf)!%d,%d";
  const int n = std::snprintf(nullptr, 0, fmt, r[0], r[1], r[2], r[3], int(cx), int(cy));
  std::string s(size_t(n > 0 ? n : 0), '\0');
  std::snprintf(s.data(), s.size() + 1, fmt, r[0], r[1], r[2], r[3], int(cx), int(cy));
  return s;
}

void item_extenttext(double x1, double y1, double x2, double y2, char out[ITEM_EXTENTTEXT_SIZE]) {
  // snprintf cuts at the block and always ends the text.
  std::snprintf(out, ITEM_EXTENTTEXT_SIZE, "<ORVIK FX (%lf, %lf)-(%lf, %lf)>", x1, y1, x2, y2);
}

bool item_parsename(const char *name, ItemNameParts &out) {
  if (!name)
    return false;
  const char *a1, *c1, *e1, *a2, *c2, *e2;
  if (!pair(name, '-', a1, c1, e1) || !pair(e1 + 2, '!', a2, c2, e2))
    return false;
  const char *bang = std::strchr(name, '!');
  const char *comma = bang ? std::strchr(bang, ',') : nullptr;
  const char *end = name + std::strlen(name);
  if (!comma || !digits(bang + 1, comma, false) || !digits(comma + 1, end, false))
    return false;
  ItemNameParts p;
  if (!to_double(a1, c1, p.x1) || !to_double(c1 + 1, e1, p.y1) || !to_double(a2, c2, p.x2) ||
      !to_double(c2 + 1, e2, p.y2) || !to_extent(bang + 1, comma, p.cx) || !to_extent(comma + 1, end, p.cy))
    return false;
  out = p;
  return true;
}

void item_sheetextent(int32_t cx, double w, double h, int32_t &outCx, int32_t &outCy) {
  const double aw = std::fabs(w), ah = std::fabs(h);
  const double cy = aw > 0 ? std::trunc(double(cx) * ah / aw) : NAN;
  if (!(std::isfinite(cy) && cy >= -2147483648.0 && cy <= 2147483647.0)) {
    outCx = ITEM_DEFAULT_CX, outCy = ITEM_DEFAULT_CY;
    return;
  }
  outCx = cx, outCy = int32_t(cy);
}

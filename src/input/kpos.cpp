#include "input/kpos.h"

#include <cmath>

#include "input/calc.h"

namespace {
const char *skip(const char *p) {
  while (*p == ' ' || *p == '\t')
    ++p;
  return p;
}
constexpr double TO_RAD = 0.017453292519943295;

// Finite values that add up beyond the range of a double (a far point, a large scale)
// void the line like a value that cannot be evaluated.
int place(double nx, double ny, double *x, double *y) {
  if (!std::isfinite(nx) || !std::isfinite(ny))
    return KPOS_VOID;
  *x = nx;
  *y = ny;
  return KPOS_MOVED;
}
} // namespace

void kpos_parse(const char *line, int markers, KposLine *out) {
  *out = KposLine{};
  const char *p = skip(line);
  if (*p == '@') {
    out->absolute = 1;
    p = skip(p + 1);
  }
  if (*p == 'r' || *p == 'R') {
    out->fromref = 1;
    p = skip(p + 1);
  }
  bool comma = false; // the last component ended at a ','
  for (int k = 0; k < 2; ++k) {
    p = skip(p);
    if (*p == '\0' || (*p == ';' && p[1] == '\0')) {
      if (comma)
        ++out->count; // nothing after the ',': an empty component
      break;
    }
    double v = 0;
    comma = false;
    if (*p == ',') {
      ++p;
      comma = true;
    } else {
      if (clc_eval(0, &p, &v) != 0) {
        out->error = 1;
        return;
      }
      p = skip(p);
      if (markers && (*p == 'd' || *p == 'D')) {
        if (out->angle == 0)
          out->angle = k + 1;
        p = skip(p + 1);
      }
      if (*p == ',') {
        ++p;
        comma = true;
      }
    }
    (k == 0 ? out->a : out->b) = v;
    ++out->count;
  }
  p = skip(p);
  out->more = *p == ';' && p[1] == '\0';
}

int kpos_apply(const KposLine &l, int code, double scale, double refx, double refy, double *x, double *y) {
  if (l.error)
    return KPOS_VOID;
  double bx = *x, by = *y, s = scale;
  if (l.absolute) {
    bx = by = 0;
    s = 1;
  }
  if (l.fromref) {
    bx = refx;
    by = refy;
  }
  if (l.count == 1) {
    double dx = 0, dy = 0;
    switch (code) {
    case 28: dx = l.a * s; break;
    case 29: dx = -l.a * s; break;
    case 30: dy = l.a * s; break;
    case 31: dy = -l.a * s; break;
    default: return KPOS_VOID;
    }
    return place(bx + dx, by + dy, x, y);
  }
  if (l.count != 2 || (code != 13 && code != 500))
    return KPOS_STAY;
  double dx, dy;
  if (l.angle == 0) {
    dx = l.a;
    dy = l.b;
  } else {
    const double deg = l.angle == 1 ? l.a : l.b, dist = l.angle == 1 ? l.b : l.a;
    if (dist == 0)
      return KPOS_VOID;
    dx = std::cos(deg * TO_RAD) * dist;
    dy = std::sin(deg * TO_RAD) * dist;
  }
  return place(bx + dx * s, by + dy * s, x, y);
}

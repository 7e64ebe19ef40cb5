#include "display/view/view.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

#include "database/drawcalls.h"
#include "settings/dbgtrace.h"
#include "settings/params.h"

DrawXformRecord DrawXform;

namespace {
PaintCallback PaintStack[PAINT_STACK_MAX];
int paintcount = 0;

double clampdev(double v) {
  if (std::isnan(v))
    return 0.0;
  return v < -DEV_LIMIT ? -DEV_LIMIT : (v > DEV_LIMIT ? DEV_LIMIT : v);
}
} // namespace

int32_t dev_trunc(double v) { return static_cast<int32_t>(clampdev(v)); }
int32_t dev_ceil(double v) { return static_cast<int32_t>(std::ceil(clampdev(v))); }

int drw_w2d(double x, double y, int32_t *px, int32_t *py) {
  const DrawXformRecord &t = DrawXform;
  *px = dev_trunc((x - t.sxmin) * t.xscale + 0.5) + t.left;
  *py = t.bottom - dev_trunc((y - t.symin) * t.yscale + 0.5);
  return 0;
}

int drw_d2w(int32_t px, int32_t py, double *x, double *y) {
  const DrawXformRecord &t = DrawXform;
  *x = (static_cast<double>(px) - t.left) / t.xscale + t.sxmin;
  *y = t.symax - (static_cast<double>(py) - t.top) / t.yscale;
  return 0;
}

int vxf_setwin(ViewXform &xf, int dwg, uint32_t flags, double x1, double y1, double x2, double y2) {
  if (x1 > x2)
    std::swap(x1, x2);
  if (y1 > y2)
    std::swap(y1, y2);
  const double w = static_cast<double>(xf.right) - xf.left;
  const double h = static_cast<double>(xf.bottom) - xf.top;
  double dx = x2 - x1, dy = y2 - y1;
  if (w < 1 || h < 1 || !(dx > 0.0001) || !(dy > 0.0001))
    return -2;
  // An extent that overflows, or one that does once widened to the device's
  // aspect, would make every later conversion infinite or NaN.
  if (!std::isfinite(dx) || !std::isfinite(dy))
    return -2;
  const double rx1 = x1, ry1 = y1, rx2 = x2, ry2 = y2;
  if (dx / w > dy / h) {
    const double cy = (y1 + y2) / 2;
    dy = h * dx / w;
    y1 = cy - dy / 2;
    y2 = cy + dy / 2;
  } else {
    const double cx = (x1 + x2) / 2;
    dx = w * dy / h;
    x1 = cx - dx / 2;
    x2 = cx + dx / 2;
  }
  if (!std::isfinite(x1) || !std::isfinite(x2) || !std::isfinite(y1) || !std::isfinite(y2) || !(w / dx > 0) ||
      !(h / dy > 0) || !std::isfinite(w / dx) || !std::isfinite(h / dy))
    return -2;
  if (!(flags & 1)) {
    xf.rxmin = rx1;
    xf.rymin = ry1;
    xf.rxmax = rx2;
    xf.rymax = ry2;
  }
  xf.sxmin = x1;
  xf.symin = y1;
  xf.sxmax = x2;
  xf.symax = y2;
  xf.xscale = w / dx;
  xf.yscale = h / dy;

  int16_t rcog = 0, dot = 0;
  sys_rcogprm('r', &rcog, &dot, nullptr);
  xf.aperture = dx / w * rcog;
  xf.dotsize = dx / w * dot;
  DimAttrs dim;
  const int old = dwg_setcur(dwg); // the end-mark sizes are the view's drawing's
  sys_dimatr('r', &dim);
  dwg_setcur(old);
  float arrow, circle;
  std::memcpy(&arrow, reinterpret_cast<const char *>(&dim) + 34, 4);
  std::memcpy(&circle, reinterpret_cast<const char *>(&dim) + 38, 4);
  const double c15 = std::cos(15.0 * std::numbers::pi / 180.0), s15 = std::sin(15.0 * std::numbers::pi / 180.0);
  xf.arrowlen = arrow;
  xf.circler = circle;
  xf.arrowcos = xf.arrowlen * c15;
  xf.arrowsin = xf.arrowlen * s15;
  return 0;
}

void vxf_w2dev(const ViewXform &xf, double x, double y, int32_t *px, int32_t *py) {
  *px = dev_ceil(xf.left + (x - xf.sxmin) * xf.xscale);
  *py = dev_ceil(xf.bottom - (y - xf.symin) * xf.yscale);
}

void vxf_dev2w(const ViewXform &xf, int32_t px, int32_t py, double *x, double *y) {
  *x = (static_cast<double>(px) - xf.left) / xf.xscale + xf.sxmin;
  *y = xf.symax - (static_cast<double>(py) - xf.top) / xf.yscale;
}

int vxf_zoom(const ViewXform &xf, double factor, double mx, double my, double out[4]) {
  if (!(factor >= 0.0001 && factor <= 10000))
    return -1;
  out[0] = mx - (mx - xf.sxmin) * factor;
  out[2] = mx + (xf.sxmax - mx) * factor;
  out[1] = my - (my - xf.symin) * factor;
  out[3] = my + (xf.symax - my) * factor;
  const double w = out[2] - out[0], h = out[3] - out[1];
  if (!(w >= 0.001 && w <= 1e14 && h >= 0.001 && h <= 1e14))
    return -1;
  return 0;
}

void vxf_tocurrent(const ViewXform &xf) {
  DrawXformRecord &d = DrawXform;
  d.left = xf.left;
  d.top = xf.top;
  d.right = xf.right;
  d.bottom = xf.bottom;
  d.sxmin = xf.sxmin;
  d.symin = xf.symin;
  d.sxmax = xf.sxmax;
  d.symax = xf.symax;
  d.xscale = xf.xscale;
  d.yscale = xf.yscale;
  d.aperture = xf.aperture;
  d.rxmin = xf.rxmin;
  d.rymin = xf.rymin;
  d.rxmax = xf.rxmax;
  d.rymax = xf.rymax;
  d.arrowlen = xf.arrowlen;
  d.circler = xf.circler;
  d.arrowcos = xf.arrowcos;
  d.arrowsin = xf.arrowsin;
  d.dotsize = xf.dotsize;
}

int paintsub(uint32_t op, PaintCallback cb) {
  if (op == 0) {
    if (paintcount >= PAINT_STACK_MAX)
      return 1001;
    PaintStack[paintcount++] = cb;
    return 0;
  }
  if (!cb) {
    paintcount = 0;
    return 0;
  }
  int i = 0;
  while (i < paintcount && PaintStack[i] != cb)
    i++;
  if (i == paintcount)
    return -1;
  for (int j = i + 1, n = i; j < paintcount; j++, n++)
    dbg_trace("<paintsub> func %d, ptr=%p\n", n, reinterpret_cast<void *>(PaintStack[j]));
  paintcount = i;
  return 0;
}

int paintsub_run(int dwg, int view) {
  for (int i = 0; i < paintcount; i++) {
    int r = PaintStack[i](0, dwg, 1u << (view & 31));
    if (r != 0)
      return r;
  }
  return 0;
}

int paintsub_count() { return paintcount; }

// The element store sizes end-mark symbols by the current view. Filled while the
// program loads, with the transform they read.
namespace {
[[maybe_unused]] const bool marksizes_filled = [] {
  DbDraw.marksizes = [](double *arrowlen, double *circler) {
    *arrowlen = DrawXform.arrowlen;
    *circler = DrawXform.circler;
  };
  return true;
}();
} // namespace

#include "files/scale.h"

#include <cmath>
#include <cstring>

#include "display/view/view.h"

namespace {

double pick(double scale) { return scale == 0.0 ? scl_get() : scale; }

// A scale sizes can be divided and multiplied by: finite and not zero.
bool usable(double s) { return std::isfinite(s) && s != 0.0; }

// The ten further sizes of a DimAttrs, at fixed bytes of its stored layout.
constexpr int kDimMore[10] = {30, 34, 38, 42, 46, 50, 54, 58, 64, 70};

template <typename F> void each_more(DimAttrs *d, F f) {
  uint8_t *b = reinterpret_cast<uint8_t *>(d);
  for (int off : kDimMore) {
    float v;
    std::memcpy(&v, b + off, sizeof v);
    v = f(v);
    std::memcpy(b + off, &v, sizeof v);
  }
}

} // namespace

double scl_get() {
  SheetRecord s;
  if (sys_sheet('R', dwg_cur(), &s) != 0)
    return 1.0;
  return s.scale;
}

int scl_div3(float *v, double scale) {
  const double s = pick(scale);
  if (!usable(s))
    return 0;
  for (int i = 0; i < 3; ++i)
    if (double(v[i]) != SCL_UNSET)
      v[i] = float(double(v[i]) / s);
  return 1;
}

int scl_mul3(float *v, double scale) {
  const double s = pick(scale);
  if (!usable(s))
    return 0;
  for (int i = 0; i < 3; ++i)
    v[i] = float(double(v[i]) * s);
  return 1;
}

int scl_divrec(DimAttrs *d, double scale) {
  const double s = pick(scale);
  if (!usable(s))
    return 0;
  float v[3] = {d->f00, d->f04, 0};
  std::memcpy(&v[2], &d->u08, sizeof(float));
  scl_div3(v, s);
  d->f00 = v[0];
  d->f04 = v[1];
  std::memcpy(&d->u08, &v[2], sizeof(float));
  each_more(d, [s](float x) { return float(double(x) / s); });
  return 1;
}

int scl_mulrec(DimAttrs *d, double scale) {
  const double s = pick(scale);
  if (!usable(s))
    return 0;
  float v[3] = {d->f00, d->f04, 0};
  std::memcpy(&v[2], &d->u08, sizeof(float));
  scl_mul3(v, s);
  d->f00 = v[0];
  d->f04 = v[1];
  std::memcpy(&d->u08, &v[2], sizeof(float));
  each_more(d, [s](float x) { return float(double(x) * s); });
  return 1;
}

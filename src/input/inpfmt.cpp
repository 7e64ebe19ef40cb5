#include <cmath>
#include <cstdint>
#include <cstdio>

#include "input/inpkind.h"

namespace {

// A NaN never decides the scale; only the other value does.
bool beyond(double v, double limit) { return v > limit || v < -limit; }

void field(char *out, std::size_t size, double v) {
  if (std::isnan(v)) {
    std::snprintf(out, size, "%8s", "*");
    return;
  }
  v = std::trunc(v);
  const int32_t n = v >= 2147483647.0 ? INT32_MAX : v <= -2147483648.0 ? INT32_MIN : static_cast<int32_t>(v);
  std::snprintf(out, size, "%8ld", static_cast<long>(n));
}

} // namespace

void inp_posfmt(double x, double y, char *text, std::size_t size, uint32_t *unit) {
  double div = 1;
  uint32_t u = 0;
  if (beyond(x, 999999999999.0) || beyond(y, 999999999999.0)) {
    div = 1e9;
    u = 2;
  } else if (beyond(x, 999999999.0) || beyond(y, 999999999.0)) {
    div = 1e6;
    u = 6;
  } else if (beyond(x, 999999.0) || beyond(y, 999999.0)) {
    div = 1e3;
    u = 1;
  }
  char fx[16], fy[16];
  field(fx, sizeof fx, x / div);
  field(fy, sizeof fy, y / div);
  std::snprintf(text, size, "%s,%s", fx, fy);
  if (unit)
    *unit = u;
}

// No command can declare an input guide yet: there is no guide (mode 0), so no
// preview is drawn and points pass unchanged.
#include "input/rubber.h"

namespace {
int32_t shown = 0;
}

int rub_draw(uint32_t, int32_t, double, double, int32_t *poll) {
  if (poll)
    *poll = 0;
  return 0;
}

int rub_shown(int32_t n) { return shown = n; }

int rub_apply(double x, double y, double *outx, double *outy) {
  *outx = x;
  *outy = y;
  return 0;
}

#include "display/view.h"

DrawXformRecord DrawXform;

namespace {
int curdwg = 0;
int curvew = 0;
} // namespace

int dwg_cur() { return curdwg; }
int vew_cur() { return curvew; }

int dwg_setcur(int dwg) {
  int old = curdwg;
  if (dwg == 0 || dwg == 1)
    curdwg = dwg;
  return old;
}

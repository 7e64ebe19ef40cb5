#include "display/view.h"

namespace {
int curdwg = 0;
}

int dwg_cur() { return curdwg; }

int dwg_setcur(int dwg) {
  int old = curdwg;
  if (dwg == 0 || dwg == 1)
    curdwg = dwg;
  return old;
}

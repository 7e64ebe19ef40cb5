#include "select/picksys.h"

int pck_pendgetpnt(uint32_t, const uint32_t *, double *, double *, int32_t *dwg, int32_t *view) {
  if (dwg)
    *dwg = -1;
  if (view)
    *view = -1;
  return 800;
}

int32_t pck_pendpickdrw() { return -1; }

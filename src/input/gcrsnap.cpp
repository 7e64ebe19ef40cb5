#include "input/gcrsnap.h"

int gcr_snappnt(int32_t dwg, int32_t view, int32_t kind, uint32_t *, double *, double *) {
  if (kind < 1 || kind > 8)
    return 9;
  if (dwg < 0 || dwg > 1 || view < 0 || view > 15)
    return -1;
  return 1; // no element search yet: nothing is found
}

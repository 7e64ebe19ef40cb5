// The pick list is not built yet: the hover finds and highlights nothing.
#include "select/pickhover.h"

uint32_t PckHoverOff = 1;

int pck_hover(int32_t, int32_t, int32_t, int32_t, double, double) { return 0; }

int pck_hvend(int32_t, uint32_t viewmask, int32_t view) {
  if (PckHoverOff == 1)
    return 1;
  if (view < 0)
    return 2;
  if (view > 31 || !(viewmask & (1u << view)))
    return 3;
  return 0;
}

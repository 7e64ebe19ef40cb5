// Without windows (the native build) there are no views to draw marks into.
#ifndef _WIN32
#include "display/marks/marklist.h"

void mrk_draw(int32_t, uint32_t, double, double) {}
uint32_t mrk_views(int32_t) { return 0; }
#endif

#include "display/elements/elmdisp.h"

// Without windows no view is ever open, so a walk has nothing to draw into.
int dsp_elms(uint32_t, uint16_t, int32_t, uint32_t, int32_t, const int32_t *) { return 0; }

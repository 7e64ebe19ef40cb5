#include "display/elmdisp.h"

// No view window is opened before the views exist, so no view is open and
// there is nothing to draw into.
int dsp_elms(uint32_t, uint16_t, int32_t, uint32_t, int32_t, const int32_t *) { return 0; }

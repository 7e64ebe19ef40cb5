// Screen saving is not built yet: nothing is saved, so callers repaint instead.
#include "display/scrsave.h"

int scr_save(int32_t, int32_t, int32_t, int32_t) { return -1; }

int scr_restore(int32_t, int32_t, int32_t, uint32_t) { return -1; } // no slot is ever held

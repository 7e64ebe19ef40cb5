// Shell state that the engine touches: the path handed over for opening and the
// drawings' modified flags.
#pragma once

#include <cstdint>

constexpr int APP_PENDLEN = 264;

// File handed over by the command line or DDE for opening; empty when none.
extern char PendingOpenPath[APP_PENDLEN];

// Per drawing, bit 0 = modified since it was loaded or saved.
extern uint32_t DwgModFlags[2];

// The program-wide mode flag: while 1 the object snap takes the cursor point as it
// is and the snap mark finds nothing. 0 at start; nothing sets it yet.
extern uint32_t AppModeFlag;

// Shell state that the engine touches: the path handed over for opening and the
// program-wide mode flag.
#pragma once

#include <cstdint>

constexpr int APP_PENDLEN = 264;

// File handed over by the command line or DDE for opening; empty when none.
extern char PendingOpenPath[APP_PENDLEN];

// The program-wide mode flag: while 1 the object snap takes the cursor point as it
// is and the snap mark finds nothing. 0 at start; nothing sets it yet.
extern uint32_t AppModeFlag;

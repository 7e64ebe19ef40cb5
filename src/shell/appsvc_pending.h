// Shell state that the engine touches: the path handed over for opening and the
// drawings' modified flags.
#pragma once

#include <cstdint>

constexpr int APP_PENDLEN = 264;

// File handed over by the command line or DDE for opening; empty when none.
extern char PendingOpenPath[APP_PENDLEN];

// Per drawing, bit 0 = modified since it was loaded or saved.
extern uint32_t DwgModFlags[2];

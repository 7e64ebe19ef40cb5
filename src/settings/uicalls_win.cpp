#include "settings/uicalls.h"

// Constant-initialised: every slot is empty before any code of the program runs.
UiCalls UiHooks = {};

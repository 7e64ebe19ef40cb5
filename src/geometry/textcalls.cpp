#include "geometry/textcalls.h"

// Constant-initialised: the slot is empty before any code of the program runs.
TextCalls TextHooks = {};

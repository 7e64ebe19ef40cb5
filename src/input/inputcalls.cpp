#include "input/inputcalls.h"

// Constant-initialised: every slot is empty before any code of the program runs.
InputCalls InputUp = {};

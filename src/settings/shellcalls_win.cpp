#include "settings/shellcalls.h"

// Constant-initialised: every slot is empty before any code of the program runs.
ShellCalls ShellUp = {};

#include "database/drawcalls.h"

// Constant-initialised, so it is empty before any filler runs.
DrawCalls DbDraw = {};

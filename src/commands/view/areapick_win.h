// Picking the two corners of an area in the views, for the area copy and the object
// server's part of a drawing.
#pragma once

#include <cstdint>

#include "display/view/areacopy.h"

// Asks for two corners (the first in the drawings of firstmask, the second in the
// current drawing): 500 or 13 both taken, 27 cancelled, 800 the command was ended.
int clp_pickrect(uint32_t firstmask, AreaPick corners[2]);

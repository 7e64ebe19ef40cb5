// Hover highlight of the element under the cursor while a command picks.
#pragma once

#include <cstdint>

extern uint32_t PckHoverOff; // 1 turns the hover highlight off; 1 at start
int pck_hover(int32_t dwg, int32_t view, int32_t px, int32_t py, double x, double y);
// Removes it: 1 while switched off, 2 negative view, 3 view not in the mask, 0 removed.
int pck_hvend(int32_t dwg, uint32_t viewmask, int32_t view);

// Input guide and rubber-band preview services that point input uses.
#pragma once

#include <cstdint>

// Draws the preview of the current guide for the cursor point in one view of the
// current drawing (XOR: a second call at the same point removes it). *poll gets the
// input code that interrupted a long preview, 0 when none. 0.
int rub_draw(uint32_t viewmask, int32_t view, double x, double y, int32_t *poll);
// Sets the preview's shown count; returns it.
int rub_shown(int32_t n);
// The point constrained by the current guide. 0.
int rub_apply(double x, double y, double *outx, double *outy);

// Text layout measured in a Windows typeface on a device context.
#pragma once

#include <windows.h>

#include "geometry/text.h"

// The same walk as chr_layout with widths measured through the DC (null: chr_viewdc()).
// Always writes codes (CHR_CODEMAX bytes). 1 when every measurement succeeded, 0 when at
// least one fell back to an estimate.
int chr_layoutw(HDC dc, int face, uint16_t attr, double h, double w, double s, const char *text, ChrLayout *lay,
                char *codes);
// Size of a text in world units at the current view's scale. 1 measured, 0 estimated
// (or 0 with both outputs 0 when the font cannot be made).
int chr_extentw(HDC dc, int face, double height, double width, const char *text, double *outh, double *outw);

// The device context chr_layoutw measures on when given none: the current view's
// window, else the screen. Release with chr_releasedc.
HDC chr_viewdc();
void chr_releasedc(HDC dc);
// The output kind the GDI layer reads (1 and 4 printers, anything else the screen
// here), as the shell sets it around drawing.
int chr_outputkind();

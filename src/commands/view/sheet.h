// Changing a drawing's sheet and the sheet commands.
#pragma once

#include <cstdint>

// Mode 1 sets the sheet to width x height at numerator / denominator, the elements
// moved by (dx, dy), and records the change; mode 0 takes back the last change. 700
// done; 1 not done (nothing to take back, a record missing: nothing changed); 3 width
// and height both 0. The scale argument has no effect.
int dwg_chsheet(int mode, double dx, double dy, double width, double height, int dwg, int num, int den,
                double scale);

int32_t cm_sheetfit(); // 730 sheet fitted to the elements: 0 changed, 1 not
int32_t cm_sheetset(); // 731 new origin and sheet through the area-change dialog
int32_t cm_sheetref(); // 732 the sheet's reference point
int32_t cm_sheetrst(); // 733 take back the last change

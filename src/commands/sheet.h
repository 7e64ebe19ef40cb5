// Changing a drawing's sheet.
#pragma once

// Mode 1 sets the sheet to width x height at numerator / denominator, the elements
// moved by (dx, dy); mode 0 takes back the last change. 700 done; 1 not done;
// 3 width and height both 0. The scale argument has no effect.
int dwg_chsheet(int mode, double dx, double dy, double width, double height, int dwg, int num, int den,
                double scale);

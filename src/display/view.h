// View table: the two drawings' views and the current drawing and view.
#pragma once

int dwg_cur();           // current drawing, 0 or 1
int dwg_setcur(int dwg); // makes dwg current (0 or 1); gives the previous one

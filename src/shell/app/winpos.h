// The main frame's place on the screen, kept in the settings file (section SYSTEMU,
// keys WINDOW_SIZE "width,height" and WINDOW_POINT "left,top").
#pragma once

#include <windows.h>

#include <cstdint>

// -1 in all four means unset.
struct AppWinPos {
  int32_t width, height, left, top;
};
extern AppWinPos WinPos;

// 'R'/'r' reads the stored place into WinPos (unset when the size is not positive or
// the rectangle does not touch the desktop); 'W'/'w' stores the window's rectangle
// (the work area while it is maximised), 0 for a null window. 1 otherwise.
int app_winpos(HWND window, int op);
// The main frame's first rectangle: the stored one, else the work area (then stored in WinPos).
void app_initrect(POINT *pos, SIZE *size);

// Where the docked units, the drawing area and the message window go in the
// main frame's client area, worked out from sizes alone so that the window code
// only applies the result.
#pragma once

#include <cstdint>

constexpr int LAY_UNITS = 10;

struct LayRect {
  int left, top, right, bottom;
};

struct LayUnit {
  int docked; // non-zero: shown and placed by the layout (a missing window is not docked)
  int side;   // unit 0: 0 top, 1 bottom, 2 left, else right; bars 3, 4, 7: 1 top, 2 bottom, 3 left, 4 right
  int cx, cy; // current window size
};

struct LayPlace {
  int placed; // 0: leave the window where it is
  int x, y, cx, cy;
};

struct LayIn {
  LayRect client;  // the main frame's client rectangle
  int mesg_cy;     // the message window's current height
  uint32_t layout; // 0 the tool-bar layout, else the command-panel layout
  LayUnit unit[LAY_UNITS];
};

struct LayOut {
  LayPlace unit[LAY_UNITS];
  LayPlace mdi, mesg;
};

LayOut unit_layout(const LayIn &in);

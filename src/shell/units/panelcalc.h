// Sizes and button places of the command panel, worked out from the font and
// border metrics alone so that the window code only applies them.
#pragma once

#include <cstdint>

constexpr int PNL_BANK = 23;    // buttons per bank: Undo, Redo, Menu and 20 page buttons
constexpr int PNL_BUTTONS = 46; // both banks
constexpr int PNL_ID = 18000;   // control id of button 0

struct PanelMetrics {
  int cw, lh; // average character width; character height plus external leading
  int bx, by; // window border width and height
};

struct PanelScale {
  double sW, sH;
  int twobanks; // 0 one bank, 1 two banks
};

struct PanelPlace {
  int x, y, cx, cy;
};

// line: the line choice of unit 0 (anything but 0 means two banks); sizekind:
// BTNSIZEKIND0; sizerat: BTNSIZERAT0..2; cmdh, cmdv: CMDHWIDTH and CMDVWIDTH.
PanelScale pnl_scaleof(uint32_t line, uint32_t sizekind, const uint32_t sizerat[3], uint32_t cmdh, uint32_t cmdv);
// Height when docked at the top or bottom; width when docked at the left or right.
int pnl_heightof(const PanelMetrics &m, const PanelScale &s);
int pnl_widthof(const PanelMetrics &m, const PanelScale &s);
// Places of buttons 0..22 and, with two banks, 23..45 for side (0 top, 1 bottom,
// 2 left, 3 right, other values as 0). The number of places filled: 23 or 46.
int pnl_placeof(const PanelMetrics &m, const PanelScale &s, int side, PanelPlace out[PNL_BUTTONS]);

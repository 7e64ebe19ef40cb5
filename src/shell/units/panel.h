// The command panel: Undo, Redo, Menu and the page buttons of the menu file in
// one or two banks of owner-drawn buttons, docked at a side of the main frame.
#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/units/panelcalc.h"
#include "shell/units/units.h"

struct PanelButton {
  uint32_t pressed; // 0/1
  uint32_t shown;   // 0/1
  HWND window;
};
// Bank 0 holds buttons 0..22 (ids 18000..18022), bank 1 buttons 23..45.
extern PanelButton PanelButtons[2][PNL_BANK];
extern PanelMetrics PanelMetric; // measured once, kept while non-zero
extern PanelScale PanelScl;

// Receives a page or Menu press: slot number (button - 3), or -1 for Menu.
using PanelClick = int (*)(int n);

// Sets the scale, registers the classes and creates the panel as a visible child
// of the main frame with zero size. The window, or null.
HWND pnl_create(const UnitRecord *unit0);
// Destroys the panel and unregisters its classes. 1.
int pnl_destroy();
// Scale factors and bank flag from unit 0's line choice and the UNITINFO settings.
void pnl_scale();
// Records button n as pressed or released and repaints it when shown; 0 without
// main frame or panel or for a bad number, else 1.
int pnl_press(int n, int on);
// Sets button n's caption unless it is already that text (case not counted); an
// empty text always clears. 0 when refused.
int pnl_settext(int n, const char *text);
// op 0 hides, 1 shows, 2 disables, 3 enables button n; n below 0: the panel
// itself (op 0 also hides the first bank). 0 when refused.
int pnl_show(int n, int op);
void pnl_setclick(PanelClick handler);
int pnl_height();
int pnl_width();
// Places the buttons for unit 0's side in one batch. 0 when refused.
int pnl_arrbtn(const UnitRecord *unit0);
// 1 while the panel shows two banks.
int pnl_twobanks();

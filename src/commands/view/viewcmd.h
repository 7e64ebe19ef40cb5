// Handlers of the view, grid, sheet, settings and undo commands that the main
// frame's menu requests, and the start-up fill of the command table.
#pragma once

#include <windows.h>

#include <cstdint>

#include "geometry/geo.h"

int32_t cm_origview(); // 516 whole sheet
int32_t cm_redraw();   // 515
int32_t cm_zoomin();   // 504
int32_t cm_zoomout();  // 505
// Shows entry 1 of the drawing's zoom history in the current view (nothing with fewer
// than two entries); the menu's previous view.
int32_t cm_prevview();
int32_t cm_sheetrst(); // 733 take back the last sheet change; the menu's sheet reset
int32_t cm_gridorg();  // 710 grid base point
int32_t cm_gridena();  // 708 grid on
int32_t cm_griddis();  // 709 grid off
int32_t cm_gridsnap(); // 712 grid with grid-point pick mode
int32_t cm_griddlg();  // 711 grid settings dialog
int32_t cm_sheetset(); // 731 change the sheet
int32_t cm_exit();     // 380 closes the main window
int32_t dlg_syscmd();  // 755 system settings dialog
int32_t und_cmd();     // 405 undo the current drawing's last step
int32_t rdo_cmd();     // 406 redo
// The input-mode cycles without a command number: 0 -> 2, 1 -> 2, 2 -> 0; and
// 0 -> 1, 1 -> 0, 2 stays. 700.
int32_t cm_inmode2();
int32_t cm_inmode1();
// Enters the handlers the editor has into the command table.
void cmd_tableinit();
// Enters the view, grid, sheet and general commands.
void cm_viewtable();

// Per drawing the last six world windows of zooms by window or ratio, newest first.
constexpr int ZOOM_HISTORY = 6;
struct ZoomHistoryRecord {
  int32_t count; // entries held, 0..6
  double win[ZOOM_HISTORY][4]; // xmin, ymin, xmax, ymax
};
extern ZoomHistoryRecord ZoomHistory[2];
// Forgets the drawing's zoom windows (a new or opened drawing).
void vew_zoomclr(int dwg);

// Fits the view to a world box: device rectangle from its client area, the window
// set without storing it as requested, scroll bars to the middle, redrawn. 0, -1 no view.
int vew_fit(int dwg, int view, const GeoPoint &min, const GeoPoint &max);

// The dialog launcher the grid and sheet commands call (dlg_run); tests replace it.
extern INT_PTR (*ViewCmdDialog)(unsigned number, void *param, unsigned unused);

// Handlers of the view, grid, sheet, settings and undo commands that the main
// frame's menu requests, and the start-up fill of the command table.
#pragma once

#include <cstdint>

int32_t cm_origview(); // 516 whole sheet
int32_t cm_redraw();   // 515
int32_t cm_zoomin();   // 504
int32_t cm_zoomout();  // 505
int32_t cm_prevview(); // previous view
int32_t cm_sheetrst(); // 733 take back the last sheet change
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
// Enters the handlers the editor has into the command table.
void cmd_tableinit();

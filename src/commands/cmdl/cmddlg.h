// The dialog launcher of the commands, by dialog number.
#pragma once

#include <windows.h>

// Dialog numbers of dlg_run.
enum : unsigned {
  DLG_GRID = 0,      // template 104, parameter a GridRecord
  DLG_NEWFIG = 1,    // template 141 (also 16), parameter a NewFigParam
  DLG_TXTENTRY = 30, // template 1455, the text entry dialog's own text
  DLG_DATE = 31,     // template 1458, the date dialog's own choice
  DLG_SYSTEM = 32,   // template 1463, no parameter
};

// Runs the dialog of a number modally over the main window: the dialog's result
// (the grid dialog its base-point switch, the system settings 0; -1 cancelled), or
// 0 for a number without a dialog.
INT_PTR dlg_run(unsigned number, void *param, unsigned unused);

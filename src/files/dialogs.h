// The grid, text size, system settings and new-figure dialogs.
#pragma once

#include <windows.h>

#include "files/dlgfield.h"
#include "settings/params.h"

// The new-figure dialog's record (the caller's; in memory only).
struct NewFigParam {
  uint32_t kind; // 1 new figure; else the area change
  uint32_t dwg;
  DrawingEnvRecord env;
  char tplpath[262]; // the chosen template, else empty
  double rescale;    // new scale / old scale when a template was chosen
};

// Key-table entries 103 and 104 move the top line of the attribute box's dropped-down
// list up or down by one (down only while the top is below 48). 0.
int dlg_lstscrl(int index);

// Writes the value of the row of id into its control; the rows all.
void dlg_fldshow(HWND dialog, uint32_t id, const DlgField *table, int rows);
void dlg_fldshowall(HWND dialog, const DlgField *table, int rows);

// The text size dialog (template 1450) over the caller's TextSizeRecord (lParam):
// 1 OK (record written), 1401 its cancel button, 2 Esc; the record changes only on OK.
INT_PTR CALLBACK dlg_txtsize(HWND dialog, UINT message, WPARAM wp, LPARAM lp);
// The grid dialog (template 104) over the caller's GridRecord (lParam).
INT_PTR CALLBACK dlg_gridproc(HWND dialog, UINT message, WPARAM wp, LPARAM lp);
// The system settings dialog (template 1463).
INT_PTR CALLBACK dlg_sysproc(HWND dialog, UINT message, WPARAM wp, LPARAM lp);

// The background brush of the drawing windows' class from palette entry 15.
void dlg_setbkbrush();

// The new-figure dialog (template 141) over the caller's NewFigParam (lParam):
// 0 OK, -1 cancelled. The drawing's environment is written only on OK.
INT_PTR CALLBACK dlg_nfproc(HWND dialog, UINT message, WPARAM wp, LPARAM lp);
// PAPERSIZE_INDEX of section NEWFIGINFO: 'R' reads (0..11, else 3), 'W' writes *index. 0.
int dlg_nfprf(int op, int *index);

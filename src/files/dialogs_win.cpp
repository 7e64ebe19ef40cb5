#include "files/dialogs.h"

#include <cstdio>
#include <cstring>

#include "display/marks/grid.h"
#include "display/marks/grid_win.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "settings/msgout.h"
#include "files/dlgcalc.h"
#include "input/calc.h"
#include "input/keyin.h"
#include "settings/answers.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "settings/shellcalls.h"

namespace {

INT_PTR colour(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  return reinterpret_cast<INT_PTR>(win_ctlcolor(d, m, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)));
}

void limit(HWND d, int id, int n) { SendDlgItemMessageA(d, id, EM_LIMITTEXT, WPARAM(n), 0); }

void show(HWND d, int id, const char *format, double v) {
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  SetDlgItemTextA(d, id, text);
}

// The whole text of an edit as one expression; false when it is none.
bool evaluate(HWND d, int id, double *v) {
  char text[127] = "";
  GetDlgItemTextA(d, id, text, sizeof text);
  const char *p = text;
  if (clc_eval(0, &p, v) != 0)
    return false;
  while (*p == ' ' || *p == '\t')
    p++;
  return *p == '\0';
}

// --- grid -----------------------------------------------------------------------

GridRecord *GridRec;

void grid_show(HWND d) {
  const bool iso = GridRec->kind == 2;
  SetDlgItemTextA(d, 1008, iso ? "距離 ＝ " : " Ｘ  ＝ ");
  SetDlgItemTextA(d, 1009, iso ? "角度 ＝ " : " Ｙ  ＝ ");
  show(d, 1000, "%.3lf", GridRec->pitchx);
  if (iso)
    show(d, 1001, "%.6lf", GridRec->angle);
  else
    show(d, 1001, "%.3lf", GridRec->pitchy);
}

bool grid_ok(HWND d) {
  GridRecord g = *GridRec;
  g.mode = IsDlgButtonChecked(d, 1002) == BST_CHECKED ? 0 : 1;
  const uint32_t kind = IsDlgButtonChecked(d, 1004) == BST_CHECKED ? 1 : 2;
  g.picked = IsDlgButtonChecked(d, 1006) == BST_CHECKED ? 0 : 1;
  double first = 0, second = 0;
  if (!evaluate(d, 1000, &first)) {
    edt_selall(d, 1000);
    return false;
  }
  if (!evaluate(d, 1001, &second)) {
    edt_selall(d, 1001);
    return false;
  }
  if (const int bad = dlg_gridset(&g, kind, first, second)) {
    edt_selall(d, bad);
    return false;
  }
  *GridRec = g;
  return true;
}

// --- text size ------------------------------------------------------------------

TextSizeRecord TxtWork;
TextSizeRecord *TxtCaller;
DlgField TxtTable[DLG_TXTROWS];

bool txt_read(HWND d) {
  for (const DlgField &row : TxtTable) {
    char text[127] = "";
    GetDlgItemTextA(d, int(row.id), text, sizeof text);
    if (dlg_fldread(row.id, text, TxtTable, DLG_TXTROWS) != 0) {
      edt_selall(d, int(row.id));
      return false;
    }
  }
  return true;
}

// --- system settings ------------------------------------------------------------

constexpr int SYS_EDITS[4] = {1468, 1469, 1470, 1471};

bool sys_ok(HWND d) {
  RaruInfo info{};
  sys_sealinf('R', &info);
  info.backcolor = IsDlgButtonChecked(d, 1464) == BST_CHECKED ? 0 : 1;
  info.sealcolor = IsDlgButtonChecked(d, 1466) == BST_CHECKED ? 0 : 1;
  double v[4];
  for (int i = 0; i < 4; i++) {
    if (!evaluate(d, SYS_EDITS[i], &v[i]) || !dlg_syslenok(v[i])) {
      edt_selall(d, SYS_EDITS[i]);
      return false;
    }
  }
  info.areax = v[0], info.areay = v[1], info.gridx = v[2], info.gridy = v[3];
  if (sys_sealinf('W', &info) != 0)
    return false;
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.heading = "確認ボックス";
  q.text = "システムファイルに書き込みますか？";
  q.flags = MB_OKCANCEL;
  q.owner = d;
  if (ui_ask(q, [](const UiQuestion &x) {
        return MessageBoxA(static_cast<HWND>(x.owner), x.text, x.heading, x.flags);
      }) == IDOK)
    prf_writ(25);
  return true;
}

} // namespace

void dlg_fldshow(HWND dialog, uint32_t id, const DlgField *table, int rows) {
  const DlgField *row = dlg_fldfind(id, table, rows);
  char text[DLG_TEXTMAX + 64];
  if (row && dlg_fldtext(*row, text, sizeof text))
    SetDlgItemTextA(dialog, int(id), text);
}

void dlg_fldshowall(HWND dialog, const DlgField *table, int rows) {
  for (int i = 0; i < rows; i++)
    if (table[i].id || table[i].type)
      dlg_fldshow(dialog, table[i].id, table, rows);
}

INT_PTR CALLBACK dlg_gridproc(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  if (INT_PTR b = colour(d, m, wp, lp))
    return b;
  switch (m) {
  case WM_INITDIALOG:
    GridRec = reinterpret_cast<GridRecord *>(lp);
    grid_show(d);
    limit(d, 1000, 14);
    limit(d, 1001, 14);
    CheckRadioButton(d, 1002, 1003, 1002 + (GridRec->mode ? 1 : 0));
    CheckRadioButton(d, 1004, 1005, GridRec->kind == 2 ? 1005 : 1004);
    CheckRadioButton(d, 1006, 1007, 1006 + (GridRec->picked ? 1 : 0));
    win_center(d, 0);
    return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case 1004:
    case 1005: {
      const uint32_t kind = LOWORD(wp) == 1004 ? 1 : 2;
      if (kind != GridRec->kind) {
        GridRec->kind = kind; // the record's values for the new mode, not the typed ones
        grid_show(d);
      }
      return TRUE;
    }
    case IDOK:
      if (grid_ok(d))
        EndDialog(d, INT_PTR(GridRec->picked));
      return TRUE;
    case IDCANCEL:
      EndDialog(d, -1);
      return TRUE;
    }
    break;
  }
  return FALSE;
}

INT_PTR CALLBACK dlg_txtsize(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  if (INT_PTR b = colour(d, m, wp, lp))
    return b;
  switch (m) {
  case WM_INITDIALOG:
    std::memset(&TxtWork, 0, sizeof TxtWork);
    TxtCaller = reinterpret_cast<TextSizeRecord *>(lp);
    if (TxtCaller)
      std::memcpy(&TxtWork, TxtCaller, sizeof TxtWork);
    dlg_txttable(&TxtWork, TxtTable);
    for (const DlgField &row : TxtTable)
      limit(d, int(row.id), 8);
    dlg_fldshowall(d, TxtTable, DLG_TXTROWS);
    return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case IDOK:
      if (txt_read(d)) {
        if (TxtCaller)
          std::memcpy(TxtCaller, &TxtWork, sizeof TxtWork);
        EndDialog(d, 1);
      }
      return TRUE;
    case 1401:
      EndDialog(d, 1401);
      return TRUE;
    case IDCANCEL:
      EndDialog(d, 2);
      return TRUE;
    }
    break;
  }
  return FALSE;
}

INT_PTR CALLBACK dlg_sysproc(HWND d, UINT m, WPARAM wp, LPARAM lp) {
  if (INT_PTR b = colour(d, m, wp, lp))
    return b;
  switch (m) {
  case WM_INITDIALOG: {
    for (int id : SYS_EDITS)
      limit(d, id, 8);
    win_center(d, 0);
    RaruInfo info{};
    sys_sealinf('R', &info);
    CheckRadioButton(d, 1464, 1465, info.backcolor ? 1465 : 1464);
    CheckRadioButton(d, 1466, 1467, info.sealcolor ? 1467 : 1466);
    const double v[4] = {info.areax, info.areay, info.gridx, info.gridy};
    for (int i = 0; i < 4; i++)
      show(d, SYS_EDITS[i], "%0.3f", v[i]);
    return TRUE;
  }
  case WM_COMMAND:
    switch (LOWORD(wp)) {
    case IDOK:
      if (sys_ok(d))
        EndDialog(d, 0);
      return TRUE;
    case IDCANCEL:
      EndDialog(d, -1);
      return TRUE;
    }
    break;
  }
  return FALSE;
}

int dlg_lstscrl(int index) {
  // The layer list is the attribute box's only list that records being dropped down.
  HWND combo = ui_aboxlstopen() ? ui_aboxfield(0) : nullptr;
  if (!combo)
    return 0;
  const LRESULT top = SendMessageA(combo, CB_GETTOPINDEX, 0, 0);
  if (index == 103 && top >= 1)
    SendMessageA(combo, CB_SETTOPINDEX, WPARAM(top - 1), 0);
  else if (index == 104 && top >= 0 && top < 48)
    SendMessageA(combo, CB_SETTOPINDEX, WPARAM(top + 1), 0);
  return 0;
}

void dlg_setbkbrush() {
  for (int d = 0; d < 2; d++)
    for (int v = 0; v < 16; v++)
      if (HWND w = vew_hwnd(d, v)) {
        HBRUSH old = reinterpret_cast<HBRUSH>(SetClassLongPtrA(
            w, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(CreateSolidBrush(COLORREF(Palette[15])))));
        if (old)
          DeleteObject(old);
        return;
      }
}

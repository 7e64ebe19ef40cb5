// The commands' dialogs by number, and the system settings command.
#include "commands/cmdl/cmddlg.h"

#include "commands/view/sheet.h"
#include "commands/text/textcmd.h"
#include "commands/view/viewcmd.h"
#include "display/view/gdi.h"
#include "display/marks/grid.h"
#include "display/marks/grid_win.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/dialogs.h"
#include "files/dlgcalc.h"
#include "geometry/geo.h"
#include "settings/appwin.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/prefs.h"

INT_PTR dlg_run(unsigned number, void *param, unsigned) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  HWND owner = app_hmain();
  const LPARAM lp = reinterpret_cast<LPARAM>(param);
  switch (number) {
  case DLG_GRID:
    return DialogBoxParamA(inst, MAKEINTRESOURCEA(104), owner, dlg_gridproc, lp);
  case DLG_NEWFIG:
  case 16:
    return DialogBoxParamA(inst, MAKEINTRESOURCEA(141), owner, dlg_nfproc, lp);
  case DLG_SYSTEM:
    return DialogBoxParamA(inst, MAKEINTRESOURCEA(1463), owner, dlg_sysproc, lp);
  case DLG_TXTENTRY:
    return DialogBoxParamA(inst, MAKEINTRESOURCEA(1455), owner, txt_dlgproc, lp);
  case DLG_DATE:
    return DialogBoxParamA(inst, MAKEINTRESOURCEA(1458), owner, date_dlgproc, lp);
  default:
    return 0; // no dialog of that number here
  }
}

int32_t dlg_syscmd() {
  const int dwg = dwg_cur(), view = vew_cur();
  GridRecord buf{};
  grd_rec('R', uint32_t(dwg), &buf);
  if (dlg_run(DLG_SYSTEM, nullptr, 0) != -1) {
    RaruInfo info{};
    sys_sealinf('R', &info);
    dlg_palette(info.backcolor, info.sealcolor, Palette);
    COLORREF pens[PALETTE_COUNT];
    for (int i = 0; i < PALETTE_COUNT; i++)
      pens[i] = COLORREF(Palette[i]);
    gdi_palette(pens);
    dlg_setbkbrush();
    // The settings are kept; a sheet that could not follow is said, not hidden.
    if (dwg_chsheet(1, 0, 0, info.areax, info.areay, dwg, 1, 1, 1.0) != 700)
      msg_board(1, "%s", "図面の用紙を新しい大きさに変更できませんでした。");
    buf.pitchx = info.gridx;
    buf.pitchy = info.gridy;
    buf.a1x = deg_cos(0) * info.gridx;
    buf.a1y = deg_sin(0) * info.gridy;
    buf.a2x = deg_cos(270) * info.gridx;
    buf.a2y = deg_sin(270) * info.gridy;
    msg_disp(0, 0, 0, 0, 501);
    GridRecord stored{};
    grd_rec('R', uint32_t(dwg), &stored);
    if (stored.mode == 1 && stored.kind != 0)
      grd_onoff(uint32_t(dwg), 0);
    buf.mode = stored.mode;
    grd_rec('W', uint32_t(dwg), &buf);
    if (buf.mode == 1 && buf.kind != 0)
      grd_onoff(uint32_t(dwg), 1);
    msg_disp(0, 128, 0, 0, 0);
    dwg_setstate(dwg, DWG_MODIFIED);
  }
  vew_redraw(dwg, view);
  return 700;
}

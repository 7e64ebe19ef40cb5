// The view, grid, sheet and settings commands are not built yet: each says on the
// message board that its command number cannot be used, and changes nothing.
#include "commands/viewcmd.h"

#include "commands/cmdtable.h"
#include "commands/drawcmd.h"
#include "commands/quickset.h"
#include "display/view.h"
#include "database/dumpcmd.h"
#include "database/undo.h"
#include "files/filecmd.h"
#include "input/gcr.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "shell/appsvc.h"

namespace {
int32_t unavailable(int command) {
  msg_err(MSG_LITERAL, "コマンド番号 = %d は使用できません。", command);
  return 0;
}
} // namespace

int32_t cm_origview() { return unavailable(516); }
int32_t cm_redraw() { return unavailable(515); }
int32_t cm_zoomin() { return unavailable(504); }
int32_t cm_zoomout() { return unavailable(505); }
int32_t cm_prevview() { return unavailable(508); }
int32_t cm_sheetrst() { return unavailable(733); }
int32_t cm_gridorg() { return unavailable(710); }
int32_t cm_gridena() { return unavailable(708); }
int32_t cm_griddis() { return unavailable(709); }
int32_t cm_gridsnap() { return unavailable(712); }
int32_t cm_griddlg() { return unavailable(711); }
int32_t cm_sheetset() { return unavailable(731); }

int32_t cm_exit() {
  if (HWND w = app_hmain())
    PostMessageA(w, WM_CLOSE, 0, 0);
  return CMD_DONE;
}

int32_t und_cmd() {
  gcr_clrfb();
  und_exec(dwg_cur());
  return CMD_DONE;
}

int32_t rdo_cmd() {
  rdo_exec(dwg_cur());
  return CMD_DONE;
}

void cmd_tableinit() {
  struct Slot {
    int n;
    CmdHandler h;
  };
  static const Slot slots[] = {
      {300, [] { return int32_t(fil_newcmd()); }},
      {301, [] { return int32_t(fil_opencmd()); }},
      {302, [] { return int32_t(fil_closecmd()); }},
      {330, [] { return int32_t(fil_savecmd()); }},
      {331, [] { return int32_t(fil_regcmd()); }},
      {380, cm_exit},
      {405, und_cmd},
      {406, rdo_cmd},
      {504, cm_zoomin},
      {505, cm_zoomout},
      {515, cm_redraw},
      {516, cm_origview},
      {708, cm_gridena},
      {709, cm_griddis},
      {710, cm_gridorg},
      {711, cm_griddlg},
      {712, cm_gridsnap},
      {731, cm_sheetset},
      {733, cm_sheetrst},
      {755, dlg_syscmd},
      {1098, [] { return int32_t(dmp_cmd()); }},
  };
  for (const Slot &s : slots)
    if (!CommandTable[s.n])
      CommandTable[s.n] = s.h;
  cm_drawtable();
  cm_quicktable();
}

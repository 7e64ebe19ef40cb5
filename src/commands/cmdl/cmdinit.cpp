// Undo and redo of the menu, and the start-up fill of the command table.
#include "commands/view/viewcmd.h"

#include "commands/cmdl/cmdtable.h"
#include "commands/draw/drawcmd.h"
#include "commands/view/quickset.h"
#include "display/view/view.h"
#include "commands/view/dumpcmd.h"
#include "database/pack.h"
#include "database/undo.h"
#include "files/filecmd.h"
#include "input/gcr.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/appwin.h"

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
      {405, und_cmd},
      {406, rdo_cmd},
      {420, [] { return int32_t(dtb_packcmd()); }},
      {755, dlg_syscmd},
      {1098, [] { return int32_t(dmp_cmd()); }},
  };
  for (const Slot &s : slots)
    if (!CommandTable[s.n])
      CommandTable[s.n] = s.h;
  cm_viewtable();
  cm_drawtable();
  cm_quicktable();
}

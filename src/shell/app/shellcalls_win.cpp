// Fills the engine's table of window services with the shell's own functions. It
// runs while the program loads, so every program and test that links the shell has
// the table filled before main.
#include "settings/shellcalls.h"
#include "shell/units/abox.h"
#include "shell/units/keytable.h"
#include "shell/units/msgwin.h"
#include "shell/units/scmenu.h"
#include "shell/drawwin/viewwin.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  Shell.mesgline = &mesg_line;
  Shell.scmoff = &scm_off;
  Shell.keyxlate = &key_xlate;
  Shell.aboxrefresh = &abox_refresh;
  Shell.aboxlstopen = &abox_lstopen;
  Shell.aboxfield = &abox_field;
  Shell.active = &vwin_active;
  Shell.getid = &vwin_getid;
  Shell.setid = &vwin_setid;
  Shell.cursor = &vwin_cursor;
  Shell.curkind = &vwin_curkind;
  Shell.rdrag = &vwin_rdrag;
  Shell.draw = &vwin_draw;
  Shell.create = &vwin_create;
  Shell.bind = &BindViewToDrawing;
  Shell.scroll = &vwin_scroll;
  Shell.lastview = [] { return VwinLastView; };
  return true;
}();
} // namespace

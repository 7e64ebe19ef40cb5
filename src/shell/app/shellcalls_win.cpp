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
  ShellUp.mesgline = &mesg_line;
  ShellUp.scmoff = &scm_off;
  ShellUp.keyxlate = &key_xlate;
  ShellUp.aboxrefresh = &abox_refresh;
  ShellUp.aboxlstopen = &abox_lstopen;
  ShellUp.aboxfield = &abox_field;
  ShellUp.active = &vwin_active;
  ShellUp.getid = &vwin_getid;
  ShellUp.setid = &vwin_setid;
  ShellUp.cursor = &vwin_cursor;
  ShellUp.curkind = &vwin_curkind;
  ShellUp.rdrag = &vwin_rdrag;
  ShellUp.draw = &vwin_draw;
  ShellUp.create = &vwin_create;
  ShellUp.bind = &BindViewToDrawing;
  ShellUp.scroll = &vwin_scroll;
  ShellUp.lastview = [] { return VwinLastView; };
  return true;
}();
} // namespace

// Fills the commands' table of unit calls with the tool bars' and the attribute box's
// own functions while the program loads, so it is filled before main.
#include "commands/cmdl/unitcalls.h"
#include "shell/units/abox.h"
#include "shell/units/toolbar.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  CmdUnits.gridbtn = &tbar_gridbtn;
  CmdUnits.curattr = &abox_curattr;
  CmdUnits.settext = &abox_settext;
  return true;
}();
} // namespace

// Fills the input's table of upward calls with the command layer's own: the pump,
// the shortcut-menu mask and the partial-erase hover. It runs while the program
// loads, so the table is filled before main in the program and every test.
#include "commands/cmdl/cmdlevel.h"
#include "commands/cmdl/cmdtable.h"
#include "input/inputcalls.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  InputUp.pump = &cmd_pump;
  InputUp.smclear = &cmd_smclear;
  InputUp.smset = &cmd_smset;
  InputUp.seghover = &seg_hover;
  InputUp.seghvend = &seg_hvend;
  return true;
}();
} // namespace

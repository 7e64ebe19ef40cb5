// Fills the input's table of upward calls with the shell's own: whether a right click
// opens the shortcut menu, and the one-line editor. It runs while the program loads.
#include "commands/cmdl/cmdlevel.h"
#include "input/inputcalls.h"
#include "shell/units/ledit.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  InputUp.rmenuon = &cmd_rmenuon;
  InputUp.lineinput = &ledit_input;
  return true;
}();
} // namespace

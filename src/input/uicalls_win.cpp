// Fills settings' table with the message board and the number entry's decimals. It
// runs while the program loads, so every program and test has it filled before main.
#include "input/board.h"
#include "input/inpkind.h"
#include "settings/uicalls.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  UiHooks.board = [](const char *heading, const char *body, const COLORREF colours[5]) {
    brd_color(31, colours[0], colours[1], colours[2], colours[3], colours[4]);
    return brd_show(nullptr, heading, body);
  };
  UiHooks.numdecimals = [](uint32_t decimals) {
    uint32_t kind5[INP_KINDWORDS];
    inp_kind('r', 5, kind5);
    kind5[3] = decimals;
    inp_kind('w', 5, kind5);
  };
  return true;
}();
} // namespace

// The command line's and the zoom commands' per-drawing state, reset when the file
// commands take a slot for another drawing. Filled while the program loads.
#include "commands/cmdl/cmdl.h"
#include "commands/view/viewcmd.h"
#include "files/filecalls.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  FileUp.slotnew = &dde_slotnew;
  FileUp.zoomclr = &vew_zoomclr;
  return true;
}();
} // namespace

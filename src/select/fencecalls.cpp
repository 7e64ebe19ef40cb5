// Fills the display's fence table with the selection layer's fence collection. It
// runs while the program loads, so every program and test has it before main.
#include "display/masks/fencecalls.h"
#include "select/selmask.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  FenceCall.alloc = &fnc_alloc;
  FenceCall.release = &fnc_free;
  FenceCall.walk = [](bool on) { on ? fnc_modeon() : fnc_modeoff(); };
  FenceCall.collect = &fnc_collect;
  FenceCall.ids = []() -> const SelectionListRec * { return &FenceIdList; };
  return true;
}();
} // namespace

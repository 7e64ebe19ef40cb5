// The recent files and the tool bars follow the file commands. Filled while the
// program loads.
#include "files/filecalls.h"
#include "shell/units/menufile.h"
#include "shell/units/toolbar.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  FileUp.recent = [](const char *path) { mru_add(path); };
  FileUp.barsupd = [] {
    for (int b = 0; b < TBAR_COUNT; b++)
      tbar_create(b);
  };
  return true;
}();
} // namespace

// Fills settings' table with the prompt pop-up. It runs while the program loads, so
// every program and test has it filled before main.
#include "select/popup.h"
#include "settings/uicalls.h"

namespace {
[[maybe_unused]] const bool filled = [] {
  UiHooks.popup = [](int word, const char *text, const char *keys) {
    return selm_popup(word, text, 0, 0, keys, nullptr);
  };
  return true;
}();
} // namespace

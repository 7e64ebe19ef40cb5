#include "select/popup.h"

#include "settings/answers.h"
#include "shell/appsvc.h"

namespace {
// The pop-up window comes with the selection code; until then it cannot be created.
int show_popup(const UiQuestion &) { return app_hmdi() ? -2 : -1; }
} // namespace

int selm_popup(int, const char *text, int, int, const char *keys, int) {
  if (!text)
    return -1;
  UiQuestion q{};
  q.kind = UI_POPUP;
  q.text = text;
  q.keys = keys;
  return ui_ask(q, show_popup);
}

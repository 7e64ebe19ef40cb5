#include "settings/answers.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

UiResponder responder;

// Under the test runner (INK_NO_MODAL set) a question nobody scripted must not
// block the run: it is logged and answered the cautious way.
int unattended(const UiQuestion &q) {
  std::fprintf(stderr, "unanswered question (kind %d): %s: %s\n", q.kind, q.heading ? q.heading : "",
               q.text ? q.text : "");
  switch (q.kind) {
  case UI_MSGBOX:
    if ((q.flags & 0xF) == 4 /* MB_YESNO */ || (q.flags & 0xF) == 3 /* MB_YESNOCANCEL */)
      return (q.flags & 0xF) == 3 ? 2 /* IDCANCEL */ : 7 /* IDNO */;
    return (q.flags & 0xF) == 1 /* MB_OKCANCEL */ ? 2 /* IDCANCEL */ : 1 /* IDOK */;
  case UI_POPUP:
  case UI_BAR:
    return 27; // Esc
  case UI_DIALOG:
    return -1; // cancelled
  default:
    return 0;
  }
}

} // namespace

void ui_setresponder(UiResponder r) { responder = std::move(r); }

int ui_ask(const UiQuestion &q, int (*real)(const UiQuestion &)) {
  if (responder)
    return responder(q);
  if (std::getenv("INK_NO_MODAL"))
    return unattended(q);
  return real ? real(q) : -1;
}

#include <cstring>

#include "input/gcrsnap.h"
#include "settings/answers.h"

// Without windows nothing is drawn or shown; a question goes to the answers layer
// (unscripted: Esc, as no pop-up can be shown).
namespace {
void no_mark(int32_t, double, double, int32_t) {}
int no_popup(const UiQuestion &) { return 27; }
int ask(const char *text, const char *keys) {
  UiQuestion q{};
  q.kind = UI_POPUP;
  q.text = text;
  q.keys = keys;
  return ui_ask(q, no_popup);
}
void no_error(int) {}
void no_delay(uint32_t) {}
void nothing() {}
void no_show(int32_t, uint32_t, int32_t, int32_t) {}
void no_line(int op, int32_t *colour, char *text) {
  if (op == 'R' || op == 'r') {
    if (colour)
      *colour = 0;
    if (text)
      text[0] = '\0';
  }
}
// Without an attribute box the request is only held.
uint32_t Request[10] = {};
void request(int op, uint32_t words[10]) {
  if (op == 'R' || op == 'r')
    std::memcpy(words, Request, sizeof Request);
  else
    std::memcpy(Request, words, sizeof Request);
}
} // namespace

GcrSnapHooks gcr_snapplatform() {
  return GcrSnapHooks{no_mark, ask, no_error, no_delay, nothing, nothing, no_show, no_line, request};
}

#include <cstdio>
#include <cstring>

#include "select/picksys.h"
#include "settings/answers.h"
#include "settings/msgfile.h"

// Without windows: no view is open, nothing is drawn, and a question goes to the
// answers layer (unscripted: Esc, as no pop-up can be shown).
namespace {
int no_getpnt(uint32_t, const uint32_t *, double *, double *, int32_t *dwg, int32_t *view) {
  if (dwg)
    *dwg = -1;
  if (view)
    *view = -1;
  return 800; // as the get-point loop answers when no view is open
}
int32_t no_pickdrw() { return -1; }
int no_aperture(int32_t, int32_t, double *tol) {
  *tol = 0;
  return 1;
}
uint32_t no_views(int32_t) { return 0; }
int mode0() { return 0; }
void no_show(int32_t, int32_t, int32_t) {}
void no_prompt(int, va_list) {}
void nothing() {}
int no_popup(const UiQuestion &) { return 27; }
int ask(int n, const char *keys) {
  const char *t = msg_text(n ? n : 56);
  UiQuestion q{};
  q.kind = UI_POPUP;
  q.text = t ? t : "";
  q.keys = keys;
  return ui_ask(q, no_popup);
}
void no_error(int) {}
void no_delay(uint32_t) {}
void no_focus(int32_t, int32_t) {}
// Without a shell the step name lives here.
char StepName[64] = "";
void step(const char *name, char *keep) {
  if (keep)
    std::memcpy(keep, StepName, sizeof StepName);
  if (name) {
    std::strncpy(StepName, name, sizeof StepName - 1);
    StepName[sizeof StepName - 1] = '\0';
  }
}
void no_menumask(int32_t) {}
} // namespace

PickSysHooks pck_platform() {
  return PickSysHooks{no_getpnt, no_pickdrw, no_aperture, no_views, mode0,    no_show, no_prompt,
                      nothing,   ask,        no_error,    no_delay, nothing, no_focus, step, no_menumask, nothing};
}

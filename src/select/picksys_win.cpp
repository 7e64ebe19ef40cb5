#include <cstring>

#include "display/elements/elmdisp.h"
#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/inputcalls.h"
#include "select/picksys.h"
#include "settings/appstate.h"
#include "settings/msgout.h"
#include "settings/winutil.h"

namespace {
int getpnt(uint32_t flags, const uint32_t *masks, double *x, double *y, int32_t *dwg, int32_t *view) {
  return gcr_getpnt(static_cast<int>(flags), masks, x, y, dwg, view);
}
int32_t pickdrw() { return gcr_pickdrw(); }
int aperture(int32_t dwg, int32_t view, double *tol) {
  ViewXform xf{};
  *tol = 0;
  if (vew_frame('r', dwg, view, &xf) != 0 || !(vew_mask(dwg) & (1u << view)))
    return 1;
  *tol = xf.aperture;
  return 0;
}
uint32_t views(int32_t dwg) { return vew_mask(dwg); }
int inmode() { return sys_inmode(-1); }
void show(int32_t dwg, int32_t n, int32_t colour) {
  if (dwg < 0 || dwg > 1 || n < 1)
    return;
  const int old = dwg_setcur(dwg);
  dsp_elms(vew_mask(dwg), 0xFFFF, colour, uint32_t(n), 0);
  dwg_setcur(old);
}
void prompt(int n, va_list ap) { msg_vdisp(1, 0, 1, 1, n, ap); }
void clear() { msg_disp(1, 128, 1, 1, 0); }
int ask(int n, const char *keys) { return msg_prompt(0, n, keys); }
void error(int n) { msg_err(n); }
void delay(uint32_t ms) { sys_delay(ms); }
void waitcur() { win_waitcur(); }
void focus(int32_t dwg, int32_t view) {
  if (HWND w = vew_hwnd(dwg, view))
    SetFocus(w);
}
void step(const char *name, char *keep) {
  if (keep)
    std::memcpy(keep, HelpStepName, sizeof HelpStepName);
  if (name) {
    std::strncpy(HelpStepName, name, sizeof HelpStepName - 1);
    HelpStepName[sizeof HelpStepName - 1] = '\0';
  }
}
void clearline2() { msg_disp(2, 128, 0, 0, 0); }
void menumask(int32_t bits) {
  if (bits < 0)
    inc_smclear();
  else
    inc_smset(uint32_t(bits));
}
} // namespace

PickSysHooks pck_platform() {
  return PickSysHooks{getpnt, pickdrw, aperture, views, inmode,  show, prompt,
                      clear,  ask,     error,    delay, waitcur, focus, step, menumask, clearline2};
}

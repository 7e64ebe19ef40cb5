#include <cstring>

#include "display/elements/elmdisp_win.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/gcrsnap.h"
#include "input/inpkind.h"
#include "settings/msgout.h"
#include "settings/winutil.h"
#include "settings/shellcalls.h"

namespace {
void mark(int32_t dwg, double x, double y, int32_t attr) {
  if (dwg < 0 || dwg > 1)
    return;
  const int old = dwg_setcur(dwg);
  dsp_point(vew_mask(dwg), 2, 13, x, y, attr);
  dwg_setcur(old);
}
int ask(const char *text, const char *keys) { return msg_prompt(0, -999, keys, "%s", text); }
void error(int n) { msg_err(n); }
void delay(uint32_t ms) { sys_delay(ms); }
void clrlast() { gcr_clrlast(); }
void update() { inp_update(0xFFFF); }
void showelm(int32_t dwg, uint32_t viewmask, int32_t n, int32_t colour) {
  if (dwg < 0 || dwg > 1 || n < 1)
    return;
  const int old = dwg_setcur(dwg);
  dsp_elms(viewmask & vew_mask(dwg), 0xFFFF, colour, uint32_t(n), 0);
  dwg_setcur(old);
}
void line(int op, int32_t *colour, char *text) {
  int c = colour ? *colour : 0;
  ui_mesgline(op, 0, &c, text);
  if (colour)
    *colour = c;
}
void request(int op, uint32_t words[10]) {
  int32_t target = 0, kind = 0;
  if (op == 'R' || op == 'r') {
    inp_req('r', &words[0], &target, &kind);
    words[1] = uint32_t(target);
    words[2] = uint32_t(kind);
    if (inp_kind('r', kind, &words[3]) != 0)
      std::memset(&words[3], 0, 7 * sizeof words[0]);
    return;
  }
  target = int32_t(words[1]);
  kind = int32_t(words[2]);
  if (kind >= 1)
    inp_kind('w', kind, &words[3]);
  inp_req('w', &words[0], &target, &kind);
}
} // namespace

GcrSnapHooks gcr_snapplatform() {
  return GcrSnapHooks{mark, ask, error, delay, clrlast, update, showelm, line, request};
}

#include "commands/view/areapick_win.h"

#include <windows.h>

#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "input/rubber.h"
#include "settings/msgout.h"

namespace {

constexpr uint32_t CURRENT_DRAWING_ONLY = 0x80000000u;

} // namespace

int clp_pickrect(uint32_t firstmask, AreaPick corners[2]) {
  InputGuide saved;
  rub_state('r', &saved);
  rub_start(-1);
  int code = 27;
  int n = 0;
  while (n < 2) {
    AreaPick &c = corners[n];
    msg_disp(1, 0, 1, 1, n == 0 ? 1001 : 1002);
    if (n == 1)
      rub_startratio(2, 0, corners[0].wx, corners[0].wy, 0, 0);
    else
      rub_start(-1);
    const int32_t entry = c.dwg;
    int32_t kb = 0;
    code = gcr_point(0, 0, n == 0 ? firstmask : CURRENT_DRAWING_ONLY, &c.wx, &c.wy, &c.dwg, &kb);
    msg_disp(1, 128, 1, 1, 0);
    gcr_clrfb();
    rub_start(-1);
    if (code == 500 || code == 13) {
      c.view = gcr_pickvw();
      if (vew_w2dev(c.dwg, c.view, c.wx, c.wy, &c.dx, &c.dy) != 0) {
        c.dwg = entry;
        continue;
      }
      POINT p{c.dx, c.dy};
      ClientToScreen(vew_hwnd(c.dwg, c.view), &p);
      c.sx = p.x;
      c.sy = p.y;
      n++;
    } else if (code == 501) {
      if (n == 1)
        n = 0;
    } else if (code == 27 || code == 800 || code == 700) {
      // 700: no drawing takes a point, asking again would never end.
      break;
    } else {
      c.dwg = entry;
    }
  }
  rub_state('w', &saved);
  return code;
}

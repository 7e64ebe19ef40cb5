// The sheet change until the sheet commands exist: only a change in place (mode 1
// without a shift) is done; moving elements and taking changes back say "not done".
#include "commands/sheet.h"

#include <windows.h>

#include "database/elements.h"
#include "display/view.h"
#include "display/viewtbl.h"
#include "files/scale.h"
#include "settings/params.h"
#include "shell/appsvc_pending.h"

int dwg_chsheet(int mode, double dx, double dy, double width, double height, int dwg, int num, int den, double) {
  if (mode != 1 || dx != 0 || dy != 0 || (dwg != 0 && dwg != 1) || num < 1 || den < 1)
    return 1;
  if (width == 0 && height == 0)
    return 3;
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  const double factor = (env.sheet.num > 0 && env.sheet.den > 0 ? double(env.sheet.den) / env.sheet.num : 1.0) *
                        (double(num) / double(den));
  env.sheet.width = width;
  env.sheet.height = height;
  env.sheet.num = int16_t(num);
  env.sheet.den = int16_t(den);
  env.sheet.scale = double(num) / double(den);
  scl_div3(&env.chr.height, factor);
  scl_divrec(&env.dim, factor);
  sys_dwgenv('W', dwg, &env);
  const uint32_t mask = vew_mask(dwg);
  for (int v = 0; v < 32; v++)
    if (mask & (1u << v))
      vew_setwin(dwg, v, 0, 0.0, 0.0, width, height);
  if (dwg == dwg_cur())
    vew_select(vew_cur());
  dtb_recell(dwg);
  for (int v = 0; v < 32; v++)
    if (mask & (1u << v))
      vew_redraw(dwg, v);
  DwgModFlags[dwg] |= 1;
  return 700;
}

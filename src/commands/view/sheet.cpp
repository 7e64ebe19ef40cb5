// Sheet changes: the sheet fitted to the elements, a new origin and size through the
// area-change dialog, taking changes back, and the sheet's reference point.
#include "commands/view/sheet.h"

#include <windows.h>

#include <cmath>

#include "commands/cmdl/cmdtable.h"
#include "commands/view/sheetcalc.h"
#include "commands/view/viewcmd.h"
#include "database/elements.h"
#include "database/undo.h"
#include "display/elements/elmdisp_win.h"
#include "display/marks/marklist.h"
#include "display/marks/snapmark.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/dialogs.h"
#include "files/scale.h"
#include "input/gcrpoint.h"
#include "input/inpkind.h"
#include "settings/msgout.h"
#include "settings/params.h"

namespace {

struct SnapLevel {
  SnapLevel() { snp_level(1); }
  ~SnapLevel() { snp_level(0); }
};

int ask(int prompt, double *x, double *y) {
  msg_disp(1, 0, 0, 0, prompt);
  int32_t dwg = -1, state = 0;
  const int code = gcr_point(0, 0, GCR_CURDWG, x, y, &dwg, &state);
  msg_disp(1, 128, 0, 0, prompt);
  return code;
}

// Before the first recorded change the stack's base is the sheet as it is.
SheetRecord seeded(int d) {
  SheetRecord sh{};
  sys_sheet('R', d, &sh);
  if (SheetStacks[d].count == 0)
    shs_reset(SheetStacks[d], sh.width, sh.height);
  return sh;
}

bool sheet_ok(const SheetRecord &s) {
  auto in = [](double v) { return std::isfinite(v) && v >= 0.001 && v <= 99999999.0; };
  // Ratio parts below 1 would make the change factor divide by zero.
  return in(s.width) && in(s.height) && std::isfinite(s.scale) && s.scale > 0 && s.num >= 1 && s.den >= 1;
}

constexpr int REF_MARK = 13;
constexpr int COL_ERASE = 16, COL_REF = 12;

} // namespace

int dwg_chsheet(int mode, double dx, double dy, double width, double height, int dwg, int num, int den, double) {
  if ((dwg != 0 && dwg != 1) || (mode != 0 && mode != 1))
    return 1;
  SheetStack &stack = SheetStacks[dwg];
  SheetChange c{dx, dy, width, height};
  if (mode == 0 && shs_peek(stack, &c) != 0)
    return 1;
  if (c.width == 0 && c.height == 0)
    return 3;
  // Every record is looked at before anything changes: a half-shifted drawing with a
  // stack that no longer matches it could not be taken back.
  if (sht_check(dwg) != 0)
    return 1;
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  if (mode == 0) {
    shs_pop(stack, &c);
  } else {
    if (stack.count == 0)
      shs_reset(stack, env.sheet.width, env.sheet.height);
    shs_push(stack, c);
  }
  const bool shifted = c.dx != 0 || c.dy != 0;
  if (shifted)
    sht_shiftall(dwg, c.dx, c.dy);
  const double factor = sht_factor(env.sheet.num, env.sheet.den, num, den);
  env.sheet.width = c.width;
  env.sheet.height = c.height;
  if (num >= 1 && den >= 1) {
    env.sheet.num = int16_t(num);
    env.sheet.den = int16_t(den);
    env.sheet.scale = double(num) / double(den);
  }
  // A factor that cannot divide leaves the sizes as they were.
  scl_div3(&env.chr.height, factor);
  scl_divrec(&env.dim, factor);
  sys_dwgenv('W', dwg, &env);
  const uint32_t mask = vew_mask(dwg);
  for (int v = 0; v < VIEW_COUNT; v++)
    if (mask & (1u << v))
      vew_setwin(dwg, v, 0, 0.0, 0.0, c.width, c.height);
  if (dwg == dwg_cur())
    vew_select(vew_cur());
  const int cells = dtb_recell(dwg);
  // The journal holds records from before the shift: an undo would move them back.
  if (shifted)
    und_rset(dwg);
  if (cells != 0)
    return 1;
  for (int v = 0; v < VIEW_COUNT; v++)
    if (mask & (1u << v))
      vew_redraw(dwg, v);
  dwg_touch(dwg);
  return 700;
}

int32_t cm_sheetfit() {
  const int d = dwg_cur();
  const SheetRecord sh = seeded(d);
  GeoPoint lo, hi;
  SheetChange c;
  if (dwg_extents(d, &lo, &hi) != 0 || sht_fitbox(lo, hi, sh.width, sh.height, &c) != 0)
    return 1;
  return dwg_chsheet(1, c.dx, c.dy, c.width, c.height, d, sh.num, sh.den, sh.scale) == 700 ? 0 : 1;
}

int32_t cm_sheetset() {
  const int d = dwg_cur();
  seeded(d);
  SnapLevel keep;
  inp_set(0x1ffff, 1, 0);
  for (;;) {
    double x = 0, y = 0;
    const int code = ask(3400, &x, &y);
    if (code == 27)
      return CMD_DONE;
    if (code == 800)
      return code;
    if (code == 500 || code == 13)
      mrk_list(2, int32_t(d), x, y);
    else if (code == 501)
      x = y = 0;
    else
      continue;
    for (;;) {
      static NewFigParam p; // 17 KB: kept off the stack
      p = NewFigParam{};
      p.kind = 2;
      p.dwg = uint32_t(d);
      sys_dwgenv('R', d, &p.env);
      if (ViewCmdDialog(16, &p, 2) != 0) {
        mrk_list(5);
        break;
      }
      const SheetRecord n = p.env.sheet;
      if (!sheet_ok(n))
        continue;
      mrk_list(5);
      dwg_chsheet(1, -x, -y, n.width, n.height, d, n.num, n.den, n.scale);
      return CMD_DONE;
    }
  }
}

int32_t cm_sheetref() {
  const int d = dwg_cur();
  SnapLevel keep;
  inp_set(0x1ffff, 1, 0);
  double x = 0, y = 0;
  for (;;) {
    const int code = ask(3402, &x, &y);
    if (code == 501 || code == 27)
      return CMD_DONE;
    if (code == 800)
      return 0;
    if (code == 500 || code == 13)
      break;
  }
  SheetRecord sh{};
  sys_sheet('R', d, &sh);
  const uint32_t views = vew_mask(d);
  const int prev = dwg_setcur(d);
  dsp_mark(views, REF_MARK, 0, sh.refx, sh.refy, COL_ERASE);
  sh.refx = x, sh.refy = y;
  sys_sheet('W', d, &sh);
  dsp_mark(views, REF_MARK, 0, x, y, COL_REF);
  dwg_setcur(prev);
  dwg_touch(d);
  return CMD_DONE;
}

int32_t cm_sheetrst() {
  const int d = dwg_cur();
  SheetRecord sh{};
  sys_sheet('R', d, &sh);
  return dwg_chsheet(0, 0, 0, 0, 0, d, sh.num, sh.den, sh.scale);
}

#include <cstring>

#include "display/elements/elmdisp_win.h"
#include "display/marks/marklist.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/inpkind.h"
#include "input/keyin.h"
#include "input/kpos.h"
#include "settings/msgout.h"
#include "settings/params.h"

namespace {

constexpr uint32_t KPOS_MASK = 0x12F7; // Esc, arrows, clicks, Tab, help; not Space or '='

// The point mark at the point being entered; drawn again with the same attribute erases it.
struct Mark {
  int dwg;
  bool shown = false;
  double x = 0, y = 0;
  int32_t attr = 0;

  void draw(double px, double py) {
    uint16_t colmap[20] = {};
    sys_colmap('R', colmap);
    attr = colmap[15] | 0x8000;
    if (mrk_list(8, static_cast<int32_t>(dwg), px, py) >= 0)
      attr ^= 4; // a temporary mark stands there: keep this one visible over it
    x = px;
    y = py;
    dsp_point(vew_mask(dwg), 2, 13, x, y, attr);
    shown = true;
  }
  void erase() {
    if (shown)
      dsp_point(vew_mask(dwg), 2, 13, x, y, attr);
    shown = false;
  }
};

bool empty_line(const char *s) {
  while (*s == ' ' || *s == '\t')
    ++s;
  return *s == '\0';
}

double entry_scale() {
  const int cd = dwg_cur();
  uint16_t layer = 0;
  double s = 1;
  if (sys_layer('R', cd, &layer, nullptr) != 0 || sys_scale(cd, layer, &s) != 0)
    s = 1;
  return s;
}

} // namespace

int gcr_kpos(int, int dwg, double x, double y, double *outx, double *outy) {
  Mark mark{dwg};
  double cx = x, cy = y;
  int code = 27;
  for (bool again = true; again;) {
    again = false;
    *outx = cx;
    *outy = cy;
    mark.draw(cx, cy);
    const double s = entry_scale();
    bool done = false;
    while (!done) {
      inp_updall();
      msg_disp(2, 0, 0, 0, 52);
      char buf[82] = {};
      code = keyin_line(KPOS_MASK, 81, buf);
      if (code == 257) {
        msg_board(1, "[%s]ヘルプ無し", "gcr_kpos");
        continue;
      }
      const bool empty = empty_line(buf);
      if ((code == 13 || code == 500) && empty) {
        *outx = cx;
        *outy = cy;
        break;
      }
      if (code == 27 || (code == 9 && empty) || code < 0 || code >= 1000)
        break; // cancelled, back to the mouse, or no editor
      KposLine line;
      kpos_parse(buf, code == 13 || code == 500, &line);
      SheetRecord sheet{};
      sys_sheet('R', dwg, &sheet);
      double nx = cx, ny = cy;
      const int r = kpos_apply(line, code, s, sheet.refx, sheet.refy, &nx, &ny);
      if (r == KPOS_VOID)
        continue;
      if (r == KPOS_MOVED) {
        mark.erase();
        cx = nx;
        cy = ny;
        mark.draw(cx, cy);
      }
      if (line.more)
        continue;
      if (code == 501)
        break;
      if (code == 500)
        code = 13;
      if (code == 13) {
        *outx = cx;
        *outy = cy;
        done = true;
      }
    }
    if (code != 13 && code != 500)
      break;
    SystemBlock sys{};
    sys_sysprm('R', &sys);
    if (sys.w4 != 1)
      break;
    for (;;) {
      const int k = msg_prompt(0, 0, "YyNn");
      if (k == 'Y' || k == 'y' || k == 13 || k == 500)
        break;
      if (k == 'N' || k == 'n' || k == 501) {
        mark.erase();
        again = true;
        break;
      }
      if (k == 27 || k < 0) { // an unanswerable question counts as Esc
        code = 27;
        break;
      }
      if (k == 800 || k == 700) { // the command ends (or the question was closed): hand it on
        code = k;
        break;
      }
    }
  }
  mark.erase();
  msg_disp(2, 128, 0, 0, 0);
  return code;
}

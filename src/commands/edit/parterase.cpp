#include "commands/edit/parterase.h"

#include <cmath>
#include <cstdlib>

#include "commands/cmdl/cmddlg.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/edit/segerase.h"
#include "commands/cmdl/yesno.h"
#include "database/undo.h"
#include "display/marks/snapmark.h"
#include "input/gcr.h"
#include "input/inpkind.h"
#include "input/rubber.h"
#include "select/filter.h"
#include "select/near.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/winutil.h"

void *(*SegTableAlloc)(std::size_t, std::size_t) = std::calloc;

namespace {

constexpr double EPS = 1e-6;

int32_t colour(int entry) {
  uint16_t cm[20] = {};
  sys_colmap('r', cm);
  return cm[entry];
}

// One decimal digit of the setting; a value outside 0..max counts as 0.
int32_t digit(int32_t value, int32_t place, int32_t max) {
  const int32_t d = value / place % 10;
  return d >= 0 && d <= max ? d : 0;
}

void draw_all(int32_t dwg, int32_t c) {
  for (int32_t i = 0; i < SegCount; ++i)
    seg_draw(dwg, i, c);
}

// Nothing of the command stays behind it: no piece on the screen, no table, and the
// hover and the masked-element pick switched off again.
int32_t done(int32_t code) {
  if (SegRecords && (SegDrawing == 0 || SegDrawing == 1))
    seg_unhilite(SegDrawing);
  std::free(SegRecords);
  SegRecords = nullptr;
  SegCount = 0;
  SegHit = 0;
  SegHoverOff = 1;
  SegStage = 0;
  snp_level(0);
  PickSkipMasked = 0;
  return code;
}

enum Step { PICK, ROUND, ERASE };

// The crossing stage from the first point; ERASE when its pieces are to go, PICK to
// go back, or the command's ending code.
int32_t crossing(int32_t dwg, double x, double y, Step *next) {
  SegStage = 1;
  const GeoPoint first{x, y};
  seg_setpt1(&first);
  uint32_t masks[2] = {0, 0};
  masks[dwg] = 0xFFFFFFFFu;
  for (;;) {
    msg_disp(1, 0, 0, 0, 7001);
    rub_startline(1, 0, x, y, 0);
    double x2 = 0, y2 = 0;
    int32_t d2 = -1, v2 = -1;
    const int code = gcr_getpnt(0, masks, &x2, &y2, &d2, &v2);
    rub_start(0);
    msg_disp(1, 128, 0, 0, 7001);
    if (code == 800 || code == 27)
      return code;
    if (code == 501) {
      *next = PICK;
      return 0;
    }
    if (code != 500 || SegCount < 1 || (std::fabs(x2 - x) < EPS && std::fabs(y2 - y) < EPS))
      continue;
    const int ok = seg_confirm(1, dwg);
    if (ok == 27 || ok == 800)
      return ok;
    if (ok == 0) {
      *next = ERASE;
      return 0;
    }
  }
}

// Steps 3 to 7 of a run: the ending code.
int32_t run(uint32_t both[2]) {
  Step step = ROUND;
  int32_t dwg = -1;
  for (;;) {
    if (step == ROUND)
      pck_filter(LIN | ARC | NOD, 0xFFFFFFFFu, 0xFFFFFFFFu, 6);
    if (step == ERASE) {
      SegDrawing = dwg;
      und_pend(dwg);
      const int r = seg_erase(dwg);
      inp_updall();
      if (r != 0)
        return r;
      seg_reset(); // the pieces are gone: nothing left to take away
    }
    step = PICK;
    if (SegDrawing == 0 || SegDrawing == 1)
      seg_unhilite(SegDrawing);
    seg_reset();
    SegStage = 0;
    msg_disp(1, 0, 0, 0, 7000);
    double x = 0, y = 0;
    int32_t view = -1;
    const int code = gcr_getpnt(0, both, &x, &y, &dwg, &view);
    msg_disp(1, 128, 0, 0, 7000);
    if (code == 527) { // the filter: no dialog of its own here
      dlg_run(10, nullptr, 0);
      continue;
    }
    if (code == 800 || code == 27)
      return code;
    if (code == 501) {
      step = ROUND;
      continue;
    }
    if (code != 500 || (dwg != 0 && dwg != 1))
      continue;
    if (seg_hit() > 0) {
      // An element under the cursor whose piece could not be found offers nothing to ask about.
      if (SegCount < 1)
        continue;
      const int ok = seg_confirm(0, dwg);
      if (ok == 27 || ok == 800)
        return ok;
      if (ok == 0)
        step = ERASE;
      continue;
    }
    const int32_t r = crossing(dwg, x, y, &step);
    if (r != 0)
      return r;
  }
}

} // namespace

int seg_confirm(int32_t stage, int32_t dwg) {
  const int32_t mode = stage == 0 ? SegModePick : SegModeCross;
  if (mode == 1 || mode == 2)
    draw_all(dwg, colour(SEG_SHOW));
  if (mode == 1)
    sys_delay(150);
  if (mode != 2 && mode != 4)
    return 0;
  CmdYesNo answer;
  do
    answer = cmd_yesno(msg_prompt(0, 0, "YyNn"));
  while (answer == CYN_OTHER);
  if (answer == CYN_YES)
    return 0; // the erase takes the highlight away with the pieces
  draw_all(dwg, colour(SEG_ERASE));
  seg_redraw(dwg);
  return answer == CYN_CANCEL ? 27 : answer == CYN_END ? 800 : 1;
}

int32_t cm_parterase() {
  SegDrawing = -1;
  inp_set(0x1efff, 1, 0);
  snp_level(1);
  SegHoverOff = 0;
  SegKeepStyle = digit(CpntDelDsp, 100, 2);
  SegModePick = digit(CpntDelDsp, 10, 4);
  SegModeCross = digit(CpntDelDsp, 1, 4);
  SegRecords = static_cast<SegRecord *>(SegTableAlloc(SEG_MAX, sizeof(SegRecord)));
  if (!SegRecords)
    return done(700);
  seg_reset();
  PickSkipMasked = 1;
  uint32_t both[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
  return done(run(both));
}

void cm_partable() { CommandTable[114] = cm_parterase; }

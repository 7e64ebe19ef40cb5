// Drag preview of a 10,000-element selection in a 1920x1080 view: one frame of the
// rubber band, the selection drawn at the cursor and removed again. Goal: within one
// frame (16 ms). The polls go to a scripted source that has nothing, at the walk's own
// rate (once a millisecond), or with an argument once per element; the cost of real
// empty queue polls is reported beside it.
//   wine64 rubber_bench.exe [every | engine]   (engine: GDI drawing calls stubbed out)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "benchclock.h"
#include "benchdib.h"
#include "benchview.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/view/gdi.h"
#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/rubber.h"
#include "select/sellist.h"
#include "settings/params.h"

namespace {

double rnd(double lo, double hi) { return lo + (hi - lo) * std::rand() / RAND_MAX; }

int quiet(InputEvent *next) {
  next->code = 0;
  return 1;
}

ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.layer = 1;
  return r;
}

} // namespace

int main(int argc, char **argv) {
  prm_init();
  HWND wnd = bench_view();
  if (!wnd)
    return 1;
  BenchDib dib;
  gdi_target(dib.dc, 1);
  const bool engine_only = argc > 1 && std::strcmp(argv[1], "engine") == 0;
  if (engine_only) { // the engine's own share: GDI drawing calls do nothing
    gdi_calls.MoveToEx = [](HDC, int, int, LPPOINT) -> BOOL { return 1; };
    gdi_calls.LineTo = [](HDC, int, int) -> BOOL { return 1; };
    gdi_calls.Polyline = [](HDC, const POINT *, int) -> BOOL { return 1; };
    gdi_calls.Arc = [](HDC, int, int, int, int, int, int, int, int) -> BOOL { return 1; };
    gdi_calls.SelectObject = [](HDC, HGDIOBJ) -> HGDIOBJ { return nullptr; };
    gdi_calls.SetROP2 = [](HDC, int) -> int { return 1; };
  }

  dtb_term();
  ElmMax[0] = 20000, WrkMax[0] = 500;
  dtb_init();
  grp_reset(0);
  dtb_ctrl('i', nullptr);
  // 10,000 short lines and arcs over the view; every tenth selected entry a group of
  // ten of them (as a selected seal part is).
  std::srand(1);
  std::vector<uint32_t> list;
  std::vector<int32_t> members;
  for (int i = 0; i < 10000; i++) {
    const double x = rnd(10, 180), y = rnd(10, 98);
    ElementRecord r = blank(i % 2 ? LIN : ARC);
    if (i % 2)
      r.lin.x1 = x, r.lin.y1 = y, r.lin.x2 = x + rnd(-5, 5), r.lin.y2 = y + rnd(-5, 5);
    else
      r.arc.cx = x, r.arc.cy = y, r.arc.r = rnd(0.2, 5), r.arc.start = rnd(0, 360), r.arc.end = rnd(0, 360);
    const int32_t n = elm_add(0, 0, 99, &r, nullptr);
    if (i < 5000) {
      list.push_back(uint32_t(n));
      continue;
    }
    members.push_back(n);
    if (members.size() == 10) {
      const ElementRecord nod = blank(NOD);
      const int32_t g = elm_add(0, 0, 99, &nod, nullptr);
      ElementRecord *node = dtb_ptr(0, g);
      node->nod.child = members[0];
      for (size_t k = 0; k < members.size(); k++)
        dtb_ptr(0, members[k])->next = k + 1 < members.size() ? members[k + 1] : -1;
      list.push_back(uint32_t(g));
      members.clear();
    }
  }
  list.push_back(0xFFFFFFFEu);
  SelectionList = {list.data(), int32_t(list.size()), int32_t(list.size() - 1), 0};
  uint32_t blk[6] = {};
  sys_drag('r', blk);
  blk[1] = 1, blk[2] = 3;
  sys_drag('w', blk);
  rub_startdrag(99, 0, 0, 0, 0, 0);
  gcr_setsource(quiet);
  if (argc > 1 && std::strcmp(argv[1], "every") == 0) // every element polls, as on a fast queue
    RubPoll = rub_pollevery;

  double best = 1e9, worst = 0;
  for (int i = 0; i < 20; i++) {
    const double x = rnd(-5, 5), y = rnd(-5, 5);
    const double t0 = bench_now();
    int32_t poll = 0;
    rub_shown(0);
    rub_draw(1, 0, x, y, &poll);
    rub_draw(1, 0, x, y, &poll);
    GdiFlush();
    const double ms = (bench_now() - t0) * 1000;
    best = std::min(best, ms), worst = std::max(worst, ms);
  }
  gcr_setsource(nullptr);

  // What the same number of real polls would add: empty-queue PeekMessage calls.
  MSG m;
  const double t0 = bench_now();
  for (int i = 0; i < 2 * 10000; i++)
    PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);
  const double peek = (bench_now() - t0) * 1000;
  double t1 = bench_now();
  for (int i = 0; i < 2 * 10000; i++)
    GetInputState();
  const double instate = (bench_now() - t1) * 1000;
  t1 = bench_now();
  for (int i = 0; i < 2 * 10000; i++)
    GetQueueStatus(QS_ALLINPUT);
  const double qstat = (bench_now() - t1) * 1000;
  std::printf("20,000 GetInputState: %.1f ms, GetQueueStatus: %.1f ms\n", instate, qstat);

  std::printf("drag preview of 10,000 elements (5,000 entries + 500 groups of 10), draw + remove: "
              "best %.1f ms, worst %.1f ms (goal 16 ms)\n",
              best, worst);
  std::printf("20,000 empty PeekMessage polls: %.1f ms\n", peek);
  gdi_target(nullptr, 0);
  dib.release();
  gdi_term();
  DestroyWindow(wnd);
  dtb_term();
  return 0;
}

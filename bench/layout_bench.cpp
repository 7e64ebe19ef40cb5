// The frame layout with all five tool bars shown: pnl_arrange rebuilds the bars and
// makes their hosts again on every resize. Goal: under 50 ms so that a live resize
// stays smooth. Runs the editor in this process, so it is started from the program
// folder (its data files and fonts beside it):
//   cd <build>/program && wine64 ../bench/layout_bench.exe [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "benchclock.h"
#include "settings/answers.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/units/toolbar.h"
#include "shell/units/units.h"

int main(int argc, char **argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 50;
  ui_setresponder([](const UiQuestion &q) {
    std::fprintf(stderr, "asked: %s\n", q.text ? q.text : "");
    return 0;
  });
  VODOreVer app;
  app.m_hInstance = GetModuleHandleA(nullptr);
  app.m_lpCmdLine = const_cast<char *>("");
  if (!app.InitInstance())
    return 1;
  UnitInfo.unit[3] = {1, 3, 1, 0, 0}; // TOOLONE left
  UnitInfo.unit[4] = {1, 4, 1, 0, 0}; // TOOLTWO right
  UnitInfo.unit[5] = {1, 1, 0, 0, 0}; // TOOLDISP top
  UnitInfo.unit[7] = {1, 2, 0, 0, 0}; // TOOLMES bottom
  HWND frame = app_hmain();
  double worst = 0, total = 0;
  for (int i = 0; i < rounds; i++) {
    // Alternate between two frame sizes as a live resize does.
    const int w = i & 1 ? 1000 : 1200, h = i & 1 ? 700 : 800;
    const double t0 = bench_now();
    SetWindowPos(frame, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER); // WM_SIZE runs pnl_arrange
    const double t = bench_now() - t0;
    total += t;
    worst = t > worst ? t : worst;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
  // The share of the bars' rebuild (the tool-bar file read again, bitmaps loaded).
  double rebuild = bench_now();
  for (int i = 0; i < rounds; i++)
    tbar_rebuild();
  rebuild = (bench_now() - rebuild) / rounds;
  std::printf("tbar_rebuild alone:               mean %8.2f ms\n", rebuild * 1e3);
  std::printf("pnl_arrange on resize, five bars: mean %8.2f ms, worst %8.2f ms (%d rounds)\n", total / rounds * 1e3,
              worst * 1e3, rounds);
  std::printf("goal: under 50 ms: %s\n", total / rounds < 0.05 ? "met" : "NOT met");
  PostMessageA(frame, WM_COMMAND, 10105, 0);
  app.Run();
  return 0;
}

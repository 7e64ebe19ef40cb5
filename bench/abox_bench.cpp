// The attribute box's refresh, which runs at every input declaration. Goal: under 1 ms.
// Two cases: the same request again (nothing changes on the screen), and requests that
// alternate between a line command and a text command (fields shown, hidden, retexted).
//   wine64 abox_bench.exe [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "benchclock.h"
#include "input/inpkind.h"
#include "settings/params.h"
#include "shell/units/abox.h"
#include "settings/appwin.h"
#include "shell/units/units.h"

namespace {

void pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

} // namespace

int main(int argc, char **argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
  prm_init();
  inp_init();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "AboxBenchFrame";
  RegisterClassA(&wc);
  HWND frame = CreateWindowA("AboxBenchFrame", "abox", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 300, nullptr,
                             nullptr, wc.hInstance, nullptr);
  app_setwindows(frame, nullptr);
  std::memset(&UnitInfo, 0, sizeof UnitInfo);
  UnitInfo.unit[1].shown = 1;
  UnitInfo.unit[1].side = 1;
  if (!abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]))
    return 1;
  abox_arrange(&UnitInfo.unit[1]);
  ShowWindow(app_habox(), SW_SHOWNA);
  inp_set(0x1FFFF, 1, 0);
  pump();

  double t0 = bench_now();
  for (int i = 0; i < rounds; i++)
    abox_refresh();
  const double same = (bench_now() - t0) / rounds;
  pump();

  t0 = bench_now();
  for (int i = 0; i < rounds; i++) {
    if (i & 1)
      inp_set(0x1F0E1, 2, 6);
    else
      inp_set(0x1FFFF, 1, 0);
  }
  const double alternating = (bench_now() - t0) / rounds;
  pump();
  std::printf("abox_refresh, same request:        %8.1f us\n", same * 1e6);
  std::printf("abox_refresh, alternating request: %8.1f us (inp_set included)\n", alternating * 1e6);
  std::printf("goal: under 1000 us: %s\n", same < 1e-3 && alternating < 1e-3 ? "met" : "NOT met");
  abox_destroy();
  DestroyWindow(frame);
  return 0;
}

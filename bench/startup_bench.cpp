// How long the editor takes from its start to an idle main window: starts the
// program in its folder several times, waits until its main frame is shown and its
// message loop is idle, closes it through its menu and checks the exit code.
//   startup_bench <program folder>\inkforge.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double now_ms() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * double(c.QuadPart) / double(f.QuadPart);
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_bench <inkforge.exe> [runs]\n");
    return 2;
  }
  const std::string exe = argv[1];
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string dir = exe.substr(0, exe.find_last_of("\\/") + 1);
  std::vector<double> times;
  for (int i = 0; i < runs; i++) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + exe + "\"";
    const double t0 = now_ms();
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
      std::fprintf(stderr, "cannot start %s (%lu)\n", exe.c_str(), GetLastError());
      return 1;
    }
    HWND main = nullptr;
    while (now_ms() - t0 < 30000) {
      main = FindWindowA("DazuVerur", nullptr);
      if (main && IsWindowVisible(main))
        break;
      main = nullptr;
      Sleep(2);
    }
    if (!main) {
      std::fprintf(stderr, "no main window after 30 s\n");
      TerminateProcess(pi.hProcess, 1);
      return 1;
    }
    WaitForInputIdle(pi.hProcess, 10000);
    // A message answered through the main window's own loop: the editor is idle.
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    const double t = now_ms() - t0;
    times.push_back(t);
    PostMessageA(main, WM_COMMAND, 10105, 0);
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::printf("run %d: %.0f ms to an idle main window, exit code %lu\n", i + 1, t, code);
    if (code != 0)
      return 1;
  }
  std::sort(times.begin(), times.end());
  std::printf("start-up to an idle main window: median %.0f ms, best %.0f ms, worst %.0f ms (%d runs)\n",
              times[times.size() / 2], times.front(), times.back(), runs);
  return 0;
}

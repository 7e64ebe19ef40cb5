// Time of one CMDL round trip over DDE: starts the editor, then 1,000 times pokes a
// LINE and requests its reply, and ends the editor by an execute string.
//   dde_bench <program folder>\inkforge.exe [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "benchclock.h"
#include "shell/dde.h"

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: dde_bench <inkforge.exe> [rounds]\n");
    return 2;
  }
  const std::string exe = argv[1];
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 1000;
  const std::string dir = exe.substr(0, exe.find_last_of("\\/") + 1);
  if (ddec_init() != 0)
    return 1;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
    std::fprintf(stderr, "cannot start %s (%lu)\n", exe.c_str(), GetLastError());
    return 1;
  }
  int slot = -1;
  for (int t = 0; t < 3000 && slot <= 0; t++)
    if ((slot = ddec_connect("KIVOLANT", "System")) <= 0)
      Sleep(10);
  int ready = -1;
  for (int t = 0; slot > 0 && t < 3000 && (ready = ddec_poke(slot, "FACK", "")) != 0; t++)
    Sleep(10);
  if (slot <= 0 || ready != 0) {
    std::fprintf(stderr, "no conversation with the editor\n");
    TerminateProcess(pi.hProcess, 9);
    return 1;
  }
  // A new drawing, so that LINE has somewhere to go.
  PostMessageA(FindWindowA("DazuVerur", nullptr), WM_COMMAND, 10100, 0);
  for (int t = 0; t < 500 && ddec_poke(slot, "CMDL", "LINE 0 0 1 1") != 0; t++)
    Sleep(10);
  ddec_poke(slot, "CMDL", "INIT");
  int bad = 0;
  char reply[64];
  const double t0 = bench_now();
  for (int i = 0; i < rounds; i++) {
    char line[64];
    std::snprintf(line, sizeof line, "LINE %d 0 %d 10", i % 100, i % 100);
    if (ddec_poke(slot, "CMDL", line) != 0)
      bad++;
    if (ddec_request(slot, "CMDL", reply, sizeof reply) <= 1)
      bad++;
  }
  const double t1 = bench_now();
  std::printf("%d round trips: %.3f ms each (%d failed)\n", rounds, (t1 - t0) * 1000.0 / rounds, bad);
  ddec_poke(slot, "CMDL", "TERM");
  ddec_execute(slot, "[Quit]");
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, 9);
  ddec_term();
  return bad ? 1 : 0;
}

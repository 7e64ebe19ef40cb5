// CMDL lines per second over DDE: starts the editor, then pokes a LINE and requests
// its reply, 1,000 times with the project's own client and 1,000 times with a plain
// DDEML client as other programs write one (its replies are checked against the
// numbers the lines must get), and ends the editor by an execute string.
//   dde_bench <program folder>\inkforge.exe [rounds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "benchclock.h"
#include "ddeplain.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "files/sealsave.h"
#include "settings/params.h"
#include "shell/dde/dde.h"

namespace {

// A seal file of one point, so that the editor has a named drawing to save at the end.
bool seed(const std::string &path) {
  prm_init();
  for (int d = 0; d < 2; ++d)
    ElmMax[d] = 2000, WrkMax[d] = 200;
  if (dtb_init() != 0)
    return false;
  grp_reset(0);
  dtb_ctrl('i', nullptr);
  ElementRecord p = {};
  p.kind = PNT;
  p.pnt.x = 1, p.pnt.y = 1, p.pnt.attr = 1;
  if (elm_add(0, 0, ELM_NODRAW, &p, nullptr) != 1)
    return false;
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  SlfSaveCount = 1;
  uint8_t head[256];
  slf_mkhead(0, &env, head);
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  std::fwrite(head, 1, sizeof head, f);
  const int r = slf_wrbody(
      0, 1, [](void *ctx, const void *b, uint32_t n) { return std::fwrite(b, 1, n, static_cast<FILE *>(ctx)) == n; },
      f);
  std::fclose(f);
  dtb_term();
  return r == 0;
}

} // namespace

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
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  const std::string file = std::string(tmp) + "DDEBENCH.KSL";
  if (!seed(file)) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return 1;
  }
  std::string cmd = "\"" + exe + "\" \"" + file + "\"";
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
  std::printf("own client:   %d lines, %.3f ms each, %.0f lines/s (%d failed)\n", rounds,
              (t1 - t0) * 1000.0 / rounds, rounds / (t1 - t0), bad);

  // The next line gets the number after the last reply.
  long next = std::strtol(reply, nullptr, 10) + 1;
  plain::Client pc;
  if (!pc.start() || !pc.connect(10000)) {
    std::fprintf(stderr, "no plain conversation with the editor\n");
    bad++;
  } else {
    int wrong = 0;
    std::string got;
    const double p0 = bench_now();
    for (int i = 0; i < rounds; i++, next++) {
      char line[64];
      std::snprintf(line, sizeof line, "LINE %d 0 %d 10", i % 100, i % 100);
      if (pc.poke(line) != DDE_FACK)
        wrong++;
      if (!pc.request(&got) || got != std::to_string(next))
        wrong++;
    }
    const double p1 = bench_now();
    pc.end();
    std::printf("plain client: %d lines, %.3f ms each, %.0f lines/s (%d wrong)\n", rounds,
                (p1 - p0) * 1000.0 / rounds, rounds / (p1 - p0), wrong);
    bad += wrong;
  }
  ddec_poke(slot, "CMDL", "TERM");
  // Saved in place, so that quitting asks nothing.
  PostMessageA(FindWindowA("DazuVerur", nullptr), WM_COMMAND, 10109, 0);
  ddec_request(slot, "CMDL", reply, sizeof reply);
  ddec_execute(slot, "[Quit]");
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0)
    TerminateProcess(pi.hProcess, 9);
  ddec_term();
  DeleteFileA(file.c_str());
  return bad ? 1 : 0;
}

// savechild <path> <stop> <marker> [held]: saves a drawing of 1,000 lines over path
// as the editor does and stops for good at point <stop>: points 1 .. 4 are the
// header and the three record chunks (each cut after half its bytes), 5 the new file
// written beside, 6 after it replaced the old one. At the stop it creates marker and
// waits to be killed; without a stop it ends with 0. "held" saves through a drawing
// that holds path locked.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "files/filsys.h"
#include "files/lockwin.h"
#include "files/sealsave.h"
#include "files/sealsavewin.h"
#include "settings/params.h"

namespace {

int stop_at = 0, point = 0;
const char *marker = "";

[[noreturn]] void stop() {
  HANDLE m = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  CloseHandle(m);
  for (;;)
    Sleep(1000);
}

long cut_write(int fd, const void *buf, uint32_t size) {
  if (++point == stop_at) {
    fil_sysplatform().write(fd, buf, size / 2);
    stop();
  }
  return fil_sysplatform().write(fd, buf, size);
}

void step(int) {
  if (++point == stop_at)
    stop();
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 4)
    return 2;
  const char *path = argv[1];
  stop_at = std::atoi(argv[2]);
  marker = argv[3];
  const bool held = argc > 4 && std::strcmp(argv[4], "held") == 0;
  prm_init();
  for (int d = 0; d < 2; ++d) {
    ElmMax[d] = 2000;
    WrkMax[d] = 200;
  }
  if (dtb_init() != 0)
    return 3;
  grp_reset(0);
  dtb_ctrl('i', nullptr);
  for (int i = 0; i < 1000; ++i) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = LIN;
    r.lin.x1 = i;
    r.lin.y1 = 2 * i;
    r.lin.x2 = i + 1;
    r.lin.y2 = 7;
    r.lin.attr = 0x11;
    if (elm_add(0, 0, ELM_NODRAW, &r, nullptr) < 1)
      return 4;
  }
  if (held) {
    HANDLE h;
    if (lck_openrw(path, &h) != 0 || lck_create(path) != 0)
      return 5;
    DwgPath[0].lock = h;
    std::snprintf(DwgPath[0].path, sizeof DwgPath[0].path, "%s", path);
  }
  fil_sys().write = cut_write;
  fil_sys().step = step;
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  SlfSaveCount = int32_t(DbCtl[0].count1);
  const int rc = slf_save(0, path, 1, &env);
  dtb_term();
  return rc == SLF_SAVED ? 0 : 10 + rc;
}

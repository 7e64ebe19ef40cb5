#include "database/dbsys.h"

#include <windows.h>
#include <share.h>

#include <cerrno>

#include "settings/freespace.h"
#include "settings/msgout.h"
#include "settings/shellcalls.h"
#include "settings/syspath.h"
#include "settings/winutil.h"

namespace {

FILE *openheld(const char *path, bool *inuse) {
  FILE *fp = _fsopen(path, "rb+", _SH_DENYWR);
  *inuse = !fp && errno != ENOENT;
  return fp;
}

FILE *createheld(const char *path) { return _fsopen(path, "wb+", _SH_DENYWR); }

std::size_t fwrite_(const void *b, std::size_t s, std::size_t n, FILE *fp) { return std::fwrite(b, s, n, fp); }
std::size_t fread_(void *b, std::size_t s, std::size_t n, FILE *fp) { return std::fread(b, s, n, fp); }
void workfolder(char *out) {
  out[0] = 0;
  if (sys_path('R', 4, out) != 0 || !out[0])
    sys_path('R', 6, out);
}
void warn(int n) { msg_disp(4, 0, 0, 0, n); }
void error(int n) { msg_err(n); }
void board(int kind, const char *text) { msg_board(kind, "%s", text); }
void startfail() { msg_board(0, "ＵＮＤＯ領域が確保できません。"); }

void line(int n, int colour, int a, int b, int c) {
  if (n == 0)
    msg_disp(0, 128, 0, 0, 0);
  else
    msg_disp(0, colour, 0, 0, n, a, b, c);
}

void waitcur() { win_waitcur(); }
void attrbox() { ui_aboxrefresh(); }
int escape() { return sys_escpoll(); }

} // namespace

DbSysHooks dbs_platform() {
  DbSysHooks h{};
  h.openheld = openheld;
  h.createheld = createheld;
  h.write = fwrite_;
  h.read = fread_;
  h.freespace = fil_freespc;
  h.workfolder = workfolder;
  h.warn = warn;
  h.error = error;
  h.board = board;
  h.startfail = startfail;
  h.line = line;
  h.waitcur = waitcur;
  h.attrbox = attrbox;
  h.escape = escape;
  return h;
}

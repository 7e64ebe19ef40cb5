// Until seal files can be read and written, every open and save says so on the
// message board and reports a failure; nothing is opened or saved.
#include "files/filecmd.h"

#include "display/view.h"
#include "settings/msgout.h"
#include "settings/params.h"

namespace {
constexpr int NOT_DONE = 1001;
const char *const NOT_YET = "図面ファイルの読み書きはまだできません。";

int refuse(const char *path) {
  if (path && *path)
    msg_board(0, "%s\n%s", NOT_YET, path);
  else
    msg_board(0, "%s", NOT_YET);
  return NOT_DONE;
}
} // namespace

int fil_open(int, const char *path) { return refuse(path); }

int fil_openmru(int n) {
  if (n < 0 || n >= RECENT_COUNT || !RecentFiles[n][0])
    return -1;
  return fil_open(1, RecentFiles[n]);
}

// A drawing whose state word is set may be saved over its file; nothing else of the
// drawing's record tells yet.
bool dwg_cansave() {
  uint32_t state = 0;
  return sys_dwgstat('R', dwg_cur(), &state) == 0 && state != 0;
}

int fil_newcmd() { return fil_open(0, nullptr), 0; }
int fil_opencmd() { return fil_open(1, nullptr), 0; }
int fil_closecmd() { return 0; } // no drawing window to close
int fil_savecmd() { return refuse(nullptr), 0; }
int fil_regcmd() { return refuse(nullptr), 0; }
int fil_open2nd() { return refuse(nullptr), 0; }

#include "shell/app/appcmd_win.h"

#include <cstring>

#include "settings/dbgtrace.h"
#include "settings/msgout.h"
#include "shell/app/appcmd.h"
#include "shell/dde/handover.h"

int app_cmdline(HINSTANCE instance, const char *text) {
  std::memset(&AppArgs, 0, sizeof AppArgs);
  return app_parsecmd(instance, text);
}

int app_parsecmd(HINSTANCE, const char *text) {
  AppCmdLine line;
  app_cmdparse(text, line);
  dbg_mode = line.trace >= 0 ? line.trace : 0;
  if (line.refuse) {
    reg_action(100);
    msg_board(0, "%s", "本起動オプションでは実行できません");
    return 1;
  }
  // A name given relative to the folder the editor was started in is taken from
  // there: the open checks want a drive or a share.
  int kept = 0;
  for (int i = 0; i < line.count; i++) {
    char full[APP_NAMELEN];
    // Nothing comes back for a name too long with the folder in front.
    const DWORD n = GetFullPathNameA(line.files[i], sizeof full, full, nullptr);
    if (n == 0 || n >= MAX_PATH) {
      line.toolong++;
    } else {
      std::memcpy(AppArgs.files[kept++], full, sizeof AppArgs.files[0]);
    }
  }
  AppArgs.count = kept;
  if (line.toolong)
    msg_board(1, "%s", "ファイル名が長すぎるため開けません。");
  return 0;
}

#include "shell/appcmd_win.h"

#include <cstring>

#include "settings/dbgtrace.h"
#include "settings/msgout.h"
#include "shell/appcmd.h"
#include "shell/handover.h"

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
  if (line.toolong)
    msg_board(1, "%s", "ファイル名が長すぎるため開けません。");
  AppArgs.count = line.count;
  for (int i = 0; i < line.count; i++)
    std::memcpy(AppArgs.files[i], line.files[i], sizeof AppArgs.files[i]);
  return 0;
}

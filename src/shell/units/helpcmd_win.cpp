// The help and About commands. They open the shell's help files and dialog, so the
// shell enters them into the command table itself while the program loads.
#include "commands/cmdl/cmdtable.h"
#include "settings/appwin.h"
#include "shell/units/help.h"

namespace {
int32_t cm_helpcad() {
  hlp_opencad(app_hmain(), 1);
  return 0;
}
int32_t cm_helpmain() {
  hlp_open(app_hmain(), 1);
  return 0;
}
int32_t cm_about() {
  DialogBoxParamA(app_hinst(), "ABOUTBOX", app_hmain(), about_proc, 0);
  return 0;
}

[[maybe_unused]] const bool filled = [] {
  CommandTable[850] = cm_helpcad;
  CommandTable[852] = cm_about;
  CommandTable[860] = cm_helpmain;
  return true;
}();
} // namespace

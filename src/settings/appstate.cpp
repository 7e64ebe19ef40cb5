#include "settings/appstate.h"

#include <cstring>

namespace {
int curdwg = 0;
int curvew = 0;
char pendpath[APP_PENDLEN];
uint32_t modeflag;
} // namespace

int dwg_cur() { return curdwg; }
int vew_cur() { return curvew; }
void vew_setcurrent(int view) { curvew = view; }

int dwg_setcur(int dwg) {
  int old = curdwg;
  if (dwg == 0 || dwg == 1)
    curdwg = dwg;
  return old;
}

const char *app_pendpath() { return pendpath; }

void app_setpendpath(const char *path) {
  if (!path) {
    pendpath[0] = '\0';
    return;
  }
  std::strncpy(pendpath, path, APP_PENDLEN - 1);
  pendpath[APP_PENDLEN - 1] = '\0';
}

uint32_t app_modeflag() { return modeflag; }
void app_setmodeflag(uint32_t flag) { modeflag = flag; }

int32_t CmdLevel = -1; // the command loop sets it when it runs commands
uint32_t CmdRclickForced = 0;
EmbeddedDrawingRecord EmbeddedDrawing = {-1, "", ""};
uint32_t ObjectMode = 0;
uint32_t MesgSuppress = 0;
uint32_t AboxPenRule = 0;
char HelpStepName[64] = "";

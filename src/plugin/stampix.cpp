// Stampix, the plug-in library of the host CAD.
#include <windows.h>

#include "display/fonts/fontfile.h"
#include "plugin/plugsys.h"
#include "plugin/rarustr.h"

namespace {
constexpr int FONT_CACHE_BLOCKS = 50;
}

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    plg_module = inst;
    // The high-quality stroke font beside the library; without it the preview draws no text.
    char path[RARU_PATH], folder[RARU_PATH];
    if (plg_sys.modulepath(path, sizeof path)) {
      raru_dirof(path, folder);
      fnt_open(2, folder, FONT_CACHE_BLOCKS);
    }
  } else if (reason == DLL_PROCESS_DETACH) {
    fnt_close();
  }
  return TRUE;
}

// Shell services the engine calls before the shell's own windows exist.
#include "shell/appsvc.h"
#include "shell/msgwin.h"
#include "shell/viewwin.h"

// The drawing windows do not track right-button drags yet.
int vwin_rdrag(HWND) { return 0; }


uint32_t MesgSuppress = 0;


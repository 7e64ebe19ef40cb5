// Shell services the engine calls before the shell's own windows exist.
#include "settings/appwin.h"
#include "shell/drawwin/viewwin.h"

// The drawing windows do not track right-button drags yet.
int vwin_rdrag(HWND) { return 0; }




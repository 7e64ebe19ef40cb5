// Shell services the engine calls before the shell's own windows exist.
#include "shell/appsvc.h"
#include "shell/scmenu.h"
#include "shell/msgwin.h"
#include "shell/viewwin.h"

// The drawing windows do not track right-button drags yet.
int vwin_rdrag(HWND) { return 0; }


uint32_t MesgSuppress = 0;

void scm_off() {} // the drawing windows have no shortcut menu yet
int scm_rbutton(HWND, WPARAM, LPARAM) { return 0; }             // no shortcut menu to show
LRESULT scm_command(HWND, WPARAM, LPARAM) { return TRUE; }       // no items: nothing to run
int scm_count() { return 0; }

// Shell services the engine calls before the shell's own windows exist.
#include "shell/appsvc.h"
#include "shell/scmenu.h"
#include "shell/msgwin.h"
#include "shell/viewwin.h"

// The drawing windows do not track right-button drags yet.
int vwin_rdrag(HWND) { return 0; }

namespace {
int cursor_kind = 0;
}
int vwin_curkind(int kind) {
  int previous = cursor_kind;
  if (kind >= 0 && kind <= 20)
    cursor_kind = kind;
  return previous;
}

uint32_t MesgSuppress = 0;

void scm_off() {} // the drawing windows have no shortcut menu yet

// The program's own message loop and its MDI client.
#pragma once

#include <windows.h>

// Creates the MDI client in the main frame: child id 3244, first child id 16000 and no
// window menu (at start-up the menu bar has no popup to hold the window list). Its
// handle, also kept as the program's MDI client; null without a main frame or on failure.
HWND app_mdiclient();
// Until WM_QUIT: for each message a pending command starts first (cmd_pump), then
// the MDI accelerators and the key table may take it, else it is translated and
// dispatched. No idle processing. 0.
int app_run();

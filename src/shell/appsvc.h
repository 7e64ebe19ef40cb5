// Application shell services the engine calls: instance and main windows.
#pragma once

#include <windows.h>

HINSTANCE app_hinst(); // the program's instance handle
HWND app_hmain();      // the main frame window, null before it exists
HWND app_hmdi();       // the MDI client window, null before it exists
// The shell records its windows here as it creates and destroys them.
void app_setwindows(HWND mainframe, HWND mdiclient);
// The message window, the tool window and the attribute box; null while they do not exist.
HWND app_hmesg();
HWND app_htool();
HWND app_habox();

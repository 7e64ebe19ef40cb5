// Handles of the program's own windows, one home for all layers: the shell records
// each window as it creates it; lower layers read them (owner of a box, target of a post).
#pragma once

#include <windows.h>

HINSTANCE app_hinst(); // the program's instance handle
HINSTANCE app_hprev(); // always null: classes are registered when it is null
HWND app_hmain();      // the main frame window, null before it exists
HWND app_hmdi();       // the MDI client window, null before it exists
HWND app_hmesg();      // the message window
HWND app_hpanel();     // the command panel's frame window
HWND app_htool();      // the tool window
HWND app_habox();      // the attribute box
HWND app_htbar(int i); // host window of tool bar 0..4
HWND app_hunit8();     // the window of panel unit 8
void app_setinst(HINSTANCE h);
void app_setprev(HINSTANCE h);
void app_setmain(HWND h);
void app_setmdi(HWND h);
void app_setmesg(HWND h);
void app_setpanel(HWND h);
void app_settool(HWND h);
void app_setabox(HWND h);
void app_settbar(int i, HWND h);
void app_setunit8(HWND h);
// Both main windows at once (tests and the MDI client's creation).
void app_setwindows(HWND mainframe, HWND mdiclient);

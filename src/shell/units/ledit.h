// The one-line editor: a small edit strip along the bottom of the drawing area where
// commands read a typed line, with its own message loop while the main frame is disabled.
#pragma once

#include <windows.h>

// Key filter: the code that ends the line for this message, or 0 to let the edit have it.
typedef int (*LeditFilter)(HWND edit, UINT message, WPARAM wparam);

// Runs the editor over the screen rectangle (null: the bottom strip of the MDI client)
// starting with text, which receives the result (at most size - 1 characters). Returns
// the filter's code or 13 for Enter (text copied), 27 when the editor was closed
// otherwise, -1 for a null text or a size below 1, 1000 when the window class cannot be
// registered, 1002 when the window cannot be created. A quit message that arrives while
// it is open closes it and is posted again for the program's own loop.
int ledit_input(const RECT *rect, char *text, int size, LeditFilter filter);
// The editor window, null while none is open.
HWND ledit_window();
// The edit window of the open editor (null while none is open): the main frame posts
// the button presses made over it there while the editor keeps it disabled.
extern HWND CaptureForward;

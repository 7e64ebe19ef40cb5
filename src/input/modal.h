// The own message loop of a modal pop-up (message board, choice pop-ups).
#pragma once

#include <windows.h>

// Runs GetMessageA / TranslateMessage / DispatchMessageA until the window ends the loop
// with the quit message it posts on WM_DESTROY after setting *ended. A quit from anywhere
// else (the program is ending) or a broken queue does not end the program's loop here:
// the window is closed with WM_CLOSE (closewp, closelp), so it gives back the main
// window, the capture and the cursor clip, and such a quit is posted again for the loop
// outside. 0 when the window ended the loop, 800 otherwise.
int mdl_loop(HWND wnd, const bool *ended, WPARAM closewp, LPARAM closelp);

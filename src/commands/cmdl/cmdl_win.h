// The window side of the CMDL interpreter: the reply as a DDE data handle and the
// user input it waits for.
#pragma once

#include <windows.h>

#include <ddeml.h>

// Fills the interpreter's input and window calls (start-up, and the tests).
void dde_cmdlwin();
// The reply text for a request of item: a data handle for the text format
// (CF_TEXT), holding the text with its NUL; NULL for any other format.
HDDEDATA dde_reply(DWORD inst, UINT format, HSZ item);

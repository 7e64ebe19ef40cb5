// The command line at start-up, with its effects: trace mode, refusal, the record.
#pragma once

#include <windows.h>

// Clears the start-up record and the opened-at-start state, then app_parsecmd. 0 to
// go on, 1 to end the start-up.
int app_cmdline(HINSTANCE instance, const char *text);
// Keeps the first two file names, sets the trace mode (0 unless /D<n>), and for /F
// alone writes status 100, shows the refusal on the board and gives 1. A file name
// too long for a path is left out with a warning on the board. 0 otherwise.
int app_parsecmd(HINSTANCE instance, const char *text);

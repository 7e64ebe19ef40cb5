// Single instance and the status value other programs read.
#pragma once

// Set while a handed-over command line waits to be opened.
extern int HandoverBusy;

// Writes the status value "Action" (REG_DWORD) under
// HKEY_CURRENT_USER\Software\Orvik\Nimbo2XKIVOLANT; any code but 1 clears the
// hand-over busy flag. The registry's result (0 success).
long reg_action(unsigned long code);

#include <windows.h>

// Hand-over buffer: the last command line handed over by a second start.
extern char HandOverText[640];
// TRUE when this process is the only instance (the hidden window "RaruHideFrame"
// is made); FALSE when the command line went to a running instance, or the hidden
// window could not be made.
BOOL app_single(HINSTANCE instance, HINSTANCE prev, const char *cmdline);
// Takes the text of the atom and requests its opening on level 0. 0.
int app_handover(ATOM atom);
// Opens a hand-over that came while the program was still starting (end of start-up).
void app_handoverstart();
// Opens the files of a second instance's command line. 0.
int fil_cmdopen(const char *text);
// The editor is gone: gives up the single-instance mutex and the hidden window.
void app_singleend();

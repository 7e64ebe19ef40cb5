// File commands and the opening of seal files, as the shell and the command table
// call them.
#pragma once

#include <windows.h>

// Mode 0 opens a new empty drawing; mode 1 the seal file at path (the file dialog
// when path is null). 0 success, -1 cancelled, other values failures whose message
// the file layer showed.
int fil_open(int mode, const char *path);
// Opens recent-file entry n (0..4) as a seal file; -1 for a bad index or an empty entry.
int fil_openmru(int n);
// Whether the current drawing may be saved over its file.
bool dwg_cansave();
// Command handlers: 300 new, 301 open, 302 close, 330 save over, 331 register.
int fil_newcmd();
int fil_opencmd();
int fil_closecmd();
int fil_savecmd();
int fil_regcmd();
// Opens the files of the hand-over buffer (a command on level 0).
int fil_open2nd();

// The drawing pending for the next view window made outside the file commands
// (a new document of the framework), -1 none; fil_pendrst sets it to -1.
int fil_pendget();
void fil_pendrst();
// Takes a free drawing slot for such a window and prepares an empty drawing in it;
// 0, or 1002 (message 30151) when no slot is free.
int fil_newslot();
// Binds the pending drawing to the new view window (sheet 297 x 210, the view fitted
// to the client area, scroll bars centred); 0, or 1002 when none is pending.
int fil_newview(HWND view);
// Asks whether to save a modified drawing not asked yet: 0 Yes, 1 No or nothing to
// ask, 2 Cancel, -1 window without record, -2 drawing or view out of range.
int fil_askclose(HWND view);
// Saves (registers) a drawing on its way out; non-zero when it was not saved.
int fil_closesave(int dwg);
// Makes a drawing window for the drawing of a fresh open: device rectangle from the
// client area, world window the sheet. 0, or 1004 no window, 1005 / 1006 refused.
int fil_mkview(int dwg, int view);

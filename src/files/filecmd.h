// File commands and the opening of seal files, as the shell and the command table
// call them.
#pragma once

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

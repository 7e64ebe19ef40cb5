// Help files, the About box and the Windows version tests.
#pragma once

#include <windows.h>

// Modes 1..3 open row mode - 1 of the editor's help table ("INKFORGE.chm",
// "SUPPORT.chm" in the program folder, "winhelp.hlp" in the Windows folder); mode 4
// closes all help windows when a row is current. 1 done, 0 otherwise.
int hlp_open(HWND window, int mode);
// The About dialog procedure (dialog "ABOUTBOX").
INT_PTR CALLBACK about_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
// The version line "Version <ProductVersion> (yyyy/mm/dd)" and the LegalCopyright
// text of the program file (each at least 262 bytes). 1 without version data, else 0.
int about_version(const char *path, char *version, char *copyright);

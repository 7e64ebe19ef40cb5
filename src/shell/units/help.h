// Help files, the About box and the Windows version tests.
#pragma once

#include <windows.h>

#include "settings/appstate.h" // HelpStepName

// Modes 1..3 open row mode - 1 of the editor's help table ("INKFORGE.chm",
// "SUPPORT.chm" in the program folder, "winhelp.hlp" in the Windows folder); mode 4
// closes all help windows when a row is current. 1 done, 0 otherwise.
int hlp_open(HWND window, int mode);
// The same over the CAD help table ("KIVOLANT_HLP.chm", "SUPPORT.chm", "winhelp.hlp").
int hlp_opencad(HWND window, int mode);
// Shows "[<step>]ヘルプ無し" on the message board as a warning. 0.
int hlp_none();
// The help viewer's call (HtmlHelpA of hhctrl.ocx, looked up when first needed; a
// file that is not there is reported on the board instead of opened). Tests put their
// own in place; null puts the real one back.
using HlpViewer = HWND(WINAPI *)(HWND owner, LPCSTR path, UINT command, DWORD_PTR data);
void hlp_setviewer(HlpViewer viewer);
// The About dialog procedure (dialog "ABOUTBOX").
INT_PTR CALLBACK about_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
// The version line "Version <ProductVersion> (yyyy/mm/dd)" and the LegalCopyright
// text of the program file (each at least 262 bytes). 1 without version data, else 0.
int about_version(const char *path, char *version, char *copyright);

// File commands and the opening of seal files, as the shell and the command table
// call them.
#pragma once

#include <windows.h>

#include "settings/params.h"

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
// Consulted by the register and save-in-place commands first: a drawing that belongs
// to a container's document goes back to that container instead of into a seal file.
// Non-zero when the hook took the drawing (saved or not); none set, nothing taken.
extern int (*FilContainerSave)(int dwg);

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
// Registers a drawing on its way out: 0 saved; non-zero when it was not (also when
// the user declined to go on without a backup), so the window stays.
int fil_closesave(int dwg);
// Makes a drawing window for the drawing of a fresh open: device rectangle from the
// client area, world window the sheet. 0, or 1004 no window, 1005 / 1006 refused.
// While FilStartPlace is 1 (at start-up) a window whose client area is not laid out
// yet gets the device rectangle (0, 0, 550, 500), 715 wide for a sheet less than 1.3
// times as wide as high; the first window clears it.
int fil_mkview(int dwg, int view);
extern int FilStartPlace;
// As fil_mkview for the view window created last (a document's window made before its
// drawing was read); 1004 when there is none.
int fil_mkdocview(int dwg, int view);
// Loads the seal file at path (an embedded drawing's temporary file) into a free
// drawing and view, binds the view window created last and makes it current; the
// drawing is named "KIVOLANTDOC#<nn>" and gets no file of its own. 0; -1 refused;
// 1001 not read (message 30150; nothing kept); 1002 / 1003 no free drawing / view;
// 1004-1006 the window.
int fil_docload(const char *path);

// Dialog numbers the answers layer sees for the file choosers.
constexpr int FIL_DLGOPEN = 30301;
constexpr int FIL_DLGSAVE = 30302;

// The drawing's folder ('R' / 'W', 262-byte buffer): 0; 1 for a drawing outside 0..1.
int fil_dwgdir(int op, int dwg, char *buf);
// 1 when the path begins with two backslashes or has a drive; else message 30159, 0.
int fil_chkdrive(const char *path);
// 1 when path is not open in another drawing; else the "既存修正" question and 0.
int fil_chkopen(int dwg, int frompath, const char *path);
// The open chooser: 1 with the path (260 bytes) and *count 1; 0 cancelled.
int fil_opendlg(int mode, char *path, int *count);
// The seal-file chooser behind the open and save questions (through the answers layer):
// buf holds the proposed name and receives the chosen path. 1 chosen, else 0.
int fil_choose(bool save, const char *heading, char *buf, unsigned size);
// Loads the seal file into the drawing (mode 1, or 2 / 4 keeping the journal) or
// prepares an empty one (mode 0), and resets its drawing state in env.
// 1 loaded, 0 new, -1 not a seal file, -3 bad file, -4 protected.
int fil_loaddrw(int dwg, int mode, const char *path, const double *origin, DrawingEnvRecord *env);
// Drawing 0's environment for a new drawing: scale 1/1, sheet the seal area. 0.
int fil_newenv();

// Per drawing, the seal header its file came with or the seal-name dialog gave it, so
// that a save writes this drawing's owner fields and never those of a file read
// later into the other drawing. fil_headkeep takes the current seal header as the
// drawing's, fil_headuse makes the drawing's the current one, fil_headclear gives a
// new drawing an empty one.
void fil_headkeep(int dwg);
void fil_headuse(int dwg);
void fil_headclear(int dwg);

// The save chooser, proposing the seal name: 1 with the path (".KSL" forced), 0 cancelled.
int fil_savedlg(char *path /*[260]*/);
// Registers the drawing under a seal name and file the user chooses. 0 registered or
// the backup declined; -1 cancelled, empty or protected target; 1 the target is not
// a seal file (message shown).
int fil_register(int dwg, int outline);
// Saves the drawing over its file (bit 15 of dwg: closing); mode 0, or -1 the
// temporary copy in the work folder. 0 saved or nothing to save; -1 cancelled,
// empty or protected; -20 no space; -100 bad mode; 1001 bad path; 1..3 write failures.
int fil_save(int dwg, int mode);
// Registers to a path the caller chose (no seal-name question, no packing).
// 0 registered or backup declined; -1 no path; 1 the target is not a seal file.
int fil_regquick(int dwg, int outline, const char *path);
// The document store: 0 saved; the slf_save code or -20 when it was not.
int fil_docsave(int dwg, const char *path);

// The program's run-time state, one home for all layers: the current drawing and
// view, the file waiting to be opened, the mode flag, the running command's level, the
// embedded drawing and the object mode. (The drawing's modified state is its state
// word in settings/params.h.)
#pragma once

#include <cstdint>

constexpr int APP_PENDLEN = 264;

// The current drawing and its current view: the drawing's attributes, the view table
// and every drawing primitive follow them.
int dwg_cur();                 // current drawing, 0 or 1
int dwg_setcur(int dwg);       // makes dwg current (0 or 1); gives the previous one
int vew_cur();                 // current view of the current drawing
void vew_setcurrent(int view); // makes view current without checks (vew_select checks)

// File handed over by the command line or DDE for opening; "" when none.
const char *app_pendpath();
// Stores path (cut to APP_PENDLEN - 1 bytes); null empties it.
void app_setpendpath(const char *path);

// The program-wide mode flag: while 1 the object snap takes the cursor point as it
// is and the snap mark finds nothing. 0 at start; no command of the editor sets it.
uint32_t app_modeflag();
void app_setmodeflag(uint32_t flag);

// The level of the running command: 0..4; negative while no command runs.
extern int32_t CmdLevel;
// Set by the shortcut menu's item that sends a right click to the command; the input
// wait clears it when it delivers that click.
extern uint32_t CmdRclickForced;

// The drawing an OLE container edits as an embedded object (-1 none) and its names.
struct EmbeddedDrawingRecord {
  int32_t dwg;
  char object[262];
  char host[262];
};
extern EmbeddedDrawingRecord EmbeddedDrawing;

// 1 while object mode is on (CMainView::ToggleObjectMode): objects are neither
// opened, deleted nor placed, and the tool-bar buttons it governs are disabled.
extern uint32_t ObjectMode;

// 1 suppresses the message lines and the message board; 0 at start.
extern uint32_t MesgSuppress;

// The pen-rule switch: while 0, a pen bound to a line kind takes the line-kind field
// away from commands that draw with the line attributes; 0 at start.
extern uint32_t AboxPenRule;

// The name of the running input step, shown by the help when there is none for it.
extern char HelpStepName[64];

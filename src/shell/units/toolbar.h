// The five tool bars of bitmap buttons (TOOLONE, TOOLTWO, TOOLDISP, TOOLFILE,
// TOOLMES: bars 0..4) defined by the tool-bar file RODIDEVO.MNU in the program
// folder, and the value list of its TOOLDISP section.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

#include "shell/units/tbfile.h"

constexpr int TBAR_COUNT = 5;
constexpr int TBAR_BUTTONS = TBF_BUTTONS;
constexpr int TBAR_ID = 1000; // button id = 1000 + command

struct ToolBarButton {
  TBBUTTON btn;  // bitmap index, id, state, style
  int32_t level; // command level of the button's command
  HBITMAP bmp;   // null for a separator
  char tip[TBF_TIPSIZE];
};

struct ToolBar {
  int32_t count; // buttons made (100, 100, 9, 9, 5 before the file was read)
  HWND ctl;
  HWND tips;
  bool sep; // the bar holds a separator
  WNDPROC saved;
  ToolBarButton rec[TBAR_BUTTONS];
};
extern ToolBar ToolBars[TBAR_COUNT];
extern const char *const ToolBarSections[TBAR_COUNT];

// Bitmap resource ids by command: column 0 the small button, 1 the large, 2 unused;
// -1 none. Filled from the table generated with the images.
extern int32_t BitmapTable[1100][3];
// The bitmap resource id of a command's button: s 0 small, 1 large; -1 none.
int tbar_bitmap(int command, int s);
// Path of the tool-bar file (program folder + RODIDEVO.MNU) into out (262 bytes).
void tbar_path(char *out);

// Creates bar b's control in its host and fills it; 1 when TBMAXCOUNT was found.
int tbar_make(int b);
// Every bar: buttons and bitmaps deleted, the control destroyed and made again.
void tbar_rebuild();
// Deletes the bitmaps of all records (shut-down).
void tbar_freebmp();
// Client size of bar b's host for its layout choice, docked at side (0 floating);
// empty when the choice gives no rows.
SIZE tbar_size(int b, int side);
// Rows of bar b for layout choice k (0 when the choice has none).
int tbar_rows(int b, int k);
// Columns for rows of bar b's buttons; 0 for rows below 1.
int tbar_cols(int b, int rows);
// Appends the host's layout choices (ids 1000 + k) and "閉じる(&C)" to its system menu;
// the number of choices.
int tbar_sysmenu(int b);
// The bar's tooltips and the enabled and checked states of its buttons; 1, 0 without tooltips.
int tbar_create(int b);
int tbar_find(int command);            // first bar with a button of command, -1 none
int tbar_has(int command, int b);      // 1 when bar b holds such a button
int tbar_btnlevel(int b, int command); // the button's level, -1 none
HWND tbar_hwnd(int b);
// Notifier of tool-bar commands: unchecks 521 (unless it is the command), then checks
// (on) or unchecks the command's buttons in every bar, and repaints at once.
void tbar_check(int32_t command, int32_t on);
int tbar_precmd(int level, int command); // lets every press through: 1
// State refreshes: the grid base-point button, the buttons object mode governs, and
// the save buttons (command 330).
void tbar_gridbtn();
void tbar_objmode();
void tbar_upd330();

// The value list of section TOOLDISP: numbers and texts in key order.
struct ToolValue {
  int32_t a, b;
  char *text;
  ToolValue *next;
};
struct ToolValueList {
  char path[262]; // the file it was read from, where tval_write writes
  char section[32];
  char name[260];
  int32_t count;
  ToolValue *first;
};
extern ToolValueList ToolValues;
int tval_read(const char *path); // 1, 0 on any failure (the list is empty then)
// Writes the list back to section TOOLDISP of the file it came from, deleting the
// TBVALUE keys beyond it; 0 when the file has no TBMAXCOUNT above 0 or a write fails.
int tval_write();
void tval_free();

// The hosts of the five bars: windows of classes "KL_TOOLBAR_FRAME_ONE" ..
// "KL_TOOLBAR_FRAME_MES", docked children of the main frame or floating pop-ups.
// Creates the five hosts for their units; 1 only when all five were made.
int tbar_hostsinit();
// Host b made again for unit record u (its side, line and position); 1, 0 on failure.
int tbar_hostreset(int b, const struct UnitRecord *u);
// Replaces host b by a new window; the bar moves to the main frame meanwhile and
// keeps its handle. Without a bar one is made. 1, 0 on failure.
int tbar_hostcreate(int b, int side, int x, int y, int cx, int cy, DWORD style, DWORD exstyle);
// A host resized to its bar's size for its unit's side.
void tbar_hostfit(int b);
// Runs the command of button id (1000 + command) of bar b and checks the button when it started.
int tbar_run(int b, int id);
// System-menu command of host b: 1 when handled.
int tbar_syscmd(int b, WPARAM id);
// Reduces a floating window's system menu to what its own items join.
void win_trimsysmenu(HWND w);

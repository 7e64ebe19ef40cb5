// The five tool bars of bitmap buttons (TOOLONE, TOOLTWO, TOOLDISP, TOOLFILE,
// TOOLMES: bars 0..4) defined by the tool-bar file RODIDEVO.MNU in the program
// folder, and the value list of its TOOLDISP section.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

constexpr int TBAR_COUNT = 5;
constexpr int TBAR_BUTTONS = 100;
constexpr int TBAR_ID = 1000; // button id = 1000 + command

struct ToolBarButton {
  TBBUTTON btn;  // bitmap index, id, state, style
  int32_t level; // command level of the button's command
  HBITMAP bmp;   // null for a separator
  char tip[36];
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
// Client size of bar b's host for its layout choice, docked at side (0 floating).
SIZE tbar_size(int b, int side);
int tbar_rows(int b, int k);
int tbar_cols(int b, int rows);
// The bar's tooltips and the enabled and checked states of its buttons; 1, 0 without tooltips.
int tbar_create(int b);
int tbar_find(int command);            // first bar with a button of command, -1 none
int tbar_has(int command, int b);      // 1 when bar b holds such a button
int tbar_btnlevel(int b, int command); // the button's level, -1 none
HWND tbar_hwnd(int b);
// Notifier of tool-bar commands: checks (on) or unchecks the command's buttons.
void tbar_check(int32_t command, int32_t on);
int tbar_precmd(int level, int command); // lets every press through: 1
void tbar_gridbtn();
void tbar_upd330();

// The value list of section TOOLDISP: numbers and texts in key order.
struct ToolValue {
  int32_t a, b;
  char *text;
  ToolValue *next;
};
struct ToolValueList {
  char section[32];
  char name[260];
  int32_t count;
  ToolValue *first;
};
extern ToolValueList ToolValues;
int tval_read(const char *path); // 1, 0 on any failure (the list is empty then)
void tval_free();

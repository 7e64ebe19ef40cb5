// The tool window: nine buttons, the first three of which carry view commands
// preset from the tool-bar file's TOOLDISP list.
#pragma once

#include <windows.h>

#include <cstdint>

#include "commands/cmdl/cmdtable.h"

constexpr int TOOL_BUTTONS = 9;
constexpr int TOOL_ID = 19000;

struct ToolSlot {
  uint32_t pressed;
  CmdHandler handler; // null: the button does nothing
  HWND window;
  WNDPROC saved;  // the button's own window procedure
  char title[16]; // shown as the tool window's caption
  char label[16]; // drawn on the button
};
extern ToolSlot ToolSlots[TOOL_BUTTONS];
// Command numbers 500..508 of buttons 0..2, -1 for none.
extern int32_t ToolCommands[3];

// Buttons n = 0..8; 0 for another n, else 1.
int tool_sethandler(int n, CmdHandler handler);
int tool_setcaption(int n, const char *title, const char *label);
// op 0 hide, 1 show, 2 show disabled, 3 show enabled, for button n or (n below 0)
// the tool window. 0 when refused.
int tool_show(int n, int op);
// Applies the presets of values v (the first three of the TOOLDISP list; count of them).
void tool_preset(const int32_t *v, int count);

struct UnitRecord;
// Creates the tool window (child or pop-up by the unit's side) in the main frame; 1, 0 on failure.
int tool_create(UnitRecord *u);
void tool_destroy();
// Sets button n's text when it differs without regard to case; 0 for a bad n.
int tool_settext(int n, const char *text);
// Button n pressed or released: the caption shows its title; -1 while unit 2 is hidden.
int tool_press(int n, int on);
// Places the buttons for the unit's line choice and sizes the window (a floating one
// is kept on the desktop and its place written back to u).
int tool_arrange(UnitRecord *u);

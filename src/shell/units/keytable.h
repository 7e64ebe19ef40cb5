// Key assignments: keys the user bound to commands (section KEYMENU of the key file
// "inkforge.key" in the program folder) and the built-in keys of the command panel,
// the tool window and the attribute box. Start-up runs key_builtin, then key_init
// and scm_load; no key file means no table and no message, a file that fails to
// load shows error text 3 on the board and start-up goes on.
#pragma once

#include <windows.h>

#include "shell/units/keyrec.h"

struct KeyTable {
  int count = 0;
  KeyItem *items = nullptr;
};
extern KeyTable KeyTab; // the program-wide table cmd_keyrun walks

// Reads the table from file (1, or 0 with nothing kept); a null file frees it (1).
int key_load(const char *file, KeyTable *table);
// Writes KEYITEMCOUNT and every item: 1 when all were written.
int key_save(const char *file, const KeyTable *table);
// Appends the seven mouse and wheel lines to a table of 1..108 items: 0 done or not
// needed, 1 count out of range.
int key_upgrade(const char *file);
// key_upgrade, then key_load into KeyTab: 0, or 1 on failure.
int key_init(const char *file);
// The built-in keys. 0.
int key_builtin();
// Runs the command bound to a key message; non-zero when the message was taken.
// Keys typed into edit controls are never taken.
int key_xlate(MSG *msg);
// Start of a mouse drag; key_dragdir gives the direction to (x, y), -1 when short.
extern POINT KeyDragStart;
extern int32_t KeyDragEight; // 1: eight directions, else four
int key_dragdir(int x, int y);

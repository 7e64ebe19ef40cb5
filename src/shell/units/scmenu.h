// The drawing windows' right-click shortcut menu, built from the records of section
// SHORTCUTMENU of the key file (see keytable.h). Start-up switches it on with
// scm_enable(1, 1) when records were loaded; with none a right click reaches the
// running command.
#pragma once

#include <windows.h>

#include "shell/units/keyrec.h"

struct ScmTable {
  int count = 0;
  ShortcutItem *items = nullptr;
};
extern ScmTable ScmTab;

// Reads SHORTCUTMENU (at most 200 records): the number of records kept.
int scm_load(const char *file, ScmTable *table);
void scm_free(ScmTable *table);
// Right click opens the menu: on 1 / off 0 (also the configured value); undo flag
// -1 leaves the undo-and-redo item flag alone. 1.
int scm_enable(int on, int undo);
// Switches the shortcut menu off, so the next right click reaches the command.
void scm_off();
// The view's right-button-up: shows the menu when it is switched on. 1.
int scm_rbutton(HWND view, WPARAM wp, LPARAM lp);
// Builds and tracks the menu at the cursor: 1 shown and destroyed, else 0. The
// tracking is a UI_MENU question of the answers layer (scripted runs choose an item).
int scm_show(HWND view);
// Appends the records of depth from the build cursor on.
void scm_build(HMENU menu, int depth);
// Whether an item runs now (level, its shortcut mask, journal, grid).
bool scm_allowed(int command);
// Runs the chosen item (id 20000 + n, or a command): 1 handled, 0 may not run now.
LRESULT scm_command(HWND view, WPARAM wp, LPARAM lp);
// Number of shortcut-menu items.
int scm_count();
// The menu while it is shown (or asked about), else null.
HMENU scm_menu();
// Whether any command level holds a running or pending command.
int lvl_anybusy();

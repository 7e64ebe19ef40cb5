// The menu file inkforge.mnu (section CADMENU) and the drawing menu built from it.
#pragma once

#include <windows.h>

// With a path loads section CADMENU into MenuArray and fills the group list: 0, or
// -1 (nothing kept) for a bad MCOUNT (1..129 accepted), no memory, or a missing or
// empty record. With no path frees the array: 0.
int mnu_load(const char *path);
// Builds a popup from the array starting at record first along the next chains;
// records with a child become sub-popups, leaves items 15000 + index.
HMENU cmd_mkmenu(int first);
// The start-up build: tool-window presets from the tool-bar file's TOOLDISP list and
// the drawing menu "作図(&C)" at position 3 of the main menu. 0 when the list cannot
// be read, 1 with panels_only, else the insertion's result.
int mnu_build(int panels_only);
// Runs record n as if its panel button were pressed; 0 when refused.
int mnu_run(int n);
// Shows page n (-1 the top page) on the command panel; 0 when n is not below the
// record count.
int pnl_page(int n);
// A press of panel button n + 3 (-1 the Menu button); 0 when refused.
int pnl_click(int n);

// Recent files in the File menu (items 17000 + entry).
int mru_init();
int mru_menu(HMENU menu);
int mru_add(const char *path);

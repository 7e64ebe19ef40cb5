// The drawing windows' right-click shortcut menu.
#pragma once

#include <windows.h>

// Switches the shortcut menu off, so the next right click reaches the command.
void scm_off();
// A right click released in a drawing window (wp, lp of the mouse move that
// followed): shows the shortcut menu when it is switched on. 1 shown, else 0.
int scm_rbutton(HWND view, WPARAM wp, LPARAM lp);
// A shortcut-menu item chosen in a view (ids 20000 + item).
LRESULT scm_command(HWND view, WPARAM wp, LPARAM lp);
// Number of shortcut-menu items.
int scm_count();

// The drawing windows' right-click shortcut menu.
#pragma once

// Switches the shortcut menu off, so the next right click reaches the command.
void scm_off();

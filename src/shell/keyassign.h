// The user's key assignments and the drawing windows' shortcut menu.
#pragma once

#include <windows.h>

// Turns a key or mouse message into a command request through the key-assignment
// table; non-zero when the message was consumed.
int key_xlate(MSG *msg);
// Switches the right-click shortcut menu off.
void scm_off();

// Key assignments: keys the user bound to commands.
#pragma once

#include <windows.h>

// Runs the command bound to a key message; 1 when the message was taken. With no
// key table loaded yet no key is bound, so nothing is taken.
int key_xlate(MSG *msg);

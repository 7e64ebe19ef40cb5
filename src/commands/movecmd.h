// Commands on a selection: erase it after a question, or move it by a base and a
// target point, within its drawing or into the other one. Each operation is one undo
// step in every drawing it changes.
#pragma once

#include <cstdint>

int32_t cm_erase2(); // 116
int32_t cm_move();   // 120: parts of compound texts can be chosen
int32_t cm_move2();  // 130: whole compound texts only, scale numbers kept

// What the copy engine shows and asks through on the screen.
void cpy_winhooks();

// Enters the selection commands into the command table.
void cm_movetable();

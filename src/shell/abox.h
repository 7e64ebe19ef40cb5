// The attribute box: the fields of the current attributes that the running command uses.
#pragma once

#include <cstdint>

// The pen-rule switch: while 0, a pen bound to a line kind takes the line-kind field
// away from commands that draw with the line attributes; 0 at start.
extern uint32_t AboxPenRule;
// Refreshes every field from the current attributes and the input request.
void abox_refresh();

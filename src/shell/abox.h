// The attribute box: the fields of the current attributes that the running command uses.
#pragma once

#include <cstdint>

// The pen-rule switch: while 0, a pen bound to a line kind takes the line-kind field
// away from commands that draw with the line attributes; 0 at start.
extern uint32_t AboxPenRule;
// Refreshes every field from the current attributes and the input request.
void abox_refresh();

// The attribute word of the current input kind, part by part: set 0 reads, 1 writes
// pen (bits 0-3), line type (4-7), start (8-10) and end (11-13) line end; a null part is
// skipped. Kind 1 writes the pen into the line and point words and follows the
// pen-bound line kind; kind 4's line type is the point type (bits 4-11). 0.
int abox_curattr(int set, int32_t *pen, int32_t *ltype, int32_t *start, int32_t *end);
// Sets a field's text when it differs without regard to case. 0.
int abox_settext(int field, const char *text);

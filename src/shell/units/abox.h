// The attribute box: the fields of the current attributes that the running command uses.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

#include "settings/appstate.h" // AboxPenRule
#include "shell/units/aboxtbl.h"

// Program-wide look of the pick-mode field: while 1 its name is drawn embossed. Its
// owner sets it; the box only reads it. 0 at start.
extern uint32_t AboxGreyLook;
// Program-wide: the count of processing-mode buttons (2..5; others count as 2) and the
// two-row split (1: the second row starts at field 6, else at field 5). No setting
// holds them.
extern uint32_t AboxModeCount;
extern uint32_t AboxSplit;

// Of the input request, the target is the box's input kind (which attribute word the
// fields show) and the kind names the kind record whose processing modes the buttons
// step (the command's code).

// Refreshes every field from the current attributes and the input request.
void abox_refresh();
// Reads (set 0) or writes (set 1) the parts of the attribute word of the current
// input kind: pen, line type (point type for kind 4), start and end line ends; a null
// part is skipped. 0, or 1 for an input kind without attributes (nothing read: 0s).
int abox_curattr(int set, int *pen, int *ltype, int *sends, int *eends);
// Whether the layer list is dropped down (the command layer's scrolling keys ask).
int abox_lstopen();

#ifdef _WIN32
struct UnitRecord;
// Builds the field table and creates the box for units 1 and 9 (docked: a child of
// the main frame; floating: a pop-up at the unit's place). The box, null on failure.
HWND abox_create(const UnitRecord *unit1, const UnitRecord *unit9);
int abox_destroy();
// op 0 hide, 1 show, 2 show disabled, 3 show enabled; field below 0: the box. 1 done,
// 0 without main frame or box, for a bad field, or (fields) while unit 1 is hidden.
int abox_show(int field, int op);
// Sets a field's text when it differs without regard to case. 1 done, 0 as abox_show.
int abox_settext(int field, const char *text);
// Places the fields for the unit's line choice and sizes the box (left hidden). 1, 0 without a box.
int abox_arrange(const UnitRecord *unit1);
// The field window, null when there is none.
HWND abox_field(int field);
// Field numbers of the element count and the highlight buttons.
int abox_countfield();
int abox_hilitefield();
#endif

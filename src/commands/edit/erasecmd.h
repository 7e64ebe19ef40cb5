// Erasing whole elements: the selection after a question, or single picks and the
// elements a dragged line crosses. Each accepted erase is one undo step.
#pragma once

#include <cstdint>

int32_t cm_erase();   // 100: selection, then "YyNn"
int32_t cm_erasepk(); // 101: single picks; an empty pick starts a crossing line
// Erases every element of the pick list: the first non-zero result of elm_delete, else 0.
int cm_erasepl(int32_t dwg);

// Enters the erase commands into the command table.
void cm_erasetable();

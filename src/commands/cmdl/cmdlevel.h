// The running command as the input and the shortcut menu see it.
#pragma once

#include <cstdint>

#include "settings/appstate.h" // CmdLevel, CmdRclickForced


// Non-zero when a right click in a drawing window opens the shortcut menu, 0 when it
// reaches the command as a right click.
int cmd_rmenuon();
// The configured setting that cmd_rmenuon returns to after a right click was handed on.
int cmd_rmenucfg();

// Partial-erase hover highlight under the cursor; the get-point loop calls it only
// while SegHoverOff (select/near.h) is 0.
int seg_hover(int32_t dwg, int32_t view, int32_t px, int32_t py, double x, double y);
// Removes it and empties the table: 0; 1 the hover is off, 2 a negative view, 3 a view
// outside the mask.
int seg_hvend(int32_t dwg, uint32_t viewmask, int32_t view);

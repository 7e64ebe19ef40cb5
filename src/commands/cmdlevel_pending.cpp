#include "commands/cmdlevel.h"

uint32_t CmdRclickForced = 0;

// The partial-erase pick does not exist yet: nothing is ever highlighted.
uint32_t SegHoverOff = 1;
int seg_hover(int32_t, int32_t, int32_t, int32_t, double, double) { return 0; }
int seg_hvend(int32_t, uint32_t, int32_t) { return 2; }

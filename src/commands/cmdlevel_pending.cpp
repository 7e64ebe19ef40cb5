#include "commands/cmdlevel.h"

uint32_t CmdRclickForced = 0;

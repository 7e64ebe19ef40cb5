#include "commands/cmdlevel.h"

int32_t CmdLevel = -1; // the command loop sets it when it runs commands

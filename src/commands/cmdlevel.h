// The level of the running command, as the display reads it.
#pragma once

#include <cstdint>

extern int32_t CmdLevel; // 0..4; negative while no command runs

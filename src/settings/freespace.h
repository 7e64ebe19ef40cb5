// Free space of a drive.
#pragma once

#include <cstdint>

// Free bytes on the drive of path, capped at 0x7fffffff; a path without a drive
// letter (UNC) gives 0x7fffffff.
uint32_t fil_freespc(const char *path);

// Layer names of a drawing: 64 zero-terminated Shift-JIS names of 256 bytes.
#pragma once

#include <cstddef>

#include "settings/laynames.h"

int lay_check(LayerNames table); // repairs names read from a file or typed in; 0
// 1 when no entry other than layer's carries the name, else 0.
int lay_isfree(int layer, const char *name, const LayerNames table);
// Entry equal to name: mode 0 among the entries after layer, mode 1 among all but
// layer. 1 with its index in found, or 0 with found -1.
int lay_find(int mode, int layer, const char *name, const LayerNames table, int *found);
// Removes leading and trailing ' ' and full-width blanks in place (name holds len
// bytes, not necessarily terminated); gives the new length.
std::size_t lay_trim(std::size_t len, char *name);

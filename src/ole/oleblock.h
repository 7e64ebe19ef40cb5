// The block of embedded objects that a drawing file carries after its records.
#pragma once

#include <cstdint>

// Size of the block a save of the drawing will append.
uint32_t PrepareOleBlock(int dwg);
// Appends the drawing's block to the file at path when its document holds embedded
// objects; 1 on success or when there is nothing to append, 0 on failure.
int WriteOleBlock(int dwg, const char *path);
// Deletes the temporary compound file of the last save.
void DeleteOleTempFile();

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

// The program-wide name of the current temporary compound file (empty when none).
const char *OleTempFileName();
// Makes a new temporary name in the work folder: a unique "KlOLE" name from the
// system, else "KlOLE.$$$" in the work folder, else "KlOLE.$$$" alone.
const char *MakeOleTempFileName();

// Writing a drawing to a seal file. The header and the record chunks are built here
// without the platform; slf_save (sealsavewin.h) adds the refusals, the backup, the
// safety copy and the lock handle.
#pragma once

#include <cstdint>

#include "settings/params.h"

// Records 1 .. SlfSaveCount of area 1 are saved; the saving commands set it after packing.
extern int32_t SlfSaveCount;

// The header of the next save: the current seal header with the magic, version 1,
// the element count, the outline and the environment's sheet size set. 0.
int slf_mkhead(int db, const DrawingEnvRecord *env, uint8_t *out /*[256]*/);

// Hands records 1 .. n to put in chunks of at most 400 records (32000 bytes), each a
// run of contiguous record memory. 0; 2 when put fails; 1 a record page cannot be had.
using SlfPut = bool (*)(void *ctx, const void *buf, uint32_t size);
int slf_wrbody(int db, int32_t n, SlfPut put, void *ctx);

// Font-file block cache: the glyph lookup's many small reads at scattered offsets
// become few block reads. One cache per process, single-threaded.
//
// Slot 0 (the first file opened) is read in 8-byte blocks, slots 1 and 2 in
// 32-byte blocks; N blocks of each size (1..1200). Seeks with origin 0 or 1 on a
// cached file only move a position kept here.
#pragma once

#include <cstdint>

constexpr int FCH_MAXBLOCKS = 1200;
constexpr int FCH_HANDLES = 3;

// The runtime's low-level file functions the cache sits on (untranslated mode).
// Tests swap them to count or fail the I/O.
struct FchIo {
  int (*open)(const char *path, int flags, int mode);
  int (*read)(int fd, void *buf, unsigned count);
  int32_t (*lseek)(int fd, int32_t offset, int origin);
  int (*close)(int fd);
};
// The runtime's functions.
const FchIo &fch_rtio();
// Replaces the functions (nullptr: the runtime's); gives the previous set.
FchIo fch_setio(const FchIo *io);

// Sets the cache up: 0, or 1 when the area cannot be allocated (caching stays off).
// N outside 1..1200 or enable != 1 leaves caching off; an area of an earlier set-up is freed.
int fch_init(int enable, int n);
// Closes the registered files and frees the area; 0.
int fch_term();
int fch_open(const char *path, int flags, int mode);
int fch_close(int fd);
// Bytes delivered (short at the end of the file), or -1 when a block cannot be read.
int fch_read(int fd, void *buf, int count);
int32_t fch_lseek(int fd, int32_t offset, int origin);

// Block count in force (0 while caching is off) and the registered handle count.
int fch_blocks();
int fch_handles();

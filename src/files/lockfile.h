// Lock files "<seal path>.cslock": three text lines naming who holds a seal file,
// from which computer and since when (UTC). Formatting and reading them is pure;
// the Windows calls that create, read and delete them are in lockwin.h.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int LCK_FIELD = 260;   // user and host texts
constexpr int LCK_LINEMAX = 512; // bytes of one line kept; the rest comes as the next line
constexpr int LCK_PATHMAX = 262; // the lock file's path

// Laid out like the Windows SYSTEMTIME.
struct LockTime {
  uint16_t year, month, dayofweek, day, hour, minute, second, ms;
};

struct LockHolder {
  char user[LCK_FIELD];
  char host[LCK_FIELD];
  LockTime time;
};

// "<path>.cslock" into out; 1 when it does not fit (out empty), else 0.
int lck_path(const char *path, char *out /*[LCK_PATHMAX]*/);

// The three lines of a holder, each ended by CR LF, into out; the bytes written.
std::size_t lck_format(const LockHolder &h, char *out, std::size_t size);

// Reads a holder from a byte stream: getbyte gives the next byte 0..255, -1 at the end
// of the file, or -2 - error for a failed read. 0, or the read error. Fields whose line
// is missing stay empty; texts are cut to fit their fields without splitting a
// double-byte character; a time keeps the fields parsed before the first bad one.
int lck_readholder(int (*getbyte)(void *ctx), void *ctx, LockHolder *h);
// The same over a buffer.
int lck_parse(const char *data, std::size_t size, LockHolder *h);

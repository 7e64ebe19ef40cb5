// The block of embedded objects a drawing file carries behind its element records:
// u32 kind, u32 end offset (absolute, just behind the data), then the data. Blocks are
// chained: a reader skips kinds it does not know by their end offset. Kind 3 holds a
// compound file; kind 1 an older list of objects, each as the older client writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "files/sealread.h"

constexpr uint32_t OLEBLK_OLE1 = 1;    // u32 count, then the objects
constexpr uint32_t OLEBLK_STORAGE = 3; // the bytes of a compound file
constexpr uint32_t OLEBLK_HEADSIZE = 8;

struct OleBlockHead {
  uint32_t kind;
  uint32_t end;
};
static_assert(sizeof(OleBlockHead) == OLEBLK_HEADSIZE, "stored block header is 8 bytes");

void oleblk_headput(const OleBlockHead &h, uint8_t *out /*[8]*/);
OleBlockHead oleblk_headget(const uint8_t *in /*[8]*/);

// Bytes a block with len bytes of data takes in the file (header included); 0 when
// it would not fit the 32-bit end offset.
uint32_t oleblk_size(uint64_t len);

// Where the block search starts, from the file's first bytes (n of them). A seal file
// (magic and version 1) keeps its records behind a 256-byte header: 256 + 80 x its own
// count. Other drawing files go by the generation byte at 25 with count, the drawing's
// record count. 1 and *start; 2 the file has no block by its generation; 0 too few
// bytes or a seal header whose count is out of range.
int oleblk_start(const uint8_t *head, std::size_t n, int32_t count, uint64_t *start);

enum : int { OLEBLK_BAD = 0, OLEBLK_FOUND = 1, OLEBLK_NONE = 2 };

struct OleBlockFound {
  uint32_t kind;
  uint32_t data;   // file offset of the data
  uint32_t length; // bytes of data
};

// Follows the chain from start in a file of size bytes: OLEBLK_FOUND and *found for
// the first block of kind 1 or 3; OLEBLK_NONE when the file ends where a header would
// start; OLEBLK_BAD for a header cut short, an end offset at or before its data or
// past the file, or a failed read or seek. Every step moves forward, so it ends.
int oleblk_find(SlfSource src, uint64_t size, uint64_t start, OleBlockFound *found);

// The older object stream (version, format, names, native data, presentation) as
// published: its length in bytes at data (size bytes there), or 0 when it is cut
// short or malformed.
std::size_t ole1_streamlen(const uint8_t *data, std::size_t size);

constexpr std::size_t OLE1_NAMEMAX = 32;   // object name with its terminator
constexpr std::size_t OLE1_PROTOMAX = 200; // protocol name with its terminator

// One object of a kind-1 list as written: a u32 length and the object name with its
// terminator, the same for the protocol name, the object stream, the rectangle as
// four f64 and the object kind as i32 (1 linked, 2 embedded, 3 static picture).
struct Ole1Entry {
  char name[OLE1_NAMEMAX];
  char protocol[OLE1_PROTOMAX];
  std::size_t stream; // offset of the stream in the list's data
  std::size_t streamLength;
  double rect[4];
  int32_t kind;
  std::size_t next; // offset behind the entry
};

// Reads the entry at pos of a list's data: 1 and every field; 0 for a name longer
// than its buffer or without its terminator, a stream cut short or malformed, a kind
// outside 1..3, or bytes missing -- the list ends there.
int ole1_entry(const uint8_t *data, std::size_t size, std::size_t pos, Ole1Entry *e);

// Appends one entry in the same layout.
void ole1_entryput(std::string *out, const char *name, const char *protocol, const uint8_t *stream, std::size_t len,
                   const double rect[4], int32_t kind);

// folder + "\" (unless it ends with one) + name into out (cap bytes): 1, or 0 when an
// argument is missing or empty or the result does not fit.
int JoinPath(const char *folder, const char *name, char *out, std::size_t cap);

// Appends a kind-3 block holding the bytes of the file at data to the file at path:
// header, the data in chunks, then the end offset written into the header. 1, or 0
// when a file cannot be opened, a read or write fails, or the file would pass the
// 32-bit end offset.
int oleblk_append(const char *path, const char *data);

// Finds the block of an open drawing file (count: the drawing's record count, for
// files other than seal files). OLEBLK_FOUND and *found; OLEBLK_NONE; OLEBLK_BAD also
// for a head too short to tell.
int oleblk_locate(std::FILE *fp, int32_t count, OleBlockFound *found);

// Copies count bytes from the file's position into a new file at path, stopping early
// at the end of the input (CopyFileBlock): 1, or 0 when the file cannot be made or a
// write fails.
int oleblk_copyout(std::FILE *in, uint32_t count, const char *path);

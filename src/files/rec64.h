// Drawing files of the older 64-byte element layout: converting a record to the
// 80-byte ElementRecord, and reading a file's records (plain, or for format 21
// in compressed blocks) into converted records in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int R64_SIZE = 64;
constexpr int R64_BLKRECS = 400;                        // records per read
constexpr int R64_BLKSIZE = R64_BLKRECS * R64_SIZE;     // 25600 bytes
constexpr int R64_WORKSIZE = 32000;                     // largest expanded block
constexpr int R64_PACKED = 21;                          // format with compressed blocks
constexpr int R64_BLKHEAD = 8;                          // u16 expanded, u16 packed, 4 bytes
constexpr uint64_t R64_FILEMAX = uint64_t(64) << 20;    // bytes of a file the reader takes in

// Converts one 64-byte record into 80 bytes: 16-bit links widen to 32 bits
// (0xFFFF to 0xFFFFFFFF), the body moves to its place in the wider layout and
// the bytes the old layout lacks are 0. Link values stay record numbers of the file.
void slf_conv64(uint8_t *dst80, const uint8_t *src64);
void slf_conv64blk(uint8_t *dst, const uint8_t *src, int count);

// The embedding record of a drawing held inside another file.
struct Rd64Embed {
  uint16_t mode;  // 1: the records sit 128 bytes behind where a file of its own has them
  int64_t budget; // bytes of record data still to read; reading ends at 0
};

// File offset of the first record: 1024, plus 32 x (c1 + c2 / 15 + 1) when both
// counters of the drawing environment are non-zero. Embedding mode 1 moves it 128
// bytes further when rec->mode is 1, else to 128. -1 when it would lie before the
// 4-byte word that formats 20 and 21 keep 64 bytes ahead of it.
int64_t slf_rd64start(int16_t c1, int16_t c2, int embed, const Rd64Embed *rec);

enum : int {
  R64_OK = 0,
  R64_SEEK = 1,  // the start, or the word before it, lies beyond the file
  R64_BLOCK = 2, // a compressed block is too long, runs past the file or does not expand
  R64_FULL = 3,  // more records in the file than the caller can take
};

struct Rd64Result {
  std::vector<uint8_t> recs; // converted records, 80 bytes each, in file order
  int32_t count = 0;         // records in recs
  uint32_t head = 0;         // the 4-byte word 64 bytes before the start (formats 20 and 21)
};

// Reads the records of a file held in memory: from start in reads of 400 records
// (format 21: one compressed block a read), each read's whole records counted up
// to *remain, which shrinks by them. Reading ends at the end of the data, at a
// short read, when *remain reaches 0, or when embed's byte budget (when embed is
// given) is used up. More than maxrecs records gives R64_FULL with the records
// that fit; a failure keeps what was read before it.
int slf_rd64buf(const uint8_t *file, std::size_t len, int fmt, int64_t start, int32_t *remain, int32_t maxrecs,
                Rd64Embed *embed, Rd64Result *out);

// The same over a file on disk (at most R64_FILEMAX bytes of it); -1 when it
// cannot be opened.
int slf_rd64path(const char *path, int fmt, int64_t start, int32_t *remain, int32_t maxrecs, Rd64Embed *embed,
                 Rd64Result *out);

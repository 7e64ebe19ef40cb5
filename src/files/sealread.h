// Reading seal files into a drawing database: the header check, the body read
// straight into the record pages, displacement and link renumbering, the attribute
// repair, and the load as one undo step. The reading works on a byte source, so a
// file and a buffer in memory go the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A byte source with a position.
struct SlfSource {
  long (*read)(void *ctx, void *buf, uint32_t size); // bytes read, -1 on failure
  int (*seek)(void *ctx, uint32_t offset);           // 0, or -1 on failure
  void *ctx;
};

struct SlfMemory {
  const uint8_t *data;
  std::size_t size;
  std::size_t pos;
};
SlfSource slf_memsource(SlfMemory *m);
SlfSource slf_filesource(std::FILE *fp);

// Version word of the last seal file read into each drawing.
extern int32_t SlfFileVersion[2];

// 1 a valid seal file; 0 the seal extension with a bad header; -3 protected; -1 no
// such file or another extension. Upper-cases the caller's path in place.
int slf_probe(char *path);
// 1 valid; -1 cannot be opened; -2 bad header (version, magic, element count);
// -3 protected. out receives the header once the magic is right.
int slf_rdhead(const char *path, uint8_t *out /*[256]*/);
int slf_rdheadsrc(const SlfSource &src, uint8_t *out /*[256]*/);

// Loads the file's records after the records of area 1, moved by (dx, dy).
// 0 loaded; 1 cannot be opened, or records could not be stored; 2 bad file (header,
// element count, a body shorter than the count, links outside the file); 3 protected. Nothing changes unless the
// load succeeds: the current seal header and the drawing's file version are set
// then, and area 1 keeps its count otherwise. keepver 1 keeps the file version.
int slf_read(int db, int keepver, const char *path, double dx, double dy);
int slf_readsrc(int db, int keepver, const SlfSource &src, double dx, double dy);

// Reads up to *remaining records from offset 256 into the record pages after area 1,
// never more than *remaining. 0 done (a short body ends it); 1 failure (message shown).
int slf_rdelem(int db, const SlfSource &src, double dx, double dy, int32_t *remaining);

// slf_rdhead, slf_read, then the new records journalled as one undo step.
// 0 loaded; -1 cannot be opened (or records not stored); -2 not a seal file, bad,
// protected or too large. header receives the file's header.
int slf_load(int db, const char *path, double dx, double dy, uint8_t *header /*[256]*/);
int slf_loadsrc(int db, const SlfSource &src, double dx, double dy, uint8_t *header /*[256]*/);

// Marks a group's whole tree erased. 0, or (child-chain code << 4) | (attribute-chain
// code << 8) with 1 a link outside the areas or met twice, 9 a missing record.
int slf_erasegrp(int db, int32_t node);

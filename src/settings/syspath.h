// The system path table and the folder operations of start-up.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int SYSPATH_COUNT = 31; // entries 0..30; 31 reads as the Windows folder
constexpr int SYSPATH2_COUNT = 30;

// 'R'/'r' reads entry 0..30 expanded (%NAME% and %FDn%, trailing '\'), 31 the Windows
// folder; 'W'/'w' stores a text (at most 261 bytes) unexpanded. 1 for a bad entry or
// operation, or a read whose result does not fit 262 bytes (buf then empty); else 0.
int sys_path(int op, int entry, char *buf /*[262]*/);
// A second table of 30 plain entries.
int sys_path2(int op, int entry, char *buf /*[262]*/);
// The stored text of an entry (empty for a bad index); and a store that takes a plain string.
const char *sys_pathraw(int entry);
void sys_pathset(int entry, const char *text);

// What expansion asks of the system.
struct PathLookup {
  // Long path of the value of environment variable name when it names an existing
  // path; false when unset, too long or missing.
  bool (*env)(const char *name, char *out, std::size_t size);
  // Drive letter of the n-th removable drive (1-based), 0 when there are fewer.
  char (*removable)(int n);
};
// Expands stored into out (size bytes): 0, or 1 and out empty when it does not fit.
int pth_expand(const char *stored, char *out, std::size_t size, const PathLookup &lookup);

int sys_stup(); // start-up set-up; 0

int pth_progdir(char *buf /*[264]*/);                // program folder with a trailing '\'; 0
char *pth_longdir(const char *path, char *buf /*[264]*/); // folder part in long names
int pth_find(const char *pattern, char *buf /*[262]*/); // 1 found (folder + name), 0 not
int pth_chkdir(const char *path);                    // 0 good or empty, 1 bad drive, 2 no folder
const char *sys_getenv(const char *name);            // value or null (static buffer)
void sys_drvtypes(uint32_t *table /*[25]*/);         // kinds of drives a..y; -1 entries skipped

// Display form "X:\first\...\last\name" of a long path (out of 260 bytes); -1 for
// a null or empty path or a null output, else 0.
int pth_short(const char *path, char *out);
// Mode 1 appends a '\' when missing; other modes remove a final one. Double-byte aware.
void pth_bslash(int mode, char *path);

// The paper block of the new-drawing dialog.
#pragma pack(push, 1)
struct PaperBlock {
  uint16_t w0;         // 7
  uint16_t w1;         // 4
  uint16_t width[12];  // mm by size index; 11 is the size the user enters
  uint16_t height[12];
  uint16_t w26;
  uint16_t w27;
  uint16_t w28;
  uint16_t w29[4];
  uint16_t w33;
  uint8_t areas[3][20];
  uint32_t u;
};
#pragma pack(pop)
static_assert(sizeof(PaperBlock) == 132);
int sys_paper(int op, PaperBlock *rec);

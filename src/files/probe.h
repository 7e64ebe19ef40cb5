// File-type probe: recognises the kind of a drawing or data file from fixed
// signatures at its head and picks up to three descriptive texts for a file list.
// It only reads the file.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int FIL_TEXTLEN = 41;                        // bytes of one descriptive text
constexpr int FIL_TEXTBUF = FIL_TEXTLEN + 1;           // with its NUL
constexpr int FIL_PROBEBUF = 3 * FIL_TEXTLEN + 2 + 1;  // "%s,%s,%s" and its NUL
constexpr int FIL_HEADLEN = 127;                       // bytes the signatures are compared over
constexpr std::size_t FIL_SCANMAX = 16384;             // bytes searched for keyword lines

// Kind codes.
enum : int {
  FIL_NOFILE = -1, // cannot be opened, or nothing read
  FIL_UNKNOWN = 0, // read, no signature matched
  FIL_SEAL = 1,    // seal file: seal name, owner
  FIL_DXF = 2,     // DXF: comment, format version
  FIL_TEXT = 3,    // plain Shift-JIS text: its first line(s)
};

// Probes folder + name (either may be null; both are upper-cased in place). A
// mode >= 0 writes "%s,%s,%s" to text (FIL_PROBEBUF bytes); a negative mode the
// three texts to text, text2 and text3 (FIL_TEXTBUF bytes each). Null outputs are
// skipped. Returns the kind, also in *kind when given.
int fil_probe(int mode, int *kind, char *folder, char *name, char *text, char *text2 = nullptr,
              char *text3 = nullptr);

// The decision over bytes already read: ext is the extension with its dot
// (upper case), head the first n bytes of the file. Fills the three texts.
int fil_probebuf(const char *ext, const uint8_t *head, std::size_t n, char texts[3][FIL_TEXTBUF]);

// 1 when all len bytes look like Shift-JIS text (NUL, TAB, CR, LF allowed among
// the control bytes), else 0.
int fil_istext(const uint8_t *buf, int len);

// Copies src for one-line display: stops at its NUL or after n bytes written,
// drops CR, writes ';' for LF, then a NUL (dst holds n + 1 bytes). Bytes written.
int fil_cptext(const char *src, char *dst, int n);

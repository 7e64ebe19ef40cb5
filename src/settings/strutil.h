// Shift-JIS aware string and path utilities.
//
// Texts are Shift-JIS byte strings: a lead byte followed by a trail byte is one
// character, and no operation here ever takes a trail byte (0x5C in "ソ" or "表")
// for an ASCII letter, blank or path separator.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

constexpr std::size_t PATH_BUF = 262;  // fixed path buffers of the engine
constexpr std::size_t PATH_WORK = 264; // work copies

// Shift-JIS byte classes (code page 932).
inline bool sjis_islead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool sjis_istrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }
// True when p starts a double-byte pair.
inline bool sjis_ispair(const char *p) {
  return sjis_islead(static_cast<unsigned char>(p[0])) && sjis_istrail(static_cast<unsigned char>(p[1]));
}
// Length in bytes of the character at p (1 or 2; 0 at the terminating NUL).
inline std::size_t sjis_charlen(const char *p) { return *p == '\0' ? 0 : (sjis_ispair(p) ? 2 : 1); }

// --- byte strings, in place -------------------------------------------------

enum : int { TRIM_LEAD = 1, TRIM_TRAIL = 2, TRIM_WORD = 4 };
// Removes blanks and tabs (flags above, combinable); the result starts the buffer. 0.
int str_trim(int flags, char *text);
// ASCII case change; double-byte characters are skipped whole. 0.
int str_upper(char *text);
int str_lower(char *text);
// Copies src to dst doubling every '&' outside double-byte characters.
// size is the most characters the result may hold; dst must have room for
// size + 1 bytes (the NUL), so callers pass their buffer length minus one.
// 1 when the whole text was copied and doubled; 0 when it would exceed size,
// dst then holding the text as far as it got.
int str_dblamp(const char *src, char *dst, std::size_t size);

// --- paths, from src into dst of dstsize bytes --------------------------------
// Each returns 0, or 1 with dst emptied when the result does not fit dstsize.

int pth_dir(const char *path, char *dst, std::size_t dstsize);      // folder with trailing '\'
int pth_dirnodrv(const char *path, char *dst, std::size_t dstsize); // same without "X:"
int pth_fname(const char *path, char *dst, std::size_t dstsize);    // file name part
int pth_title(const char *path, char *dst, std::size_t dstsize);    // file name without last extension
int pth_ext(const char *path, char *dst, std::size_t dstsize);      // extension with its dot, or ""
int pth_noext(const char *path, char *dst, std::size_t dstsize);    // path without extension
// Replaces the extension of path (a buffer of pathsize bytes) by ext (".txt");
// 1 and path unchanged when the result would not fit.
int pth_renext(char *path, std::size_t pathsize, const char *ext);
// Drive letter and colon ("C:") of a path; -1 and dst emptied when it has none.
int pth_drive(const char *path, char *dst, std::size_t dstsize);

// Position of the extension's '.' (or of the terminating NUL) as the shell sees it:
// the last '.' after the last '\' and the last blank.
const char *pth_findext(const char *path);
// Start of the file name: after the last '\', '/' or ':' that is followed by more text.
const char *pth_findname(const char *path);
// True when the text's last character (double-byte aware) is a backslash.
bool pth_endsbs(const char *path);

// --- std::string helpers for the shell ---------------------------------------

bool pth_exists(const std::string &path);                 // not empty and the file system finds it
std::string pth_addbs(const std::string &s);              // trailing '\' unless empty or present
std::string str_trimjs(const std::string &s);             // without ' ' and 0x81 0x40 at both ends
std::vector<std::string> str_split(const std::string &s); // at ';'
std::string pth_chgext(const std::string &path, const std::string &ext);

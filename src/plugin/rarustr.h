// Byte-field helpers of the plug-in: settings values and seal-header texts are
// fixed-width Shift-JIS fields that may come from files without a terminator.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t RARU_PATH = 262;

// Copies at most width - 1 bytes of src (srclen bytes, or up to its NUL) into dst
// (width bytes) and terminates it; a double-byte character that does not fit whole
// is left out. Gives the bytes copied.
std::size_t raru_copycut(char *dst, std::size_t width, const char *src, std::size_t srclen);
inline std::size_t raru_copycut(char *dst, std::size_t width, const char *src) {
  return raru_copycut(dst, width, src, static_cast<std::size_t>(-1));
}
// True when the text of a field (up to its first NUL, at most width bytes) equals s
// (up to its NUL, at most swidth bytes).
bool raru_fieldeq(const void *field, std::size_t width, const char *s, std::size_t swidth);
// folder + "\" + name into dst (RARU_PATH bytes); false, with dst empty, when it
// does not fit.
bool raru_join(char *dst, const char *folder, const char *name);
// Leading decimal digits with an optional sign, as atoi without its overflow: 0 when none.
int32_t raru_atoi(const char *s);
// The folder part of a path, up to and with its last '\' or '/' (double-byte aware),
// into dst (RARU_PATH bytes); "" when the path has none.
void raru_dirof(const char *path, char *dst);
// True when a user name holds a character the seal lists use as a mark: @ ^ [ ] _ |
// (whole characters only: the second byte of a double-byte character never counts).
bool raru_badname(const char *name);
// True when every byte of a password is an ASCII letter or digit.
bool raru_alnum(const char *password);
// True when a user name comes back unchanged from the settings file: the profile reader
// trims spaces (also the full-width one) at either end and drops quotes around a value,
// and control characters do not belong in one line of it.
bool raru_keepsname(const char *name);
// A seal colour index within 0 red, 1 white, 2 black; anything else is black.
inline int32_t raru_colourindex(int32_t index) { return index >= 0 && index <= 2 ? index : 2; }

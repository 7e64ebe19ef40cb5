// The CMDL command language: one command line poked by another program is run on
// the drawing, and its reply text is kept for the next request.
#pragma once

#include <cstddef>
#include <cstdint>

#include "database/record.h"

// Poke results.
constexpr int CMDL_ACK = 0x8000;  // the command ran
constexpr int CMDL_BUSY = 0x4000; // ignored: aborted state, another command running, area 2 in use
constexpr int CMDL_NONE = 0;      // not processed

constexpr int CMDL_WORDS = 20;       // words a line splits into
constexpr int CMDL_REPLYMAX = 1024;  // reply buffer, with its NUL
constexpr int CMDL_LINEMAX = 512;    // longest line taken, without its NUL

// Splits line in place at blanks, commas and tabs; a word opened by ' or " runs to
// the same quote. words[0 .. 20]: the words, then empty strings up to slot 20.
// A line end is cut off before splitting. Returns 21.
int dde_token(char *line, char *words[CMDL_WORDS + 1]);

// Code of a command word (any case), 0 when it is not one of the 49.
int dde_word(const char *word);
int dde_wordcount();
const char *dde_wordat(int i, int *code); // table order; null past the end

// Integer with base detection (0x.., 0.. octal, decimal); unparsable text reads 0.
long dde_int(const char *s);
// Decimal real; unparsable text reads 0. ok becomes false for nan, inf or overflow.
double dde_real(const char *s, bool *ok);
// Removes a leading and a trailing double quote in place.
char *dde_unquote(char *s);

// Formats element n as reply text into out (size bytes, always terminated). text
// is the CHR's string (a separate copy, never out). 0; 1001 kind not formatted
// ("-1"); 1002 n below 1 ("%ld").
int dde_fmtelm(int32_t n, const ElementRecord *rec, const char *text, char *out, std::size_t size);

// Copies src into dst (size bytes) cut so that no double-byte character is split.
void dde_copytext(char *dst, std::size_t size, const char *src);


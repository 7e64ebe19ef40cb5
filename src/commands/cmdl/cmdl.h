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

// The calls that wait for the user or touch windows; the window build fills them
// (cmdl_win.cpp). A missing call acts as input ended from outside (800) or nothing.
struct CmdlEdges {
  // Element pick with the prompt as literal text, of the kinds in kinds (filter set
  // by the caller's pick): the input code (500 picked), drawing, number and point out.
  int (*pick)(const char *prompt, uint32_t kinds, int32_t *dwg, int32_t *elem, double *x, double *y);
  int (*point)(double *x, double *y); // gcr_point over any drawing and view: its code
  int (*line)(char *buf, int size);   // one typed line: 13 Enter, else the ending code
  void (*message)(const char *text);  // message line 1, literally; empty clears it
  void (*endall)();                   // ends every command level, dispatches what waits
  void (*attrs)();                    // refreshes the attribute box
  void (*redraw)(int dwg);            // every view of the drawing
  // Whether the drawing has a window; null counts every drawing as open. With none
  // open, every line is refused (not processed) and nothing is touched.
  bool (*opened)(int dwg);
};
void dde_setedges(const CmdlEdges *edges); // null: none

// Runs one command line (changed in place; at most CMDL_LINEMAX bytes before the NUL
// within the first CMDL_LINEMAX + 1 bytes, else refused). The poke result.
int dde_cmdl(char *line);
// Same for data that may lack a NUL.
int dde_cmdldata(const char *data, std::size_t size);
const char *dde_replytext(); // the last reply, terminated

// Interactive pick of one element of the kinds in mask: 0 picked and read (text
// receives a CHR's string, size bytes), 27 ended or cancelled, 800 ended from outside.
int dde_pick(const char *prompt, uint32_t mask, int32_t *dwg, int32_t *elem, double *x, double *y,
             ElementRecord *rec, char *text, std::size_t size);
// Point input: the ending code (500 or 13 with a point; 27, 800 cancelled).
int dde_point(const char *prompt, double *x, double *y);

// The file layer advances a slot's generation whenever another drawing takes it, so
// that TERM writes the saved attributes back only to the drawing INIT saved them from.
void dde_slotnew(int dwg);

// The interpreter state (for tests): aborted state, saved drawing, CMDL drawing.
struct CmdlState {
  int aborted;
  int saved;
  int cmdldwg;
  bool undone;
  bool running;
};
CmdlState dde_state();
void dde_reset(); // back to the start state

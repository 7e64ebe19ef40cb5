// Numbered message texts: the message file "inkforge.msg" and the dump labels
// "RERUVEVA.MSG", loaded into tables of (number, offset) pairs and a text pool.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

constexpr int16_t MSG_OK = 0;
constexpr int16_t MSG_NOFILE = 1001;
constexpr int16_t MSG_NOMEM = 1002; // no memory, or the table is full
constexpr int MSG_LITERAL = -999;   // the first argument is the format itself

// Mode 0 loads anew, 1 appends into the spare capacity (0 when nothing is loaded),
// 2 frees the table; other modes act as 0.
int16_t msg_load(int mode, const char *path);
// Text of message n; null without a table; the undefined-message text when n is missing.
const char *msg_text(int n);
const char *msg_oldtext(int n); // msg_text(n + 20000)

int16_t dmp_msgload(int mode, const char *path);
const char *dmp_msgtext(int n);
// The same loaders over the bytes of a message file in memory.
int16_t msg_loadbuf(int mode, const char *data, std::size_t size);
int16_t dmp_msgloadbuf(int mode, const char *data, std::size_t size);

// Formats message n (or, with MSG_LITERAL, the first argument) with its '#' escapes
// into dst of dstsize bytes, cut at a character boundary when it does not fit. The
// text of n takes only the arguments registered for n (msg_regconv), whatever an
// edited message file says. 0 when a text was found, 1 when not.
int msg_fmtbuf(char *dst, std::size_t dstsize, int n, ...);
int msg_vfmtbuf(char *dst, std::size_t dstsize, int n, va_list ap);

// Formats printf-style (no '#' escapes) into dst of dstsize bytes, cut at a character
// boundary. Only d i o u x X c s e E f g G and %% take part; %n, '*' widths and any other
// conversion are copied as text and read no argument; a width or precision larger than
// dst is cut to its size. Gives the length written.
std::size_t msg_vformat(char *dst, std::size_t dstsize, const char *format, va_list ap);
std::size_t msg_format(char *dst, std::size_t dstsize, const char *format, ...);
// The same for a text whose arguments are registered elsewhere (a message of the file):
// ap holds exactly the arguments the letters of registered name, in order; the i-th
// conversion of format takes the i-th of them when its kind (integer, text, double)
// agrees, and is shown as text otherwise. Null registered: the format's own conversions.
std::size_t msg_vformatreg(char *dst, std::size_t dstsize, const char *format, const char *registered, va_list ap);

// The arguments of one format by position (the argument cursor counts the conversions
// that take one).
struct MsgArgs {
  struct Arg {
    char kind; // 'i' integer word, 's' text, 'f' double
    long long i;
    const char *s;
    double d;
  } v[32];
  int n;
};
// Expands the '#' escapes of format into out (outsize bytes) and takes the arguments
// from ap into args: the registered ones (as msg_vformatreg), or with null registered
// those the conversions ask for. -2 when no conversion takes an argument, -1 when a
// double whose top byte is 0xFF was replaced by 0.0, else 0.
int msg_expand(const char *format, const char *registered, char *out, std::size_t outsize, va_list ap, MsgArgs *args);

// Copies src into dst (dstsize bytes), cut at a Shift-JIS character boundary. Gives the length.
std::size_t msg_copy(char *dst, std::size_t dstsize, const char *src);

// Entries of a table, for tests and the dump command: count (without the end mark).
int msg_count();

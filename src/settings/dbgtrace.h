// Developer trace, switched on by the command line (/D<n>).
#pragma once

// 0 off, 1 the file "debug.lst" in the current directory, 2 the debugger output;
// any other value traces nothing. Some callers test it before building long dumps.
extern int dbg_mode;

// printf-style; 0, or 1 when the trace file cannot be opened (tracing then switches off).
int dbg_trace(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Flushes and closes the trace file; later traces append under a new banner. 0.
int dbg_close();
// One line to the trace file whatever the mode, then closes it. 0.
int dbg_force(const char *format, ...) __attribute__((format(printf, 1, 2)));

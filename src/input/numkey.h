// Numbers typed on the keyboard line: reading fields and integers from a line, the
// degrees.minutes.seconds angle, the scale-ratio conversion and the single-byte test.
#pragma once

#include <cstdint>

// Length of the leading signed decimal number; the whole length when the text does not
// begin with one.
int num_declen(const char *text);
// A degrees.minutes.seconds angle ("12.30.36"): 0, or 1 for a format error. length gets
// how many characters were used.
int num_dms(const char *text, double *value, int *length);
// -1 when the text holds a Shift-JIS lead byte or a half-width katakana byte, else 0.
int str_sbonly(const char *text);
// Converts *value by the ratio pair index of a drawing against pair 0: mode 0 by
// (b/a) / (b0/a0), mode 1 by the inverse. 0; 1 bad mode, 2 bad drawing, 3 bad index
// (also a pair holding 0, which has no ratio; the value is then untouched).
int scl_ratio(int mode, int dwg, int index, double *value);

// The fields of a number line (commas or blanks between them; an empty field between
// commas, or a leading one, is counted and its value left as it was). 0, or the
// evaluator's error code; count gets the fields taken.
int num_fields(const char *text, int n, double *values, int *count);
// One integer of an integer line: "x..." hexadecimal, else an expression; empty is 0.
// 0 with *value stored; -1 out of -32768..10000 (*value 0); or the evaluator's error.
int num_intparse(const char *text, int32_t *value);

// Keyboard line readers (the one-line editor): the ending code, see keyin_line.
int num_keyin(int spare1, int spare2, uint32_t mask, int maxlen, char *buffer, int n, double *values, int *count);
// The buffer must hold maxlen + 1 bytes. -1 for a value out of range.
int num_intkey(int spare, uint32_t mask, int maxlen, char *buffer, int32_t *value);

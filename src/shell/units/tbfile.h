// The entries of the tool-bar file RODIDEVO.MNU read as text: button entries
// "command,level,text", the layout rows of MENUVALUE and the value list of TOOLDISP.
// The profile reading itself is the tool bars' (toolbar.h).
#pragma once

#include <cstdint>

constexpr int TBF_BUTTONS = 100; // button records per bar
constexpr int TBF_TIPSIZE = 36;  // tooltip field: at most 35 bytes and the NUL
constexpr int TBF_MAXROWS = 40;  // largest MENUVALUE a layout choice may give

enum TbfKind { TBF_BUTTON, TBF_SEPARATOR, TBF_END };

struct TbfEntry {
  int32_t command; // -1 for a separator
  int32_t level;
  char tip[TBF_TIPSIZE];
};

// TBMAXCOUNT as a number of records: above 100 gives 100, below 0 gives 0.
int tbf_count(int value);
// Splits one TBVALUE text (at most 59 bytes) into its entry. TBF_END for an entry that
// ends the bar: no two commas, a command that is no number or lies outside -1..1099,
// or a button whose level is no number or lies outside 0..4. The tooltip keeps the
// text after the second comma up to 35 bytes, cut before a double-byte character
// that would not fit.
int tbf_entry(const char *value, TbfEntry *out);
// Copies at most size - 1 bytes of text to out, never half a double-byte character
// nor a lead byte at the end.
void tbf_cut(const char *text, char *out, int size);
// Whether MENUVALUE r continues the layout list of a bar with count buttons.
bool tbf_rowok(int rows, int count);
// The smallest k from 1 on with k * rows at least count; 0 for rows below 1.
int tbf_cols(int rows, int count);

// One TBVALUE of the value list: comma-separated tokens, empty ones skipped; the
// first two read as numbers (like atoi), the third copied to text (size bytes, cut
// at a whole character; empty when missing). false when fewer than two tokens.
bool tbf_value(const char *value, int32_t *a, int32_t *b, char *text, int size);

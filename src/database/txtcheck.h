// Checks of a string before it becomes text.
#pragma once

// What counts as empty: packing keeps a text of blanks and brackets out; the text
// commands also refuse one of nothing but line breaks ("_") and "|".
constexpr int TXT_PACKRULE = 0;
constexpr int TXT_TEXTRULE = 1;

// Deletes unmatched closing brackets in place (double-byte pairs kept whole).
// 1 when the string is empty, 2 when it holds only what the mode counts as empty,
// 0 usable.
int txt_check(char *str, int mode = TXT_PACKRULE);

// Checks of a string before it becomes text.
#pragma once

// Deletes unmatched closing brackets in place (double-byte pairs kept whole).
// 1 when the string is empty, 2 when it holds only blanks and brackets, 0 usable.
int txt_check(char *str);

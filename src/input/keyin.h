// One typed line from the keyboard: the one-line editor with the key filter of the input.
#pragma once

#include <windows.h>

#include <cstdint>

// Sets the key mask (KeyinMask) and runs the one-line editor over buffer (its text is
// the start text). Returns the code that ended the line: 13 Enter, a filtered code, 27
// when the editor closed otherwise; -1 for a null buffer or maxlen below 1, 1000 / 1002
// when the editor cannot be made. The buffer holds at most maxlen - 1 characters.
int keyin_line(uint32_t mask, int maxlen, char *buffer);

// Gives the focus to a dialog's edit control and selects all its text.
LRESULT edt_selall(HWND dialog, int control);
// Reads (unless type bit 0x8000) and shows (unless bit 0x4000) a numeric field; type
// 0 a 16-bit integer, 1 a 32-bit integer, 2 a double at value. 1 done, 0 failed.
int edt_numfld(HWND dialog, int control, const char *format, void *value, int type, double minimum, double maximum);

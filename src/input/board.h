// The message board: a modal panel with a heading and a word-wrapped text.
#pragma once

#include <windows.h>

// Sets the board colours; a colour whose mask bit (1 outer frame, 2 inner frame,
// 4 field, 8 heading text, 16 body text) is clear takes its default. 0.
int brd_color(unsigned mask, COLORREF outer, COLORREF inner, COLORREF field, COLORREF heading, COLORREF body);
// Shows the board until a key or click closes it, then resets the colours.
// 0 closed, -1 heading or text missing, 1000/1002 the window cannot be had.
int brd_show(const POINT *position, const char *heading, const char *text);

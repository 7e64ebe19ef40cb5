// The message board: a modal framed, shadowed box with a heading and a word-wrapped text,
// closed by the first click or key other than Shift.
#pragma once

#include <windows.h>

#include <cstdint>

// Stock font number the board (and the one-line edit window) writes with; SYSTEM_FONT at start.
extern int32_t BrdFontNo;

// Sets the board colours; a colour whose mask bit (1 outer frame, 2 inner frame band,
// 4 background, 8 heading text, 16 body text) is clear takes its default. 0.
int brd_color(unsigned mask, COLORREF outer, COLORREF band, COLORREF background, COLORREF heading, COLORREF body);
// Shows the board over the screen rectangle (null: centred in the MDI client) until it
// closes, then resets the colours. 0 closed (also while the message window suppresses
// output, then without showing), -1 heading or body missing, 1000 the class cannot be
// registered, 1002 the window cannot be created.
int brd_show(const RECT *rect, const char *heading, const char *body);
LRESULT CALLBACK brd_wndproc(HWND wnd, UINT message, WPARAM wparam, LPARAM lparam);

// The message window: three text lines, each painted in the colour of its kind.
#pragma once

#include <windows.h>

#include <cstdint>

// Line accessor for line 0..2. 'R'/'r' copies the text (at most 128 bytes with its NUL)
// and the stored colour kind, each only when given. 'W'/'w': a null text clears the
// line; a text equal to the shown one (case ignored) changes nothing; otherwise the
// colour kind (outside 0..7: 7) and the text are stored. 0; -1 without the message
// window or for another line.
int mesg_line(int op, int line, int *colour, char *text);
// The shell tells the line store which window paints the lines (null when destroyed).
void msgwin_attach(HWND window);
// COLORREF of a colour kind 0..7.
COLORREF msgwin_colour(int kind);
// Creates the hidden message window (a child of the main frame, placed by the
// panel layout) with its three line windows 2100..2102 and records it; null on failure.
HWND mesg_create();
// Destroys the message window when it exists and forgets it. 0.
int mesg_destroy();

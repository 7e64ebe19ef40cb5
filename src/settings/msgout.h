// Message output: the message line, the message board, message boxes and yes/no prompts.
// N >= 1 is a message number, MSG_LITERAL (-999) takes the first argument as the format.
#pragma once

#include <cstdarg>

// Place 0, 1, 2, 3, 5 the message line, 4 the board with the warning heading; colour
// 0..7 a colour kind, 128 clears the line (nothing is formatted then). 0.
int msg_disp(int place, int colour, int reserved1, int reserved2, int n, ...);
int msg_vdisp(int place, int colour, int reserved1, int reserved2, int n, va_list ap);
// Error on the message board. 0.
int msg_err(int n, ...);
int msg_verr(int n, va_list ap);
// Board with the heading of kind 0 error, 1 warning, 2 message; other kinds nothing. 0.
int msg_board(int kind, const char *format, ...);
// Flags bit 0 clear saves message line 0, set restores it (places 0..5). 0.
int msg_line(int place, int flags);
// Message box with the heading of the kind in front of the text. 0.
int msg_box(void *owner, int kind, const char *format, ...);
int msg_errbox(void *owner, int n, ...);
int msg_warnbox(void *owner, int n, ...);
// Older place and colour codes, translated for msg_disp.
int msg_olddisp(int place, int colour, int reserved1, int reserved2, int n, ...);
// Asks a question in the choice pop-up: the typed key when it is one of keys, the
// input code that closed the pop-up, or its negative error code. n 0 asks message 56.
int msg_prompt(int word, int n, const char *keys, ...);

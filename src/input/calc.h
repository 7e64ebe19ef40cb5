// The expression evaluator behind every typed number: arithmetic, comparisons, logic and
// a conditional over numbers, the memory values and functions with angles in degrees.
#pragma once

enum : int {
  CLC_SYNTAX = 1001,  // syntax error, a text longer than CLC_MAXTEXT, or a value that is
                      // not a finite number (overflow, a function outside its domain)
  CLC_DOUBLE = 1002,  // the text holds a double-byte character
  CLC_UNKNOWN = 1003, // unknown name
};
constexpr int CLC_MAXTEXT = 259;

// Memory values the evaluator reads by name (ma, mc, md, ml, ms); 0 at start.
extern double ClcMemA, ClcMemC, ClcMemD, ClcMemL, ClcMemS;

// Evaluates one expression at the front of *text and moves *text past it (and past
// trailing blanks on success); the rest is not examined. Returns 0 or an error code
// above: on CLC_DOUBLE the value is 0 and *text unmoved; on 1001 and 1003 *text stops
// where evaluation stopped and the value has no meaning.
int clc_eval(int spare, const char **text, double *value);

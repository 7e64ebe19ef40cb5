// The number written between two bars of a text (a dimension's value text).
#pragma once

constexpr int NUM_BARTEXT = 63; // longest text the rewrite handles
constexpr int NUM_BARDEC = 6;   // most decimals

// Rewrites the number between the first two '|' of text with value at the number entry's
// decimals (word 3 of input kind 5) and the current drawing's trailing-zero mode.
// 0 rewritten; 1 text unchanged (fewer than two bars, a value that is not finite, or a
// result longer than NUM_BARTEXT characters).
int num_barfmt(double value, char *text);
// The same with the decimals (clamped to 0 .. NUM_BARDEC) and the trailing-zero mode
// given: mode 2 drops trailing zeros and then a bare '.'. Halves round away from zero.
int num_barfmtd(double value, char *text, int decimals, int zeromode);

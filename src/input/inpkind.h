// Input-request records of the point input, one 7-word record per input kind.
#pragma once

#include <cstdint>

constexpr int INP_KINDS = 32;

// 'R'/'r' copies kind's record out, 'W'/'w' in; 9 for a kind below 1 (or beyond
// the table), otherwise 0 (another operation copies nothing).
int inp_kind(int op, int kind, uint32_t *record /*[7]*/);
// Refreshes every field of the attribute box from the current input request.
void inp_updall();

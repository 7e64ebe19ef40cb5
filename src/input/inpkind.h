// The input request: what the running command waits for (attribute-box fields, the
// attribute set it draws with, its per-kind record), and the current-coordinate pairs.
#pragma once

#include <cstddef>
#include <cstdint>

struct InputRequest {
  uint32_t flags;  // attribute-box fields the input uses; 0x08 the line-kind field
  int32_t target;  // attribute set: 1 line attributes, 2 and 4 others
  int32_t kind;    // 1-based input kind record, 0 none
  uint32_t option; // display mode 0..2 of the box's usage field
};
extern InputRequest InpRequest;

constexpr int INP_KINDS = 9;
constexpr int INP_KINDWORDS = 7;
extern uint32_t InpKinds[INP_KINDS][INP_KINDWORDS];

extern double InpPos[2][2]; // pair 1 and pair 2: x, y in drawing units
extern uint32_t InpPosUnit; // unit index of the last shown pair 2: 0, 1 (/1e3), 6 (/1e6), 2 (/1e9)

// Gives the request and the kind records their start values.
void inp_init();
// Declares the request (adjusting the line-kind field for pens bound to a line kind)
// and refreshes the attribute box. 0.
int inp_set(uint32_t flags, int32_t target, int32_t kind);
// 'R'/'r' copies the three fields out (each when given); 'W'/'w' declares them. 0.
int inp_req(int op, uint32_t *flags, int32_t *target, int32_t *kind);
int inp_opt(int op, uint32_t *word); // 'R'/'r' reads, 'W'/'w' writes the option word; 0
// 'R'/'r' copies kind's 7 words out, 'W'/'w' in; 9 for a kind outside 1..9 (nothing
// copied), otherwise 0.
int inp_kind(int op, int kind, uint32_t *record /*[7]*/);
// Refreshes the attribute box; the mask is not used.
void inp_update(uint32_t mask);
void inp_updall();
// which: bit 1 pair 1, bit 2 pair 2. Reading takes pair 1, else pair 2; writing stores
// each given value into each pair named, and shows pair 2 on the message line. 0.
int inp_curpos(int op, uint32_t which, double *x, double *y);
// Applies input kind record 6 to the default character attributes: 0 for kind 6
// (applied) and for kinds below 1 or 5 (nothing done), -1 otherwise.
int inp_kindattr(int kind);

// The text of a shown pair 2 ("%8ld,%8ld" of the scaled, truncated values; a value that
// is not a number shows as "*") and its unit index. Values beyond 32 bits are clamped.
void inp_posfmt(double x, double y, char *text, std::size_t size, uint32_t *unit);

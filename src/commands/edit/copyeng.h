// Copy engine: moves, mirrors, stretches or copies the selected elements within one
// drawing or into the other, through one transform mode of transform.h per record.
#pragma once

#include <cstdint>

#include "database/record.h"

constexpr int CPY_REMAP = 64; // entries of a remap table (one per scale number)

// Mode 0..6 (transform.h), drawings 0..1, remap[64]: the scale number each one's
// elements get (-1: not written; entries outside 0..63 count as -1), writemode 0 move
// or 1 copy, count repetitions (copy index 1..count). 0 done; 9 bad drawing; 5 an
// element cannot be read or a link walk met a cycle; 1 preview rejected with Esc, 2
// otherwise; 3 preview rejected with "end the command"; the codes of cpy_write and
// cpy_group. Area 2 of the destination is empty on every return.
int cpy_elms(int mode, int src, int dst, const int16_t *remap, int writemode, int count);

// Transforms, remaps and writes one record. -7 bad mode, -6 the transform failed; an
// add gives the new number or -1; a replace 0 or -5; 0 when the scale number keeps the
// record out.
int cpy_write(int32_t element, int n, ElementRecord *rec, const char *text);
// Writes a group node with its members and attributes. 0; 4 the new node cannot be
// opened as a group level; 5 a record cannot be read, or the nesting or a link cycle
// goes past its bound; the negative codes of cpy_write.
int cpy_group(int32_t element, int n, ElementRecord *rec);
// Expected member writes of a compound-text node; 1 (count untouched) when a record
// on the way is missing or the walk goes past its bound, else 0.
int cpy_grpcount(int drawing, const ElementRecord *node, int32_t *count);

// The factor between the sizes of scale number k of src and k2 of dst; 1 unless both
// ratios are finite and above 0 (a pair with a 0 part counts as 1:1).
double cpy_layfactor(int src, int k, int dst, int k2);

// Prepares the value text of dimension node for the mirror: fills the dimension-text
// record (trn_dimtext) with whether the text sits on one of the node's lines, and
// centres the text record. 1010 when the node cannot be read, else 0.
int cpy_dimmirror(int32_t node, ElementRecord *text, const char *string);

// What the engine cannot do without a screen; tests and the window side set them.
struct CpyHooks {
  int (*ask)();                            // the preview question (msg_prompt "YNyn"); null: cannot ask
  void (*draw)(int drawing, int32_t node); // draw an element in every open view of a drawing
  void (*waitcur)(int on);                 // wait cursor on/off
  // Draws elements first.. (count of them; below 1: first with its members) of a
  // drawing in colour (-1: their own colours) in every open view of it.
  void (*paint)(int drawing, int32_t first, int32_t count, int32_t colour);
};
void cpy_sethooks(const CpyHooks *hooks); // null: none

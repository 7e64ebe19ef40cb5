// The pick list behind the hover highlight: elements under the cursor (variant 0,
// the nearest element's top group node) or crossed by a probe segment (variant 1),
// highlighted while a command waits and confirmed when it asks.
#pragma once

#include <cstdint>

#include "database/record.h"

struct PickListRec {
  int32_t capacity;
  int32_t count;
  int32_t *entries; // element numbers of one drawing, null until pck_alloc
  int32_t hvelem;   // element of the variant-0 highlight, 0 none
  int32_t hvdwg;    // drawing whose entries are highlighted, -1 none
  int32_t hvmode;   // highlight mode while hovering; negative turns variant 0 off
  int32_t cfmode;   // highlight mode of the confirmation
  int32_t variant;  // 0 nearest element, 1 probe segment
  double probe[2][2];
};
extern PickListRec PickList;
extern uint32_t PickHoverOff; // element hover switch: 1 (at start) turns the hover off

// Highlight modes: 1 draw in the pick colour and pause, 2 draw and ask, 3 no drawing
// here (variant 0 has drawn the entry while hovering), 4 ask without drawing.

int pck_alloc(int32_t n); // n entries, 400 for 0; 1 when the block cannot be had
int pck_free();
int pck_clear(); // count 0, every entry zeroed
int pck_count(int32_t *out);
int pck_get(int32_t i, int32_t *out); // 1 (out untouched) for an index outside the list
int32_t pck_hvelem();
int pck_hvkind(int32_t variant);
int pck_setmode(int32_t hover, int32_t confirm);
int pck_setpt(const double *point); // probe start; the end becomes (0, 0)
int pck_setend(const double *point);
int pck_hover(int32_t dwg, int32_t view, int32_t devx, int32_t devy, double x, double y);
// 1 while the hover is off, 2 negative view, 3 view not in mask, else 0 (removed).
int pck_hvend(int32_t dwg, uint32_t mask, int32_t view);
// Shows the entries by the mode (which 0 hover mode, 1 confirm mode) and asks:
// 0 yes (the highlight stays), 1 no, 27 cancel, 800 the command ended at the question.
int pck_confirm(int32_t which, int32_t dwg);
int pck_unhilite(int32_t dwg);
// 1 for a drawing outside 0..1 or an index outside the list, else 0.
int pck_hilite1(int32_t dwg, int32_t i, int32_t colour);
int pck_redraw(int32_t dwg); // entries in their own colours; 1 when the list is empty
// The top node over an element: 0 with it, 1 when the element has no parent, 2
// when its owners cannot be followed (a missing record or a loop); top is 0 then.
// A node whose parent link names itself is the top.
int pck_topnode(int32_t dwg, int32_t n, int32_t *top);
// The four edges (x1, y1, x2, y2 each) of a text's box; 1 when it cannot be read
// or laid out, or an alignment field holds 3.
int pck_txtbox(int32_t dwg, int32_t n, double edges[4][4]);
// Corners of a text box from its base point, height, angle, attribute word and
// extents; 1 for an alignment value of 3.
int pck_boxedges(double x, double y, double h, double angle, uint16_t attr, double w, double hh, double edges[4][4]);
// A line or arc record against the probe segment: 0 crossing (count set), 1 not,
// 2 only at a probe end.
int pck_crosstest(const ElementRecord *rec, int32_t *count);
int pck_crosscol(int32_t dwg);
int pck_topnorm(int32_t dwg);

// The fence collection the hidden-line code uses: the elements of a drawing under a
// closed polygon, into the second id list.
#pragma once

#include <cstdint>

#include "select/sellist.h"

// The second id list, laid out as the selection list; its numbers belong to the
// drawing of SelectionList.
extern SelectionListRec FenceIdList;

// Second id list for up to n numbers (at most 10000); the static list of 100 when
// it cannot be had. Never null.
uint32_t *fnc_alloc(uint32_t n);
int fnc_free(); // back to the static list; 0
// Fence-walk mode: elements that touch the fence line are taken too. Off: only
// elements with a part strictly inside the fence.
void fnc_modeon();
void fnc_modeoff();
// The selection's strictness: only elements wholly inside, and no line or arc of a
// figure of fewer than 256 members. Off at start-up.
void fnc_strict(int32_t on);
// Collects into FenceIdList the live lines and arcs of drawing d (and groups whose
// every live member is taken) lying under the n-vertex fence. start > 0
// excludes that node and its children; beforestart != 0 walks only numbers below
// start. The count; 0 for a bad drawing.
int32_t fnc_collect(int32_t n, const double *points, int32_t d, int32_t start, uint32_t beforestart);

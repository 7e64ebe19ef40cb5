// The selection layer's fence, which the hidden-line masks cut by: the elements of a
// drawing under a closed polygon, collected into an id list laid out as the selection
// list. The selection layer fills the table when the program loads
// (select/fencecalls.cpp); while a slot is empty no element lies under a fence.
#pragma once

#include <cstdint>

#include "database/selection.h"

struct FenceCalls {
  uint32_t *(*alloc)(uint32_t n); // an id list for up to n numbers
  int (*release)();               // back to the small list
  void (*walk)(bool on);          // elements touching the fence line are taken too
  // Into the id list: the elements of drawing d under the n-vertex fence (see
  // select/selmask.h, fnc_collect). The count.
  int32_t (*collect)(int32_t n, const double *points, int32_t d, int32_t start, uint32_t beforestart);
  const SelectionListRec *(*ids)(); // the list collect fills
};
extern FenceCalls FenceCall;

inline uint32_t *fence_alloc(uint32_t n) { return FenceCall.alloc ? FenceCall.alloc(n) : nullptr; }
inline void fence_release() {
  if (FenceCall.release)
    FenceCall.release();
}
inline void fence_walk(bool on) {
  if (FenceCall.walk)
    FenceCall.walk(on);
}
inline int32_t fence_collect(int32_t n, const double *points, int32_t d, int32_t start, uint32_t beforestart) {
  return FenceCall.collect ? FenceCall.collect(n, points, d, start, beforestart) : 0;
}
inline const SelectionListRec &fence_ids() {
  static const SelectionListRec none = {nullptr, 0, 0, -1};
  return FenceCall.ids ? *FenceCall.ids() : none;
}

#include "database/selection.h"

namespace {

// The list's own block, used while no larger one is allocated.
uint32_t StaticBlock[SEL_STATICCAP + 1] = {SEL_END};

} // namespace

SelectionListRec SelectionList = {StaticBlock, SEL_STATICCAP, 0, -1};

void sel_static() {
  SelectionList.entries = StaticBlock;
  SelectionList.capacity = SEL_STATICCAP;
  SelectionList.count = 0;
  StaticBlock[0] = SEL_END;
}

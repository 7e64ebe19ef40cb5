#include "select/sellist.h"

namespace {
uint32_t static_block[100] = {0xFFFFFFFEu};
}

SelectionListRec SelectionList = {static_block, 100, 0, -1};

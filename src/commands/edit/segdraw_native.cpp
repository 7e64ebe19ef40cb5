#include "commands/edit/segerase.h"

// Without windows no view is ever open, so there is nowhere to show a piece.
int seg_draw(int32_t dwg, int32_t i, int32_t) {
  if (dwg < 0 || dwg > 1 || i < 0 || i >= SegCount || !SegRecords)
    return 1;
  return 0;
}

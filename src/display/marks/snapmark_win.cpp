#include <cmath>

#include "display/elements/elmdisp_win.h"
#include "display/marks/snapmark.h"
#include "settings/params.h"

int snp_showmrk(uint32_t mask, int32_t view, double x, double y) {
  if (SnapMark.off)
    return 1;
  if (SnapMark.shape == 0)
    return 2;
  if (view < 0)
    return 3;
  if (view > 31 || !(mask & (1u << view)))
    return 4;
  if (std::hypot(x - SnapMark.x, y - SnapMark.y) == 0)
    return 5;
  uint16_t map[20] = {};
  sys_colmap('r', map);
  dsp_mark(1u << view, 0, 13, SnapMark.x, SnapMark.y, int32_t(map[13] | 0x8000)); // solid, XOR
  return 0;
}

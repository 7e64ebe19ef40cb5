#include "display/elements/elmdisp_win.h"
#include "display/marks/marklist.h"
#include "display/view/viewtbl.h"
#include "settings/params.h"

void mrk_draw(int32_t, uint32_t views, double x, double y) {
  uint16_t map[20] = {};
  sys_colmap('r', map);
  dsp_point(views, 2, 13, x, y, int32_t(map[15] | 0x8000)); // the plus marker, XOR
}

uint32_t mrk_views(int32_t dwg) { return vew_mask(dwg); }

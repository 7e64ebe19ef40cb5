// The piece images of the partial erase on the screen.
#include "commands/edit/segerase.h"
#include "display/elements/elmdisp_win.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"

int seg_draw(int32_t dwg, int32_t i, int32_t colour) {
  if (dwg < 0 || dwg > 1 || i < 0 || i >= SegCount || !SegRecords)
    return 1;
  const ElementRecord &im = SegRecords[i].image;
  const uint16_t kind = uint16_t(im.kind & ~MSKBOX);
  if (kind != LIN && kind != ARC)
    return 1;
  const int old = dwg_setcur(dwg);
  const uint32_t mask = vew_mask(dwg);
  // Solid, one pixel wide: the piece shows over the element and goes without a trace.
  if (kind == LIN)
    dsp_line(mask, 1, 13, im.lin.x1, im.lin.y1, im.lin.x2, im.lin.y2, colour);
  else
    dsp_arc(mask, 1, 13, im.arc.cx, im.arc.cy, im.arc.r, im.arc.start, im.arc.end, colour);
  dwg_setcur(old);
  return 0;
}

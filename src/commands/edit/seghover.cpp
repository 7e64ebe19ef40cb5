// Showing the pieces of the partial erase, and the hover that finds them under the
// cursor while the point input waits.
#include "commands/cmdl/cmdlevel.h"
#include "commands/edit/segerase.h"
#include "database/elements.h"
#include "select/filter.h"
#include "select/near.h"
#include "select/picksys.h"
#include "settings/params.h"
#include "settings/appstate.h"

namespace {

int32_t colour(int entry) {
  uint16_t cm[20] = {};
  sys_colmap('r', cm);
  return cm[entry];
}

int32_t stage_mode() { return SegStage == 0 ? SegModePick : SegModeCross; }

// Takes the shown pieces away and empties the table.
void clear_shown() {
  if (SegDrawing == 0 || SegDrawing == 1)
    seg_unhilite(SegDrawing);
  seg_reset();
}

} // namespace

int seg_unhilite(int32_t dwg) {
  if (!SegRecords || dwg < 0 || dwg > 1)
    return 1;
  const int32_t mode = stage_mode();
  if (mode != 3 && mode != 4)
    return 0;
  const int32_t erase = colour(SEG_ERASE);
  for (int32_t i = 0; i < SegCount; ++i)
    seg_draw(dwg, i, erase);
  return seg_redraw(dwg);
}

int seg_redraw(int32_t dwg) {
  if (!SegRecords || dwg < 0 || dwg > 1)
    return 1;
  for (int32_t i = 0; i < SegCount; ++i) {
    const uint32_t n = SegRecords[i].elem;
    bool seen = false;
    for (int32_t j = 0; j < i && !seen; ++j)
      seen = SegRecords[j].elem == n;
    if (n >= 1 && !seen)
      pck_hooks().show(dwg, int32_t(n), -1);
  }
  return 0;
}

int seg_hover(int32_t dwg, int32_t view, int32_t px, int32_t py, double x, double y) {
  if (SegHoverOff > 0)
    return 1;
  if (SegStage == 0)
    return seg_hvpick(dwg, view, px, py, x, y);
  if (SegStage == 1)
    return seg_hvcross(dwg, view, px, py, x, y);
  return 1;
}

int seg_hvpick(int32_t dwg, int32_t view, int32_t, int32_t, double x, double y) {
  SegHit = 0;
  if (!SegRecords || dwg < 0 || dwg > 1)
    return 1;
  clear_shown();
  if (CmdLevel != 0) // a command of a higher level waits: nothing to offer
    return 1;
  int32_t found[PCK_NEARMAX];
  const int n = pck_near(dwg, view, x, y, ElmFilter.kind, ElmFilter.pen, ElmFilter.ltype, ElmFilter.subkind, found);
  if (n < 1 || found[0] < 1)
    return 1;
  SegHit = found[0];
  ElementRecord e;
  if (elm_read(dwg, SegHit, &e, nullptr, 0) != 0)
    return 1;
  const GeoPoint cursor{x, y};
  GeoPoint on;
  if (seg_onelm(&e, &cursor, &on) != 0)
    return 1;
  SegRecord r{};
  r.elem = uint32_t(SegHit);
  r.rx = on.x;
  r.ry = on.y;
  if (seg_put(0, &r) != 0 || seg_bounds(0, dwg, 0) != 0)
    return 1;
  SegCount = 1;
  seg_image(dwg, &e, 0);
  SegDrawing = dwg;
  if (SegModePick == 3 || SegModePick == 4)
    seg_draw(dwg, 0, colour(SEG_SHOW));
  return 0;
}

int seg_hvcross(int32_t dwg, int32_t, int32_t, int32_t, double x, double y) {
  if (SegHoverOff != 0 || CmdLevel != 0 || !SegRecords || dwg < 0 || dwg > 1)
    return 1;
  clear_shown();
  const GeoPoint second{x, y};
  seg_setpt2(&second);
  if (seg_cross(dwg) != 0) {
    SegCount = 0; // a half-finished table must not be erased on the next click
    return 1;
  }
  SegDrawing = dwg;
  for (int32_t i = 0; i < SegCount; ++i) {
    ElementRecord e;
    if (elm_read(dwg, int32_t(SegRecords[i].elem), &e, nullptr, 0) == 0)
      seg_image(dwg, &e, i);
  }
  if (SegModeCross == 3 || SegModeCross == 4) {
    const int32_t show = colour(SEG_SHOW);
    for (int32_t i = 0; i < SegCount; ++i)
      seg_draw(dwg, i, show);
  }
  return 0;
}

int seg_hvend(int32_t, uint32_t viewmask, int32_t view) {
  if (SegHoverOff > 0)
    return 1;
  if (view < 0)
    return 2;
  if (view > 31 || !(viewmask & 1u << view))
    return 3;
  clear_shown();
  return 0;
}

#include "display/marks/grid_win.h"

#include "display/view/cliprect.h"
#include "display/elements/elmdisp_win.h"
#include "display/view/gdi.h"
#include "display/view/viewtbl.h"
#include "settings/params.h"
#include "settings/winutil.h"

namespace {

struct DotCtx {
  HDC dc;
  int32_t colour[2]; // ordinary, emphasised colour words
};

void set_dot(void *ctx, int32_t x, int32_t y, int emph) {
  auto *c = static_cast<DotCtx *>(ctx);
  const int16_t w = int16_t(c->colour[emph]);
  gdi_setpen(c->dc, 0, 0, w & 0x7FFF, w < 0 ? R2_XORPEN : R2_COPYPEN);
  gdi_pixel(x, y);
}

int esc_down(void *) { return sys_escpoll() != 0; }

} // namespace

int grd_drawdc(HDC dc, const GridRecord &g, const ViewXform &xf, const double *clip) {
  GridPlan plan;
  if (grd_plan(g, xf, clip, &plan) != 0)
    return 1;
  uint16_t map[20] = {};
  sys_colmap('r', map);
  DotCtx ctx{dc, {map[12], map[15]}};
  if (g.mode == 0)
    ctx.colour[0] = ctx.colour[1] = map[16];
  int32_t bounds[4] = {xf.left, xf.top, xf.right, xf.bottom};
  if (clip) {
    int32_t x1, y1, x2, y2;
    vxf_w2dev(xf, clip[0], clip[1], &x1, &y1);
    vxf_w2dev(xf, clip[2], clip[3], &x2, &y2);
    bounds[0] = x1 < x2 ? x1 : x2;
    bounds[2] = x1 < x2 ? x2 : x1;
    bounds[1] = y1 < y2 ? y1 : y2;
    bounds[3] = y1 < y2 ? y2 : y1;
  }
  dsp_escclr();
  grd_walk(plan, bounds, set_dot, esc_down, &ctx);
  dsp_escclr();
  return 0;
}

int grd_draw(uint32_t view) {
  const int cur = dwg_cur();
  if (view >= uint32_t(VIEW_COUNT))
    return 1;
  const ViewXform &xf = vewtbl[cur][view].xf;
  if (xf.dwg < 0 || xf.dwg > 1)
    return 1;
  HWND wnd = vew_hwnd(cur, int(view));
  HDC dc = wnd ? GetDC(wnd) : nullptr;
  if (!dc)
    return 1;
  double clip[4];
  const bool clipped = dsp_clipget(&clip[0], &clip[1], &clip[2], &clip[3]) != 0;
  const int rc = grd_drawdc(dc, GridTable[xf.dwg], xf, clipped ? clip : nullptr);
  ReleaseDC(wnd, dc);
  return rc;
}

int grd_onoff(uint32_t d, uint32_t mode) {
  if (d > 1 || mode > 1)
    return 1;
  GridTable[d].mode = mode;
  const int was = dwg_setcur(int(d));
  const int prev = vew_cur();
  const uint32_t open = vew_mask(int(d));
  for (int n = 0; n < VIEW_COUNT; ++n)
    if (open & (1u << n)) {
      vew_select(n);
      grd_draw(uint32_t(n));
    }
  vew_select(prev);
  dwg_setcur(was);
  return 0;
}

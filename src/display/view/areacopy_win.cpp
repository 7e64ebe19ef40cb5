#include "display/view/areacopy_win.h"

#include <cmath>

#include "display/view/cliprect.h"
#include "display/view/gdi.h"
#include "display/view/viewtbl.h"
#include "display/view/viewstate.h"
#include "settings/params.h"
#include "settings/shellcalls.h"

void clp_resolve(AreaPick &c) {
  if (c.dwg == -1)
    c.dwg = dwg_cur();
  if (c.view == -1)
    c.view = c.dwg == dwg_cur() ? vew_cur() : 0;
}

namespace {

// The renderers draw in black only when the cursor block asks for it.
void offscreen_on() {
  uint16_t cursor[3] = {};
  sys_cursor('R', cursor);
  OffscreenOutput = 1;
  OffscreenMono = cursor[0] == 1 ? 1 : 0;
}

void offscreen_off() {
  OffscreenOutput = 0;
  OffscreenMono = 0;
  gdi_freepen2();
}

} // namespace

HGLOBAL clp_metafile(const AreaPick corners[2]) {
  AreaPick c0 = corners[0], c1 = corners[1];
  clp_resolve(c0);
  const int dwg = c0.dwg, view = c0.view;
  const double x1 = std::fmin(c0.wx, c1.wx), x2 = std::fmax(c0.wx, c1.wx);
  const double y1 = std::fmin(c0.wy, c1.wy), y2 = std::fmax(c0.wy, c1.wy);
  ViewXform saved;
  if (vew_frame('R', dwg, view, &saved) != 0 || !vew_hwnd(dwg, view))
    return nullptr;
  HGLOBAL result = nullptr;
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  int32_t p1x, p1y, p2x, p2y;
  if (vew_setdev(nullptr, dwg, view, desk.left - bx, desk.top - by, desk.right + bx, desk.bottom + by) == 0 &&
      vew_setwin(dwg, view, 1, x1, y1, x2, y2) == 0 && vew_w2dev(dwg, view, x1, y1, &p1x, &p1y) == 0 &&
      vew_w2dev(dwg, view, x2, y2, &p2x, &p2y) == 0) {
    if (HDC dc = CreateMetaFileA(nullptr)) {
      SetWindowExtEx(dc, p2x - p1x + 1, p1y - p2y + 1, nullptr);
      SetWindowOrgEx(dc, p1x, p2y, nullptr);
      dsp_clipset(x1, y1, x2, y2);
      offscreen_on();
      const int drawn = ui_draw(dc, dwg, view, 0);
      HMETAFILE mf = CloseMetaFile(dc);
      if (drawn >= 0 && mf) {
        result = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(METAFILEPICT));
        auto *mfp = result ? static_cast<METAFILEPICT *>(GlobalLock(result)) : nullptr;
        if (mfp) {
          int32_t ex, ey;
          clp_mfext(x2 - x1 + 1.0, y2 - y1 + 1.0, &ex, &ey);
          mfp->mm = MM_ANISOTROPIC;
          mfp->xExt = ex;
          mfp->yExt = ey;
          mfp->hMF = mf;
          GlobalUnlock(result);
          mf = nullptr;
        } else if (result) {
          GlobalFree(result);
          result = nullptr;
        }
      }
      if (mf)
        DeleteMetaFile(mf);
    }
  }
  offscreen_off();
  dsp_clipoff();
  vew_frame('W', dwg, view, &saved);
  if (dwg == dwg_cur() && view == vew_cur())
    vxf_tocurrent(saved);
  return result;
}

HBITMAP clp_bitmap(const AreaPick corners[2]) {
  AreaPick c0 = corners[0], c1 = corners[1];
  clp_resolve(c0);
  const int dwg = c0.dwg, view = c0.view;
  HWND wnd = vew_hwnd(dwg, view);
  int32_t ax, ay, bx, by;
  if (!wnd || vew_w2dev(dwg, view, c0.wx, c0.wy, &ax, &ay) != 0 || vew_w2dev(dwg, view, c1.wx, c1.wy, &bx, &by) != 0)
    return nullptr;
  const int64_t w = std::llabs(int64_t(bx) - ax), h = std::llabs(int64_t(by) - ay);
  if (w >= 32767 || h >= 32767)
    return nullptr; // beyond what a device bitmap takes
  HDC wdc = GetDC(wnd);
  if (!wdc)
    return nullptr;
  HDC mem = CreateCompatibleDC(wdc);
  HBITMAP bmp = mem ? CreateCompatibleBitmap(wdc, int(w + 1), int(h + 1)) : nullptr;
  HRGN rgn = bmp ? CreateRectRgn(0, 0, int(w + 1), int(h + 1)) : nullptr;
  int drawn = -1;
  if (rgn) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, int(w + 1), int(h + 1), nullptr, 0, 0, WHITENESS);
    SetWindowOrgEx(mem, ax < bx ? ax : bx, ay < by ? ay : by, nullptr);
    SetWindowExtEx(mem, int(w + 1), int(h + 1), nullptr);
    SelectClipRgn(mem, rgn);
    offscreen_on();
    drawn = ui_draw(mem, dwg, view, 0);
    OffscreenOutput = 0;
    OffscreenMono = 0;
    SelectObject(mem, old);
  }
  if (rgn)
    DeleteObject(rgn);
  if (mem)
    DeleteDC(mem);
  ReleaseDC(wnd, wdc);
  gdi_freepen2();
  if (drawn < 0) {
    if (bmp)
      DeleteObject(bmp);
    return nullptr;
  }
  int32_t dx, dy;
  clp_bmdim(std::fabs(c1.wx - c0.wx) + 1.0, std::fabs(c1.wy - c0.wy) + 1.0, &dx, &dy);
  SetBitmapDimensionEx(bmp, dx, dy, nullptr);
  return bmp;
}

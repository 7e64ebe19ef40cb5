#include "display/areacopy_win.h"

#include <cmath>

#include "display/cliprect.h"
#include "display/gdi.h"
#include "display/viewtbl.h"
#include "input/gcr.h"
#include "input/gcrpoint.h"
#include "input/rubber.h"
#include "ole/ole1clip.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "display/viewstate.h"
#include "settings/shellcalls.h"

namespace {

constexpr uint32_t CURRENT_DRAWING_ONLY = 0x80000000u;

void resolve(AreaPick &c) {
  if (c.dwg == -1)
    c.dwg = dwg_cur();
  if (c.view == -1)
    c.view = c.dwg == dwg_cur() ? vew_cur() : 0;
}

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

// Puts data on the open clipboard; on refusal frees it (the clipboard did not take it).
bool put(UINT format, HANDLE data, void (*release)(HANDLE)) {
  if (!data)
    return false;
  if (SetClipboardData(format, data))
    return true;
  release(data);
  return false;
}

void free_global(HANDLE h) { GlobalFree(h); }
void free_bitmap(HANDLE h) { DeleteObject(h); }
void free_metafilepict(HANDLE h) {
  if (auto *mfp = static_cast<METAFILEPICT *>(GlobalLock(h))) {
    DeleteMetaFile(mfp->hMF);
    GlobalUnlock(h);
  }
  GlobalFree(h);
}

} // namespace

int clp_pickrect(uint32_t firstmask, AreaPick corners[2]) {
  InputGuide saved;
  rub_state('r', &saved);
  rub_start(-1);
  int code = 27;
  int n = 0;
  while (n < 2) {
    AreaPick &c = corners[n];
    msg_disp(1, 0, 1, 1, n == 0 ? 1001 : 1002);
    if (n == 1)
      rub_startratio(2, 0, corners[0].wx, corners[0].wy, 0, 0);
    else
      rub_start(-1);
    const int32_t entry = c.dwg;
    int32_t kb = 0;
    code = gcr_point(0, 0, n == 0 ? firstmask : CURRENT_DRAWING_ONLY, &c.wx, &c.wy, &c.dwg, &kb);
    msg_disp(1, 128, 1, 1, 0);
    gcr_clrfb();
    rub_start(-1);
    if (code == 500 || code == 13) {
      c.view = gcr_pickvw();
      if (vew_w2dev(c.dwg, c.view, c.wx, c.wy, &c.dx, &c.dy) != 0) {
        c.dwg = entry;
        continue;
      }
      POINT p{c.dx, c.dy};
      ClientToScreen(vew_hwnd(c.dwg, c.view), &p);
      c.sx = p.x;
      c.sy = p.y;
      n++;
    } else if (code == 501) {
      if (n == 1)
        n = 0;
    } else if (code == 27 || code == 800 || code == 700) {
      // 700: no drawing takes a point, asking again would never end.
      break;
    } else {
      c.dwg = entry;
    }
  }
  rub_state('w', &saved);
  return code;
}

int clp_copycmd() {
  AreaPick corners[2] = {{-1, -1, 0, 0, 0, 0, 0, 0}, {-1, -1, 0, 0, 0, 0, 0, 0}};
  const int code = clp_pickrect(1023, corners);
  if (code != 500 && code != 13)
    return -1;
  return clp_copy(corners) ? code : -1;
}

HGLOBAL clp_metafile(const AreaPick corners[2]) {
  AreaPick c0 = corners[0], c1 = corners[1];
  resolve(c0);
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
  resolve(c0);
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

int clp_copy(const AreaPick *given) {
  if (ClipFormatMask == 0)
    return 0;
  AreaPick c[2];
  if (given) {
    c[0] = given[0];
    c[1] = given[1];
    resolve(c[0]);
    resolve(c[1]);
  } else {
    const int dwg = dwg_cur(), view = vew_cur();
    HWND wnd = vew_hwnd(dwg, view);
    RECT r;
    if (!wnd || !GetClientRect(wnd, &r))
      return 0;
    const POINT at[2] = {{r.left, r.top}, {r.right, r.bottom}};
    for (int i = 0; i < 2; i++) {
      c[i].dwg = dwg;
      c[i].view = view;
      c[i].dx = at[i].x;
      c[i].dy = at[i].y;
      POINT s = at[i];
      ClientToScreen(wnd, &s);
      c[i].sx = s.x;
      c[i].sy = s.y;
      vew_dev2w(dwg, view, at[i].x, at[i].y, &c[i].wx, &c[i].wy);
    }
  }
  if (c[0].wx == c[1].wx || c[0].wy == c[1].wy)
    return 0;
  win_waitcur();
  if (!OpenClipboard(app_hmain())) {
    win_waitcur();
    return 0;
  }
  EmptyClipboard();
  const double rect[4] = {c[0].wx, c[0].wy, c[1].wx, c[1].wy};
  const RECT device = {LONG(c[0].dx), LONG(c[0].dy), LONG(c[1].dx), LONG(c[1].dy)};
  bool ok = true;
  const struct {
    uint32_t bit;
    int form;
  } objects[] = {{CLP_NATIVE, OLE1_NATIVE}, {CLP_OWNERLINK, OLE1_OWNERLINK}};
  for (const auto &o : objects) {
    if (!ok || !(ClipFormatMask & o.bit))
      continue;
    // Not registered by the object layer: the copy cannot offer it.
    if (UINT format = Ole1ClipFormat(o.form))
      ok = put(format, RenderOle1Data(c[0].dwg, rect, o.form, &device), free_global);
  }
  if (ok && (ClipFormatMask & CLP_METAFILE))
    ok = put(CF_METAFILEPICT, clp_metafile(c), free_metafilepict);
  if (ok && (ClipFormatMask & CLP_BITMAP))
    ok = put(CF_BITMAP, clp_bitmap(c), free_bitmap);
  CloseClipboard();
  win_waitcur();
  return ok ? 1 : 0;
}

#include "ole/areaclip_win.h"

#include <windows.h>

#include "commands/view/areapick_win.h"
#include "display/view/areacopy_win.h"
#include "display/view/viewtbl.h"
#include "ole/ole1clip.h"
#include "settings/appwin.h"
#include "settings/winutil.h"

namespace {

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

int clp_copycmd() {
  AreaPick corners[2] = {{-1, -1, 0, 0, 0, 0, 0, 0}, {-1, -1, 0, 0, 0, 0, 0, 0}};
  const int code = clp_pickrect(1023, corners);
  if (code != 500 && code != 13)
    return -1;
  return clp_copy(corners) ? code : -1;
}

int clp_copy(const AreaPick *given) {
  if (ClipFormatMask == 0)
    return 0;
  AreaPick c[2];
  if (given) {
    c[0] = given[0];
    c[1] = given[1];
    clp_resolve(c[0]);
    clp_resolve(c[1]);
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

#include <cstring>
#include <initializer_list>

#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "ole/oleupdate.h"
#include "settings/appwin.h"
#include "shell/units/toolbar.h"
#include "shell/units/units.h"

namespace {

const char *const host_class[TBAR_COUNT] = {"KL_TOOLBAR_FRAME_ONE", "KL_TOOLBAR_FRAME_TWO", "KL_TOOLBAR_FRAME_DISP",
                                            "KL_TOOLBAR_FRAME_FILE", "KL_TOOLBAR_FRAME_MES"};
const char *const host_title[TBAR_COUNT] = {"ｺﾏﾝﾄﾞ1", "ｺﾏﾝﾄﾞ2", "表示", "ﾌｧｲﾙ", "計測"};
bool registered[TBAR_COUNT];
bool fitting[TBAR_COUNT]; // a fit resizes the host, which sends WM_SIZE again

int bar_of(HWND w) {
  const int b = int(GetWindowLongPtrA(w, GWLP_USERDATA));
  return b >= 0 && b < TBAR_COUNT && app_htbar(b) == w ? b : -1;
}

// Commands whose press leaves the selected embedded object as it is.
bool keeps_selection(int b, int command) {
  if (b == 2)
    return true;
  if (b == 0 || b == 1)
    return command == 430 || command == 431 || command == 436;
  if (b == 3)
    return command == 400 || command == 401;
  return false;
}

void bar_home(HWND bar) {
  SendMessageA(bar, TB_AUTOSIZE, 0, 0);
  SetWindowPos(bar, nullptr, 3, 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK host_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const int b = bar_of(w);
  if (b < 0)
    return DefWindowProcA(w, m, wp, lp);
  switch (m) {
  case WM_COMMAND: {
    const int id = LOWORD(wp);
    if (id < TBAR_ID || id >= TBAR_ID + 1100)
      break;
    const int command = id - TBAR_ID;
    if (!keeps_selection(b, command))
      OleUpdateSelected();
    if (b <= 2 && !tbar_precmd(tbar_btnlevel(b, command), command))
      return 0;
    tbar_run(b, id);
    return 0;
  }
  case WM_SYSCOMMAND:
    if (tbar_syscmd(b, wp))
      return 0;
    break;
  case WM_MOVE:
    pnl_savepos(w, b + 3);
    break;
  case WM_SIZE:
    if (pnl_side(b + 3) == 0 && !fitting[b]) {
      tbar_hostfit(b);
      return 0;
    }
    break;
  case WM_PAINT:
    if (HWND bar = tbar_hwnd(b)) {
      InvalidateRect(bar, nullptr, TRUE);
      UpdateWindow(bar);
    }
    break;
  }
  return DefWindowProcA(w, m, wp, lp);
}

bool register_host(int b) {
  if (registered[b])
    return true;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = host_proc;
  wc.hInstance = app_hinst();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = host_class[b];
  // A small icon named like the class, when the resources hold one.
  wc.hIconSm = static_cast<HICON>(LoadImageA(app_hinst(), host_class[b], IMAGE_ICON, 16, 16, 0));
  registered[b] = RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered[b];
}

void host_styles(int side, DWORD *style, DWORD *exstyle) {
  *style = side ? WS_CHILD | WS_CLIPSIBLINGS : WS_POPUP | WS_CAPTION | WS_SYSMENU;
  *exstyle = WS_EX_TOOLWINDOW;
}

} // namespace

void win_trimsysmenu(HWND w) {
  HMENU menu = GetSystemMenu(w, FALSE);
  if (!menu)
    return;
  RemoveMenu(menu, 7, MF_BYPOSITION);
  RemoveMenu(menu, 5, MF_BYPOSITION);
  for (UINT sc : {SC_CLOSE, SC_RESTORE, SC_MINIMIZE, SC_MAXIMIZE, SC_SIZE, SC_TASKLIST})
    RemoveMenu(menu, sc, MF_BYCOMMAND);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
}

int tbar_hostcreate(int b, int side, int x, int y, int cx, int cy, DWORD style, DWORD exstyle) {
  if (b < 0 || b >= TBAR_COUNT || !register_host(b))
    return 0;
  HWND frame = app_hmain();
  HWND bar = tbar_hwnd(b);
  if (HWND old = app_htbar(b)) {
    // The bar waits in the main frame while its host is replaced.
    if (bar) {
      SendMessageA(bar, TB_SETPARENT, reinterpret_cast<WPARAM>(frame), 0);
      SetParent(bar, frame);
    }
    app_settbar(b, nullptr);
    DestroyWindow(old);
  }
  HWND w = CreateWindowExA(exstyle, host_class[b], host_title[b], style, x, y, cx, cy, frame, nullptr, app_hinst(),
                           nullptr);
  if (!w)
    return 0;
  SetWindowLongPtrA(w, GWLP_USERDATA, b);
  app_settbar(b, w);
  if (side == 0) {
    win_trimsysmenu(w);
    tbar_sysmenu(b);
  }
  if (bar) {
    SetParent(bar, w);
    SendMessageA(bar, TB_SETPARENT, reinterpret_cast<WPARAM>(w), 0);
    bar_home(bar);
    tbar_create(b);
    return 1;
  }
  tbar_make(b);
  return tbar_hwnd(b) ? 1 : 0;
}

int tbar_hostreset(int b, const UnitRecord *u) {
  if (b < 0 || b >= TBAR_COUNT || !u)
    return 0;
  const SIZE s = tbar_size(b, u->side);
  if (s.cx < 1 || s.cy < 1)
    return 0;
  DWORD style, exstyle;
  host_styles(u->side, &style, &exstyle);
  RECT r = {0, 0, s.cx, s.cy};
  AdjustWindowRectEx(&r, style, FALSE, exstyle);
  return tbar_hostcreate(b, u->side, u->left, u->top, r.right - r.left, r.bottom - r.top, style, exstyle);
}

int tbar_hostsinit() {
  for (int b = 0; b < TBAR_COUNT; b++) {
    UnitRecord u = {};
    pnl_unitget(b + 3, &u);
    if (!tbar_hostreset(b, &u))
      return 0;
  }
  return 1;
}

void tbar_hostfit(int b) {
  HWND w = b >= 0 && b < TBAR_COUNT ? app_htbar(b) : nullptr;
  if (!w)
    return;
  const int side = pnl_side(b + 3);
  const SIZE s = tbar_size(b, side);
  if (s.cx > 0 && s.cy > 0) {
    RECT r = {0, 0, s.cx, s.cy};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongPtrA(w, GWL_STYLE)), FALSE, DWORD(GetWindowLongPtrA(w, GWL_EXSTYLE)));
    fitting[b] = true;
    SetWindowPos(w, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    fitting[b] = false;
  }
  HWND bar = tbar_hwnd(b);
  if (bar && side == 0)
    bar_home(bar);
  tbar_create(b);
}

int tbar_run(int b, int id) {
  const int started = cmd_exec(b, id - TBAR_ID);
  if (HWND bar = tbar_hwnd(b))
    SendMessageA(bar, TB_CHECKBUTTON, WPARAM(id), MAKELPARAM(started ? TRUE : FALSE, 0));
  return started;
}

int tbar_syscmd(int b, WPARAM id) {
  if (b < 0 || b >= TBAR_COUNT)
    return 0;
  const bool close = (id & 0xFFF0) == SC_CLOSE;
  const bool line = id >= TBAR_ID && id <= TBAR_ID + 40;
  if (!close && !line)
    return 0;
  cmd_cancel(0);
  if (close) {
    const int show = pnl_toggle(b + 3);
    if (HWND bar = tbar_hwnd(b))
      ShowWindow(bar, show);
    if (HWND host = app_htbar(b))
      ShowWindow(host, show);
    if (show)
      tbar_create(b); // the buttons' states were not kept while it was hidden
    return 1;
  }
  pnl_setline(b + 3, uint16_t(id - TBAR_ID));
  // The layout may have made the host again.
  HWND host = app_htbar(b);
  if (!host)
    return 1;
  SendMessageA(host, WM_SIZE, 0, 0);
  if (HWND bar = tbar_hwnd(b))
    bar_home(bar);
  ShowWindow(host, SW_SHOW);
  return 1;
}

#include "shell/units.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "commands/cmdroute.h"
#include "settings/msgout.h"
#include "settings/prefs.h"
#include "shell/abox.h"
#include "shell/appsvc.h"
#include "shell/menufile.h"
#include "shell/msgwin.h"
#include "shell/panel.h"
#include "shell/toolbar.h"

UnitInfoBlock UnitInfo;
PanelSettings PanelSet;

namespace {

constexpr const char *SECTION = "UNITINFO";
const char *const host_class[TBAR_COUNT] = {"KL_TOOLBAR_FRAME_ONE", "KL_TOOLBAR_FRAME_TWO", "KL_TOOLBAR_FRAME_DISP",
                                            "KL_TOOLBAR_FRAME_FILE", "KL_TOOLBAR_FRAME_MES"};
const char *const host_title[TBAR_COUNT] = {"ｺﾏﾝﾄﾞ1", "ｺﾏﾝﾄﾞ2", "表示", "ﾌｧｲﾙ", "計測"};

uint32_t setting(const char *key, uint32_t missing, uint32_t lo, uint32_t hi, uint32_t fallback) {
  const UINT v = GetPrivateProfileIntA(SECTION, key, int(missing), prf_path());
  if (v == missing)
    return missing;
  return v >= lo && v <= hi ? v : fallback;
}

void read_settings() {
  PanelSettings &p = PanelSet;
  UnitInfo.bigicon = GetPrivateProfileIntA(SECTION, "BIGICON", 0, prf_path()) == 1 ? 1 : 0;
  p.quickstart = GetPrivateProfileIntA(SECTION, "QUICKSTART", 1, prf_path()) ? 1 : 0;
  p.cmdhwidth = setting("CMDHWIDTH", 0, 60, 120, 90);
  p.cmdvwidth = setting("CMDVWIDTH", 0, 60, 120, 100);
  static const uint32_t sizerat[3] = {80, 100, 120}, widthrat[3] = {100, 125, 150};
  for (int i = 0; i < 3; i++) {
    char key[24];
    std::snprintf(key, sizeof key, "BTNSIZEKIND%d", i);
    UINT v = GetPrivateProfileIntA(SECTION, key, 1, prf_path());
    p.sizekind[i] = v <= 2 ? v : 1;
    std::snprintf(key, sizeof key, "BTNSIZERAT%d", i);
    v = GetPrivateProfileIntA(SECTION, key, int(sizerat[i]), prf_path());
    p.sizerat[i] = v >= 50 && v <= 200 ? v : sizerat[i];
    std::snprintf(key, sizeof key, "BTNWIDTHRAT%d", i);
    v = GetPrivateProfileIntA(SECTION, key, int(widthrat[i]), prf_path());
    p.widthrat[i] = v >= 50 && v <= 200 ? v : widthrat[i];
  }
}

LRESULT CALLBACK host_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COMMAND) {
    // A button of the bar: its command starts on the level of its button record.
    const int id = LOWORD(wp), b = int(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (id >= TBAR_ID && id < TBAR_ID + 1100 && b >= 0 && b < TBAR_COUNT) {
      cmd_exec(b, id - TBAR_ID);
      return 0;
    }
  }
  return DefWindowProcA(w, m, wp, lp);
}

bool create_host(int b) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = host_proc;
  wc.hInstance = app_hinst();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = host_class[b];
  RegisterClassA(&wc);
  const UnitRecord &u = UnitInfo.unit[b + 3];
  HWND w;
  if (u.side)
    w = CreateWindowExA(WS_EX_TOOLWINDOW, host_class[b], host_title[b], WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                        app_hmain(), nullptr, app_hinst(), nullptr);
  else
    w = CreateWindowExA(WS_EX_TOOLWINDOW, host_class[b], host_title[b], WS_POPUP | WS_CAPTION | WS_SYSMENU, u.left,
                        u.top, 0, 0, app_hmain(), nullptr, app_hinst(), nullptr);
  if (w)
    SetWindowLongPtrA(w, GWLP_USERDATA, b);
  app_settbar(b, w);
  return w != nullptr;
}

int fail(int id) {
  char text[262] = "";
  LoadStringA(app_hinst(), UINT(id), text, sizeof text);
  app_setmdi(nullptr);
  msg_board(0, "%s", text);
  return 0;
}

// Size of a docked unit's window.
SIZE unit_size(int unit) {
  SIZE s = {0, 0};
  if (unit == 1 && app_habox()) {
    RECT r;
    GetWindowRect(app_habox(), &r);
    s = {r.right - r.left, r.bottom - r.top};
  } else if (unit >= 3 && unit <= 7) {
    const int b = unit - 3;
    if (app_htbar(b))
      s = tbar_size(b, UnitInfo.unit[unit].side);
  }
  return s;
}

bool docked(int unit) {
  const UnitRecord &u = UnitInfo.unit[unit];
  return unit == 0 ? u.shown != 0 : u.shown && u.side != 0;
}

void place(HWND w, int x, int y, int cx, int cy) {
  if (w)
    SetWindowPos(w, nullptr, x, y, cx > 0 ? cx : 0, cy > 0 ? cy : 0, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

int pnl_startup() {
  std::memset(&UnitInfo, 0, sizeof UnitInfo);
  read_settings();
  UnitInfo.unit[6].shown = 1; // the file tool bar, docked at the top
  UnitInfo.unit[6].side = 1;
  // The tool window (unit 2) is not built yet.
  if (!pnl_create(&UnitInfo.unit[0]))
    return fail(114);
  if (!abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]))
    return fail(115);
  for (int b = 0; b < TBAR_COUNT; b++)
    if (!create_host(b))
      return fail(117);
  tbar_rebuild();
  pnl_arrange();
  mnu_build(0);
  return 1;
}

int pnl_shutdown() {
  for (int i = 0; i < UNIT_COUNT; i++) {
    const UnitRecord &u = UnitInfo.unit[i];
    char key[24], value[24];
    const struct {
      const char *fmt;
      long v;
    } keys[] = {{"DISPFLG%02d", u.shown ? 1 : 0},
                {"SIDEINFO%02d", u.side},
                {"LINEINFO%02d", u.line},
                {"LEFTPOINT%02d", u.left},
                {"TOPPOINT%02d", u.top}};
    for (const auto &k : keys) {
      std::snprintf(key, sizeof key, k.fmt, i);
      std::snprintf(value, sizeof value, "%ld", k.v);
      WritePrivateProfileStringA(SECTION, key, value, prf_path());
    }
  }
  for (int b = 0; b < TBAR_COUNT; b++) {
    ToolBar &t = ToolBars[b];
    if (t.tips)
      DestroyWindow(t.tips);
    t.tips = nullptr;
    if (t.ctl)
      DestroyWindow(t.ctl);
    t.ctl = nullptr;
    if (HWND h = app_htbar(b))
      DestroyWindow(h);
    app_settbar(b, nullptr);
  }
  tbar_freebmp();
  abox_destroy();
  pnl_destroy();
  return 1;
}

int pnl_arrange() {
  HWND frame = app_hmain();
  if (!frame)
    return 1;
  pnl_arrbtn(&UnitInfo.unit[0]);
  pnl_setclick(pnl_click);
  RECT R;
  GetClientRect(frame, &R);
  HWND mesg = app_hmesg();
  int mh = 0;
  if (mesg) {
    RECT mr;
    GetWindowRect(mesg, &mr);
    mh = mr.bottom - mr.top;
  }
  const RECT whole = R;
  R.bottom -= mh;
  // The attribute box is made again when its kind of window no longer fits its side.
  if (HWND box = app_habox()) {
    const bool popup = (GetWindowLongPtrA(box, GWL_STYLE) & WS_POPUP) != 0;
    if (popup == (UnitInfo.unit[1].side != 0))
      abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]);
    abox_arrange(&UnitInfo.unit[1]);
  }
  // The top group: TOOLFILE (unit 6), the attribute box (1) and TOOLDISP (5).
  const SIZE s6 = docked(6) ? unit_size(6) : SIZE{0, 0}, s5 = docked(5) ? unit_size(5) : SIZE{0, 0};
  const SIZE s1 = docked(1) ? unit_size(1) : SIZE{0, 0};
  HWND h6 = docked(6) ? app_htbar(3) : nullptr, h5 = docked(5) ? app_htbar(2) : nullptr;
  HWND h1 = docked(1) ? app_habox() : nullptr;
  const int width = R.right - R.left;
  auto nonneg = [](int v) { return v > 0 ? v : 0; };
  if (width > s6.cx + s1.cx + s5.cx) {
    int h = s6.cy > s5.cy ? s6.cy : s5.cy;
    h = h > s1.cy ? h : s1.cy;
    const int w5 = s5.cx ? nonneg(R.right - (R.left + s6.cx + s1.cx)) : 0;
    const int w1 = s1.cx ? nonneg(R.right - w5 - (R.left + s6.cx)) : 0;
    place(h5, R.left + s6.cx + s1.cx, R.top, w5, s5.cy);
    place(h1, R.left + s6.cx, R.top, w1, s1.cy);
    place(h6, R.left, R.top, nonneg(width - w5 - w1), s6.cy);
    R.top += h;
  } else if (width <= s6.cx + s1.cx) {
    place(h5, R.left, R.top, width, s5.cy);
    R.top += s5.cy;
    place(h1, R.left, R.top, width, s1.cy);
    R.top += s1.cy;
    place(h6, R.left, R.top, width, s6.cy);
    R.top += s6.cy;
  } else {
    place(h5, R.left, R.top, width, s5.cy);
    R.top += s5.cy;
    const int w1 = nonneg(R.right - (R.left + s6.cx));
    place(h1, R.left + s6.cx, R.top, w1, s1.cy);
    place(h6, R.left, R.top, nonneg(width - w1), s6.cy);
    R.top += s6.cy > s1.cy ? s6.cy : s1.cy;
  }
  // The other bars each take a strip of their own at their side.
  for (int unit : {3, 4, 7}) {
    if (!docked(unit))
      continue;
    HWND h = app_htbar(unit - 3);
    const SIZE s = unit_size(unit);
    switch (UnitInfo.unit[unit].side) {
    case 1:
      place(h, R.left, R.top, R.right - R.left, s.cy);
      R.top += s.cy;
      break;
    case 2:
      place(h, R.left, R.bottom - s.cy, R.right - R.left, s.cy);
      R.bottom -= s.cy;
      break;
    case 3:
      place(h, R.left, R.top, s.cx, R.bottom - R.top);
      R.left += s.cx;
      break;
    default:
      place(h, R.right - s.cx, R.top, s.cx, R.bottom - R.top);
      R.right -= s.cx;
      break;
    }
  }
  if (HWND mdi = app_hmdi()) {
    place(mdi, R.left, R.top, R.right - R.left, R.bottom - R.top);
    ShowWindow(mdi, SW_SHOW);
  }
  if (mesg) {
    place(mesg, whole.left, whole.bottom - mh, whole.right - whole.left, mh);
    ShowWindow(mesg, SW_SHOW);
  }
  if (IsIconic(frame))
    return 1;
  if (HWND box = app_habox())
    ShowWindow(box, pnl_shown(1) ? SW_SHOWNA : SW_HIDE);
  if (HWND panel = app_hpanel())
    ShowWindow(panel, SW_HIDE); // the command panel belongs to the command-panel layout only
  for (int b = 0; b < TBAR_COUNT; b++) {
    HWND h = app_htbar(b);
    if (!h)
      continue;
    const bool show = pnl_shown(b + 3) != 0;
    ShowWindow(h, show ? SW_SHOWNA : SW_HIDE);
    if (show)
      tbar_create(b);
  }
  tbar_objmode();
  return 1;
}

uint32_t pnl_layout() { return UnitInfo.layout; }
uint16_t pnl_bigicon() { return UnitInfo.bigicon; }
uint16_t pnl_side(int i) { return i >= 0 && i < UNIT_COUNT ? UnitInfo.unit[i].side : 0; }
uint16_t pnl_line(int i) { return i >= 0 && i < UNIT_COUNT ? UnitInfo.unit[i].line : 0; }

uint32_t pnl_shown(int i) {
  if (i < 0 || i >= UNIT_COUNT)
    return 0;
  const bool panel_layout = UnitInfo.layout != 0;
  const bool exists = panel_layout ? (i <= 2) : (i == 1 || i >= 3);
  return exists ? UnitInfo.unit[i].shown : 0;
}

int pnl_toggle(int i) {
  if (i < 0 || i >= UNIT_COUNT)
    return 0;
  if (UnitInfo.unit[i].shown) {
    UnitInfo.unit[i].shown = 0;
    return 0;
  }
  UnitInfo.unit[i].shown = 1;
  return 5;
}

int pnl_setline(int i, uint16_t v) {
  if (i < 0 || i >= UNIT_COUNT)
    return 0;
  UnitInfo.unit[i].line = v;
  if (i != 0 && UnitInfo.unit[i].side != 0) {
    tbar_rebuild();
    pnl_arrange();
  }
  return 1;
}

int pnl_savepos(HWND window, int i) {
  if (i < 0 || i >= UNIT_COUNT || UnitInfo.unit[i].side != 0 || !window)
    return 0;
  RECT r;
  GetWindowRect(window, &r);
  UnitInfo.unit[i].left = r.left;
  UnitInfo.unit[i].top = r.top;
  return 1;
}

int pnl_unitget(int i, UnitRecord *out) {
  if (i < 0 || i >= UNIT_COUNT || !out)
    return 1;
  *out = UnitInfo.unit[i];
  return 0;
}

int pnl_unitcmd() {
  msg_disp(1, 128, 0, 0, 0);
  cmd_status(-1, -1);
  if (HWND panel = app_hpanel())
    SendMessageA(panel, WM_COMMAND, PNL_ID + 2, 0);
  return 1;
}

HWND pnl_host(int b) { return app_htbar(b); }

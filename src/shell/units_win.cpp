#include "shell/units.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "commands/cmdroute.h"
#include "settings/msgout.h"
#include "settings/prefs.h"
#include "shell/appsvc.h"
#include "shell/menufile.h"
#include "shell/msgwin.h"
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
  if (unit >= 3 && unit <= 7) {
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
  // The command panel, the attribute box and the tool window (units 0, 1, 2) are
  // not built yet; the tool-bar layout shows the units below without them.
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
  return 1;
}

int pnl_arrange() {
  HWND frame = app_hmain();
  if (!frame)
    return 1;
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
  // The top group: TOOLFILE (unit 6), the attribute box (1, not built) and TOOLDISP (5).
  const SIZE s6 = docked(6) ? unit_size(6) : SIZE{0, 0}, s5 = docked(5) ? unit_size(5) : SIZE{0, 0};
  const int width = R.right - R.left;
  if (width > s6.cx + s5.cx) {
    const int h = s6.cy > s5.cy ? s6.cy : s5.cy;
    const int w5 = R.right - (R.left + s6.cx) > 0 ? R.right - (R.left + s6.cx) : 0;
    place(app_htbar(2), R.left + s6.cx, R.top, s5.cx ? w5 : 0, s5.cy);
    place(app_htbar(3), R.left, R.top, s6.cx ? width - (s5.cx ? w5 : 0) : 0, s6.cy);
    R.top += h;
  } else {
    place(app_htbar(2), R.left, R.top, width, s5.cy);
    R.top += s5.cy;
    place(app_htbar(3), R.left, R.top, width, s6.cy);
    R.top += s6.cy;
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

int pnl_unitcmd() {
  msg_disp(1, 128, 0, 0, 0);
  cmd_status(-1, -1);
  return 1;
}

HWND pnl_host(int b) { return app_htbar(b); }

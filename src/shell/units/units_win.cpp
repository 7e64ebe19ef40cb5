#include "shell/units/units.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "shell/app/cmdroute.h"
#include "settings/msgout.h"
#include "settings/prefs.h"
#include "shell/units/abox.h"
#include "settings/appwin.h"
#include "shell/units/menufile.h"
#include "shell/units/panel.h"
#include "shell/units/toolbar.h"
#include "shell/units/toolwin.h"
#include "shell/units/unitlayout.h"

UnitInfoBlock UnitInfo;
PanelSettings PanelSet;
int PnlFailUnit = -1;
// Set once start-up has made the units: the frame's first WM_SIZE arrives while
// the frame itself is being created, before any unit exists.
bool PnlStarted = false;

namespace {

constexpr const char *SECTION = "UNITINFO";

// A key that is missing gives `missing`; a stored value outside lo..hi (a stored 0 too)
// gives the fallback.
uint32_t setting(const char *key, uint32_t missing, uint32_t lo, uint32_t hi, uint32_t fallback) {
  char text[32] = "";
  if (!GetPrivateProfileStringA(SECTION, key, "", text, sizeof text, prf_path()))
    return missing;
  const UINT v = GetPrivateProfileIntA(SECTION, key, 0, prf_path());
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

// The records the last run wrote (DISPFLGnn .. TOPPOINTnn) are taken back, so that the
// units come back where the user left them; a unit without keys keeps its built-in
// record. A bar's line choice that gives it no rows would fail the hosts' creation and
// falls back to 0; a floating place off every screen is brought back onto the desktop.
void read_units() {
  RECT desk;
  desk.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  desk.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  desk.right = desk.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  desk.bottom = desk.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (desk.right <= desk.left || desk.bottom <= desk.top)
    GetWindowRect(GetDesktopWindow(), &desk);
  for (int i = 0; i < UNIT_COUNT; i++) {
    UnitRecord &u = UnitInfo.unit[i];
    char key[24], text[32];
    auto get = [&](const char *fmt, long *v) {
      std::snprintf(key, sizeof key, fmt, i);
      if (!GetPrivateProfileStringA(SECTION, key, "", text, sizeof text, prf_path()))
        return false;
      char *end = nullptr;
      const long n = std::strtol(text, &end, 10);
      if (end == text)
        return false;
      *v = n;
      return true;
    };
    long v = 0;
    if (get("DISPFLG%02d", &v))
      u.shown = v != 0 ? 1 : 0;
    if (get("SIDEINFO%02d", &v) && v >= 0 && v <= 0xFFFF)
      u.side = uint16_t(v);
    if (get("LINEINFO%02d", &v) && v >= 0 && v <= 0xFFFF)
      u.line = uint16_t(v);
    if (get("LEFTPOINT%02d", &v))
      u.left = int32_t(v);
    if (get("TOPPOINT%02d", &v))
      u.top = int32_t(v);
    if (i >= 3 && i <= 7 && tbar_rows(i - 3, u.line) <= 0)
      u.line = 0;
    if (u.left < desk.left || u.left > desk.right - 16)
      u.left = desk.left;
    if (u.top < desk.top || u.top > desk.bottom - 16)
      u.top = desk.top;
  }
}

int fail(int id) {
  char text[262] = "";
  LoadStringA(app_hinst(), UINT(id), text, sizeof text);
  app_setmdi(nullptr);
  msg_board(0, "%s", text);
  return 0;
}

// The unit's window; the tool-bar host for units 3..7.
HWND unit_window(int unit) {
  if (unit == 0)
    return app_hpanel();
  if (unit == 1)
    return app_habox();
  if (unit == 2)
    return app_htool();
  if (unit >= 3 && unit <= 7)
    return app_htbar(unit - 3);
  return nullptr;
}

// Size of a docked unit's window.
SIZE unit_size(int unit) {
  SIZE s = {0, 0};
  HWND w = unit_window(unit);
  if (!w)
    return s;
  if (unit >= 3 && unit <= 7)
    return tbar_size(unit - 3, UnitInfo.unit[unit].side);
  RECT r;
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// Shown with a non-zero side (unit 0: shown), and its window exists.
bool docked(int unit) {
  const UnitRecord &u = UnitInfo.unit[unit];
  if (!(unit == 0 ? u.shown != 0 : u.shown && u.side != 0))
    return false;
  return unit_window(unit) != nullptr;
}

} // namespace

int pnl_startup() {
  std::memset(&UnitInfo, 0, sizeof UnitInfo);
  read_settings();
  UnitInfo.unit[6].shown = 1; // the file tool bar, docked at the top
  UnitInfo.unit[6].side = 1;
  read_units();
  if (PnlFailUnit == 0 || !pnl_create(&UnitInfo.unit[0]))
    return fail(114);
  if (PnlFailUnit == 1 || !abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]))
    return fail(115);
  if (PnlFailUnit == 2 || !tool_create(&UnitInfo.unit[2]))
    return fail(116);
  if (PnlFailUnit == 3 || !tbar_hostsinit())
    return fail(117);
  tbar_rebuild();
  PnlStarted = true;
  pnl_arrange();
  mnu_build(0);
  return 1;
}

int pnl_shutdown() {
  PnlStarted = false;
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
  tool_destroy();
  pnl_destroy();
  return 1;
}

int pnl_arrange() {
  HWND frame = app_hmain();
  if (!frame || !PnlStarted)
    return 1;
  pnl_arrbtn(&UnitInfo.unit[0]);
  pnl_setclick(pnl_click);
  // The attribute box is made again when its kind of window no longer fits its side.
  if (HWND box = app_habox()) {
    const bool popup = (GetWindowLongPtrA(box, GWL_STYLE) & WS_POPUP) != 0;
    if (popup == (UnitInfo.unit[1].side != 0))
      abox_create(&UnitInfo.unit[1], &UnitInfo.unit[9]);
    abox_arrange(&UnitInfo.unit[1]);
  }
  if (HWND tool = app_htool()) {
    const bool popup = (GetWindowLongPtrA(tool, GWL_STYLE) & WS_POPUP) != 0;
    if (popup == (UnitInfo.unit[2].side != 0))
      tool_create(&UnitInfo.unit[2]);
    tool_arrange(&UnitInfo.unit[2]);
  }
  tbar_rebuild();
  for (int b = 0; b < TBAR_COUNT; b++)
    tbar_hostreset(b, &UnitInfo.unit[b + 3]);
  LayIn in = {};
  RECT client;
  GetClientRect(frame, &client);
  in.client = {client.left, client.top, client.right, client.bottom};
  HWND mesg = app_hmesg();
  if (mesg) {
    RECT mr;
    GetWindowRect(mesg, &mr);
    in.mesg_cy = mr.bottom - mr.top;
  }
  in.layout = UnitInfo.layout;
  for (int u = 0; u < UNIT_COUNT; u++) {
    if (!docked(u))
      continue;
    const SIZE s = unit_size(u);
    in.unit[u] = {1, UnitInfo.unit[u].side, int(s.cx), int(s.cy)};
  }
  const LayOut out = unit_layout(in);
  // Applied in one batch so that a live resize repaints once.
  static const int order[] = {5, 1, 6, 7, 4, 3, 2, 0};
  HDWP batch = BeginDeferWindowPos(10);
  for (int u : order) {
    const LayPlace &p = out.unit[u];
    HWND w = unit_window(u);
    if (p.placed && w && batch)
      batch = DeferWindowPos(batch, w, nullptr, p.x, p.y, p.cx, p.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  HWND mdi = app_hmdi();
  if (mdi && batch)
    batch = DeferWindowPos(batch, mdi, nullptr, out.mdi.x, out.mdi.y, out.mdi.cx, out.mdi.cy,
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (mesg && batch)
    batch = DeferWindowPos(batch, mesg, nullptr, out.mesg.x, out.mesg.y, out.mesg.cx, out.mesg.cy,
                           SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (batch)
    EndDeferWindowPos(batch);
  if (IsIconic(frame))
    return 1;
  if (HWND box = app_habox())
    ShowWindow(box, pnl_shown(1) ? SW_SHOWNA : SW_HIDE);
  if (UnitInfo.layout) {
    if (HWND panel = app_hpanel())
      ShowWindow(panel, pnl_shown(0) ? SW_SHOWNA : SW_HIDE);
    if (HWND tool = app_htool())
      ShowWindow(tool, pnl_shown(2) ? SW_SHOWNA : SW_HIDE);
    for (int b = 0; b < TBAR_COUNT; b++)
      if (HWND h = app_htbar(b))
        ShowWindow(h, SW_HIDE);
    return 1;
  }
  if (HWND panel = app_hpanel())
    ShowWindow(panel, SW_HIDE);
  if (HWND tool = app_htool())
    ShowWindow(tool, SW_HIDE);
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

#include "shell/toolbar.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "commands/cmdroute.h"
#include "commands/cmdtable.h"
#include "display/grid.h"
#include "display/view.h"
#include "files/filecmd.h"
#include "settings/syspath.h"
#include "settings/winutil.h"
#include "shell/appsvc.h"
#include "shell/units.h"
#include "shell/viewwin.h"

ToolBar ToolBars[TBAR_COUNT];
const char *const ToolBarSections[TBAR_COUNT] = {"TOOLONE", "TOOLTWO", "TOOLDISP", "TOOLFILE", "TOOLMES"};
ToolValueList ToolValues;

namespace {

struct BitmapRow {
  int command, small, large;
};
// Generated with the images so that the ids agree with the resource script.
const BitmapRow bitmap_rows[] = {
#include "toolbmp.inc"
};

constexpr int default_count[TBAR_COUNT] = {100, 100, 9, 9, 5};
constexpr int button_size[2] = {24, 31}, bitmap_size[2] = {16, 24};

// Position of the buttons of commands 710 and 520 (bar, index), kept for their refreshes.
int grid_bar = -1, grid_pos = -1;

ToolBarButton *button_of(int b, int command) {
  if (b < 0 || b >= TBAR_COUNT)
    return nullptr;
  ToolBar &t = ToolBars[b];
  for (int i = 0; i < t.count && i < TBAR_BUTTONS; i++)
    if (t.rec[i].btn.idCommand == TBAR_ID + command && t.rec[i].btn.fsStyle != TBSTYLE_SEP)
      return &t.rec[i];
  return nullptr;
}

// Reads the button entries of bar b and adds them to its control.
void make_buttons(int b, HWND ctl) {
  ToolBar &t = ToolBars[b];
  char path[262];
  tbar_path(path);
  const int s = pnl_bigicon() ? 1 : 0;
  int n = t.count > TBAR_BUTTONS ? TBAR_BUTTONS : t.count;
  for (int i = 0; i < n; i++) {
    char key[16], value[60];
    std::snprintf(key, sizeof key, "TBVALUE%03d", i);
    GetPrivateProfileStringA(ToolBarSections[b], key, " ", value, sizeof value, path);
    ToolBarButton &r = t.rec[i];
    std::memset(&r, 0, sizeof r);
    char *c1 = std::strchr(value, ',');
    char *c2 = c1 ? std::strchr(c1 + 1, ',') : nullptr;
    const int command = std::atoi(value);
    r.level = c1 ? std::atoi(c1 + 1) : 0;
    if (c2)
      std::snprintf(r.tip, sizeof r.tip, "%s", c2 + 1);
    if (command == -1) {
      r.btn.fsState = TBSTATE_ENABLED;
      r.btn.fsStyle = TBSTYLE_SEP;
      t.sep = true;
      continue;
    }
    const int id = tbar_bitmap(command, s);
    if (id < 0) {
      n = i; // a command without a bitmap ends the bar
      break;
    }
    HBITMAP bmp = CreateMappedBitmap(app_hinst(), id, 0, nullptr, 0);
    TBADDBITMAP ab = {nullptr, reinterpret_cast<UINT_PTR>(bmp)};
    const LRESULT index = bmp ? SendMessageA(ctl, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&ab)) : -1;
    r.btn.iBitmap = int(index);
    r.btn.idCommand = TBAR_ID + command;
    r.btn.fsState = TBSTATE_ENABLED;
    r.btn.fsStyle = TBSTYLE_CHECK;
    r.bmp = bmp;
  }
  t.count = n;
  for (int i = 0; i < n; i++) {
    SendMessageA(ctl, TB_SETBUTTONSIZE, 0, MAKELPARAM(button_size[s], button_size[s]));
    SendMessageA(ctl, TB_SETBITMAPSIZE, 0, MAKELPARAM(bitmap_size[s], bitmap_size[s]));
    SendMessageA(ctl, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&t.rec[i].btn));
  }
}

LRESULT CALLBACK tbar_subproc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const int b = int(GetWindowLongPtrA(w, GWLP_USERDATA));
  WNDPROC saved = b >= 0 && b < TBAR_COUNT ? ToolBars[b].saved : nullptr;
  // With QUICKSTART a button acts on the press.
  if (m == WM_LBUTTONDOWN && PanelSet.quickstart)
    PostMessageA(w, WM_LBUTTONUP, wp, lp);
  return saved ? CallWindowProcA(saved, w, m, wp, lp) : DefWindowProcA(w, m, wp, lp);
}

void check_buttons(int command, bool on) {
  for (int b = 0; b < TBAR_COUNT; b++)
    if (tbar_has(command, b))
      SendMessageA(ToolBars[b].ctl, TB_CHECKBUTTON, TBAR_ID + command, MAKELPARAM(on ? TRUE : FALSE, 0));
}

int grid_mode() {
  GridRecord g{};
  return grd_rec('R', uint32_t(dwg_cur()), &g) == 0 ? int(g.mode) : 0;
}

} // namespace

int tbar_bitmap(int command, int s) {
  for (const BitmapRow &r : bitmap_rows)
    if (r.command == command)
      return s ? r.large : r.small;
  return -1;
}

void tbar_path(char *out) {
  char dir[262] = "";
  sys_path('R', 6, dir);
  std::snprintf(out, 262, "%sRODIDEVO.MNU", dir);
}

int tbar_make(int b) {
  HWND host = app_htbar(b);
  if (b < 0 || b >= TBAR_COUNT || !host)
    return 0;
  ToolBar &t = ToolBars[b];
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  HWND ctl = CreateToolbarEx(host,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE | CCS_NODIVIDER |
                                 CCS_NORESIZE | CCS_NOPARENTALIGN,
                             TBAR_ID, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0, sizeof(TBBUTTON));
  t.ctl = ctl;
  if (!ctl)
    return 0;
  t.sep = false;
  t.count = default_count[b];
  SendMessageA(ctl, TB_SETROWS, MAKEWPARAM(t.count, TRUE), 0);
  SendMessageA(ctl, WM_SIZE, 0, 0);
  char path[262];
  tbar_path(path);
  const int count = int(GetPrivateProfileIntA(ToolBarSections[b], "TBMAXCOUNT", -1, path));
  int found = 0;
  if (count >= 0) {
    found = 1;
    t.count = count;
    make_buttons(b, ctl);
    SendMessageA(ctl, TB_AUTOSIZE, 0, 0);
    SetWindowPos(ctl, nullptr, 3, 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  } else {
    t.count = 0;
  }
  const SIZE sz = tbar_size(b, 1);
  SetWindowPos(ctl, nullptr, 3, 1, sz.cx, sz.cy, SWP_NOZORDER);
  SendMessageA(ctl, TB_SETROWS, MAKEWPARAM(tbar_rows(b, pnl_line(b + 3)) ? tbar_rows(b, pnl_line(b + 3)) : 1, TRUE), 0);
  SetWindowLongPtrA(ctl, GWLP_USERDATA, b);
  t.saved = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(ctl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tbar_subproc)));
  return found;
}

void tbar_freebmp() {
  for (ToolBar &t : ToolBars)
    for (ToolBarButton &r : t.rec)
      if (r.bmp) {
        DeleteObject(r.bmp);
        r.bmp = nullptr;
      }
}

void tbar_rebuild() {
  for (int b = 0; b < TBAR_COUNT; b++) {
    ToolBar &t = ToolBars[b];
    if (t.ctl) {
      while (SendMessageA(t.ctl, TB_DELETEBUTTON, 0, 0))
        ;
      DestroyWindow(t.ctl);
      t.ctl = nullptr;
    }
    for (ToolBarButton &r : t.rec)
      if (r.bmp) {
        DeleteObject(r.bmp);
        r.bmp = nullptr;
      }
    tbar_make(b);
  }
}

int tbar_rows(int b, int k) {
  if (b == 0 || b == 1) {
    char path[262], key[20];
    tbar_path(path);
    std::snprintf(key, sizeof key, "MENUVALUE%03d", k);
    return int(GetPrivateProfileIntA(ToolBarSections[b], key, 0, path));
  }
  if (b == 3 || b == 4)
    return k == 0 ? 1 : k == 1 ? ToolBars[b].count : 0;
  if (b == 2)
    return k == 0 ? 1 : k == 1 ? 2 : 0;
  return 0;
}

int tbar_cols(int b, int rows) {
  if (rows <= 0)
    return 0;
  int k = 1;
  while (k * rows < ToolBars[b].count)
    k++;
  return k;
}

SIZE tbar_size(int b, int side) {
  SIZE s = {0, 0};
  if (b < 0 || b >= TBAR_COUNT)
    return s;
  int r = tbar_rows(b, pnl_line(b + 3));
  if (r <= 0)
    return s;
  int c = tbar_cols(b, r);
  if (((side == 1 || side == 2) && r > c) || ((side == 3 || side == 4) && c > r))
    std::swap(r, c);
  const int size = button_size[pnl_bigicon() ? 1 : 0];
  s.cx = c * size;
  s.cy = r * size;
  ToolBar &t = ToolBars[b];
  if (t.sep && t.ctl) {
    int sum = 0;
    for (int i = 0; i < t.count; i++) {
      RECT ir;
      if (SendMessageA(t.ctl, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&ir)))
        sum += ir.right - ir.left;
    }
    if (sum > 0) {
      s.cx = s.cx < sum ? s.cx : sum;
      s.cy = s.cy < sum ? s.cy : sum;
    }
  }
  const int grow = side ? 11 : 9;
  s.cx += grow;
  s.cy += grow;
  return s;
}

int tbar_create(int b) {
  if (b < 0 || b >= TBAR_COUNT || !ToolBars[b].ctl)
    return 0;
  ToolBar &t = ToolBars[b];
  if (t.tips)
    DestroyWindow(t.tips);
  t.tips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, app_htbar(b), nullptr, app_hinst(), nullptr);
  if (!t.tips)
    return 0;
  for (int i = 0; i < t.count; i++) {
    ToolBarButton &r = t.rec[i];
    if (!r.btn.idCommand)
      continue;
    TOOLINFOA ti = {};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = t.ctl;
    ti.uId = UINT_PTR(r.btn.idCommand);
    SendMessageA(t.ctl, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&ti.rect));
    ti.lpszText = r.tip;
    SendMessageA(t.tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    const int command = r.btn.idCommand - TBAR_ID;
    const bool enabled = cmd_enabled(command);
    SendMessageA(t.ctl, TB_ENABLEBUTTON, r.btn.idCommand, MAKELPARAM(enabled, 0));
    SendMessageA(t.ctl, TB_CHECKBUTTON, r.btn.idCommand, MAKELPARAM(enabled && cmd_isrun(command), 0));
    if (command == 710)
      grid_bar = b, grid_pos = i;
  }
  SendMessageA(t.ctl, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(t.tips), 0);
  return 1;
}

int tbar_find(int command) {
  for (int b = 0; b < TBAR_COUNT; b++)
    if (tbar_has(command, b))
      return b;
  return -1;
}

int tbar_has(int command, int b) { return b >= 0 && b < TBAR_COUNT && ToolBars[b].ctl && button_of(b, command); }

int tbar_btnlevel(int b, int command) {
  const ToolBarButton *r = button_of(b, command);
  return r ? r->level : -1;
}

HWND tbar_hwnd(int b) { return b >= 0 && b < TBAR_COUNT ? ToolBars[b].ctl : nullptr; }

void tbar_check(int32_t command, int32_t on) {
  if (command != 521)
    check_buttons(521, false);
  check_buttons(command, on != 0);
  win_pump(nullptr);
}

int tbar_precmd(int, int) { return 1; }

void tbar_gridbtn() {
  if (grid_bar < 0 || !tbar_has(710, grid_bar))
    return;
  HWND ctl = ToolBars[grid_bar].ctl;
  const bool on = grid_mode() != 0;
  SendMessageA(ctl, TB_ENABLEBUTTON, TBAR_ID + 710, MAKELPARAM(on, 0));
  SendMessageA(ctl, TB_CHECKBUTTON, TBAR_ID + 710, MAKELPARAM(on && cmd_isrun(710), 0));
}

void tbar_upd330() {
  if (!vwin_active() || pnl_layout() != 0)
    return;
  const bool can = dwg_cansave();
  for (int b = 0; b < TBAR_COUNT; b++)
    if (tbar_has(330, b))
      SendMessageA(ToolBars[b].ctl, TB_ENABLEBUTTON, TBAR_ID + 330, MAKELPARAM(can, 0));
}

int tval_read(const char *path) {
  tval_free();
  ToolValueList &l = ToolValues;
  std::snprintf(l.section, sizeof l.section, "TOOLDISP");
  GetPrivateProfileStringA("TOOLDISP", "TBNAME", "", l.name, sizeof l.name, path);
  const int n = int(GetPrivateProfileIntA("TOOLDISP", "TBMAXCOUNT", 0, path));
  if (!l.name[0] || n <= 0)
    return tval_free(), 0;
  ToolValue **tail = &l.first;
  for (int i = 0; i < n; i++) {
    char key[16], value[260];
    std::snprintf(key, sizeof key, "TBVALUE%03d", i);
    if (!GetPrivateProfileStringA("TOOLDISP", key, "", value, sizeof value, path))
      return tval_free(), 0;
    const char *tok[3] = {};
    int k = 0;
    for (char *p = std::strtok(value, ","); p && k < 3; p = std::strtok(nullptr, ","))
      tok[k++] = p;
    if (k < 2)
      return tval_free(), 0;
    auto *v = new ToolValue{std::atoi(tok[0]), std::atoi(tok[1]), nullptr, nullptr};
    const char *text = tok[2] ? tok[2] : "";
    v->text = new char[std::strlen(text) + 1];
    std::strcpy(v->text, text);
    *tail = v;
    tail = &v->next;
    l.count++;
  }
  return 1;
}

void tval_free() {
  for (ToolValue *v = ToolValues.first; v;) {
    ToolValue *next = v->next;
    delete[] v->text;
    delete v;
    v = next;
  }
  ToolValues = ToolValueList{};
}

#include "shell/units/toolbar.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "display/marks/grid.h"
#include "display/view/view.h"
#include "files/filecmd.h"
#include "settings/syspath.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "settings/appstate.h"
#include "shell/units/ledit.h"
#include "shell/units/units.h"
#include "shell/drawwin/viewwin.h"

ToolBar ToolBars[TBAR_COUNT];
const char *const ToolBarSections[TBAR_COUNT] = {"TOOLONE", "TOOLTWO", "TOOLDISP", "TOOLFILE", "TOOLMES"};
ToolValueList ToolValues;
int32_t BitmapTable[1100][3];

namespace {

struct BitmapRow {
  int command, small, large;
};
// Generated with the images (data/toolbmp.txt) so that the ids agree with the resource script.
const BitmapRow bitmap_rows[] = {
#include "toolbmp.inc"
};

bool fill_bitmaps() {
  for (auto &row : BitmapTable)
    row[0] = row[1] = row[2] = -1;
  for (const BitmapRow &r : bitmap_rows)
    if (r.command >= 0 && r.command < 1100)
      BitmapTable[r.command][0] = r.small, BitmapTable[r.command][1] = r.large;
  return true;
}
[[maybe_unused]] const bool bitmaps_ready = fill_bitmaps();

constexpr int default_count[TBAR_COUNT] = {100, 100, 9, 9, 5};
constexpr int button_size[2] = {24, 31}, bitmap_size[2] = {16, 24};
// Commands whose buttons are disabled while object mode is on.
constexpr int object_commands[] = {430, 431, 433, 434, 436, 437, 438, 439, 440};

// Bar and position of the buttons of commands 710 and 520, noted with the tooltips.
int grid_bar = -1, grid_pos = -1, none_bar = -1, none_pos = -1;

int size_index() { return pnl_bigicon() ? 1 : 0; }

ToolBarButton *button_of(int b, int command) {
  if (b < 0 || b >= TBAR_COUNT)
    return nullptr;
  ToolBar &t = ToolBars[b];
  for (int i = 0; i < t.count && i < TBAR_BUTTONS; i++)
    if (t.rec[i].btn.idCommand == TBAR_ID + command && t.rec[i].btn.fsStyle != TBSTYLE_SEP)
      return &t.rec[i];
  return nullptr;
}

void delete_bitmaps(ToolBar &t) {
  for (ToolBarButton &r : t.rec)
    if (r.bmp) {
      DeleteObject(r.bmp);
      r.bmp = nullptr;
    }
}

// TBMAXCOUNT of bar b: false when the key is missing.
bool read_count(int b, const char *path, int *count) {
  char text[32] = "";
  GetPrivateProfileStringA(ToolBarSections[b], "TBMAXCOUNT", "", text, sizeof text, path);
  char *end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text)
    return false;
  *count = tbf_count(v > TBAR_BUTTONS ? TBAR_BUTTONS : v < 0 ? 0 : int(v));
  return true;
}

// Reads the button entries of bar b and adds them to its control.
void make_buttons(int b, HWND ctl, const char *path) {
  ToolBar &t = ToolBars[b];
  const int s = size_index();
  int n = t.count;
  for (int i = 0; i < n; i++) {
    char key[16], value[60];
    std::snprintf(key, sizeof key, "TBVALUE%03d", i);
    GetPrivateProfileStringA(ToolBarSections[b], key, " ", value, sizeof value, path);
    ToolBarButton &r = t.rec[i];
    std::memset(&r, 0, sizeof r);
    TbfEntry e;
    const int kind = tbf_entry(value, &e);
    const int id = kind == TBF_BUTTON ? tbar_bitmap(e.command, s) : -1;
    if (kind == TBF_END || (kind == TBF_BUTTON && id < 0)) {
      n = i; // this entry and all later ones are left out
      break;
    }
    r.level = e.level;
    std::memcpy(r.tip, e.tip, sizeof r.tip);
    if (kind == TBF_SEPARATOR) {
      r.btn.fsState = TBSTATE_ENABLED;
      r.btn.fsStyle = TBSTYLE_SEP;
      t.sep = true;
      continue;
    }
    HBITMAP bmp = CreateMappedBitmap(app_hinst(), id, 0, nullptr, 0);
    TBADDBITMAP ab = {nullptr, reinterpret_cast<UINT_PTR>(bmp)};
    const LRESULT index = bmp ? SendMessageA(ctl, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&ab)) : -1;
    r.btn.iBitmap = int(index);
    r.btn.idCommand = TBAR_ID + e.command;
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

// Rows and columns of bar b laid out at side; false when its layout choice has no rows.
bool layout(int b, int side, int *rows, int *cols) {
  int r = tbar_rows(b, pnl_line(b + 3));
  if (r < 1)
    return false;
  int c = tbar_cols(b, r);
  if (((side == 1 || side == 2) && r > c) || ((side == 3 || side == 4) && c > r))
    std::swap(r, c);
  *rows = r, *cols = c;
  return true;
}

// The edit window of the one-line editor while one is open.
HWND line_edit() {
  HWND w = ledit_window();
  return w ? FindWindowExA(w, nullptr, "EDIT", nullptr) : nullptr;
}

LRESULT CALLBACK tbar_subproc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const int b = int(GetWindowLongPtrA(w, GWLP_USERDATA));
  WNDPROC saved = b >= 0 && b < TBAR_COUNT ? ToolBars[b].saved : nullptr;
  switch (m) {
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDOWN:
  case WM_RBUTTONDBLCLK:
  case WM_MBUTTONDOWN:
  case WM_MBUTTONDBLCLK:
    // A typed line being open, the click belongs to it.
    if (HWND edit = line_edit()) {
      SetFocus(edit);
      PostMessageA(edit, m, wp, lp);
      return 0;
    }
    // With QUICKSTART the button acts on the press.
    if (m == WM_LBUTTONDOWN && PanelSet.quickstart)
      PostMessageA(w, WM_LBUTTONUP, wp & ~WPARAM(MK_LBUTTON), lp);
    break;
  default:
    break;
  }
  return saved ? CallWindowProcA(saved, w, m, wp, lp) : DefWindowProcA(w, m, wp, lp);
}

void check_buttons(int command, bool on) {
  for (int b = 0; b < TBAR_COUNT; b++)
    if (tbar_has(command, b))
      SendMessageA(ToolBars[b].ctl, TB_CHECKBUTTON, TBAR_ID + command, MAKELPARAM(on ? TRUE : FALSE, 0));
}

void enable_buttons(int command, bool on) {
  for (int b = 0; b < TBAR_COUNT; b++)
    if (tbar_has(command, b))
      SendMessageA(ToolBars[b].ctl, TB_ENABLEBUTTON, TBAR_ID + command, MAKELPARAM(on ? TRUE : FALSE, 0));
}

int grid_mode() {
  GridRecord g{};
  return grd_rec('R', uint32_t(dwg_cur()), &g) == 0 ? int(g.mode) : 0;
}

int menu_rows(int b, int k) {
  char path[262], key[20];
  tbar_path(path);
  std::snprintf(key, sizeof key, "MENUVALUE%03d", k);
  return int(GetPrivateProfileIntA(ToolBarSections[b], key, 0, path));
}

} // namespace

int tbar_bitmap(int command, int s) {
  if (command < 0 || command >= 1100 || s < 0 || s > 1)
    return -1;
  return BitmapTable[command][s];
}

void tbar_path(char *out) {
  char dir[262] = "";
  sys_path('R', 6, dir);
  std::snprintf(out, 262, "%sRODIDEVO.MNU", dir);
}

int tbar_make(int b) {
  if (b < 0 || b >= TBAR_COUNT)
    return 0;
  HWND host = app_htbar(b);
  if (!host)
    return 0;
  ToolBar &t = ToolBars[b];
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  // The bar is placed and sized by this file, not by the common control's alignment.
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
  int count = 0;
  const int found = read_count(b, path, &count) ? 1 : 0;
  t.count = count;
  if (found) {
    make_buttons(b, ctl, path);
    SendMessageA(ctl, TB_AUTOSIZE, 0, 0);
  }
  // Wrapped to the rows and columns of the bar's layout choice at its side.
  const int side = pnl_side(b + 3);
  int rows = 1, cols = 1;
  if (layout(b, side, &rows, &cols)) {
    const SIZE s = tbar_size(b, side);
    const int grow = side ? 11 : 9;
    SetWindowPos(ctl, nullptr, 3, 1, s.cx - grow, s.cy - grow, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(ctl, TB_SETROWS, MAKEWPARAM(rows, TRUE), 0);
  }
  SetWindowPos(ctl, nullptr, 3, 1, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowLongPtrA(ctl, GWLP_USERDATA, b);
  t.saved = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(ctl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tbar_subproc)));
  return found;
}

void tbar_freebmp() {
  for (ToolBar &t : ToolBars)
    delete_bitmaps(t);
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
    delete_bitmaps(t);
    tbar_make(b);
  }
}

int tbar_rows(int b, int k) {
  if (b == 0 || b == 1)
    return menu_rows(b, k);
  if (b == 3 || b == 4)
    return k == 0 ? 1 : k == 1 ? ToolBars[b].count : 0;
  if (b == 2)
    return k == 0 ? 1 : k == 1 ? 2 : 0;
  return 0;
}

int tbar_cols(int b, int rows) {
  if (b < 0 || b >= TBAR_COUNT)
    return 0;
  return tbf_cols(rows, ToolBars[b].count);
}

SIZE tbar_size(int b, int side) {
  SIZE s = {0, 0};
  int r = 0, c = 0;
  if (b < 0 || b >= TBAR_COUNT || !layout(b, side, &r, &c))
    return s;
  const int size = button_size[size_index()];
  s.cx = c * size;
  s.cy = r * size;
  // A separator is narrower than a button: the bar is no longer than its items.
  ToolBar &t = ToolBars[b];
  if (t.sep && t.ctl) {
    int sum = 0;
    for (int i = 0; i < t.count; i++) {
      RECT ir;
      if (SendMessageA(t.ctl, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&ir)))
        sum += ir.right - ir.left;
    }
    s.cx = s.cx < sum ? s.cx : sum;
    s.cy = s.cy < sum ? s.cy : sum;
  }
  const int grow = side ? 11 : 9;
  s.cx += grow;
  s.cy += grow;
  return s;
}

int tbar_sysmenu(int b) {
  HWND host = b >= 0 && b < TBAR_COUNT ? app_htbar(b) : nullptr;
  HMENU menu = host ? GetSystemMenu(host, FALSE) : nullptr;
  if (!menu)
    return 0;
  char text[64];
  int items = 0;
  if (b == 0 || b == 1) {
    // Ids 1000..1040 are the host's layout choices.
    for (int k = 0; k <= 40; k++) {
      const int r = menu_rows(b, k);
      if (!tbf_rowok(r, ToolBars[b].count))
        break;
      std::snprintf(text, sizeof text, "縦 %d ｘ 横 %d (&%d)", r, tbar_cols(b, r), k + 1);
      AppendMenuA(menu, MF_STRING, UINT_PTR(TBAR_ID + k), text);
      items++;
    }
  } else {
    const char *const names[2][2] = {{"長く変更(&%d)", "短く変更(&%d)"}, {"横表示(&%d)", "縦表示(&%d)"}};
    for (int k = 0; k < 2; k++) {
      std::snprintf(text, sizeof text, names[b == 2 ? 0 : 1][k], k + 1);
      AppendMenuA(menu, MF_STRING, UINT_PTR(TBAR_ID + k), text);
      items++;
    }
  }
  if (items)
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, SC_CLOSE, "閉じる(&C)");
  return items;
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
    if (command == 520)
      none_bar = b, none_pos = i;
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
  const int b = tbar_has(710, grid_bar) ? grid_bar : tbar_find(710);
  if (b < 0)
    return;
  HWND ctl = ToolBars[b].ctl;
  const bool on = grid_mode() != 0;
  SendMessageA(ctl, TB_ENABLEBUTTON, TBAR_ID + 710, MAKELPARAM(on, 0));
  SendMessageA(ctl, TB_CHECKBUTTON, TBAR_ID + 710, MAKELPARAM(on && cmd_isrun(710), 0));
}

void tbar_objmode() {
  if (!vwin_active() || pnl_layout() != 0)
    return;
  for (int command : object_commands)
    enable_buttons(command, ObjectMode == 0);
}

void tbar_upd330() {
  if (!vwin_active() || pnl_layout() != 0)
    return;
  enable_buttons(330, dwg_cansave());
}

int tval_read(const char *path) {
  tval_free();
  ToolValueList &l = ToolValues;
  if (!path || std::strlen(path) >= sizeof l.path)
    return 0;
  std::strcpy(l.path, path);
  std::snprintf(l.section, sizeof l.section, "TOOLDISP");
  GetPrivateProfileStringA("TOOLDISP", "TBNAME", "", l.name, sizeof l.name, path);
  const int n = int(GetPrivateProfileIntA("TOOLDISP", "TBMAXCOUNT", 0, path));
  if (!l.name[0] || n <= 0)
    return tval_free(), 0;
  ToolValue **tail = &l.first;
  for (int i = 0; i < n; i++) {
    char key[16], value[260], text[260];
    std::snprintf(key, sizeof key, "TBVALUE%03d", i);
    int32_t a = 0, b = 0;
    if (!GetPrivateProfileStringA("TOOLDISP", key, "", value, sizeof value, path) ||
        !tbf_value(value, &a, &b, text, sizeof text))
      return tval_free(), 0;
    auto *v = new ToolValue{a, b, new char[std::strlen(text) + 1], nullptr};
    std::strcpy(v->text, text);
    *tail = v;
    tail = &v->next;
    l.count++;
  }
  return 1;
}

int tval_write() {
  const ToolValueList &l = ToolValues;
  const char *path = l.path;
  if (!path[0])
    return 0;
  const int old = int(GetPrivateProfileIntA("TOOLDISP", "TBMAXCOUNT", 0, path));
  if (old <= 0)
    return 0;
  char key[16], number[16];
  std::snprintf(number, sizeof number, "%d", int(l.count));
  if (!WritePrivateProfileStringA("TOOLDISP", "TBMAXCOUNT", number, path))
    return 0;
  int i = 0;
  for (const ToolValue *v = l.first; v; v = v->next, i++) {
    std::snprintf(key, sizeof key, "TBVALUE%03d", i);
    const std::string value = std::to_string(v->a) + "," + std::to_string(v->b) + "," + v->text;
    if (!WritePrivateProfileStringA("TOOLDISP", key, value.c_str(), path))
      return 0;
  }
  // The surplus keys up to the old count go; only keys the section holds are visited.
  std::vector<char> names(1 << 16);
  const DWORD got = GetPrivateProfileStringA("TOOLDISP", nullptr, "", names.data(), DWORD(names.size()), path);
  std::vector<std::string> surplus;
  for (const char *p = names.data(); p < names.data() + got && *p; p += std::strlen(p) + 1) {
    char *end = nullptr;
    if (_strnicmp(p, "TBVALUE", 7) != 0)
      continue;
    const long k = std::strtol(p + 7, &end, 10);
    if (end == p + 7 || *end || k < i || k >= old)
      continue;
    std::snprintf(key, sizeof key, "TBVALUE%03d", int(k));
    if (_stricmp(key, p) == 0)
      surplus.emplace_back(p);
  }
  for (const std::string &k : surplus)
    if (!WritePrivateProfileStringA("TOOLDISP", k.c_str(), nullptr, path))
      return 0;
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

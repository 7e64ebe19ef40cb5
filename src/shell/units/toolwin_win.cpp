#include <cstdio>
#include <cstring>

#include "commands/cmdl/cmdtable.h"
#include "commands/view/viewcmd.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "shell/units/ledit.h"
#include "shell/units/toolbar.h"
#include "shell/units/toolwin.h"
#include "shell/units/units.h"
#include "shell/drawwin/viewwin.h"

ToolSlot ToolSlots[TOOL_BUTTONS];
int32_t ToolCommands[3] = {-1, -1, -1};

namespace {

constexpr const char *FRAME_CLASS = "Tool_Frame";
constexpr const char *CHILD_CLASS = "Tool_Child";
bool registered = false;
int caption_of = -1; // the button whose title the caption shows
struct Metrics {
  int cw, lh, bx, by;
} metrics = {};

void measure(HWND w) {
  if (metrics.cw)
    return;
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FONT));
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  metrics = {int(tm.tmAveCharWidth), int(tm.tmHeight + tm.tmExternalLeading), GetSystemMetrics(SM_CXBORDER),
             GetSystemMetrics(SM_CYBORDER)};
}

bool any_pressed() {
  for (const ToolSlot &s : ToolSlots)
    if (s.pressed)
      return true;
  return false;
}

void press_note(int32_t n, int32_t on) { tool_press(n, on); }

HWND line_edit() {
  HWND w = ledit_window();
  return w ? FindWindowExA(w, nullptr, "EDIT", nullptr) : nullptr;
}

LRESULT CALLBACK child_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const int n = int(GetWindowLongPtrA(w, GWLP_USERDATA));
  switch (m) {
  case WM_LBUTTONDOWN:
    SendMessageA(GetParent(w), WM_COMMAND, WPARAM(TOOL_ID + n), 0);
    return 0;
  case WM_RBUTTONDOWN:
    SendMessageA(GetParent(w), WM_COMMAND, 0, 0);
    return 0;
  case WM_SETTEXT: {
    const LRESULT r = DefWindowProcA(w, m, wp, lp);
    if (IsWindowVisible(w))
      InvalidateRect(w, nullptr, TRUE);
    return r;
  }
  case WM_PAINT: {
    const bool pressed = n >= 0 && n < TOOL_BUTTONS && ToolSlots[n].pressed;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (n >= 0 && n < TOOL_BUTTONS) {
      SetTextColor(dc, pressed ? RGB(255, 0, 0) : GetSysColor(COLOR_BTNTEXT));
      SetBkMode(dc, TRANSPARENT);
      RECT t = r;
      t.bottom -= 2;
      if (pressed)
        OffsetRect(&t, 2 * metrics.bx, 2 * metrics.by);
      DrawTextA(dc, ToolSlots[n].label, -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(w, &ps);
    if (pressed)
      win_edge(w, r.left, r.top, r.right, r.bottom, 1, 15);
    return 0;
  }
  }
  return DefWindowProcA(w, m, wp, lp);
}

// Presses go to the one-line input while one is open.
LRESULT CALLBACK child_subproc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const int n = int(GetWindowLongPtrA(w, GWLP_USERDATA));
  switch (m) {
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDBLCLK:
  case WM_MBUTTONDBLCLK:
    if (HWND edit = line_edit()) {
      SetFocus(edit);
      PostMessageA(edit, m, wp, lp);
      return 0;
    }
    break;
  }
  WNDPROC saved = n >= 0 && n < TOOL_BUTTONS && ToolSlots[n].saved ? ToolSlots[n].saved : child_proc;
  return CallWindowProcA(saved, w, m, wp, lp);
}

void button_command(HWND w, int id) {
  if (pnl_shown(2))
    SetFocus(w);
  if (!vwin_active())
    return;
  const int n = id - TOOL_ID;
  if (n < 0 || n >= TOOL_BUTTONS) {
    cmd_cancel(1);
    return;
  }
  if (cmd_viewonly() && n < 3) {
    const int32_t c = ToolCommands[n];
    if (c == 501 || c == 503 || c == 507)
      return;
  }
  CmdHandler h = ToolSlots[n].handler;
  if (!h)
    return;
  cmd_cancel(3);
  cmd_request(3, h, n, press_note);
}

LRESULT CALLBACK frame_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
  case WM_CREATE:
    measure(w);
    win_trimsysmenu(w);
    if (HMENU menu = GetSystemMenu(w, FALSE)) {
      AppendMenuA(menu, MF_STRING, 1000, "長く変更(&1)");
      AppendMenuA(menu, MF_STRING, 1001, "短く変更(&2)");
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      AppendMenuA(menu, MF_STRING, SC_CLOSE, "閉じる(&C)");
    }
    for (int i = 0; i < TOOL_BUTTONS; i++) {
      HWND b = CreateWindowExA(0, CHILD_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, w,
                               reinterpret_cast<HMENU>(INT_PTR(TOOL_ID + i)), app_hinst(), nullptr);
      if (!b)
        return -1;
      SetWindowLongPtrA(b, GWLP_USERDATA, i);
      ToolSlots[i].window = b;
      ToolSlots[i].saved =
          reinterpret_cast<WNDPROC>(SetWindowLongPtrA(b, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(child_subproc)));
    }
    return 0;
  case WM_COMMAND:
    button_command(w, LOWORD(wp));
    return 0;
  case WM_SYSCOMMAND:
    if ((wp & 0xFFF0) == SC_CLOSE) {
      cmd_cancel(0);
      ShowWindow(w, pnl_toggle(2));
      return 0;
    }
    if (wp == 1000 || wp == 1001) {
      pnl_setline(2, uint16_t(wp - 1000));
      UnitRecord u = {};
      pnl_unitget(2, &u);
      tool_arrange(&u);
      if (HWND t = app_htool())
        ShowWindow(t, SW_SHOW);
      return 0;
    }
    break;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
    SendMessageA(w, WM_COMMAND, 0, 0);
    return 0;
  case WM_MOVE:
    if (!(GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD)) {
      RECT r;
      GetWindowRect(w, &r);
      if (!IsRectEmpty(&r))
        pnl_savepos(w, 2);
    }
    break;
  case WM_SETCURSOR: {
    HWND under = reinterpret_cast<HWND>(wp);
    if (!any_pressed() && under != w && GetParent(under) == w) {
      const int n = int(GetWindowLongPtrA(under, GWLP_USERDATA));
      if (n >= 0 && n < TOOL_BUTTONS && n != caption_of) {
        caption_of = n;
        SetWindowTextA(w, ToolSlots[n].title);
      }
    }
    break;
  }
  case WM_DESTROY:
    for (ToolSlot &s : ToolSlots)
      s.window = nullptr, s.saved = nullptr;
    break;
  }
  return DefWindowProcA(w, m, wp, lp);
}

bool register_classes() {
  if (registered)
    return true;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = frame_proc;
  wc.hInstance = app_hinst();
  wc.hIcon = LoadIconA(app_hinst(), MAKEINTRESOURCEA(111));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = FRAME_CLASS;
  const bool frame = RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  wc.lpfnWndProc = child_proc;
  wc.hIcon = nullptr;
  wc.lpszClassName = CHILD_CLASS;
  const bool child = RegisterClassA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  registered = frame && child;
  return registered;
}

} // namespace

int tool_create(UnitRecord *u) {
  HWND frame = app_hmain();
  if (!frame || !u || !register_classes())
    return 0;
  tool_destroy();
  const DWORD style = u->side ? WS_CHILD : WS_POPUP | WS_CAPTION | WS_SYSMENU;
  HWND w = CreateWindowExA(0, FRAME_CLASS, "", style, u->left, u->top, 0, 0, frame, nullptr, app_hinst(), nullptr);
  app_settool(w);
  return w ? 1 : 0;
}

void tool_destroy() {
  if (HWND w = app_htool())
    DestroyWindow(w);
  app_settool(nullptr);
  caption_of = -1;
}

int tool_sethandler(int n, CmdHandler handler) {
  if (n < 0 || n >= TOOL_BUTTONS)
    return 0;
  ToolSlots[n].handler = handler;
  return 1;
}

int tool_setcaption(int n, const char *title, const char *label) {
  if (n < 0 || n >= TOOL_BUTTONS)
    return 0;
  std::snprintf(ToolSlots[n].title, sizeof ToolSlots[n].title, "%s", title ? title : "");
  std::snprintf(ToolSlots[n].label, sizeof ToolSlots[n].label, "%s", label ? label : "");
  return 1;
}

int tool_settext(int n, const char *text) {
  if (n < 0 || n >= TOOL_BUTTONS || !ToolSlots[n].window || !text)
    return 0;
  char now[64] = "";
  GetWindowTextA(ToolSlots[n].window, now, sizeof now);
  if (lstrcmpiA(now, text) != 0)
    SetWindowTextA(ToolSlots[n].window, text);
  return 1;
}

int tool_show(int n, int op) {
  HWND w = app_htool();
  if (!app_hmain() || !w || n >= TOOL_BUTTONS || op < 0 || op > 3)
    return 0;
  HWND target = w;
  if (n >= 0) {
    if (!pnl_shown(2) || !ToolSlots[n].window)
      return 0;
    target = ToolSlots[n].window;
  }
  if (op == 2 || op == 3)
    EnableWindow(target, op == 3);
  ShowWindow(target, op == 0 ? SW_HIDE : SW_SHOW);
  if (n >= 0)
    SetWindowTextA(target, ToolSlots[n].label);
  return 1;
}

int tool_press(int n, int on) {
  HWND w = app_htool();
  if (!w || !pnl_shown(2) || n < 0 || n >= TOOL_BUTTONS)
    return -1;
  ToolSlots[n].pressed = on ? 1 : 0;
  SetWindowTextA(w, ToolSlots[n].title);
  caption_of = n;
  if (ToolSlots[n].window)
    InvalidateRect(ToolSlots[n].window, nullptr, TRUE);
  return 1;
}

int tool_arrange(UnitRecord *u) {
  HWND w = app_htool();
  if (!w || !u)
    return 0;
  measure(w);
  tool_show(-1, 0);
  const Metrics &m = metrics;
  const int unit = m.cw + 2 * m.bx, bw = 5 * unit, bh = m.lh + 4 * m.by;
  const int x0 = 4 * m.bx, y0 = 6 * m.by;
  const bool two = u->line == 1;
  HDWP batch = BeginDeferWindowPos(TOOL_BUTTONS);
  for (int i = 0; i < TOOL_BUTTONS; i++) {
    const int col = two ? i / 2 : i, row = two ? i % 2 : 0;
    if (batch && ToolSlots[i].window)
      batch = DeferWindowPos(batch, ToolSlots[i].window, nullptr, x0 + col * bw, y0 + row * bh, bw, bh,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  if (batch)
    EndDeferWindowPos(batch);
  RECT r = {0, 0, (two ? 25 : 45) * unit + 8 * m.bx, (two ? 2 : 1) * bh + 12 * m.by};
  const DWORD style = DWORD(GetWindowLongPtrA(w, GWL_STYLE));
  AdjustWindowRectEx(&r, style, FALSE, DWORD(GetWindowLongPtrA(w, GWL_EXSTYLE)));
  const int cx = r.right - r.left, cy = r.bottom - r.top;
  if (style & WS_CHILD) {
    SetWindowPos(w, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    return 1;
  }
  // A floating window stays on the desktop.
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  int x = u->left, y = u->top;
  if (x + cx > desk.right)
    x = desk.right - cx;
  if (y + cy > desk.bottom)
    y = desk.bottom - cy;
  if (x < desk.left)
    x = desk.left;
  if (y < desk.top)
    y = desk.top;
  u->left = x, u->top = y;
  SetWindowPos(w, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  return 1;
}

void tool_preset(const int32_t *v, int count) {
  for (int32_t &c : ToolCommands)
    c = -1;
  struct Preset {
    int32_t command;
    CmdHandler handler;
    const char *title, *label;
  };
  // The whole-sheet and redraw buttons have no handler of their own: they run the table's entry.
  const Preset presets[] = {{500, nullptr, "原  図", "原図"},
                            {502, nullptr, "再表示", "再表"},
                            {504, cm_zoomin, "拡  大", "拡大"},
                            {505, cm_zoomout, "縮  小", "縮小"}};
  for (int i = 0; i < count && i < 3; i++) {
    if (v[i] < 500 || v[i] > 508)
      continue;
    ToolCommands[i] = v[i];
    for (const Preset &p : presets)
      if (p.command == v[i]) {
        tool_sethandler(i, p.handler ? p.handler : CommandTable[p.command]);
        tool_setcaption(i, p.title, p.label);
        tool_show(i, 1);
      }
  }
}

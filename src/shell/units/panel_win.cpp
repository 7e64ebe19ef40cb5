#include "shell/units/panel.h"

#include <cstring>

#include "commands/cmdl/cmdtable.h"
#include "ole/oleupdate.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "shell/units/menufile.h"
#include "shell/drawwin/viewwin.h"

PanelButton PanelButtons[2][PNL_BANK];
PanelMetrics PanelMetric;
PanelScale PanelScl = {1.0, 1.0, 0};

namespace {

const char *const FRAME_CLASS = "Panel_Frame";
const char *const CTRL_CLASS = "Panel_Ctrl";
const char *const CHILD_CLASS = "Panel_Child";
constexpr int MENU_ID = PNL_ID + 2;

PanelClick ClickHandler = nullptr;
HFONT CaptionFont = nullptr, PageFont = nullptr;
int FontH = 0, FontW = 0; // height and average width of the panel's font

PanelButton *button(int n) {
  if (n < 0 || n >= PNL_BUTTONS)
    return nullptr;
  return &PanelButtons[n / PNL_BANK][n % PNL_BANK];
}

bool ready() { return app_hmain() && app_hpanel(); }

void focus_drawing() {
  if (HWND v = vwin_active())
    SetFocus(v);
}

void run_table(int command) {
  if (CmdHandler h = CommandTable[command])
    h();
}

void measure(HWND w) {
  if (PanelMetric.cw && PanelMetric.lh)
    return;
  HDC dc = GetDC(w);
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  ReleaseDC(w, dc);
  PanelMetric.cw = tm.tmAveCharWidth;
  PanelMetric.lh = tm.tmHeight + tm.tmExternalLeading;
  FontH = tm.tmHeight;
  FontW = tm.tmAveCharWidth;
  PanelMetric.bx = GetSystemMetrics(SM_CXBORDER);
  PanelMetric.by = GetSystemMetrics(SM_CYBORDER);
}

HFONT make_font(int weight) {
  const bool deflt = PanelSet.sizekind[0] == 1;
  const int h = deflt ? 0 : int(FontH * PanelScl.sH), w = deflt ? 0 : int(FontW * PanelScl.sH);
  const char *face = weight == FW_NORMAL && deflt ? "system" : "ＭＳ ゴシック";
  return CreateFontA(h, w, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

void delete_fonts() {
  if (CaptionFont)
    DeleteObject(CaptionFont);
  if (PageFont)
    DeleteObject(PageFont);
  CaptionFont = PageFont = nullptr;
}

// The number of a button window from its control id.
int number_of(HWND w) { return int(GetDlgCtrlID(w)) - PNL_ID; }

void paint_button(HWND w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  const int n = number_of(w);
  const PanelButton *b = button(n);
  const bool pressed = b && b->pressed;
  RECT r;
  GetClientRect(w, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  char text[128] = "";
  GetWindowTextA(w, text, sizeof text);
  const bool second = n >= PNL_BANK;
  if (!second || text[0])
    win_edgesdc(dc, r.left, r.top, r.right, r.bottom, pressed ? 1 : 0, 15, 2);
  const int k = n % PNL_BANK;
  const char *shown = text;
  HFONT font = PageFont;
  COLORREF colour = pressed ? RGB(255, 0, 0) : GetSysColor(COLOR_BTNTEXT);
  if (!second && k < 3) {
    static const char *const names[3] = {"Undo", "Redo", "Menu"};
    shown = names[k];
    font = CaptionFont;
    colour = pressed ? RGB(255, 0, 0) : RGB(0, 0, 255);
  }
  if (pressed)
    OffsetRect(&r, 2 * PanelMetric.bx, 2 * PanelMetric.by);
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextA(dc, shown, -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  if (old)
    SelectObject(dc, old);
  EndPaint(w, &ps);
}

LRESULT CALLBACK button_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
  case WM_LBUTTONDOWN:
    SendMessageA(GetParent(w), WM_COMMAND, WPARAM(GetDlgCtrlID(w)), LPARAM(w));
    return 0;
  case WM_RBUTTONDOWN:
    if (number_of(w) < PNL_BANK && !PanelScl.twobanks)
      SendMessageA(GetParent(w), WM_COMMAND, MENU_ID, 0);
    return 0;
  case WM_SETTEXT: {
    const LRESULT r = DefWindowProcA(w, m, wp, lp);
    if (IsWindowVisible(w))
      InvalidateRect(w, nullptr, TRUE);
    return r;
  }
  case WM_CLOSE:
    if (number_of(w) < PNL_BANK)
      delete_fonts();
    break;
  case WM_PAINT:
    paint_button(w);
    return 0;
  case WM_ERASEBKGND:
    return 1;
  default:
    break;
  }
  return DefWindowProcA(w, m, wp, lp);
}

// A bank's buttons; false when one cannot be made.
bool create_bank(HWND panel, int bank) {
  for (int i = 0; i < PNL_BANK; i++) {
    PanelButton &b = PanelButtons[bank][i];
    b = {0, 0, nullptr};
    b.window = CreateWindowExA(0, bank ? CHILD_CLASS : CTRL_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, panel,
                               reinterpret_cast<HMENU>(INT_PTR(PNL_ID + bank * PNL_BANK + i)), app_hinst(), nullptr);
    if (!b.window)
      return false;
  }
  return true;
}

void press_run(HWND panel, int n, int command) {
  vwin_cursor(nullptr, 2, -1, -1);
  pnl_press(n, 1);
  run_table(command);
  pnl_press(n, 0);
  (void)panel;
  focus_drawing();
}

void on_command(HWND panel, int n) {
  if (pnl_shown(0))
    SetFocus(panel);
  if (!vwin_active())
    return;
  if (n == 0 || n == 1) {
    press_run(panel, n, n == 0 ? 400 : 401);
    return;
  }
  OleUpdateSelected();
  if (n == 2) {
    for (int i = 3; i < PNL_BANK; i++)
      if (PanelButtons[0][i].pressed)
        pnl_press(i, 0);
    if (ClickHandler)
      ClickHandler(-1);
    if (PanelScl.twobanks)
      for (int i = 26; i < PNL_BUTTONS; i++)
        pnl_show(i, 0);
    focus_drawing();
    return;
  }
  if (PanelScl.twobanks && n < PNL_BANK) {
    for (int i = 3; i < PNL_BANK; i++)
      if (PanelButtons[0][i].pressed)
        pnl_press(i, 0);
    pnl_page(-1);
  }
  if (ClickHandler)
    ClickHandler(n - 3);
  focus_drawing();
}

LRESULT CALLBACK frame_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
  case WM_CREATE: {
    measure(w);
    CaptionFont = make_font(FW_BOLD);
    PageFont = make_font(FW_NORMAL);
    if (!CaptionFont || !PageFont) {
      delete_fonts();
      return 0; // a panel without buttons
    }
    if (!create_bank(w, 0) || (PanelScl.twobanks && !create_bank(w, 1)))
      PostMessageA(w, WM_CLOSE, 0, 0);
    return 0;
  }
  case WM_COMMAND: {
    const int id = LOWORD(wp);
    if (id >= PNL_ID && id < PNL_ID + PNL_BUTTONS)
      on_command(w, id - PNL_ID);
    return 0;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
    if (!PanelScl.twobanks) {
      OleUpdateSelected();
      SendMessageA(w, WM_COMMAND, MENU_ID, 0);
    }
    return 0;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    EndPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    win_edge(w, r.left, r.top, r.right, r.bottom, 0, 2);
    return 0;
  }
  case WM_DESTROY:
    for (auto &bank : PanelButtons)
      for (PanelButton &b : bank)
        b = {0, 0, nullptr};
    delete_fonts();
    break;
  default:
    break;
  }
  return DefWindowProcA(w, m, wp, lp);
}

void register_class(const char *name, WNDPROC proc) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = proc;
  wc.hInstance = app_hinst();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

} // namespace

void pnl_scale() {
  PanelScl = pnl_scaleof(pnl_line(0), PanelSet.sizekind[0], PanelSet.sizerat, PanelSet.cmdhwidth, PanelSet.cmdvwidth);
}

HWND pnl_create(const UnitRecord *unit0) {
  (void)unit0;
  pnl_scale();
  if (!app_hprev()) {
    register_class(FRAME_CLASS, frame_proc);
    register_class(CTRL_CLASS, button_proc);
    register_class(CHILD_CLASS, button_proc);
  }
  HWND w = CreateWindowExA(0, FRAME_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, app_hmain(), nullptr,
                           app_hinst(), nullptr);
  app_setpanel(w);
  return w;
}

int pnl_destroy() {
  if (HWND w = app_hpanel())
    DestroyWindow(w);
  app_setpanel(nullptr);
  UnregisterClassA(FRAME_CLASS, app_hinst());
  UnregisterClassA(CTRL_CLASS, app_hinst());
  UnregisterClassA(CHILD_CLASS, app_hinst());
  return 1;
}

int pnl_twobanks() { return PanelScl.twobanks; }

int pnl_press(int n, int on) {
  PanelButton *b = button(n);
  if (!ready() || !b)
    return 0;
  b->pressed = on ? 1 : 0;
  if (b->shown && b->window)
    InvalidateRect(b->window, nullptr, TRUE);
  return 1;
}

int pnl_settext(int n, const char *text) {
  PanelButton *b = button(n);
  if (!ready() || !b || !b->window)
    return 0;
  if (!text || !text[0]) {
    SetWindowTextA(b->window, "");
    return 1;
  }
  char now[128] = "";
  GetWindowTextA(b->window, now, sizeof now);
  if (lstrcmpiA(now, text) != 0)
    SetWindowTextA(b->window, text);
  return 1;
}

int pnl_show(int n, int op) {
  if (!ready())
    return 0;
  if (n < 0) {
    HWND p = app_hpanel();
    switch (op) {
    case 0:
      ShowWindow(p, SW_HIDE);
      for (int i = 0; i < PNL_BANK; i++)
        pnl_show(i, 0);
      break;
    case 1:
      ShowWindow(p, SW_SHOWNA);
      break;
    case 2:
      EnableWindow(p, FALSE);
      break;
    case 3:
      EnableWindow(p, TRUE);
      break;
    default:
      return 0;
    }
    return 1;
  }
  PanelButton *b = button(n);
  if (!b || !b->window)
    return 0;
  switch (op) {
  case 0:
    b->shown = 0;
    ShowWindow(b->window, SW_HIDE);
    break;
  case 1:
    b->shown = 1;
    ShowWindow(b->window, SW_SHOWNA);
    break;
  case 2:
    EnableWindow(b->window, FALSE);
    break;
  case 3:
    EnableWindow(b->window, TRUE);
    break;
  default:
    return 0;
  }
  return 1;
}

void pnl_setclick(PanelClick handler) { ClickHandler = handler; }

int pnl_height() { return pnl_heightof(PanelMetric, PanelScl); }
int pnl_width() { return pnl_widthof(PanelMetric, PanelScl); }

int pnl_arrbtn(const UnitRecord *unit0) {
  if (!ready() || !unit0)
    return 0;
  PanelPlace p[PNL_BUTTONS];
  const int count = pnl_placeof(PanelMetric, PanelScl, unit0->side, p);
  int windows = 0;
  for (int i = 0; i < count; i++)
    windows += button(i)->window ? 1 : 0;
  HDWP batch = BeginDeferWindowPos(windows);
  HWND after = HWND_TOP;
  for (int i = 0; i < count && batch; i++) {
    const PanelButton *b = button(i);
    if (!b->window)
      continue;
    batch = DeferWindowPos(batch, b->window, after, p[i].x, p[i].y, p[i].cx, p[i].cy,
                           SWP_NOACTIVATE | (b->shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    after = b->window;
  }
  if (batch)
    EndDeferWindowPos(batch);
  return 1;
}

#include "shell/units/msgwin.h"

#include <cstring>

#include "input/inpkind.h"
#include "settings/msgfile.h"
#include "settings/strutil.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "settings/appstate.h"

namespace {

struct Line {
  int colour = 0;
  char text[128] = {};
};

HWND msgwin = nullptr;
Line lines[3];
HWND linewnd[3];
HFONT linefont[3]; // set by WM_SETFONT; null: the DC's own font
// Font measures, taken once: average character width, height with its leading.
int cw = 0, ch = 0, bx = 1, by = 1;

char fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Equal without regard to the case of single-byte letters.
bool same_text(const char *a, const char *b) {
  while (*a && *b) {
    bool pair = sjis_islead(static_cast<unsigned char>(*a));
    if (pair) {
      if (a[0] != b[0] || a[1] != b[1])
        return false;
      if (!a[1])
        return true;
      a += 2;
      b += 2;
      continue;
    }
    if (fold(*a) != fold(*b))
      return false;
    a++;
    b++;
  }
  return *a == *b;
}

} // namespace

void msgwin_attach(HWND window) { msgwin = window; }

COLORREF msgwin_colour(int kind) {
  static const COLORREF table[8] = {RGB(0, 0, 0),   RGB(0, 0, 255),   RGB(255, 0, 0),   RGB(255, 0, 255),
                                    RGB(0, 255, 0), RGB(0, 255, 255), RGB(255, 255, 0), RGB(255, 255, 255)};
  return table[kind >= 0 && kind < 8 ? kind : 7];
}

int mesg_line(int op, int line, int *colour, char *text) {
  if (MesgSuppress == 1)
    return 0;
  if (!msgwin || !IsWindow(msgwin) || line < 0 || line > 2)
    return -1;
  Line &l = lines[line];
  if (op == 'R' || op == 'r') {
    if (text)
      std::memcpy(text, l.text, sizeof l.text);
    if (colour)
      *colour = l.colour;
  } else if (op == 'W' || op == 'w') {
    if (!text) {
      l.text[0] = '\0';
    } else {
      if (same_text(text, l.text))
        return 0;
      int c = colour ? *colour : 7;
      l.colour = c < 0 || c > 7 ? 7 : c;
      msg_copy(l.text, sizeof l.text, text);
    }
    HWND w = linewnd[line] && IsWindow(linewnd[line]) ? linewnd[line] : msgwin;
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
  }
  return 0;
}

namespace {

constexpr int LINE_ID = 2100;

void measure(HWND w) {
  if (!ch) {
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FIXED_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    cw = tm.tmAveCharWidth;
    ch = tm.tmHeight + tm.tmExternalLeading;
  }
  bx = GetSystemMetrics(SM_CXBORDER);
  by = GetSystemMetrics(SM_CYBORDER);
}

LRESULT CALLBACK mesg_lineproc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const int id = GetDlgCtrlID(w);
  switch (m) {
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
    SendMessageA(GetParent(w), WM_COMMAND, MAKEWPARAM(id, m), reinterpret_cast<LPARAM>(w));
    return 0;
  case WM_SETFONT:
    if (id - LINE_ID >= 0 && id - LINE_ID < 3)
      linefont[id - LINE_ID] = reinterpret_cast<HFONT>(wp);
    return 0;
  case WM_SETTEXT: {
    const LRESULT r = DefWindowProcA(w, m, wp, lp);
    const int i = id - LINE_ID;
    if (i >= 0 && i < 3 && lp)
      msg_copy(lines[i].text, sizeof lines[i].text, reinterpret_cast<const char *>(lp));
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
    return r;
  }
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    const int i = id - LINE_ID;
    if (i >= 0 && i < 3) {
      RECT r;
      GetClientRect(w, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      HGDIOBJ old = linefont[i] ? SelectObject(dc, linefont[i]) : nullptr;
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, msgwin_colour(lines[i].colour));
      r.left += 2 * bx;
      DrawTextA(dc, lines[i].text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
      if (old)
        SelectObject(dc, old);
    }
    EndPaint(w, &ps);
    return 0;
  }
  default:
    return DefWindowProcA(w, m, wp, lp);
  }
}

void place_lines(HWND w) {
  RECT f;
  GetWindowRect(app_hmain() ? app_hmain() : w, &f);
  const int W = f.right - f.left, top = 4 * by, h = ch + 4 * by;
  const int left1 = W - 20 * cw > 0 ? W - 20 * cw : 0;
  MoveWindow(linewnd[1], left1, top, 18 * cw, h, TRUE);
  ShowWindow(linewnd[1], SW_SHOW);
  const int right2 = left1 - cw, left2 = right2 - 21 * cw;
  MoveWindow(linewnd[2], left2, top, 21 * cw, h, TRUE);
  ShowWindow(linewnd[2], left1 >= 1 ? SW_SHOW : SW_HIDE);
  const int right0 = left2 - cw;
  MoveWindow(linewnd[0], cw, top, right0 - cw > 0 ? right0 - cw : 0, h, TRUE);
  ShowWindow(linewnd[0], left2 >= 1 ? SW_SHOW : SW_HIDE);
}

LRESULT CALLBACK mesg_frameproc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
  case WM_CREATE: {
    measure(w);
    SetWindowPos(w, nullptr, 0, 0, 0, ch + 12 * by, SWP_NOZORDER | SWP_NOMOVE);
    for (int i = 0; i < 3; i++) {
      linewnd[i] = CreateWindowExA(0, "Mesg_Child", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, w,
                                   reinterpret_cast<HMENU>(INT_PTR(LINE_ID + i)), app_hinst(), nullptr);
      if (!linewnd[i])
        return -1;
      lines[i].colour = 0;
    }
    for (int i = 1; i < 3; i++)
      SendMessageA(linewnd[i], WM_SETFONT, WPARAM(GetStockObject(SYSTEM_FIXED_FONT)), FALSE);
    return 0;
  }
  case WM_SIZE:
    place_lines(w);
    return 0;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    win_edgesdc(dc, r.left, r.top, r.right, r.bottom, 0, 15, 2);
    for (HWND l : linewnd) {
      if (!l || !IsWindowVisible(l))
        continue;
      RECT lr;
      GetWindowRect(l, &lr);
      MapWindowPoints(nullptr, w, reinterpret_cast<POINT *>(&lr), 2);
      InflateRect(&lr, 2 * bx, 2 * by);
      win_edgesdc(dc, lr.left, lr.top, lr.right, lr.bottom, 1, 15, 2);
    }
    EndPaint(w, &ps);
    return 0;
  }
  case WM_COMMAND: {
    SetFocus(w);
    // Clicks on the prompt line reach the input wait of the active drawing.
    HWND mdi = app_hmdi();
    HWND active = mdi ? reinterpret_cast<HWND>(SendMessageA(mdi, WM_MDIGETACTIVE, 0, 0)) : nullptr;
    if (!active)
      return 0;
    if (LOWORD(wp) == LINE_ID) {
      PostMessageA(app_hmain(), WM_USER + 105, HIWORD(wp) == WM_RBUTTONDOWN ? 1 : 0, 0);
    } else if (LOWORD(wp) == LINE_ID + 2) {
      // The element-count display of the attribute box: 0 -> 1 -> 2 -> 0.
      uint32_t opt = 0;
      inp_opt('r', &opt);
      opt = opt >= 2 ? 0 : opt + 1;
      inp_opt('w', &opt);
      inp_updall();
    }
    return 0;
  }
  case WM_DESTROY:
    for (HWND &l : linewnd)
      l = nullptr;
    for (HFONT &f : linefont)
      f = nullptr;
    return 0;
  default:
    return DefWindowProcA(w, m, wp, lp);
  }
}

} // namespace

HWND mesg_create() {
  if (!app_hprev()) {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mesg_frameproc;
    wc.hInstance = app_hinst();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "Mesg_Frame";
    RegisterClassA(&wc);
    wc.style = 0;
    wc.lpfnWndProc = mesg_lineproc;
    wc.lpszClassName = "Mesg_Child";
    RegisterClassA(&wc);
  }
  for (Line &l : lines)
    l = Line{};
  HWND w = CreateWindowExA(0, "Mesg_Frame", "", WS_CHILD, 0, 0, 0, 0, app_hmain(), nullptr, app_hinst(), nullptr);
  app_setmesg(w);
  msgwin_attach(w);
  return w;
}

int mesg_destroy() {
  HWND w = app_hmesg();
  if (w && IsWindow(w))
    DestroyWindow(w);
  app_setmesg(nullptr);
  msgwin_attach(nullptr);
  return 0;
}

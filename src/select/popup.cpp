#include "select/popup.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "display/view/scrsave.h"
#include "input/gcr.h"
#include "input/modal.h"
#include "settings/answers.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/prefs.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "settings/shellcalls.h"

namespace {

// Closing without an item leaves the index at -1 (the command ids start at 1500 and 1501).
constexpr WPARAM POP_NOITEM = 1499;
constexpr WPARAM BAR_NOITEM = 1500;

HCURSOR arrow() { return LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)); }

void enable_main(BOOL on) {
  if (app_hmain())
    EnableWindow(app_hmain(), on);
}

// --- prompt pop-up -------------------------------------------------------------

struct Prompt {
  int32_t *index = nullptr;
  int result = 700;
  const char *text = "";
  const char *keys = nullptr;
  char shown[300] = "";
  int x = 0, y = 0, w = 0, h = 0, scrw = 0, scrh = 0, offset = 0;
  POINT last{};
  bool haslast = false;
  int slot = -1; // -2 composition on, -1 nothing saved yet, else a saved-screen slot
  bool ended = false;
} pop;
bool pop_registered = false;
int dwm_state = -1;

RECT clip_rect() {
  RECT r{};
  HWND mdi = app_hmdi();
  if (!mdi)
    return r;
  GetClientRect(mdi, &r);
  MapWindowPoints(mdi, nullptr, reinterpret_cast<POINT *>(&r), 2);
  if (r.right - r.left + 1 > 2 * pop.w && r.bottom - r.top + 1 > 4 * pop.h) {
    r.left += pop.offset;
    r.top += pop.offset;
    r.right -= pop.w - pop.offset;
    r.bottom -= pop.h - pop.offset;
  }
  return r;
}

void clip_cursor() {
  RECT r = clip_rect();
  ClipCursor(&r);
}

void pop_close(HWND w, int code, WPARAM id = POP_NOITEM) { SendMessageA(w, WM_CLOSE, id, code); }

int pop_key(WPARAM vk) {
  switch (vk) {
  case VK_ESCAPE:
    return 27;
  case VK_UP:
    return 30;
  case VK_DOWN:
    return 31;
  case VK_LEFT:
    return 29;
  case VK_RIGHT:
    return 28;
  case VK_RETURN:
    return 13;
  case VK_PRIOR:
    return 258;
  case VK_NEXT:
    return 259;
  case VK_TAB:
    return 9;
  default:
    return 0;
  }
}

void pop_create(HWND w) {
  pop.scrw = GetSystemMetrics(SM_CXSCREEN);
  pop.scrh = GetSystemMetrics(SM_CYSCREEN);
  pop.haslast = false;
  std::snprintf(pop.shown, sizeof pop.shown, "   %s ", pop.text);
  HDC dc = GetDC(w);
  SIZE size{};
  GetTextExtentPoint32A(dc, pop.shown, lstrlenA(pop.shown), &size);
  ReleaseDC(w, dc);
  pop.w = size.cx;
  pop.h = size.cy + 8;
  clip_cursor();
  POINT cur{};
  GetCursorPos(&cur);
  SetCursorPos(cur.x, cur.y); // makes the system send a mouse move
  GetCursorPos(&cur);
  pop.x = cur.x - pop.offset;
  pop.y = cur.y - pop.offset;
  if (pop.x + pop.w > pop.scrw)
    pop.x = pop.scrw - pop.w;
  if (pop.y + pop.h > pop.scrh)
    pop.y = pop.scrh - pop.h;
  if (pop.slot == -1) {
    const int slot = scr_save(pop.x, pop.y, pop.w, pop.h);
    if (slot >= 0)
      pop.slot = slot;
  }
  MoveWindow(w, pop.x, pop.y, pop.w, pop.h, TRUE);
  if (pop.index)
    *pop.index = -1;
  pop.result = 700;
  enable_main(FALSE);
  SetCapture(w);
}

void pop_follow(HWND w) {
  MSG next;
  if (PeekMessageA(&next, nullptr, WM_MOUSEFIRST, 0x020D, PM_NOREMOVE))
    return;
  if (!GetFocus() || !GetActiveWindow() || OkynNotFlat != 0)
    return;
  POINT cur{};
  GetCursorPos(&cur);
  if (pop.haslast && cur.x == pop.last.x && cur.y == pop.last.y)
    return;
  pop.x = cur.x - pop.offset;
  pop.y = cur.y - pop.offset;
  SetWindowPos(w, nullptr, pop.x, pop.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
  bool restored = false;
  if (pop.slot >= 0) {
    scr_restore(pop.slot, 32768, 32768, 3);
    pop.slot = -1;
    restored = true;
  }
  if (pop.slot == -1) {
    const int slot = scr_save(pop.x, pop.y, pop.w, pop.h);
    if (slot >= 0)
      pop.slot = slot;
  }
  SetWindowPos(w, nullptr, pop.x, pop.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (restored)
    ValidateRect(w, nullptr);
  pop.last = cur;
  pop.haslast = true;
  InvalidateRect(w, nullptr, TRUE);
}

void pop_paint(HWND w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  RECT r;
  GetClientRect(w, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
  SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  SetBkMode(dc, TRANSPARENT);
  InflateRect(&r, -1, -1);
  DrawTextA(dc, pop.shown, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  EndPaint(w, &ps);
}

void pop_activate(HWND w, bool on) {
  if (on) {
    HWND mdi = app_hmdi();
    for (HWND c = mdi ? GetWindow(mdi, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT))
      UpdateWindow(c);
    SetCapture(w);
    clip_cursor();
    SetCursor(arrow());
  } else {
    ClipCursor(nullptr);
    ReleaseCapture();
  }
}

LRESULT CALLBACK pop_proc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
  case WM_CREATE:
    pop_create(w);
    return 0;
  case WM_MOUSEMOVE:
    pop_follow(w);
    return 0;
  case WM_PAINT:
    pop_paint(w);
    return 0;
  case WM_LBUTTONDOWN:
  case WM_NCLBUTTONDOWN:
    pop_close(w, 500);
    return 0;
  case WM_RBUTTONDOWN:
  case WM_NCRBUTTONDOWN:
    ui_scmoff();
    pop_close(w, 501);
    return 0;
  case WM_COMMAND:
    pop_close(w, 500, LOWORD(wp));
    return 0;
  case WM_KEYDOWN:
    if (int code = pop_key(wp)) {
      pop_close(w, code);
      return 0;
    }
    break;
  case WM_CHAR: {
    const unsigned char c = static_cast<unsigned char>(wp);
    if (c && pop.keys && pop.keys[0] && std::strchr(pop.keys, c))
      pop_close(w, c);
    return 0;
  }
  case WM_CLOSE:
    if (pop.index)
      *pop.index = static_cast<int32_t>(LOWORD(wp)) - 1500;
    pop.result = static_cast<int>(lp);
    if (pop.slot >= 0) {
      scr_restore(pop.slot, 32768, 32768, 3);
      pop.slot = -1;
    }
    enable_main(TRUE);
    ClipCursor(nullptr);
    ReleaseCapture();
    gcr_clrlast();
    break;
  case WM_DESTROY:
    pop.ended = true;
    PostQuitMessage(0);
    return 0;
  case WM_ACTIVATEAPP:
    pop_activate(w, wp != 0);
    return 0;
  default:
    break;
  }
  return DefWindowProcA(w, message, wp, lp);
}

int show_popup(const UiQuestion &q) {
  ui_cursor(nullptr, 1, -1, -1);
  const int kind = ui_curkind(0);
  win_pump(nullptr);
  HCURSOR previous = SetCursor(arrow());
  ShowCursor(TRUE);
  int result = -1;
  if (app_hmdi()) {
    pop.text = q.text;
    pop.keys = q.keys;
    if (pop.slot >= 0)
      scr_restore(pop.slot, 0, 0, 1);
    pop.slot = selm_dwmon() ? -2 : -1;
    result = -3;
    if (!pop_registered) {
      WNDCLASSA wc{};
      wc.lpfnWndProc = pop_proc;
      wc.hInstance = app_hinst();
      wc.hCursor = arrow();
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = "KL-SELMENU";
      pop_registered = RegisterClassA(&wc) != 0;
    }
    if (pop_registered) {
      pop.offset = GetSystemMetrics(SM_CYCAPTION) / 4;
      const int height = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYBORDER);
      POINT cur{};
      GetCursorPos(&cur);
      pop.ended = false;
      HWND w = CreateWindowExA(0, "KL-SELMENU", "", WS_POPUP | WS_BORDER, cur.x - pop.offset, cur.y - pop.offset, 0,
                               height, app_hmain(), nullptr, app_hinst(), nullptr);
      result = -2;
      if (w) {
        ShowWindow(w, SW_SHOW);
        UpdateWindow(w);
        mdl_loop(w, &pop.ended, POP_NOITEM, 800);
        result = pop.result;
      }
    }
  }
  SetCursor(previous);
  ShowCursor(FALSE);
  ui_curkind(kind);
  ui_cursor(nullptr, 1, -1, -1);
  win_pump(nullptr);
  return result;
}

// --- choice bar ------------------------------------------------------------------

struct Bar {
  int32_t *index = nullptr;
  int result = 700;
  const char *keys = "";
  char defkey = 0;
  int n = 0;
  HFONT font = nullptr;
  HWND wnd = nullptr;
  int cw = 0, ch = 0, bx = 0, by = 0;
  char slots[SELM_MAXITEMS + 1][SELM_SLOT]{};
  HWND ctrls[SELM_MAXITEMS + 1]{};
  bool ended = false;
} bar;
bool bar_registered = false, ctrl_registered = false;

void bar_close(HWND w, int code, WPARAM id = BAR_NOITEM) { SendMessageA(w, WM_CLOSE, id, code); }

void bar_clip(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  ClipCursor(&r);
}

bool bar_create(HWND w) {
  if (bar.cw <= 0 || bar.ch <= 0) {
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, bar.font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    bar.cw = tm.tmAveCharWidth;
    bar.ch = tm.tmHeight + tm.tmExternalLeading;
  }
  if (bar.bx <= 0 || bar.by <= 0) {
    bar.bx = GetSystemMetrics(SM_CXBORDER);
    bar.by = GetSystemMetrics(SM_CYBORDER);
  }
  RECT mdi;
  GetWindowRect(app_hmdi(), &mdi);
  const int height = 6 * bar.by + 2 * bar.ch;
  MoveWindow(w, mdi.left, mdi.bottom - height, mdi.right - mdi.left, height, TRUE);
  bar_clip(w);
  int x = 4 * bar.bx;
  for (int k = 0; k <= bar.n; k++) {
    const int width = lstrlenA(bar.slots[k]) * bar.cw + 6 * bar.by;
    HWND c =
        CreateWindowA("KL-SelMenu_Ctrl", bar.slots[k], WS_CHILD | WS_VISIBLE, x, 4 * bar.by, width, bar.ch + 8 * bar.by,
                      w, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1500 + k)), app_hinst(), nullptr);
    if (!c)
      return false;
    bar.ctrls[k] = c;
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(bar.font), FALSE);
    if (k == 0)
      EnableWindow(c, FALSE);
    x += width + bar.bx;
  }
  if (bar.index)
    *bar.index = -1;
  bar.result = 700;
  return true;
}

bool bar_key(HWND w, UINT message, WPARAM wp) {
  if (message == WM_KEYDOWN) {
    if (wp == VK_ESCAPE) {
      bar_close(w, 27);
      return true;
    }
    if (wp == VK_RETURN) {
      bar_close(w, static_cast<unsigned char>(bar.defkey));
      return true;
    }
  }
  const unsigned char c = static_cast<unsigned char>(wp);
  if (c && wp < 256 && std::strchr(bar.keys, c)) {
    bar_close(w, c);
    return true;
  }
  return false;
}

LRESULT CALLBACK bar_proc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
  case WM_CREATE:
    return bar_create(w) ? 0 : -1;
  case WM_COMMAND: {
    const int item = static_cast<int>(LOWORD(wp)) - 1501;
    if (item >= 0 && item < bar.n)
      bar_close(w, 500, LOWORD(wp));
    return 0;
  }
  case WM_RBUTTONDOWN:
    ui_scmoff();
    bar_close(w, 501);
    return 0;
  case WM_KEYDOWN:
  case WM_CHAR:
    if (bar_key(w, message, wp))
      return 0;
    break;
  case WM_CLOSE:
    if (bar.index)
      *bar.index = static_cast<int32_t>(LOWORD(wp)) - 1501;
    bar.result = static_cast<int>(lp);
    ClipCursor(nullptr);
    break;
  case WM_DESTROY:
    bar.ended = true;
    PostQuitMessage(0);
    return 0;
  case WM_ACTIVATEAPP:
    if (wp)
      bar_clip(w);
    else
      ClipCursor(nullptr);
    return 0;
  default:
    break;
  }
  return DefWindowProcA(w, message, wp, lp);
}

LRESULT CALLBACK ctrl_proc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  const int id = GetDlgCtrlID(w);
  switch (message) {
  case WM_LBUTTONDOWN:
    SendMessageA(GetParent(w), WM_COMMAND, static_cast<WPARAM>(id), 0);
    return 0;
  case WM_RBUTTONDOWN:
    ui_scmoff();
    bar_close(GetParent(w), 501);
    return 0;
  case WM_KEYDOWN:
  case WM_CHAR:
    return SendMessageA(GetParent(w), message, wp, lp);
  case WM_PAINT: {
    RECT update;
    if (!GetUpdateRect(w, &update, FALSE))
      break;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const int k = id - 1500;
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, bar.font);
    if (k >= 0 && k <= bar.n)
      DrawTextA(dc, bar.slots[k], -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(w, &ps);
    if (k > 0)
      win_edge(w, r.left, r.top, r.right, r.bottom, 0, 0);
    return 0;
  }
  default:
    break;
  }
  return DefWindowProcA(w, message, wp, lp);
}

bool register_class(const char *name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = app_hinst();
  wc.hCursor = arrow();
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0;
}

int show_bar(const UiQuestion &q) {
  if (!app_hmdi())
    return -1;
  for (int k = 0; k <= q.count; k++)
    msg_copy(bar.slots[k], SELM_SLOT, k == 0 ? q.text : (q.items[k - 1] ? q.items[k - 1] : ""));
  bar.n = q.count;
  bar.keys = q.keys ? q.keys : "";
  if (!bar_registered && !(bar_registered = register_class("KL-SelMenu_Frame", bar_proc)))
    return -3;
  if (!ctrl_registered && !(ctrl_registered = register_class("KL-SelMenu_Ctrl", ctrl_proc)))
    return 1001;
  bar.ended = false;
  HWND w = CreateWindowA("KL-SelMenu_Frame", "", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, app_hmain(), nullptr, app_hinst(),
                         nullptr);
  if (!w)
    return -2;
  bar.wnd = w;
  mdl_loop(w, &bar.ended, BAR_NOITEM, 800);
  bar.wnd = nullptr;
  return bar.result;
}

} // namespace

int selm_popup(int, const char *text, int, int, const char *keys, int32_t *index) {
  if (!text)
    return -1;
  pop.index = index;
  UiQuestion q{};
  q.kind = UI_POPUP;
  q.text = text;
  q.keys = keys;
  const int r = ui_ask(q, show_popup);
  pop.index = nullptr;
  return r;
}

int selm_bar(int, const char *title, const char *const *items, int n, const char *keys, int32_t *index, char defkey) {
  if (!title || !items || n < 1 || n > SELM_MAXITEMS)
    return -1;
  bar.index = index;
  bar.defkey = defkey;
  bar.font = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
  UiQuestion q{};
  q.kind = UI_BAR;
  q.text = title;
  q.keys = keys;
  q.items = items;
  q.count = n;
  int r = ui_ask(q, show_bar);
  if (r >= 1501 && r < 1501 + n) { // a scripted click on an item
    if (index)
      *index = r - 1501;
    r = 500;
  }
  bar.index = nullptr;
  return r;
}

int selm_menu(int title, const char *items, const char *keys) {
  if (!items || !keys)
    return -1;
  static const char UNDEFINED_MSG[] = "<<未定義ﾒｯｾｰｼﾞ";
  char undefined[20 * 8 + 1] = "";
  const char *text = items;
  if (std::strncmp(items, UNDEFINED_MSG, sizeof UNDEFINED_MSG - 1) == 0) {
    msg_err(MSG_LITERAL, "%s", items);
    for (int i = 0; i < 20; i++)
      std::strcat(undefined, "未定義 ");
    text = undefined;
  }
  SelMenuParts parts;
  if (selm_parse(text, keys, title >= 1, &parts) != 0)
    return -1;
  char heading[SELM_SLOT];
  if (title >= 1) {
    const char *t = msg_text(title);
    if (!t)
      std::snprintf(heading, sizeof heading, "(Error=%05d)", title);
    else
      msg_copy(heading, sizeof heading, t[0] == '!' && t[1] == '!' ? t + 2 : t);
  } else {
    msg_copy(heading, sizeof heading, parts.title);
  }
  const char *list[SELM_MAXITEMS - 1];
  for (int i = 0; i < parts.count; i++)
    list[i] = parts.items[i];
  int32_t index = -1;
  int r = selm_bar(0, heading, list, parts.count, parts.keys, &index, parts.defkey);
  if ((r == 13 || r == 500) && index >= 0 && index < parts.count)
    r = static_cast<unsigned char>(parts.keys[index]);
  return r;
}

int selm_dwmon() {
  if (dwm_state != -1)
    return dwm_state;
  dwm_state = 0;
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof v;
  if (GetVersionExA(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion >= 6) {
    if (HMODULE lib = LoadLibraryA("dwmapi.dll")) {
      typedef HRESULT(WINAPI * IsEnabled)(BOOL *);
      auto fn =
          reinterpret_cast<IsEnabled>(reinterpret_cast<void (*)()>(GetProcAddress(lib, "DwmIsCompositionEnabled")));
      BOOL on = FALSE;
      if (fn && fn(&on) == S_OK && on)
        dwm_state = 1;
      FreeLibrary(lib);
    }
  }
  return dwm_state;
}

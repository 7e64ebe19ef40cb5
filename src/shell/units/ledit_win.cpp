#include "shell/units/ledit.h"

#include <cmath>
#include <cstring>

#include "input/board.h"
#include "input/modal.h"
#include "settings/params.h"
#include "settings/appwin.h"

HWND CaptureForward = nullptr;

namespace {

const char CLASS_NAME[] = "LEdit_Frame";

struct LeditRecord {
  const RECT *rect;
  char *text;
  WNDPROC prev = nullptr;
  int size;
  LeditFilter filter;
  int result = 0;
  UINT_PTR timer = 0;
  HWND edit = nullptr;
  bool ended = false;   // the window is gone and has posted its quit
  bool looping = false; // the editor's loop runs (creation failures post nothing)
  bool blink = false;
};

HWND Current = nullptr;

LeditRecord *record(HWND w) { return reinterpret_cast<LeditRecord *>(GetWindowLongPtrA(w, 0)); }

void frame_rect(HWND w, HDC dc, COLORREF colour) {
  RECT r;
  GetClientRect(w, &r);
  HBRUSH b = CreateSolidBrush(colour);
  FrameRect(dc, &r, b);
  DeleteObject(b);
}

// Ends the line with code: the typed text goes to the caller's buffer.
void finish(LeditRecord *rec, HWND frame, int code) {
  rec->result = code;
  GetWindowTextA(rec->edit, rec->text, rec->size);
  PostMessageA(frame, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK edit_proc(HWND e, UINT m, WPARAM wp, LPARAM lp) {
  HWND frame = GetParent(e);
  LeditRecord *rec = record(frame);
  if (!rec)
    return DefWindowProcA(e, m, wp, lp);
  if (rec->result == 0 && (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_KEYDOWN || m == WM_CHAR)) {
    int code = rec->filter ? rec->filter(e, m, wp) : 0;
    if (code == 0 && wp == 13 && (m == WM_KEYDOWN || m == WM_CHAR))
      code = 13;
    if (code != 0) {
      finish(rec, frame, code);
      return 0; // the key ends the line; the edit does not take it
    }
  }
  return CallWindowProcA(rec->prev, e, m, wp, lp);
}

struct Measures {
  int cw, ch, bx, by;
};
Measures measure(HFONT font) {
  Measures m{8, 16, GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  if (GetTextMetricsA(dc, &tm)) {
    m.cw = tm.tmAveCharWidth;
    m.ch = tm.tmHeight + tm.tmExternalLeading;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return m;
}

LRESULT on_create(HWND w, const CREATESTRUCTA *cs) {
  auto *rec = static_cast<LeditRecord *>(cs->lpCreateParams);
  SetWindowLongPtrA(w, 0, reinterpret_cast<LONG_PTR>(rec));
  HFONT font = static_cast<HFONT>(GetStockObject(BrdFontNo));
  const Measures m = measure(font);
  const int edith = static_cast<int>(std::lround(1.5 * m.ch));
  RECT r;
  if (rec->rect) {
    r = *rec->rect;
  } else {
    HWND mdi = app_hmdi();
    GetWindowRect(mdi ? mdi : GetDesktopWindow(), &r);
    r.top = r.bottom - (edith + 6 * m.by);
  }
  MoveWindow(w, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  // A single character is the key that opened the editor: typed into the empty edit so
  // the caret stands behind it.
  const bool typed = rec->text[0] != '\0' && rec->text[1] == '\0';
  rec->edit = CreateWindowExA(0, "EDIT", typed ? "" : rec->text, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                              3 * m.bx, 3 * m.by, (r.right - r.left) - 6 * m.bx, edith, w, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!rec->edit) {
    rec->result = 1000;
    return -1;
  }
  SendMessageA(rec->edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  SendMessageA(rec->edit, EM_LIMITTEXT, static_cast<WPARAM>(rec->size - 1), 0);
  rec->prev = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(rec->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(edit_proc)));
  if (!rec->prev) {
    rec->result = 1002;
    return -1;
  }
  if (typed)
    PostMessageA(rec->edit, WM_CHAR, static_cast<unsigned char>(rec->text[0]), 1);
  else
  {
    const WPARAM end = std::strlen(rec->text);
    SendMessageA(rec->edit, EM_SETSEL, end, static_cast<LPARAM>(end));
  }
  rec->timer = SetTimer(w, 1, 500, nullptr);
  SetFocus(rec->edit);
  if (HWND main = app_hmain())
    EnableWindow(main, FALSE);
  return 0;
}

LRESULT CALLBACK frame_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  LeditRecord *rec = record(w);
  switch (m) {
  case WM_CREATE:
    return on_create(w, reinterpret_cast<const CREATESTRUCTA *>(lp));
  case WM_TIMER:
    if (rec) {
      rec->blink = !rec->blink;
      HDC dc = GetDC(w);
      frame_rect(w, dc, rec->blink ? RGB(0, 0, 255) : RGB(0, 0, 0));
      ReleaseDC(w, dc);
    }
    return 0;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    frame_rect(w, dc, RGB(0, 0, 255));
    EndPaint(w, &ps);
    return 0;
  }
  case WM_ACTIVATE:
    if (rec && rec->edit && LOWORD(wp) != WA_INACTIVE) {
      SetFocus(rec->edit);
      return 1;
    }
    break;
  case WM_CTLCOLOREDIT: {
    HDC dc = reinterpret_cast<HDC>(wp);
    SetBkMode(dc, TRANSPARENT);
    RaruInfo info{};
    sys_sealinf('R', &info);
    if (info.backcolor == 0) { // white drawing background
      SetTextColor(dc, RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    SetTextColor(dc, RGB(255, 255, 0));
    return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
  }
  case WM_CLOSE:
    if (HWND main = app_hmain())
      EnableWindow(main, TRUE);
    DestroyWindow(w);
    return 0;
  case WM_DESTROY:
    if (rec) {
      if (rec->timer)
        KillTimer(w, rec->timer);
      if (CaptureForward == rec->edit)
        CaptureForward = nullptr;
      rec->edit = nullptr;
      rec->ended = true;
      if (rec->looping)
        PostQuitMessage(0);
    }
    return 0;
  case WM_ACTIVATEAPP:
    return 0;
  default:
    break;
  }
  return DefWindowProcA(w, m, wp, lp);
}

bool registered() {
  static bool done = false;
  if (done)
    return true;
  WNDCLASSA wc = {};
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = frame_proc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = CLASS_NAME;
  done = RegisterClassA(&wc) != 0;
  return done;
}

} // namespace

HWND ledit_window() { return Current; }

int ledit_input(const RECT *rect, char *text, int size, LeditFilter filter) {
  if (!text || size < 1)
    return -1;
  if (!registered())
    return 1000;
  LeditRecord rec;
  rec.rect = rect;
  rec.text = text;
  rec.size = size;
  rec.filter = filter;
  HWND w = CreateWindowExA(0, CLASS_NAME, "", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, app_hmain(), nullptr,
                           GetModuleHandleA(nullptr), &rec);
  if (!w) {
    if (HWND main = app_hmain())
      EnableWindow(main, TRUE);
    return rec.result == 1000 ? 1000 : 1002;
  }
  HWND outer = Current, outer_forward = CaptureForward;
  Current = w;
  // The main frame is disabled meanwhile: presses over it come to the line instead.
  CaptureForward = rec.edit;
  rec.looping = true;
  // Ends on the window's own quit; a quit from elsewhere closes the editor and is
  // posted again for the loop outside.
  mdl_loop(w, &rec.ended, 0, 0);
  Current = outer;
  CaptureForward = outer_forward;
  return rec.result != 0 ? rec.result : 27;
}

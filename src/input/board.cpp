#include "input/board.h"

#include <cstring>

#include "input/modal.h"
#include "settings/answers.h"
#include "settings/appwin.h"
#include "settings/appstate.h"
#include "settings/shellcalls.h"

int32_t BrdFontNo = SYSTEM_FONT;

namespace {

enum { OUTER, BAND, BACKGROUND, HEADING, BODY };
const COLORREF defaults[5] = {RGB(0, 0, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 255), RGB(0, 0, 0)};
COLORREF colours[5] = {RGB(0, 0, 255), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 255), RGB(0, 0, 0)};
const COLORREF SHADOW = RGB(0xA0, 0xA0, 0xA0);

struct Request {
  const RECT *rect;
  const char *heading;
  const char *body;
};

// One board at a time: its measures and cursors while it is open.
struct Board {
  Request req{};
  COLORREF colour[5]{};
  HFONT font = nullptr;
  int cw = 0, ch = 0, bx = 1, by = 1;
  int width = 0, height = 0;
  HCURSOR loaded = nullptr, previous = nullptr;
  bool ended = false;
} board;

bool registered = false;

void reset_colours() { std::memcpy(colours, defaults, sizeof colours); }

void create(HWND w, const CREATESTRUCTA *cs) {
  board.loaded = LoadCursorA(app_hinst(), MAKEINTRESOURCEA(101));
  if (board.loaded)
    board.previous = SetCursor(board.loaded);
  const Request *req = static_cast<const Request *>(cs->lpCreateParams);
  SetWindowLongPtrA(w, 0, reinterpret_cast<LONG_PTR>(req));
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, board.font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  board.cw = tm.tmAveCharWidth;
  board.ch = tm.tmHeight + tm.tmExternalLeading;
  board.bx = GetSystemMetrics(SM_CXBORDER);
  board.by = GetSystemMetrics(SM_CYBORDER);
  RECT area;
  if (req->rect) {
    area = *req->rect;
  } else {
    RECT around;
    HWND mdi = app_hmdi();
    GetWindowRect(mdi && IsWindow(mdi) ? mdi : GetDesktopWindow(), &around);
    const int width = 50 * board.cw, height = 5 * board.ch;
    area.left = (around.left + around.right - width) / 2;
    area.top = (around.top + around.bottom - height) / 2;
    area.right = area.left + width;
    area.bottom = area.top + height;
  }
  board.width = area.right - area.left;
  board.height = area.bottom - area.top;
  MoveWindow(w, area.left, area.top, board.width + 12 * board.bx, board.height + 12 * board.by, TRUE);
  SetCapture(w);
  if (app_hmain())
    EnableWindow(app_hmain(), FALSE);
}

void fill(HDC dc, RECT r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void paint(HWND w) {
  const Request *req = reinterpret_cast<const Request *>(GetWindowLongPtrA(w, 0));
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  const int bx = board.bx, by = board.by;
  HBRUSH shadow = CreateSolidBrush(SHADOW);
  HGDIOBJ oldpen = SelectObject(dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldbrush = SelectObject(dc, shadow);
  SetROP2(dc, R2_MASKPEN);
  // A rectangle without pen leaves out its right and bottom edge.
  Rectangle(dc, 12 * bx, 12 * by, board.width + 12 * bx + 1, board.height + 12 * by + 1);
  SetROP2(dc, R2_COPYPEN);
  SelectObject(dc, oldbrush);
  SelectObject(dc, oldpen);
  DeleteObject(shadow);
  RECT r = {0, 0, board.width, board.height};
  fill(dc, r, board.colour[OUTER]);
  InflateRect(&r, -bx, -by);
  fill(dc, r, board.colour[BAND]);
  InflateRect(&r, -2 * bx, -2 * by);
  fill(dc, r, board.colour[BACKGROUND]);
  InflateRect(&r, -(board.cw + 2 * bx), -2 * by);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, board.colour[BACKGROUND]);
  HGDIOBJ oldfont = SelectObject(dc, board.font);
  if (req && req->heading) {
    SetTextColor(dc, board.colour[HEADING]);
    TextOutA(dc, r.left, r.top, req->heading, lstrlenA(req->heading));
    r.top += board.ch * 3 / 2;
  }
  if (req && req->body) {
    SetTextColor(dc, board.colour[BODY]);
    DrawTextA(dc, req->body, -1, &r, DT_WORDBREAK | DT_NOPREFIX);
  }
  SelectObject(dc, oldfont);
  EndPaint(w, &ps);
}

int show_board(const UiQuestion &q) {
  board.font = static_cast<HFONT>(GetStockObject(BrdFontNo));
  for (int i = 0; i < 5; i++)
    board.colour[i] = q.colours[i];
  if (!registered) {
    WNDCLASSA wc{};
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = brd_wndproc;
    wc.cbWndExtra = sizeof(LONG_PTR); // the request
    wc.hInstance = app_hinst();
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = "Board_Frame";
    if (!RegisterClassA(&wc))
      return 1000;
    registered = true;
  }
  board.ended = false;
  HWND w = CreateWindowExA(0, "Board_Frame", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, app_hmain(), nullptr,
                           app_hinst(), &board.req);
  if (!w)
    return 1002;
  mdl_loop(w, &board.ended, 0, 0);
  return 0;
}

} // namespace

int brd_color(unsigned mask, COLORREF outer, COLORREF band, COLORREF background, COLORREF heading, COLORREF body) {
  const COLORREF given[5] = {outer, band, background, heading, body};
  for (int i = 0; i < 5; i++)
    colours[i] = mask & (1u << i) ? given[i] : defaults[i];
  return 0;
}

int brd_show(const RECT *rect, const char *heading, const char *body) {
  if (MesgSuppress == 1)
    return 0;
  if (!heading || !body) {
    reset_colours();
    return -1;
  }
  board.req = Request{rect, heading, body};
  UiQuestion q{};
  q.kind = UI_BOARD;
  q.heading = heading;
  q.text = body;
  for (int i = 0; i < 5; i++)
    q.colours[i] = colours[i];
  const int r = ui_ask(q, show_board);
  reset_colours();
  return r;
}

LRESULT CALLBACK brd_wndproc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
  case WM_CREATE:
    create(w, reinterpret_cast<const CREATESTRUCTA *>(lp));
    return 0;
  case WM_PAINT:
    paint(w);
    return 0;
  case WM_KEYDOWN:
    if (wp == VK_SHIFT)
      break;
    SendMessageA(w, WM_CLOSE, 0, 0);
    return 0;
  case WM_RBUTTONDOWN:
    ui_scmoff();
    SendMessageA(w, WM_CLOSE, 0, 0);
    return 0;
  case WM_CHAR:
  case WM_SYSKEYDOWN:
  case WM_LBUTTONDOWN:
  case WM_MBUTTONDOWN:
    SendMessageA(w, WM_CLOSE, 0, 0);
    return 0;
  case WM_CLOSE:
    if (app_hmain())
      EnableWindow(app_hmain(), TRUE);
    break;
  case WM_DESTROY:
    ReleaseCapture();
    if (board.loaded) {
      SetCursor(board.previous);
      DestroyCursor(board.loaded);
      board.loaded = nullptr;
    }
    board.ended = true;
    PostQuitMessage(0);
    return 0;
  default:
    break;
  }
  return DefWindowProcA(w, message, wp, lp);
}

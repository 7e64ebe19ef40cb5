// The input wait: one window message at a time becomes one input code.
#include <windows.h>
#include <windowsx.h>

#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "input/gcr.h"
#include "input/inputcalls.h"
#include "settings/appwin.h"
#include "settings/appstate.h"
#include "settings/shellcalls.h"

namespace {

GcrSourceFn source = nullptr;
bool right_down = false; // a right press in a drawing window waits for its release

void set_point(const MSG &m, int32_t dwg, int32_t view) {
  InputEvt.dwg = dwg;
  InputEvt.view = view;
  // Signed halves: a captured mouse left of or above the window gives negative points.
  InputEvt.x = GET_X_LPARAM(m.lParam);
  InputEvt.y = GET_Y_LPARAM(m.lParam);
}

void clear_event() { InputEvt = InputEvent{0, -1, -1, -1, -1, 0}; }

bool drawing_window(HWND wnd, int32_t *dwg, int32_t *view) {
  int32_t id[3];
  if (!ui_getid(wnd, id))
    return false;
  *dwg = id[0];
  *view = id[1];
  return true;
}

// The tool window, the attribute box or one of the box's controls.
bool panel_window(HWND p) {
  if (!p)
    return false;
  HWND tool = app_htool(), abox = app_habox();
  return (tool && p == tool) || (abox && (p == abox || GetParent(p) == abox));
}

int right_code(WPARAM wp) { return wp & MK_SHIFT ? 503 : wp & MK_CONTROL ? 505 : 501; }

// Closing the main window, or the current drawing's only view, must wait until the
// command has ended: the request goes back into the queue.
bool close_request(const MSG &m) {
  if ((m.wParam & 0xFFF0) != SC_CLOSE || !m.hwnd)
    return false;
  if (m.hwnd == app_hmain())
    return true;
  const int dwg = dwg_cur(), view = vew_cur();
  if (vew_mask(dwg) != (1u << view))
    return false;
  return m.hwnd == vew_hwnd(dwg, view) || m.hwnd == vew_frm(dwg, view);
}

enum class Next { Dispatch, Keep, Again };

// Converts m into InputEvt; tells whether the message is dispatched, kept from
// dispatch, or dispatched with the wait going on to the next message.
Next convert(const MSG &m, HWND active) {
  int32_t dwg = -1, view = -1;
  switch (m.message) {
  case WM_MOUSEMOVE:
    if (!drawing_window(m.hwnd, &dwg, &view))
      dwg = view = -1;
    set_point(m, dwg, view);
    InputEvt.code = -1;
    InputEvt.keys = gcr_keys();
    return Next::Dispatch;
  case WM_NCMOUSEMOVE:
    set_point(m, -1, -1);
    InputEvt.code = -1;
    InputEvt.keys = gcr_keys();
    return Next::Dispatch;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
    if (drawing_window(m.hwnd, &dwg, &view)) {
      set_point(m, dwg, view);
      InputEvt.code = m.wParam & MK_SHIFT ? 502 : m.wParam & MK_CONTROL ? 504 : 500;
      InputEvt.keys = gcr_keys();
    }
    return Next::Dispatch;
  case WM_RBUTTONDOWN:
  case WM_RBUTTONUP:
  case WM_RBUTTONDBLCLK: {
    if (!drawing_window(m.hwnd, &dwg, &view))
      return Next::Dispatch;
    bool decide = false;
    if (CmdRclickForced) {
      CmdRclickForced = 0;
      decide = true;
    } else if (m.message == WM_RBUTTONDOWN) {
      right_down = true;
      return Next::Again;
    } else if (m.message == WM_RBUTTONUP) {
      if (!right_down)
        return Next::Again;
      right_down = false;
      if (ui_rdrag(m.hwnd)) {
        ui_scmoff();
        return Next::Again;
      }
      decide = true;
    } else {
      decide = true;
    }
    if (decide && inc_rmenuon()) {
      clear_event();
      return Next::Dispatch;
    }
    set_point(m, dwg, view);
    InputEvt.code = right_code(m.wParam);
    InputEvt.keys = gcr_keys();
    return Next::Dispatch;
  }
  case WM_KEYDOWN: {
    HWND focus = GetFocus();
    HWND p = focus ? GetParent(focus) : nullptr;
    if (p && p == active) {
      if (m.wParam != VK_SHIFT && m.wParam != VK_CAPITAL && m.wParam != VK_MENU && m.wParam != VK_CONTROL) {
        InputEvt.dwg = dwg_cur();
        InputEvt.view = vew_cur();
        InputEvt.code = static_cast<int32_t>(m.wParam & 0xFF);
      }
      InputEvt.keys = gcr_keys();
    } else if (panel_window(p)) {
      SetFocus(app_hmain());
      InputEvt.code = 0;
    } else {
      InputEvt.code = 0;
    }
    return Next::Dispatch;
  }
  case WM_CHAR: {
    HWND focus = GetFocus();
    HWND p = focus ? GetParent(focus) : nullptr;
    if (p && p == active) {
      if (m.wParam == '/') {
        POINT pt{};
        GetCursorPos(&pt);
        ScreenToClient(p, &pt);
        InputEvt.x = pt.x;
        InputEvt.y = pt.y;
        InputEvt.dwg = dwg_cur();
        InputEvt.view = vew_cur();
        InputEvt.code = 47;
        InputEvt.keys = gcr_keys();
      } else {
        InputEvt.code = 0;
      }
    } else if (panel_window(p)) {
      SetFocus(app_hmain());
      PostMessageA(app_hmain(), m.message, m.wParam, m.lParam);
      InputEvt.code = 0;
    } else {
      InputEvt.code = 0;
    }
    return Next::Dispatch;
  }
  case WM_SYSCOMMAND:
    if (close_request(m)) {
      PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
      InputEvt.code = 800;
      return Next::Keep;
    }
    InputEvt.code = 0;
    return Next::Dispatch;
  case GCR_MSG_CANCEL:
    InputEvt.code = CmdLevel > 0 ? 27 : 800;
    return Next::Dispatch;
  case GCR_MSG_ESCAPE:
    InputEvt.code = GcrEscSwitch == 1 ? 27 : 800;
    return Next::Dispatch;
  case GCR_MSG_REQ820:
    InputEvt.code = 820;
    return Next::Dispatch;
  case GCR_MSG_REQ821:
    InputEvt.code = 821;
    return Next::Dispatch;
  case GCR_MSG_ATTR:
    InputEvt.code = 823;
    return Next::Dispatch;
  case GCR_MSG_CTRL: {
    InputEvt.code = m.wParam ? 527 : 528;
    HWND mesg = app_hmesg();
    if (mesg && GetFocus() == mesg)
      SetFocus(active);
    return Next::Dispatch;
  }
  case GCR_MSG_WAKE:
    InputEvt.code = -2;
    return Next::Dispatch;
  default:
    clear_event();
    return Next::Dispatch;
  }
}

void put(int32_t *dwg, int32_t *view, int32_t *x, int32_t *y) {
  if (dwg)
    *dwg = InputEvt.dwg;
  if (view)
    *view = InputEvt.view;
  if (x)
    *x = InputEvt.x;
  if (y)
    *y = InputEvt.y;
}

} // namespace

void gcr_setsource(GcrSourceFn fn) { source = fn; }

int gcr_keys() {
  BYTE state[256];
  if (!GetKeyboardState(state))
    return 0;
  int bits = 0;
  if (state[VK_SHIFT] & 0x80)
    bits |= 1;
  if (state[VK_CAPITAL] & 0x80)
    bits |= 2;
  if (state[VK_MENU] & 0x80)
    bits |= 8;
  if (state[VK_CONTROL] & 0x80)
    bits |= 16;
  return bits;
}

int gcr_msgfilt(MSG *, int) { return 0; }

int gcr_wait(int32_t *dwg, int32_t *view, int32_t *x, int32_t *y, int block) {
  if (source) {
    // As for a queued message: a request made meanwhile starts on top of the waiting command.
    inc_pump();
    InputEvent next = InputEvt;
    if (!source(&next)) {
      InputEvt.code = 800;
      return 800;
    }
    InputEvt = next;
    put(dwg, view, x, y);
    return InputEvt.code;
  }
  // Every end of the command becomes the current event too: a caller that polled
  // (the previews) hands the event on through gcr_event, and must not find the one
  // before it there.
  auto ended = [] {
    InputEvt.code = 800;
    return 800;
  };
  for (;;) {
    HWND active = ui_active();
    if (!active)
      return ended();
    MSG m;
    if (block) {
      const BOOL got = GetMessageA(&m, nullptr, 0, 0);
      if (got == -1)
        return ended(); // the queue is gone: nothing more will come
      if (got == 0) {
        // The program is ending: leave the quit for the main loop and end the command.
        PostQuitMessage(static_cast<int>(m.wParam));
        return ended();
      }
    } else {
      if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        return 0;
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        return ended();
      }
    }
    inc_pump();
    const int consumed = gcr_msgfilt(&m, 0);
    HWND mdi = app_hmdi();
    if (mdi && TranslateMDISysAccel(mdi, &m))
      return consumed;
    if (ui_keyxlate(&m))
      return consumed;
    const Next next = convert(m, active);
    if (next == Next::Again) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
      continue;
    }
    put(dwg, view, x, y);
    if (next == Next::Dispatch) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    return InputEvt.code;
  }
}

int keyin_filter(HWND, UINT message, WPARAM wparam) {
  int code = 0;
  switch (message) {
  case WM_RBUTTONDOWN:
    ui_scmoff();
    code = 501;
    break;
  case WM_LBUTTONDOWN:
    code = 500;
    break;
  case WM_KEYDOWN:
    switch (wparam) {
    case VK_ESCAPE:
      code = 27;
      break;
    case VK_UP:
      code = 30;
      break;
    case VK_DOWN:
      code = 31;
      break;
    case VK_LEFT:
      code = 29;
      break;
    case VK_RIGHT:
      code = 28;
      break;
    case VK_SPACE:
      code = 32;
      break;
    case VK_TAB:
      code = 9;
      break;
    case VK_RETURN:
      code = 13;
      break;
    case VK_F1:
      code = 257;
      break;
    default:
      break;
    }
    break;
  case WM_CHAR:
    if (wparam == '=')
      code = 61;
    break;
  default:
    break;
  }
  if (code == 13 || code == 0)
    return 0; // the edit window itself ends the line on Enter
  static const struct {
    uint32_t bit;
    int code;
  } masks[] = {{0x1, 27},   {0x2, 30},   {0x4, 31},   {0x8, 32},  {0x10, 29},   {0x20, 28},
               {0x40, 500}, {0x80, 501}, {0x100, 61}, {0x200, 9}, {0x1000, 257}};
  for (const auto &m : masks)
    if (m.code == code)
      return KeyinMask & m.bit ? code : 0;
  return 0;
}

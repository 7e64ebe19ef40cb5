#include "input/modal.h"

int mdl_loop(HWND wnd, const bool *ended, WPARAM closewp, LPARAM closelp) {
  MSG m{};
  BOOL got;
  while ((got = GetMessageA(&m, nullptr, 0, 0)) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  if (got == 0 && *ended)
    return 0;
  if (IsWindow(wnd))
    SendMessageA(wnd, WM_CLOSE, closewp, closelp);
  if (IsWindow(wnd))
    DestroyWindow(wnd);
  MSG own;
  PeekMessageA(&own, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE); // the window's own quit
  if (got == 0)
    PostQuitMessage(static_cast<int>(m.wParam));
  return 800;
}

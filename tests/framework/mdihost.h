// A main MDI frame with its MDI client, made the way the program makes it: the
// frame is created first, then the client (child id 3244) by the program.
#pragma once

#include <windows.h>

#include "framework/frame.h"
#include "framework/winapp.h"

inline CWinApp &test_app() {
  static CWinApp app("InkFwTest");
  return app;
}

inline void pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT)
      continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

class HostFrame : public CMDIFrameWnd {
public:
  // Main frame of the test application, shown, with its MDI client.
  static HostFrame *open(int width = 900, int height = 700) {
    auto *f = new HostFrame;
    const RECT r = {0, 0, width, height};
    if (!f->Create(nullptr, "host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r, nullptr, 0))
      return nullptr;
    CLIENTCREATESTRUCT ccs = {nullptr, 16000};
    f->m_hWndMDIClient =
        CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0,
                        0, 0, 0, f->m_hWnd, reinterpret_cast<HMENU>(3244), GetModuleHandleA(nullptr), &ccs);
    test_app().m_pMainWnd = f;
    f->ShowWindow(SW_SHOWNORMAL);
    RECT c = f->GetClientRect();
    MoveWindow(f->m_hWndMDIClient, 0, 0, c.right, c.bottom, TRUE);
    pump();
    return f;
  }
  static void close(HostFrame *f) {
    if (f)
      ::DestroyWindow(f->m_hWnd); // deletes the object
    pump();
  }
};

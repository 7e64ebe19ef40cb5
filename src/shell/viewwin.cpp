#include "shell/viewwin.h"

#include <cstring>

WorldPos MouseWorldPos;
uint16_t OutputKind;
uint32_t PenMode;

namespace {
HWND crosshair_wnd; // window showing the cross-hair mark; none is drawn yet

ViewWinId *record_of(HWND wnd) {
  if (!wnd || !IsWindow(wnd))
    return nullptr;
  HWND frame = GetParent(wnd);
  HWND client = frame ? GetParent(frame) : nullptr;
  char cls[32] = "";
  if (!client || !GetClassNameA(client, cls, sizeof cls) || lstrcmpiA(cls, "MDIClient") != 0)
    return nullptr;
  return reinterpret_cast<ViewWinId *>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
}
} // namespace

int vwin_getid(HWND wnd, int32_t id[3]) {
  ViewWinId *r = record_of(wnd);
  if (!r)
    return 0;
  id[0] = r->dwg;
  id[1] = r->view;
  id[2] = r->third;
  return 1;
}

int vwin_setid(HWND wnd, const int32_t id[3]) {
  ViewWinId *r = record_of(wnd);
  if (!r)
    return 0;
  r->dwg = id[0];
  r->view = id[1];
  r->third = id[2];
  return 1;
}

void BindViewToDrawing(int, int) {} // no view objects exist yet

int vwin_cursor(HWND wnd, int mode, int x, int y) {
  if (!wnd && mode == 2 && x == -1 && y == -1)
    crosshair_wnd = nullptr;
  return 0;
}

namespace {
OSVERSIONINFOA version() {
  OSVERSIONINFOA v;
  std::memset(&v, 0, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;
  GetVersionExA(&v);
  return v;
}
} // namespace

bool os_isnt() { return version().dwPlatformId == VER_PLATFORM_WIN32_NT; }
bool os_iswin32s() { return version().dwPlatformId == VER_PLATFORM_WIN32s; }
bool os_is9x() {
  OSVERSIONINFOA v = version();
  return v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && v.dwMajorVersion >= 4;
}

#include "shell/appsvc.h"

namespace {
HCURSOR cursors[21];
} // namespace

HWND vwin_active() {
  HWND mdi = app_hmdi();
  if (!mdi || !IsWindow(mdi))
    return nullptr;
  return reinterpret_cast<HWND>(SendMessageA(mdi, WM_MDIGETACTIVE, 0, 0));
}

int vwin_closeall(int mode) {
  HWND mdi = app_hmdi();
  if (!mdi)
    return 1;
  // Each child frame asks its own save question when it closes.
  for (HWND child = GetWindow(mdi, GW_CHILD); child;) {
    HWND next = GetWindow(child, GW_HWNDNEXT);
    if (GetWindow(child, GW_OWNER) == nullptr) {
      if (mode == 0 && !SendMessageA(child, WM_QUERYENDSESSION, 0, 0))
        return 0;
      if (mode != 0)
        SendMessageA(child, WM_CLOSE, 0, 0);
    }
    child = next;
  }
  if (mode == 0)
    return 1;
  for (HWND child = GetWindow(mdi, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetWindow(child, GW_OWNER) == nullptr && IsWindow(child))
      return 0;
  return 1;
}

int vwin_hook(int op) {
  if (op == 0) {
    HINSTANCE inst = app_hinst();
    cursors[0] = LoadCursor(nullptr, IDC_ARROW);
    cursors[1] = LoadCursorA(inst, MAKEINTRESOURCEA(102));
    cursors[4] = LoadCursor(nullptr, IDC_SIZEALL);
    cursors[5] = LoadCursor(nullptr, IDC_SIZENESW);
    cursors[6] = LoadCursor(nullptr, IDC_SIZENWSE);
    cursors[7] = LoadCursor(nullptr, IDC_SIZENS);
    cursors[8] = LoadCursor(nullptr, IDC_SIZEWE);
    cursors[9] = LoadCursorA(inst, MAKEINTRESOURCEA(351));
    cursors[10] = LoadCursorA(inst, MAKEINTRESOURCEA(353));
    cursors[11] = LoadCursorA(inst, MAKEINTRESOURCEA(354));
    cursors[12] = LoadCursorA(inst, MAKEINTRESOURCEA(352));
  } else {
    for (HCURSOR &c : cursors)
      c = nullptr; // resource cursors are shared and never destroyed
  }
  return 0;
}

HCURSOR vwin_cursorof(int kind) { return kind >= 0 && kind <= 20 ? cursors[kind] : nullptr; }

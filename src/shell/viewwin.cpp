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

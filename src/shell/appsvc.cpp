#include "shell/appsvc.h"

namespace {
HWND mainframe = nullptr;
HWND mdiclient = nullptr;
} // namespace

HINSTANCE app_hinst() { return GetModuleHandleA(nullptr); }
HWND app_hmain() { return mainframe; }
HWND app_hmdi() { return mdiclient; }

void app_setwindows(HWND frame, HWND mdi) {
  mainframe = frame;
  mdiclient = mdi;
}

#include "shell/handover.h"

#include <windows.h>

int HandoverBusy = 0;

long reg_action(unsigned long code) {
  if (code != 1)
    HandoverBusy = 0;
  HKEY key;
  LONG r = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Orvik\\Nimbo2XKIVOLANT", 0, nullptr, 0, KEY_WRITE, nullptr,
                           &key, nullptr);
  if (r != ERROR_SUCCESS)
    return r;
  const DWORD value = DWORD(code);
  r = RegSetValueExA(key, "Action", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
  const LONG closed = RegCloseKey(key);
  return r != ERROR_SUCCESS ? r : closed;
}

#include <cstring>

#include "commands/cmdtable.h"
#include "files/filecmd.h"
#include "shell/appsvc.h"

char HandOverText[640];

namespace {
constexpr UINT WM_HANDOVER = WM_USER + 50;

LRESULT CALLBACK app_hideproc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_HANDOVER) {
    HWND main = app_hmain();
    if (HandoverBusy) {
      reg_action(120);
      HandoverBusy = 1;
    } else if (main && IsWindowEnabled(main)) {
      HandoverBusy = 1;
      app_handover(ATOM(lp));
    } else {
      reg_action(120);
    }
  }
  return DefWindowProcA(w, m, wp, lp);
}
} // namespace

BOOL app_single(HINSTANCE instance, HINSTANCE prev, const char *cmdline) {
  if (HWND running = FindWindowA("DazuVerur", nullptr)) {
    SetForegroundWindow(running);
    if (IsIconic(running))
      ShowWindow(running, SW_RESTORE);
    if (HWND hidden = FindWindowA("RaruHideFrame", nullptr)) {
      // An atom holds at most 255 characters; a longer line is cut there.
      char text[256];
      std::strncpy(text, cmdline ? cmdline : "", sizeof text - 1);
      text[sizeof text - 1] = '\0';
      PostMessageA(hidden, WM_HANDOVER, 0, LPARAM(text[0] ? GlobalAddAtomA(text) : 0));
    }
    return FALSE;
  }
  HandoverBusy = 0;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = app_hideproc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_WAIT);
  wc.lpszClassName = "RaruHideFrame";
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return FALSE;
  HWND w = CreateWindowExA(0, "RaruHideFrame", "RaruHideFrame", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                           instance, nullptr);
  if (!w)
    return FALSE;
  app_setinst(instance);
  app_setprev(prev);
  return TRUE;
}

int app_handover(ATOM atom) {
  if (!atom)
    return 0;
  char text[640] = "";
  const UINT n = GlobalGetAtomNameA(atom, text, sizeof text);
  GlobalDeleteAtom(atom);
  if (!n)
    return 0;
  std::memcpy(HandOverText, text, sizeof HandOverText);
  cmd_cancel(0);
  cmd_request(
      0, [] { return int32_t(fil_open2nd()); }, -1, nullptr);
  return 0;
}

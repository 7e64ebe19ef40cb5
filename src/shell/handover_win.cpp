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

int32_t open2nd() { return int32_t(fil_open2nd()); }

// A level-0 request that replaces the waiting hand-over drops it: the sender is told
// and later hand-overs are taken again.
void replaced(CmdHandler handler) {
  if (handler == open2nd && HandoverBusy)
    reg_action(120);
}

LRESULT CALLBACK app_hideproc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_HANDOVER) {
    HWND main = app_hmain();
    const ATOM atom = ATOM(lp);
    if (HandoverBusy) {
      reg_action(120);
      HandoverBusy = 1;
    } else if (main && IsWindowEnabled(main)) {
      HandoverBusy = 1;
      app_handover(atom);
      return DefWindowProcA(w, m, wp, lp);
    } else {
      reg_action(120);
    }
    // A refused line is dropped with its atom.
    if (atom)
      GlobalDeleteAtom(atom);
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
      const char *text = cmdline ? cmdline : "";
      ATOM atom = 0;
      // An atom holds at most 255 bytes: a longer line is refused, never cut, and
      // the running instance is told nothing but the status.
      if (text[0] && !(atom = GlobalAddAtomA(text)))
        reg_action(120);
      else
        PostMessageA(hidden, WM_HANDOVER, 0, LPARAM(atom));
    }
    return FALSE;
  }
  CmdReplaced = replaced;
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
  // Nothing to open (a start without arguments): the flag must not stay set.
  if (!atom) {
    HandoverBusy = 0;
    return 0;
  }
  char text[640] = "";
  const UINT n = GlobalGetAtomNameA(atom, text, sizeof text);
  GlobalDeleteAtom(atom);
  if (!n) {
    HandoverBusy = 0;
    return 0;
  }
  std::memcpy(HandOverText, text, sizeof HandOverText);
  cmd_cancel(0);
  cmd_request(0, open2nd, -1, nullptr);
  return 0;
}

#include "shell/dde/handover.h"

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

#include "commands/cmdl/cmdtable.h"
#include "settings/appwin.h"

char HandOverText[640];

namespace {
constexpr UINT WM_HANDOVER = WM_USER + 50;

// The one running editor owns this mutex for its life: two starts at the same moment
// cannot both find no main window and go on. The event is set once the owner's
// hidden window exists, so that a later start knows where to hand over.
const char *const InstanceName = "InkForge.KIVOLANT.Instance";
const char *const ReadyName = "InkForge.KIVOLANT.HandOverReady";
constexpr DWORD ReadyWait = 10000; // ms a later start waits for the owner's hidden window

HANDLE Instance = nullptr;
HANDLE Ready = nullptr;
HWND Hidden = nullptr;
// A hand-over that came before the main window existed, opened once start-up is done.
ATOM Early = 0;

void wake() {
  if (Hidden)
    PostMessageA(Hidden, WM_NULL, 0, 0);
}

bool owner() {
  if (!Instance)
    Instance = CreateMutexA(nullptr, FALSE, InstanceName);
  if (!Instance)
    return FindWindowA("DazuVerur", nullptr) == nullptr;
  const DWORD w = WaitForSingleObject(Instance, 0);
  return w == WAIT_OBJECT_0 || w == WAIT_ABANDONED; // an editor that was killed left it
}

// The later start: waits until the owner can take the line, then posts it.
void hand_over(const char *cmdline) {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, ReadyName);
  if (ready) {
    WaitForSingleObject(ready, ReadyWait);
    CloseHandle(ready);
  }
  if (HWND running = FindWindowA("DazuVerur", nullptr)) {
    SetForegroundWindow(running);
    if (IsIconic(running))
      ShowWindow(running, SW_RESTORE);
  }
  HWND hidden = FindWindowA("RaruHideFrame", nullptr);
  if (!hidden)
    return;
  const char *text = cmdline ? cmdline : "";
  ATOM atom = 0;
  // An atom holds at most 255 bytes: a longer line is refused, never cut, and
  // the running instance is told nothing but the status.
  if (text[0] && !(atom = GlobalAddAtomA(text)))
    reg_action(120);
  else if (!PostMessageA(hidden, WM_HANDOVER, 0, LPARAM(atom)) && atom)
    GlobalDeleteAtom(atom);
}

// Opens the files of the hand-over buffer (a command on level 0).
int32_t open2nd() {
  char text[sizeof HandOverText + 1];
  std::memcpy(text, HandOverText, sizeof HandOverText);
  text[sizeof HandOverText] = '\0';
  return int32_t(fil_cmdopen(text));
}

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
    } else if (!main && !Early && atom) {
      HandoverBusy = 1; // still starting: taken when the start-up is done
      Early = atom;
      return DefWindowProcA(w, m, wp, lp);
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
  if (!owner()) {
    hand_over(cmdline);
    return FALSE;
  }
  if (!Ready)
    Ready = CreateEventA(nullptr, TRUE, FALSE, ReadyName);
  if (Ready)
    ResetEvent(Ready); // left set by an editor that was killed
  CmdReplaced = replaced;
  CmdWake = wake;
  Early = 0;
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
  Hidden = w;
  app_setinst(instance);
  app_setprev(prev);
  if (Ready)
    SetEvent(Ready);
  return TRUE;
}

void app_handoverstart() {
  const ATOM atom = Early;
  Early = 0;
  if (!atom)
    return;
  HWND main = app_hmain();
  if (main && IsWindowEnabled(main)) {
    app_handover(atom);
  } else {
    GlobalDeleteAtom(atom);
    reg_action(120);
  }
}

void app_singleend() {
  if (Early)
    GlobalDeleteAtom(Early);
  Early = 0;
  if (CmdWake == wake)
    CmdWake = nullptr;
  if (Hidden && IsWindow(Hidden))
    DestroyWindow(Hidden);
  Hidden = nullptr;
  if (Ready)
    CloseHandle(Ready);
  Ready = nullptr;
  if (Instance) {
    ReleaseMutex(Instance);
    CloseHandle(Instance);
  }
  Instance = nullptr;
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

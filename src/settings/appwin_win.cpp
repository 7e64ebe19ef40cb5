#include "settings/appwin.h"

namespace {
HINSTANCE instance = nullptr;
HWND mainframe = nullptr, mdiclient = nullptr, mesg = nullptr, panel = nullptr, tool = nullptr, abox = nullptr,
     unit8 = nullptr;
HWND tbars[5] = {};
} // namespace

// Before start-up records it, the module that runs is the instance.
HINSTANCE app_hinst() { return instance ? instance : GetModuleHandleA(nullptr); }
HINSTANCE app_hprev() { return nullptr; }
HWND app_hmain() { return mainframe; }
HWND app_hmdi() { return mdiclient; }
HWND app_hmesg() { return mesg; }
HWND app_hpanel() { return panel; }
HWND app_htool() { return tool; }
HWND app_habox() { return abox; }
HWND app_htbar(int i) { return i >= 0 && i < 5 ? tbars[i] : nullptr; }
HWND app_hunit8() { return unit8; }
void app_setinst(HINSTANCE h) { instance = h; }
void app_setprev(HINSTANCE) {}
void app_setmain(HWND h) { mainframe = h; }
void app_setmdi(HWND h) { mdiclient = h; }
void app_setmesg(HWND h) { mesg = h; }
void app_setpanel(HWND h) { panel = h; }
void app_settool(HWND h) { tool = h; }
void app_setabox(HWND h) { abox = h; }
void app_settbar(int i, HWND h) {
  if (i >= 0 && i < 5)
    tbars[i] = h;
}
void app_setunit8(HWND h) { unit8 = h; }

void app_setwindows(HWND frame, HWND mdi) {
  mainframe = frame;
  mdiclient = mdi;
}

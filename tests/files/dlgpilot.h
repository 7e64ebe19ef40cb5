// A timer procedure that plays steps on the dialog that is up, inside its modal loop.
#pragma once

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace dlgpilot {

// Steps played one per timer tick on the dialog that is up.
struct Pilot {
  std::vector<std::function<void(HWND)>> steps;
  size_t next = 0;
  int ticks = 0;
  static Pilot *&self() {
    static Pilot *p = nullptr;
    return p;
  }
  static BOOL CALLBACK find(HWND w, LPARAM lp) {
    char cls[16] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (IsWindowVisible(w) && std::strcmp(cls, "#32770") == 0) {
      *reinterpret_cast<HWND *>(lp) = w;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    Pilot *p = self();
    HWND d = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find, reinterpret_cast<LPARAM>(&d));
    if (!p || !d)
      return;
    if (++p->ticks > 200) { // a step that never ends the dialog
      EndDialog(d, -99);
      return;
    }
    if (p->next < p->steps.size())
      p->steps[p->next++](d);
  }
  INT_PTR run(const std::function<INT_PTR()> &dialog) {
    self() = this;
    const UINT_PTR t = SetTimer(nullptr, 0, 50, tick);
    const INT_PTR r = dialog();
    KillTimer(nullptr, t);
    self() = nullptr;
    return r;
  }
};

inline void set(HWND d, int id, const char *text) { SetDlgItemTextA(d, id, text); }
inline void press(HWND d, int id) {
  PostMessageA(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
}
inline void radio(HWND d, int first, int last, int id) {
  CheckRadioButton(d, first, last, id);
  press(d, id);
}
inline std::string text(HWND d, int id) {
  char t[128] = "";
  GetDlgItemTextA(d, id, t, sizeof t);
  return t;
}
inline bool focused(HWND d, int id) { return GetFocus() == GetDlgItem(d, id); }


} // namespace dlgpilot

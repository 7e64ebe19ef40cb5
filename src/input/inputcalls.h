// What the input and the picking call in the layers above them: the command pump,
// the shortcut menu, the partial-erase hover and the shell's one-line editor. The
// command layer (commands/cmdl/inputcalls.cpp) and the shell (shell/app/inputcalls_win.cpp)
// fill the table when the program loads; while a slot is empty its call does nothing.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

struct InputCalls {
  int (*pump)();         // starts a waiting command request: see commands/cmdl/cmdtable.h
  int (*rmenuon)();      // non-zero when a right click in a drawing opens the shortcut menu
  int (*smclear)();      // the current level's shortcut-menu mask to 0
  int (*smset)(uint32_t bits);
  // Partial-erase hover under the cursor, and its end: see commands/cmdlevel.h.
  int (*seghover)(int32_t dwg, int32_t view, int32_t px, int32_t py, double x, double y);
  int (*seghvend)(int32_t dwg, uint32_t viewmask, int32_t view);
#ifdef _WIN32
  // The one-line editor: see shell/units/ledit.h (ledit_input).
  int (*lineinput)(const RECT *rect, char *text, int size, int (*filter)(HWND, UINT, WPARAM));
#endif
};
extern InputCalls InputUp;

inline int inc_pump() { return InputUp.pump ? InputUp.pump() : 0; }
// Without a shortcut menu a right click reaches the command.
inline int inc_rmenuon() { return InputUp.rmenuon ? InputUp.rmenuon() : 0; }
inline void inc_smclear() {
  if (InputUp.smclear)
    InputUp.smclear();
}
inline void inc_smset(uint32_t bits) {
  if (InputUp.smset)
    InputUp.smset(bits);
}
inline void inc_seghover(int32_t dwg, int32_t view, int32_t px, int32_t py, double x, double y) {
  if (InputUp.seghover)
    InputUp.seghover(dwg, view, px, py, x, y);
}
inline void inc_seghvend(int32_t dwg, uint32_t viewmask, int32_t view) {
  if (InputUp.seghvend)
    InputUp.seghvend(dwg, viewmask, view);
}
#ifdef _WIN32
// 1002 (no editor window could be made) while there is no editor.
inline int inc_lineinput(const RECT *rect, char *text, int size, int (*filter)(HWND, UINT, WPARAM)) {
  return InputUp.lineinput ? InputUp.lineinput(rect, text, size, filter) : 1002;
}
#endif

// The input and select layers' windows that settings' message output shows: the
// message board and the prompt pop-up, and the number entry that follows the
// settings read at start-up. Those layers fill the table when the program loads
// (input/uicalls_win.cpp, select/uicalls_win.cpp); while a slot is empty its call
// below shows nothing.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <cstdint>

struct UiCalls {
  // Shows the message board with heading and body in colours (outer frame, inner band,
  // background, heading, body) until it closes: see input/board.h.
  int (*board)(const char *heading, const char *body, const COLORREF colours[5]);
  // The prompt pop-up at the cursor: see select/popup.h (selm_popup).
  int (*popup)(int word, const char *text, const char *keys);
  // The number entry shows decimals places (input kind record 5).
  void (*numdecimals)(uint32_t decimals);
};
extern UiCalls UiHooks;

inline int ui_board(const char *heading, const char *body, const COLORREF colours[5]) {
  return UiHooks.board ? UiHooks.board(heading, body, colours) : 0;
}
inline int ui_popup(int word, const char *text, const char *keys) {
  return UiHooks.popup ? UiHooks.popup(word, text, keys) : -1;
}
inline void ui_numdecimals(uint32_t decimals) {
  if (UiHooks.numdecimals)
    UiHooks.numdecimals(decimals);
}
#endif

// The program's window services that the engine below the shell calls: the message
// lines, the shortcut menu, the key table, the attribute box and the drawing windows.
// The shell fills the table when the program loads (shell/app/shellcalls_win.cpp); each
// call below answers as "no such window" while a slot is empty.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <cstdint>

struct ShellCalls {
  // Message line 0..2: see shell/units/msgwin.h (mesg_line).
  int (*mesgline)(int op, int line, int *colour, char *text);
  void (*scmoff)();           // closes the shortcut menu when it is open
  int (*keyxlate)(MSG *msg);  // the key table's command for a key message, else 0
  void (*aboxrefresh)();      // the attribute box shows the current attributes again
  int (*aboxlstopen)();       // non-zero while a list of the attribute box is dropped down
  HWND (*aboxfield)(int field);
  // Drawing windows: see shell/drawwin/viewwin.h for each call.
  HWND (*active)();
  int (*getid)(HWND wnd, int32_t id[3]);
  int (*setid)(HWND wnd, const int32_t id[3]);
  int (*cursor)(HWND wnd, int mode, int x, int y);
  int (*curkind)(int kind);
  int (*rdrag)(HWND wnd);
  int (*draw)(HDC dc, int dwg, int view, uint16_t mask);
  HWND (*create)(int viewreq, const RECT *frame, int dwg, int view);
  void (*bind)(int dwg, int view);
  int (*scroll)(HWND wnd, UINT msg, WPARAM wp);
  HWND (*lastview)(); // the drawing window created last
};
extern ShellCalls ShellUp;

inline int ui_mesgline(int op, int line, int *colour, char *text) {
  return ShellUp.mesgline ? ShellUp.mesgline(op, line, colour, text) : -1;
}
inline void ui_scmoff() {
  if (ShellUp.scmoff)
    ShellUp.scmoff();
}
inline int ui_keyxlate(MSG *msg) { return ShellUp.keyxlate ? ShellUp.keyxlate(msg) : 0; }
inline void ui_aboxrefresh() {
  if (ShellUp.aboxrefresh)
    ShellUp.aboxrefresh();
}
inline int ui_aboxlstopen() { return ShellUp.aboxlstopen ? ShellUp.aboxlstopen() : 0; }
inline HWND ui_aboxfield(int field) { return ShellUp.aboxfield ? ShellUp.aboxfield(field) : nullptr; }
inline HWND ui_active() { return ShellUp.active ? ShellUp.active() : nullptr; }
inline int ui_getid(HWND wnd, int32_t id[3]) { return ShellUp.getid ? ShellUp.getid(wnd, id) : 0; }
inline int ui_setid(HWND wnd, const int32_t id[3]) { return ShellUp.setid ? ShellUp.setid(wnd, id) : 0; }
inline int ui_cursor(HWND wnd, int mode, int x, int y) { return ShellUp.cursor ? ShellUp.cursor(wnd, mode, x, y) : 1; }
inline int ui_curkind(int kind) { return ShellUp.curkind ? ShellUp.curkind(kind) : 0; }
inline int ui_rdrag(HWND wnd) { return ShellUp.rdrag ? ShellUp.rdrag(wnd) : 0; }
inline int ui_draw(HDC dc, int dwg, int view, uint16_t mask) {
  return ShellUp.draw ? ShellUp.draw(dc, dwg, view, mask) : -1;
}
inline HWND ui_create(int viewreq, const RECT *frame, int dwg, int view) {
  return ShellUp.create ? ShellUp.create(viewreq, frame, dwg, view) : nullptr;
}
inline void ui_bind(int dwg, int view) {
  if (ShellUp.bind)
    ShellUp.bind(dwg, view);
}
inline int ui_scroll(HWND wnd, UINT msg, WPARAM wp) { return ShellUp.scroll ? ShellUp.scroll(wnd, msg, wp) : 0; }
inline HWND ui_lastview() { return ShellUp.lastview ? ShellUp.lastview() : nullptr; }
#endif

// Drawing-window services of the shell that the engine calls.
#pragma once

#include <windows.h>

#include <cstdint>

// Per-window record of a drawing window, kept in its user data.
struct ViewWinId {
  int32_t dwg;
  int32_t view;
  int32_t third;
};

// 1 when read (written); 0 when the window's frame is not a child of the MDI
// client or the window has no record.
int vwin_getid(HWND wnd, int32_t id[3]);
int vwin_setid(HWND wnd, const int32_t id[3]);
// Re-binds the view object of the table's window for (dwg, view); nothing when it has none.
void BindViewToDrawing(int dwg, int view);
// (null, 2, -1, -1) takes the cross-hair mark off the window showing it. 0.
int vwin_cursor(HWND wnd, int mode, int x, int y);

bool os_isnt();
bool os_iswin32s();
bool os_is9x();

struct WorldPos {
  double x, y;
};
extern WorldPos MouseWorldPos; // world position of the mouse in the last view it moved over
extern uint16_t OutputKind;    // 1 and 4 printer, 3 other non-screen, else the screen
extern uint32_t PenMode;       // pen creation mode: 0 normal, 0x8000 printing, 1 off-screen

// The active drawing (MDI child) window, null when there is none.
HWND vwin_active();
// Closes the drawing windows: each one is asked to close (mode 2 from the frame's
// close, 0 when Windows ends). 1 when none is left, 0 when one stayed open.
int vwin_closeall(int mode);
// 0 at start-up loads the drawing cursors, 1 at shut-down forgets them. 0.
int vwin_hook(int op);
// Cursor of a cursor kind 0..20, null for the kinds drawn as the cross-hair.
HCURSOR vwin_cursorof(int kind);
// Non-zero when the drawing window's right button was held and moved since it went down.
int vwin_rdrag(HWND wnd);
// Sets the cursor kind (0..20) of the drawing windows; the previous one.
int vwin_curkind(int kind);

// Drawing-window services of the shell that the engine calls.
#pragma once

#include <windows.h>

#include <cstdint>

#include "display/view/viewstate.h"

// Per-window record of a drawing window, kept in its user data: drawing and view,
// -1 until the window is bound to a drawing.
struct ViewWinId {
  int32_t dwg;
  int32_t view;
  int32_t third;
};

// 1 when read (written); 0 when the window's frame is not a child of the MDI
// client or the window has no record.
int vwin_getid(HWND wnd, int32_t id[3]);
int vwin_setid(HWND wnd, const int32_t id[3]);
// Gives a view window its record (drawing and view -1); 1, or 0 when memory is short.
int vwin_attach(HWND wnd);
// Frees the record; 1, or 0 when the window had none.
int vwin_detach(HWND wnd);
// Re-binds the view object of the table's window for (dwg, view); nothing when it has none.
void BindViewToDrawing(int dwg, int view);
// Sets the drawing cursor of the current kind in wnd; for the cross-hair kinds 2
// and 3 moves the XOR cross-hair to (x, y) (mode 1 only takes it away, mode 2 leaves
// the cursor shape alone). A null window takes the cross-hair off. 1.
int vwin_cursor(HWND wnd, int mode, int x, int y);
// Draws the cross-hair once in XOR: arms over extent, a circle of half size.
void vwin_xhair(HDC dc, const RECT &extent, int half, int x, int y);
// After wnd painted on dc: the cross-hair drawn again when wnd holds it.
void vwin_xhairpaint(HWND wnd, HDC dc);
// The window holding the cross-hair and its position; null when none shows.
HWND vwin_xhairwnd(int *x, int *y);


// The active drawing (MDI child) window, null when there is none.
HWND vwin_active();
// Activates a child frame; 0 without a main frame, MDI client or child.
int vwin_activate(HWND child);
// Closes the drawing windows: mode 0 (Windows ends) and 2 (the frame closes) ask
// each drawing's question, mode 1 closes without one. 1 when none is left, 0 when
// a drawing refused.
int vwin_closeall(int mode);
// 0 at start-up loads the drawing cursors and installs the thread mouse hook (1
// when installed); 1 at shut-down removes it (1); other ops 0.
int vwin_hook(int op);
LRESULT CALLBACK vwin_hookproc(int code, WPARAM wp, LPARAM lp);
// Cursor of a cursor kind 0..20, null for the kinds drawn as the cross-hair.
HCURSOR vwin_cursorof(int kind);
// Non-zero when the drawing window's right button was held and moved since it went down.
int vwin_rdrag(HWND wnd);
// Sets the cursor kind (0..20) of the drawing windows; the previous one.
int vwin_curkind(int kind);


// WM_PAINT of a view window: 0, -1 empty update, -2 no record, -3 out of range.
int vwin_paint(HWND wnd);
// Draws (dwg, view) into dc limited to the area cells of mask (0 all): the view
// object's own painting first, else the three steps below. 0, or -1 refused.
int vwin_draw(HDC dc, int dwg, int view, uint16_t mask);
// The steps of vwin_draw without the view object: begin (makes dwg current and dc
// the output; 0, or -1 refused), the drawing's elements, the end (restores).
int vwin_drawbegin(HDC dc, int dwg, int view);
void vwin_drawbody(HDC dc, int dwg, int view, uint16_t mask);
void vwin_drawend(HDC dc);
// A memory metafile of (dwg, view); null when the drawing refused.
HMETAFILE vwin_metafile(int dwg, int view, uint16_t mask);
// WM_HSCROLL / WM_VSCROLL of a view window; 1 done, 0 not.
int vwin_scroll(HWND wnd, UINT msg, WPARAM wp);
// Zoom step 0..5 of the view (0, 1 about the centre out / in, 2, 3 by 5 %, 4, 5
// about the mouse); 1 done, 0 not.
int vwin_pan(HWND wnd, int step);
// 'R' masks[2] of the open, not iconic views per drawing; 'W' minimises the frames
// whose bit is clear, restores those set, arranges (flag 0 tiles, else cascades). 0, 1 bad op.
int vwin_arrange(int op, int flag, uint16_t masks[2]);
// 'R' / 'W' the rectangle of the paint in progress; 0, 1 bad op.
int vwin_cliprect(int op, int32_t rect[4]);
// The world rectangle a view's device rectangle shows, corners sorted: x1 <= x2, y1 <= y2.
void vwin_worldrect(int dwg, int view, const RECT &u, double *x1, double *y1, double *x2, double *y2);
// 1 on the vertical scroll bar, 2 on the horizontal one, else 0.
int vwin_hittest(HWND wnd, POINT screen);
// A new drawing window through the application's new-file path, for (dwg, view)
// when given (else -1), in frame when not null. The view window, or null.
HWND vwin_create(int viewreq, const RECT *frame, int dwg, int view);
// What vwin_create asked for, read by the document, frame and view it creates.
struct ViewRequest {
  int32_t dwg, view;
  bool hasrect;
  RECT rect;
};
extern ViewRequest VwinRequest;
extern HWND VwinLastView; // the view window created last

// The calls into the document and view classes, set when those exist.
struct VwinViewCalls {
  // PaintViewToDC: 1 when there is no view object (vwin_draw draws by itself).
  int (*paint)(HDC dc, int dwg, int view, uint16_t mask);
  // The new document, frame and view of the new-file path; false on failure.
  bool (*newview)();
  void (*bind)(int dwg, int view);
};
extern VwinViewCalls VwinCalls;

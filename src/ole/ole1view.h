// What a drawing window does for the older OLE objects of its drawing: paints them,
// lets the mouse pick, move and resize them, and handles the notices the layer posts.
#pragma once

#include <windows.h>

// Posted messages.
constexpr UINT OLE1_MSG_RELEASEERR = 1025; // to the main window, wParam the error
constexpr UINT OLE1_MSG_CLOSED = 1027;     // to the view
constexpr UINT OLE1_MSG_RETRY = 1028;      // to the main window
constexpr UINT OLE1_MSG_CHANGED = 1029;    // to the view
constexpr UINT OLE1_MSG_RENAMED = 1030;    // to the view

// A notice (1027, 1029, 1030) handled: lowers the pending count it raised and redraws.
void Ole1ViewNotice(int dwg, UINT message);
// Draws the drawing's objects into a view, a selected one framed.
void Ole1DrawObjects(int dwg, int view, HDC dc);
// A left button press at p: on an object it is selected and, on its frame or body,
// dragged (move or resize); 1 when the press was taken, 0 when it was not on an object
// (a selection is then cleared).
int Ole1ViewMouse(int dwg, int view, POINT p);

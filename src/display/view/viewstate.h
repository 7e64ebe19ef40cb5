// State of the views' output that the shell writes and the drawing code reads: what
// the output goes to, the pen mode, the view colours, the mouse's view.
#pragma once

#include <cstdint>

extern uint16_t OutputKind; // 1 and 4 printer, 3 other non-screen, else the screen
extern uint32_t PenMode;    // pen creation mode: 0 normal, 0x8000 printing, 1 off-screen

// 1 while a view is rendered into a metafile or bitmap (clipboard, OLE), else 0.
extern uint32_t OffscreenOutput;
// 1 while such a rendering draws in black only (the cursor block asks for it).
extern uint32_t OffscreenMono;

// Palette numbers the drawing of a view uses.
struct ViewColours {
  int32_t frame, mark, base, temp, area, xhair1, xhair2;
};
extern ViewColours DspColours;
// 1 switches all drawing of views off.
extern uint32_t DrawSuppress;

struct WorldPos {
  double x, y;
};
extern WorldPos MouseWorldPos; // world position of the mouse in the last view it moved over
// The view (drawing, view) of the window the mouse last moved over, (-1, -1) outside.
struct ViewUnderMouse {
  int32_t dwg, view;
};
extern ViewUnderMouse MouseView;

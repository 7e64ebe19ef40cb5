// Seal preview control, window class "RaruDispClass": shows the preview file of the
// list folder in the seal colour, texts in the high-quality stroke font.
#pragma once

#include <windows.h>

#include "plugin/rarufont.h"

constexpr char RARU_DISPCLASS[] = "RaruDispClass";

// 1 registered now, the remembered result when the class exists already, 0 on failure.
int Raru_RegisterDispClass();
LRESULT CALLBACK RaruDisp_WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
// Paints the control (between BeginPaint and EndPaint).
void RaruDisp_Paint(HWND wnd);
// Draws the preview into dc over a client rectangle of cw x ch pixels.
void RaruDisp_PaintDC(HDC dc, int cw, int ch);
// One text of the seal: the date in place of a placeholder while placing runs.
void RaruDisp_Text(RaruCanvas &c, const RaruView &v, const char *text, double x, double y, double h, double w,
                   double p, unsigned attr);

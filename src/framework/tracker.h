// A rectangle with a border and eight resize handles that the user moves and sizes
// with the mouse (the frame around a selected embedded object).
#pragma once

#include <windows.h>

class CDC;
class CWnd;

class CRectTracker {
public:
  enum StyleFlags { solidLine = 1, dottedLine = 2, hatchedBorder = 4, resizeInside = 8, resizeOutside = 16,
                    hatchInside = 32 };
  enum TrackerHit { hitNothing = -1, hitTopLeft = 0, hitTopRight = 1, hitBottomRight = 2, hitBottomLeft = 3,
                    hitTop = 4, hitRight = 5, hitBottom = 6, hitLeft = 7, hitMiddle = 8 };

  CRectTracker() = default;
  CRectTracker(const RECT &rect, UINT style) : m_rect(rect), m_nStyle(style) {}

  void Draw(CDC *dc) const;
  // The rectangle with everything drawn around it (handles outside, border, line).
  void GetTrueRect(RECT *rect) const;
  // hitNothing, a corner (0-3), a side (4-7) or hitMiddle; handles only with a
  // resize style.
  int HitTest(POINT pt) const;
  // Moves or sizes the rectangle from pt (client coordinates of wnd) while the left
  // button is down, showing an inverted outline; Esc or the right button cancels. A
  // WM_QUIT is posted again. TRUE when the rectangle changed.
  BOOL Track(CWnd *wnd, POINT pt, BOOL allowInvert = FALSE);
  // Over a handle of this tracker in wnd: the sizing cursor, TRUE.
  BOOL SetCursor(CWnd *wnd, UINT hitTest) const;

  RECT m_rect{};
  UINT m_nStyle = 0;
  SIZE m_sizeMin{8, 8};
  int m_nHandleSize = 4;

private:
  void NormalRect(RECT *rect) const;
  void GetHandleRect(int handle, RECT *rect) const;
  UINT HandleMask() const;
  int HitTestHandles(POINT pt) const;
  void DrawOutline(HDC dc, const RECT &rect) const;
};

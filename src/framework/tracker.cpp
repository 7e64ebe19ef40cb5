#include "framework/tracker.h"

#include <cstdlib>
#include <utility>

#include "framework/dc.h"
#include "framework/wnd.h"

namespace {

// Which edges a hit moves: left, top, right, bottom.
struct Edges {
  bool l, t, r, b;
};
constexpr Edges kEdges[9] = {
    {true, true, false, false},  {false, true, true, false}, {false, false, true, true},
    {true, false, false, true},  {false, true, false, false}, {false, false, true, false},
    {false, false, false, true}, {true, false, false, false}, {true, true, true, true},
};

bool inRect(const RECT &r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

} // namespace

void CRectTracker::NormalRect(RECT *rect) const {
  *rect = m_rect;
  if (rect->left > rect->right)
    std::swap(rect->left, rect->right);
  if (rect->top > rect->bottom)
    std::swap(rect->top, rect->bottom);
}

void CRectTracker::GetTrueRect(RECT *rect) const {
  NormalRect(rect);
  int by = 0;
  if (m_nStyle & (resizeOutside | hatchedBorder))
    by += m_nHandleSize - 1;
  if (m_nStyle & (solidLine | dottedLine))
    by += 1;
  InflateRect(rect, by, by);
}

UINT CRectTracker::HandleMask() const {
  UINT mask = 0x0F; // the corners always
  const int three = m_nHandleSize * 3;
  if (std::abs(m_rect.right - m_rect.left) - three > 4)
    mask |= 0x50; // top and bottom
  if (std::abs(m_rect.bottom - m_rect.top) - three > 4)
    mask |= 0xA0; // right and left
  return mask;
}

void CRectTracker::GetHandleRect(int handle, RECT *rect) const {
  RECT r;
  NormalRect(&r);
  if (m_nStyle & (solidLine | dottedLine))
    InflateRect(&r, 1, 1);
  const int size = m_nHandleSize;
  if (m_nStyle & resizeOutside)
    InflateRect(&r, size - 1, size - 1);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int midX = r.left + (w - size) / 2, midY = r.top + (h - size) / 2;
  const int x[8] = {r.left, r.right - size, r.right - size, r.left, midX, r.right - size, midX, r.left};
  const int y[8] = {r.top, r.top, r.bottom - size, r.bottom - size, r.top, midY, r.bottom - size, midY};
  *rect = {x[handle], y[handle], x[handle] + size, y[handle] + size};
}

int CRectTracker::HitTestHandles(POINT pt) const {
  const UINT mask = HandleMask();
  for (int i = 0; i < 8; ++i) {
    if (!(mask & (1u << i)))
      continue;
    RECT h;
    GetHandleRect(i, &h);
    if (inRect(h, pt))
      return i;
  }
  if (!(m_nStyle & hatchedBorder)) {
    RECT r;
    NormalRect(&r);
    if (m_nStyle & (solidLine | dottedLine))
      InflateRect(&r, 1, 1);
    if (!inRect(r, pt))
      return hitNothing; // between handles outside the rectangle
  }
  return hitMiddle;
}

int CRectTracker::HitTest(POINT pt) const {
  RECT t;
  GetTrueRect(&t);
  if (!inRect(t, pt))
    return hitNothing;
  if (m_nStyle & (resizeInside | resizeOutside))
    return HitTestHandles(pt);
  return hitMiddle;
}

void CRectTracker::Draw(CDC *dc) const {
  HDC h = dc->m_hDC;
  RECT r;
  NormalRect(&r);
  const int saved = SaveDC(h);
  SetMapMode(h, MM_TEXT);
  SetViewportOrgEx(h, 0, 0, nullptr);
  SetWindowOrgEx(h, 0, 0, nullptr);
  SelectObject(h, GetStockObject(NULL_BRUSH));
  if (m_nStyle & (solidLine | dottedLine)) {
    HPEN pen = CreatePen((m_nStyle & dottedLine) ? PS_DOT : PS_SOLID, 0, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(h, pen);
    SetROP2(h, R2_COPYPEN);
    RECT line = r;
    InflateRect(&line, 1, 1);
    Rectangle(h, line.left, line.top, line.right, line.bottom);
    SelectObject(h, old);
    DeleteObject(pen);
  }
  if (m_nStyle & (hatchInside | hatchedBorder)) {
    HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, RGB(0, 0, 0));
    SetBkMode(h, TRANSPARENT);
    if (m_nStyle & hatchInside)
      FillRect(h, &r, hatch);
    if (m_nStyle & hatchedBorder) {
      RECT t;
      GetTrueRect(&t);
      const RECT bands[4] = {{t.left, t.top, t.right, r.top},
                             {t.left, r.bottom, t.right, t.bottom},
                             {t.left, r.top, r.left, r.bottom},
                             {r.right, r.top, t.right, r.bottom}};
      for (const RECT &b : bands)
        FillRect(h, &b, hatch);
    }
    DeleteObject(hatch);
  }
  if (m_nStyle & (resizeInside | resizeOutside)) {
    const UINT mask = HandleMask();
    for (int i = 0; i < 8; ++i) {
      if (!(mask & (1u << i)))
        continue;
      RECT hr;
      GetHandleRect(i, &hr);
      // Inverted, so a handle shows on any colour.
      PatBlt(h, hr.left, hr.top, hr.right - hr.left, hr.bottom - hr.top, DSTINVERT);
    }
  }
  RestoreDC(h, saved);
}

void CRectTracker::DrawOutline(HDC dc, const RECT &rect) const {
  RECT r = rect;
  if (r.left > r.right)
    std::swap(r.left, r.right);
  if (r.top > r.bottom)
    std::swap(r.top, r.bottom);
  DrawFocusRect(dc, &r); // XOR: a second call erases it
}

BOOL CRectTracker::Track(CWnd *wnd, POINT pt, BOOL allowInvert) {
  if (!wnd || !wnd->m_hWnd)
    return FALSE;
  int hit = HitTest(pt);
  if (hit == hitNothing)
    return FALSE;
  const HWND hwnd = wnd->m_hWnd;
  const RECT saved = m_rect;
  const Edges e = kEdges[hit];
  SetCapture(hwnd);
  HDC dc = GetDC(hwnd);
  bool shown = false;
  bool accepted = false;
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(int(msg.wParam)); // the program's own loop must see it too
      break;
    }
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP) {
      const POINT p{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
      const int dx = p.x - pt.x, dy = p.y - pt.y;
      RECT r = saved;
      if (e.l)
        r.left += dx;
      if (e.r)
        r.right += dx;
      if (e.t)
        r.top += dy;
      if (e.b)
        r.bottom += dy;
      if (hit != hitMiddle) {
        // Keep the minimum size; the moving edge gives way.
        const int w = r.right - r.left, h = r.bottom - r.top;
        if (!allowInvert || std::abs(w) < m_sizeMin.cx) {
          const int want = (allowInvert && w < 0) ? -m_sizeMin.cx : m_sizeMin.cx;
          if ((want > 0 && w < want) || (want < 0 && w > want)) {
            if (e.l)
              r.left = r.right - want;
            else if (e.r)
              r.right = r.left + want;
          }
        }
        if (!allowInvert || std::abs(h) < m_sizeMin.cy) {
          const int want = (allowInvert && h < 0) ? -m_sizeMin.cy : m_sizeMin.cy;
          if ((want > 0 && h < want) || (want < 0 && h > want)) {
            if (e.t)
              r.top = r.bottom - want;
            else if (e.b)
              r.bottom = r.top + want;
          }
        }
      }
      if (shown)
        DrawOutline(dc, m_rect);
      m_rect = r;
      shown = false;
      if (msg.message == WM_LBUTTONUP) {
        accepted = true;
        break;
      }
      DrawOutline(dc, m_rect);
      shown = true;
      continue;
    }
    if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_RBUTTONDOWN)
      break;
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR)
      continue; // the keyboard belongs to the tracking
    DispatchMessageA(&msg);
    if (GetCapture() != hwnd)
      break; // someone else took the mouse
  }
  if (shown)
    DrawOutline(dc, m_rect);
  ReleaseDC(hwnd, dc);
  if (GetCapture() == hwnd)
    ReleaseCapture();
  if (!accepted)
    m_rect = saved;
  return !EqualRect(&m_rect, &saved);
}

BOOL CRectTracker::SetCursor(CWnd *wnd, UINT hitTest) const {
  if (!wnd || hitTest != HTCLIENT)
    return FALSE;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(wnd->m_hWnd, &p);
  const int hit = HitTest(p);
  if (hit < 0)
    return FALSE;
  static const LPCSTR kCursors[9] = {IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZENS,
                                     IDC_SIZEWE,   IDC_SIZENS,   IDC_SIZEWE,   IDC_SIZEALL};
  ::SetCursor(LoadCursorA(nullptr, kCursors[hit]));
  return TRUE;
}

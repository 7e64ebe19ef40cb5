// Older OLE objects in the views: drawn into their rectangles, a selected one framed
// with eight handles, picked by the mouse and dragged to move or resize.
#include "ole/ole1h.h"

#include "ole/ole1obj.h"

#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "ole/ole1bind.h"

namespace {

constexpr int HANDLE_SIZE = 4;

// Handle centres in the order of their codes 1..8: corners, then edge midpoints.
void handle_points(const RECT &r, POINT pts[8]) {
  const LONG mx = (r.left + r.right) / 2, my = (r.top + r.bottom) / 2;
  pts[0] = {r.left, r.top};
  pts[1] = {r.right, r.top};
  pts[2] = {r.right, r.bottom};
  pts[3] = {r.left, r.bottom};
  pts[4] = {mx, r.top};
  pts[5] = {r.right, my};
  pts[6] = {mx, r.bottom};
  pts[7] = {r.left, my};
}

RECT handle_rect(POINT c) {
  return RECT{c.x - HANDLE_SIZE / 2, c.y - HANDLE_SIZE / 2, c.x + HANDLE_SIZE / 2, c.y + HANDLE_SIZE / 2};
}

// Cursor kinds: 5 move, 6 diagonal \, 7 diagonal /, 8 horizontal, 9 vertical.
constexpr int CURSOR_OF[10] = {0, 6, 7, 6, 7, 9, 8, 9, 8, 5};

bool background_light(HDC dc) { return (GetBkColor(dc) & 0xffffff) >= 0x808080; }

void outline(HDC dc, const RECT &r) {
  const int old = SetROP2(dc, R2_NOT);
  HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, brush);
  SetROP2(dc, old);
}

} // namespace

RECT Ole1DeviceRect(int dwg, int view, const Ole1Object *o) {
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  vew_w2dev(dwg, view, o->rect[0], o->rect[1], &x1, &y1);
  vew_w2dev(dwg, view, o->rect[2], o->rect[3], &x2, &y2);
  return RECT{x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
}

void Ole1Redraw(const Ole1Object *o) {
  if (!o || (o->dwg != 0 && o->dwg != 1))
    return;
  for (int v = 0; v < VIEW_COUNT; ++v) {
    HWND w = (vew_mask(o->dwg) >> v) & 1 ? vew_hwnd(o->dwg, v) : nullptr;
    if (!w)
      continue;
    RECT r = Ole1DeviceRect(o->dwg, v, o);
    InflateRect(&r, HANDLE_SIZE + 1, HANDLE_SIZE + 1);
    InvalidateRect(w, &r, TRUE);
  }
}

void Ole1DrawFrame(int dwg, int view, HDC dc, const Ole1Object *o) {
  const RECT r = Ole1DeviceRect(dwg, view, o);
  const bool light = background_light(dc);
  HBRUSH brush = static_cast<HBRUSH>(GetStockObject(light ? BLACK_BRUSH : WHITE_BRUSH));
  RECT edge = r;
  FrameRect(dc, &edge, brush);
  POINT pts[8];
  handle_points(r, pts);
  for (const POINT &p : pts) {
    const RECT h = handle_rect(p);
    FillRect(dc, &h, brush);
  }
}

void Ole1DrawObjects(int dwg, int view, HDC dc) {
  if ((dwg != 0 && dwg != 1) || !dc)
    return;
  for (Ole1Object *o = Ole1Doc[dwg].first; o; o = o->next) {
    if (!o->obj)
      continue;
    const RECT r = Ole1DeviceRect(dwg, view, o);
    ole1::OleDraw(o->obj, dc, &r, nullptr, nullptr);
    if (o->selected)
      Ole1DrawFrame(dwg, view, dc, o);
  }
}

Ole1Object *Ole1HitTest(int dwg, int view, POINT p) {
  if (dwg != 0 && dwg != 1)
    return nullptr;
  Ole1Object *hit = nullptr;
  // The last in the list is drawn on top.
  for (Ole1Object *o = Ole1Doc[dwg].first; o; o = o->next) {
    RECT r = Ole1DeviceRect(dwg, view, o);
    r.right += 1;
    r.bottom += 1;
    if (PtInRect(&r, p))
      hit = o;
  }
  return hit;
}

int Ole1FramePart(int dwg, int view, const Ole1Object *o, POINT p, int *cursor) {
  if (!o)
    return 0;
  const RECT r = Ole1DeviceRect(dwg, view, o);
  int part = 0;
  if (o->selected) {
    POINT pts[8];
    handle_points(r, pts);
    for (int i = 0; i < 8 && !part; ++i) {
      RECT h = handle_rect(pts[i]);
      InflateRect(&h, 1, 1);
      if (PtInRect(&h, p))
        part = i + 1;
    }
  }
  RECT body = r;
  body.right += 1;
  body.bottom += 1;
  if (!part && PtInRect(&body, p))
    part = 9;
  if (cursor)
    *cursor = CURSOR_OF[part];
  return part;
}

RECT Ole1DragRect(const RECT &r, int part, POINT from, POINT to) {
  const LONG dx = to.x - from.x, dy = to.y - from.y;
  RECT n = r;
  switch (part) {
  case 1:
    n.left += dx;
    n.top += dy;
    break;
  case 2:
    n.right += dx;
    n.top += dy;
    break;
  case 3:
    n.right += dx;
    n.bottom += dy;
    break;
  case 4:
    n.left += dx;
    n.bottom += dy;
    break;
  case 5:
    n.top += dy;
    break;
  case 6:
    n.right += dx;
    break;
  case 7:
    n.bottom += dy;
    break;
  case 8:
    n.left += dx;
    break;
  case 9:
    OffsetRect(&n, dx, dy);
    break;
  default:
    break;
  }
  return RECT{n.left < n.right ? n.left : n.right, n.top < n.bottom ? n.top : n.bottom,
              n.left < n.right ? n.right : n.left, n.top < n.bottom ? n.bottom : n.top};
}

int Ole1FrameDrag(int dwg, int view, Ole1Object *o, int part, POINT p) {
  HWND w = vew_hwnd(dwg, view);
  if (!o || !w || part < 1 || part > 9)
    return 0;
  const RECT start = Ole1DeviceRect(dwg, view, o);
  RECT now = start;
  HDC dc = GetDC(w);
  outline(dc, now);
  static const LPCSTR shapes[10] = {nullptr,    IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZENWSE, IDC_SIZENESW,
                                    IDC_SIZENS, IDC_SIZEWE,   IDC_SIZENS,   IDC_SIZEWE,   IDC_SIZEALL};
  SetCursor(LoadCursorA(nullptr, shapes[part]));
  SetCapture(w);
  const bool captured = GetCapture() == w;
  bool done = false, moved = false;
  POINT last = p;
  MSG m;
  // Ends with the button's release, Esc, a lost capture or the program's end.
  while (!done && (!captured || GetCapture() == w)) {
    const BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      if (got == 0)
        PostQuitMessage(int(m.wParam));
      break;
    }
    switch (m.message) {
    case WM_MOUSEMOVE:
      if (m.hwnd == w) {
        last = POINT{short(LOWORD(m.lParam)), short(HIWORD(m.lParam))};
        outline(dc, now);
        now = Ole1DragRect(start, part, p, last);
        outline(dc, now);
        moved = true;
      }
      break;
    case WM_LBUTTONUP:
      last = POINT{short(LOWORD(m.lParam)), short(HIWORD(m.lParam))};
      done = true;
      break;
    case WM_KEYDOWN:
      if (m.wParam == VK_ESCAPE) {
        moved = false;
        done = true;
      }
      break;
    default:
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
  outline(dc, now);
  ReleaseDC(w, dc);
  if (GetCapture() == w)
    ReleaseCapture();
  if (!done || (!moved && last.x == p.x && last.y == p.y))
    return 0;
  now = Ole1DragRect(start, part, p, last);
  // Back into drawing units: the device rectangle's corners map to the object's.
  double x1, y1, x2, y2;
  if (vew_dev2w(dwg, view, now.left, now.bottom, &x1, &y1) != 0 ||
      vew_dev2w(dwg, view, now.right, now.top, &x2, &y2) != 0)
    return 0;
  const double rect[4] = {x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
  if (part == 9)
    ObjMove(o, rect);
  else
    ObjCliSetBounds(o, rect);
  return 1;
}

int Ole1ViewMouse(int dwg, int view, POINT p) {
  if (dwg != 0 && dwg != 1)
    return 0;
  Ole1Object *hit = Ole1HitTest(dwg, view, p);
  // A selected object's handles stand a little outside its rectangle.
  Ole1Object *sel = Ole1Selected(dwg);
  int cursor = 0;
  if (sel && Ole1FramePart(dwg, view, sel, p, &cursor))
    hit = sel;
  for (Ole1Object *o = Ole1Doc[dwg].first; o; o = o->next) {
    if (o->selected && o != hit) {
      o->selected = 0;
      Ole1Redraw(o);
    }
  }
  if (!hit)
    return 0;
  if (!hit->selected) {
    hit->selected = 1;
    Ole1Redraw(hit);
  }
  const int part = Ole1FramePart(dwg, view, hit, p, &cursor);
  if (part)
    Ole1FrameDrag(dwg, view, hit, part, p);
  return 1;
}

#include "gdi_recorder.h"

GdiRecord rec;

namespace {
BOOL WINAPI r_MoveToEx(HDC dc, int x, int y, LPPOINT old) {
  rec.calls++;
  rec.cur = POINT{x, y};
  rec.open = false;
  return ::MoveToEx(dc, x, y, old);
}
BOOL WINAPI r_LineTo(HDC dc, int x, int y) {
  rec.calls++;
  if (!rec.open) {
    rec.lines.push_back({rec.cur});
    rec.open = true;
  }
  rec.lines.back().push_back(POINT{x, y});
  rec.cur = POINT{x, y};
  return ::LineTo(dc, x, y);
}
BOOL WINAPI r_Polyline(HDC dc, const POINT *p, int n) {
  rec.calls++;
  rec.lines.emplace_back(p, p + n);
  rec.open = false;
  return ::Polyline(dc, p, n);
}
BOOL WINAPI r_PolyPolyline(HDC dc, const POINT *p, const DWORD *c, DWORD n) {
  rec.calls++;
  const POINT *q = p;
  for (DWORD i = 0; i < n; i++) {
    rec.lines.emplace_back(q, q + c[i]);
    q += c[i];
  }
  rec.open = false;
  return ::PolyPolyline(dc, p, c, n);
}
BOOL WINAPI r_Arc(HDC dc, int a, int b, int c, int d, int e, int f, int g, int h) {
  rec.calls++;
  rec.arcs.push_back({a, b, c, d, e, f, g, h});
  return ::Arc(dc, a, b, c, d, e, f, g, h);
}
BOOL WINAPI r_Ellipse(HDC dc, int a, int b, int c, int d) {
  rec.calls++;
  rec.ellipses.push_back({a, b, c, d});
  return ::Ellipse(dc, a, b, c, d);
}
COLORREF WINAPI r_SetPixel(HDC dc, int x, int y, COLORREF c) {
  rec.calls++;
  rec.pixels.push_back(POINT{x, y});
  return ::SetPixel(dc, x, y, c);
}
HPEN WINAPI r_CreatePen(int s, int w, COLORREF c) {
  HPEN p = ::CreatePen(s, w, c);
  rec.created.push_back(p);
  return p;
}
HPEN WINAPI r_CreatePenIndirect(const LOGPEN *lp) {
  HPEN p = ::CreatePenIndirect(lp);
  rec.created.push_back(p);
  return p;
}
HPEN WINAPI r_ExtCreatePen(DWORD s, DWORD w, const LOGBRUSH *lb, DWORD n, const DWORD *st) {
  HPEN p = ::ExtCreatePen(s, w, lb, n, st);
  rec.created.push_back(p);
  rec.extpens++;
  rec.extstyles.emplace_back(st, st + n);
  return p;
}
HBRUSH WINAPI r_CreateSolidBrush(COLORREF c) {
  HBRUSH b = ::CreateSolidBrush(c);
  rec.created.push_back(b);
  return b;
}
HFONT WINAPI r_CreateFontIndirectA(const LOGFONTA *lf) {
  rec.fonts.push_back(*lf);
  HFONT f = ::CreateFontIndirectA(lf);
  rec.created.push_back(f);
  return f;
}
BOOL WINAPI r_DeleteObject(HGDIOBJ h) {
  rec.deleted[h]++;
  return ::DeleteObject(h);
}
HGDIOBJ WINAPI r_SelectObject(HDC dc, HGDIOBJ h) {
  rec.selected.push_back(h);
  return ::SelectObject(dc, h);
}
int WINAPI r_SetROP2(HDC dc, int r) {
  rec.rops.push_back(r);
  return ::SetROP2(dc, r);
}
int WINAPI r_GetDeviceCaps(HDC dc, int what) {
  if (what == HORZSIZE && rec.fakesize)
    return rec.horzsize;
  if (what == HORZRES && rec.fakesize)
    return rec.horzres;
  return ::GetDeviceCaps(dc, what);
}
} // namespace

void rec_start() {
  rec.clear();
  gdi_calls.MoveToEx = r_MoveToEx;
  gdi_calls.LineTo = r_LineTo;
  gdi_calls.Polyline = r_Polyline;
  gdi_calls.PolyPolyline = r_PolyPolyline;
  gdi_calls.Arc = r_Arc;
  gdi_calls.Ellipse = r_Ellipse;
  gdi_calls.SetPixel = r_SetPixel;
  gdi_calls.CreatePen = r_CreatePen;
  gdi_calls.CreatePenIndirect = r_CreatePenIndirect;
  gdi_calls.ExtCreatePen = r_ExtCreatePen;
  gdi_calls.CreateSolidBrush = r_CreateSolidBrush;
  gdi_calls.CreateFontIndirectA = r_CreateFontIndirectA;
  gdi_calls.DeleteObject = r_DeleteObject;
  gdi_calls.SelectObject = r_SelectObject;
  gdi_calls.SetROP2 = r_SetROP2;
  gdi_calls.GetDeviceCaps = r_GetDeviceCaps;
}

void rec_stop() { gdi_realcalls(); }

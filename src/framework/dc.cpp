#include "framework/dc.h"

IMPLEMENT_DYNAMIC(CDC, CObject)

CDC::~CDC() {
  if (m_bOwnDC && m_hDC)
    ::DeleteDC(m_hDC);
}

BOOL CDC::Attach(HDC dc) {
  if (!dc || m_hDC)
    return FALSE;
  m_hDC = m_hAttribDC = dc;
  m_bOwnDC = false;
  return TRUE;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = m_hAttribDC = nullptr;
  m_bOwnDC = false;
  return dc;
}

BOOL CDC::CreateDC(const char *driver, const char *device, const char *output, const DEVMODEA *init) {
  HDC dc = ::CreateDCA(driver, device, output, init);
  if (!dc || !Attach(dc)) {
    if (dc)
      ::DeleteDC(dc);
    return FALSE;
  }
  m_bOwnDC = true;
  return TRUE;
}

BOOL CDC::CreateCompatibleDC(HDC reference) {
  HDC dc = ::CreateCompatibleDC(reference);
  if (!dc || !Attach(dc)) {
    if (dc)
      ::DeleteDC(dc);
    return FALSE;
  }
  m_bOwnDC = true;
  return TRUE;
}

BOOL CDC::DeleteDC() {
  if (!m_hDC)
    return FALSE;
  bool own = m_bOwnDC;
  HDC dc = Detach();
  return own ? ::DeleteDC(dc) : TRUE;
}

void CDC::SetAttribDC(HDC dc) { m_hAttribDC = dc; }
void CDC::SetOutputDC(HDC dc) { m_hDC = dc; }
void CDC::ReleaseAttribDC() { m_hAttribDC = nullptr; }
void CDC::ReleaseOutputDC() { m_hDC = nullptr; }

int CDC::SaveDC() {
  int saved = 0;
  if (m_hAttribDC)
    saved = ::SaveDC(m_hAttribDC);
  if (m_hDC && m_hDC != m_hAttribDC && ::SaveDC(m_hDC) != 0)
    saved = -1; // the output's own level differs: restore the last save
  return saved;
}

BOOL CDC::RestoreDC(int saved) {
  BOOL ok = TRUE;
  if (m_hDC && m_hDC != m_hAttribDC)
    ok = ::RestoreDC(m_hDC, -1);
  if (m_hAttribDC)
    ok = ::RestoreDC(m_hAttribDC, saved) && ok;
  return ok;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
  return both<HGDIOBJ>([&](HDC dc) { return ::SelectObject(dc, object); });
}

int CDC::SetMapMode(int mode) {
  return both<int>([&](HDC dc) { return ::SetMapMode(dc, mode); });
}

POINT CDC::SetWindowOrg(int x, int y) {
  return both<POINT>([&](HDC dc) {
    POINT old{};
    ::SetWindowOrgEx(dc, x, y, &old);
    return old;
  });
}

SIZE CDC::SetWindowExt(int cx, int cy) {
  return both<SIZE>([&](HDC dc) {
    SIZE old{};
    ::SetWindowExtEx(dc, cx, cy, &old);
    return old;
  });
}

POINT CDC::SetViewportOrg(int x, int y) {
  return both<POINT>([&](HDC dc) {
    POINT old{};
    ::SetViewportOrgEx(dc, x, y, &old);
    return old;
  });
}

SIZE CDC::SetViewportExt(int cx, int cy) {
  return both<SIZE>([&](HDC dc) {
    SIZE old{};
    ::SetViewportExtEx(dc, cx, cy, &old);
    return old;
  });
}

COLORREF CDC::SetTextColor(COLORREF color) {
  return both<COLORREF>([&](HDC dc) { return ::SetTextColor(dc, color); });
}

COLORREF CDC::SetBkColor(COLORREF color) {
  return both<COLORREF>([&](HDC dc) { return ::SetBkColor(dc, color); });
}

int CDC::SetBkMode(int mode) {
  return both<int>([&](HDC dc) { return ::SetBkMode(dc, mode); });
}

int CDC::SetROP2(int mode) {
  return both<int>([&](HDC dc) { return ::SetROP2(dc, mode); });
}

UINT CDC::SetTextAlign(UINT flags) {
  return both<UINT>([&](HDC dc) { return ::SetTextAlign(dc, flags); });
}

POINT CDC::MoveTo(int x, int y) {
  return both<POINT>([&](HDC dc) {
    POINT old{};
    ::MoveToEx(dc, x, y, &old);
    return old;
  });
}

BOOL CDC::LineTo(int x, int y) {
  if (m_hAttribDC && m_hAttribDC != m_hDC)
    ::MoveToEx(m_hAttribDC, x, y, nullptr);
  return ::LineTo(m_hDC, x, y);
}

void CDC::FillSolidRect(const RECT &rect, COLORREF color) {
  COLORREF old = ::SetBkColor(m_hDC, color);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}

BOOL CDC::GrayString(HBRUSH brush, GRAYSTRINGPROC proc, LPARAM data, int count, int x, int y, int cx, int cy) {
  return ::GrayStringA(m_hDC, brush, proc, data, count, x, y, cx, cy);
}

SIZE CDC::GetTextExtent(const char *text, int n) const {
  SIZE size{};
  ::GetTextExtentPoint32A(m_hAttribDC, text, n, &size);
  return size;
}

POINT CDC::GetCurrentPosition() const {
  POINT pt{};
  ::GetCurrentPositionEx(m_hAttribDC, &pt);
  return pt;
}

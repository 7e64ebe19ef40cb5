// A device context with two handles: output goes to m_hDC, questions (metrics, device
// capabilities, conversions) go to the attribute context m_hAttribDC. They are the
// same context for a screen or memory DC; a metafile records output only, so it gets
// a separate attribute context that answers for it. Settings that change what
// drawing does (map mode, origins, extents, objects, colours, the position) go to
// both. The DC deletes the context it created itself; an attribute context given
// by SetAttribDC stays the caller's.
#pragma once

#include <windows.h>

#include "framework/object.h"

class CDC : public CObject {
  DECLARE_DYNAMIC(CDC)
public:
  CDC() = default;
  ~CDC() override;
  CDC(const CDC &) = delete;
  CDC &operator=(const CDC &) = delete;

  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  // The context becomes both handles; the caller keeps it (Detach gives it back).
  BOOL Attach(HDC dc);
  HDC Detach();
  BOOL CreateDC(const char *driver, const char *device, const char *output, const DEVMODEA *init);
  BOOL CreateCompatibleDC(HDC reference);
  // Deletes the context (when the DC made it) and clears both handles.
  BOOL DeleteDC();
  virtual void SetAttribDC(HDC dc);
  virtual void SetOutputDC(HDC dc);
  virtual void ReleaseAttribDC();
  virtual void ReleaseOutputDC();

  // Both contexts.
  int SaveDC();
  BOOL RestoreDC(int saved);
  HGDIOBJ SelectObject(HGDIOBJ object);
  int SetMapMode(int mode);
  POINT SetWindowOrg(int x, int y);
  SIZE SetWindowExt(int cx, int cy);
  POINT SetViewportOrg(int x, int y);
  SIZE SetViewportExt(int cx, int cy);
  COLORREF SetTextColor(COLORREF color);
  COLORREF SetBkColor(COLORREF color);
  int SetBkMode(int mode);
  int SetROP2(int mode);
  UINT SetTextAlign(UINT flags);
  POINT MoveTo(int x, int y);
  // Output; the attribute context follows the position.
  BOOL LineTo(int x, int y);

  // Output only.
  BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
  BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
  BOOL Polyline(const POINT *pts, int n) { return ::Polyline(m_hDC, pts, n); }
  BOOL TextOut(int x, int y, const char *text, int n) { return ::TextOutA(m_hDC, x, y, text, n); }
  void FillSolidRect(const RECT &rect, COLORREF color);
  int SelectClipRgn(HRGN region) { return ::SelectClipRgn(m_hDC, region); }
  int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
  virtual BOOL GrayString(HBRUSH brush, GRAYSTRINGPROC proc, LPARAM data, int count, int x, int y, int cx, int cy);

  // The attribute context.
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hAttribDC, index); }
  BOOL GetTextMetrics(TEXTMETRICA *metrics) const { return ::GetTextMetricsA(m_hAttribDC, metrics); }
  SIZE GetTextExtent(const char *text, int n) const;
  int GetMapMode() const { return ::GetMapMode(m_hAttribDC); }
  POINT GetCurrentPosition() const;
  BOOL LPtoDP(POINT *pts, int n = 1) const { return ::LPtoDP(m_hAttribDC, pts, n); }
  BOOL DPtoLP(POINT *pts, int n = 1) const { return ::DPtoLP(m_hAttribDC, pts, n); }

protected:
  // Calls f on the output context and the attribute context (once when they are
  // the same); the attribute context's answer, or the output's when there is none.
  template <class R, class F> R both(F f) {
    R r{};
    if (m_hDC && m_hDC != m_hAttribDC)
      r = f(m_hDC);
    if (m_hAttribDC)
      r = f(m_hAttribDC);
    return r;
  }
  bool m_bOwnDC = false; // m_hDC was created here
};

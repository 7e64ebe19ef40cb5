// A view: the child window that shows a document inside a frame. It joins the
// document of its creation context when created and leaves it when its window is
// gone; it paints through OnPrepareDC and OnDraw.
#pragma once

#include "framework/wnd.h"

class CDocument;
class CFrameWnd;

class CView : public CWnd {
public:
  CView() = default;
  ~CView() override;

  CDocument *GetDocument() const { return m_pDocument; }
  CFrameWnd *GetParentFrame() const;
  // The paint structure of the paint in progress (during OnDraw), else null.
  const PAINTSTRUCT *GetPaintStruct() const { return m_paint ? &m_paint->m_ps : nullptr; }

  virtual void OnPrepareDC(HDC) {}
  virtual void OnDraw(HDC) {}
  // OnUpdate with no hint.
  virtual void OnInitialUpdate();
  // Repaints the whole view.
  virtual void OnUpdate(CView *sender, LPARAM hint, CObject *hintObject);

  BOOL PreCreateWindow(CREATESTRUCTA &cs) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
  int OnCreate(LPCREATESTRUCTA cs) override;
  void OnPaint() override;
  // Leaves the document and deletes the object.
  void PostNcDestroy() override;

private:
  friend class CDocument;
  CDocument *m_pDocument = nullptr;
  CPaintDC *m_paint = nullptr;
};

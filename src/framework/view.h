// A view: the child window that shows a document inside a frame. It joins the
// document of its creation context when created and leaves it when its window is
// gone; it paints through OnPrepareDC and OnDraw.
#pragma once

#include <ole2.h>

#include "framework/wnd.h"

// The effect of a drop (DROPEFFECT_* bits).
typedef DWORD DROPEFFECT;

class CDocument;
class CFrameWnd;
class COleDataObject;
class COleDropTarget;

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

  // Drag and drop through a registered COleDropTarget; the point is in client
  // coordinates. By default nothing can be dropped.
  virtual DROPEFFECT OnDragEnter(COleDataObject *, DWORD, POINT) { return DROPEFFECT_NONE; }
  virtual DROPEFFECT OnDragOver(COleDataObject *, DWORD, POINT) { return DROPEFFECT_NONE; }
  virtual void OnDragLeave() {}
  virtual BOOL OnDrop(COleDataObject *, DROPEFFECT, POINT) { return FALSE; }

  BOOL PreCreateWindow(CREATESTRUCTA &cs) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
  int OnCreate(LPCREATESTRUCTA cs) override;
  void OnPaint() override;
  // Leaves the document and deletes the object.
  void PostNcDestroy() override;

private:
  friend class CDocument;
  friend class COleDropTarget;
  CDocument *m_pDocument = nullptr;
  COleDropTarget *m_pDropTarget = nullptr; // revoked when the window goes
  CPaintDC *m_paint = nullptr;
};

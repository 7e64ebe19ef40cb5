#include "framework/view.h"

#include "framework/doctempl.h"
#include "framework/document.h"
#include "framework/frame.h"
#include "framework/oledrop.h"

CView::~CView() {
  if (m_pDropTarget)
    m_pDropTarget->Revoke();
  if (m_pDocument)
    m_pDocument->RemoveView(this);
}

CFrameWnd *CView::GetParentFrame() const {
  for (HWND w = m_hWnd ? GetParent() : nullptr; w; w = ::GetParent(w))
    if (auto *frame = dynamic_cast<CFrameWnd *>(FromHandlePermanent(w)))
      return frame;
  return nullptr;
}

BOOL CView::PreCreateWindow(CREATESTRUCTA &cs) {
  if (!cs.lpszClass)
    cs.lpszClass = ChildClass();
  return TRUE;
}

LRESULT CView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITIALUPDATE) {
    OnInitialUpdate();
    return 0;
  }
  if (msg == WM_DESTROY && m_pDropTarget)
    m_pDropTarget->Revoke();
  return CWnd::WindowProc(msg, wp, lp);
}

int CView::OnCreate(LPCREATESTRUCTA cs) {
  if (CWnd::OnCreate(cs) == -1)
    return -1;
  auto *context = static_cast<CCreateContext *>(cs->lpCreateParams);
  if (context && context->m_pCurrentDoc)
    context->m_pCurrentDoc->AddView(this);
  return 0;
}

void CView::OnPaint() {
  CPaintDC dc(m_hWnd);
  struct Scope {
    CView *view;
    ~Scope() { view->m_paint = nullptr; }
  } scope{this};
  m_paint = &dc;
  OnPrepareDC(dc.m_hDC);
  OnDraw(dc.m_hDC);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView *, LPARAM, CObject *) { Invalidate(TRUE); }

void CView::PostNcDestroy() {
  if (m_pDocument)
    m_pDocument->RemoveView(this); // may close the document: this was its last view
  delete this;
}

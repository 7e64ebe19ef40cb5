#include "framework/frame.h"

#include <algorithm>

#include "framework/doctempl.h"
#include "framework/document.h"
#include "framework/view.h"
#include "framework/winapp.h"

const RECT rectDefault = {LONG(CW_USEDEFAULT), LONG(CW_USEDEFAULT), 0, 0};

namespace {

const char *frame_class(bool mdiChild) {
  static bool done[2];
  const char *name = mdiChild ? "InkFwMDIChild" : "InkFwFrame";
  if (!done[mdiChild]) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>((mdiChild ? COLOR_WINDOW : COLOR_APPWORKSPACE) + 1);
    wc.lpszClassName = name;
    done[mdiChild] = AfxRegisterClass(&wc);
  }
  return name;
}

void place(const RECT *r, int &x, int &y, int &cx, int &cy) {
  if (!r || r->left == LONG(CW_USEDEFAULT)) {
    x = y = cx = cy = CW_USEDEFAULT;
    return;
  }
  x = r->left, y = r->top, cx = r->right - r->left, cy = r->bottom - r->top;
}

} // namespace

// Frame -----------------------------------------------------------------------

CDocument *CFrameWnd::GetActiveDocument() const {
  CView *view = GetActiveView();
  return view ? view->GetDocument() : nullptr;
}

BOOL CFrameWnd::LoadFrame(UINT idResource, DWORD style, CWnd *parent, CCreateContext *context) {
  HMENU menu = LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(idResource));
  const BOOL ok =
      CreateEx(0, frame_class(false), "", style & ~(FWS_ADDTOTITLE | FWS_PREFIXTITLE), CW_USEDEFAULT, CW_USEDEFAULT,
               CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr, menu, context);
  if (!ok && menu)
    DestroyMenu(menu);
  return ok;
}

CCreateContext *CFrameWnd::ContextOf(LPCREATESTRUCTA cs) const {
  if (!cs || !cs->lpCreateParams)
    return nullptr;
  if (cs->dwExStyle & WS_EX_MDICHILD)
    return reinterpret_cast<CCreateContext *>(static_cast<MDICREATESTRUCTA *>(cs->lpCreateParams)->lParam);
  return static_cast<CCreateContext *>(cs->lpCreateParams);
}

int CFrameWnd::OnCreate(LPCREATESTRUCTA cs) {
  if (Default() == -1)
    return -1;
  if (!OnCreateClient(cs, ContextOf(cs)))
    return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext *context) {
  if (context && context->m_pNewViewClass)
    return CreateView(context) != nullptr;
  return TRUE;
}

CView *CFrameWnd::CreateView(CCreateContext *context, UINT id) {
  CView *view = context && context->m_pNewViewClass ? context->m_pNewViewClass() : nullptr;
  if (!view)
    return nullptr;
  const RECT none = {0, 0, 0, 0};
  // A view that fails to create has deleted itself.
  if (!view->Create(nullptr, "", WS_CHILD | WS_VISIBLE, none, this, id, context))
    return nullptr;
  if (!m_pViewActive)
    m_pViewActive = view;
  return view;
}

void CFrameWnd::InitialUpdateFrame(CDocument *, BOOL makeVisible) {
  if (!m_pViewActive)
    m_pViewActive = dynamic_cast<CView *>(FromHandlePermanent(GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)));
  if (makeVisible) {
    SendMessageToDescendants(WM_INITIALUPDATE);
    ActivateFrame();
  }
}

void CFrameWnd::ActivateFrame(int cmdShow) {
  ShowWindow(cmdShow == -1 ? SW_SHOW : cmdShow);
  BringWindowToTop(m_hWnd);
}

void CFrameWnd::RecalcLayout() {
  HWND pane = GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
  if (!pane)
    return;
  const RECT r = GetClientRect();
  MoveWindow(pane, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

BOOL CFrameWnd::RouteCommand(UINT id, int code) {
  if (CView *view = GetActiveView()) {
    if (view->OnCmdMsg(id, code))
      return TRUE;
    if (CDocument *doc = view->GetDocument(); doc && doc->OnCmdMsg(id, code))
      return TRUE;
  }
  return OnCmdMsg(id, code);
}

BOOL CFrameWnd::RouteCommandUI(CCmdUI *ui) {
  if (CView *view = GetActiveView(); view && view->OnUpdateCmdUI(ui))
    return TRUE;
  return OnUpdateCmdUI(ui);
}

void CFrameWnd::UpdateMenuCmdUI(HMENU popup) {
  const int n = GetMenuItemCount(popup);
  for (int i = 0; i < n; i++) {
    const UINT id = GetMenuItemID(popup, i);
    if (id == 0 || id == UINT(-1))
      continue; // separators and sub-menus
    CCmdUI ui(id, popup);
    RouteCommandUI(&ui);
  }
}

void CFrameWnd::OnSize(UINT type, int, int) {
  Default();
  if (type != SIZE_MINIMIZED)
    RecalcLayout();
}

void CFrameWnd::OnSetFocus(HWND) {
  Default();
  if (m_pViewActive && IsWindow(m_pViewActive->m_hWnd))
    m_pViewActive->SetFocus();
}

void CFrameWnd::OnClose() {
  CDocument *doc = GetActiveDocument();
  if (doc && !doc->CanCloseFrame(this))
    return;
  CWinApp *app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    if (!app->SaveAllModified())
      return;
    app->CloseAllDocuments(FALSE);
    DestroyWindow();
    return;
  }
  if (doc && doc->m_bAutoDelete) {
    const auto &views = doc->GetViews();
    const bool other =
        std::any_of(views.begin(), views.end(), [this](CView *v) { return v->GetParentFrame() != this; });
    doc->PreCloseFrame(this);
    if (!other) {
      doc->OnCloseDocument(); // destroys this frame too
      return;
    }
  }
  DestroyWindow();
}

BOOL CFrameWnd::OnCommand(WPARAM wp, LPARAM) { return RouteCommand(LOWORD(wp), HIWORD(wp)); }

// MDI frame -------------------------------------------------------------------

BOOL CMDIFrameWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT &rect, CWnd *parent, UINT menuId,
                          DWORD exStyle) {
  HMENU menu = nullptr;
  if (menuId) {
    menu = LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(menuId));
    if (!menu) {
      PostNcDestroy();
      return FALSE;
    }
  }
  int x, y, cx, cy;
  place(&rect, x, y, cx, cy);
  const BOOL ok = CreateEx(exStyle, className ? className : frame_class(false), title, style, x, y, cx, cy,
                           parent ? parent->m_hWnd : nullptr, menu);
  if (!ok && menu)
    DestroyMenu(menu);
  return ok;
}

CMDIChildWnd *CMDIFrameWnd::MDIGetActive() const {
  if (!m_hWndMDIClient)
    return nullptr;
  HWND active = reinterpret_cast<HWND>(::SendMessageA(m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<CMDIChildWnd *>(FromHandlePermanent(active));
}

CView *CMDIFrameWnd::GetActiveView() const {
  CMDIChildWnd *child = MDIGetActive();
  return child ? child->GetActiveView() : nullptr;
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  return DefFrameProcA(m_hWnd, m_hWndMDIClient, msg, wp, lp);
}

void CMDIFrameWnd::OnSize(UINT, int, int) { Default(); }

BOOL CMDIFrameWnd::OnCommand(WPARAM wp, LPARAM) {
  if (CMDIChildWnd *child = MDIGetActive(); child && child->RouteCommand(LOWORD(wp), HIWORD(wp)))
    return TRUE;
  return OnCmdMsg(LOWORD(wp), HIWORD(wp));
}

// MDI child -------------------------------------------------------------------

BOOL CMDIChildWnd::PreCreateWindow(CREATESTRUCTA &cs) {
  if (!cs.lpszClass)
    cs.lpszClass = frame_class(true);
  return TRUE;
}

BOOL CMDIChildWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT *rect, CMDIFrameWnd *parent,
                          CCreateContext *context) {
  CMDIFrameWnd *frame = parent ? parent : dynamic_cast<CMDIFrameWnd *>(AfxGetMainWnd());
  if (!frame || !frame->m_hWndMDIClient) {
    PostNcDestroy();
    return FALSE;
  }
  m_pMDIFrame = frame;
  CREATESTRUCTA cs = {};
  cs.lpszClass = className;
  cs.lpszName = title ? title : "";
  cs.style = LONG(style);
  place(rect, cs.x, cs.y, cs.cx, cs.cy);
  cs.hwndParent = frame->m_hWndMDIClient;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = context;
  cs.dwExStyle = WS_EX_MDICHILD;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  MDICREATESTRUCTA mcs = {};
  mcs.szClass = cs.lpszClass;
  mcs.szTitle = cs.lpszName;
  mcs.hOwner = cs.hInstance;
  mcs.x = cs.x, mcs.y = cs.y, mcs.cx = cs.cx, mcs.cy = cs.cy;
  // No automatic titles: the title bits are ours, not the window's.
  mcs.style = DWORD(cs.style) & ~(FWS_ADDTOTITLE | FWS_PREFIXTITLE);
  mcs.lParam = reinterpret_cast<LPARAM>(cs.lpCreateParams);
  BeginCreate(cs.lpszClass);
  HWND wnd = reinterpret_cast<HWND>(::SendMessageA(frame->m_hWndMDIClient, WM_MDICREATE, 0, LPARAM(&mcs)));
  const bool attached = EndCreate();
  if (!wnd) {
    if (!attached)
      PostNcDestroy();
    return FALSE;
  }
  return TRUE;
}

BOOL CMDIChildWnd::LoadFrame(UINT, DWORD style, CWnd *parent, CCreateContext *context) {
  return Create(nullptr, "", style, nullptr, dynamic_cast<CMDIFrameWnd *>(parent), context);
}

void CMDIChildWnd::ActivateFrame(int cmdShow) {
  ShowWindow(cmdShow == -1 ? SW_SHOW : cmdShow);
  if (HWND client = GetParent())
    ::SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CMDIChildWnd::DestroyWindow() {
  HWND client = m_hWnd ? GetParent() : nullptr;
  if (!client)
    return CWnd::DestroyWindow();
  ::SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
  return TRUE;
}

LRESULT CMDIChildWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) { return DefMDIChildProcA(m_hWnd, msg, wp, lp); }

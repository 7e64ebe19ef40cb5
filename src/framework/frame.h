// Frame windows: the MDI main frame and the MDI child frames that hold the views.
// The program makes the MDI client itself and stores it in m_hWndMDIClient; menus
// are not swapped when children activate and frames never set their own titles.
#pragma once

#include "framework/wnd.h"

class CDocument;
class CView;

// Frame-title style bits of the create structure; no frame acts on them.
constexpr DWORD FWS_ADDTOTITLE = 0x8000;
constexpr DWORD FWS_PREFIXTITLE = 0x4000;
// Child id of a frame's view.
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

// Lets Windows choose the place and size.
extern const RECT rectDefault;

class CFrameWnd : public CWnd {
public:
  virtual CView *GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView *view) { m_pViewActive = view; }
  CDocument *GetActiveDocument() const;
  // Creates the window for a template (MDI children override this).
  virtual BOOL LoadFrame(UINT idResource, DWORD style, CWnd *parent, CCreateContext *context);
  // Makes the context's view as a child filling the client area.
  CView *CreateView(CCreateContext *context, UINT id = AFX_IDW_PANE_FIRST);
  // Picks the active view; when visible, sends WM_INITIALUPDATE to the views and activates the frame.
  void InitialUpdateFrame(CDocument *doc, BOOL makeVisible);
  virtual void ActivateFrame(int cmdShow = -1);
  // Lays the view over the whole client area.
  virtual void RecalcLayout();
  // A command offered to the active view, its document, then this frame.
  BOOL RouteCommand(UINT id, int code);
  // The menu state of a command, asked along the same road; TRUE when answered.
  BOOL RouteCommandUI(CCmdUI *ui);
  // Every item of the popup with a command id is asked along that road.
  void UpdateMenuCmdUI(HMENU popup);

protected:
  virtual BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext *context);
  int OnCreate(LPCREATESTRUCTA cs) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnSetFocus(HWND oldWnd) override;
  // Closes the document when this is its last frame (asking to save), else only the frame.
  void OnClose() override;
  BOOL OnCommand(WPARAM wp, LPARAM lp) override;
  // Frames delete themselves.
  void PostNcDestroy() override { delete this; }
  // The context of the creation in progress.
  CCreateContext *ContextOf(LPCREATESTRUCTA cs) const;

  CView *m_pViewActive = nullptr;
};

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
public:
  // menuId 0 for none; a menu that does not load fails the creation.
  BOOL Create(LPCSTR className, LPCSTR title, DWORD style, const RECT &rect, CWnd *parent, UINT menuId,
              DWORD exStyle = 0);
  CMDIChildWnd *MDIGetActive() const;
  CView *GetActiveView() const override;
  LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  HWND m_hWndMDIClient = nullptr;

protected:
  BOOL OnCreateClient(LPCREATESTRUCTA, CCreateContext *) override { return TRUE; }
  void OnSize(UINT type, int cx, int cy) override;
  void OnSetFocus(HWND) override { Default(); }
  BOOL OnCommand(WPARAM wp, LPARAM lp) override;
};

class CMDIChildWnd : public CFrameWnd {
public:
  // Created through WM_MDICREATE in the main frame's MDI client (parent null: the
  // application's main window).
  BOOL Create(LPCSTR className, LPCSTR title, DWORD style, const RECT *rect, CMDIFrameWnd *parent,
              CCreateContext *context);
  BOOL LoadFrame(UINT idResource, DWORD style, CWnd *parent, CCreateContext *context) override;
  BOOL PreCreateWindow(CREATESTRUCTA &cs) override;
  void ActivateFrame(int cmdShow = -1) override;
  CMDIFrameWnd *GetMDIFrame() const { return m_pMDIFrame; }
  // Through the MDI client, which keeps its list of children right.
  BOOL DestroyWindow() override;
  LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

protected:
  CMDIFrameWnd *m_pMDIFrame = nullptr;
};

// Window objects over raw Win32. Each object owns one window: the framework keeps
// an HWND -> object table (never the window's user data, which the program uses)
// and routes the window's messages to the virtual WindowProc, whose default calls
// the On... handlers; a handler's default passes the message on with Default().
// No exception leaves a window procedure.
#pragma once

#include <windows.h>

#include "framework/object.h"

struct CCreateContext;

// The state of a menu item of a command, asked of the command's handlers before the
// menu opens: a handler that answers calls Enable and SetCheck.
class CCmdUI {
public:
  CCmdUI(UINT id, HMENU menu = nullptr) : m_nID(id), m_pMenu(menu) {}
  virtual ~CCmdUI() = default;
  virtual void Enable(BOOL on = TRUE);
  virtual void SetCheck(int check = 1);

  UINT m_nID;
  HMENU m_pMenu; // the item's menu, or none (the state is only kept)
  BOOL m_bEnabled = TRUE;
  int m_nCheck = 0;
  BOOL m_bHandled = FALSE; // a handler answered
};

// Sent to a frame's descendants when it gets its first update (as MFC does).
constexpr UINT WM_INITIALUPDATE = 0x0364;

class CWnd : public CObject {
public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd &) = delete;
  CWnd &operator=(const CWnd &) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object that owns the window; null for windows the framework does not own.
  static CWnd *FromHandlePermanent(HWND wnd);

  // Creates the window and attaches this object before its first message. On
  // failure the object may already be gone (PostNcDestroy of self-deleting classes).
  virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int cx, int cy,
                        HWND parent, HMENU menuOrId, LPVOID param = nullptr);
  // A child window with id; className null takes the framework's plain class.
  virtual BOOL Create(LPCSTR className, LPCSTR title, DWORD style, const RECT &rect, CWnd *parent, UINT id,
                      CCreateContext *context = nullptr);
  // Adjusts the creation of the window; FALSE cancels it.
  virtual BOOL PreCreateWindow(CREATESTRUCTA &cs);
  // Takes over an existing window (its procedure is kept for Default()).
  BOOL SubclassWindow(HWND wnd);
  virtual BOOL DestroyWindow();

  // The message being handled goes on to the window's default processing.
  LRESULT Default();
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
  // Last call for the object after its window is gone.
  virtual void PostNcDestroy() {}
  // A command routed here by a frame; TRUE when handled.
  virtual BOOL OnCmdMsg(UINT id, int code);
  // The menu state of a command routed here; TRUE when this object answered.
  virtual BOOL OnUpdateCmdUI(CCmdUI *) { return FALSE; }

  LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(m_hWnd, msg, wp, lp); }
  BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageA(m_hWnd, msg, wp, lp); }
  void SendMessageToDescendants(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
  BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
  void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
  void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
  RECT GetClientRect() const;
  HWND SetFocus() const { return ::SetFocus(m_hWnd); }
  HWND GetParent() const { return ::GetParent(m_hWnd); }

protected:
  virtual int OnCreate(LPCREATESTRUCTA cs);
  virtual void OnDestroy();
  virtual void OnClose();
  virtual void OnSize(UINT type, int cx, int cy);
  virtual void OnSetFocus(HWND oldWnd);
  virtual void OnKillFocus(HWND newWnd);
  virtual BOOL OnSetCursor(HWND wnd, UINT hitTest, UINT message);
  virtual BOOL OnEraseBkgnd(HDC dc);
  virtual void OnPaint();
  virtual void OnTimer(UINT_PTR id);
  virtual void OnMouseMove(UINT flags, POINT pt);
  virtual void OnLButtonDown(UINT flags, POINT pt);
  virtual void OnLButtonUp(UINT flags, POINT pt);
  virtual void OnLButtonDblClk(UINT flags, POINT pt);
  virtual void OnRButtonDown(UINT flags, POINT pt);
  virtual void OnRButtonUp(UINT flags, POINT pt);
  virtual void OnMButtonDown(UINT flags, POINT pt);
  virtual void OnMButtonUp(UINT flags, POINT pt);
  virtual BOOL OnMouseWheel(UINT flags, short delta, POINT pt); // pt in screen coordinates
  virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
  virtual void OnKeyUp(UINT key, UINT repeat, UINT flags);
  virtual void OnChar(UINT ch, UINT repeat, UINT flags);
  virtual void OnHScroll(UINT code, UINT pos, HWND scrollBar);
  virtual void OnVScroll(UINT code, UINT pos, HWND scrollBar);
  // TRUE when handled; FALSE lets the message go on to Default().
  virtual BOOL OnCommand(WPARAM wp, LPARAM lp);
  virtual void OnSysCommand(UINT id, LPARAM lp);
  virtual void OnPaletteChanged(HWND changer);
  virtual BOOL OnQueryNewPalette();
  virtual void OnDropFiles(HDROP drop);
  virtual void OnInitMenu(HMENU menu);
  virtual void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);

  // Framework class of child windows (views and plain windows).
  static const char *ChildClass();
  // Around a creation that is not a CreateWindowEx of ours (WM_MDICREATE): the
  // window of className made in between is attached to this object. EndCreate is
  // true when that happened.
  void BeginCreate(LPCSTR className);
  bool EndCreate();
  // The procedure the window had before the framework took it.
  WNDPROC m_prevWndProc = nullptr;

private:
  friend struct WndRouter;
  struct Message {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  } m_current{};
};

// BeginPaint / EndPaint around a scope.
class CPaintDC {
public:
  explicit CPaintDC(HWND wnd) : m_hWnd(wnd), m_hDC(::BeginPaint(wnd, &m_ps)) {}
  ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
  CPaintDC(const CPaintDC &) = delete;
  CPaintDC &operator=(const CPaintDC &) = delete;
  HWND m_hWnd;
  PAINTSTRUCT m_ps{};
  HDC m_hDC;
};

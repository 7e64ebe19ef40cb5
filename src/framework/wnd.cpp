#include "framework/wnd.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <unordered_map>

#include "framework/except.h"
#include "framework/winapp.h"

namespace {

// The windows the framework owns. One GUI thread, so no lock.
std::unordered_map<HWND, CWnd *> &handle_map() {
  static std::unordered_map<HWND, CWnd *> map;
  return map;
}

// The object waiting for the window being created, and the class it asked for;
// the creation hook attaches it to the first window of that class.
CWnd *pending = nullptr;
char pending_class[256];
HHOOK cbt_hook = nullptr;
int hook_depth = 0;

bool same_class(HWND wnd, const char *name) {
  char actual[256];
  return GetClassNameA(wnd, actual, sizeof actual) > 0 && lstrcmpiA(actual, name) == 0;
}

} // namespace

// Everything that touches the private parts of CWnd from the outside.
struct WndRouter {
  static LRESULT CALLBACK proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK cbt(int code, WPARAM wp, LPARAM lp);
  static void attach(CWnd *obj, HWND wnd) {
    obj->m_hWnd = wnd;
    handle_map()[wnd] = obj;
    obj->m_prevWndProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&proc)));
  }
  static void detach(CWnd *obj) {
    HWND wnd = obj->m_hWnd;
    if (!wnd)
      return;
    if (GetWindowLongPtrA(wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&proc) && obj->m_prevWndProc)
      SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(obj->m_prevWndProc));
    handle_map().erase(wnd);
    obj->m_hWnd = nullptr;
  }
  // The result a message gets when its handler threw.
  static LRESULT failed(HWND wnd, UINT msg, const CException *e, const char *what) {
    CString text;
    if (!e || e->GetErrorMessage(text)) {
      if (text.IsEmpty())
        text = "内部エラーが発生しました。";
      std::fprintf(stderr, "exception in window procedure (message 0x%04X)%s%s\n", msg, what ? ": " : "",
                   what ? what : "");
      AfxMessageBox(text, MB_OK | MB_ICONSTOP);
    }
    if (msg == WM_CREATE)
      return -1;
    if (msg == WM_PAINT)
      ValidateRect(wnd, nullptr); // or the paint comes back for ever
    return 0;
  }
  static LRESULT call(CWnd *obj, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    const CWnd::Message saved = obj->m_current;
    obj->m_current = {msg, wp, lp};
    LRESULT r;
    try {
      r = obj->WindowProc(msg, wp, lp);
    } catch (const CException &e) {
      r = failed(wnd, msg, &e, nullptr);
    } catch (const std::exception &e) {
      r = failed(wnd, msg, nullptr, e.what());
    } catch (...) {
      r = failed(wnd, msg, nullptr, nullptr);
    }
    obj->m_current = saved;
    return r;
  }
  static void hook(CWnd *obj, LPCSTR className) {
    pending = obj;
    lstrcpynA(pending_class, IS_INTRESOURCE(className) ? "" : className, sizeof pending_class);
    if (hook_depth++ == 0)
      cbt_hook = SetWindowsHookExA(WH_CBT, &cbt, nullptr, GetCurrentThreadId());
  }
  // True when the object was attached to a window.
  static bool unhook(CWnd *obj) {
    const bool attached = pending != obj;
    if (!attached)
      pending = nullptr;
    if (--hook_depth == 0 && cbt_hook) {
      UnhookWindowsHookEx(cbt_hook);
      cbt_hook = nullptr;
    }
    return attached;
  }
};

LRESULT CALLBACK WndRouter::cbt(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND && pending) {
    HWND wnd = reinterpret_cast<HWND>(wp);
    if (!pending_class[0] || same_class(wnd, pending_class)) {
      CWnd *obj = pending;
      pending = nullptr;
      attach(obj, wnd);
    }
  }
  return CallNextHookEx(cbt_hook, code, wp, lp);
}

LRESULT CALLBACK WndRouter::proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto it = handle_map().find(wnd);
  if (it == handle_map().end())
    return DefWindowProcA(wnd, msg, wp, lp);
  CWnd *obj = it->second;
  const LRESULT r = call(obj, wnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    detach(obj);
    CWinApp *app = AfxGetApp();
    if (app && app->m_pMainWnd == obj) {
      app->m_pMainWnd = nullptr;
      PostQuitMessage(0);
    }
    try {
      obj->PostNcDestroy();
    } catch (...) {
      std::fprintf(stderr, "exception after a window was destroyed\n");
    }
  }
  return r;
}

CWnd::~CWnd() {
  if (m_hWnd) {
    // The object goes first, so the window's last messages find no half-destroyed object.
    HWND wnd = m_hWnd;
    WndRouter::detach(this);
    ::DestroyWindow(wnd);
  }
}

CWnd *CWnd::FromHandlePermanent(HWND wnd) {
  auto it = handle_map().find(wnd);
  return it == handle_map().end() ? nullptr : it->second;
}

const char *CWnd::ChildClass() {
  static const char name[] = "InkFwWnd";
  static bool done = false;
  if (!done) {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    done = AfxRegisterClass(&wc);
  }
  return name;
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTA &cs) {
  if (!cs.lpszClass)
    cs.lpszClass = ChildClass();
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int cx, int cy,
                    HWND parent, HMENU menuOrId, LPVOID param) {
  CREATESTRUCTA cs = {};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = title;
  cs.style = LONG(style);
  cs.x = x, cs.y = y, cs.cx = cx, cs.cy = cy;
  cs.hwndParent = parent;
  cs.hMenu = menuOrId;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = param;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  WndRouter::hook(this, cs.lpszClass);
  HWND wnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, DWORD(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                             cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  const bool attached = WndRouter::unhook(this);
  if (!wnd) {
    // A window that was attached and then failed has already had its PostNcDestroy.
    if (!attached)
      PostNcDestroy();
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT &r, CWnd *parent, UINT id,
                  CCreateContext *context) {
  return CreateEx(0, className, title, style | WS_CHILD, r.left, r.top, r.right - r.left, r.bottom - r.top,
                  parent ? parent->m_hWnd : nullptr, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), context);
}

void CWnd::BeginCreate(LPCSTR className) { WndRouter::hook(this, className); }
bool CWnd::EndCreate() { return WndRouter::unhook(this); }

BOOL CWnd::SubclassWindow(HWND wnd) {
  if (!IsWindow(wnd) || m_hWnd || FromHandlePermanent(wnd))
    return FALSE;
  WndRouter::attach(this, wnd);
  return TRUE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

LRESULT CWnd::Default() { return m_hWnd ? DefWindowProc(m_current.msg, m_current.wp, m_current.lp) : 0; }

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (m_prevWndProc)
    return CallWindowProcA(m_prevWndProc, m_hWnd, msg, wp, lp);
  return ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

BOOL CWnd::OnCmdMsg(UINT, int) { return FALSE; }

void CCmdUI::Enable(BOOL on) {
  m_bEnabled = on;
  m_bHandled = TRUE;
  if (m_pMenu)
    EnableMenuItem(m_pMenu, m_nID, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void CCmdUI::SetCheck(int check) {
  m_nCheck = check;
  m_bHandled = TRUE;
  if (m_pMenu)
    CheckMenuItem(m_pMenu, m_nID, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
}

void CWnd::SendMessageToDescendants(UINT msg, WPARAM wp, LPARAM lp) const {
  struct Args {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  } args{msg, wp, lp};
  EnumChildWindows(
      m_hWnd,
      [](HWND child, LPARAM p) -> BOOL {
        auto *a = reinterpret_cast<Args *>(p);
        ::SendMessageA(child, a->msg, a->wp, a->lp);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&args));
}

RECT CWnd::GetClientRect() const {
  RECT r = {};
  ::GetClientRect(m_hWnd, &r);
  return r;
}

namespace {
POINT point_of(LPARAM lp) { return POINT{short(LOWORD(lp)), short(HIWORD(lp))}; }
} // namespace

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_CREATE:
    return OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lp));
  case WM_DESTROY:
    OnDestroy();
    return 0;
  case WM_CLOSE:
    OnClose();
    return 0;
  case WM_SIZE:
    OnSize(UINT(wp), short(LOWORD(lp)), short(HIWORD(lp)));
    return 0;
  case WM_SETFOCUS:
    OnSetFocus(reinterpret_cast<HWND>(wp));
    return 0;
  case WM_KILLFOCUS:
    OnKillFocus(reinterpret_cast<HWND>(wp));
    return 0;
  case WM_SETCURSOR:
    return OnSetCursor(reinterpret_cast<HWND>(wp), LOWORD(lp), HIWORD(lp));
  case WM_ERASEBKGND:
    return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
  case WM_PAINT:
    OnPaint();
    return 0;
  case WM_TIMER:
    OnTimer(wp);
    return 0;
  case WM_MOUSEMOVE:
    OnMouseMove(UINT(wp), point_of(lp));
    return 0;
  case WM_LBUTTONDOWN:
    OnLButtonDown(UINT(wp), point_of(lp));
    return 0;
  case WM_LBUTTONUP:
    OnLButtonUp(UINT(wp), point_of(lp));
    return 0;
  case WM_LBUTTONDBLCLK:
    OnLButtonDblClk(UINT(wp), point_of(lp));
    return 0;
  case WM_RBUTTONDOWN:
    OnRButtonDown(UINT(wp), point_of(lp));
    return 0;
  case WM_RBUTTONUP:
    OnRButtonUp(UINT(wp), point_of(lp));
    return 0;
  case WM_MBUTTONDOWN:
    OnMButtonDown(UINT(wp), point_of(lp));
    return 0;
  case WM_MBUTTONUP:
    OnMButtonUp(UINT(wp), point_of(lp));
    return 0;
  case WM_MOUSEWHEEL:
    return OnMouseWheel(GET_KEYSTATE_WPARAM(wp), GET_WHEEL_DELTA_WPARAM(wp), point_of(lp));
  case WM_KEYDOWN:
    OnKeyDown(UINT(wp), LOWORD(lp), HIWORD(lp));
    return 0;
  case WM_KEYUP:
    OnKeyUp(UINT(wp), LOWORD(lp), HIWORD(lp));
    return 0;
  case WM_CHAR:
    OnChar(UINT(wp), LOWORD(lp), HIWORD(lp));
    return 0;
  case WM_HSCROLL:
    OnHScroll(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
    return 0;
  case WM_VSCROLL:
    OnVScroll(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
    return 0;
  case WM_COMMAND:
    return OnCommand(wp, lp) ? 0 : Default();
  case WM_SYSCOMMAND:
    OnSysCommand(UINT(wp), lp);
    return 0;
  case WM_PALETTECHANGED:
    OnPaletteChanged(reinterpret_cast<HWND>(wp));
    return 0;
  case WM_QUERYNEWPALETTE:
    return OnQueryNewPalette();
  case WM_DROPFILES:
    OnDropFiles(reinterpret_cast<HDROP>(wp));
    return 0;
  case WM_INITMENU:
    OnInitMenu(reinterpret_cast<HMENU>(wp));
    return 0;
  case WM_INITMENUPOPUP:
    OnInitMenuPopup(reinterpret_cast<HMENU>(wp), LOWORD(lp), HIWORD(lp));
    return 0;
  default:
    return Default();
  }
}

int CWnd::OnCreate(LPCREATESTRUCTA) { return int(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnSetFocus(HWND) { Default(); }
void CWnd::OnKillFocus(HWND) { Default(); }
BOOL CWnd::OnSetCursor(HWND, UINT, UINT) { return BOOL(Default()); }
BOOL CWnd::OnEraseBkgnd(HDC) { return BOOL(Default()); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnMouseMove(UINT, POINT) { Default(); }
void CWnd::OnLButtonDown(UINT, POINT) { Default(); }
void CWnd::OnLButtonUp(UINT, POINT) { Default(); }
void CWnd::OnLButtonDblClk(UINT, POINT) { Default(); }
void CWnd::OnRButtonDown(UINT, POINT) { Default(); }
void CWnd::OnRButtonUp(UINT, POINT) { Default(); }
void CWnd::OnMButtonDown(UINT, POINT) { Default(); }
void CWnd::OnMButtonUp(UINT, POINT) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, POINT) { return BOOL(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnHScroll(UINT, UINT, HWND) { Default(); }
void CWnd::OnVScroll(UINT, UINT, HWND) { Default(); }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnPaletteChanged(HWND) { Default(); }
BOOL CWnd::OnQueryNewPalette() { return BOOL(Default()); }
void CWnd::OnDropFiles(HDROP) { Default(); }
void CWnd::OnInitMenu(HMENU) { Default(); }
void CWnd::OnInitMenuPopup(HMENU, UINT, BOOL) { Default(); }

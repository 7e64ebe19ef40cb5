#include "shell/app/mainframe.h"

#include <shellapi.h>

#include <vector>

#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/cmdl/menurec.h"
#include "commands/view/viewcmd.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/fonts/fontfile.h"
#include "display/view/gdi.h"
#include "display/marks/grid.h"
#include "display/masks/hidmask.h"
#include "display/marks/marklist.h"
#include "display/view/view.h"
#include "files/filecmd.h"
#include "ole/oleupdate.h"
#include "settings/msgfile.h"
#include "shell/app/app.h"
#include "settings/appwin.h"
#include "shell/units/help.h"
#include "shell/units/menufile.h"
#include "shell/units/msgwin.h"
#include "shell/units/panel.h"
#include "shell/units/toolbar.h"
#include "shell/units/toolwin.h"
#include "shell/units/units.h"
#include "shell/drawwin/viewwin.h"
#include "shell/app/winpos.h"

namespace {

constexpr int UNIT_DISP = 5, UNIT_FILE = 6;

int grid_mode() {
  GridRecord g{};
  return grd_rec('R', uint32_t(dwg_cur()), &g) == 0 ? int(g.mode) : 0;
}

// End the running commands from level, bring the embedded-object selection up to
// date, and place the request.
void request(int level, CmdHandler h, int number = -1, CmdNotifier note = nullptr, bool update = true) {
  cmd_cancel(level);
  if (update)
    OleUpdateSelected();
  cmd_request(level, h, number, note);
}

void tool_note(int32_t slot, int32_t on) { tool_press(slot, on); }

// A view command on level 3: tool-bar notify while the display bar is shown, else the tool window's.
void view_request(CmdHandler h, int command) {
  cmd_cancel(3);
  if (pnl_shown(UNIT_DISP))
    cmd_request(3, h, command, tbar_check);
  else
    cmd_request(3, h, cmd_toolslot(command), tool_note);
}

// A file command on level 0: tool-bar notify while the file bar is shown.
void file_request(CmdHandler h, int command) {
  if (pnl_shown(UNIT_FILE))
    request(0, h, command, tbar_check);
  else
    request(0, h);
}

void undo_redo(CmdHandler h, int command) {
  cmd_cancel(4);
  if (pnl_shown(UNIT_FILE)) {
    cmd_request(4, h, command, tbar_check);
    return;
  }
  // At once, with the panel's own button shown pressed meanwhile.
  const int button = command == 405 ? 0 : 1;
  vwin_cursor(nullptr, 2, -1, -1);
  pnl_press(button, 1);
  h();
  pnl_press(button, 0);
  if (HWND w = vwin_active())
    SetFocus(w);
}

int32_t h_new() { return fil_newcmd(); }
int32_t h_open() { return fil_opencmd(); }
int32_t h_close() { return fil_closecmd(); }
int32_t h_save() { return fil_savecmd(); }
int32_t h_reg() { return fil_regcmd(); }

} // namespace

CMainFrame::~CMainFrame() {
  if (m_palette)
    DeleteObject(m_palette);
}

int CMainFrame::OnCreate(LPCREATESTRUCTA cs) { return CMDIFrameWnd::OnCreate(cs) == -1 ? -1 : 0; }

int CMainFrame::RealizeFramePalette(BOOL background) {
  if (!m_palette)
    return 0;
  HDC dc = GetDC(m_hWnd);
  HPALETTE old = SelectPalette(dc, m_palette, background);
  const UINT changed = RealizePalette(dc);
  SelectPalette(dc, old, TRUE);
  ReleaseDC(m_hWnd, dc);
  if (changed)
    InvalidateRect(m_hWnd, nullptr, TRUE);
  return 1;
}

void CMainFrame::OnPaletteChanged(HWND changer) {
  CMDIFrameWnd::OnPaletteChanged(changer);
  if (changer != m_hWnd)
    RealizeFramePalette(TRUE);
}

BOOL CMainFrame::OnQueryNewPalette() {
  if (CMDIFrameWnd::OnQueryNewPalette())
    return 1;
  return RealizeFramePalette(FALSE);
}

void CMainFrame::OnDropFiles(HDROP drop) {
  const UINT n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<char> name(256);
  for (UINT i = n; i-- > 0;) {
    // Names are cut to 255 bytes.
    if (DragQueryFileA(drop, i, name.data(), UINT(name.size())))
      fil_open(1, name.data());
  }
  DragFinish(drop);
}

void CMainFrame::EnableSubMenu(HMENU menu, UINT flags) {
  if (!menu)
    return;
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; i++) {
    EnableMenuItem(menu, UINT(i), MF_BYPOSITION | flags);
    if (HMENU sub = GetSubMenu(menu, i))
      EnableSubMenu(sub, flags);
  }
}

void CMainFrame::OnInitMenu(HMENU bar) {
  BOOL maximised = FALSE;
  HWND active = m_hWndMDIClient ? reinterpret_cast<HWND>(::SendMessageA(m_hWndMDIClient, WM_MDIGETACTIVE, 0,
                                                                        reinterpret_cast<LPARAM>(&maximised)))
                                : nullptr;
  const bool none = active == nullptr;
  const int shift = active && maximised ? 1 : 0;
  const UINT on = MF_ENABLED, off = MF_GRAYED;
  auto item = [&](UINT id, bool enable) { EnableMenuItem(bar, id, MF_BYCOMMAND | (enable ? on : off)); };
  EnableSubMenu(GetSubMenu(bar, 0 + shift), none ? off : on);
  item(10100, true);
  item(10101, true);
  item(10106, !none);
  item(10105, true);
  for (UINT id = 17000; id <= 17004; id++)
    item(id, true);
  item(10109, !none && dwg_cansave());
  item(10103, !none);
  item(10104, !none);
  EnableSubMenu(GetSubMenu(bar, 1 + shift), none ? off : on);
  for (UINT id : {103u, 105u, 107u, 108u})
    item(id, !none);
  EnableSubMenu(GetSubMenu(bar, 2 + shift), none ? off : on);
  item(112, true);
  EnableSubMenu(GetSubMenu(bar, 3 + shift), none ? off : on);
  EnableSubMenu(GetSubMenu(bar, 4 + shift), none ? off : on);
  item(10407, true);
  const int mode = grid_mode();
  const UINT checked = mode == 1 ? 142 : mode == 2 ? 786 : 143;
  for (UINT id : {142u, 786u, 143u})
    CheckMenuItem(bar, id, MF_BYCOMMAND | (id == checked ? MF_CHECKED : MF_UNCHECKED));
  item(141, mode == 1 || mode == 2);
  item(10901, true);
  item(10903, true);
}

void CMainFrame::OnInitMenuPopup(HMENU popup, UINT, BOOL sysMenu) {
  if (sysMenu)
    return;
  if (CMDIChildWnd *child = MDIGetActive())
    child->UpdateMenuCmdUI(popup);
}

LRESULT CMainFrame::DispatchCommand(HWND frame, WPARAM command, LPARAM lp) {
  const UINT id = LOWORD(command);
  switch (id) {
  case 103:
    view_request(cm_origview, 516);
    return 0;
  case 105:
    view_request(cm_redraw, 515);
    return 0;
  case 107:
    view_request(cm_zoomin, 504);
    return 0;
  case 108:
    view_request(cm_zoomout, 505);
    return 0;
  case 112:
    cmd_cancel(0);
    OleUpdateSelected();
    pnl_unitcmd();
    return 0;
  case 120:
    request(0, cm_prevview);
    return 0;
  case 121:
    request(0, cm_sheetrst);
    return 0;
  case 141:
    if (grid_mode() != 0)
      request(0, cm_gridorg);
    return 0;
  case 142:
    request(3, cm_gridena);
    return 0;
  case 143:
    request(3, cm_griddis);
    return 0;
  case 786:
    request(3, cm_gridsnap);
    return 0;
  case 10100:
    file_request(h_new, 300);
    return 0;
  case 10101:
    file_request(h_open, 301);
    return 0;
  case 10103:
    request(0, h_reg);
    return 0;
  case 10105:
    cmd_cancel(0);
    OleUpdateSelected();
    ::SendMessageA(frame, WM_CLOSE, 0, 0);
    return 1;
  case 10106:
    request(0, h_close);
    return 0;
  case 10109:
    file_request(h_save, 330);
    return 0;
  case 10200:
    undo_redo(und_cmd, 405);
    return 0;
  case 10201:
    undo_redo(rdo_cmd, 406);
    return 0;
  case 10401:
    request(0, cm_griddlg);
    return 0;
  case 10404:
    request(0, cm_sheetset);
    return 0;
  case 10407:
    request(0, dlg_syscmd, 755);
    return 0;
  case 10901:
    cmd_cancel(0);
    OleUpdateSelected();
    hlp_open(frame, 1);
    return 0;
  case 10903:
    cmd_cancel(0);
    OleUpdateSelected();
    DialogBoxParamA(app_hinst(), "ABOUTBOX", frame, about_proc, 0);
    return 0;
  case 61536:
    ::SendMessageA(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  case 60000:
  case 60012:
  case 60013:
  case 60014:
    // Object commands belong to the active drawing window's view.
    if (auto *main = dynamic_cast<CMDIFrameWnd *>(CWnd::FromHandlePermanent(frame)))
      if (CMDIChildWnd *child = main->MDIGetActive())
        child->RouteCommand(id, HIWORD(command));
    return 0;
  default:
    break;
  }
  fil_openmru(int(id) - 17000);
  if (id < 18000) {
    if (cmd_menurun(int(id) - MNU_ID))
      return 0;
    if (mnu_run(int(id) - MNU_ID))
      return 0;
    if (command == 16009)
      return 0;
  }
  return DefFrameProcA(frame, app_hmdi(), WM_COMMAND, command, lp);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
  case WM_CREATE:
    DragAcceptFiles(m_hWnd, TRUE);
    break;
  case WM_DESTROY:
    DragAcceptFiles(m_hWnd, FALSE);
    app_shutdown();
    hlp_open(m_hWnd, 4);
    app_setwindows(nullptr, nullptr);
    PostQuitMessage(0);
    break;
  case WM_SIZE:
    // The units, the message window and the MDI client are placed here; the
    // default frame procedure would stretch the MDI client over them.
    pnl_arrange();
    return 0;
  case WM_ERASEBKGND: {
    // What the units leave free between them (a row or strip is as thick as its
    // thickest unit) looks like the units; the MDI client paints the drawing area.
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    ::FillRect(reinterpret_cast<HDC>(wp), &r, ::GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  case WM_CLOSE:
    cmd_cancel(0);
    if (vwin_closeall(2) == 1)
      ::DestroyWindow(m_hWnd);
    return 0;
  case WM_QUERYENDSESSION:
    return vwin_closeall(0);
  case WM_SETCURSOR:
    if (CaptureForward && (HIWORD(lp) == WM_LBUTTONDOWN || HIWORD(lp) == WM_RBUTTONDOWN)) {
      ::SetFocus(m_hWnd);
      ::PostMessageA(CaptureForward, HIWORD(lp), 0, 0);
      return 0;
    }
    return DefFrameProcA(m_hWnd, m_hWndMDIClient, msg, wp, lp);
  case WM_COMMAND:
    if (DispatchCommand(m_hWnd, wp, lp) == 1)
      return 0;
    // Everything the dispatcher passed on has had the default frame procedure.
    return 0;
  case WM_SPOOLERSTATUS:
    // A spooler notice is not a menu choice: it gets the default handling.
    break;
  default:
    if (msg >= 0x4001 && msg <= 0x4007)
      DispatchCommand(m_hWnd, 17003, lp);
    break;
  }
  return CMDIFrameWnd::WindowProc(msg, wp, lp);
}

int app_shutdown() {
  app_winpos(app_hmain(), 'w');
  vwin_hook(1);
  pnl_shutdown();
  mesg_destroy();
  gdi_term();
  app_freegdi();
  hid_term();
  mrk_list(9);
  msg_load(2, nullptr);
  mnu_load(nullptr);
  dtb_term();
  und_clos(0);
  und_clos(1);
  fnt_close();
  return 1;
}

#include "shell/app/app.h"

#include "framework/appole.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>

#include "commands/cmdl/cmdl_win.h"
#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "commands/view/viewcmd.h"
#include "database/groups.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/fonts/fontfile.h"
#include "display/view/gdi.h"
#include "display/masks/hidmask.h"
#include "display/marks/marklist.h"
#include "display/marks/snapmark.h"
#include "files/filecmd.h"
#include "ole/ole1doc.h"
#include "framework/doctempl.h"
#include "settings/msgfile.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/syspath.h"
#include "shell/app/appcmd.h"
#include "shell/app/appcmd_win.h"
#include "shell/app/apploop.h"
#include "settings/appwin.h"
#include "shell/dde/dde.h"
#include "shell/drawwin/docview.h"
#include "shell/dde/handover.h"
#include "shell/units/keytable.h"
#include "shell/app/mainframe.h"
#include "shell/units/menufile.h"
#include "shell/units/msgwin.h"
#include "shell/units/scmenu.h"
#include "shell/units/units.h"
#include "shell/drawwin/viewwin.h"
#include "shell/app/winpos.h"

namespace {

HDC mem_dc = nullptr;
HBRUSH face_brush = nullptr;

const char *const init_errors[10] = {
    "メッセージファイルの読み込みができません。",   "メニューファイルの読み込みができません。",
    "キーメニューファイルの読み込みができません。", "漢字ベクトルがありません。",
    "任意線端情報の領域が確保出来ません。",         "データテーブルの領域確保ができません。",
    "グラフィックのイニシャライズができません。",   "メモリデバイスコンテキストの獲得ができません。",
    "MDI Client Window の作成ができません。",       "Message Window の作成ができません。",
};

int fail(int code) {
  app_initerr(code);
  return 0;
}

} // namespace

const char *app_initerrtext(int code) { return code >= 1 && code <= 10 ? init_errors[code - 1] : ""; }

void app_initerr(int code) {
  if (code >= 1 && code <= 10)
    msg_board(0, "%s", init_errors[code - 1]);
}

HDC app_memdc() { return mem_dc; }
HBRUSH app_facebrush() { return face_brush; }

void app_freegdi() {
  if (mem_dc)
    DeleteDC(mem_dc);
  if (face_brush)
    DeleteObject(face_brush);
  mem_dc = nullptr;
  face_brush = nullptr;
}

int app_loadfiles() {
  char dir[264] = "", path[600];
  pth_progdir(dir);
  sys_path('W', 6, dir);
  std::snprintf(path, sizeof path, "%sinkforge.msg", dir);
  if (msg_load(0, path) != 0)
    return 1;
  std::snprintf(path, sizeof path, "%sinkforge.mnu", dir);
  if (mnu_load(path) != 0)
    return 2;
  char fonts[262] = "";
  sys_path('R', 8, fonts);
  const int mode = Fonts.requested == 0 ? 2 : Fonts.requested;
  if (fnt_open(mode, fonts, 50) != 0)
    return 4;
  return 0;
}

// The key file beside the program: no file, no keys and no shortcut menu.
int app_keyfile() {
  char dir[264] = "", path[600];
  pth_progdir(dir);
  std::snprintf(path, sizeof path, "%sinkforge.key", dir);
  key_load(nullptr, &KeyTab);
  scm_free(&ScmTab);
  scm_enable(0, -1);
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
    return 0;
  if (key_init(path) != 0)
    app_initerr(3);
  if (scm_load(path, &ScmTab) > 0)
    scm_enable(1, 1);
  return 0;
}

int app_undoinit() {
  // A work folder given as a drive letter alone becomes "X:\" (not a network path).
  char folder[262];
  std::snprintf(folder, sizeof folder, "%s", sys_pathraw(4));
  if (folder[0] && !(folder[0] == '\\' && folder[1] == '\\') && std::strlen(folder) <= 2) {
    if (folder[1] == '\0')
      std::strcat(folder, ":");
    if (folder[1] == ':' && folder[2] == '\0') {
      std::strcat(folder, "\\");
      sys_path('W', 4, folder);
    }
  }
  und_init(); // an empty work folder takes the program folder; a failure is on the board
  return 0;
}

int app_enginit(HWND *mdi) {
  if (int code = app_loadfiles())
    return fail(code);
  for (int d = 0; d < DWG_COUNT; d++) {
    uint16_t layer = 0, states[64];
    for (int i = 0; i < 64; i++)
      states[i] = i == 0 ? 3 : 2;
    sys_layer('W', d, &layer, states);
  }
  if (dtb_init() != 0)
    return fail(6);
  for (int d = 0; d < DWG_COUNT; d++) {
    grp_reset(d);
    uint32_t word = 0;
    sys_dwgstat('W', d, &word);
  }
  dtb_ctrl('i', nullptr);
  if (!gdi_init())
    return fail(7);
  gdi_palette(reinterpret_cast<const COLORREF *>(Palette));
  hid_init();
  mrk_list(0);
  snp_init();
  app_undoinit();
  HDC screen = GetDC(nullptr);
  mem_dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!mem_dc)
    return fail(8);
  face_brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  HWND client = app_mdiclient();
  if (!client)
    return fail(9);
  *mdi = client;
  if (!mesg_create())
    return fail(10);
  vwin_hook(0);
  cmd_tableinit();
  cmd_shellhooks();
  dde_cmdlwin();
  if (!pnl_startup())
    return 0;
  key_builtin();
  app_keyfile();
  mru_init();
  InitOle1Client();
  return 1;
}

int app_openargs() { return app_openfiles(fil_open); }

BOOL app_regframe(CWinApp *app) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = app->m_hInstance;
  wc.hIcon = LoadIconA(app->m_hInstance, MAKEINTRESOURCEA(110));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszMenuName = "IKFRGMENU";
  wc.lpszClassName = "DazuVerur";
  return AfxRegisterClass(&wc);
}

VODOreVer::VODOreVer() : CWinApp("インク工房") {}
VODOreVer::~VODOreVer() {
  COleObjectFactory::RevokeAll();
  app_singleend();
}

BOOL VODOreVer::InitInstance() {
  INITCOMMONCONTROLSEX icc = {8, 0xFF};
  InitCommonControlsEx(&icc);
  if (FAILED(OleInitialize(nullptr)))
    AfxMessageBox("OLE初期化エラー");
  LoadStdProfileSettings(4);
  // The DDE server starts only in the one instance that goes on; it answers busy
  // until the start-up is done (ddes_ready).
  if (!app_single(m_hInstance, nullptr, m_lpCmdLine ? m_lpCmdLine : ""))
    return FALSE;
  ddes_init();
  if (app_cmdline(m_hInstance, m_lpCmdLine ? m_lpCmdLine : "") == 1)
    return FALSE;
  m_embedded = RunEmbedded() != FALSE;
  sys_stup();
  CMultiDocTemplate *tmpl = CMultiDocTemplate::Make<CMainDoc, CSplitFrame, CMainView>(110);
  AddDocTemplate(tmpl);
  docview_register();

  auto *frame = new CMainFrame;
  m_pMainWnd = frame;
  app_regframe(this);
  POINT pos;
  SIZE size;
  app_initrect(&pos, &size);
  const RECT r = {pos.x, pos.y, pos.x + size.cx, pos.y + size.cy};
  if (!frame->Create("DazuVerur", "インク工房", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r, nullptr, 2)) {
    m_pMainWnd = nullptr;
    return FALSE;
  }
  DragAcceptFiles(frame->m_hWnd, TRUE);
  m_server.ConnectTemplate(*GetAppClsid(), tmpl, FALSE);
  m_server.SetServerEntries(GetAppServerEntries());
  app_setmain(frame->m_hWnd);
  // On failure the framework destroys the frame, whose shut-down gives back what
  // the start-up took.
  if (!app_enginit(&frame->m_hWndMDIClient))
    return FALSE;
  // Containers are served once the engine runs: a request that came in while it
  // starts (the start-up pumps messages) would find no drawing to give.
  COleObjectFactory::RegisterAll();
  if (m_embedded) {
    ddes_ready(true);
    app_handoverstart();
    return TRUE;
  }
  // The class's registration names the seal files' extension and gives the document
  // type its open command; the document-type entries follow at once.
  if (m_server.UpdateRegistry(OAT_SERVER))
    ddes_regtype();
  m_nCmdShow = SW_SHOWNORMAL;
  frame->ShowWindow(m_nCmdShow);
  frame->UpdateWindow();
  ::SetFocus(frame->m_hWnd);
  app_openargs();
  ddes_ready(true);
  app_handoverstart();
  return TRUE;
}

int VODOreVer::Run() {
  app_run();
  COleObjectFactory::RevokeAll();
  OleUninitialize();
  return 0;
}

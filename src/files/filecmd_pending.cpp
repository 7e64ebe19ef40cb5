// The file commands until their dialogs exist: a new drawing and a seal file named
// by path open into drawing windows (with the lock policy); the open dialog, saving
// and registering say on the message board that they cannot be done yet.
#include "files/filecmd.h"

#include <cstdio>
#include <cstring>

#include "commands/cmdl.h"
#include "database/elements.h"
#include "database/layers.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/grid.h"
#include "display/view.h"
#include "display/viewtbl.h"
#include "files/lockwin.h"
#include "files/sealfmt.h"
#include "files/sealread.h"
#include "settings/answers.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/strutil.h"
#include "settings/syspath.h"
#include "settings/winutil.h"
#include "shell/appsvc_pending.h"
#include "shell/menufile.h"
#include "shell/toolbar.h"
#include "shell/viewwin.h"

namespace {
constexpr int NOT_DONE = 1001;
const char *const NOT_YET = "図面ファイルの読み書きはまだできません。";

int pending_dwg = -1;

int refuse(const char *path) {
  if (path && *path)
    msg_board(0, "%s\n%s", NOT_YET, path);
  else
    msg_board(0, "%s", NOT_YET);
  return NOT_DONE;
}

// Empties the database counts of a drawing.
void empty_counts(int dwg) {
  DbControl c[2];
  dtb_ctrl('R', c);
  c[dwg].count1 = c[dwg].count2 = c[dwg].count3 = 0;
  dtb_ctrl('W', c);
}

// The drawing's state for a fresh drawing: sheet offsets, scale 1/1, default layers.
void fresh_env(int dwg, double w, double h) {
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  env.sheet.width = w;
  env.sheet.height = h;
  env.sheet.originx = env.sheet.originy = 0.0;
  env.sheet.refx = env.sheet.refy = 0.0;
  env.sheet.num = env.sheet.den = 1;
  env.sheet.scale = 1.0;
  env.curlayer = 0;
  for (int i = 0; i < LAYER_COUNT; i++)
    env.laystate[i] = i == 0 ? 3 : 0;
  sys_dwgenv('W', dwg, &env);
  uint16_t layer = 0;
  uint16_t states[LAYER_COUNT];
  for (int i = 0; i < LAYER_COUNT; i++)
    states[i] = i == 0 ? 3 : 0;
  sys_layer('W', dwg, &layer, states);
}

int take_slot(int *dwg, int *view) {
  *dwg = dwg_free();
  if (*dwg < 0) {
    msg_err(30151, 1);
    return 1002;
  }
  dde_slotnew(*dwg); // another drawing takes the slot: a CMDL run's saved attributes stay out
  *view = vew_free(*dwg);
  if (*view < 0) {
    msg_err(30152, 16);
    return 1003;
  }
  return 0;
}

// Sets a view's device rectangle to the window's client area and its world window
// to the sheet, then records the frame, the current drawing and view and the title.
int bind_view(HWND wnd, int dwg, int view, double w, double h) {
  RECT rc;
  GetClientRect(wnd, &rc);
  if (rc.right <= rc.left || rc.bottom <= rc.top)
    rc = RECT{0, 0, 428, 297};
  if (vew_setdev(wnd, dwg, view, rc.left, rc.top, rc.right, rc.bottom) != 0)
    return 1005;
  if (vew_setwin(dwg, view, 0, 0.0, 0.0, w, h) != 0)
    return 1006;
  vew_setfrm(GetParent(wnd), dwg, view);
  dwg_setcur(dwg);
  vew_select(view);
  const int32_t id[3] = {dwg, view, 0};
  vwin_setid(wnd, id);
  vew_title('W', dwg, view, nullptr, 0);
  SetScrollRange(wnd, SB_HORZ, 0, rc.right, FALSE);
  SetScrollRange(wnd, SB_VERT, 0, rc.bottom, FALSE);
  SetScrollPos(wnd, SB_HORZ, (rc.right + 1) / 2, TRUE);
  SetScrollPos(wnd, SB_VERT, (rc.bottom + 1) / 2, TRUE);
  return 0;
}

void rebuild_bars() {
  for (int b = 0; b < 5; b++)
    tbar_create(b);
}

int open_new() {
  int dwg, view;
  if (int r = take_slot(&dwg, &view))
    return r;
  DbControl kept[2];
  dtb_ctrl('R', kept);
  RaruInfo info{};
  sys_sealinf('R', &info);
  const double w = info.areax > 0 ? info.areax : 297.0, h = info.areay > 0 ? info.areay : 210.0;
  fresh_env(dwg, w, h);
  empty_counts(dwg);
  grd_reset(uint32_t(dwg));
  und_strt(dwg);
  und_rset(dwg);
  DwgPath[dwg].path[0] = '\0'; // no file yet
  char empty[262] = "";
  sys_dwgname('W', dwg, 0, empty);
  DwgModFlags[dwg] = 0;
  if (int r = fil_mkview(dwg, view)) {
    dtb_ctrl('W', kept);
    return r;
  }
  win_waitcur();
  dtb_recell(dwg);
  win_waitcur();
  return 0;
}

int open_file(const char *given) {
  char path[262];
  std::snprintf(path, sizeof path, "%s", given);
  char shortpath[262] = "";
  pth_short(path, shortpath);
  if (!((path[0] == '\\' && path[1] == '\\') || (path[0] && path[1] == ':'))) {
    msg_err(30159, shortpath);
    return NOT_DONE;
  }
  // The same file twice would be two editors of one file.
  for (int d = 0; d < DWG_COUNT; d++)
    if (vew_mask(d) && DwgPath[d].path[0] && lstrcmpiA(DwgPath[d].path, path) == 0) {
      msg_board(2, "[%s]\nこのファイルは現在編集中です\n\n開いている図面で編集を行ってください", shortpath);
      return -1;
    }
  int dwg, view;
  if (int r = take_slot(&dwg, &view))
    return r;
  DbControl kept[2];
  dtb_ctrl('R', kept);
  SystemBlock sys{};
  sys_sysprm('R', &sys);
  int state = LCK_NONE;
  HANDLE handle = nullptr;
  if (lck_openpol(path, sys.exclusive, &state, &handle) == 7)
    return 7;
  empty_counts(dwg);
  char probe[262];
  std::snprintf(probe, sizeof probe, "%s", path);
  const int kind = slf_probe(probe);
  int result = kind == 1 ? 0 : kind == -3 ? -4 : kind == -1 ? -1 : -3;
  uint8_t header[256] = {};
  win_waitcur();
  if (result == 0) {
    und_stop(dwg);
    if (slf_load(dwg, path, 0.0, 0.0, header) != 0)
      result = -3;
    und_strt(dwg);
  }
  win_waitcur();
  if (result < 0) {
    dtb_ctrl('W', kept);
    lck_abandon(path, state, handle);
    msg_err(result == -1 ? 30155 : result == -4 ? 30161 : 30150, shortpath);
    return NOT_DONE;
  }
  RaruFileHeader h{};
  slf_hdrget(header, &h);
  RaruInfo info{};
  sys_sealinf('R', &info);
  double w = 0, hh = 0;
  slf_sheetsize(h, info.areax > 0 ? info.areax : 297.0, info.areay > 0 ? info.areay : 210.0, &w, &hh);
  fresh_env(dwg, w, hh);
  und_rset(dwg);
  lck_keep(dwg, path, state, handle);
  std::snprintf(DwgPath[dwg].path, sizeof DwgPath[dwg].path, "%s", path);
  char name[262] = "";
  pth_fname(path, name, sizeof name);
  sys_dwgname('W', dwg, 0, name);
  DwgModFlags[dwg] = 0;
  if (int r = fil_mkview(dwg, view)) {
    dtb_ctrl('W', kept);
    lck_release(dwg);
    return r;
  }
  win_waitcur();
  dtb_recell(dwg);
  win_waitcur();
  mru_add(path);
  return 0;
}

} // namespace

int fil_mkview(int dwg, int view) {
  SheetRecord sheet{};
  sys_sheet('R', dwg, &sheet);
  const int prev = dwg_setcur(dwg);
  HWND wnd = vwin_create(view, nullptr, dwg, view);
  if (!wnd) {
    msg_err(30153);
    vew_remove(dwg, view);
    dwg_setcur(prev);
    return 1004;
  }
  if (int r = bind_view(wnd, dwg, view, sheet.width > 0 ? sheet.width : 297.0, sheet.height > 0 ? sheet.height : 210.0)) {
    msg_err(30153);
    PostMessageA(GetParent(wnd), WM_CLOSE, 0, 0);
    return r;
  }
  InvalidateRect(wnd, nullptr, TRUE);
  return 0;
}

int fil_open(int mode, const char *path) {
  int r;
  if (mode == 2)
    return 1;
  if (mode == 0)
    r = open_new();
  else if (mode == 1)
    r = path && *path ? open_file(path) : refuse(nullptr); // the open dialog is not built
  else if (mode == 4)
    r = 0;
  else
    return 1000;
  rebuild_bars();
  return r;
}

int fil_openmru(int n) {
  if (n < 0 || n >= RECENT_COUNT || !RecentFiles[n][0])
    return -1;
  return fil_open(1, RecentFiles[n]);
}

// A drawing whose state word is set may be saved over its file; nothing else of the
// drawing's record tells yet.
bool dwg_cansave() {
  uint32_t state = 0;
  return sys_dwgstat('R', dwg_cur(), &state) == 0 && state != 0;
}

int fil_newcmd() { return fil_open(0, nullptr), 0; }
int fil_opencmd() { return fil_open(1, nullptr), 0; }
int fil_closecmd() {
  if (HWND f = vew_frm(dwg_cur(), vew_cur()))
    PostMessageA(f, WM_CLOSE, 0, 0);
  return 0;
}
int fil_savecmd() { return refuse(nullptr), 0; }
int fil_regcmd() { return refuse(nullptr), 0; }
int fil_open2nd() { return refuse(nullptr), 0; }

int fil_pendget() { return pending_dwg; }
void fil_pendrst() { pending_dwg = -1; }

int fil_newslot() {
  pending_dwg = -1;
  const int dwg = dwg_free();
  if (dwg < 0) {
    msg_err(30151, 1);
    return 1002;
  }
  pending_dwg = dwg;
  empty_counts(dwg);
  fresh_env(dwg, 297.0, 210.0);
  grd_reset(uint32_t(dwg));
  und_strt(dwg);
  und_rset(dwg);
  char empty[262] = "";
  sys_dwgname('W', dwg, 0, empty);
  DwgModFlags[dwg] = 0;
  return 0;
}

int fil_newview(HWND view) {
  if (pending_dwg < 0)
    return 1002;
  const int dwg = pending_dwg;
  fresh_env(dwg, 297.0, 210.0);
  if (int r = bind_view(view, dwg, 0, 297.0, 210.0))
    return r;
  dtb_recell(dwg);
  return 0;
}

int fil_askclose(HWND view) {
  int32_t id[3];
  if (!vwin_getid(view, id))
    return -1;
  if (id[0] < 0 || id[0] > 1 || id[1] < 0 || id[1] >= VIEW_COUNT)
    return -2;
  uint32_t &flags = DwgModFlags[id[0]];
  if (!(flags & 1) || (flags & 0x8000))
    return 1;
  char name[262] = "";
  sys_dwgname('R', id[0], 1, name);
  char text[400];
  std::snprintf(text, sizeof text, "[%s] は更新されています。\n\n保管しますか？", name);
  UiQuestion q = {};
  q.kind = UI_MSGBOX;
  q.heading = "インク工房";
  q.text = text;
  q.flags = MB_YESNOCANCEL | MB_ICONQUESTION;
  q.owner = GetAncestor(view, GA_ROOT);
  const int answer = ui_ask(q, [](const UiQuestion &x) {
    return MessageBoxA(static_cast<HWND>(x.owner), x.text, x.heading, x.flags);
  });
  if (answer == IDYES) {
    flags = 0x8000;
    return 0;
  }
  if (answer == IDNO) {
    flags = 0x8000;
    return 1;
  }
  // Cancel keeps the drawing modified and unasked: the next close asks again.
  return 2;
}

// Saving is not built: the drawing stays, and the caller keeps its window.
int fil_closesave(int) { return refuse(nullptr); }

// The file commands of the open side: a new drawing, a seal file named by path or
// chosen in the open chooser and recent files open into drawing windows (with the
// lock policy); the close question.
#include "files/filecmd.h"

#include <cstdio>
#include <cstring>

#include "database/elements.h"
#include "database/layers.h"
#include "database/store.h"
#include "database/undo.h"
#include "display/marks/grid.h"
#include "display/view/view.h"
#include "display/view/viewtbl.h"
#include "files/filecalls.h"
#include "files/lockwin.h"
#include "files/oleblock.h"
#include "files/sealfmt.h"
#include "files/sealread.h"
#include "files/sealsavewin.h"
#include "settings/answers.h"
#include "settings/msgout.h"
#include "settings/params.h"
#include "settings/strutil.h"
#include "settings/syspath.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "settings/shellcalls.h"

int FilStartPlace = 1;
FileCalls FileUp = {};

namespace {
constexpr int NOT_DONE = 1001;
// Set while fil_docload reads a document's temporary file.
bool doc_loading = false;

int pending_dwg = -1;

uint8_t DwgSealHead[2][SLF_HEADSIZE];

// Folder entries of the two drawings in the system path table.
constexpr int DIR_ENTRY[2] = {20, 21};

int msgbox(const char *text, const char *caption, UINT flags) {
  UiQuestion q{};
  q.kind = UI_MSGBOX;
  q.heading = caption;
  q.text = text;
  q.flags = flags;
  q.owner = app_hmain();
  return ui_ask(q, [](const UiQuestion &x) {
    return MessageBoxA(static_cast<HWND>(x.owner), x.text, x.heading, x.flags);
  });
}

// Folder + name of a drawing.
void dwg_fullpath(int dwg, char *out, std::size_t size) {
  char dir[262] = "", name[262] = "";
  fil_dwgdir('R', dwg, dir);
  sys_dwgname('R', dwg, 0, name);
  std::snprintf(out, size, "%s%s", name[0] ? dir : "", name);
}

bool seal_ext(const char *path) {
  char ext[262] = "";
  pth_ext(path, ext, sizeof ext);
  return !lstrcmpiA(ext, ".KL") || !lstrcmpiA(ext, ".KSL") || !lstrcmpiA(ext, ".SBL") || !lstrcmpiA(ext, ".ET");
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
  fcl_slotnew(*dwg); // another drawing takes the slot: a CMDL run's saved attributes stay out
  *view = vew_free(*dwg);
  if (*view < 0) {
    msg_err(30152, 16);
    return 1003;
  }
  return 0;
}

// Sets a view's device rectangle to the window's client area and its world window
// to the sheet, then records the frame, the current drawing and view and the title.
// The first window made at start-up is fitted to a fixed rectangle when its client
// area is not laid out yet (a resize keeps the scale the fit gives); a window that
// already has its area, as the maximised first window has, is fitted to that area,
// or the sheet would sit off-centre in a corner of it.
int bind_view(HWND wnd, int dwg, int view, double w, double h, bool startup_place = false) {
  RECT rc;
  GetClientRect(wnd, &rc);
  const bool laid_out = rc.right > rc.left && rc.bottom > rc.top;
  if (!laid_out)
    rc = RECT{0, 0, 428, 297};
  RECT dev = rc;
  if (startup_place && FilStartPlace && !laid_out) {
    dev = RECT{0, 0, w / h < 1.3 ? 715 : 550, 500};
  }
  if (startup_place)
    FilStartPlace = 0;
  if (vew_setdev(wnd, dwg, view, dev.left, dev.top, dev.right, dev.bottom) != 0)
    return 1005;
  if (vew_setwin(dwg, view, 0, 0.0, 0.0, w, h) != 0)
    return 1006;
  vew_setfrm(GetParent(wnd), dwg, view);
  dwg_setcur(dwg);
  vew_select(view);
  const int32_t id[3] = {dwg, view, 0};
  ui_setid(wnd, id);
  vew_title('W', dwg, view, nullptr, 0);
  SetScrollRange(wnd, SB_HORZ, 0, rc.right, FALSE);
  SetScrollRange(wnd, SB_VERT, 0, rc.bottom, FALSE);
  SetScrollPos(wnd, SB_HORZ, (rc.right + 1) / 2, TRUE);
  SetScrollPos(wnd, SB_VERT, (rc.bottom + 1) / 2, TRUE);
  return 0;
}

// Takes the free drawing and view for entry 0 of an open, keeping the counts.
int take_open_slot(int *dwg, int *view, DbControl kept[2]) {
  if (int r = take_slot(dwg, view))
    return r;
  dtb_ctrl('R', kept);
  return 0;
}

int open_new() {
  int dwg, view;
  DbControl kept[2];
  if (int r = take_open_slot(&dwg, &view, kept))
    return r;
  fil_newenv();
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  env.sheet.originx = env.sheet.originy = 0.0;
  sys_dwgenv('W', dwg, &env);
  empty_counts(dwg);
  fcl_zoomclr(dwg);
  OpenDataTable(dwg);
  fil_loaddrw(dwg, 0, nullptr, nullptr, &env);
  sys_dwgenv('W', dwg, &env);
  DwgPath[dwg].path[0] = '\0'; // no file yet
  DwgReadOnly[dwg] = false;
  fil_headclear(dwg);
  char data[262] = "";
  sys_path('R', 1, data);
  fil_dwgdir('W', dwg, data);
  char empty[262] = "";
  sys_dwgname('W', dwg, 0, empty);
  dwg_setstate(dwg, 0);
  if (int r = fil_mkview(dwg, view)) {
    dtb_ctrl('W', kept);
    return r;
  }
  win_waitcur();
  dtb_recell(dwg);
  win_waitcur();
  return 0;
}

// Opens one seal file; frompath tells whether the caller named it (else the chooser did).
int open_file(const char *given, bool frompath) {
  char path[262];
  std::snprintf(path, sizeof path, "%s", given);
  char shortpath[262] = "";
  pth_short(path, shortpath);
  if (!fil_chkdrive(path))
    return NOT_DONE;
  // Saves cut short beside this file: their new files go, an older version's safety
  // copy (maybe the only whole drawing) is named to the user.
  slf_sweep(path, [](const char *name) {
    char shortname[262] = "";
    pth_short(name, shortname);
    return msg_board(1, "[%s]\n以前の保存で残った一時ファイルです。\n中身を確かめてから削除してください。", shortname);
  });
  // Asked before a slot is taken: with one drawing slot on offer the refusal of a
  // second drawing would otherwise hide that this file is open already.
  if (!fil_chkopen(-1, frompath, path))
    return frompath ? -1 : 0;
  int dwg, view;
  DbControl kept[2];
  if (int r = take_open_slot(&dwg, &view, kept))
    return r;
  SystemBlock sys{};
  sys_sysprm('R', &sys);
  int state = LCK_NONE;
  HANDLE handle = nullptr;
  if (seal_ext(path) && lck_openpol(path, sys.exclusive, &state, &handle) == 7)
    return 7;
  empty_counts(dwg);
  fcl_zoomclr(dwg);
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  win_waitcur();
  const int result = fil_loaddrw(dwg, 1, path, nullptr, &env);
  win_waitcur();
  if (result < 0) {
    dtb_ctrl('W', kept);
    lck_abandon(path, state, handle);
    msg_err(result == -1 ? 30155 : result == -4 ? 30161 : 30150, shortpath);
    return NOT_DONE;
  }
  sys_dwgenv('W', dwg, &env);
  fil_headkeep(dwg);
  lck_keep(dwg, path, state, handle);
  std::snprintf(DwgPath[dwg].path, sizeof DwgPath[dwg].path, "%s", path);
  char dir[262] = "", name[262] = "";
  pth_dir(path, dir, sizeof dir);
  pth_fname(path, name, sizeof name);
  fil_dwgdir('W', dwg, dir);
  sys_dwgname('W', dwg, 0, name);
  dwg_setstate(dwg, result == 1 ? 0 : 1);
  if (int r = fil_mkview(dwg, view)) {
    dtb_ctrl('W', kept);
    lck_release(dwg);
    return r;
  }
  win_waitcur();
  dtb_recell(dwg);
  win_waitcur();
  // The objects placed in the drawing come back once its document exists; a block
  // that cannot be read costs them, never the drawing.
  if (!ReadOleBlock(dwg, path))
    msg_err(30602);
  fcl_recent(path);
  return 0;
}

// Grid of drawing 0 back to the settings' pitches, tool bars rebuilt.
void closing_steps() {
  RaruInfo info{};
  sys_sealinf('R', &info);
  grd_resetp(0, info.gridx, info.gridy);
  fcl_barsupd();
}

} // namespace


void fil_headkeep(int dwg) {
  if (dwg == 0 || dwg == 1)
    sys_sealhdr('R', DwgSealHead[dwg]);
}

void fil_headuse(int dwg) {
  if (dwg == 0 || dwg == 1)
    sys_sealhdr('W', DwgSealHead[dwg]);
}

void fil_headclear(int dwg) {
  if (dwg == 0 || dwg == 1)
    std::memset(DwgSealHead[dwg], 0, SLF_HEADSIZE);
}

int fil_mkview(int dwg, int view) {
  SheetRecord sheet{};
  sys_sheet('R', dwg, &sheet);
  const int prev = dwg_setcur(dwg);
  HWND wnd = ui_create(view, nullptr, dwg, view);
  if (!wnd) {
    msg_err(30153);
    vew_remove(dwg, view);
    dwg_setcur(prev);
    return 1004;
  }
  if (int r = bind_view(wnd, dwg, view, sheet.width > 0 ? sheet.width : 297.0, sheet.height > 0 ? sheet.height : 210.0,
                        true)) {
    msg_err(30153);
    PostMessageA(GetParent(wnd), WM_CLOSE, 0, 0);
    return r;
  }
  InvalidateRect(wnd, nullptr, TRUE);
  return 0;
}


int fil_mkdocview(int dwg, int view) {
  SheetRecord sheet{};
  sys_sheet('R', dwg, &sheet);
  HWND wnd = ui_lastview();
  if (!wnd || !IsWindow(wnd)) {
    msg_err(30153);
    return 1004;
  }
  if (int r = bind_view(wnd, dwg, view, sheet.width > 0 ? sheet.width : 297.0, sheet.height > 0 ? sheet.height : 210.0,
                        true)) {
    msg_err(30153);
    return r;
  }
  InvalidateRect(wnd, nullptr, TRUE);
  return 0;
}

int fil_docload(const char *path) {
  char shortpath[262] = "";
  pth_short(path, shortpath);
  int dwg, view;
  DbControl kept[2];
  if (int r = take_open_slot(&dwg, &view, kept))
    return r;
  DrawingEnvRecord env;
  sys_dwgenv('R', dwg, &env);
  if (!fil_chkdrive(path))
    return NOT_DONE;
  if (!fil_chkopen(dwg, 1, path))
    return -1;
  empty_counts(dwg);
  win_waitcur();
  doc_loading = true;
  const int result = fil_loaddrw(dwg, 1, path, nullptr, &env);
  doc_loading = false;
  win_waitcur();
  if (result != 1) {
    // Nothing of the file stays: the slot is free again and the current drawing kept.
    dtb_ctrl('W', kept);
    msg_err(30150, shortpath);
    return NOT_DONE;
  }
  sys_dwgenv('W', dwg, &env);
  // The temporary file is the drawing's only while it is read: no lock, no path.
  DwgPath[dwg].path[0] = '\0';
  DwgReadOnly[dwg] = false;
  fil_headkeep(dwg);
  char dir[262] = "", name[262] = "";
  pth_dir(path, dir, sizeof dir);
  fil_dwgdir('W', dwg, dir);
  std::snprintf(name, sizeof name, "%s%02d", "KIVOLANTDOC#", dwg);
  sys_dwgname('W', dwg, 0, name);
  dwg_setstate(dwg, 0);
  fcl_regdoc(dwg, name);
  if (int r = fil_mkdocview(dwg, view)) {
    dtb_ctrl('W', kept);
    return r;
  }
  ui_bind(dwg, view);
  win_waitcur();
  dtb_recell(dwg);
  win_waitcur();
  fcl_updlinks(dwg);
  fcl_barsupd();
  return 0;
}

int fil_dwgdir(int op, int dwg, char *buf) {
  if (dwg < 0 || dwg > 1 || !buf)
    return 1;
  return sys_path(op == 'W' || op == 'w' ? 'W' : 'R', DIR_ENTRY[dwg], buf), 0;
}

int fil_chkdrive(const char *path) {
  if (path && ((path[0] == '\\' && path[1] == '\\') || (path[0] && path[1] == ':')))
    return 1;
  char shortpath[262] = "";
  pth_short(path ? path : "", shortpath);
  msg_err(30159, shortpath);
  return 0;
}

int fil_chkopen(int dwg, int frompath, const char *path) {
  for (int d = 0; d < DWG_COUNT; d++) {
    if (d == dwg || !vew_mask(d))
      continue;
    char other[600];
    dwg_fullpath(d, other, sizeof other);
    if (!other[0] || lstrcmpiA(other, path) != 0)
      continue;
    char shortpath[262] = "", text[700];
    pth_short(path, shortpath);
    std::snprintf(text, sizeof text,
                  frompath ? "[%s]\nこのファイルは現在編集中です\n\n開いている図面で編集を行ってください"
                           : "[%s]\nこのファイルは現在編集中です\n\n別のﾌｧｲﾙ名を指定してください",
                  shortpath);
    // Asked again until the answer is OK; a script that never says OK ends.
    for (int tries = 0; tries < 100 && msgbox(text, "既存修正", MB_OK | MB_ICONINFORMATION) != IDOK; tries++) {
    }
    return 0;
  }
  return 1;
}

int fil_choose(bool save, const char *heading, char *buf, unsigned size) {
  UiQuestion q{};
  q.kind = UI_DIALOG;
  q.heading = heading;
  q.text = "印影ファイル(*.KSL)";
  q.owner = app_hmain();
  q.dialog = save ? FIL_DLGSAVE : FIL_DLGOPEN;
  q.reply = buf;
  q.replysize = size;
  const int r = ui_ask(q, [](const UiQuestion &x) {
    RaruInfo info{};
    sys_sealinf('R', &info);
    static const char filter[] = "印影ファイル(*.KSL)\0*.KSL\0";
    OPENFILENAMEA o{};
    o.lStructSize = sizeof o;
    o.hwndOwner = static_cast<HWND>(x.owner);
    o.lpstrFilter = filter;
    o.lpstrFile = x.reply;
    o.nMaxFile = x.replysize;
    o.lpstrInitialDir = info.folder[0] ? info.folder : nullptr;
    o.lpstrTitle = x.heading;
    if (x.dialog == FIL_DLGSAVE) {
      o.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
      return GetSaveFileNameA(&o) ? 1 : -1;
    }
    o.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    return GetOpenFileNameA(&o) ? 1 : -1;
  });
  buf[size - 1] = '\0';
  return r == 1 && buf[0] ? 1 : 0;
}

int fil_opendlg(int, char *path, int *count) {
  if (count)
    *count = 0;
  char buf[260] = "";
  if (!fil_choose(false, "印影ファイルを選択します。", buf, sizeof buf))
    return 0;
  std::memcpy(path, buf, sizeof buf);
  if (count)
    *count = 1;
  return 1;
}

int fil_newenv() {
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  RaruInfo info{};
  sys_sealinf('R', &info);
  env.sheet.scale = 1.0;
  env.sheet.num = env.sheet.den = 1;
  env.sheet.width = info.areax > 0 ? info.areax : 297.0;
  env.sheet.height = info.areay > 0 ? info.areay : 210.0;
  env.chr.attr &= uint16_t(~0x0E00u); // font number
  sys_dwgenv('W', 0, &env);
  return 0;
}

int fil_loaddrw(int dwg, int mode, const char *path, const double *, DrawingEnvRecord *env) {
  RaruInfo info{};
  sys_sealinf('R', &info);
  int result = 0;
  if (mode != 0) {
    und_stop(dwg);
    char probe[262];
    std::snprintf(probe, sizeof probe, "%s", path ? path : "");
    // A document's temporary file carries no seal-file extension: its head decides.
    int kind;
    if (doc_loading) {
      uint8_t head[SLF_HEADSIZE];
      const int r = slf_rdhead(probe, head);
      kind = r == 1 ? 1 : r == -1 || r == -3 ? r : 0;
    } else {
      kind = slf_probe(probe);
    }
    if (kind == -3)
      return und_strt(dwg), -4;
    if (kind == -1)
      return und_strt(dwg), -1;
    if (kind != 1)
      return und_strt(dwg), -3;
    uint8_t header[256] = {};
    const int loaded = slf_load(dwg, path, 0.0, 0.0, header);
    und_stop(dwg);
    und_strt(dwg);
    if (loaded != 0)
      return -3;
    RaruFileHeader h{};
    slf_hdrget(header, &h);
    double w = 0, hh = 0;
    slf_sheetsize(h, info.areax > 0 ? info.areax : 297.0, info.areay > 0 ? info.areay : 210.0, &w, &hh);
    env->sheet.width = w;
    env->sheet.height = hh;
    env->count1 = uint16_t(h.elementCount);
    info.areax = w;
    info.areay = hh;
    sys_sealinf('W', &info);
    result = 1;
  }
  env->sheet.originx = env->sheet.originy = 0.0;
  env->sheet.refx = env->sheet.refy = 0.0;
  env->sheet.num = env->sheet.den = 1;
  env->sheet.scale = 1.0;
  env->curlayer = 0;
  for (int i = 0; i < LAYER_COUNT; i++)
    env->laystate[i] = i == 0 ? 3 : 0;
  for (auto &sc : env->scales)
    sc = ScalePair{1, 1};
  sys_dwgenv('W', dwg, env);
  uint16_t layer = 0;
  sys_layer('W', dwg, &layer, env->laystate);
  if (mode == 0)
    grd_reset(uint32_t(dwg));
  und_strt(dwg);
  if (mode != 2 && mode != 4)
    und_rset(dwg);
  return result;
}

int fil_open(int mode, const char *path) {
  if (mode != 0 && mode != 1 && mode != 2 && mode != 4)
    return 1000;
  if (mode == 2)
    return 1;
  int r = 0;
  if (mode == 0) {
    r = open_new();
  } else if (mode == 1) {
    char chosen[260] = "";
    int count = 1;
    const bool frompath = path && *path;
    if (!frompath && !fil_opendlg(0, chosen, &count))
      r = -1;
    else
      r = open_file(frompath ? path : chosen, frompath);
  }
  closing_steps();
  return r;
}

int fil_openmru(int n) {
  if (n < 0 || n >= RECENT_COUNT || !RecentFiles[n][0])
    return -1;
  char path[262];
  std::snprintf(path, sizeof path, "%s", RecentFiles[n]);
  return fil_open(1, path);
}

// A drawing changed since it was opened or saved (or whose close question was
// answered) may be saved over its file, unless it was opened for reading only.
bool dwg_cansave() {
  const int d = dwg_cur();
  return dwg_state(d) != 0 && !((d == 0 || d == 1) && DwgReadOnly[d]);
}

int fil_newcmd() { return fil_open(0, nullptr), 0; }
int fil_opencmd() { return fil_open(1, nullptr), 0; }
int fil_closecmd() {
  if (HWND f = vew_frm(dwg_cur(), vew_cur()))
    PostMessageA(f, WM_CLOSE, 0, 0);
  return 0;
}
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
  fcl_slotnew(dwg); // as in take_slot: a CMDL run's saved attributes stay with their drawing
  DwgReadOnly[dwg] = false;
  fil_headclear(dwg);
  empty_counts(dwg);
  fcl_zoomclr(dwg);
  fresh_env(dwg, 297.0, 210.0);
  grd_reset(uint32_t(dwg));
  und_strt(dwg);
  und_rset(dwg);
  char empty[262] = "";
  sys_dwgname('W', dwg, 0, empty);
  dwg_setstate(dwg, 0);
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
  if (!ui_getid(view, id))
    return -1;
  if (id[0] < 0 || id[0] > 1 || id[1] < 0 || id[1] >= VIEW_COUNT)
    return -2;
  const uint32_t flags = dwg_state(id[0]);
  if (!(flags & DWG_MODIFIED) || (flags & DWG_ASKED))
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
    dwg_setstate(id[0], DWG_ASKED);
    return 0;
  }
  if (answer == IDNO) {
    dwg_setstate(id[0], DWG_ASKED);
    return 1;
  }
  // Cancel keeps the drawing modified and unasked: the next close asks again.
  return 2;
}


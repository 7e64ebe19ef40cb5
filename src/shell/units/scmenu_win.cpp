#include "shell/units/scmenu.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "commands/cmdl/cmdlevel.h"
#include "shell/app/cmdroute.h"
#include "commands/cmdl/cmdtable.h"
#include "database/undo.h"
#include "display/marks/grid.h"
#include "display/view/view.h"
#include "files/filecmd.h"
#include "input/gcr.h"
#include "settings/answers.h"
#include "settings/msgout.h"
#include "settings/winutil.h"
#include "settings/appwin.h"
#include "settings/appstate.h"

ScmTable ScmTab;

namespace {

int32_t MenuOn = 0, MenuOnCfg = 0, UndoOffered = 0;
WPARAM KeptWp = 0;
LPARAM KeptLp = 0;
int BuildAt = 0, BuildNo = 0;
HMENU TrackMenu = nullptr;
POINT TrackAt = {0, 0};

int grid_on() {
  GridRecord g{};
  return grd_rec('R', uint32_t(dwg_cur()), &g) == 0 ? int(g.mode) : 0;
}

} // namespace

int scm_load(const char *file, ScmTable *table) {
  if (!file || !table)
    return 0;
  scm_free(table);
  int count = int(GetPrivateProfileIntA("SHORTCUTMENU", "MENUCOUNT", -1, file));
  if (count <= 0)
    return 0;
  if (count > SCM_MAXITEMS)
    count = SCM_MAXITEMS; // a stray count must not read billions of keys
  ShortcutItem *items = new (std::nothrow) ShortcutItem[count];
  if (!items)
    return 0;
  int kept = 0;
  for (int i = 0; i < count; i++) {
    char name[16], line[512];
    std::snprintf(name, sizeof name, "%s%03d", "MENUITEM", i);
    GetPrivateProfileStringA("SHORTCUTMENU", name, "Error", line, sizeof line, file);
    if (scm_parse(line, &items[kept]))
      kept++;
  }
  if (!kept) {
    delete[] items;
    return 0;
  }
  table->items = items;
  table->count = kept;
  return kept;
}

void scm_free(ScmTable *table) {
  if (!table)
    return;
  delete[] table->items;
  table->items = nullptr;
  table->count = 0;
}

int scm_enable(int on, int undo) {
  MenuOn = MenuOnCfg = on ? 1 : 0;
  if (undo != -1)
    UndoOffered = undo;
  return 1;
}

void scm_off() { MenuOn = 0; }
// Without records a right click always reaches the command.
int cmd_rmenuon() { return ScmTab.count > 0 ? MenuOn : 0; }
int cmd_rmenucfg() { return MenuOnCfg; }
int scm_count() { return ScmTab.count; }
HMENU scm_menu() { return TrackMenu; }

int lvl_anybusy() {
  for (const CommandLevel &l : CmdLevels)
    if (l.runnum >= 0 || l.reqnum >= 0)
      return 1;
  return 0;
}

int scm_rbutton(HWND view, WPARAM wp, LPARAM lp) {
  if (ScmTab.count <= 0)
    return 1;
  if (IsIconic(view))
    MenuOn = 0;
  if (MenuOn) {
    KeptWp = wp;
    KeptLp = lp;
    scm_show(view);
  } else {
    MenuOn = MenuOnCfg;
  }
  return 1;
}

void scm_build(HMENU menu, int depth) {
  while (BuildAt < ScmTab.count && ScmTab.items[BuildAt].depth == depth) {
    ShortcutItem &r = ScmTab.items[BuildAt];
    const int no = BuildNo;
    BuildAt++, BuildNo++;
    if (r.kind == 0) {
      r.menuid = 20000 + no;
      const bool grey = (r.command == 330 && !dwg_cansave()) || !scm_allowed(r.command);
      AppendMenuA(menu, MF_STRING | (grey ? MF_GRAYED : 0), UINT(r.menuid), r.label.c_str());
    } else if (r.kind == 1) {
      HMENU sub = CreatePopupMenu();
      r.submenu = sub;
      AppendMenuA(menu, MF_POPUP, UINT_PTR(sub), r.label.c_str());
      if (depth < SCM_MAXITEMS)
        scm_build(sub, depth + 1);
    } else {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    }
  }
}

int scm_show(HWND view) {
  POINT at;
  GetCursorPos(&at);
  gcr_clrfb();
  win_pump(view);
  HMENU top = LoadMenuA(GetModuleHandleA(nullptr), "IDR_KLSHRTMENU_DEFAULT");
  if (!top)
    return 0;
  HMENU pop = GetSubMenu(top, 0);
  if (!pop) {
    DestroyMenu(top);
    return 0;
  }
  DeleteMenu(pop, 20000, MF_BYCOMMAND);
  BuildAt = 0;
  BuildNo = 0;
  if (ScmTab.count > 0)
    scm_build(pop, ScmTab.items[0].depth);
  win_pump(view);
  // Asked through the answers layer, so an unattended run never sits in the menu's
  // own loop; a scripted choice arrives as the menu would send it.
  TrackMenu = pop;
  TrackAt = at;
  UiQuestion q{};
  q.kind = UI_MENU;
  q.text = "右クリックオペレーション(&O)";
  q.owner = view;
  q.count = BuildNo;
  const int chosen = ui_ask(q, [](const UiQuestion &u) {
    return TrackPopupMenu(TrackMenu, TPM_RIGHTBUTTON, TrackAt.x, TrackAt.y, 0, static_cast<HWND>(u.owner), nullptr)
               ? 0
               : -1;
  });
  TrackMenu = nullptr;
  if (chosen < 0) {
    DestroyMenu(top);
    return 0;
  }
  // A greyed item is never chosen, whoever answers.
  if (chosen > 0 && !(GetMenuState(pop, UINT(chosen), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)))
    PostMessageA(view, WM_COMMAND, WPARAM(LOWORD(chosen)), 0);
  if (!DestroyMenu(top)) {
    msg_board(0, "ｼｮｰﾄｶｯﾄﾒﾆｭｰの破棄が正常に行われませんでした");
    return 0;
  }
  return 1;
}

bool scm_allowed(int command) {
  const int lv = CmdLevel;
  if (lv >= 0 && lv < CMD_LEVELS) {
    // Each Tab item is offered for one mask: 9001 bit 0, 9002 bit 1, 9003 both.
    const uint32_t m = CmdShortcutMask[lv] & 3;
    if ((command == 9001 && m != 1) || (command == 9002 && m != 2) || (command == 9003 && m != 3))
      return false;
  } else if (command >= 9000 && command <= 9004) {
    return false;
  }
  if ((command == 400 || command == 401) && (!und_isrec(dwg_cur()) || !UndoOffered))
    return false;
  if (command == 710 && grid_on() == 0)
    return false;
  return true;
}

LRESULT scm_command(HWND view, WPARAM wp, LPARAM) {
  const int id = int(LOWORD(wp));
  int command = id, level = 0;
  for (int i = 0; i < ScmTab.count; i++)
    if (ScmTab.items[i].kind == 0 && ScmTab.items[i].menuid == id) {
      command = ScmTab.items[i].command;
      level = ScmTab.items[i].level;
      break;
    }
  switch (command) {
  case 9000:
    MenuOn = 0;
    CmdRclickForced = 1;
    PostMessageA(view, WM_RBUTTONUP, KeptWp, KeptLp);
    return 1;
  case 400:
  case 401:
    if (HWND p = app_hpanel())
      SendMessageA(p, WM_COMMAND, command == 400 ? 18000 : 18001, 0);
    return 1;
  case 9001:
    MenuOn = 0;
    CmdRclickForced = 0;
    PostMessageA(view, WM_KEYDOWN, VK_TAB, 0);
    return 1;
  case 9002:
  case 9003:
    PostMessageA(view, WM_KEYDOWN, VK_TAB, 0);
    return 1;
  case 9004:
    if (CmdLevel > 0 || (CmdLevel == 0 && CmdLevels[0].runnum >= 0))
      PostMessageA(view, WM_USER + 100, 0, 0);
    else if (HWND p = app_hpanel())
      SendMessageA(p, WM_COMMAND, 18002, 0);
    return 1;
  default:
    MenuOn = MenuOnCfg;
    if (!cmd_enabled(command))
      return 0;
    cmd_button(level, command);
    return 1;
  }
}

#include "shell/units/menufile.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "shell/app/cmdroute.h"
#include "commands/cmdl/menurec.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/strutil.h"
#include "settings/syspath.h"
#include "shell/app/appcmd.h"
#include "settings/appwin.h"
#include "shell/units/panel.h"
#include "shell/units/toolbar.h"
#include "shell/units/toolwin.h"
#include "shell/drawwin/viewwin.h"

namespace {

constexpr const char *SECTION = "CADMENU";
bool mru_separator = false;

void free_array() {
  delete[] MenuArray;
  MenuArray = nullptr;
  MenuCount = 0;
}

// Each record becomes an item at most once per build, whatever the chains say.
HMENU build(int first, std::vector<bool> &seen) {
  HMENU menu = CreatePopupMenu();
  for (int i = first; i >= 0 && i < MenuCount && !seen[size_t(i)]; i = MenuArray[i].next) {
    seen[size_t(i)] = true;
    const MenuFileRecord &r = MenuArray[i];
    const int child = mnu_index(r.child); // a child outside the array counts as none
    if (child >= 0 && !seen[size_t(child)])
      AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(build(child, seen)), r.longlabel);
    else if (child < 0)
      AppendMenuA(menu, MF_STRING, UINT_PTR(MNU_ID + i), r.longlabel);
  }
  return menu;
}

HMENU file_menu() {
  HWND frame = app_hmain();
  HMENU bar = frame ? GetMenu(frame) : nullptr;
  return bar ? GetSubMenu(bar, 0) : nullptr;
}

// The notifier of a page button: the command levels keep it pressed while its
// command runs.
void press_note(int32_t n, int32_t on) { pnl_press(n, on); }

bool command_runs(int command) { return command >= 0 && command < CMD_COUNT && CommandTable[command]; }

} // namespace

int mnu_load(const char *path) {
  free_array();
  mnu_resetpages();
  if (!path)
    return 0;
  const int n = int(GetPrivateProfileIntA(SECTION, "MCOUNT", 0, path));
  if (n < 1 || n > MNU_COUNTMAX)
    return -1;
  MenuArray = new (std::nothrow) MenuFileRecord[MNU_MAX]();
  if (!MenuArray)
    return -1;
  for (int i = 0; i < n; i++) {
    char key[24], value[255];
    std::snprintf(key, sizeof key, "MVALUE%d", i);
    if (!GetPrivateProfileStringA(SECTION, key, "", value, sizeof value, path)) {
      free_array();
      return -1;
    }
    cmd_mnurec('r', value, &MenuArray[i]);
  }
  MenuCount = n;
  mnu_groups();
  return 0;
}

HMENU cmd_mkmenu(int first) {
  std::vector<bool> seen(size_t(MenuCount > 0 ? MenuCount : 1), false);
  return build(first, seen);
}

int mnu_build(int panels_only) {
  tool_preset(nullptr, 0);
  pnl_page(MenuLastPage);
  for (int b = 0; b < 3; b++)
    pnl_show(b, 1);
  char path[262];
  tbar_path(path);
  if (!tval_read(path))
    return 0;
  int32_t first[3];
  int k = 0;
  for (ToolValue *v = ToolValues.first; v && k < 3; v = v->next)
    first[k++] = v->a;
  tool_preset(first, k);
  tval_free();
  if (panels_only)
    return 1;
  HWND frame = app_hmain();
  HMENU bar = frame ? GetMenu(frame) : nullptr;
  if (!bar || !MenuArray || MenuCount < 1)
    return 0;
  HMENU popup = cmd_mkmenu(0);
  const BOOL ok =
      InsertMenuA(bar, 3, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), "作図(&C)");
  DrawMenuBar(frame);
  return ok;
}

int pnl_page(int n) {
  if (n >= MenuCount)
    return 0;
  cmd_cancel(0);
  MenuPage = n < 0 ? -1 : n;
  MenuLastPage = MenuPage;
  mnu_chain(MenuPage, MenuSlots);
  const int first = pnl_twobanks() && MenuPage >= 0 ? 26 : 3;
  for (int i = 0; i < MNU_SLOTS; i++) {
    const int r = MenuSlots[i];
    if (r >= 0) {
      pnl_settext(first + i, MenuArray[r].shortlabel);
      pnl_show(first + i, 1);
    } else {
      pnl_settext(first + i, "");
      pnl_show(first + i, 0);
    }
  }
  return 1;
}

int pnl_click(int n) {
  if (cmd_viewonly() || !vwin_active())
    return 0;
  const bool two = pnl_twobanks() != 0;
  const bool firstbank = n >= 0 && n < MNU_SLOTS, secondbank = two && n >= 23 && n < 23 + MNU_SLOTS;
  if (firstbank || secondbank) {
    const int r = mnu_index(MenuSlots[firstbank ? n : n - 23]);
    if (r < 0)
      return 0;
    if (mnu_index(MenuArray[r].child) >= 0) {
      if (two && firstbank) {
        pnl_press(n + 3, 1); // stays pressed while its group is open
        pnl_page(r);
      } else {
        pnl_press(n + 3, two ? 0 : 1);
        pnl_page(r);
        pnl_press(n + 3, 0);
      }
      return 1;
    }
    const int command = MenuArray[r].command;
    if (!command_runs(command))
      return 1;
    cmd_cancel(0);
    cmd_request(0, CommandTable[command], n + 3, press_note);
    return 1;
  }
  pnl_press(2, 1);
  cmd_cancel(0);
  if (MenuPage >= 0) {
    const int parent = mnu_index(MenuArray[MenuPage].parent);
    pnl_page(parent);
  }
  pnl_press(2, 0);
  return 1;
}

int mnu_run(int n) {
  if (!vwin_active() || n < 0 || n >= MenuCount || !MenuArray)
    return 0;
  const int p = MenuPage;
  cmd_cancel(0);
  const int parent = mnu_index(MenuArray[n].parent);
  if (p != parent)
    pnl_page(parent);
  int k = -1;
  for (int i = 0; i < MNU_SLOTS && k < 0; i++)
    if (MenuSlots[i] == n)
      k = i;
  if (k < 0)
    return 1;
  if (pnl_twobanks()) {
    const int gp = mnu_group(p), gn = mnu_group(parent);
    if (gp >= 0)
      pnl_press(gp + 3, 0);
    if (gn >= 0)
      pnl_press(gn + 3, 1);
    return pnl_click(k + 23);
  }
  return pnl_click(k);
}

int mru_menu(HMENU menu) {
  if (!menu)
    return 0;
  for (int i = 0; i < RECENT_COUNT; i++) {
    if (!RecentFiles[i][0])
      continue;
    char shortpath[262] = "", amp[522] = "", text[540];
    pth_short(RecentFiles[i], shortpath);
    if (!str_dblamp(shortpath, amp, sizeof amp))
      std::snprintf(amp, sizeof amp, "%s", shortpath);
    std::snprintf(text, sizeof text, "&%d %s", i + 1, amp);
    if (i == 0 && !mru_separator) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      mru_separator = true;
    }
    AppendMenuA(menu, MF_STRING, UINT_PTR(17000 + i), text);
  }
  return 0;
}

int mru_init() {
  mru_separator = false;
  return mru_menu(file_menu());
}

int mru_add(const char *path) {
  if (!path || !path[0])
    return 0;
  HMENU menu = file_menu();
  for (int i = 0; i < RECENT_COUNT; i++)
    if (menu && RecentFiles[i][0])
      DeleteMenu(menu, UINT(17000 + i), MF_BYCOMMAND);
  int k = RECENT_COUNT - 1;
  for (int i = 0; i < RECENT_COUNT; i++)
    if (app_samefile(RecentFiles[i], path)) {
      k = i;
      break;
    }
  for (int j = k - 1; j >= 0; j--)
    std::memcpy(RecentFiles[j + 1], RecentFiles[j], sizeof RecentFiles[j]);
  std::snprintf(RecentFiles[0], sizeof RecentFiles[0], "%s", path);
  mru_menu(menu);
  prf_writ(6);
  return 0;
}

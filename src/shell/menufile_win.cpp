#include "shell/menufile.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "commands/cmdroute.h"
#include "commands/menurec.h"
#include "settings/params.h"
#include "settings/prefs.h"
#include "settings/strutil.h"
#include "settings/syspath.h"
#include "shell/appcmd.h"
#include "shell/appsvc.h"
#include "shell/toolbar.h"
#include "shell/viewwin.h"

namespace {

constexpr const char *SECTION = "CADMENU";
int32_t ToolSlots[3] = {-1, -1, -1}; // tool-window presets (the tool window is not built yet)
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
    if (r.child >= 0 && r.child < MenuCount && !seen[size_t(r.child)])
      AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(build(r.child, seen)), r.longlabel);
    else if (r.child < 0)
      AppendMenuA(menu, MF_STRING, UINT_PTR(MNU_ID + i), r.longlabel);
  }
  return menu;
}

HMENU file_menu() {
  HWND frame = app_hmain();
  HMENU bar = frame ? GetMenu(frame) : nullptr;
  return bar ? GetSubMenu(bar, 0) : nullptr;
}

} // namespace

int mnu_load(const char *path) {
  free_array();
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
  return 0;
}

HMENU cmd_mkmenu(int first) {
  std::vector<bool> seen(size_t(MenuCount > 0 ? MenuCount : 1), false);
  return build(first, seen);
}

int mnu_build(int panels_only) {
  for (int32_t &s : ToolSlots)
    s = -1;
  char path[262];
  tbar_path(path);
  if (!tval_read(path))
    return 0;
  int k = 0;
  for (ToolValue *v = ToolValues.first; v && k < 3; v = v->next)
    ToolSlots[k++] = v->a;
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

int mnu_run(int n) {
  // The command panel that would show and press the record's button is not built.
  if (!vwin_active() || n < 0 || n >= MenuCount)
    return 0;
  cmd_cancel(0);
  return 1;
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

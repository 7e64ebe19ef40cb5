#include "shell/units/keytable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "shell/app/cmdroute.h"
#include "shell/units/abox.h"
#include "settings/appwin.h"
#include "shell/units/panel.h"
#include "shell/units/toolwin.h"
#include "shell/units/scmenu.h"

KeyTable KeyTab;
POINT KeyDragStart = {0, 0};
int32_t KeyDragEight = 0;

namespace {

const char kSection[] = "KEYMENU";
const char kCount[] = "KEYITEMCOUNT";

struct BuiltinKey {
  uint8_t key, mod1, mod2;
  UINT message;
  int id;
};
BuiltinKey Builtin[45];
int BuiltinCount = 0;

void item_name(char *out, int n) { std::snprintf(out, 16, "%s%03d", "KEYITEM", n); }

int read_count(const char *file) {
  char buf[32];
  GetPrivateProfileStringA(kSection, kCount, "", buf, sizeof buf, file);
  char *end = nullptr;
  const long n = std::strtol(buf, &end, 10);
  return end == buf ? 0 : (n < -1000000 || n > 1000000 ? -1 : int(n));
}

void free_table(KeyTable *t) {
  delete[] t->items;
  t->items = nullptr;
  t->count = 0;
}

} // namespace

int key_load(const char *file, KeyTable *table) {
  if (!table)
    return 0;
  if (!file) {
    free_table(table);
    return 1;
  }
  const int count = read_count(file);
  if (count < 1 || count > KEY_MAXITEMS)
    return 0;
  KeyItem *items = new (std::nothrow) KeyItem[count];
  if (!items)
    return 0;
  for (int i = 0; i < count; i++) {
    char name[16], line[512];
    item_name(name, i + 1);
    const DWORD n = GetPrivateProfileStringA(kSection, name, "\x01", line, sizeof line, file);
    if ((n == 1 && line[0] == 1) || key_rec('R', line, sizeof line, &items[i]) != 1) {
      delete[] items;
      return 0;
    }
  }
  free_table(table);
  table->items = items;
  table->count = count;
  return 1;
}

int key_save(const char *file, const KeyTable *table) {
  if (!file || !table || table->count < 1 || !table->items)
    return 0;
  char buf[512];
  std::snprintf(buf, sizeof buf, "%d", table->count);
  int ok = WritePrivateProfileStringA(kSection, kCount, buf, file) ? 1 : 0;
  for (int i = 0; i < table->count; i++) {
    char name[16];
    item_name(name, i + 1);
    if (key_rec('W', buf, sizeof buf, &table->items[i]) != 1 || !WritePrivateProfileStringA(kSection, name, buf, file))
      ok = 0;
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
  return ok;
}

int key_upgrade(const char *file) {
  if (!file)
    return 1;
  const int count = read_count(file);
  const int to = key_upcount(count);
  if (to < 0)
    return 1;
  if (to == count)
    return 0;
  for (int i = 0; i < 7; i++) {
    char name[16];
    item_name(name, count + 1 + i);
    WritePrivateProfileStringA(kSection, name, key_mouselines[i], file);
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "%d", to);
  WritePrivateProfileStringA(kSection, kCount, buf, file);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
  return 0;
}

int key_init(const char *file) {
  key_upgrade(file);
  return key_load(file, &KeyTab) ? 0 : 1;
}

int key_builtin() {
  int n = 0;
  auto add = [&](uint8_t k, uint8_t m1, uint8_t m2, int id) { Builtin[n++] = {k, m1, m2, WM_COMMAND, id}; };
  add(8, 0, 0, 18000);
  add(8, 1, 0, 18001);
  add(27, 0, 0, 18002);
  const char digits[] = "1234567890";
  for (int i = 0; i < 10; i++)
    add(uint8_t(digits[i]), 0, 0, 18003 + i);
  add(0xbd, 0, 0, 18013);
  for (int i = 0; i < 9; i++)
    add(0, 0, 0, 18014 + i);
  for (int i = 0; i < 9; i++)
    add(uint8_t('1' + i), 2, 1, 19000 + i);
  // The table names the thirteen codes after '0' ('1'..'9', ':', ';', '<', '='); no
  // keyboard sends the last four as key codes, so they are the keys that follow 9 on a
  // Japanese keyboard's top row: 0, -, ^ and the yen key.
  const uint8_t abox[13] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0', VK_OEM_MINUS, VK_OEM_7, VK_OEM_5};
  for (int i = 0; i < 13; i++)
    add(abox[i], 1, 2, 20000 + i);
  BuiltinCount = n;
  return 0;
}

namespace {

// The window a built-in key's command goes to, or null when that unit may not take it
// now: the panel's page keys only while the panel is on the screen (its Undo and Redo
// keys always), the tool window's only while it is shown, an attribute-box key only
// while the box is shown and its field is there and enabled, as for a click.
HWND builtin_target(int id) {
  if (id >= ABOX_ID) {
    HWND field = abox_field(id - ABOX_ID);
    if (!pnl_shown(1) || !field || !IsWindowVisible(field) || !IsWindowEnabled(field))
      return nullptr;
    return app_habox();
  }
  if (id >= TOOL_ID)
    return pnl_shown(2) ? app_htool() : nullptr;
  if (id >= PNL_ID + 3 && !pnl_shown(0))
    return nullptr;
  return app_hpanel();
}

// The built-in key of a key-down: WM_COMMAND to the panel, tool window or attribute
// box. Escape is left to the waiting command, which takes it as 27, and so are the
// panel's keys while a command waits (it takes its digits and Backspace itself). The
// table gives Ctrl+Shift+1..9 both to the tool window and to the attribute box: the
// first of them that is on the screen takes the key.
int builtin_key(UINT vk, uint32_t mods, bool busy) {
  for (int i = 0; i < BuiltinCount; i++) {
    const BuiltinKey &b = Builtin[i];
    if (b.key == 0 || b.key != vk || b.key == 27)
      continue;
    auto bit = [](uint8_t m) -> uint32_t { return m == 1 ? uint32_t(KEY_SHIFT) : m == 2 ? uint32_t(KEY_CTRL) : 0u; };
    const uint32_t want = bit(b.mod1) | bit(b.mod2);
    if (want != mods || (busy && b.id < TOOL_ID))
      continue;
    HWND to = builtin_target(b.id);
    if (!to)
      continue;
    SendMessageA(to, b.message, WPARAM(b.id), b.id >= ABOX_ID ? LPARAM(-1) : 0);
    return 1;
  }
  return 0;
}

bool in_edit(HWND h) {
  char cls[16];
  return h && GetClassNameA(h, cls, sizeof cls) && (lstrcmpiA(cls, "Edit") == 0 || lstrcmpiA(cls, "ComboBox") == 0);
}

} // namespace

int key_xlate(MSG *msg) {
  if (!msg)
    return 0;
  switch (msg->message) {
  case WM_KEYDOWN: {
    if (in_edit(msg->hwnd))
      return 0;
    uint32_t mods = 0;
    if (GetKeyState(VK_SHIFT) < 0)
      mods |= KEY_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
      mods |= KEY_CTRL;
    const UINT vk = UINT(msg->wParam);
    const bool fkey = vk >= VK_F1 && vk <= VK_F12 && vk != VK_F10;
    const bool nav = vk == VK_PRIOR || vk == VK_NEXT || (vk >= VK_LEFT && vk <= VK_DOWN);
    if (fkey || nav) {
      if (KeyTab.count > 0)
        return cmd_keyrun(int(vk), int(mods | KEY_VIRT));
      return 0;
    }
    if (vk == VK_ESCAPE || vk == VK_F10)
      return 0;
    return builtin_key(vk, mods, lvl_anybusy() != 0);
  }
  case WM_CHAR:
    if (in_edit(msg->hwnd))
      return 0;
    return cmd_keyrun(int(msg->wParam & 0xff), 0);
  case WM_MBUTTONDOWN:
    cmd_keyrun(0x90, int(KEY_VIRT));
    return 1;
  default:
    return 0;
  }
}

int key_dragdir(int x, int y) { return key_dragsector(KeyDragStart.x, KeyDragStart.y, x, y, KeyDragEight == 1); }

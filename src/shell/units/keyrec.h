// Key assignment lines and shortcut-menu records of the key file (pure logic).
// The key file is "inkforge.key" in the program folder, sections KEYMENU and
// SHORTCUTMENU.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Modifier bits of a key assignment.
enum : uint32_t { KEY_SHIFT = 0x01, KEY_CTRL = 0x02, KEY_VIRT = 0x80 };

struct KeyItem {
  uint32_t key = 0;    // virtual-key code or character; the lookup uses the low byte
  uint32_t mods = 0;   // KEY_SHIFT, KEY_CTRL, KEY_VIRT
  int32_t command = -1;
  int32_t kind = 0;
  std::string label;   // with its brackets
  std::string text;
};

constexpr int KEY_MAXITEMS = 200;

// 'R'/'r': parses text into item; 'W'/'w': formats item into text (size bytes). A
// command from 18000 on is switched off afterwards (-1, kind 0, no text). 1, or 0
// when the text does not fit (the line is then "").
int key_rec(int op, char *text, std::size_t size, KeyItem *item);

// The seven mouse and wheel lines an older key table gains.
extern const char *const key_mouselines[7];
// The item count after the upgrade of a table of count items: count + 7 for 1..108,
// count for 109..200, -1 outside 1..200.
int key_upcount(int count);

// Drag direction from (sx, sy) to (x, y): -1 below 6 pixels, else the sector 0..7
// (four directions give the even ones).
int key_dragsector(int sx, int sy, int x, int y, bool eight);

struct ShortcutItem {
  int32_t depth = 0;
  int32_t kind = 0; // 0 item, 1 popup, 2 separator
  std::string label;
  int32_t command = 0;
  int32_t level = 0; // 0..4
  int32_t menuid = 0;
  void *submenu = nullptr; // while the menu is built
};

constexpr int SCM_MAXITEMS = 200;

// Parses one SHORTCUTMENU line ("depth,kind,label,command,level"); false when it is
// missing, short or out of range.
bool scm_parse(const char *line, ShortcutItem *item);

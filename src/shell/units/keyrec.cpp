#include "shell/units/keyrec.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string trimmed(const char *b, const char *e) {
  while (b < e && (*b == ' ' || *b == '\t'))
    ++b;
  while (e > b && (e[-1] == ' ' || e[-1] == '\t' || e[-1] == '\r' || e[-1] == '\n'))
    --e;
  return std::string(b, e);
}

void switch_off(KeyItem *item) {
  if (item->command >= 18000) {
    item->command = -1;
    item->kind = 0;
    item->text.clear();
  }
}

void parse(const char *p, KeyItem *item) {
  const char *c = std::strchr(p, ',');
  if (!c)
    return;
  unsigned long w = std::strtoul(std::string(p, c).c_str(), nullptr, 16);
  uint32_t mods = 0;
  if (w & 0x8000) {
    mods |= KEY_VIRT;
    w &= ~0x8000ul;
    if (w & 0x100)
      mods |= KEY_SHIFT;
    if (w & 0x200)
      mods |= KEY_CTRL;
    w &= ~0x300ul;
  }
  item->key = uint32_t(w);
  item->mods = mods;
  p = c + 1;
  if (!(c = std::strchr(p, ',')))
    return;
  item->command = int32_t(std::strtol(std::string(p, c).c_str(), nullptr, 10));
  p = c + 1;
  if (!(c = std::strchr(p, ',')))
    return;
  item->kind = int32_t(std::strtol(std::string(p, c).c_str(), nullptr, 10));
  p = c + 1;
  // The label runs to its closing bracket, so it may hold commas.
  const char *close = std::strchr(p, ']');
  if (!(c = std::strchr(close ? close : p, ',')))
    return;
  item->label = trimmed(p, c);
  p = c + 1;
  item->text = trimmed(p, p + std::strlen(p));
}

} // namespace

int key_rec(int op, char *text, std::size_t size, KeyItem *item) {
  if (!text || !item)
    return 0;
  if (op == 'R' || op == 'r') {
    parse(text, item);
    switch_off(item);
    return 1;
  }
  if (op != 'W' && op != 'w')
    return 0;
  uint32_t w = item->key & 0xff;
  if (item->mods & KEY_VIRT)
    w |= 0x8000;
  else
    w = item->key & 0xffff;
  if (item->mods & KEY_SHIFT)
    w |= 0x100;
  if (item->mods & KEY_CTRL)
    w |= 0x200;
  const int n = std::snprintf(text, size, "%04x,%5d,%1d,%s,%s", unsigned(w), int(item->command), int(item->kind),
                              item->label.c_str(), item->text.c_str());
  if (n < 0 || std::size_t(n) >= size) {
    if (size)
      text[0] = 0;
    return 0;
  }
  switch_off(item);
  return 1;
}

const char *const key_mouselines[7] = {
    "8090,  540,3,[ MButton ],", "8091,  541,3,[ WheelUp ],", "8092,  542,3,[ WheelDn ],",
    "8191,  543,3,[Shift+WUp],", "8192,  544,3,[Shift+WDn],", "8291,  545,3,[Ctrl+WUp ],",
    "8292,  546,3,[Ctrl+WDn ],",
};

int key_upcount(int count) {
  if (count < 1 || count > KEY_MAXITEMS)
    return -1;
  return count <= 108 ? count + 7 : count;
}

int key_dragsector(int sx, int sy, int x, int y, bool eight) {
  const double dx = double(x) - sx, dy = double(sy) - y;
  if (std::lround(std::sqrt(dx * dx + dy * dy)) < 6)
    return -1;
  const int n = eight ? 8 : 4;
  double a = std::atan2(dy, dx) * 180.0 / 3.14159265358979323846 - 180.0 / n;
  if (a < 0)
    a += 360.0;
  int r = int(std::lround(a / (360.0 / n))) + 1;
  if (n == 4)
    r *= 2;
  return r >= 8 ? 0 : r;
}

bool scm_parse(const char *line, ShortcutItem *item) {
  if (!line || !item || std::strcmp(line, "Error") == 0)
    return false;
  std::string f[5];
  const char *p = line;
  for (int i = 0; i < 5; ++i) {
    const char *c = i < 4 ? std::strchr(p, ',') : p + std::strlen(p);
    if (!c)
      return false;
    f[i] = trimmed(p, c);
    p = c + 1;
  }
  ShortcutItem r;
  r.depth = int32_t(std::strtol(f[0].c_str(), nullptr, 10));
  r.kind = int32_t(std::strtol(f[1].c_str(), nullptr, 10));
  r.label = f[2];
  r.command = int32_t(std::strtol(f[3].c_str(), nullptr, 10));
  r.level = int32_t(std::strtol(f[4].c_str(), nullptr, 10));
  if (r.kind < 0 || r.kind > 2 || r.level < 0 || r.level >= 5 || r.depth < 0)
    return false;
  *item = std::move(r);
  return true;
}

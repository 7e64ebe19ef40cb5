#include "database/layers.h"

#include <cstdio>
#include <cstring>

#include "settings/strutil.h"

namespace {

std::size_t blank_len(const char *p, std::size_t left) {
  if (left >= 1 && p[0] == ' ')
    return 1;
  if (left >= 2 && static_cast<unsigned char>(p[0]) == 0x81 && static_cast<unsigned char>(p[1]) == 0x40)
    return 2;
  return 0;
}

// Case-insensitive for single-byte letters, double-byte characters compared whole.
bool same_name(const char *a, const char *b) {
  char ta[257], tb[257];
  std::size_t la = strnlen(a, 256), lb = strnlen(b, 256);
  std::memcpy(ta, a, la);
  std::memcpy(tb, b, lb);
  la = lay_trim(la, ta);
  lb = lay_trim(lb, tb);
  if (la != lb)
    return false;
  for (std::size_t i = 0; i < la;) {
    if (i + 1 < la && sjis_islead(static_cast<unsigned char>(ta[i])) &&
        sjis_istrail(static_cast<unsigned char>(ta[i + 1]))) {
      if (ta[i] != tb[i] || ta[i + 1] != tb[i + 1])
        return false;
      i += 2;
      continue;
    }
    unsigned char ca = static_cast<unsigned char>(ta[i]), cb = static_cast<unsigned char>(tb[i]);
    if (ca >= 'a' && ca <= 'z')
      ca = static_cast<unsigned char>(ca - 32);
    if (cb >= 'a' && cb <= 'z')
      cb = static_cast<unsigned char>(cb - 32);
    if (ca != cb)
      return false;
    i++;
  }
  return true;
}

// Equal name on any entry but skip.
bool taken(const char *name, const LayerNames table, int skip) {
  for (int i = 0; i < 64; i++)
    if (i != skip && same_name(table[i], name))
      return true;
  return false;
}

} // namespace

std::size_t lay_trim(std::size_t len, char *name) {
  std::size_t b = 0;
  while (std::size_t k = blank_len(name + b, len - b))
    b += k;
  // Forward scan by characters keeps trail bytes out of the blank test.
  std::size_t end = b;
  for (std::size_t i = b; i < len && name[i];) {
    std::size_t k = blank_len(name + i, len - i);
    std::size_t cl = k ? k : (i + 1 < len && sjis_ispair(name + i) ? 2 : 1);
    i += cl;
    if (!k)
      end = i;
  }
  std::size_t n = end - b;
  std::memmove(name, name + b, n);
  if (n < len)
    name[n] = '\0';
  return n;
}

int lay_isfree(int layer, const char *name, const LayerNames table) { return taken(name, table, layer) ? 0 : 1; }

int lay_find(int mode, int layer, const char *name, const LayerNames table, int *found) {
  for (int i = mode == 0 ? layer + 1 : 0; i < 64; i++) {
    if (i == layer || i < 0)
      continue;
    if (same_name(table[i], name)) {
      *found = i;
      return 1;
    }
  }
  *found = -1;
  return 0;
}

int lay_check(LayerNames table) {
  for (int i = 0; i < 64; i++) {
    table[i][255] = '\0';
    char t[256];
    std::memcpy(t, table[i], 256);
    str_trim(TRIM_LEAD | TRIM_TRAIL, t);
    if (std::strcmp(t, "0") == 0)
      lay_dfltname(i, table[i]);
  }
  static const char bad[] = "><:/\\\";?*|,=`";
  for (int i = 0; i < 64; i++) {
    for (const char *p = table[i]; *p; p += sjis_charlen(p)) {
      if (!sjis_ispair(p) && std::strchr(bad, *p)) {
        lay_dfltname(i, table[i]);
        break;
      }
    }
  }
  for (int i = 0; i < 64; i++) {
    int later;
    if (!lay_find(0, i, table[i], table, &later))
      continue;
    char name[256];
    lay_dfltname(i, name);
    if (!same_name(table[i], name) && !taken(name, table, i)) {
      std::strcpy(table[i], name);
      continue;
    }
    for (int k = 1; k <= 64; k++) {
      std::snprintf(name, sizeof name, "LAYER%03d%03d", i + 1, k);
      if (!taken(name, table, i)) {
        std::strcpy(table[i], name);
        break;
      }
    }
  }
  return 0;
}

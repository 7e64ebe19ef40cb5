#include "commands/cmdl/menurec.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/strutil.h"

MenuFileRecord *MenuArray = nullptr;
int32_t MenuCount = 0;

namespace {

// The next comma at or behind p, stepping over double-byte characters; null when none.
char *next_comma(char *p) {
  while (*p) {
    if (sjis_islead(static_cast<unsigned char>(*p)) && p[1]) {
      p += 2;
      continue;
    }
    if (*p == ',')
      return p;
    p++;
  }
  return nullptr;
}

void cut_copy(char *dst, size_t room, const char *src) {
  size_t n = std::strlen(src);
  if (n > room - 1)
    n = room - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

// A label cut to its room ends at the last whole character, so that a lead byte is
// never left without its trail byte.
void cut_label(char *dst, size_t room, const char *src) {
  size_t n = 0;
  while (src[n]) {
    const size_t step = sjis_islead(static_cast<unsigned char>(src[n])) && src[n + 1] ? 2 : 1;
    if (n + step > room - 1)
      break;
    n += step;
  }
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

} // namespace

int cmd_mnurec(int op, char *text, MenuFileRecord *rec) {
  if (op == 'r' || op == 'R') {
    std::memset(rec, 0, sizeof *rec);
    char buf[256];
    cut_copy(buf, sizeof buf, text ? text : "");
    char *field[7] = {};
    char *p = buf;
    int n = 0;
    for (; n < 6; n++) {
      char *c = next_comma(p);
      if (!c)
        break;
      *c = '\0';
      field[n] = p;
      p = c + 1;
    }
    if (n == 6)
      field[6] = p;
    if (field[0])
      rec->parent = std::atoi(field[0]);
    if (field[1])
      rec->child = std::atoi(field[1]);
    if (field[2])
      rec->next = std::atoi(field[2]);
    if (field[3])
      rec->command = std::atoi(field[3]);
    if (field[4])
      rec->value = static_cast<uint16_t>(std::strtoul(field[4], nullptr, 10) & 0xFFFF);
    if (field[5])
      cut_label(rec->shortlabel, sizeof rec->shortlabel, field[5]);
    if (field[6])
      cut_label(rec->longlabel, sizeof rec->longlabel, field[6]);
  } else if (op == 'w' || op == 'W') {
    std::snprintf(text, 80, "%d,%d,%d,%d,%u,%s,%s", rec->parent, rec->child, rec->next, rec->command,
                  unsigned(rec->value), rec->shortlabel, rec->longlabel);
  }
  return 1;
}

int32_t MenuGroups[MNU_GROUPS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                  -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
int32_t MenuPage = -1;
int32_t MenuLastPage = -1;
int32_t MenuSlots[MNU_SLOTS] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

int mnu_index(int32_t i) { return MenuArray && i >= 0 && i < MenuCount ? i : -1; }

void mnu_resetpages() {
  for (int32_t &g : MenuGroups)
    g = -1;
  for (int32_t &s : MenuSlots)
    s = -1;
  MenuPage = -1;
}

int mnu_groups() {
  for (int32_t &g : MenuGroups)
    g = -1;
  int k = 0;
  for (int i = 0; MenuArray && i < MenuCount && k < MNU_GROUPS; i++)
    if (MenuArray[i].parent == -1)
      MenuGroups[k++] = i; // a file with more groups keeps its first ones
  return k;
}

int mnu_group(int32_t r) {
  for (int k = 0; r >= 0 && k < MNU_GROUPS; k++)
    if (MenuGroups[k] == r)
      return k;
  return -1;
}

int mnu_chain(int page, int32_t slots[MNU_SLOTS]) {
  bool seen[MNU_MAX] = {};
  int r = page < 0 ? mnu_index(0) : mnu_index(page) < 0 ? -1 : mnu_index(MenuArray[page].child);
  int k = 0;
  for (; k < MNU_SLOTS && r >= 0 && !seen[r]; k++) {
    seen[r] = true;
    slots[k] = r;
    r = mnu_index(MenuArray[r].next);
  }
  for (int i = k; i < MNU_SLOTS; i++)
    slots[i] = -1;
  return k;
}

int mnu_findcmd(int command) {
  for (int i = 0; MenuArray && i < MenuCount; i++)
    if (MenuArray[i].command == command)
      return i;
  return -1;
}

namespace {
void centred(const char *label, char *out, size_t room) {
  size_t n = std::strlen(label);
  if (n >= 9)
    n = 8;
  const char *fmt = n == 0 ? "%-8s" : n <= 2 ? "   %-2s   " : n <= 4 ? "  %-4s  " : n <= 6 ? " %-6s " : "%-8s";
  std::snprintf(out, room, fmt, label);
}
} // namespace

void cmd_statustext(const char *group, const char *entry, char *out) {
  char g[16], e[16];
  centred(group, g, sizeof g);
  centred(entry, e, sizeof e);
  std::snprintf(out, 32, " %s: %s", g, e);
}

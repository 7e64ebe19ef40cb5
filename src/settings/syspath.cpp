#include "settings/syspath.h"

#include <cstring>
#include <string>

#include "settings/msgfile.h"
#include "settings/strutil.h"

namespace {

char table[SYSPATH_COUNT][262];
char table2[SYSPATH2_COUNT][262];
PaperBlock paper;

bool is_read(int op) { return op == 'R' || op == 'r'; }
bool is_write(int op) { return op == 'W' || op == 'w'; }

void store(char *entry, const char *text) {
  std::memset(entry, 0, 262);
  msg_copy(entry, 262, text ? text : "");
}

// Appends n bytes; false when they do not fit with the NUL.
bool append(char *out, std::size_t size, std::size_t &len, const char *s, std::size_t n) {
  if (len + n + 1 > size)
    return false;
  std::memcpy(out + len, s, n);
  len += n;
  out[len] = '\0';
  return true;
}

} // namespace

const char *sys_pathraw(int entry) { return entry >= 0 && entry < SYSPATH_COUNT ? table[entry] : ""; }

void sys_pathset(int entry, const char *text) {
  if (entry >= 0 && entry < SYSPATH_COUNT)
    store(table[entry], text);
}

int pth_expand(const char *stored, char *out, std::size_t size, const PathLookup &lookup) {
  if (size == 0)
    return 1;
  out[0] = '\0';
  std::size_t len = 0;
  bool ok = true;
  const char *pct = std::strchr(stored, '%');
  if (!pct) {
    ok = append(out, size, len, stored, std::strlen(stored));
  } else {
    ok = append(out, size, len, stored, static_cast<std::size_t>(pct - stored));
    const char *name_end = std::strchr(pct + 1, '%');
    std::size_t name_len = name_end ? static_cast<std::size_t>(name_end - pct - 1) : std::strlen(pct + 1);
    char name[262];
    if (name_len >= sizeof name)
      name_len = sizeof name - 1;
    std::memcpy(name, pct + 1, name_len);
    name[name_len] = '\0';
    str_upper(name);
    char value[262];
    if (lookup.env && lookup.env(name, value, sizeof value)) {
      ok = ok && append(out, size, len, value, std::strlen(value));
    } else if (name[0] == 'F' && name[1] == 'D' && name[2] >= '1' && name[2] <= '9' && name[3] == '\0') {
      char letter = lookup.removable ? lookup.removable(name[2] - '0') : 0;
      if (letter) {
        char drive[2] = {letter, ':'};
        ok = ok && append(out, size, len, drive, 2);
      }
    }
    if (name_end)
      ok = ok && append(out, size, len, name_end + 1, std::strlen(name_end + 1));
  }
  if (ok && len > 0 && out[len - 1] != ':' && !pth_endsbs(out))
    ok = append(out, size, len, "\\", 1);
  if (!ok) {
    out[0] = '\0';
    return 1;
  }
  return 0;
}

int sys_path2(int op, int entry, char *buf) {
  if (entry < 0 || entry >= SYSPATH2_COUNT)
    return 1;
  if (is_read(op))
    std::memcpy(buf, table2[entry], 262);
  else if (is_write(op))
    store(table2[entry], buf);
  else
    return 1;
  return 0;
}

// Only the Windows side reads with expansion; the write half is shared.
int sys_pathwrite(int entry, const char *buf) {
  if (entry < 0 || entry >= SYSPATH_COUNT)
    return 1;
  store(table[entry], buf);
  return 0;
}

int sys_paper(int op, PaperBlock *rec) {
  if (is_read(op))
    *rec = paper;
  else if (is_write(op))
    paper = *rec;
  else
    return 1;
  return 0;
}

void pth_bslash(int mode, char *path) {
  if (!path)
    return;
  std::size_t n = std::strlen(path);
  if (mode == 1) {
    if (!pth_endsbs(path)) {
      path[n] = '\\';
      path[n + 1] = '\0';
    }
  } else if (pth_endsbs(path)) {
    path[n - 1] = '\0';
  }
}

int pth_short(const char *path, char *out) {
  if (!path || !path[0] || !out)
    return -1;
  const std::size_t n = std::strlen(path);
  // Backslash positions after the drive part, double-byte aware.
  std::size_t slashes[262];
  int count = 0;
  for (std::size_t i = 0; i < n;) {
    if (path[i] == '\\' && i >= 3 && count < 262)
      slashes[count++] = i;
    std::size_t c = sjis_charlen(path + i);
    i += c ? c : 1;
  }
  int names = count + (n > 3 && !pth_endsbs(path) ? 1 : 0);
  if (n <= 3 || names < 4 || count < 2) {
    msg_copy(out, 260, path);
    return 0;
  }
  std::string s(path, 3);
  s.append(path + 3, slashes[0] - 3 + 1);
  s += "...\\";
  // The tail after the last-but-one backslash: last folder and file, or the last folder.
  s.append(path + slashes[count - 2] + 1);
  if (s.size() >= n)
    msg_copy(out, 260, path);
  else
    msg_copy(out, 260, s.c_str());
  return 0;
}

#include "shell/dde/ddeexec.h"

#include <cstring>

namespace {
char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool prefix(const char *s, std::size_t n, const char *p, bool anycase) {
  const std::size_t k = std::strlen(p);
  if (n < k)
    return false;
  for (std::size_t i = 0; i < k; i++)
    if (anycase ? lower(s[i]) != lower(p[i]) : s[i] != p[i])
      return false;
  return true;
}

// The path runs from s up to the first stop byte within n; the parentheses and the
// quote are never trail bytes of a double-byte character, so a byte search is safe.
// 1 found and fits, 0 no stop byte, -1 too long.
int cut(const char *s, std::size_t n, char stop, char *out) {
  const void *end = std::memchr(s, stop, n);
  if (!end)
    return 0;
  const std::size_t len = std::size_t(static_cast<const char *>(end) - s);
  if (len >= DDEX_PATHMAX)
    return -1;
  std::memcpy(out, s, len);
  out[len] = '\0';
  return 1;
}
} // namespace

DdeExec ddes_parse(const char *data, std::size_t size) {
  DdeExec r{};
  r.action = DdeAction::None;
  if (!data)
    return r;
  std::size_t n = 0;
  while (n < size && n < DDEX_LOOKED && data[n])
    n++;
  if (prefix(data, n, "[OpenFile](", false)) {
    const int c = cut(data + 11, n - 11, ')', r.path);
    if (c != 0) {
      r.action = c > 0 ? DdeAction::OpenFile : DdeAction::Refused;
      if (c < 0)
        r.path[0] = '\0';
      return r;
    }
  }
  if (prefix(data, n, "[FileOpen(\"", true)) {
    const int c = cut(data + 11, n - 11, '"', r.path);
    if (c != 0) {
      r.action = c > 0 ? DdeAction::FileOpen : DdeAction::Refused;
      if (c < 0)
        r.path[0] = '\0';
      return r;
    }
  }
  if (prefix(data, n, "[Quit]", true))
    r.action = DdeAction::Quit;
  else if (prefix(data, n, "[Icon]", true))
    r.action = DdeAction::Icon;
  else if (prefix(data, n, "[Close]", true))
    r.action = DdeAction::Close;
  else if (n == 7 && prefix(data, n, "UndPend", true))
    r.action = DdeAction::UndPend;
  return r;
}

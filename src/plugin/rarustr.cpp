#include "plugin/rarustr.h"

#include <climits>
#include <cstring>

#include "settings/strutil.h"

std::size_t raru_copycut(char *dst, std::size_t width, const char *src, std::size_t srclen) {
  if (width == 0)
    return 0;
  std::size_t n = 0;
  const std::size_t room = width - 1;
  while (n < srclen && src[n] != '\0') {
    std::size_t k = 1;
    if (sjis_islead(static_cast<unsigned char>(src[n])) && n + 1 >= srclen)
      break; // the source ends inside a pair
    if (sjis_ispair(src + n))
      k = 2;
    if (n + k > room)
      break;
    n += k;
  }
  std::memmove(dst, src, n);
  dst[n] = '\0';
  return n;
}

bool raru_fieldeq(const void *field, std::size_t width, const char *s, std::size_t swidth) {
  const char *f = static_cast<const char *>(field);
  const std::size_t n = strnlen(f, width), m = strnlen(s, swidth);
  return n == m && std::memcmp(f, s, n) == 0;
}

bool raru_join(char *dst, const char *folder, const char *name) {
  const std::size_t a = std::strlen(folder), b = std::strlen(name);
  if (a + 1 + b + 1 > RARU_PATH) {
    dst[0] = '\0';
    return false;
  }
  std::memcpy(dst, folder, a);
  dst[a] = '\\';
  std::memcpy(dst + a + 1, name, b + 1);
  return true;
}

int32_t raru_atoi(const char *s) {
  bool neg = false;
  if (*s == '-' || *s == '+')
    neg = *s++ == '-';
  long long v = 0;
  for (; *s >= '0' && *s <= '9'; s++)
    if (v <= INT_MAX)
      v = v * 10 + (*s - '0');
  if (neg)
    v = -v;
  return static_cast<int32_t>(v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : v);
}

void raru_dirof(const char *path, char *dst) {
  std::size_t end = 0;
  for (std::size_t i = 0; path[i] != '\0';) {
    const std::size_t k = sjis_charlen(path + i);
    if (k == 1 && (path[i] == '\\' || path[i] == '/'))
      end = i + 1;
    i += k;
  }
  raru_copycut(dst, RARU_PATH, path, end);
  if (std::strlen(dst) != end)
    dst[0] = '\0';
}

bool raru_badname(const char *name) {
  for (std::size_t i = 0; name[i] != '\0';) {
    const std::size_t k = sjis_charlen(name + i);
    if (k == 1 && std::strchr("@^[]_|", name[i]))
      return true;
    i += k;
  }
  return false;
}

bool raru_alnum(const char *password) {
  for (const char *p = password; *p; p++) {
    const char c = *p;
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
      return false;
  }
  return true;
}

bool raru_keepsname(const char *name) {
  const std::size_t n = std::strlen(name);
  if (n == 0)
    return true;
  for (std::size_t i = 0; i < n; i++)
    if (static_cast<unsigned char>(name[i]) < 0x20 || name[i] == 0x7F)
      return false;
  // Also 0xA0, which some code-page tables give the no-break space.
  auto blank = [](const char *c) {
    return c[0] == ' ' || (c[0] == '\xA0' && c[1] == '\0') || (c[0] == '\x81' && c[1] == '\x40');
  };
  auto quote = [](char c) { return c == '"' || c == '\''; };
  if (blank(name) || quote(name[0]))
    return false;
  // The last whole character.
  std::size_t last = 0;
  for (std::size_t i = 0; i < n;) {
    last = i;
    i += sjis_charlen(name + i);
  }
  const char *end = name + last;
  return !(blank(end) || (n - last == 1 && quote(*end)));
}

#include "files/lockfile.h"

#include <cstdio>
#include <cstring>

#include "settings/strutil.h"

int lck_path(const char *path, char *out) {
  const int n = std::snprintf(out, LCK_PATHMAX, "%s.cslock", path ? path : "");
  if (n < 0 || n >= LCK_PATHMAX) {
    out[0] = '\0';
    return 1;
  }
  return 0;
}

std::size_t lck_format(const LockHolder &h, char *out, std::size_t size) {
  const int n = std::snprintf(out, size, "user: %s\r\nhost: %s\r\ntime: %04u/%02u/%02u %02u:%02u:%02u\r\n", h.user,
                              h.host, unsigned(h.time.year), unsigned(h.time.month), unsigned(h.time.day),
                              unsigned(h.time.hour), unsigned(h.time.minute), unsigned(h.time.second));
  if (n < 0)
    return 0;
  return std::size_t(n) < size ? std::size_t(n) : size - 1;
}

namespace {

// Copies at most LCK_FIELD - 1 bytes, never half of a double-byte character.
void copyfield(char *dst, const char *src) {
  std::size_t i = 0;
  while (src[i]) {
    const std::size_t len = sjis_charlen(src + i);
    if (i + len > LCK_FIELD - 1)
      break;
    i += len;
  }
  std::memcpy(dst, src, i);
  dst[i] = '\0';
}

// Up to width decimal digits; false when none.
bool number(const char *&p, int width, unsigned *v) {
  unsigned x = 0;
  int k = 0;
  while (k < width && *p >= '0' && *p <= '9') {
    x = x * 10 + unsigned(*p++ - '0');
    ++k;
  }
  *v = x;
  return k > 0;
}

// "YYYY/MM/DD hh:mm:ss": fields are taken in order while each parses and lies in range.
void parsetime(const char *p, LockTime *t) {
  static const unsigned lo[6] = {0, 1, 1, 0, 0, 0}, hi[6] = {9999, 12, 31, 23, 59, 59};
  static const char sep[6] = {'/', '/', ' ', ':', ':', '\0'};
  uint16_t *field[6] = {&t->year, &t->month, &t->day, &t->hour, &t->minute, &t->second};
  for (int i = 0; i < 6; ++i) {
    while (*p == ' ')
      ++p; // as scanf before a number
    unsigned v;
    if (!number(p, i == 0 ? 4 : 2, &v) || v < lo[i] || v > hi[i])
      return;
    *field[i] = uint16_t(v);
    if (i < 5 && *p++ != sep[i])
      return;
  }
}

} // namespace

int lck_readholder(int (*getbyte)(void *), void *ctx, LockHolder *h) {
  std::memset(h, 0, sizeof *h);
  bool seen[3] = {};
  char line[LCK_LINEMAX + 1];
  for (;;) {
    std::size_t n = 0;
    bool cr = false, lf = false, end = false;
    while (n < LCK_LINEMAX) {
      const int c = getbyte(ctx);
      if (c <= -2)
        return -2 - c;
      if (c < 0) {
        end = true;
        break;
      }
      if (c == '\r')
        cr = true;
      else if (c == '\n')
        lf = true;
      else
        line[n++] = char(c);
      if (cr && lf)
        break;
    }
    line[n] = '\0';
    if (!std::strncmp(line, "user: ", 6)) {
      copyfield(h->user, line + 6);
      seen[0] = true;
    } else if (!std::strncmp(line, "host: ", 6)) {
      copyfield(h->host, line + 6);
      seen[1] = true;
    } else if (!std::strncmp(line, "time: ", 6)) {
      h->time = {};
      parsetime(line + 6, &h->time);
      seen[2] = true;
    }
    if (end || (seen[0] && seen[1] && seen[2]))
      return 0;
  }
}

namespace {
struct Buf {
  const char *p;
  std::size_t left;
};
int bufbyte(void *ctx) {
  Buf *b = static_cast<Buf *>(ctx);
  if (!b->left)
    return -1;
  --b->left;
  return static_cast<unsigned char>(*b->p++);
}
} // namespace

int lck_parse(const char *data, std::size_t size, LockHolder *h) {
  Buf b{data, size};
  return lck_readholder(bufbyte, &b, h);
}

#include "files/probe.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/strutil.h"

namespace {

// Cuts s to at most max bytes without splitting a double-byte character; a lead
// byte with nothing after it goes too.
void cut(char *s, std::size_t max) {
  std::size_t i = 0;
  while (s[i]) {
    std::size_t w = 1;
    if (sjis_islead(static_cast<unsigned char>(s[i]))) {
      if (!s[i + 1])
        break;
      if (sjis_istrail(static_cast<unsigned char>(s[i + 1])))
        w = 2;
    }
    if (i + w > max)
      break;
    i += w;
  }
  s[i] = 0;
}

// A fixed field of a record as a text: up to its NUL or its size.
void field(char *dst, const uint8_t *src, std::size_t size) {
  std::size_t n = 0;
  while (n < size && n < std::size_t(FIL_TEXTLEN) && src[n])
    n++;
  std::memcpy(dst, src, n);
  dst[n] = 0;
}

// Lines of a buffer as fgets with a 128-byte buffer gives them, without their
// line end and surrounding blanks.
struct Lines {
  const uint8_t *p;
  std::size_t n, pos = 0;
  char line[128] = {};

  Lines(const uint8_t *data, std::size_t size) : p(data), n(size) {}

  bool next() {
    if (pos >= n)
      return false;
    std::size_t k = 0;
    while (pos < n && k < sizeof line - 1) {
      char c = char(p[pos++]);
      line[k++] = c;
      if (c == '\n')
        break;
    }
    line[k] = 0;
    char *s = line;
    while (*s == ' ' || *s == '\t')
      s++;
    std::size_t e = std::strlen(s);
    while (e > 0 && (s[e - 1] == '\n' || s[e - 1] == '\r' || s[e - 1] == ' ' || s[e - 1] == '\t'))
      e--;
    s[e] = 0;
    std::memmove(line, s, e + 1);
    return true;
  }
};

constexpr char SealMagic[] = "KIVO LANT RARU";

bool is_seal(const uint8_t *h, std::size_t n, char texts[3][FIL_TEXTBUF]) {
  if (n < 124 || std::memcmp(h + 4, SealMagic, sizeof SealMagic - 1) != 0 || (h[24] | h[25] << 8) != 1)
    return false;
  field(texts[0], h + 56, 24);  // seal name
  field(texts[1], h + 100, 24); // owner
  return true;
}

// Group code 0 and SECTION, or a 999 comment, opening the file.
bool is_dxf(const uint8_t *h, std::size_t n, char texts[3][FIL_TEXTBUF]) {
  Lines l{h, std::min<std::size_t>(n, FIL_HEADLEN)};
  if (!l.next())
    return false;
  bool comment = std::strcmp(l.line, "999") == 0;
  if (!comment && !(std::strcmp(l.line, "0") == 0 && l.next() && std::strcmp(l.line, "SECTION") == 0))
    return false;
  Lines all{h, n};
  bool code = true; // the next line is a group code
  int group = -1;
  bool want_ver = false;
  while (all.next()) {
    if (code) {
      group = std::atoi(all.line);
    } else {
      if (group == 999 && !texts[0][0])
        field(texts[0], reinterpret_cast<const uint8_t *>(all.line), sizeof all.line);
      else if (group == 9)
        want_ver = std::strcmp(all.line, "$ACADVER") == 0;
      else if (group == 1 && want_ver) {
        field(texts[1], reinterpret_cast<const uint8_t *>(all.line), sizeof all.line);
        want_ver = false;
      } else if (group == 0 && std::strcmp(all.line, "ENDSEC") == 0)
        break;
    }
    code = !code;
  }
  return true;
}

// Length of the head to test as text: the signature length, one more when that
// would cut a double-byte character in two.
int text_span(const uint8_t *h, std::size_t n) {
  std::size_t lim = std::min<std::size_t>(n, FIL_HEADLEN), i = 0;
  while (i < lim)
    i += sjis_islead(h[i]) ? 2 : 1;
  return int(std::min(i, n));
}

bool is_text(const uint8_t *h, std::size_t n, char texts[3][FIL_TEXTBUF]) {
  int span = text_span(h, n);
  if (!fil_istext(h, span))
    return false;
  char src[FIL_HEADLEN + 2];
  std::memcpy(src, h, std::size_t(span));
  src[span] = 0;
  fil_cptext(src, texts[0], FIL_TEXTLEN);
  return true;
}

bool ext_is(const char *ext, const char *want) { return std::strcmp(ext, want) == 0; }

} // namespace

int fil_istext(const uint8_t *buf, int len) {
  if (!buf || len < 0)
    return 0;
  for (int i = 0; i < len;) {
    uint8_t c = buf[i];
    if (c < 32) {
      if (c != 0 && c != '\t' && c != '\r' && c != '\n')
        return 0;
      i++;
    } else if (c == 127 || c >= 253)
      return 0;
    else if (c < 127 || c == 128 || (c >= 160 && c <= 223))
      i++;
    else { // lead byte 129-159 or 224-252
      if (i + 1 >= len)
        return 0;
      uint8_t t = buf[i + 1];
      if (t < 64 || t > 252 || t == 127)
        return 0;
      i += 2;
    }
  }
  return 1;
}

int fil_cptext(const char *src, char *dst, int n) {
  int k = 0;
  if (!dst)
    return 0;
  for (; src && *src && k < n; src++) {
    if (*src == '\r')
      continue;
    dst[k++] = *src == '\n' ? ';' : *src;
  }
  dst[k] = 0;
  return k;
}

int fil_probebuf(const char *ext, const uint8_t *head, std::size_t n, char texts[3][FIL_TEXTBUF]) {
  for (int i = 0; i < 3; i++)
    texts[i][0] = 0;
  if (!head || n == 0)
    return FIL_NOFILE;
  if (!ext)
    ext = "";
  // A backup may be a copy of any of the kinds.
  bool bak = ext_is(ext, ".BAK");
  int kind = FIL_UNKNOWN;
  if ((bak || ext_is(ext, ".KSL")) && is_seal(head, n, texts))
    kind = FIL_SEAL;
  else if ((bak || ext_is(ext, ".DXF")) && is_dxf(head, n, texts))
    kind = FIL_DXF;
  else if ((bak || ext_is(ext, ".TXT")) && is_text(head, n, texts))
    kind = FIL_TEXT;
  if (kind == FIL_UNKNOWN)
    for (int i = 0; i < 3; i++)
      texts[i][0] = 0;
  for (int i = 0; i < 3; i++)
    cut(texts[i], FIL_TEXTLEN);
  return kind;
}

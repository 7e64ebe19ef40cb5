// Tokenizer, command words and reply formats of the CMDL language (no window calls).
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands/cmdl/cmdl.h"
#include "settings/strutil.h"

namespace {
struct Word {
  const char *word;
  int code;
};
// Searched in this order.
constexpr Word kWords[] = {
    {"INIT", 1},     {"TERM", 2},      {"ASTYL", 3},    {"CHADL", 4},     {"CHAH", 5},     {"CHAP", 6},
    {"CHAPK", 7},    {"CHAR", 8},      {"CHAW", 9},     {"CHARD", 26},    {"CHAUP", 27},   {"CIRC", 10},
    {"CIRDL", 11},   {"CIRPK", 12},    {"CIRRD", 28},   {"CIRUP", 29},    {"COLOR", 13},   {"DIMANG", 30},
    {"DIMARC", 31},  {"DIMLEAD", 32},  {"DIMLIN", 33},  {"DIMPNT", 44},   {"DSPLAY", 34},  {"ELLDL", 35},
    {"ELLIP", 36},   {"ELLPK", 37},    {"ELLRD", 38},   {"ELLUP", 39},    {"ELMDL", 14},   {"ELMPK", 15},
    {"ELMRD", 45},   {"LINE", 16},     {"LINDL", 17},   {"LINPK", 18},    {"LINRD", 40},   {"LINUP", 41},
    {"LSTYL", 19},   {"PNTDL", 20},    {"PNTIN", 21},   {"PNTPK", 22},    {"PNTRD", 42},   {"PNTUP", 43},
    {"POINT", 23},   {"PRMPT", 24},    {"CHAIN", 25},   {"SETCOLOR", 46}, {"SETLSTYL", 47}, {"DIMCOLOR", 48},
    {"DIMASTYL", 49},
};
static_assert(sizeof kWords / sizeof kWords[0] == 49);

bool is_sep(char c) { return c == ' ' || c == ',' || c == '\t'; }

bool same_nocase(const char *a, const char *b) {
  for (; *a && *b; a++, b++) {
    char x = *a, y = *b;
    if (x >= 'a' && x <= 'z')
      x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z')
      y = static_cast<char>(y - 32);
    if (x != y)
      return false;
  }
  return *a == *b;
}
} // namespace

int dde_token(char *line, char *words[CMDL_WORDS + 1]) {
  static char empty[1] = "";
  // The line end goes first, so that it never reaches a text argument.
  size_t len = std::strlen(line);
  while (len > 0 && (line[len - 1] == '\r' || line[len - 1] == '\n'))
    line[--len] = '\0';
  int n = 0;
  char *p = line;
  while (n < CMDL_WORDS) {
    while (is_sep(*p))
      p++;
    if (!*p)
      break;
    if (*p == '"' || *p == '\'') {
      const char q = *p++;
      words[n++] = p;
      while (*p && *p != q)
        p++;
    } else {
      words[n++] = p;
      while (*p && !is_sep(*p))
        p++;
    }
    if (!*p)
      break;
    *p++ = '\0';
  }
  for (int i = n; i <= CMDL_WORDS; i++)
    words[i] = empty;
  if (n > 0)
    words[0][std::strcspn(words[0], "\r\n")] = '\0';
  return CMDL_WORDS + 1;
}

int dde_word(const char *word) {
  for (const Word &w : kWords)
    if (same_nocase(word, w.word))
      return w.code;
  return 0;
}

int dde_wordcount() { return static_cast<int>(sizeof kWords / sizeof kWords[0]); }

const char *dde_wordat(int i, int *code) {
  if (i < 0 || i >= dde_wordcount())
    return nullptr;
  if (code)
    *code = kWords[i].code;
  return kWords[i].word;
}

long dde_int(const char *s) {
  char *end = nullptr;
  errno = 0;
  const long v = std::strtol(s, &end, 0);
  return end == s ? 0 : v;
}

double dde_real(const char *s, bool *ok) {
  char *end = nullptr;
  const double v = std::strtod(s, &end);
  if (end == s)
    return 0;
  if (ok && !std::isfinite(v))
    *ok = false;
  return v;
}

char *dde_unquote(char *s) {
  if (*s == '"')
    s++;
  const size_t n = std::strlen(s);
  if (n > 0 && s[n - 1] == '"')
    s[n - 1] = '\0';
  return s;
}

void dde_copytext(char *dst, std::size_t size, const char *src) {
  if (size == 0)
    return;
  size_t i = 0;
  while (src[i]) {
    const size_t step = (sjis_islead(static_cast<unsigned char>(src[i])) && src[i + 1]) ? 2 : 1;
    if (i + step > size - 1)
      break;
    if (step == 1 && sjis_islead(static_cast<unsigned char>(src[i])))
      break; // a lead byte without its trail would take the byte after it
    i += step;
  }
  std::memcpy(dst, src, i);
  dst[i] = '\0';
}

int dde_fmtelm(int32_t n, const ElementRecord *rec, const char *text, char *out, std::size_t size) {
  if (n < 1) {
    std::snprintf(out, size, "%ld", static_cast<long>(n));
    return 1002;
  }
  const long num = n;
  switch (rec->kind) {
  case PNT:
    std::snprintf(out, size, "%ld %d %g %g", num, rec->kind, rec->pnt.x, rec->pnt.y);
    return 0;
  case LIN:
    std::snprintf(out, size, "%ld %d %g %g %g %g", num, rec->kind, rec->lin.x1, rec->lin.y1, rec->lin.x2,
                  rec->lin.y2);
    return 0;
  case ARC:
    std::snprintf(out, size, "%ld %d %g %g %g %g %g", num, rec->kind, rec->arc.cx, rec->arc.cy, rec->arc.r,
                  rec->arc.start, rec->arc.end);
    return 0;
  case CHR: {
    char head[128];
    const int h = std::snprintf(head, sizeof head, "%ld %d %g %g \"", num, rec->kind,
                                static_cast<double>(rec->chr.x), static_cast<double>(rec->chr.y));
    if (static_cast<size_t>(h) + 2 > size) {
      std::snprintf(out, size, "%s", head);
      return 0;
    }
    std::memcpy(out, head, h);
    // The text is cut at a character boundary so that the closing quote fits.
    dde_copytext(out + h, size - h - 1, text ? text : "");
    std::strcat(out, "\"");
    return 0;
  }
  default:
    std::snprintf(out, size, "-1");
    return 1001;
  }
}

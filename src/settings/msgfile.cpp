#include "settings/msgfile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/answers.h"
#include "settings/dbgtrace.h"
#include "settings/params.h"
#include "settings/strutil.h"
#ifdef _WIN32
#include "settings/msgout.h"
#endif

namespace {

constexpr uint16_t END_MARK = 65535;
constexpr std::size_t POOL_LIMIT = 65536; // offsets are 16-bit
constexpr int LINE_READ = 128;            // each read takes at most 127 bytes

struct Table {
  uint16_t *num = nullptr; // number array; also the allocation
  uint16_t *off = nullptr;
  char *pool = nullptr;
  int cap = 0;
  std::size_t poolcap = 0;
};

Table msgtab, dmptab;

void report(const char *text) {
#ifdef _WIN32
  msg_err(MSG_LITERAL, text);
#else
  UiQuestion q{};
  q.kind = UI_BOARD;
  q.heading = "エラー";
  q.text = text;
  ui_ask(q, nullptr);
#endif
}

void release(Table &t) {
  std::free(t.num);
  t = Table{};
}

// Number and text of an entry line; false when the line is not an entry.
bool parse_line(const char *line, unsigned &number, const char *&text, std::size_t &len) {
  if (line[0] < '0' || line[0] > '9')
    return false;
  unsigned long n = 0;
  const char *p = line;
  while (*p >= '0' && *p <= '9') {
    if (n < 100000)
      n = n * 10 + static_cast<unsigned>(*p - '0');
    p++;
  }
  // 65535 is the end mark; a number has to fit 16 bits.
  if (n == 0 || n > 65534)
    return false;
  const char *open = std::strchr(p, '"');
  if (!open)
    return false;
  const char *close = std::strchr(open + 1, '"');
  if (!close || close == open + 1)
    return false;
  number = static_cast<unsigned>(n);
  text = open + 1;
  len = static_cast<std::size_t>(close - text);
  return true;
}

int16_t load(Table &t, int mode, const char *path, bool dump) {
  int16_t rc = MSG_OK;
  int count = 0;
  std::size_t used = 0;
  if (mode == 2) {
    release(t);
    if (!dump)
      dbg_trace("<msg_load> Ret(%d), cadmesno=%08lX, cnt=%d\n", 0, 0ul, 0);
    return 0;
  }
  const bool append = mode == 1 && t.num;
  if (dump && append && !path)
    return 0;
  if (append) {
    while (count < t.cap && t.num[count] != END_MARK)
      count++;
    used = t.off[count];
  } else {
    release(t);
  }
  FILE *f = path ? std::fopen(path, "r") : nullptr;
  char line[LINE_READ];
  if (!f) {
    rc = MSG_NOFILE;
  } else {
    if (!append) {
      int lines = 0;
      std::size_t sum = 0;
      while (std::fgets(line, sizeof line, f)) {
        const char *q = line[0] >= '0' && line[0] <= '9' ? std::strchr(line, '"') : nullptr;
        if (q && std::strchr(q + 1, '"')) {
          lines++;
          sum += std::strlen(line) + 1;
        }
      }
      std::rewind(f);
      t.cap = lines + 100;
      t.poolcap = sum + 8003;
      if (t.poolcap > POOL_LIMIT)
        t.poolcap = POOL_LIMIT;
      const std::size_t arrays = 2 * (static_cast<std::size_t>(t.cap) + 1) * sizeof(uint16_t);
      t.num = static_cast<uint16_t *>(std::calloc(1, arrays + t.poolcap));
      if (!t.num) {
        t = Table{};
        report("メッセージ領域が確保出来ません");
        rc = MSG_NOMEM;
      } else {
        t.off = t.num + t.cap + 1;
        t.pool = reinterpret_cast<char *>(t.off + t.cap + 1);
      }
    }
    if (t.num) {
      while (std::fgets(line, sizeof line, f)) {
        unsigned number;
        const char *text;
        std::size_t len;
        if (!parse_line(line, number, text, len))
          continue;
        if (count >= t.cap || used + len + 2 >= t.poolcap) {
          report("メッセージ領域がオーバーしました");
          rc = MSG_NOMEM;
          break;
        }
        t.num[count] = static_cast<uint16_t>(number);
        t.off[count] = static_cast<uint16_t>(used);
        std::memcpy(t.pool + used, text, len);
        t.pool[used + len] = '\0';
        used += len + 1;
        count++;
      }
      t.num[count] = END_MARK;
      t.off[count] = static_cast<uint16_t>(used);
      t.pool[used] = '\0';
    }
  }
  if (rc != MSG_OK && !append)
    release(t);
  if (f)
    std::fclose(f);
  if (!dump)
    dbg_trace("<msg_load> Ret(%d), cadmesno=%08lX, cnt=%d\n", rc,
              static_cast<unsigned long>(reinterpret_cast<uintptr_t>(t.num)), t.num ? count : 0);
  return rc;
}

const char *lookup(const Table &t, int n) {
  static char undefined[64];
  if (!t.num)
    return nullptr;
  for (int i = 0; i <= t.cap && t.num[i] != END_MARK; i++)
    if (t.num[i] == n)
      return t.pool + t.off[i];
  std::snprintf(undefined, sizeof undefined, "<<未定義ﾒｯｾｰｼﾞ %d>>", n);
  return undefined;
}

// --- formatting -----------------------------------------------------------------

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Length of the conversion at p ('%' first) and what it takes: 'f' a double,
// 'i' an integer word, 's' a text, 0 nothing.
std::size_t conversion(const char *p, char &kind, bool &longarg) {
  std::size_t n = 1;
  kind = 0;
  longarg = false;
  while (p[n]) {
    char c = p[n++];
    if (c == '%')
      break;
    if (c == 'l') {
      longarg = true;
      continue;
    }
    if (is_letter(c)) {
      if (std::strchr("EGefg", c))
        kind = 'f';
      else if (std::strchr("Xdouxc", c))
        kind = 'i';
      else if (c == 's')
        kind = 's';
      break;
    }
  }
  // Only flags, width and precision may stand between '%' and the letter; anything
  // else ('*' reading an argument nobody passed, a double-byte character) is text.
  for (std::size_t i = 1; kind && i + 1 < n; i++)
    if (!std::strchr("-+ #0123456789.l", p[i]))
      kind = 0;
  return n;
}

void take(char kind, bool longarg, va_list *ap, MsgArgs::Arg &a) {
  a.kind = kind;
  if (kind == 'f')
    a.d = va_arg(*ap, double);
  else if (kind == 's')
    a.s = va_arg(*ap, const char *);
  else
    a.i = longarg ? static_cast<long long>(va_arg(*ap, long)) : va_arg(*ap, int);
}

// Output with a fixed capacity that only ever ends on a character boundary.
struct Out {
  char *dst;
  std::size_t size;
  std::size_t len = 0;
  bool full = false;
  Out(char *d, std::size_t s) : dst(d), size(s) {
    if (size)
      dst[0] = '\0';
  }
  void put(const char *s, std::size_t n) {
    if (full || size == 0)
      return;
    std::size_t i = 0;
    while (i < n) {
      std::size_t c = (i + 1 < n && sjis_ispair(s + i)) ? 2 : 1;
      if (len + c + 1 > size) {
        full = true;
        break;
      }
      std::memcpy(dst + len, s + i, c);
      len += c;
      i += c;
    }
    dst[len] = '\0';
  }
  void put(const char *s) { put(s, std::strlen(s)); }
};

// Formats format with the collected arguments, one conversion at a time.
void render(const char *format, const MsgArgs &args, Out &out) {
  int k = 0;
  const char *p = format;
  while (*p) {
    const char *pct = std::strchr(p, '%');
    if (!pct) {
      out.put(p);
      break;
    }
    out.put(p, static_cast<std::size_t>(pct - p));
    char kind;
    bool longarg;
    std::size_t n = conversion(pct, kind, longarg);
    if (n == 2 && pct[1] == '%') {
      out.put("%", 1);
    } else if (!kind || k >= args.n || args.v[k].kind != kind) {
      out.put(pct, n); // takes no argument: shown as it stands
    } else {
      std::string conv;
      for (std::size_t i = 0; i < n; i++)
        if (pct[i] != 'l')
          conv += pct[i];
      const MsgArgs::Arg &a = args.v[k++];
      std::string chunk;
      int need;
      if (kind == 'f')
        need = std::snprintf(nullptr, 0, conv.c_str(), a.d);
      else if (kind == 's')
        need = std::snprintf(nullptr, 0, conv.c_str(), a.s ? a.s : "(null)");
      else
        need = std::snprintf(nullptr, 0, conv.c_str(), static_cast<int>(a.i));
      if (need > 0) {
        chunk.resize(static_cast<std::size_t>(need) + 1);
        if (kind == 'f')
          std::snprintf(chunk.data(), chunk.size(), conv.c_str(), a.d);
        else if (kind == 's')
          std::snprintf(chunk.data(), chunk.size(), conv.c_str(), a.s ? a.s : "(null)");
        else
          std::snprintf(chunk.data(), chunk.size(), conv.c_str(), static_cast<int>(a.i));
        out.put(chunk.data(), static_cast<std::size_t>(need));
      }
    }
    p = pct + n;
  }
}

// Takes the arguments of every conversion of format from ap.
void collect(const char *format, va_list ap, MsgArgs &args) {
  va_list cur;
  va_copy(cur, ap);
  args.n = 0;
  for (const char *p = std::strchr(format, '%'); p; p = std::strchr(p, '%')) {
    char kind;
    bool longarg;
    std::size_t n = conversion(p, kind, longarg);
    if (kind && args.n < 32)
      take(kind, longarg, &cur, args.v[args.n++]);
    p += n;
  }
  va_end(cur);
}

} // namespace

int16_t msg_load(int mode, const char *path) { return load(msgtab, mode, path, false); }
const char *msg_text(int n) { return lookup(msgtab, n); }
const char *msg_oldtext(int n) { return msg_text(n + 20000); }
int16_t dmp_msgload(int mode, const char *path) { return load(dmptab, mode, path, true); }
const char *dmp_msgtext(int n) { return lookup(dmptab, n); }

int msg_count() {
  int i = 0;
  if (msgtab.num)
    while (i < msgtab.cap && msgtab.num[i] != END_MARK)
      i++;
  return i;
}

std::size_t msg_copy(char *dst, std::size_t dstsize, const char *src) {
  Out out(dst, dstsize);
  out.put(src ? src : "");
  return out.len;
}

std::size_t msg_vformat(char *dst, std::size_t dstsize, const char *format, va_list ap) {
  Out out(dst, dstsize);
  if (!format)
    return 0;
  MsgArgs args;
  collect(format, ap, args);
  render(format, args, out);
  return out.len;
}

std::size_t msg_format(char *dst, std::size_t dstsize, const char *format, ...) {
  va_list ap;
  va_start(ap, format);
  std::size_t n = msg_vformat(dst, dstsize, format, ap);
  va_end(ap);
  return n;
}

int msg_expand(const char *format, char *outbuf, std::size_t outsize, va_list ap, MsgArgs *args) {
  Out out(outbuf, outsize);
  SystemBlock sb;
  sys_sysprm('R', &sb);
  const bool inch = sb.inch != 0;
  bool divide_next = false;
  int code = 0;
  va_list cur;
  va_copy(cur, ap);
  args->n = 0;
  const char *p = format;
  while (*p) {
    if (*p == '%') {
      char kind;
      bool longarg;
      std::size_t n = conversion(p, kind, longarg);
      out.put(p, n);
      if (kind && args->n < 32) {
        MsgArgs::Arg &a = args->v[args->n++];
        take(kind, longarg, &cur, a);
        if (kind == 'f') {
          uint64_t bits;
          std::memcpy(&bits, &a.d, sizeof bits);
          if ((bits >> 56) == 0xFF) {
            a.d = 0.0;
            code = -1;
          } else if (divide_next) {
            a.d /= 25.39998628;
          }
          divide_next = false;
        }
      }
      p += n;
      continue;
    }
    if (*p != '#') {
      std::size_t c = sjis_charlen(p);
      out.put(p, c);
      p += c;
      continue;
    }
    char e = p[1];
    if (e == '\0') {
      out.put("#", 1);
      p++;
      continue;
    }
    p += 2;
    switch (e) {
    case '#':
      out.put("#", 1);
      break;
    case 'D':
      break;
    case 'L':
      divide_next = inch;
      break;
    case 'M':
      out.put(inch ? "inch" : "mm");
      break;
    case 'N':
      out.put("\xDF", 1);
      break;
    case 'S': {
      va_list peek;
      va_copy(peek, cur);
      int v = va_arg(peek, int);
      va_end(peek);
      out.put(v == 1 ? "st" : v == 2 ? "nd" : v == 3 ? "rd" : "th");
      break;
    }
    default: {
      char pair[2] = {'#', e};
      out.put(pair, 2);
    }
    }
  }
  va_end(cur);
  if (args->n == 0)
    return -2;
  return code;
}

int msg_vfmtbuf(char *dst, std::size_t dstsize, int n, va_list ap) {
  if (dstsize)
    dst[0] = '\0';
  const char *format = nullptr;
  if (n >= 0)
    format = msg_text(n);
  else if (n == MSG_LITERAL)
    format = va_arg(ap, const char *);
  if (!format) {
    msg_format(dst, dstsize, "メッセージが登録されていません (No.=%05d)", n);
    return 1;
  }
  char work[256];
  MsgArgs args;
  if (msg_expand(format, work, sizeof work, ap, &args) == -2) {
    msg_copy(dst, dstsize, work);
  } else {
    Out out(dst, dstsize);
    render(work, args, out);
  }
  return 0;
}

int msg_fmtbuf(char *dst, std::size_t dstsize, int n, ...) {
  va_list ap;
  va_start(ap, n);
  int r = msg_vfmtbuf(dst, dstsize, n, ap);
  va_end(ap);
  return r;
}

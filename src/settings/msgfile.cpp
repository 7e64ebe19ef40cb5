#include "settings/msgfile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/answers.h"
#include "settings/dbgtrace.h"
#include "settings/msgreg.h"
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

// Where the loader's lines come from: pieces of at most LINE_READ - 1 bytes, as fgets
// gives them (a longer line is read as several pieces).
struct LineSource {
  virtual bool next(char *line, int size) = 0;
  virtual void rewind() = 0;
  virtual ~LineSource() = default;
};

struct FileLines : LineSource {
  FILE *f;
  explicit FileLines(FILE *fp) : f(fp) {}
  bool next(char *line, int size) override { return std::fgets(line, size, f) != nullptr; }
  void rewind() override { std::rewind(f); }
};

struct BufferLines : LineSource {
  const char *data;
  std::size_t size, pos = 0;
  BufferLines(const char *d, std::size_t n) : data(d), size(n) {}
  bool next(char *line, int cap) override {
    if (pos >= size)
      return false;
    int n = 0;
    while (n < cap - 1 && pos < size) {
      char c = data[pos++];
      line[n++] = c;
      if (c == '\n')
        break;
    }
    line[n] = '\0';
    return true;
  }
  void rewind() override { pos = 0; }
};

// src null: the file could not be opened.
int16_t load(Table &t, int mode, LineSource *src, bool dump) {
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
  if (append) {
    while (count < t.cap && t.num[count] != END_MARK)
      count++;
    used = t.off[count];
  } else {
    release(t);
  }
  char line[LINE_READ];
  if (!src) {
    rc = MSG_NOFILE;
  } else {
    if (!append) {
      int lines = 0;
      std::size_t sum = 0;
      while (src->next(line, sizeof line)) {
        const char *q = line[0] >= '0' && line[0] <= '9' ? std::strchr(line, '"') : nullptr;
        if (q && std::strchr(q + 1, '"')) {
          lines++;
          sum += std::strlen(line) + 1;
        }
      }
      src->rewind();
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
      while (src->next(line, sizeof line)) {
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
  if (!dump)
    dbg_trace("<msg_load> Ret(%d), cadmesno=%08lX, cnt=%d\n", rc,
              static_cast<unsigned long>(reinterpret_cast<uintptr_t>(t.num)), t.num ? count : 0);
  return rc;
}

// The loader over the file at path (text mode).
int16_t load_file(Table &t, int mode, const char *path, bool dump) {
  if (mode == 2)
    return load(t, mode, nullptr, dump);
  if (dump && mode == 1 && t.num && !path)
    return 0;
  FILE *f = path ? std::fopen(path, "r") : nullptr;
  if (!f)
    return load(t, mode, nullptr, dump);
  FileLines lines(f);
  int16_t rc = load(t, mode, &lines, dump);
  std::fclose(f);
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

// What a conversion letter takes: 'f' a double, 'i' an integer word, 's' a text, 0 nothing.
char letter_kind(char c) {
  if (c && std::strchr("EGefg", c))
    return 'f';
  if (c && std::strchr("Xdouxc", c))
    return 'i';
  return c == 's' ? 's' : 0;
}

// Length of the conversion at p ('%' first) and what it takes (as letter_kind).
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
      kind = letter_kind(c);
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

// The arguments by position: as the registered letters say (the caller passed exactly
// those), or, without a register, as the format's own conversions ask.
void gather(const char *format, const char *registered, va_list ap, MsgArgs &args) {
  va_list cur;
  va_copy(cur, ap);
  args.n = 0;
  if (registered) {
    for (const char *r = registered; *r && args.n < 32; r++)
      if (char kind = letter_kind(*r))
        take(kind, false, &cur, args.v[args.n++]);
  } else {
    for (const char *p = std::strchr(format, '%'); p; p = std::strchr(p, '%')) {
      char kind;
      bool longarg;
      std::size_t n = conversion(p, kind, longarg);
      if (kind && args.n < 32)
        take(kind, longarg, &cur, args.v[args.n++]);
      p += n;
    }
  }
  va_end(cur);
}

// Whether the conversion at position k (of kind) has its argument.
bool bound(const MsgArgs &args, int k, char kind) { return k < args.n && args.v[k].kind == kind; }

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

// The conversion of n bytes at pct as printf gets it: without 'l' (the argument was
// taken as its kind already) and with a width or precision above cap cut to cap, so
// no field asks for more than the output can hold.
std::string bounded(const char *pct, std::size_t n, std::size_t cap) {
  std::string conv;
  for (std::size_t i = 0; i < n;) {
    char c = pct[i];
    if (c == 'l') {
      i++;
      continue;
    }
    if (c < '0' || c > '9' || i == 0) {
      conv += c;
      i++;
      continue;
    }
    std::size_t j = i;
    std::size_t value = 0;
    while (j < n && pct[j] >= '0' && pct[j] <= '9') {
      if (value <= cap)
        value = value * 10 + static_cast<std::size_t>(pct[j] - '0');
      j++;
    }
    if (value > cap)
      conv += (pct[i] == '0' ? "0" : "") + std::to_string(cap);
    else
      conv.append(pct + i, j - i);
    i = j;
  }
  return conv;
}

// Formats format with the arguments by position; a conversion without its argument
// (none at its position, or one of another kind) is shown as it stands.
void render(const char *format, const MsgArgs &args, Out &out) {
  const std::size_t cap = out.size < 65536 ? out.size : 65536;
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
    } else if (!kind || !bound(args, k, kind)) {
      out.put(pct, n); // takes no argument: shown as it stands
    } else {
      const std::string conv = bounded(pct, n, cap);
      const MsgArgs::Arg &a = args.v[k];
      auto print = [&](char *buf, std::size_t size) {
        if (kind == 'f')
          return std::snprintf(buf, size, conv.c_str(), a.d);
        if (kind == 's')
          return std::snprintf(buf, size, conv.c_str(), a.s ? a.s : "(null)");
        return std::snprintf(buf, size, conv.c_str(), static_cast<int>(a.i));
      };
      const int need = print(nullptr, 0);
      if (need > 0) {
        std::string chunk(static_cast<std::size_t>(need) + 1, '\0');
        print(chunk.data(), chunk.size());
        out.put(chunk.data(), static_cast<std::size_t>(need));
      }
    }
    if (kind)
      k++;
    p = pct + n;
  }
}

const char *regconv(const MsgRegEntry *table, std::size_t count, int n) {
  std::size_t lo = 0, hi = count;
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    if (table[mid].number < n)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < count && table[lo].number == n ? table[lo].conversions : "";
}

} // namespace

int16_t msg_load(int mode, const char *path) { return load_file(msgtab, mode, path, false); }
int16_t msg_loadbuf(int mode, const char *data, std::size_t size) {
  BufferLines lines(data, size);
  return load(msgtab, mode, mode == 2 ? nullptr : &lines, false);
}
const char *msg_text(int n) { return lookup(msgtab, n); }
const char *msg_oldtext(int n) { return msg_text(n + 20000); }
int16_t dmp_msgload(int mode, const char *path) { return load_file(dmptab, mode, path, true); }
int16_t dmp_msgloadbuf(int mode, const char *data, std::size_t size) {
  BufferLines lines(data, size);
  return load(dmptab, mode, mode == 2 ? nullptr : &lines, true);
}
const char *dmp_msgtext(int n) { return lookup(dmptab, n); }
const char *msg_regconv(int n) { return regconv(msg_register, msg_register_count, n); }
const char *dmp_regconv(int n) { return regconv(dmp_register, dmp_register_count, n); }

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

std::size_t msg_vformatreg(char *dst, std::size_t dstsize, const char *format, const char *registered, va_list ap) {
  Out out(dst, dstsize);
  if (!format)
    return 0;
  MsgArgs args;
  gather(format, registered, ap, args);
  render(format, args, out);
  return out.len;
}

std::size_t msg_vformat(char *dst, std::size_t dstsize, const char *format, va_list ap) {
  return msg_vformatreg(dst, dstsize, format, nullptr, ap);
}

std::size_t msg_format(char *dst, std::size_t dstsize, const char *format, ...) {
  va_list ap;
  va_start(ap, format);
  std::size_t n = msg_vformat(dst, dstsize, format, ap);
  va_end(ap);
  return n;
}

int msg_expand(const char *format, const char *registered, char *outbuf, std::size_t outsize, va_list ap,
               MsgArgs *args) {
  Out out(outbuf, outsize);
  SystemBlock sb;
  sys_sysprm('R', &sb);
  const bool inch = sb.inch != 0;
  gather(format, registered, ap, *args);
  bool divide[32] = {};
  int taken = 0;
  int code = 0;
  int k = 0; // the argument cursor: position of the next conversion
  const char *p = format;
  while (*p) {
    if (*p == '%') {
      char kind;
      bool longarg;
      std::size_t n = conversion(p, kind, longarg);
      out.put(p, n);
      if (kind) {
        if (bound(*args, k, kind)) {
          MsgArgs::Arg &a = args->v[k];
          taken++;
          if (kind == 'f') {
            uint64_t bits;
            std::memcpy(&bits, &a.d, sizeof bits);
            if ((bits >> 56) == 0xFF) {
              a.d = 0.0;
              code = -1;
            } else if (divide[k]) {
              a.d /= 25.39998628;
            }
          }
        }
        k++;
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
    if (e == '\0' || e == '%') {
      // A '%' after '#' still starts a conversion, as the formatting pass will see it.
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
      if (inch && k < 32 && k < args->n && args->v[k].kind == 'f')
        divide[k] = true;
      break;
    case 'M':
      out.put(inch ? "inch" : "mm");
      break;
    case 'N':
      out.put("\xDF", 1);
      break;
    case 'S':
      // The suffix of the integer at the cursor; nothing when no integer was passed there.
      if (k < args->n && args->v[k].kind == 'i') {
        const long long v = args->v[k].i;
        out.put(v == 1 ? "st" : v == 2 ? "nd" : v == 3 ? "rd" : "th");
      }
      break;
    default: {
      char pair[2] = {'#', e};
      out.put(pair, 2);
    }
    }
  }
  return taken == 0 ? -2 : code;
}

int msg_vfmtbuf(char *dst, std::size_t dstsize, int n, va_list ap) {
  if (dstsize)
    dst[0] = '\0';
  const char *format = nullptr;
  const char *registered = nullptr;
  if (n >= 0) {
    format = msg_text(n);
    registered = msg_regconv(n);
  } else if (n == MSG_LITERAL) {
    format = va_arg(ap, const char *);
  }
  if (!format) {
    msg_format(dst, dstsize, "メッセージが登録されていません (No.=%05d)", n);
    return 1;
  }
  char work[256];
  MsgArgs args;
  if (msg_expand(format, registered, work, sizeof work, ap, &args) == -2) {
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

#include "shell/units/tbfile.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "settings/strutil.h"

namespace {

// The whole field [p, end) as a decimal number, blanks around it allowed.
bool number(const char *p, const char *end, long *out) {
  while (p < end && (*p == ' ' || *p == '\t'))
    p++;
  while (end > p && (end[-1] == ' ' || end[-1] == '\t'))
    end--;
  if (p == end || end - p > 11)
    return false;
  char buf[12];
  std::memcpy(buf, p, size_t(end - p));
  buf[end - p] = '\0';
  char *stop = nullptr;
  errno = 0;
  const long v = std::strtol(buf, &stop, 10);
  if (errno || *stop)
    return false;
  *out = v;
  return true;
}

// Leading number of the text as atoi reads it, held to 32 bits.
int32_t leading(const char *p) {
  errno = 0;
  const long long v = std::strtoll(p, nullptr, 10);
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int32_t(v);
}

} // namespace

int tbf_count(int value) { return value < 0 ? 0 : value > TBF_BUTTONS ? TBF_BUTTONS : value; }

void tbf_cut(const char *text, char *out, int size) {
  if (size < 1)
    return;
  int n = 0, last = 0;
  while (text[n]) {
    const int len = int(sjis_charlen(text + n));
    if (n + len > size - 1)
      break;
    n += len;
    last = len;
  }
  // A lead byte without its trail byte (cut off by an earlier read or by this cut) is
  // no character.
  if (last == 1 && sjis_islead(static_cast<unsigned char>(text[n - 1])))
    n--;
  std::memcpy(out, text, size_t(n));
  out[n] = '\0';
}

int tbf_entry(const char *value, TbfEntry *out) {
  std::memset(out, 0, sizeof *out);
  out->command = -1;
  const char *c1 = std::strchr(value, ',');
  const char *c2 = c1 ? std::strchr(c1 + 1, ',') : nullptr;
  long command = 0, level = 0;
  if (!c2 || !number(value, c1, &command) || command < -1 || command > 1099)
    return TBF_END;
  const bool level_ok = number(c1 + 1, c2, &level) && level >= 0 && level <= 4;
  if (command != -1 && !level_ok)
    return TBF_END;
  out->command = int32_t(command);
  out->level = level_ok ? int32_t(level) : 0;
  tbf_cut(c2 + 1, out->tip, TBF_TIPSIZE);
  return command == -1 ? TBF_SEPARATOR : TBF_BUTTON;
}

bool tbf_rowok(int rows, int count) { return rows >= 1 && rows <= TBF_MAXROWS && rows <= count; }

int tbf_cols(int rows, int count) {
  if (rows < 1)
    return 0;
  if (count <= rows)
    return 1;
  return count / rows + (count % rows != 0);
}

bool tbf_value(const char *value, int32_t *a, int32_t *b, char *text, int size) {
  const char *tok[3] = {};
  size_t len[3] = {};
  int k = 0;
  for (const char *p = value; *p && k < 3;) {
    const char *end = std::strchr(p, ',');
    if (!end)
      end = p + std::strlen(p);
    if (end > p) {
      tok[k] = p;
      len[k] = size_t(end - p);
      k++;
    }
    p = *end ? end + 1 : end;
  }
  if (k < 2)
    return false;
  *a = leading(tok[0]);
  *b = leading(tok[1]);
  if (size > 0) {
    char buf[512] = "";
    const size_t n = k > 2 ? (len[2] < sizeof buf - 1 ? len[2] : sizeof buf - 1) : 0;
    if (n)
      std::memcpy(buf, tok[2], n);
    buf[n] = '\0';
    tbf_cut(buf, text, size);
  }
  return true;
}

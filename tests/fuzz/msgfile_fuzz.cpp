// The message files as a user may edit them: the loader over the fuzzed bytes, then
// every registered message formatted with exactly the arguments its callers pass, into
// a roomy and into a small buffer. The first byte picks the inch flag and whether the
// bytes are loaded in one go or in two halves (the second appended); the second byte
// the small buffer's size. Nothing may read an argument that was not passed or write
// past a buffer; the sanitizers tell.
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/msgfile.h"
#include "settings/msgreg.h"
#include "settings/params.h"

namespace {

std::size_t small_size = 1;

std::size_t fmtreg(char *dst, std::size_t size, const char *format, const char *conv, ...) {
  va_list ap;
  va_start(ap, conv);
  std::size_t n = msg_vformatreg(dst, size, format, conv, ap);
  va_end(ap);
  return n;
}

void check(const std::vector<char> &buf) {
  if (std::strlen(buf.data()) >= buf.size())
    std::abort();
}

template <typename... A> void format(bool dump, int n, const char *conv, A... args) {
  std::vector<char> big(520), small(small_size);
  if (dump) {
    fmtreg(big.data(), big.size(), dmp_msgtext(n), conv, args...);
    fmtreg(small.data(), small.size(), dmp_msgtext(n), conv, args...);
  } else {
    msg_fmtbuf(big.data(), big.size(), n, args...);
    msg_fmtbuf(small.data(), small.size(), n, args...);
  }
  check(big);
  check(small);
}

// Calls with the registered arguments; trailing extra integers are harmless.
void format_registered(bool dump, int n, const char *conv) {
  std::string kinds;
  for (const char *c = conv; *c; c++)
    kinds += std::strchr("EGefg", *c) ? 'f' : *c == 's' ? 's' : 'i';
  if (kinds.find_first_not_of('i') == std::string::npos && kinds.size() <= 7)
    format(dump, n, conv, 1, 22, 3, -4, 11, 0x7fffffff, -0x7fffffff - 1);
  else if (kinds == "s")
    format(dump, n, conv, "arg");
  else if (kinds == "is")
    format(dump, n, conv, 7, "arg");
  else if (kinds == "f" || kinds == "ff")
    format(dump, n, conv, 254.0, -1e300);
  else
    std::abort(); // a new argument pattern: give it a call here
}

void load(bool dump, bool halves, const char *text, std::size_t size) {
  auto loader = dump ? dmp_msgloadbuf : msg_loadbuf;
  if (halves) {
    loader(0, text, size / 2);
    loader(1, text + size / 2, size - size / 2);
  } else {
    loader(0, text, size);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2)
    return 0;
  const uint8_t flags = data[0];
  small_size = data[1] % 48 + 1;
  const char *text = reinterpret_cast<const char *>(data + 2);
  size -= 2;
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.inch = flags & 1;
  sys_sysprm('W', &sb);

  load(false, flags & 2, text, size);
  for (std::size_t i = 0; i < msg_register_count; i++)
    format_registered(false, msg_register[i].number, msg_register[i].conversions);
  char buf[64];
  msg_fmtbuf(buf, sizeof buf, 7); // a number nobody registered
  msg_load(2, nullptr);

  load(true, flags & 4, text, size);
  for (std::size_t i = 0; i < dmp_register_count; i++)
    format_registered(true, dmp_register[i].number, dmp_register[i].conversions);
  dmp_msgloadbuf(2, nullptr, 0);
  return 0;
}

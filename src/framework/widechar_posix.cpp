// Wide characters to Shift-JIS with iconv, for the native builds.
#include <cerrno>
#include <iconv.h>

#include "framework/archive.h"

std::string AfxWideToShiftJis(const unsigned char *bytes, size_t chars) {
  std::string out;
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  if (cd == iconv_t(-1))
    return std::string(chars, '?');
  char *in = const_cast<char *>(reinterpret_cast<const char *>(bytes));
  size_t inLeft = chars * 2;
  char buf[256];
  while (inLeft > 0) {
    char *o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, size_t(o - buf));
    if (r != size_t(-1) || errno == E2BIG)
      continue;
    // No Shift-JIS form (or a broken surrogate): one '?' for the character.
    unsigned unit = unsigned(static_cast<unsigned char>(in[0])) | unsigned(static_cast<unsigned char>(in[1])) << 8;
    size_t skip = unit >= 0xD800 && unit < 0xDC00 && inLeft >= 4 ? 4 : 2;
    out += '?';
    in += skip < inLeft ? skip : inLeft;
    inLeft -= skip < inLeft ? skip : inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

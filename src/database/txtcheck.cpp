#include "database/txtcheck.h"
#include "settings/strutil.h"

#include <cstring>

namespace {
bool lead(unsigned char c) { return sjis_islead(c); }
} // namespace

int txt_check(char *str, int mode) {
  if (!str)
    return 1;
  int open = 0;
  bool usable = false;
  char *out = str;
  for (const char *in = str; *in;) {
    const unsigned char c = static_cast<unsigned char>(*in);
    if (lead(c) && in[1]) {
      // The full-width blank counts as a blank.
      if (!(c == 0x81 && static_cast<unsigned char>(in[1]) == 0x40))
        usable = true;
      *out++ = *in++;
      *out++ = *in++;
      continue;
    }
    if (c == ']' && open == 0) {
      ++in;
      continue;
    }
    if (c == '[')
      ++open;
    else if (c == ']')
      --open;
    else if (c != ' ' && !(mode == TXT_TEXTRULE && (c == '_' || c == '|')))
      usable = true;
    *out++ = *in++;
  }
  *out = 0;
  if (!*str)
    return 1;
  return usable ? 0 : 2;
}

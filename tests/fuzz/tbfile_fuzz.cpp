// Entries of the tool-bar file: each line of the input is read as a TBVALUE of a bar
// and as one of the TOOLDISP value list; a button keeps a command of the table and a
// level 0..4, and no tooltip or text outgrows its field or ends in half a character.
// Numbers taken from the input as layout rows always give their columns at once.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/strutil.h"
#include "shell/units/tbfile.h"

namespace {
// The text is whole characters: no lead byte stands last without its trail byte.
void check_whole(const char *text, size_t limit) {
  const size_t n = std::strlen(text);
  if (n > limit)
    std::abort();
  size_t i = 0, len = 0;
  while (i < n) {
    len = sjis_charlen(text + i);
    i += len;
  }
  if (i != n || (len == 1 && sjis_islead(static_cast<unsigned char>(text[n - 1]))))
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string in(reinterpret_cast<const char *>(data), size);
  if (size >= 8) {
    int32_t rows, count;
    std::memcpy(&rows, data, 4);
    std::memcpy(&count, data + 4, 4);
    const int cols = tbf_cols(rows, count);
    if (rows < 1 ? cols != 0
                 : (cols < 1 || int64_t(cols) * rows < count || (cols > 1 && int64_t(cols - 1) * rows >= count)))
      std::abort();
    const bool ok = tbf_rowok(rows, count);
    if (ok && (rows < 1 || rows > 40 || rows > count))
      std::abort();
    const int n = tbf_count(rows);
    if (n < 0 || n > TBF_BUTTONS)
      std::abort();
  }
  size_t pos = 0;
  while (pos <= in.size()) {
    size_t end = in.find('\n', pos);
    if (end == std::string::npos)
      end = in.size();
    // As the profile reader hands it over: at most 59 (entries) or 259 bytes, no NUL.
    std::string line = in.substr(pos, end - pos);
    line = line.substr(0, std::strlen(line.c_str()));
    pos = end + 1;
    TbfEntry e;
    const int kind = tbf_entry(line.substr(0, 59).c_str(), &e);
    if (kind == TBF_BUTTON && (e.command < 0 || e.command > 1099 || e.level < 0 || e.level > 4))
      std::abort();
    if (kind == TBF_SEPARATOR && e.command != -1)
      std::abort();
    if (kind != TBF_END)
      check_whole(e.tip, TBF_TIPSIZE - 1);
    int32_t a, b;
    char text[260];
    if (tbf_value(line.substr(0, 259).c_str(), &a, &b, text, sizeof text))
      check_whole(text, sizeof text - 1);
  }
  return 0;
}

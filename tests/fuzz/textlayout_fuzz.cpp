// Text layout with markup ("_", "[", "]", "|") over texts as read from seal files:
// the first two bytes choose the attribute word's alignment and the cell sizes,
// the rest is the text. A text of CHR_TEXTMAX bytes or more is passed without a
// terminator, in a block of exactly that size, as a record's string may end.
#include "geometry/text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
void check(const ChrLayout &lay, const char *codes, bool mode1) {
  if (lay.count < 0 || lay.count > CHR_SLOTS || !std::isfinite(lay.width) || !std::isfinite(lay.height))
    abort();
  long chars = 0;
  for (int i = 0; i < lay.count; ++i) {
    if (lay.nchar[i] < 1 || !std::isfinite(lay.x[i]) || !std::isfinite(lay.y[i]) || !(lay.w[i] >= 0))
      abort();
    if (mode1 && (lay.text[i] < codes || lay.text[i] + 2 * lay.nchar[i] > codes + CHR_CODEMAX))
      abort();
    chars += lay.nchar[i];
  }
  if (chars > CHR_TEXTMAX)
    abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2)
    return 0;
  const uint16_t attr = uint16_t((data[0] & 0x0F) << 5);
  const double h = 1 + data[1] % 40, w = 1 + data[1] / 8, s = (data[0] >> 4) * 0.5;
  const size_t n = size - 2;
  const size_t room = n >= size_t(CHR_TEXTMAX) ? size_t(CHR_TEXTMAX) : n + 1;
  std::unique_ptr<char[]> text(new char[room]);
  std::memcpy(text.get(), data + 2, room < n ? room : n);
  if (room > n)
    text[n] = '\0';
  std::unique_ptr<char[]> codes(new char[CHR_CODEMAX]);
  static ChrLayout lay;
  chr_layout(1, attr, h, w, s, text.get(), &lay, codes.get());
  check(lay, codes.get(), true);
  chr_layout(0, attr, h, w, s, text.get(), &lay, nullptr);
  check(lay, codes.get(), false);
  return 0;
}

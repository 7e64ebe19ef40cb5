// Glyph programs as read from font files: the first byte picks the standard walk or
// the high-quality program, the rest is the glyph. A sink that checks every point it
// is given stays inside what the decoders promise.
#include "display/fonts/fontfile.h"

#include <cstdlib>

namespace {
struct CheckSink : GlyphSink {
  int polyline(const GlyphPt *p, int n) override {
    if (n < 0 || (n > 0 && !p)) abort();
    long sum = 0;
    for (int i = 0; i < n; ++i) sum += p[i].x + p[i].y; // every point readable
    return sum == 0x7fffffff ? 2 : 0;
  }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1) return 0;
  CheckSink sink;
  int len = static_cast<int>(size - 1);
  if (data[0] & 1)
    fnt_hqrun(data + 1, len, sink);
  else
    fnt_stdwalk(data + 1, len, sink);
  return 0;
}

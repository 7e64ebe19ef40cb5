// Seal files as the plug-in's preview reads them: the header, the records the file
// holds, joined texts and their layout, fitted and drawn on a canvas that checks each
// device point. The same bytes also go through the settings-value helpers.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/rarufont.h"
#include "plugin/rarustr.h"

namespace {

struct CheckCanvas : RaruCanvas {
  // Device values are held to 2^29 and an arc's box adds its radius, also held: the
  // client bottom is the only further term.
  static void check(int v) {
    constexpr int LIM = (1 << 30) + (1 << 20);
    if (v > LIM || v < -LIM)
      abort();
  }
  void line(int x1, int y1, int x2, int y2) override {
    check(x1), check(y1), check(x2), check(y2);
  }
  void arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) override {
    check(l), check(t), check(r), check(b), check(xs), check(ys), check(xe), check(ye);
  }
};

void text(RaruCanvas &, const RaruView &, const char *t, double x, double y, double h, double w, double p,
          unsigned attr) {
  if (std::strlen(t) > 79)
    abort();
  std::vector<RaruGlyphPos> g;
  raru_layout(t, x, y, h, w, p, attr, g);
  if (g.size() > 79)
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  RaruSeal seal;
  raru_sealparse(data, size, &seal);
  if (seal.count < 0 || seal.count > 10000 || seal.records.size() != size_t(seal.count) * 80)
    abort();
  CheckCanvas c;
  RaruView v;
  if (raru_fit(seal, 200, 150, 151, &v))
    raru_drawseal(c, v, seal, text);

  // Settings values: cut copies, numbers, field comparison.
  std::vector<char> s(data, data + size);
  s.push_back('\0');
  char field[24];
  const size_t n = raru_copycut(field, sizeof field, s.data(), size);
  if (n > 23 || std::strlen(field) != n)
    abort();
  raru_atoi(s.data());
  raru_fieldeq(data, size < 24 ? size : 24, field, sizeof field);
  char dir[RARU_PATH];
  raru_dirof(s.data(), dir);
  // Typed user names and passwords.
  raru_badname(s.data());
  raru_alnum(s.data());
  return 0;
}

// Glyph programs decoded per second: the 2,965 level-1 kanji in random order from the
// high-quality set, through the block cache (first pass cold, then warm passes), and
// the program decoder alone on programs already in memory.
//   fontbench <font folder> [cache blocks]
// With INK_PROFILE=<file> (Windows builds) the warm passes are sampled (tools/profsyms.py).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "benchclock.h"
#include "display/fonts/fontfile.h"
#ifdef _WIN32
#include "sampler.h"
#else
struct Sampler { // sampling needs the Windows thread calls
  explicit Sampler(const char *) {}
  void pause(bool) {}
};
#endif

namespace {

struct CountSink : GlyphSink {
  long strokes = 0;
  int polyline(const GlyphPt *, int) override { return ++strokes, 0; }
  int hqmove(GlyphPt) override { return ++strokes, 0; }
  int arc(int, int, int, int, GlyphPt, GlyphPt) override { return ++strokes, 0; }
  int circle(int, int, GlyphPt) override { return ++strokes, 0; }
};

// Processor time (<chrono> does not build with the Shift-JIS execution character set).
std::vector<uint8_t> slurp(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fontbench <font folder> [cache blocks]\n");
    return 2;
  }
  int blocks = argc > 2 ? std::atoi(argv[2]) : 50;
  std::vector<std::pair<int, int>> codes; // Shift-JIS of JIS rows 0x30..0x4F (0x4F up to cell 0x53)
  for (int r = 0x30; r <= 0x4F; r++)
    for (int c = 0x21; c <= (r == 0x4F ? 0x53 : 0x7E); c++) {
      int lead = (r + 1) / 2 + 0x70, trail = (r & 1) ? c + (c <= 0x5F ? 0x1F : 0x20) : c + 0x7E;
      codes.push_back({lead, trail});
    }
  std::mt19937 rng(1);
  std::shuffle(codes.begin(), codes.end(), rng);
  if (int rc = fnt_open(2, argv[1], blocks)) {
    std::fprintf(stderr, "fnt_open: %d\n", rc);
    return 1;
  }
  CountSink sink;
  Sampler sampler(std::getenv("INK_PROFILE"));
  for (int pass = 0; pass < 4; pass++) {
    sampler.pause(pass == 0);
    double t0 = bench_now();
    int bad = 0;
    for (auto [lead, trail] : codes)
      bad += fnt_hqglyph(lead, trail, sink) != 0;
    double s = bench_now() - t0;
    std::printf("through the cache (N=%d), pass %d: %zu glyphs, %.0f glyphs/s%s\n", blocks, pass + 1, codes.size(),
                codes.size() / s, bad ? " (some failed)" : "");
  }
  sampler.pause(true);
  fnt_close();

  // The decoder alone, programs in memory.
  auto idx = slurp(std::string(argv[1]) + "/inkfrghq.idx");
  std::vector<uint8_t> kj[2] = {slurp(std::string(argv[1]) + "/inkfrghq.kj1"),
                                slurp(std::string(argv[1]) + "/inkfrghq.kj2")};
  std::vector<std::pair<const uint8_t *, int>> progs;
  for (auto [lead, trail] : codes) {
    int rec = fnt_hqrecord(fnt_sjis2jis(static_cast<uint16_t>(lead << 8 | trail)));
    uint32_t loc = idx[rec * 6 + 2] | idx[rec * 6 + 3] << 8 | idx[rec * 6 + 4] << 16 | uint32_t(idx[rec * 6 + 5]) << 24;
    const auto &f = kj[loc >> 31];
    size_t at = (loc & 0x7FFFFFFFu) * 2;
    progs.push_back({f.data() + at + 10, 2 * static_cast<int16_t>(f[at] | f[at + 1] << 8)});
  }
  double t0 = bench_now();
  const int reps = 50;
  for (int i = 0; i < reps; i++)
    for (auto [p, n] : progs)
      fnt_hqrun(p, n, sink);
  double s = bench_now() - t0;
  std::printf("decoder alone: %.0f glyphs/s\n", reps * progs.size() / s);
  return 0;
}

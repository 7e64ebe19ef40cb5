// Helpers of the stroke-font tests: fixture files, counted file I/O, a sink that
// records strokes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "display/fonts/fontcache.h"
#include "display/fonts/fontfile.h"

// Writes bytes to a file (created or replaced).
void put_file(const std::string &path, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> get_file(const std::string &path);
void make_dir(const std::string &path);

// Counts the runtime calls the cache makes while alive; fail_reads makes _read give -1.
struct CountedIo {
  int opens = 0, reads = 0, seeks = 0, closes = 0;
  long bytes = 0;
  bool fail_reads = false;
  CountedIo();
  ~CountedIo();
  void reset() { opens = reads = seeks = closes = 0, bytes = 0; }
};

// Records every stroke as text, e.g. "P 1,2 3,4" "M 5,6" "L 0,0 1,1" "A2 r s e 1,2>3,4" "C r a 1,2".
struct RecordSink : GlyphSink {
  std::vector<std::string> log;
  int width_seen = -99;
  int stop_after = -1; // stroke count after which every call gives 2
  int width(int tenths) override;
  int move(GlyphPt p) override;
  int line(GlyphPt a, GlyphPt b) override;
  int polyline(const GlyphPt *pts, int n) override;
  int hqmove(GlyphPt p) override;
  int arc(int op, int r, int s, int e, GlyphPt from, GlyphPt to) override;
  int circle(int r, int a, GlyphPt at) override;
  int add(std::string s);
};

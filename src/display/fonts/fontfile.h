// Stroke-font files and glyph programs.
//
// Standard set: "ikfrgstd.idx" (4-byte records by Shift-JIS code: 24-bit offset,
// 8-bit length) and "ikfrgstd.knj" (one byte a point of a 16 x 16 grid, low nibble
// x, high nibble y up, 0x0F lifts the pen).
// High-quality set: "inkfrghq.idx" (6-byte records by JIS X 0208 code: i16 width in
// tenths of the cell, -1 none; u32 location in words, bit 31 = second glyph file,
// all ones none) and "inkfrghq.kj1"/"inkfrghq.kj2" (10-byte header whose first i16
// is the program length in words, then the stroke program; cell 350 x 350 units).
// All integers little-endian. Every read goes through the block cache.
#pragma once

#include <cstdint>

constexpr int FNT_STD_RECORDS = 60 * 192; // leads 0x81-0x9F and 0xE0-0xFC
constexpr int FNT_HQ_RECORDS = 94 * 94;
constexpr int FNT_HQ_CELL = 350;
constexpr int FNT_HQ_FULLWIDTH = 35;
constexpr int FNT_PATH = 262;

enum : int { FNT_STDIDX, FNT_STDKNJ, FNT_HQIDX, FNT_HQKJ1, FNT_HQKJ2, FNT_FILES };
extern const char *const FntNames[FNT_FILES];

// Process-wide font state.
struct FontSet {
  int32_t requested = 0; // 0 none, 2 high quality, other values standard
  int32_t fd[FNT_FILES] = {-1, -1, -1, -1, -1};
  int32_t loaded = 0; // 1 standard, 2 high quality; kept after closing
  char path[FNT_FILES][FNT_PATH] = {};
};
extern FontSet Fonts;

// Opens the standard pair (set != 2) or the high-quality trio (set 2) from folder,
// with a block cache of cacheblocks blocks (the engine passes the system block's
// font-cache word, 50 by default). 0, or the number (1..5) of the file that failed;
// on failure nothing stays open. Files still open from an earlier call are closed first.
int fnt_open(int set, const char *folder, int cacheblocks);
// Closes the files and the cache; 0.
int fnt_close();

int fnt_islead(int c);
int fnt_istrail(int c);
// Shift-JIS code (lead byte high) to JIS X 0208, or 0.
uint16_t fnt_sjis2jis(uint16_t code);
// Record numbers, or -1 when the code has none.
int fnt_stdrecord(int lead, int trail);
int fnt_hqrecord(uint16_t jis);

// A glyph point in font units (standard: grid 0..15; high quality: cell 0..350), y up.
struct GlyphPt {
  int32_t x, y;
};

// Receives the strokes of one glyph. Each call gives 0 to go on, or 2 to stop
// (a draw or an add failed); the decoder then ends with 2.
class GlyphSink {
public:
  virtual ~GlyphSink() = default;
  // High quality: the glyph's width in tenths of the cell (35 full width), before any stroke.
  virtual int width(int) { return 0; }
  // Standard: the pen goes to p without drawing.
  virtual int move(GlyphPt) { return 0; }
  // Standard: a straight stroke.
  virtual int line(GlyphPt, GlyphPt) { return 0; }
  // High quality op 0: the first point is a move, each further point a line from the one before.
  virtual int polyline(const GlyphPt *, int) { return 0; }
  // High quality op 1: the pen goes to the last point given.
  virtual int hqmove(GlyphPt) { return 0; }
  // High quality ops 2 (clockwise) and 3: radius, start and end angle (tenths of a
  // degree), the current point (on the circle at the start angle) and the end point.
  virtual int arc(int /*op*/, int /*r*/, int /*start*/, int /*end*/, GlyphPt /*from*/, GlyphPt /*to*/) { return 0; }
  // High quality ops 4 and 5: the current point lies on the circle at angle a.
  virtual int circle(int /*r*/, int /*a*/, GlyphPt /*at*/) { return 0; }
};

// Walks standard glyph bytes; 0, or 2 when the sink stopped.
int fnt_stdwalk(const uint8_t *bytes, int len, GlyphSink &sink);
// Runs a stroke program of len bytes: 0 done, 1 a command word is cut short,
// 2 an operand is cut short or the sink stopped.
int fnt_hqrun(const uint8_t *prog, int len, GlyphSink &sink);
// The same for a program of len bytes of which only the first have could be read.
int fnt_hqrun(const uint8_t *prog, int len, int have, GlyphSink &sink);

// Standard glyph bytes of a character into glyph (256 bytes at least): *len is the
// byte count, 0 when the character has no glyph, -1 when a seek or read failed or the
// glyph file is cut short. 0.
int fnt_stdglyph(int lead, int trail, uint8_t *glyph, int *len);
// One standard character through the sink: 0 done, 1 no glyph, 2 damaged file or the sink stopped.
int fnt_stddecode(int lead, int trail, GlyphSink &sink);
// One high-quality character through the sink: 0 done; 1 no glyph (no JIS code,
// index record short, width -1, no location, or a command word cannot be read);
// 2 the header or an operand cannot be read, or the sink stopped.
int fnt_hqglyph(int lead, int trail, GlyphSink &sink);

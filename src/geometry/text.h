// Text layout in character slots, and the single-byte to double-byte code table.
#pragma once

#include <cstdint>

constexpr int CHR_SLOTS = 40;      // slots (and lines) one layout holds
constexpr int CHR_LEVELS = 10;     // bracket levels 0..9
constexpr int CHR_TEXTMAX = 10000; // bytes of a text read at most
// Size of a code buffer: two bytes per byte read, and a terminator.
constexpr int CHR_CODEMAX = 2 * CHR_TEXTMAX + 2;

struct ChrLayout {
  double width;  // largest x reached by any character
  double height; // h plus (h + spacing) per outer line break
  int32_t count; // slots
  double x[CHR_SLOTS];
  double y[CHR_SLOTS];
  double w[CHR_SLOTS];
  const char *text[CHR_SLOTS]; // start of the slot's codes in the caller's code buffer
  int32_t nchar[CHR_SLOTS];    // characters (chr_layout) or bytes (chr_layoutw)
  int32_t half[CHR_SLOTS];     // 1 for a half-size slot
};

extern const uint32_t SbcsToDbcs[256];

// Lays a text out in fixed cells (height h, width w, spacing s). The text ends at its
// terminating zero or after CHR_TEXTMAX bytes, whichever comes first; no byte past
// either is read. Mode 1 also writes two code bytes per character into codes
// (CHR_CODEMAX bytes). A text needing more than CHR_SLOTS slots or lines is cut there. 0.
int chr_layout(int mode, uint16_t attr, double h, double w, double s, const char *text, ChrLayout *lay, char *codes);
// The two bytes of SbcsToDbcs[byte]; 0.
int chr_tofull(uint8_t byte, uint8_t *lead, uint8_t *trail);

// The layout walk shared with the typeface layout: markup, slots, lines, limits.
class ChrWalk {
public:
  ChrWalk(ChrLayout *lay, double h, double s);
  void open(); // "["; past the last level the level stays there
  void close(); // "]"
  bool brk();   // "_"; false when the line limit stops the text
  // Markup byte handling shared by both layouts.
  enum Markup { MARK_TEXT, MARK_DONE, MARK_STOP };
  Markup markup(uint8_t c); // MARK_TEXT: c is text; MARK_DONE: consumed; MARK_STOP: a limit ends the text
  // Before a character: starts a slot when one is due (text at start). True when a
  // slot was started; *full set when the slot limit stops the text.
  bool begin_char(const char *start, bool *full);
  void advance(double dx); // moves x and widens the current slot
  void count_char(int n) { lay_->nchar[slot_] += n; }
  bool half() const { return half_; }
  void finish(uint16_t attr);

private:
  ChrLayout *lay_;
  double h_, pitch_;
  int slot_ = -1, line_ = 0, level_ = 0;
  bool half_ = false, newslot_ = true;
  double x_[CHR_LEVELS] = {}, y_[CHR_LEVELS] = {};
  double widest_ = 0;
  double linew_[CHR_SLOTS] = {};
  int slotline_[CHR_SLOTS] = {};
};

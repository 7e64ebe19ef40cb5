#include "geometry/text.h"
#include "settings/strutil.h"

#include <cstring>

// Full-width Shift-JIS forms of printable ASCII and of half-width katakana; every other
// byte becomes the ideographic space.
const uint32_t SbcsToDbcs[256] = {
    0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140,
    0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140,
    0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A,
    0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x83D3, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264,
    0x8265, 0x8266, 0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E, 0x826F, 0x8270, 0x8271, 0x8272,
    0x8273, 0x8274, 0x8275, 0x8276, 0x8277, 0x8278, 0x8279, 0x816D, 0x818F, 0x816E, 0x817D, 0x8151, 0x814D, 0x8281,
    0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287, 0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170,
    0x8160, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140,
    0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140,
    0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340,
    0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349,
    0x834A, 0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365,
    0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380,
    0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,
    0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140,
    0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140, 0x8140,
    0x8140, 0x8140, 0x8140, 0x8140,
};

int chr_tofull(uint8_t byte, uint8_t *lead, uint8_t *trail) {
  *lead = static_cast<uint8_t>(SbcsToDbcs[byte] >> 8);
  *trail = static_cast<uint8_t>(SbcsToDbcs[byte]);
  return 0;
}

namespace {
bool is_lead(uint8_t c) { return sjis_islead(c); }
double larger(double a, double b) { return a > b ? a : b; }
} // namespace

ChrWalk::ChrWalk(ChrLayout *lay, double h, double s) : lay_(lay), h_(h), pitch_(h + s) {
  lay->width = 0;
  lay->height = h;
  lay->count = 0;
  for (int i = 0; i < CHR_SLOTS; i++) {
    lay->x[i] = lay->y[i] = lay->w[i] = 0;
    lay->text[i] = nullptr;
    lay->nchar[i] = lay->half[i] = 0;
  }
}

void ChrWalk::open() {
  widest_ = 0;
  newslot_ = true;
  if (level_ + 1 < CHR_LEVELS) // deeper brackets stay at the last level
    level_++;
  x_[level_] = x_[level_ - 1];
  y_[level_] = y_[level_ - 1] + h_ / 2;
  half_ = true;
}

void ChrWalk::close() {
  newslot_ = true;
  if (level_ > 0) {
    level_--;
    x_[level_] = larger(widest_, x_[level_ + 1]);
  }
  if (level_ == 0)
    half_ = false;
}

bool ChrWalk::brk() {
  widest_ = larger(widest_, x_[level_]);
  if (level_ == 0) {
    if (line_ + 1 >= CHR_SLOTS)
      return false;
    x_[0] = 0;
    y_[0] -= pitch_;
    lay_->height += pitch_;
    linew_[++line_] = 0;
  } else if (newslot_) {
    y_[level_] -= h_ / 2;
  } else {
    x_[level_] = lay_->x[slot_];
    y_[level_] = lay_->y[slot_] - h_ / 2;
  }
  newslot_ = true;
  return true;
}

ChrWalk::Markup ChrWalk::markup(uint8_t c) {
  switch (c) {
  case '[':
    open();
    return MARK_DONE;
  case ']':
    close();
    return MARK_DONE;
  case '_':
    return brk() ? MARK_DONE : MARK_STOP;
  case '|':
    return MARK_DONE;
  default:
    return MARK_TEXT;
  }
}

bool ChrWalk::begin_char(const char *start, bool *full) {
  *full = false;
  if (!newslot_)
    return false;
  if (slot_ + 1 >= CHR_SLOTS) {
    *full = true;
    return false;
  }
  newslot_ = false;
  slot_++;
  lay_->x[slot_] = x_[level_];
  lay_->y[slot_] = y_[level_];
  lay_->w[slot_] = 0;
  lay_->nchar[slot_] = 0;
  lay_->half[slot_] = half_ ? 1 : 0;
  lay_->text[slot_] = start;
  slotline_[slot_] = line_;
  return true;
}

void ChrWalk::advance(double dx) {
  x_[level_] += dx;
  lay_->w[slot_] += dx;
  lay_->width = larger(lay_->width, x_[level_]);
  linew_[line_] = larger(linew_[line_], x_[level_]);
}

void ChrWalk::finish(uint16_t attr) {
  lay_->count = slot_ + 1;
  int hb = (attr >> 7) & 3, vb = (attr >> 5) & 3;
  for (int i = 0; i <= slot_; i++) {
    if (hb == 1)
      lay_->x[i] -= linew_[slotline_[i]] / 2;
    else if (hb == 2)
      lay_->x[i] -= linew_[slotline_[i]];
    if (vb == 1)
      lay_->y[i] -= h_ / 2;
    else if (vb == 2)
      lay_->y[i] -= h_;
  }
}

int chr_layout(int mode, uint16_t attr, double h, double w, double s, const char *text, ChrLayout *lay, char *codes) {
  ChrWalk walk(lay, h, s);
  bool write = mode == 1 && codes;
  int pos = 0;
  for (int i = 0; i < CHR_TEXTMAX && text[i]; i++) {
    uint8_t c = static_cast<uint8_t>(text[i]);
    ChrWalk::Markup m = walk.markup(c);
    if (m == ChrWalk::MARK_STOP)
      break;
    if (m == ChrWalk::MARK_TEXT) {
      uint8_t lead, trail;
      if (is_lead(c)) {
        if (i + 1 >= CHR_TEXTMAX || !text[i + 1]) // a lead byte without its trail ends the text
          break;
        lead = c;
        trail = static_cast<uint8_t>(text[++i]);
      } else {
        chr_tofull(c, &lead, &trail);
      }
      bool full;
      bool started = walk.begin_char(write ? codes + pos : nullptr, &full);
      if (full)
        break;
      if (!started)
        walk.advance(walk.half() ? s / 2 : s);
      walk.advance(walk.half() ? w / 2 : w);
      walk.count_char(1);
      if (write) {
        codes[pos++] = static_cast<char>(lead);
        codes[pos++] = static_cast<char>(trail);
      }
    }
  }
  if (write)
    codes[pos] = '\0';
  walk.finish(attr);
  return 0;
}

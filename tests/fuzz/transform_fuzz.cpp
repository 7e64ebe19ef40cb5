// Element transforms over records as read from seal files and the store: byte 0 picks
// the mode, byte 1 the copy index (signed), byte 2 the switches (bit 0 partial, bit 1
// member of a class-400 dimension, bit 2 dimension text, bit 3 on its line, bits 4-5 the
// text switch, bit 6 the re-value switch); then the 80-byte record, then up to 31
// doubles of parameters (move, rotation, mirror axis, scale, stretch, base, layer
// factor, dimension-text record), and the rest is the text. Whenever the record's
// fields and the parameters are finite, the transformed fields must be finite too.
#include "commands/edit/transform.h"
#include "input/numfmt.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double f64(const uint8_t *p) {
  double v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
float f32(const uint8_t *p) {
  float v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
uint16_t u16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Offsets of the doubles and floats the transforms read and write for this record.
void fields(const uint8_t *r, std::string *dbl, std::string *flt) {
  dbl->clear();
  flt->clear();
  switch (u16(r + 4)) {
  case 1:
    *dbl = {20, 28};
    break;
  case 2:
  case 18:
    *dbl = {20, 28, 36, 44};
    break;
  case 4:
  case 20:
    *dbl = {20, 28, 36, 44, 52};
    break;
  case 8:
    *flt = {20, 24, 28, 32, 36, 40};
    break;
  case 16:
    *dbl = {24, 32, 40, 48, 56};
    break;
  case 4096:
    if (r[2] == 1)
      *dbl = {30, 38, 46, 54, 62};
    break;
  }
}

bool finite(const uint8_t *r, const std::string &dbl, const std::string &flt) {
  for (char o : dbl)
    if (!std::isfinite(f64(r + o)))
      return false;
  for (char o : flt)
    if (!std::isfinite(f32(r + o)))
      return false;
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 3 + 80)
    return 0;
  const int mode = data[0] % 7, n = static_cast<int8_t>(data[1]), sw = data[2];
  ElementRecord rec;
  std::memcpy(&rec, data + 3, sizeof rec);
  size_t pos = 3 + 80;
  double p[31];
  bool pfinite = true;
  for (double &v : p) {
    v = pos + 8 <= size ? f64(data + pos) : 1.0;
    pos = pos + 8 <= size ? pos + 8 : pos;
    pfinite = pfinite && std::isfinite(v);
  }
  const std::string text(reinterpret_cast<const char *>(data + pos), size - pos);

  trn_setmove(p[0], p[1]);
  trn_setrotate(p[2], p[3], p[4]);
  trn_setmirror(p[5], p[6], p[7], p[8]);
  trn_setscale(p[9], p[10], p[11], p[12], p[13], p[14], (sw >> 4) & 3);
  trn_setstretch(p[15], p[16], p[17], p[18], p[19], p[20], (sw >> 6) & 1);
  trn_setbase(p[21], p[22], 0, 0);
  TrnDimText &dt = trn_dimtext();
  dt = TrnDimText{(sw >> 2) & 1u, (sw >> 3) & 1u, {p[24], p[25]}, {p[26], p[27]}, {p[28], p[29]}, p[30]};

  std::string dbl, flt;
  uint8_t before[80], after[80];
  std::memcpy(before, &rec, sizeof before);
  fields(before, &dbl, &flt);
  const bool infinite = pfinite && finite(before, dbl, flt);

  if (trn_apply(mode, &rec, n, text.c_str(), sw & 1, (sw >> 1) & 1) != 0)
    abort();
  trn_layscale(&rec, p[23]);
  std::memcpy(after, &rec, sizeof after);
  // Only the fields of the kind may change: the head and every other byte stay.
  if (std::memcmp(before, after, 20) != 0)
    abort();
  if (infinite && !finite(after, dbl, flt))
    abort();

  // The value text of a dimension, re-valued from the record as its node.
  char value[NUM_BARTEXT + 1];
  std::memset(value, 0, sizeof value);
  std::memcpy(value, text.data(), text.size() < sizeof value - 1 ? text.size() : sizeof value - 1);
  trn_dimscale(&rec, nullptr, value, p[23]);
  if (std::memchr(value, '\0', sizeof value) == nullptr)
    abort();
  return 0;
}

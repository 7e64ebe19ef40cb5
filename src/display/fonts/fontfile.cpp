#include "display/fonts/fontfile.h"

#include <cstring>

#include "display/fonts/fontcache.h"
#include "settings/strutil.h"

const char *const FntNames[FNT_FILES] = {"ikfrgstd.idx", "ikfrgstd.knj", "inkfrghq.idx", "inkfrghq.kj1",
                                         "inkfrghq.kj2"};
FontSet Fonts;

namespace {

constexpr int OPEN_FLAGS = 0x8000; // read-only, untranslated
#ifdef _WIN32
constexpr char SEP = '\\';
#else
constexpr char SEP = '/';
#endif

int16_t le16(const uint8_t *p) { return static_cast<int16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// Reads exactly count bytes at offset: the count read, -1 on a failed seek or read.
int readat(int fd, int32_t offset, void *buf, int count) {
  if (fch_lseek(fd, offset, 0) != offset)
    return -1;
  return fch_read(fd, buf, count);
}

void close_all() {
  for (int i = 0; i < FNT_FILES; i++)
    if (Fonts.fd[i] != -1) {
      fch_close(Fonts.fd[i]);
      Fonts.fd[i] = -1;
    }
}

uint8_t Program[2 * 32767]; // one glyph program at a time
GlyphPt Points[1024];

} // namespace

int fnt_islead(int c) { return c >= 0 && c <= 255 && sjis_islead(static_cast<unsigned char>(c)); }
int fnt_istrail(int c) { return c >= 0 && c <= 255 && sjis_istrail(static_cast<unsigned char>(c)); }

uint16_t fnt_sjis2jis(uint16_t code) {
  int lead = code >> 8, trail = code & 0xFF;
  if (!fnt_islead(lead) || !fnt_istrail(trail))
    return 0;
  int r = lead - (lead < 0xA0 ? 0x81 : 0xC1);
  int jis;
  if (trail < 0x9F)
    jis = (r * 512 + 0x2100) + (trail - (trail < 0x7F ? 0x1F : 0x20));
  else
    jis = (r * 512 + 0x2200) + (trail - 0x7E);
  return static_cast<uint16_t>(jis);
}

int fnt_stdrecord(int lead, int trail) {
  if (!fnt_islead(lead) || !fnt_istrail(trail))
    return -1;
  int rec = (lead - (lead < 0xE0 ? 0x81 : 0xC1)) * 192 + (trail - 0x40);
  return rec >= 0 && rec < FNT_STD_RECORDS ? rec : -1;
}

int fnt_hqrecord(uint16_t jis) {
  int r = jis >> 8, c = jis & 0xFF;
  if (r < 0x21 || r > 0x7E || c < 0x21 || c > 0x7E)
    return -1;
  return (r - 0x21) * 94 + (c - 0x21);
}

int fnt_open(int set, const char *folder, int cacheblocks) {
  close_all();
  fch_term();
  const int first = set == 2 ? FNT_HQIDX : FNT_STDIDX, last = set == 2 ? FNT_HQKJ2 : FNT_STDKNJ;
  size_t flen = std::strlen(folder);
  bool sep = flen == 0 || folder[flen - 1] == '\\' || folder[flen - 1] == '/';
  for (int i = first; i <= last; i++) {
    size_t nlen = std::strlen(FntNames[i]);
    if (flen + !sep + nlen >= FNT_PATH) {
      Fonts.path[i][0] = '\0';
      continue; // the open below fails on the empty path
    }
    std::memcpy(Fonts.path[i], folder, flen);
    if (!sep)
      Fonts.path[i][flen] = SEP;
    std::memcpy(Fonts.path[i] + flen + !sep, FntNames[i], nlen + 1);
  }
  fch_init(1, cacheblocks);
  for (int i = first; i <= last; i++) {
    Fonts.fd[i] = Fonts.path[i][0] ? fch_open(Fonts.path[i], OPEN_FLAGS, 0) : -1;
    if (Fonts.fd[i] == -1) {
      close_all();
      fch_term();
      Fonts.requested = 0;
      return i + 1;
    }
  }
  Fonts.loaded = set == 2 ? 2 : 1;
  Fonts.requested = Fonts.loaded;
  return 0;
}

int fnt_close() {
  close_all();
  fch_term();
  Fonts.requested = 0;
  return 0;
}

int fnt_stdwalk(const uint8_t *bytes, int len, GlyphSink &sink) {
  bool down = false;
  GlyphPt prev{0, 0};
  for (int i = 0; i < len; i++) {
    if (bytes[i] == 0x0F) {
      down = false;
      continue;
    }
    GlyphPt p{bytes[i] & 0x0F, bytes[i] >> 4};
    int rc = down ? sink.line(prev, p) : sink.move(p);
    if (rc)
      return 2;
    prev = p;
    down = true;
  }
  return 0;
}

int fnt_hqrun(const uint8_t *prog, int len, GlyphSink &sink) { return fnt_hqrun(prog, len, len, sink); }

int fnt_hqrun(const uint8_t *prog, int len, int have, GlyphSink &sink) {
  GlyphPt cur{0, 0};
  int at = 0;
  if (have > len)
    have = len;
  while (at < len) {
    if (have - at < 2)
      return 1;
    unsigned word = static_cast<uint16_t>(le16(prog + at));
    at += 2;
    int op = word >> 13, rc = 0;
    if (op <= 1) {
      int n = word & 0x3FF;
      if (n == 0)
        n = 1;
      if (have - at < 4 * n)
        return 2;
      for (int i = 0; i < n; i++, at += 4)
        Points[i] = {le16(prog + at), le16(prog + at + 2)};
      if (op == 0) {
        rc = sink.polyline(Points, n);
        if (n > 1)
          cur = Points[n - 1];
      } else {
        cur = Points[n - 1];
        rc = sink.hqmove(cur);
      }
    } else if (op <= 3) {
      if (have - at < 8)
        return 2;
      GlyphPt to{le16(prog + at + 4), le16(prog + at + 6)};
      rc = sink.arc(op, word & 0x1FFF, le16(prog + at), le16(prog + at + 2), cur, to);
      cur = to;
      at += 8;
    } else if (op <= 5) {
      if (have - at < 2)
        return 2;
      rc = sink.circle(word & 0x1FFF, le16(prog + at), cur);
      at += 2;
    }
    if (rc)
      return 2;
  }
  return 0;
}

int fnt_stdglyph(int lead, int trail, uint8_t *glyph, int *len) {
  *len = 0;
  int rec = fnt_stdrecord(lead, trail);
  int idx = Fonts.fd[FNT_STDIDX], knj = Fonts.fd[FNT_STDKNJ];
  if (rec < 0 || idx == -1 || knj == -1)
    return 0;
  uint8_t r[4];
  int got = readat(idx, rec * 4, r, 4);
  if (got != 4) {
    *len = got < 0 ? -1 : 0; // an index cut short holds no glyph here
    return 0;
  }
  int32_t offset = r[0] | r[1] << 8 | r[2] << 16;
  int n = r[3];
  if (n == 0)
    return 0;
  *len = readat(knj, offset, glyph, n) == n ? n : -1;
  return 0;
}

int fnt_stddecode(int lead, int trail, GlyphSink &sink) {
  uint8_t glyph[256];
  int len;
  fnt_stdglyph(lead, trail, glyph, &len);
  if (len < 0)
    return 2;
  if (len == 0)
    return 1;
  return fnt_stdwalk(glyph, len, sink);
}

int fnt_hqglyph(int lead, int trail, GlyphSink &sink) {
  int rec = fnt_hqrecord(fnt_sjis2jis(static_cast<uint16_t>(lead << 8 | trail)));
  int idx = Fonts.fd[FNT_HQIDX];
  if (rec < 0 || idx == -1)
    return 1;
  uint8_t r[10];
  if (readat(idx, rec * 6, r, 6) != 6)
    return 1;
  int width = le16(r);
  uint32_t loc = le32(r + 2);
  if (width == -1 || loc == 0xFFFFFFFFu)
    return 1;
  int fd = Fonts.fd[loc >> 31 ? FNT_HQKJ2 : FNT_HQKJ1];
  uint32_t offset = (loc & 0x7FFFFFFFu) * 2;
  if (fd == -1 || offset > INT32_MAX || readat(fd, static_cast<int32_t>(offset), r, 10) != 10)
    return 2;
  if (sink.width(width))
    return 2;
  int len = 2 * le16(r);
  if (len <= 0)
    return 0;
  // A file cut inside the program: the command word that cannot be read ends
  // the glyph as "no glyph", an operand cut short as damaged.
  const int got = fch_read(fd, Program, len);
  return fnt_hqrun(Program, len, got < 0 ? 0 : got, sink);
}

// The compressed block codec, the 64-byte record reader and the file-type probe
// over arbitrary bytes. The first byte picks the reader, the next few its
// arguments, the rest is the data:
//   0 decode: u16 wanted length, stream
//   1 round trip: a byte that sizes a too-small output, data
//   2 64-byte records: format (20, 21, other), u16 start, i16 remaining count,
//     u16 record limit, embedding flag, u16 budget, file bytes; the same bytes read
//     again as a file into a store that holds records already (the start from small
//     environment counters made of the start bytes, the embedding mode word from
//     bit 1 of the flag, records present from the record limit)
//   3 probe: extension choice, file head
#include <cstdlib>
#include <cstring>
#include <vector>

#include "database/store.h"
#include "files/lzh.h"
#include "files/probe.h"
#include "files/rec64.h"
#include "files/rec64read.h"
#include "files/sealfmt.h"
#include "settings/params.h"

namespace {

uint16_t u16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }

void decode(const uint8_t *d, size_t n) {
  if (n < 2)
    return;
  uint32_t wanted = u16(d) % 8193;
  std::vector<uint8_t> out(wanted);
  uint32_t made = 0;
  int rc = lzh_decode(d + 2, out.data(), uint32_t(n - 2), wanted, &made);
  if (made > wanted || (rc == LZH_OK && made != wanted))
    abort();
}

void roundtrip(const uint8_t *d, size_t n) {
  if (n < 1)
    return;
  const uint8_t *in = d + 1;
  uint32_t len = uint32_t(n - 1);
  std::vector<uint8_t> packed(lzh_bound(len)), back(len);
  uint32_t plen = 0, made = 0;
  if (lzh_encode(in, packed.data(), len, uint32_t(packed.size()), &plen) != LZH_OK)
    abort();
  if (lzh_decode(packed.data(), back.data(), plen, len, &made) != LZH_OK || made != len ||
      (len && std::memcmp(back.data(), in, len) != 0))
    abort();
  uint32_t cap = uint32_t(uint64_t(plen) * d[0] / 256);
  std::vector<uint8_t> small(cap);
  uint32_t slen = 0;
  int rc = lzh_encode(in, small.data(), len, cap, &slen);
  if (slen > cap || (rc == LZH_OK) != (cap >= plen))
    abort();
}

bool storestart() {
  prm_init();
  ElmMax[0] = 700; // small, so that a file can fill it
  WrkMax[0] = 100;
  ElmMax[1] = WrkMax[1] = 100;
  if (dtb_init() != 0)
    abort();
  dtb_ctrl('i', nullptr);
  return true;
}

// slf_rd64 over the bytes as a file: the records present never change, a failure
// leaves the count and the remaining count as they were, a success counts down and
// leaves no link outside the store's records.
void intostore(const uint8_t *d, size_t n, int fmt) {
  static const bool started = storestart();
  (void)started;
  DbControl &c = DbCtl[0];
  c.count2 = c.count3 = 0;
  c.count1 = uint32_t(u16(d + 5) % 8);
  const int32_t before = int32_t(c.count1);
  std::vector<uint8_t> mine(80 * size_t(before));
  for (int32_t k = 1; k <= before; ++k)
    std::memcpy(mine.data() + 80 * size_t(k - 1), dtb_addr(0, k), 80);
  uint16_t c1 = d[1] % 4, c2 = d[2] % 40;
  sys_envcnt('W', &c1, &c2);
  Rd64Embed e{uint16_t(d[7] >> 1 & 1), int64_t(u16(d + 8))};
  const int embed = d[7] & 1;
  int32_t remain = int16_t(u16(d + 3)), asked = remain;
  SlfMemory m{d + 10, n - 10, 0};
  const int rc = slf_rd64(fmt << 8, slf_memsource(&m), d[1] & 1 ? 2.5 : 0, d[2] & 1 ? -7 : 0, embed, &e, &remain);
  const int32_t now = int32_t(c.count1);
  for (int32_t k = 1; k <= before; ++k)
    if (std::memcmp(mine.data() + 80 * size_t(k - 1), dtb_addr(0, k), 80) != 0)
      abort();
  if (rc != 0) {
    if (rc != 1 || now != before || remain != asked)
      abort();
    return;
  }
  if (now < before || now > int32_t(c.max12) || (asked > 0 && asked - remain != now - before))
    abort();
  for (int32_t k = before + 1; k <= now; ++k) {
    const ElementRecord *r = dtb_ptr(0, k);
    int offs[4];
    const int links = slf_links(r, offs);
    for (int i = 0; i < links; ++i) {
      const int32_t v = slf_link(r, offs[i]);
      if (v >= 1 && v > now)
        abort();
    }
  }
}

void records(const uint8_t *d, size_t n) {
  if (n < 10)
    return;
  int fmt = d[0] % 3 == 0 ? 20 : d[0] % 3 == 1 ? 21 : 0;
  int64_t start = u16(d + 1);
  int32_t remain = int16_t(u16(d + 3));
  int32_t maxrecs = u16(d + 5);
  Rd64Embed e{1, int64_t(u16(d + 8))};
  Rd64Result r;
  int32_t before = remain;
  slf_rd64buf(d + 10, n - 10, fmt, start, &remain, maxrecs, d[7] & 1 ? &e : nullptr, &r);
  if (r.count < 0 || r.count > maxrecs || r.recs.size() != 80u * size_t(r.count) ||
      (before > 0 && before - remain != r.count))
    abort();
  slf_rd64start(int16_t(u16(d + 1)), int16_t(u16(d + 3)), d[7] & 1, &e);
  intostore(d, n, fmt);
}

void probe(const uint8_t *d, size_t n) {
  if (n < 1)
    return;
  static const char *exts[] = {".KSL", ".DXF", ".TXT", ".BAK", ".XYZ"};
  char texts[3][FIL_TEXTBUF];
  fil_probebuf(exts[d[0] % 5], d + 1, n - 1, texts);
  for (auto &t : texts)
    if (std::strlen(t) > size_t(FIL_TEXTLEN))
      abort();
  fil_istext(d + 1, int(n - 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1)
    return 0;
  switch (data[0] % 4) {
  case 0:
    decode(data + 1, size - 1);
    break;
  case 1:
    roundtrip(data + 1, size - 1);
    break;
  case 2:
    records(data + 1, size - 1);
    break;
  default:
    probe(data + 1, size - 1);
  }
  return 0;
}

#include "files/rec64.h"

#include <algorithm>
#include <cstring>

#include "files/lzh.h"

namespace {

uint16_t rd16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t rd32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void wr32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; i++)
    p[i] = uint8_t(v >> (8 * i));
}
// A 16-bit link widened: 0xFFFF is "none".
void link(uint8_t *dst, const uint8_t *src) {
  uint16_t v = rd16(src);
  wr32(dst, v == 0xFFFF ? 0xFFFFFFFFu : v);
}

constexpr uint16_t KIND_NODE = 0x1000;
constexpr uint16_t KIND_STRING = 0x0100 | 0x0008; // attribute, text
constexpr uint16_t FLAG_CONT = 0x8000;

} // namespace

void slf_conv64(uint8_t *d, const uint8_t *s) {
  std::memset(d, 0, 80);
  std::memcpy(d, s, 12);
  link(d + 12, s + 12);
  link(d + 16, s + 14);
  uint16_t flags = rd16(s), kind = rd16(s + 4);
  if (kind & KIND_NODE) {
    link(d + 20, s + 16);
    link(d + 24, s + 18);
    std::memcpy(d + 28, s + 20, 44);
  } else if (flags & FLAG_CONT || kind & KIND_STRING) {
    std::memcpy(d + 20, s + 16, 46);
    link(d + 66, s + 62);
  } else
    std::memcpy(d + 20, s + 16, 48);
}

void slf_conv64blk(uint8_t *dst, const uint8_t *src, int count) {
  for (int i = 0; i < count; i++)
    slf_conv64(dst + 80 * std::size_t(i), src + R64_SIZE * std::size_t(i));
}

int64_t slf_rd64start(int16_t c1, int16_t c2, int embed, const Rd64Embed *rec) {
  int64_t start = 1024;
  if (c1 != 0 && c2 != 0)
    start += 32 * (int64_t(c1) + c2 / 15 + 1);
  if (embed == 1)
    start = rec && rec->mode == 1 ? start + 128 : 128;
  return start < 64 ? -1 : start;
}

int slf_rd64buf(const uint8_t *file, std::size_t len, int fmt, int64_t start, int32_t *remain, int32_t maxrecs,
                Rd64Embed *embed, Rd64Result *out) {
  if (!out || !remain)
    return R64_SEEK;
  out->recs.clear();
  out->count = 0;
  out->head = 0;
  if (!file)
    len = 0;
  maxrecs = std::max(maxrecs, 0);
  if (fmt == 20 || fmt == R64_PACKED) {
    if (start < 64 || uint64_t(start) > len)
      return R64_SEEK;
    out->head = rd32(file + start - 64);
  }
  if (start < 0 || uint64_t(start) > len)
    return R64_SEEK;
  std::size_t pos = std::size_t(start);
  static uint8_t work[R64_WORKSIZE];

  auto take = [&](const uint8_t *recs, std::size_t bytes) -> int {
    int32_t n = int32_t(bytes / R64_SIZE);
    n = std::min(n, *remain);
    int rc = R64_OK;
    if (n > maxrecs - out->count) {
      n = maxrecs - out->count;
      rc = R64_FULL;
    }
    out->recs.resize(80 * std::size_t(out->count + n));
    slf_conv64blk(out->recs.data() + 80 * std::size_t(out->count), recs, n);
    out->count += n;
    *remain -= n;
    return rc;
  };

  while (*remain > 0) {
    std::size_t want = fmt == R64_PACKED ? R64_BLKHEAD : R64_BLKSIZE;
    if (embed) {
      if (embed->budget <= 0)
        break;
      if (uint64_t(embed->budget) < want) {
        if (fmt == R64_PACKED)
          return R64_BLOCK;
        want = std::size_t(embed->budget);
      }
    }
    std::size_t got = std::min(want, len - pos);
    if (got == 0)
      break;
    if (fmt != R64_PACKED) {
      int rc = take(file + pos, got);
      pos += got;
      if (embed)
        embed->budget -= int64_t(got);
      if (rc != R64_OK)
        return rc;
      if (got < want)
        break;
      continue;
    }
    // Compressed block: expanded length, packed length, 4 spare bytes, packed bytes.
    if (got < want)
      break;
    uint32_t expanded = rd16(file + pos), packed = rd16(file + pos + 2);
    std::size_t blk = R64_BLKHEAD + std::size_t(packed);
    if (expanded > R64_WORKSIZE || blk > len - pos || (embed && uint64_t(embed->budget) < blk))
      return R64_BLOCK;
    if (expanded == 0)
      break;
    uint32_t made = 0;
    if (lzh_decode(file + pos + R64_BLKHEAD, work, packed, expanded, &made) != LZH_OK)
      return R64_BLOCK;
    pos += blk;
    if (embed)
      embed->budget -= int64_t(blk);
    if (int rc = take(work, expanded); rc != R64_OK)
      return rc;
  }
  return R64_OK;
}

// Writes an RGB picture as a PNG file, for pictures that tests leave for people to
// look at. Deflate with fixed codes and two kinds of match (the pixel before, the row
// above) keeps screen pictures small enough to keep in the repository.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace pngwrite {

inline uint32_t crc32(const uint8_t *p, size_t n, uint32_t c = 0) {
  c = ~c;
  for (size_t i = 0; i < n; i++) {
    c ^= p[i];
    for (int k = 0; k < 8; k++)
      c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

inline void put32(std::vector<uint8_t> &v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8)
    v.push_back(uint8_t(x >> s));
}

inline void chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
  put32(out, uint32_t(data.size()));
  std::vector<uint8_t> td(type, type + 4);
  td.insert(td.end(), data.begin(), data.end());
  out.insert(out.end(), td.begin(), td.end());
  put32(out, crc32(td.data(), td.size()));
}

// Bits into a byte vector, least significant first, as deflate wants them.
struct Bits {
  std::vector<uint8_t> &out;
  uint32_t acc = 0;
  int n = 0;
  void put(uint32_t v, int count) {
    for (int i = 0; i < count; i++) {
      acc |= ((v >> i) & 1u) << n;
      if (++n == 8)
        out.push_back(uint8_t(acc)), acc = 0, n = 0;
    }
  }
  // A Huffman code goes most significant bit first.
  void code(uint32_t v, int count) {
    for (int i = count - 1; i >= 0; i--)
      put((v >> i) & 1u, 1);
  }
  void flush() {
    if (n)
      out.push_back(uint8_t(acc)), acc = 0, n = 0;
  }
};

inline void literal(Bits &b, int sym) {
  if (sym < 144)
    b.code(0x30 + uint32_t(sym), 8);
  else if (sym < 256)
    b.code(0x190 + uint32_t(sym - 144), 9);
  else if (sym < 280)
    b.code(uint32_t(sym - 256), 7);
  else
    b.code(0xC0 + uint32_t(sym - 280), 8);
}

inline void match(Bits &b, int len, int dist) {
  static const int lbase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const int lextra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  static const int dbase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  int l = 28;
  while (lbase[l] > len)
    l--;
  literal(b, 257 + l);
  b.put(uint32_t(len - lbase[l]), lextra[l]);
  int d = 29;
  while (dbase[d] > dist)
    d--;
  b.code(uint32_t(d), 5);
  b.put(uint32_t(dist - dbase[d]), d < 4 ? 0 : d / 2 - 1);
}

// One fixed-code block over raw; stride is the length of a row with its filter byte.
inline void deflate(const std::vector<uint8_t> &raw, size_t stride, std::vector<uint8_t> &z) {
  Bits b{z};
  b.put(1, 1); // the last block
  b.put(1, 2); // fixed codes
  const size_t n = raw.size();
  for (size_t at = 0; at < n;) {
    int best = 0, dist = 0;
    for (size_t d : {size_t(3), stride}) {
      if (d > at || d > 32768)
        continue;
      int len = 0;
      while (len < 258 && at + size_t(len) < n && raw[at + size_t(len)] == raw[at + size_t(len) - d])
        len++;
      if (len > best)
        best = len, dist = int(d);
    }
    if (best >= 3) {
      match(b, best, dist);
      at += size_t(best);
    } else {
      literal(b, raw[at]);
      at++;
    }
  }
  literal(b, 256);
  b.flush();
}

} // namespace pngwrite

// Pixels are 0x00RRGGBB, row by row from the top.
inline bool write_png(const char *path, int w, int h, const std::vector<uint32_t> &px) {
  using namespace pngwrite;
  std::vector<uint8_t> raw;
  for (int y = 0; y < h; y++) {
    raw.push_back(0);
    for (int x = 0; x < w; x++) {
      const uint32_t p = px[size_t(y) * w + x];
      raw.push_back(uint8_t(p >> 16)), raw.push_back(uint8_t(p >> 8)), raw.push_back(uint8_t(p));
    }
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  deflate(raw, size_t(w) * 3 + 1, z);
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw)
    a = (a + c) % 65521, b = (b + a) % 65521;
  put32(z, b << 16 | a);
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, ihdr;
  put32(ihdr, uint32_t(w)), put32(ihdr, uint32_t(h));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk(out, "IHDR", ihdr);
  chunk(out, "IDAT", z);
  chunk(out, "IEND", {});
  FILE *f = std::fopen(path, "wb");
  if (!f)
    return false;
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

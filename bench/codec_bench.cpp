// Decode (and encode) throughput of the compressed block codec over three kinds of
// data: blocks of element records as a drawing holds them, Shift-JIS text, and
// random bytes (the worst case: every byte a literal). Rates count uncompressed bytes.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "benchclock.h"
#include "files/lzh.h"

namespace {

using Bytes = std::vector<uint8_t>;

// 400 records of 80 bytes: lines, arcs and texts on a grid, links chained.
Bytes records() {
  Bytes b;
  std::mt19937 g(5);
  for (int i = 0; i < 400; i++) {
    uint8_t r[80] = {};
    uint16_t kind = i % 5 == 4 ? 8 : i % 2 ? 4 : 2;
    std::memcpy(r + 4, &kind, 2);
    r[7] = uint8_t(i % 4);
    int32_t parent = -1, next = i + 2;
    std::memcpy(r + 12, &parent, 4);
    std::memcpy(r + 16, &next, 4);
    double v[4] = {double(g() % 200) * 0.5, double(g() % 200) * 0.5, 10.0, 25.0};
    std::memcpy(r + 20, v, sizeof v);
    uint16_t attr = uint16_t(1 + i % 3);
    std::memcpy(r + 52, &attr, 2);
    b.insert(b.end(), r, r + 80);
  }
  return b;
}

Bytes text(std::size_t n) {
  static const char *words[] = {"印影 ", "KIVO LANT ", "line ", "円弧 ", "x=12.5 y=-3.25\r\n", "日付 ", "SEAL "};
  std::mt19937 g(7);
  std::string s;
  while (s.size() < n)
    s += words[g() % 7];
  s.resize(n);
  return Bytes(s.begin(), s.end());
}

Bytes random(std::size_t n) {
  std::mt19937 g(1);
  Bytes b(n);
  for (auto &c : b)
    c = uint8_t(g());
  return b;
}

void run(const char *name, const Bytes &data) {
  Bytes packed(lzh_bound(uint32_t(data.size()))), back(data.size());
  uint32_t plen = 0, made = 0;
  const double total = 256e6; // bytes to process for each figure
  int reps = int(total / double(data.size())) + 1;

  double t0 = bench_now();
  for (int i = 0; i < reps / 8 + 1; i++)
    lzh_encode(data.data(), packed.data(), uint32_t(data.size()), uint32_t(packed.size()), &plen);
  double enc = double(data.size()) * (reps / 8 + 1) / (bench_now() - t0) / 1e6;

  t0 = bench_now();
  int rc = 0;
  for (int i = 0; i < reps; i++)
    rc |= lzh_decode(packed.data(), back.data(), plen, uint32_t(data.size()), &made);
  double dec = double(data.size()) * reps / (bench_now() - t0) / 1e6;

  bool same = rc == LZH_OK && back == data;
  std::printf("%-22s %7zu bytes -> %6u (%5.1f%%)  decode %8.1f MB/s  encode %7.1f MB/s%s\n", name, data.size(), plen,
              100.0 * plen / double(data.size()), dec, enc, same ? "" : "  MISMATCH");
}

} // namespace

int main() {
  run("records (32000 B)", records());
  run("text (64 KB)", text(65536));
  run("random (64 KB)", random(65536));
  return 0;
}

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "files/lzh.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes random_bytes(std::size_t n, uint32_t seed) {
  std::mt19937 g(seed);
  Bytes b(n);
  for (auto &c : b)
    c = uint8_t(g());
  return b;
}

// Shift-JIS and ASCII lines, as a seal's texts and a settings file would hold.
Bytes text_bytes(std::size_t n) {
  static const char *words[] = {"印影 ", "KIVO LANT ", "line ", "円弧 ", "x=12.5 y=-3.25\r\n", "日付 ", "SEAL "};
  std::mt19937 g(7);
  std::string s;
  while (s.size() < n)
    s += words[g() % 7];
  s.resize(n);
  return Bytes(s.begin(), s.end());
}

Bytes encode(const Bytes &in) {
  Bytes out(lzh_bound(uint32_t(in.size())));
  uint32_t len = 99;
  EXPECT_EQ(lzh_encode(in.data(), out.data(), uint32_t(in.size()), uint32_t(out.size()), &len), LZH_OK);
  out.resize(len);
  return out;
}

// The decoder writes exactly `wanted` bytes: a canary behind them shows any overrun.
int decode(const Bytes &stream, uint32_t wanted, Bytes *out, uint32_t *made) {
  out->assign(wanted + 16, 0xA5);
  int rc = lzh_decode(stream.data(), out->data(), uint32_t(stream.size()), wanted, made);
  for (uint32_t i = wanted; i < wanted + 16; i++)
    EXPECT_EQ((*out)[i], 0xA5) << "overrun at " << i;
  out->resize(wanted);
  return rc;
}

struct RoundTrip {
  const char *name;
  Bytes data;
};

TEST(Lzh, RoundTrips) {
  Bytes records;
  for (int i = 0; i < 800; i++) { // element-like records: mostly zeros and small numbers
    uint8_t r[80] = {0, 0, 0, 0, uint8_t(i % 3 ? 2 : 8), 0, 1, 0};
    std::memcpy(r + 20, &i, 4);
    records.insert(records.end(), r, r + 80);
  }
  const RoundTrip cases[] = {
      {"empty", {}},
      {"one byte", {'A'}},
      {"100 spaces", Bytes(100, ' ')},
      {"64 KB text", text_bytes(65536)},
      {"64 KB random", random_bytes(65536, 1)},
      {"records", records},
      {"zeros past the ring", Bytes(10000, 0)},
      {"200 KB text (tree rebuilds)", text_bytes(200000)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    Bytes stream = encode(c.data);
    Bytes back;
    uint32_t made = 0;
    EXPECT_EQ(decode(stream, uint32_t(c.data.size()), &back, &made), LZH_OK);
    EXPECT_EQ(made, c.data.size());
    EXPECT_TRUE(back == c.data);
  }
}

TEST(Lzh, EmptyInputGivesEmptyStreamAndNothingDecodes) {
  uint8_t out[4] = {1, 2, 3, 4};
  uint32_t len = 7;
  EXPECT_EQ(lzh_encode(nullptr, out, 0, sizeof out, &len), LZH_OK);
  EXPECT_EQ(len, 0u);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(lzh_decode(out, out, 0, 0, &len), LZH_OK);
  EXPECT_EQ(len, 0u);
}

TEST(Lzh, SpacesStartWithAMatchIntoTheRing) {
  Bytes stream = encode(Bytes(100, ' '));
  EXPECT_LE(stream.size(), 6u); // two matches, 60 and 40 bytes
  // Asking for one byte: the first symbol already gives more than that.
  Bytes out;
  uint32_t made = 9;
  EXPECT_EQ(decode(stream, 1, &out, &made), LZH_CORRUPT);
  EXPECT_EQ(made, 0u);
}

TEST(Lzh, CompressesRedundantData) {
  Bytes text = text_bytes(65536);
  EXPECT_LT(encode(text).size(), text.size() / 3);
  Bytes rnd = random_bytes(65536, 2);
  EXPECT_LT(encode(rnd).size(), lzh_bound(65536));
}

TEST(Lzh, TooSmallOutputIsAnErrorWithoutOverrun) {
  Bytes rnd = random_bytes(65536, 3);
  Bytes whole = encode(rnd);
  for (uint32_t cap : {0u, 1u, 100u, uint32_t(whole.size() / 2), uint32_t(whole.size() - 1)}) {
    SCOPED_TRACE(cap);
    Bytes out(cap + 16, 0xA5);
    uint32_t len = 0;
    EXPECT_EQ(lzh_encode(rnd.data(), out.data(), uint32_t(rnd.size()), cap, &len), LZH_FULL);
    EXPECT_LE(len, cap);
    for (uint32_t i = cap; i < cap + 16; i++)
      ASSERT_EQ(out[i], 0xA5);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + len, whole.begin())); // what fits is the stream's start
  }
  Bytes exact(whole.size());
  uint32_t len = 0;
  EXPECT_EQ(lzh_encode(rnd.data(), exact.data(), uint32_t(rnd.size()), uint32_t(exact.size()), &len), LZH_OK);
  EXPECT_EQ(len, whole.size());
}

TEST(Lzh, CorruptStreamsAreErrors) {
  Bytes text = text_bytes(20000);
  Bytes stream = encode(text);
  Bytes out;
  uint32_t made;

  Bytes cut(stream.begin(), stream.begin() + stream.size() / 2);
  EXPECT_EQ(decode(cut, uint32_t(text.size()), &out, &made), LZH_SHORT);
  EXPECT_LT(made, text.size());

  Bytes longer = stream;
  longer.push_back(0);
  EXPECT_EQ(decode(longer, uint32_t(text.size()), &out, &made), LZH_CORRUPT);

  Bytes flipped = stream;
  flipped[10] ^= 0x5a;
  EXPECT_NE(decode(flipped, uint32_t(text.size()), &out, &made), LZH_OK);

  // Lengths that do not belong to the stream.
  EXPECT_EQ(decode(stream, uint32_t(text.size()) + 100, &out, &made), LZH_SHORT);
  EXPECT_NE(decode(stream, uint32_t(text.size()) - 100, &out, &made), LZH_OK);
  EXPECT_EQ(lzh_decode(stream.data(), out.data(), uint32_t(stream.size()), 0, &made), LZH_CORRUPT);

  EXPECT_EQ(lzh_decode(nullptr, out.data(), 5, 1, &made), LZH_ARGS);
}

TEST(Lzh, GarbageNeverWritesPastTheWantedLength) {
  for (uint32_t seed = 0; seed < 200; seed++) {
    Bytes junk = random_bytes(1 + seed % 97, seed);
    Bytes out;
    uint32_t made = 0;
    int rc = decode(junk, 1 + seed * 37 % 5000, &out, &made);
    EXPECT_LE(made, 1 + seed * 37 % 5000);
    if (rc == LZH_OK) {
      EXPECT_EQ(made, 1 + seed * 37 % 5000);
    }
  }
}

} // namespace

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/lzh.h"
#include "files/rec64.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(uint8_t *p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
uint32_t get32(const uint8_t *p) { return uint32_t(p[0]) | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// A 64-byte record: flags, kind, links, and body bytes numbered 100 + their offset.
Bytes rec64(uint16_t flags, uint16_t kind, uint16_t parent, uint16_t next, uint16_t a = 0, uint16_t b = 0) {
  Bytes r(64);
  for (int i = 0; i < 64; i++)
    r[i] = uint8_t(100 + i);
  put16(&r[0], flags);
  put16(&r[4], kind);
  put16(&r[12], parent);
  put16(&r[14], next);
  if (kind & 0x1000) {
    put16(&r[16], a);
    put16(&r[18], b);
  } else if (kind & 0x108 || flags & 0x8000)
    put16(&r[62], a);
  return r;
}

Bytes conv(const Bytes &src) {
  Bytes d(80, 0xEE);
  slf_conv64(d.data(), src.data());
  return d;
}

// Where the body bytes land and which links appear.
TEST(Conv64, RecordKinds) {
  struct Case {
    const char *name;
    uint16_t flags, kind;
    int body_from, body_len, body_to; // source body bytes and their place
    int end;                          // first byte that stays 0
  };
  const Case cases[] = {
      {"line", 0, 2, 16, 48, 20, 68},
      {"arc", 0, 4, 16, 48, 20, 68},
      {"point", 0, 1, 16, 48, 20, 68},
      {"text", 0, 8, 16, 46, 20, 70},
      {"attribute", 0, 256, 16, 46, 20, 70},
      {"continuation", 0x8000, 8, 16, 46, 20, 70},
      {"group node", 0, 0x1000, 20, 44, 28, 72},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Bytes src = rec64(c.flags, c.kind, 3, 0xFFFF, 7, 0xFFFF);
    Bytes d = conv(src);
    EXPECT_EQ(0, std::memcmp(d.data(), src.data(), 12));
    EXPECT_EQ(get32(&d[12]), 3u);          // a link of 3 stays 3
    EXPECT_EQ(get32(&d[16]), 0xFFFFFFFFu); // none stays none
    EXPECT_EQ(0, std::memcmp(&d[c.body_to], &src[c.body_from], c.body_len));
    if (c.kind & 0x1000) {
      EXPECT_EQ(get32(&d[20]), 7u);
      EXPECT_EQ(get32(&d[24]), 0xFFFFFFFFu);
    } else if (c.end == 70) {
      EXPECT_EQ(get32(&d[66]), 7u);
    }
    for (int i = c.end; i < 80; i++)
      EXPECT_EQ(d[i], 0) << i;
  }
}

TEST(Conv64, BlockConvertsEachRecord) {
  Bytes src = rec64(0, 2, 0xFFFF, 2);
  Bytes second = rec64(0, 8, 0xFFFF, 0xFFFF, 9);
  src.insert(src.end(), second.begin(), second.end());
  Bytes d(160);
  slf_conv64blk(d.data(), src.data(), 2);
  EXPECT_EQ(Bytes(d.begin(), d.begin() + 80), conv(rec64(0, 2, 0xFFFF, 2)));
  EXPECT_EQ(get32(&d[80 + 66]), 9u);
}

TEST(Rd64, StartOfTheRecords) {
  Rd64Embed own{1, 0}, other{0, 0};
  struct Case {
    int16_t c1, c2;
    int embed;
    const Rd64Embed *rec;
    int64_t start;
  } cases[] = {
      {0, 0, 0, nullptr, 1024},
      {10, 0, 0, nullptr, 1024},                    // both counters must be set
      {10, 30, 0, nullptr, 1024 + 32 * (10 + 2 + 1)},
      {3, -16, 0, nullptr, 1024 + 32 * (3 - 1 + 1)}, // division truncates toward 0
      {10, 30, 1, &own, 1024 + 32 * 13 + 128},
      {10, 30, 1, &other, 128},
      {-32768, 1, 0, nullptr, -1}, // before the file's start
  };
  for (const Case &c : cases)
    EXPECT_EQ(slf_rd64start(c.c1, c.c2, c.embed, c.rec), c.start) << c.c1 << "," << c.c2 << "," << c.embed;
}

// A drawing file of format 20: header, the word 64 bytes before the records, records.
struct File20 {
  Bytes bytes;
  std::vector<Bytes> recs;
  explicit File20(int n, int64_t start = 1024) : bytes(std::size_t(start), 0) {
    put16(&bytes[std::size_t(start) - 64], 0x1234);
    for (int i = 0; i < n; i++) {
      recs.push_back(rec64(0, i % 2 ? 2 : 4, 0xFFFF, uint16_t(i + 2 <= n ? i + 2 : 0xFFFF)));
      put16(&recs.back()[20], uint16_t(i)); // tells the records apart
      bytes.insert(bytes.end(), recs.back().begin(), recs.back().end());
    }
  }
};

void expect_records(const Rd64Result &r, const std::vector<Bytes> &recs, int n) {
  ASSERT_EQ(r.count, n);
  ASSERT_EQ(r.recs.size(), 80u * n);
  for (int i = 0; i < n; i++)
    ASSERT_EQ(Bytes(r.recs.begin() + 80 * i, r.recs.begin() + 80 * (i + 1)), conv(recs[i])) << "record " << i;
}

TEST(Rd64, Format20FixtureLoadsFromDisk) {
  File20 f(450); // more than one read of 400 records
  std::string path = ::testing::TempDir() + "fmt20.dwg";
  std::FILE *fp = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(fp);
  std::fwrite(f.bytes.data(), 1, f.bytes.size(), fp);
  std::fclose(fp);
  Rd64Result r;
  int32_t remain = 1000;
  EXPECT_EQ(slf_rd64path(path.c_str(), 20, 1024, &remain, 10000, nullptr, &r), R64_OK);
  expect_records(r, f.recs, 450);
  EXPECT_EQ(remain, 1000 - 450);
  EXPECT_EQ(r.head, 0x1234u);
  std::remove(path.c_str());

  EXPECT_EQ(slf_rd64path((path + ".missing").c_str(), 20, 1024, &remain, 10000, nullptr, &r), -1);
  EXPECT_EQ(r.count, 0);
}

TEST(Rd64, CountsAndLimits) {
  File20 f(5);
  Rd64Result r;
  struct Case {
    const char *name;
    std::size_t len; // bytes of the file given
    int32_t remain, maxrecs;
    int rc, count;
  } cases[] = {
      {"all", f.bytes.size(), 100, 100, R64_OK, 5},
      {"remaining count", f.bytes.size(), 3, 100, R64_OK, 3},
      {"partial last record", f.bytes.size() - 20, 100, 100, R64_OK, 4},
      {"no records", 1024, 100, 100, R64_OK, 0},
      {"more than fit", f.bytes.size(), 100, 2, R64_FULL, 2},
      {"start beyond the file", 1000, 100, 100, R64_SEEK, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    int32_t remain = c.remain;
    EXPECT_EQ(slf_rd64buf(f.bytes.data(), c.len, 20, 1024, &remain, c.maxrecs, nullptr, &r), c.rc);
    expect_records(r, f.recs, c.count);
    EXPECT_EQ(remain, c.remain - c.count);
  }
  // Formats other than 20 and 21 keep no word before the records.
  int32_t remain = 10;
  EXPECT_EQ(slf_rd64buf(f.bytes.data() + 1024, 5 * 64, 0, 0, &remain, 100, nullptr, &r), R64_OK);
  expect_records(r, f.recs, 5);
  EXPECT_EQ(slf_rd64buf(f.bytes.data(), f.bytes.size(), 20, 32, &remain, 100, nullptr, &r), R64_SEEK);
}

TEST(Rd64, EmbeddedBudgetEndsReading) {
  File20 f(5);
  Rd64Result r;
  Rd64Embed e{1, 3 * 64 + 10};
  int32_t remain = 100;
  EXPECT_EQ(slf_rd64buf(f.bytes.data(), f.bytes.size(), 20, 1024, &remain, 100, &e, &r), R64_OK);
  expect_records(r, f.recs, 3);
  EXPECT_EQ(e.budget, 0);
}

// Format 21: blocks of u16 expanded length, u16 packed length, 4 spare bytes, packed bytes.
void add_block(Bytes &file, const uint8_t *data, std::size_t n) {
  Bytes packed(lzh_bound(uint32_t(n)));
  uint32_t len = 0;
  ASSERT_EQ(lzh_encode(data, packed.data(), uint32_t(n), uint32_t(packed.size()), &len), LZH_OK);
  uint8_t head[8] = {};
  put16(head, uint16_t(n));
  put16(head + 2, uint16_t(len));
  file.insert(file.end(), head, head + 8);
  file.insert(file.end(), packed.begin(), packed.begin() + len);
}

struct File21 {
  File20 plain;
  Bytes bytes;
  explicit File21(int n) : plain(n), bytes(plain.bytes.begin(), plain.bytes.begin() + 1024) {
    for (int i = 0; i < n; i += 400)
      add_block(bytes, plain.bytes.data() + 1024 + 64 * i, 64 * std::size_t(std::min(400, n - i)));
  }
};

TEST(Rd64, Format21ExpandsBlocks) {
  File21 f(450);
  Rd64Result r;
  int32_t remain = 1000;
  EXPECT_EQ(slf_rd64buf(f.bytes.data(), f.bytes.size(), 21, 1024, &remain, 10000, nullptr, &r), R64_OK);
  expect_records(r, f.plain.recs, 450);
  EXPECT_EQ(r.head, 0x1234u);
}

TEST(Rd64, Format21BadBlocksAreErrorsKeepingEarlierRecords) {
  File21 f(450);
  const std::size_t second = 1024 + 8 + (f.bytes[1026] | f.bytes[1027] << 8); // offset of block 2
  struct Case {
    const char *name;
    void (*spoil)(Bytes &, std::size_t);
  } cases[] = {
      {"expanded beyond the work buffer", [](Bytes &b, std::size_t at) { put16(&b[at], 32001); }},
      {"packed beyond the file", [](Bytes &b, std::size_t at) { put16(&b[at + 2], 60000); }},
      {"packed bytes damaged", [](Bytes &b, std::size_t at) { b[at + 12] ^= 0x77; }},
      {"stream shorter than its length says", [](Bytes &b, std::size_t at) { put16(&b[at], 32000); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b = f.bytes;
    c.spoil(b, second);
    Rd64Result r;
    int32_t remain = 1000;
    EXPECT_EQ(slf_rd64buf(b.data(), b.size(), 21, 1024, &remain, 10000, nullptr, &r), R64_BLOCK);
    expect_records(r, f.plain.recs, 400);
  }
  // A block head cut off by the end of the file ends reading quietly.
  Bytes b(f.bytes.begin(), f.bytes.begin() + std::ptrdiff_t(second) + 5);
  Rd64Result r;
  int32_t remain = 1000;
  EXPECT_EQ(slf_rd64buf(b.data(), b.size(), 21, 1024, &remain, 10000, nullptr, &r), R64_OK);
  EXPECT_EQ(r.count, 400);
}

} // namespace

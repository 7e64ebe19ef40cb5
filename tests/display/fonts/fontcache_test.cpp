#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/fonts/fontcache.h"
#include "fonttest_util.h"

namespace {

// 100-byte files whose byte i is (i * 7 + seed) & 0xFF.
std::vector<uint8_t> pattern(int n, int seed) {
  std::vector<uint8_t> v(n);
  for (int i = 0; i < n; i++)
    v[i] = static_cast<uint8_t>(i * 7 + seed);
  return v;
}

struct FontCacheTest : ::testing::Test {
  std::vector<uint8_t> a = pattern(100, 1), b = pattern(100, 2), c = pattern(40, 3);
  void SetUp() override {
    put_file("fch_a.bin", a);
    put_file("fch_b.bin", b);
    put_file("fch_c.bin", c);
  }
  void TearDown() override { fch_term(); }
  static int open(const char *name) { return fch_open(name, 0x8000, 0); }
};

} // namespace

TEST_F(FontCacheTest, SixBytesAtThirtyLoadTwoBlocksThenNoIo) {
  ASSERT_EQ(fch_init(1, 50), 0);
  int f0 = open("fch_a.bin"), f1 = open("fch_b.bin");
  ASSERT_GE(f0, 0);
  ASSERT_GE(f1, 0);
  CountedIo io;
  uint8_t got[6];
  EXPECT_EQ(fch_lseek(f1, 30, 0), 30);
  EXPECT_EQ(fch_read(f1, got, 6), 6);
  EXPECT_EQ(0, std::memcmp(got, &b[30], 6));
  EXPECT_EQ(io.bytes, 64); // blocks 0 and 1 of 32 bytes, in one read
  EXPECT_EQ(io.reads, 1);
  EXPECT_EQ(io.seeks, 1);
  io.reset();
  std::memset(got, 0, sizeof got);
  EXPECT_EQ(fch_lseek(f1, 30, 0), 30);
  EXPECT_EQ(fch_read(f1, got, 6), 6);
  EXPECT_EQ(0, std::memcmp(got, &b[30], 6));
  EXPECT_EQ(io.reads + io.seeks, 0);
  fch_close(f0);
  fch_close(f1);
}

TEST_F(FontCacheTest, FirstFileUsesEightByteBlocks) {
  ASSERT_EQ(fch_init(1, 50), 0);
  int f0 = open("fch_a.bin");
  CountedIo io;
  uint8_t got[4];
  fch_lseek(f0, 6, 0);
  EXPECT_EQ(fch_read(f0, got, 4), 4);
  EXPECT_EQ(0, std::memcmp(got, &a[6], 4));
  EXPECT_EQ(io.bytes, 16); // blocks 0 and 1
  // The next block on comes from the file without a seek, the two loaded ones from the cache.
  io.reset();
  fch_lseek(f0, 0, 0);
  EXPECT_EQ(fch_read(f0, got, 4), 4);
  fch_lseek(f0, 16, 0);
  EXPECT_EQ(fch_read(f0, got, 4), 4);
  EXPECT_EQ(got[0], a[16]);
  EXPECT_EQ(io.bytes, 8);
  EXPECT_EQ(io.seeks, 0);
  EXPECT_EQ(fch_lseek(f0, 0, 1), 20); // reads advance the kept position
}

TEST_F(FontCacheTest, LongReadsFillSeveralBlocksWithOneFileRead) {
  ASSERT_EQ(fch_init(1, 50), 0);
  int f0 = open("fch_a.bin"), f1 = open("fch_b.bin");
  uint8_t got[100];
  CountedIo io;
  fch_lseek(f1, 40, 0); // block 1 cached first
  EXPECT_EQ(fch_read(f1, got, 4), 4);
  io.reset();
  fch_lseek(f1, 5, 0); // blocks 0..2: 0 is read alone (1 is cached), then 2 and 3
  EXPECT_EQ(fch_read(f1, got, 95), 95);
  EXPECT_EQ(0, std::memcmp(got, &b[5], 95));
  EXPECT_EQ(io.reads, 2);
  EXPECT_EQ(io.bytes, 32 + 36); // block 3 holds the last 4 bytes
  io.reset();
  fch_lseek(f1, 0, 0);
  EXPECT_EQ(fch_read(f1, got, 100), 100);
  EXPECT_EQ(0, std::memcmp(got, b.data(), 100));
  EXPECT_EQ(io.reads + io.seeks, 0);
  fch_close(f0);
  fch_close(f1);
}

TEST_F(FontCacheTest, SeeksFromStartOrCurrentStayInTheCacheFromEndGoToTheFile) {
  ASSERT_EQ(fch_init(1, 50), 0);
  int f0 = open("fch_a.bin");
  CountedIo io;
  EXPECT_EQ(fch_lseek(f0, 40, 0), 40);
  EXPECT_EQ(fch_lseek(f0, -8, 1), 32);
  EXPECT_EQ(io.seeks, 0);
  uint8_t x;
  EXPECT_EQ(fch_read(f0, &x, 1), 1);
  EXPECT_EQ(x, a[32]);
  EXPECT_EQ(fch_lseek(f0, -4, 2), 96);
  EXPECT_EQ(fch_read(f0, &x, 1), 1);
  EXPECT_EQ(x, a[96]);
}

TEST_F(FontCacheTest, OneBlockPerListStillReadsRight) {
  ASSERT_EQ(fch_init(1, 1), 0);
  int f0 = open("fch_a.bin"), f1 = open("fch_b.bin"), f2 = open("fch_c.bin");
  struct Case {
    int fd;
    const std::vector<uint8_t> *data;
    int at, n;
  } cases[] = {{f0, &a, 0, 10}, {f1, &b, 60, 33}, {f2, &c, 5, 20}, {f1, &b, 1, 3},
               {f0, &a, 95, 5}, {f2, &c, 30, 10}, {f0, &a, 3, 1},  {f1, &b, 64, 36}};
  for (const auto &k : cases) {
    uint8_t got[64] = {};
    fch_lseek(k.fd, k.at, 0);
    ASSERT_EQ(fch_read(k.fd, got, k.n), k.n) << k.at;
    EXPECT_EQ(0, std::memcmp(got, k.data->data() + k.at, k.n)) << k.at;
  }
}

TEST_F(FontCacheTest, BlockCountLimits) {
  struct Case {
    int enable, n, blocks;
  } cases[] = {{1, 0, 0}, {1, 1, 1}, {1, 50, 50}, {1, 1200, 1200}, {1, 1201, 0}, {1, -5, 0}, {0, 50, 0}, {2, 50, 0}};
  for (const auto &k : cases) {
    EXPECT_EQ(fch_init(k.enable, k.n), 0);
    EXPECT_EQ(fch_blocks(), k.blocks) << k.n;
    int fd = open("fch_b.bin");
    EXPECT_EQ(fch_handles(), k.blocks ? 1 : 0);
    CountedIo io;
    uint8_t got[6];
    fch_lseek(fd, 30, 0);
    EXPECT_EQ(fch_read(fd, got, 6), 6);
    EXPECT_EQ(0, std::memcmp(got, &b[30], 6));
    // Uncached reads ask the file for exactly the bytes wanted.
    EXPECT_EQ(io.bytes, k.blocks ? 16 : 6) << k.n; // 8-byte blocks 3 and 4
    fch_close(fd);
    fch_term();
  }
}

TEST_F(FontCacheTest, OnlyThreeHandlesAreCached) {
  ASSERT_EQ(fch_init(1, 50), 0);
  int f[4];
  const char *names[] = {"fch_a.bin", "fch_b.bin", "fch_c.bin", "fch_a.bin"};
  for (int i = 0; i < 4; i++)
    f[i] = open(names[i]);
  EXPECT_EQ(fch_handles(), 3);
  CountedIo io;
  uint8_t x[2];
  fch_lseek(f[3], 10, 0);
  EXPECT_EQ(io.seeks, 1); // the fourth handle goes straight to the file
  EXPECT_EQ(fch_read(f[3], x, 2), 2);
  EXPECT_EQ(io.bytes, 2);
  EXPECT_EQ(x[0], a[10]);
  // A closed slot is not given again in the same set-up.
  fch_close(f[2]);
  int again = open("fch_c.bin");
  EXPECT_EQ(fch_handles(), 3);
  io.reset();
  fch_lseek(again, 0, 0);
  EXPECT_EQ(fch_read(again, x, 1), 1);
  EXPECT_EQ(io.bytes, 1);
  fch_close(again);
  fch_close(f[3]);
}

TEST_F(FontCacheTest, ReadsAtTheEndAreShortWithoutStaleBytes) {
  ASSERT_EQ(fch_init(1, 50), 0);
  int f0 = open("fch_a.bin"), f1 = open("fch_c.bin"); // 40 bytes, blocks of 32
  uint8_t got[32];
  // Fill the buffers with other bytes first.
  fch_lseek(f0, 0, 0);
  fch_read(f0, got, 32);
  struct Case {
    int fd, at, n, want;
  } cases[] = {{f1, 32, 16, 8}, {f1, 38, 4, 2}, {f1, 40, 4, 0}, {f1, 70, 4, 0}, {f0, 96, 8, 4}, {f0, 100, 1, 0}};
  for (const auto &k : cases) {
    std::memset(got, 0xEE, sizeof got);
    fch_lseek(k.fd, k.at, 0);
    EXPECT_EQ(fch_read(k.fd, got, k.n), k.want) << k.at;
    const auto &data = k.fd == f1 ? c : a;
    for (int i = 0; i < k.want; i++)
      EXPECT_EQ(got[i], data[k.at + i]);
    for (int i = k.want; i < 32; i++)
      ASSERT_EQ(got[i], 0xEE) << "byte " << i << " at " << k.at;
  }
}

TEST_F(FontCacheTest, AFailedBlockReadGivesMinusOneAndIsNotKept) {
  ASSERT_EQ(fch_init(1, 50), 0);
  int f0 = open("fch_a.bin");
  uint8_t got[4];
  {
    CountedIo io;
    io.fail_reads = true;
    fch_lseek(f0, 8, 0);
    EXPECT_EQ(fch_read(f0, got, 4), -1);
  }
  fch_lseek(f0, 8, 0);
  EXPECT_EQ(fch_read(f0, got, 4), 4);
  EXPECT_EQ(0, std::memcmp(got, &a[8], 4));
  EXPECT_EQ(fch_lseek(f0, -100, 0), -100);
  EXPECT_EQ(fch_read(f0, got, 1), -1); // before the start
}

TEST_F(FontCacheTest, SetUpAgainFreesTheEarlierArea) {
  // The leak checker of the native build sees a lost area.
  ASSERT_EQ(fch_init(1, 1200), 0);
  ASSERT_EQ(fch_init(1, 10), 0);
  EXPECT_EQ(fch_blocks(), 10);
  EXPECT_EQ(fch_term(), 0);
  EXPECT_EQ(fch_blocks(), 0);
  EXPECT_EQ(fch_term(), 0);
}

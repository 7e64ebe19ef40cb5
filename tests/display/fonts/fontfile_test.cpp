#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "display/fonts/fontcache.h"
#include "display/fonts/fontfile.h"
#include "fonttest_util.h"

namespace {

struct Bytes {
  std::vector<uint8_t> v;
  Bytes &w(int x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
    return *this;
  }
  Bytes &d(uint32_t x) { return w(x & 0xFFFF).w(x >> 16); }
  Bytes &pt(int x, int y) { return w(x).w(y); }
};

// A program using every operation; its expected strokes below.
std::vector<uint8_t> every_op() {
  Bytes p;
  p.w(0x0002).pt(10, 20).pt(30, 40);
  p.w(0x2001).pt(50, 60);
  p.w(0x4000 | 100).w(900).w(0).pt(150, 60);
  p.w(0x6000 | 50).w(0).w(1800).pt(50, 60);
  p.w(0x8000 | 25).w(0);
  p.w(0xA000 | 25).w(900);
  p.w(0xC000).w(0xE000 | 0x1FFF);
  p.w(0x0000).pt(7, 8);
  return p.v;
}
const std::vector<std::string> EveryOp = {
    "P 10,20 30,40",  "H 50,60", "A2 100 900 0 50,60>150,60", "A3 50 0 1800 150,60>50,60", "C 25 0 50,60",
    "C 25 900 50,60", "P 7,8"};

std::vector<uint8_t> glyph(const std::vector<uint8_t> &prog) {
  Bytes g;
  g.w(static_cast<int>(prog.size() / 2)).w(0).w(0).w(0).w(0);
  g.v.insert(g.v.end(), prog.begin(), prog.end());
  return g.v;
}

struct HqFixture {
  std::vector<uint8_t> idx, kj1, kj2;
  HqFixture() {
    idx.assign(FNT_HQ_RECORDS * 6, 0xFF);
    set(0, 35, 0);                    // 0x2121, first glyph file at 0
    set(1410, 30, 0x80000000u | 100); // 亜, second file from byte 200
    set(1, 35, 0);                    // width given, location none below
    set(1, 35, 0xFFFFFFFFu);
    set(2, -1, 0); // width -1
    kj1 = glyph(every_op());
    kj2.assign(200, 0);
    auto a = glyph(Bytes().w(0x0003).pt(0, 0).pt(350, 0).pt(350, 350).v);
    kj2.insert(kj2.end(), a.begin(), a.end());
  }
  void set(int rec, int width, uint32_t loc) {
    Bytes r;
    r.w(width).d(loc);
    std::copy(r.v.begin(), r.v.end(), idx.begin() + rec * 6);
  }
  void write(const std::string &dir, bool with_kj2 = true) const {
    make_dir(dir);
    put_file(dir + "/inkfrghq.idx", idx);
    put_file(dir + "/inkfrghq.kj1", kj1);
    if (with_kj2)
      put_file(dir + "/inkfrghq.kj2", kj2);
  }
};

struct StdFixture {
  std::vector<uint8_t> idx, knj;
  StdFixture() {
    idx.assign(FNT_STD_RECORDS * 4, 0);
    knj = {0x5A, 0x0F, 0xFF, 0x00, 0x11, 0x0F, 0x22, 0x33};
    set(0x81, 0x40, 0, 3);  // 0x8140
    set(0x88, 0x9F, 3, 5);  // 0x889F
    set(0x88, 0xA0, 6, 10); // runs past the end of the glyph file
  }
  void set(int lead, int trail, int offset, int len) {
    int rec = fnt_stdrecord(lead, trail);
    idx[rec * 4] = offset & 0xFF, idx[rec * 4 + 1] = (offset >> 8) & 0xFF, idx[rec * 4 + 2] = offset >> 16;
    idx[rec * 4 + 3] = static_cast<uint8_t>(len);
  }
  void write(const std::string &dir) const {
    make_dir(dir);
    put_file(dir + "/ikfrgstd.idx", idx);
    put_file(dir + "/ikfrgstd.knj", knj);
  }
};

struct FontFileTest : ::testing::Test {
  void TearDown() override { fnt_close(); }
};

} // namespace

TEST(FontCodes, ShiftJisToJis) {
  struct Case {
    uint16_t sjis, jis;
  } cases[] = {{0x889F, 0x3021}, {0x8140, 0x2121}, {0x829F, 0x2421}, {0x817F, 0}, {0xA040, 0}, {0x8180, 0x2160},
               {0x819E, 0x217E}, {0x81FC, 0x227E}, {0xEAA4, 0x7426}, {0x8040, 0}, {0x8130, 0}, {0x81FD, 0}};
  for (const auto &c : cases)
    EXPECT_EQ(fnt_sjis2jis(c.sjis), c.jis) << std::hex << c.sjis;
  EXPECT_EQ(fnt_hqrecord(0x3021), 1410);
  EXPECT_EQ(fnt_hqrecord(0x2121), 0);
  EXPECT_EQ(fnt_hqrecord(0x7E7E), FNT_HQ_RECORDS - 1);
  EXPECT_EQ(fnt_hqrecord(fnt_sjis2jis(0xF040)), -1); // rows past 0x7E have no record
  EXPECT_EQ(fnt_hqrecord(0), -1);
  EXPECT_EQ(fnt_stdrecord(0xE0, 0x40) * 4, 23808);
  EXPECT_EQ(fnt_stdrecord(0xFC, 0xFC), FNT_STD_RECORDS - 4);
  EXPECT_EQ(fnt_stdrecord(0xA0, 0x40), -1); // would share 0xE040's record
  EXPECT_EQ(fnt_stdrecord(0x81, 0x7F), -1);
}

TEST(FontPrograms, StandardBytes) {
  struct Case {
    std::vector<uint8_t> bytes;
    std::vector<std::string> want;
  } cases[] = {
      {{0x5A}, {"M 10,5"}},
      {{0x00, 0x0F, 0xFF}, {"M 0,0", "M 15,15"}},
      {{0x00, 0x11, 0x0F, 0x22, 0x33, 0x0F}, {"M 0,0", "L 0,0 1,1", "M 2,2", "L 2,2 3,3"}},
      {{0x0F, 0x0F, 0x12}, {"M 2,1"}},
      {{}, {}},
  };
  for (const auto &c : cases) {
    RecordSink s;
    EXPECT_EQ(fnt_stdwalk(c.bytes.data(), static_cast<int>(c.bytes.size()), s), 0);
    EXPECT_EQ(s.log, c.want);
  }
  RecordSink stop;
  stop.stop_after = 1;
  uint8_t three[] = {0x00, 0x11, 0x22};
  EXPECT_EQ(fnt_stdwalk(three, 3, stop), 2);
  EXPECT_EQ(stop.log.size(), 2u);
}

TEST(FontPrograms, EveryOperation) {
  auto p = every_op();
  RecordSink s;
  EXPECT_EQ(fnt_hqrun(p.data(), static_cast<int>(p.size()), s), 0);
  EXPECT_EQ(s.log, EveryOp);
}

TEST(FontPrograms, CutShortAndStopped) {
  auto p = every_op();
  struct Case {
    int len, result;
    size_t strokes;
  } cases[] = {
      {0, 0, 0},  {1, 1, 0},  {2, 2, 0},  {9, 2, 0},  {10, 0, 1}, {11, 1, 1}, {15, 2, 1}, {16, 0, 2},
      {20, 2, 2}, {26, 0, 3}, {40, 0, 5}, {44, 0, 6}, {46, 0, 6}, {48, 0, 6}, {50, 2, 6}, {52, 2, 6},
  };
  for (const auto &c : cases) {
    RecordSink s;
    EXPECT_EQ(fnt_hqrun(p.data(), c.len, s), c.result) << c.len;
    EXPECT_EQ(s.log.size(), c.strokes) << c.len;
  }
  RecordSink stop;
  stop.stop_after = 2;
  EXPECT_EQ(fnt_hqrun(p.data(), static_cast<int>(p.size()), stop), 2);
  EXPECT_EQ(stop.log.size(), 3u);
  // Ops 6 and 7 take only their own word.
  uint8_t skip[] = {0x00, 0xC0, 0xFF, 0xFF};
  RecordSink none;
  EXPECT_EQ(fnt_hqrun(skip, 4, none), 0);
  EXPECT_TRUE(none.log.empty());
}

TEST_F(FontFileTest, HighQualityGlyphs) {
  HqFixture().write("fx_hq");
  ASSERT_EQ(fnt_open(2, "fx_hq", 50), 0);
  EXPECT_EQ(Fonts.loaded, 2);
  EXPECT_EQ(Fonts.requested, 2);
  RecordSink s;
  EXPECT_EQ(fnt_hqglyph(0x81, 0x40, s), 0);
  EXPECT_EQ(s.log, EveryOp);
  EXPECT_EQ(s.width_seen, 35);
  RecordSink a;
  EXPECT_EQ(fnt_hqglyph(0x88, 0x9F, a), 0); // from the second file, byte 200
  EXPECT_EQ(a.log, std::vector<std::string>{"P 0,0 350,0 350,350"});
  EXPECT_EQ(a.width_seen, 30);
  struct Case {
    int lead, trail;
  } none[] = {{0x81, 0x41}, {0x81, 0x42}, {0x81, 0x43}, {0xF0, 0x40}, {0xA0, 0x40}, {0x81, 0x7F}, {0x41, 0x42}};
  for (const auto &c : none) {
    RecordSink n;
    EXPECT_EQ(fnt_hqglyph(c.lead, c.trail, n), 1) << std::hex << c.lead << c.trail;
    EXPECT_TRUE(n.log.empty());
  }
  EXPECT_EQ(fnt_close(), 0);
  EXPECT_EQ(Fonts.requested, 0);
  RecordSink closed;
  EXPECT_EQ(fnt_hqglyph(0x88, 0x9F, closed), 1);
}

TEST_F(FontFileTest, StandardGlyphs) {
  StdFixture().write("fx_std");
  ASSERT_EQ(fnt_open(1, "fx_std/", 50), 0);
  EXPECT_EQ(Fonts.loaded, 1);
  uint8_t buf[256];
  int len = 99;
  EXPECT_EQ(fnt_stdglyph(0x81, 0x40, buf, &len), 0);
  EXPECT_EQ(len, 3);
  RecordSink s;
  EXPECT_EQ(fnt_stddecode(0x88, 0x9F, s), 0);
  EXPECT_EQ(s.log, (std::vector<std::string>{"M 0,0", "L 0,0 1,1", "M 2,2", "L 2,2 3,3"}));
  EXPECT_EQ(fnt_stdglyph(0x88, 0xA0, buf, &len), 0);
  EXPECT_EQ(len, -1); // the glyph file ends inside the glyph
  RecordSink d;
  EXPECT_EQ(fnt_stddecode(0x88, 0xA0, d), 2);
  EXPECT_EQ(fnt_stddecode(0x82, 0x40, d), 1); // length 0
  EXPECT_EQ(fnt_stddecode(0xA0, 0x40, d), 1);
  EXPECT_TRUE(d.log.empty());
}

TEST_F(FontFileTest, OpenFailuresNameTheFileAndLeaveNothingOpen) {
  HqFixture().write("fx_nokj2", false);
  StdFixture st;
  make_dir("fx_stdidx");
  put_file("fx_stdidx/ikfrgstd.idx", st.idx);
  make_dir("fx_empty");
  struct Case {
    int set;
    const char *dir;
    int result;
  } cases[] = {{2, "fx_nokj2", 5}, {0, "fx_empty", 1}, {1, "fx_stdidx", 2}, {2, "fx_empty", 3}, {7, "fx_nokj2", 1}};
  for (const auto &c : cases) {
    CountedIo io;
    EXPECT_EQ(fnt_open(c.set, c.dir, 50), c.result) << c.dir;
    EXPECT_EQ(io.opens - 1, io.closes) << c.dir; // every file that opened was closed again
    EXPECT_EQ(Fonts.requested, 0);
    for (int fd : Fonts.fd)
      EXPECT_EQ(fd, -1);
    EXPECT_EQ(fch_blocks(), 0);
  }
  // A folder name too long for the path buffers fails on the first file.
  std::string longdir(300, 'x');
  EXPECT_EQ(fnt_open(2, longdir.c_str(), 50), 3);
}

TEST_F(FontFileTest, OpeningAgainClosesTheEarlierFiles) {
  HqFixture().write("fx_hq");
  StdFixture().write("fx_std");
  ASSERT_EQ(fnt_open(2, "fx_hq", 50), 0);
  CountedIo io;
  ASSERT_EQ(fnt_open(1, "fx_std", 10), 0);
  EXPECT_EQ(io.closes, 3);
  EXPECT_EQ(fch_blocks(), 10);
  EXPECT_EQ(fch_handles(), 2);
  EXPECT_EQ(Fonts.fd[FNT_HQIDX], -1);
  RecordSink s;
  EXPECT_EQ(fnt_hqglyph(0x88, 0x9F, s), 1); // the other set is no longer open
}

TEST_F(FontFileTest, DamagedHighQualityFiles) {
  HqFixture fx;
  // The program of 0x8140 is every_op() after the 10-byte header: its last
  // command word at bytes 48-49, the word's point at 50-53.
  struct Case {
    const char *what;
    size_t idx_len, kj1_len;
    int lead, trail, result;
    size_t strokes;
  } cases[] = {
      {"index cut short", 1410 * 6 + 3, fx.kj1.size(), 0x88, 0x9F, 1, 0},
      {"index ends before the record", 100, fx.kj1.size(), 0x88, 0x9F, 1, 0},
      {"glyph file cut in an operand", fx.idx.size(), fx.kj1.size() - 3, 0x81, 0x40, 2, 6},
      {"glyph file cut before a command word", fx.idx.size(), 10 + 48, 0x81, 0x40, 1, 6},
      {"glyph file cut inside a command word", fx.idx.size(), 10 + 49, 0x81, 0x40, 1, 6},
      {"glyph file cut after the header", fx.idx.size(), 10, 0x81, 0x40, 1, 0},
      {"glyph file cut in the header", fx.idx.size(), 6, 0x81, 0x40, 2, 0},
      {"glyph file empty", fx.idx.size(), 0, 0x81, 0x40, 2, 0},
  };
  for (const auto &c : cases) {
    HqFixture f;
    f.idx.resize(c.idx_len);
    f.kj1.resize(c.kj1_len);
    f.write("fx_bad");
    ASSERT_EQ(fnt_open(2, "fx_bad", 50), 0);
    RecordSink s;
    EXPECT_EQ(fnt_hqglyph(c.lead, c.trail, s), c.result) << c.what;
    EXPECT_EQ(s.log.size(), c.strokes) << c.what;
    fnt_close();
  }
  // A location past the end of the glyph file.
  HqFixture far;
  far.set(1410, 35, 0x80000000u | 5000);
  far.write("fx_bad");
  ASSERT_EQ(fnt_open(2, "fx_bad", 50), 0);
  RecordSink s;
  EXPECT_EQ(fnt_hqglyph(0x88, 0x9F, s), 2);
}

TEST_F(FontFileTest, FuzzedFilesAndPrograms) {
  uint32_t seed = 12345;
  auto rnd = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  // Random programs and glyph bytes straight into the decoders.
  for (int i = 0; i < 4000; i++) {
    std::vector<uint8_t> b(rnd() % 80);
    for (auto &x : b)
      x = static_cast<uint8_t>(rnd());
    RecordSink s;
    int r = fnt_hqrun(b.data(), static_cast<int>(b.size()), s);
    EXPECT_TRUE(r == 0 || r == 1 || r == 2);
    EXPECT_EQ(fnt_stdwalk(b.data(), static_cast<int>(b.size()), s), 0);
  }
  // Damaged font files through the cache.
  for (int i = 0; i < 60; i++) {
    HqFixture f;
    for (int k = 0; k < 6; k++) {
      auto &v = (k & 1) ? f.kj1 : f.kj2;
      v[rnd() % v.size()] = static_cast<uint8_t>(rnd());
    }
    f.idx[rnd() % 12] = static_cast<uint8_t>(rnd());
    f.idx[1410 * 6 + rnd() % 6] = static_cast<uint8_t>(rnd());
    f.kj1.resize(rnd() % (f.kj1.size() + 1));
    f.write("fx_fuzz");
    StdFixture st;
    st.idx[rnd() % 8] = static_cast<uint8_t>(rnd());
    st.knj.resize(rnd() % (st.knj.size() + 1));
    st.write("fx_fuzz");
    ASSERT_EQ(fnt_open(2, "fx_fuzz", 1 + static_cast<int>(rnd() % 3)), 0);
    for (int code : {0x8140, 0x8141, 0x8142, 0x889F}) {
      RecordSink s;
      int r = fnt_hqglyph(code >> 8, code & 0xFF, s);
      EXPECT_TRUE(r == 0 || r == 1 || r == 2);
    }
    ASSERT_EQ(fnt_open(1, "fx_fuzz", 1), 0);
    for (int code : {0x8140, 0x8141, 0x889F, 0x88A0}) {
      RecordSink s;
      int r = fnt_stddecode(code >> 8, code & 0xFF, s);
      EXPECT_TRUE(r == 0 || r == 1 || r == 2);
    }
    fnt_close();
  }
}

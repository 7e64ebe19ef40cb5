// Drawing files of the 64-byte layout read into a store that holds records already:
// a small generator writes such files, plain (format 20) and in compressed blocks
// (format 21), from the layout of the old records.
#include "files/lzh.h"
#include "files/rec64.h"
#include "files/rec64read.h"
#include "sealfix.h"

namespace {

constexpr uint16_t NONE16 = 0xFFFF;

// One old record: flag word, kind, 16-bit parent and next links, the body as the old
// layout holds it (16 .. 63).
struct Old {
  uint8_t b[64] = {};
  Old(uint16_t flags, uint16_t kind, uint16_t parent, uint16_t next) {
    slf_put<uint16_t>(b, 0, flags);
    slf_put<uint16_t>(b, 4, kind);
    slf_put<uint16_t>(b, 12, parent);
    slf_put<uint16_t>(b, 14, next);
  }
  template <typename T> Old &at(int off, T v) {
    slf_put<T>(b, std::size_t(off), v);
    return *this;
  }
};

// Line, arc, a text with its continuation, a group with two members: 7 records whose
// links name records 1 .. 7 of the file.
std::vector<Old> drawing() {
  std::vector<Old> r;
  r.push_back(Old(0, LIN, NONE16, NONE16).at<double>(16, 1).at<double>(24, 2).at<double>(32, 30).at<double>(40, 4).at<uint16_t>(48, 0x11));
  r.push_back(Old(0, ARC, NONE16, NONE16).at<double>(16, 10).at<double>(24, 10).at<double>(32, 5).at<double>(40, 30));
  Old t(0, CHR, NONE16, NONE16);
  t.at<float>(16, 3).at<float>(20, 4).at<float>(24, 5).at<float>(28, 4).at<uint16_t>(62, 4);
  std::memcpy(t.b + 48, "OLD-TEXT-BYTES", 14);
  r.push_back(t);
  Old cont(ELM_CONT, CHR, NONE16, NONE16);
  cont.at<uint16_t>(62, NONE16);
  std::memcpy(cont.b + 16, "CONTINUED", 9);
  r.push_back(cont);
  r.push_back(Old(0, NOD, NONE16, NONE16).at<uint16_t>(16, 6).at<uint16_t>(18, NONE16));
  r.push_back(Old(0, LIN, 5, 7).at<double>(16, 0).at<double>(24, 0).at<double>(32, 5).at<double>(40, 5));
  r.push_back(Old(0, ARC, 5, NONE16).at<double>(16, 2).at<double>(24, 2).at<double>(32, 1));
  return r;
}

constexpr uint32_t START = 1024; // no counters in the drawing environment
constexpr uint32_t HEADWORD = 0x2A2B2C2D;

// The file: a header of START bytes whose word 64 before the records is HEADWORD,
// then the records (format 21: in compressed blocks of at most per records).
Bytes oldfile(const std::vector<Old> &recs, int fmt, int per = 400) {
  Bytes f(START, 0);
  slf_put<uint32_t>(f.data(), START - 64, HEADWORD);
  Bytes body;
  for (const Old &o : recs)
    body.insert(body.end(), o.b, o.b + 64);
  if (fmt != R64_PACKED) {
    f.insert(f.end(), body.begin(), body.end());
    return f;
  }
  const std::size_t step = std::size_t(per) * R64_SIZE;
  for (std::size_t at = 0; at < body.size(); at += step) {
    const uint32_t n = uint32_t(std::min(step, body.size() - at));
    Bytes packed(lzh_bound(n));
    uint32_t plen = 0;
    EXPECT_EQ(lzh_encode(body.data() + at, packed.data(), n, uint32_t(packed.size()), &plen), LZH_OK);
    uint8_t head[R64_BLKHEAD] = {};
    slf_put<uint16_t>(head, 0, uint16_t(n));
    slf_put<uint16_t>(head, 2, uint16_t(plen));
    f.insert(f.end(), head, head + R64_BLKHEAD);
    f.insert(f.end(), packed.begin(), packed.begin() + plen);
  }
  return f;
}

Bytes cut(Bytes f, std::size_t n) {
  f.resize(n);
  return f;
}

int rd64(int db, int fmt, const Bytes &file, double dx, double dy, int32_t *remaining, int embed = 0,
         Rd64Embed *rec = nullptr) {
  SlfMemory m{file.data(), file.size(), 0};
  return slf_rd64(db | fmt << 8, slf_memsource(&m), dx, dy, embed, rec, remaining);
}

using Rd64 = Seal;

ElementRecord at(int db, int32_t n) {
  ElementRecord r;
  std::memcpy(&r, dtb_addr(db, n), sizeof r);
  return r;
}

void fiveexisting(int db) {
  for (int i = 0; i < 5; ++i)
    ASSERT_GT(add(db, line(i, 0, i, 1)), 0);
}

TEST_F(Rd64, BothFormatsLandBehindTheRecordsPresentMovedAndRenumbered) {
  for (int fmt : {20, R64_PACKED}) {
    SCOPED_TRACE(fmt);
    db_start(10000, 500);
    fiveexisting(1);
    const Bytes mine = records(1, 1, 5);
    const std::vector<Old> old = drawing();
    // Blocks of 3 records: the compressed file takes three reads.
    const Bytes file = oldfile(old, fmt, 3);
    int32_t remaining = 7;
    ASSERT_EQ(rd64(1, fmt, file, 10, 20, &remaining), 0);
    EXPECT_TRUE(fil_shown().empty());
    EXPECT_EQ(remaining, 0);
    ASSERT_EQ(DbCtl[1].count1, 12u);
    EXPECT_EQ(records(1, 1, 5), mine);

    // Each record is the converted old one, moved by (10, 20), its links by 5.
    for (int k = 0; k < 7; ++k) {
      uint8_t want[80];
      slf_conv64(want, old[std::size_t(k)].b);
      slf_reloc(reinterpret_cast<ElementRecord *>(want), 5, 10, 20);
      EXPECT_EQ(std::memcmp(dtb_addr(1, 6 + k), want, 80), 0) << "record " << k + 1;
    }
    const ElementRecord l = at(1, 6), t = at(1, 8), g = at(1, 10), m1 = at(1, 11);
    const uint8_t *lb = reinterpret_cast<const uint8_t *>(&l), *tb = reinterpret_cast<const uint8_t *>(&t);
    EXPECT_EQ(slf_get<double>(lb, 20), 11);
    EXPECT_EQ(slf_get<double>(lb, 44), 24);
    EXPECT_EQ(slf_get<float>(tb, 20), 13.0f);
    EXPECT_EQ(slf_get<float>(tb, 24), 24.0f);
    EXPECT_EQ(slf_link(&t, 66), 9);
    const ElementRecord cont = at(1, 9);
    EXPECT_EQ(slf_link(&cont, 66), -1);
    EXPECT_EQ(slf_link(&g, 20), 11);
    EXPECT_EQ(slf_link(&g, 24), -1);
    EXPECT_EQ(slf_link(&m1, 12), 10);
    EXPECT_EQ(slf_link(&m1, 16), 12);
    const ElementRecord m2 = at(1, 12);
    EXPECT_EQ(slf_link(&m2, 16), -1);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const uint8_t *>(&t) + 52, "OLD-TEXT-BYTES", 14), 0);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const uint8_t *>(&cont) + 20, "CONTINUED", 9), 0);
  }
}

TEST_F(Rd64, CountIsCountedDownAndCapsTheRead) {
  const Bytes file = oldfile(drawing(), 20);
  fiveexisting(0);
  // Four records wanted: line, arc and the text with its continuation.
  int32_t remaining = 4;
  ASSERT_EQ(rd64(0, 20, file, 0, 0, &remaining), 0);
  EXPECT_EQ(remaining, 0);
  EXPECT_EQ(DbCtl[0].count1, 9u);
  // More wanted than the file holds: what it holds, the rest still to come.
  db_start(10000, 500);
  remaining = 50;
  ASSERT_EQ(rd64(0, 20, file, 0, 0, &remaining), 0);
  EXPECT_EQ(remaining, 43);
  EXPECT_EQ(DbCtl[0].count1, 7u);
}

// A damaged file or a full store: the message, result 1, the store and the count as
// they were.
TEST_F(Rd64, DamagedFilesAndAFullStoreLeaveTheStore) {
  const std::vector<Old> old = drawing();
  std::vector<Old> outside = old;
  outside[5].at<uint16_t>(14, 8); // next member: record 8 of a file of 7
  std::vector<Old> selfref = old;
  selfref[2].at<uint16_t>(62, 0); // a zero link is none
  struct Case {
    const char *what;
    int fmt;
    Bytes file;
    uint32_t room; // records the store takes
    int32_t remaining;
    int msg;
  } cases[] = {
      {"cut before the records", 20, cut(oldfile(old, 20), 900), 10000, 7, 30016},
      {"cut before the word ahead", 20, cut(oldfile(old, 20), 961), 10000, 7, 30016},
      {"cut inside the group", 20, cut(oldfile(old, 20), START + 64 * 6 - 10), 10000, 7, 30150},
      {"cut inside a block", R64_PACKED, cut(oldfile(old, R64_PACKED), oldfile(old, R64_PACKED).size() - 3), 10000, 7, 30016},
      {"block too long", R64_PACKED, [&] {
         Bytes f = oldfile(old, R64_PACKED);
         slf_put<uint16_t>(f.data() + START, 0, 32001);
         return f;
       }(), 10000, 7, 30016},
      {"link out of range", 20, oldfile(outside, 20), 10000, 7, 30150},
      {"link out of range, packed", R64_PACKED, oldfile(outside, R64_PACKED), 10000, 7, 30150},
      {"count beyond the store", 20, oldfile(old, 20), 10, 7, 30045},
      {"count beyond the store, packed", R64_PACKED, oldfile(old, R64_PACKED), 10, 7, 30045},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    db_start(c.room, 500);
    fiveexisting(1);
    const Bytes mine = records(1, 1, 5);
    fil_shown().clear();
    int32_t remaining = c.remaining;
    EXPECT_EQ(rd64(1, c.fmt, c.file, 10, 20, &remaining), 1);
    EXPECT_EQ(fil_shown(), std::vector<int>{c.msg});
    EXPECT_EQ(remaining, c.remaining);
    EXPECT_EQ(DbCtl[1].count1, 5u);
    EXPECT_EQ(records(1, 1, 5), mine);
  }
  // A store that takes exactly the file's records is not full.
  db_start(12, 500);
  fiveexisting(1);
  fil_shown().clear();
  int32_t remaining = 7;
  EXPECT_EQ(rd64(1, 20, oldfile(selfref, 20), 0, 0, &remaining), 0);
  EXPECT_TRUE(fil_shown().empty());
  EXPECT_EQ(DbCtl[1].count1, 12u);
  const ElementRecord t = at(1, 8);
  EXPECT_EQ(slf_link(&t, 66), 0);
}

TEST_F(Rd64, StartFollowsTheEnvironmentAndTheEmbedding) {
  const Bytes plain = oldfile(drawing(), 20);
  // Counters 2 and 30: the records sit 32 x (2 + 2 + 1) bytes further.
  Bytes moved(plain.begin(), plain.begin() + START);
  moved.insert(moved.end(), 160, 0);
  slf_put<uint32_t>(moved.data(), START + 160 - 64, HEADWORD);
  moved.insert(moved.end(), plain.begin() + START, plain.end());
  uint16_t c1 = 2, c2 = 30;
  sys_envcnt('W', &c1, &c2);
  int32_t remaining = 7;
  ASSERT_EQ(rd64(0, 20, moved, 0, 0, &remaining), 0);
  EXPECT_EQ(DbCtl[0].count1, 7u);
  c1 = c2 = 0;
  sys_envcnt('W', &c1, &c2);

  // Embedded with a mode word other than 1: the records start at 128, and the budget
  // ends the read after four records.
  Bytes inner(128, 0);
  slf_put<uint32_t>(inner.data(), 64, HEADWORD);
  inner.insert(inner.end(), plain.begin() + START, plain.end());
  db_start(10000, 500);
  Rd64Embed e{0, 4 * 64};
  remaining = 7;
  EXPECT_EQ(rd64(0, 20, inner, 0, 0, &remaining, 1, &e), 0);
  EXPECT_EQ(DbCtl[0].count1, 4u);
  EXPECT_EQ(remaining, 3);
  EXPECT_EQ(e.budget, 0);
  // A budget that ends the read inside the text leaves its continuation link
  // dangling: nothing is taken and the budget stays.
  db_start(10000, 500);
  fil_shown().clear();
  e = Rd64Embed{0, 3 * 64};
  remaining = 7;
  EXPECT_EQ(rd64(0, 20, inner, 0, 0, &remaining, 1, &e), 1);
  EXPECT_EQ(fil_shown(), std::vector<int>{30150});
  EXPECT_EQ(DbCtl[0].count1, 0u);
  EXPECT_EQ(remaining, 7);
  EXPECT_EQ(e.budget, 3 * 64);
}

TEST_F(Rd64, ReadIsOneUndoStepOfTheNewRecordsOnly) {
  WorkDir wd;
  sys_pathset(4, wd.folder().c_str());
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.undo = 1;
  sys_sysprm('W', &sb);
  ASSERT_EQ(und_open(0, wd.folder().c_str(), 200), 0);
  ASSERT_EQ(und_strt(0), 0);
  fiveexisting(0);
  und_pend(0);
  const Bytes mine = records(0, 1, 5);
  int32_t remaining = 7;
  ASSERT_EQ(rd64(0, R64_PACKED, oldfile(drawing(), R64_PACKED), 1, 1, &remaining), 0);
  ASSERT_EQ(DbCtl[0].count1, 12u);
  EXPECT_EQ(und_isrec(0), 1);
  und_exec(0);
  EXPECT_EQ(DbCtl[0].count1, 5u);
  EXPECT_EQ(records(0, 1, 5), mine);
  rdo_exec(0);
  EXPECT_EQ(DbCtl[0].count1, 12u);
  und_clos(0);
  dbs_reset();
}

TEST_F(Rd64, DatabaseAboveOneIsRefused) {
  int32_t remaining = 7;
  EXPECT_EQ(rd64(2, 20, oldfile(drawing(), 20), 0, 0, &remaining), 1);
  EXPECT_EQ(remaining, 7);
}

} // namespace

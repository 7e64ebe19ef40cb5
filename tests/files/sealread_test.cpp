#include <cmath>

#include "sealfix.h"

namespace {

// The header of a fixture file with one field changed.
template <typename T> Bytes with(Bytes file, int off, T v) {
  slf_put<T>(file.data(), off, v);
  return file;
}

} // namespace

TEST_F(Seal, FixtureLoadsByteForByte) {
  fixture(0);
  const int32_t n = int32_t(DbCtl[0].count1);
  ASSERT_EQ(n, 7);
  const Bytes file = image(0);
  ASSERT_EQ(file.size(), 256u + 80u * 7);
  EXPECT_EQ(Bytes(file.begin() + 256, file.end()), records(0, 1, n));
  EXPECT_EQ(slf_get<int32_t>(file.data(), SLF_OFF_COUNT), 7);
  EXPECT_EQ(std::memcmp(file.data() + SLF_OFF_MAGIC, "KIVO LANT RARU", 15), 0);
  EXPECT_EQ(slf_get<int16_t>(file.data(), SLF_OFF_VERSION), 1);

  ASSERT_EQ(load(1, file), 0);
  EXPECT_EQ(DbCtl[1].count1, 7u);
  EXPECT_EQ(records(1, 1, 7), records(0, 1, 7));
  // The loaded drawing, on the same sheet, saves to the same bytes.
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  sys_dwgenv('W', 1, &env);
  EXPECT_EQ(image(1), file);
}

TEST_F(Seal, AppendedLoadMovesLinksByTheRecordsPresent) {
  fixture(0);
  const Bytes file = image(0);
  for (int i = 0; i < 5; ++i)
    add(1, line(i, 0, i, 1));
  ASSERT_EQ(load(1, file), 0);
  ASSERT_EQ(DbCtl[1].count1, 12u);
  for (int32_t k = 1; k <= 7; ++k) {
    ElementRecord a, b;
    std::memcpy(&a, dtb_addr(0, k), 80);
    std::memcpy(&b, dtb_addr(1, k + 5), 80);
    int offs[4], offs2[4];
    const int n = slf_links(&a, offs);
    ASSERT_EQ(slf_links(&b, offs2), n);
    for (int i = 0; i < n; ++i) {
      const int32_t la = slf_link(&a, offs[i]), lb = slf_link(&b, offs[i]);
      EXPECT_EQ(lb, la >= 1 ? la + 5 : la) << "record " << k << " link " << offs[i];
      slf_setlink(&b, offs[i], la);
    }
    EXPECT_EQ(std::memcmp(&a, &b, 80), 0) << "record " << k; // nothing else moved
  }
  // The text's continuation record carries zero links; they stay none.
  ElementRecord cont;
  std::memcpy(&cont, dtb_addr(1, 3 + 5 + 1), 80);
  ASSERT_TRUE(cont.flags & ELM_CONT);
  EXPECT_LE(slf_link(&cont, 12), 0);
  EXPECT_LE(slf_link(&cont, 16), 0);
}

TEST_F(Seal, BadHeadersAreRefusedAndChangeNothing) {
  fixture(0);
  const Bytes good = image(0);
  add(1, line(0, 0, 1, 1));
  uint8_t before[256];
  sys_sealhdr('R', before);
  Bytes magic = good;
  magic[SLF_OFF_MAGIC + 5] = 'X';
  struct Case {
    const char *what;
    Bytes file;
    int probe, read, load;
  } cases[] = {
      {"version 2", with<int16_t>(good, SLF_OFF_VERSION, 2), -2, 2, -2},
      {"magic", magic, -2, 2, -2},
      {"protected", with<int16_t>(good, SLF_OFF_PERMIT, 1), -3, 3, -2},
      {"count 10001", with<int32_t>(good, SLF_OFF_COUNT, 10001), -2, 2, -2},
      {"count -1", with<int32_t>(good, SLF_OFF_COUNT, -1), -2, 2, -2},
      {"100 bytes", Bytes(good.begin(), good.begin() + 100), -2, 2, -2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    fil_shown().clear();
    const Bytes recs = records(1, 1, 3);
    SlfMemory m{c.file.data(), c.file.size(), 0};
    uint8_t hdr[256];
    EXPECT_EQ(slf_rdheadsrc(slf_memsource(&m), hdr), c.probe);
    m.pos = 0;
    EXPECT_EQ(slf_readsrc(1, 0, slf_memsource(&m), 0, 0), c.read);
    EXPECT_EQ(load(1, c.file), c.load);
    EXPECT_EQ(DbCtl[1].count1, 1u);
    EXPECT_EQ(records(1, 1, 3), recs);
    uint8_t now[256];
    sys_sealhdr('R', now);
    EXPECT_EQ(std::memcmp(now, before, 256), 0);
  }
  // Too many elements says so; a good file becomes the current header.
  fil_shown().clear();
  EXPECT_EQ(load(1, with<int32_t>(good, SLF_OFF_COUNT, 10001)), -2);
  EXPECT_EQ(fil_shown(), std::vector<int>{30157});
  ASSERT_EQ(load(1, good), 0);
  uint8_t now[256];
  sys_sealhdr('R', now);
  EXPECT_EQ(std::memcmp(now, good.data(), 256), 0);
}

TEST_F(Seal, LinksOutsideTheFileAreRefused) {
  fixture(0);
  const Bytes good = image(0);
  struct Case {
    int rec, off;
    int32_t value;
  } cases[] = {
      {1, 12, 8},   // parent beyond the 7 records
      {4, 16, 100}, // next
      {5, 20, 9},   // first child of the node
      {3, 66, 70000},
  };
  add(1, line(0, 0, 1, 1));
  uint8_t before[256];
  sys_sealhdr('R', before);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.off);
    Bytes bad = good;
    slf_put<int32_t>(bad.data(), std::size_t(256 + 80 * (c.rec - 1) + c.off), c.value);
    fil_shown().clear();
    EXPECT_EQ(load(1, bad), -2);
    EXPECT_EQ(DbCtl[1].count1, 1u);
    EXPECT_EQ(fil_shown(), std::vector<int>{30150});
    uint8_t now[256];
    sys_sealhdr('R', now);
    EXPECT_EQ(std::memcmp(now, before, 256), 0); // a refused file never becomes the current seal
  }
  // Links below 1 all mean none.
  Bytes zero = good;
  slf_put<int32_t>(zero.data(), 256 + 12, 0);
  slf_put<int32_t>(zero.data(), 256 + 16, -7);
  EXPECT_EQ(load(1, zero), 0);
  EXPECT_EQ(slf_link(dtb_ptr(1, 2), 12), 0);
  EXPECT_EQ(slf_link(dtb_ptr(1, 2), 16), -7);
}

TEST_F(Seal, BytesAfterTheRecordsNeverReachMemory) {
  fixture(0);
  Bytes file = image(0);
  for (int i = 0; i < 1024; ++i)
    file.push_back(uint8_t(0xA5 ^ i));
  // Records 8 .. 400 of the page hold a known pattern.
  for (int32_t k = 8; k <= 40; ++k)
    std::memset(dtb_addr(1, k), 0x3C, 80);
  const Bytes after = records(1, 8, 40);
  ASSERT_EQ(load(1, file), 0);
  EXPECT_EQ(DbCtl[1].count1, 7u);
  EXPECT_EQ(records(1, 8, 40), after);
}

// A body shorter than the header's count is a file cut short: refused and said,
// never passed off as the whole drawing.
TEST_F(Seal, ShortBodyIsRefused) {
  fixture(0);
  const Bytes whole = image(0);
  add(1, line(0, 0, 1, 1));
  uint8_t before[256];
  sys_sealhdr('R', before);
  for (std::size_t cut : {std::size_t(256), std::size_t(256 + 80 * 5 + 30), std::size_t(256 + 80 * 6),
                          whole.size() - 1}) {
    SCOPED_TRACE(cut);
    Bytes file(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
    fil_shown().clear();
    EXPECT_EQ(load(1, file), -2);
    EXPECT_EQ(DbCtl[1].count1, 1u);
    EXPECT_EQ(fil_shown(), std::vector<int>{30016});
    uint8_t now[256];
    sys_sealhdr('R', now);
    EXPECT_EQ(std::memcmp(now, before, 256), 0);
  }
  // An empty body with count 0 loads nothing and succeeds.
  Bytes none = with<int32_t>(Bytes(whole.begin(), whole.begin() + 256), SLF_OFF_COUNT, 0);
  EXPECT_EQ(load(1, none), 0);
  EXPECT_EQ(DbCtl[1].count1, 1u);
  ASSERT_EQ(load(1, whole), 0);
  EXPECT_EQ(DbCtl[1].count1, 8u);
}

// Links near the top of the range in a load after records already present are
// refused, not wrapped round into "none".
TEST_F(Seal, ExtremeLinksInAnAppendedLoadAreRefused) {
  fixture(0);
  const Bytes good = image(0);
  add(1, line(0, 0, 1, 1));
  add(1, line(0, 0, 2, 2));
  for (int32_t v : {INT32_MAX, INT32_MAX - 1, INT32_MAX - 2, INT32_MAX - 7}) {
    for (int off : {12, 16}) {
      SCOPED_TRACE(testing::Message() << v << " at " << off);
      Bytes bad = good;
      slf_put<int32_t>(bad.data(), std::size_t(256 + off), v);
      fil_shown().clear();
      EXPECT_EQ(load(1, bad), -2);
      EXPECT_EQ(DbCtl[1].count1, 2u);
      EXPECT_EQ(fil_shown(), std::vector<int>{30150});
    }
  }
  ElementRecord r = line(0, 0, 1, 1);
  r.parent = INT32_MAX - 1;
  r.next = 5;
  EXPECT_EQ(slf_reloc(&r, 2, 0, 0), 2);
  EXPECT_EQ(r.parent, INT32_MAX);
  EXPECT_EQ(r.next, 7);
  ASSERT_EQ(load(1, good), 0);
  EXPECT_EQ(DbCtl[1].count1, 9u);
}

TEST_F(Seal, DisplacementMovesEveryKindWithGeometry) {
  ElementRecord masked_line = line(1, 2, 3, 4);
  masked_line.kind = LIN | MSKBOX;
  ElementRecord masked_arc = arcrec(5, 6, 1, 0, 90);
  masked_arc.kind = ARC | MSKBOX;
  ElementRecord box = blank(MSKBOX);
  slf_put<double>(reinterpret_cast<uint8_t *>(&box), 24, 7.0);
  slf_put<double>(reinterpret_cast<uint8_t *>(&box), 32, 8.0);
  slf_put<double>(reinterpret_cast<uint8_t *>(&box), 40, 2.0); // width stays
  ElementRecord node = blank(NOD);
  node.subkind = 1;
  slf_put<uint16_t>(reinterpret_cast<uint8_t *>(&node), 28, 200);
  slf_put<double>(reinterpret_cast<uint8_t *>(&node), 30, 1.0);
  slf_put<double>(reinterpret_cast<uint8_t *>(&node), 38, 1.0);
  slf_put<double>(reinterpret_cast<uint8_t *>(&node), 46, 2.0);
  slf_put<double>(reinterpret_cast<uint8_t *>(&node), 54, 2.0);
  ElementRecord pt = blank(PNT);
  pt.pnt.x = 1;
  pt.pnt.y = 1;
  ElementRecord t = text(1, 1, 5, 5);

  const ElementRecord all[] = {masked_line, masked_arc, box, node, pt, t, line(0, 0, 1, 1)};
  for (ElementRecord r : all) {
    r.parent = r.next = -1;
    const uint8_t *b = reinterpret_cast<const uint8_t *>(&r);
    ElementRecord moved = r;
    ASSERT_EQ(slf_reloc(&moved, 0, 10, 20), 0);
    const uint8_t *m = reinterpret_cast<const uint8_t *>(&moved);
    auto dx = [&](int off) { return slf_get<double>(m, off) - slf_get<double>(b, off); };
    SCOPED_TRACE(r.kind);
    switch (r.kind) {
    case LIN | MSKBOX:
    case LIN:
      EXPECT_EQ(dx(20), 10);
      EXPECT_EQ(dx(28), 20);
      EXPECT_EQ(dx(36), 10);
      EXPECT_EQ(dx(44), 20);
      break;
    case ARC | MSKBOX:
    case PNT:
      EXPECT_EQ(dx(20), 10);
      EXPECT_EQ(dx(28), 20);
      break;
    case MSKBOX:
      EXPECT_EQ(dx(24), 10);
      EXPECT_EQ(dx(32), 20);
      EXPECT_EQ(dx(40), 0);
      break;
    case NOD:
      EXPECT_EQ(dx(30), 10);
      EXPECT_EQ(dx(38), 20);
      EXPECT_EQ(dx(46), 10);
      EXPECT_EQ(dx(54), 20);
      break;
    case CHR:
      EXPECT_EQ(slf_get<float>(m, 20), 11.0f);
      EXPECT_EQ(slf_get<float>(m, 24), 21.0f);
      break;
    }
  }
  // The reader's own threshold is 1e-6: a smaller offset moves nothing.
  fixture(0);
  const Bytes file = image(0);
  ASSERT_EQ(load(1, file, 1e-7, 0), 0);
  EXPECT_EQ(records(1, 1, 7), records(0, 1, 7));
}

TEST_F(Seal, AttributeRepairOnLoad) {
  struct Case {
    uint16_t kind, attr, want;
  } cases[] = {
      {LIN, 0x0000, 0x0011},           // pen 0 -> 1, kind 0 -> 1
      {LIN, 0x009F, 0x006C},           // pen 15 -> 12, kind 9 -> 6
      {ARC, 0x3311, 0x3011}, // start style 3 -> 0, end style 6 stays
      {ARC, 0x3F11, 0x0011}, // both styles 7 -> 0
      {PNT, 0x0050, 0x0051},
      {CHR, 0x0E01, 0x0001}, // font 7 -> 0
      {CHR, 0x0603, 0x0603}, // font 3 stays
  };
  for (const Case &c : cases) {
    ElementRecord r = blank(c.kind);
    uint8_t *b = reinterpret_cast<uint8_t *>(&r);
    const int off = c.kind == LIN ? 52 : c.kind == ARC ? 60 : c.kind == PNT ? 36 : 48;
    slf_put<uint16_t>(b, off, c.attr);
    slf_fixrec(&r);
    EXPECT_EQ(slf_get<uint16_t>(b, off), c.want) << std::hex << c.kind << " " << c.attr;
  }
}

TEST_F(Seal, LoadIsOneUndoStepOfTheNewRecordsOnly) {
  WorkDir wd;
  sys_pathset(4, wd.folder().c_str());
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.undo = 1;
  sys_sysprm('W', &sb);
  ASSERT_EQ(und_open(0, wd.folder().c_str(), 200), 0);
  ASSERT_EQ(und_strt(0), 0);

  fixture(1);
  const Bytes file = image(1);
  for (int i = 0; i < 5; ++i)
    add(0, line(i, 0, i, 1));
  und_pend(0);
  const Bytes mine = records(0, 1, 5);
  ASSERT_EQ(load(0, file), 0);
  ASSERT_EQ(DbCtl[0].count1, 12u);
  und_exec(0);
  EXPECT_EQ(DbCtl[0].count1, 5u);
  EXPECT_EQ(records(0, 1, 5), mine);
  rdo_exec(0);
  EXPECT_EQ(DbCtl[0].count1, 12u);
  und_clos(0);
  dbs_reset();
}

TEST_F(Seal, EraseGroupVisitsEachMemberOnce) {
  fixture(0);
  EXPECT_EQ(slf_erasegrp(0, 5), 0);
  for (int32_t k : {6, 7})
    EXPECT_TRUE(dtb_ptr(0, k)->flags & ELM_ERASED) << k;
  EXPECT_FALSE(dtb_ptr(0, 1)->flags & ELM_ERASED);
  // A chain that comes back to itself ends.
  fixture(0);
  const int32_t g = 12;
  ASSERT_EQ(dtb_ptr(0, g)->kind, NOD);
  dtb_ptr(0, 14)->next = 13;
  EXPECT_EQ(slf_erasegrp(0, g), 1 << 4);
}

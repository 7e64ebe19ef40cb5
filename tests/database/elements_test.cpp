#include "dbfixture.h"

#include <vector>

namespace {

int32_t add(const ElementRecord &p, const char *s = nullptr, int mode = 0, int db = 0) {
  return elm_add(db, mode, ELM_NODRAW, &p, s);
}

std::string read_str(int db, int32_t n, int *rc = nullptr) {
  ElementRecord r;
  std::vector<char> buf(40000, 'x');
  int k = elm_read(db, n, &r, buf.data(), buf.size());
  if (rc)
    *rc = k;
  return std::string(buf.data());
}

} // namespace

TEST_F(Store, KindsAndTheirResults) {
  struct Case {
    uint16_t kind;
    int32_t want; // > 0: the next number
  } cases[] = {{PNT, 1}, {LIN, 2}, {ARC, 3}, {CHR, 4}, {NOD, 5},  {MSKBOX, 6}, {18, 7},   {20, 8},
               {24, 9},  {3, 10},  {0, -1},  {32, -1}, {512, -1}, {ATR, -2},   {8192, -1}};
  for (const auto &c : cases) {
    ElementRecord p = c.kind == ARC ? arc(5, 0, 90) : c.kind == LIN ? lin(0, 0, 1, 1) : proto(c.kind);
    if (c.kind == CHR)
      p = chr("ab");
    EXPECT_EQ(add(p, c.kind == CHR ? "ab" : nullptr), c.want) << c.kind;
  }
  EXPECT_EQ(ctl(0).count1, 10u);
  ElementRecord p = proto(PNT);
  EXPECT_EQ(elm_add(2, 0, -1, &p, nullptr), -9);
  EXPECT_EQ(elm_add(-1, 0, -1, &p, nullptr), -9);
}

TEST_F(Store, StringsSplitOverContinuationRecords) {
  struct Case {
    uint16_t kind;
    int len, recs;
  } cases[] = {{CHR, 0, 1},    {CHR, 14, 1}, {CHR, 15, 2}, {CHR, 60, 2}, {CHR, 61, 3},
               {CHR, 500, 12}, {ATR, 0, 1},  {ATR, 44, 1}, {ATR, 45, 2}, {ATR, 91, 3}};
  ElementRecord node = nod();
  int32_t g = add(node);
  ASSERT_EQ(grp_open(0, g), 0);
  int32_t next = g + 1;
  for (const auto &c : cases) {
    std::string s = bytes(c.len, c.len);
    ElementRecord p = c.kind == CHR ? chr(s) : proto(ATR);
    int32_t n = add(p, s.c_str());
    ASSERT_EQ(n, next) << c.len;
    next += c.recs;
    int rc = -1;
    EXPECT_EQ(read_str(0, n, &rc), s) << c.kind << " " << c.len;
    EXPECT_EQ(rc, 0);
    ElementRecord r = rec(0, n);
    EXPECT_EQ(elm_strlen(r), c.len);
    // Continuation records follow in number order, each flagged and linked.
    int32_t link = elm_cont(r);
    for (int i = 1; i < c.recs; ++i) {
      EXPECT_EQ(link, n + i);
      ElementRecord k = rec(0, n + i);
      EXPECT_EQ(+k.flags, ELM_CONT);
      EXPECT_EQ(+k.kind, 0);
      ElementRecord out;
      EXPECT_EQ(elm_read(0, n + i, &out, nullptr, 0), 2);
      EXPECT_EQ(std::memcmp(&out, &k, 80), 0);
      link = k.cont.next;
    }
    EXPECT_EQ(link, -1);
  }
  EXPECT_EQ(ctl(0).count1, uint32_t(next - 1));
}

TEST_F(Store, ReadCutsToTheBufferAndReportsIt) {
  std::string s = bytes(100);
  int32_t n = add(chr(s), s.c_str());
  ElementRecord r;
  char small[20];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(elm_read(0, n, &r, small, sizeof small), 3);
  EXPECT_EQ(std::string(small), s.substr(0, 19));
  EXPECT_EQ(elm_read(0, n, &r, nullptr, 0), 0);
  EXPECT_EQ(elm_read(2, n, &r, nullptr, 0), 9);
  EXPECT_EQ(elm_read(0, 0, &r, nullptr, 0), 1);
  EXPECT_EQ(elm_read(0, 99999, &r, nullptr, 0), 1);
}

TEST_F(Store, ReadOfABrokenOrCyclicChainEnds) {
  std::string s = bytes(200);
  int32_t n = add(chr(s), s.c_str()); // 5 records
  int rc;
  dtb_ptr(0, n + 2)->cont.next = n + 1; // cycle
  read_str(0, n, &rc);
  EXPECT_EQ(rc, 1);
  dtb_ptr(0, n + 2)->cont.next = 20000; // beyond the total
  read_str(0, n, &rc);
  EXPECT_EQ(rc, 1);
  dtb_ptr(0, n + 2)->cont.next = n; // the first record is no continuation
  read_str(0, n, &rc);
  EXPECT_EQ(rc, 1);
}

TEST_F(Store, DegenerateGeometryIsStoredErased) {
  struct Case {
    ElementRecord p;
    int mode;
    bool erased;
    double start, end; // arcs
    uint16_t attr;
  } cases[] = {
      {lin(1, 1, 1, 1 + 5e-7), 0, true, 0, 0, 0x11},
      {lin(1, 1, 1, 1 + 2e-6), 0, false, 0, 0, 0x11},
      {lin(1, 1, 5, 1, 0x1B11), 0, false, 0, 0, 0x0011}, // style 3 at both ends stripped
      {lin(1, 1, 5, 1, 0x1311), 0, false, 0, 0, 0x1011}, // only the style 3 end
      {arc(5e-7, 0, 90), 0, true, 0, 90, 0x11},
      {arc(5, 30, 30, 0x1B11), 0, false, 0, 360, 0x0011},
      {arc(5, 30, 30, 0x1B11), ELM_ZEROERASE, true, 30, 30, 0x1B11},
      {arc(5, 0, 359.9999995, 0x1A11), 0, false, 0, 359.9999995, 0x0011},
      {arc(5, 0, 90, 0x1B11), 0, false, 0, 90, 0x0011},
      {arc(5, 0, 400, 0x1B11), 0, false, 0, 400, 0x1B11},
  };
  for (const auto &c : cases) {
    int32_t n = add(c.p, nullptr, c.mode);
    ASSERT_GT(n, 0);
    ElementRecord r = rec(0, n);
    EXPECT_EQ((r.flags & ELM_ERASED) != 0, c.erased) << n;
    if (r.kind == ARC) {
      EXPECT_EQ(+r.arc.start, c.start) << n;
      EXPECT_EQ(+r.arc.end, c.end) << n;
      EXPECT_EQ(+r.arc.attr, c.attr) << n;
    } else {
      EXPECT_EQ(+r.lin.attr, c.attr) << n;
    }
  }
  ElementRecord t = chr("x", 5e-7f, 4);
  EXPECT_TRUE(rec(0, add(t, "x")).flags & ELM_ERASED);
  t = chr("x", 5, -5e-7f);
  EXPECT_TRUE(rec(0, add(t, "x")).flags & ELM_ERASED);
}

TEST_F(Store, ZeroSweepArcIsAFullCircleWhateverTheColour) {
  ElementRecord p = arc(5, 30, 30);
  for (int colour : {ELM_NODRAW, -1, 3, 55}) {
    ElementRecord r = rec(0, elm_add(0, 0, colour, &p, nullptr));
    EXPECT_EQ(+r.arc.start, 0.0) << colour;
    EXPECT_EQ(+r.arc.end, 360.0) << colour;
  }
}

TEST_F(Store, AddWritesTheHeadFromTheOpenLevel) {
  ElementRecord p = lin(0, 0, 1, 1);
  p.flags = 0x8003;
  p.subkind = 9;
  p.parent = 77;
  p.next = 78;
  p.depth = 5;
  int32_t n = add(p);
  ElementRecord r = rec(0, n);
  EXPECT_EQ(+r.flags, 0x0003);
  EXPECT_EQ(+r.subkind, 0);
  EXPECT_EQ(+r.encsub, 0);
  EXPECT_EQ(r.parent, -1);
  EXPECT_EQ(r.next, -1);
  EXPECT_EQ(+r.depth, 0);
  EXPECT_EQ(+r.layer, 3);
  ElementRecord q = proto(PNT);
  EXPECT_EQ(+rec(0, elm_add(0, ELM_NOCELL, ELM_NODRAW, &q, nullptr)).cells, 0);
}

TEST_F(Store, AreasAndTheirCapacities) {
  db_start(300, 256); // max12 300, work area 256
  ElementRecord p = lin(0, 0, 1, 1);
  EXPECT_EQ(add(p, nullptr, ELM_AREA2), 1); // a preview in area 2
  EXPECT_EQ(add(p, nullptr, ELM_AREA2), 2);
  EXPECT_EQ(ctl(0).count2, 2u);
  EXPECT_EQ(add(p), 1); // area 1 grows over the previews, as commands expect
  for (int i = 2; i <= 298; ++i)
    ASSERT_EQ(add(p), i);
  // count1 + count2 + 1 would pass max12: nothing is written, the board warns.
  ElementRecord before = rec(0, 299);
  EXPECT_EQ(add(p), 0);
  EXPECT_EQ(std::memcmp(&before, dtb_ptr(0, 299), 80), 0);
  EXPECT_EQ(add(p, nullptr, ELM_AREA2), 0);
  EXPECT_EQ(boards_shown(), (std::vector<std::string>{"1最大要素数を越えました。", "1最大要素数を越えました。"}));
  EXPECT_EQ(ctl(0).count1, 298u);
  EXPECT_EQ(add(p, nullptr, ELM_AREA3), 301);
  EXPECT_EQ(elm_valid(0, 298), 0);
  EXPECT_EQ(elm_valid(0, 300), 0); // area 2
  EXPECT_EQ(elm_valid(0, 301), 0);
  EXPECT_EQ(elm_valid(0, 302), 1);
  EXPECT_EQ(elm_valid(0, 0), 1);
  EXPECT_EQ(elm_valid(3, 1), 1);
}

TEST_F(Store, TheTenThousandthRecordFitsTheNextDoesNot) {
  DbControl c[2] = {};
  c[0].count1 = 9999;
  dtb_ctrl('w', c);
  ElementRecord p = proto(PNT);
  EXPECT_EQ(add(p), 10000);
  EXPECT_EQ(add(p), 0);
  std::string s = bytes(15);
  c[0].count1 = 9999;
  dtb_ctrl('w', c);
  EXPECT_EQ(add(chr(s), s.c_str()), 0); // two records do not fit
  EXPECT_EQ(ctl(0).count1, 9999u);
  EXPECT_EQ(boards_shown().size(), 2u);
}

TEST_F(Store, UnreachableRecordLeavesNoLink) {
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  ElementRecord p = lin(0, 0, 1, 1);
  for (int i = 2; i <= 400; ++i)
    ASSERT_EQ(add(p), i);
  // Block 1 (records 401 .. 800) vanishes, as when memory runs out.
  DbPage &pg = DbPages[DbCtl[0].pagea[0]];
  ASSERT_EQ(dtb_ptr(0, 401) != nullptr, true);
  int16_t slot = pg.slot[1];
  pg.slot[1] = 30000;
  dtb_uncache();
  EXPECT_EQ(add(p), -3);
  std::string s = bytes(30);
  pg.slot[1] = slot;
  dtb_uncache();
  EXPECT_EQ(rec(0, 400).next, -1);
  EXPECT_EQ(ctl(0).count1, 400u);
  EXPECT_EQ(GrpStack[0].slot[1].mtail, 400);
  // A text whose second record is unreachable writes nothing either.
  for (int i = 401; i <= 799; ++i)
    ASSERT_EQ(add(p), i);
  pg.slot[2] = 30001;
  EXPECT_EQ(DbCtl[0].count1, 799u);
  pg.nblk = 3;
  dtb_uncache();
  ElementRecord t = chr(s);
  ElementRecord before = rec(0, 800);
  EXPECT_EQ(add(t, s.c_str()), -3);
  EXPECT_EQ(std::memcmp(&before, dtb_ptr(0, 800), 80), 0);
  EXPECT_EQ(rec(0, 799).next, -1);
  pg.slot[2] = -1;
  pg.nblk = 2;
  dtb_uncache();
  EXPECT_EQ(add(p), 800);
  EXPECT_EQ(rec(0, 799).next, 800);
}

TEST_F(Store, ReplaceChecksBeforeAnythingChanges) {
  ElementRecord l = lin(0, 0, 1, 1);
  int32_t n = add(l);
  ElementRecord pnt = proto(PNT);
  struct Case {
    int db;
    int32_t n;
    int mode;
    const ElementRecord *p;
    int rc;
  } cases[] = {{2, n, 0, &l, 3},         {0, n, 0, &pnt, 1},       {0, n + 1, 0, &l, 2}, {0, 0, 0, &l, 2},
               {0, n, ELM_AREA2, &l, 0}, {0, n, ELM_AREA3, &l, 0}, {0, n, 0, &l, 0}};
  for (const auto &c : cases)
    EXPECT_EQ(elm_update(c.db, c.n, c.mode, ELM_NODRAW, c.p, nullptr), c.rc) << c.n << " " << c.mode;
  EXPECT_EQ(+rec(0, n).kind, LIN);
}

TEST_F(Store, ReplaceGrowsTheChainOnceAndReusesIt) {
  std::string s10 = bytes(10), s100 = bytes(100, 3), s60 = bytes(60, 5);
  int32_t n = add(chr(s10), s10.c_str());
  int32_t other = add(lin(0, 0, 2, 2));
  ASSERT_EQ(ctl(0).count1, 2u);
  ElementRecord cur = rec(0, n);
  EXPECT_EQ(elm_update(0, n, 0, ELM_NODRAW, &cur, s100.c_str()), 0);
  EXPECT_EQ(read_str(0, n), s100);
  EXPECT_EQ(ctl(0).count1, 4u); // two extra records at the end of the area
  EXPECT_EQ(+rec(0, n).chr.cont, 3);
  EXPECT_EQ(+rec(0, 3).cont.next, 4);
  // The prototype's own link field is garbage: the stored chain is what counts.
  ElementRecord p = chr(s10);
  p.chr.cont = other;
  EXPECT_EQ(elm_update(0, n, 0, ELM_NODRAW, &p, s10.c_str()), 0);
  EXPECT_EQ(read_str(0, n), s10);
  EXPECT_EQ(+rec(0, n).chr.cont, -1);
  EXPECT_EQ(ctl(0).count1, 4u);
  EXPECT_EQ(+rec(0, other).kind, LIN);
  EXPECT_EQ(+rec(0, 3).flags, ELM_CONT); // left out of the chain, kept until packing
  p.chr.cont = other;
  EXPECT_EQ(elm_update(0, n, 0, ELM_NODRAW, &p, s60.c_str()), 0);
  EXPECT_EQ(read_str(0, n), s60);
  EXPECT_EQ(ctl(0).count1, 5u);
  EXPECT_EQ(+rec(0, other).kind, LIN);
}

TEST_F(Store, ReplaceWithoutRoomChangesNothing) {
  db_start(300, 256);
  std::string s10 = bytes(10), s100 = bytes(100);
  int32_t n = add(chr(s10), s10.c_str());
  ElementRecord p = proto(PNT);
  while (add(p) > 0) {
  }
  dwg_setstate(0, 0);
  ElementRecord q = chr(s100);
  ElementRecord before = rec(0, n);
  EXPECT_EQ(elm_update(0, n, 0, ELM_NODRAW, &q, s100.c_str()), 4);
  EXPECT_EQ(std::memcmp(&before, dtb_ptr(0, n), 80), 0);
  EXPECT_EQ(dwg_state(0), 0u); // nothing journalled
  EXPECT_EQ(read_str(0, n), s10);
  // A broken stored chain is found before anything changes as well.
  db_start(10000, 500);
  std::string s200 = bytes(200);
  n = add(chr(s200), s200.c_str());
  dtb_ptr(0, n + 1)->flags = 0;
  before = rec(0, n);
  EXPECT_EQ(elm_update(0, n, 0, ELM_NODRAW, &q, s100.c_str()), 5);
  EXPECT_EQ(std::memcmp(&before, dtb_ptr(0, n), 80), 0);
}

TEST_F(Store, ReplaceOfAZeroSweepArcErasesIt) {
  int32_t n = add(arc(5, 0, 90));
  ElementRecord p = arc(5, 30, 30, 0x1B11);
  EXPECT_EQ(elm_update(0, n, 0, ELM_NODRAW, &p, nullptr), 0);
  ElementRecord r = rec(0, n);
  EXPECT_TRUE(r.flags & ELM_ERASED);
  EXPECT_EQ(+r.arc.start, 30.0);
  EXPECT_EQ(+r.arc.attr, 0x0011);
}

TEST_F(Store, DeleteResults) {
  int32_t l = add(lin(0, 0, 1, 1));
  int32_t a2 = add(proto(PNT), nullptr, ELM_AREA2);
  int32_t w = add(proto(PNT), nullptr, ELM_AREA3);
  struct Case {
    int db;
    int32_t n;
    int rc;
  } cases[] = {{2, l, 1}, {0, 0, 2}, {0, a2 + 1, 2}, {0, 10500, 2}, {0, l, 0}, {0, a2, 0}, {0, w, 0}, {1, l, 2}};
  for (const auto &c : cases)
    EXPECT_EQ(elm_delete(c.db, c.n, -1), c.rc) << c.n;
  for (int32_t n : {l, a2, w})
    EXPECT_TRUE(rec(0, n).flags & ELM_ERASED);
  ElementRecord r;
  EXPECT_EQ(elm_read(0, l, &r, nullptr, 0), 0); // erased elements read like live ones
}

TEST_F(Store, DeletingANodeErasesItsTree) {
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  int32_t m1 = add(lin(0, 0, 1, 1));
  int32_t inner = add(nod(8));
  ASSERT_EQ(grp_open(0, inner), 0);
  int32_t m2 = add(arc(3, 0, 90));
  grp_close(0);
  ElementRecord at = proto(ATR);
  int32_t a = add(at, "name");
  grp_close(0);
  int32_t outside = add(lin(0, 0, 2, 2));
  EXPECT_EQ(elm_delete(0, g, -1), 0);
  for (int32_t n : {g, m1, inner, m2, a})
    EXPECT_TRUE(rec(0, n).flags & ELM_ERASED) << n;
  EXPECT_FALSE(rec(0, outside).flags & ELM_ERASED);
}

TEST_F(Store, DeletingADamagedNodeEndsWithAnError) {
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  int32_t m1 = add(lin(0, 0, 1, 1));
  int32_t m2 = add(lin(0, 0, 1, 2));
  int32_t a = add(proto(ATR), "x");
  grp_close(0);
  struct Case {
    int32_t *field;
    int32_t value;
    int rc;
  } cases[] = {
      {&dtb_ptr(0, m2)->next, m1, 15 | 1 << 4},    // cyclic member chain
      {&dtb_ptr(0, m2)->next, 9000, 15 | 1 << 4},  // a link outside the areas
      {&dtb_ptr(0, a)->next, a, 15 | 1 << 8},      // cyclic attribute chain
      {&dtb_ptr(0, g)->nod.child, g, 15 | 1 << 4}, // the node is its own member
  };
  auto area = [] {
    std::vector<unsigned char> v;
    for (uint32_t k = 1; k < dtb_end2(0); ++k)
      v.insert(v.end(), dtb_addr(0, int32_t(k)), dtb_addr(0, int32_t(k)) + 80);
    return v;
  };
  for (const auto &c : cases) {
    int32_t keep = *c.field;
    *c.field = c.value;
    auto before = area();
    EXPECT_EQ(elm_delete(0, g, ELM_NODRAW), c.rc) << c.value;
    EXPECT_EQ(area(), before) << c.value; // refused whole
    *c.field = keep;
  }
  // Nesting deeper than the group levels is refused, not followed.
  db_start(10000, 500);
  int32_t prev = add(nod());
  int32_t top = prev;
  for (int i = 0; i < 12; ++i) {
    int32_t n = add(nod());
    dtb_ptr(0, prev)->nod.child = n;
    prev = n;
  }
  auto before = area();
  EXPECT_EQ(elm_delete(0, top, ELM_NODRAW), 15 | 1 << 4);
  EXPECT_EQ(area(), before);
}

TEST_F(Store, RecellSetsMasksAndStopsAtABrokenText) {
  add(proto(PNT), nullptr, ELM_NOCELL);
  add(nod(), nullptr, ELM_NOCELL);
  std::string s = bytes(100);
  int32_t t = add(chr(s), s.c_str(), ELM_NOCELL);
  add(lin(0, 0, 1, 1), nullptr, ELM_AREA3 | ELM_NOCELL);
  dtb_ptr(0, t + 1)->cells = 7; // continuation records are left alone
  EXPECT_EQ(dtb_recell(0), 0);
  EXPECT_EQ(+rec(0, t + 1).cells, 7);
  dtb_ptr(0, t + 1)->cont.next = t + 1;
  EXPECT_EQ(dtb_recell(0), 1);
  EXPECT_EQ(dtb_recell(2), 1);
}

TEST_F(Store, TwoDrawingsKeepTheirOwnRecords) {
  std::string s = bytes(70);
  EXPECT_EQ(add(chr(s), s.c_str(), 0, 1), 1);
  EXPECT_EQ(add(lin(0, 0, 1, 1), nullptr, 0, 0), 1);
  EXPECT_EQ(read_str(1, 1), s);
  EXPECT_EQ(+rec(0, 1).kind, LIN);
  EXPECT_EQ(ctl(1).count1, 3u);
  EXPECT_EQ(ctl(0).count1, 1u);
  dtb_free(1);
  DbControl c[2];
  dtb_ctrl('r', c);
  c[1].count1 = 0;
  dtb_ctrl('w', c);
  EXPECT_EQ(add(lin(0, 0, 1, 1), nullptr, 0, 1), 1);
  EXPECT_EQ(+rec(0, 1).kind, LIN);
}

TEST_F(Store, AddMarksTheDrawingModifiedOnlyInAreaOne) {
  dwg_setstate(0, 0);
  dwg_setstate(1, 0);
  add(proto(PNT), nullptr, ELM_AREA3);
  add(proto(PNT), nullptr, ELM_AREA2);
  EXPECT_EQ(dwg_state(0), 0u);
  add(proto(PNT), nullptr, 0, 1);
  EXPECT_EQ(dwg_state(0), 0u);
  EXPECT_EQ(dwg_state(1), 1u);
}

#include "settings/appstate.h"
#include "database/pack.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "database/txtcheck.h"
#include "database/undo.h"
#include "dbfixture.h"
#include "workdir.h"

namespace {

int32_t add(const ElementRecord &p, const char *s = nullptr, int mode = 0, int db = 0) {
  return elm_add(db, mode, ELM_NODRAW, &p, s);
}

std::vector<unsigned char> area1(int db = 0) {
  std::vector<unsigned char> v;
  for (uint32_t k = 1; k <= ctl(db).count1; ++k) {
    const unsigned char *p = dtb_addr(db, int32_t(k));
    v.insert(v.end(), p, p + 80);
  }
  return v;
}

// Every link of area 1 names a record of area 1, or nothing.
void expect_links_inside(int db = 0) {
  const int32_t n = int32_t(ctl(db).count1);
  auto in = [&](int32_t l) { return l < 1 || l <= n; };
  for (int32_t k = 1; k <= n; ++k) {
    ElementRecord r = rec(db, k);
    bool ok = in(r.parent) && in(r.next);
    if (r.flags & ELM_CONT)
      ok = ok && in(r.cont.next);
    else if (r.kind == NOD)
      ok = ok && in(r.nod.child) && in(r.nod.attr);
    else if (elm_isstr(r.kind))
      ok = ok && in(elm_cont(r));
    EXPECT_TRUE(ok) << k;
  }
}

struct Pack : Store {
  WorkDir wd;
  void SetUp() override {
    Store::SetUp();
    quiet_hooks(wd.folder());
    dtb_packforce(PCK_AUTO);
    PackReport = 0;
  }
  void TearDown() override {
    dtb_packforce(PCK_AUTO);
    PackReport = 0;
    dbs_reset();
    Store::TearDown();
  }
  void erase(int32_t n) { dtb_ptr(0, n)->flags |= ELM_ERASED; }

  // Erased records, a cut text and a cut attribute, an empty node, nested groups
  // and the masked kinds.
  void fixture() {
    add(proto(PNT));
    erase(add(lin(0, 0, 1, 1)));
    add(arc(5, 0, 90));
    std::string t = bytes(70, 1); // three records, the third erased: cut to 60
    int32_t c = add(chr(t), t.c_str());
    erase(c + 2);
    int32_t empty = add(nod());
    ASSERT_EQ(grp_open(0, empty), 0);
    erase(add(proto(PNT)));
    ASSERT_EQ(grp_close(0), 0);
    int32_t a = add(nod());
    ASSERT_EQ(grp_open(0, a), 0);
    add(lin(2, 2, 3, 3));
    int32_t b = add(nod(8));
    ASSERT_EQ(grp_open(0, b), 0);
    std::string u = bytes(20, 2);
    add(chr(u), u.c_str());
    erase(add(proto(PNT)));
    add(proto(PNT));
    ASSERT_EQ(grp_close(0), 0);
    std::string v = bytes(100, 3); // an attribute of three records, the third erased: cut to 90
    ElementRecord at = proto(ATR);
    at.flags = 1;
    int32_t ar = add(at, v.c_str());
    erase(ar + 2);
    add(at, "second");
    ASSERT_EQ(grp_close(0), 0);
    add(proto(17));
    add(proto(24));
    add(proto(25));
    add(proto(18));
  }
};

TEST_F(Pack, ErasedRecordsGoAndTheOrderStays) {
  for (int i = 0; i < 6; ++i) {
    ElementRecord p = proto(PNT);
    p.pnt.x = i;
    add(p);
  }
  erase(2);
  erase(5);
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  ASSERT_EQ(ctl(0).count1, 4u);
  const double want[] = {0, 2, 3, 5};
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(+rec(0, k + 1).pnt.x, want[k]);
}

TEST_F(Pack, CutTextKeepsItsCopiedRecords) {
  std::string t = bytes(70);
  int32_t c = add(chr(t), t.c_str());
  erase(c + 2);
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  ASSERT_EQ(ctl(0).count1, 2u);
  ElementRecord r = rec(0, 1);
  EXPECT_EQ(+r.chr.count, 60);
  EXPECT_EQ(+r.chr.cont, 2);
  EXPECT_EQ(+rec(0, 2).cont.next, -1);
  char buf[100];
  ElementRecord out;
  EXPECT_EQ(elm_read(0, 1, &out, buf, sizeof buf), 0);
  EXPECT_EQ(std::string(buf), t.substr(0, 60));
}

TEST_F(Pack, NodeWithOnlyErasedMembersIsDropped) {
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  erase(add(proto(PNT)));
  erase(add(lin(0, 0, 1, 1)));
  ASSERT_EQ(grp_close(0), 0);
  add(proto(PNT));
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  EXPECT_EQ(ctl(0).count1, 1u);
  EXPECT_EQ(+rec(0, 1).kind, PNT);
}

TEST_F(Pack, SameResultUnderEveryStrategy) {
  std::vector<unsigned char> results[4];
  for (int s = PCK_OTHERDB; s <= PCK_WORKFILE; ++s) {
    db_start(10000, 500);
    fixture();
    dtb_packforce(s);
    ASSERT_EQ(dtb_pack(0), PCK_DONE) << s << " error " << dtb_packlast().code;
    EXPECT_EQ(dtb_packused(), s);
    results[s] = area1();
    expect_links_inside();
    EXPECT_FALSE(wd.exists("inkforge.pck"));
  }
  EXPECT_EQ(results[1], results[2]);
  EXPECT_EQ(results[1], results[3]);
  // What the fixture packs to: 1 PNT, ARC, CHR(2), node A, LIN, node B, CHR(2), PNT,
  // ATR(2), ATR, and the four masked records.
  EXPECT_EQ(ctl(0).count1, 17u);
  EXPECT_EQ(+rec(0, 3).chr.count, 60);
  ElementRecord a = rec(0, 5);
  ASSERT_EQ(a.kind, NOD);
  EXPECT_EQ(+a.nod.child, 6);
  EXPECT_EQ(+a.nod.attr, 11);
  EXPECT_EQ(+rec(0, 6).next, 7);
  ElementRecord b = rec(0, 7);
  EXPECT_EQ(+b.parent, 5);
  EXPECT_EQ(+b.nod.child, 8);
  EXPECT_EQ(+b.next, -1);
  EXPECT_EQ(+rec(0, 8).next, 10);
  EXPECT_EQ(+rec(0, 10).parent, 7);
  ElementRecord at = rec(0, 11);
  EXPECT_EQ(+at.atr.len, 90);
  EXPECT_EQ(+at.next, 13);
  EXPECT_EQ(+rec(0, 13).kind, ATR);
  const uint16_t masked[] = {17, 24, 25, 18};
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(+rec(0, 14 + k).kind, masked[k]);
}

TEST_F(Pack, MoreThanTenThousandRecords) {
  db_start(30000, 500);
  for (int i = 0; i < 12000; ++i)
    add(proto(PNT));
  for (int i = 1; i <= 12000; i += 10)
    erase(i);
  for (int s = PCK_OTHERDB; s <= PCK_WORKFILE; s += 2) {
    dtb_packforce(s);
    ASSERT_EQ(dtb_pack(0), PCK_DONE) << s;
    EXPECT_EQ(dtb_packused(), s);
    EXPECT_EQ(ctl(0).count1, 10800u);
  }
}

TEST_F(Pack, StrategyByFreeCapacity) {
  for (int i = 0; i < 4000; ++i)
    add(proto(PNT));
  app_setpendpath("C:\\seal\\a.ikf");
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  EXPECT_EQ(dtb_packused(), PCK_OTHERDB);
  EXPECT_STREQ(app_pendpath(), "C:\\seal\\a.ikf"); // freeing the other database keeps it
  app_setpendpath(nullptr);

  // The other drawing holds records in its work area only: still in use.
  add(proto(PNT), nullptr, ELM_AREA3, 1);
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  EXPECT_EQ(dtb_packused(), PCK_UPPERHALF);
  EXPECT_EQ(std::memcmp(dtb_ptr(0, 5001), dtb_ptr(0, 1), 80), 0);

  // Area 2 lies behind area 1: the upper half must leave room for it.
  for (int i = 0; i < 1001; ++i)
    add(proto(PNT), nullptr, ELM_AREA2);
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  EXPECT_EQ(dtb_packused(), PCK_WORKFILE);

  db_start(10000, 500);
  add(proto(PNT), nullptr, 0, 1);
  for (int i = 0; i < 6000; ++i)
    add(proto(PNT));
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  EXPECT_EQ(dtb_packused(), PCK_WORKFILE);
  EXPECT_EQ(ctl(0).count1, 6000u);
}

TEST_F(Pack, EscapeLeavesTheDrawingAsItWas) {
  for (int s = PCK_OTHERDB; s <= PCK_WORKFILE; ++s) {
    for (int at : {3, 100}) { // during the copy, during the copy-back
      db_start(10000, 500);
      fixture();
      auto before = area1();
      DbControl c = ctl(0);
      static int calls, when;
      calls = 0;
      when = at == 100 ? int(c.count1) + 1 : at;
      dbs_hooks().escape = [] { return ++calls >= when ? 27 : 0; };
      dtb_packforce(s);
      EXPECT_EQ(dtb_pack(0), PCK_ESCAPE) << s << " " << at;
      EXPECT_EQ(area1(), before);
      EXPECT_EQ(ctl(0).count1, c.count1);
      EXPECT_FALSE(wd.exists("inkforge.pck"));
      dbs_hooks().escape = [] { return 0; };
    }
  }
}

TEST_F(Pack, ShortReadOfTheWorkFileLeavesTheDrawingAsItWas) {
  fixture();
  auto before = area1();
  dbs_hooks().read = [](void *b, std::size_t s, std::size_t n, FILE *fp) -> std::size_t {
    return n > 1 ? std::fread(b, s, n - 1, fp) : std::fread(b, s, n, fp);
  };
  dtb_packforce(PCK_WORKFILE);
  EXPECT_EQ(dtb_pack(0), PCK_FAILED);
  EXPECT_EQ(dtb_packlast().code, 1203);
  EXPECT_EQ(shown(), std::vector<int>{-30042});
  EXPECT_EQ(area1(), before);
  EXPECT_FALSE(wd.exists("inkforge.pck"));
}

TEST_F(Pack, ShortWriteOfTheWorkFileFails) {
  fixture();
  auto before = area1();
  dbs_hooks().write = [](const void *, std::size_t, std::size_t, FILE *) -> std::size_t { return 0; };
  dtb_packforce(PCK_WORKFILE);
  EXPECT_EQ(dtb_pack(0), PCK_FAILED);
  EXPECT_EQ(dtb_packlast().code, 805);
  EXPECT_EQ(area1(), before);
  EXPECT_FALSE(wd.exists("inkforge.pck"));
}

TEST_F(Pack, WorkFileThatCannotBeCreated) {
  fixture();
  dbs_hooks().createheld = [](const char *) -> FILE * { return nullptr; };
  dtb_packforce(PCK_WORKFILE);
  EXPECT_EQ(dtb_pack(0), PCK_FAILED);
  EXPECT_EQ(shown(), std::vector<int>{-30041});
}

TEST_F(Pack, InvalidKindFailsAndIsReported) {
  add(proto(PNT));
  int32_t bad = add(proto(3));
  auto before = area1();
  static std::vector<int> line;
  line.clear();
  dbs_hooks().line = [](int n, int colour, int a, int b, int c) { line.insert(line.end(), {n, colour, a, b, c}); };
  PackReport = 1;
  EXPECT_EQ(dtb_pack(0), PCK_FAILED);
  EXPECT_EQ(dtb_packlast().code, 902);
  EXPECT_EQ(dtb_packlast().elm, bad);
  EXPECT_EQ(area1(), before);
  EXPECT_EQ(shown(), std::vector<int>{-30205});
  EXPECT_EQ(line, (std::vector<int>{0, 0, 0, 0, 0, 31905, 2, bad, 3, 902, 0, 0, 0, 0, 0}));
}

TEST_F(Pack, GroupsNestedDeeperThanFifteenFailCleanly) {
  // Written straight into the store: group levels stop at ten.
  const int deep = 17;
  for (int k = 1; k <= deep; ++k) {
    ElementRecord r = nod();
    r.depth = uint8_t(k - 1);
    r.parent = k == 1 ? -1 : k - 1;
    r.next = -1;
    r.nod.child = k + 1;
    r.nod.attr = -1;
    *dtb_ptr(0, k) = r;
  }
  ElementRecord p = proto(PNT);
  p.parent = deep;
  p.next = -1;
  *dtb_ptr(0, deep + 1) = p;
  DbControl c[2];
  dtb_ctrl('r', c);
  c[0].count1 = deep + 1;
  dtb_ctrl('w', c);
  auto before = area1();
  EXPECT_EQ(dtb_pack(0), PCK_FAILED);
  EXPECT_EQ(dtb_packlast().code, 301);
  EXPECT_EQ(area1(), before);

  // Fifteen levels pack.
  db_start(10000, 500);
  for (int k = 1; k <= 15; ++k) {
    ElementRecord r = nod();
    r.depth = uint8_t(k - 1);
    r.parent = k == 1 ? -1 : k - 1;
    r.next = -1;
    r.nod.child = k + 1;
    r.nod.attr = -1;
    *dtb_ptr(0, k) = r;
  }
  p.parent = 15;
  *dtb_ptr(0, 16) = p;
  dtb_ctrl('r', c);
  c[0].count1 = 16;
  dtb_ctrl('w', c);
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  EXPECT_EQ(ctl(0).count1, 16u);
}

TEST_F(Pack, CyclicMemberChainEnds) {
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  int32_t a = add(proto(PNT));
  int32_t b = add(proto(PNT));
  ASSERT_EQ(grp_close(0), 0);
  dtb_ptr(0, b)->next = a;
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  EXPECT_EQ(ctl(0).count1, 3u);
  expect_links_inside();
}

// Records written straight into area 1, as a damaged file would leave them.
void put_area1(const std::vector<ElementRecord> &recs) {
  for (std::size_t k = 0; k < recs.size(); ++k)
    *dtb_ptr(0, int32_t(k + 1)) = recs[k];
  DbControl c[2];
  dtb_ctrl('r', c);
  c[0].count1 = uint32_t(recs.size());
  dtb_ctrl('w', c);
}

// k group nodes, each the only member of the one before, each its own next
// sibling and the innermost its own member; then a point at top level.
std::vector<ElementRecord> selflinked_nodes(int k) {
  std::vector<ElementRecord> v;
  for (int i = 1; i <= k; ++i) {
    ElementRecord r = nod();
    r.depth = uint8_t(i - 1);
    r.parent = i == 1 ? -1 : i - 1;
    r.next = i == 1 ? -1 : i;
    r.nod.child = i < k ? i + 1 : i;
    r.nod.attr = -1;
    v.push_back(r);
  }
  ElementRecord p = proto(PNT);
  p.parent = p.next = -1;
  v.push_back(p);
  return v;
}

std::vector<ElementRecord> text_at(float angle) {
  ElementRecord t = chr("ab");
  t.parent = t.next = -1;
  t.chr.count = 2;
  t.chr.text[0] = 'a';
  t.chr.text[1] = 'b';
  t.chr.cont = -1;
  t.chr.angle = angle;
  ElementRecord p = proto(PNT);
  p.parent = p.next = -1;
  return {p, t};
}

std::vector<ElementRecord> cyclic_members() {
  ElementRecord g = nod();
  g.parent = g.next = -1;
  g.nod.child = 2;
  g.nod.attr = -1;
  ElementRecord a = proto(PNT), b = proto(PNT);
  a.parent = b.parent = 1;
  a.depth = b.depth = 1;
  a.next = 3;
  b.next = 2;
  return {g, a, b};
}

TEST_F(Pack, DamagedDrawings) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char *name;
    std::vector<ElementRecord> recs;
    int rc;
    uint32_t count; // records kept when packed
    int code;       // the error when not
    int32_t elm;
  } cases[] = {
      {"angle 1e10", text_at(1e10f), PCK_DONE, 2, 0, 0},
      {"angle -1e10", text_at(-1e10f), PCK_DONE, 2, 0, 0},
      {"angle inf", text_at(inf), PCK_FAILED, 0, 902, 2},
      {"angle -inf", text_at(-inf), PCK_FAILED, 0, 902, 2},
      {"angle NaN", text_at(std::numeric_limits<float>::quiet_NaN()), PCK_FAILED, 0, 902, 2},
      {"four self-linked nodes", selflinked_nodes(4), PCK_DONE, 1, 0, 0},
      {"six self-linked nodes", selflinked_nodes(6), PCK_DONE, 1, 0, 0},
      {"forty self-linked nodes", selflinked_nodes(40), PCK_FAILED, 0, 301, 16}, // deeper than the copy goes
      {"cyclic member chain", cyclic_members(), PCK_DONE, 3, 0, 0},
  };
  for (const auto &c : cases) {
    for (int s = PCK_OTHERDB; s <= PCK_WORKFILE; ++s) {
      db_start(10000, 500);
      put_area1(c.recs);
      auto before = area1();
      dtb_packforce(s);
      EXPECT_EQ(dtb_pack(0), c.rc) << c.name << " strategy " << s;
      if (c.rc == PCK_DONE) {
        EXPECT_EQ(ctl(0).count1, c.count) << c.name;
        expect_links_inside();
      } else {
        EXPECT_EQ(dtb_packlast().code, c.code) << c.name;
        EXPECT_EQ(dtb_packlast().elm, c.elm) << c.name;
        EXPECT_EQ(ctl(0).count1, c.recs.size()) << c.name;
        EXPECT_EQ(area1(), before) << c.name;
      }
      EXPECT_FALSE(wd.exists("inkforge.pck"));
    }
  }
}

TEST_F(Pack, TextAnglesComeIntoOneTurn) {
  struct Case {
    float in, out;
  } cases[] = {{725.5f, 5.5f},  {720, 360},   {360, 360}, {-360, -360}, {-720, -360},
               {-400, -40},     {1e10f, std::fmod(1e10f, 360.0f)}, {30, 30}};
  for (const auto &c : cases) {
    db_start(10000, 500);
    put_area1(text_at(c.in));
    ASSERT_EQ(dtb_pack(0), PCK_DONE) << c.in;
    EXPECT_EQ(rec(0, 2).chr.angle, c.out) << c.in;
  }
}

TEST_F(Pack, CommandDeletesTheWorkFileAndResetsTheJournal) {
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.undo = 1;
  sys_sysprm('W', &sb);
  ASSERT_EQ(und_open(0, wd.folder().c_str(), 200), 0);
  ASSERT_EQ(und_strt(0), 0);
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  erase(add(proto(PNT)));
  ASSERT_EQ(und_pend(0), 0);
  std::fclose(std::fopen(wd.file("TVKDPRM0.WOK").c_str(), "wb"));
  dwg_setstate(0, 0);
  EXPECT_EQ(dtb_packcmd(), PCK_FAILED);
  EXPECT_EQ(ctl(0).count1, 1u);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  EXPECT_FALSE(wd.exists("TVKDPRM0.WOK"));
  und_exec(0);
  EXPECT_EQ(shown(), std::vector<int>{30122});

  // Esc: the drawing stays, the work file and the journal go all the same.
  shown().clear();
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  erase(add(proto(PNT)));
  ASSERT_EQ(und_pend(0), 0);
  std::fclose(std::fopen(wd.file("TVKDPRM0.WOK").c_str(), "wb"));
  dbs_hooks().escape = [] { return 27; };
  EXPECT_EQ(dtb_packcmd(), PCK_FAILED);
  EXPECT_EQ(ctl(0).count1, 3u);
  EXPECT_FALSE(wd.exists("TVKDPRM0.WOK"));
  und_exec(0);
  EXPECT_EQ(shown(), std::vector<int>{30122});
  und_clos(0);
}

TEST(TextCheck, BlanksBracketsAndUnmatchedClosers) {
  struct Case {
    const char *in, *out;
    int rc;
  } cases[] = {{"", "", 1},
               {"  ", "  ", 2},
               {"[ ]", "[ ]", 2},
               {"]", "", 1},
               {"a]b", "ab", 0},
               {"[a]]", "[a]", 0},
               {"\x81\x40", "\x81\x40", 2},
               {"\x83"
                "]",
                "\x83"
                "]",
                0}}; // a trail byte that looks like a bracket
  for (const auto &c : cases) {
    char buf[32];
    std::strcpy(buf, c.in);
    EXPECT_EQ(txt_check(buf), c.rc) << c.in;
    EXPECT_STREQ(buf, c.out) << c.in;
  }
}

} // namespace

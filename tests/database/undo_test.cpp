#include "database/undo.h"

#include <cstring>
#include <functional>

#include "dbfixture.h"
#include "select/sellist.h"
#include "workdir.h"

namespace {

struct Snapshot {
  DbControl c;
  std::vector<unsigned char> bytes; // records 1 .. count1 + count2
  static Snapshot take(int db = 0) {
    Snapshot s;
    s.c = ctl(db);
    for (uint32_t k = 1; k <= s.c.count1 + s.c.count2; ++k) {
      const unsigned char *p = dtb_addr(db, int32_t(k));
      s.bytes.insert(s.bytes.end(), p, p + 80);
    }
    return s;
  }
  bool operator==(const Snapshot &o) const {
    return c.count1 == o.c.count1 && c.count2 == o.c.count2 && c.count3 == o.c.count3 && bytes == o.bytes;
  }
};

void set_undo(uint16_t on) {
  SystemBlock sb;
  sys_sysprm('R', &sb);
  sb.undo = on;
  sys_sysprm('W', &sb);
}

struct Journal : Store {
  WorkDir wd;
  void SetUp() override {
    Store::SetUp();
    quiet_hooks(wd.folder());
    set_undo(1);
    dwg_setstate(0, 0);
    dwg_setstate(1, 0);
    und_lock(0);
    ASSERT_EQ(und_open(0, wd.folder().c_str(), 200), 0);
    ASSERT_EQ(und_strt(0), 0);
  }
  void TearDown() override {
    und_clos(0);
    dbs_reset();
    Store::TearDown();
  }
  std::string jpath() const { return wd.file("ikfgundo.0ud"); }
  std::vector<unsigned char> jbytes() {
    if (UndJrn[0].fp)
      std::fflush(UndJrn[0].fp);
    return file_bytes(jpath());
  }
  UndoRecord jrec(uint32_t pos) {
    auto b = jbytes();
    UndoRecord r;
    std::memset(&r, 0, sizeof r);
    if (b.size() >= (pos + 1) * 92)
      std::memcpy(&r, b.data() + pos * 92, 92);
    return r;
  }
};

int32_t add(const ElementRecord &p, const char *s = nullptr) { return elm_add(0, 0, ELM_NODRAW, &p, s); }

TEST_F(Journal, HeaderRingSizeFromUndosize) {
  struct Case {
    int32_t n;
    uint32_t ring;
  } cases[] = {{100, 250}, {200, 250}, {1000, 1050}, {20000, 10050}, {-5, 250}};
  for (const auto &c : cases) {
    ASSERT_EQ(und_open(0, wd.folder().c_str(), c.n), 0) << c.n;
    auto b = jbytes();
    ASSERT_EQ(b.size(), 184u) << c.n; // header and the first boundary
    UndoJournalHeader h;
    std::memcpy(&h, b.data(), 92);
    EXPECT_EQ(h.ring, c.ring) << c.n;
    EXPECT_EQ(h.one, 1u);
    for (unsigned char z : h.zero)
      EXPECT_EQ(z, 0);
    UndoRecord r = jrec(1);
    EXPECT_EQ(r.op, 9u);
    EXPECT_EQ(r.elm, 0u);
    EXPECT_EQ(UndJrn[0].ring, c.ring);
  }
}

TEST_F(Journal, ExistingJournalOfTheRightSizeIsReused) {
  und_clos(0);
  ASSERT_EQ(und_stup1(0, wd.folder().c_str(), 1000), 0);
  // A record far into the ring shows whether the file was kept.
  {
    FILE *f = std::fopen(jpath().c_str(), "rb+");
    ASSERT_TRUE(f);
    UndoRecord r;
    std::memset(&r, 0, sizeof r);
    r.op = UND_ADD;
    r.elm = 77;
    std::fseek(f, 5 * 92, SEEK_SET);
    std::fwrite(&r, 92, 1, f);
    std::fclose(f);
  }
  ASSERT_EQ(und_open(0, wd.folder().c_str(), 1000), 0);
  EXPECT_EQ(jrec(5).elm, 77u);
  EXPECT_EQ(jbytes().size(), 6 * 92u);
  ASSERT_EQ(und_open(0, wd.folder().c_str(), 999), 0);
  auto b = jbytes();
  EXPECT_EQ(b.size(), 184u);
  UndoJournalHeader h;
  std::memcpy(&h, b.data(), 92);
  EXPECT_EQ(h.ring, 1049u);
}

TEST_F(Journal, EveryAddedRecordIsJournalledWithItsImage) {
  ASSERT_EQ(und_pend(0), 0);
  std::string s = bytes(70); // three records
  int32_t p = add(proto(PNT));
  int32_t t = add(chr(s), s.c_str());
  ASSERT_EQ(p, 1);
  ASSERT_EQ(t, 2);
  EXPECT_EQ(dwg_state(0) & 1, 1u);
  struct Want {
    uint32_t pos, op, elm;
  } want[] = {{2, 10, 1}, {3, 10, 2}, {4, 11, 3}, {5, 11, 4}};
  for (const auto &w : want) {
    UndoRecord r = jrec(w.pos);
    EXPECT_EQ(r.op, w.op) << w.pos;
    EXPECT_EQ(r.elm, w.elm) << w.pos;
    EXPECT_EQ(r.piece, 1u) << w.pos;
    EXPECT_EQ(std::memcmp(&r.image, dtb_ptr(0, int32_t(w.elm)), 80), 0) << w.pos;
  }
  EXPECT_EQ(jrec(6).op, 0u);
  // Undo of the text lowers count1 by three, of the point by one more.
  ASSERT_EQ(und_pend(0), 0);
  EXPECT_EQ(und_exec(0), UND_RESULT);
  EXPECT_EQ(ctl(0).count1, 0u);
  EXPECT_TRUE(shown().empty());
}

TEST_F(Journal, TwoPendsWriteOneBoundary) {
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  ASSERT_EQ(und_pend(0), 0);
  EXPECT_EQ(jrec(3).op, 9u);
  EXPECT_EQ(jrec(4).op, 0u);
  EXPECT_EQ(UndJrn[0].steps, 2);
}

// Three steps of one kind each, undone and redone, with the store compared byte
// for byte after every step.
void round_trip(const std::vector<std::function<void()>> &steps) {
  std::vector<Snapshot> snap{Snapshot::take()};
  for (const auto &step : steps) {
    ASSERT_EQ(und_pend(0), 0);
    step();
    snap.push_back(Snapshot::take());
  }
  ASSERT_EQ(und_pend(0), 0);
  for (std::size_t i = steps.size(); i-- > 0;) {
    und_exec(0);
    EXPECT_TRUE(Snapshot::take() == snap[i]) << "undo to " << i;
  }
  for (std::size_t i = 1; i <= steps.size(); ++i) {
    rdo_exec(0);
    EXPECT_TRUE(Snapshot::take() == snap[i]) << "redo to " << i;
  }
  EXPECT_TRUE(shown().empty());
  // Once more down and up: the journal holds the same images again.
  for (std::size_t i = steps.size(); i-- > 0;) {
    und_exec(0);
    EXPECT_TRUE(Snapshot::take() == snap[i]) << "second undo to " << i;
  }
  for (std::size_t i = 1; i <= steps.size(); ++i) {
    rdo_exec(0);
    EXPECT_TRUE(Snapshot::take() == snap[i]) << "second redo to " << i;
  }
}

TEST_F(Journal, AddsUndoneAndRedoneByteForByte) {
  round_trip({[] { add(lin(0, 0, 10, 10)); }, [] { add(arc(5, 0, 90)); },
              [] {
                std::string s = bytes(40);
                add(chr(s), s.c_str());
              }});
}

TEST_F(Journal, UpdatesAndDeletesUndoneAndRedoneByteForByte) {
  std::string s = bytes(20);
  int32_t a = add(lin(0, 0, 10, 10));
  int32_t t = add(chr(s), s.c_str());
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  add(proto(PNT));
  add(lin(1, 1, 2, 2));
  ASSERT_EQ(grp_close(0), 0);
  round_trip({[=] {
                ElementRecord p = lin(5, 5, 20, 30);
                ASSERT_EQ(elm_update(0, a, 0, ELM_NODRAW, &p, nullptr), 0);
              },
              [=] {
                // The longer text takes extra records at the end of the area.
                std::string l = bytes(150, 3);
                ElementRecord p = chr(l);
                ASSERT_EQ(elm_update(0, t, 0, ELM_NODRAW, &p, l.c_str()), 0);
              },
              [=] { ASSERT_EQ(elm_delete(0, g, ELM_NODRAW), 0); }});
}

TEST_F(Journal, TextInsideAGroupUndoneAndRedoneByteForByte) {
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  add(proto(PNT));
  round_trip({[] {
                std::string s = bytes(70); // a text of three records, linked behind the point
                add(chr(s), s.c_str());
              },
              [] { add(lin(3, 3, 4, 4)); },
              [] {
                std::string s = bytes(100, 9);
                add(chr(s), s.c_str());
              }});
}

TEST_F(Journal, NestedTextGroupsStayConsistentAfterUndo) {
  // Text nodes (subkind 8) nested in text nodes: the links added by a step name
  // records that undo takes away again, so they must go back too.
  int32_t outer = add(nod(8));
  ASSERT_EQ(grp_open(0, outer), 0);
  int32_t inner = add(nod(8));
  ASSERT_EQ(grp_open(0, inner), 0);
  std::string s = bytes(20);
  add(chr(s), s.c_str());
  Snapshot before = Snapshot::take();
  ASSERT_EQ(und_pend(0), 0);
  std::string s2 = bytes(30, 5);
  add(chr(s2), s2.c_str());
  ASSERT_EQ(grp_close(0), 0);
  int32_t inner2 = add(nod(8));
  ASSERT_EQ(grp_open(0, inner2), 0);
  add(chr(s), s.c_str());
  ASSERT_EQ(grp_close(0), 0);
  ASSERT_EQ(grp_close(0), 0);
  Snapshot after = Snapshot::take();
  ASSERT_EQ(und_pend(0), 0);
  und_exec(0);
  EXPECT_TRUE(Snapshot::take() == before);
  // Every link of the store names a record inside area 1.
  const uint32_t n = ctl(0).count1;
  for (uint32_t k = 1; k <= n; ++k) {
    ElementRecord r = rec(0, int32_t(k));
    EXPECT_TRUE(r.next < 1 || uint32_t(r.next) <= n) << k;
    if (r.kind == NOD) {
      EXPECT_TRUE(r.nod.child < 1 || uint32_t(r.nod.child) <= n) << k;
      EXPECT_TRUE(r.nod.attr < 1 || uint32_t(r.nod.attr) <= n) << k;
    }
  }
  rdo_exec(0);
  EXPECT_TRUE(Snapshot::take() == after);
}

TEST_F(Journal, FiftiethUndoAfterSixtyStepsSaysNothingToUndo) {
  for (int i = 0; i < 60; ++i) {
    ASSERT_EQ(und_pend(0), 0);
    add(proto(PNT));
  }
  ASSERT_EQ(und_pend(0), 0);
  EXPECT_EQ(UndJrn[0].steps, UND_STACK);
  for (int i = 0; i < 49; ++i)
    und_exec(0);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(ctl(0).count1, 11u);
  und_exec(0);
  EXPECT_EQ(shown(), std::vector<int>{30122});
  EXPECT_EQ(ctl(0).count1, 11u);
}

TEST_F(Journal, OversizedStepEmptiesTheJournalUntilTheNextPend) {
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  int two = 0;
  for (int i = 0; i < 260; ++i) {
    ElementRecord p = proto(PNT);
    int rc = und_writ(0, UND_ADD, 100 + i, 1, &p);
    if (rc == 2)
      ++two;
    if (i < 248) {
      ASSERT_EQ(rc, 0) << i; // R - 2 records fit behind the two boundaries
    }
  }
  EXPECT_EQ(two, 1);
  EXPECT_EQ(und_isrec(0), 0);
  und_exec(0);
  EXPECT_EQ(shown(), std::vector<int>{30122});
  // The next step records again.
  ASSERT_EQ(und_pend(0), 0);
  EXPECT_EQ(und_isrec(0), 1);
  add(proto(PNT));
  EXPECT_EQ(jrec(2).op, 10u);
}

TEST_F(Journal, RingWrapsAndDropsTheStepsItOverwrites) {
  // 250 records: steps of 40 records go round the ring several times.
  for (int s = 0; s < 20; ++s) {
    ASSERT_EQ(und_pend(0), 0);
    for (int i = 0; i < 40; ++i)
      add(proto(PNT));
  }
  ASSERT_EQ(und_pend(0), 0);
  const uint32_t n = ctl(0).count1;
  int undone = 0;
  while (shown().empty() && undone < 20) {
    und_exec(0);
    ++undone;
  }
  // Six steps of 41 records (and the boundary before the oldest) fit in a ring of 250.
  EXPECT_EQ(undone - 1, 6);
  EXPECT_EQ(ctl(0).count1, n - 40 * 6);
  for (int i = 0; i < 6; ++i)
    rdo_exec(0);
  EXPECT_EQ(ctl(0).count1, n);
}

TEST_F(Journal, RedoAfterANewChangeSaysNothingToRedo) {
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  und_exec(0);
  ASSERT_EQ(und_pend(0), 0);
  add(proto(LIN));
  rdo_exec(0);
  EXPECT_EQ(shown(), std::vector<int>{30127});
}

TEST_F(Journal, LockAndOtherDatabase) {
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  EXPECT_EQ(und_lock(2), -1);
  EXPECT_EQ(und_lock(1), 0);
  EXPECT_EQ(und_lock(-1), 1);
  EXPECT_EQ(und_exec(0), UND_RESULT);
  EXPECT_EQ(rdo_exec(0), UND_RESULT);
  EXPECT_EQ((shown()), (std::vector<int>{-30128, -30129}));
  EXPECT_EQ(ctl(0).count1, 1u);
  und_lock(0);
  shown().clear();
  EXPECT_EQ(und_exec(1), UND_RESULT);
  EXPECT_EQ(ctl(0).count1, 1u);
  EXPECT_EQ(und_pend(1), 1);
  ElementRecord p = proto(PNT);
  EXPECT_EQ(und_writ(1, UND_ADD, 1, 1, &p), 1);
  EXPECT_EQ(dwg_state(1) & 1, 1u);
}

TEST_F(Journal, UndoTakesUndoneElementsOutOfTheSelection) {
  ASSERT_EQ(und_pend(0), 0);
  int32_t a = add(proto(PNT));
  int32_t b = add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  uint32_t entries[8] = {7, uint32_t(b) | SEL_PARTIAL, uint32_t(a), 9};
  SelectionListRec saved = SelectionList;
  SelectionList = {entries, 7, 4, 0};
  und_exec(0);
  EXPECT_EQ(SelectionList.count, 2);
  EXPECT_EQ(entries[0], 7u);
  EXPECT_EQ(entries[1], 9u);
  // A list of the other drawing is left alone.
  SelectionList = {entries, 7, 2, 1};
  rdo_exec(0);
  EXPECT_EQ(SelectionList.count, 2);
  SelectionList = saved;
}

TEST_F(Journal, LoadedAreaIsJournalledWholeAndUndoneToEmpty) {
  // A file read writes its records with recording off; then the whole area is one step.
  ASSERT_EQ(und_stop(0), 0);
  std::string s = bytes(100);
  add(proto(PNT));
  add(chr(s), s.c_str());
  int32_t e = add(lin(0, 0, 1, 1));
  elm_delete(0, e, ELM_NODRAW);
  EXPECT_EQ(jrec(2).op, 0u);
  ASSERT_EQ(und_strt(0), 0);
  ASSERT_EQ(und_pend(0), 0);
  ASSERT_EQ(und_wrarea(0), 0);
  Snapshot loaded = Snapshot::take();
  ASSERT_EQ(und_pend(0), 0);
  und_exec(0);
  EXPECT_EQ(ctl(0).count1, 0u);
  rdo_exec(0);
  EXPECT_TRUE(Snapshot::take() == loaded);
}

TEST_F(Journal, ResetEmptiesTheJournal) {
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  EXPECT_EQ(und_rset(0), 0);
  und_exec(0);
  EXPECT_EQ(shown(), std::vector<int>{30122});
  EXPECT_EQ(ctl(0).count1, 1u);
  EXPECT_EQ(jrec(1).op, 9u);
}

TEST_F(Journal, FullDiskSwitchesTheJournalOffAndDeletesIt) {
  ASSERT_EQ(und_pend(0), 0);
  DbSysHooks &h = dbs_hooks();
  h.write = [](const void *, std::size_t, std::size_t, FILE *) -> std::size_t { return 0; };
  h.freespace = [](const char *) -> uint32_t { return 10; };
  int32_t n = add(proto(PNT)); // the add itself never fails on the journal
  EXPECT_EQ(n, 1);
  EXPECT_EQ(shown(), std::vector<int>{30130});
  EXPECT_FALSE(UndJrn[0].open);
  EXPECT_EQ(UndJrn[0].fp, nullptr);
  EXPECT_FALSE(wd.exists("ikfgundo.0ud"));
  ElementRecord p = proto(PNT);
  EXPECT_EQ(und_writ(0, UND_ADD, 2, 1, &p), 1);
  EXPECT_EQ(und_pend(0), 1);
}

TEST_F(Journal, FailedWriteWithSpaceLeftKeepsTheJournal) {
  ASSERT_EQ(und_pend(0), 0);
  DbSysHooks &h = dbs_hooks();
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  static int fails;
  fails = 1;
  h.write = [](const void *b, std::size_t s, std::size_t n, FILE *fp) -> std::size_t {
    return fails-- > 0 ? 0 : std::fwrite(b, s, n, fp);
  };
  h.freespace = [](const char *) -> uint32_t { return 0x7fffffff; };
  std::fflush(UndJrn[0].fp); // the next write reaches the hook at once
  ElementRecord p = proto(PNT);
  EXPECT_EQ(und_writ(0, UND_ADD, 3, 1, &p), 9);
  EXPECT_EQ(shown(), std::vector<int>{30131});
  EXPECT_TRUE(UndJrn[0].open);
  EXPECT_TRUE(wd.exists("ikfgundo.0ud"));
  // The step lost a record: nothing before it can be undone, and the next step records again.
  EXPECT_EQ(und_isrec(0), 0);
  und_exec(0);
  EXPECT_EQ((shown()), (std::vector<int>{30131, 30122}));
  EXPECT_EQ(ctl(0).count1, 2u);
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  und_exec(0);
  EXPECT_EQ(ctl(0).count1, 2u);
}

TEST_F(Journal, RedoBringsBackTheJournalledRecordsNotAPreviewInTheirSlots) {
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  std::string s = bytes(70, 4); // a text of three records, linked behind the point
  add(chr(s), s.c_str());
  add(lin(1, 2, 3, 4));
  ASSERT_EQ(grp_close(0), 0);
  ASSERT_EQ(und_pend(0), 0);
  Snapshot before = Snapshot::take();
  und_exec(0);
  ASSERT_EQ(ctl(0).count1, 2u);
  // A preview in area 2 over the slots the undo gave up, then declined.
  for (int i = 0; i < 4; ++i) {
    ElementRecord p = lin(i, 0, i + 5, 5);
    ASSERT_EQ(elm_add(0, ELM_AREA2, ELM_NODRAW, &p, nullptr), 3 + i);
  }
  DbControl c[2];
  dtb_ctrl('r', c);
  c[0].count2 = 0;
  ASSERT_EQ(dtb_ctrl('w', c), 0);
  rdo_exec(0);
  EXPECT_TRUE(Snapshot::take() == before);
  EXPECT_TRUE(shown().empty());
}

TEST_F(Journal, FailedBoundaryWriteNeverJoinsTwoCommands) {
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  DbSysHooks &h = dbs_hooks();
  static int fails;
  fails = 1;
  h.write = [](const void *b, std::size_t s, std::size_t n, FILE *fp) -> std::size_t {
    return fails-- > 0 ? 0 : std::fwrite(b, s, n, fp);
  };
  h.freespace = [](const char *) -> uint32_t { return 0x7fffffff; };
  EXPECT_EQ(und_pend(0), 9);
  EXPECT_EQ(shown(), std::vector<int>{30131});
  EXPECT_TRUE(UndJrn[0].open);
  // The next command is a step of its own: one undo reverts it only.
  add(proto(LIN));
  ASSERT_EQ(und_pend(0), 0);
  und_exec(0);
  EXPECT_EQ(ctl(0).count1, 2u);
  EXPECT_EQ(shown(), std::vector<int>{30131});
  rdo_exec(0);
  EXPECT_EQ(ctl(0).count1, 3u);
  // What came before the failure can no longer be undone.
  und_exec(0);
  und_exec(0);
  EXPECT_EQ(ctl(0).count1, 2u);
  EXPECT_EQ((shown()), (std::vector<int>{30131, 30122}));
}

TEST_F(Journal, BoundaryLostAndTheResetFailingToo) {
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  dbs_hooks().write = [](const void *, std::size_t, std::size_t, FILE *) -> std::size_t { return 0; };
  dbs_hooks().freespace = [](const char *) -> uint32_t { return 0x7fffffff; };
  EXPECT_EQ(und_pend(0), 9);
  // Given up: nothing is journalled or undone from here on, and the file is gone.
  EXPECT_FALSE(UndJrn[0].open);
  EXPECT_FALSE(wd.exists("ikfgundo.0ud"));
  add(proto(PNT));
  und_exec(0);
  EXPECT_EQ(ctl(0).count1, 2u);
}

TEST_F(Journal, JournalHeldElsewhereIsLeftAloneAndUndoIsOff) {
  und_clos(0);
  ASSERT_EQ(und_open(0, wd.folder().c_str(), 300), 0);
  ASSERT_EQ(und_strt(0), 0);
  ASSERT_EQ(und_pend(0), 0);
  add(proto(PNT));
  std::fflush(UndJrn[0].fp);
  // A second open while the first holds it is refused.
  bool inuse = false;
  FILE *second = dbs_hooks().openheld(jpath().c_str(), &inuse);
  EXPECT_EQ(second, nullptr);
  EXPECT_TRUE(inuse);
  if (second)
    std::fclose(second);

  // Another holder: this start-up runs without undo and says so, and the file stays.
  UndoJournal mine = UndJrn[0];
  UndJrn[0].fp = nullptr;
  UndJrn[0].open = false;
  auto before = file_bytes(jpath());
  sys_pathset(4, wd.folder().c_str());
  EXPECT_EQ(und_init(), 9);
  EXPECT_EQ(shown(), std::vector<int>{-1});
  EXPECT_FALSE(UndJrn[0].enabled);
  ElementRecord p = proto(PNT);
  EXPECT_EQ(und_writ(0, UND_ADD, 1, 1, &p), 1);
  und_clos(0);
  EXPECT_EQ(file_bytes(jpath()), before);
  UndJrn[0] = mine;
  und_clos(0);
  EXPECT_FALSE(wd.exists("ikfgundo.0ud"));
}

TEST_F(Journal, SwitchedOffByTheSettingNothingIsJournalled) {
  und_clos(0);
  set_undo(0);
  EXPECT_EQ(und_open(0, wd.folder().c_str(), 200), 0);
  EXPECT_EQ(und_strt(0), 1);
  EXPECT_FALSE(wd.exists("ikfgundo.0ud"));
  set_undo(1);
}

TEST(UndoRing, Arithmetic) {
  EXPECT_EQ(und_next(250, 250), 1u);
  EXPECT_EQ(und_next(1, 250), 2u);
  EXPECT_EQ(und_prev(1, 250), 250u);
  EXPECT_EQ(und_prev(7, 250), 6u);
  char p[262];
  und_path(0, "C:\\work", p);
  EXPECT_STREQ(p, "C:\\work\\ikfgundo.0ud");
  und_path(1, "C:\\work\\", p);
  EXPECT_STREQ(p, "C:\\work\\ikfgundo.1ud");
}

} // namespace

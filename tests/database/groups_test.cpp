#include "database/pack.h"
#include "dbfixture.h"

namespace {

int32_t add(const ElementRecord &p, const char *s = nullptr) { return elm_add(0, 0, ELM_NODRAW, &p, s); }

uint32_t level() { return GrpStack[0].level; }

} // namespace

TEST_F(Store, MembersJoinTheOpenNode) {
  int32_t g = add(nod(4));
  ASSERT_EQ(grp_open(0, g), 0);
  int32_t m1 = add(lin(0, 0, 1, 1));
  int32_t a1 = add(proto(ATR), "first");
  int32_t m2 = add(nod(8));
  int32_t a2 = add(proto(ATR), "second");
  ASSERT_EQ(grp_open(0, m2), 0);
  int32_t inner = add(arc(2, 0, 45));
  EXPECT_EQ(grp_close(0), 0);
  EXPECT_EQ(grp_close(0), 0);
  EXPECT_EQ(grp_close(0), 2);
  int32_t top = add(lin(0, 0, 2, 2));

  ElementRecord n = rec(0, g);
  EXPECT_EQ(+n.nod.child, m1);
  EXPECT_EQ(+n.nod.attr, a1);
  EXPECT_EQ(rec(0, m1).next, m2);
  EXPECT_EQ(rec(0, m2).next, -1);
  EXPECT_EQ(rec(0, a1).next, a2);
  for (int32_t m : {m1, a1, m2, a2}) {
    ElementRecord r = rec(0, m);
    EXPECT_EQ(r.parent, g);
    EXPECT_EQ(+r.depth, 1);
    EXPECT_EQ(+r.encsub, 4);
  }
  EXPECT_EQ(+rec(0, m2).subkind, 8);
  ElementRecord r = rec(0, inner);
  EXPECT_EQ(r.parent, m2);
  EXPECT_EQ(+r.depth, 2);
  EXPECT_EQ(+r.encsub, 8);
  EXPECT_EQ(+rec(0, m2).nod.child, inner);
  EXPECT_EQ(rec(0, top).parent, -1);
  EXPECT_EQ(rec(0, m2).next, -1);

  // Opening the node again appends behind its last member and attribute.
  ASSERT_EQ(grp_open(0, g), 0);
  int32_t m3 = add(proto(PNT));
  int32_t a3 = add(proto(ATR), "");
  grp_close(0);
  EXPECT_EQ(rec(0, m2).next, m3);
  EXPECT_EQ(rec(0, a2).next, a3);
}

TEST_F(Store, OpenResults) {
  int32_t g = add(nod());
  int32_t l = add(lin(0, 0, 1, 1));
  int32_t e = add(nod());
  elm_delete(0, e, ELM_NODRAW);
  int32_t deep = add(nod());
  dtb_ptr(0, deep)->depth = 10;
  struct Case {
    int db;
    int32_t n;
    int rc;
  } cases[] = {{2, g, 1}, {0, 0, 9}, {0, 10501, 9}, {0, l, 3}, {0, e, 3}, {0, deep, 2}, {0, g, 0}};
  for (const auto &c : cases) {
    EXPECT_EQ(grp_open(c.db, c.n), c.rc) << c.n;
    EXPECT_EQ(level(), c.rc ? 0u : 1u);
  }
  EXPECT_EQ(grp_close(2), 1);
  EXPECT_EQ(grp_reset(2), 1);
}

TEST_F(Store, TenLevelsAtMost) {
  for (int i = 0; i < 10; ++i) {
    int32_t g = add(nod());
    ASSERT_EQ(grp_open(0, g), 0) << i;
    EXPECT_EQ(+rec(0, g).depth, i);
  }
  EXPECT_EQ(level(), 10u);
  int32_t g = add(nod()); // depth 10: it exists, but cannot be opened
  EXPECT_EQ(+rec(0, g).depth, 10);
  EXPECT_EQ(grp_open(0, g), 2);
  EXPECT_EQ(level(), 10u);
  dtb_ptr(0, g)->depth = 0;
  EXPECT_EQ(grp_open(0, g), 2); // the eleventh level
  EXPECT_EQ(level(), 10u);
  EXPECT_EQ(grp_reset(0), 0);
  EXPECT_EQ(level(), 0u);
}

TEST_F(Store, DamagedChainsLeaveTheLevelsAsTheyWere) {
  int32_t outer = add(nod());
  ASSERT_EQ(grp_open(0, outer), 0);
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  int32_t m1 = add(lin(0, 0, 1, 1));
  int32_t m2 = add(lin(0, 0, 1, 2));
  int32_t a1 = add(proto(ATR), "a");
  grp_close(0);
  ASSERT_EQ(level(), 1u);
  struct Case {
    int32_t *field;
    int32_t value;
    int rc;
  } cases[] = {
      {&dtb_ptr(0, m2)->next, 20000, 4},                                    // a member beyond the total
      {&dtb_ptr(0, m2)->next, m1, 4},                                       // cyclic member chain
      {&dtb_ptr(0, m2)->next, m2, 4},    {&dtb_ptr(0, a1)->next, a1, 5},    // cyclic attribute chain
      {&dtb_ptr(0, a1)->next, 99999, 5}, {&dtb_ptr(0, g)->nod.child, 0, 0}, // below 1: no member
  };
  for (const auto &c : cases) {
    int32_t keep = *c.field;
    *c.field = c.value;
    EXPECT_EQ(grp_open(0, g), c.rc) << c.value;
    EXPECT_EQ(level(), c.rc ? 1u : 2u);
    if (!c.rc)
      grp_close(0);
    *c.field = keep;
  }
  EXPECT_EQ(grp_tail(0, m1), a1 - 1);
  dtb_ptr(0, m2)->next = m1;
  EXPECT_EQ(grp_tail(0, m1), -8);
  dtb_ptr(0, m2)->next = 30000;
  EXPECT_EQ(grp_tail(0, m1), -9);
}

TEST_F(Store, TextRootIsTheOutermostTextNode) {
  int32_t top = add(nod(1));
  ASSERT_EQ(grp_open(0, top), 0);
  int32_t text = add(nod(8));
  ASSERT_EQ(grp_open(0, text), 0);
  int32_t part = add(nod(8));
  ASSERT_EQ(grp_open(0, part), 0);
  int32_t stroke = add(lin(0, 0, 1, 1));
  grp_reset(0);
  int32_t root = -5;
  EXPECT_EQ(elm_txtroot(0, dtb_ptr(0, stroke), &root), 0);
  EXPECT_EQ(root, text);
  EXPECT_EQ(elm_txtroot(0, dtb_ptr(0, top), &root), 0);
  EXPECT_EQ(root, 0);
  int32_t loose = add(lin(0, 0, 1, 1));
  EXPECT_EQ(elm_txtroot(0, dtb_ptr(0, loose), &root), 0);
  EXPECT_EQ(root, 0);
  // A parent cycle from a damaged file ends with an error.
  dtb_ptr(0, part)->parent = part;
  dtb_ptr(0, part)->encsub = 8;
  EXPECT_EQ(elm_txtroot(0, dtb_ptr(0, stroke), &root), 1);
  dtb_ptr(0, part)->parent = 20000;
  EXPECT_EQ(elm_txtroot(0, dtb_ptr(0, stroke), &root), 1);
}

namespace {

std::vector<unsigned char> used_bytes() {
  std::vector<unsigned char> v;
  for (uint32_t k = 1; k < dtb_end2(0); ++k) {
    const unsigned char *p = dtb_addr(0, int32_t(k));
    v.insert(v.end(), p, p + 80);
  }
  return v;
}

} // namespace

TEST_F(Store, TenLevelTreeIsDeletedWhole) {
  std::vector<int32_t> tree;
  int32_t top = 0;
  for (int i = 0; i < GRP_LEVELS; ++i) {
    int32_t g = add(nod());
    if (!top)
      top = g;
    tree.push_back(g);
    ASSERT_EQ(grp_open(0, g), 0) << i;
    tree.push_back(add(proto(PNT)));
  }
  // The tenth level: a node there exists but holds nothing; a member follows it.
  int32_t last = add(nod());
  tree.push_back(last);
  EXPECT_EQ(+rec(0, last).depth, GRP_LEVELS);
  tree.push_back(add(lin(0, 0, 1, 1)));
  tree.push_back(add(proto(ATR), "tenth"));

  // An eleventh level is refused with nothing changed.
  auto before = used_bytes();
  EXPECT_EQ(grp_open(0, last), 2);
  EXPECT_EQ(level(), uint32_t(GRP_LEVELS));
  EXPECT_EQ(used_bytes(), before);
  grp_reset(0);
  int32_t outside = add(proto(PNT));

  EXPECT_EQ(elm_delete(0, top, ELM_NODRAW), 0);
  for (int32_t n : tree)
    EXPECT_TRUE(rec(0, n).flags & ELM_ERASED) << n;
  EXPECT_FALSE(rec(0, outside).flags & ELM_ERASED);
}

TEST_F(Store, TreeDeeperThanTheLevelsIsRefusedWhole) {
  int32_t top = 0, last = 0;
  for (int i = 0; i < GRP_LEVELS; ++i) {
    int32_t g = add(nod());
    top = top ? top : g;
    ASSERT_EQ(grp_open(0, g), 0);
    add(proto(PNT));
  }
  last = add(nod());
  int32_t after = add(proto(PNT));
  grp_reset(0);
  // A damaged file gives the tenth-level node a member: an eleventh level.
  ElementRecord m = proto(PNT);
  m.parent = last;
  m.depth = GRP_LEVELS + 1;
  m.next = -1;
  int32_t deep = add(m);
  dtb_ptr(0, deep)->parent = last;
  dtb_ptr(0, last)->nod.child = deep;
  auto before = used_bytes();
  EXPECT_EQ(elm_delete(0, top, ELM_NODRAW), 15 | 1 << 4);
  EXPECT_EQ(used_bytes(), before);
  EXPECT_FALSE(rec(0, after).flags & ELM_ERASED);
}

TEST_F(Store, SecondOpenOfANodeIsRefused) {
  int32_t g = add(nod());
  ASSERT_EQ(grp_open(0, g), 0);
  int32_t a = add(proto(PNT));
  int32_t inner = add(nod());
  ASSERT_EQ(grp_open(0, inner), 0);
  auto before = used_bytes();
  GroupStack levels = GrpStack[0];
  EXPECT_EQ(grp_open(0, g), 6);
  EXPECT_EQ(grp_open(0, inner), 6);
  EXPECT_EQ(used_bytes(), before);
  EXPECT_EQ(std::memcmp(&levels, &GrpStack[0], sizeof levels), 0);
  ASSERT_EQ(grp_close(0), 0);
  int32_t b = add(proto(PNT));
  ASSERT_EQ(grp_close(0), 0);
  EXPECT_EQ(rec(0, a).next, inner);
  EXPECT_EQ(rec(0, inner).next, b);
  // Nothing reachable is lost by a pack: the inner node is empty and goes.
  EXPECT_EQ(dtb_pack(0), PCK_DONE);
  EXPECT_EQ(ctl(0).count1, 3u);
  EXPECT_EQ(+rec(0, 1).nod.child, 2);
  EXPECT_EQ(rec(0, 2).next, 3);
}

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

// The selection list and the second id list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "pickfix.h"
#include "select/selmask.h"
#include "select/sellist.h"

namespace {

struct SelList : PickTest {
  void TearDown() override {
    sel_blockalloc = std::malloc;
    sel_free();
    fnc_free();
    PickTest::TearDown();
  }
  static std::vector<uint32_t> entries() {
    return {SelectionList.entries, SelectionList.entries + SelectionList.count};
  }
};

TEST_F(SelList, SizesFollowTheRequestAndTheDatabase) {
  sel_alloc(0);
  EXPECT_EQ(SelectionList.capacity, 100);
  EXPECT_EQ(SelectionList.count, 0);
  EXPECT_EQ(SelectionList.entries[0], SEL_END);
  sel_alloc(20000); // more than a list holds
  EXPECT_EQ(SelectionList.capacity, 100);
  DbCtl[0].max12 = DbCtl[1].max12 = 5000;
  sel_alloc(10000);
  EXPECT_EQ(SelectionList.capacity, 5000);
  SelectionList.entries[5000] = 7; // the block has capacity + 1 words
  sel_alloc(300);
  EXPECT_EQ(SelectionList.capacity, 300);
  EXPECT_EQ(ElmFilter.kind, 0x7FFFu);
  EXPECT_EQ(ElmFilter.subkind, 0xFF);
  fnc_alloc(10000);
  EXPECT_EQ(FenceIdList.capacity, 5000);
  EXPECT_EQ(FenceIdList.entries[0], SEL_END);
}

TEST_F(SelList, ShortMemoryHalvesTheRequestDownToTheStaticList) {
  static int refusals;
  refusals = 2;
  sel_blockalloc = [](std::size_t n) { return refusals-- > 0 ? nullptr : std::malloc(n); };
  sel_alloc(1000);
  EXPECT_EQ(SelectionList.capacity, 250);
  sel_blockalloc = [](std::size_t) -> void * { return nullptr; };
  sel_alloc(1000);
  EXPECT_EQ(SelectionList.capacity, 100);
  EXPECT_EQ(SelectionList.entries[0], SEL_END);
}

TEST_F(SelList, ToggleStoresFillsHolesAndRefusesWhenFull) {
  sel_alloc(0);
  for (uint32_t i = 1; i <= 99; ++i)
    ASSERT_EQ(sel_toggle(i), 0) << i;
  EXPECT_EQ(sel_toggle(100), -1);
  EXPECT_EQ(SelectionList.count, 99);
  EXPECT_EQ(sel_toggle(50), 1);
  EXPECT_EQ(SelectionList.entries[49], SEL_HOLE);
  EXPECT_EQ(SelectionList.count, 99);
  EXPECT_EQ(sel_toggle(100), 0); // into the hole
  EXPECT_EQ(SelectionList.entries[49], 100u);
}

// An element listed with its partial flag is the same element: picking it again
// removes it instead of listing it twice.
TEST_F(SelList, PartialFlagNamesTheSameElement) {
  sel_alloc(100);
  sel_toggle(7 | SEL_PARTIAL);
  EXPECT_EQ(sel_notin(7), 0);
  EXPECT_EQ(sel_notin(8), 1);
  EXPECT_EQ(sel_toggle(7), 1);
  EXPECT_EQ(sel_notin(7), 1);
  sel_toggle(7);
  EXPECT_EQ(sel_toggle(7 | SEL_PARTIAL), 1);
}

TEST_F(SelList, SqueezeOfAFullListKeepsTheEndMarkInsideTheBlock) {
  sel_free(); // the static block
  for (int i = 0; i < 100; ++i)
    SelectionList.entries[i] = uint32_t(i + 1);
  SelectionList.count = 100;
  EXPECT_EQ(sel_squeeze(), 100);
  EXPECT_EQ(SelectionList.entries[100], SEL_END);
  SelectionList.entries[3] = SEL_HOLE;
  EXPECT_EQ(sel_squeeze(), 99);
  EXPECT_EQ(SelectionList.entries[3], 5u);
  EXPECT_EQ(SelectionList.entries[99], SEL_END);
}

TEST_F(SelList, CountCoversTextsAndGroupMembersOnce) {
  const int32_t a = line(0, 0, 10, 10);
  const int32_t t = text("ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJ", 5, 5, 3); // one continuation record
  const int32_t g = group(2);
  grp_open(0, g);
  const int32_t m1 = line(1, 1, 2, 2);
  line(3, 3, 4, 4);
  grp_close(0);
  sel_alloc(100);
  for (uint32_t e : {uint32_t(a), uint32_t(t), uint32_t(g), uint32_t(m1), uint32_t(a) | SEL_PARTIAL})
    SelectionList.entries[SelectionList.count++] = e;
  uint32_t n = 0;
  sel_count(0, 0, &n);
  EXPECT_EQ(n, 6u); // a, the text and its continuation, the node and its two members
  sel_count(1, 0, &n);
  EXPECT_EQ(n, 5u);
  // A member ring made by hand is walked once.
  at(m1)->next = m1;
  sel_count(1, 0, &n);
  EXPECT_EQ(n, 4u);
  sel_free();
  sel_count(0, 0, &n);
  EXPECT_EQ(n, 0u);
}

TEST_F(SelList, GroupMemberProposesItsNode) {
  const int32_t g = group(1);
  at(g)->nod.data[0] = 1100 & 0xFF;
  at(g)->nod.data[1] = 1100 >> 8;
  grp_open(0, g);
  const int32_t m1 = line(1, 1, 2, 2);
  const int32_t m2 = line(3, 3, 4, 4);
  grp_close(0);
  const int32_t other = line(5, 5, 6, 6);
  sel_alloc(100);
  uint32_t ids[3] = {uint32_t(m2), uint32_t(other), uint32_t(m1)};
  EXPECT_EQ(sel_grpmem(0, uint32_t(m1), ids, 3), g);
  EXPECT_EQ(ids[0], SEL_HOLE);
  EXPECT_EQ(ids[1], uint32_t(other));
  EXPECT_EQ(ids[2], SEL_HOLE);
  EXPECT_EQ(SelectionList.count, 0);
  // Selected members are struck and the node enters instead.
  sel_toggle(uint32_t(m1));
  sel_toggle(uint32_t(m2));
  EXPECT_EQ(sel_grpmem(0, uint32_t(m1), nullptr, 0), g);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{uint32_t(-g), SEL_HOLE}));
  EXPECT_EQ(sel_grpmem(0, uint32_t(other), nullptr, 0), 0);
}

} // namespace

namespace {

struct FenceCollect : SelList {
  static bool taken(int32_t n) {
    for (int32_t i = 0; i < FenceIdList.count; ++i)
      if (FenceIdList.entries[i] == uint32_t(n))
        return true;
    return false;
  }
};

// A U-shaped fence: elements within it, across its gap, and touching its line.
TEST_F(FenceCollect, ConcaveFenceTakesWhatHasAPartInside) {
  const double u[16] = {0, 0, 30, 0, 30, 20, 20, 20, 20, 5, 10, 5, 10, 20, 0, 20};
  const int32_t in = line(2, 2, 28, 2);
  const int32_t across = line(5, 10, 25, 10); // leaves and re-enters
  const int32_t gap = line(12, 10, 18, 10);   // wholly in the gap
  const int32_t touch = line(10, 12, 10, 18); // lies on the gap's side
  fnc_alloc(100);
  EXPECT_EQ(fnc_collect(8, u, 0, 0, 0), 2);
  EXPECT_TRUE(taken(in));
  EXPECT_TRUE(taken(across));
  EXPECT_FALSE(taken(gap));
  EXPECT_FALSE(taken(touch));
  fnc_modeon();
  fnc_collect(8, u, 0, 0, 0);
  EXPECT_TRUE(taken(touch));
  fnc_modeoff();
  fnc_strict(1); // lines and arcs of small figures are passed over
  EXPECT_EQ(fnc_collect(8, u, 0, 0, 0), 0);
  fnc_strict(0);
  EXPECT_EQ(fnc_collect(8, u, 2, 0, 0), 0);
  EXPECT_EQ(FenceIdList.count, 0);
}

} // namespace

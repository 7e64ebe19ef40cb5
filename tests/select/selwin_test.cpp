// Window and fence walks over a drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pickfix.h"
#include "select/sellist.h"
#include "select/selwin.h"

namespace {

struct SelWalk : PickTest {
  void SetUp() override {
    PickTest::SetUp();
    sel_alloc(100);
    ElmFilter = {0x7FFF, 0xFFFF, 0xFFFF, 0xFF};
  }
  void TearDown() override {
    sel_free();
    PickTest::TearDown();
  }
  static std::vector<uint32_t> entries() {
    return {SelectionList.entries, SelectionList.entries + SelectionList.count};
  }
};

TEST_F(SelWalk, LineEndingOnTheWindowEdgeIsInside) {
  const int32_t a = line(10, 10, 50, 50);
  line(10, 10, 60, 50); // leaves the window
  sel_winmode(0, 0x3, 0, 0, 50, 50);
  EXPECT_EQ(sel_window(0), 1);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{uint32_t(a)}));
  EXPECT_EQ(SelectionList.drawing, 0);
  EXPECT_EQ(world().shown.back(), (Shown{0, a, 14}));
}

TEST_F(SelWalk, PartialTakesCrossingLinesWithTheirMark) {
  const int32_t a = line(10, 10, 40, 40);
  const int32_t b = line(10, 10, 80, 40);
  line(100, 100, 120, 120);
  sel_winmode(0, 0x3 | 0x8, 0, 0, 50, 50);
  sel_window(0);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{uint32_t(a), uint32_t(b) | SEL_PARTIAL}));
}

TEST_F(SelWalk, OutsideRelationTakesWhatLiesOutside) {
  line(10, 10, 40, 40);
  const int32_t b = line(100, 100, 120, 120);
  sel_winmode(0, 0x5, 0, 0, 50, 50);
  sel_window(0);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{uint32_t(b)}));
}

// The list [3, 7, 12] need not be sorted for a toggling window to find 7.
TEST_F(SelWalk, ToggleStrikesListedElementsAndAppendsOthers) {
  for (int i = 1; i <= 12; ++i) // only 7 and 9 inside the window
    ASSERT_EQ(i == 7 || i == 9 ? line(10 + i, 10, 20 + i, 20) : line(100 + i, 100, 101 + i, 101), i);
  for (uint32_t e : {12u, 3u, 7u})
    SelectionList.entries[SelectionList.count++] = e;
  sel_winmode(0, 0x3 | (1u << 12), 0, 0, 50, 50);
  sel_window(0);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{12u, 3u, SEL_HOLE, 9u}));
  EXPECT_NE(std::find(world().shown.begin(), world().shown.end(), Shown{0, 7, -1}), world().shown.end());
}

// A single pick that listed an element with its partial flag: a second, toggling
// window over it strikes it rather than listing it again.
TEST_F(SelWalk, SecondWindowAfterAPartialPickLeavesNoDuplicate) {
  const int32_t a = line(10, 10, 20, 20);
  sel_toggle(uint32_t(a) | SEL_PARTIAL);
  sel_winmode(0, 0x3 | (1u << 12), 0, 0, 50, 50);
  sel_window(0);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{SEL_HOLE}));
}

TEST_F(SelWalk, FullListSqueezesHolesOrStops) {
  for (int i = 0; i < 150; ++i)
    line(1 + i * 0.1, 1, 2 + i * 0.1, 2);
  for (int i = 0; i < 98; ++i)
    SelectionList.entries[SelectionList.count++] = uint32_t(1000 + i);
  SelectionList.entries[5] = SelectionList.entries[9] = SEL_HOLE;
  sel_winmode(0, 0x3, 0, 0, 50, 50);
  EXPECT_EQ(sel_window(0), 100); // 96 kept, then 4 more: full again with no hole
  EXPECT_EQ(SelectionList.entries[100], SEL_END);
  for (int32_t i = 0; i < SelectionList.count; ++i)
    EXPECT_NE(SelectionList.entries[i], SEL_HOLE);
}

TEST_F(SelWalk, WholeSheetWithoutRelationTakesEveryShownElement) {
  const int32_t a = line(10, 10, 40, 40);
  const int32_t b = arc(100, 100, 20, 0, 360);
  const int32_t c = point(150, 150);
  uint16_t cur = 0, states[64];
  sys_layer('r', 0, &cur, states);
  ElementRecord r = proto(LIN, 5);
  r.lin = LinBody{1, 1, 2, 2, 0x11, {}};
  states[5] = 1; // a layer not shown
  sys_layer('w', 0, &cur, states);
  add(r);
  sel_winmode(0, 0x0, 0, 0, 0, 0);
  sel_window(0);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{uint32_t(a), uint32_t(b), uint32_t(c)}));
}

TEST_F(SelWalk, FigureGroupWithOneMemberOutsideGivesNone) {
  ElmFilter.kind = 0x7FFF | NOD;
  const int32_t g = group(1);
  at(g)->nod.data[0] = 1100 & 0xFF;
  at(g)->nod.data[1] = 1100 >> 8;
  grp_open(0, g);
  line(10, 10, 20, 20);
  line(10, 10, 90, 20); // outside
  grp_close(0);
  const int32_t b = line(30, 30, 40, 40);
  sel_winmode(0, 0x3, 0, 0, 50, 50);
  sel_window(0);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{uint32_t(b)}));
}

// A member whose next link leads back to itself: the member walk ends within the
// drawing's record count and the group is not taken.
TEST_F(SelWalk, MemberRingEndsTheGroupTest) {
  ElmFilter.kind = 0x7FFF | NOD;
  const int32_t g = group(2);
  grp_open(0, g);
  const int32_t m = line(10, 10, 20, 20);
  grp_close(0);
  at(m)->next = m;
  sel_winmode(0, 0x3, 0, 0, 50, 50);
  sel_window(0);
  EXPECT_EQ(sel_notin(g), 1);
}

// Nodes from a crafted file that contain themselves, or nest far deeper than group
// levels go, in a store of 30,000 records: the walk returns (the member test used to
// recurse once per record until the stack was gone) and takes none of them.
TEST_F(SelWalk, SelfContainingOrEndlesslyNestedGroupsEndTheWalk) {
  ElmFilter.kind = 0x7FFF | NOD;
  enum Shape { Self, Pair, Chain };
  for (Shape shape : {Self, Pair, Chain}) {
    db_start(30000, 500);
    SelectionList.count = 0;
    const int32_t inside = line(10, 10, 20, 20);
    std::vector<int32_t> nodes;
    const int n = shape == Self ? 1 : shape == Pair ? 2 : 29000;
    for (int i = 0; i < n; ++i)
      nodes.push_back(group(2));
    int32_t outside = 0;
    while (dtb_used(0) < 29990)
      outside = line(100, 100, 110, 110);
    for (int i = 0; i < n; ++i) // each node's first member is the next, the last's the first
      at(nodes[i])->nod.child = nodes[(i + 1) % n];
    if (shape == Chain)
      at(nodes.back())->nod.child = outside; // no ring: nesting 29,000 deep
    sel_winmode(0, 0x3, 0, 0, 50, 50);
    sel_window(0);
    EXPECT_EQ(entries(), (std::vector<uint32_t>{uint32_t(inside)})) << shape;
  }
}

TEST_F(SelWalk, FenceTakesWhatLiesWithinThePolygon) {
  const double u[16] = {0, 0, 30, 0, 30, 20, 20, 20, 20, 5, 10, 5, 10, 20, 0, 20};
  const int32_t a = line(2, 2, 28, 2);
  line(5, 10, 25, 10); // leaves through the gap
  const int32_t c = point(25, 15);
  point(15, 15); // in the gap
  sel_winmode(0, 0x3, 0, 0, 0, 0);
  sel_fence(8, u, 0);
  EXPECT_EQ(entries(), (std::vector<uint32_t>{uint32_t(a), uint32_t(c)}));
  EXPECT_EQ(SelWindow.given, 1);
}

TEST_F(SelWalk, SecondVariantTakesElementsCuttingTheSides) {
  line(10, 10, 40, 40);
  const int32_t b = line(-10, 30, 80, 30); // both ends outside
  sel_winmode(0, 0x3 | 0x8, 0, 0, 50, 50);
  sel_window(0);
  EXPECT_EQ(SelectionList.count, 1);
  sel_winmode(0, 0x3 | 0x8 | (2u << 12), 0, 0, 50, 50);
  sel_window2(0);
  EXPECT_EQ(SelectionList.entries[SelectionList.count - 1], uint32_t(b));
}

} // namespace

#include "select/selfence.h"

namespace {

TEST(FenceEdge, FuzzyCompare) {
  EXPECT_EQ(sel_fuzcmp(1.0, 1.005), 0);
  EXPECT_EQ(sel_fuzcmp(1.0, 1.02), -1);
  EXPECT_EQ(sel_fuzcmp(1.02, 1.0), 1);
}

TEST(FenceEdge, CrossingsOfANewEdge) {
  const double v[8] = {0, 0, 10, 0, 10, 10, 0, 10};
  const double p[2] = {5, -5}, q[2] = {5, 5};
  EXPECT_EQ(sel_fencex(4, p, q, v), 1);
  const double onv[2] = {10, 0}, from[2] = {20, -5};
  EXPECT_EQ(sel_fencex(4, from, onv, v), 0); // ends on an earlier vertex
  const double a[2] = {-5, 5}, b[2] = {-1, 5};
  const double c[2] = {-5, 5}, e[2] = {5, 5};
  EXPECT_EQ(sel_fencex(4, a, b, v), 0);
  EXPECT_EQ(sel_fencex(4, c, e, v), 0); // crosses only the closing edge (0, 10)-(0, 0)
}

TEST_F(SelWalk, FenceEdgeLineGoesToTheWorkArea) {
  EXPECT_EQ(sel_fenceln(-1, 0, 0, 1, 1), -1);
  const int32_t n = sel_fenceln(0, 0, 0, 10, 10);
  ASSERT_GT(n, 0);
  EXPECT_GE(uint32_t(n), DbCtl[0].base3);
  EXPECT_EQ(at(n)->kind, LIN);
  EXPECT_EQ((at(n)->lin.attr >> 4) & 15, 1);
  EXPECT_EQ(at(n)->lin.attr & 0x3F00, 0);
}

} // namespace

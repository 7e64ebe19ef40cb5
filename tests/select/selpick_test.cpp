// The selection driver and its single picking, driven by scripted clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "pickfix.h"
#include "select/selpick.h"
#include "select/sellist.h"
#include "select/selwin.h"

namespace {

struct SelPick : PickTest {
  int32_t dwg = -2, count = -1;
  double c[4] = {};
  void SetUp() override {
    PickTest::SetUp();
    sel_alloc(1000);
  }
  void TearDown() override {
    sel_free();
    PickTest::TearDown();
  }
  int run(uint32_t mode = 0x2) { return sel_pick(1023, mode, &dwg, &count, c); }
  static std::vector<uint32_t> list() {
    return {SelectionList.entries, SelectionList.entries + SelectionList.count};
  }
  static void expect_closed() {
    for (int32_t i = 0; i < SelectionList.count; ++i)
      EXPECT_NE(SelectionList.entries[i], SEL_HOLE) << i;
    EXPECT_EQ(SelectionList.entries[SelectionList.count], SEL_END);
  }
  static void click(int code, double x = 0, double y = 0) { world().clicks.push_back({code, x, y}); }
  // Node numbers 1 and 2 would read as a hole and an end mark once negated.
  static int32_t figure(double x, double y, bool first = false) {
    while (!first && DbCtl[0].count1 < 2)
      line(180, 180, 190, 190);
    const int32_t g = group(1);
    at(g)->nod.data[0] = 1100 & 0xFF;
    at(g)->nod.data[1] = 1100 >> 8;
    grp_open(0, g);
    line(x, y, x + 10, y);
    line(x, y + 5, x + 10, y + 5);
    grp_close(0);
    return g;
  }
};

TEST_F(SelPick, EscAtTheFirstCornerEndsEmpty) {
  line(10, 10, 20, 20);
  click(27);
  EXPECT_EQ(run(), 27);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(dwg, 0); // where the Esc came from
  EXPECT_EQ(SelectionList.entries[0], SEL_END);
  EXPECT_EQ(world().prompts.front(), 1001);
}

TEST_F(SelPick, WindowThenSinglePicksThenEnd) {
  const int32_t a = line(10, 10, 20, 20);
  const int32_t b = line(100, 100, 120, 100);
  line(150, 150, 160, 160);
  click(500, 0, 0);
  click(500, 50, 50);
  click(500, 110, 100); // picks b
  click(500, 15, 15);   // picks a again: removed
  click(501);           // ends the picking
  EXPECT_EQ(run(), 500);
  EXPECT_EQ(list(), (std::vector<uint32_t>{uint32_t(b)}));
  EXPECT_EQ(count, 1);
  expect_closed();
  double w[4];
  sel_winget(w);
  EXPECT_EQ(w[2], 50);
  EXPECT_NE(std::find(world().shown.begin(), world().shown.end(), Shown{0, a, -1}), world().shown.end());
}

TEST_F(SelPick, TabAtTheSecondCornerTakesTheWholeSheet) {
  const int32_t a = line(10, 10, 20, 20);
  const int32_t b = line(150, 150, 190, 190);
  click(500, 0, 0);
  click(9);
  click(800);
  EXPECT_EQ(run(), 800);
  EXPECT_EQ(list(), (std::vector<uint32_t>{uint32_t(a), uint32_t(b)}));
  expect_closed();
  double w[4];
  sel_winget(w);
  EXPECT_EQ(w[0], -1e16);
  EXPECT_EQ(w[3], 1e16);
}

TEST_F(SelPick, RightClickAtTheSecondCornerGoesBack) {
  click(500, 0, 0);
  click(501);
  click(27);
  run(0x102);
  EXPECT_EQ(world().prompts, (std::vector<int>{1301, 1002, 1301}));
}

TEST_F(SelPick, SecondWindowTogglesWithoutDuplicates) {
  line(10, 10, 20, 20); // a: taken by the first window, struck by the second
  const int32_t b = line(60, 60, 70, 70);
  click(500, 0, 0);
  click(500, 50, 50); // a
  click(32);          // another window
  click(500, 0, 0);
  click(500, 100, 100); // a again (struck) and b
  click(27);
  EXPECT_EQ(run(), 27);
  EXPECT_EQ(list(), (std::vector<uint32_t>{uint32_t(b)}));
  expect_closed();
}

TEST_F(SelPick, OneWindowOnlyRefusesAnother) {
  click(500, 0, 0);
  click(500, 50, 50);
  click(32);
  click(27);
  EXPECT_EQ(run(0x402), 27);
  EXPECT_EQ(world().errors, (std::vector<int>{30223}));
}

TEST_F(SelPick, EscWithRestartBitStartsAgain) {
  line(10, 10, 20, 20);
  const int32_t b = line(60, 60, 70, 70);
  click(500, 0, 0);
  click(500, 50, 50);
  click(27); // clears the selection and starts again
  click(500, 55, 55);
  click(500, 100, 100);
  click(501);
  EXPECT_EQ(run(0x4002), 500);
  EXPECT_EQ(list(), (std::vector<uint32_t>{uint32_t(b)}));
}

// Members are picked as themselves (no climbing to the node), then proposed as
// their figure.
TEST_F(SelPick, PickedMemberTogglesItsWholeGroup) {
  ElmFilter.kind = 0xFFFF;
  const int32_t g = figure(100, 100);
  click(500, 0, 0);
  click(500, 1, 1);      // a window that selects nothing
  click(500, 105, 100); // a member: its figure is proposed
  click(501);
  EXPECT_EQ(run(), 500);
  EXPECT_EQ(list(), (std::vector<uint32_t>{uint32_t(g + 1), uint32_t(g + 2)}));
  expect_closed();
}

TEST_F(SelPick, PickedMemberOfASelectedGroupDeselectsIt) {
  ElmFilter.kind = 0xFFFF;
  const int32_t g = figure(10, 10);
  const int32_t other = line(30, 30, 40, 40);
  click(500, 0, 0);
  click(500, 50, 50);   // the members and the other line
  click(500, 15, 10);   // a member: the whole figure goes
  click(501);
  EXPECT_EQ(run(0x2 | 0x8), 500);
  EXPECT_EQ(list(), (std::vector<uint32_t>{uint32_t(other)}));
  EXPECT_NE(std::find(world().shown.begin(), world().shown.end(), Shown{0, g, -1}), world().shown.end());
}

// The first element of a drawing as a figure: its negated number would be a hole.
TEST_F(SelPick, FigureWithTheFirstNodeNumberIsSelectedAndDeselected) {
  ElmFilter.kind = 0xFFFF;
  const int32_t g = figure(100, 100, true);
  ASSERT_EQ(g, 1);
  click(500, 0, 0);
  click(500, 1, 1);
  click(500, 105, 100);
  click(501);
  EXPECT_EQ(run(), 500);
  EXPECT_EQ(list(), (std::vector<uint32_t>{2u, 3u}));
  click(500, 0, 0);
  click(500, 1, 1);
  click(500, 105, 100);
  click(500, 105, 100);
  click(501);
  EXPECT_EQ(run(), 500);
  EXPECT_EQ(SelectionList.count, 0);
  expect_closed();
}

TEST_F(SelPick, PartialModeFlagsPicksAcrossTheWindow) {
  // A window of no height walks nothing but still bounds the picks.
  const int32_t a = line(40, 0, 80, 0);
  click(500, 0, 0);
  click(500, 50, 0);
  click(500, 60, 0);
  click(501);
  run(0x2 | 0x8);
  EXPECT_EQ(list(), (std::vector<uint32_t>{uint32_t(a) | SEL_PARTIAL}));
}

TEST_F(SelPick, RefusedCandidatesLeaveTheSelection) {
  line(10, 10, 20, 10);
  line(10, 10.5, 20, 10.5);
  click(500, 0, 0);
  click(500, 1, 1);
  click(500, 15, 10.2);
  click(501);
  world().answers = {'n', 'N'};
  EXPECT_EQ(run(), 500);
  EXPECT_EQ(SelectionList.count, 0);
  EXPECT_EQ(world().questions.size(), 2u);
}

} // namespace

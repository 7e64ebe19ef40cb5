// The erase commands run through the pump: the selection with its question, single
// picks and the crossing line.
#include "cmdharness.h"

#include "commands/erasecmd.h"
#include "database/groups.h"
#include "select/near.h"
#include "select/picklist.h"
#include "select/sellist.h"

using namespace cmdtest;

namespace {

class Erase : public CommandTest {
protected:
  static void expect_restored(const char *what) {
    EXPECT_EQ(PickHoverOff, 1u) << what;
    EXPECT_EQ(PickTextParts, 0u) << what;
    EXPECT_EQ(PickList.variant, 0) << what;
    EXPECT_EQ(PickList.entries, nullptr) << what;
  }
};

TEST_F(Erase, SelectionAnswers) {
  struct Case {
    int answer;
    bool erased;
  } cases[] = {{'Y', true},  {'y', true}, {13, true},   {500, true},  {'N', false},
               {'n', false}, {27, false}, {501, false}, {700, false}, {-2, false}};
  for (const Case &c : cases) {
    stop();
    start(2000);
    figures();
    asked().answers = {c.answer};
    EXPECT_EQ(run(100, window_then({end()})), 800) << c.answer;
    EXPECT_EQ(asked().texts.size(), 1u) << c.answer;
    EXPECT_EQ(records(0).size(), c.erased ? 1u : 3u) << c.answer;
    EXPECT_EQ(SelectionList.capacity, SEL_STATICCAP) << c.answer; // freed
    if (c.erased) {
      und_exec(0); // one undo step brings both back
      EXPECT_EQ(records(0).size(), 3u) << c.answer;
    }
  }
}

TEST_F(Erase, EndAtTheQuestionKeepsEverything) {
  figures();
  asked().answers = {800};
  EXPECT_EQ(run(100, window_then({})), 800);
  EXPECT_EQ(records(0).size(), 3u);
  EXPECT_EQ(SelectionList.capacity, SEL_STATICCAP);
}

TEST_F(Erase, APickErasesAtOnce) {
  figures();
  EXPECT_EQ(run(101, {click(35, 10), end()}), 800);
  EXPECT_TRUE(asked().texts.empty());
  const auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].lin.x1, -10);
  EXPECT_EQ(r[1].lin.x1, 0);
  und_exec(0);
  EXPECT_EQ(records(0).size(), 3u);
  expect_restored("800");
}

TEST_F(Erase, ACrossingLineErasesWhatItCrosses) {
  figures();
  // Empty space starts the line; the same point is asked again; the line from (-5, -15)
  // to (5, 15) crosses both lines near the middle.
  EXPECT_EQ(run(101, {click(-5, -15), click(-5, -15), move(0, 0), move(5, 15), click(5, 15), esc()}), 27);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].lin.x1, 30);
  und_exec(0);
  EXPECT_EQ(records(0).size(), 3u);
  expect_restored("27");
}

TEST_F(Erase, EveryWayOutPutsThePickStateBack) {
  struct Case {
    const char *what;
    std::vector<Ev> in;
    int result;
  } cases[] = {
      {"800 at the pick", {end()}, 800},
      {"Esc at the pick", {esc()}, 27},
      {"800 on the crossing line", {click(-5, -15), end()}, 800},
      {"Esc on the crossing line", {click(-5, -15), esc()}, 27},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    figures();
    EXPECT_EQ(run(101, c.in), c.result) << c.what;
    EXPECT_EQ(records(0).size(), 3u) << c.what;
    expect_restored(c.what);
  }
}

TEST_F(Erase, AGroupGoesWithItsMembers) {
  add(lin_rec(30, 10, 40, 10, 0x11, 1)); // outside the window; node numbers 1 and 2 read as list marks
  add(lin_rec(30, 15, 40, 15, 0x11, 1));
  ElementRecord node;
  std::memset(&node, 0, sizeof node);
  node.kind = NOD;
  node.subkind = 1;
  node.nod.data[0] = 1100 & 0xFF;
  node.nod.data[1] = 1100 >> 8;
  const int32_t g = add(node);
  ASSERT_GE(g, 3);
  ASSERT_EQ(grp_open(0, g), 0);
  add(lin_rec(-10, 0, 10, 0, 0x11, 1));
  add(lin_rec(-10, 5, 10, 5, 0x11, 1));
  grp_close(0);
  ASSERT_EQ(records(0).size(), 5u);
  asked().answers = {'Y'};
  EXPECT_EQ(run(100, window_then({end()})), 800);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].lin.y1, 10);
  EXPECT_EQ(r[1].lin.y1, 15);
  und_exec(0);
  EXPECT_EQ(records(0).size(), 5u);
}

TEST_F(Erase, AFailedDeleteStopsThePickList) {
  const int32_t a = add(lin_rec(-10, 0, 10, 0, 0x11, 1));
  const int32_t b = add(lin_rec(-10, 5, 10, 5, 0x11, 1));
  ASSERT_EQ(pck_alloc(400), 0);
  PickList.entries[0] = a;
  PickList.entries[1] = 99999; // no such element
  PickList.entries[2] = b;
  PickList.count = 3;
  EXPECT_NE(cm_erasepl(0), 0);
  pck_free();
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].lin.y1, 5);
}

} // namespace

// Erasing and moving a selection through the pump.
#include "cmdharness.h"

#include "commands/movecmd.h"
#include "select/sellist.h"

using namespace cmdtest;

namespace {

class MoveSel : public CommandTest {};

TEST_F(MoveSel, EraseSelectionAnswers) {
  struct Case {
    int answer;
    bool erased;
  } cases[] = {{'Y', true}, {13, true}, {'N', false}, {27, false}, {501, false}, {-2, false}};
  for (const Case &c : cases) {
    stop();
    start(2000);
    figures();
    asked().answers = {c.answer};
    EXPECT_EQ(run(116, window_then({end()})), 800) << c.answer;
    EXPECT_EQ(asked().texts.size(), 1u) << c.answer;
    EXPECT_EQ(records(0).size(), c.erased ? 1u : 3u) << c.answer;
    EXPECT_EQ(SelectionList.capacity, SEL_STATICCAP) << c.answer;
    if (c.erased) {
      und_exec(0);
      EXPECT_EQ(records(0).size(), 3u) << c.answer;
    }
  }
}

TEST_F(MoveSel, MoveByTargetMinusBase) {
  for (int n : {120, 130}) {
    stop();
    start(2000);
    figures();
    EXPECT_EQ(run(n, window_then({click(1, 1), click(6, -2), end()})), 800) << n;
    const auto r = records(0);
    ASSERT_EQ(r.size(), 3u) << n;
    EXPECT_DOUBLE_EQ(r[0].lin.x1, -5) << n;
    EXPECT_DOUBLE_EQ(r[0].lin.y1, -3) << n;
    EXPECT_DOUBLE_EQ(r[1].lin.y2, 2) << n;
    EXPECT_DOUBLE_EQ(r[2].lin.x1, 30) << n;
    EXPECT_TRUE(asked().texts.empty()) << n;
    und_exec(0); // one undo step puts it back
    EXPECT_DOUBLE_EQ(records(0)[0].lin.x1, -10) << n;
  }
}

TEST_F(MoveSel, EscAtTheBasePointKeepsEverything) {
  figures();
  EXPECT_EQ(run(120, window_then({esc(), esc()})), 27);
  EXPECT_DOUBLE_EQ(records(0)[0].lin.x1, -10);
  EXPECT_EQ(SelectionList.capacity, SEL_STATICCAP);
}

} // namespace

// Erasing and moving a selection through the pump.
#include "../cmdharness.h"

#include "commands/edit/movecmd.h"
#include "database/groups.h"
#include "select/filter.h"
#include "select/sellist.h"
#include "shell/units/ledit.h"
#include "../typist.h"

using namespace cmdtest;

namespace {

class MoveSel : public CommandTest {
protected:
  int type(int n, std::vector<Ev> points, std::vector<const char *> lines) {
    Typist t(std::move(lines));
    const int r = run(n, std::move(points));
    EXPECT_TRUE(t.done()) << "command " << n << " left typed lines unread";
    return r;
  }
  // The x of each line's start, in store order.
  static std::vector<double> starts(int db) {
    std::vector<double> v;
    for (const ElementRecord &r : records(db))
      v.push_back(r.lin.x1);
    return v;
  }
};

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

TEST_F(MoveSel, MoveIntoTheOtherDrawingIsOneUndoStepInEach) {
  journal1();
  figures();
  ElementRecord before = lin_rec(-40, 20, -30, 20, 0x11, 1);
  und_pend(1);
  ASSERT_GE(elm_add(1, 0, -1, &before, nullptr), 1); // the destination's previous step
  EXPECT_EQ(run(120, window_then({click(0, 0), click(5, 0, 0, 1), end()})), 800);
  ASSERT_EQ(records(0).size(), 1u);
  ASSERT_EQ(records(1).size(), 3u);
  EXPECT_DOUBLE_EQ(records(1)[1].lin.x1, -5);
  und_exec(1);
  ASSERT_EQ(records(1).size(), 1u); // the earlier line stays
  EXPECT_DOUBLE_EQ(records(1)[0].lin.x1, -40);
  und_exec(0);
  EXPECT_EQ(records(0).size(), 3u);
}

TEST_F(MoveSel, MirrorAcrossAPickedLine) {
  figures();
  add(lin_rec(25, -20, 25, 20, 0x11, 1)); // the axis, outside the window
  EXPECT_EQ(run(123, window_then({click(25, 3), end()})), 800);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_DOUBLE_EQ(r[0].lin.x1, 60);
  EXPECT_DOUBLE_EQ(r[0].lin.x2, 40);
  EXPECT_DOUBLE_EQ(r[1].lin.x1, 50);
  EXPECT_DOUBLE_EQ(r[1].lin.y2, 5);
  EXPECT_DOUBLE_EQ(r[3].lin.x1, 25); // the axis unchanged
  EXPECT_DOUBLE_EQ(r[3].lin.y1, -20);
  und_exec(0);
  EXPECT_DOUBLE_EQ(records(0)[0].lin.x1, -10);
}

// A right click at the axis pick asks for two points; a second point on the first is
// asked again.
TEST_F(MoveSel, MirrorAcrossTwoPoints) {
  figures();
  EXPECT_EQ(run(123, window_then({rclick(), click(5, -10), click(5, -10), click(5, 10), end()})), 800);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_DOUBLE_EQ(r[0].lin.x1, 20);
  EXPECT_DOUBLE_EQ(r[0].lin.x2, 0);
  EXPECT_DOUBLE_EQ(r[1].lin.x1, 10);
  EXPECT_DOUBLE_EQ(r[2].lin.x1, 30); // outside the selection
  EXPECT_EQ(TempMarkList.count, 0u);
}

TEST_F(MoveSel, MirrorTwoPointsBackAndEsc) {
  figures();
  // 501 at point 2 asks point 1 again; Esc there ends the command and changes nothing.
  EXPECT_EQ(run(123, window_then({rclick(), click(5, -10), rclick(), esc()})), 27);
  EXPECT_EQ(starts(0), (std::vector<double>{-10, 0, 30}));
  EXPECT_EQ(SelectionList.capacity, SEL_STATICCAP);
  EXPECT_EQ(ElmFilter.kind, FLT_ALLKINDS); // the next selection is not held to lines
}

// Count 3 places copies at one, two and three times the displacement; then another target.
TEST_F(MoveSel, CopyCountThenAnotherTarget) {
  figures();
  EXPECT_EQ(type(140, window_then({click(0, 0), click(10, 0), click(0, 20), end()}), {"3", "1"}), 800);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 11u);
  EXPECT_EQ(starts(0), (std::vector<double>{-10, 0, 30, 0, 10, 10, 20, 20, 30, -10, 0}));
  EXPECT_DOUBLE_EQ(r[9].lin.y1, 20);
  und_exec(0); // the second target's copy
  EXPECT_EQ(records(0).size(), 9u);
}

TEST_F(MoveSel, CopyCountAnswers) {
  struct Case {
    std::vector<const char *> lines;
    size_t copies;
  } cases[] = {{{"0"}, 1}, {{"-128"}, 1}, {{"-5", "2"}, 2}, {{"-5", "-128"}, 1}, {{"10001", "2"}, 2}};
  for (const Case &c : cases) {
    stop();
    start(2000);
    figures();
    EXPECT_EQ(type(140, window_then({click(0, 0), click(10, 0), end()}), c.lines), 800) << c.lines[0];
    EXPECT_EQ(records(0).size(), 3 + 2 * c.copies) << c.lines[0];
  }
}

TEST_F(MoveSel, CopyIntoTheOtherDrawingAsksNoCount) {
  journal1();
  figures();
  EXPECT_EQ(type(140, window_then({click(0, 0), click(0, 10, 0, 1), end()}), {}), 800);
  EXPECT_EQ(records(0).size(), 3u);
  const auto r = records(1);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_DOUBLE_EQ(r[0].lin.y1, 10);
  EXPECT_DOUBLE_EQ(r[1].lin.y1, 5);
  und_exec(1);
  EXPECT_EQ(records(1).size(), 0u);
}

TEST_F(MoveSel, CopyEscAtTheTargetEnds) {
  figures();
  EXPECT_EQ(run(140, window_then({click(0, 0), esc()})), 27);
  EXPECT_EQ(records(0).size(), 3u);
  EXPECT_EQ(TempMarkList.count, 0u);
}

// A compound text of two lines; a window that holds one of them, then a click on it.
// 120 finds the part and takes the text it belongs to; 130 finds nothing there.
TEST_F(MoveSel, OnlyCommand120FindsCompoundTextParts) {
  for (int n : {120, 130}) {
    stop();
    start(2000);
    ElementRecord node;
    std::memset(&node, 0, sizeof node);
    node.kind = NOD;
    node.subkind = 8;
    const int32_t g = add(node);
    ASSERT_EQ(grp_open(0, g), 0);
    add(lin_rec(-10, 0, 10, 0, 0x11, 1));
    add(lin_rec(30, 0, 40, 0, 0x11, 1));
    grp_close(0);
    EXPECT_EQ(run(n, {click(-20, -20), click(20, 20), click(5, 0), rclick(), click(0, 0), click(0, 10), end()}), 800) << n;
    const auto r = records(0);
    ASSERT_EQ(r.size(), 3u) << n;
    EXPECT_EQ(r[1].encsub, 8) << n;
    const double dy = n == 120 ? 10 : 0;
    EXPECT_DOUBLE_EQ(r[1].lin.y1, dy) << n;
    EXPECT_DOUBLE_EQ(r[2].lin.y1, dy) << n;
  }
}

// With the confirmation switch on the move is shown first and asked: N keeps the
// drawing, Y moves; area 2 is empty either way.
TEST_F(MoveSel, MovePreviewAsksFirst) {
  for (int answer : {'N', 'Y'}) {
    stop();
    start(2000);
    SystemBlock sb;
    sys_sysprm('R', &sb);
    sb.w4 = 1;
    sys_sysprm('W', &sb);
    figures();
    asked().answers = {answer};
    EXPECT_EQ(run(120, window_then({click(0, 0), click(5, 0), end()})), 800) << answer;
    EXPECT_EQ(asked().texts.size(), 1u) << answer;
    const std::vector<double> want = answer == 'Y' ? std::vector<double>{-5, 5, 30} : std::vector<double>{-10, 0, 30};
    EXPECT_EQ(starts(0), want) << answer;
    DbControl c[2];
    dtb_ctrl('r', c);
    EXPECT_EQ(c[0].count2, 0u) << answer;
  }
}

} // namespace

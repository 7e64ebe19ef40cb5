// The reshape command run through the pump: a picked or windowed target moved onto a
// picked boundary, a point or a two-point line, and what it puts back when it ends.
#include "../cmdharness.h"

#include <algorithm>
#include <cmath>

#include "commands/edit/reshapecmd.h"
#include "commands/edit/rstable.h"
#include "database/groups.h"
#include "select/near.h"
#include "select/sellist.h"

using namespace cmdtest;

namespace {

constexpr uint16_t ATTR = 0x11;

ElementRecord arc_rec(double cx, double cy, double r, double start, double end) {
  ElementRecord a;
  std::memset(&a, 0, sizeof a);
  a.kind = ARC;
  a.layer = 1;
  a.arc.cx = cx, a.arc.cy = cy, a.arc.r = r, a.arc.start = start, a.arc.end = end;
  a.arc.attr = ATTR;
  return a;
}

class Reshape : public CommandTest {
protected:
  static ElementRecord lin(double x1, double y1, double x2, double y2) { return lin_rec(x1, y1, x2, y2, ATTR, 1); }
  static ElementRecord rec(int32_t n) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    elm_read(0, n, &r, nullptr, 0);
    return r;
  }
  static void expect_restored(const std::string &what) {
    EXPECT_EQ(und_lock(-1), 0) << what;
    EXPECT_EQ(PickSkipMasked, 0u) << what;
    EXPECT_EQ(SelectionList.capacity, SEL_STATICCAP) << what;
    EXPECT_EQ(g_rstable.count, 0u) << what;
    EXPECT_EQ(g_rstable.capacity, RS_STATIC_ENTRIES) << what;
  }
  // Records the prompt shown while the command waits.
  static Ev seen(std::vector<std::string> &out) {
    return during([&out] { out.push_back(prompt()); });
  }
};

TEST_F(Reshape, StageARefusesFullCirclesAndArcsOutOfView) {
  struct Case {
    const char *what;
    ElementRecord target;
    double px, py;
    int prompt;
  } cases[] = {
      {"a line is taken", lin(-20, 0, 10, 0), 8, 0, 5328},
      {"an arc is taken", arc_rec(0, 0, 10, 0, 90), 10, 0, 5328},
      {"a full circle", arc_rec(0, 0, 10, 0, 360), 10, 0, 5318},
      // Its lowest point lies half a unit above the view, within the pick aperture.
      {"an arc outside the view", arc_rec(0, 40, 14.5, 180, 360), 0, 24.8, 5318},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    add(c.target);
    std::vector<std::string> p;
    EXPECT_EQ(run(104, {click(c.px, c.py), seen(p), end()}), 800) << c.what;
    ASSERT_EQ(p.size(), 1u) << c.what;
    EXPECT_EQ(p[0], msgtext(c.prompt)) << c.what;
    EXPECT_TRUE(same_record(records(0)[0], c.target)) << c.what;
    expect_restored(c.what);
  }
}

TEST_F(Reshape, APickedTargetMeetsAPickedBoundaryInOneUndoStep) {
  struct Case {
    const char *what;
    ElementRecord target, boundary;
    double tx, ty, bx, by;
    ElementRecord want;
  } cases[] = {
      {"extended", lin(-20, 0, 10, 0), lin(20, -10, 20, 10), 8, 0, 20, 8, lin(-20, 0, 20, 0)},
      {"trimmed", lin(-20, 0, 10, 0), lin(0, -10, 0, 10), 8, 0, 0, 8, lin(-20, 0, 0, 0)},
      {"start end", lin(-20, 0, 10, 0), lin(-30, -10, -30, 10), -18, 0, -30, 5, lin(-30, 0, 10, 0)},
      {"arc trimmed", arc_rec(0, 0, 10, 0, 90), lin(-20, 7, 20, 7), 10, 0.5, 15, 7,
       arc_rec(0, 0, 10, std::asin(0.7) * 45 / std::atan(1.0), 90)},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    const int32_t t = add(c.target);
    add(c.boundary);
    EXPECT_EQ(run(104, {click(c.tx, c.ty), click(c.bx, c.by), end()}), 800) << c.what;
    ElementRecord got = rec(t);
    if (c.target.kind == ARC) { // angles from trigonometry
      EXPECT_NEAR(got.arc.start, c.want.arc.start, 1e-9) << c.what;
      EXPECT_NEAR(got.arc.end, c.want.arc.end, 1e-9) << c.what;
      got.arc.start = c.want.arc.start, got.arc.end = c.want.arc.end;
    }
    EXPECT_TRUE(same_record(got, c.want)) << c.what;
    und_exec(0);
    EXPECT_TRUE(same_record(rec(t), c.target)) << c.what << ": one undo brings it back";
    EXPECT_EQ(records(0).size(), 2u) << c.what;
    expect_restored(c.what);
  }
}

TEST_F(Reshape, AnEndAlreadyOnTheBoundaryMakesNoUndoStep) {
  const int32_t t = add(lin(-20, 0, 10, 0));
  add(lin(10, -10, 10, 10));
  add(lin(-20, 10, -10, 10));
  und_pend(0);
  EXPECT_EQ(run(104, {click(0, 0), click(10, 8), end()}), 800);
  EXPECT_TRUE(same_record(rec(t), lin(-20, 0, 10, 0)));
  und_exec(0); // the step before the command: the lines added
  EXPECT_EQ(records(0).size(), 0u) << "no empty step in between";
}

TEST_F(Reshape, AWindowTakesTheEndsInsideAndAPickCorrectsIt) {
  const int32_t a = add(lin(-30, 5, -5, 5));
  const int32_t b = add(lin(-30, -5, -5, -5));
  add(lin(10, -20, 10, 20));
  std::vector<std::string> p;
  // Stage A: right button for a window; the window holds the right ends of a and b; a
  // pick on b takes it out again; the right button goes on to the boundary.
  EXPECT_EQ(run(104, {rclick(), seen(p), click(-10, -10), seen(p), click(0, 10), seen(p), click(-20, -5), rclick(),
                      seen(p), click(10, 0), seen(p), end()}),
            800);
  EXPECT_TRUE(same_record(rec(a), lin(-30, 5, 10, 5)));
  EXPECT_TRUE(same_record(rec(b), lin(-30, -5, -5, -5)));
  EXPECT_EQ(p, (std::vector<std::string>{msgtext(1301), msgtext(1002), msgtext(603), msgtext(5328), msgtext(5318)}));
  expect_restored("window");
}

TEST_F(Reshape, TheRightButtonAtTheBoundaryAsksForAPointOrALine) {
  {
    SCOPED_TRACE("one target: a point");
    const int32_t t = add(lin(-20, 0, 10, 0));
    std::vector<std::string> p;
    EXPECT_EQ(run(104, {click(8, 0), rclick(), seen(p), click(20, 7), end()}), 800);
    EXPECT_EQ(p, std::vector<std::string>{msgtext(5316)});
    EXPECT_TRUE(same_record(rec(t), lin(-20, 0, 20, 0)));
    expect_restored("point");
  }
  stop();
  start(2000);
  {
    SCOPED_TRACE("several targets: a line by two points");
    const int32_t a = add(lin(-30, 5, -5, 5));
    const int32_t b = add(lin(-30, -5, -5, -5));
    std::vector<std::string> p;
    // The same second point as the first is asked again. Clicks come back through
    // pixels, so the line lies at x = 10 to half a unit.
    EXPECT_EQ(run(104, {rclick(), click(-10, -10), click(0, 10), rclick(), seen(p), rclick(), seen(p),
                        click(10, -20), seen(p), click(10, -20), seen(p), click(10, 20), end()}),
              800);
    EXPECT_EQ(p, (std::vector<std::string>{msgtext(5329), msgtext(5301), msgtext(5302), msgtext(5302)}));
    ElementRecord ra = rec(a), rb = rec(b);
    EXPECT_NEAR(ra.lin.x2, 10, 0.5);
    EXPECT_EQ(rb.lin.x2, ra.lin.x2);
    ra.lin.x2 = rb.lin.x2 = 10;
    EXPECT_TRUE(same_record(ra, lin(-30, 5, 10, 5)));
    EXPECT_TRUE(same_record(rb, lin(-30, -5, 10, -5)));
    und_exec(0); // each element its own step
    EXPECT_TRUE(same_record(rec(b), lin(-30, -5, -5, -5)));
    EXPECT_NE(rec(a).lin.x2, -5); // a keeps its own step
    expect_restored("line");
  }
}

TEST_F(Reshape, UndoWaitsWhileTheBoundaryIsAsked) {
  const int32_t t = add(lin(-20, 0, 10, 0));
  add(lin(20, -10, 20, 10));
  int lock = -1;
  uint32_t skip = 0;
  auto undo = during([] { und_exec(0); });
  // The first reshape, then a second target shown at stage B: the undo is refused;
  // Esc goes back to stage A, where it works.
  EXPECT_EQ(run(104, {click(8, 0), click(20, 5), click(-18, 0), during([&] {
                        lock = und_lock(-1);
                        skip = PickSkipMasked;
                      }),
                      undo, esc(), undo, end()}),
            800);
  EXPECT_EQ(lock, 1);
  EXPECT_EQ(skip, 1u);
  EXPECT_TRUE(same_record(rec(t), lin(-20, 0, 10, 0)));
  EXPECT_EQ(records(0).size(), 2u) << "one undo only";
  expect_restored("undo");
}

TEST_F(Reshape, EveryWayOutPutsTheStateBack) {
  struct Case {
    const char *what;
    std::vector<Ev> in;
    int result;
  } cases[] = {
      {"800 at stage A", {end()}, 800},
      {"Esc at stage A", {esc()}, 27},
      {"800 at stage B", {click(8, 0), end()}, 800},
      {"800 at the point", {click(8, 0), rclick(), end()}, 800},
      {"Esc at the window corner", {rclick(), esc()}, 27},
      {"800 at the second corner", {rclick(), click(0, -10), end()}, 800},
      {"Esc at the correction", {rclick(), click(0, -10), click(15, 20), esc()}, 27},
      {"Esc at the first line point", {rclick(), click(0, -10), click(15, 20), rclick(), rclick(), esc()}, 27},
      {"800 at the second line point",
       {rclick(), click(0, -10), click(15, 20), rclick(), rclick(), click(0, 20), end()},
       800},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    add(lin(-20, 0, 10, 0));
    add(lin(-20, 15, 10, 15));
    EXPECT_EQ(run(104, c.in), c.result) << c.what;
    EXPECT_TRUE(same_record(records(0)[0], lin(-20, 0, 10, 0))) << c.what;
    expect_restored(c.what);
  }
}

TEST_F(Reshape, TheCorrectionQuestionGoesOnToTheNextCandidate) {
  struct Case {
    int answer;
    bool second; // the second candidate became a target
    int result;
  } cases[] = {{700, true, 800}, {-2, true, 800}, {'n', true, 800}, {501, true, 800}, {'y', false, 800},
               {27, false, 27}};
  for (const Case &c : cases) {
    stop();
    start(2000);
    const int32_t a = add(lin(-30, 5, -5, 5));
    const int32_t c1 = add(lin(-30, -5, -15, -5));
    const int32_t c2 = add(lin(-30, -3, -15, -3));
    add(lin(10, -20, 10, 20));
    asked().answers = {c.answer, 'y'};
    // The window takes a; the pick lies on c1 and two units from c2.
    std::vector<Ev> in{rclick(), click(-10, -10), click(0, 10), click(-16, -5)};
    if (c.result == 800)
      in.insert(in.end(), {rclick(), click(10, 0), end()});
    EXPECT_EQ(run(104, in), c.result) << c.answer;
    const bool applied = c.result == 800;
    EXPECT_TRUE(same_record(rec(a), applied ? lin(-30, 5, 10, 5) : lin(-30, 5, -5, 5))) << c.answer;
    const bool first = applied && !c.second;
    EXPECT_TRUE(same_record(rec(c1), first ? lin(-30, -5, 10, -5) : lin(-30, -5, -15, -5))) << c.answer;
    const bool second = applied && c.second;
    EXPECT_TRUE(same_record(rec(c2), second ? lin(-30, -3, 10, -3) : lin(-30, -3, -15, -3))) << c.answer;
    expect_restored(std::to_string(c.answer));
  }
}

TEST_F(Reshape, AGroupWithLoopingLinksEndsTheCorrection) {
  add(lin(30, 10, 40, 10)); // node numbers 1 and 2 are list marks
  add(lin(30, 15, 40, 15));
  ElementRecord node;
  std::memset(&node, 0, sizeof node);
  node.kind = NOD;
  node.subkind = 1;
  node.nod.data[0] = 1100 & 0xFF;
  node.nod.data[1] = 1100 >> 8;
  const int32_t g = add(node);
  ASSERT_GE(g, 3);
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t m1 = add(lin(-30, -5, -15, -5));
  const int32_t m2 = add(lin(-30, -15, -15, -15));
  grp_close(0);
  dtb_ptr(0, m2)->next = m1; // as a damaged file may hold it
  std::vector<uint32_t> listed;
  auto list = during([&] {
    for (int32_t i = 0; i < SelectionList.count; i++)
      if (SelectionList.entries[i] != SEL_HOLE)
        listed.push_back(sel_key(SelectionList.entries[i]));
  });
  EXPECT_EQ(run(104, {rclick(), click(-10, -10), click(0, 10), click(-20, -5), rclick(), list, end()}), 800);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<uint32_t>{uint32_t(m1), uint32_t(m2)}));
  expect_restored("loop");
}

TEST_F(Reshape, TheShortcutMenuKnowsWhichCornerIsAsked) {
  add(lin(-30, 5, -5, 5));
  std::vector<uint32_t> masks;
  auto mask = during([&] { masks.push_back(CmdShortcutMask[0]); });
  EXPECT_EQ(run(104, {rclick(), mask, click(-10, -10), mask, click(0, 10), mask, esc()}), 27);
  EXPECT_EQ(masks, (std::vector<uint32_t>{0, 2, 0}));
}

TEST_F(Reshape, TheStaticTableTakesNinetyNineTargetsOfAWindow) {
  // 150 upright lines whose upper ends lie in the window.
  for (int i = 0; i < 150; i++)
    add(lin(-45 + 0.6 * i, -20, -45 + 0.6 * i, 0));
  add(lin(-48, 15, 48, 15));
  void *(*const mem)(size_t) = rs_tablemem;
  rs_tablemem = [](size_t) -> void * { return nullptr; };
  uint32_t count = 0, capacity = 0, marker = 0;
  auto table = during([&] {
    count = g_rstable.count, capacity = g_rstable.capacity;
    marker = g_rstable.entries[g_rstable.count].element;
  });
  const int r = run(104, {rclick(), click(-48, -10), click(48, 10), rclick(), table, click(0, 15), end()});
  rs_tablemem = mem;
  EXPECT_EQ(r, 800);
  EXPECT_EQ(capacity, RS_STATIC_ENTRIES);
  EXPECT_EQ(count, RS_STATIC_ENTRIES - 1);
  EXPECT_EQ(marker, RS_FREE);
  int moved = 0;
  for (const ElementRecord &e : records(0))
    moved += std::fabs(e.lin.y2 - 15) < 1e-9 && std::fabs(e.lin.x1 - e.lin.x2) < 1e-9 && e.lin.y1 == -20;
  EXPECT_EQ(moved, 99);
  expect_restored("static");
}

TEST_F(Reshape, ASecondWindowRoundTogglesTargets) {
  const int32_t a = add(lin(-30, 5, -5, 5));
  const int32_t b = add(lin(-30, -5, -5, -5));
  add(lin(10, -20, 10, 20));
  std::vector<std::string> p;
  // The first round takes both; the space key starts a round whose window holds only
  // b's end, which takes b out again.
  EXPECT_EQ(run(104, {rclick(), click(-10, -10), click(0, 10), key(32), click(-10, -8), click(0, -2), rclick(),
                      seen(p), click(10, 0), end()}),
            800);
  EXPECT_EQ(p, std::vector<std::string>{msgtext(5328)});
  EXPECT_TRUE(same_record(rec(a), lin(-30, 5, 10, 5)));
  EXPECT_TRUE(same_record(rec(b), lin(-30, -5, -5, -5)));
  expect_restored("rounds");
}

} // namespace

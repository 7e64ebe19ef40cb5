// The circle and arc commands run through the pump with scripted points and typed lines.
#include "../cmdharness.h"

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"

#include "commands/draw/circcmd.h"
#include "commands/draw/drawcmd.h"
#include "database/undo.h"
#include "input/numkey.h"
#include "shell/units/ledit.h"
#include "../typist.h"

using namespace cmdtest;

namespace {

constexpr uint16_t LINE_ATTR = 0x2A52; // pen 2, kind 5, start style 2, end style 5
constexpr uint16_t NO_STYLES = 0x0052;
constexpr uint16_t TWIN_ATTR = 0x0013; // pen 3, kind 1

ElementRecord arc_rec(double cx, double cy, double r, double s, double e, uint16_t attr, uint8_t layer) {
  ElementRecord a;
  std::memset(&a, 0, sizeof a);
  a.kind = ARC;
  a.layer = layer;
  a.arc.cx = cx, a.arc.cy = cy, a.arc.r = r;
  a.arc.start = s, a.arc.end = e;
  a.arc.attr = attr;
  return a;
}

class Circ : public CommandTest {
protected:
  void SetUp() override {
    CommandTest::SetUp();
    attrs(9, LINE_ATTR);
  }
  static void attrs(uint16_t layer, uint16_t lin) {
    uint16_t states[64], cur = 0;
    sys_layer('r', 0, &cur, states);
    cur = layer;
    sys_layer('w', 0, &cur, states);
    sys_linatr('w', &lin);
  }
  // Runs command n with points and typed lines; its result.
  int type(int n, std::vector<Ev> points, std::vector<const char *> lines) {
    Typist t(std::move(lines));
    const int r = run(n, std::move(points));
    EXPECT_TRUE(t.done()) << "command " << n << " left typed lines unread";
    return r;
  }
  static void expect(const std::vector<ElementRecord> &want, const char *what = "") {
    const auto got = records(0);
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); i++)
      EXPECT_TRUE(same_record(got[i], want[i])) << what << " element " << i;
  }
};

TEST_F(Circ, ConcentricCirclesAreOneUndoStep) {
  EXPECT_EQ(type(40, {click(1, 2), end()}, {"10,20,30"}), 800);
  expect({arc_rec(1, 2, 10, 0, 360, NO_STYLES, 9), arc_rec(1, 2, 20, 0, 360, NO_STYLES, 9),
          arc_rec(1, 2, 30, 0, 360, NO_STYLES, 9)});
  EXPECT_EQ(TempMarkList.count, 0u);
  und_exec(0);
  EXPECT_TRUE(records(0).empty());
}

TEST_F(Circ, RefusedRadiiAskAgain) {
  // Each refused line draws nothing; the last one is taken.
  EXPECT_EQ(type(40, {click(0, 0), end()}, {"10,-5", ",10", "0", "1e16", "10,,5", "", "4"}), 800);
  expect({arc_rec(0, 0, 4, 0, 360, NO_STYLES, 9)});
}

TEST_F(Circ, EscAtTheRadiiEndsWith700) {
  EXPECT_EQ(type(40, {click(0, 0)}, {nullptr}), 700);
  EXPECT_TRUE(records(0).empty());
  EXPECT_EQ(TempMarkList.count, 0u);
}

TEST_F(Circ, RadiusKeyedOnAScaledLayer) {
  DrawingEnvRecord env;
  ASSERT_EQ(sys_dwgenv('R', 0, &env), 0);
  env.scales[0] = {1, 1};
  env.scales[2] = {1, 2};
  ASSERT_EQ(sys_dwgenv('W', 0, &env), 0);
  attrs(2, LINE_ATTR);
  double want = 10;
  scl_ratio(1, 0, 2, &want);
  EXPECT_DOUBLE_EQ(want, 5.0);
  EXPECT_EQ(type(40, {click(0, 0), end()}, {"10"}), 800);
  expect({arc_rec(0, 0, want, 0, 360, NO_STYLES, 2)});
}

TEST_F(Circ, FullStoreStopsAtTheFirstFailedAdd) {
  stop();
  start(1);
  attrs(9, LINE_ATTR);
  EXPECT_EQ(type(40, {click(0, 0)}, {"1,2,3"}), CMD_DBFAIL);
  expect({arc_rec(0, 0, 1, 0, 360, NO_STYLES, 9)});
  EXPECT_EQ(TempMarkList.count, 0u);
  und_exec(0);
  EXPECT_TRUE(records(0).empty());
}

TEST_F(Circ, ArcAngles) {
  // 350..10 is refused (end not above start); 350..370 is stored as -10..10. "nan" and
  // -400 are asked again. 0..360 is a full circle without end styles.
  EXPECT_EQ(type(60, {click(1, 1), click(2, 2), end()}, {"4", "nan", "-400", "350", "10", "370", "3", "0", "360"}),
            800);
  expect({arc_rec(1, 1, 4, -10, 10, LINE_ATTR, 9), arc_rec(2, 2, 3, 0, 360, NO_STYLES, 9)});
  EXPECT_EQ(TempMarkList.count, 0u);
}

TEST_F(Circ, EscAtAnAngleEndsWith700) {
  EXPECT_EQ(type(60, {click(1, 1)}, {"4", "30", nullptr}), 700);
  EXPECT_TRUE(records(0).empty());
}

TEST_F(Circ, ArcThroughThreePoints) {
  EXPECT_EQ(run(63, {click(10, 0), click(0, 10), click(-10, 0), click(0, 0), click(1, 1), click(2, 2), end()}), 800);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u); // the collinear points write nothing
  EXPECT_EQ(r[0].kind, ARC);
  EXPECT_NEAR(r[0].arc.cx, 0, 1e-9);
  EXPECT_NEAR(r[0].arc.cy, 0, 1e-9);
  EXPECT_NEAR(r[0].arc.r, 10, 1e-9);
  EXPECT_NEAR(r[0].arc.start, 0, 1e-9);
  EXPECT_NEAR(r[0].arc.end, 180, 1e-9);
  EXPECT_EQ(r[0].arc.attr, LINE_ATTR);
  EXPECT_EQ(r[0].layer, 9);
  EXPECT_EQ(TempMarkList.count, 0u);
}

TEST_F(Circ, TwinsDrawInTheConstructionPenOnLayer0) {
  struct Case {
    int command;
    std::vector<Ev> points;
    std::vector<const char *> lines;
    ElementRecord want;
  } cases[] = {
      {55, {click(1, 1), end()}, {"5"}, arc_rec(1, 1, 5, 0, 360, TWIN_ATTR, 0)},
      {75, {click(1, 1), end()}, {"3", "0", "90"}, arc_rec(1, 1, 3, 0, 90, TWIN_ATTR, 0)},
      {76, {click(0, 0), click(5, 5), click(10, 0), end()}, {}, arc_rec(5, 0, 5, 0, 180, TWIN_ATTR, 0)},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    attrs(9, LINE_ATTR);
    inp_set(0x1234, 2, 3);
    EXPECT_EQ(type(c.command, c.points, c.lines), 800) << c.command;
    const auto r = records(0);
    ASSERT_EQ(r.size(), 1u) << c.command;
    EXPECT_EQ(r[0].layer, 0) << c.command;
    EXPECT_EQ(r[0].arc.attr, TWIN_ATTR) << c.command;
    EXPECT_NEAR(r[0].arc.cx, c.want.arc.cx, 1e-9) << c.command;
    EXPECT_NEAR(r[0].arc.r, c.want.arc.r, 1e-9) << c.command;
    EXPECT_NEAR(r[0].arc.start, c.want.arc.start, 1e-9) << c.command;
    EXPECT_NEAR(r[0].arc.end, c.want.arc.end, 1e-9) << c.command;
    uint32_t flags = 0;
    int32_t target = 0, kind = 0;
    inp_req('r', &flags, &target, &kind);
    EXPECT_EQ(flags, 0x1234u) << c.command;
    EXPECT_EQ(target, 2) << c.command;
    EXPECT_EQ(kind, 3) << c.command;
  }
}

int32_t add_to0(const ElementRecord &r) {
  ElementRecord c = r;
  return elm_add(0, 0, -1, &c, nullptr);
}

TEST_F(Circ, CircleThroughAPoint) {
  // A point on the centre is asked again.
  EXPECT_EQ(run(41, {click(1, 1), click(1, 1), click(4, 5), end()}), 800);
  expect({arc_rec(1, 1, 5, 0, 360, NO_STYLES, 9)});
  EXPECT_EQ(TempMarkList.count, 0u);
}

TEST_F(Circ, TangentCircles) {
  struct Case {
    const char *what;
    ElementRecord picked;
    std::vector<Ev> in;
    std::vector<int> answers;
    double radius; // 0: nothing drawn
    size_t questions;
  } cases[] = {
      {"to a line: its distance",
       lin_rec(-20, 10, 20, 10, 0x11, 1),
       {click(0, 0), rclick(), click(5, 10), end()},
       {},
       10,
       0},
      {"to a circle through the centre: no question",
       arc_rec(5, 0, 5, 0, 360, 0x11, 1),
       {click(0, 0), rclick(), click(10, 0), end()},
       {},
       10,
       0},
      {"N then Y takes the outer one",
       arc_rec(3, 0, 10, 0, 360, 0x11, 1),
       {click(0, 0), rclick(), click(13, 0), end()},
       {'N', 'Y'},
       13,
       2},
      {"Enter takes the inner one",
       arc_rec(3, 0, 10, 0, 360, 0x11, 1),
       {click(0, 0), rclick(), click(13, 0), end()},
       {'x', 13},
       7,
       2},
      {"Esc picks again",
       arc_rec(3, 0, 10, 0, 360, 0x11, 1),
       {click(0, 0), rclick(), click(13, 0), rclick(), end()},
       {27},
       0,
       1},
      {"a failed question picks again",
       arc_rec(3, 0, 10, 0, 360, 0x11, 1),
       {click(0, 0), rclick(), click(13, 0), rclick(), end()},
       {-2},
       0,
       1},
      {"a concentric circle is picked again",
       arc_rec(0, 0, 5, 0, 360, 0x11, 1),
       {click(0, 0), rclick(), click(5, 0), rclick(), end()},
       {},
       0,
       0},
      {"a centre on the line is picked again",
       lin_rec(-20, 0, 20, 0, 0x11, 1),
       {click(0, 0), rclick(), click(5, 0), rclick(), end()},
       {},
       0,
       0},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    attrs(9, LINE_ATTR);
    ASSERT_GE(add_to0(c.picked), 1) << c.what;
    asked().answers.assign(c.answers.begin(), c.answers.end());
    EXPECT_EQ(run(41, c.in), 800) << c.what;
    EXPECT_EQ(asked().texts.size(), c.questions) << c.what;
    const auto r = records(0);
    ASSERT_EQ(r.size(), c.radius > 0 ? 2u : 1u) << c.what;
    if (c.radius > 0) {
      EXPECT_TRUE(same_record(r[1], arc_rec(0, 0, c.radius, 0, 360, NO_STYLES, 9))) << c.what;
    }
    EXPECT_EQ(TempMarkList.count, 0u) << c.what;
  }
}

TEST_F(Circ, PictureOfCirclesAnArcAndTheTangentPreview) {
  attrs(1, 0x0011);
  EXPECT_EQ(type(40, {click(-30, 0), end()}, {"5,10"}), 800);
  EXPECT_EQ(run(63, {click(-5, -15), click(5, -5), click(15, -15), end()}), 800);
  ASSERT_GE(add_to0(arc_rec(25, 0, 10, 0, 360, 0x0011, 1)), 1);
  HWND view = win_.drawings[0]->view;
  RECT rc;
  GetClientRect(view, &rc);
  const int w = rc.right, h = rc.bottom;
  // The candidate about (20, 0): radius 5 offered first, refused, then 15 taken. The
  // picture is taken while the first is asked about.
  std::vector<uint32_t> during;
  int questions = 0;
  ui_setresponder([&](const UiQuestion &) {
    if (questions++ == 0) {
      during = window_capture(view, w, h);
      return int('N');
    }
    return int('Y');
  });
  EXPECT_EQ(run(41, {click(20, 0), rclick(), click(35, 0), end()}), 800);
  EXPECT_EQ(questions, 2);
  ASSERT_EQ(during.size(), size_t(w) * size_t(h));
#ifdef INK_PICTURE_DIR
  EXPECT_TRUE(write_png(INK_PICTURE_DIR "/commands-circles.png", w, h, during));
#endif
  const auto after = window_capture(view, w, h);
  ASSERT_EQ(after.size(), size_t(w) * size_t(h));
  const uint32_t bg = after[size_t(h / 2) * w + w - 3];
  // The top of the offered circle, world (20, 5): shown while asked, erased after.
  auto near_top = [&](const std::vector<uint32_t> &px) {
    int32_t x = 0, y = 0;
    vew_w2dev(0, 0, 20, 5, &x, &y);
    for (int dy = -1; dy <= 1; dy++)
      if (px[size_t(y + dy) * w + x] != bg)
        return true;
    return false;
  };
  EXPECT_TRUE(near_top(during));
  EXPECT_FALSE(near_top(after));
  const auto r = records(0);
  ASSERT_EQ(r.size(), 5u);
  EXPECT_TRUE(same_record(r[4], arc_rec(20, 0, 15, 0, 360, 0x0011, 1)));
}

} // namespace

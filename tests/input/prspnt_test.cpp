// Point on element: picks scripted through the picking hooks.
#include "../select/pickfix.h"

#include <cmath>
#include <iterator>

#include "display/view/view.h"
#include "geometry/geo.h"
#include "input/gcrsnap.h"
#include "input/rubber.h"

namespace {

struct Prs : PickTest {
  void SetUp() override {
    PickTest::SetUp();
    dwg_setcur(0);
    vew_setcurrent(0);
    rub_start(0);
    GcrSnapHooks &h = gcr_snaphooks();
    h.line = [](int op, int32_t *, char *text) {
      if (op == 'R')
        std::strcpy(text, "command prompt");
      else
        restored = text;
    };
    restored.clear();
  }
  void TearDown() override {
    gcr_snapreset();
    PickTest::TearDown();
  }
  // Operation op with both elements picked by the scripted clicks.
  int run(int32_t mode, int32_t op, int32_t picks = 0) {
    res[0] = res[1] = -1;
    return PRSPNT(mode, picks, op, p1, p2, &e1, &e2, res);
  }
  static inline std::string restored;
  double p1[2] = {0, 0}, p2[2] = {0, 0}, res[2] = {0, 0};
  int32_t e1 = -1, e2 = -1;
};

TEST_F(Prs, SameLineTwice) {
  const int32_t l = line(0, 0, 100, 0);
  struct Case {
    double x1, x2;
    double rx;
  } cases[] = {{10, 20, 0}, {90, 70, 100}, {10, 90, 50}, {50, 90, 100} /* a tie goes to the second end */};
  for (const Case &c : cases) {
    world().clicks = {{500, c.x1, 0.2}, {500, c.x2, 0.2}};
    EXPECT_EQ(run(0, 1), 0);
    EXPECT_DOUBLE_EQ(res[0], c.rx) << c.x1 << " " << c.x2;
    EXPECT_DOUBLE_EQ(res[1], 0);
    EXPECT_EQ(e1, l);
    EXPECT_EQ(e2, l);
    EXPECT_DOUBLE_EQ(p1[0], c.x1); // the pick points are handed back
    EXPECT_DOUBLE_EQ(p2[0], c.x2);
  }
  EXPECT_EQ(restored, "command prompt");
  EXPECT_EQ(world().prompts, (std::vector<int>{1101, 1101, 1101, 1101, 1101, 1101, 1101, 1101}));
}

TEST_F(Prs, SameCircleTwice) {
  arc(0, 0, 10, 0, 360);
  struct Case {
    double a1, a2; // pick directions
    double rx, ry;
  } cases[] = {
      {45, 315, 10, 0},   // quadrants 1 and 4: 0 degrees
      {45, 225, 0, 0},    // 1 and 3: the centre
      {45, 135, 0, 10},   // 1 and 2: 90
      {135, 225, -10, 0}, // 2 and 3: 180
      {225, 315, 0, -10}, // 3 and 4: 270
      {10, 80, 10, 0},    // same quadrant: the end nearer to the first pick (start = end here)
  };
  for (const Case &c : cases) {
    world().clicks = {{500, 10 * deg_cos(c.a1), 10 * deg_sin(c.a1)}, {500, 10 * deg_cos(c.a2), 10 * deg_sin(c.a2)}};
    EXPECT_EQ(run(0, 1), 0) << c.a1 << " " << c.a2;
    EXPECT_NEAR(res[0], c.rx, 1e-9) << c.a1 << " " << c.a2;
    EXPECT_NEAR(res[1], c.ry, 1e-9) << c.a1 << " " << c.a2;
  }
}

TEST_F(Prs, TwoElements) {
  line(0, 0, 10, 0);
  line(0, 5, 10, 5);      // parallel to the first
  line(20, -10, 20, -5);  // meets the first only on the extensions
  arc(40, 0, 5, 80, 100); // does not reach the next line; its full circle does
  line(30, 2, 50, 2);     // crosses the circle of the arc at two points
  struct Case {
    Click a, b;
    int rc;
    double rx, ry;
  } cases[] = {
      {{500, 5, 0.1}, {500, 5, 4.9}, 1002, 0, 0},
      {{500, 5, 0.1}, {500, 20, -7}, 0, 20, 0},
      {{500, 40, 4.9}, {500, 31, 2.1}, 0, 40 - std::sqrt(21.0), 2}, // the crossing nearer the second pick
      {{500, 49, 2.1}, {500, 40.5, 4.9}, 0, 40 + std::sqrt(21.0), 2},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case &c = cases[i];
    world().clicks = {c.a, c.b};
    EXPECT_EQ(run(0, 1), c.rc) << i;
    EXPECT_NEAR(res[0], c.rx, 1e-9) << i;
    EXPECT_NEAR(res[1], c.ry, 1e-9) << i;
  }
}

TEST_F(Prs, EscDuringAPickKeepsTheGuide) {
  line(0, 0, 10, 0);
  rub_startpt(3, 7, 8);
  const InputGuide before = Guide;
  const ElementFilter filter = ElmFilter;
  world().clicks = {{500, 5, 0.1}, {27, 0, 0}};
  EXPECT_EQ(run(0, 1), 700);
  EXPECT_EQ(std::memcmp(&Guide, &before, sizeof Guide), 0);
  EXPECT_EQ(ElmFilter.kind, filter.kind);
  EXPECT_DOUBLE_EQ(res[0], 0);
  // Codes that end the pick end the call with them.
  for (int code : {501, 800, 821}) {
    world().clicks = {{code, 0, 0}};
    EXPECT_EQ(run(0, 1), code);
  }
  EXPECT_EQ(Guide.mode, 3);
  // The first element stayed highlighted and is drawn back in its own colours.
  world() = PickWorld{};
  world().clicks = {{500, 5, 0.1}, {27, 0, 0}};
  run(0, 1);
  ASSERT_FALSE(world().shown.empty());
  EXPECT_EQ(world().shown.back().colour, -1);
}

// A command started during a pick may declare its own input request; the command
// that asked for the point gets its own back, with its kind record.
TEST_F(Prs, InputRequestSurvivesThePicks) {
  line(0, 0, 10, 0);
  GcrSnapHooks &h = gcr_snaphooks();
  uint32_t mine[10] = {0xE9, 1, 4, 1, 2, 3, 4, 5, 6, 7};
  h.request('W', mine);
  PickSysHooks &p = pck_hooks();
  static auto inner = p.getpnt;
  p.getpnt = [](uint32_t f, const uint32_t *m, double *x, double *y, int32_t *d, int32_t *v) {
    uint32_t other[10] = {0x1FFFF, 2, 7};
    gcr_snaphooks().request('W', other);
    return inner(f, m, x, y, d, v);
  };
  for (int last : {27, 500}) {
    world().clicks = {{500, 5, 0.1}, {last, 5, 0.1}};
    run(0, 1);
    uint32_t now[10] = {};
    h.request('R', now);
    EXPECT_EQ(std::vector<uint32_t>(now, now + 10), std::vector<uint32_t>(mine, mine + 10)) << last;
  }
}

TEST_F(Prs, FirstPickInDrawingOneStaysThere) {
  const int32_t l = line(0, 0, 100, 0, 0x11, 1);
  dwg_setcur(1);
  world().clicks = {{500, 10, 0.2, 1, 0}, {500, 20, 0.2, 1, 0}};
  EXPECT_EQ(run(1, 1), 0);
  EXPECT_EQ(e1, l);
  EXPECT_DOUBLE_EQ(res[0], 0);
  dwg_setcur(0);
}

TEST_F(Prs, NamedElementsAndPickAtThePoint) {
  const int32_t a = line(0, 0, 10, 0), b = line(5, -5, 5, 5), p = point(3, 3);
  const int32_t t = text("A", 50, 50, 5);
  // Both named: no pick at all.
  e1 = a;
  e2 = b;
  p1[0] = 1;
  p2[0] = 5;
  p2[1] = 4;
  EXPECT_EQ(run(0, 1, 3), 0);
  EXPECT_DOUBLE_EQ(res[0], 5);
  EXPECT_DOUBLE_EQ(res[1], 0);
  EXPECT_TRUE(world().prompts.empty());
  // A point element named first gives its point at once.
  e1 = p;
  EXPECT_EQ(run(0, 1, 1), 0);
  EXPECT_DOUBLE_EQ(res[0], 3);
  EXPECT_DOUBLE_EQ(res[1], 3);
  // A named text is refused.
  e1 = t;
  EXPECT_EQ(run(0, 1, 1), 1100);
  // Not valid: tried at the given point first (bit 0, as point input asks), then
  // the second element is picked; no prompt with 0x8000.
  e1 = -1;
  p1[0] = 8;
  p1[1] = 0.3;
  world().clicks = {{500, 5, 3}};
  EXPECT_EQ(run(0, 1, 0x8001), 0);
  EXPECT_EQ(e1, a);
  EXPECT_EQ(e2, b);
  EXPECT_DOUBLE_EQ(res[0], 5);
  EXPECT_TRUE(world().prompts.empty());
  // Nothing at the given point: the first element is asked for.
  e1 = -1;
  p1[0] = 80;
  p1[1] = 80;
  world().clicks = {{500, 8, 0.3}, {500, 5, 3}};
  EXPECT_EQ(run(0, 1, 1), 0);
  EXPECT_EQ(e1, a);
  EXPECT_EQ(world().prompts, (std::vector<int>{1101, 1101}));
}

TEST_F(Prs, LengthAndDirection) {
  line(0, 0, 30, 40);
  const int32_t c = arc(100, 0, 10, 30, 120);
  struct Case {
    int op;
    Click pick;
    double v;
  } cases[] = {
      {3, {500, 15, 20.1}, 50},
      {8, {500, 15, 20.1}, 100},
      {4, {500, 3, 4.1}, deg_atan2(40, 30)}, // from the near end to the far one
      {4, {500, 27, 36.1}, deg_atan2(-40, -30)},
      {3, {500, 100 + 10 * deg_cos(60), 10 * deg_sin(60)}, 10},
      {4, {500, 100 + 10 * deg_cos(35), 10 * deg_sin(35)}, 30}, // near the start: the start angle
      {4, {500, 100 + 10 * deg_cos(110), 10 * deg_sin(110)}, 120},
  };
  for (const Case &k : cases) {
    world().clicks = {k.pick};
    EXPECT_EQ(run(0, k.op), 0) << k.op;
    EXPECT_NEAR(res[0], k.v, 1e-9) << k.op << " " << k.pick.x;
  }
  // An arc stored in reverse: its end point lies at the start angle, and still the
  // angle of the end nearer the pick is given.
  at(c)->arc.attr |= 0x4000;
  world().clicks = {{500, 100 + 10 * deg_cos(35), 10 * deg_sin(35)}};
  EXPECT_EQ(run(0, 4), 0);
  EXPECT_NEAR(res[0], 30, 1e-9);
}

} // namespace

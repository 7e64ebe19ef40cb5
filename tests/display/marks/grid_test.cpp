#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "display/marks/grid.h"

namespace {

struct Grid : ::testing::Test {
  void SetUp() override {
    dwg_setcur(0);
    grd_reset(0);
    GridTable[0].mode = 1;
  }
};

TEST_F(Grid, ResetValues) {
  ASSERT_EQ(grd_resetp(1, 5, 8), 0);
  GridRecord g;
  ASSERT_EQ(grd_rec('r', 1, &g), 0);
  EXPECT_EQ(+g.mode, 0u);
  EXPECT_EQ(+g.kind, 1u);
  EXPECT_EQ(+g.a1x, 5);
  EXPECT_EQ(+g.a1y, 0);
  EXPECT_NEAR(+g.a2x, 0, 1e-12);
  EXPECT_EQ(+g.a2y, -8);
  EXPECT_EQ(+g.angle, 45);
  EXPECT_EQ(+g.pitchx, 5);
  EXPECT_EQ(+g.pitchy, 8);
  EXPECT_EQ(grd_rec('x', 1, &g), 1);
  EXPECT_EQ(grd_rec('r', 2, &g), 1);
  g.mode = 2;
  EXPECT_EQ(grd_rec('W', 1, &g), 0);
  EXPECT_EQ(+GridTable[1].mode, 2u);
  grd_setmode(1, 7, 1);
  EXPECT_EQ(+GridTable[1].mode, 2u);
  EXPECT_EQ(+GridTable[1].kind, 1u);
}

TEST_F(Grid, Snap) {
  struct Case {
    double x, y, wx, wy;
  } cases[] = {{23, 5, 20, 10}, {23, 4, 20, 0}, {-23, -5, -20, -10}, {7, 0, 10, 0}, {0, 0, 0, 0}};
  for (const Case &c : cases) {
    double x = c.x, y = c.y;
    ASSERT_EQ(grd_snap(0, &x, &y), 0);
    EXPECT_NEAR(x, c.wx, 1e-9) << c.x << "," << c.y;
    EXPECT_NEAR(y, c.wy, 1e-9) << c.x << "," << c.y;
  }
  GridTable[0].mode = 2; // snapping without dots
  double x = 23, y = 5;
  EXPECT_EQ(grd_snap(0, &x, &y), 0);
  EXPECT_NEAR(y, 10, 1e-9);
  GridTable[0].mode = 0;
  x = 23;
  EXPECT_EQ(grd_snap(0, &x, &y), 1);
  EXPECT_EQ(x, 23);
}

TEST_F(Grid, BadRecordsAreRefused) {
  ViewXform xf{};
  xf.right = xf.bottom = 100;
  xf.sxmax = xf.symax = 100;
  xf.xscale = xf.yscale = 1;
  GridPlan p;
  ASSERT_EQ(grd_plan(GridTable[0], xf, nullptr, &p), 0);
  struct Bad {
    const char *what;
    void (*spoil)(GridRecord &);
    bool snaps = false; // snapping needs no division by the step's x
  } bad[] = {
      {"pitch 0", [](GridRecord &g) { g.pitchx = 0; }},
      {"negative pitch", [](GridRecord &g) { g.pitchy = -1; }},
      {"parallel steps", [](GridRecord &g) { g.a2x = 20, g.a2y = 0; }},
      {"zero step", [](GridRecord &g) { g.a1x = g.a1y = 0; }},
      {"vertical first axis", [](GridRecord &g) { g.a1x = 0, g.a1y = 10, g.a2x = 10, g.a2y = 0; }, true},
      {"tiny step", [](GridRecord &g) { g.a1x = 1e-12; }},
      {"nan origin", [](GridRecord &g) { g.ox = NAN; }},
      {"kind 3", [](GridRecord &g) { g.kind = 3; }, true},
      {"mode 2", [](GridRecord &g) { g.mode = 2; }, true},
  };
  for (const Bad &b : bad) {
    GridRecord g = GridTable[0];
    b.spoil(g);
    EXPECT_EQ(grd_plan(g, xf, nullptr, &p), 1) << b.what;
    double x = 23, y = 5;
    EXPECT_EQ(grd_snaprec(g, &x, &y), b.snaps ? 0 : 1) << b.what;
  }
  // Far zoom: a device step beyond 2.5e8 in 1/10000 pixel.
  xf.xscale = xf.yscale = 1e4;
  EXPECT_EQ(grd_plan(GridTable[0], xf, nullptr, &p), 1);
}

struct Dots {
  std::set<std::pair<int, int>> all, emph;
};

Dots walk(const GridRecord &g, double scale, int size) {
  ViewXform xf{};
  xf.right = xf.bottom = size - 1;
  xf.sxmax = xf.symax = (size - 1) / scale;
  xf.xscale = xf.yscale = scale;
  GridPlan p;
  Dots d;
  if (grd_plan(g, xf, nullptr, &p) != 0)
    return d;
  const int32_t bounds[4] = {0, 0, size - 1, size - 1};
  grd_walk(
      p, bounds,
      [](void *c, int32_t x, int32_t y, int e) {
        auto *dd = static_cast<Dots *>(c);
        dd->all.insert({x, y});
        if (e)
          dd->emph.insert({x, y});
      },
      nullptr, &d);
  return d;
}

TEST_F(Grid, DotsAndEmphasis) {
  // 1 pixel per unit: dots every 10 pixels, emphasis every 50.
  Dots d = walk(GridTable[0], 1, 101);
  EXPECT_EQ(d.all.size(), 11u * 11u);
  EXPECT_TRUE(d.all.count({10, 90}));
  EXPECT_TRUE(d.emph.count({50, 50}));
  EXPECT_TRUE(d.emph.count({0, 100}));
  EXPECT_FALSE(d.emph.count({10, 100}));
  EXPECT_EQ(d.emph.size(), 9u);
}

TEST_F(Grid, SparseAtFourPixelPitch) {
  // 10 units are 4 pixels: only every fifth dot in each direction, 20 pixels apart.
  Dots d = walk(GridTable[0], 0.4, 101);
  EXPECT_EQ(d.all, d.emph);
  EXPECT_EQ(d.all.size(), 6u * 6u);
  for (auto [x, y] : d.all) {
    EXPECT_EQ(x % 20, 0);
    EXPECT_EQ((100 - y) % 20, 0);
  }
  // 5 pixels: every dot.
  d = walk(GridTable[0], 0.5, 101);
  EXPECT_EQ(d.all.size(), 21u * 21u);
}

TEST_F(Grid, EscStopsAtAnEmphasisColumn) {
  ViewXform xf{};
  xf.right = xf.bottom = 100;
  xf.sxmax = xf.symax = 100;
  xf.xscale = xf.yscale = 1;
  GridPlan p;
  ASSERT_EQ(grd_plan(GridTable[0], xf, nullptr, &p), 0);
  int dots = 0;
  const int32_t bounds[4] = {0, 0, 100, 100};
  EXPECT_EQ(
      grd_walk(
          p, bounds, [](void *c, int32_t, int32_t, int) { ++*static_cast<int *>(c); }, [](void *) { return 1; }, &dots),
      1);
  EXPECT_EQ(dots, 1); // the first base point only
}

} // namespace

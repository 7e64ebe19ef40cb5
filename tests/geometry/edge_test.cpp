// Edge cases that broke the kernel from outside (each with its exact inputs), and crossings
// that must not depend on the scale of the drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "geometry/geo.h"
#include "geometry/trim.h"

namespace {

struct ArcBlock {
  uint8_t b[GEOM_BLOCK_SIZE] = {};
  ArcBlock(double a, double e, uint16_t word = 0) {
    const double v[5] = {0, 0, 1, a, e};
    std::memcpy(b, v, sizeof v);
    b[40] = static_cast<uint8_t>(word), b[41] = static_cast<uint8_t>(word >> 8);
  }
  double at(int off) const {
    double v;
    std::memcpy(&v, b + off, 8);
    return v;
  }
};

GeoPoint on_unit(double deg) { return {std::cos(deg * DEG2RAD), std::sin(deg * DEG2RAD)}; }

// Counter-clockwise sweep of a pair, in [0, 360].
double sweep_of(double s, double e) {
  double d = std::fmod(e - s, 360.0);
  return d < 0 ? d + 360 : (d == 0 && e != s ? 360 : d);
}

} // namespace

// Trimming an arc to a point where its other end already lies, also across 0/360.
TEST(EdgeCases, TrimmedArcEnds) {
  struct {
    const char *what;
    double a, e;
    uint32_t mode;
    GeoPoint p;
    int want;
    double sweep; // of the result
  } cases[] = {
      {"270-360, start to 0", 270, 360, 0, {1, 0}, 2, 360},
      {"270-360, start to 360 as cos and sin give it", 270, 360, 0, on_unit(360), 2, 360},
      {"270-360, start to 0.0005", 270, 360, 0, on_unit(0.0005), 2, 360},
      {"270-360, start to 359.9995", 270, 360, 0, on_unit(359.9995), 2, 360},
      {"270-360, end to 0 (unchanged)", 270, 360, 1, {1, 0}, 0, 90},
      {"0-90, start to 90.0005", 0, 90, 0, on_unit(90.0005), 2, 360},
      {"0-90, end to 0", 0, 90, 1, {1, 0}, 2, 360},
      {"0-90, end to 45", 0, 90, 1, on_unit(45), 0, 45},
      {"-90-0, end to 359.9995", -90, 0, 1, on_unit(359.9995), 0, 89.9995},
  };
  for (const auto &c : cases) {
    ArcBlock k(c.a, c.e);
    EXPECT_EQ(offsub3(c.mode, 4, k.b, &c.p, 0), c.want) << c.what;
    const double s = k.at(24), e = k.at(32);
    if (c.sweep == 360) {
      EXPECT_DOUBLE_EQ(e - s, 360) << c.what; // a full circle, not a sliver
    } else {
      EXPECT_NEAR(sweep_of(s, e), c.sweep, 1e-6) << c.what;
    }
  }
}

// A pair a turn apart is a full circle for clipping, boxes and normalising alike; only
// equal angles are a zero sweep.
TEST(EdgeCases, FullTurnsAndZeroSweeps) {
  struct {
    double s, e;
    bool full;
  } pairs[] = {
      {-360, 0, true}, {0, 360, true},   {360, 0, true},           {0, 720, true},          {-90, 270, true},
      {90, 450, true}, {10, 370, true},  {10, 370.0000001, true},  {10, 9.9999999, true},   {45, 45, false},
      {0, 0, false},   {-30, -30, false}, {350, 10, false},         {0, 90, false},
  };
  for (const auto &p : pairs) {
    const std::string what = std::to_string(p.s) + ", " + std::to_string(p.e);
    double s = p.s, e = p.e;
    EXPECT_EQ(geo_angnorm(1, &s, &e), 0);
    if (p.full) {
      EXPECT_EQ(s, 0) << what;
      EXPECT_EQ(e, 360) << what;
    } else if (p.s == p.e) {
      EXPECT_EQ(s, e) << what;
    }

    // Wholly inside: one interval, the whole circle or the zero sweep as it is.
    AngleInterval iv[ARCCLIP_MAX];
    uint32_t n = 0;
    ASSERT_EQ(geo_arcclip(-10, -10, 10, 10, 0, 0, 1, p.s, p.e, iv, &n), 0);
    ASSERT_EQ(n, 1u) << what;
    if (p.full) {
      EXPECT_EQ(iv[0].start, 0) << what;
      EXPECT_EQ(iv[0].end, 360) << what;
    } else if (p.s == p.e) {
      EXPECT_EQ(iv[0].start, iv[0].end) << what;
    }
    // Centre on the right edge: a full circle shows its left half.
    ASSERT_EQ(geo_arcclip(-10, -10, 0, 10, 0, 0, 1, p.s, p.e, iv, &n), 0);
    if (p.full) {
      ASSERT_EQ(n, 1u) << what;
      EXPECT_NEAR(iv[0].start, 90, 1e-9) << what;
      EXPECT_NEAR(iv[0].end, 270, 1e-9) << what;
    }

    // The box of a full circle, and (conservatively) of a zero sweep, is the circle's box.
    GeoPoint mn, mx;
    geo_arcbox(0, 0, 1, p.s, p.e, &mn, &mx);
    if (p.full || p.s == p.e) {
      EXPECT_NEAR(mn.x, -1, 1e-12) << what;
      EXPECT_NEAR(mn.y, -1, 1e-12) << what;
      EXPECT_NEAR(mx.x, 1, 1e-12) << what;
      EXPECT_NEAR(mx.y, 1, 1e-12) << what;
    }
  }
}

// Coordinates beyond 1e154 clip and test visibility without infinities.
TEST(EdgeCases, HugeCoordinatesClip) {
  struct {
    double r[4], x1, y1, x2, y2;
    int want;
    double wx1, wy1, wx2, wy2;
  } clips[] = {
      {{-1e200, -1e200, 1e200, 1e200}, -4e200, -4e200, 4e200, 4e200, 0, -1e200, -1e200, 1e200, 1e200},
      {{-1e200, -1e200, 1e200, 1e200}, -3e200, 0, 3e200, 1e200, 0, -1e200, 1e200 / 3, 1e200, 2e200 / 3},
      {{0, 0, 2e160, 2e160}, -2e160, 1e160, 1e160, 4e160, 1, 0, 4e160, -1e160, 2e160},            // past the corner
      {{-1e308, -1e308, 1e308, 1e308}, -1.5e308, 0, 1.5e308, 1e308, 0, -1e308, 1e308 / 6, 1e308, 5e307 / 0.6},
  };
  for (const auto &c : clips) {
    double x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    EXPECT_EQ(geo_segclip(c.r[0], c.r[1], c.r[2], c.r[3], &x1, &y1, &x2, &y2), c.want) << c.x1;
    for (double v : {x1, y1, x2, y2})
      EXPECT_TRUE(std::isfinite(v)) << c.x1;
    if (c.want == 0) {
      EXPECT_NEAR(x1 / c.wx1, 1, 1e-12) << c.x1;
      EXPECT_NEAR(x2 / c.wx2, 1, 1e-12) << c.x1;
      EXPECT_NEAR(y1 / c.wy1, 1, 1e-12) << c.x1;
      EXPECT_NEAR(y2 / c.wy2, 1, 1e-12) << c.x1;
    }
  }

  const double rect[4] = {0, 0, 1e200, 1e200};
  struct {
    double x1, y1, x2, y2;
    int want;
  } vis[] = {
      {-1e200, 4e199, 2e200, 7e199, 0},   // enters over the left edge at y 5e199
      {-1e200, 5e199, 5e199, 2e200, 1},   // passes above the top-left corner
      {-1.5e308, 5e199, 1.5e308, 6e199, 0}, // ends further apart than the largest double
  };
  for (const auto &v : vis)
    EXPECT_EQ(geo_segvis(rect, v.x1, v.y1, v.x2, v.y2), v.want) << v.x1 << "," << v.y1;
}

// A 1:100 drawing on A0: coordinates near 1e5 millimetres.
TEST(EdgeCases, CrossingsFarFromTheOrigin) {
  struct {
    GeoPoint p0, p1, p2, p3;
    int want, want_lnseg;
    double x, y;
  } cases[] = {
      {{39536.3, 67349.3}, {115530.1, 33290.0}, {47724.9, 79625.6}, {86178.6, 14297.3}, 0, 1, 60474.84059019787,
       57964.955020228954},
      {{16730.1, 28927.0}, {37581.7, 70663.4}, {207.1, 63136.7}, {99770.3, 10095.5}, 0, 1, 26755.330071730794,
       48993.422354437316},
      // Just past the end of the first, far from the origin: outside it, on the second.
      {{100000, 100000}, {110000, 100000}, {110000.1, 99990}, {110000.1, 100010}, 1, 1, 110000.1, 100000},
      // Lines meeting at an end.
      {{100000.3, 20000.7}, {-30000.1, 90000.9}, {100000.3, 20000.7}, {88000.7, 110000.3}, 0, 1, 100000.3, 20000.7},
  };
  for (const auto &c : cases) {
    GeoPoint x{0, 0};
    EXPECT_EQ(geo_lnln(&c.p0, &c.p1, &c.p2, &c.p3, &x), c.want) << c.p0.x;
    EXPECT_NEAR(x.x, c.x, 1e-6);
    EXPECT_NEAR(x.y, c.y, 1e-6);
    EXPECT_EQ(geo_lnseg(&c.p0, &c.p1, &c.p2, &c.p3, &x), c.want_lnseg);
  }
}

// The same random figures at three scales give the same crossings. Pairs whose exact
// crossing lies within a hair of an end, or that are nearly parallel, are left out: there a
// tolerance decides, and the drawing's scale should not, but the hair itself is arbitrary.
TEST(EdgeCases, CrossingsDoNotDependOnScale) {
  std::mt19937_64 rng(20261210);
  std::uniform_real_distribution<double> coord(0, 100);
  int compared = 0, crossing = 0;
  for (int fig = 0; fig < 3000; fig++) {
    std::vector<GeoPoint> seg;
    while (seg.size() < 12) {
      GeoPoint a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)};
      if (std::hypot(b.x - a.x, b.y - a.y) >= 10)
        seg.push_back(a), seg.push_back(b);
    }
    // Some segments meet others end to end, as drawn lines do.
    const bool share = fig % 3 == 0 && std::hypot(seg[2].x - seg[0].x, seg[2].y - seg[0].y) >= 10;
    if (share)
      seg[3] = seg[0];
    for (size_t i = 0; i < seg.size(); i += 2)
      for (size_t j = i + 2; j < seg.size(); j += 2) {
        const GeoPoint &p0 = seg[i], &p1 = seg[i + 1], &p2 = seg[j], &p3 = seg[j + 1];
        // Exact parameters in long double.
        long double ax = p1.x - p0.x, ay = p1.y - p0.y, bx = p3.x - p2.x, by = p3.y - p2.y;
        long double det = ax * by - ay * bx;
        long double la = std::sqrt(ax * ax + ay * ay), lb = std::sqrt(bx * bx + by * by);
        if (std::fabs(static_cast<double>(det / (la * lb))) < 1e-3)
          continue;
        long double cx = p2.x - p0.x, cy = p2.y - p0.y;
        double t = static_cast<double>((cx * by - cy * bx) / det), u = static_cast<double>((cx * ay - cy * ax) / det);
        const bool shared_end = share && i == 0 && j == 2;
        auto hair = [](double v) { return std::fabs(v) < 1e-4 || std::fabs(v - 1) < 1e-4; };
        if (!shared_end && (hair(t) || hair(u)))
          continue;
        int results[3][2];
        GeoPoint got[3];
        const double scales[3] = {1e-3, 1, 1e5};
        for (int k = 0; k < 3; k++) {
          const double s = scales[k];
          GeoPoint q0{p0.x * s, p0.y * s}, q1{p1.x * s, p1.y * s}, q2{p2.x * s, p2.y * s}, q3{p3.x * s, p3.y * s};
          results[k][0] = geo_lnln(&q0, &q1, &q2, &q3, &got[k]);
          GeoPoint y;
          results[k][1] = geo_lnseg(&q0, &q1, &q2, &q3, &y);
          got[k] = {got[k].x / s, got[k].y / s};
        }
        compared++;
        crossing += results[1][0] == 0;
        for (int k : {0, 2}) {
          EXPECT_EQ(results[k][0], results[1][0]) << "figure " << fig << " pair " << i << "," << j << " scale " << k;
          EXPECT_EQ(results[k][1], results[1][1]) << "figure " << fig << " pair " << i << "," << j << " scale " << k;
          EXPECT_NEAR(got[k].x, got[1].x, 1e-9 * (1 + std::fabs(got[1].x)));
          EXPECT_NEAR(got[k].y, got[1].y, 1e-9 * (1 + std::fabs(got[1].y)));
        }
        if (shared_end) {
          EXPECT_EQ(results[1][0], 0) << "segments meeting at an end cross there, figure " << fig;
        }
      }
  }
  EXPECT_GT(compared, 40000);
  EXPECT_GT(crossing, 10000);
}

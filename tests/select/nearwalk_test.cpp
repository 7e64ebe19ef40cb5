// The pick search and the window walks visit only the elements near the point or
// the window; over random drawings they must answer exactly as a walk over every
// record does, also after the drawing changed between questions.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "pickfix.h"
#include "select/sellist.h"
#include "select/selwin.h"

namespace {

struct NearWalk : PickTest {
  void SetUp() override {
    PickTest::SetUp();
    sel_alloc(3000);
  }
  void TearDown() override {
    PickWalkAll = 0;
    SelWalkAll = 0;
    sel_free();
    PickTest::TearDown();
  }

  // A drawing of n elements over the 200 x 200 sheet and a little beyond it:
  // short and long lines, arcs, points, texts (some in a typeface), groups of
  // them, some erased.
  static void drawing(std::mt19937 &rng, int n) {
    std::uniform_real_distribution<double> at(-20, 220), d(-6, 6), u(0, 1);
    for (int i = 0; i < n; ++i) {
      const double x = at(rng), y = at(rng);
      const double k = u(rng);
      int32_t e = 0;
      if (k < 0.04) {
        const int32_t g = group(uint8_t(1 << (i % 3)));
        grp_open(0, g);
        line(x, y, x + d(rng), y + d(rng));
        arc(x, y, 1 + u(rng) * 4, 0, 180);
        text("G", float(x), float(y), 2);
        grp_close(0);
        continue;
      }
      if (k < 0.30)
        e = line(x, y, x + d(rng), y + d(rng));
      else if (k < 0.33)
        e = line(x, y, at(rng), at(rng)); // long, across the sheet
      else if (k < 0.36)
        e = line(x, y, x, y); // degenerate
      else if (k < 0.55)
        e = arc(x, y, 0.5 + u(rng) * (k < 0.53 ? 5 : 80), u(rng) * 360, u(rng) * 360);
      else if (k < 0.75)
        e = point(x, y);
      else if (k < 0.98)
        e = text(k < 0.87 ? "AB" : "Text\nlines", float(x), float(y), float(1 + u(rng) * 3));
      else // a typeface: laid out on a window under Windows, which is slow
        e = text("Face", float(x), float(y), 3, uint16_t(1 | 1 << 9));
      if (u(rng) < 0.03)
        elm_delete(0, e, ELM_NODRAW);
    }
  }

  static std::vector<int32_t> pick(bool all, double x, double y, uint32_t kind) {
    PickWalkAll = all;
    int32_t out[PCK_NEARMAX];
    const int n = near(x, y, out, kind);
    PickWalkAll = 0;
    return n < 0 ? std::vector<int32_t>{n} : std::vector<int32_t>(out, out + n);
  }

  static std::vector<uint32_t> window(bool all, bool second, uint32_t mode, double x0, double y0, double x1,
                                      double y1) {
    SelWalkAll = all;
    sel_alloc(3000);
    sel_winmode(0, mode, x0, y0, x1, y1);
    const int32_t n = second ? sel_window2(0) : sel_window(0);
    SelWalkAll = 0;
    return {SelectionList.entries, SelectionList.entries + n};
  }

  static std::vector<uint32_t> fence(bool all, uint32_t mode, const std::vector<double> &corners) {
    SelWalkAll = all;
    sel_alloc(3000);
    sel_winmode(0, mode, 0, 0, 0, 0);
    const int32_t n = sel_fence(int32_t(corners.size() / 2), corners.data(), 0);
    SelWalkAll = 0;
    return {SelectionList.entries, SelectionList.entries + n};
  }
};

TEST_F(NearWalk, NearbyElementsAnswerAsTheWalkOfEveryRecord) {
  const unsigned seeds[] = {1, 2, 3, 5, 8, 13};
  for (unsigned seed : seeds) {
    std::mt19937 rng(seed);
    dtb_term();
    db_start(20000, 500);
    grp_reset(0);
    drawing(rng, 1000);
    std::uniform_real_distribution<double> pos(-30, 230), tol(0.05, 6);
    long hits = 0;
    for (int q = 0; q < 200; ++q) {
      if (q % 60 == 59) {
        // The drawing changes between questions: new elements, one moved in place.
        drawing(rng, 20);
        ElementRecord *r = at(int32_t(1 + q % 1000));
        if (r && r->kind == LIN)
          r->lin.x2 += 40;
      }
      world().tol = q % 50 == 0 ? 60 : tol(rng);
      const double x = pos(rng), y = pos(rng);
      const uint32_t kind = q % 3 == 0 ? 15 : q % 3 == 1 ? 0x100F : 0x7FFF;
      SegHoverOff = q % 7 != 0;
      PickTextParts = q % 5 == 0;
      const std::vector<int32_t> want = pick(true, x, y, kind);
      ASSERT_EQ(pick(false, x, y, kind), want) << "seed " << seed << " question " << q;
      hits += long(want.size());
    }
    EXPECT_GT(hits, 50) << "seed " << seed; // the questions did find things
  }
}

TEST_F(NearWalk, WindowsTakeAsTheWalkOfEveryRecord) {
  const unsigned seeds[] = {4, 6, 9, 11};
  const uint32_t modes[] = {0x3, 0xB, 0x1, 0x9};
  for (unsigned seed : seeds) {
    std::mt19937 rng(seed);
    dtb_term();
    db_start(20000, 500);
    grp_reset(0);
    drawing(rng, 1000);
    std::uniform_real_distribution<double> pos(-30, 230), side(0, 80);
    long taken = 0;
    for (int q = 0; q < 40; ++q) {
      if (q % 10 == 9)
        drawing(rng, 20);
      const double x = pos(rng), y = pos(rng), w = side(rng), h = side(rng);
      const uint32_t mode = modes[q % 4];
      ElmFilter = {q % 2 ? 0x7FFFu : 0x100Fu, 0xFFFF, 0xFFFF, uint8_t(q % 3 ? 0xFF : 1)};
      for (bool second : {false, true}) {
        world().shown.clear();
        const std::vector<uint32_t> want = window(true, second, mode, x, y, x + w, y + h);
        const std::vector<Shown> shown = world().shown;
        world().shown.clear();
        ASSERT_EQ(window(false, second, mode, x, y, x + w, y + h), want) << "seed " << seed << " window " << q;
        EXPECT_EQ(world().shown, shown) << "seed " << seed << " window " << q;
        taken += long(want.size());
      }
    }
    EXPECT_GT(taken, 100) << "seed " << seed;
  }
}

TEST_F(NearWalk, FencesTakeAsTheWalkOfEveryRecord) {
  const unsigned seeds[] = {7, 10, 12};
  const uint32_t modes[] = {0x3, 0xB, 0x5, 0xD};
  for (unsigned seed : seeds) {
    std::mt19937 rng(seed);
    dtb_term();
    db_start(20000, 500);
    grp_reset(0);
    drawing(rng, 1000);
    std::uniform_real_distribution<double> pos(-30, 230), radius(2, 70), u(0, 1);
    long taken = 0;
    for (int q = 0; q < 40; ++q) {
      if (q % 10 == 9)
        drawing(rng, 20);
      // A star-shaped polygon of 3 to 12 corners around a random centre, some
      // corners pulled in so that the fence is concave.
      const double cx = pos(rng), cy = pos(rng), r = radius(rng);
      const int corners = 3 + q % 10;
      std::vector<double> fence_at;
      for (int i = 0; i < corners; ++i) {
        const double a = 6.283185307179586 * i / corners, k = i % 2 && u(rng) < 0.5 ? 0.4 : 1.0;
        fence_at.push_back(cx + r * k * std::cos(a));
        fence_at.push_back(cy + r * k * std::sin(a));
      }
      const uint32_t mode = modes[q % 4];
      ElmFilter = {q % 2 ? 0x7FFFu : 0x100Fu, 0xFFFF, 0xFFFF, uint8_t(q % 3 ? 0xFF : 1)};
      world().shown.clear();
      const std::vector<uint32_t> want = fence(true, mode, fence_at);
      const std::vector<Shown> shown = world().shown;
      world().shown.clear();
      ASSERT_EQ(fence(false, mode, fence_at), want) << "seed " << seed << " fence " << q;
      EXPECT_EQ(world().shown, shown) << "seed " << seed << " fence " << q;
      taken += long(want.size());
    }
    EXPECT_GT(taken, 100) << "seed " << seed;
  }
}

} // namespace

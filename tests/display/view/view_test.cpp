// Transform arithmetic, the current-view conversions and the paint-callback stack.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <cstdint>
#include <limits>
#include <numbers>

#include "display/view/view.h"
#include "settings/dbgtrace.h"
#include "settings/params.h"

namespace {

ViewXform device(int32_t l, int32_t t, int32_t r, int32_t b) {
  ViewXform xf{};
  xf.left = l;
  xf.top = t;
  xf.right = r;
  xf.bottom = b;
  return xf;
}

TEST(ViewXform, FitWidensTheNarrowSideAboutTheCentre) {
  prm_init();
  ViewXform xf = device(0, 0, 200, 100);
  ASSERT_EQ(vxf_setwin(xf, 0, 0, 0, 0, 100, 100), 0);
  EXPECT_DOUBLE_EQ(xf.sxmin, -50);
  EXPECT_DOUBLE_EQ(xf.sxmax, 150);
  EXPECT_DOUBLE_EQ(xf.symin, 0);
  EXPECT_DOUBLE_EQ(xf.symax, 100);
  EXPECT_DOUBLE_EQ(xf.xscale, 1.0);
  EXPECT_DOUBLE_EQ(xf.yscale, 1.0);
  EXPECT_DOUBLE_EQ(xf.rxmax, 100);     // requested window as asked
  EXPECT_DOUBLE_EQ(xf.aperture, 10.0); // RCOGAREA 10 pixels
  EXPECT_DOUBLE_EQ(xf.dotsize, 5.0);   // DISPDOT 5 pixels
  EXPECT_DOUBLE_EQ(xf.arrowlen, 5.0);  // DimAttrs f32 at byte 34
  EXPECT_DOUBLE_EQ(xf.circler, 2.0);   // and at byte 38
  EXPECT_NEAR(xf.arrowcos, 5.0 * std::cos(std::numbers::pi / 12), 1e-12);
  EXPECT_NEAR(xf.arrowsin, 5.0 * std::sin(std::numbers::pi / 12), 1e-12);
}

TEST(ViewXform, EndMarkSizesComeFromTheViewsDrawing) {
  prm_init();
  dwg_setcur(1);
  DimAttrs dim;
  sys_dimatr('r', &dim);
  dim.f30[1] = 7.0f;
  sys_dimatr('w', &dim);
  dwg_setcur(0);
  ViewXform xf = device(0, 0, 100, 100);
  ASSERT_EQ(vxf_setwin(xf, 1, 0, 0, 0, 10, 10), 0);
  EXPECT_DOUBLE_EQ(xf.arrowlen, 7.0);
  EXPECT_EQ(dwg_cur(), 0);
  ASSERT_EQ(vxf_setwin(xf, 0, 0, 0, 0, 10, 10), 0);
  EXPECT_DOUBLE_EQ(xf.arrowlen, 5.0);
  prm_init();
}

TEST(ViewXform, ReversedCornersAndKeptRequest) {
  ViewXform xf = device(0, 0, 100, 100);
  ASSERT_EQ(vxf_setwin(xf, 0, 0, 10, 10, 0, 0), 0);
  EXPECT_DOUBLE_EQ(xf.rxmin, 0);
  EXPECT_DOUBLE_EQ(xf.sxmax, 10);
  ASSERT_EQ(vxf_setwin(xf, 0, 1, 20, 20, 40, 40), 0); // bit 0: requested window stays
  EXPECT_DOUBLE_EQ(xf.rxmax, 10);
  EXPECT_DOUBLE_EQ(xf.sxmin, 20);
}

TEST(ViewXform, DegenerateRequestsLeaveTheRecord) {
  struct Case {
    int32_t r, b;
    double x2, y2;
    int want;
  } cases[] = {
      {100, 100, 0.0001, 1, -2}, {100, 100, 1, 0.0001, -2}, {100, 100, 0.00011, 1, 0},
      {0, 100, 1, 1, -2},        {100, 0, 1, 1, -2},        {100, 100, std::nan(""), 1, -2},
  };
  for (const Case &c : cases) {
    ViewXform xf = device(0, 0, c.r, c.b);
    xf.sxmin = 7;
    EXPECT_EQ(vxf_setwin(xf, 0, 0, 0, 0, c.x2, c.y2), c.want) << c.x2 << " " << c.y2;
    if (c.want) {
      EXPECT_EQ(xf.sxmin, 7);
    }
  }
}

// Extents past the largest double, directly or once widened to the device's
// aspect, are refused: every later conversion would be infinite or NaN.
TEST(ViewXform, NonFiniteExtentsAreRefused) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    int32_t r, b;
    double x1, y1, x2, y2;
    int want;
  } cases[] = {
      {200, 100, -1e308, 0, 1e308, 10, -2},     // x extent overflows
      {200, 100, 0, -1e308, 10, 1e308, -2},     // y extent overflows
      {200, 100, 0, 0, inf, 10, -2},            // an infinite corner
      {200, 100, -inf, 0, 10, 10, -2},
      {200, 100, 0, 0, 10, std::nan(""), -2},
      {100, 200, 0, 0, 1.5e308, 1, -2},         // finite, but widening y doubles it past the largest double
      {200, 100, 0, 0, 1e305, 1e305, 0},        // large and finite
  };
  for (const Case &c : cases) {
    ViewXform xf = device(0, 0, c.r, c.b);
    xf.sxmin = 7;
    xf.rxmin = 9;
    EXPECT_EQ(vxf_setwin(xf, 0, 0, c.x1, c.y1, c.x2, c.y2), c.want) << c.x1 << " " << c.x2;
    if (c.want) {
      EXPECT_EQ(xf.sxmin, 7); // the record is unchanged, the requested window too
      EXPECT_EQ(xf.rxmin, 9);
    } else {
      EXPECT_TRUE(std::isfinite(xf.sxmin) && std::isfinite(xf.sxmax) && std::isfinite(xf.symin) &&
                  std::isfinite(xf.symax));
      EXPECT_GT(xf.xscale, 0);
      EXPECT_GT(xf.yscale, 0);
    }
  }
}

TEST(ViewXform, TwoRoundingRules) {
  ViewXform xf = device(0, 0, 200, 100);
  ASSERT_EQ(vxf_setwin(xf, 0, 0, 0, 0, 100, 50), 0);
  vxf_tocurrent(xf);
  int32_t px, py;
  drw_w2d(10.2, 0, &px, &py);
  EXPECT_EQ(px, 20);
  EXPECT_EQ(py, 100);
  vxf_w2dev(xf, 10.2, 0, &px, &py);
  EXPECT_EQ(px, 21);
  EXPECT_EQ(py, 100);
  double x, y;
  vxf_dev2w(xf, 0, 0, &x, &y);
  EXPECT_DOUBLE_EQ(x, 0);
  EXPECT_DOUBLE_EQ(y, 50);
  drw_d2w(0, 0, &x, &y);
  EXPECT_DOUBLE_EQ(x, 0);
  EXPECT_DOUBLE_EQ(y, 50);
  drw_d2w(200, 100, &x, &y);
  EXPECT_DOUBLE_EQ(x, 100);
  EXPECT_DOUBLE_EQ(y, 0);
}

TEST(ViewXform, FarPointsAreClampedBeforeConversion) {
  ViewXform xf = device(0, 0, 200, 100);
  ASSERT_EQ(vxf_setwin(xf, 0, 0, 0, 0, 100, 50), 0);
  vxf_tocurrent(xf);
  int32_t px, py;
  drw_w2d(1e300, -1e300, &px, &py);
  EXPECT_EQ(px, static_cast<int32_t>(DEV_LIMIT));
  EXPECT_EQ(py, 100 - static_cast<int32_t>(-DEV_LIMIT));
  vxf_w2dev(xf, -1e20, std::numeric_limits<double>::infinity(), &px, &py);
  EXPECT_EQ(px, -static_cast<int32_t>(DEV_LIMIT));
  EXPECT_EQ(py, -static_cast<int32_t>(DEV_LIMIT));
  EXPECT_EQ(dev_trunc(std::nan("")), 0);
  EXPECT_EQ(dev_ceil(2.1), 3);
  EXPECT_EQ(dev_trunc(-2.9), -2);
}

TEST(ViewXform, ZoomLimitsAndRoundTrip) {
  ViewXform xf = device(0, 0, 200, 100);
  ASSERT_EQ(vxf_setwin(xf, 0, 0, 0, 0, 100, 50), 0);
  double w[4];
  EXPECT_EQ(vxf_zoom(xf, 0.00009, 50, 25, w), -1);
  EXPECT_EQ(vxf_zoom(xf, 10001, 50, 25, w), -1);
  EXPECT_EQ(vxf_zoom(xf, 10000, 50, 25, w), 0); // 1e6 wide stays below 1e14
  EXPECT_EQ(vxf_zoom(xf, 0.0001, 50, 25, w), 0);
  EXPECT_NEAR(w[2] - w[0], 0.01, 1e-12);
  ViewXform tiny = device(0, 0, 200, 100);
  ASSERT_EQ(vxf_setwin(tiny, 0, 0, 0, 0, 0.002, 0.001), 0);
  EXPECT_EQ(vxf_zoom(tiny, 0.5, 0, 0, w), -1); // below 0.001 high
  ViewXform huge = device(0, 0, 200, 100);
  ASSERT_EQ(vxf_setwin(huge, 0, 0, 0, 0, 2e13, 1e13), 0);
  EXPECT_EQ(vxf_zoom(huge, 10, 0, 0, w), -1);
  // About a fixed point on the left edge xmin stays.
  EXPECT_EQ(vxf_zoom(xf, 3, xf.sxmin, 10, w), 0);
  EXPECT_DOUBLE_EQ(w[0], xf.sxmin);
}

int cb_a(int, int, uint32_t) { return 0; }
int cb_b(int, int, uint32_t) { return 0; }
int calls[3];
int cb_count0(int op, int dwg, uint32_t mask) {
  calls[0] = op * 1000 + dwg * 100 + static_cast<int>(mask);
  return 0;
}
int cb_stop(int, int, uint32_t) {
  calls[1]++;
  return 7;
}
int cb_never(int, int, uint32_t) {
  calls[2]++;
  return 0;
}

TEST(PaintStack, FullStackAnswers1001AndKeepsEntries) {
  paintsub(1, nullptr);
  for (int i = 0; i < PAINT_STACK_MAX; i++)
    ASSERT_EQ(paintsub(0, cb_a), 0);
  EXPECT_EQ(paintsub(0, cb_b), 1001);
  EXPECT_EQ(paintsub_count(), 30);
  EXPECT_EQ(paintsub(1, cb_b), -1);
  EXPECT_EQ(paintsub_count(), 30);
  EXPECT_EQ(paintsub(1, nullptr), 0);
  EXPECT_EQ(paintsub_count(), 0);
}

TEST(PaintStack, RunCallsInPushOrderAndStopsAtNonZero) {
  paintsub(1, nullptr);
  calls[0] = calls[1] = calls[2] = 0;
  paintsub(0, cb_count0);
  paintsub(0, cb_stop);
  paintsub(0, cb_never);
  EXPECT_EQ(paintsub_run(1, 3), 7);
  EXPECT_EQ(calls[0], 108);
  EXPECT_EQ(calls[1], 1);
  EXPECT_EQ(calls[2], 0);
  paintsub(1, nullptr);
}

} // namespace

namespace {
int cb_1(int, int, uint32_t) { return 0; }
int cb_2(int, int, uint32_t) { return 0; }
int cb_3(int, int, uint32_t) { return 0; }
} // namespace

TEST(PaintStack, PopToFirstTracesTheDroppedEntriesWithFullPointers) {
  namespace fs = std::filesystem;
  const fs::path old = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / "ink-paintsub-trace";
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::current_path(dir);
  dbg_mode = 1;
  paintsub(1, nullptr);
  paintsub(0, cb_1);
  paintsub(0, cb_2);
  paintsub(0, cb_3);
  EXPECT_EQ(paintsub(1, cb_1), 0);
  EXPECT_EQ(paintsub_count(), 0);
  dbg_close();
  dbg_mode = 0;
  std::ifstream in("debug.lst", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  char want1[64], want2[64];
  std::snprintf(want1, sizeof want1, "<paintsub> func 0, ptr=%p", reinterpret_cast<void *>(cb_2));
  std::snprintf(want2, sizeof want2, "<paintsub> func 1, ptr=%p", reinterpret_cast<void *>(cb_3));
  const size_t at1 = s.str().find(want1), at2 = s.str().find(want2);
  EXPECT_NE(at1, std::string::npos) << s.str();
  EXPECT_NE(at2, std::string::npos) << s.str();
  EXPECT_LT(at1, at2);
  EXPECT_EQ(s.str().find("func 2"), std::string::npos);
  in.close();
  fs::current_path(old);
  fs::remove_all(dir);
}

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "geometry/geo.h"

namespace {

struct Iv {
  double s, e;
};

std::vector<Iv> clip(double xmin, double ymin, double xmax, double ymax, double cx, double cy, double r, double s,
                     double e, int *result = nullptr) {
  AngleInterval out[ARCCLIP_MAX + 1];
  for (auto &o : out)
    o = {-999, -999};
  uint32_t n = 77;
  int rc = geo_arcclip(xmin, ymin, xmax, ymax, cx, cy, r, s, e, out, &n);
  if (result)
    *result = rc;
  EXPECT_LE(n, static_cast<uint32_t>(ARCCLIP_MAX));
  EXPECT_EQ(out[ARCCLIP_MAX].start, -999) << "written past the five intervals";
  std::vector<Iv> v;
  for (uint32_t i = 0; i < n && i < ARCCLIP_MAX; i++)
    v.push_back({out[i].start, out[i].end});
  return v;
}

void expect_ivs(const std::vector<Iv> &got, const std::vector<Iv> &want, double tol = 1e-6) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); i++) {
    EXPECT_NEAR(got[i].s, want[i].s, tol) << i;
    EXPECT_NEAR(got[i].e, want[i].e, tol) << i;
  }
}

} // namespace

// The arc clipper as it was before its fast paths, the reference they must match bit for bit.
namespace ref {

uint32_t code(double xmin, double ymin, double xmax, double ymax, double x, double y) {
  uint32_t c = 0;
  if (x < xmin)
    c |= 1;
  else if (x > xmax)
    c |= 2;
  if (y < ymin)
    c |= 4;
  else if (y > ymax)
    c |= 8;
  return c;
}

double clamp1(double v) { return v < -1 ? -1 : (v > 1 ? 1 : v); }

double reduce(double v) {
  double r = std::fmod(v, 360.0);
  return v < 0 ? r + 360.0 : r;
}

double wrap(double v) {
  if (v < 0) {
    double r = std::fmod(v, 360.0);
    return r < 0 ? r + 360.0 : 0.0;
  }
  if (v > 360) {
    double r = std::fmod(v, 360.0);
    return r == 0 ? 360.0 : r;
  }
  return v;
}

void norm(double *start, double *end) {
  double s = *start, e = *end;
  if (std::fabs(e - s) > 359.999999) {
    *start = 0.0;
    *end = 360.0;
    return;
  }
  s = wrap(s);
  e = wrap(e);
  if (s > e)
    e += 360.0;
  if (e > 360.0) {
    s -= 360.0;
    e -= 360.0;
  }
  if (std::fabs(e - s) > 359.999999) {
    s = 0.0;
    e = 360.0;
  }
  *start = s;
  *end = e;
}

int arcclip(double xmin, double ymin, double xmax, double ymax, double cx, double cy, double r, double start,
            double end, AngleInterval *out, uint32_t *count) {
  *count = 0;
  if (!(r > 1e-100))
    return 1001;
  for (double v : {xmin, ymin, xmax, ymax, cx, cy, r, start, end})
    if (!std::isfinite(v))
      return 1001;
  if (std::fabs(end - start) > 359.999999) {
    start = 0;
    end = 360;
  } else if (start != end) {
    start = reduce(start);
    end = reduce(end);
    if (start >= end)
      end += 360;
    if (end - start > 359.999999) {
      start = 0;
      end = 360;
    }
  } else {
    start = end = reduce(start);
  }
  if (xmin >= cx + r || cx - r >= xmax || ymin >= cy + r || cy - r >= ymax)
    return 0;
  if (xmin < cx - r && cx + r < xmax && ymin < cy - r && cy + r < ymax) {
    out[0] = {start, end};
    norm(&out[0].start, &out[0].end);
    *count = 1;
    return 0;
  }
  AngleInterval iv[12];
  int n = 0;
  bool pending = false;
  double pstart = 0, pend = 0;
  int q0 = static_cast<int>(start / 90), q1 = static_cast<int>(end / 90);
  const double ax[4] = {cx + r, cx, cx - r, cx}, ay[4] = {cy, cy + r, cy, cy - r};
  uint32_t axcode[4];
  for (int k = 0; k < 4; k++)
    axcode[k] = code(xmin, ymin, xmax, ymax, ax[k], ay[k]);
  uint32_t startcode =
      code(xmin, ymin, xmax, ymax, cx + r * std::cos(start * DEG2RAD), cy + r * std::sin(start * DEG2RAD));
  uint32_t endcode = code(xmin, ymin, xmax, ymax, cx + r * std::cos(end * DEG2RAD), cy + r * std::sin(end * DEG2RAD));
  for (int q = q0; q <= q1; q++) {
    int k = q & 3;
    double a0 = q == q0 ? start : q * 90.0;
    double a1 = q == q1 ? end : (q + 1) * 90.0;
    uint32_t cf = q == q0 ? startcode : axcode[k];
    uint32_t cl = q == q1 ? endcode : axcode[(k + 1) & 3];
    bool startcut = cf != 0, endcut = cl != 0;
    if (cf & cl) {
      a1 = a0;
      startcut = endcut = true;
    } else {
      uint32_t all = cf | cl;
      for (uint32_t bit : {8u, 4u, 2u, 1u}) {
        if (!(all & bit))
          continue;
        double ang;
        if (bit == 8 || bit == 4) {
          ang = std::asin(clamp1(((bit == 8 ? ymax : ymin) - cy) / r)) * (180.0 / 3.141592653589793);
          if (((k + 1) & 3) == 2 || ((k + 1) & 3) == 3) {
            ang = 180 - ang;
            if (ang < 0)
              ang += 360;
          }
        } else {
          ang = std::acos(clamp1(((bit == 2 ? xmax : xmin) - cx) / r)) * (180.0 / 3.141592653589793);
          if (k == 2 || k == 3)
            ang = 360 - ang;
        }
        while (ang < q * 90.0 - 45)
          ang += 360;
        if (cf & bit) {
          if (ang > a0)
            a0 = ang;
        } else if (ang < a1) {
          a1 = ang;
        }
      }
    }
    if (endcut) {
      if (pending) {
        if (!startcut) {
          iv[n++] = {pstart, a1};
        } else {
          iv[n++] = {pstart, pend};
          if (a1 > a0)
            iv[n++] = {a0, a1};
        }
        pending = false;
      } else if (a1 > a0) {
        iv[n++] = {a0, a1};
      }
    } else {
      if (!pending) {
        pending = true;
        pstart = a0;
      }
      pend = a1;
    }
  }
  if (pending)
    iv[n++] = {pstart, pend};
  if (n >= 2 && iv[0].start + 360 == iv[n - 1].end) {
    iv[0] = {iv[n - 1].start, iv[0].end + 360};
    n--;
  }
  if (n > ARCCLIP_MAX)
    n = ARCCLIP_MAX;
  for (int i = 0; i < n; i++) {
    norm(&iv[i].start, &iv[i].end);
    out[i] = iv[i];
  }
  *count = n;
  return 0;
}

} // namespace ref

TEST(SegClip, Table) {
  struct {
    double x1, y1, x2, y2;
    int want;
    double wx1, wy1, wx2, wy2;
  } cases[] = {
      {0, 0, 20, 5, 0, 0, 0, 10, 2.5}, // only the outside end moves
      {5, 5, 10, 5, 0, 5, 5, 10, 5},   // an end exactly on the edge stays
      {-5, 5, 15, 5, 0, 0, 5, 10, 5},  // both ends clipped
      {5, -5, 5, 15, 0, 5, 0, 5, 10},    {-1, 9, 2, 13, 1, 0, 10.0 + 1.0 / 3, -0.25, 10}, // passes outside the corner
      {11, 0, 12, 5, 1, 11, 0, 12, 5},                                                    // wholly right
      {-5, -5, 15, 15, 0, 0, 0, 10, 10},                                                  // diagonal through corners
  };
  for (auto c : cases) {
    double x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
    EXPECT_EQ(geo_segclip(0, 0, 10, 10, &x1, &y1, &x2, &y2), c.want) << c.x1 << "," << c.y1;
    EXPECT_NEAR(x1, c.wx1, 1e-9);
    EXPECT_NEAR(y1, c.wy1, 1e-9);
    EXPECT_NEAR(x2, c.wx2, 1e-9);
    EXPECT_NEAR(y2, c.wy2, 1e-9);
  }
}

TEST(SegClip, NonFiniteIsRefused) {
  double x1 = std::nan(""), y1 = 5, x2 = 5, y2 = 5;
  EXPECT_EQ(geo_segclip(0, 0, 10, 10, &x1, &y1, &x2, &y2), 1);
  EXPECT_EQ(x2, 5);
  const double rect[4] = {0, 0, 10, 10};
  EXPECT_EQ(geo_segvis(rect, 5, 5, std::numeric_limits<double>::infinity(), 5), 1);
}

TEST(ArcClip, Cases) {
  expect_ivs(clip(-10, -10, 10, 10, 0, 0, 1, 0, 360), {{0, 360}});
  expect_ivs(clip(-10, -10, 0, 10, 0, 0, 1, 0, 360), {{90, 270}}); // centre on the right edge
  double a = std::acos(0.8) * 57.29577951308232;
  expect_ivs(clip(-0.8, -0.8, 0.8, 0.8, 0, 0, 1, 0, 360),
             {{a, 90 - a}, {90 + a, 180 - a}, {180 + a, 270 - a}, {270 + a, 360 - a}});
  // Across 0 degrees: the last and first intervals merge, start negative after normalisation.
  expect_ivs(clip(deg_cos(30), -10, 10, 10, 0, 0, 1, 0, 360), {{-30, 30}});
  expect_ivs(clip(-10, -10, 10, 10, 0, 0, 1, 0, 90), {{0, 90}});
  expect_ivs(clip(-10, -10, 10, 10, 0, 0, 1, 300, 60), {{-60, 60}});
  expect_ivs(clip(-10, -10, 10, 10, 0, 0, 1, -60, 60), {{-60, 60}});
  expect_ivs(clip(0, 0, 10, 10, 0, 0, 1, 0, 360), {{0, 90}}); // a quarter in the corner
  // The sweep's start splits one visible part: five intervals, the most there are.
  expect_ivs(clip(-0.8, -0.8, 0.8, 0.8, 0, 0, 1, 45, 44),
             {{45, 90 - a}, {90 + a, 180 - a}, {180 + a, 270 - a}, {270 + a, 360 - a}, {a, 44}});
  expect_ivs(clip(5, 5, 10, 10, 0, 0, 1, 0, 360), {});             // box misses
  expect_ivs(clip(-10, -10, 10, 10, 0, 0, 1, 45, 45), {{45, 45}}); // zero sweep inside
}

// Ends on edges, tangents, centres on edges, quarter ends and far scales are where a shortcut
// could decide differently from the sine and cosine.
TEST(ArcClip, SameAsPlainRoutine) {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> u(-10, 10), ang(-800, 800), rad(0.01, 12);
  auto angle = [&]() -> double {
    double q = static_cast<double>(static_cast<int>(rng() % 17) - 8) * 90.0;
    switch (rng() % 6) {
    case 0:
      return q;
    case 1:
      return std::nextafter(q, (rng() & 1) ? 1e9 : -1e9);
    case 2:
      return q + std::ldexp((rng() & 1) ? 1.0 : -1.0, -static_cast<int>(rng() % 50));
    default:
      return ang(rng);
    }
  };
  int differ = 0;
  for (int i = 0; i < 100000; i++) {
    double x0 = u(rng), y0 = u(rng), x1 = x0 + std::fabs(u(rng)), y1 = y0 + std::fabs(u(rng));
    double cx = u(rng), cy = u(rng), r = rad(rng), s = angle(), e = rng() % 20 ? angle() : s;
    switch (rng() % 6) {
    case 0:
      cx = x0;
      break;
    case 1:
      cx = x1 - r, cy = y0 + r;
      break;
    case 2: { // the start exactly on an edge
      s = static_cast<double>(rng() % 8) * 45.0;
      x0 = cx + r * std::cos(s * DEG2RAD);
      y1 = cy + r * std::sin(s * DEG2RAD);
      break;
    }
    case 3: {
      double scale = std::ldexp(1.0, static_cast<int>(rng() % 1200) - 600);
      x0 *= scale, y0 *= scale, x1 *= scale, y1 *= scale, cx *= scale, cy *= scale, r *= scale;
      break;
    }
    default:
      break;
    }
    AngleInterval got[ARCCLIP_MAX], want[ARCCLIP_MAX];
    std::memset(got, 0, sizeof got);
    std::memset(want, 0, sizeof want);
    uint32_t ngot = 99, nwant = 99;
    int rgot = geo_arcclip(x0, y0, x1, y1, cx, cy, r, s, e, got, &ngot);
    int rwant = ref::arcclip(x0, y0, x1, y1, cx, cy, r, s, e, want, &nwant);
    if (rgot != rwant || ngot != nwant || std::memcmp(got, want, sizeof got) != 0) {
      if (++differ <= 5)
        ADD_FAILURE() << std::hexfloat << x0 << " " << y0 << " " << x1 << " " << y1 << " " << cx << " " << cy << " "
                      << r << " " << s << " " << e;
    }
  }
  EXPECT_EQ(differ, 0);
}

TEST(ArcClip, RefusedInput) {
  int rc = 0;
  EXPECT_TRUE(clip(-10, -10, 10, 10, 0, 0, 1e-101, 0, 360, &rc).empty());
  EXPECT_EQ(rc, 1001);
  EXPECT_TRUE(clip(-10, -10, 10, 10, 0, 0, -1, 0, 360, &rc).empty());
  EXPECT_EQ(rc, 1001);
  for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_TRUE(clip(-10, -10, 10, 10, 0, 0, 1, bad, 360, &rc).empty());
    EXPECT_EQ(rc, 1001);
    EXPECT_TRUE(clip(-10, -10, 10, 10, bad, 0, 1, 0, 360, &rc).empty());
    EXPECT_EQ(rc, 1001);
  }
  // Huge angles are reduced in one step.
  std::vector<Iv> v = clip(-10, -10, 10, 10, 0, 0, 1, 1e300, 1e300 + 1e285, &rc);
  EXPECT_EQ(rc, 0);
  for (auto i : v)
    EXPECT_TRUE(std::isfinite(i.s) && std::isfinite(i.e));
}

TEST(OutCodes, ToleranceAndVisibility) {
  const double rect[4] = {0, 0, 10, 10};
  EXPECT_EQ(geo_outcd(rect, -1e-9, 5), 0u);
  EXPECT_EQ(geo_outcd(rect, 10 + 1e-9, 10 + 1e-9), 0u);
  EXPECT_EQ(geo_outcd(rect, -1e-7, 5), 1u);
  EXPECT_EQ(geo_outcd(rect, 11, 5), 2u);
  EXPECT_EQ(geo_outcd(rect, 5, -1), 4u);
  EXPECT_EQ(geo_outcd(rect, 11, 11), 10u);
  uint32_t c1, c2;
  EXPECT_EQ(geo_outcd2(rect, -1, -1, 5, 5, &c1, &c2), 0);
  EXPECT_EQ(c1, 5u);
  EXPECT_EQ(c2, 0u);

  struct {
    double x1, y1, x2, y2;
    int want;
  } seg[] = {
      {5, 5, 20, 20, 0}, {-5, 5, 15, 5, 0}, {-5, -5, -1, 20, 1},
      {-1, 9, 2, 13, 1}, {-1, 5, 5, 15, 0}, {11, 0, 11, 10, 1},
  };
  for (auto s : seg)
    EXPECT_EQ(geo_segvis(rect, s.x1, s.y1, s.x2, s.y2), s.want) << s.x1 << "," << s.y1;

  // Rectangle (0,0)-(10,10): centre (5,5), half sizes 5.
  EXPECT_EQ(geo_arcvis(5, 5, 5, 5, rect, 5, 5, 2, 0, 360), 0);   // start point inside
  EXPECT_EQ(geo_arcvis(5, 5, 5, 5, rect, 50, 50, 2, 0, 360), 1); // far away
  EXPECT_EQ(geo_arcvis(5, 5, 5, 5, rect, 5, 5, 7.5, 0, 360), 1); // circle round the whole rectangle
  EXPECT_EQ(geo_arcvis(5, 5, 5, 5, rect, 12, 5, 3, 90, 270), 0); // enters over the right edge
  EXPECT_EQ(geo_arcvis(5, 5, 5, 5, rect, 12, 5, 3, -80, 80), 1); // its right half stays outside
}

TEST(Boxes, ArcBoxAndElementBox) {
  GeoPoint mn, mx;
  geo_arcbox(0, 0, 1, 0, 90, &mn, &mx);
  EXPECT_NEAR(mn.x, 0, 1e-12);
  EXPECT_NEAR(mn.y, 0, 1e-12);
  EXPECT_NEAR(mx.x, 1, 1e-12);
  EXPECT_NEAR(mx.y, 1, 1e-12);
  geo_arcbox(0, 0, 1, 10, 10, &mn, &mx); // a zero sweep is the whole circle here
  EXPECT_NEAR(mn.x, -1, 1e-12);
  EXPECT_NEAR(mn.y, -1, 1e-12);
  EXPECT_NEAR(mx.x, 1, 1e-12);
  EXPECT_NEAR(mx.y, 1, 1e-12);
  geo_arcbox(0, 0, 1, -45, 45, &mn, &mx);
  EXPECT_NEAR(mx.x, 1, 1e-12);
  EXPECT_NEAR(mn.x, std::sqrt(0.5), 1e-12);

  GeoPoint emin{1, 0}, emax{0, 0}; // empty
  GeoPoint p{3, 4};
  geo_boxadd(&emin, &emax, &p);
  EXPECT_EQ(emin.x, 3);
  EXPECT_EQ(emax.y, 4);

  uint8_t rec[80] = {};
  auto put = [&](int off, double v) { std::memcpy(rec + off, &v, 8); };
  rec[4] = 4; // arc
  put(20, 10);
  put(28, 0);
  put(36, 2);
  put(44, 0);
  put(52, 90);
  emin = {1, 0};
  emax = {0, 0};
  EXPECT_EQ(geo_entbox(&emin, &emax, rec), 0);
  EXPECT_NEAR(emin.x, 10, 1e-12);
  EXPECT_NEAR(emax.x, 12, 1e-12);
  EXPECT_NEAR(emax.y, 2, 1e-12);
  rec[61] = 0x40; // bit 14 alone: stored angles swapped, the arc runs 90 -> 0 (three quarters)
  emin = {1, 0};
  emax = {0, 0};
  geo_entbox(&emin, &emax, rec);
  EXPECT_NEAR(emin.x, 8, 1e-12);
  EXPECT_NEAR(emin.y, -2, 1e-12);
  rec[4] = 2; // line
  put(20, -1);
  put(28, -2);
  put(36, 5);
  put(44, 6);
  emin = {1, 0};
  emax = {0, 0};
  geo_entbox(&emin, &emax, rec);
  EXPECT_EQ(emin.x, -1);
  EXPECT_EQ(emax.y, 6);
  rec[4] = 8; // text adds nothing
  GeoPoint m0 = emin, m1 = emax;
  geo_entbox(&emin, &emax, rec);
  EXPECT_EQ(emin.x, m0.x);
  EXPECT_EQ(emax.x, m1.x);
}

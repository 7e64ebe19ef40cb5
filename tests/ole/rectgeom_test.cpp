// Place, size and extent of an object placed in a drawing, and the bytes it stores.
#include <gtest/gtest.h>

#include <cstring>

#include "ole/rectgeom.h"
#include "settings/params.h"

TEST(RectItemGeom, NewItemAndFirstExtent) {
  RectItemGeom g;
  double r[4];
  rit_rect(g, 1, r);
  EXPECT_EQ(10.0, r[0]);
  EXPECT_EQ(-10.0, r[1]);
  EXPECT_EQ(10.0, r[2]);
  EXPECT_EQ(-10.0, r[3]);

  struct Case {
    int num, den;
    double w, h;
  } cases[] = {{1, 1, 50, -30}, {1, 2, 100, -60}, {2, 1, 25, -15}, {1, 0, 50, -30}, {0, 1, 50, -30}, {-3, 2, 50, -30}};
  for (const Case &c : cases) {
    RectItemGeom t;
    EXPECT_TRUE(rit_takeextent(&t, 1, 5000, 3000, c.num, c.den, false));
    double w, h;
    rit_size(t, 1, &w, &h);
    EXPECT_EQ(c.w, w) << c.num << ":" << c.den;
    EXPECT_EQ(c.h, h) << c.num << ":" << c.den;
    EXPECT_EQ(1u, t.extentKnown);
  }
}

TEST(RectItemGeom, LaterExtentsRescaleUnlessActiveInPlace) {
  RectItemGeom g;
  rit_takeextent(&g, 1, 5000, 3000, 1, 1, false);
  EXPECT_FALSE(rit_takeextent(&g, 1, 5000, 3000, 1, 1, false)); // same extent
  EXPECT_TRUE(rit_takeextent(&g, 1, 10000, 1500, 1, 1, false));
  double w, h;
  rit_size(g, 1, &w, &h);
  EXPECT_EQ(100.0, w);
  EXPECT_EQ(-15.0, h);
  EXPECT_TRUE(rit_takeextent(&g, 1, 20000, 3000, 1, 1, true)); // in place: size kept
  rit_size(g, 1, &w, &h);
  EXPECT_EQ(100.0, w);
  int32_t ex, ey;
  rit_extent(g, 1, &ex, &ey);
  EXPECT_EQ(20000, ex);
}

TEST(RectItemGeom, IconAndContentKeepTheirOwnSizes) {
  RectItemGeom g;
  rit_takeextent(&g, 1, 5000, 3000, 1, 1, false);
  rit_takeextent(&g, RIT_ASPECT_ICON, 1000, 1000, 1, 1, false);
  double w, h;
  rit_size(g, 1, &w, &h);
  EXPECT_EQ(50.0, w);
  rit_size(g, RIT_ASPECT_ICON, &w, &h);
  EXPECT_EQ(10.0, w);
  EXPECT_EQ(-10.0, h);
  const double r[4] = {30, 5, 20, 25}; // corners in any order
  rit_setrect(&g, RIT_ASPECT_ICON, r);
  EXPECT_EQ(30.0, g.x);
  EXPECT_EQ(5.0, g.y);
  EXPECT_EQ(10.0, g.iconCx);
  EXPECT_EQ(20.0, g.iconCy);
  EXPECT_EQ(50.0, g.contentCx);
}

TEST(RectItemGeom, StoredBytesAndWrongMarker) {
  RectItemGeom g;
  g.x = 1.5;
  g.y = -2.5;
  g.iconCx = 3;
  g.iconCy = 4;
  g.contentCx = 5;
  g.contentCy = 6;
  g.iconExtCx = 7;
  g.iconExtCy = 8;
  g.contentExtCx = 9;
  g.contentExtCy = -10;
  g.layer = 1;
  uint8_t b[RIT_STORED];
  rit_put(g, b);
  EXPECT_EQ(0x00, b[0]);
  EXPECT_EQ(0x55, b[1]);
  double d;
  std::memcpy(&d, b + 2, 8);
  EXPECT_EQ(1.5, d);
  std::memcpy(&d, b + 42, 8);
  EXPECT_EQ(6.0, d);
  int32_t i;
  std::memcpy(&i, b + 62, 4);
  EXPECT_EQ(-10, i);

  RectItemGeom back;
  back.layer = 1;
  ASSERT_EQ(1, rit_get(b, &back));
  EXPECT_EQ(0u, back.layer); // not stored
  EXPECT_EQ(5.0, back.contentCx);
  EXPECT_EQ(8, back.iconExtCy);

  b[0] = 0x01; // 0x5501: every value is still read, then refused
  RectItemGeom bad;
  EXPECT_EQ(0, rit_get(b, &bad));
  EXPECT_EQ(-10, bad.contentExtCy);
}

TEST(RectItemGeom, ScaleByDrawingRatio) {
  prm_init();
  SheetRecord s;
  ASSERT_EQ(0, sys_sheet('R', 0, &s));
  s.num = 1;
  s.den = 4;
  sys_sheet('W', 0, &s);
  double v = 0;
  EXPECT_EQ(0, ScaleByDrawingRatio(0, 100, &v));
  EXPECT_EQ(25.0, v);
  EXPECT_EQ(-2, ScaleByDrawingRatio(-1, 100, &v));
  s.den = 0;
  sys_sheet('W', 0, &s);
  EXPECT_EQ(-3, ScaleByDrawingRatio(0, 100, &v));
  EXPECT_EQ(100.0, v);
}

TEST(RectItemGeom, OverlappingItemsMoveAside) {
  const double others[3][4] = {{10, -10, 60, -40}, {20, -20, 70, -50}, {0, 0, 1, 1}};
  double r[4] = {10, -10, 60, -40};
  EXPECT_EQ(2, rit_avoidoverlap(others, 3, r)); // past the second as well
  EXPECT_EQ(30.0, r[0]);
  EXPECT_EQ(-30.0, r[1]);
  EXPECT_EQ(80.0, r[2]);

  double alone[4] = {5, 5, 6, 6};
  EXPECT_EQ(0, rit_avoidoverlap(others, 3, alone));

  // At 1e300 a move changes nothing: it stops at once.
  const double huge[1][4] = {{1e300, -1e300, 1e300, -1e300}};
  double h[4] = {1e300, -1e300, 1e300, -1e300};
  EXPECT_EQ(1, rit_avoidoverlap(huge, 1, h));
}

// Drawing-unit values compare within 1e-6, strictly; a NaN is never equal.
#include <gtest/gtest.h>

#include <cmath>

#include "ole/klgeom.h"

namespace {

TEST(KLGeom, RectanglesAreEqualWithinTheTolerance) {
  const struct {
    double dl, dt, dr, db;
    bool equal;
  } cases[] = {
      {0, 0, 0, 0, true},       {0.9e-6, 0, 0, 0, true}, {0, -0.9e-6, 0.9e-6, 0, true},
      {1e-6, 0, 0, 0, false},   {0, 0, 0, -1e-6, false}, {0, 0, 1.1e-6, 0, false},
      {NAN, 0, 0, 0, false},    {0, 0, 0, NAN, false},
  };
  const CKLDRect base;
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.dl << " " << c.dt << " " << c.dr << " " << c.db);
    const CKLDRect other(c.dl, c.dt, c.dr, c.db);
    EXPECT_EQ(base.IsEqual(other), c.equal);
    EXPECT_EQ(other.IsEqual(base), c.equal);
    EXPECT_EQ(base != other, !c.equal);
  }
  const CKLDRect nan(NAN, 0, 0, 0);
  EXPECT_FALSE(nan.IsEqual(nan));
}

TEST(KLGeom, PointsAndSizesCompareBothValues) {
  EXPECT_TRUE(CKLCoord().IsEqual(CKLCoord(0.9e-6, -0.9e-6)));
  EXPECT_FALSE(CKLCoord(1, 2).IsEqual(CKLCoord(1, 2 + 1e-5)));
  EXPECT_FALSE(CKLCoord(NAN, 0).IsEqual(CKLCoord(NAN, 0)));
  EXPECT_TRUE(CKLDSize(420, 297).IsEqual(CKLDSize(420.0000005, 297)));
  EXPECT_FALSE(CKLDSize(0, 0).IsEqual(CKLDSize(0, 1e-6)));
  CKLDSize s;
  s = CKLDSize(3, 4);
  const CKLDRect r(1, 2, 3, 4), copy(r);
  EXPECT_TRUE(s.IsEqual(CKLDSize(3, 4)));
  EXPECT_TRUE(copy.IsEqual(r));
  EXPECT_EQ(copy.left, 1.0);
  EXPECT_EQ(copy.bottom, 4.0);
}

} // namespace

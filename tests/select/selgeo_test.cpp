// Elements against a rectangle and against a fence polygon.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>

#include "select/selpoly.h"
#include "select/selrect.h"
#include "select/selwin.h"

namespace {

ElementRecord rec(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  return r;
}
ElementRecord pnt(double x, double y) {
  ElementRecord r = rec(PNT);
  r.pnt.x = x, r.pnt.y = y;
  return r;
}
ElementRecord lin(double x1, double y1, double x2, double y2, uint16_t kind = LIN) {
  ElementRecord r = rec(kind);
  r.lin = LinBody{x1, y1, x2, y2, 0x11, {}};
  return r;
}
ElementRecord arc(double cx, double cy, double rad, double s, double e, uint16_t attr = 0x11) {
  ElementRecord r = rec(ARC);
  r.arc = ArcBody{cx, cy, rad, s, e, attr, {}};
  return r;
}
ElementRecord txt(float x, float y, float h) {
  ElementRecord r = rec(CHR);
  r.chr.x = x, r.chr.y = y, r.chr.height = h, r.chr.width = h, r.chr.attr = 1;
  return r;
}

void window(int relation, double x0, double y0, double x1, double y1) {
  SelWindow = SelWindowRec{1, relation, 0, 0, x0, y0, x1, y1, 0, 0};
}

const double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(RectTest, PointOnTheEdgeIsInsideUnlessTheRelationIsOutside) {
  const ElementRecord p = pnt(10, 5);
  for (int rel : {0, 1}) {
    window(rel, 0, 0, 10, 10);
    EXPECT_EQ(sel_winelm(PNT, &p, nullptr), 0) << rel;
  }
  window(2, 0, 0, 10, 10);
  EXPECT_EQ(sel_winelm(PNT, &p, nullptr), 2);
  EXPECT_EQ(sel_winpt(10 - 5e-7, 5), 1); // the band just inside the edge is outside
  EXPECT_EQ(sel_ptout(10, 10, 0, 0, 10, 5), 0);
}

TEST(RectTest, LinesAgainstTheRectangle) {
  struct Case {
    ElementRecord l;
    int win, code, elm;
  } cases[] = {
      {lin(1, 1, 9, 9), 0, 0, 0},
      {lin(5, 5, 15, 5), 1, 2, 2},    // start in, end out
      {lin(15, 5, 5, 5), 1, 2, 3},    // start out, end in
      {lin(-5, 5, 15, 5), 2, 3, 4},   // both out, through it
      {lin(-5, 15, 15, 15), 2, 4, 5}, // both out, beside it
  };
  window(1, 0, 0, 10, 10);
  for (const Case &c : cases) {
    EXPECT_EQ(sel_winelm(LIN, &c.l, nullptr), c.win) << c.l.lin.x1 << "," << c.l.lin.y1;
    EXPECT_EQ(sel_rectcode(10, 10, 0, 0, LIN, &c.l, nullptr), c.code) << c.l.lin.x1;
    EXPECT_EQ(sel_rectelm(0, 0, 10, 10, LIN, &c.l, nullptr), c.elm) << c.l.lin.x1;
  }
  const ElementRecord through = lin(-5, 5, 15, 5);
  EXPECT_EQ(sel_sidecut(0, 0, 10, 10, &through), 2);
  EXPECT_EQ(sel_segsides(0, 0, 10, 10, -5, 2, 15, 8), 2);
  EXPECT_EQ(sel_segsides(0, 0, 10, 10, -5, -5, 15, 15), 4); // through two corners, each on two sides
}

TEST(RectTest, ArcsAgainstTheRectangle) {
  // Ends at 10 and 95 degrees lie inside; the 90-degree point rises above the top.
  const ElementRecord bulge = arc(0, 0, 10, 10, 95);
  EXPECT_EQ(sel_rectcode(-2, -1, 11, 9.98, ARC, &bulge, nullptr), 1);
  EXPECT_EQ(sel_rectelm(-2, -1, 11, 9.98, ARC, &bulge, nullptr), 1);
  const ElementRecord top = arc(0, 0, 10, 45, 135);
  EXPECT_EQ(sel_rectelm(-20, -20, 20, 20, ARC, &top, nullptr), 0);
  EXPECT_EQ(sel_rectcode(-20, -20, 20, 20, ARC, &top, nullptr), 0);
  // A full circle around the rectangle cuts no side.
  const ElementRecord ring = arc(5, 5, 100, 0, 360);
  EXPECT_EQ(sel_rectcode(0, 0, 10, 10, ARC, &ring, nullptr), 4);
  EXPECT_EQ(sel_rectelm(0, 0, 10, 10, ARC, &ring, nullptr), 5);
  const ElementRecord cutting = arc(10, 5, 3, 0, 360);
  EXPECT_EQ(sel_rectcode(0, 0, 10, 10, ARC, &cutting, nullptr), 3);
  EXPECT_EQ(sel_rectelm(0, 0, 10, 10, ARC, &cutting, nullptr), 4);
  EXPECT_EQ(sel_arcsides(0, 0, 10, 10, 10, 5, 3, 0, 360), 2);

  window(1, -20, -20, 20, 20);
  EXPECT_EQ(sel_winelm(ARC, &top, nullptr), 0);
  window(1, -2, -1, 11, 9.98);
  EXPECT_EQ(sel_winelm(ARC, &bulge, nullptr), 3);
  window(1, 50, 50, 60, 60);
  EXPECT_EQ(sel_winelm(ARC, &bulge, nullptr), 2); // its circle's box misses the window
  window(1, 0, -20, 20, 20);
  EXPECT_EQ(sel_winelm(ARC, &top, nullptr), 1); // the end at 135 degrees lies left of it
}

TEST(RectTest, HugeOrNotFiniteAnglesFailAtOnce) {
  for (double bad : {1e300, -1e300, NaN, std::numeric_limits<double>::infinity()}) {
    const ElementRecord a = arc(0, 0, 10, bad, 90);
    const ElementRecord b = arc(0, 0, 10, 0, bad);
    window(1, -20, -20, 20, 20);
    EXPECT_EQ(sel_winelm(ARC, &a, nullptr), -1) << bad;
    EXPECT_EQ(sel_winelm(ARC, &b, nullptr), -1) << bad;
    EXPECT_EQ(sel_rectcode(-20, -20, 20, 20, ARC, &a, nullptr), -1) << bad;
    EXPECT_EQ(sel_rectelm(-20, -20, 20, 20, ARC, &b, nullptr), -1) << bad;
    const double sq[8] = {-20, -20, 20, -20, 20, 20, -20, 20};
    EXPECT_EQ(fnc_elm(1, 4, sq, &a, nullptr), -1) << bad;
    EXPECT_EQ(fnc_arc(sq, 4, 0, 0, 10, 0, bad, 0), -1) << bad;
  }
}

TEST(RectTest, EmptyTextIsInsideAndMaskedKindsAreNotTested) {
  const ElementRecord t = txt(500, 500, 10);
  window(1, 0, 0, 10, 10);
  EXPECT_EQ(sel_winelm(CHR, &t, ""), 0);
  EXPECT_EQ(sel_rectcode(0, 0, 10, 10, CHR, &t, ""), 0);
  EXPECT_EQ(sel_rectelm(0, 0, 10, 10, CHR, &t, ""), 0);
  const ElementRecord masked = lin(1, 1, 2, 2, LIN | MSKBOX);
  EXPECT_EQ(sel_winelm(LIN | MSKBOX, &masked, nullptr), -1);
  EXPECT_EQ(sel_rectcode(0, 0, 10, 10, LIN | MSKBOX, &masked, nullptr), -1);
  EXPECT_EQ(sel_rectelm(0, 0, 10, 10, LIN | MSKBOX, &masked, nullptr), -1);
}

TEST(RectTest, TextBoxesAgainstTheRectangle) {
  const ElementRecord t = txt(2, 2, 4);
  window(1, 0, 0, 100, 100);
  EXPECT_EQ(sel_winelm(CHR, &t, "AB"), 0);
  EXPECT_EQ(sel_rectcode(0, 0, 100, 100, CHR, &t, "AB"), 0);
  EXPECT_EQ(sel_rectcode(0, 0, 4, 100, CHR, &t, "AB"), 3);
  EXPECT_EQ(sel_rectelm(0, 0, 4, 100, CHR, &t, "AB"), 4);
  EXPECT_EQ(sel_rectcode(50, 50, 60, 60, CHR, &t, "AB"), 4);
  EXPECT_EQ(sel_rectelm(50, 50, 60, 60, CHR, &t, "AB"), 5);
  window(1, 0, 0, 4, 100);
  EXPECT_EQ(sel_winelm(CHR, &t, "AB"), 2);
}

ElementRecord figure(uint16_t cls, std::initializer_list<double> vals) {
  ElementRecord r = rec(NOD);
  r.subkind = 1;
  std::memcpy(r.nod.data, &cls, 2);
  int i = 0;
  for (double v : vals)
    std::memcpy(r.nod.data + 2 + 8 * i++, &v, 8);
  return r;
}

TEST(RectTest, FigureNodesByTheirClass) {
  window(1, 0, 0, 10, 10);
  const ElementRecord seg = figure(100, {1, 1, 20, 5});
  EXPECT_EQ(sel_winelm(NOD, &seg, nullptr), 1);
  const ElementRecord arcfig = figure(500, {5, 5, 3, 90, 0}); // start above end: swapped
  EXPECT_EQ(sel_winelm(NOD, &arcfig, nullptr), 0);
  const ElementRecord outside = figure(600, {50, 50, 3, 0, 90});
  EXPECT_EQ(sel_winelm(NOD, &outside, nullptr), 2);
  const ElementRecord fig = figure(1100, {});
  EXPECT_EQ(sel_winelm(NOD, &fig, nullptr), -1);
  window(2, 0, 0, 10, 10);
  EXPECT_EQ(sel_winelm(NOD, &seg, nullptr), -1);
}

// A square fence 0..10.
const double Sq[8] = {0, 0, 10, 0, 10, 10, 0, 10};

TEST(PolyTest, PointsAgainstTheFence) {
  const ElementRecord on = pnt(10, 5), in = pnt(5, 5), out = pnt(15, 5);
  EXPECT_EQ(fnc_pt(Sq, 4, 10, 5), 4);
  EXPECT_EQ(fnc_elm(1, 4, Sq, &on, nullptr), 0);
  EXPECT_EQ(fnc_elm(2, 4, Sq, &on, nullptr), 5);
  EXPECT_EQ(fnc_elm(2, 4, Sq, &in, nullptr), 0);
  EXPECT_EQ(fnc_elm(1, 4, Sq, &out, nullptr), 5);
  // A triangle whose apex (5, 10) only touches the ray of a point level with it.
  const double tri[6] = {0, 0, 10, 0, 5, 10};
  EXPECT_EQ(fnc_pt(tri, 3, 1, 10), 2);
  EXPECT_EQ(fnc_pt(tri, 3, 8, 10), 2); // the ray back through the apex
  EXPECT_EQ(fnc_pt(tri, 3, 5, 5), 1);
  // A diamond: a point level with its side vertex is inside or outside as it lies.
  const double dia[8] = {5, 0, 10, 5, 5, 10, 0, 5};
  EXPECT_EQ(fnc_pt(dia, 4, 7, 5), 1);
  EXPECT_EQ(fnc_pt(dia, 4, 12, 5), 2);
}

TEST(PolyTest, SegmentsAgainstTheFence) {
  EXPECT_EQ(fnc_seg(Sq, 4, 2, 0, 8, 0), 6); // along an edge
  const ElementRecord along = lin(2, 0, 8, 0);
  EXPECT_EQ(fnc_elm(1, 4, Sq, &along, nullptr), 0);
  EXPECT_EQ(fnc_elm(2, 4, Sq, &along, nullptr), 5);
  const double dia[8] = {5, 0, 10, 5, 5, 10, 0, 5};
  EXPECT_EQ(fnc_seg(dia, 4, 5, 5, 15, 5), 2);   // inside to outside through a vertex
  EXPECT_EQ(fnc_seg(dia, 4, 15, 5, 5, 5), 3);   // and back
  EXPECT_EQ(fnc_seg(dia, 4, 10, 0, 10, 10), 5); // only touches the vertex (10, 5)
  EXPECT_EQ(fnc_seg(Sq, 4, 2, 2, 8, 8), 0);
  EXPECT_EQ(fnc_seg(Sq, 4, -2, 5, 12, 5), 4);
  EXPECT_EQ(fnc_seg(Sq, 4, 12, 2, 12, 8), 5);
  EXPECT_EQ(fnc_seg(Sq, 4, 0, 0, 10, 10), 0); // a diagonal between two vertices
  EXPECT_EQ(fnc_seg(Sq, 4, 1, 1, 1, 1 + 1e-9), 0);
}

// A U-shaped fence: a segment across the gap leaves and re-enters. Its crossings come
// out of edge order; taken in order along the segment the gap's midpoint is outside.
TEST(PolyTest, ConcaveFenceSegmentLeavingAndReenteringIsPartlyOutside) {
  const double u[16] = {0, 0, 30, 0, 30, 20, 20, 20, 20, 5, 10, 5, 10, 20, 0, 20};
  EXPECT_EQ(fnc_seg(u, 8, 5, 10, 25, 10), 1);
  EXPECT_EQ(fnc_seg(u, 8, 25, 10, 5, 10), 1);
  // Two gaps: a comb with three teeth, crossed from the first tooth to the last.
  const double comb[24] = {0, 0, 50, 0, 50, 20, 40, 20, 40, 5, 30, 5, 30, 20, 20, 20, 20, 5, 10, 5, 10, 20, 0, 20};
  EXPECT_EQ(fnc_seg(comb, 12, 5, 10, 45, 10), 1);
  EXPECT_EQ(fnc_seg(comb, 12, 5, 3, 45, 3), 0); // below the gaps
}

TEST(PolyTest, CirclesAndArcsAgainstTheFence) {
  EXPECT_EQ(fnc_circ(Sq, 4, 5, 5, 100), 5);
  EXPECT_EQ(fnc_circ(Sq, 4, 5, 5, 2), 0);
  EXPECT_EQ(fnc_circ(Sq, 4, 10, 5, 2), 4);
  EXPECT_EQ(fnc_circ(Sq, 4, 5, 5, 0), -1);
  const ElementRecord c = arc(5, 5, 2, 0, 360);
  EXPECT_EQ(fnc_elm(2, 4, Sq, &c, nullptr), 0);
  // Both ends inside, the middle leaves through the top edge.
  EXPECT_EQ(fnc_arc(Sq, 4, 5, 0, 10.5, 65, 115, 0), 1);
  EXPECT_EQ(fnc_arc(Sq, 4, 5, 5, 3, 0, 90, 0), 0);
  EXPECT_EQ(fnc_arc(Sq, 4, 5, 5, 8, 80, 100, 0), 5);
  EXPECT_EQ(fnc_arc(Sq, 4, 5, -3, 9, 30, 150, 0), 4);
  EXPECT_EQ(fnc_arc(Sq, 4, 8, 5, 4, 0, 90, 0), 3);
  EXPECT_EQ(fnc_arc(Sq, 4, 8, 5, 4, 0, 90, 0x4000), 2); // the ends taken the other way round
  EXPECT_EQ(fnc_arc(Sq, 4, 0, 5, 3, 0, 90, 0), 0);       // one end on the fence
  EXPECT_EQ(fnc_arc(Sq, 4, 5, 5, 3, NaN, 90, 0), -1);
}

TEST(PolyTest, TextStraddlingTheFenceCrosses) {
  const ElementRecord t = txt(8, 4, 4);
  EXPECT_EQ(fnc_elm(1, 4, Sq, &t, "A"), 4);
  const ElementRecord in = txt(2, 2, 3);
  EXPECT_EQ(fnc_elm(2, 4, Sq, &in, "A"), 0);
  const ElementRecord out = txt(50, 50, 3);
  EXPECT_EQ(fnc_elm(2, 4, Sq, &out, "A"), 5);
  const ElementRecord box = rec(MSKBOX);
  EXPECT_EQ(fnc_elm(1, 4, Sq, &box, nullptr), 0);
  const ElementRecord masked = lin(1, 1, 2, 2, LIN | MSKBOX);
  EXPECT_EQ(fnc_elm(1, 4, Sq, &masked, nullptr), -1);
}

TEST(PolyTest, SmallOperations) {
  EXPECT_EQ(sel_angcmp(10, 10.005), 0);
  EXPECT_EQ(sel_angcmp(10, 10.02), -1);
  EXPECT_EQ(sel_angcmp(10.02, 10), 1);
  EXPECT_EQ(fnc_angin(350, 10, 0), 0);
  EXPECT_EQ(fnc_angin(350, 10, 20), 1);
  EXPECT_EQ(fnc_angin(30, 30, 200), 0);
  EXPECT_EQ(fnc_angin(1e300, 10, 5), 1);
  double s = 350, e = 10;
  EXPECT_EQ(fnc_arcnorm(&s, &e), 0);
  EXPECT_DOUBLE_EQ(s, -10);
  EXPECT_DOUBLE_EQ(e, 10);
  s = 1e300, e = 5;
  EXPECT_EQ(fnc_arcnorm(&s, &e), -1);
  EXPECT_EQ(fnc_mapres(1, 3, 0), -1);
  EXPECT_EQ(fnc_mapres(2, 0, -1), -1);
  EXPECT_EQ(fnc_onseg(GeoPoint{0, 0}, GeoPoint{0, 0}, GeoPoint{1, 1}), -1);
  GeoPoint x;
  EXPECT_EQ(fnc_segseg(GeoPoint{0, 0}, GeoPoint{10, 0}, GeoPoint{0, 1}, GeoPoint{10, 1}, &x), 2);
  EXPECT_EQ(fnc_segseg(GeoPoint{0, 0}, GeoPoint{10, 10}, GeoPoint{0, 10}, GeoPoint{10, 0}, &x), 0);
  EXPECT_DOUBLE_EQ(x.x, 5);
}

TEST(PolyTest, RayParity) {
  const ElementRecord in = pnt(5, 5), out = pnt(15, 5), inl = lin(2, 3, 4, 6), cut = lin(5, 5, 15, 5);
  EXPECT_EQ(fnc_polyray(4, Sq, &in, nullptr), 0);
  EXPECT_EQ(fnc_polyray(4, Sq, &out, nullptr), 4);
  EXPECT_EQ(fnc_polyray(4, Sq, &inl, nullptr), 0);
  EXPECT_EQ(fnc_polyray(4, Sq, &cut, nullptr), 4); // meeting an edge resets the count
  const ElementRecord a = arc(5, 5, 2, 0, 90);
  EXPECT_EQ(fnc_polyray(4, Sq, &a, nullptr), 0);
  const ElementRecord g = rec(NOD);
  EXPECT_EQ(fnc_polyray(4, Sq, &g, nullptr), -1);
}

} // namespace

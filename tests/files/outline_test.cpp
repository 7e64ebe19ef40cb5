#include <cmath>

#include "files/outline.h"
#include "files/scale.h"
#include "sealfix.h"

namespace {

SlfOutline outline(int db = 0) {
  SlfOutline o;
  slf_outline(db, int32_t(DbCtl[db].count1), &o);
  return o;
}

ElementRecord circle(double cx, double cy, double r) { return arcrec(cx, cy, r, 0, 360); }

} // namespace

TEST_F(Seal, OutlineOfCirclesAndShapes) {
  add(0, circle(1, 2, 5));
  SlfOutline o = outline();
  EXPECT_EQ(o.kind, 2);
  EXPECT_EQ(o.x, 1);
  EXPECT_EQ(o.y, 2);
  EXPECT_EQ(o.width, 5);
  EXPECT_EQ(o.height, 5);

  empty(0);
  add(0, circle(0, 0, 10));
  add(0, line(-3, 0, 3, 0));
  EXPECT_EQ(outline().kind, 2);
  add(0, line(0, 0, 12, 0));
  o = outline();
  EXPECT_EQ(o.kind, 1);
  EXPECT_EQ(o.width, 22); // -10 .. 12
  EXPECT_EQ(o.height, 20);
  EXPECT_EQ(o.x, 1);
  EXPECT_EQ(o.y, 0);

  empty(0);
  EXPECT_EQ(outline().kind, 0);
  add(0, text(0, 0, 5, 4), ""); // no lines, arcs or circles give no outline
  add(0, blank(PNT));
  empty(0);
  add(0, blank(PNT));
  o = outline();
  EXPECT_EQ(o.kind, 0);
  EXPECT_EQ(o.width, 0);
}

TEST_F(Seal, CirclesMergeTheSameWayInEitherOrder) {
  struct Case {
    ElementRecord a, b;
    uint16_t kind;
    double w;
  } cases[] = {
      {circle(0, 0, 10), circle(1, 1, 3), 2, 10},  // the smaller inside the larger
      {circle(0, 0, 10), circle(9, 0, 3), 1, 22},  // the smaller sticks out: -10 .. 12
  };
  for (const Case &c : cases) {
    empty(0);
    add(0, c.a);
    add(0, c.b);
    const SlfOutline first = outline();
    empty(0);
    add(0, c.b);
    add(0, c.a);
    const SlfOutline second = outline();
    EXPECT_EQ(first.kind, c.kind);
    EXPECT_EQ(second.kind, c.kind);
    EXPECT_EQ(first.width, c.w);
    EXPECT_EQ(second.width, c.w);
    EXPECT_EQ(first.height, second.height);
  }
}

TEST_F(Seal, OutlineTakesTheTextBoxAsLaidOutAndTurned) {
  // Four characters of width 4 and height 5: a box 16 x 5 placed by the alignment.
  struct Case {
    uint16_t attr;
    float angle;
    double l, r, b, t;
  } cases[] = {
      {0x0001, 0, 100, 116, 50, 55},                   // left, bottom
      {0x0081, 0, 92, 108, 50, 55},                    // centred
      {0x0101, 0, 84, 100, 50, 55},                    // right-aligned
      {0x0001 | 0x20 | 0x100, 0, 84, 100, 47.5, 52.5}, // right, middle
      {0x0001, 90, 95, 100, 50, 66},                   // turned a quarter
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.attr);
    empty(0);
    add(0, text(100, 50, 5, 4, c.attr, c.angle), "ABCD");
    const SlfOutline o = outline();
    ASSERT_EQ(o.kind, 1);
    EXPECT_NEAR(o.x - o.width / 2, c.l, 1e-4);
    EXPECT_NEAR(o.x + o.width / 2, c.r, 1e-4);
    EXPECT_NEAR(o.y - o.height / 2, c.b, 1e-4);
    EXPECT_NEAR(o.y + o.height / 2, c.t, 1e-4);
  }
  // Erased records play no part.
  empty(0);
  add(0, line(0, 0, 10, 10));
  const int32_t far = add(0, line(0, 0, 500, 500));
  elm_delete(0, far, ELM_NODRAW);
  EXPECT_EQ(outline().width, 10);
}

TEST_F(Seal, SavedHeaderCarriesOutlineAndSheet) {
  add(0, circle(1, 2, 5));
  DrawingEnvRecord env;
  sys_dwgenv('R', 0, &env);
  env.sheet.width = 123;
  env.sheet.height = 45;
  sys_dwgenv('W', 0, &env);
  uint8_t cur[256];
  std::memset(cur, 0x42, 256);
  sys_sealhdr('W', cur);
  const Bytes file = image(0);
  EXPECT_EQ(slf_get<uint16_t>(file.data(), 132), 2);
  EXPECT_EQ(slf_get<double>(file.data(), 136), 1);
  EXPECT_EQ(slf_get<double>(file.data(), 152), 5);
  EXPECT_EQ(slf_get<double>(file.data(), 160), 5);
  EXPECT_EQ(slf_get<double>(file.data(), 168), 123);
  EXPECT_EQ(slf_get<double>(file.data(), 176), 45);
  // Copied bytes stay as the current header holds them.
  for (int i : {0, 3, 19, 23, 26, 31, 32, 56, 80, 100, 124, 134, 184, 255})
    EXPECT_EQ(file[std::size_t(i)], 0x42) << i;
}

TEST_F(Seal, Extents) {
  EXPECT_EQ(slf_extents(0, nullptr, nullptr), 1);
  add(0, line(0, 5, 10, 5));
  GeoPoint lo, hi;
  EXPECT_EQ(slf_extents(0, &lo, &hi), 1); // a horizontal line alone has no height
  empty(0);
  add(0, arcrec(0, 0, 1, 0, 90));
  ASSERT_EQ(slf_extents(0, &lo, &hi), 0);
  EXPECT_NEAR(lo.x, 0, 1e-12);
  EXPECT_NEAR(lo.y, 0, 1e-12);
  EXPECT_NEAR(hi.x, 1, 1e-12);
  EXPECT_NEAR(hi.y, 1, 1e-12);
  RaruOutlineRecord r{};
  ASSERT_EQ(slf_outrec(0, &r), 0);
  EXPECT_EQ(r.kind, 1);
  EXPECT_NEAR(r.width, 1, 1e-12);
  DrawingEnvRecord env{};
  slf_envout(0, &env);
  RaruOutlineRecord back;
  slf_outget(env.outline, &back);
  EXPECT_EQ(back.kind, 1);
  EXPECT_NEAR(back.height, 1, 1e-12);
  empty(0);
  slf_envout(0, &env);
  slf_outget(env.outline, &back);
  EXPECT_EQ(back.kind, 0);
  EXPECT_EQ(back.width, 0);
}

TEST_F(Seal, ScaleConversions) {
  float v[3] = {-999, 10, 20};
  scl_div3(v, 2);
  EXPECT_EQ(v[0], -999);
  EXPECT_EQ(v[1], 5);
  EXPECT_EQ(v[2], 10);
  float m[3] = {-999, 10, 20};
  scl_mul3(m, 2);
  EXPECT_EQ(m[0], -1998);
  EXPECT_EQ(m[2], 40);
  SheetRecord s;
  sys_sheet('R', 0, &s);
  s.scale = 4;
  sys_sheet('W', 0, &s);
  float z[3] = {8, 8, 8};
  scl_div3(z, 0); // the drawing's scale
  EXPECT_EQ(z[0], 2);
  // A scale that cannot divide or multiply is refused and the sizes stay as they were:
  // NaN or infinity as given, or 0 standing for a drawing scale of 0 or NaN.
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    SCOPED_TRACE(bad);
    float n[3] = {8, 8, 8};
    DimAttrs r{};
    r.f04 = 6;
    r.f70 = 9;
    EXPECT_EQ(scl_div3(n, bad), 0);
    EXPECT_EQ(scl_mul3(n, bad), 0);
    EXPECT_EQ(scl_divrec(&r, bad), 0);
    EXPECT_EQ(scl_mulrec(&r, bad), 0);
    EXPECT_EQ(n[0], 8);
    EXPECT_EQ(n[2], 8);
    EXPECT_EQ(+r.f04, 6);
    EXPECT_EQ(+r.f70, 9);
  }
  for (double drawing : {0.0, std::nan("")}) {
    SCOPED_TRACE(drawing);
    s.scale = drawing;
    sys_sheet('W', 0, &s);
    float n[3] = {8, 8, 8};
    EXPECT_EQ(scl_div3(n, 0), 0);
    EXPECT_EQ(scl_mul3(n, 0), 0);
    EXPECT_EQ(n[1], 8);
  }
  s.scale = 4;
  sys_sheet('W', 0, &s);
  DimAttrs d{};
  d.f00 = -999;
  d.f04 = 6;
  d.f30[0] = -999;
  d.f70 = 9;
  scl_divrec(&d, 3);
  EXPECT_EQ(+d.f00, -999);
  EXPECT_EQ(+d.f04, 2);
  EXPECT_EQ(+d.f30[0], -333); // the further sizes have no unset test
  EXPECT_EQ(+d.f70, 3);
  scl_mulrec(&d, 3);
  EXPECT_EQ(+d.f04, 6);
  EXPECT_EQ(+d.f70, 9);
}

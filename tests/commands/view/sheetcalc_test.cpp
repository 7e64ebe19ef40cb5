// Sheet arithmetic: the change stack, the fitted sheet, the change factor, the shift
// of each kind of record and the extents of a drawing's elements.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "../../database/dbfixture.h"
#include "commands/view/sheetcalc.h"

namespace {

TEST(SheetStack, FiveChangesComeBackInReverseAndASixthTakeBackDoesNothing) {
  SheetStack s;
  shs_reset(s, 100, 50);
  for (int i = 1; i <= 5; i++)
    shs_push(s, {double(i), -double(i), 100.0 + i, 50.0 + i});
  EXPECT_EQ(s.count, 5);
  for (int i = 5; i >= 1; i--) {
    SheetChange back;
    ASSERT_EQ(shs_pop(s, &back), 0) << i;
    EXPECT_EQ(back.dx, -double(i));
    EXPECT_EQ(back.dy, double(i));
    EXPECT_EQ(back.width, 100.0 + i - 1);
    EXPECT_EQ(back.height, 50.0 + i - 1);
  }
  const SheetStack before = s;
  SheetChange back{7, 7, 7, 7};
  EXPECT_EQ(shs_pop(s, &back), 1);
  EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0);
  EXPECT_EQ(back.dx, 7);
}

TEST(SheetStack, TheRingKeepsFiveOfMoreChanges) {
  SheetStack s;
  shs_reset(s, 10, 10);
  for (int i = 1; i <= 8; i++)
    shs_push(s, {0, 0, 10.0 * i, 10.0 * i});
  EXPECT_EQ(s.count, 5);
  std::vector<double> widths;
  SheetChange back;
  while (shs_pop(s, &back) == 0)
    widths.push_back(back.width);
  EXPECT_EQ(widths, (std::vector<double>{70, 60, 50, 40, 30}));
  vew_prvclr(0);
  SheetStacks[0].count = 3;
  vew_prvclr(0);
  EXPECT_EQ(SheetStacks[0].count, 0);
}

TEST(SheetFit, TheBoxIsWidenedToTheSheetAndMadeLarger) {
  struct Case {
    double x0, y0, x1, y1, sw, sh;
    int rc;
    double w, h; // new sheet
  } cases[] = {
      {0, 0, 80, 20, 200, 100, 0, 100, 50},                   // too flat: height widened
      {0, 0, 20, 80, 200, 100, 0, 200, 100},                  // too tall: width widened
      {-10, -10, 30, 10, 100, 50, 0, 50, 25},                 // already the aspect
      {0, 0, 0.5, 0.25, 100, 50, 1, 0, 0},                    // under 1 wide: nothing
      {0, 0, 80000001, 1, 100, 50, 0, 99999991, 49999995.5}, // far: the largest sheet
      {0, 0, 99999992, 1, 100, 50, 1, 0, 0},                  // beyond it: nothing
      {0, 0, 0, 0, 100, 50, 1, 0, 0},                         // a single point
  };
  for (const Case &c : cases) {
    SheetChange out{-1, -1, -1, -1};
    const int rc = sht_fitbox({c.x0, c.y0}, {c.x1, c.y1}, c.sw, c.sh, &out);
    EXPECT_EQ(rc, c.rc) << c.x1 << "x" << c.y1;
    if (rc != 0)
      continue;
    EXPECT_DOUBLE_EQ(out.width, c.w) << c.x1;
    EXPECT_DOUBLE_EQ(out.height, c.h) << c.x1;
    // The box centre goes to the new sheet's centre.
    EXPECT_DOUBLE_EQ((c.x0 + c.x1) / 2 + out.dx, c.w / 2);
    EXPECT_DOUBLE_EQ((c.y0 + c.y1) / 2 + out.dy, c.h / 2);
  }
}

TEST(SheetFit, ChangeFactorWithAZeroPartIsOne) {
  EXPECT_DOUBLE_EQ(sht_factor(1, 2, 1, 1), 2.0);
  EXPECT_DOUBLE_EQ(sht_factor(1, 1, 1, 4), 0.25);
  EXPECT_DOUBLE_EQ(sht_factor(0, 1, 1, 4), 1.0);
  EXPECT_DOUBLE_EQ(sht_factor(1, 1, 1, 0), 1.0);
}

TEST(SheetShift, EachKindMovesItsPoints) {
  ElementRecord r = proto(PNT);
  r.pnt.x = 1, r.pnt.y = 2;
  EXPECT_EQ(sht_shiftrec(&r, 10, 20), 1);
  EXPECT_EQ(double(r.pnt.x), 11);
  EXPECT_EQ(double(r.pnt.y), 22);
  r = lin(1, 2, 3, 4);
  sht_shiftrec(&r, 10, 20);
  EXPECT_EQ(double(r.lin.x1), 11);
  EXPECT_EQ(double(r.lin.y2), 24);
  r = arc(5, 0, 90);
  sht_shiftrec(&r, 10, 20);
  EXPECT_EQ(double(r.arc.cx), 60);
  EXPECT_EQ(double(r.arc.r), 5);
  r = proto(CHR);
  r.chr.x = 1, r.chr.y = 2, r.chr.height = 3;
  sht_shiftrec(&r, 10, 20);
  EXPECT_EQ(double(r.chr.x), 11.0f);
  EXPECT_EQ(double(r.chr.height), 3.0f);
  // Dimension nodes: two points for classes 100..400, the first for 500..700.
  for (uint16_t cls : {100, 400, 500, 700, 800}) {
    ElementRecord n = proto(NOD);
    n.subkind = 1;
    auto *b = reinterpret_cast<uint8_t *>(&n);
    std::memcpy(b + 28, &cls, 2);
    const double p[4] = {1, 2, 3, 4};
    std::memcpy(b + 30, p, sizeof p);
    sht_shiftrec(&n, 10, 20);
    double q[4];
    std::memcpy(q, b + 30, sizeof q);
    const bool first = cls <= 700, second = cls <= 400;
    EXPECT_EQ(q[0], first ? 11 : 1) << cls;
    EXPECT_EQ(q[1], first ? 22 : 2) << cls;
    EXPECT_EQ(q[2], second ? 13 : 3) << cls;
    EXPECT_EQ(q[3], second ? 24 : 4) << cls;
  }
  // The box of a masking text moves with the text.
  ElementRecord box = proto(MSKBOX);
  const double corner[2] = {1, 2};
  std::memcpy(reinterpret_cast<uint8_t *>(&box) + 24, corner, sizeof corner);
  EXPECT_EQ(sht_shiftrec(&box, 10, 20), 1);
  double moved[2];
  std::memcpy(moved, reinterpret_cast<uint8_t *>(&box) + 24, sizeof moved);
  EXPECT_EQ(moved[0], 11);
  EXPECT_EQ(moved[1], 22);
  r = lin(1, 2, 3, 4);
  r.flags = ELM_ERASED;
  EXPECT_EQ(sht_shiftrec(&r, 10, 20), 0);
  EXPECT_EQ(double(r.lin.x1), 1);
}

struct Extents : Store {
  void TearDown() override {
    ShtRecord = dtb_ptr;
    Store::TearDown();
  }
  static int32_t add(ElementRecord r, const char *s = nullptr) { return elm_add(0, 0, ELM_NODRAW, &r, s); }
  static void box(double x0, double y0, double x1, double y1, const char *what) {
    GeoPoint lo, hi;
    ASSERT_EQ(dwg_extents(0, &lo, &hi), 0) << what;
    EXPECT_NEAR(lo.x, x0, 1e-4) << what;
    EXPECT_NEAR(lo.y, y0, 1e-4) << what;
    EXPECT_NEAR(hi.x, x1, 1e-4) << what;
    EXPECT_NEAR(hi.y, y1, 1e-4) << what;
  }
};

TEST_F(Extents, NoElementGivesNonZero) {
  GeoPoint lo, hi;
  EXPECT_NE(dwg_extents(0, &lo, &hi), 0);
  ElementRecord p = proto(PNT);
  const int32_t n = add(p);
  ASSERT_EQ(elm_delete(0, n, ELM_NODRAW), 0);
  EXPECT_NE(dwg_extents(0, &lo, &hi), 0);
}

TEST_F(Extents, PointLineAndArc) {
  ElementRecord p = proto(PNT);
  p.pnt.x = 3, p.pnt.y = 4;
  add(p);
  box(3, 4, 3, 4, "point");
  add(lin(-5, 1, 2, -6));
  box(-5, -6, 3, 4, "line");
  ElementRecord a = arc(10, -45, 135); // centre (50, 40), through 0 and 90 degrees
  add(a);
  box(-5, -6, 60, 50, "arc");
}

TEST_F(Extents, AnArcOnlyReachesTheQuadrantsInItsSweep) {
  add(arc(10, -45, 135));
  const double c = 10 * std::sqrt(0.5);
  box(50 - c, 40 - c, 60, 50, "arc through 0 and 90");
}

TEST_F(Extents, RotatedTextsOfEachAlignment) {
  // "AB" 10 high and 10 wide without spacing: a 20 x 10 box placed by its bases, then
  // turned 90 degrees about (100, 50).
  for (int hb = 0; hb < 3; hb++)
    for (int vb = 0; vb < 3; vb++) {
      dtb_ctrl('i', nullptr);
      ElementRecord t = proto(CHR);
      t.chr.x = 100, t.chr.y = 50;
      t.chr.height = 10, t.chr.width = 10, t.chr.spacing = 0, t.chr.angle = 90;
      t.chr.attr = uint16_t(1 | vb << 5 | hb << 7);
      ASSERT_GE(add(t, "AB"), 1);
      const double x0 = -hb * 10.0, y0 = -vb * 5.0; // box corner before turning
      const std::string what = "hb " + std::to_string(hb) + " vb " + std::to_string(vb);
      box(100 - (y0 + 10), 50 + x0, 100 - y0, 50 + x0 + 20, what.c_str());
    }
}

TEST_F(Extents, AMissingRecordLeavesEveryElementWhereItWas) {
  add(lin(0, 0, 10, 0));
  add(lin(0, 5, 10, 5));
  add(lin(0, 9, 10, 9));
  ShtRecord = [](int db, int32_t n) { return n == 3 ? nullptr : dtb_ptr(db, n); };
  EXPECT_EQ(sht_check(0), 1);
  EXPECT_EQ(sht_shiftall(0, 100, 100), 1);
  ShtRecord = dtb_ptr;
  EXPECT_EQ(double(dtb_ptr(0, 1)->lin.x1), 0);
  EXPECT_EQ(double(dtb_ptr(0, 2)->lin.x1), 0);
  EXPECT_EQ(sht_shiftall(0, 100, 100), 0);
  EXPECT_EQ(double(dtb_ptr(0, 3)->lin.y1), 109);
}

TEST(BoxAddPoint, GrowsEachSide) {
  double lo[2] = {0, 0}, hi[2] = {1, 1};
  EXPECT_EQ(box_addpt(-2, 3, lo, hi), 0);
  EXPECT_EQ(lo[0], -2);
  EXPECT_EQ(lo[1], 0);
  EXPECT_EQ(hi[0], 1);
  EXPECT_EQ(hi[1], 3);
}

} // namespace

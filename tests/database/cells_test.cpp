// Area cells of elements and their end marks from the end-mark symbols.
#include <cstring>
#include <limits>

#include "database/cells.h"
#include "dbfixture.h"
#include "database/symtab.h"
#include "display/view/view.h"

namespace {

struct Cells : Store {
  void SetUp() override {
    Store::SetUp();
    prm_init();
    sheet(0, 200, 100);
  }
  void TearDown() override {
    sym_free();
    Store::TearDown();
  }
  static void sheet(int db, double w, double h) {
    SheetRecord s;
    sys_sheet('r', db, &s);
    s.width = w, s.height = h;
    sys_sheet('w', db, &s);
  }
};

TEST_F(Cells, PointsSegmentsAndArcs) {
  EXPECT_EQ(cel_pnt(0, 50, 25), 0x0020);
  EXPECT_EQ(cel_pnt(0, 200, 50), 0);
  EXPECT_EQ(cel_pnt(0, -0.4, 10), 0x0001);
  EXPECT_EQ(cel_pnt(0, -60, 10), 0);
  EXPECT_EQ(cel_seg(0, 10, 10, 190, 10), 0x000F);
  EXPECT_EQ(cel_seg(0, -1, 10, 10, 10), 0);
  EXPECT_EQ(cel_seg(0, 10, 90, 10, 10), 0x1111);
  EXPECT_EQ(cel_seg(0, 0, 0, 200, 100), 0xCE73); // the diagonal touches the cells around each corner it meets
  EXPECT_EQ(cel_arc(0, 100, 50, 10, 0, 360), 0x0660);
  EXPECT_EQ(cel_arc(0, 100, 50, 60, 0, 360), 0);
  EXPECT_EQ(cel_arc(0, 100, 50, 10, 0, 90), 0x0640); // the quarter and the cells its ends touch
  EXPECT_EQ(cel_arc(0, 100, 50, 10, 350, 10), 0x0440);
}

TEST_F(Cells, RectanglesAndPointsOnCircles) {
  EXPECT_EQ(cel_rect(0, 60, 30, 10, 10), 0x0033);
  EXPECT_EQ(cel_rect(0, -100, -100, 10, 10), 0x0001);
  EXPECT_EQ(cel_rect(0, -1000, -1000, 1000, 1000), 0xFFFF);
  const GeoPoint c{0, 0}, on{3, 4}, in{1, 1}, out{5, 5};
  int32_t r = 9;
  EXPECT_EQ(geo_ptcirc(&c, 0, &on, &r), 1);
  EXPECT_EQ(r, 9);
  EXPECT_EQ(geo_ptcirc(&c, 5, &on, &r), 0);
  EXPECT_EQ(r, 0);
  geo_ptcirc(&c, 5, &in, &r);
  EXPECT_EQ(r, -1);
  geo_ptcirc(&c, 5, &out, &r);
  EXPECT_EQ(r, 1);
}

TEST_F(Cells, NonFiniteElementsGetNoCells) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const float fnan = std::numeric_limits<float>::quiet_NaN(), finf = std::numeric_limits<float>::infinity();
  auto node = [](double x2) {
    ElementRecord r = nod(1);
    const uint16_t cls = 100;
    const double v[4] = {10, 10, x2, 10};
    std::memcpy(r.nod.data, &cls, 2);
    std::memcpy(r.nod.data + 2, v, sizeof v);
    return r;
  };
  auto text = [](float angle, float h) {
    ElementRecord r = chr("AB");
    r.chr.angle = angle;
    r.chr.height = h;
    return r;
  };
  ElementRecord pt = proto(PNT);
  pt.pnt.x = nan;
  pt.pnt.y = 10;
  struct Case {
    const char *name;
    ElementRecord r;
  } cases[] = {
      {"point NaN", pt},
      {"line end x NaN", lin(10, 10, nan, 10)},
      {"line start y NaN", lin(10, nan, 10, 10)},
      {"line end inf", lin(10, 10, inf, 10)},
      {"line end -inf", lin(10, 10, -inf, 10)},
      {"arc radius NaN", arc(nan, 0, 90)},
      {"arc radius inf", arc(inf, 0, 360)},
      {"arc start NaN", arc(5, nan, 90)},
      {"arc end inf", arc(5, 0, inf)},
      {"text angle NaN", text(fnan, 5)},
      {"text angle inf", text(finf, 5)},
      {"text height inf", text(0, finf)},
      {"class node NaN", node(nan)},
  };
  for (auto &c : cases) {
    c.r.cells = 0x1234;
    EXPECT_EQ(elm_cell(0, &c.r, "AB"), 0) << c.name;
    EXPECT_EQ(+c.r.cells, 0) << c.name;
  }
  EXPECT_EQ(cel_rect(0, nan, 10, 20, 20), 0);
  EXPECT_EQ(cel_rect(0, -inf, -inf, inf, inf), 0xFFFF);
  EXPECT_EQ(cel_seg(0, 10, 10, nan, nan), 0);
  EXPECT_EQ(cel_pnt(0, inf, 10), 0);
}

TEST_F(Cells, ZeroSheetGivesMaskZero) {
  sheet(1, 0, 0);
  EXPECT_EQ(cel_pnt(1, 0, 0), 0);
  EXPECT_EQ(cel_seg(1, 0, 0, 0, 0), 0);
  EXPECT_EQ(cel_arc(1, 0, 0, 1, 0, 360), 0);
  EXPECT_EQ(cel_rect(1, -1, -1, 1, 1), 0);
  EXPECT_EQ(cel_chr(1, 0, 0, 0, 5, 4, 1, 0, "AB"), 0);
  ElementRecord r = lin(1, 1, 2, 2);
  const int32_t n = elm_add(1, 0, ELM_NODRAW, &r, nullptr);
  ASSERT_GT(n, 0);
  EXPECT_EQ(+rec(1, n).cells, 0);
}

TEST_F(Cells, TextCoversTheCellsOfItsLine) {
  // Characters 10 wide from x = 10 at mid-height 20 + 2.5.
  EXPECT_EQ(cel_chr(0, 10, 20, 0, 5, 10, 0, 0, "ABCDEFGHIJKLMNOPQR"), 0x000F);
  EXPECT_EQ(cel_chr(0, 10, 20, 0, 5, 10, 0, 0, "ABCDEFGHIJKL"), 0x0007);
  EXPECT_EQ(cel_chr(0, 10, 20, 0, 5, 10, 0, 0, "AB"), 0x0001);
  EXPECT_EQ(cel_chr(0, 10, 20, 0, 5, 10, 0, 90, "ABCDEFGH"), 0x1111);
  EXPECT_EQ(cel_chr(0, 10, 20, 0, 5, 10, 0, 90, "ABCDEFGHI"), 0); // beyond the sheet
  EXPECT_EQ(cel_chr(0, 10, 20, 0, 5, 10, 0, 0, ""), 0);
}

TEST_F(Cells, AddSetsTheMaskByKind) {
  ElementRecord p = proto(PNT);
  p.pnt.x = 50, p.pnt.y = 25;
  EXPECT_EQ(+rec(0, elm_add(0, 0, ELM_NODRAW, &p, nullptr)).cells, 0x0020);
  ElementRecord l = lin(10, 10, 190, 10);
  EXPECT_EQ(+rec(0, elm_add(0, 0, ELM_NODRAW, &l, nullptr)).cells, 0x000F);
  ElementRecord a = arc(10, 0, 360);
  a.arc.cx = 100, a.arc.cy = 50;
  EXPECT_EQ(+rec(0, elm_add(0, 0, ELM_NODRAW, &a, nullptr)).cells, 0x0660);
  ElementRecord c = nod(1);
  const uint16_t cls = 500;
  std::memcpy(c.nod.data, &cls, 2);
  const double g[5] = {100, 50, 10, 0, 360};
  std::memcpy(c.nod.data + 2, g, sizeof g);
  EXPECT_EQ(+rec(0, elm_add(0, 0, ELM_NODRAW, &c, nullptr)).cells, 0x0660);
  c.cells = 0x1234;
  const uint16_t none = 900;
  std::memcpy(c.nod.data, &none, 2);
  EXPECT_EQ(+rec(0, elm_add(0, 0, ELM_NODRAW, &c, nullptr)).cells, 0);
  const uint16_t other = 42;
  std::memcpy(c.nod.data, &other, 2);
  EXPECT_EQ(+rec(0, elm_add(0, 0, ELM_NODRAW, &c, nullptr)).cells, 0x1234);
}

TEST_F(Cells, EndStyle3AddsTheSymbolShapesInTheSameGroup) {
  DrawXform.arrowlen = 3;
  DrawXform.circler = 2;
  ElementRecord l = lin(10, 10, 50, 10, uint16_t(0x12 | 3 << 8 | 3 << 11));
  // Without symbols nothing is added.
  const uint32_t before = dtb_end1(0);
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &l, nullptr), 0);
  EXPECT_EQ(dtb_end1(0) - before, 1u);

  ASSERT_EQ(sym_load(nullptr, nullptr), 2);
  SymTables[0]->count = SymTables[1]->count = 1;
  SymTables[0]->rec[0] = SymTables[1]->rec[0] = SymShape{{-1, 50, 50, 10}};
  const int32_t g = elm_add(0, 0, ELM_NODRAW, &(const ElementRecord &)nod(3), nullptr);
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t n = elm_add(0, 0, ELM_NODRAW, &l, nullptr);
  grp_close(0);
  ASSERT_GT(n, 0);
  ASSERT_EQ(dtb_end1(0), uint32_t(n) + 3);
  for (int i = 1; i <= 2; i++) {
    const ElementRecord m = rec(0, n + i);
    EXPECT_EQ(m.kind, ARC);
    EXPECT_EQ(m.parent, g);
    EXPECT_EQ(m.layer, l.layer);
    EXPECT_EQ(m.arc.attr, 0x12);
    EXPECT_DOUBLE_EQ(m.arc.r, 2);
    EXPECT_DOUBLE_EQ(m.arc.cx, i == 1 ? 10 : 50);
    EXPECT_DOUBLE_EQ(m.arc.end, 360);
  }
  EXPECT_EQ((rec(0, n).lin.attr >> 8) & 0x3F, 0); // the style itself is not stored
  // A line of no length gets no marks.
  ElementRecord z = lin(10, 10, 10, 10, uint16_t(0x12 | 3 << 8));
  EXPECT_EQ(elm_marks(0, 0, ELM_NODRAW, &z), 1);
  EXPECT_EQ(dtb_end1(0), uint32_t(n) + 3);
  ElementRecord p = proto(PNT);
  EXPECT_EQ(elm_marks(0, 0, ELM_NODRAW, &p), 1);
}

TEST_F(Cells, ArcMarksStandAtTheArcEnds) {
  DrawXform.arrowlen = 30;
  DrawXform.circler = 10;
  ASSERT_EQ(sym_load(nullptr, nullptr), 2);
  SymTables[1]->count = 1;
  SymTables[1]->rec[0] = SymShape{{50, 50, 80, 50}}; // a line along the direction
  ElementRecord a = arc(10, 0, 90, uint16_t(0x11 | 3 << 11));
  const int32_t n = elm_add(0, 0, ELM_NODRAW, &a, nullptr);
  ASSERT_EQ(dtb_end1(0), uint32_t(n) + 2);
  const ElementRecord m = rec(0, n + 1);
  EXPECT_EQ(m.kind, LIN);
  EXPECT_NEAR(m.lin.x1, 50, 1e-9); // end at 90 degrees: (50, 50), direction 180
  EXPECT_NEAR(m.lin.y1, 50, 1e-9);
  EXPECT_NEAR(m.lin.x2, 20, 1e-9);
  EXPECT_NEAR(m.lin.y2, 50, 1e-9);
}

} // namespace

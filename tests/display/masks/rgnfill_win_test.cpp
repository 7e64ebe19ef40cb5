#include <gtest/gtest.h>

#include "../../database/dbfixture.h"
#include "../canvas.h"
#include "display/view/cliprect.h"
#include "display/view/gdi.h"
#include "display/masks/rgnfill.h"
#include "display/view/view.h"
#include "display/view/viewstate.h"

namespace {

// A ring: two child nodes, each one full circle, about (50, 50) on a 100 x 100 DIB.
struct RingFill : Store {
  void SetUp() override {
    Store::SetUp();
    gdi_init();
    DrawXform = DrawXformRecord{};
    DrawXform.right = DrawXform.bottom = 100;
    DrawXform.sxmax = DrawXform.symax = 100;
    DrawXform.xscale = DrawXform.yscale = 1;
    sys_colmap('r', map);
    sys_pencol('r', pens);
    saved = Palette[3];
    Palette[3] = 0x0000FF; // red (COLORREF)
    Palette[map[14]] = 0x00FF00;
    ElementRecord n = nod(8);
    node = elm_add(0, 0, -1, &n, nullptr);
    grp_open(0, node);
    for (double r : {40.0, 20.0}) {
      ElementRecord c = nod(5);
      grp_open(0, elm_add(0, 0, -1, &c, nullptr));
      ElementRecord a = arc(r, 0, 360, uint16_t(0x10 | 4)); // pen 4
      a.arc.cx = a.arc.cy = 50;
      elm_add(0, 0, -1, &a, nullptr);
      grp_close(0);
    }
    grp_close(0);
  }
  void TearDown() override {
    sys_pencol('w', pens);
    Palette[3] = saved;
    gdi_term();
    Store::TearDown();
  }
  uint16_t map[20] = {};
  uint32_t pens[20] = {};
  uint32_t saved = 0;
  int32_t node = 0;
};

// An ordinary fill takes the drawing's fill colour of the chain's pen, not the
// colour the pen draws lines in: the tables differ here so the test tells them apart.
TEST_F(RingFill, HoleStaysUnpaintedInTheFillColourOfThePen) {
  uint32_t p[20];
  std::memcpy(p, pens, sizeof p);
  p[3] = 3; // pen 4 draws lines in palette colour 3 (red)
  sys_pencol('w', p);
  FillBlock saved_fill, fb;
  ASSERT_EQ(sys_paint('r', 0, &saved_fill), 0);
  fb = saved_fill;
  for (int i = 0; i < 8; i++)
    fb.colour[i] = RGB(0, 0, 10 * i + 100); // blue shades, DIB 0x0000bb
  ASSERT_EQ(sys_paint('w', 0, &fb), 0);
  struct Case {
    uint16_t pen;
    uint32_t want; // 0xRRGGBB
  } cases[] = {{4, 130}, {1, 100}, {8, 170}, {0, 100}, {12, 170}, {15, 170}};
  for (const Case &k : cases) {
    for (int32_t n = 1; n < int32_t(dtb_end1(0)); n++)
      if (ElementRecord *r = dtb_ptr(0, n); r->kind == ARC)
        r->arc.attr = uint16_t(0x10 | k.pen);
    Canvas c(100, 100);
    ElementRecord nr = rec(0, node);
    ASSERT_EQ(rgn_fill(c.dc(), 0, &nr, -1), 0) << k.pen;
    EXPECT_EQ(c.at(50, 50), 0xFFFFFFu) << k.pen; // the hole
    EXPECT_EQ(c.at(50, 80), k.want) << k.pen;    // the ring
    EXPECT_EQ(c.at(50, 20), k.want) << k.pen;
    EXPECT_EQ(c.at(2, 2), 0xFFFFFFu) << k.pen; // outside
  }
  sys_paint('w', 0, &saved_fill);
}

TEST_F(RingFill, HighlightColourOverrides) {
  Canvas c(100, 100);
  ElementRecord nr = rec(0, node);
  ASSERT_EQ(rgn_fill(c.dc(), 0, &nr, map[14]), 0);
  EXPECT_EQ(c.at(50, 80), 0x00FF00u);
  EXPECT_EQ(c.at(50, 50), 0xFFFFFFu);
}

TEST_F(RingFill, PrintingKeepsInsideTheClipRectangle) {
  const uint16_t kind = OutputKind;
  dsp_clipset(50, 100, 0, 0); // corners in any order
  Canvas c(100, 100);
  ElementRecord nr = rec(0, node);
  EXPECT_EQ(rgn_fill(c.dc(), 0, &nr, map[14]), 0); // on the screen: unclipped
  EXPECT_EQ(c.at(80, 50), 0x00FF00u);
  OutputKind = 1;
  Canvas p(100, 100);
  EXPECT_EQ(rgn_fill(p.dc(), 0, &nr, map[14]), 0);
  OutputKind = kind;
  dsp_clipoff();
  EXPECT_EQ(p.at(20, 50), 0x00FF00u);
  EXPECT_EQ(p.at(80, 50), 0xFFFFFFu);
}

TEST_F(RingFill, BrokenChainFillsNothing) {
  dtb_ptr(0, node)->nod.child = 999999;
  Canvas c(100, 100);
  ElementRecord nr = rec(0, node);
  EXPECT_EQ(rgn_fill(c.dc(), 0, &nr, -1), 1);
  EXPECT_EQ(c.at(50, 80), 0xFFFFFFu);
}

} // namespace

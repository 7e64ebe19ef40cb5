#include <gtest/gtest.h>

#include <cmath>

#include "../canvas.h"
#include "display/view/gdi.h"
#include "display/marks/grid_win.h"
#include "geometry/geo.h"
#include "settings/params.h"

namespace {

TEST(GridDib, IsometricDots) {
  gdi_init();
  uint16_t map[20];
  sys_colmap('r', map);
  const uint32_t p12 = Palette[map[12]], p15 = Palette[map[15]];
  Palette[map[12]] = 0x0000FF; // COLORREF red
  Palette[map[15]] = 0xFF0000; // blue
  gdi_palette(reinterpret_cast<const COLORREF *>(Palette));

  GridRecord g{};
  g.mode = 1;
  g.kind = 2;
  g.pitchx = g.pitchy = 10;
  g.a1x = 10 * deg_cos(30);
  g.a1y = 10 * deg_sin(30);
  g.a2x = 10 * deg_cos(150);
  g.a2y = 10 * deg_sin(150);
  ViewXform xf{};
  xf.right = xf.bottom = 199;
  xf.sxmax = xf.symax = 199;
  xf.xscale = xf.yscale = 1;
  Canvas c(200, 200);
  ASSERT_EQ(grd_drawdc(c.dc(), g, xf, nullptr), 0);

  // Lattice point i a1 + j a2 at device (x, 199 - y), give or take the integer stepping.
  auto dot_near = [&](double wx, double wy, uint32_t colour) {
    const int px = int(wx), py = 199 - int(wy);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (px + dx >= 0 && px + dx < 200 && py + dy >= 0 && py + dy < 200 && c.at(px + dx, py + dy) == colour)
          return true;
    return false;
  };
  const uint32_t red = 0xFF0000, blue = 0x0000FF; // DIB 0xRRGGBB
  EXPECT_TRUE(dot_near(g.a1x * 2 + g.a2x * 1, g.a1y * 2 + g.a2y * 1, red));
  EXPECT_TRUE(dot_near(g.a1x * 7 + g.a2x * 3, g.a1y * 7 + g.a2y * 3, red));
  EXPECT_TRUE(dot_near(g.a1x * 10 + g.a2x * 5, g.a1y * 10 + g.a2y * 5, blue));
  // Between lattice points stays white.
  EXPECT_EQ(c.at(int(g.a1x * 2.5 + g.a2x * 1.5), 199 - int(g.a1y * 2.5 + g.a2y * 1.5)), 0xFFFFFFu);
  int coloured = 0;
  for (uint32_t px : c.pixels())
    coloured += (px & 0xFFFFFF) != 0xFFFFFF;
  EXPECT_GT(coloured, 200);
  EXPECT_LT(coloured, 800); // about 200 x 200 / (86.6 per dot) lattice points

  // Off: the same dots in the erase colour.
  g.mode = 0;
  Palette[map[16]] = 0xFFFFFF;
  gdi_palette(reinterpret_cast<const COLORREF *>(Palette));
  ASSERT_EQ(grd_drawdc(c.dc(), g, xf, nullptr), 0);
  coloured = 0;
  for (uint32_t px : c.pixels())
    coloured += (px & 0xFFFFFF) != 0xFFFFFF;
  EXPECT_EQ(coloured, 0);

  // A clip rectangle bounds the dots.
  GridRecord std = GridTable[0];
  grd_reset(0);
  GridRecord s = GridTable[0];
  GridTable[0] = std;
  s.mode = 1;
  Canvas c2(200, 200);
  const double clip[4] = {0, 0, 50, 50};
  ASSERT_EQ(grd_drawdc(c2.dc(), s, xf, clip), 0);
  int inside = 0, outside = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x)
      if (c2.at(x, y) != 0xFFFFFFu)
        (x <= 50 && y >= 149 ? inside : outside)++;
  EXPECT_EQ(inside, 36);
  EXPECT_EQ(outside, 0);

  g.pitchx = 0;
  EXPECT_EQ(grd_drawdc(c.dc(), g, xf, nullptr), 1);
  Palette[map[12]] = p12;
  Palette[map[15]] = p15;
  gdi_term();
}

} // namespace

#include "display/marks/snapmark.h"

namespace {

TEST(SnapMarkShow, Results) {
  snp_init();
  EXPECT_EQ(snp_showmrk(1, 0, 1, 1), 1); // off
  SnapMark.off = 0;
  SnapMark.shape = 0;
  EXPECT_EQ(snp_showmrk(1, 0, 1, 1), 2);
  snp_shape(4, 5, 5);
  SnapMark.shape = 4;
  EXPECT_EQ(snp_showmrk(1, -1, 1, 1), 3);
  EXPECT_EQ(snp_showmrk(2, 0, 1, 1), 4);
  EXPECT_EQ(snp_showmrk(1, 0, 5, 5), 5);
  EXPECT_EQ(snp_showmrk(1, 0, 1, 1), 0);
  snp_init();
}

} // namespace

// A view's metafile played back gives the pixels of the same drawing drawn
// directly: stroke text of both sets, every dash kind, arcs and the region fill.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/elements/elmdisp_win.h"
#include "display/fonts/fontfile.h"
#include "display/masks/rgnfill.h"
#include "../drawfix.h"
#include "../../database/dbstart.h"

namespace {

ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.layer = 1;
  return r;
}

// attr: pen in bits 0-3, line kind + 1 in bits 4-7.
void add_line(double x1, double y1, double x2, double y2, uint16_t attr) {
  ElementRecord r = blank(LIN);
  r.lin = {x1, y1, x2, y2, attr, {}};
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &r, nullptr), 0);
}
void add_arc(double cx, double cy, double rad, double s, double e, uint16_t attr) {
  ElementRecord r = blank(ARC);
  r.arc = {cx, cy, rad, s, e, attr, {}};
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &r, nullptr), 0);
}
void add_text(float x, float y, float h, const char *s) {
  ElementRecord r = blank(CHR);
  r.chr.x = x, r.chr.y = y, r.chr.height = h, r.chr.width = h, r.chr.spacing = 1, r.chr.attr = 3;
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &r, s), 0);
}

class Metafile : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    db_start(2000, 500);
  }
  void TearDown() override {
    dsp_metadel(-1, -1);
    fnt_close();
    dtb_term();
    DrawView::TearDown();
  }
  int32_t all() const { return int32_t(dtb_end1(0) - 1); }
  // The store drawn directly, and through the view's metafile played back.
  void both(std::vector<uint32_t> *direct, std::vector<uint32_t> *played) {
    dsp_elms(1, 0, -1, 1, all());
    *direct = rgb(canvas.pixels());
    gdi_target(nullptr, 0);
    dsp_metadel(0, 0);
    ASSERT_EQ(dsp_metarec(0, 0, 0xFFFF, -1), 0);
    ASSERT_NE(ViewMetafiles[0][0], nullptr);
    Canvas back(W + 1, H + 1);
    ASSERT_TRUE(PlayMetaFile(back.dc(), ViewMetafiles[0][0]));
    *played = rgb(back.pixels());
    back.release_pen();
  }
  // Colours only: a blit may set the byte above them.
  static std::vector<uint32_t> rgb(std::vector<uint32_t> px) {
    for (uint32_t &p : px)
      p &= 0xFFFFFFu;
    return px;
  }
  static int ink(const std::vector<uint32_t> &px) {
    int n = 0;
    for (uint32_t p : px)
      n += p != 0xFFFFFFu;
    return n;
  }
};

TEST_F(Metafile, PlayedBackPixelsMatchTheDirectDrawing) {
  struct Case {
    const char *what;
    int fontset; // 0 no font needed
    std::function<void()> fill;
    int min_ink; // what the direct drawing inks at least
  } cases[] = {
      {"standard stroke text", 1, [] { add_text(10, 15, 20, "山田"); }, 100},
      {"high-quality stroke text", 2, [] { add_text(10, 15, 20, "山田"); }, 100},
      {"two-line text with a half-size group", 2, [] { add_text(5, 30, 10, "山[田_印]_123"); }, 60},
      {"solid line", 0, [] { add_line(5, 5, 95, 45, 0x13); }, 150},
      {"dash kind 1", 0, [] { add_line(5, 10, 95, 10, 0x23); }, 80},
      {"dash kind 2", 0, [] { add_line(5, 10, 95, 10, 0x33); }, 80},
      {"dash kind 3", 0, [] { add_line(5, 10, 95, 40, 0x43); }, 80},
      {"dash kind 4", 0, [] { add_line(5, 10, 95, 10, 0x53); }, 40},
      {"dash kind 5", 0, [] { add_line(5, 10, 95, 10, 0x63); }, 10},
      {"solid arc", 0, [] { add_arc(50, 25, 20, 0, 360, 0x13); }, 150},
      {"dashed arcs", 0, [] {
         for (int k = 1; k <= 5; k++)
           add_arc(50, 25, 4.0 * k, 30, 300, uint16_t(0x03 | (k + 1) << 4));
       }, 100},
  };
  for (const Case &c : cases) {
    dtb_ctrl('i', nullptr);
    fnt_close();
    if (c.fontset) {
      ASSERT_EQ(fnt_open(c.fontset, INK_FONT_DIR, 50), 0) << c.what;
    }
    c.fill();
    PatBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), WHITENESS);
    gdi_target(canvas.dc(), 1);
    std::vector<uint32_t> direct, played;
    both(&direct, &played);
    EXPECT_GE(ink(direct), c.min_ink) << c.what;
    EXPECT_EQ(ink(played), ink(direct)) << c.what;
    EXPECT_TRUE(played == direct) << c.what;
  }
}

TEST_F(Metafile, RegionFillPlaysBackAsFilled) {
  ElementRecord n = blank(NOD);
  n.subkind = 8;
  const int32_t node = elm_add(0, 0, ELM_NODRAW, &n, nullptr);
  ASSERT_EQ(grp_open(0, node), 0);
  for (double r : {20.0, 10.0}) { // a ring: the inner circle cuts a hole
    ElementRecord c = blank(NOD);
    c.subkind = 5;
    ASSERT_EQ(grp_open(0, elm_add(0, 0, ELM_NODRAW, &c, nullptr)), 0);
    add_arc(50, 25, r, 0, 360, 0x13);
    grp_close(0);
  }
  grp_close(0);
  const ElementRecord nr = *dtb_ptr(0, node);
  gdi_target(nullptr, 0);
  ASSERT_EQ(rgn_fill(canvas.dc(), 0, &nr, -1), 0);
  const std::vector<uint32_t> direct = rgb(canvas.pixels());
  HDC mf = CreateMetaFileA(nullptr);
  ASSERT_NE(mf, nullptr);
  ASSERT_EQ(rgn_fill(mf, 0, &nr, -1), 0);
  HMETAFILE h = CloseMetaFile(mf);
  Canvas back(W + 1, H + 1);
  ASSERT_TRUE(PlayMetaFile(back.dc(), h));
  DeleteMetaFile(h);
  EXPECT_GT(ink(direct), 500);
  EXPECT_FALSE(direct[size_t(H / 2) * size_t(W + 1) + W / 2] != 0xFFFFFFu); // the hole
  EXPECT_TRUE(rgb(back.pixels()) == direct);
  back.release_pen();
}

} // namespace

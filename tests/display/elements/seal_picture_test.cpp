// A sample seal drawn from a store with the generated high-quality font, kept as a
// PNG picture in the build folder for people to look at.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/elements/elmdisp_win.h"
#include "display/fonts/fontfile.h"
#include "../drawfix.h"
#include "../../common/pngwrite.h"
#include "../../database/dbstart.h"

namespace {

class Seal : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    db_start(2000, 500);
    ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
  }
  void TearDown() override {
    fnt_close();
    dtb_term();
    DrawView::TearDown();
  }
  static ElementRecord blank(uint16_t kind) {
    ElementRecord r;
    std::memset(&r, 0, sizeof r);
    r.kind = kind;
    r.layer = 1;
    return r;
  }
  static int32_t text(float x, float y, float h, float w, float s, const char *str) {
    ElementRecord r = blank(CHR);
    r.chr.x = x, r.chr.y = y, r.chr.height = h, r.chr.width = w, r.chr.spacing = s, r.chr.attr = 1;
    return elm_add(0, 0, ELM_NODRAW, &r, str);
  }
};

TEST_F(Seal, TwoLineTextShowsBothLines) {
  ASSERT_GT(text(10, 30, 8, 8, 2, "山田_印"), 0);
  dsp_elms(1, 0, -1, 1, int32_t(dtb_end1(0) - 1));
  int top = 0, bottom = 0;
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++)
      if (ink_at(x, y))
        (y < H - 2 * 30 ? top : bottom)++;
  EXPECT_GT(top, 20);    // 山田 above the base line
  EXPECT_GT(bottom, 10); // 印 on the line below
}

TEST_F(Seal, SamplePicture) {
  constexpr int S = 300;
  Canvas pic(S + 1, S + 1);
  HWND w = make_window(S, S);
  extra.push_back(w);
  open_view(0, 0, w, 60, 60, S, S);
  ASSERT_EQ(vew_select(0), 0);
  COLORREF pal[20];
  for (int i = 0; i < 20; i++)
    pal[i] = i == 16 ? RGB(255, 255, 255) : RGB(200, 30, 40);
  gdi_palette(pal);
  gdi_target(pic.dc(), 1);

  ElementRecord ring = blank(ARC);
  ring.arc = {30, 30, 28, 0, 360, 0x11, {}};
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &ring, nullptr), 0);
  ring.arc.r = 27;
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &ring, nullptr), 0);
  ElementRecord rule = blank(LIN);
  rule.lin = {7, 25, 53, 25, 0x11, {}};
  ASSERT_GT(elm_add(0, 0, ELM_NODRAW, &rule, nullptr), 0);
  ASSERT_GT(text(15, 30, 14, 14, 2, "山田"), 0);
  ASSERT_GT(text(12, 15, 5, 3, 0.6f, "2026.12.10"), 0);
  dsp_elms(1, 0, -1, 1, int32_t(dtb_end1(0) - 1));
  gdi_target(nullptr, 0);

  auto inked_in = [&](int x1, int y1, int x2, int y2) {
    int n = 0;
    for (int y = y1; y < y2; y++)
      for (int x = x1; x < x2; x++)
        n += pic.at(x, y) != 0xFFFFFF;
    return n;
  };
  EXPECT_GT(inked_in(80, 80, 220, 145), 100); // the name
  EXPECT_GT(inked_in(60, 200, 240, 225), 20); // the date
  EXPECT_GT(inked_in(145, 0, 155, 15), 2);    // the ring at the top
  const std::string path = std::string(INK_PICTURE_DIR) + "/sample_seal.png";
  EXPECT_TRUE(write_png(path.c_str(), pic.width(), pic.height(), pic.pixels()));
  pic.release_pen();
}

} // namespace

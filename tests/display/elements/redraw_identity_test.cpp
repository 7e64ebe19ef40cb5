// The redraw benchmark's drawings, smaller, drawn into a DIB and compared with the
// pictures the redraw made before it was sped up: a change that moves one pixel
// shows here. On a mismatch the picture is left as a PNG in the build folder.
// When a change is meant to alter pixels, look at the PNGs and update the table.
#include <cstdio>
#include <ostream>
#include <cstring>
#include <string>
#include <vector>

#include "../../../bench/redraw_drawings.h"
#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/elements/elmdisp_win.h"
#include "display/fonts/fontfile.h"
#include "../drawfix.h"
#include "../../common/pngwrite.h"
#include "../../database/dbstart.h"

namespace {

namespace rd = redraw_drawings;

uint64_t fnv(const std::vector<uint32_t> &px) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t p : px)
    for (int b = 0; b < 4; b++) {
      h ^= (p >> (8 * b)) & 0xFF;
      h *= 1099511628211ull;
    }
  return h;
}

enum Path { SCREEN, PRINTER, METAFILE };

struct Case {
  const char *name;
  void (*build)();
  Path path;
  uint64_t picture; // hash of the picture's bytes
};

void PrintTo(const Case &c, std::ostream *o) { *o << c.name; }

class RedrawIdentity : public DrawView, public ::testing::WithParamInterface<Case> {
protected:
  static constexpr int PW = 960, PH = 540; // half the benchmark's view, same world
  void SetUp() override {
    DrawView::SetUp();
    db_start(20000, 500);
    ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
  }
  void TearDown() override {
    PlotterMode = 0;
    OutputKind = 0;
    dsp_metadel(-1, -1);
    fnt_close();
    dtb_term();
    DrawView::TearDown();
  }
};

TEST_P(RedrawIdentity, PictureUnchanged) {
  const Case &c = GetParam();
  Canvas pic(PW, PH);
  HWND w = make_window(PW, PH);
  extra.push_back(w);
  open_view(0, 0, w, 192, 108, PW, PH);
  ASSERT_EQ(vew_select(0), 0);
  COLORREF pal[20];
  for (int i = 0; i < 20; i++)
    pal[i] = i == 16 ? RGB(255, 255, 255) : RGB(12 * i, 255 - 11 * i, (40 * i) & 255);
  gdi_palette(pal);
  c.build();
  const int32_t count = int32_t(dtb_end1(0) - 1);
  if (c.path == METAFILE) {
    gdi_target(nullptr, 0); // strokes go to the metafile, not the fixture's canvas
    ASSERT_EQ(dsp_metarec(0, 0, 0, -1), 0);
    ASSERT_NE(ViewMetafiles[0][0], nullptr);
    ASSERT_TRUE(PlayMetaFile(pic.dc(), ViewMetafiles[0][0]));
  } else {
    if (c.path == PRINTER)
      OutputKind = 1, PlotterMode = 1;
    gdi_target(pic.dc(), 1);
    dsp_elms(1, 0, -1, 1, count);
    gdi_target(nullptr, 0);
  }
  const std::vector<uint32_t> px = pic.pixels();
  int inked = 0;
  for (uint32_t p : px)
    inked += (p & 0xFFFFFF) != 0xFFFFFF;
  EXPECT_GT(inked, 1000);
  const uint64_t h = fnv(px);
  if (h != c.picture) {
    const std::string path = std::string(INK_PICTURE_DIR) + "/redraw_" + c.name + ".png";
    write_png(path.c_str(), PW, PH, px);
    ADD_FAILURE() << c.name << ": picture 0x" << std::hex << h << " where 0x" << c.picture << " was; see " << path;
  }
  pic.release_pen();
}

void mixed() { rd::mixed(6000); }
void lines() { rd::one_kind(0, 2000); }
void arcs() { rd::one_kind(1, 2000); }
void texts() { rd::one_kind(2, 1000); }
void dashed() { rd::one_kind(3, 300); }
void seal() { rd::seal(3000, 300); }
void text_seal() { rd::text_seal(600); }
// A corner of a larger drawing: most elements lie outside the view.
void zoomed() { rd::mixed(6000, 0, 0, 1920, 1080); }

INSTANTIATE_TEST_SUITE_P(Drawings, RedrawIdentity,
                         ::testing::Values(Case{"mixed", mixed, SCREEN, 0x9ba3f3042dd8cdeeull},
                                           Case{"lines", lines, SCREEN, 0x505592e1f621f61ull},
                                           Case{"arcs", arcs, SCREEN, 0x97af289a7d34be2aull},
                                           Case{"texts", texts, SCREEN, 0x4b1a9336f831f27full},
                                           Case{"dashed", dashed, SCREEN, 0xa02c20febc02ccafull},
                                           Case{"seal", seal, SCREEN, 0x7ca780a5d51e3312ull},
                                           Case{"text_seal", text_seal, SCREEN, 0x36734b14c761ee83ull},
                                           Case{"zoomed", zoomed, SCREEN, 0xdebf7206313f2bd7ull},
                                           Case{"mixed_printer", mixed, PRINTER, 0x6aaf3039bafb56bcull},
                                           Case{"seal_printer", seal, PRINTER, 0x5bbae07ee8807a9bull},
                                           Case{"mixed_metafile", mixed, METAFILE, 0x9ba3f3042dd8cdeeull},
                                           Case{"seal_metafile", seal, METAFILE, 0x7ca780a5d51e3312ull}),
                         [](const ::testing::TestParamInfo<Case> &i) { return std::string(i.param.name); });

} // namespace

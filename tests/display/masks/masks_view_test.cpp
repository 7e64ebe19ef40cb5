// Masking and releasing in a real view on the screen: what they leave there is
// what a fresh redraw of the drawing shows.
#include <cstring>
#include <string>
#include <vector>

#include "database/elements.h"
#include "database/groups.h"
#include "database/store.h"
#include "display/elements/elmdisp_win.h"
#include "display/fonts/fontfile.h"
#include "display/masks/hidmask.h"
#include "../drawfix.h"
#include "select/sellist.h"
#include "../../database/dbstart.h"

namespace {

ElementRecord blank(uint16_t kind, uint8_t state = 0) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.layer = 1;
  hid_setstate(r, state);
  return r;
}

class MaskView : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    db_start(2000, 500);
    ASSERT_EQ(fnt_open(2, INK_FONT_DIR, 50), 0);
    ASSERT_EQ(hid_init(), 0);
    SelectionList.count = 0;
    SelectionList.drawing = -1;
    gdi_target(nullptr, 0); // into the window itself
    SetWindowPos(wnd, HWND_TOPMOST, 0, 0, W, H, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    clear();
  }
  void TearDown() override {
    hid_term();
    fnt_close();
    dtb_term();
    DrawView::TearDown();
  }
  int32_t add(const ElementRecord &r, const char *s = nullptr) {
    const int32_t n = elm_add(0, 0, -1, &r, s); // drawn as it is added
    EXPECT_GT(n, 0);
    return n;
  }
  void clear() {
    ValidateRect(wnd, nullptr); // no paint message of ours comes in between
    HDC dc = GetDC(wnd);
    PatBlt(dc, 0, 0, W, H, WHITENESS);
    ReleaseDC(wnd, dc);
  }
  std::vector<uint32_t> screen() {
    Canvas c(W, H);
    HDC dc = GetDC(wnd);
    BitBlt(c.dc(), 0, 0, W, H, dc, 0, 0, SRCCOPY);
    ReleaseDC(wnd, dc);
    std::vector<uint32_t> px = c.pixels();
    for (uint32_t &p : px)
      p &= 0xFFFFFFu;
    return px;
  }
  std::vector<uint32_t> fresh() {
    clear();
    dsp_elms(1, 0, -1, 1, int32_t(dtb_end1(0) - 1));
    return screen();
  }
  static int differ(const std::vector<uint32_t> &a, const std::vector<uint32_t> &b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); i++)
      n += a[i] != b[i];
    return n;
  }
  static int ink(const std::vector<uint32_t> &a) {
    int n = 0;
    for (uint32_t p : a)
      n += p != 0xFFFFFFu;
    return n;
  }
};

// A masking text (its box and the text 山田 in it) over three lines: two cross
// the box and the text, one stays clear. Each line has its own pen colour.
TEST_F(MaskView, MaskingAndReleasingLeaveWhatARedrawShows) {
  ElementRecord n = blank(NOD, 1);
  n.subkind = HID_TEXTSUB;
  n.members = uint16_t(1 << 8 | 2);
  const int32_t node = add(n);
  ASSERT_EQ(grp_open(0, node), 0);
  ElementRecord box = blank(MSKBOX);
  hid_setboxbody(box, MaskBoxBody{7, 1, 10, 10, 24, 12, 0});
  add(box);
  ElementRecord t = blank(CHR);
  t.chr.x = 11, t.chr.y = 11, t.chr.height = 10, t.chr.width = 10, t.chr.spacing = 1, t.chr.attr = 5;
  add(t, "山田");
  grp_close(0);
  ElementRecord a = blank(LIN, 1), b = blank(LIN, 1), c = blank(LIN, 1);
  a.lin = {0, 16, 60, 16, 0x13, {}}; // through the box and the text
  b.lin = {20, 2, 20, 40, 0x17, {}}; // across it the other way
  c.lin = {0, 45, 90, 45, 0x19, {}}; // clear of it
  add(a), add(b), add(c);

  const std::vector<uint32_t> before = screen();
  EXPECT_EQ(differ(before, fresh()), 0); // adding drew what a redraw draws
  ASSERT_GT(ink(before), 300);

  ASSERT_EQ(hid_maskone(0, node), 0);
  const std::vector<uint32_t> masked = screen();
  EXPECT_NE(differ(masked, before), 0); // the lines are cut under the box
  EXPECT_EQ(differ(masked, fresh()), 0);

  hid_remask1(0, node);
  const std::vector<uint32_t> released = screen();
  EXPECT_EQ(differ(released, fresh()), 0);
  EXPECT_EQ(differ(released, before), 0); // the lines whole again, over the text
}

} // namespace

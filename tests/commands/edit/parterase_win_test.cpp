// Command 114 through the pump: the pieces come from the hover, so every click has a
// cursor move before it, as the mouse gives.
#include "../cmdharness.h"

#include <cmath>
#include <cstdlib>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"

#include "commands/edit/parterase.h"
#include "commands/edit/segerase.h"
#include "select/near.h"
#include "settings/prefs.h"

using namespace cmdtest;

namespace {

constexpr uint16_t STYLED = 0x0911; // end styles at both ends, pen 1, line kind 1
constexpr uint32_t HILITE = 0x000082; // pen 13 of the test palette: ColorMap entry 13

class PartErase : public CommandTest {
protected:
  void TearDown() override {
    CpntDelDsp = saved_;
    SegTableAlloc = std::calloc;
    CommandTest::TearDown();
  }
  // A styled line from (-40, 0) to (40, 0) crossed by lines at x -10 and 10.
  static void figure() {
    add(lin_rec(-40, 0, 40, 0, STYLED, 1));
    add(lin_rec(-10, -20, -10, 20, 0x11, 1));
    add(lin_rec(10, -20, 10, 20, 0x11, 1));
  }
  static ::testing::AssertionResult line_is(const ElementRecord &r, double x1, double y1, double x2, double y2,
                                             uint16_t attr) {
    if (r.kind != LIN || std::fabs(r.lin.x1 - x1) > 1e-9 || std::fabs(r.lin.y1 - y1) > 1e-9 ||
        std::fabs(r.lin.x2 - x2) > 1e-9 || std::fabs(r.lin.y2 - y2) > 1e-9 || r.lin.attr != attr)
      return ::testing::AssertionFailure() << "(" << r.lin.x1 << ", " << r.lin.y1 << ")-(" << r.lin.x2 << ", "
                                           << r.lin.y2 << ") attr " << std::hex << r.lin.attr;
    return ::testing::AssertionSuccess();
  }
  // The middle piece gone: two lines keep their outer styles, the cut ends are plain.
  static void expect_middle_erased(const char *what) {
    const auto r = records(0);
    ASSERT_EQ(r.size(), 4u) << what;
    EXPECT_TRUE(line_is(r[0], -40, 0, -10, 0, 0x0111)) << what;
    EXPECT_TRUE(line_is(r[3], 10, 0, 40, 0, 0x0811)) << what;
  }
  static void expect_untouched(const char *what) {
    const auto r = records(0);
    ASSERT_EQ(r.size(), 3u) << what;
    EXPECT_TRUE(line_is(r[0], -40, 0, 40, 0, STYLED)) << what;
    EXPECT_TRUE(line_is(r[1], -10, -20, -10, 20, 0x11)) << what;
    EXPECT_TRUE(line_is(r[2], 10, -20, 10, 20, 0x11)) << what;
  }
  static void expect_restored(const char *what) {
    EXPECT_EQ(PickSkipMasked, 0u) << what;
    EXPECT_EQ(SegHoverOff, 1u) << what;
    EXPECT_EQ(SegRecords, nullptr) << what;
    EXPECT_EQ(SegStage, 0) << what;
  }
  std::vector<uint32_t> picture(int &w, int &h) {
    HWND view = win_.drawings[0]->view;
    RECT rc;
    GetClientRect(view, &rc);
    w = rc.right, h = rc.bottom;
    return window_capture(view, w, h);
  }
  // Pixels of the highlight colour in view 0 of drawing 0.
  int highlighted() {
    int w = 0, h = 0;
    int n = 0;
    for (uint32_t p : picture(w, h))
      n += p == HILITE;
    return n;
  }
  int32_t saved_ = CpntDelDsp;
};

TEST_F(PartErase, AClickOnAPieceErasesItAfterTheFlash) {
  CpntDelDsp = 13;
  figure();
  const ULONGLONG t0 = GetTickCount64();
  EXPECT_EQ(run(114, {move(0, 1), click(0, 1), end()}), 800);
  EXPECT_GE(GetTickCount64() - t0, 150u);
  EXPECT_TRUE(asked().texts.empty());
  expect_middle_erased("pick");
  EXPECT_EQ(highlighted(), 0);
  und_exec(0); // one undo step for the erase
  expect_untouched("undone");
  expect_restored("800");
}

TEST_F(PartErase, ADraggedLineErasesTheCrossedPiecesWithoutAQuestion) {
  CpntDelDsp = 13;
  figure();
  // From empty space across the line (beyond the last crossing) and the right cutter
  // (above the line): each keeps the part on the far side of its cut, the cut end plain.
  EXPECT_EQ(run(114, {move(0, 10), click(0, 10), move(20, -5), click(20, -5), end()}), 800);
  EXPECT_TRUE(asked().texts.empty());
  const auto r = records(0);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_TRUE(line_is(r[0], -40, 0, 10, 0, 0x0111));
  EXPECT_TRUE(line_is(r[1], -10, -20, -10, 20, 0x11));
  EXPECT_TRUE(line_is(r[2], 10, -20, 10, 0, 0x11));
  EXPECT_EQ(highlighted(), 0);
  und_exec(0);
  expect_untouched("undone");
  expect_restored("800");
}

TEST_F(PartErase, ASecondClickOnTheFirstPointIsAskedAgain) {
  CpntDelDsp = 13;
  figure();
  // The pieces are there (the cursor was at (20, -5)), but the line would have no length.
  EXPECT_EQ(run(114, {move(0, 10), click(0, 10), move(20, -5), click(0, 10), end()}), 800);
  expect_untouched("same point");
  EXPECT_EQ(run(114, {move(0, 10), click(0, 10), move(20, -5), click(0, 10), move(20, -5), click(20, -5), end()}),
            800);
  EXPECT_EQ(records(0).size(), 3u);
  EXPECT_TRUE(line_is(records(0)[0], -40, 0, 10, 0, 0x0111));
}

TEST_F(PartErase, TheHundredsDigitKeepsTheStylesAtTheCutEnds) {
  struct Case {
    int32_t setting;
    uint16_t left, right; // the two parts of the split line
    uint16_t shortened;   // the line cut back by a drag
  } cases[] = {
      {13, 0x0111, 0x0811, 0x0111},
      {113, 0x0111, 0x0811, 0x0911}, // a split loses them, a shortened line keeps its own
      {213, 0x0911, 0x0911, 0x0911},
      {313, 0x0111, 0x0811, 0x0111}, // outside 0..2: as 0
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    CpntDelDsp = c.setting;
    figure();
    EXPECT_EQ(run(114, {move(0, 1), click(0, 1), end()}), 800) << c.setting;
    auto r = records(0);
    ASSERT_EQ(r.size(), 4u) << c.setting;
    EXPECT_TRUE(line_is(r[0], -40, 0, -10, 0, c.left)) << c.setting;
    EXPECT_TRUE(line_is(r[3], 10, 0, 40, 0, c.right)) << c.setting;
    und_exec(0);
    EXPECT_EQ(run(114, {move(0, 10), click(0, 10), move(20, -5), click(20, -5), end()}), 800) << c.setting;
    r = records(0);
    ASSERT_EQ(r.size(), 3u) << c.setting;
    EXPECT_TRUE(line_is(r[0], -40, 0, 10, 0, c.shortened)) << c.setting;
  }
}

TEST_F(PartErase, WithTwentyFourTheAnswerDecides) {
  struct Case {
    const char *what;
    std::vector<Ev> in;
    int answer, result;
    bool erased;
  } cases[] = {
      {"pick, N", {move(0, 1), click(0, 1), end()}, 'N', 800, false},
      {"pick, Y", {move(0, 1), click(0, 1), end()}, 'Y', 800, true},
      {"pick, Esc", {move(0, 1), click(0, 1)}, 27, 27, false},
      {"pick, closed", {move(0, 1), click(0, 1), end()}, 700, 800, false},
      {"drag, N", {move(0, 10), click(0, 10), move(0, -10), click(0, -10), end()}, 'n', 800, false},
      {"drag, Y", {move(0, 10), click(0, 10), move(0, -10), click(0, -10), end()}, 'y', 800, true},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    CpntDelDsp = 24;
    figure();
    asked().answers = {c.answer};
    EXPECT_EQ(run(114, c.in), c.result) << c.what;
    EXPECT_EQ(asked().texts.size(), 1u) << c.what;
    if (c.erased)
      expect_middle_erased(c.what);
    else
      expect_untouched(c.what);
    EXPECT_EQ(highlighted(), 0) << c.what;
    expect_restored(c.what);
  }
}

TEST_F(PartErase, EveryWayOutLeavesNothingBehind) {
  struct Case {
    const char *what;
    std::vector<Ev> in;
    int result;
    bool fail_alloc;
  } cases[] = {
      {"800 on a shown piece", {move(0, 1), end()}, 800, false},
      {"Esc on a shown piece", {move(0, 1), esc()}, 27, false},
      {"800 while dragging", {move(0, 10), click(0, 10), move(0, -10), end()}, 800, false},
      {"Esc while dragging", {move(0, 10), click(0, 10), move(0, -10), esc()}, 27, false},
      {"no table", {}, 700, true},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    CpntDelDsp = 33; // shown live in both stages
    figure();
    SegTableAlloc = c.fail_alloc ? [](std::size_t, std::size_t) -> void * { return nullptr; } : std::calloc;
    std::vector<Ev> in = c.in;
    if (!in.empty()) // while the command waits its switches are on
      in.insert(in.begin(), during([] {
                  EXPECT_EQ(PickSkipMasked, 1u);
                  EXPECT_EQ(SegHoverOff, 0u);
                }));
    EXPECT_EQ(run(114, in), c.result) << c.what;
    expect_untouched(c.what);
    EXPECT_EQ(highlighted(), 0) << c.what;
    expect_restored(c.what);
  }
}

TEST_F(PartErase, AFullStoreEndsWith1010AndKeepsTheRewrite) {
  stop();
  start(3); // room for the figure and no more
  CpntDelDsp = 13;
  figure();
  ASSERT_EQ(records(0).size(), 3u);
  EXPECT_EQ(run(114, {move(0, 1), click(0, 1)}), 1010);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_TRUE(line_is(r[0], -40, 0, -10, 0, 0x0111)); // the first part stays in the step
  expect_restored("1010");
  und_exec(0);
  expect_untouched("undone");
}

TEST_F(PartErase, DrawingOneAsDrawingZero) {
  CpntDelDsp = 33;
  for (const ElementRecord &r : {lin_rec(-40, 0, 40, 0, STYLED, 1), lin_rec(-10, -20, -10, 20, 0x11, 1),
                                 lin_rec(10, -20, 10, 20, 0x11, 1)}) {
    ElementRecord c = r;
    ASSERT_GE(elm_add(1, 0, -1, &c, nullptr), 1);
  }
  HWND view = win_.drawings[1]->view;
  RECT rc;
  GetClientRect(view, &rc);
  int lit = 0;
  auto look = [&] {
    for (uint32_t p : window_capture(view, rc.right, rc.bottom))
      lit += p == HILITE;
  };
  EXPECT_EQ(run(114, {move(0, 1, 1), during(look), click(0, 1, 0, 1), end()}), 800);
  EXPECT_GT(lit, 10); // shown in drawing 1's view while the cursor was there
  EXPECT_EQ(records(0).size(), 0u);
  const auto r = records(1);
  ASSERT_EQ(r.size(), 4u);
  EXPECT_TRUE(line_is(r[0], -40, 0, -10, 0, 0x0111));
  EXPECT_TRUE(line_is(r[3], 10, 0, 40, 0, 0x0811));
  expect_restored("drawing 1");
}

TEST_F(PartErase, PictureOfAPieceUnderTheCursor) {
  CpntDelDsp = 33;
  figure();
  int w = 0, h = 0;
  std::vector<uint32_t> during_px;
  EXPECT_EQ(run(114, {move(0, 1), during([&] { during_px = picture(w, h); }), end()}), 800);
  ASSERT_EQ(during_px.size(), size_t(w) * size_t(h));
#ifdef INK_PICTURE_DIR
  EXPECT_TRUE(write_png(INK_PICTURE_DIR "/commands-parterase.png", w, h, during_px));
#endif
  auto at = [&](double x, double y) {
    int32_t px = 0, py = 0;
    vew_w2dev(0, 0, x, y, &px, &py);
    return during_px[size_t(py) * w + px];
  };
  // The piece between the cutters in the highlight, the rest of the line in its pen.
  EXPECT_EQ(at(-5, 0), HILITE);
  EXPECT_EQ(at(5, 0), HILITE);
  EXPECT_NE(at(-25, 0), HILITE);
  EXPECT_NE(at(25, 0), HILITE);
  EXPECT_NE(at(-10, 10), HILITE);
  EXPECT_EQ(highlighted(), 0); // and gone with the command
  expect_untouched("picture");
}

} // namespace

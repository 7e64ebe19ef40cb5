// The erase commands run through the pump: the selection with its question, single
// picks and the crossing line.
#include "../cmdharness.h"

#include <cstring>
#include <utility>

#include "../../common/pngwrite.h"
#include "../../common/screencap.h"
#include "commands/edit/erasecmd.h"
#include "database/groups.h"
#include "select/near.h"
#include "select/picklist.h"
#include "select/sellist.h"
#include "shell/units/help.h"
#include "settings/appstate.h"

using namespace cmdtest;

namespace {

class Erase : public CommandTest {
protected:
  static void expect_restored(const char *what) {
    EXPECT_EQ(PickHoverOff, 1u) << what;
    EXPECT_EQ(PickTextParts, 0u) << what;
    EXPECT_EQ(PickList.variant, 0) << what;
    EXPECT_EQ(PickList.entries, nullptr) << what;
  }
};

TEST_F(Erase, SelectionAnswers) {
  struct Case {
    int answer;
    bool erased;
  } cases[] = {{'Y', true},  {'y', true}, {13, true},   {500, true},  {'N', false},
               {'n', false}, {27, false}, {501, false}, {700, false}, {-2, false}};
  for (const Case &c : cases) {
    stop();
    start(2000);
    figures();
    asked().answers = {c.answer};
    EXPECT_EQ(run(100, window_then({end()})), 800) << c.answer;
    EXPECT_EQ(asked().texts.size(), 1u) << c.answer;
    EXPECT_EQ(records(0).size(), c.erased ? 1u : 3u) << c.answer;
    EXPECT_EQ(SelectionList.capacity, SEL_STATICCAP) << c.answer; // freed
    if (c.erased) {
      und_exec(0); // one undo step brings both back
      EXPECT_EQ(records(0).size(), 3u) << c.answer;
    }
  }
}

TEST_F(Erase, EndAtTheQuestionKeepsEverything) {
  figures();
  asked().answers = {800};
  EXPECT_EQ(run(100, window_then({})), 800);
  EXPECT_EQ(records(0).size(), 3u);
  EXPECT_EQ(SelectionList.capacity, SEL_STATICCAP);
}

TEST_F(Erase, APickErasesAtOnce) {
  figures();
  EXPECT_EQ(run(101, {click(35, 10), end()}), 800);
  EXPECT_TRUE(asked().texts.empty());
  const auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].lin.x1, -10);
  EXPECT_EQ(r[1].lin.x1, 0);
  und_exec(0);
  EXPECT_EQ(records(0).size(), 3u);
  expect_restored("800");
}

TEST_F(Erase, ACrossingLineErasesWhatItCrosses) {
  figures();
  // Empty space starts the line; the same point is asked again; the line from (-5, -15)
  // to (5, 15) crosses both lines near the middle.
  EXPECT_EQ(run(101, {click(-5, -15), click(-5, -15), move(0, 0), move(5, 15), click(5, 15), esc()}), 27);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].lin.x1, 30);
  und_exec(0);
  EXPECT_EQ(records(0).size(), 3u);
  expect_restored("27");
}

TEST_F(Erase, EveryWayOutPutsThePickStateBack) {
  struct Case {
    const char *what;
    std::vector<Ev> in;
    int result;
  } cases[] = {
      {"800 at the pick", {end()}, 800},
      {"Esc at the pick", {esc()}, 27},
      {"800 on the crossing line", {click(-5, -15), end()}, 800},
      {"Esc on the crossing line", {click(-5, -15), esc()}, 27},
  };
  for (const Case &c : cases) {
    stop();
    start(2000);
    figures();
    EXPECT_EQ(run(101, c.in), c.result) << c.what;
    EXPECT_EQ(records(0).size(), 3u) << c.what;
    expect_restored(c.what);
  }
}

TEST_F(Erase, AGroupGoesWithItsMembers) {
  add(lin_rec(30, 10, 40, 10, 0x11, 1)); // outside the window; node numbers 1 and 2 read as list marks
  add(lin_rec(30, 15, 40, 15, 0x11, 1));
  ElementRecord node;
  std::memset(&node, 0, sizeof node);
  node.kind = NOD;
  node.subkind = 1;
  node.nod.data[0] = 1100 & 0xFF;
  node.nod.data[1] = 1100 >> 8;
  const int32_t g = add(node);
  ASSERT_GE(g, 3);
  ASSERT_EQ(grp_open(0, g), 0);
  add(lin_rec(-10, 0, 10, 0, 0x11, 1));
  add(lin_rec(-10, 5, 10, 5, 0x11, 1));
  grp_close(0);
  ASSERT_EQ(records(0).size(), 5u);
  asked().answers = {'Y'};
  EXPECT_EQ(run(100, window_then({end()})), 800);
  const auto r = records(0);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].lin.y1, 10);
  EXPECT_EQ(r[1].lin.y1, 15);
  und_exec(0);
  EXPECT_EQ(records(0).size(), 5u);
}

TEST_F(Erase, AFailedDeleteStopsThePickList) {
  const int32_t a = add(lin_rec(-10, 0, 10, 0, 0x11, 1));
  const int32_t b = add(lin_rec(-10, 5, 10, 5, 0x11, 1));
  ASSERT_EQ(pck_alloc(400), 0);
  PickList.entries[0] = a;
  PickList.entries[1] = 99999; // no such element
  PickList.entries[2] = b;
  PickList.count = 3;
  EXPECT_NE(cm_erasepl(0), 0);
  pck_free();
  const auto r = records(0);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].lin.y1, 5);
}

} // namespace

namespace {

// The selection of the erase command at its second corner: the rectangle follows the
// cursor from the first corner, the help key names the step, the shortcut menu offers
// the window items; afterwards the caller's guide and step name are back and no band
// is left on the view.
TEST_F(Erase, PictureOfTheSelectionBand) {
  figures();
  rub_startline(1, 0, 7, 8, 0); // the guide the command found
  const InputGuide before = Guide;
  std::strcpy(HelpStepName, "caller");
  HWND view = win_.drawings[0]->view;
  RECT rc;
  GetClientRect(view, &rc);
  const int w = rc.right, h = rc.bottom;
  std::vector<uint32_t> during_band, after;
  std::string step;
  uint32_t menu = 0;
  const auto capture = during([&] {
    during_band = window_capture(view, w, h);
    step = HelpStepName;
    menu = CmdShortcutMask[CmdLevel];
  });
  EXPECT_EQ(run(100, {click(-20, -15), move(25, 10), capture, esc()}), 700);
  after = window_capture(view, w, h);
  ASSERT_EQ(during_band.size(), size_t(w) * size_t(h));
#ifdef INK_PICTURE_DIR
  EXPECT_TRUE(write_png(INK_PICTURE_DIR "/commands-selection-band.png", w, h, during_band));
#endif
  EXPECT_EQ(step, "ｸﾞﾙｰﾌﾟ2");
  EXPECT_EQ(menu, 2u);
  EXPECT_EQ(std::memcmp(&Guide, &before, sizeof Guide), 0);
  EXPECT_STREQ(HelpStepName, "caller");
  // The band's four sides: columns at world x -20 and 25, rows at y -15 and 10.
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  vew_w2dev(0, 0, -20, -15, &x0, &y0);
  vew_w2dev(0, 0, 25, 10, &x1, &y1);
  const uint32_t bg = after[size_t(h - 3) * w + 3];
  auto near_line = [&](const std::vector<uint32_t> &px, int x, int y) {
    for (int dy = -1; dy <= 1; dy++)
      for (int dx = -1; dx <= 1; dx++)
        if (px[size_t(y + dy) * w + x + dx] != bg)
          return true;
    return false;
  };
  const int ymid = (y0 + y1) / 2 + 3, xmid = (x0 + x1) / 2 + 3; // beside the figures' lines
  for (const auto &p : {std::pair{x0, ymid}, std::pair{x1, ymid}, std::pair{xmid, y0}, std::pair{xmid, y1}}) {
    EXPECT_TRUE(near_line(during_band, p.first, p.second)) << p.first << "," << p.second;
    EXPECT_FALSE(near_line(after, p.first, p.second)) << p.first << "," << p.second; // gone again
  }
  EXPECT_FALSE(near_line(during_band, xmid, (y0 + y1) / 2 + 8)); // inside: only the outline
}

} // namespace

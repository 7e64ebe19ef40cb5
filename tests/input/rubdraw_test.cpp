// Rubber-band and drag previews drawn into a view backed by pixels.
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "../database/dbstart.h"
#include "../common/pngwrite.h"
#include "../display/drawfix.h"
#include "database/elements.h"
#include "database/store.h"
#include "display/elements/elmdisp_win.h"
#include "display/marks/snapmark.h"
#include "input/gcr.h"
#include "input/rubber.h"
#include "select/sellist.h"

namespace {

// The input the walks poll: quiet until the scripted poll, then a click.
int polls = 0, click_at = -1;
int scripted(InputEvent *next) {
  next->code = polls++ == click_at ? 500 : 0;
  return 1;
}

ElementRecord blank(uint16_t kind) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.layer = 1;
  return r;
}

class Rubber : public DrawView {
protected:
  void SetUp() override {
    DrawView::SetUp();
    db_start(20000, 500);
    saved_list = SelectionList;
    SelectionList = {list, 1000, 0, 0};
    list[0] = 0xFFFFFFFEu;
    std::memset(&Guide, 0, sizeof Guide);
    GuideListCount = 0;
    Preview = {};
    rub_shown(0);
    RubDrawnCount = 0;
    RubElemLimit = 32000;
    SnapMark.shape = 0;
    drag(1, 0);
    polls = 0, click_at = -1;
    gcr_setsource(scripted);
    RubPoll = rub_pollevery;
    canvas.fill_noise();
  }
  void TearDown() override {
    gcr_setsource(nullptr);
    RubPoll = rub_pollslice;
    SelectionList = saved_list;
    dtb_term();
    DrawView::TearDown();
  }
  static void drag(uint32_t mode, uint32_t total) {
    uint32_t blk[6] = {};
    sys_drag('r', blk);
    blk[1] = mode, blk[2] = total;
    sys_drag('w', blk);
  }
  int32_t add(const ElementRecord &r) { return elm_add(0, 0, ELM_NODRAW, &r, nullptr); }
  int32_t line(double x1, double y1, double x2, double y2) {
    ElementRecord r = blank(LIN);
    r.lin.x1 = x1, r.lin.y1 = y1, r.lin.x2 = x2, r.lin.y2 = y2;
    return add(r);
  }
  int32_t arc(double cx, double cy, double rad, double s, double e) {
    ElementRecord r = blank(ARC);
    r.arc.cx = cx, r.arc.cy = cy, r.arc.r = rad, r.arc.start = s, r.arc.end = e;
    return add(r);
  }
  // A group node whose member chain is the given numbers.
  int32_t group(const std::vector<int32_t> &members) {
    const int32_t n = add(blank(NOD));
    dtb_ptr(0, n)->nod.child = members.empty() ? -1 : members[0];
    for (size_t i = 0; i < members.size(); i++)
      dtb_ptr(0, members[i])->next = i + 1 < members.size() ? members[i + 1] : -1;
    return n;
  }
  void select(const std::vector<int32_t> &ns) {
    for (size_t i = 0; i < ns.size(); i++)
      list[i] = uint32_t(ns[i]);
    list[ns.size()] = 0xFFFFFFFEu;
    SelectionList.count = int32_t(ns.size());
  }
  // One get-point round: fresh draw, then the same call again.
  int32_t draw(double x, double y) {
    int32_t poll = -7;
    rub_draw(1, 0, x, y, &poll);
    return poll;
  }

  uint32_t list[1001];
  SelectionListRec saved_list;
};

struct Case {
  const char *name;
  std::function<void()> start;
  double x, y;
};

GuideShape shape(uint32_t kind, double a, double b, double c, double d, double e = 0) { return {kind, a, b, c, d, e}; }

TEST_F(Rubber, EveryFigureDrawnTwiceLeavesThePixels) {
  static GuideShape shapes[] = {shape(2, 10, 10, 30, 20),  shape(18, 5, 5, 20, 30), shape(34, 40, 5, 60, 30),
                                shape(4, 50, 25, 8, 10, 300), shape(7, 0, 0, 1, 1),   shape(0xFFFFFFFFu, 0, 0, 0, 0)};
  const double box[9] = {10, 5, 90, 5, 10, 45, 90, 40, 3};
  const double three[3] = {20, 20, 30};
  const double bulge[6] = {80, 10, 10, 10, 0.3, 7};
  const double along[6] = {10, 10, 80, 40, 6, 2};
  GuideMulti multi = {};
  multi.kind = 0, multi.n = 3;
  multi.l1[0] = 10, multi.l2[0] = 10, multi.l1[1] = 20, multi.l2[1] = 40;
  multi.l3[2] = 50, multi.l4[2] = 25, multi.l5[2] = 5, multi.l6[2] = 1;
  const Case cases[] = {
      {"1", [] { rub_startline(1, 0, 10, 10, 0); }, 70, 35},
      {"1 kind 3", [] { rub_startline(1, 3, 10, 10, 0); }, 70, 33},
      {"2 K0", [] { rub_startratio(2, 0, 10, 10, 0, 1); }, 70, 35},
      {"2 K2", [] { rub_startratio(2, 2, 10, 10, 30, 0.5); }, 70, 35},
      {"3", [] { rub_startpt(3, 50, 25); }, 70, 35},
      {"4", [] { rub_startpt(4, 50, 25); }, 70, 35},
      {"5", [] { rub_start2pt(5, 30, 20, 60, 20); }, 45, 35},
      {"6", [] { rub_start2pt(6, 30, 20, 60, 20); }, 45, 35},
      {"7", [] { rub_startratio(7, 2, 50, 20, 15, 0.5); }, 70, 35},
      {"8 K0", [] { rub_startratio(8, 0, 50, 20, 0, 1); }, 70, 35},
      {"8 K1", [] { rub_startratio(8, 1, 50, 20, 20, 1); }, 70, 35},
      {"9 K1", [] { rub_startratio(9, 1, 10, 10, 20, 1); }, 70, 35},
      {"10", [] { rub_startline(10, 0, 10, 10, 0, 3); }, 70, 35},
      {"11", [] { rub_startline(11, 0, 10, 10, 0, 3); }, 70, 35},
      {"12 K2", [] { rub_startkd(12, 2, 50, 25, 15, 120); }, 70, 35},
      {"13", [=] { rub_startf(13, three, 3); }, 70, 35},
      {"14", [] { rub_startratio(14, 0, 50, 25, 20, 1, 5); }, 70, 40},
      {"16", [] { rub_startkd(16, 0x200, 50, 25, 0, 10); }, 70, 35},
      {"17", [=] { rub_start3i(17, 1, 0, 1, bulge); }, 60, 40},
      {"18", [] { rub_startpt(18, 30, 25); }, 70, 35},
      {"19", [=] { rub_startf(19, box, 9); }, 50, 30},
      {"20", [] { rub_start2pt(20, 10, 10, 90, 10); }, 50, 40},
      {"21", [=] { rub_start3i(21, 0, 0, 0, along); }, 60, 40},
      {"22", [] { rub_startkd(22, 0, 50, 25, 0, 5); }, 70, 35},
      {"25", [=] { rub_startmulti(25, multi); }, 70, 35},
      {"30", [] { rub_startword(30, 1); }, 70, 35},
      {"98", [] { rub_startlist(98, 0, 10, 10, shapes, 0); }, 20, 15},
      {"100", [] { rub_startturnl(100, 50, 25, 1, 2, 10, shapes); }, 70, 45},
      {"102", [] { rub_startlistf(102, 30, 10, 10, shapes); }, 20, 15},
      {"106", [] { rub_startortho(106, 0, 10, 10, 20, 20, shapes, shapes); }, 25, 15},
  };
  for (const Case &c : cases) {
    c.start();
    const std::vector<uint32_t> before = canvas.pixels();
    rub_shown(0);
    EXPECT_EQ(draw(c.x, c.y), 0) << c.name;
    EXPECT_NE(canvas.pixels(), before) << c.name << " drew nothing";
    draw(c.x, c.y);
    EXPECT_EQ(canvas.pixels(), before) << c.name;
  }
}

// Mode 24 with P (10, 10), Q (30, 5), A 0, B -45, L1 = L2 = 5, D1 4, W1 6, W2 2, D2 10
// and the cursor at (40, 30), worked by hand:
// - the corner segments: the line through the cursor across A meets the line from P
//   at A - B = 45 degrees in X (40, 40); X to the cursor less (W1 + W2) / 2 gives
//   (40, 40)-(40, 26); P and X moved 5 along 45 degrees give (13.54, 13.54)-(43.54, 43.54);
// - the cursor lies on Q's side of the band along P-X, so the box is drawn: the foot
//   (40, 10) lies at 270 degrees from the cursor, so the label reads at 90 and the box
//   turns back: D1 and D1 + D2 below the cursor, turned a quarter clockwise, give
//   (36, 30) and (26, 30), widened by W1 / 2 across: (36, 33) (26, 33) (26, 27) (36, 27).
// Drawing those lines with the same pen over the preview must give back the canvas.
TEST_F(Rubber, PictureOfTheCornerBoxMatchesTheHandWorkedBox) {
  const double v[14] = {0, 0, 10, 10, 30, 5, 0, -45, 5, 5, 4, 6, 2, 10};
  ASSERT_EQ(rub_startf(24, v, 14), 0);
  const std::vector<uint32_t> before = canvas.pixels();
  rub_shown(0);
  EXPECT_EQ(draw(40, 30), 0);
  const std::vector<uint32_t> shown = canvas.pixels();
  EXPECT_NE(shown, before);
#ifdef INK_PICTURE_DIR
  std::vector<uint32_t> changed(shown.size()); // the noise under it left out: black where drawn
  for (size_t i = 0; i < shown.size(); i++)
    changed[i] = shown[i] != before[i] ? 0 : 0xFFFFFF;
  EXPECT_TRUE(write_png(INK_PICTURE_DIR "/input-mode24.png", canvas.width(), canvas.height(), changed));
#endif
  uint16_t map[20];
  sys_colmap('r', map);
  const int32_t colour = map[13] | 0x8000;
  const double s = 5 * std::sqrt(0.5);
  const double hand[6][4] = {{10 + s, 10 + s, 40 + s, 40 + s}, {40, 40, 40, 26}, {36, 33, 26, 33},
                             {26, 33, 26, 27},                 {26, 27, 36, 27}, {36, 27, 36, 33}};
  for (const auto &l : hand)
    dsp_line(1, 0, 13, l[0], l[1], l[2], l[3], colour);
  EXPECT_EQ(canvas.pixels(), before);
  // The cursor on the other side of the band: nothing.
  rub_shown(0);
  draw(20, 40);
  EXPECT_EQ(canvas.pixels(), before);
}

TEST_F(Rubber, NothingForOtherViewsAndModes) {
  rub_startline(1, 0, 10, 10, 0);
  const std::vector<uint32_t> before = canvas.pixels();
  int32_t poll = 5;
  rub_draw(2, 0, 70, 35, &poll);
  EXPECT_EQ(poll, 0);
  rub_draw(1, -1, 70, 35, &poll);
  rub_draw(1, 1, 70, 35, &poll);
  for (int mode : {0, -1, 15, 26, 31, 97}) {
    rub_start(mode);
    draw(70, 35);
  }
  // Points on the reference: nothing for the figures that need a size.
  rub_startpt(4, 50, 25);
  draw(50, 25);
  rub_startratio(7, 2, 50, 25, 0, 1);
  draw(50, 25);
  rub_startratio(2, 1, 50, 25, 0, 1);
  draw(50, 25);
  EXPECT_EQ(canvas.pixels(), before);
  // Mode 11 on its reference point draws its circle only, and removes it again.
  rub_startline(11, 0, 50, 25, 0, 3);
  draw(50, 25);
  EXPECT_NE(canvas.pixels(), before);
  draw(50, 25);
  EXPECT_EQ(canvas.pixels(), before);
}

TEST_F(Rubber, LastPenTellsGuidedFromListFigures) {
  uint16_t map[20];
  sys_colmap('r', map);
  rub_startline(1, 0, 10, 10, 0);
  draw(20, 20);
  draw(20, 20);
  EXPECT_EQ(rub_lastpen(), map[13] | 0x8000);
  rub_startlist(98, 0, 0, 0, nullptr, 0);
  draw(20, 20);
  EXPECT_EQ(rub_lastpen(), map[14] | 0x8000);
}

TEST_F(Rubber, MoveWalkDrawsThenRemoves) {
  const int32_t a = line(10, 10, 40, 10), b = arc(30, 30, 5, 0, 270);
  ElementRecord pt = blank(PNT);
  pt.pnt.x = 5, pt.pnt.y = 5;
  const int32_t p = add(pt);
  const int32_t gone = line(10, 20, 40, 20);
  dtb_ptr(0, gone)->flags |= ELM_ERASED;
  select({a, -1, b, p, gone, 9999});
  rub_startdrag(99, 0, 0, 0, 0, 0);
  const std::vector<uint32_t> before = canvas.pixels();
  rub_shown(0);
  rec_start();
  EXPECT_EQ(draw(20, 5), 0);
  const GdiRecord all = rec;
  EXPECT_EQ(Preview.shown, 6);
  draw(20, 5);
  EXPECT_EQ(Preview.shown, 0);
  EXPECT_EQ(canvas.pixels(), before);
  // The point, the erased line and the bad number are not drawn: the same calls as
  // for the line and the arc alone.
  select({a, b});
  rec.clear();
  draw(20, 5);
  EXPECT_EQ(rec.lines.size(), all.lines.size());
  EXPECT_EQ(rec.arcs.size(), all.arcs.size());
  EXPECT_GT(rec.lines.size() + rec.arcs.size(), 0u);
  draw(20, 5);
  rec_stop();
  // A drag mode other than 1 or 2 shows nothing.
  drag(3, 0);
  draw(20, 5);
  EXPECT_EQ(canvas.pixels(), before);
  EXPECT_EQ(Preview.shown, 0);
}

TEST_F(Rubber, EmptyListLeavesShownCountZero) {
  rub_startdrag(99, 0, 0, 0, 0, 0);
  rub_shown(0);
  EXPECT_EQ(draw(20, 5), 0);
  EXPECT_EQ(Preview.shown, 0);
  EXPECT_EQ(draw(20, 5), 0);
  EXPECT_EQ(Preview.shown, 0);
}

TEST_F(Rubber, InputBeforeTheFirstEntryDrawsNothing) {
  select({line(10, 10, 40, 10)});
  rub_startdrag(99, 0, 0, 0, 0, 0);
  const std::vector<uint32_t> before = canvas.pixels();
  click_at = 0;
  rub_shown(0);
  EXPECT_EQ(draw(20, 5), 500);
  EXPECT_EQ(Preview.shown, -1);
  EXPECT_EQ(Preview.poll, 500);
  EXPECT_EQ(draw(20, 5), 0);
  EXPECT_EQ(Preview.shown, 0);
  EXPECT_EQ(canvas.pixels(), before);
}

// The walks' own rate of polling still asks at the first entry of every pass.
TEST_F(Rubber, TimedPollAsksAtTheFirstEntry) {
  select({line(10, 10, 40, 10), line(10, 20, 40, 20)});
  rub_startdrag(99, 0, 0, 0, 0, 0);
  RubPoll = rub_pollslice;
  click_at = 0;
  rub_shown(0);
  EXPECT_EQ(draw(20, 5), 500);
  EXPECT_EQ(Preview.shown, -1);
  draw(20, 5);
  click_at = -1;
  rub_shown(0);
  EXPECT_EQ(draw(20, 5), 0);
  EXPECT_EQ(Preview.shown, 2);
  draw(20, 5);
}

// A walk interrupted inside a group removes exactly what it drew, in every walk mode.
TEST_F(Rubber, InterruptedInsideAGroupRemovesWhatItDrew) {
  std::vector<int32_t> inner, outer;
  for (int i = 0; i < 6; i++)
    inner.push_back(line(5 + i * 3, 5, 5 + i * 3, 40));
  const int32_t nested = group(inner);
  outer.push_back(arc(60, 25, 10, 0, 180));
  outer.push_back(nested);
  outer.push_back(line(60, 5, 95, 45));
  const int32_t top = group(outer);
  select({line(1, 1, 99, 1), top, line(1, 48, 99, 48)});
  const std::function<void()> starts[] = {
      [] { rub_startdrag(99, 0, 0, 0, 0, 0); },
      [] { rub_startturn(101, 50, 25, 0, 1, 1, 0); },
      [] { rub_startscale(105, 50, 25, 0, 15, 0.8, 0); },
  };
  for (uint32_t mode : {1u, 2u})
    for (const auto &start : starts)
      for (int at = 2; at <= 10; at++) { // polls inside the group
        drag(mode, 0);
        start();
        const std::vector<uint32_t> before = canvas.pixels();
        polls = 0, click_at = at;
        rub_shown(0);
        EXPECT_EQ(draw(23, 8), 500) << at;
        EXPECT_EQ(Preview.shown, 2) << at; // the group holds the interruption
        EXPECT_NE(canvas.pixels(), before) << "mode " << mode << " at " << at;
        click_at = -1;
        draw(23, 8);
        EXPECT_EQ(canvas.pixels(), before) << "mode " << mode << " at " << at;
        EXPECT_EQ(Preview.shown, 0);
      }
}

// Member chains read from a file may loop or contain their own group: the walk ends.
TEST_F(Rubber, LoopingGroupLinksAreBounded) {
  const int32_t a = line(10, 10, 40, 10), b = line(10, 20, 40, 30);
  const int32_t g = group({a, b});
  dtb_ptr(0, b)->next = a; // a -> b -> a ...
  const int32_t self = group({line(50, 5, 90, 45)});
  dtb_ptr(0, self)->nod.child = self;
  select({g, self});
  rub_startdrag(99, 0, 0, 0, 0, 0);
  const std::vector<uint32_t> before = canvas.pixels();
  rub_shown(0);
  draw(2, 3);
  draw(2, 3);
  EXPECT_EQ(canvas.pixels(), before);
  drag(2, 0);
  rub_shown(0);
  draw(2, 3);
  EXPECT_EQ(RubDrawnCount, 500); // the loop runs into the drag total
  draw(2, 3);
  EXPECT_EQ(canvas.pixels(), before);
}

// DRAGTOTAL 0: 500 of 800 selected lines follow the cursor; the last 300 lie in the
// top band of the view, which stays untouched.
// Two open views of the drawing: the get-point loop draws the walk in each, then
// removes it in each. Every view gets its own drawing pass (which polls) and its own
// removing pass (which does not); a click met in the first view's pass stops the
// second view's pass before it takes another message.
TEST_F(Rubber, EachViewRemovesWhatItDrew) {
  HWND second = make_window(W, H);
  extra.push_back(second);
  open_view(0, 1, second, 100, 50);
  const uint32_t views = 3;
  std::vector<int32_t> ns;
  for (int i = 0; i < 4; i++)
    ns.push_back(line(10, 5 + 5 * i, 90, 6 + 5 * i));
  select(ns);
  rub_startdrag(99, 0, 0, 0, 0, 0);
  const std::vector<uint32_t> before = canvas.pixels();
  rub_shown(0);
  std::vector<int> polled;
  std::vector<int32_t> shown;
  for (int pass = 0; pass < 2; pass++)
    for (int32_t v = 0; v < 2; v++) {
      const int was = polls;
      int32_t poll = -7;
      rub_draw(views, v, 30, 20, &poll);
      EXPECT_EQ(poll, 0);
      polled.push_back(polls - was);
      shown.push_back(Preview.shown);
    }
  EXPECT_EQ(polled, (std::vector<int>{4, 4, 0, 0}));
  EXPECT_EQ(shown, (std::vector<int32_t>{4, 4, 0, 0}));
  EXPECT_EQ(canvas.pixels(), before);
  // The click comes at the first poll: view 0 stops there and view 1 draws nothing.
  polls = 0, click_at = 0;
  rub_shown(0);
  int32_t p0 = 0, p1 = 0;
  rub_draw(views, 0, 30, 20, &p0);
  rub_draw(views, 1, 30, 20, &p1);
  EXPECT_EQ(p0, 500);
  EXPECT_EQ(p1, 500);
  EXPECT_EQ(polls, 1);
  rub_draw(views, 0, 30, 20, &p0);
  rub_draw(views, 1, 30, 20, &p1);
  EXPECT_EQ(canvas.pixels(), before);
}

TEST_F(Rubber, DragTotalCapsTheLines) {
  std::vector<int32_t> ns;
  for (int i = 0; i < 800; i++) {
    const double y = i < 500 ? 2 + i * 0.05 : 40 + (i - 500) * 0.02;
    ns.push_back(line(10, y, 90, y + 1));
  }
  select(ns);
  rub_startdrag(99, 0, 0, 0, 0, 0);
  drag(2, 0);
  const std::vector<uint32_t> before = canvas.pixels();
  auto band = [&](const std::vector<uint32_t> &px) {
    return std::vector<uint32_t>(px.begin(), px.begin() + 25 * canvas.width());
  };
  rub_shown(0);
  draw(0, 0);
  EXPECT_EQ(RubDrawnCount, 500);
  EXPECT_EQ(Preview.shown, 500);
  EXPECT_NE(canvas.pixels(), before);
  EXPECT_EQ(band(canvas.pixels()), band(before));
  draw(0, 0);
  EXPECT_EQ(canvas.pixels(), before);
  // DRAGTOTAL 1 gives 1000, so all 800; a value outside 0..3 keeps the earlier total.
  drag(2, 1);
  rub_shown(0);
  draw(0, 0);
  EXPECT_EQ(RubDragTotal, 1000);
  EXPECT_EQ(Preview.shown, 800);
  EXPECT_NE(band(canvas.pixels()), band(before));
  draw(0, 0);
  drag(2, 7);
  draw(0, 0);
  EXPECT_EQ(RubDragTotal, 1000);
  draw(0, 0);
  EXPECT_EQ(canvas.pixels(), before);
}

TEST_F(Rubber, ElementLimitStopsTheWalk) {
  std::vector<int32_t> ns;
  for (int i = 0; i < 10; i++)
    ns.push_back(line(10, 10 + i, 90, 12 + i));
  select(ns);
  RubElemLimit = 4;
  rub_startdrag(99, 0, 0, 0, 0, 0);
  const std::vector<uint32_t> before = canvas.pixels();
  rub_shown(0);
  draw(1, 1);
  EXPECT_EQ(Preview.shown, 4);
  draw(1, 1);
  EXPECT_EQ(canvas.pixels(), before);
}

} // namespace

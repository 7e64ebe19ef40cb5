// The partial-erase piece finder on small drawings, without views.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "../../database/dbstart.h"
#include "commands/edit/segerase.h"
#include "commands/cmdl/cmdlevel.h"
#include "database/elements.h"
#include "database/groups.h"
#include "select/near.h"
#include "select/filter.h"
#include "select/picksys.h"
#include "settings/params.h"
#include "settings/appstate.h"

namespace {

ElementRecord mk(uint16_t kind, uint8_t layer = 0) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.layer = layer;
  return r;
}

struct SegFind : ::testing::Test {
  std::vector<SegRecord> table = std::vector<SegRecord>(SEG_MAX);
  int32_t dwg = 0;
  ElementFilter saved = ElmFilter;
  void SetUp() override {
    prm_init();
    db_start(20000, 500);
    pck_reset();
    pck_hooks().inmode = [] { return 0; };
    ElmFilter = {LIN | ARC | NOD, 0xFFFF, 0xFFFF, 6};
    SegRecords = table.data();
    seg_reset();
  }
  void TearDown() override {
    SegRecords = nullptr;
    SegCount = 0;
    ElmFilter = saved;
    pck_reset();
    dtb_term();
  }
  int32_t add(const ElementRecord &r) { return elm_add(dwg, 0, -1, &r, nullptr); }
  int32_t line(double x1, double y1, double x2, double y2, uint16_t attr = 0x11, uint8_t layer = 0) {
    ElementRecord r = mk(LIN, layer);
    r.lin.x1 = x1;
    r.lin.y1 = y1;
    r.lin.x2 = x2;
    r.lin.y2 = y2;
    r.lin.attr = attr;
    return add(r);
  }
  int32_t circle(double cx, double cy, double rad, double s = 0, double e = 360) {
    ElementRecord r = mk(ARC);
    r.arc.cx = cx;
    r.arc.cy = cy;
    r.arc.r = rad;
    r.arc.start = s;
    r.arc.end = e;
    r.arc.attr = 0x11;
    return add(r);
  }
  // Record 0 for element n picked at (x, y), then its cut points.
  SegRecord find(int32_t n, double x, double y) {
    SegRecord r;
    std::memset(&r, 0, sizeof r);
    r.elem = uint32_t(n);
    ElementRecord e;
    EXPECT_EQ(elm_read(dwg, n, &e, nullptr, 0), 0);
    GeoPoint p{x, y}, on;
    EXPECT_EQ(seg_onelm(&e, &p, &on), 0);
    r.rx = on.x;
    r.ry = on.y;
    EXPECT_EQ(seg_put(0, &r), 0);
    EXPECT_EQ(seg_bounds(0, dwg, 0), 0);
    return *seg_rec(0);
  }
};

void near(double a, double b, const char *what) { EXPECT_NEAR(a, b, 1e-9) << what; }

TEST_F(SegFind, LineBetweenTwoCrossingsAndBeyondTheLast) {
  for (dwg = 0; dwg < 2; ++dwg) {
    const int32_t t = line(0, 0, 100, 0);
    line(20, -10, 20, 10);
    line(60, -10, 60, 10);
    line(80, 5, 90, 5); // misses
    SegRecord r = find(t, 40, 3);
    EXPECT_EQ(r.flags, 3u) << dwg;
    near(r.sx, 20, "start");
    near(r.ex, 60, "end");
    near(r.rx, 40, "ref");
    r = find(t, 75, -2);
    EXPECT_EQ(r.flags, 1u) << dwg; // runs to the line's own end
    near(r.sx, 60, "start");
    ASSERT_EQ(seg_image(dwg, &dtb_ptr(dwg, t)[0], 0), 0);
    const ElementRecord &im = seg_rec(0)->image;
    near(im.lin.x1, 60, "image start");
    near(im.lin.x2, 100, "image end");
  }
}

TEST_F(SegFind, TouchingAtTheTargetsEndDoesNotCut) {
  const int32_t t = line(0, 0, 100, 0);
  line(100, -10, 100, 10); // passes through the target's end
  line(0, 0, -5, 20);      // starts at the target's start
  EXPECT_EQ(find(t, 50, 0).flags, 0u);
}

TEST_F(SegFind, HiddenLayerAndLineKindSixDoNotCut) {
  const int32_t t = line(0, 0, 100, 0);
  line(30, -10, 30, 10, 0x11, 5);
  line(70, -10, 70, 10, 0x61);
  uint16_t cur, states[64];
  sys_layer('r', dwg, &cur, states);
  states[5] = 1;
  sys_layer('w', dwg, &cur, states);
  SegRecord r = find(t, 50, 0);
  EXPECT_EQ(r.flags, 2u); // line kind 6 counts in input mode 0
  near(r.ex, 70, "end");
  pck_hooks().inmode = [] { return 1; };
  EXPECT_EQ(find(t, 50, 0).flags, 0u);
  states[5] = 2;
  sys_layer('w', dwg, &cur, states);
  r = find(t, 50, 0);
  EXPECT_EQ(r.flags, 1u);
  near(r.sx, 30, "start");
}

TEST_F(SegFind, FullCircleNeedsTwoCuts) {
  const int32_t c = circle(0, 0, 10);
  line(0, 0, 20, 0); // one crossing at 0 degrees
  EXPECT_EQ(find(c, 0, 20).flags, 0u);
  line(0, 0, 0, 20); // a second at 90 degrees
  // Pick positions covering the six orders of the pick angle and the two cut angles.
  struct Row {
    double px, py, start, end;
  } rows[] = {
      {7, 7, 0, 90},      // between the cuts
      {-7, -7, 90, 360},  // beyond both
      {7, -7, 90, 360},   // below both (near 360)
      {-7, 7, 90, 360},   // above both
      {10, 0.0001, 0, 90},
      {0.0001, 10, 0, 90},
  };
  for (const Row &w : rows) {
    const SegRecord r = find(c, w.px, w.py);
    EXPECT_EQ(r.flags, 3u) << w.px << "," << w.py;
    ASSERT_EQ(seg_image(dwg, dtb_ptr(dwg, c), 0), 0);
    const ElementRecord &im = seg_rec(0)->image;
    EXPECT_NEAR(im.arc.end - im.arc.start, w.end - w.start, 1e-6) << w.px << "," << w.py;
  }
}

TEST_F(SegFind, CircleWithThreeCutsTakesTheNearestOnEachSide) {
  const int32_t c = circle(0, 0, 10);
  line(0, 0, 20, 0);
  line(0, 0, 0, 20);
  line(0, 0, -20, 0);
  const SegRecord r = find(c, -7, 7); // between 90 and 180
  ASSERT_EQ(r.flags, 3u);
  near(r.sx, 0, "start x");
  near(r.sy, 10, "start y");
  near(r.ex, -10, "end x");
}

TEST_F(SegFind, ArcCutBetweenAndToItsEnd) {
  const int32_t a = circle(0, 0, 10, 0, 180);
  line(0, 0, 20, 20); // 45 degrees
  SegRecord r = find(a, -10, 1);
  EXPECT_EQ(r.flags, 1u);
  near(r.sx, 10 * std::sqrt(0.5), "start");
  r = find(a, 10, 1);
  EXPECT_EQ(r.flags, 2u);
}

TEST_F(SegFind, CrossingLineRecordsNearerFirstAndTheTableLimit) {
  const int32_t l1 = line(10, -10, 10, 10);
  const int32_t c = circle(50, 0, 10);
  const GeoPoint p1{0, 0}, p2{100, 0};
  seg_setpt1(&p1);
  seg_setpt2(&p2);
  ASSERT_EQ(seg_bounds(1, dwg, 0), 0);
  ASSERT_EQ(SegCount, 3);
  EXPECT_EQ(seg_rec(0)->elem, uint32_t(l1));
  EXPECT_EQ(seg_rec(1)->elem, uint32_t(c));
  near(seg_rec(1)->rx, 40, "nearer crossing first");
  near(seg_rec(2)->rx, 60, "then the further one");
  // 400 crossings fit, the 401st fails the whole collection.
  for (int i = 0; i < 397; ++i)
    line(0.1 + i * 0.2, -1, 0.1 + i * 0.2, 1);
  ASSERT_EQ(seg_bounds(1, dwg, 0), 0);
  EXPECT_EQ(SegCount, 400);
  line(99.95, -1, 99.95, 1);
  EXPECT_EQ(seg_bounds(1, dwg, 0), 1);
  EXPECT_EQ(SegCount, 0);
}

TEST_F(SegFind, CrossArcTwiceFindsBothPieces) {
  const int32_t a = circle(50, 0, 10, 0, 180);
  line(45, -20, 45, 20);
  line(55, -20, 55, 20);
  const GeoPoint p1{30, 5}, p2{70, 5};
  seg_setpt1(&p1);
  seg_setpt2(&p2);
  ASSERT_EQ(seg_cross(dwg), 0);
  int onarc = 0;
  for (int32_t i = 0; i < SegCount; ++i)
    if (seg_rec(i)->elem == uint32_t(a)) {
      ++onarc;
      EXPECT_NE(seg_rec(i)->flags, 0u);
    }
  EXPECT_EQ(onarc, 2);
}

TEST_F(SegFind, RecordsOutsideTheTableAreRefused) {
  SegRecord r;
  std::memset(&r, 0, sizeof r);
  EXPECT_EQ(seg_put(1, &r), 1); // beyond one past the count
  EXPECT_EQ(seg_put(-1, &r), 1);
  EXPECT_EQ(seg_put(0, &r), 0);
  EXPECT_EQ(seg_bounds(0, dwg, 0), 1); // element 0
  SegRecords = nullptr;
  EXPECT_EQ(seg_put(0, &r), 1);
  EXPECT_EQ(seg_rec(0), nullptr);
  EXPECT_EQ(seg_bounds(0, dwg, 0), 1);
}

// Live lines and arcs of the drawing other than the given cutters, in store order.
std::vector<ElementRecord> live(int32_t dwg, const std::vector<int32_t> &skip) {
  std::vector<ElementRecord> out;
  const DbControl &c = DbCtl[dwg];
  for (uint32_t k = 0; k < c.count1; ++k) {
    const int32_t n = int32_t(c.base1 + k);
    const ElementRecord *r = dtb_ptr(dwg, n);
    if (!r || (r->flags & ELM_SKIP) || std::find(skip.begin(), skip.end(), n) != skip.end())
      continue;
    out.push_back(*r);
  }
  return out;
}

TEST_F(SegFind, ApplyModesAndEndStyles) {
  constexpr uint16_t S = 0x100, E = 0x1000, BOTH = 0x11 | S | E;
  struct Row {
    double pick;  // x of the click on the line 0..100 cut at 20 and 60 (none: no cutters)
    bool cutters;
    int keep;
    std::vector<std::array<double, 3>> parts; // x1, x2, styles left
  } rows[] = {
      {40, true, 0, {{0, 20, S}, {60, 100, E}}},     {40, true, 1, {{0, 20, S}, {60, 100, E}}},
      {40, true, 2, {{0, 20, S | E}, {60, 100, S | E}}}, {80, true, 0, {{0, 60, S}}},
      {80, true, 1, {{0, 60, S | E}}},               {80, true, 2, {{0, 60, S | E}}},
      {10, true, 0, {{20, 100, E}}},                 {10, true, 1, {{20, 100, S | E}}},
      {10, true, 2, {{20, 100, S | E}}},             {50, false, 0, {}},
      {50, false, 1, {}},                            {50, false, 2, {}},
  };
  for (const Row &w : rows) {
    db_start(20000, 500);
    seg_reset();
    const int32_t t = line(0, 0, 100, 0, BOTH);
    std::vector<int32_t> cut;
    if (w.cutters) {
      cut.push_back(line(20, -10, 20, 10));
      cut.push_back(line(60, -10, 60, 10));
    }
    find(t, w.pick, 0);
    SegCount = 1;
    SegKeepStyle = w.keep;
    ASSERT_EQ(seg_erase(dwg), 0);
    const auto got = live(dwg, cut);
    ASSERT_EQ(got.size(), w.parts.size()) << w.pick << " keep " << w.keep;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_NEAR(got[i].lin.x1, w.parts[i][0], 1e-9) << w.pick << " keep " << w.keep;
      EXPECT_NEAR(got[i].lin.x2, w.parts[i][1], 1e-9) << w.pick << " keep " << w.keep;
      EXPECT_EQ(got[i].lin.attr & (S | E | 0x700 | 0x3800), int(w.parts[i][2])) << w.pick << " keep " << w.keep;
    }
  }
  SegKeepStyle = 0;
}

TEST_F(SegFind, TwoComplementaryPiecesDeleteACircle) {
  const int32_t c = circle(0, 0, 10);
  const int32_t a = line(0, 0, 20, 0), b = line(0, 0, 0, 20);
  SegRecord r0 = find(c, 7, 7);
  SegCount = 1;
  SegRecord r1 = find(c, -7, -7);
  ASSERT_EQ(seg_put(0, &r0), 0);
  ASSERT_EQ(seg_put(1, &r1), 0);
  SegCount = 2;
  ASSERT_EQ(seg_erase(dwg), 0);
  EXPECT_TRUE(live(dwg, {a, b}).empty());
  // One piece of a circle turns it into the arc outside the piece.
  const int32_t c2 = circle(0, 0, 10);
  find(c2, 7, 7);
  SegCount = 1;
  ASSERT_EQ(seg_erase(dwg), 0);
  const auto got = live(dwg, {a, b});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NEAR(got[0].arc.end - got[0].arc.start, 270, 1e-6);
  EXPECT_NEAR(std::fmod(got[0].arc.start + 360, 360), 90, 1e-6);
}

TEST_F(SegFind, ArcCrossedTwiceByADragLosesExactlyItsTwoPieces) {
  const int32_t a = circle(50, 0, 10, 0, 180);
  const int32_t l1 = line(45, -20, 45, 20), l2 = line(55, -20, 55, 20);
  const GeoPoint p1{30, 5}, p2{70, 5};
  seg_setpt1(&p1);
  seg_setpt2(&p2);
  ASSERT_EQ(seg_cross(dwg), 0);
  ASSERT_EQ(seg_erase(dwg), 0);
  // The dragged line at y 5 crosses the arc at about 30 and 150 degrees: both pieces
  // run to the arc's ends, so only the middle between the two cutters stays.
  const auto got = live(dwg, {l1, l2});
  std::vector<ElementRecord> arcs;
  for (const auto &r : got)
    if (r.kind == ARC)
      arcs.push_back(r);
  ASSERT_EQ(arcs.size(), 1u);
  const double s = 60.0; // x = 55 at 60 degrees
  EXPECT_NEAR(arcs[0].arc.start, s, 1e-6);
  EXPECT_NEAR(arcs[0].arc.end, 180 - s, 1e-6);
  (void)a;
}

TEST_F(SegFind, AFullStoreGives1010AndKeepsTheRewrite) {
  db_start(3, 500);
  const int32_t t = line(0, 0, 100, 0);
  const int32_t a = line(20, -10, 20, 10), b = line(60, -10, 60, 10);
  ASSERT_GT(b, 0);
  find(t, 40, 0);
  SegCount = 1;
  EXPECT_EQ(seg_erase(dwg), 1010);
  const auto got = live(dwg, {a, b});
  ASSERT_EQ(got.size(), 1u); // the first part was written, the second could not be added
  EXPECT_NEAR(got[0].lin.x2, 20, 1e-9);
}

TEST_F(SegFind, ApplyOnePieceByMode) {
  const int32_t t = line(0, 0, 100, 0);
  const int32_t a = line(20, -10, 20, 10), b = line(60, -10, 60, 10);
  const SegRecord r = find(t, 80, 0);
  ASSERT_EQ(r.flags, 1u);
  ASSERT_EQ(seg_apply(2, dwg, 0, dtb_ptr(dwg, t), &r), 0);
  auto got = live(dwg, {a, b});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NEAR(got[0].lin.x2, 60, 1e-9);
  ASSERT_EQ(seg_apply(0, dwg, 0, dtb_ptr(dwg, t), &r), 0);
  EXPECT_TRUE(live(dwg, {a, b}).empty());
}

} // namespace

// The hover on the store without views: the pick aperture comes from the hooks, and
// what would be redrawn whole is noted.
struct SegHover : SegFind {
  static inline std::vector<std::array<int32_t, 3>> shown;
  int32_t level = CmdLevel;
  uint32_t off = SegHoverOff;
  void SetUp() override {
    SegFind::SetUp();
    pck_hooks().aperture = [](int32_t, int32_t, double *t) {
      *t = 2;
      return 0;
    };
    pck_hooks().show = [](int32_t d, int32_t n, int32_t c) { shown.push_back({d, n, c}); };
    shown.clear();
    CmdLevel = 0;
    SegHoverOff = 0;
    SegStage = 0;
    SegDrawing = -1;
    SegHit = 0;
    SegModePick = SegModeCross = 3;
  }
  void TearDown() override {
    CmdLevel = level;
    SegHoverOff = off;
    SegStage = 0;
    SegFind::TearDown();
  }
  int hover(double x, double y) { return seg_hover(dwg, 0, 0, 0, x, y); }
};

TEST_F(SegHover, PickStageFindsThePieceUnderTheCursor) {
  for (dwg = 0; dwg < 2; ++dwg) {
    const int32_t t = line(0, 0, 100, 0, 0x0911); // end styles at both ends
    line(20, -10, 20, 10);
    line(60, -10, 60, 10);
    ASSERT_EQ(hover(40, 1), 0) << dwg;
    EXPECT_EQ(seg_hit(), t);
    ASSERT_EQ(SegCount, 1);
    EXPECT_EQ(SegDrawing, dwg);
    const SegRecord &r = *seg_rec(0);
    EXPECT_EQ(r.flags, 3u);
    near(r.rx, 40, "projected");
    near(r.ry, 0, "projected");
    // The image: the piece alone, line kind 1, no styles at its cut ends.
    near(r.image.lin.x1, 20, "image");
    near(r.image.lin.x2, 60, "image");
    EXPECT_EQ(r.image.lin.attr, 0x0011);
    // Empty space: nothing found, the table emptied and the piece's element redrawn.
    shown.clear();
    EXPECT_EQ(hover(40, 30), 1);
    EXPECT_EQ(seg_hit(), 0);
    EXPECT_EQ(SegCount, 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], (std::array<int32_t, 3>{dwg, t, -1}));
  }
}

TEST_F(SegHover, SilentWhileSwitchedOffOrUnderAHigherLevel) {
  const int32_t t = line(0, 0, 100, 0);
  SegHoverOff = 1;
  EXPECT_EQ(hover(40, 0), 1);
  EXPECT_EQ(SegCount, 0);
  EXPECT_EQ(seg_hvend(dwg, 1, 0), 1);
  SegHoverOff = 0;
  ASSERT_EQ(hover(40, 0), 0);
  EXPECT_EQ(seg_hit(), t);
  CmdLevel = 2; // a command of a higher level waits: the piece goes and nothing is found
  EXPECT_EQ(hover(40, 0), 1);
  EXPECT_EQ(seg_hit(), 0);
  EXPECT_EQ(SegCount, 0);
  SegStage = 1;
  const GeoPoint p1{40, 10};
  seg_setpt1(&p1);
  EXPECT_EQ(hover(40, -10), 1);
  EXPECT_EQ(SegCount, 0);
}

TEST_F(SegHover, AGroupMemberIsFoundItselfNotItsGroup) {
  ElementRecord node = mk(NOD);
  node.subkind = 2;
  node.nod.data[0] = 1100 & 0xFF;
  node.nod.data[1] = 1100 >> 8;
  const int32_t g = add(node);
  ASSERT_GE(g, 1);
  ASSERT_EQ(grp_open(dwg, g), 0);
  const int32_t m = line(0, 0, 100, 0);
  grp_close(dwg);
  ASSERT_EQ(hover(50, 1), 0);
  EXPECT_EQ(seg_hit(), m);
  EXPECT_EQ(seg_rec(0)->flags, 0u); // nothing cuts it: the whole line
}

TEST_F(SegHover, CrossingStageCollectsThePiecesOfTheDraggedLine) {
  const int32_t a = line(0, 0, 100, 0, 0x0911);
  const int32_t b = line(0, 20, 100, 20);
  line(50, -10, 50, 30);
  SegStage = 1;
  const GeoPoint p1{30, -5};
  seg_setpt1(&p1);
  ASSERT_EQ(hover(30, 25), 0);
  ASSERT_EQ(SegCount, 2);
  EXPECT_EQ(seg_rec(0)->elem, uint32_t(a));
  EXPECT_EQ(seg_rec(0)->flags, 2u); // from the start to the crossing at 50
  near(seg_rec(0)->image.lin.x1, 0, "image start");
  near(seg_rec(0)->image.lin.x2, 50, "image end");
  EXPECT_EQ(seg_rec(0)->image.lin.attr, 0x0111); // the start keeps its style
  EXPECT_EQ(seg_rec(1)->elem, uint32_t(b));
  GeoPoint first, second;
  seg_getpts(&first, &second);
  near(second.y, 25, "second point");
  // Moved off every element: the table empties, the pieces' elements are redrawn once each.
  shown.clear();
  EXPECT_EQ(hover(40, -5), 0);
  EXPECT_EQ(SegCount, 0);
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(SegHover, TheHoverEndsOnlyForAnOpenViewOfTheMask) {
  line(0, 0, 100, 0);
  struct Case {
    int32_t view;
    uint32_t mask;
    int result;
    int32_t left;
  } cases[] = {{-1, 1, 2, 1}, {3, 1, 3, 1}, {40, 1, 3, 1}, {0, 1, 0, 0}};
  for (const Case &c : cases) {
    ASSERT_EQ(hover(50, 0), 0);
    EXPECT_EQ(seg_hvend(dwg, c.mask, c.view), c.result) << c.view;
    EXPECT_EQ(SegCount, c.left) << c.view;
  }
}

TEST_F(SegHover, OnlyTheLiveModesTakeThePiecesAway) {
  const int32_t t = line(0, 0, 100, 0);
  for (int32_t mode = 0; mode <= 4; ++mode) {
    SegModePick = mode;
    ASSERT_EQ(hover(50, 0), 0);
    shown.clear();
    EXPECT_EQ(seg_unhilite(dwg), 0);
    EXPECT_EQ(shown.size(), mode >= 3 ? 1u : 0u) << mode;
    if (!shown.empty()) {
      EXPECT_EQ(shown[0][1], t);
    }
  }
  SegRecords = nullptr;
  EXPECT_EQ(seg_unhilite(dwg), 1);
  EXPECT_EQ(seg_redraw(dwg), 1);
  EXPECT_EQ(hover(50, 0), 1);
}

#include "pickfix.h"

#include "settings/appstate.h"

namespace {

struct List : PickTest {
  void SetUp() override {
    PickTest::SetUp();
    ASSERT_EQ(pck_alloc(0), 0);
    PickHoverOff = 0;
    CmdLevel = 0;
    pck_setmode(3, 2);
    pck_hvkind(0);
    PickList.hvdwg = -1;
  }
  void TearDown() override {
    PickHoverOff = 1;
    CmdLevel = -1;
    PickTest::TearDown();
  }
  static int32_t pick_colour() {
    uint16_t cm[20];
    sys_colmap('r', cm);
    return cm[13];
  }
};

TEST_F(List, IndexIsChecked) {
  EXPECT_EQ(PickList.capacity, 400);
  const int32_t l = line(0, 0, 10, 10);
  PickList.entries[0] = l;
  PickList.count = 1;
  int32_t out = 77;
  EXPECT_EQ(pck_get(0, &out), 0);
  EXPECT_EQ(out, l);
  out = 77;
  for (int32_t i : {-1, 1, 400, 100000}) {
    EXPECT_EQ(pck_get(i, &out), 1) << i;
    EXPECT_EQ(out, 77);
    EXPECT_EQ(pck_hilite1(0, i, 13), 1) << i;
  }
  EXPECT_EQ(pck_hilite1(2, 0, 13), 1);
  EXPECT_EQ(pck_hilite1(-1, 0, 13), 1);
  EXPECT_TRUE(world().shown.empty());
  EXPECT_EQ(pck_hilite1(0, 0, 13), 0);
  EXPECT_EQ(world().shown, (std::vector<Shown>{{0, l, 13}}));
  pck_free();
  EXPECT_EQ(pck_get(0, &out), 1);
  EXPECT_EQ(pck_alloc(-5), 1);
}

TEST_F(List, TopNodeEndsOnSelfLinksAndLoops) {
  const int32_t top = group(1);
  ASSERT_EQ(grp_open(0, top), 0);
  const int32_t inner = group(1);
  ASSERT_EQ(grp_open(0, inner), 0);
  const int32_t l = line(0, 0, 10, 0);
  grp_close(0);
  grp_close(0);
  const int32_t loose = line(0, 5, 10, 5);
  int32_t t = -5;
  EXPECT_EQ(pck_topnode(0, loose, &t), 1);
  EXPECT_EQ(pck_topnode(0, l, &t), 0);
  EXPECT_EQ(t, top);
  // A node whose parent link names itself is the top.
  at(top)->parent = top;
  EXPECT_EQ(pck_topnode(0, l, &t), 0);
  EXPECT_EQ(t, top);
  // A loop of two nodes, and a link to a record that is not there.
  at(top)->parent = inner;
  EXPECT_EQ(pck_topnode(0, l, &t), 2);
  EXPECT_EQ(t, 0);
  at(top)->parent = 1000000;
  EXPECT_EQ(pck_topnode(0, l, &t), 2);
}

TEST_F(List, HoverSwitchOffDoesNothing) {
  line(0, 50, 100, 50);
  PickHoverOff = 1;
  EXPECT_EQ(pck_hover(0, 0, 0, 0, 50, 50), 0);
  EXPECT_EQ(PickList.count, 0);
  EXPECT_EQ(pck_hvend(0, 1, 0), 1);
  EXPECT_TRUE(world().shown.empty());
}

TEST_F(List, NearestHoverTakesTheTopNode) {
  const int32_t g = group(1);
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t m = line(0, 50, 100, 50);
  grp_close(0);
  pck_filter(NOD | FLT_NOCLIMB | 15, 0, 0, 0);
  EXPECT_EQ(pck_hover(0, 0, 0, 0, 50, 50.5), 0);
  EXPECT_EQ(pck_hvelem(), g);
  int32_t e = 0;
  ASSERT_EQ(pck_get(0, &e), 0);
  EXPECT_EQ(e, g);
  EXPECT_EQ(world().shown, (std::vector<Shown>{{0, g, pick_colour()}}));
  // The next move removes the old highlight first.
  world().shown.clear();
  EXPECT_EQ(pck_hover(0, 0, 0, 0, 50, 80), 1);
  EXPECT_EQ(world().shown, (std::vector<Shown>{{0, g, -1}}));
  EXPECT_EQ(PickList.count, 0);
  // Modes 1 and 2 collect without drawing.
  world().shown.clear();
  pck_setmode(1, 2);
  EXPECT_EQ(pck_hover(0, 0, 0, 0, 50, 50.5), 0);
  EXPECT_EQ(PickList.count, 1);
  EXPECT_TRUE(world().shown.empty());
  // Views outside the mask, negative views; then the removal.
  EXPECT_EQ(pck_hvend(0, 2, 0), 3);
  EXPECT_EQ(pck_hvend(0, 1, -1), 2);
  EXPECT_EQ(pck_hvend(0, 1, 0), 0);
  EXPECT_EQ(PickList.count, 0);
  (void)m;
}

TEST_F(List, ProbeCollectsCrossedElements) {
  pck_hvkind(1);
  const int32_t a = line(50, 0, 50, 100);
  const int32_t endonly = line(70, 0, 70, 10); // meets the probe only at its start
  const int32_t g = group(1);
  ASSERT_EQ(grp_open(0, g), 0);
  line(60, 0, 60, 100);
  line(65, 0, 65, 100);
  grp_close(0);
  const int32_t c = arc(80, 10, 5, 0, 360);
  const int32_t t = text("AB", 90, 8, 4);
  ElementRecord bad = proto(CHR);
  bad.chr = at(t)->chr;
  bad.chr.x = 100;
  bad.chr.attr = 1 | 3 << 5; // alignment value 3: never picked
  const int32_t badt = add(bad, "AB");
  const double start[2] = {70, 10};
  pck_setpt(start);
  EXPECT_EQ(pck_hover(0, 0, 0, 0, 40, 10), 1);
  EXPECT_EQ(PickList.count, 2);
  EXPECT_EQ(PickList.entries[0], a);
  EXPECT_EQ(PickList.entries[1], g); // its two members crossed: one entry
  pck_setpt(start);
  EXPECT_EQ(pck_hover(0, 0, 0, 0, 110, 10), 1);
  ASSERT_EQ(PickList.count, 2);
  EXPECT_EQ(PickList.entries[0], c);
  EXPECT_EQ(PickList.entries[1], t);
  double e[4][4];
  EXPECT_EQ(pck_txtbox(0, badt, e), 1);
  EXPECT_EQ(pck_txtbox(0, a, e), 1);
  (void)endonly;
}

TEST_F(List, ConfirmAsksAndKeepsOrRemovesTheHighlight) {
  const int32_t l = line(0, 0, 10, 0);
  PickList.entries[0] = l;
  PickList.count = 1;
  struct Case {
    int answer, rc;
    bool removed;
  } cases[] = {{'y', 0, false}, {500, 0, false}, {'n', 1, true}, {501, 1, true}, {27, 27, true},
               {'x', 1, true},  {700, 1, true},  {800, 800, true}, {-2, 1, true}};
  for (const Case &c : cases) {
    world().shown.clear();
    world().answers = {c.answer};
    EXPECT_EQ(pck_confirm(1, 0), c.rc) << c.answer;
    ASSERT_GE(world().shown.size(), 1u);
    EXPECT_EQ(world().shown[0], (Shown{0, l, pick_colour()}));
    EXPECT_EQ(world().shown.back().colour == -1, c.removed) << c.answer;
  }
  // Mode 1 draws and pauses; mode 3 neither draws nor asks.
  world() = PickWorld{};
  pck_setmode(1, 3);
  EXPECT_EQ(pck_confirm(0, 0), 0);
  EXPECT_EQ(world().delays, (std::vector<uint32_t>{150}));
  EXPECT_EQ(world().shown.size(), 1u);
  world().shown.clear();
  EXPECT_EQ(pck_confirm(1, 0), 0);
  EXPECT_TRUE(world().shown.empty());
  EXPECT_TRUE(world().questions.empty());
}

TEST_F(List, TextBoxCorners) {
  double e[4][4];
  struct Case {
    uint16_t attr;
    double x0, y0; // first corner for a box of width 8, height 6, text height 4 at (10, 20)
  } cases[] = {{0, 10, 18}, {1 << 5, 10, 16}, {2 << 5, 10, 14}, {1 << 7, 6, 18}, {2 << 7, 2, 18}};
  for (const Case &c : cases) {
    ASSERT_EQ(pck_boxedges(10, 20, 4, 0, c.attr, 8, 6, e), 0);
    EXPECT_NEAR(e[0][0], c.x0, 1e-12) << c.attr;
    EXPECT_NEAR(e[0][1], c.y0, 1e-12) << c.attr;
    EXPECT_NEAR(e[1][3], c.y0 + 6, 1e-12);
    EXPECT_NEAR(e[2][2], c.x0 + 8, 1e-12);
  }
  EXPECT_EQ(pck_boxedges(10, 20, 4, 0, 3 << 5, 8, 6, e), 1);
  EXPECT_EQ(pck_boxedges(10, 20, 4, 0, 3 << 7, 8, 6, e), 1);
  // Turned by 90 degrees about the first corner.
  ASSERT_EQ(pck_boxedges(0, 0, 4, 90, 0, 8, 6, e), 0);
  EXPECT_NEAR(e[2][0], -6 + 2, 1e-9);
  EXPECT_NEAR(e[2][1], 8, 1e-9);
}

} // namespace

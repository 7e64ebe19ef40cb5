// Copy engine without views: what the selection becomes in either drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "../../database/dbfixture.h"
#include "commands/edit/copyeng.h"
#include "commands/edit/transform.h"
#include "select/sellist.h"

namespace {

std::vector<int> &answers() {
  static std::vector<int> v;
  return v;
}
int asked = 0;
std::vector<int32_t> drawn;
struct Painted {
  int drawing;
  int32_t first, count, colour;
};
std::vector<Painted> painted;

int ask() {
  ++asked;
  if (answers().empty())
    return -1;
  const int a = answers().front();
  answers().erase(answers().begin());
  return a;
}

struct Copy : Store {
  void SetUp() override {
    Store::SetUp();
    prm_init();
    answers().clear();
    asked = 0;
    drawn.clear();
    painted.clear();
    CpyHooks h{};
    h.ask = ask;
    h.draw = [](int, int32_t n) { drawn.push_back(n); };
    h.paint = [](int d, int32_t first, int32_t count, int32_t colour) { painted.push_back({d, first, count, colour}); };
    cpy_sethooks(&h);
    trn_setmove(10, 5);
    trn_setbase(0, 0, 0, 0);
    for (int k = 0; k < CPY_REMAP; ++k)
      same[k] = int16_t(k);
  }
  void TearDown() override {
    cpy_sethooks(nullptr);
    sel_free();
    prm_init();
    Store::TearDown();
  }
  int16_t same[CPY_REMAP];
};

int32_t add(int db, ElementRecord r, const char *s = nullptr) {
  const int32_t n = elm_add(db, 0, ELM_NODRAW, &r, s);
  EXPECT_GE(n, 1);
  return n;
}

void select(int d, std::vector<int32_t> ids) {
  sel_free();
  sel_alloc(uint32_t(ids.size() + 1));
  SelectionList.drawing = d;
  for (int32_t n : ids)
    sel_toggle(uint32_t(n));
}

void preview(int on) {
  SystemBlock sb{};
  sys_sysprm('R', &sb);
  sb.w4 = uint16_t(on);
  sys_sysprm('W', &sb);
}

bool live(int db, int32_t n) { return elm_valid(db, n) == 0 && !(rec(db, n).flags & ELM_ERASED); }

std::vector<uint8_t> image(int db) {
  std::vector<uint8_t> v;
  for (uint32_t n = 1; n < dtb_end2(db); ++n) {
    const auto *p = reinterpret_cast<const uint8_t *>(dtb_ptr(db, int32_t(n)));
    v.insert(v.end(), p, p + 80);
  }
  return v;
}

TEST_F(Copy, CountThreeCopiesAtOneTwoThreeTimesTheDisplacement) {
  const int32_t a = add(0, lin(0, 0, 1, 0));
  select(0, {a});
  ASSERT_EQ(cpy_elms(0, 0, 0, same, 1, 3), 0);
  ASSERT_EQ(ctl(0).count1, 4u);
  for (int n = 1; n <= 3; ++n) {
    const ElementRecord r = rec(0, a + n);
    EXPECT_DOUBLE_EQ(r.lin.x1, 10.0 * n);
    EXPECT_DOUBLE_EQ(r.lin.y2, 5.0 * n);
  }
  EXPECT_EQ(asked, 0);
}

TEST_F(Copy, RemapEntriesOutsideTheTableKeepTheirElementsOut) {
  struct Case {
    int16_t entry;
    uint32_t added;
  } cases[] = {{-1, 0}, {64, 0}, {-7, 0}, {200, 0}, {7, 1}};
  for (const Case &c : cases) {
    db_start(10000, 500);
    ElementRecord l = lin(0, 0, 1, 0);
    l.layer = 5;
    const int32_t a = add(0, l);
    select(0, {a});
    int16_t map[CPY_REMAP];
    std::memcpy(map, same, sizeof map);
    map[5] = c.entry;
    ASSERT_EQ(cpy_elms(0, 0, 1, map, 1, 1), 0) << c.entry;
    EXPECT_EQ(ctl(1).count1, c.added) << c.entry;
    if (c.added) {
      EXPECT_EQ(rec(1, 1).layer, 7);
    }
    EXPECT_TRUE(live(0, a));
  }
}

TEST_F(Copy, LayerScalesConvertSizesByTheirRatio) {
  int16_t nums[64], dens[64];
  sys_scltbl('R', 0, nums, dens);
  nums[1] = 1, dens[1] = 2;
  sys_scltbl('W', 0, nums, dens);
  nums[1] = 2, dens[1] = 1;
  sys_scltbl('W', 1, nums, dens);
  trn_setmove(0, 0);
  ElementRecord c = arc(3, 0, 360);
  c.layer = 1;
  const int32_t a = add(0, c);
  select(0, {a});
  ASSERT_EQ(cpy_elms(0, 0, 1, same, 1, 1), 0);
  EXPECT_DOUBLE_EQ(rec(1, 1).arc.r, 12.0);
  EXPECT_DOUBLE_EQ(rec(1, 1).arc.cx, 200.0);
}

TEST_F(Copy, AZeroScalePartCountsAsOneToOne) {
  int16_t nums[64], dens[64];
  sys_scltbl('R', 0, nums, dens);
  nums[2] = 0, dens[2] = 3;
  sys_scltbl('W', 0, nums, dens);
  EXPECT_EQ(cpy_layfactor(0, 2, 1, 2), 1.0);
  ElementRecord c = arc(3, 0, 360);
  c.layer = 2;
  select(0, {add(0, c)});
  ASSERT_EQ(cpy_elms(0, 0, 1, same, 1, 1), 0);
  const ElementRecord r = rec(1, 1);
  EXPECT_TRUE(std::isfinite(r.arc.cx) && std::isfinite(r.arc.r));
  EXPECT_DOUBLE_EQ(r.arc.r, 3.0);
}

TEST_F(Copy, AMoveWithinOneDrawingKeepsElementNumbers) {
  const int32_t a = add(0, lin(0, 0, 1, 0));
  const int32_t b = add(0, arc(2, 0, 90));
  select(0, {a, b});
  ASSERT_EQ(cpy_elms(0, 0, 0, same, 0, 1), 0);
  EXPECT_EQ(ctl(0).count1, 2u);
  EXPECT_DOUBLE_EQ(rec(0, a).lin.x2, 11.0);
  EXPECT_DOUBLE_EQ(rec(0, b).arc.cx, 60.0);
}

TEST_F(Copy, AMoveIntoTheOtherDrawingErasesInTheSource) {
  const int32_t a = add(0, lin(0, 0, 1, 0));
  select(0, {a});
  ASSERT_EQ(cpy_elms(0, 0, 1, same, 0, 1), 0);
  EXPECT_FALSE(live(0, a));
  ASSERT_TRUE(live(1, 1));
  EXPECT_DOUBLE_EQ(rec(1, 1).lin.x1, 10.0);
}

TEST_F(Copy, AFullDestinationKeepsTheSourceElement) {
  db_start(20, 256);
  const int32_t a = add(0, lin(0, 0, 1, 0));
  ElementRecord f = lin(0, 0, 1, 1);
  while (elm_add(1, 0, ELM_NODRAW, &f, nullptr) >= 1) {
  }
  const uint32_t full = ctl(1).count1;
  select(0, {a});
  EXPECT_EQ(cpy_elms(0, 0, 1, same, 0, 1), -1);
  EXPECT_TRUE(live(0, a));
  EXPECT_DOUBLE_EQ(rec(0, a).lin.x1, 0.0);
  EXPECT_EQ(ctl(1).count1, full);
}

int32_t group3(int db, uint8_t subkind = 2) {
  const int32_t g = add(db, nod(subkind));
  EXPECT_EQ(grp_open(db, g), 0);
  for (int i = 0; i < 3; ++i)
    add(db, lin(i, 0, i, 1));
  grp_close(db);
  return g;
}

void expect_group(int db, int32_t g, int members) {
  ASSERT_TRUE(live(db, g));
  int seen = 0;
  for (int32_t m = rec(db, g).nod.child; elm_islink(m); m = rec(db, m).next) {
    EXPECT_TRUE(live(db, m));
    EXPECT_EQ(rec(db, m).parent, g);
    ++seen;
  }
  EXPECT_EQ(seen, members);
}

TEST_F(Copy, AGroupArrivesLiveAndLinked) {
  for (int move = 0; move <= 1; ++move) {
    db_start(10000, 500);
    const int32_t g = group3(0);
    select(0, {g});
    ASSERT_EQ(cpy_elms(0, 0, 1, same, move ? 0 : 1, 1), 0);
    expect_group(1, 1, 3);
    EXPECT_DOUBLE_EQ(rec(1, 2).lin.x1, 10.0);
    EXPECT_EQ(live(0, g), !move);
    EXPECT_EQ(live(0, g + 1), !move);
  }
}

TEST_F(Copy, ADimensionTextWithItsNodeSelectedIsWrittenOnce) {
  const int32_t g = add(0, nod(1));
  ASSERT_EQ(grp_open(0, g), 0);
  add(0, lin(0, 0, 10, 0));
  const int32_t t = add(0, chr("12"), "12");
  grp_close(0);
  ASSERT_EQ(rec(0, t).encsub, 1);
  select(0, {g, t});
  ASSERT_EQ(cpy_elms(0, 0, 1, same, 1, 1), 0);
  int texts = 0;
  for (uint32_t n = 1; n < dtb_end1(1); ++n)
    texts += rec(1, int32_t(n)).kind == CHR;
  EXPECT_EQ(texts, 1);
}

TEST_F(Copy, ACompoundTextIsDrawnOnceAfterItsLastMember) {
  const int32_t g = add(0, nod(8));
  ASSERT_EQ(grp_open(0, g), 0);
  add(0, chr("A"), "A");
  add(0, chr("B"), "B");
  grp_close(0);
  select(0, {g});
  ASSERT_EQ(cpy_elms(0, 0, 1, same, 0, 1), 0);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0], 1);
  expect_group(1, 1, 2);
}

TEST_F(Copy, ASelfParentNodeEndsWithFive) {
  const int32_t g = group3(0);
  ElementRecord *p = reinterpret_cast<ElementRecord *>(dtb_ptr(0, g));
  p->nod.child = g;
  select(0, {g});
  EXPECT_EQ(cpy_elms(0, 0, 1, same, 1, 1), 5);
  EXPECT_EQ(ctl(1).count2, 0u);
}

TEST_F(Copy, BadDrawingGivesNine) {
  select(0, {add(0, lin(0, 0, 1, 0))});
  EXPECT_EQ(cpy_elms(0, 0, 2, same, 1, 1), 9);
  EXPECT_EQ(ctl(0).count1, 1u);
}

TEST_F(Copy, APreviewRejectedLeavesTheDrawingAsItWas) {
  struct Case {
    int answer;
    int result;
  } cases[] = {{27, 1}, {'N', 2}, {'n', 2}, {501, 2}, {700, 2}, {-3, 2}, {800, 3}};
  for (const Case &c : cases) {
    db_start(10000, 500);
    const int32_t a = add(0, lin(0, 0, 1, 0));
    select(0, {a});
    preview(1);
    const auto before = image(0);
    answers() = {'x', c.answer};
    EXPECT_EQ(cpy_elms(0, 0, 0, same, 1, 1), c.result) << c.answer;
    EXPECT_EQ(image(0), before) << c.answer;
    EXPECT_EQ(ctl(0).count2, 0u);
    EXPECT_EQ(ctl(0).count1, 1u);
  }
}

TEST_F(Copy, APreviewAcceptedWritesOnceWithoutAGap) {
  const int32_t a = add(0, lin(0, 0, 1, 0));
  const int32_t b = add(0, lin(0, 0, 2, 0));
  select(0, {a, b});
  preview(1);
  answers() = {'Y'};
  ASSERT_EQ(cpy_elms(0, 0, 0, same, 1, 1), 0);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(ctl(0).count1, 4u);
  EXPECT_EQ(ctl(0).count2, 0u);
  EXPECT_DOUBLE_EQ(rec(0, 3).lin.x2, 11.0);
  EXPECT_DOUBLE_EQ(rec(0, 4).lin.x2, 12.0);
}

TEST_F(Copy, APreviewRejectedIsPaintedInTheEraseColour) {
  uint16_t cm[20];
  sys_colmap('R', cm);
  cm[16] = 9;
  sys_colmap('W', cm);
  const int32_t a = add(0, lin(0, 0, 1, 0));
  const int32_t b = add(0, lin(0, 0, 2, 0));
  select(0, {a, b});
  preview(1);
  answers() = {'N'};
  ASSERT_EQ(cpy_elms(0, 0, 0, same, 1, 1), 2);
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0].drawing, 0);
  EXPECT_EQ(painted[0].first, 3); // area 2 follows area 1
  EXPECT_EQ(painted[0].count, 2);
  EXPECT_EQ(painted[0].colour, 9);
}

// A compound text of two lines; a stretch moving one of them.
TEST_F(Copy, AStretchRedrawsTheCompoundTextAroundTheWrite) {
  uint16_t cm[20];
  sys_colmap('R', cm);
  cm[16] = 9;
  sys_colmap('W', cm);
  const int32_t g = add(0, nod(8));
  ASSERT_EQ(grp_open(0, g), 0);
  const int32_t p = add(0, lin(0, 0, 1, 0));
  add(0, lin(5, 5, 6, 5));
  grp_close(0);
  ASSERT_EQ(rec(0, p).encsub, 8);
  select(0, {p});
  trn_setstretch(2, 0, -1, -1, 3, 1, 0);
  ASSERT_EQ(cpy_elms(4, 0, 0, same, 0, 1), 0);
  EXPECT_DOUBLE_EQ(rec(0, p).lin.x2, 3.0);
  ASSERT_EQ(painted.size(), 2u);
  EXPECT_EQ(painted[0].first, g);
  EXPECT_EQ(painted[0].colour, 9);
  EXPECT_EQ(painted[1].first, g);
  EXPECT_EQ(painted[1].colour, -1);
}

// A dimension of class 100 along (0, 0)-(20, 0) with its value text.
struct Dim {
  int32_t node, line, text;
};
Dim dimension(uint16_t cls, float x, float y, uint16_t attr) {
  ElementRecord n = nod(1);
  n.nod.data[0] = uint8_t(cls), n.nod.data[1] = uint8_t(cls >> 8);
  Dim d{};
  d.node = add(0, n);
  EXPECT_EQ(grp_open(0, d.node), 0);
  d.line = add(0, lin(0, 0, 20, 0));
  ElementRecord t = chr("12");
  t.chr.x = x, t.chr.y = y, t.chr.attr = attr;
  d.text = add(0, t, "12");
  grp_close(0);
  return d;
}

void text_gap(float gap) {
  DimAttrs da{};
  sys_dimatr('R', &da);
  da.f30[5] = gap;
  sys_dimatr('W', &da);
}

constexpr uint16_t CENTRE_BOTTOM = 0x81, LEFT_BOTTOM = 0x01;

// Mirrored across its own line, a text above the line stays above it, centred on the
// foot of its middle; a plain text mirror would put it below, upside down.
TEST_F(Copy, AMirroredDimensionTextOnItsLineStaysOnIt) {
  text_gap(1.5f);
  ChrLayout lay;
  double len = 0;
  trn_lenratio(LEFT_BOTTOM, 5, 4, 0, "12", &lay, &len);
  const Dim d = dimension(100, float(10 - len / 2), 1.5f, LEFT_BOTTOM);
  select(0, {d.node});
  trn_setmirror(-10, 0, 10, 0);
  ASSERT_EQ(cpy_elms(2, 0, 0, same, 0, 1), 0);
  const ElementRecord t = rec(0, d.text);
  EXPECT_NEAR(t.chr.x, 10, 1e-4);
  EXPECT_NEAR(t.chr.y, 1.5, 1e-4);
  EXPECT_NEAR(t.chr.angle, 0, 1e-4);
  EXPECT_EQ((t.chr.attr >> 7) & 3, 1);
  EXPECT_DOUBLE_EQ(rec(0, d.line).lin.x2, 20.0);
  EXPECT_EQ(trn_dimtext().dimtext, 0u);
}

TEST_F(Copy, ADimensionTextOffItsLineIsCentredFirst) {
  struct Case {
    uint16_t cls;
    float y;
    uint16_t attr;
  } cases[] = {{100, 8, LEFT_BOTTOM}, {1100, 1.5f, CENTRE_BOTTOM}, {1200, 1.5f, CENTRE_BOTTOM}};
  for (const Case &c : cases) {
    db_start(10000, 500);
    text_gap(1.5f);
    const Dim d = dimension(c.cls, 10, c.y, c.attr);
    ElementRecord t = rec(0, d.text);
    trn_dimtext() = TrnDimText{};
    trn_dimtext().online = 1;
    ASSERT_EQ(cpy_dimmirror(d.node, &t, "12"), 0) << c.cls;
    EXPECT_EQ(trn_dimtext().online, 0u) << c.cls;
    ChrLayout lay;
    double len = 0;
    trn_lenratio(c.attr, 5, 4, 0, "12", &lay, &len);
    const double along = ((c.attr >> 7) & 3) == 1 ? 0 : len / 2;
    EXPECT_NEAR(t.chr.x, 10 + along, 1e-4) << c.cls;
    EXPECT_NEAR(t.chr.y, c.y + lay.height / 2, 1e-4) << c.cls;
    EXPECT_EQ(t.chr.attr, 0x81 | 0x20) << c.cls;
  }
}

// An upside-down text (angle 180) below the line: its middle is found along its own
// direction, not along the direction reduced to [0, 180).
TEST_F(Copy, AnUpsideDownDimensionTextFindsItsFootAlongItsOwnDirection) {
  text_gap(1.5f);
  ChrLayout lay;
  double len = 0;
  trn_lenratio(LEFT_BOTTOM, 5, 4, 0, "12", &lay, &len);
  const Dim d = dimension(100, float(10 + len / 2), -1.5f, LEFT_BOTTOM);
  ElementRecord t = rec(0, d.text);
  t.chr.angle = 180;
  trn_dimtext() = TrnDimText{};
  select(0, {d.node});
  ASSERT_EQ(cpy_elms(0, 0, 0, same, 1, 1), 0); // sets the engine's drawings
  ASSERT_EQ(cpy_dimmirror(d.node, &t, "12"), 0);
  EXPECT_EQ(trn_dimtext().online, 1u);
  EXPECT_NEAR(trn_dimtext().foot.x, 10, 1e-4);
  EXPECT_NEAR(trn_dimtext().foot.y, 0, 1e-4);
  EXPECT_NEAR(trn_dimtext().dist, 1.5, 1e-4);
}

TEST_F(Copy, ADimensionTextOfAMissingNodeGives1010) {
  ElementRecord t = chr("12");
  EXPECT_EQ(cpy_dimmirror(50000000, &t, "12"), 1010);
  EXPECT_EQ(t.chr.x, 10);
}

} // namespace

#include <gtest/gtest.h>

#include "display/marks/markshape.h"
#include "display/marks/snapmark.h"
#include "settings/appstate.h"

namespace {

uint32_t FoundKind = 0;
int Searched = 0, SearchKind = 0;

int fake_search(int32_t, int32_t, int32_t kind, uint32_t *ptkind, double *x, double *y) {
  ++Searched;
  SearchKind = kind;
  if (!FoundKind)
    return 1;
  *ptkind = FoundKind;
  *x = 100;
  *y = 200;
  return 0;
}

struct Snap : ::testing::Test {
  void SetUp() override {
    snp_init();
    SnapMark.off = 0;
    SnapSearch = fake_search;
    FoundKind = 0;
    Searched = 0;
    PickMode = 1;
  }
  void TearDown() override {
    SnapSearch = nullptr;
    CmdLevel = -1;
    snp_level(0);
  }
};

TEST_F(Snap, PickModesAndSnapKinds) {
  struct Case {
    uint32_t mode;
    int result, kind;
  } cases[] = {{0, 2, 0}, {2, 2, 0}, {5, 2, 0}, {1, 4, 5}, {3, 4, 2}, {4, 4, 3}};
  for (const Case &c : cases) {
    PickMode = c.mode;
    SearchKind = 0;
    EXPECT_EQ(snp_point(0, 0, 0, 0, 1, 2), c.result) << c.mode;
    EXPECT_EQ(SearchKind, c.kind) << c.mode;
  }
  SnapMark.off = 1;
  EXPECT_EQ(snp_point(0, 0, 0, 0, 1, 2), 1);
}

TEST_F(Snap, KindFourShowsTheDiamond) {
  FoundKind = 4;
  ASSERT_EQ(snp_point(0, 0, 0, 0, 1, 2), 0);
  double x = 0, y = 0;
  EXPECT_EQ(snp_last(&x, &y), 3);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 200);
  const int32_t want[4][4] = {{-6, 0, 0, 6}, {0, 6, 6, 0}, {6, 0, 0, -6}, {0, -6, -6, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(MarkShapeTable[i].type, 1u);
    EXPECT_EQ(MarkShapeTable[i].box.a, want[i][0]);
    EXPECT_EQ(MarkShapeTable[i].box.d, want[i][3]);
  }
  EXPECT_EQ(MarkShapeTable[4].type, 0u);

  FoundKind = 7; // not in the table
  EXPECT_EQ(snp_point(0, 0, 0, 0, 1, 2), 5);
  EXPECT_EQ(snp_last(&x, &y), 0);
  // The last matching pair wins.
  SnapMark.map[6] = {7, 2};
  SnapMark.map[7] = {7, 11};
  EXPECT_EQ(snp_point(0, 0, 0, 0, 1, 2), 0);
  EXPECT_EQ(snp_last(&x, &y), 11);
  EXPECT_EQ(MarkShapeTable[0].type, 3u);
  EXPECT_EQ(MarkShapeTable[1].type, 0u);
  SnapMark.map[7] = {7, 12};
  EXPECT_EQ(snp_point(0, 0, 0, 0, 1, 2), 6);
}

TEST_F(Snap, Shapes) {
  EXPECT_EQ(snp_shape(0, 5, 6), 1);
  EXPECT_EQ(SnapMark.x, 5); // stored all the same
  EXPECT_EQ(snp_shape(12, 5, 6), 1);
  const int parts[12] = {0, 1, 2, 4, 2, 4, 3, 2, 3, 3, 2, 1};
  for (int s = 1; s <= 11; ++s) {
    ASSERT_EQ(snp_shape(s, 0, 0), 0);
    int n = 0;
    while (n < MARK_SHAPE_PARTS && MarkShapeTable[n].type > 0)
      ++n;
    EXPECT_EQ(n, parts[s]) << s;
  }
  snp_shape(2, 0, 0);
  EXPECT_EQ(MarkShapeTable[1].type, 2u);
  EXPECT_EQ(MarkShapeTable[1].arc.r, 3);
  EXPECT_EQ(+MarkShapeTable[1].arc.end, 360.0);
}

TEST_F(Snap, LevelsNest) {
  CmdLevel = -1;
  EXPECT_EQ(snp_level(0), 0);
  EXPECT_EQ(SnapMark.off, 1u); // no command: off
  CmdLevel = 0;
  EXPECT_EQ(snp_level(0), 0); // outer command: marks on
  EXPECT_EQ(SnapMark.off, 0u);
  CmdLevel = 1;
  EXPECT_EQ(snp_level(1), 0); // inner command: off
  EXPECT_EQ(SnapMark.off, 1u);
  EXPECT_EQ(snp_level(1), 0); // inner ends: the outer's setting is back
  EXPECT_EQ(SnapMark.off, 0u);
  CmdLevel = 0;
  EXPECT_EQ(snp_level(0), 0); // outer ends
  EXPECT_EQ(SnapMark.off, 1u);
  EXPECT_EQ(snp_level(2), 1);
  CmdLevel = 5;
  EXPECT_EQ(snp_level(0), 1);
}

} // namespace

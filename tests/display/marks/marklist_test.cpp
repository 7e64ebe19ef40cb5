#include <gtest/gtest.h>

#include <vector>

#include "display/marks/marklist.h"

namespace {

struct Drawn {
  int32_t dwg;
  uint32_t views;
  double x, y;
};
std::vector<Drawn> drawn;

struct Marks : ::testing::Test {
  void SetUp() override {
    MarkDraw = [](int32_t d, uint32_t v, double x, double y) { drawn.push_back({d, v, x, y}); };
    MarkViews = [](int32_t d) { return d == 0 ? 0x5u : 0x2u; };
    mrk_list(0);
    drawn.clear();
  }
  void TearDown() override {
    MarkDraw = mrk_draw;
    MarkViews = mrk_views;
    mrk_list(0);
  }
};

TEST_F(Marks, HundredFitTheHundredAndFirstDoesNot) {
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(mrk_list(2, int32_t(i % 2), double(i), 1.0), 0);
  EXPECT_EQ(drawn.size(), 100u);
  EXPECT_EQ(mrk_list(2, int32_t(0), 5.0, 5.0), 1);
  EXPECT_EQ(drawn.size(), 100u); // nothing drawn
  EXPECT_EQ(TempMarkList.count, 100u);
  EXPECT_EQ(mrk_list(2, int32_t(2), 5.0, 5.0), 1); // full comes first
}

TEST_F(Marks, RemovingTheMiddleKeepsTheOthers) {
  mrk_list(2, int32_t(0), 1.0, 1.0);
  mrk_list(2, int32_t(1), 2.0, 2.0);
  mrk_list(2, int32_t(0), 3.0, 3.0);
  EXPECT_EQ(mrk_list(4, int32_t(0), 2.0, 2.0), 3); // drawing 0 has no such mark
  EXPECT_EQ(mrk_list(4, int32_t(1), 2.0, 2.0 + 1e-9), 0);
  ASSERT_EQ(TempMarkList.count, 2u);
  EXPECT_EQ(TempMarkList.mark[0].x, 1.0);
  EXPECT_EQ(TempMarkList.mark[0].views, 0x5u);
  EXPECT_EQ(TempMarkList.mark[1].x, 3.0);
  EXPECT_EQ(TempMarkList.mark[1].dwg, 0);
  EXPECT_EQ(drawn.back().x, 2.0); // erased by drawing it again
  EXPECT_EQ(drawn.back().views, 0x2u);
  EXPECT_EQ(mrk_list(8, int32_t(0), 3.0, 3.0), 1);
  EXPECT_EQ(mrk_list(8, int32_t(1), 3.0, 3.0), -1);
}

TEST_F(Marks, LastEmptyDisableAndRepaint) {
  EXPECT_EQ(mrk_list(3), 2);
  EXPECT_EQ(TempMarkList.count, 0u);
  EXPECT_EQ(mrk_list(4, int32_t(0), 1.0, 1.0), 2);
  mrk_list(2, int32_t(0), 1.0, 1.0);
  mrk_list(2, int32_t(1), 2.0, 2.0);
  mrk_list(2, int32_t(0), 3.0, 3.0);
  drawn.clear();
  EXPECT_EQ(mrk_list(6, int32_t(0), int32_t(4)), 0);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].views, 0x10u);
  drawn.clear();
  EXPECT_EQ(mrk_list(1), 0);
  EXPECT_EQ(drawn.size(), 3u);
  EXPECT_EQ(mrk_list(3), 0);
  EXPECT_EQ(TempMarkList.count, 2u);
  EXPECT_EQ(mrk_list(5), 0);
  EXPECT_EQ(TempMarkList.count, 0u);
  EXPECT_EQ(mrk_list(7), 0);
  EXPECT_EQ(mrk_list(10), 5);

  EXPECT_EQ(mrk_list(9), 0);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(mrk_list(2, int32_t(0), 1.0, 1.0), 1);
  EXPECT_EQ(mrk_list(0), 0);
  EXPECT_EQ(mrk_list(2, int32_t(0), 1.0, 1.0), 0);
}

} // namespace

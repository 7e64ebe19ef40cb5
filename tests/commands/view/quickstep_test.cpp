// The steps of the quick settings' next and previous commands.
#include <gtest/gtest.h>

#include <vector>

#include "commands/view/quickset.h"

namespace {

std::vector<int> walk(int (*step)(int, bool), int from, bool flag, int n) {
  std::vector<int> v;
  for (int i = 0; i < n; i++)
    v.push_back(from = step(from, flag));
  return v;
}

TEST(QuickStep, EndStylesSkipThreeBothWays) {
  std::vector<int> next, prev;
  for (int v = 0, i = 0; i < 7; i++)
    next.push_back(v = qs_stylenext(v));
  for (int v = 0, i = 0; i < 7; i++)
    prev.push_back(v = qs_styleprev(v));
  EXPECT_EQ(next, (std::vector<int>{1, 2, 4, 5, 6, 0, 1}));
  EXPECT_EQ(prev, (std::vector<int>{6, 5, 4, 2, 1, 0, 6}));
  EXPECT_EQ(qs_stylenext(3), 4); // a stored 3 steps on as if it were taken
  EXPECT_EQ(qs_styleprev(3), 2);
}

TEST(QuickStep, LineKindsAndPointTypes) {
  EXPECT_EQ(walk(qs_kindnext, 1, false, 6), (std::vector<int>{2, 3, 4, 5, 6, 1}));
  EXPECT_EQ(walk(qs_kindprev, 1, false, 6), (std::vector<int>{6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(walk(qs_kindnext, 1, true, 3), (std::vector<int>{5, 2, 1}));
  EXPECT_EQ(walk(qs_kindprev, 1, true, 3), (std::vector<int>{2, 5, 1}));
  EXPECT_EQ(qs_kindnext(0, false), 1); // an unset kind starts the cycle
  EXPECT_EQ(qs_kindnext(4, true), 1);
}

TEST(QuickStep, PickModesWithAndWithoutTheGrid) {
  EXPECT_EQ(walk(qs_picknext, 0, false, 4), (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(walk(qs_picknext, 0, true, 5), (std::vector<int>{1, 2, 3, 4, 0}));
  EXPECT_EQ(walk(qs_pickprev, 0, false, 4), (std::vector<int>{3, 2, 1, 0}));
  EXPECT_EQ(walk(qs_pickprev, 0, true, 5), (std::vector<int>{4, 3, 2, 1, 0}));
  EXPECT_EQ(qs_picknext(4, false), 0); // grid mode left over after the grid went off
  EXPECT_EQ(qs_pickprev(4, false), 3);
}

} // namespace

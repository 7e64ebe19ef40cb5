// The reshape target table: sizing, toggling, window placement and its bounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "commands/edit/rstable.h"

namespace {

std::vector<size_t> asked;
size_t refuse_above = 0;

void *counting_alloc(size_t bytes) {
  asked.push_back(bytes);
  return bytes > refuse_above ? nullptr : std::malloc(bytes);
}

struct RsTable : ::testing::Test {
  void SetUp() override {
    asked.clear();
    refuse_above = SIZE_MAX;
    rs_tablemem = counting_alloc;
  }
  void TearDown() override {
    rs_tablefree();
    rs_tablemem = std::malloc;
  }
};

int32_t end_one(uint32_t, void *) { return 1; }

TEST_F(RsTable, SizedForTheElementsPlusTheMarkerHalvingOnFailure) {
  rs_tablealloc(499);
  EXPECT_EQ(500u, g_rstable.capacity);
  rs_tablefree();
  asked.clear();
  refuse_above = 130 * sizeof(ReshapeTarget);
  rs_tablealloc(499);
  EXPECT_EQ(125u, g_rstable.capacity); // 500, 250, 125
  EXPECT_EQ(3u, asked.size());
  rs_tablefree();
  EXPECT_EQ(RS_STATIC_ENTRIES, g_rstable.capacity);
  EXPECT_EQ(0u, g_rstable.count);
  EXPECT_EQ(RS_FREE, g_rstable.entries[0].element);
}

TEST_F(RsTable, ToggleAddsRemovesAndRefusesWhenFull) {
  rs_tablealloc(3); // four entries: three targets and the marker
  EXPECT_EQ(0, rs_tabletoggle(10, 0));
  EXPECT_EQ(0, rs_tabletoggle(11, 1));
  EXPECT_EQ(0, rs_tabletoggle(12, 0));
  EXPECT_EQ(-1, rs_tabletoggle(13, 0));
  EXPECT_EQ(RS_FREE, g_rstable.entries[3].element);
  EXPECT_EQ(1, rs_tabletoggle(11, 1));
  EXPECT_EQ(0, rs_tabletoggle(13, 1)); // into the freed entry
  EXPECT_EQ(13u, g_rstable.entries[1].element);
  EXPECT_EQ(1, g_rstable.entries[1].end);
}

TEST_F(RsTable, WindowPlacementSwapsPresentEntriesAndKeepsOthers) {
  rs_tablealloc(10);
  rs_tabletoggle(5, 0);
  rs_tabletoggle(6, 0);
  // A later round selects 6 and a new 7: 6 comes to the front, 5 is kept behind.
  ASSERT_EQ(0, rs_tableplace(0, 6, end_one, nullptr));
  ASSERT_EQ(0, rs_tableplace(1, 7, end_one, nullptr));
  ASSERT_EQ(3u, g_rstable.count);
  EXPECT_EQ(6u, g_rstable.entries[0].element);
  EXPECT_EQ(7u, g_rstable.entries[1].element);
  EXPECT_EQ(1, g_rstable.entries[1].end);
  EXPECT_EQ(5u, g_rstable.entries[2].element);
  rs_tabletoggle(7, 0);
  rs_tablecompact();
  ASSERT_EQ(2u, g_rstable.count);
  EXPECT_EQ(5u, g_rstable.entries[1].element);
  EXPECT_EQ(RS_FREE, g_rstable.entries[2].element);
}

TEST_F(RsTable, StaticTableTakesNinetyNineOfAWindowOverHundredFifty) {
  refuse_above = 0; // every allocation fails
  rs_tablealloc(150);
  ASSERT_EQ(RS_STATIC_ENTRIES, g_rstable.capacity);
  uint32_t placed = 0;
  for (uint32_t e = 0; e < 150; e++)
    if (rs_tableplace(placed, 1000 + e, end_one, nullptr) == 0)
      placed++;
  EXPECT_EQ(99u, placed);
  EXPECT_EQ(99u, g_rstable.count);
  EXPECT_EQ(RS_FREE, g_rstable.entries[99].element);
  EXPECT_EQ(-1, rs_tabletoggle(5000, 0));
}

} // namespace

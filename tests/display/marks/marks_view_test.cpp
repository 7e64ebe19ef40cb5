#include "display/marks/grid_win.h"
#include "display/marks/marklist.h"
#include "display/marks/snapmark.h"
#include "../drawfix.h"

namespace {

// Scale 2 pixels per unit; world (0, 0) at device (0, 100).
struct MarkView : DrawView {};

TEST_F(MarkView, TemporaryMarksDrawAndEraseByXor) {
  mrk_list(0);
  ASSERT_EQ(mrk_list(2, int32_t(0), 50.0, 25.0), 0);
  EXPECT_EQ(TempMarkList.mark[0].views, 1u);
  EXPECT_TRUE(ink_near(100, 50));
  const int marked = inked();
  EXPECT_GT(marked, 4);
  ASSERT_EQ(mrk_list(2, int32_t(0), 10.0, 10.0), 0);
  EXPECT_EQ(mrk_list(4, int32_t(0), 50.0, 25.0), 0); // erased
  EXPECT_FALSE(ink_near(100, 50, 3));
  EXPECT_TRUE(ink_near(20, 80));
  EXPECT_EQ(mrk_list(5), 0);
  EXPECT_EQ(inked(), 0);
  mrk_list(0);
}

TEST_F(MarkView, SnapMarkShowAndRemove) {
  snp_init();
  SnapMark.off = 0;
  snp_shape(3, 50, 25); // diamond
  SnapMark.shape = 3;
  ASSERT_EQ(snp_showmrk(1, 0, 0, 0), 0);
  EXPECT_TRUE(ink_near(94, 50)); // the left corner, 6 pixels off
  EXPECT_FALSE(ink_near(100, 50, 2));
  ASSERT_EQ(snp_showmrk(1, 0, 0, 0), 0);
  EXPECT_EQ(inked(), 0);
  snp_init();
}

TEST_F(MarkView, GridIntoTheView) {
  GridRecord kept = GridTable[0];
  grd_reset(0);
  GridTable[0].mode = 1;
  ASSERT_EQ(grd_draw(0), 0);
  // Pitch 10 at 2 pixels per unit: a dot every 20 pixels.
  EXPECT_TRUE(ink_at(20, 80));
  EXPECT_TRUE(ink_at(100, 100));
  EXPECT_FALSE(ink_at(30, 80));
  EXPECT_EQ(inked(), 11 * 6);
  ASSERT_EQ(grd_onoff(0, 0), 0); // off: the dots again in the erase colour
  EXPECT_EQ(inked(), 0);
  GridTable[0] = kept;
}

} // namespace

#include "settings/appstate.h"
#include "dbfixture.h"

TEST_F(Store, AreasOfTheDefaultTotals) {
  DbControl c = ctl(0);
  EXPECT_EQ(ElmMax[0], 10500u);
  EXPECT_EQ(c.base1, 1u);
  EXPECT_EQ(c.max12, 10000u);
  EXPECT_EQ(c.base3, 10001u);
  EXPECT_EQ(c.max3, 500u);
  EXPECT_EQ(c.count1 + c.count2 + c.count3, 0u);
}

TEST_F(Store, NumbersOneToTotalAreReachable) {
  struct Case {
    int db;
    int32_t n;
    bool ok;
  } cases[] = {{0, 0, false},    {0, -1, false},    {0, 1, true},     {0, 10000, true}, {0, 10001, true},
               {0, 10500, true}, {0, 10501, false}, {1, 10500, true}, {2, 1, false},    {-1, 1, false}};
  for (const auto &c : cases)
    EXPECT_EQ(dtb_ptr(c.db, c.n) != nullptr, c.ok) << c.db << " " << c.n;
  // The last work record is a distinct record of its own.
  EXPECT_NE(dtb_ptr(0, 10500), dtb_ptr(0, 10499));
  EXPECT_EQ(dtb_addr(0, 10500), reinterpret_cast<uint8_t *>(dtb_ptr(0, 10500)));
}

TEST_F(Store, WorkAreaTakesItsLastRecord) {
  ElementRecord p = lin(0, 0, 10, 10);
  int32_t last = 0;
  for (int i = 0; i < 500; ++i)
    last = elm_add(0, ELM_AREA3, ELM_NODRAW, &p, nullptr);
  EXPECT_EQ(last, 10500);
  EXPECT_EQ(elm_add(0, ELM_AREA3, ELM_NODRAW, &p, nullptr), 0);
  EXPECT_EQ(ctl(0).count3, 500u);
}

TEST(StoreTotals, WorkCountIsClampedAndTotalFitsTheNumberPages) {
  struct Case {
    uint32_t elm, wrk, total, base3;
  } cases[] = {
      {10000, 100, 10256, 10001},
      {10000, 20000, 26000, 10001},
      {0, 500, 500, 1},
      {5000000, 500, 64 * 51200, 64 * 51200 - 500 + 1},
  };
  for (const auto &c : cases) {
    db_start(c.elm, c.wrk);
    EXPECT_EQ(ElmMax[0], c.total) << c.elm << " " << c.wrk;
    EXPECT_EQ(ctl(0).base3, c.base3);
    EXPECT_NE(dtb_ptr(0, int32_t(c.total)), nullptr);
    if (c.base3 > 1 && c.elm < 100000) {
      EXPECT_NE(dtb_ptr(0, int32_t(c.base3 - 1)), nullptr);
    }
    dtb_term();
  }
}

TEST_F(Store, BlocksAndPagesAreObtainedOnFirstTouch) {
  EXPECT_EQ(dtb_nblk(0, 0), 0);
  ASSERT_NE(dtb_ptr(0, 401), nullptr);
  EXPECT_EQ(dtb_nblk(0, 0), 2);
  ASSERT_NE(dtb_ptr(0, 1), nullptr);
  EXPECT_EQ(dtb_nblk(0, 0), 2);
  EXPECT_EQ(dtb_nblk(1, 0), 0);
  EXPECT_EQ(dtb_nblk(0, 1), 0);
  ASSERT_NE(dtb_ptr(0, 10001), nullptr);
  EXPECT_EQ(dtb_nblk(0, 1), 1);
}

TEST(StorePages, SecondPageAtRecord51201) {
  db_start(200000, 500);
  ASSERT_NE(dtb_ptr(0, 51201), nullptr);
  EXPECT_EQ(dtb_nblk(0, 0), 129);
  DbControl c[2];
  std::memcpy(c, DbCtl, sizeof c);
  EXPECT_EQ(c[0].npagea, 2u);
  EXPECT_EQ(DbPages[c[0].pagea[1]].nblk, 1);
  int32_t st[4];
  dtb_blkstat(st);
  EXPECT_EQ(st[1], 129);
  EXPECT_EQ(st[2], st[0] - 129);
  dtb_term();
}

TEST_F(Store, RecordsStayWhereTheyAreAcrossBlocks) {
  for (int32_t n = 1; n <= 1200; ++n)
    dtb_ptr(0, n)->parent = n;
  for (int32_t n = 1200; n >= 1; --n)
    ASSERT_EQ(dtb_ptr(0, n)->parent, n);
  EXPECT_EQ(dtb_ptr(1, 5)->parent, 0);
}

TEST_F(Store, FreeGivesBackOneDatabaseOnly) {
  dtb_ptr(0, 5)->parent = 5;
  dtb_ptr(1, 5)->parent = 7;
  dtb_ptr(1, 10400)->parent = 8;
  DbControl c[2] = {};
  c[1].count1 = 9;
  dtb_ctrl('w', c);
  app_setpendpath("C:\\a.ksl");
  EXPECT_EQ(dtb_free(1), 0);
  EXPECT_STREQ(app_pendpath(), "");
  EXPECT_EQ(dtb_nblk(1, 0) + dtb_nblk(1, 1), 0);
  EXPECT_EQ(ctl(1).count1, 9u);
  EXPECT_EQ(dtb_ptr(1, 5)->parent, 0);
  EXPECT_EQ(dtb_ptr(0, 5)->parent, 5);
  EXPECT_EQ(dtb_free(2), 1);
}

TEST_F(Store, ControlWriteStoresWhatFits) {
  struct Case {
    uint32_t c1, c2, c3;
    int rc;
    uint32_t w1, w2, w3;
  } cases[] = {
      {10, 20, 30, 0, 10, 20, 30},       {10001, 0, 5, 9, 0, 0, 5},
      {6000, 5000, 5, 9, 0, 0, 5}, // each fits, the pair does not
      {10000, 0, 500, 0, 10000, 0, 500}, {1, 2, 501, 9, 1, 2, 0},
  };
  for (const auto &k : cases) {
    dtb_ctrl('i', nullptr);
    DbControl c[2] = {};
    c[0].count1 = k.c1;
    c[0].count2 = k.c2;
    c[0].count3 = k.c3;
    EXPECT_EQ(dtb_ctrl('W', c), k.rc) << k.c1;
    DbControl r = ctl(0);
    EXPECT_EQ(r.count1, k.w1);
    EXPECT_EQ(r.count2, k.w2);
    EXPECT_EQ(r.count3, k.w3);
  }
  EXPECT_EQ(dtb_ctrl('x', nullptr), 9);
}

TEST_F(Store, OpenDataTableTouchesTheFirstRecord) {
  EXPECT_EQ(OpenDataTable(1), 0);
  EXPECT_EQ(dtb_nblk(1, 0), 1);
  EXPECT_EQ(OpenDataTable(2), 1000);
}

TEST(SlotTable, GrowsAndReusesSlots) {
  SlotTable *t = slt_create(16, 2);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(slt_alloc(t), 0);
  EXPECT_EQ(slt_alloc(t), 1);
  EXPECT_EQ(slt_alloc(t), 2);
  int32_t cap, used;
  slt_count(t, &cap, &used);
  EXPECT_EQ(cap, 4);
  EXPECT_EQ(used, 3);
  EXPECT_NE(slt_free(t, 1), 0);
  EXPECT_EQ(slt_free(t, 1), 1);
  EXPECT_EQ(slt_get(t, 1), nullptr);
  EXPECT_EQ(slt_get(t, 4), nullptr);
  EXPECT_EQ(slt_alloc(t), 1);
  auto *b = static_cast<uint8_t *>(slt_get(t, 1));
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(b[i], 0);
  slt_destroy(&t);
  EXPECT_EQ(t, nullptr);
  slt_destroy(&t);
}

TEST(StoreLinks, SixteenBitLinks) {
  EXPECT_EQ(dtb_lnk16(65535), -1);
  EXPECT_EQ(dtb_lnk16(0), 0);
  EXPECT_EQ(dtb_lnk16(65534), 65534);
}

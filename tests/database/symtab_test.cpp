// End-mark symbol tables: the file format and the iterator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "database/symtab.h"
#include "display/view/view.h"

namespace {

struct Symbols : ::testing::Test {
  void SetUp() override {
    DrawXform.arrowlen = 3;
    DrawXform.circler = 2;
  }
  void TearDown() override { sym_free(); }
};

TEST_F(Symbols, WithoutTablesThereIsNoShape) {
  SymIter it{};
  for (int t : {0, 1}) {
    it.op = 0, it.table = t;
    EXPECT_EQ(sym_next(&it), 0);
    it.op = 1;
    EXPECT_EQ(sym_next(&it), 0);
  }
}

TEST_F(Symbols, FileFormat) {
  SymShapeTable t;
  sym_parse("  L 50,50,80,50\n\nx 1 2 3\nc 0x10 010 ,5\nL 1\nC\n", &t);
  ASSERT_EQ(t.count, 4);
  EXPECT_EQ(t.rec[0].v[2], 80);
  EXPECT_EQ(t.rec[1].v[0], -1);
  EXPECT_EQ(t.rec[1].v[1], 16);
  EXPECT_EQ(t.rec[1].v[2], 8);
  EXPECT_EQ(t.rec[1].v[3], 5);
  // Missing numbers keep the previous record's values.
  EXPECT_EQ(t.rec[2].v[0], 1);
  EXPECT_EQ(t.rec[2].v[1], 16);
  EXPECT_EQ(t.rec[2].v[3], 5);
  EXPECT_EQ(t.rec[3].v[1], 16);
  std::string many;
  for (int i = 0; i < 12; i++)
    many += "L 1 2 3 4\n";
  sym_parse(many.c_str(), &t);
  EXPECT_EQ(t.count, SYM_RECORDS);
}

TEST_F(Symbols, ShapesArePlacedAtTheBasePoint) {
  const char *a = "sym_start.txt", *b = "sym_end.txt";
  FILE *f = std::fopen(a, "w");
  std::fputs("L 50,50,80,50\n", f);
  std::fclose(f);
  f = std::fopen(b, "w");
  std::fputs("C 50 50 10\nL 50 50 50 80\n", f);
  std::fclose(f);
  ASSERT_EQ(sym_load(a, b), 0);
  SymIter it{0, 0, 10, 10, 0, 1, 0, {}};
  ASSERT_EQ(sym_next(&it), 1);
  it.op = 1;
  ASSERT_EQ(sym_next(&it), 1);
  EXPECT_EQ(it.kind, 0);
  EXPECT_DOUBLE_EQ(it.v[0], 10);
  EXPECT_DOUBLE_EQ(it.v[2], 13);
  EXPECT_DOUBLE_EQ(it.v[3], 10);
  EXPECT_EQ(sym_next(&it), 0);

  it = SymIter{0, 1, 5, 5, 1, 0, 0, {}}; // direction 90 degrees
  ASSERT_EQ(sym_next(&it), 1);
  it.op = 1;
  ASSERT_EQ(sym_next(&it), 1);
  EXPECT_EQ(it.kind, 1);
  EXPECT_DOUBLE_EQ(it.v[0], 5);
  EXPECT_DOUBLE_EQ(it.v[1], 5);
  EXPECT_DOUBLE_EQ(it.v[2], 2);
  ASSERT_EQ(sym_next(&it), 1);
  EXPECT_NEAR(it.v[2], 5 - 3, 1e-12); // (0, 3) turned by 90 degrees
  EXPECT_NEAR(it.v[3], 5, 1e-12);
  EXPECT_EQ(sym_next(&it), 0);
  it.op = 7;
  EXPECT_EQ(sym_next(&it), 0);

  EXPECT_EQ(sym_load(a, "no such file"), 2);
  EXPECT_EQ(sym_free(), 0);
  EXPECT_EQ(SymTables[0], nullptr);
}

TEST_F(Symbols, EmptyTableEndsAtOnce) {
  ASSERT_EQ(sym_load(nullptr, nullptr), 2);
  SymIter it{};
  EXPECT_EQ(sym_next(&it), 0);
}

} // namespace

#include <gtest/gtest.h>

#include <cstring>

#include "select/filter.h"

namespace {

struct Words {
  uint32_t kind, pen, ltype, subkind;
};

Words stored() {
  Words w{};
  uint8_t s;
  sel_filtget(&w.kind, &w.pen, &w.ltype, &s);
  w.subkind = s;
  return w;
}

void expect_words(const Words &a, const Words &b, const char *what) {
  EXPECT_EQ(a.kind, b.kind) << what;
  EXPECT_EQ(a.pen, b.pen) << what;
  EXPECT_EQ(a.ltype, b.ltype) << what;
  EXPECT_EQ(a.subkind, b.subkind) << what;
}

TEST(PickFilter, RulesOfThePick) {
  struct Case {
    Words in, out;
  } cases[] = {
      {{0, 0, 0, 0}, {0xFFFF7FFF, 0xFFFF, 0xFFFF, 255}},
      {{0xFFFF, 3, 3, 0}, {0xBFFF, 0xFFFF, 0xFFFF, 255}}, // bits 4 and 5 lift pen and line type
      {{4111, 0, 0, 7}, {4111, 0xFFFF, 0xFFFF, 7}},
      {{2, 6, 12, 0x1FF}, {2, 6, 12, 0xFF}},
      {{0x8000 | 4, 0, 0, 0}, {0x8004, 0xFFFF, 0xFFFF, 255}},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(pck_filter(c.in.kind, c.in.pen, c.in.ltype, c.in.subkind), 0);
    expect_words(stored(), c.out, "pck_filter");
  }
}

TEST(SelFilter, RulesOfTheSelection) {
  struct Case {
    Words in;
    int rc;
    Words out;
  } cases[] = {
      {{0, 0, 0, 0}, 0, {0xFFFF7FFF, 0xFFFF, 0xFFFF, 0xFF}}, // everything
      {{0x1000, 0, 0, 1}, 0, {0x1000, 0xFFFF, 0xFFFF, 1}},
      {{0xFFFF, 2, 2, 3}, 0, {0xBFFF, 2, 2, 3}},
      {{2, 4, 8, 9}, 0, {2, 4, 8, 0}},           // no group bit: subkind 0
      {{9, 4, 0, 0}, 0, {9, 4, 0xFFFF, 0}},      // points and texts have no line type
      {{0x1006, 6, 6, 5}, 0, {0x1006, 6, 6, 5}}, // the reshaping filter
  };
  for (const Case &c : cases) {
    ASSERT_EQ(sel_filter(0x8, 2, 2, 0), 0);
    EXPECT_EQ(sel_filter(c.in.kind, c.in.pen, c.in.ltype, c.in.subkind), c.rc);
    expect_words(stored(), c.out, "sel_filter");
  }
}

TEST(SelFilter, RefusalChangesNothing) {
  const Words refused[] = {
      {0x1000, 5, 5, 2}, // groups only with an even subkind
      {0, 0, 0, 1},      // pen 0 without groups only
      {0, 5, 0, 0},      // line type 0 with lines in the kind
      {2, 0, 4, 0},      // pen 0
      {2, 4, 0, 0},      // line type 0 for lines
      {0x1002, 4, 4, 0}, // groups with no subkind
      {0x1000, 0, 0, 2},
  };
  for (const Words &w : refused) {
    ASSERT_EQ(sel_filter(0x1008, 0x22, 0x44, 3), 0);
    const Words before = stored();
    EXPECT_EQ(sel_filter(w.kind, w.pen, w.ltype, w.subkind), -1) << w.kind << " " << w.pen;
    expect_words(stored(), before, "refused");
  }
}

ElementRecord record(uint16_t kind, uint16_t attr) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.kind = kind;
  r.pnt.attr = r.lin.attr = r.arc.attr = r.chr.attr = 0; // fields overlap; set below
  switch (kind) {
  case PNT:
    r.pnt.attr = attr;
    break;
  case LIN:
    r.lin.attr = attr;
    break;
  case ARC:
    r.arc.attr = attr;
    break;
  case CHR:
    r.chr.attr = attr;
    break;
  }
  return r;
}

TEST(SelFilter, RecordCheck) {
  ASSERT_EQ(sel_filter(0xF, 0x6, 0x8, 0), 0); // pens 1, 2; line type 3
  struct Case {
    uint16_t kind, attr;
    int rc;
  } cases[] = {
      {LIN, 0x31, 0}, {LIN, 0x21, 1}, {LIN, 0x33, 1}, {LIN, 0x30, 1}, // pen 0 never
      {ARC, 0x32, 0}, {ARC, 0x02, 1},                                 // line type 0 never
      {PNT, 0x51, 0}, {PNT, 0x03, 1}, {CHR, 0xF2, 0}, {CHR, 0x00, 1},
      {NOD, 0, 1},                                                     // kind not in the mask
      {LIN | MSKBOX, 0, 0}, {ARC | MSKBOX, 0, 0},                      // masked variants pass
  };
  for (const Case &c : cases) {
    const ElementRecord r = record(c.kind, c.attr);
    EXPECT_EQ(sel_filtchk(&r), c.rc) << c.kind << " " << c.attr;
  }
  ASSERT_EQ(sel_filter(0x1000, 0, 0, 1), 0);
  const ElementRecord g = record(NOD, 0);
  EXPECT_EQ(sel_filtchk(&g), 1); // group nodes: callers test their members
}

} // namespace

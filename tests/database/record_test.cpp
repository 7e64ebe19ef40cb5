#include <gtest/gtest.h>

#include <cstring>

#include "database/elements.h"
#include "database/record.h"

namespace {

template <typename T> T at(const ElementRecord &r, int off) {
  T v;
  std::memcpy(&v, reinterpret_cast<const uint8_t *>(&r) + off, sizeof v);
  return v;
}

} // namespace

TEST(Record, FieldsLieAtTheirStoredOffsets) {
  ElementRecord r;
  std::memset(&r, 0, sizeof r);
  r.flags = 0xC001;
  r.subkind = 2;
  r.encsub = 8;
  r.kind = CHR;
  r.depth = 3;
  r.layer = 63;
  r.cells = 0x0660;
  r.parent = 77;
  r.next = -1;
  r.chr.height = 2.5f;
  r.chr.attr = 0x0201;
  r.chr.count = 61;
  r.chr.text[0] = 'A';
  r.chr.cont = 12345;
  const uint8_t *b = reinterpret_cast<const uint8_t *>(&r);
  EXPECT_EQ(b[0], 0x01);
  EXPECT_EQ(b[1], 0xC0);
  EXPECT_EQ(b[2], 2);
  EXPECT_EQ(b[3], 8);
  EXPECT_EQ(at<uint16_t>(r, 4), 8);
  EXPECT_EQ(b[6], 3);
  EXPECT_EQ(b[7], 63);
  EXPECT_EQ(at<uint16_t>(r, 8), 0x0660);
  EXPECT_EQ(at<uint32_t>(r, 12), 77u);
  EXPECT_EQ(at<uint32_t>(r, 16), 0xFFFFFFFFu);
  EXPECT_EQ(at<float>(r, 28), 2.5f);
  EXPECT_EQ(at<uint16_t>(r, 48), 0x0201);
  EXPECT_EQ(at<int16_t>(r, 50), 61);
  EXPECT_EQ(b[52], 'A');
  EXPECT_EQ(at<uint32_t>(r, 66), 12345u);

  r.kind = ARC;
  r.arc.end = 360;
  r.arc.attr = 0x1B11;
  EXPECT_EQ(at<double>(r, 52), 360.0);
  EXPECT_EQ(at<uint16_t>(r, 60), 0x1B11);
  r.kind = NOD;
  r.nod.child = 5;
  r.nod.attr = 6;
  EXPECT_EQ(at<int32_t>(r, 20), 5);
  EXPECT_EQ(at<int32_t>(r, 24), 6);
}

TEST(Record, RecordsNeededByKindAndLength) {
  struct Case {
    uint16_t kind;
    int len, want;
  } cases[] = {
      {CHR, 0, 1},  {CHR, 14, 1}, {CHR, 15, 2}, {CHR, 60, 2}, {CHR, 61, 3},      {CHR, 106, 3}, {CHR, 107, 4},
      {ATR, 0, 1},  {ATR, 44, 1}, {ATR, 45, 2}, {ATR, 90, 2}, {ATR, 91, 3},      {PNT, 500, 1}, {LIN, 0, 1},
      {NOD, 99, 1}, {ARC, 1, 1},  {24, 100, 1}, {CHR, -5, 1}, {CHR, 32767, 714},
  };
  for (const auto &c : cases)
    EXPECT_EQ(elm_nrec(c.kind, c.len), c.want) << c.kind << " " << c.len;
}

TEST(Record, PiecesMoveOnAndZeroPad) {
  ElementRecord r;
  std::memset(&r, 0x55, sizeof r);
  const char *text = "0123456789ABCDEFGHIJ";
  const char *src = text;
  int remain = 20;
  EXPECT_EQ(elm_wrpiece(0, &r, &src, &remain), 14);
  EXPECT_EQ(remain, 6);
  EXPECT_EQ(src, text + 14);
  EXPECT_EQ(std::memcmp(r.chr.text, text, 14), 0);
  EXPECT_EQ(elm_wrpiece(1, &r, &src, &remain), 6);
  EXPECT_EQ(remain, 0);
  EXPECT_EQ(std::memcmp(r.cont.text, "EFGHIJ", 6), 0);
  for (int i = 6; i < 46; ++i)
    EXPECT_EQ(r.cont.text[i], 0) << i;

  char out[64] = {};
  char *dst = out;
  remain = 6;
  EXPECT_EQ(elm_rdpiece(1, &r, &dst, &remain), 6);
  EXPECT_EQ(dst, out + 6);
  EXPECT_STREQ(out, "EFGHIJ");
  remain = 50;
  EXPECT_EQ(elm_rdpiece(2, &r, nullptr, &remain), 44);
  EXPECT_EQ(remain, 6);
}

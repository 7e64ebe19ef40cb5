// Item-ID lists measured as bytes: sizes leave the terminator out, leading items stop
// at the list's end, and the item-end offsets refuse a read outside.
#include <gtest/gtest.h>

#include <vector>

#include "framework/except.h"
#include "shell/dde/idlbytes.h"

namespace {

// Items of the given payload lengths, each counted with its two count bytes.
std::vector<uint8_t> list_of(std::initializer_list<size_t> payloads) {
  std::vector<uint8_t> out;
  for (size_t n : payloads) {
    const size_t cb = n + 2;
    out.push_back(uint8_t(cb & 0xff));
    out.push_back(uint8_t(cb >> 8));
    for (size_t i = 0; i < n; i++)
      out.push_back(uint8_t('a' + i % 26));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

TEST(IdlBytes, ThreeItemsCountThreeAndTheSizeLeavesTheTerminatorOut) {
  const auto list = list_of({4, 10, 1});
  EXPECT_EQ(idl_items(list.data()), 3);
  EXPECT_EQ(idl_bytes(list.data()), 6u + 12u + 3u);
  EXPECT_EQ(idl_bytes(list.data()), list.size() - 2);
  EXPECT_EQ(idl_items(nullptr), 0);
  EXPECT_EQ(idl_bytes(nullptr), 0u);
  const uint8_t empty[2] = {0, 0};
  EXPECT_EQ(idl_items(empty), 0);
  EXPECT_EQ(idl_bytes(empty), 0u);
}

TEST(IdlBytes, LeadingItemsStopAtTheListsEnd) {
  const auto list = list_of({4, 10, 1});
  struct Case {
    int n;
    size_t bytes;
  } cases[] = {{0, 0}, {1, 6}, {2, 18}, {3, 21}, {4, 0}, {-1, 0}};
  for (const Case &c : cases)
    EXPECT_EQ(idl_leadbytes(list.data(), c.n), c.bytes) << c.n;
  EXPECT_EQ(idl_leadbytes(nullptr, 1), 0u);
}

TEST(IdlBytes, SizesOfLongListsDoNotWrap) {
  // Two items of 40000 bytes: 80000 in all, more than 16 bits hold.
  const auto list = list_of({39998, 39998});
  EXPECT_EQ(idl_bytes(list.data()), 80000u);
  EXPECT_GT(idl_bytes(list.data()), IDL_MAXSIZE);
}

TEST(IdlBytes, AnItemTooShortToHoldItsCountEndsTheList) {
  std::vector<uint8_t> list = list_of({3});
  list.insert(list.end() - 2, {1, 0, 0, 0}); // a count of 1
  EXPECT_EQ(idl_items(list.data()), 1);
  EXPECT_EQ(idl_bytes(list.data()), 5u);
}

TEST(IdlBytes, OffsetsOfItemEndsRefuseAReadOutside) {
  const auto list = list_of({4, 10, 1});
  const IdlOffsets ends(list.data());
  ASSERT_EQ(ends.size(), 3u);
  EXPECT_EQ(ends.at(0), 6u);
  EXPECT_EQ(ends.at(1), 18u);
  EXPECT_EQ(ends.at(2), 21u);
  EXPECT_THROW(ends.at(3), CInvalidArgException);
  EXPECT_THROW(IdlOffsets().at(0), CInvalidArgException);
}

} // namespace

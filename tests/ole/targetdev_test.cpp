// The target-device block of a picture request: what is read from it lies inside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ole/targetdev.h"

namespace {

// A block: header, then the given UTF-16 names (each NUL-ended) and a device mode of
// dm bytes whose own size fields say dmSize and extra.
struct Block {
  std::vector<uint8_t> b = std::vector<uint8_t>(TDV_HEADER, 0);
  void put16(size_t at, uint16_t v) {
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
  }
  uint16_t name(const std::u16string &s, bool terminated = true) {
    const uint16_t off = uint16_t(b.size());
    for (char16_t c : s)
      b.push_back(uint8_t(c)), b.push_back(uint8_t(c >> 8));
    if (terminated)
      b.push_back(0), b.push_back(0);
    return off;
  }
  uint16_t devmode(size_t bytes, uint16_t dmSize, uint16_t extra) {
    const uint16_t off = uint16_t(b.size());
    b.resize(b.size() + bytes, 0);
    if (bytes >= TDV_DM_EXTRA + 2) {
      put16(off + TDV_DM_SIZE, dmSize);
      put16(off + TDV_DM_EXTRA, extra);
    }
    return off;
  }
  std::vector<uint8_t> done(uint16_t driver, uint16_t device, uint16_t port, uint16_t dm, int sizeDelta = 0) {
    const uint32_t size = uint32_t(int64_t(b.size()) + sizeDelta);
    b[0] = uint8_t(size), b[1] = uint8_t(size >> 8), b[2] = uint8_t(size >> 16), b[3] = uint8_t(size >> 24);
    put16(4, driver), put16(6, device), put16(8, port), put16(10, dm);
    return b;
  }
};

TEST(TargetDevice, OnlyWhatLiesInsideTheBlockIsTaken) {
  constexpr size_t DM = 220; // the device mode's fixed part
  struct Case {
    const char *what;
    std::vector<uint8_t> block;
    bool ok;
  };
  std::vector<Case> cases;
  {
    Block k;
    const uint16_t drv = k.name(u"winspool"), dev = k.name(u"Printer"), port = k.name(u"LPT1:");
    const uint16_t dm = k.devmode(DM + 8, DM, 8);
    cases.push_back({"driver, device, port and mode", k.done(drv, dev, port, dm), true});
  }
  {
    Block k;
    const uint16_t dev = k.name(u"DISPLAY");
    cases.push_back({"a device alone", k.done(0, dev, 0, 0), true});
  }
  {
    Block k;
    const uint16_t port = k.name(u"LPT1:");
    cases.push_back({"no driver nor device", k.done(0, 0, port, 0), false});
  }
  {
    Block k;
    const uint16_t dev = k.name(u"Printer", false);
    cases.push_back({"a name without its end", k.done(0, dev, 0, 0), false});
  }
  {
    Block k;
    k.name(u"Printer");
    cases.push_back({"a name inside the header", k.done(0, 2, 0, 0), false});
  }
  {
    Block k;
    const uint16_t dev = k.name(u"Printer");
    cases.push_back({"a size beyond the bytes given", k.done(0, dev, 0, 0, 2), false});
  }
  {
    Block k;
    const uint16_t dev = k.name(u"Printer");
    cases.push_back({"a size that cuts the name", k.done(0, dev, 0, 0, -2), false});
  }
  {
    Block k;
    const uint16_t dev = k.name(u"Printer");
    cases.push_back({"a name past the end", k.done(0, uint16_t(dev + 200), 0, 0), false});
  }
  {
    Block k;
    const uint16_t dev = k.name(u"Printer");
    const uint16_t dm = k.devmode(DM - 4, DM, 0);
    cases.push_back({"a mode shorter than its fixed part", k.done(0, dev, 0, dm), false});
  }
  {
    Block k;
    const uint16_t dev = k.name(u"Printer");
    const uint16_t dm = k.devmode(DM, DM, 64);
    cases.push_back({"driver bytes beyond the block", k.done(0, dev, 0, dm), false});
  }
  cases.push_back({"shorter than a header", std::vector<uint8_t>(TDV_HEADER - 1, 0), false});
  for (const Case &c : cases) {
    TargetDeviceParts p{1, 1, 1, 1};
    EXPECT_EQ(tdv_parse(c.block.data(), c.block.size(), DM, p), c.ok) << c.what;
    if (!c.ok) {
      EXPECT_TRUE(p.driver == 0 && p.device == 0 && p.port == 0 && p.devmode == 0) << c.what;
    }
  }
  TargetDeviceParts p;
  EXPECT_FALSE(tdv_parse(nullptr, 100, DM, p));
}

TEST(TargetDevice, TheOffsetsAreGivenBack) {
  Block k;
  const uint16_t drv = k.name(u"winspool"), dev = k.name(u"Printer");
  const std::vector<uint8_t> b = k.done(drv, dev, 0, 0);
  TargetDeviceParts p;
  ASSERT_TRUE(tdv_parse(b.data(), b.size(), 220, p));
  EXPECT_EQ(p.driver, TDV_HEADER);
  EXPECT_EQ(p.device, TDV_HEADER + 18);
  EXPECT_EQ(p.port, 0);
  EXPECT_EQ(p.devmode, 0);
}

} // namespace

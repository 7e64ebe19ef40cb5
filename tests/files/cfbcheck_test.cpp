// Compound files checked before the system's storage code reads them: a sound file
// passes, and each kind of damage that could send a reader round in circles or out of
// the file is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "files/cfbcheck.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t END = 0xFFFFFFFEu, FREE = 0xFFFFFFFFu, FATSECT = 0xFFFFFFFDu, NONE = 0xFFFFFFFFu;

void put32(Bytes &b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++)
    b[at + i] = uint8_t(v >> (8 * i));
}
void put16(Bytes &b, size_t at, uint16_t v) { b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8); }
uint32_t get32(const Bytes &b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A small version-3 file as the system's writer lays it out. Sectors: 0 the allocation
// table, 1 the directory (four entries), 2 the mini allocation table, 3 the mini stream
// (two mini sectors), 4..12 a big stream of 4500 bytes.
// Entries: 0 root (child 1); 1 "Contents" stream, 100 bytes in mini sectors 0-1,
// right sibling 2; 2 "Obj" storage, child 3; 3 "Big" stream.
struct Cfb {
  Bytes b = Bytes(512 * 14, 0);
  static size_t sec(uint32_t n) { return 512 * (size_t(n) + 1); }
  static size_t ent(uint32_t i) { return sec(1) + 128 * size_t(i); }
  size_t fat(uint32_t n) const { return sec(0) + 4 * size_t(n); }

  void entry(uint32_t i, const char *name, uint8_t type, uint32_t left, uint32_t right, uint32_t child, uint32_t start,
             uint32_t size) {
    const size_t e = ent(i);
    size_t n = 0;
    for (; name[n]; n++)
      put16(b, e + 2 * n, uint16_t(name[n]));
    put16(b, e + 64, uint16_t(2 * (n + 1)));
    b[e + 66] = type;
    b[e + 67] = 1;
    put32(b, e + 68, left);
    put32(b, e + 72, right);
    put32(b, e + 76, child);
    put32(b, e + 116, start);
    put32(b, e + 120, size);
  }

  Cfb() {
    static const uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(b.data(), magic, 8);
    put16(b, 0x18, 0x3E);
    put16(b, 0x1A, 3);
    put16(b, 0x1C, 0xFFFE);
    put16(b, 0x1E, 9);
    put16(b, 0x20, 6);
    put32(b, 0x2C, 1);   // allocation-table sectors
    put32(b, 0x30, 1);   // directory
    put32(b, 0x38, 4096);
    put32(b, 0x3C, 2);   // mini allocation table
    put32(b, 0x40, 1);
    put32(b, 0x44, END); // no extension of the sector list
    put32(b, 0x48, 0);
    for (int i = 0; i < 109; i++)
      put32(b, 0x4C + 4 * i, i == 0 ? 0 : FREE);
    for (uint32_t n = 0; n < 128; n++)
      put32(b, fat(n), FREE);
    put32(b, fat(0), FATSECT);
    put32(b, fat(1), END);
    put32(b, fat(2), END);
    put32(b, fat(3), END);
    for (uint32_t n = 4; n < 12; n++)
      put32(b, fat(n), n + 1);
    put32(b, fat(12), END);
    for (uint32_t n = 0; n < 128; n++)
      put32(b, sec(2) + 4 * n, FREE);
    put32(b, sec(2), 1);
    put32(b, sec(2) + 4, END);
    entry(0, "Root Entry", 5, NONE, NONE, 1, 3, 128);
    entry(1, "Contents", 2, NONE, 2, NONE, 0, 100);
    entry(2, "Obj", 1, NONE, NONE, 3, 0, 0);
    entry(3, "Big", 2, NONE, NONE, NONE, 4, 4500);
  }
};

TEST(CfbCheck, ASoundFilePasses) {
  Cfb f;
  EXPECT_EQ(cfb_check(f.b.data(), f.b.size()), CFB_OK);
  // An empty stream without sectors, and a file cut inside its last data sector.
  f.entry(3, "Big", 2, NONE, NONE, NONE, END, 0);
  EXPECT_EQ(cfb_check(f.b.data(), f.b.size()), CFB_OK);
  Cfb g;
  EXPECT_EQ(cfb_check(g.b.data(), g.b.size() - 100), CFB_OK);
}

TEST(CfbCheck, DamagedFilesAreRefused) {
  struct Case {
    const char *what;
    std::function<void(Cfb &)> damage;
    int fault;
  };
  const Case cases[] = {
      {"sibling out of range", [](Cfb &f) { put32(f.b, Cfb::ent(1) + 68, 999); }, CFB_TREE},
      {"sibling pointing to itself", [](Cfb &f) { put32(f.b, Cfb::ent(1) + 72, 1); }, CFB_TREE},
      {"loop of three",
       [](Cfb &f) {
         put32(f.b, Cfb::ent(1) + 72, 2);
         put32(f.b, Cfb::ent(2) + 68, 3);
         put32(f.b, Cfb::ent(3) + 68, 1);
       },
       CFB_TREE},
      {"child back to the root", [](Cfb &f) { put32(f.b, Cfb::ent(2) + 76, 0); }, CFB_TREE},
      {"link to an unused entry", [](Cfb &f) { f.b[Cfb::ent(3) + 66] = 0; }, CFB_TREE},
      {"unknown entry kind", [](Cfb &f) { f.b[Cfb::ent(3) + 66] = 7; }, CFB_DIRECTORY},
      {"name without terminator", [](Cfb &f) { put16(f.b, Cfb::ent(1) + 64, 6); }, CFB_DIRECTORY},
      {"root entry missing", [](Cfb &f) { f.b[Cfb::ent(0) + 66] = 1; }, CFB_DIRECTORY},
      {"sector chain loop", [](Cfb &f) { put32(f.b, f.fat(12), 4); }, CFB_CHAIN},
      {"sector chain to itself", [](Cfb &f) { put32(f.b, f.fat(7), 7); }, CFB_CHAIN},
      {"sector past the file", [](Cfb &f) { put32(f.b, f.fat(12), 40); }, CFB_CHAIN},
      {"chain ends on a reserved value", [](Cfb &f) { put32(f.b, f.fat(12), FATSECT); }, CFB_CHAIN},
      {"two streams share sectors", [](Cfb &f) { put32(f.b, Cfb::ent(3) + 116, 3); }, CFB_CHAIN},
      {"directory chain loop", [](Cfb &f) { put32(f.b, f.fat(1), 1); }, CFB_CHAIN},
      {"mini chain loop", [](Cfb &f) { put32(f.b, Cfb::sec(2) + 4, 0); }, CFB_CHAIN},
      {"mini sector past the mini stream", [](Cfb &f) { put32(f.b, Cfb::sec(2) + 4, 2); }, CFB_CHAIN},
      {"stream longer than its chain", [](Cfb &f) { put32(f.b, Cfb::ent(3) + 120, 5000); }, CFB_STREAM},
      {"stream size beyond 32 bits", [](Cfb &f) { put32(f.b, Cfb::ent(3) + 124, 1); }, CFB_STREAM},
      {"small stream longer than its mini chain", [](Cfb &f) { put32(f.b, Cfb::ent(1) + 120, 200); }, CFB_STREAM},
      {"mini stream longer than its chain", [](Cfb &f) { put32(f.b, Cfb::ent(0) + 120, 1024); }, CFB_STREAM},
      {"table sector past the file", [](Cfb &f) { put32(f.b, 0x4C, 500); }, CFB_FATLIST},
      {"table sector count too large", [](Cfb &f) { put32(f.b, 0x2C, 200); }, CFB_FATLIST},
      {"table list extension loops",
       [](Cfb &f) {
         f.b.resize(512 * 15);
         put32(f.b, 0x48, 2);
         put32(f.b, 0x44, 13);
         for (uint32_t n = 0; n < 128; n++)
           put32(f.b, Cfb::sec(13) + 4 * n, n == 127 ? 13 : FREE);
       },
       CFB_FATLIST},
      {"signature", [](Cfb &f) { f.b[3] ^= 1; }, CFB_HEADER},
      {"sector size", [](Cfb &f) { put16(f.b, 0x1E, 10); }, CFB_HEADER},
      {"mini cutoff", [](Cfb &f) { put32(f.b, 0x38, 512); }, CFB_HEADER},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Cfb f;
    c.damage(f);
    EXPECT_EQ(cfb_check(f.b.data(), f.b.size()), c.fault);
  }
  Cfb f;
  EXPECT_EQ(cfb_check(f.b.data(), 511), CFB_SHORT);
  EXPECT_EQ(cfb_check(nullptr, 0), CFB_SHORT);
  // Cut inside the directory: the directory sector is no longer whole.
  EXPECT_NE(cfb_check(f.b.data(), 1000), CFB_OK);
  EXPECT_EQ(get32(f.b, 0x30), 1u);
}

} // namespace

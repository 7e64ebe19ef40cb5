// The plain parts of the older object layer: status messages, document names of
// objects, names and link strings read from outside, bounds and the verb menu text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ole/ole1rec.h"

namespace {

struct Bytes {
  std::string b;
  std::size_t pos = 0;
};

uint32_t read_bytes(void *ctx, void *buf, uint32_t n) {
  auto *m = static_cast<Bytes *>(ctx);
  const std::size_t take = std::min<std::size_t>(n, m->b.size() - m->pos);
  std::memcpy(buf, m->b.data() + m->pos, take);
  m->pos += take;
  return uint32_t(take);
}

std::string u32(uint32_t v) { return std::string(reinterpret_cast<const char *>(&v), 4); }

} // namespace

TEST(Ole1Status, EachStatusShowsItsRowOnTheMessageBoard) {
  const struct {
    int status, message;
  } cases[] = {{3, 30600},
               {4, 30601},
               {5, 30602},
               {56, 30653},
               {200, 20026},
               {201, 201},
               {202, 30701},
               {203, 30702},
               {1000, 30750},
               {30602, 30602},
               {99999, 30699},
               // Unlisted statuses: message 30699, never the unreadable number 99999.
               {7777, 30699},
               {0, 30699},
               {2, 30699},
               {57, 30699},
               {-1, 30699},
               {65535, 30699}};
  for (const auto &c : cases) {
    int board = -1;
    EXPECT_EQ(ole1_statusmsg(c.status, &board), c.message) << c.status;
    EXPECT_EQ(board, 2) << c.status;
  }
}

TEST(Ole1Names, TheNextDocumentNameFollowsTheHighestNumberUsed) {
  const struct {
    int dwg;
    std::vector<const char *> names;
    const char *next;
  } cases[] = {
      {0, {"KIVOLANTDOC#00-0", "KIVOLANTDOC#00-3"}, "KIVOLANTDOC#00-4"},
      {0, {"KIVOLANTDOC#00-3", "KIVOLANTDOC#00-0"}, "KIVOLANTDOC#00-4"},
      {0, {}, "KIVOLANTDOC#00-0"},
      {1, {"KIVOLANTDOC#01-9"}, "KIVOLANTDOC#01-10"},
      {0, {"noname", "", nullptr, "a-b", "x-"}, "KIVOLANTDOC#00-0"},
      {0, {"A-1-5", "B-2"}, "KIVOLANTDOC#00-6"},
  };
  for (const auto &c : cases) {
    char out[64];
    ole1_docname(c.dwg, c.names.data(), int(c.names.size()), out, sizeof out);
    EXPECT_STREQ(out, c.next);
  }
}

TEST(Ole1Names, ANameIsTakenOnlyWhenItFitsItsBufferWithItsTerminator) {
  const struct {
    std::string bytes;
    int ok;
    const char *name;
    std::size_t left; // bytes read
  } cases[] = {
      {u32(6) + std::string("Hello\0rest", 10), 1, "Hello", 10},
      {u32(32) + std::string(31, 'a') + std::string(1, '\0'), 1, nullptr, 36},
      // 40 bytes for a 32-byte buffer: refused before any of it is read.
      {u32(40) + std::string(39, 'b') + std::string(1, '\0'), 0, "", 4},
      {u32(0) + "x", 0, "", 4},
      {u32(5) + "Hello", 0, "", 9},                     // no terminator
      {u32(6) + std::string("He\0lo\0", 6), 0, "", 10}, // a zero inside
      {u32(6) + "Hel", 0, "", 7},                       // cut short
      {std::string("\x06\x00", 2), 0, "", 2},           // length cut short
  };
  for (const auto &c : cases) {
    Bytes m{c.bytes};
    char buf[32];
    std::memset(buf, 'z', sizeof buf);
    EXPECT_EQ(ole1_readname(read_bytes, &m, buf, sizeof buf), c.ok) << c.bytes.size();
    if (c.name)
      EXPECT_STREQ(buf, c.name);
    EXPECT_EQ(m.pos, c.left);
  }
}

TEST(Ole1Links, LinkStringsAreTakenOnlyWithTheirTerminatorsInsideTheBlock) {
  const std::string full("KIVO-LANT\0C:\\a.ksl\0item\0\0", 25);
  const struct {
    std::string block;
    std::size_t cap;
    int ok;
    std::string out;
  } cases[] = {
      {full, 64, 1, full},
      {full.substr(0, 24), 64, 1, full}, // the extra zero is added
      {full + "junk", 64, 1, full},
      {full.substr(0, 23), 64, 0, ""}, // the item runs to the end of the block
      {std::string("a\0b", 3), 64, 0, ""},
      {full, 24, 0, ""}, // does not fit
      {full, 25, 1, full},
      {"", 64, 0, ""},
  };
  for (const auto &c : cases) {
    char out[64];
    std::memset(out, 'q', sizeof out);
    std::size_t used = 0;
    EXPECT_EQ(ole1_linkstrings(reinterpret_cast<const uint8_t *>(c.block.data()), c.block.size(), out, c.cap, &used),
              c.ok);
    if (c.ok) {
      EXPECT_EQ(std::string(out, used), c.out);
    } else {
      EXPECT_EQ(out[0], 'q'); // left alone
    }
  }
  const char *cls, *doc, *item;
  ole1_linkparts(full.c_str(), &cls, &doc, &item);
  EXPECT_STREQ(cls, "KIVO-LANT");
  EXPECT_STREQ(doc, "C:\\a.ksl");
  EXPECT_STREQ(item, "item");
}

TEST(Ole1Bounds, BoundsAndPlacingUseHundredthsOfAMillimetre) {
  const double r[4] = {10, 20, 60.005, 50};
  const Ole1Bounds b = ole1_himetric(r);
  EXPECT_EQ(b.left, 0);
  EXPECT_EQ(b.top, 0);
  EXPECT_EQ(b.right, 5000);
  EXPECT_EQ(b.bottom, -3000);
  double placed[4];
  ole1_placeat(b, 5, 100, placed);
  EXPECT_DOUBLE_EQ(placed[0], 5);
  EXPECT_DOUBLE_EQ(placed[1], 70);
  EXPECT_DOUBLE_EQ(placed[2], 55);
  EXPECT_DOUBLE_EQ(placed[3], 100);
  // Reversed corners and a positive bottom give the same extent.
  ole1_placeat(Ole1Bounds{0, 0, 2500, 1000}, 0, 0, placed);
  EXPECT_DOUBLE_EQ(placed[2], 25);
  EXPECT_DOUBLE_EQ(placed[1], -10);
  const double huge[4] = {0, 0, 1e300, 0};
  EXPECT_EQ(ole1_himetric(huge).right, 2147483647);
}

TEST(Ole1Menu, TheVerbItemTextIsFormattedAndBounded) {
  char out[256];
  ole1_verbtext("編集", "KIVO LANT 図面", out, sizeof out);
  EXPECT_STREQ(out, "編集 KIVO LANT 図面 オブジェクト(&V)");
  ole1_verbtext(nullptr, "Paint", out, sizeof out);
  EXPECT_STREQ(out, "Edit Paint オブジェクト(&V)");
  ole1_verbtext("Play", "", out, sizeof out);
  EXPECT_STREQ(out, "Play オブジェクト(&V)");
  const std::string verb(300, 'v');
  const std::size_t n = ole1_verbtext(verb.c_str(), "Paint", out, sizeof out);
  EXPECT_LT(n, sizeof out);
  EXPECT_EQ(std::strlen(out), n);
  EXPECT_EQ(std::string(out, 10), std::string(10, 'v'));
  EXPECT_STREQ(ole1_updatetext(0), "自動");
  EXPECT_STREQ(ole1_updatetext(2), "手動");
  EXPECT_STREQ(ole1_updatetext(1), "ロック");
}

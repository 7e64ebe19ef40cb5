#include <cmath>
#include <limits>

#include "files/sealname.h"
#include "sealfix.h"
#include "settings/answers.h"

TEST(SealHeader, FieldsAtTheirOffsetsAndBackUnchanged) {
  uint8_t b[256];
  for (int i = 0; i < 256; ++i)
    b[i] = uint8_t(i * 37 + 11);
  RaruFileHeader h;
  slf_hdrget(b, &h);
  EXPECT_EQ(h.version, slf_get<int16_t>(b, 24));
  EXPECT_EQ(h.permitLevel, slf_get<int16_t>(b, 32));
  EXPECT_EQ(h.elementCount, slf_get<int32_t>(b, 128));
  EXPECT_EQ(h.outlineKind, slf_get<uint16_t>(b, 132));
  EXPECT_EQ(std::memcmp(h.raruName, b + 56, 24), 0);
  EXPECT_EQ(std::memcmp(h.ownerPassword, b + 80, 20), 0);
  EXPECT_EQ(std::memcmp(h.ownerName, b + 100, 24), 0);
  uint8_t out[256] = {};
  slf_hdrput(h, out);
  EXPECT_EQ(std::memcmp(out, b, 256), 0);

  h = {};
  h.sheetHeight = 297.5;
  h.width = 12.25;
  slf_hdrput(h, out);
  EXPECT_EQ(slf_get<double>(out, 176), 297.5);
  EXPECT_EQ(slf_get<double>(out, 152), 12.25);
}

TEST(SealHeader, Checks) {
  uint8_t good[256] = {};
  std::memcpy(good + 4, "KIVO LANT RARU", 15);
  slf_put<int16_t>(good, 24, 1);
  slf_put<int32_t>(good, 128, 10000);
  good[18] = 'Z'; // bytes 18-23 play no part
  struct Case {
    const char *what;
    int off, size;
    int32_t value;
    int chk, check;
  } cases[] = {
      {"good", 0, 0, 0, 0, 1},
      {"version 2", 24, 2, 2, 0, -2},
      {"magic", 6, 1, 'x', 2, -2},
      {"protected", 32, 2, 1, 3, -3},
      {"negative permit", 32, 2, -5, 0, 1},
      {"count 10001", 128, 4, 10001, 0, -2},
      {"count -1", 128, 4, -1, 0, -2},
      {"count 0", 128, 4, 0, 0, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    uint8_t h[256];
    std::memcpy(h, good, 256);
    if (c.size == 1)
      h[c.off] = uint8_t(c.value);
    else if (c.size == 2)
      slf_put<int16_t>(h, c.off, int16_t(c.value));
    else if (c.size == 4)
      slf_put<int32_t>(h, c.off, c.value);
    uint8_t out[256];
    std::memset(out, 0xEE, 256);
    EXPECT_EQ(slf_chkhead(h, out), c.chk);
    EXPECT_EQ(out[0], c.chk == 2 ? 0xEE : h[0]);
    EXPECT_EQ(slf_hdrcheck(h, nullptr), c.check);
  }
}

TEST(SealHeader, SheetSizeFallsBackOnUnusableValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  struct Case {
    double w, h, wantw, wanth;
  } cases[] = {{210, 297, 210, 297}, {0, 297, 40, 297}, {-1, -2, 40, 30}, {nan, 5, 40, 5}, {inf, nan, 40, 30}};
  for (const Case &c : cases) {
    RaruFileHeader h{};
    h.sheetWidth = c.w;
    h.sheetHeight = c.h;
    double w, hh;
    slf_sheetsize(h, 40, 30, &w, &hh);
    EXPECT_EQ(w, c.wantw);
    EXPECT_EQ(hh, c.wanth);
  }
}

TEST_F(Seal, SealNameChecks) {
  struct Case {
    const char *name;
    int ok, pos;
  } cases[] = {
      {"ABC", 1, -1},
      {"A_B", 0, 1},
      {"", 0, -1},
      {"123456789012345678901", 1, -1},   // 21 bytes
      {"1234567890123456789012", 0, -1},  // 22
      {"x|y@z", 0, 3},                    // "@" is looked for first
      {"\x83\x5f\x83\x40", 1, -1},        // trail bytes 0x5F and 0x40 are not "_" or "@"
      {"\x83\x5f_", 0, 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    int pos = 99;
    EXPECT_EQ(slf_namebad(c.name, &pos), c.ok);
    EXPECT_EQ(pos, c.pos);
  }
  uint8_t hdr[256];
  std::memset(hdr, 0x77, 256);
  sys_sealhdr('W', hdr);
  ASSERT_EQ(slf_namechk("印鑑", nullptr), 1);
  sys_sealhdr('R', hdr);
  EXPECT_STREQ(reinterpret_cast<char *>(hdr + 56), "印鑑");
  for (int i = 0; i < 256; ++i) {
    if (i < 56 || i >= 56 + 4) {
      ASSERT_EQ(hdr[i], 0) << i;
    }
  }
}

TEST_F(Seal, SealNameQuestion) {
  uint8_t hdr[256] = {};
  std::memcpy(hdr + 56, "OLD", 3);
  sys_sealhdr('W', hdr);
  std::vector<std::string> proposed;
  ui_setresponder([&](const UiQuestion &q) {
    EXPECT_EQ(q.kind, UI_DIALOG);
    EXPECT_EQ(q.dialog, 1461);
    proposed.push_back(q.reply);
    std::snprintf(q.reply, q.replysize, "%s", proposed.size() == 1 ? "A_B" : "NEW");
    return 1;
  });
  EXPECT_EQ(slf_askname(), 1);
  ASSERT_EQ(proposed.size(), 2u); // the bad name was asked again
  EXPECT_EQ(proposed[0], "OLD");
  sys_sealhdr('R', hdr);
  EXPECT_STREQ(reinterpret_cast<char *>(hdr + 56), "NEW");

  ui_setresponder([](const UiQuestion &) { return -1; });
  EXPECT_EQ(slf_askname(), -1);
  sys_sealhdr('R', hdr);
  EXPECT_STREQ(reinterpret_cast<char *>(hdr + 56), "NEW");
  ui_setresponder({});
}

TEST(SealHeader, EnvironmentRepair) {
  DrawingEnvRecord env{};
  reinterpret_cast<uint8_t *>(&env)[26] = 9;
  env.pntatr = 0x0050;
  env.linatr = 0x3F9F;
  env.chr.attr = 0x0E0F;
  env.dim.txtattr = 0x0000;
  env.dim.linattr = 0x0900; // pen 0, kind 0 stays 0, start style 1, end style 1
  env.dim.u24 = 77;
  env.dim.u74 = 0xFFFF;
  std::strcpy(env.dim.text[1], "mm");
  EXPECT_EQ(slf_fixenv(&env), 0);
  EXPECT_EQ(reinterpret_cast<uint8_t *>(&env)[26], 0);
  EXPECT_EQ(+env.pntatr, 0x0051);
  EXPECT_EQ(+env.linatr, 0x006C);
  EXPECT_EQ(+env.chr.attr, 0x0E0C); // only the pen is repaired here
  EXPECT_EQ(+env.dim.txtattr, 0x0001);
  EXPECT_EQ(+env.dim.linattr, 0x0901);
  EXPECT_EQ(+env.dim.u24, 0);
  EXPECT_EQ(+env.dim.u74, 0xF0FF);
  EXPECT_EQ(env.dim.text[1][0], '\0');
}

// The attribute box's tables and rules: fields, processing-mode texts, steps, the
// element-count text and the placement of the fields.
#include <gtest/gtest.h>

#include <string>

#include "display/marks/snapmark.h"
#include "shell/units/aboxtbl.h"

namespace {

TEST(AboxTable, ModeButtonCountOutsideItsRangeIsTwo) {
  const struct {
    uint32_t m;
    int count, fields;
  } cases[] = {{2, 2, 10}, {5, 5, 13}, {3, 3, 11}, {0, 2, 10}, {1, 2, 10}, {6, 2, 10}, {0xFFFFFFFF, 2, 10}};
  for (const auto &c : cases) {
    EXPECT_EQ(abox_modecount(c.m), c.count) << c.m;
    AboxFieldDef f[ABOX_FIELDS_MAX];
    ASSERT_EQ(abox_fields(int(c.m), f), c.fields) << c.m;
    EXPECT_STREQ(f[c.fields - 2].caption, "要素数");
    EXPECT_STREQ(f[c.fields - 1].caption, "ハイライト表示");
    EXPECT_STREQ(f[5 + c.count].caption, c.count == 5 ? "処理モード5" : c.count == 3 ? "処理モード3" : "処理モード2");
  }
  AboxFieldDef f[ABOX_FIELDS_MAX];
  abox_fields(2, f);
  const struct {
    AboxClass cls;
    int items, cells, lines;
  } want[6] = {{ABOX_COMBO, 64, 5, 16}, {ABOX_COMBO, 12, 5, 12}, {ABOX_COMBO, 6, 10, 6},
               {ABOX_BUTTON, 0, 2, 1},  {ABOX_BUTTON, 0, 2, 1},  {ABOX_OWNERBUTTON, 0, 6, 1}};
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(f[i].cls, want[i].cls) << i;
    EXPECT_EQ(f[i].items, want[i].items) << i;
    EXPECT_EQ(f[i].cells, want[i].cells) << i;
    EXPECT_EQ(f[i].lines, want[i].lines) << i;
  }
}

TEST(AboxTable, LineEndsStepRoundTheRingWithoutThree) {
  const struct {
    int from, forward, to;
  } cases[] = {{0, 0, 6}, {2, 1, 4}, {4, 0, 2}, {6, 1, 0}, {0, 1, 1}, {5, 1, 6}, {3, 1, 4}, {3, 0, 2}, {9, 1, 0}};
  for (const auto &c : cases)
    EXPECT_EQ(abox_endstep(c.from, c.forward), c.to) << c.from << (c.forward ? " forward" : " backward");
}

TEST(AboxTable, PickModesWrapAtThreeOrFourWithTheGrid) {
  EXPECT_EQ(abox_pickstep(3, 1, false), 0);
  EXPECT_EQ(abox_pickstep(3, 1, true), 4);
  EXPECT_EQ(abox_pickstep(4, 1, true), 0);
  EXPECT_EQ(abox_pickstep(0, 0, false), 3);
  EXPECT_EQ(abox_pickstep(0, 0, true), 4);
  EXPECT_EQ(abox_pickstep(4, 1, false), 0); // grid taken off meanwhile
  EXPECT_STREQ(PickModeNames[4], "ｸﾞﾘｯﾄﾞ");
}

TEST(AboxTable, ProcessingModeTextsByKindAndButton) {
  const char *const *t = nullptr;
  EXPECT_EQ(abox_modetexts(6, 2, &t), 4);
  EXPECT_STREQ(t[3], "欧文");
  EXPECT_EQ(abox_modetexts(8, 1, &t), 2);
  EXPECT_STREQ(t[1], "ｸﾞﾙｰﾌﾟ");
  EXPECT_EQ(abox_modetexts(1, 2, nullptr), 0);
  EXPECT_EQ(abox_modetexts(10, 1, nullptr), 2);
  for (int kind = 0; kind <= 11; kind++)
    for (int button = 3; button <= 5; button++)
      EXPECT_EQ(abox_modetexts(kind, button, nullptr), 0);
  EXPECT_EQ(abox_modetexts(0, 1, nullptr), 0);
  EXPECT_EQ(abox_modetexts(11, 1, nullptr), 0);
  // After the last text the first, before the first the last; a stray choice counts as 0.
  EXPECT_EQ(abox_modestep(3, 4, 1), 0);
  EXPECT_EQ(abox_modestep(0, 4, 0), 3);
  EXPECT_EQ(abox_modestep(17, 3, 1), 1);
  EXPECT_EQ(abox_modestep(0, 0, 1), 0);
  EXPECT_TRUE(abox_modeshown(1, 0x100));
  EXPECT_TRUE(abox_modeshown(1, 0x1000));
  EXPECT_FALSE(abox_modeshown(2, 0x1100));
  EXPECT_TRUE(abox_modeshown(5, 0x10000));
}

TEST(AboxTable, ElementCountByDisplayChoice) {
  const struct {
    uint32_t choice, used, capacity;
    const char *text;
  } cases[] = {{0, 0, 0, "  0.0"},      {1, 0, 0, "    0"},      {2, 0, 1000, " 1000"}, {0, 250, 1000, " 25.0"},
               {1, 250, 1000, "  250"}, {2, 250, 1000, "  750"}, {2, 5, 3, "    0"},    {0, 7, 0, "  0.0"}};
  for (const auto &c : cases) {
    char text[32];
    abox_countfmt(c.choice, c.used, c.capacity, text, sizeof text);
    EXPECT_EQ(std::string(text), c.text) << c.choice << " " << c.used << "/" << c.capacity;
  }
}

TEST(AboxTable, FieldsInOneRowAndInTwo) {
  AboxFieldDef f[ABOX_FIELDS_MAX];
  const int n = abox_fields(2, f);
  const AboxMetrics mt{6, 12, 1, 1};
  AboxRect r[ABOX_FIELDS_MAX], client{};
  abox_layout(mt, f, n, 0, 5, false, r, &client);
  EXPECT_EQ(r[0].x, 6);
  EXPECT_EQ(r[0].y, 6);
  EXPECT_EQ(r[0].cx, 8 * 5);
  EXPECT_EQ(r[0].cy, 16 * 16 + 2 * 16 - 6 - 16); // combo: list lines, then the fixed change
  EXPECT_EQ(r[3].cy, 16);
  for (int i = 1; i < n; i++) {
    EXPECT_EQ(r[i].x, r[i - 1].x + r[i - 1].cx + 2) << i;
    EXPECT_EQ(r[i].y, 6) << i;
  }
  EXPECT_EQ(client.cx, r[n - 1].x + r[n - 1].cx + 3);
  EXPECT_EQ(client.cy, 12 + 16);

  abox_layout(mt, f, n, 1, 5, true, r, &client);
  EXPECT_EQ(r[0].cy, 16 * 16 + 2 * 16 - 6 + 1);
  EXPECT_EQ(r[5].x, 6);
  EXPECT_EQ(r[5].y, 12 + 14);
  EXPECT_EQ(r[4].y, 6);
  int right = 0;
  for (int i = 0; i < n; i++)
    right = r[i].x + r[i].cx > right ? r[i].x + r[i].cx : right;
  EXPECT_EQ(client.cx, right + 6);
  EXPECT_EQ(client.cy, 2 * (12 + 11));
  abox_layout(mt, f, n, 1, 6, false, r, &client);
  EXPECT_EQ(r[5].y, 6);
  EXPECT_EQ(r[6].x, 6);
  EXPECT_EQ(r[6].y, 26);
}

} // namespace

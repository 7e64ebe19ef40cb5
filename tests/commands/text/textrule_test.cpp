// What a typed text may hold, the frame of a text being placed, and the date stamps.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "commands/text/textrule.h"
#include "database/txtcheck.h"
#include "input/rubber.h"

namespace {

std::string times(const char *s, int n) {
  std::string r;
  for (int i = 0; i < n; i++)
    r += s;
  return r;
}

TEST(TextRule, TypedTextsAreMeasuredInBytesAndBarredCharactersFound) {
  struct Case {
    std::string text;
    int rc;
  } cases[] = {
      {times("A", 64), 0},      {times("A", 65), 1},      {"", 1},
      {"_", 2},                 {"@", 2},                 {"|", 2},
      {"A^B", 2},               {"[A]", 2},               {"ー", 0}, // 81 5B: the trail byte is no "["
      {"ソ", 0},                {"表", 0},                {"AB表_", 2},
      {times("あ", 32), 0},     {times("あ", 33), 1},     {"A" + times("あ", 32), 1},
  };
  for (const Case &c : cases)
    EXPECT_EQ(txt_valid(c.text.c_str()), c.rc) << c.text.size() << " bytes";
  EXPECT_EQ(std::string("ー"), "\x81\x5B");
}

TEST(TextRule, TheCheckCountsLineBreaksAsEmptyOnlyForTheTextCommands) {
  struct Case {
    const char *in, *out;
    int pack, text;
  } cases[] = {
      {"[A]]", "[A]", 0, 0}, {"  ", "  ", 2, 2}, {"]", "", 1, 1},
      {"_|", "_|", 0, 2},    {"[_]", "[_]", 0, 2}, {"A_B", "A_B", 0, 0},
      {"\x83_", "\x83_", 0, 0}, // a trail byte that looks like "_"
  };
  for (const Case &c : cases) {
    char a[16], b[16];
    std::strcpy(a, c.in);
    std::strcpy(b, c.in);
    EXPECT_EQ(txt_check(a, TXT_PACKRULE), c.pack) << c.in;
    EXPECT_EQ(txt_check(b, TXT_TEXTRULE), c.text) << c.in;
    EXPECT_STREQ(a, c.out);
    EXPECT_STREQ(b, c.out);
  }
}

// The box of a 4 x 2 text at (10, 20) for each base pair, at angles 0 and 90.
TEST(TextRule, TheTextBoxFollowsTheBasesAndTheAngle) {
  const double lowx[3] = {0, -2, -4}, lowy[3] = {0, -1, -2};
  for (int hb = 0; hb < 3; hb++)
    for (int vb = 0; vb < 3; vb++)
      for (double angle : {0.0, 90.0}) {
        GuideShape box[5];
        std::memset(box, 0, sizeof box);
        const uint16_t attr = uint16_t(3 | vb << 5 | hb << 7 | 2 << 9);
        ASSERT_EQ(txt_box(attr, 4, 2, angle, 10, 20, box), 0);
        // Corners before rotation, counter-clockwise from the lower left.
        const double cx[4] = {lowx[hb], lowx[hb] + 4, lowx[hb] + 4, lowx[hb]};
        const double cy[4] = {lowy[vb], lowy[vb], lowy[vb] + 2, lowy[vb] + 2};
        for (int i = 0; i < 4; i++) {
          const int j = (i + 1) % 4;
          const double ax = angle == 0 ? cx[i] : -cy[i], ay = angle == 0 ? cy[i] : cx[i];
          const double bx = angle == 0 ? cx[j] : -cy[j], by = angle == 0 ? cy[j] : cx[j];
          SCOPED_TRACE(testing::Message() << "h" << hb << " v" << vb << " angle " << angle << " side " << i);
          EXPECT_EQ(box[i].kind, 2u);
          EXPECT_NEAR(box[i].a, 10 + ax, 1e-9);
          EXPECT_NEAR(box[i].b, 20 + ay, 1e-9);
          EXPECT_NEAR(box[i].c, 10 + bx, 1e-9);
          EXPECT_NEAR(box[i].d, 20 + by, 1e-9);
        }
        EXPECT_EQ(box[4].kind, uint32_t(-1));
      }
  GuideShape kept[5];
  std::memset(kept, 0x5A, sizeof kept);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(txt_box(0, 4, 2, nan, 0, 0, kept), 1);
  EXPECT_EQ(reinterpret_cast<const uint8_t *>(kept)[0], 0x5A);
}

void march5(int *y, int *m, int *d) { *y = 2026, *m = 3, *d = 5; }

TEST(TextRule, DateSamplesUseTwoDigitMonthsAndDays) {
  char s[64];
  date_sample(0, 2026, 3, 5, s, sizeof s);
  EXPECT_STREQ(s, "2026年03月05日");
  date_sample(4, 2026, 3, 5, s, sizeof s);
  EXPECT_STREQ(s, "03/05/2026");
  date_sample(5, 2026, 11, 25, s, sizeof s);
  EXPECT_STREQ(s, "2026-11-25");
  // Format 3: the sample has the half-width dot (A5), the label the full-width one (81 45).
  date_sample(3, 2026, 3, 5, s, sizeof s);
  EXPECT_STREQ(s, "2026\xA5" "03\xA5" "05");
  EXPECT_STREQ(date_label(3), "YYYY\x81\x45MM\x81\x45" "DD");
  for (int bad : {-1, 6}) {
    std::strcpy(s, "x");
    date_sample(bad, 2026, 3, 5, s, sizeof s);
    EXPECT_STREQ(s, "");
    EXPECT_EQ(date_label(bad), nullptr);
  }
  date_setclock(march5);
  int y = 0, m = 0, d = 0;
  date_today(&y, &m, &d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20260305);
  date_setclock(nullptr);
  date_today(&y, &m, &d);
  EXPECT_GT(y, 2000);
}

TEST(TextRule, DateTextsAreExactlyTheLabels) {
  struct Case {
    const char *text;
    int rc;
  } cases[] = {{"YYYY年MM月DD日", 1}, {"YYYY/MM/DD", 1}, {"YYYY.MM.DD", 1}, {"YYYY・MM・DD", 1},
               {"MM/DD/YYYY", 1},     {"YYYY-MM-DD", 1}, {"YYYY/MM/DD ", 0}, {"yyyy/mm/dd", 0},
               {"YYYY･MM･DD", 0},     {"", 0},           {"2026/03/05", 0}};
  for (const Case &c : cases)
    EXPECT_EQ(date_istext(c.text), c.rc) << c.text;
  EXPECT_EQ(date_istext(nullptr), 0);
}

} // namespace

// Key assignment lines, the upgrade count, drag directions and shortcut-menu records.
#include <gtest/gtest.h>

#include <cstring>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "shell/units/keyrec.h"

namespace {

KeyItem read(const char *line) {
  std::string buf(line);
  KeyItem k;
  EXPECT_EQ(key_rec('R', buf.data(), buf.size() + 1, &k), 1);
  return k;
}

TEST(KeyRec, ReadsTheFields) {
  const struct {
    const char *line;
    uint32_t key, mods;
    int32_t command, kind;
    const char *label, *text;
  } cases[] = {
      {"8000,  100,3,[ F0 ],go", 0x00, KEY_VIRT, 100, 3, "[ F0 ]", "go"},
      {"8170,  112,1,[S+F1],help me ", 0x70, KEY_VIRT | KEY_SHIFT, 112, 1, "[S+F1]", "help me"},
      {"8270,  5,1,[C+F1],", 0x70, KEY_VIRT | KEY_CTRL, 5, 1, "[C+F1]", ""},
      {"0170,  7,1,[x],y", 0x170, 0, 7, 1, "[x]", "y"},                 // Shift only with the virtual bit
      {"8090,  540,3,[ a,b ], rest, more", 0x90, KEY_VIRT, 540, 3, "[ a,b ]", "rest, more"}, // comma in the label
      {"8071,18000,2,[F2],text", 0x71, KEY_VIRT, -1, 0, "[F2]", ""},      // panel command switched off
      {"8072,  300", 0x72, KEY_VIRT, -1, 0, "", ""},                       // stops at the missing comma
      {"8073,  301,2", 0x73, KEY_VIRT, 301, 0, "", ""},
      {"8074,  302,2,[no comma]", 0x74, KEY_VIRT, 302, 2, "", ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line);
    const KeyItem k = read(c.line);
    EXPECT_EQ(k.key, c.key);
    EXPECT_EQ(k.mods, c.mods);
    EXPECT_EQ(k.command, c.command);
    EXPECT_EQ(k.kind, c.kind);
    EXPECT_EQ(k.label, c.label);
    EXPECT_EQ(k.text, c.text);
  }
}

TEST(KeyRec, FormatThenParseRoundTrips) {
  for (const char *line : {"8170,  112,1,[S+F1],help", "8000,  100,3,[ F0 ],go", "0170,    7,1,[x],y",
                           "8290,  540,3,[ a,b ],rest, more"}) {
    KeyItem k = read(line);
    char out[80];
    ASSERT_EQ(key_rec('W', out, sizeof out, &k), 1);
    EXPECT_STREQ(out, line);
  }
}

TEST(KeyRec, FormatKeepsTheLineButSwitchesOffThePanelCommand) {
  KeyItem k;
  k.key = 0x71;
  k.mods = KEY_VIRT;
  k.command = 18001;
  k.kind = 2;
  k.label = "[F2]";
  k.text = "redo";
  char out[64];
  ASSERT_EQ(key_rec('w', out, sizeof out, &k), 1);
  EXPECT_STREQ(out, "8071,18001,2,[F2],redo");
  EXPECT_EQ(k.command, -1);
  EXPECT_EQ(k.kind, 0);
  EXPECT_EQ(k.text, "");
}

TEST(KeyRec, FormatRefusesALineThatDoesNotFit) {
  KeyItem k;
  k.mods = KEY_VIRT;
  k.command = 100;
  k.label = "[" + std::string(100, 'L') + "]";
  char out[40];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(key_rec('W', out, sizeof out, &k), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(key_rec('W', out, 0, &k), 0);
  EXPECT_EQ(key_rec('Q', out, sizeof out, &k), 0);
}

TEST(KeyUpgrade, Count) {
  EXPECT_EQ(key_upcount(108), 115);
  EXPECT_EQ(key_upcount(1), 8);
  EXPECT_EQ(key_upcount(109), 109);
  EXPECT_EQ(key_upcount(200), 200);
  EXPECT_EQ(key_upcount(0), -1);
  EXPECT_EQ(key_upcount(201), -1);
  EXPECT_STREQ(key_mouselines[0], "8090,  540,3,[ MButton ],");
  EXPECT_STREQ(key_mouselines[6], "8292,  546,3,[Ctrl+WDn ],");
  const KeyItem k = read(key_mouselines[0]);
  EXPECT_EQ(k.key, 0x90u);
  EXPECT_EQ(k.label, "[ MButton ]");
}

TEST(KeyDrag, Sectors) {
  // Vectors in screen terms from (100, 100): y grows downwards.
  const struct {
    int vx, vy; // upwards positive
    bool eight;
    int dir;
  } cases[] = {
      {3, 4, true, -1},  {4, 3, false, -1}, {5, 3, true, 1},  // 5.8 rounds to 6
      {10, 1, true, 0},  {10, 5, true, 1},  {1, 10, true, 2}, {-10, 5, true, 4},
      {-10, -1, true, 5}, {1, -10, true, 7}, {10, -5, true, 0},
      {10, 1, false, 0}, {1, 10, false, 2}, {-10, 1, false, 4}, {-1, -10, false, 6}, {1, -10, false, 0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.vx << "," << c.vy << (c.eight ? " eight" : " four"));
    EXPECT_EQ(key_dragsector(100, 100, 100 + c.vx, 100 - c.vy, c.eight), c.dir);
  }
}

TEST(ScmParse, SkipsWhatDoesNotFit) {
  ShortcutItem s;
  ASSERT_TRUE(scm_parse("0,0,継続(&C),9000,0", &s));
  EXPECT_EQ(s.depth, 0);
  EXPECT_EQ(s.kind, 0);
  EXPECT_EQ(s.label, "継続(&C)");
  EXPECT_EQ(s.command, 9000);
  EXPECT_EQ(s.level, 0);
  ASSERT_TRUE(scm_parse("1, 2, -, 0, 4", &s));
  EXPECT_EQ(s.depth, 1);
  EXPECT_EQ(s.kind, 2);
  EXPECT_EQ(s.level, 4);
  for (const char *bad : {"Error", "0,0,x,9000", "0,3,x,9000,0", "0,0,x,9000,5", "0,-1,x,1,0", ""})
    EXPECT_FALSE(scm_parse(bad, &s)) << bad;
  EXPECT_FALSE(scm_parse(nullptr, &s));
}

} // namespace

namespace {

// The shipped key file: every key line and every shortcut record reads, and its count
// is past the older tables', so start-up never appends the mouse lines again.
TEST(KeyFileData, EveryLineReadsAndTheUpgradeLeavesItAlone) {
  std::ifstream in(INK_DATA_DIR "/inkforge.key.txt");
  ASSERT_TRUE(in.good());
  std::string line;
  int count = 0, keys = 0, assigned = 0, records = 0;
  std::vector<std::string> values;
  while (std::getline(in, line)) {
    const auto eq = line.find('=');
    if (line.rfind("KEYITEMCOUNT=", 0) == 0) {
      count = std::atoi(line.c_str() + eq + 1);
    } else if (line.rfind("KEYITEM", 0) == 0) {
      std::string v = line.substr(eq + 1);
      values.push_back(v);
      KeyItem k;
      ASSERT_EQ(key_rec('R', v.data(), v.size() + 1, &k), 1);
      EXPECT_TRUE(k.mods & KEY_VIRT) << line;
      if (k.command >= 0) {
        EXPECT_GE(k.command, 509) << line;
        EXPECT_EQ(k.kind, 3) << line;
        assigned++;
      }
      keys++;
    } else if (line.rfind("MENUITEM", 0) == 0) {
      ShortcutItem s;
      EXPECT_TRUE(scm_parse(line.substr(eq + 1).c_str(), &s)) << line;
      records++;
    }
  }
  EXPECT_EQ(keys, count);
  EXPECT_EQ(key_upcount(count), count);
  ASSERT_GE(keys, 7);
  for (int i = 0; i < 7; i++)
    EXPECT_EQ(values[size_t(keys - 7 + i)], key_mouselines[i]);
  EXPECT_EQ(assigned, 15);
  EXPECT_EQ(records, 12);
}

} // namespace

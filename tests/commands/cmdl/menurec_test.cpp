// Menu-file records and the status-line text made from their labels.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "commands/cmdl/menurec.h"

namespace {

TEST(MenuRecord, FieldsOfARecordText) {
  const struct {
    const char *text;
    int parent, child, next, command;
    unsigned value;
    const char *shortlabel, *longlabel;
  } cases[] = {
      {"-1,5,1,-1,0,線,線(&L)", -1, 5, 1, -1, 0, "線", "線(&L)"},
      {"0,-1,6,35,7,単線,単線(&S)", 0, -1, 6, 35, 7, "単線", "単線(&S)"},
      {"1,2", 1, 0, 0, 0, 0, "", ""},                       // two commas: parent only (a field needs its comma)
      {"1,2,", 1, 2, 0, 0, 0, "", ""},                      // child kept once its comma follows
      {"0,-1,-1,20,65541,a,b", 0, -1, -1, 20, 5, "a", "b"}, // value keeps its low 16 bits
      {"0,-1,-1,20,0,abcdefghijkl,x", 0, -1, -1, 20, 0, "abcdefghi", "x"},
      {"0,-1,-1,20,0,s,abcdefghijklmnopqr", 0, -1, -1, 20, 0, "s", "abcdefghijklmno"},
      {"0,-1,-1,20,70000,s,l", 0, -1, -1, 20, 4464, "s", "l"},
      // Labels are cut at the last whole character, never inside a double-byte one.
      {"0,-1,-1,20,0,あいうえお,x", 0, -1, -1, 20, 0, "あいうえ", "x"},
      {"0,-1,-1,20,0,abあいうえ,x", 0, -1, -1, 20, 0, "abあいう", "x"},
      {"0,-1,-1,20,0,aあいうえお,x", 0, -1, -1, 20, 0, "aあいうえ", "x"},
      {"0,-1,-1,20,0,s,あいうえおかきく", 0, -1, -1, 20, 0, "s", "あいうえおかき"},
      {"0,-1,-1,20,0,s,aあいうえおかきく", 0, -1, -1, 20, 0, "s", "aあいうえおかき"},
      {"0,-1,-1,20,0,s,a,b,c", 0, -1, -1, 20, 0, "s", "a,b,c"}, // later commas belong to the long label
      {"x,y,z,w,v,s,l", 0, 0, 0, 0, 0, "s", "l"},               // no digits give 0
      {"0,-1,-1,20,0,表示,表\x5c,示", 0, -1, -1, 20, 0, "表示", "表\x5c,示"},
      {"", 0, 0, 0, 0, 0, "", ""},
  };
  for (const auto &c : cases) {
    char text[256];
    std::strcpy(text, c.text);
    MenuFileRecord r;
    std::memset(&r, 0x55, sizeof r);
    EXPECT_EQ(cmd_mnurec('r', text, &r), 1);
    EXPECT_EQ(r.parent, c.parent) << c.text;
    EXPECT_EQ(r.child, c.child) << c.text;
    EXPECT_EQ(r.next, c.next) << c.text;
    EXPECT_EQ(r.command, c.command) << c.text;
    EXPECT_EQ(r.value, c.value) << c.text;
    EXPECT_STREQ(r.shortlabel, c.shortlabel) << c.text;
    EXPECT_STREQ(r.longlabel, c.longlabel) << c.text;
  }
}

TEST(MenuRecord, WrittenTextReadsBackTheSame) {
  MenuFileRecord r = {3, -1, 7, 504, 65535, "拡大", "拡大(&Z)"};
  char text[80];
  cmd_mnurec('w', text, &r);
  EXPECT_STREQ(text, "3,-1,7,504,65535,拡大,拡大(&Z)");
  MenuFileRecord back;
  cmd_mnurec('r', text, &back);
  EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
  MenuFileRecord untouched = r;
  EXPECT_EQ(cmd_mnurec('x', text, &untouched), 1);
  EXPECT_EQ(std::memcmp(&untouched, &r, sizeof r), 0);
}

// Builds an array from record texts for the page walks.
struct Loaded {
  MenuFileRecord recs[MNU_MAX] = {};
  explicit Loaded(std::initializer_list<const char *> texts) {
    int n = 0;
    for (const char *t : texts) {
      char buf[256];
      std::strcpy(buf, t);
      cmd_mnurec('r', buf, &recs[n++]);
    }
    MenuArray = recs;
    MenuCount = n;
    mnu_resetpages();
    mnu_groups();
  }
  ~Loaded() {
    MenuArray = nullptr;
    MenuCount = 0;
  }
};

TEST(MenuPages, GroupsAndPagesOfAFile) {
  Loaded f({"-1,2,1,-1,0,線,線", "-1,4,-1,-1,0,円,円", "0,-1,3,35,0,単線,単線", "0,-1,-1,20,0,連続,連続",
            "1,-1,-1,41,0,円,円"});
  EXPECT_EQ(MenuGroups[0], 0);
  EXPECT_EQ(MenuGroups[1], 1);
  EXPECT_EQ(MenuGroups[2], -1);
  EXPECT_EQ(mnu_group(1), 1);
  EXPECT_EQ(mnu_group(2), -1);
  int32_t slots[MNU_SLOTS];
  EXPECT_EQ(mnu_chain(-1, slots), 2);
  EXPECT_EQ(slots[0], 0);
  EXPECT_EQ(slots[1], 1);
  EXPECT_EQ(slots[2], -1);
  EXPECT_EQ(mnu_chain(0, slots), 2);
  EXPECT_EQ(slots[0], 2);
  EXPECT_EQ(slots[1], 3);
  EXPECT_EQ(mnu_chain(4, slots), 0); // a leaf has no page
  EXPECT_EQ(slots[0], -1);
  EXPECT_EQ(mnu_chain(99, slots), 0);
}

TEST(MenuPages, BadChainsEndAndStayInTheArray) {
  // A circle on the top chain, a page whose chain comes back on itself, an index of 500.
  Loaded f({"-1,2,1,-1,0,a,a", "-1,500,0,-1,0,b,b", "0,-1,3,1,0,c,c", "0,-1,2,2,0,d,d"});
  int32_t slots[MNU_SLOTS];
  EXPECT_EQ(mnu_chain(-1, slots), 2);
  EXPECT_EQ(mnu_chain(0, slots), 2);
  EXPECT_EQ(slots[0], 2);
  EXPECT_EQ(slots[1], 3);
  EXPECT_EQ(mnu_chain(1, slots), 0); // a child outside the array counts as none
  EXPECT_EQ(mnu_index(500), -1);
  EXPECT_EQ(mnu_index(-3), -1);
  EXPECT_EQ(mnu_index(3), 3);
}

TEST(MenuPages, MoreThanTwentyGroupsKeepTheFirst) {
  MenuFileRecord recs[MNU_MAX] = {};
  for (int i = 0; i < 25; i++)
    recs[i] = {-1, -1, i + 1 < 25 ? i + 1 : -1, -1, 0, "g", "g"};
  MenuArray = recs;
  MenuCount = 25;
  EXPECT_EQ(mnu_groups(), MNU_GROUPS);
  EXPECT_EQ(MenuGroups[19], 19);
  int32_t slots[MNU_SLOTS];
  EXPECT_EQ(mnu_chain(-1, slots), MNU_SLOTS); // the top page shows twenty
  MenuArray = nullptr;
  MenuCount = 0;
}

TEST(StatusLine, LabelsAreCentredInEightCharacters) {
  const struct {
    const char *group, *entry, *line;
  } cases[] = {
      {"", "", "         :         "},
      {"線", "点", "    線   :    点   "},
      {"abc", "abcd", "   abc   :   abcd  "},
      {"abcde", "abcdef", "  abcde  :  abcdef "},
      {"abcdefg", "abcdefgh", " abcdefg : abcdefgh"},
      {"abcdefghi", "x", " abcdefghi:    x    "}, // nine bytes are shown whole
  };
  for (const auto &c : cases) {
    char out[32];
    cmd_statustext(c.group, c.entry, out);
    EXPECT_EQ(std::string(out), c.line) << c.group << "/" << c.entry;
  }
}

} // namespace

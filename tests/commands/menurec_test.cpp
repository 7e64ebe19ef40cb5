// Menu-file records and the status-line text made from their labels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands/menurec.h"

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
